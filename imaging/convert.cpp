#include "convert.h"

#include "quantize.h"

#include <string.h>

const BYTE kDither1[8][8] = {
    {  0, 192,  48, 240,  12, 204,  60, 252},
    {128,  64, 176, 112, 140,  76, 188, 124},
    { 32, 224,  16, 208,  44, 236,  28, 220},
    {160,  96, 144,  80, 172, 108, 156,  92},
    {  8, 200,  56, 248,   4, 196,  52, 244},
    {136,  72, 184, 120, 132,  68, 180, 116},
    { 40, 232,  24, 216,  36, 228,  20, 212},
    {168, 104, 152,  88, 164, 100, 148,  84},
};

const BYTE kDither8[16][16] = {
    { 0, 44,  9, 41,  3, 46, 12, 43,  1, 44, 10, 41,  3, 46, 12, 43},
    {34, 16, 25, 19, 37, 18, 28, 21, 35, 16, 26, 19, 37, 18, 28, 21},
    {38,  6, 47,  3, 40,  9, 50,  6, 38,  7, 47,  4, 40,  9, 49,  6},
    {22, 28, 13, 31, 25, 31, 15, 34, 22, 29, 13, 32, 24, 31, 15, 34},
    { 2, 46, 12, 43,  1, 45, 10, 42,  2, 45, 11, 42,  1, 45, 11, 42},
    {37, 18, 27, 21, 35, 17, 26, 20, 36, 17, 27, 20, 36, 17, 26, 20},
    {40,  8, 49,  5, 38,  7, 48,  4, 39,  8, 48,  5, 39,  7, 48,  4},
    {24, 30, 15, 33, 23, 29, 13, 32, 23, 30, 14, 33, 23, 29, 14, 32},
    { 2, 46, 12, 43,  0, 44, 10, 41,  3, 47, 12, 44,  0, 44, 10, 41},
    {37, 18, 27, 21, 35, 16, 25, 19, 37, 19, 28, 22, 35, 16, 25, 19},
    {40,  9, 49,  5, 38,  7, 47,  4, 40,  9, 50,  6, 38,  6, 47,  3},
    {24, 30, 15, 34, 22, 29, 13, 32, 25, 31, 15, 34, 22, 28, 13, 31},
    { 1, 45, 11, 42,  2, 46, 11, 42,  1, 45, 10, 41,  2, 46, 11, 43},
    {36, 17, 26, 20, 36, 17, 27, 21, 35, 16, 26, 20, 36, 18, 27, 21},
    {39,  8, 48,  4, 39,  8, 49,  5, 38,  7, 48,  4, 39,  8, 49,  5},
    {23, 29, 14, 33, 24, 30, 14, 33, 23, 29, 13, 32, 24, 30, 14, 33},
};

const BYTE kDither4Rb[4][4] = {
    {  0, 125,  30, 155},
    {190,  60, 220,  95},
    { 45, 175,  15, 140},
    {235, 110, 205,  75},
};

const BYTE kDither4G[4][4] = {
    {  0,  62,  15,  77},
    { 95,  30, 110,  47},
    { 22,  87,   7,  70},
    {117,  55, 102,  37},
};

namespace {

DWORD RowBytes32(const DibBlock* block) { return DibRowBytesFor(DibWidth(block), 32); }

const BYTE* SourceRow(const DibBlock* block, int y) {
    return block->pixels + static_cast<size_t>(y) * RowBytes32(block);
}

BYTE* DestinationRow(DibBlock* block, int y) {
    return block->pixels + static_cast<size_t>(y) * DibRowBytes(block->header);
}

// Level of one channel on a dithered scale of `step`-sized levels.
inline int DitherLevel(int c, int step, int threshold) {
    int q = c / step;
    return c - step * q > threshold ? q + 1 : q;
}

void WriteMasks(DibBlock* block, DWORD red, DWORD green, DWORD blue) {
    DWORD* masks = DibMasks(block);
    masks[0] = red;
    masks[1] = green;
    masks[2] = blue;
    masks[3] = 0;
}

// Gives destination the source's size and the new depth.
bool Reformat(const DibBlock* source, DibBlock* destination, int bitsPerPixel) {
    if (!source || !destination || !source->header || !destination->header ||
        source->header->biBitCount != 32)
        return false;
    destination->header->biWidth = source->header->biWidth;
    destination->header->biHeight = -DibHeight(source);
    return SetDibFormat(destination, bitsPerPixel) != 0;
}

typedef void (*PlainRow)(const BYTE*, BYTE*, int);
typedef void (*DitherRow)(const BYTE*, BYTE*, int, int);

void ConvertRows(const DibBlock* source, DibBlock* destination, PlainRow plain, DitherRow dither) {
    int width = DibWidth(source);
    int height = DibHeight(source);
    for (int y = 0; y < height; ++y) {
        if (plain) plain(SourceRow(source, y), DestinationRow(destination, y), width);
        else dither(SourceRow(source, y), DestinationRow(destination, y), width, y);
    }
}

}  // namespace

