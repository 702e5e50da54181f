// Reading the suite's DIB block (size word, header pointer, pixel pointer,
// BITMAPINFOHEADER, colour table, top-down pixels) for the encoders.
#pragma once

#include <windows.h>

struct DibView {
    LONG width = 0;
    LONG height = 0;          // absolute; rows are top-down
    int bitsPerPixel = 0;     // 1, 2, 4, 8, 15, 16, 24 or 32
    bool fiveSixFive = false; // 16-bit pixels with the 5-6-5 masks
    const RGBQUAD* palette = nullptr;
    int paletteEntries = 0;
    const BYTE* pixels = nullptr;
    size_t rowBytes = 0;
};

// Checks the block's header and fills the view; false for a null block or a
// header the encoders cannot read.
bool ReadDibBlock(const void* block, DibView& view);

// Blue, green, red of pixel x of one row.
void DibPixel(const DibView& view, const BYTE* row, LONG x, BYTE& blue, BYTE& green, BYTE& red);
// Palette index of pixel x of a palette row.
int DibIndex(const DibView& view, const BYTE* row, LONG x);

struct _ImageInfo;
struct _Image;
struct _ExceptionInfo;
// A core image with the view's pixels (palette depths as palette pictures).
_Image* ImageFromDib(const _ImageInfo* info, const DibView& view, LONG width, LONG height,
                     _ExceptionInfo* exception);
