// The arithmetic of the Spread ("Rain") filter: every pixel is taken from a
// random neighbour at most m div 2 (+1) to the right and below, the offsets
// drawn with rand() AND m (a bit mask, not a remainder) minus m >> 1, a
// negative offset counting as 0.
#pragma once

#include <windows.h>

#include "filter_rows.h"
#include "picture_plugin.h"

// The trackbar's positions -1..99 give the amounts 0..100.
constexpr int kSpreadFirstPosition = -1;
constexpr int kSpreadLastPosition = 99;
inline int SpreadAmountAt(int position) { return position + 1; }

// False for what the filter refuses: either side 2 or less, a negative amount.
bool SpreadAccepts(LONG width, LONG height, int m);

// Fills result (32-bit, the source's size) row by row, two rand() calls per
// pixel (dx, then dy).
void SpreadPixels(const PluginDib* source, PluginDib* result, int m, filter_rows::RowProgress& progress);

PluginDib* SpreadDib(const PictureHostServices* host, const PluginDib* source, int m);
PluginPicture* SpreadPicture(const PictureHostServices* host, const PluginPicture* picture, int m);
