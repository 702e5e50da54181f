#include "colour_effects.h"

#include <stdlib.h>

namespace {

constexpr DWORD kOnes = 0x01010101;

inline int Red(DWORD p) { return static_cast<int>((p >> 16) & 0xFF); }
inline int Green(DWORD p) { return static_cast<int>((p >> 8) & 0xFF); }
inline int Blue(DWORD p) { return static_cast<int>(p & 0xFF); }

inline int Luminance(DWORD p) {
    return (9798 * Red(p) + 19235 * Green(p) + 3736 * Blue(p)) >> 15;
}

// Written so that the compiler turns it into conditional moves.
inline int Clamp255(int v) {
    v = v < 0 ? 0 : v;
    return v > 255 ? 255 : v;
}

inline int Max(int a, int b) { return a > b ? a : b; }
inline int Abs(int v) { return v < 0 ? -v : v; }

inline bool Usable32(const DibBlock* block) {
    return block && block->header && block->header->biBitCount == 32 &&
           DibWidth(block) > 0 && DibHeight(block) > 0;
}

inline DWORD* RowOf(DibBlock* block, int y) {
    return reinterpret_cast<DWORD*>(block->pixels + static_cast<size_t>(y) * DibRowBytes(block->header));
}
inline const DWORD* RowOf(const DibBlock* block, int y) {
    return reinterpret_cast<const DWORD*>(block->pixels +
                                          static_cast<size_t>(y) * DibRowBytes(block->header));
}

inline bool SameSize(const DibBlock* a, const DibBlock* b) {
    return DibWidth(a) == DibWidth(b) && DibHeight(a) == DibHeight(b);
}

// One source coordinate jittered around c: drawn again until it falls
// inside 0..limit - 1.
inline int Jitter(int range, int c, int limit) {
    int v;
    do {
        v = (rand() * range) / 32767 - range / 2 + c;
    } while (v < 0 || v >= limit);
    return v;
}

// The emboss filter works on blue and red together in the two 16-bit
// halves of a word (p & 0x00FF00FF) and on green alone.  Per channel
// 180 + 2 (below - above) + 2 (right - left) + (below-right - above-left)
// lies within -1095..1455; adding 1275 keeps each half within 180..2730, so
// no half borrows from the other, and a table clamps the biased value.
constexpr int kEmbossBias = 1275;
constexpr int kEmbossRange = 180 + 5 * 255 + kEmbossBias + 1;
constexpr DWORD kEmbossConstant = (180 + kEmbossBias) * 0x00010001u;

struct EmbossClamp {
    BYTE value[kEmbossRange];
    constexpr EmbossClamp() : value() {
        for (int i = 0; i < kEmbossRange; ++i) {
            int v = i - kEmbossBias;
            value[i] = static_cast<BYTE>(v < 0 ? 0 : (v > 255 ? 255 : v));
        }
    }
};
constexpr EmbossClamp kEmbossClamp;

inline DWORD EmbossPixel(DWORD above, DWORD aboveLeft, DWORD below, DWORD belowRight, DWORD left,
                         DWORD right) {
    const DWORD m = 0x00FF00FF;
    DWORD rb = kEmbossConstant + 2 * ((below & m) + (right & m)) + (belowRight & m) -
               2 * ((above & m) + (left & m)) - (aboveLeft & m);
    DWORD g = kEmbossConstant + 2 * (((below >> 8) & 0xFF) + ((right >> 8) & 0xFF)) +
              ((belowRight >> 8) & 0xFF) - 2 * (((above >> 8) & 0xFF) + ((left >> 8) & 0xFF)) -
              ((aboveLeft >> 8) & 0xFF);
    return static_cast<DWORD>(kEmbossClamp.value[rb >> 16]) << 16 |
           static_cast<DWORD>(kEmbossClamp.value[g & 0xFFFF]) << 8 |
           kEmbossClamp.value[rb & 0xFFFF];
}

// The glass tile map of one axis: map[d] is the source index that
// destination index d reads.
//
// The axis is cut into tiles of 32: a margin tile of (size - 32 n) / 2 in
// front when size is not a multiple of 32 (possibly empty, but still
// counted, so that both sides together always reach every tile), n tiles of
// 32, and the rest as the last tile.  The near side (left or top) takes
// count / 2 tiles, one more when n is odd, and so does the far side, counted
// from its own end; with n odd both reach the middle tile.
//
// A near tile starting at s shows the area twice its size from s onwards:
// d = s + i reads s + 2i.  A far tile is the mirror image anchored at its
// outer end, one pixel further in: for the tile [s, s + w) the anchor is
// s + w - 2 and d = anchor - i reads anchor - 2i.  The far tiles are drawn
// after the near ones, so they win where both reach (the middle tile, and
// the near tile's last index that the shifted far tile covers).  Shifted far
// tiles stay contiguous, so their own order does not matter; the columns
// and rows are independent, so the whole picture is map x map.
//
// The shift leaves the outermost index (size - 1) to no tile.  It carries
// the picture's own outermost column (row): that is the far tile's mapping
// continued one step outwards (anchor + 2 = size, clamped), so the edge
// looks like the rest of its tile instead of a band of a different colour.
//
// Every source index is clamped to the picture.
void GlassAxisMap(int size, int* map) {
    const int kTile = 32;
    int n = size / kTile;
    int rest = size - n * kTile;
    int count = n + (rest ? 2 : 0);
    int margin = rest / 2;
    // Tile k: start and width.
    auto tileStart = [&](int k) -> int {
        if (!rest) return k * kTile;
        if (k == 0) return 0;
        return margin + (k - 1) * kTile;
    };
    auto tileWidth = [&](int k) -> int {
        if (!rest) return kTile;
        if (k == 0) return margin;
        if (k == count - 1) return size - margin - n * kTile;
        return kTile;
    };
    auto clampIndex = [size](int v) { return v < 0 ? 0 : (v >= size ? size - 1 : v); };
    int perSide = count / 2 + (n & 1);
    for (int k = 0; k < perSide; ++k) {
        int s = tileStart(k), w = tileWidth(k);
        for (int i = 0; i < w; ++i) map[s + i] = clampIndex(s + 2 * i);
    }
    for (int k = count - 1; k >= count - perSide; --k) {
        int anchor = tileStart(k) + tileWidth(k) - 2;
        for (int i = 0; i < tileWidth(k); ++i) {
            int d = anchor - i;
            if (d >= 0) map[d] = clampIndex(anchor - 2 * i);
        }
    }
    map[size - 1] = size - 1;
}

}  // namespace

