// Wave: shifts every column down by |A| + A × sin(2π × x / L), so the
// result is the source's width and |height| + 2 × |A| high; what lies above
// or below a column's shifted band is the background colour.
#pragma once

#include <windows.h>

#include "mapping_run.h"
#include "picture_plugin.h"

struct WaveSettings {
    double length;     // L, pixels per period; must be above 0
    double amplitude;  // A, pixels
};

// The result height for a source height: height + 2 × |A|, truncated; 0
// when it would not fit in an int.
int WaveResultHeight(int height, double amplitude);

// Writes source.width × WaveResultHeight(...) pixels to out.  False for a
// picture or settings the filter refuses, or when the column offsets cannot
// be allocated.
bool WavePixels(const SourcePixels& source, DWORD* out, const WaveSettings& settings, RowProgress* progress);
PluginDib* WavePreview(const PictureHostServices* host, const PluginDib* source, const WaveSettings& settings);
PluginPicture* WavePicture(const PictureHostServices* host, const PluginPicture* picture,
                           const WaveSettings& settings);
