// The bilinear sampler of the mapping filters (Swirl, Implode, Wave) over a
// 32-bit picture: blue, green, red and a spare byte per pixel, rows top to
// bottom, width * 4 bytes each.  A sample that falls outside the picture, or
// a neighbour that does, takes the background colour (all four bytes 0).
//
// It is inline on purpose: the filters call it once per result pixel.
#pragma once

#include <windows.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

struct SourcePixels {
    const DWORD* pixels;  // width * height pixels, top row first
    int width;
    int height;
};

constexpr DWORD kMappingBackground = 0;

// Nearest integer under the current rounding mode (round to nearest).  A
// plain cast on the x87 would switch its control word twice per conversion.
inline int NearestInt(double t) {
#if defined(__SSE2_MATH__) || !defined(__i386__)
    return _mm_cvtsd_si32(_mm_set_sd(t));
#else
    int r;
    __asm__("fistpl %0" : "=m"(r) : "t"(t) : "st");
    return r;
#endif
}

// ⌊t⌋ for |t| < 2^31.
inline int FloorInt(double t) {
    const int r = NearestInt(t);
    return r > t ? r - 1 : r;
}

// ((1 - b) * ((1 - a) * P + a * Q) + b * ((1 - a) * R + a * S)) + 0.5,
// truncated, for each of the four bytes.  The value is never negative, so
// truncating is taking the floor.  With SSE2 two bytes go through each
// register, operation for operation the same double arithmetic.
#if defined(__SSE2__)
inline __m128d LowBytesAsDoubles(__m128i bytes) { return _mm_cvtepi32_pd(bytes); }
inline __m128d HighBytesAsDoubles(__m128i bytes) { return _mm_cvtepi32_pd(_mm_srli_si128(bytes, 8)); }
inline __m128i Widen(DWORD pixel) {
    const __m128i zero = _mm_setzero_si128();
    return _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(pixel)), zero), zero);
}
inline DWORD BlendPixels(DWORD p, DWORD q, DWORD r, DWORD s, double a, double b) {
    const __m128i P = Widen(p), Q = Widen(q), R = Widen(r), S = Widen(s);
    const __m128d va = _mm_set1_pd(a), vb = _mm_set1_pd(b);
    const __m128d na = _mm_set1_pd(1.0 - a), nb = _mm_set1_pd(1.0 - b), half = _mm_set1_pd(0.5);
    auto blend = [&](__m128d p2, __m128d q2, __m128d r2, __m128d s2) {
        const __m128d top = _mm_add_pd(_mm_mul_pd(na, p2), _mm_mul_pd(va, q2));
        const __m128d bottom = _mm_add_pd(_mm_mul_pd(na, r2), _mm_mul_pd(va, s2));
        return _mm_cvttpd_epi32(_mm_add_pd(_mm_add_pd(_mm_mul_pd(nb, top), _mm_mul_pd(vb, bottom)), half));
    };
    const __m128i low = blend(LowBytesAsDoubles(P), LowBytesAsDoubles(Q), LowBytesAsDoubles(R), LowBytesAsDoubles(S));
    const __m128i high =
        blend(HighBytesAsDoubles(P), HighBytesAsDoubles(Q), HighBytesAsDoubles(R), HighBytesAsDoubles(S));
    const __m128i words = _mm_packs_epi32(_mm_unpacklo_epi64(low, high), _mm_setzero_si128());
    return static_cast<DWORD>(_mm_cvtsi128_si32(_mm_packus_epi16(words, words)));
}
#else
inline DWORD BlendPixels(DWORD p, DWORD q, DWORD r, DWORD s, double a, double b) {
    const double na = 1.0 - a, nb = 1.0 - b;
    DWORD out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const double P = static_cast<int>((p >> shift) & 0xFF), Q = static_cast<int>((q >> shift) & 0xFF);
        const double R = static_cast<int>((r >> shift) & 0xFF), S = static_cast<int>((s >> shift) & 0xFF);
        const double v = (nb * (na * P + a * Q) + b * (na * R + a * S)) + 0.5;
        out |= static_cast<DWORD>(FloorInt(v)) << shift;
    }
    return out;
}
#endif

// The source at (x, y): u = x + 0.5 and w = y + 0.5 name the four
// neighbours (⌊u⌋, ⌊w⌋) .. (⌊u⌋ + 1, ⌊w⌋ + 1) and their weights.  u below
// -1 or at the width or beyond (w the same with the height), or not a
// number, gives the background colour.
inline DWORD SampleBilinear(const SourcePixels& source, double x, double y) {
    const double u = x + 0.5, w = y + 0.5;
    if (!(u >= -1.0 && u < source.width && w >= -1.0 && w < source.height)) return kMappingBackground;
    const int x0 = FloorInt(u), y0 = FloorInt(w);
    const double a = u - x0, b = w - y0;
    const int width = source.width;
    DWORD p, q, r, s;
    if (x0 >= 0 && y0 >= 0 && x0 + 1 < width && y0 + 1 < source.height) {
        const DWORD* top = source.pixels + static_cast<size_t>(y0) * width + x0;
        p = top[0];
        q = top[1];
        r = top[width];
        s = top[width + 1];
    } else {
        // Along the edges some neighbours lie outside: background for them.
        const bool left = x0 >= 0, right = x0 + 1 < width;
        const bool up = y0 >= 0, down = y0 + 1 < source.height;
        const size_t at = static_cast<size_t>(y0) * width + x0;  // used only when inside
        p = up && left ? source.pixels[at] : kMappingBackground;
        q = up && right ? source.pixels[at + 1] : kMappingBackground;
        r = down && left ? source.pixels[at + width] : kMappingBackground;
        s = down && right ? source.pixels[at + width + 1] : kMappingBackground;
    }
    return BlendPixels(p, q, r, s, a, b);
}

// Not inline, for callers that sample a point now and then.
DWORD SamplePoint(const SourcePixels& source, double x, double y);
