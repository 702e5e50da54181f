// Packed device-independent bitmaps: a BITMAPINFOHEADER, its colour table
// (or bit-field masks) and the rows, in one piece of memory, as the
// clipboard's CF_DIB and scanner drivers hand pictures over.
#pragma once

#include <windows.h>

#include <cstddef>

#include "dib.h"

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
