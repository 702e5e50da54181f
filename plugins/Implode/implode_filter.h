// Implode: pulls the picture towards a movable centre (amount k > 0) or
// pushes it away (k < 0).  A pixel at distance d from the centre, inside the
// circle of radius width / 2 (height / 2 when the picture is higher than
// wide, distances measured with the shorter side stretched), takes the
// source sampled at its offset times sin(π/2 × d / radius)^(-k).  Pixels on
// the circle or outside it are copied.
#pragma once

#include <windows.h>

#include <cstddef>

#include "mapping_run.h"
#include "picture_plugin.h"

struct ImplodeSettings {
    double amount;   // k
    double centreX;  // fx: the centre at width × fx
    double centreY;  // fy: the centre at height × fy
};

// The amount for the dialog's position p (-1000..1000): s = p × 0.1 is the
// value shown, k = s × 0.1, and a k of 0 or more is scaled by 0.1 once more
// (so k runs -10..0 left of the middle and 0..1 right of it).
double ImplodeAmount(int position);
// The shown value p / 10 with one decimal ("-12.5", "0.0", "-0.5").
void ImplodeValueText(int position, char* text, size_t size);

bool ImplodePixels(const SourcePixels& source, DWORD* out, const ImplodeSettings& settings, RowProgress* progress);
PluginDib* ImplodePreview(const PictureHostServices* host, const PluginDib* source, const ImplodeSettings& settings);
PluginPicture* ImplodePicture(const PictureHostServices* host, const PluginPicture* picture,
                              const ImplodeSettings& settings);
