#include "zoom.h"

namespace {

constexpr int kZoomTable[kZoomSteps] = {5, 10, 15, 20, 30, 50, 70, 100, 150, 200, 300, 500, 700, 1000};

int g_currentZoomIndex = kZoomNormalIndex;

// Zoomed side as the view computes it (truncated), without overflowing int.
long long ZoomedSide(int side, int percent) {
    return static_cast<long long>(side) * percent / 100;
}

}  // namespace

int ZoomPercent(int index) {
    if (index < 0) index = 0;
    if (index >= kZoomSteps) index = kZoomSteps - 1;
    return kZoomTable[index];
}

int ZoomIndexAtLeast(int percent) {
    for (int i = 0; i < kZoomSteps; ++i)
        if (kZoomTable[i] >= percent) return i;
    return kZoomSteps - 1;
}

// Lowering by 200 points can pass 0 before the picture fits (a wanted zoom of
// 200 % or less whose next lower value would already be 0 or negative).  The
// answer is then 0 and the caller keeps the zoom it had: Zoom In that shrank
// the picture would surprise the user more than Zoom In doing nothing.
int FittingZoom(int wantedPercent, int width, int height) {
    int percent = wantedPercent;
    while (percent > 0 &&
           (ZoomedSide(width, percent) >= kZoomPixelLimit || ZoomedSide(height, percent) >= kZoomPixelLimit))
        percent -= 200;
    return percent > 0 ? percent : 0;
}

int CurrentZoomIndex() { return g_currentZoomIndex; }

void SetCurrentZoomIndex(int index) {
    if (index < 0) index = 0;
    if (index > kZoomAfterSelection) index = kZoomAfterSelection;
    g_currentZoomIndex = index;
}
