#include "transforms.h"

#include <math.h>
#include <string.h>

namespace {

constexpr DWORD kOnes = 0x01010101;
constexpr DWORD kTwos = 0x02020202;

inline bool Usable32(const DibBlock* block) {
    return block && block->header && block->header->biBitCount == 32 &&
           DibWidth(block) > 0 && DibHeight(block) > 0;
}

inline size_t StrideOf(const DibBlock* block) { return DibRowBytes(block->header) / 4; }
inline DWORD* FirstRow(DibBlock* block) { return reinterpret_cast<DWORD*>(block->pixels); }
inline const DWORD* FirstRow(const DibBlock* block) {
    return reinterpret_cast<const DWORD*>(block->pixels);
}

// Average of two whole pixels with the low bit of every byte set first; a
// carry out of one channel runs into the next, as the filters expect.
inline DWORD Average(DWORD a, DWORD b) { return ((a | kOnes) + (b | kOnes)) >> 1; }
// The same with the sum's second bit set in every byte before halving.
inline DWORD Average2(DWORD a, DWORD b) { return (((a | kOnes) + (b | kOnes)) | kTwos) >> 1; }

// Every single-precision result passes through a volatile float: on the
// 32-bit build the x87 unit would otherwise keep excess precision, and the
// rotation must come out the same on both builds.  One rounding from the
// x87's wider result gives the same float as SSE's direct rounding for the
// +, -, * and / of floats used here.
inline float Single(float v) {
    volatile float rounded = v;
    return rounded;
}

// Tiles of this many pixels square keep the quarter turns' reads and writes
// inside the cache.
constexpr int kTurnTile = 32;

void Rotate90(const DibBlock* block, DibBlock* out) {
    // Counter-clockwise: result row (w - 1 - x), column y = source (x, y).
    int w = DibWidth(block), h = DibHeight(block);
    const DWORD* src = FirstRow(block);
    size_t srcStride = StrideOf(block);
    DWORD* dst = FirstRow(out);
    size_t dstStride = StrideOf(out);
    for (int y0 = 0; y0 < h; y0 += kTurnTile) {
        int y1 = y0 + kTurnTile < h ? y0 + kTurnTile : h;
        for (int x0 = 0; x0 < w; x0 += kTurnTile) {
            int x1 = x0 + kTurnTile < w ? x0 + kTurnTile : w;
            for (int x = x0; x < x1; ++x) {
                DWORD* d = dst + static_cast<size_t>(w - 1 - x) * dstStride;
                const DWORD* s = src + x;
                for (int y = y0; y < y1; ++y) d[y] = s[static_cast<size_t>(y) * srcStride];
            }
        }
    }
}

void Rotate270(const DibBlock* block, DibBlock* out) {
    // Clockwise: result row x, column k = source column x, row h - 1 - k.
    int w = DibWidth(block), h = DibHeight(block);
    const DWORD* src = FirstRow(block);
    size_t srcStride = StrideOf(block);
    DWORD* dst = FirstRow(out);
    size_t dstStride = StrideOf(out);
    for (int k0 = 0; k0 < h; k0 += kTurnTile) {
        int k1 = k0 + kTurnTile < h ? k0 + kTurnTile : h;
        for (int x0 = 0; x0 < w; x0 += kTurnTile) {
            int x1 = x0 + kTurnTile < w ? x0 + kTurnTile : w;
            for (int x = x0; x < x1; ++x) {
                DWORD* d = dst + static_cast<size_t>(x) * dstStride;
                const DWORD* s = src + x;
                for (int k = k0; k < k1; ++k) d[k] = s[static_cast<size_t>(h - 1 - k) * srcStride];
            }
        }
    }
}

void Rotate180(const DibBlock* block, DibBlock* out) {
    int w = DibWidth(block), h = DibHeight(block);
    const DWORD* src = FirstRow(block);
    size_t srcStride = StrideOf(block);
    DWORD* dst = FirstRow(out);
    size_t dstStride = StrideOf(out);
    for (int y = 0; y < h; ++y) {
        const DWORD* s = src + static_cast<size_t>(y) * srcStride;
        DWORD* d = dst + static_cast<size_t>(h - 1 - y) * dstStride + (w - 1);
        for (int x = 0; x < w; ++x) d[-x] = s[x];
    }
}

// The single-precision geometry of a rotation by a non-quarter angle.
struct Projection {
    float s, c;      // sine and cosine of -angle
    int hs;          // trunc(h * s): the X of the source's bottom-left corner
    int minX, maxX;  // result columns minX .. maxX - 1
    int minY, maxY;  // result rows minY .. maxY - 1
};

// False when the sine or the cosine comes out 0, which whole degrees other
// than the quarter turns never give.
bool Project(int w, int h, int degrees, Projection* p) {
    float theta = Single(static_cast<float>(-degrees) * 0.017453292f);
    float s = Single(sinf(theta));
    float c = Single(cosf(theta));
    if (s == 0.0f || c == 0.0f) return false;
    float hs = Single(static_cast<float>(h) * s);
    float hc = Single(static_cast<float>(h) * c);
    float wc = Single(static_cast<float>(w) * c);
    float ws = Single(static_cast<float>(w) * s);
    int xs[4] = {0, static_cast<int>(hs), static_cast<int>(Single(wc + hs)), static_cast<int>(wc)};
    int ys[4] = {0, static_cast<int>(hc), static_cast<int>(Single(ws + hc)), static_cast<int>(ws)};
    p->s = s;
    p->c = c;
    p->hs = xs[1];
    p->minX = p->maxX = 0;
    p->minY = p->maxY = 0;
    for (int i = 1; i < 4; ++i) {
        if (xs[i] < p->minX) p->minX = xs[i];
        if (xs[i] > p->maxX) p->maxX = xs[i];
        if (ys[i] < p->minY) p->minY = ys[i];
        if (ys[i] > p->maxY) p->maxY = ys[i];
    }
    return true;
}

// Any angle: result (X - minX, Y - minY) reads source
// (trunc((t c / s + Y) s), trunc((Y - t s / c) c)) with t = X - trunc(h s),
// every step in single precision; outside the source it is black.
void RotateAny(const DibBlock* block, DibBlock* out, const Projection& p) {
    int w = DibWidth(block), h = DibHeight(block);
    const DWORD* src = FirstRow(block);
    size_t srcStride = StrideOf(block);
    DWORD* dst = FirstRow(out);
    size_t dstStride = StrideOf(out);
    int columns = p.maxX - p.minX;
    // t c / s and t s / c depend on the column only.
    float* tcs = static_cast<float*>(DibAllocMemory(static_cast<SIZE_T>(columns) * 2 * sizeof(float)));
    if (!tcs) return;
    float* tsc = tcs + columns;
    for (int i = 0; i < columns; ++i) {
        float t = static_cast<float>(p.minX + i - p.hs);
        tcs[i] = Single(Single(t * p.c) / p.s);
        tsc[i] = Single(Single(t * p.s) / p.c);
    }
    const float s = p.s, c = p.c;
    const unsigned uw = static_cast<unsigned>(w), uh = static_cast<unsigned>(h);
    for (int Y = p.minY; Y < p.maxY; ++Y) {
        DWORD* d = dst + static_cast<size_t>(Y - p.minY) * dstStride;
        const float fy = static_cast<float>(Y);
        for (int i = 0; i < columns; ++i) {
            int sx = static_cast<int>(Single(Single(tcs[i] + fy) * s));
            int sy = static_cast<int>(Single(Single(fy - tsc[i]) * c));
            bool inside = static_cast<unsigned>(sx) < uw && static_cast<unsigned>(sy) < uh;
            d[i] = inside ? src[static_cast<size_t>(sy) * srcStride + static_cast<size_t>(sx)] : 0;
        }
    }
    DibFreeMemory(tcs);
}

// Pass 1 of the doubling for one source pixel p with its right, below and
// below-right neighbours: the 2 x 2 pixels at top (two) and bottom (two).
inline void Spread(DWORD p, DWORD right, DWORD below, DWORD belowRight, DWORD* top, DWORD* bottom) {
    DWORD rp = Average(right, p);
    top[0] = p;
    top[1] = rp;
    bottom[0] = Average(p, below);
    bottom[1] = (Average2(belowRight, below) + (rp | kOnes)) >> 1;
}

// Pass 2 of the doubling on one pixel: U and D above and below, L and R to
// the left and right.
inline DWORD Smooth(DWORD up, DWORD down, DWORD left, DWORD right, DWORD pixel) {
    DWORD v = Average2(up, down);
    DWORD u = Average2(left, right);
    return ((((v + u) | kTwos) >> 1) + (pixel | kOnes)) >> 1;
}

// Pass 2 over the inner columns 1 .. width - 2 of two neighbouring rows,
// `first` and the one below it.  Each pixel needs its smoothed left
// neighbour, a chain of dependent steps; the lower row runs one column
// behind the upper, whose pixel above it then is already smoothed, and the
// two chains overlap.  The result is that of doing the rows one after the
// other.
void SmoothRowPair(DWORD* first, size_t stride, int width) {
    if (width < 3) return;
    DWORD* a = first;
    DWORD* b = first + stride;
    const DWORD* aboveA = a - stride;
    const DWORD* belowB = b + stride;
    DWORD leftA = a[0], leftB = b[0];
    leftA = a[1] = Smooth(aboveA[1], b[1], leftA, a[2], a[1]);
    for (int x = 2; x < width - 1; ++x) {
        leftA = a[x] = Smooth(aboveA[x], b[x], leftA, a[x + 1], a[x]);
        leftB = b[x - 1] = Smooth(a[x - 1], belowB[x - 1], leftB, b[x], b[x - 1]);
    }
    b[width - 2] = Smooth(a[width - 2], belowB[width - 2], leftB, b[width - 1], b[width - 2]);
}

}  // namespace

