// The browser's panes and the three dividers between them: the tree divider
// (vertical, full height), the preview divider (vertical, from the top down
// to the list divider) and the list divider (horizontal, across the list
// area).  Pure geometry over the client area left by toolbar and status bar.
#pragma once

#include <windows.h>

constexpr int kDividerThickness = 4;
constexpr int kDividerMinimum = 100;         // from the edges the divider separates
constexpr int kPreviewRightMinimum = 200;    // preview divider from the right, preview shown
constexpr int kPreviewMargin = 3;            // preview pane inside its area
constexpr int kWheelStep = 10;               // divider pixels per wheel notch over the preview

struct BrowserLayout {
    RECT client{};          // client area less toolbar and status bar
    int treeX = 0;          // left edge of the tree divider
    int previewX = 0;       // left edge of the preview divider
    int listY = 0;          // top edge of the list divider
    int savedTreeX = 0;     // where a divider was before the window pushed it ("Save...Line"), 0 none
    int savedPreviewX = 0;
    int savedListY = 0;
    bool previewHidden = false;
};

// First layout from the settings' values: a tree line below 81 gives client
// left + 150, a preview line below 1 gives client right - 150, a list line
// below 100 gives 100; then fitted to the client area.
BrowserLayout InitialBrowserLayout(const RECT& client, int treeLine, int previewLine, int listLine, int savedTree,
                                   int savedPreview, int savedList);

// After the client area changed: dividers that would come closer than the
// minimum to an edge are pushed away and their wanted place remembered; when
// the window grows again past it, a divider returns there.
void FitBrowserLayout(BrowserLayout& layout, const RECT& client);

// Pane rectangles.
RECT TreePaneRect(const BrowserLayout& l);
RECT TreeDividerRect(const BrowserLayout& l);
RECT PreviewDividerRect(const BrowserLayout& l);
RECT PreviewAreaRect(const BrowserLayout& l);
RECT BannerAreaRect(const BrowserLayout& l);   // above the list, left of the preview
RECT ListDividerRect(const BrowserLayout& l);
RECT ListAreaRect(const BrowserLayout& l);      // tab strip and list below the list divider

// Which divider a client point is on: 1 tree, 2 preview, 3 list, 0 none.
int DividerAt(const BrowserLayout& l, POINT p);

// The range a dragged divider may move in (cursor clip), in client
// coordinates: the bar stays 100 pixels from the edges of what it separates.
RECT DividerDragRange(const BrowserLayout& l, int divider);
// Moves a divider to a dragged position (already within its range).
void MoveDivider(BrowserLayout& l, int divider, int position);

// One wheel notch over the preview: forward (+1) moves the preview divider
// left and the list divider down by 10, backward the other way; never closer
// than 100 to the tree divider, the client right, top or bottom.
void WheelPreview(BrowserLayout& l, int notches);

// Shows or hides the preview: hiding puts its divider at the client right,
// showing 100 pixels left of it.
void SetPreviewHidden(BrowserLayout& l, bool hidden);

// The preview pane inside its area for a picture of the given size and
// preview size (0 fit, 1, 2, 4, 8 = 100 %, 50 %, 25 %, 12 %): centred with
// the margin, clipped, at least 8 x 8.
RECT PreviewPaneRect(const RECT& area, int pictureWidth, int pictureHeight, int previewSize);