int PixelLuminance(DWORD pixel) { return Luminance(pixel); }

void InvertPixels(DWORD* pixels, size_t count, DWORD mask) {
    if (!pixels) return;
    for (size_t i = 0; i < count; ++i) pixels[i] = (pixels[i] ^ mask) & 0x00FFFFFF;
}

void GreyPixels(DWORD* pixels, size_t count) {
    if (!pixels) return;
    for (size_t i = 0; i < count; ++i)
        pixels[i] = static_cast<DWORD>(Luminance(pixels[i])) * 0x010101;
}

void AdjustPixelsRgb(DWORD* pixels, size_t count, int dr, int dg, int db) {
    if (!pixels) return;
    // Each channel through its own table, already shifted into place.
    DWORD red[256], green[256], blue[256];
    for (int v = 0; v < 256; ++v) {
        red[v] = static_cast<DWORD>(Clamp255(v + dr)) << 16;
        green[v] = static_cast<DWORD>(Clamp255(v + dg)) << 8;
        blue[v] = static_cast<DWORD>(Clamp255(v + db));
    }
    for (size_t i = 0; i < count; ++i) {
        DWORD p = pixels[i];
        pixels[i] = red[(p >> 16) & 0xFF] | green[(p >> 8) & 0xFF] | blue[p & 0xFF];
    }
}

