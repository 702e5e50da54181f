#include "quantize.h"

#include <magick/MagickCore.h>

#include <cstring>

namespace {

// The core is started by the picture library in the program; code that uses
// the quantiser on its own (tests, tools) starts it here.
void EnsureCoreStarted() {
    if (IsMagickCoreInstantiated() == MagickFalse) MagickCoreGenesis(nullptr, MagickFalse);
}

}  // namespace

int DibToQuantized(const DibBlock* source, DibBlock* destination, int bitsPerPixel) {
    if (!source || !destination || source == destination || !source->header) return 0;
    if (source->header->biBitCount != 32) return 0;
    if (bitsPerPixel != 8 && bitsPerPixel != 4 && bitsPerPixel != 2) return 0;
    EnsureCoreStarted();
    const int width = DibWidth(source), height = DibHeight(source);
    ExceptionInfo* exception = AcquireExceptionInfo();
    // The working copy's rows are exactly width * 4 bytes; the spare byte is
    // not alpha.
    Image* image = ConstituteImage(width, height, "BGRP", CharPixel, source->pixels, exception);
    int result = 0;
    if (image) {
        QuantizeInfo options;
        GetQuantizeInfo(&options);
        options.number_colors = static_cast<size_t>(1) << bitsPerPixel;
        options.dither = MagickTrue;
        // Error diffusion row by row: the core's default walks the picture
        // along a space-filling curve one pixel at a time, which costs
        // several times as long on a large picture for a like result.
        options.dither_method = FloydSteinbergDitherMethod;
        options.tree_depth = 0;  // the quantiser picks the depth
        if (QuantizeImage(&options, image) != MagickFalse && image->colormap &&
            image->colors <= options.number_colors) {
            destination->header->biWidth = width;
            destination->header->biHeight = -height;
            SetDibFormat(destination, bitsPerPixel);
            RGBQUAD* table = DibColors(destination);
            std::memset(table, 0, sizeof(RGBQUAD) << bitsPerPixel);
            for (size_t i = 0; i < image->colors; ++i) {
                table[i].rgbBlue = ScaleQuantumToChar(image->colormap[i].blue);
                table[i].rgbGreen = ScaleQuantumToChar(image->colormap[i].green);
                table[i].rgbRed = ScaleQuantumToChar(image->colormap[i].red);
            }
            const DWORD rowBytes = DibRowBytes(destination->header);
            const int perByte = 8 / bitsPerPixel;
            result = 1;
            for (int y = 0; y < height && result; ++y) {
                if (!GetVirtualPixels(image, 0, y, width, 1, exception)) {
                    result = 0;
                    break;
                }
                const IndexPacket* indexes = GetVirtualIndexQueue(image);
                BYTE* row = destination->pixels + static_cast<size_t>(y) * rowBytes;
                std::memset(row, 0, rowBytes);
                for (int x = 0; x < width; ++x) {
                    const int index = indexes ? static_cast<int>(indexes[x]) : 0;
                    const int shift = (perByte - 1 - x % perByte) * bitsPerPixel;
                    row[x / perByte] |= static_cast<BYTE>(index << shift);
                }
            }
        }
        DestroyImage(image);
    }
    DestroyExceptionInfo(exception);
    return result;
}
