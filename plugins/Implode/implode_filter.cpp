#include "implode_filter.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr double kHalfPi = 3.14159265358979323846 / 2.0;

}  // namespace

double ImplodeAmount(int position) {
    const double shown = position * 0.1;
    double amount = shown * 0.1;
    if (amount >= 0.0) amount *= 0.1;
    return amount;
}

void ImplodeValueText(int position, char* text, size_t size) {
    const int magnitude = position < 0 ? -position : position;
    std::snprintf(text, size, "%s%d.%d", position < 0 ? "-" : "", magnitude / 10, magnitude % 10);
}

bool ImplodePixels(const SourcePixels& source, DWORD* out, const ImplodeSettings& settings, RowProgress* progress) {
    const int width = source.width, height = source.height;
    if (TooSmallToMap(width, height) || !std::isfinite(settings.amount) || !std::isfinite(settings.centreX) ||
        !std::isfinite(settings.centreY))
        return false;
    const double k = settings.amount;
    const double cx = width * settings.centreX, cy = height * settings.centreY;
    const double radius = height > width ? height / 2.0 : width / 2.0;
    // One term per column: the factor the offset is scaled by.  x^0 is 1 for
    // every x, so an amount of 0 needs no powers.
    return MapInsideCircle<1>(
        source, out, cx, cy, radius,
        [k, radius](double* t, double d2) {
            if (d2 > 0.0 && k != 0.0) t[0] = std::pow(std::sin(kHalfPi * std::sqrt(d2) / radius), -k);
            else t[0] = 1.0;
        },
        [](const double* t, double dx, double dy, double* ox, double* oy) {
            *ox = t[0] * dx;
            *oy = t[0] * dy;
        },
        progress);
}

PluginDib* ImplodePreview(const PictureHostServices* host, const PluginDib* source, const ImplodeSettings& settings) {
    return SameSizePreview(host, source, [&](const SourcePixels& pixels, DWORD* out, RowProgress* progress) {
        return ImplodePixels(pixels, out, settings, progress);
    });
}

PluginPicture* ImplodePicture(const PictureHostServices* host, const PluginPicture* picture, const ImplodeSettings& settings) {
    return SameSizePicture(host, picture, [&](const SourcePixels& pixels, DWORD* out, RowProgress* progress) {
        return ImplodePixels(pixels, out, settings, progress);
    });
}