bool FlipDib(DibBlock* block) {
    if (!Usable32(block)) return false;
    int w = DibWidth(block), h = DibHeight(block);
    size_t stride = StrideOf(block);
    DWORD* rows = FirstRow(block);
    // Rows are swapped through a buffer on the stack, a piece at a time.
    DWORD buffer[1024];
    for (int i = 0; i < h / 2; ++i) {
        DWORD* a = rows + static_cast<size_t>(i) * stride;
        DWORD* b = rows + static_cast<size_t>(h - 1 - i) * stride;
        for (int x = 0; x < w; x += 1024) {
            size_t bytes = static_cast<size_t>(w - x < 1024 ? w - x : 1024) * 4;
            memcpy(buffer, a + x, bytes);
            memcpy(a + x, b + x, bytes);
            memcpy(b + x, buffer, bytes);
        }
    }
    return true;
}

bool MirrorDib(DibBlock* block) {
    if (!Usable32(block)) return false;
    int w = DibWidth(block), h = DibHeight(block);
    size_t stride = StrideOf(block);
    for (int y = 0; y < h; ++y) {
        DWORD* row = FirstRow(block) + static_cast<size_t>(y) * stride;
        for (int j = 0; j < w / 2; ++j) {
            DWORD t = row[j];
            row[j] = row[w - 1 - j];
            row[w - 1 - j] = t;
        }
    }
    return true;
}

