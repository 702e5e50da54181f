#include "swirl_filter.h"

#include <cmath>
#include <memory>
#include <new>

namespace {

constexpr double kPi = 3.14159265358979323846;

}  // namespace

bool SwirlPixels(const SourcePixels& source, DWORD* out, double value, RowProgress* progress) {
    const int width = source.width, height = source.height;
    if (TooSmallToMap(width, height) || !std::isfinite(value)) return false;
    const double theta = value * kPi / 90.0;
    const double cx = width / 2.0, cy = height / 2.0;
    const double radius = cx > cy ? cx : cy;
    const double radius2 = radius * radius;
    const AspectScale scale = MappingScale(width, height);

    // The column and row terms once per run: offsets, their squares, and
    // which columns and rows mirror each other; then the turn (cos φ, sin φ)
    // of the columns of the row being made.
    const size_t w = static_cast<size_t>(width), h = static_cast<size_t>(height);
    std::unique_ptr<double[]> reals(new (std::nothrow) double[4 * w + 2 * h]);
    std::unique_ptr<int[]> links(new (std::nothrow) int[2 * w + 2 * h]);
    if (!reals || !links) return false;
    double* dxs = reals.get();
    double* dx2s = dxs + w;
    double* cosines = dx2s + w;
    double* sines = cosines + w;
    double* dys = sines + w;
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
            const double c = cosines[x], s = sines[x], dx = dxs[x];
            row[x] = SampleBilinear(source, cx + (c * dx - s * dy) / scale.x, cy + (s * dx + c * dy) / scale.y);
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
                if (mirror >= 0) {
                    cosines[x] = cosines[mirror];
                    sines[x] = sines[mirror];
                    continue;
                }
                const double f = 1.0 - std::sqrt(d2) / radius;
                const double phi = theta * (f * f);
                cosines[x] = std::cos(phi);
                sines[x] = std::sin(phi);
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

PluginDib* SwirlPreview(const PictureHostServices* host, const PluginDib* source, double value) {
    SourcePixels pixels;
    if (!host || !ReadSource(source, &pixels) || TooSmallToMap(pixels.width, pixels.height)) return nullptr;
    return MappedPreview(host, pixels.width, pixels.height,
                         [&](DWORD* out, RowProgress* progress) { return SwirlPixels(pixels, out, value, progress); });
}

PluginPicture* SwirlPicture(const PictureHostServices* host, const PluginPicture* picture, double value) {
    SourcePixels pixels;
    if (!host || !picture || !ReadSource(picture->working, &pixels) || TooSmallToMap(pixels.width, pixels.height))
        return nullptr;
    return MappedPicture(host, pixels.width, pixels.height,
                         [&](DWORD* out, RowProgress* progress) { return SwirlPixels(pixels, out, value, progress); });
}