void Row32To24(const BYTE* src, BYTE* dst, int width) {
    for (int x = 0; x < width; ++x, src += 4, dst += 3) {
        dst[0] = src[0];
        dst[1] = src[1];
        dst[2] = src[2];
    }
}

void Row32To565(const BYTE* src, BYTE* dst, int width) {
    WORD* out = reinterpret_cast<WORD*>(dst);
    for (int x = 0; x < width; ++x, src += 4)
        out[x] = static_cast<WORD>((src[2] & 0xF8) << 8 | (src[1] & 0xFC) << 3 | src[0] >> 3);
}

void Row32To555(const BYTE* src, BYTE* dst, int width) {
    WORD* out = reinterpret_cast<WORD*>(dst);
    for (int x = 0; x < width; ++x, src += 4)
        out[x] = static_cast<WORD>((src[2] & 0xF8) << 7 | (src[1] & 0xF8) << 2 | src[0] >> 3);
}

void Row32To1(const BYTE* src, BYTE* dst, int width, int y) {
    const BYTE* thresholds = kDither1[y & 7];
    memset(dst, 0, static_cast<size_t>(width + 7) / 8);
    for (int x = 0; x < width; ++x, src += 4)
        if (DitherLuminance(src[2], src[1], src[0]) > thresholds[x & 7])
            dst[x >> 3] |= static_cast<BYTE>(0x80 >> (x & 7));
}

void Row32To2(const BYTE* src, BYTE* dst, int width, int y) {
    memset(dst, 0, static_cast<size_t>(width + 3) / 4);
    for (int x = 0; x < width; ++x, src += 4) {
        const int threshold = kDither8[x & 15][y & 15] * 85 / 256;
        const int level = DitherLevel(GreyLevel(src[2], src[1], src[0]), 85, threshold);
        dst[x >> 2] |= static_cast<BYTE>(level << (6 - 2 * (x & 3)));
    }
}

void Row32ToDisplay8(const BYTE* src, BYTE* dst, int width, int y) {
    for (int x = 0; x < width; ++x, src += 4) {
        int t = kDither8[x & 15][y & 15];
        dst[x] = static_cast<BYTE>(36 * DitherLevel(src[0], 51, t) + 6 * DitherLevel(src[1], 51, t) +
                                   DitherLevel(src[2], 51, t));
    }
}

void Row32ToDisplay4(const BYTE* src, BYTE* dst, int width, int y) {
    memset(dst, 0, static_cast<size_t>(width + 1) / 2);
    for (int x = 0; x < width; ++x, src += 4) {
        int a = kDither4Rb[x & 3][y & 3];
        int b = DitherLevel(src[0], 255, a);
        int r = DitherLevel(src[2], 255, a);
        int g = DitherLevel(src[1], 127, kDither4G[x & 3][y & 3]);
        if (g > 2) g = 2;   // 255 lies one above the top green level 254
        BYTE index = static_cast<BYTE>(6 * b + 2 * g + r);
        dst[x >> 1] |= (x & 1) ? index : static_cast<BYTE>(index << 4);
    }
}

void Row32ToGrey8(const BYTE* src, BYTE* dst, int width) {
    for (int x = 0; x < width; ++x, src += 4)
        dst[x] = static_cast<BYTE>(GreyLevel(src[2], src[1], src[0]));
}

void FillDisplay8Palette(RGBQUAD* table) {
    for (int b = 0; b < 6; ++b)
        for (int g = 0; g < 6; ++g)
            for (int r = 0; r < 6; ++r) {
                RGBQUAD& entry = table[36 * b + 6 * g + r];
                entry.rgbBlue = static_cast<BYTE>(b * 51);
                entry.rgbGreen = static_cast<BYTE>(g * 51);
                entry.rgbRed = static_cast<BYTE>(r * 51);
                entry.rgbReserved = 0;
            }
}

void FillDisplay4Palette(RGBQUAD* table) {
    for (int b = 0; b < 2; ++b)
        for (int g = 0; g < 3; ++g)
            for (int r = 0; r < 2; ++r) {
                RGBQUAD& entry = table[6 * b + 2 * g + r];
                entry.rgbBlue = static_cast<BYTE>(b * 255);
                entry.rgbGreen = static_cast<BYTE>(g * 127);
                entry.rgbRed = static_cast<BYTE>(r * 255);
                entry.rgbReserved = 0;
            }
}

void FillGreyPalette(RGBQUAD* table) {
    for (int i = 0; i < 256; ++i) {
        table[i].rgbBlue = table[i].rgbGreen = table[i].rgbRed = static_cast<BYTE>(i);
        table[i].rgbReserved = 0;
    }
}

