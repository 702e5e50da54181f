#include "browser_layout.h"

#include <algorithm>

namespace {

constexpr int kDefaultTreeLine = 150;
constexpr int kDefaultPreviewFromRight = 150;
constexpr int kSmallestTreeLine = 81;
constexpr int kMinimumPane = 8;

// Puts `position` into [low, high]; a divider that had to move remembers
// where it wanted to be, and one with room again goes back there.
void Fit(int& position, int& saved, int low, int high) {
    int wanted = saved ? saved : position;
    if (high < low) high = low;
    int fitted = std::min(std::max(wanted, low), high);
    saved = fitted != wanted ? wanted : 0;
    position = fitted;
}

}  // namespace

BrowserLayout InitialBrowserLayout(const RECT& client, int treeLine, int previewLine, int listLine, int savedTree,
                                   int savedPreview, int savedList) {
    BrowserLayout l;
    l.client = client;  // not shrinking: the first fit keeps a 150-pixel preview
    l.treeX = treeLine < kSmallestTreeLine ? client.left + kDefaultTreeLine : treeLine;
    l.previewX = previewLine < 1 ? client.right - kDefaultPreviewFromRight : previewLine;
    l.listY = std::max(listLine, kDividerMinimum);
    l.savedTreeX = savedTree > 0 ? savedTree : 0;
    l.savedPreviewX = savedPreview > 0 ? savedPreview : 0;
    l.savedListY = savedList > 0 ? savedList : 0;
    FitBrowserLayout(l, client);
    return l;
}

void FitBrowserLayout(BrowserLayout& l, const RECT& client) {
    // A shrinking window keeps the shown preview at least 200 pixels wide;
    // otherwise its divider only keeps the 100 pixels a drag keeps.
    const bool shrinking = client.right < l.client.right;
    l.client = client;
    Fit(l.treeX, l.savedTreeX, client.left + kDividerMinimum, client.right - kDividerMinimum);
    if (l.previewHidden) {
        l.previewX = client.right;
    } else {
        Fit(l.previewX, l.savedPreviewX, l.treeX + kDividerThickness + kDividerMinimum,
            client.right - (shrinking ? kPreviewRightMinimum : kDividerMinimum));
        // However narrow the window, the panes never overlap.
        l.previewX = std::min(std::max(l.previewX, l.treeX + kDividerThickness), static_cast<int>(client.right));
    }
    Fit(l.listY, l.savedListY, client.top + kDividerMinimum, client.bottom - kDividerMinimum);
    l.listY = std::min(std::max(l.listY, static_cast<int>(client.top)), static_cast<int>(client.bottom));
}

RECT TreePaneRect(const BrowserLayout& l) { return RECT{l.client.left, l.client.top, l.treeX, l.client.bottom}; }

RECT TreeDividerRect(const BrowserLayout& l) {
    return RECT{l.treeX, l.client.top, l.treeX + kDividerThickness, l.client.bottom};
}

RECT PreviewDividerRect(const BrowserLayout& l) {
    return RECT{l.previewX, l.client.top, l.previewX + kDividerThickness, l.listY};
}

RECT PreviewAreaRect(const BrowserLayout& l) {
    int left = std::min(l.previewX + kDividerThickness, static_cast<int>(l.client.right));
    return RECT{left, l.client.top, l.client.right, l.listY};
}

RECT BannerAreaRect(const BrowserLayout& l) {
    return RECT{l.treeX + kDividerThickness, l.client.top, std::max(l.previewX, l.treeX + kDividerThickness), l.listY};
}

RECT ListDividerRect(const BrowserLayout& l) {
    return RECT{l.treeX + kDividerThickness, l.listY, l.client.right, l.listY + kDividerThickness};
}

RECT ListAreaRect(const BrowserLayout& l) {
    return RECT{l.treeX + kDividerThickness, l.listY + kDividerThickness, l.client.right, l.client.bottom};
}

int DividerAt(const BrowserLayout& l, POINT p) {
    RECT tree = TreeDividerRect(l), preview = PreviewDividerRect(l), list = ListDividerRect(l);
    if (PtInRect(&tree, p)) return 1;
    if (!l.previewHidden && PtInRect(&preview, p)) return 2;
    if (PtInRect(&list, p)) return 3;
    return 0;
}

