#include "wave_filter.h"

#include <cmath>
#include <new>

namespace {

constexpr double kTwoPi = 2.0 * 3.14159265358979323846;

bool Refused(const SourcePixels& source, const WaveSettings& settings) {
    return TooSmallToMap(source.width, source.height) || !(settings.length > 0.0) ||
           !std::isfinite(settings.length) || WaveResultHeight(source.height, settings.amplitude) == 0;
}

}  // namespace

int WaveResultHeight(int height, double amplitude) {
    const double rows = std::fabs(static_cast<double>(height)) + 2.0 * std::fabs(amplitude);
    if (!(rows < 2147483647.0)) return 0;  // also a non-finite amplitude
    return static_cast<int>(rows);
}

bool WavePixels(const SourcePixels& source, DWORD* out, const WaveSettings& settings, RowProgress* progress) {
    if (Refused(source, settings)) return false;
    const int width = source.width;
    const int rows = WaveResultHeight(source.height, settings.amplitude);
    const double a = settings.amplitude, magnitude = std::fabs(a);

    // Each column's shift once per run, not per pixel.
    double* offsets = new (std::nothrow) double[width];
    if (!offsets) return false;
    for (int x = 0; x < width; ++x) offsets[x] = magnitude + a * std::sin(kTwoPi * x / settings.length);

    for (int y = 0; y < rows; ++y) {
        progress->Row(y);
        DWORD* row = out + static_cast<size_t>(y) * width;
        for (int x = 0; x < width; ++x) row[x] = SampleBilinear(source, x, y - offsets[x]);
    }
    delete[] offsets;
    return true;
}

PluginDib* WavePreview(const PictureHostServices* host, const PluginDib* source, const WaveSettings& settings) {
    SourcePixels pixels;
    if (!host || !ReadSource(source, &pixels) || Refused(pixels, settings)) return nullptr;
    return MappedPreview(host, pixels.width, WaveResultHeight(pixels.height, settings.amplitude),
                         [&](DWORD* out, RowProgress* progress) { return WavePixels(pixels, out, settings, progress); });
}

PluginPicture* WavePicture(const PictureHostServices* host, const PluginPicture* picture,
                           const WaveSettings& settings) {
    SourcePixels pixels;
    if (!host || !picture || !ReadSource(picture->working, &pixels) || Refused(pixels, settings)) return nullptr;
    return MappedPicture(host, pixels.width, WaveResultHeight(pixels.height, settings.amplitude),
                         [&](DWORD* out, RowProgress* progress) { return WavePixels(pixels, out, settings, progress); });
}