int PrepareDisplayFormat(DibBlock* block, int depth) {
    if (!block || !block->header) return 0;
    switch (depth) {
    case 4: case 8: case 15: case 16: case 24: break;
    default: return 0;
    }
    SetDibFormat(block, depth);
    if (depth == 4) FillDisplay4Palette(DibColors(block));
    else if (depth == 8) FillDisplay8Palette(DibColors(block));
    else if (depth == 15) WriteMasks(block, 0x7C00, 0x03E0, 0x001F);
    else if (depth == 16) {
        block->header->biCompression = BI_BITFIELDS;
        WriteMasks(block, 0xF800, 0x07E0, 0x001F);
    }
    return 1;
}

void ConvertDisplayRow(const DibBlock* source, DibBlock* destination, int depth, int y) {
    if (y < 0 || y >= DibHeight(source)) return;
    const BYTE* src = SourceRow(source, y);
    BYTE* dst = DestinationRow(destination, y);
    int width = DibWidth(source);
    switch (depth) {
    case 4: Row32ToDisplay4(src, dst, width, y); break;
    case 8: Row32ToDisplay8(src, dst, width, y); break;
    case 15: Row32To555(src, dst, width); break;
    case 16: Row32To565(src, dst, width); break;
    case 24: Row32To24(src, dst, width); break;
    default: break;
    }
}

int DibTo24(const DibBlock* source, DibBlock* destination) {
    if (!Reformat(source, destination, 24)) return 0;
    ConvertRows(source, destination, Row32To24, nullptr);
    return 1;
}

int DibTo16(const DibBlock* source, DibBlock* destination) {
    if (!Reformat(source, destination, 16)) return 0;
    destination->header->biCompression = BI_BITFIELDS;
    WriteMasks(destination, 0xF800, 0x07E0, 0x001F);
    ConvertRows(source, destination, Row32To565, nullptr);
    return 1;
}

int DibTo15(const DibBlock* source, DibBlock* destination) {
    if (!Reformat(source, destination, 15)) return 0;
    WriteMasks(destination, 0x7C00, 0x03E0, 0x001F);
    ConvertRows(source, destination, Row32To555, nullptr);
    return 1;
}

int DibTo1(const DibBlock* source, DibBlock* destination) {
    if (!Reformat(source, destination, 1)) return 0;
    RGBQUAD* table = DibColors(destination);
    table[0] = RGBQUAD{0, 0, 0, 0};
    table[1] = RGBQUAD{255, 255, 255, 0};
    ConvertRows(source, destination, nullptr, Row32To1);
    return 1;
}

int DibTo2(const DibBlock* source, DibBlock* destination) {
    if (!Reformat(source, destination, 2)) return 0;
    RGBQUAD* table = DibColors(destination);
    for (int i = 0; i < 4; ++i) {
        const BYTE grey = static_cast<BYTE>(85 * i);
        table[i] = RGBQUAD{grey, grey, grey, 0};
    }
    ConvertRows(source, destination, nullptr, Row32To2);
    return 1;
}

int DibToDisplay8(const DibBlock* source, DibBlock* destination) {
    if (!Reformat(source, destination, 8)) return 0;
    FillDisplay8Palette(DibColors(destination));
    ConvertRows(source, destination, nullptr, Row32ToDisplay8);
    return 1;
}

int DibToDisplay4(const DibBlock* source, DibBlock* destination) {
    if (!Reformat(source, destination, 4)) return 0;
    FillDisplay4Palette(DibColors(destination));
    ConvertRows(source, destination, nullptr, Row32ToDisplay4);
    return 1;
}

int DibToGrey8(const DibBlock* source, DibBlock* destination) {
    if (!Reformat(source, destination, 8)) return 0;
    FillGreyPalette(DibColors(destination));
    ConvertRows(source, destination, Row32ToGrey8, nullptr);
    return 1;
}

int ConvertDibDepth(DibBlock* block, int bitsPerPixel) {
    if (!block || !block->header) return 0;
    if (bitsPerPixel == 32) return 1;
    int (*convert)(const DibBlock*, DibBlock*) = nullptr;
    switch (bitsPerPixel) {
    case 4: convert = [](const DibBlock* s, DibBlock* d) { return DibToQuantized(s, d, 4); }; break;
    case 8: convert = [](const DibBlock* s, DibBlock* d) { return DibToQuantized(s, d, 8); }; break;
    case 15: convert = DibTo15; break;
    case 16: convert = DibTo16; break;
    case 24: convert = DibTo24; break;
    default: return 0;
    }
    if (block->header->biBitCount != 32) return 0;
    DibBlock* copy = CreateDib(DibWidth(block), DibHeight(block));
    if (!copy) return 0;
    int ok = CopyDib(block, copy) && convert(copy, block);
    FreeDib(copy);
    return ok;
}
