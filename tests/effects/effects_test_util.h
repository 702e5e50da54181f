// Small hand-made 32-bit pictures for the effects tests.
#pragma once

#include <initializer_list>
#include <memory>
#include <vector>

#include "dib.h"

struct DibDeleter {
    void operator()(DibBlock* block) const { FreeDib(block); }
};
using DibPtr = std::unique_ptr<DibBlock, DibDeleter>;

// Pixel value as it sits in a 32-bit row: blue, green, red, spare byte.
inline DWORD Rgb(int red, int green, int blue) {
    return static_cast<DWORD>(red << 16 | green << 8 | blue);
}
inline DWORD Grey(int level) { return static_cast<DWORD>(level) * 0x010101; }

inline DWORD* Pixels32(DibBlock* block) { return reinterpret_cast<DWORD*>(block->pixels); }
inline DWORD At(DibBlock* block, int x, int y) {
    return Pixels32(block)[static_cast<size_t>(y) * DibWidth(block) + x];
}

// A width x height block filled row by row from values.
inline DibPtr MakeDib(int width, int height, std::initializer_list<DWORD> values) {
    DibPtr block(CreateDib(width, height));
    DWORD* out = Pixels32(block.get());
    for (DWORD v : values) *out++ = v;
    return block;
}

// A block whose every pixel names its own place: blue = x, green = y (both
// below 256), red = 0x40 so that no pixel is black.
inline DibPtr CoordinateDib(int width, int height) {
    DibPtr block(CreateDib(width, height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            Pixels32(block.get())[static_cast<size_t>(y) * width + x] = Rgb(0x40, y, x);
    return block;
}
inline int XOf(DWORD coordinate) { return static_cast<int>(coordinate & 0xFF); }
inline int YOf(DWORD coordinate) { return static_cast<int>((coordinate >> 8) & 0xFF); }

inline std::vector<DWORD> PixelsOf(DibBlock* block) {
    DWORD* p = Pixels32(block);
    return std::vector<DWORD>(p, p + static_cast<size_t>(DibWidth(block)) * DibHeight(block));
}
