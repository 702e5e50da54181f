#include "implode_filter.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <new>

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
    const double radius2 = radius * radius;
    const AspectScale scale = MappingScale(width, height);

    // The column and row terms once per run: offsets, their squares, and
    // which columns and rows mirror each other about the centre; then the
    // factor of each column of the row being made.
    const size_t w = static_cast<size_t>(width), h = static_cast<size_t>(height);
    std::unique_ptr<double[]> reals(new (std::nothrow) double[3 * w + 2 * h]);
    std::unique_ptr<int[]> links(new (std::nothrow) int[2 * w + 2 * h]);
    if (!reals || !links) return false;
    double* dxs = reals.get();
    double* dx2s = dxs + w;
    double* factors = dx2s + w;
    double* dys = factors + w;
    double* dy2s = dys + h;
    int* columnEarlier = links.get();
    int* columnLater = columnEarlier + w;
    int* rowEarlier = columnLater + w;
    int* rowLater = rowEarlier + h;
    for (int x = 0; x < width; ++x) {
        dxs[x] = scale.x * (x - cx);
        dx2s[x] = dxs[x] * dxs[x];
    }
    for (int y = 0; y < height; ++y) {
        dys[y] = scale.y * (y - cy);
        dy2s[y] = dys[y] * dys[y];
    }
    FindMirrors(dx2s, width, cx, columnEarlier, columnLater);
    FindMirrors(dy2s, height, cy, rowEarlier, rowLater);

    auto makeRow = [&](int y) {
        const DWORD* in = source.pixels + static_cast<size_t>(y) * w;
        DWORD* row = out + static_cast<size_t>(y) * w;
        const double dy = dys[y], dy2 = dy2s[y];
        for (int x = 0; x < width; ++x) {
            const double d2 = dx2s[x] + dy2;
            if (!(d2 < radius2)) {
                row[x] = in[x];  // on the circle or outside it
                continue;
            }
            const double factor = factors[x];
            row[x] = SampleBilinear(source, cx + factor * dxs[x] / scale.x, cy + factor * dy / scale.y);
        }
    };

    int done = 0;
    for (int y = 0; y < height; ++y) {
        if (rowEarlier[y] >= 0) continue;  // made with its mirror row
        const double dy2 = dy2s[y];
        if (dy2 < radius2) {
            for (int x = 0; x < width; ++x) {
                const double d2 = dx2s[x] + dy2;
                if (!(d2 < radius2)) continue;
                const int mirror = columnEarlier[x];
                // x^0 is 1 for every x, so an amount of 0 needs no powers.
                if (mirror >= 0) factors[x] = factors[mirror];
                else if (d2 > 0.0 && k != 0.0) factors[x] = std::pow(std::sin(kHalfPi * std::sqrt(d2) / radius), -k);
                else factors[x] = 1.0;
            }
        }
        progress->Row(done++);
        makeRow(y);
        if (rowLater[y] >= 0) {
            progress->Row(done++);
            makeRow(rowLater[y]);
        }
    }
    return true;
}

PluginDib* ImplodePreview(const PictureHostServices* host, const PluginDib* source, const ImplodeSettings& settings) {
    SourcePixels pixels;
    if (!host || !ReadSource(source, &pixels) || TooSmallToMap(pixels.width, pixels.height)) return nullptr;
    return MappedPreview(host, pixels.width, pixels.height, [&](DWORD* out, RowProgress* progress) {
        return ImplodePixels(pixels, out, settings, progress);
    });
}

PluginPicture* ImplodePicture(const PictureHostServices* host, const PluginPicture* picture,
                              const ImplodeSettings& settings) {
    SourcePixels pixels;
    if (!host || !picture || !ReadSource(picture->working, &pixels) || TooSmallToMap(pixels.width, pixels.height))
        return nullptr;
    return MappedPicture(host, pixels.width, pixels.height, [&](DWORD* out, RowProgress* progress) {
        return ImplodePixels(pixels, out, settings, progress);
    });
}
