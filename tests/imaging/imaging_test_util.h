// Small hand-made 32-bit pictures for the imaging tests.
#pragma once

#include <initializer_list>
#include <memory>

#include "dib.h"

struct DibDeleter {
    void operator()(DibBlock* block) const { FreeDib(block); }
};
using DibPtr = std::unique_ptr<DibBlock, DibDeleter>;

// Pixel value as it sits in a 32-bit row: blue, green, red, spare byte.
inline DWORD Bgr(BYTE blue, BYTE green, BYTE red) {
    return blue | green << 8 | red << 16;
}

inline DWORD* Pixels32(DibBlock* block) { return reinterpret_cast<DWORD*>(block->pixels); }

// A width x height block filled row by row from values.
inline DibPtr MakeDib(int width, int height, std::initializer_list<DWORD> values) {
    DibPtr block(CreateDib(width, height));
    DWORD* out = Pixels32(block.get());
    for (DWORD v : values) *out++ = v;
    return block;
}

inline BYTE* Row(DibBlock* block, int y) {
    return block->pixels + static_cast<size_t>(y) * DibRowBytes(block->header);
}