int NormaliseAngle(int degrees) {
    long long a = degrees;
    if (a < 0) a += 360 * ((359 - a) / 360);
    return static_cast<int>(a % 360);
}

SIZE RotatedSize(int width, int height, int degrees) {
    SIZE size = {0, 0};
    if (width <= 0 || height <= 0) return size;
    int a = NormaliseAngle(degrees);
    Projection p;
    if (a % 90 == 0 || !Project(width, height, a, &p)) {
        // Quarter turns exactly; a failed projection (which whole degrees
        // never give) falls back on the nearest quarter turn, as RotateDib does.
        bool turned = ((a + 45) / 90) % 2 == 1;
        size.cx = turned ? height : width;
        size.cy = turned ? width : height;
        return size;
    }
    size.cx = p.maxX - p.minX;
    size.cy = p.maxY - p.minY;
    return size;
}

DibBlock* RotateDib(const DibBlock* block, int degrees) {
    if (!Usable32(block)) return nullptr;
    int w = DibWidth(block), h = DibHeight(block);
    int a = NormaliseAngle(degrees);
    Projection p;
    bool quarter = a % 90 == 0;
    if (!quarter && !Project(w, h, a, &p)) {
        // Cannot happen for whole degrees; the nearest quarter turn stands in.
        a = ((a + 45) / 90 % 4) * 90;
        quarter = true;
    }
    if (quarter) {
        bool turned = a == 90 || a == 270;
        DibBlock* out = CreateDib(turned ? h : w, turned ? w : h);
        if (!out) return nullptr;
        switch (a) {
        case 0: {
            size_t bytes = static_cast<size_t>(w) * 4;
            for (int y = 0; y < h; ++y)
                memcpy(FirstRow(out) + static_cast<size_t>(y) * StrideOf(out),
                       FirstRow(block) + static_cast<size_t>(y) * StrideOf(block), bytes);
            break;
        }
        case 90: Rotate90(block, out); break;
        case 180: Rotate180(block, out); break;
        default: Rotate270(block, out); break;
        }
        return out;
    }
    DibBlock* out = CreateDib(p.maxX - p.minX, p.maxY - p.minY);
    if (!out) return nullptr;
    RotateAny(block, out, p);
    return out;
}

