#include "hsi_adjust.h"

#include <cmath>

namespace {

inline int Clamp(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

}  // namespace

void AdjustPixelsHsi(DWORD* pixels, size_t count, int dh, int ds, int di) {
    // Hue: the rotation about the (1,1,1) axis as a fixed-point (16.16)
    // matrix; the identity for dh = 0, so no rounding creeps in then.
    const double angle = dh * 3.14159265358979323846 / 128.0;
    const double c = std::cos(angle), s = std::sin(angle);
    const double third = 1.0 / 3.0, root = std::sqrt(third);
    const double a = c + (1.0 - c) * third;
    const double b = third * (1.0 - c) - root * s;
    const double d = third * (1.0 - c) + root * s;
    const int scale = 1 << 16;
    const int ma = dh ? static_cast<int>(std::lround(a * scale)) : scale;
    const int mb = dh ? static_cast<int>(std::lround(b * scale)) : 0;
    const int md = dh ? static_cast<int>(std::lround(d * scale)) : 0;
    const int saturation = 128 + ds;
    for (size_t i = 0; i < count; ++i) {
        const DWORD p = pixels[i];
        int r = static_cast<int>((p >> 16) & 0xFF), g = static_cast<int>((p >> 8) & 0xFF),
            bl = static_cast<int>(p & 0xFF);
        if (dh) {
            const int nr = (ma * r + mb * g + md * bl + scale / 2) >> 16;
            const int ng = (md * r + ma * g + mb * bl + scale / 2) >> 16;
            const int nb = (mb * r + md * g + ma * bl + scale / 2) >> 16;
            r = nr;
            g = ng;
            bl = nb;
        }
        if (ds) {
            const int mean = (r + g + bl) / 3;
            r = mean + (r - mean) * saturation / 128;
            g = mean + (g - mean) * saturation / 128;
            bl = mean + (bl - mean) * saturation / 128;
        }
        r = Clamp(r + di);
        g = Clamp(g + di);
        bl = Clamp(bl + di);
        pixels[i] = static_cast<DWORD>(r << 16 | g << 8 | bl);
    }
}
