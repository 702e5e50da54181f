// Reading a packed DIB (a BITMAPINFOHEADER, its colour table or masks, then
// the pixel rows, all in one block) such as a scanner driver or the
// clipboard hands over.  The block comes from code this program does not
// control: every field is checked against the block's size before a byte of
// it is read.  No window, no allocation; self-contained.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "dib.h"

struct PackedDib {
    int width = 0;
    int height = 0;             // rows, always positive
    bool topDown = false;       // biHeight was negative
    int bitCount = 0;           // 1, 4, 8, 16, 24 or 32
    int colorCount = 0;         // colour table entries (depths up to 8)
    const RGBQUAD* colors = nullptr;
    DWORD masks[3] = {};        // red, green, blue masks for 16 and 32 bits
    const BYTE* bits = nullptr; // first stored row
    uint32_t rowBytes = 0;      // stored row length, a multiple of 4
};

// Why a block was refused (kOk when it was not).
enum class PackedDibFault {
    kOk,
    kTooSmall,        // shorter than a header, or than its own header size
    kHeaderSize,      // biSize not 40, 52, 56, 108 or 124
    kSize,            // width not positive, height 0 (or not negatable), or too large
    kPlanes,          // biPlanes not 1
    kBitCount,        // a depth not listed above
    kCompression,     // not BI_RGB (nor BI_BITFIELDS at 16 and 32 bits)
    kColorTable,      // more table entries than the depth can index, or past the end
    kPixels,          // the rows run past the end of the block
};

// Checks the block of `size` bytes at data and describes it.  Nothing is
// read outside [data, data + size); all sizes are computed in 64 bits.
PackedDibFault ReadPackedDib(const void* data, size_t size, PackedDib* dib);

// Writes the picture as top-down rows of 32-bit pixels (blue, green, red,
// 0) into out, `stride` bytes apart; out holds at least height rows of
// width pixels.  Colour indexes past the table read as black.
void PackedDibToBgra(const PackedDib& dib, BYTE* out, size_t stride);

// The program's own DIB blocks in packed form (the clipboard's CF_DIB).
// Bytes of the packed form of a DIB block: header, colour table, rows.
// 0 for a null block or a depth DibRowBytes does not know.
size_t PackedDibBytes(const DibBlock* block);
// Writes the packed form into out (at least PackedDibBytes bytes), always
// bottom-up (positive height, last row first) as other programs expect.
// False for a null block or a buffer too small.
bool WritePackedDib(const DibBlock* block, void* out, size_t bytes);

// Reads a packed bitmap of 1, 4, 8, 16, 24 or 32 bits per pixel (BI_RGB or
// BI_BITFIELDS, bottom-up or top-down) into a new 32-bit top-down block.
// Null for anything else: a header or table or rows longer than the given
// bytes, a zero or negative width, a zero height, compressed rows, or a
// picture too large to allocate.
DibBlock* ReadPackedDib(const void* data, size_t bytes);