DibBlock* HalveDib(const DibBlock* block) {
    if (!Usable32(block) || DibWidth(block) < 4 || DibHeight(block) < 4) return nullptr;
    return ScaleDib(block, DibWidth(block) / 2, DibHeight(block) / 2);
}

DibBlock* DoubleDibSmooth(const DibBlock* block) {
    if (!Usable32(block)) return nullptr;
    int w = DibWidth(block), h = DibHeight(block);
    if (w > 0x3FFFFFFF / 2 || h > 0x3FFFFFFF / 2) return nullptr;
    DibBlock* out = CreateDib(2 * w, 2 * h);
    if (!out) return nullptr;
    const DWORD* src = FirstRow(block);
    size_t srcStride = StrideOf(block);
    DWORD* dst = FirstRow(out);
    size_t stride = StrideOf(out);
    const int W = 2 * w;
    for (int y = 0; y < h; ++y) {
        // Pass 1 for source row y: output rows 2y and 2y + 1.  The last row
        // and column stand in for their own neighbours below and right.
        const DWORD* row = src + static_cast<size_t>(y) * srcStride;
        const DWORD* below = y < h - 1 ? row + srcStride : row;
        DWORD* d0 = dst + static_cast<size_t>(2 * y) * stride;
        DWORD* d1 = d0 + stride;
        for (int x = 0; x < w - 1; ++x)
            Spread(row[x], row[x + 1], below[x], below[x + 1], d0 + 2 * x, d1 + 2 * x);
        Spread(row[w - 1], row[w - 1], below[w - 1], below[w - 1], d0 + 2 * (w - 1), d1 + 2 * (w - 1));
        // Pass 2 over the inner pixels, row by row and left to right, so the
        // pixel above and the one to the left are already smoothed.  Rows
        // 2y - 1 and 2y are inner ones now (their rows below are written);
        // row 0 and the last row are not inner.
        if (y > 0) SmoothRowPair(dst + static_cast<size_t>(2 * y - 1) * stride, stride, W);
    }
    return out;
}

DibBlock* ResizeDibSmooth(const DibBlock* block, int width, int height) {
    if (!Usable32(block) || width < 1 || height < 1) return nullptr;
    int w = DibWidth(block), h = DibHeight(block);
    if (width <= w && height <= h) return ScaleDib(block, width, height);
    DibBlock* doubled = DoubleDibSmooth(block);
    if (!doubled) return nullptr;
    // At exactly twice the size the scaler's map is the identity.
    DibBlock* result = ScaleDib(doubled, width, height);
    FreeDib(doubled);
    return result;
}
