// Conversions from the 32-bit working copy (blue, green, red, spare byte per
// pixel) to the other depths, for display and for saving.
#pragma once

#include "dib.h"

// Threshold matrices of the dithered conversions.
extern const BYTE kDither1[8][8];      // 1 bit, indexed [y % 8][x % 8]
extern const BYTE kDither8[16][16];    // 8-bit display, indexed [x % 16][y % 16]
extern const BYTE kDither4Rb[4][4];    // 4-bit display, blue and red, [x % 4][y % 4]
extern const BYTE kDither4G[4][4];     // 4-bit display, green, [x % 4][y % 4]

// Luminance of the 1-bit conversion (channels masked to 5 bits) and of the
// grey conversion (full channels).
inline int DitherLuminance(int red, int green, int blue) {
    return ((green & 0xF8) * 19235 + (red & 0xF8) * 9798 + (blue & 0xF8) * 3736) >> 15;
}
inline int GreyLevel(int red, int green, int blue) {
    return (9798 * red + 19235 * green + 3736 * blue) >> 15;
}

// One row of `width` 32-bit pixels into one destination row; y is the row
// number, which picks the dither matrix row.
void Row32To24(const BYTE* src, BYTE* dst, int width);
void Row32To565(const BYTE* src, BYTE* dst, int width);
void Row32To555(const BYTE* src, BYTE* dst, int width);
void Row32To1(const BYTE* src, BYTE* dst, int width, int y);
void Row32To2(const BYTE* src, BYTE* dst, int width, int y);
void Row32ToDisplay8(const BYTE* src, BYTE* dst, int width, int y);
void Row32ToDisplay4(const BYTE* src, BYTE* dst, int width, int y);
void Row32ToGrey8(const BYTE* src, BYTE* dst, int width);

// Fixed palettes of the display conversions and the grey conversion.
void FillDisplay8Palette(RGBQUAD* table);   // 216 entries used of 256
void FillDisplay4Palette(RGBQUAD* table);   // 12 entries used of 16
void FillGreyPalette(RGBQUAD* table);       // 256 entries

// Depths the display copy can take (4, 8, 15, 16, 24); others give 0.
// PrepareDisplayFormat re-formats `block` (keeping its width and height) and
// writes its colour table or masks; ConvertDisplayRow converts one row into
// a block prepared that way.
int PrepareDisplayFormat(DibBlock* block, int depth);
void ConvertDisplayRow(const DibBlock* source, DibBlock* destination, int depth, int y);

// Whole-block conversions: destination takes the source's width and height,
// is re-formatted with SetDibFormat and receives every row.  The destination
// must have room for the result; source and destination may be the same
// block only through ConvertDibDepth.  1 on success, 0 for a null block or
// a source that is not 32 bits per pixel.
int DibTo24(const DibBlock* source, DibBlock* destination);
int DibTo16(const DibBlock* source, DibBlock* destination);   // 5-6-5, BI_BITFIELDS
int DibTo15(const DibBlock* source, DibBlock* destination);   // 5-5-5, masks written, BI_RGB
int DibTo1(const DibBlock* source, DibBlock* destination);    // ordered dither, black/white
int DibTo2(const DibBlock* source, DibBlock* destination);    // ordered dither, four greys
int DibToDisplay8(const DibBlock* source, DibBlock* destination);
int DibToDisplay4(const DibBlock* source, DibBlock* destination);
int DibToGrey8(const DibBlock* source, DibBlock* destination);

// Converts a 32-bit block in place to 4, 8 (quantised palettes), 15, 16 or 24
// bits per pixel through a temporary 32-bit copy; 32 does nothing and
// returns 1.  Any other depth returns 0 and leaves the block as it was.
int ConvertDibDepth(DibBlock* block, int bitsPerPixel);
