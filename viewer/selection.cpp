#include "selection.h"

#include "zoom.h"

namespace {

constexpr int kMostSelectionZoom = 2000;

// One axis of SelectionToPicture: [first, last) of `side` picture pixels.
void MapAxis(LONG from, LONG to, LONG scroll, int zoom, LONG side, LONG* first, LONG* last) {
    long long a = (static_cast<long long>(from) + scroll) * 100 / zoom;
    long long b = (static_cast<long long>(to) + scroll) * 100 / zoom;
    if (a < 0) a = 0;
    if (b > side) b = side;
    if (a > side - 1) a = side - 1;
    if (b <= a) b = a + 1;
    *first = static_cast<LONG>(a);
    *last = static_cast<LONG>(b);
}

int Clamp(long long value, int low, int high) {
    if (value < low) return low;
    if (value > high) return high;
    return static_cast<int>(value);
}

}  // namespace

RECT SelectionToPicture(const RECT& client, POINT scroll, int zoom, SIZE picture) {
    RECT r = {0, 0, 0, 0};
    if (zoom <= 0 || picture.cx <= 0 || picture.cy <= 0) return r;
    MapAxis(client.left, client.right, scroll.x, zoom, picture.cx, &r.left, &r.right);
    MapAxis(client.top, client.bottom, scroll.y, zoom, picture.cy, &r.top, &r.bottom);
    return r;
}

int LargestFittingZoom(int width, int height) {
    const int side = width > height ? width : height;
    if (side <= 0) return 0;
    // side * p / 100 (truncated) stays at most 32767.
    const long long most = (static_cast<long long>(kZoomPixelLimit - 1) * 100 + 99) / side;
    for (long long p = most; p > 0; --p)
        if (static_cast<long long>(side) * p / 100 < kZoomPixelLimit) return static_cast<int>(p);
    return 0;
}

bool ZoomToArea(const RECT& area, SIZE available, SIZE picture, AreaZoom* out) {
    const long long width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0 || picture.cx <= 0 || picture.cy <= 0) return false;
    const long long availableWidth = available.cx > 1 ? available.cx : 1;
    const long long availableHeight = available.cy > 1 ? available.cy : 1;
    const long long across = availableWidth * 100 / width, down = availableHeight * 100 / height;
    const int wanted = Clamp(across < down ? across : down, 1, kMostSelectionZoom);

    const long long centreX = (static_cast<long long>(area.left) + area.right) / 2;
    const long long centreY = (static_cast<long long>(area.top) + area.bottom) / 2;
    long long x = centreX - availableWidth * 100 / wanted / 2;
    long long y = centreY - availableHeight * 100 / wanted / 2;
    x = (x > 0 ? x : 0) * wanted / 100;
    y = (y > 0 ? y : 0) * wanted / 100;

    int applied = FittingZoom(wanted, picture.cx, picture.cy);
    // Lowering by 200 points from 200 % or less passes 0 before a huge
    // picture fits: the largest zoom that does fit is taken instead.
    if (applied <= 0) applied = LargestFittingZoom(picture.cx, picture.cy);
    if (applied <= 0) return false;
    if (applied != wanted) {
        x = x * applied / wanted;
        y = y * applied / wanted;
    }
    out->wanted = wanted;
    out->applied = applied;
    out->scroll.x = static_cast<LONG>(x);
    out->scroll.y = static_cast<LONG>(y);
    out->index = wanted > ZoomPercent(kZoomSteps - 1) ? kZoomAfterSelection : ZoomIndexAtLeast(wanted);
    return true;
}