void AdjustPixelsYuv(DWORD* pixels, size_t count, int dy, int du, int dv) {
    if (!pixels) return;
    // U and V of any pixel lie within -127..127 (the weights of each sum to
    // at most 16384 either way), so everything after the two divisions by
    // 32768 comes from tables indexed by U + 127 and V + 127, with the
    // offsets folded in.  The divisions truncate toward zero, as C's / does
    // on int:
    //   r = Y + V + 103 V / 256, g = Y - 88 U / 256 - 183 V / 256,
    //   b = Y + U + 198 U / 256, Y and U, V with their offsets.
    int redOfV[255], greenOfV[255], greenOfU[255], blueOfU[255];
    for (int i = 0; i < 255; ++i) {
        int u = i - 127 + du, v = i - 127 + dv;
        redOfV[i] = dy + v + (103 * v) / 256;
        greenOfV[i] = -((183 * v) / 256);
        greenOfU[i] = dy - (88 * u) / 256;
        blueOfU[i] = dy + u + (198 * u) / 256;
    }
    // The nine products of the Y, U and V sums come from tables as well:
    // loads are cheaper than multiplications here.
    struct Weights {
        int y, u, v;
    };
    Weights ofRed[256], ofGreen[256], ofBlue[256];
    for (int c = 0; c < 256; ++c) {
        ofRed[c] = Weights{9798 * c, -5529 * c, 16384 * c};
        ofGreen[c] = Weights{19235 * c, -10855 * c, -13720 * c};
        ofBlue[c] = Weights{3736 * c, 16384 * c, -2664 * c};
    }
    for (size_t i = 0; i < count; ++i) {
        DWORD p = pixels[i];
        const Weights& r = ofRed[Red(p)];
        const Weights& g = ofGreen[Green(p)];
        const Weights& b = ofBlue[Blue(p)];
        int y = (r.y + g.y + b.y) >> 15;
        int u = (r.u + g.u + b.u) / 32768 + 127;
        int v = (r.v + g.v + b.v) / 32768 + 127;
        int r2 = Clamp255(y + redOfV[v]);
        int g2 = Clamp255(y + greenOfU[u] + greenOfV[v]);
        int b2 = Clamp255(y + blueOfU[u]);
        pixels[i] = static_cast<DWORD>(r2 << 16 | g2 << 8 | b2);
    }
}

void AdjustPixels(ColourAdjustment kind, DWORD* pixels, size_t count, int a, int b, int c) {
    if (kind == ColourAdjustment::Yuv)
        AdjustPixelsYuv(pixels, count, a, b, c);
    else
        AdjustPixelsRgb(pixels, count, a, b, c);
}

void AbstractDib(const DibBlock* in, DibBlock* out, int range) {
    if (!Usable32(in) || !Usable32(out) || !SameSize(in, out) || in == out) return;
    // Beyond 32767 not every offset could be drawn and a narrow picture
    // might never find a column inside it.
    range = range < 0 ? 0 : (range > 32767 ? 32767 : range);
    int width = DibWidth(in), height = DibHeight(in);
    const DWORD* source = RowOf(in, 0);
    size_t stride = DibRowBytes(in->header) / 4;
    for (int y = 0; y < height; ++y) {
        DWORD* dst = RowOf(out, y);
        for (int x = 0; x < width; ++x) {
            // Column first, then row: the order the numbers are drawn in.
            int sx = Jitter(range, x, width);
            int sy = Jitter(range, y, height);
            dst[x] = source[static_cast<size_t>(sy) * stride + static_cast<size_t>(sx)];
        }
    }
}

void MosaicDib(DibBlock* block, int size) {
    if (!Usable32(block) || size <= 0) return;
    int width = DibWidth(block), height = DibHeight(block);
    size_t stride = DibRowBytes(block->header) / 4;
    for (int top = 0; top < height; top += size) {
        int rows = height - top < size ? height - top : size;
        DWORD* first = RowOf(block, top);
        for (int left = 0; left < width; left += size) {
            int columns = width - left < size ? width - left : size;
            // The running average of the block in row order, carries between
            // channels included.
            DWORD a = 0;
            DWORD* row = first + left;
            for (int j = 0; j < rows; ++j, row += stride)
                for (int i = 0; i < columns; ++i) a = ((a | kOnes) + (row[i] | kOnes)) >> 1;
            row = first + left;
            for (int j = 0; j < rows; ++j, row += stride)
                for (int i = 0; i < columns; ++i) row[i] = a;
        }
    }
}

