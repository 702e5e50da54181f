// The browser's dividers: where they start, how the window's size pushes
// them and brings them back, the wheel over the preview, and the preview
// pane inside its area.
#include <gtest/gtest.h>
#include <windows.h>

#include "browser_layout.h"

namespace {

const RECT kClient{0, 0, 800, 500};

}  // namespace

TEST(BrowserLayoutTest, FirstStartWithoutSettings) {
    // Unset keys read as their defaults: 150, 0 and 100.
    BrowserLayout l = InitialBrowserLayout(kClient, 150, 0, 100, 0, 0, 0);
    EXPECT_EQ(150, l.treeX) << "150 from the left";
    EXPECT_EQ(650, l.previewX) << "150 from the right";
    EXPECT_EQ(100, l.listY) << "100 from the top";
    // A tree line below 81 and a list line below 100 also give the defaults.
    l = InitialBrowserLayout(kClient, 80, -5, 20, 0, 0, 0);
    EXPECT_EQ(150, l.treeX);
    EXPECT_EQ(650, l.previewX);
    EXPECT_EQ(100, l.listY);
}

TEST(BrowserLayoutTest, ShrinkingPushesTheDividersAndGrowingBringsThemBack) {
    BrowserLayout l = InitialBrowserLayout(kClient, 300, 500, 300, 0, 0, 0);
    FitBrowserLayout(l, RECT{0, 0, 320, 240});
    EXPECT_LE(l.treeX, 320 - kDividerMinimum);
    EXPECT_LE(l.listY, 240 - kDividerMinimum);
    EXPECT_GE(l.previewX, l.treeX + kDividerThickness) << "panes never overlap";
    EXPECT_EQ(300, l.savedTreeX) << "where the tree divider wanted to be";
    EXPECT_EQ(300, l.savedListY);
    FitBrowserLayout(l, kClient);
    EXPECT_EQ(300, l.treeX);
    EXPECT_EQ(500, l.previewX);
    EXPECT_EQ(300, l.listY);
    EXPECT_EQ(0, l.savedTreeX);
    EXPECT_EQ(0, l.savedPreviewX);
    EXPECT_EQ(0, l.savedListY);
}

TEST(BrowserLayoutTest, WheelOverThePreviewMovesBothDividersTenPerNotch) {
    BrowserLayout l = InitialBrowserLayout(kClient, 150, 0, 100, 0, 0, 0);
    l.listY = 200;
    WheelPreview(l, 1);
    EXPECT_EQ(640, l.previewX);
    EXPECT_EQ(210, l.listY);
    WheelPreview(l, -3);
    EXPECT_EQ(670, l.previewX);
    EXPECT_EQ(180, l.listY);
    // Never closer than 100 to the client right or top.
    WheelPreview(l, -50);
    EXPECT_EQ(700, l.previewX);
    EXPECT_EQ(100, l.listY);
    WheelPreview(l, 100);
    EXPECT_EQ(250, l.previewX) << "100 from the tree divider";
    EXPECT_EQ(400, l.listY) << "100 from the bottom";
}

TEST(BrowserLayoutTest, DividersAreFoundAndDraggedWithinTheirRange) {
    BrowserLayout l = InitialBrowserLayout(kClient, 150, 0, 100, 0, 0, 0);
    EXPECT_EQ(1, DividerAt(l, POINT{151, 300}));
    EXPECT_EQ(2, DividerAt(l, POINT{651, 50}));
    EXPECT_EQ(3, DividerAt(l, POINT{400, 101}));
    EXPECT_EQ(0, DividerAt(l, POINT{400, 300}));
    RECT range = DividerDragRange(l, 1);
    EXPECT_EQ(100, range.left);
    EXPECT_EQ(550, range.right) << "100 from the preview divider";
    MoveDivider(l, 3, 250);
    EXPECT_EQ(250, l.listY);
    SetPreviewHidden(l, true);
    EXPECT_EQ(800, l.previewX) << "a hidden preview's divider sits at the client right";
    EXPECT_EQ(0, DividerAt(l, POINT{801, 50}));
    SetPreviewHidden(l, false);
    EXPECT_EQ(700, l.previewX) << "shown again 100 left of the right";
}

TEST(BrowserLayoutTest, PreviewPaneSizes) {
    const RECT area{654, 0, 800, 100};  // 146 x 100, 140 x 94 inside the margin
    RECT fit = PreviewPaneRect(area, 400, 200, 0);
    EXPECT_EQ(140, fit.right - fit.left) << "fitted, aspect kept";
    EXPECT_EQ(70, fit.bottom - fit.top);
    EXPECT_EQ(654 + 3, fit.left);
    RECT small = PreviewPaneRect(area, 40, 20, 0);
    EXPECT_EQ(40, small.right - small.left) << "never enlarged";
    RECT half = PreviewPaneRect(area, 100, 60, 2);
    EXPECT_EQ(50, half.right - half.left);
    EXPECT_EQ(30, half.bottom - half.top);
    RECT eighth = PreviewPaneRect(area, 40, 40, 8);
    EXPECT_EQ(8, eighth.right - eighth.left) << "at least 8 x 8";
    RECT full = PreviewPaneRect(area, 1000, 1000, 1);
    EXPECT_EQ(140, full.right - full.left) << "clipped to the area";
}
