// The viewer's zoom steps and the rules of the zoom commands.
#pragma once

constexpr int kZoomSteps = 14;
constexpr int kZoomNormalIndex = 7;       // 100 %
constexpr int kZoomAfterSelection = 14;   // one past the last step
constexpr int kZoomPixelLimit = 32768;    // no zoomed side may reach this

// 5 10 15 20 30 50 70 100 150 200 300 500 700 1000; indices outside the
// table give the nearest end.
int ZoomPercent(int index);

// Smallest index whose percent is not below `percent` (13 when none is).
int ZoomIndexAtLeast(int percent);

// The zoom a Zoom In to `wantedIndex` really applies to a picture of the
// given size: lowered by 200 points while a zoomed side would reach 32768
// pixels.  0 when no zoom above 0 fits (the caller keeps the old zoom).
int FittingZoom(int wantedPercent, int width, int height);

// Process-wide current zoom index (starts at 7, kept from picture to picture).
int CurrentZoomIndex();
void SetCurrentZoomIndex(int index);