bool GlassDib(const DibBlock* in, DibBlock* out) {
    if (!Usable32(in) || !Usable32(out) || !SameSize(in, out) || in == out) return false;
    int width = DibWidth(in), height = DibHeight(in);
    if (width < 33 || height < 33) return false;
    int* columns = static_cast<int*>(DibAllocMemory(static_cast<SIZE_T>(width + height) * sizeof(int)));
    if (!columns) return false;
    int* rows = columns + width;
    GlassAxisMap(width, columns);
    GlassAxisMap(height, rows);
    for (int y = 0; y < height; ++y) {
        const DWORD* src = RowOf(in, rows[y]);
        DWORD* dst = RowOf(out, y);
        for (int x = 0; x < width; ++x) dst[x] = src[columns[x]];
    }
    DibFreeMemory(columns);
    return true;
}

void EmbossDib(const DibBlock* in, DibBlock* out) {
    if (!Usable32(in) || !Usable32(out) || !SameSize(in, out) || in == out) return;
    int width = DibWidth(in), height = DibHeight(in);
    int last = width - 1;
    for (int y = 0; y < height; ++y) {
        // Missing neighbours take the nearest edge pixel.
        const DWORD* above = RowOf(in, y > 0 ? y - 1 : 0);
        const DWORD* row = RowOf(in, y);
        const DWORD* below = RowOf(in, y < height - 1 ? y + 1 : height - 1);
        DWORD* dst = RowOf(out, y);
        if (width == 1) {
            dst[0] = EmbossPixel(above[0], above[0], below[0], below[0], row[0], row[0]);
            continue;
        }
        dst[0] = EmbossPixel(above[0], above[0], below[0], below[1], row[0], row[1]);
        for (int x = 1; x < last; ++x)
            dst[x] = EmbossPixel(above[x], above[x - 1], below[x], below[x + 1], row[x - 1], row[x + 1]);
        dst[last] = EmbossPixel(above[last], above[last - 1], below[last], below[last], row[last - 1],
                                row[last]);
    }
}

void PencilSketchDib(DibBlock* block, DWORD colour) {
    if (!Usable32(block)) return;
    int width = DibWidth(block), height = DibHeight(block);
    int blue = Blue(colour), green = Green(colour);
    // The luminance weights as tables: two luminances per pixel, and loads
    // are cheaper than multiplications.
    int ofRed[256], ofGreen[256], ofBlue[256];
    for (int c = 0; c < 256; ++c) {
        ofRed[c] = 9798 * c;
        ofGreen[c] = 19235 * c;
        ofBlue[c] = 3736 * c;
    }
    auto luminance = [&](DWORD p) {
        return (ofRed[(p >> 16) & 0xFF] + ofGreen[(p >> 8) & 0xFF] + ofBlue[p & 0xFF]) >> 15;
    };
    for (int y = 0; y < height; ++y) {
        DWORD* row = RowOf(block, y);
        // The row below is still untouched; the last row stands in for its
        // own row below.
        const DWORD* below = y < height - 1 ? RowOf(block, y + 1) : row;
        // The left and below-left pixels as they were before this pass
        // (black in front of the row): the row is overwritten as it goes.
        int leftL = 0, belowLeftL = 0;
        for (int x = 0; x < width; ++x) {
            int cL = luminance(row[x]);
            int bL = luminance(below[x]);
            int m = Max(Max(Abs(cL - leftL), Abs(cL - bL)), Max(Abs(cL - belowLeftL), Abs(leftL - bL)));
            m *= 3;
            int rb = Max(blue - m, 0), g = Max(green - m, 0);
            row[x] = static_cast<DWORD>(rb << 16 | g << 8 | rb);
            leftL = cL;
            belowLeftL = bL;
        }
    }
}