RECT DividerDragRange(const BrowserLayout& l, int divider) {
    const RECT& r = l.client;
    struct {
        int left, top, right, bottom;
    } c{static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.right), static_cast<int>(r.bottom)};
    switch (divider) {
    case 1:
        return RECT{c.left + kDividerMinimum, c.top, std::max(l.previewX - kDividerMinimum, c.left + kDividerMinimum + 1),
                    c.bottom};
    case 2:
        return RECT{l.treeX + kDividerMinimum, c.top,
                    std::max(c.right - kDividerMinimum, l.treeX + kDividerMinimum + 1), l.listY};
    case 3:
        return RECT{l.treeX, c.top + kDividerMinimum, c.right,
                    std::max(c.bottom - kDividerMinimum, c.top + kDividerMinimum + 1)};
    default:
        return r;
    }
}

void MoveDivider(BrowserLayout& l, int divider, int position) {
    if (divider == 1) {
        int shift = position - l.treeX;
        l.treeX = position;
        // The preview divider keeps its distance when the tree grows into it.
        if (l.previewX < l.treeX + kDividerMinimum) l.previewX += shift;
        l.savedTreeX = 0;
    } else if (divider == 2) {
        l.previewX = position;
        l.savedPreviewX = 0;
    } else if (divider == 3) {
        l.listY = position;
        l.savedListY = 0;
    }
    FitBrowserLayout(l, l.client);
}

void WheelPreview(BrowserLayout& l, int notches) {
    if (l.previewHidden || notches == 0) return;
    const RECT& c = l.client;
    int previewX = l.previewX - notches * kWheelStep;
    int listY = l.listY + notches * kWheelStep;
    previewX = std::min(std::max(previewX, l.treeX + kDividerMinimum), static_cast<int>(c.right) - kDividerMinimum);
    listY = std::min(std::max(listY, static_cast<int>(c.top) + kDividerMinimum),
                     static_cast<int>(c.bottom) - kDividerMinimum);
    l.previewX = previewX;
    l.listY = listY;
    l.savedPreviewX = l.savedListY = 0;
}

void SetPreviewHidden(BrowserLayout& l, bool hidden) {
    l.previewHidden = hidden;
    l.savedPreviewX = 0;
    l.previewX = hidden ? l.client.right : l.client.right - kDividerMinimum;
    if (!hidden) l.previewX = std::max(l.previewX, l.treeX + kDividerThickness);
}

RECT PreviewPaneRect(const RECT& area, int pictureWidth, int pictureHeight, int previewSize) {
    int areaWidth = std::max(0, static_cast<int>(area.right - area.left) - 2 * kPreviewMargin);
    int areaHeight = std::max(0, static_cast<int>(area.bottom - area.top) - 2 * kPreviewMargin);
    int width = pictureWidth, height = pictureHeight;
    if (width <= 0 || height <= 0) {
        width = height = kMinimumPane;
    } else if (previewSize == 0) {
        // Fitted, aspect kept, never enlarged.
        if (width > areaWidth || height > areaHeight) {
            long long w = static_cast<long long>(width) * areaHeight / height;
            if (w <= areaWidth) {
                width = static_cast<int>(w);
                height = areaHeight;
            } else {
                height = static_cast<int>(static_cast<long long>(height) * areaWidth / width);
                width = areaWidth;
            }
        }
    } else {
        int percent = previewSize == 1 ? 100 : previewSize == 2 ? 50 : previewSize == 4 ? 25 : 12;
        width = static_cast<int>(static_cast<long long>(width) * percent / 100);
        height = static_cast<int>(static_cast<long long>(height) * percent / 100);
        width = std::min(width, areaWidth);
        height = std::min(height, areaHeight);
    }
    width = std::max(width, kMinimumPane);
    height = std::max(height, kMinimumPane);
    int left = area.left + kPreviewMargin + (areaWidth - width) / 2;
    int top = area.top + kPreviewMargin + (areaHeight - height) / 2;
    return RECT{left, top, left + width, top + height};
}
