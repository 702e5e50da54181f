#include "dib.h"

#include <string.h>

namespace {

// The source index of each of dst target indices: r = (float)((double)src /
// dst), index = (int)(i * r) in single precision, clamped below src.  The
// volatile stores make the 32-bit build (x87 with excess precision) round
// to float exactly like the 64-bit one does.
void SourceMap(int src, int dst, int* map) {
    volatile float ratio = static_cast<float>(static_cast<double>(src) / dst);
    const float r = ratio;
    for (int i = 0; i < dst; ++i) {
        volatile float position = static_cast<float>(i) * r;
        int index = static_cast<int>(position);
        map[i] = index < src ? index : src - 1;
    }
}

}  // namespace

int ScaleDibNearest(const BYTE* src, int srcWidth, int srcHeight, int srcStride,
                    BYTE* dst, int dstWidth, int dstHeight, int dstStride) {
    if (!src || !dst || srcWidth <= 0 || srcHeight <= 0 || dstWidth <= 0 || dstHeight <= 0)
        return 0;
    // Column and row maps first; rows that read the same source row repeat
    // the previous target row.
    int* columns = static_cast<int*>(
        DibAllocMemory((static_cast<SIZE_T>(dstWidth) + static_cast<SIZE_T>(dstHeight)) * sizeof(int)));
    if (!columns) return 0;
    int* rows = columns + dstWidth;
    SourceMap(srcWidth, dstWidth, columns);
    SourceMap(srcHeight, dstHeight, rows);
    int previous = -1;
    for (int y = 0; y < dstHeight; ++y) {
        int sy = rows[y];
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
