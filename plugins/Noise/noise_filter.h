// The arithmetic of the Noise filter: six kinds of noise added to the blue,
// green and red byte of every pixel, each drawn from the runtime library's
// rand() (the plug-in never seeds it).  The fourth byte of a result is 0.
#pragma once

#include <windows.h>

#include "filter_rows.h"
#include "picture_plugin.h"

enum NoiseType {
    kUniformNoise = 0,                 // x + 4 (alpha - 0.5)
    kGaussianNoise = 1,                // sigma 4 (times the root of x), tau 20
    kMultiplicativeGaussianNoise = 2,  // x (1 + 0.5 N)
    kImpulseNoise = 3,                 // 5 % black, 5 % white
    kLaplacianNoise = 4,               // scale 10
    kPoissonNoise = 5,                 // 20 x a Poisson count of mean 0.05 x
    kNoiseTypeCount = 6,
};

// One noisy byte for byte value x (drawing one or more rand() numbers).
BYTE NoisyByte(int type, BYTE x);

// False for what the filter refuses: either side 2 or less, an unknown type.
bool NoiseAccepts(LONG width, LONG height, int type);

// Fills result (32-bit, the source's size) with the source plus noise.
void NoisePixels(const PluginDib* source, PluginDib* result, int type, filter_rows::RowProgress& progress);

PluginDib* NoiseDib(const PictureHostServices* host, const PluginDib* source, int type);
PluginPicture* NoisePicture(const PictureHostServices* host, const PluginPicture* picture, int type);
