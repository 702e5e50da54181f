#include "noise_filter.h"

#include <stdlib.h>

#include <cmath>

using filter_rows::Height;
using filter_rows::Usable;
using filter_rows::Width;

namespace {

constexpr double kPi = 3.14159265358979323846;

// A draw in 0..1: rand() mod 32768 over 32767.
double Draw() { return static_cast<double>(rand() % 32768) / 32767.0; }

double NoiseValue(int type, double x) {
    double alpha = Draw();
    if (alpha == 0) alpha = 1;
    switch (type) {
    case kUniformNoise:
        return x + 4.0 * (alpha - 0.5);
    case kGaussianNoise: {
        const double beta = Draw();
        const double sigma = std::sqrt(-2.0 * std::log(alpha));
        return x + 4.0 * std::sqrt(x) * sigma * std::cos(2 * kPi * beta) + 20.0 * sigma * std::sin(2 * kPi * beta);
    }
    case kMultiplicativeGaussianNoise: {
        const double sigma = alpha > 0.00001 ? std::sqrt(-2.0 * std::log(alpha)) : 255.0;
        const double beta = Draw();
        return x * (1.0 + 0.5 * sigma * std::cos(2 * kPi * beta));
    }
    case kImpulseNoise:
        if (alpha < 0.05) return 0;
        if (alpha >= 0.95) return 255;
        return x;
    case kLaplacianNoise:
        if (alpha <= 0.5) return alpha <= 0.00001 ? x - 255 : x + 10.0 * std::log(2 * alpha);
        {
            const double beta = 1.0 - alpha;
            return beta <= 0.000005 ? x + 255 : x - 10.0 * std::log(2 * beta);
        }
    case kPoissonNoise: {
        const double limit = std::exp(-0.05 * x);
        int count = 0;
        while (alpha > limit) {
            alpha *= Draw();
            ++count;
        }
        return 20.0 * count;
    }
    }
    return x;
}

}  // namespace

BYTE NoisyByte(int type, BYTE x) {
    const double value = NoiseValue(type, x);
    if (!(value >= 0)) return 0;  // below 0 or not a number
    if (value > 255) return 255;
    return static_cast<BYTE>(static_cast<int>(value + 0.5));
}

bool NoiseAccepts(LONG width, LONG height, int type) {
    return width > 2 && height > 2 && type >= 0 && type < kNoiseTypeCount;
}

void NoisePixels(const PluginDib* source, PluginDib* result, int type, filter_rows::RowProgress& progress) {
    const LONG width = Width(source), height = Height(source);
    for (LONG y = 0; y < height; ++y) {
        progress.Row(y);
        const BYTE* in = source->pixels + static_cast<size_t>(y) * width * 4;
        BYTE* out = result->pixels + static_cast<size_t>(y) * width * 4;
        for (LONG x = 0; x < width; ++x, in += 4, out += 4) {
            out[0] = NoisyByte(type, in[0]);
            out[1] = NoisyByte(type, in[1]);
            out[2] = NoisyByte(type, in[2]);
            out[3] = 0;
        }
    }
}

PluginDib* NoiseDib(const PictureHostServices* host, const PluginDib* source, int type) {
    if (!host || !Usable(source) || !NoiseAccepts(Width(source), Height(source), type)) return nullptr;
    return filter_rows::IntoDib(host, source, [&](const PluginDib* from, PluginDib* to, filter_rows::RowProgress& p) {
        NoisePixels(from, to, type, p);
        return true;
    });
}

PluginPicture* NoisePicture(const PictureHostServices* host, const PluginPicture* picture, int type) {
    if (!host || !picture || !Usable(picture->working) ||
        !NoiseAccepts(Width(picture->working), Height(picture->working), type))
        return nullptr;
    return filter_rows::IntoPicture(host, picture,
                                    [&](const PluginDib* from, PluginDib* to, filter_rows::RowProgress& p) {
                                        NoisePixels(from, to, type, p);
                                        return true;
                                    });
}
