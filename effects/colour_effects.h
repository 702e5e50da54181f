// The colour effects of the Process menu on 32-bit pixels (0x00RRGGBB in
// memory order blue, green, red, spare; rows top to bottom, width * 4 bytes
// each, as in a 32-bit DIB block).  Pure passes: no windows, no library.
#pragma once

#include <windows.h>

#include "dib.h"

// Luminance (9798 R + 19235 G + 3736 B) >> 15 of one pixel.
int PixelLuminance(DWORD pixel);

// Every pixel p becomes (p XOR mask) AND 0x00FFFFFF.
void InvertPixels(DWORD* pixels, size_t count, DWORD mask);
// Every pixel becomes its luminance in blue, green and red.
void GreyPixels(DWORD* pixels, size_t count);
// Offsets added to red, green and blue, each clamped to 0..255.
void AdjustPixelsRgb(DWORD* pixels, size_t count, int dr, int dg, int db);
// The pixels through Y, U, V with the offsets added and back, integer
// arithmetic truncating toward zero, clamped to 0..255.
void AdjustPixelsYuv(DWORD* pixels, size_t count, int dy, int du, int dv);

// Which adjustment an offset dialog applies.
enum class ColourAdjustment { Rgb, Yuv };
void AdjustPixels(ColourAdjustment kind, DWORD* pixels, size_t count, int a, int b, int c);

// Effects on whole 32-bit blocks.  Those that make a new picture write into
// `out`, a 32-bit block of the same size as `in` (distinct from it).
// Abstract: each pixel copied from a source pixel jittered within
// range x range (columns first, then rows) with rand(); seed it once.
void AbstractDib(const DibBlock* in, DibBlock* out, int range);
// Mosaic, in place: blocks of size x size from the top-left (short last
// blocks), each filled with the running OR-1 average of its pixels.
void MosaicDib(DibBlock* block, int size);
// Glass: tiles of 32 x 32 in four mirrored quadrants; false (out untouched)
// for a picture smaller than 33 x 33.
bool GlassDib(const DibBlock* in, DibBlock* out);
// Emboss ("Boss"): 180 + 2 (below - above) + 2 (right - left) +
// (below-right - above-left) per channel, edges replicated.
void EmbossDib(const DibBlock* in, DibBlock* out);
// Pencil sketch, in place, in the colour given (white 0xFFFFFF).
void PencilSketchDib(DibBlock* block, DWORD colour);
