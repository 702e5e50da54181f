// Swirl: twists the picture around its centre.  The angle value v (the
// dialog's -360..360) gives θ = v × π / 90 radians; a pixel at distance d
// from the centre, inside the circle of radius max(width, height) / 2
// (measured with the shorter side stretched to the longer), takes the
// source sampled at its offset turned by θ × (1 - d / radius)².  Pixels on
// the circle or outside it are copied.
#pragma once

#include <windows.h>

#include "mapping_run.h"
#include "picture_plugin.h"

// Writes source.width × source.height pixels to out (one per result pixel),
// reporting rows to progress.  False for a picture the filter refuses.
bool SwirlPixels(const SourcePixels& source, DWORD* out, double value, RowProgress* progress);

// The preview: the swirled block as a new bare DIB (slot 0), no progress.
PluginDib* SwirlPreview(const PictureHostServices* host, const PluginDib* source, double value);
// The full run on the picture's working copy: a new picture (slot 3), with
// BeginBusy, ShowProgress and EndBusy.  Null (nothing made) when refused.
PluginPicture* SwirlPicture(const PictureHostServices* host, const PluginPicture* picture, double value);
