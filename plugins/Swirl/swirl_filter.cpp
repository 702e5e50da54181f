#include "swirl_filter.h"

#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

}  // namespace

bool SwirlPixels(const SourcePixels& source, DWORD* out, double value, RowProgress* progress) {
    const int width = source.width, height = source.height;
    if (TooSmallToMap(width, height) || !std::isfinite(value)) return false;
    const double theta = value * kPi / 90.0;
    const double cx = width / 2.0, cy = height / 2.0;
    const double radius = cx > cy ? cx : cy;
    // Two terms per column: the turn (cos φ, sin φ) of the offset.
    return MapInsideCircle<2>(
        source, out, cx, cy, radius,
        [theta, radius](double* t, double d2) {
            const double f = 1.0 - std::sqrt(d2) / radius;
            const double phi = theta * (f * f);
            t[0] = std::cos(phi);
            t[1] = std::sin(phi);
        },
        [](const double* t, double dx, double dy, double* ox, double* oy) {
            const double c = t[0], s = t[1];
            *ox = c * dx - s * dy;
            *oy = s * dx + c * dy;
        },
        progress);
}

PluginDib* SwirlPreview(const PictureHostServices* host, const PluginDib* source, double value) {
    return SameSizePreview(host, source, [&](const SourcePixels& pixels, DWORD* out, RowProgress* progress) {
        return SwirlPixels(pixels, out, value, progress);
    });
}

PluginPicture* SwirlPicture(const PictureHostServices* host, const PluginPicture* picture, double value) {
    return SameSizePicture(host, picture, [&](const SourcePixels& pixels, DWORD* out, RowProgress* progress) {
        return SwirlPixels(pixels, out, value, progress);
    });
}
