#include "dib.h"

#include <string.h>

namespace {

// Source index for target index i: (int)(i * (float)src / dst), computed in
// single precision.  The volatile stores make the 32-bit build (x87 with
// excess precision) round to float exactly like the 64-bit one does.
int SourceIndex(int i, int src, int dst) {
    volatile float product = static_cast<float>(i) * static_cast<float>(src);
    volatile float quotient = product / static_cast<float>(dst);
    int index = static_cast<int>(quotient);
    return index < src ? index : src - 1;
}

}  // namespace

int ScaleDibNearest(const BYTE* src, int srcWidth, int srcHeight, int srcStride,
                    BYTE* dst, int dstWidth, int dstHeight, int dstStride) {
    if (!src || !dst || srcWidth <= 0 || srcHeight <= 0 || dstWidth <= 0 || dstHeight <= 0)
        return 0;
    // Column map first; rows that read the same source row repeat the
    // previous target row.
    int* columns = static_cast<int*>(DibAllocMemory(static_cast<SIZE_T>(dstWidth) * sizeof(int)));
    if (!columns) return 0;
    for (int x = 0; x < dstWidth; ++x) columns[x] = SourceIndex(x, srcWidth, dstWidth);
    int previous = -1;
    for (int y = 0; y < dstHeight; ++y) {
        int sy = SourceIndex(y, srcHeight, dstHeight);
        DWORD* out = reinterpret_cast<DWORD*>(dst + static_cast<size_t>(y) * dstStride);
        if (sy == previous) {
            memcpy(out, dst + static_cast<size_t>(y - 1) * dstStride, static_cast<size_t>(dstWidth) * 4);
            continue;
        }
        const DWORD* in = reinterpret_cast<const DWORD*>(src + static_cast<size_t>(sy) * srcStride);
        for (int x = 0; x < dstWidth; ++x) out[x] = in[columns[x]];
        previous = sy;
    }
    DibFreeMemory(columns);
    return 1;
}

DibBlock* ScaleDib(const DibBlock* source, int width, int height) {
    if (!source || !source->header || source->header->biBitCount != 32 || width <= 0 || height <= 0)
        return nullptr;
    DibBlock* scaled = CreateDib(width, height);
    if (!scaled) return nullptr;
    int srcWidth = DibWidth(source);
    if (!ScaleDibNearest(source->pixels, srcWidth, DibHeight(source),
                         static_cast<int>(DibRowBytesFor(srcWidth, 32)),
                         scaled->pixels, width, height, static_cast<int>(DibRowBytesFor(width, 32)))) {
        FreeDib(scaled);
        return nullptr;
    }
    return scaled;
}
