// Flip, mirror, the rotations, halving, the smooth doubling and the smooth
// resize.
#include <gtest/gtest.h>

#include <utility>

#include "effects_test_util.h"
#include "transforms.h"

namespace {

// A w x h picture of distinct, non-black values.
DibPtr Numbered(int width, int height) {
    DibPtr block(CreateDib(width, height));
    for (int i = 0; i < width * height; ++i) Pixels32(block.get())[i] = 0x00100000u + i * 7919u;
    return block;
}

// --- Flip and mirror -------------------------------------------------------

TEST(FlipMirrorTest, FlipSwapsRowsAroundAnOddMiddle) {
    DibPtr block = MakeDib(2, 3, {1, 2, 3, 4, 5, 6});
    ASSERT_TRUE(FlipDib(block.get()));
    EXPECT_EQ(PixelsOf(block.get()), (std::vector<DWORD>{5, 6, 3, 4, 1, 2}));
    DibPtr even = MakeDib(1, 4, {1, 2, 3, 4});
    ASSERT_TRUE(FlipDib(even.get()));
    EXPECT_EQ(PixelsOf(even.get()), (std::vector<DWORD>{4, 3, 2, 1}));
}

TEST(FlipMirrorTest, FlipHandlesRowsLongerThanItsBuffer) {
    DibPtr block = Numbered(3001, 3);
    std::vector<DWORD> before = PixelsOf(block.get());
    ASSERT_TRUE(FlipDib(block.get()));
    for (int x = 0; x < 3001; ++x) {
        ASSERT_EQ(At(block.get(), x, 0), before[2 * 3001 + x]) << x;
        ASSERT_EQ(At(block.get(), x, 1), before[3001 + x]) << x;
        ASSERT_EQ(At(block.get(), x, 2), before[x]) << x;
    }
}

TEST(FlipMirrorTest, MirrorSwapsColumnsInEveryRow) {
    DibPtr block = MakeDib(3, 2, {1, 2, 3, 4, 5, 6});
    ASSERT_TRUE(MirrorDib(block.get()));
    EXPECT_EQ(PixelsOf(block.get()), (std::vector<DWORD>{3, 2, 1, 6, 5, 4}));
    DibPtr even = MakeDib(4, 1, {1, 2, 3, 4});
    ASSERT_TRUE(MirrorDib(even.get()));
    EXPECT_EQ(PixelsOf(even.get()), (std::vector<DWORD>{4, 3, 2, 1}));
}

TEST(FlipMirrorTest, RefusesNullAndOtherDepths) {
    EXPECT_FALSE(FlipDib(nullptr));
    EXPECT_FALSE(MirrorDib(nullptr));
    DibPtr block(CreateDib(4, 4));
    ASSERT_EQ(SetDibFormat(block.get(), 24), 1);
    EXPECT_FALSE(FlipDib(block.get()));
    EXPECT_FALSE(MirrorDib(block.get()));
    EXPECT_EQ(RotateDib(block.get(), 90), nullptr);
    EXPECT_EQ(DoubleDibSmooth(block.get()), nullptr);
}

// --- Rotation --------------------------------------------------------------

TEST(RotateTest, NormalisesAngles) {
    EXPECT_EQ(NormaliseAngle(0), 0);
    EXPECT_EQ(NormaliseAngle(-90), 270);
    EXPECT_EQ(NormaliseAngle(450), 90);
    EXPECT_EQ(NormaliseAngle(-450), 270);
    EXPECT_EQ(NormaliseAngle(-360), 0);
    EXPECT_EQ(NormaliseAngle(-1), 359);
    EXPECT_EQ(NormaliseAngle(720), 0);
    EXPECT_EQ(NormaliseAngle(359), 359);
}

// 1 2 3
// 4 5 6
DibPtr ThreeByTwo() { return MakeDib(3, 2, {1, 2, 3, 4, 5, 6}); }

TEST(RotateTest, QuarterTurns) {
    DibPtr source = ThreeByTwo();
    DibPtr copy(RotateDib(source.get(), 0));
    ASSERT_TRUE(copy);
    EXPECT_NE(copy.get(), source.get());
    EXPECT_EQ(PixelsOf(copy.get()), PixelsOf(source.get()));

    // Counter-clockwise: the top-right corner comes to the top-left.
    DibPtr left(RotateDib(source.get(), 90));
    ASSERT_TRUE(left);
    ASSERT_EQ(DibWidth(left.get()), 2);
    ASSERT_EQ(DibHeight(left.get()), 3);
    EXPECT_EQ(PixelsOf(left.get()), (std::vector<DWORD>{3, 6, 2, 5, 1, 4}));

    DibPtr half(RotateDib(source.get(), 180));
    ASSERT_TRUE(half);
    EXPECT_EQ(DibWidth(half.get()), 3);
    EXPECT_EQ(PixelsOf(half.get()), (std::vector<DWORD>{6, 5, 4, 3, 2, 1}));

    // Clockwise: the bottom-left corner comes to the top-left.
    DibPtr right(RotateDib(source.get(), 270));
    ASSERT_TRUE(right);
    ASSERT_EQ(DibWidth(right.get()), 2);
    ASSERT_EQ(DibHeight(right.get()), 3);
    EXPECT_EQ(PixelsOf(right.get()), (std::vector<DWORD>{4, 1, 5, 2, 6, 3}));

    DibPtr minus90(RotateDib(source.get(), -90));
    DibPtr plus450(RotateDib(source.get(), 450));
    ASSERT_TRUE(minus90);
    ASSERT_TRUE(plus450);
    EXPECT_EQ(PixelsOf(minus90.get()), PixelsOf(right.get()));
    EXPECT_EQ(PixelsOf(plus450.get()), PixelsOf(left.get()));

    SIZE size = RotatedSize(3, 2, -270);
    EXPECT_EQ(size.cx, 2);
    EXPECT_EQ(size.cy, 3);
    size = RotatedSize(3, 2, 540);
    EXPECT_EQ(size.cx, 3);
    EXPECT_EQ(size.cy, 2);
}

TEST(RotateTest, FourQuarterTurnsAndTwoFlipsGiveTheOriginalBack) {
    // Odd sizes and longer than one cache tile, so the tiled loops meet
    // their short edges.
    DibPtr source = Numbered(37, 45);
    const std::vector<DWORD> original = PixelsOf(source.get());
    for (int angle : {90, 270, -90}) {
        DibPtr turned(RotateDib(source.get(), angle));
        for (int i = 0; i < 3; ++i) {
            ASSERT_TRUE(turned);
            turned.reset(RotateDib(turned.get(), angle));
        }
        ASSERT_TRUE(turned);
        EXPECT_EQ(DibWidth(turned.get()), 37);
        EXPECT_EQ(PixelsOf(turned.get()), original) << angle;
    }
    DibPtr half(RotateDib(source.get(), 180));
    DibPtr whole(RotateDib(half.get(), 180));
    EXPECT_EQ(PixelsOf(whole.get()), original);
    // A half turn is a flip and a mirror.
    DibPtr flipped = Numbered(37, 45);
    FlipDib(flipped.get());
    MirrorDib(flipped.get());
    EXPECT_EQ(PixelsOf(flipped.get()), PixelsOf(half.get()));
    FlipDib(flipped.get());
    FlipDib(flipped.get());
    MirrorDib(flipped.get());
    MirrorDib(flipped.get());
    EXPECT_EQ(PixelsOf(flipped.get()), PixelsOf(half.get()));
}

TEST(RotateTest, AnyAngleSizeComesFromTheTruncatedCorners) {
    // 45 degrees: s = -0.70710677, c = 0.70710677; corners x 0, -35, 35, 70
    // and y 0, 35, -35, -70.
    SIZE size = RotatedSize(100, 50, 45);
    EXPECT_EQ(size.cx, 105);
    EXPECT_EQ(size.cy, 105);
    // 30 degrees: s = -0.5, c = 0.8660254; x 0, -25, 61 (86.60 - 25),
    // 86 and y 0, 43, -6 (-50 + 43.30), -50.
    size = RotatedSize(100, 50, 30);
    EXPECT_EQ(size.cx, 111);
    EXPECT_EQ(size.cy, 93);
    // 1 degree loses a column to the truncation: x 0, 0, 99, 99.
    size = RotatedSize(100, 50, 1);
    EXPECT_EQ(size.cx, 99);
    EXPECT_EQ(size.cy, 50);
    size = RotatedSize(100, 50, -330);
    EXPECT_EQ(size.cx, 111);
    EXPECT_EQ(size.cy, 93);
}

TEST(RotateTest, FortyFiveDegreesLeavesBlackCorners) {
    DibPtr source = Numbered(100, 50);
    DibPtr turned(RotateDib(source.get(), 45));
    ASSERT_TRUE(turned);
    ASSERT_EQ(DibWidth(turned.get()), 105);
    ASSERT_EQ(DibHeight(turned.get()), 105);
    EXPECT_EQ(At(turned.get(), 0, 0), 0u);
    EXPECT_EQ(At(turned.get(), 104, 0), 0u);
    EXPECT_EQ(At(turned.get(), 0, 104), 0u);
    EXPECT_EQ(At(turned.get(), 104, 104), 0u);
    EXPECT_NE(At(turned.get(), 52, 52), 0u);
}

TEST(RotateTest, ThirtyDegreesMapsEachPixelThroughTheSinglePrecisionFormula) {
    // 7 x 4 turned 30 degrees: 8 x 6, X from -2, Y from -3.  E.g. result
    // (0, 2) is X -2, Y -1, t 0: source (trunc(0.5), trunc(-0.866)) =
    // (0, 0), where rounding down would have left it black.
    DibPtr source = CoordinateDib(7, 4);
    DibPtr turned(RotateDib(source.get(), 30));
    ASSERT_TRUE(turned);
    ASSERT_EQ(DibWidth(turned.get()), 8);
    ASSERT_EQ(DibHeight(turned.get()), 6);
    const int none = -1;
    const std::pair<int, int> expected[6][8] = {
        {{none, 0}, {none, 0}, {none, 0}, {none, 0}, {4, 0}, {5, 0}, {6, 0}, {none, 0}},
        {{none, 0}, {none, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 1}, {none, 0}},
        {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {3, 1}, {4, 1}, {5, 2}, {6, 2}},
        {{0, 0}, {0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 3}, {6, 3}},
        {{0, 0}, {0, 1}, {1, 1}, {2, 2}, {2, 2}, {3, 3}, {4, 3}, {none, 0}},
        {{none, 0}, {0, 2}, {0, 2}, {1, 3}, {2, 3}, {none, 0}, {none, 0}, {none, 0}},
    };
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) {
            DWORD p = At(turned.get(), x, y);
            if (expected[y][x].first == none) {
                EXPECT_EQ(p, 0u) << x << "," << y;
            } else {
                EXPECT_EQ(p, Rgb(0x40, expected[y][x].second, expected[y][x].first)) << x << "," << y;
            }
        }
}

TEST(RotateTest, ThirtyDegreesTurnsCounterClockwise) {
    // The source's top-right corner becomes the highest point.
    DibPtr source = CoordinateDib(100, 50);
    DibPtr turned(RotateDib(source.get(), 30));
    ASSERT_TRUE(turned);
    ASSERT_EQ(DibWidth(turned.get()), 111);
    ASSERT_EQ(DibHeight(turned.get()), 93);
    int shown = 0;
    for (int x = 0; x < 111; ++x) {
        DWORD p = At(turned.get(), x, 0);
        if (!p) continue;
        ++shown;
        EXPECT_GE(XOf(p), 97) << x;
        EXPECT_LE(YOf(p), 1) << x;
    }
    EXPECT_GT(shown, 0);
    // The middle stays near the middle.
    DWORD middle = At(turned.get(), 55, 46);
    EXPECT_EQ(XOf(middle), 49);
    EXPECT_EQ(YOf(middle), 24);
}

// --- Halving, doubling and resizing ----------------------------------------

TEST(HalveTest, KeepsEveryOtherPixelFromTheNearestNeighbourMap) {
    DibPtr source = CoordinateDib(5, 5);
    DibPtr half(HalveDib(source.get()));
    ASSERT_TRUE(half);
    ASSERT_EQ(DibWidth(half.get()), 2);
    ASSERT_EQ(DibHeight(half.get()), 2);
    EXPECT_EQ(PixelsOf(half.get()),
              (std::vector<DWORD>{Rgb(0x40, 0, 0), Rgb(0x40, 0, 2), Rgb(0x40, 2, 0), Rgb(0x40, 2, 2)}));
    DibPtr four = CoordinateDib(4, 4);
    EXPECT_TRUE(DibPtr(HalveDib(four.get())));
    DibPtr narrow = CoordinateDib(3, 5);
    EXPECT_EQ(HalveDib(narrow.get()), nullptr);
    DibPtr low = CoordinateDib(5, 3);
    EXPECT_EQ(HalveDib(low.get()), nullptr);
}

TEST(DoubleTest, BothPassesOnTwoByTwo) {
    // Red 0xFF at (1,0) carries into the spare byte in the averages; the
    // spare byte of (1,1) is 1.
    DibPtr source = MakeDib(2, 2, {0x00000010, 0x00FF2080, 0x00FFFFFF, 0x01020304});
    DibPtr doubled(DoubleDibSmooth(source.get()));
    ASSERT_TRUE(doubled);
    ASSERT_EQ(DibWidth(doubled.get()), 4);
    ASSERT_EQ(DibHeight(doubled.get()), 4);
    // Pass 1 alone would give
    //   00000010 01801149 00FF2080 01FF2181
    //   01808088 01814966 01811243 01811243
    //   00FFFFFF 01818182 01020304 01030305
    //   01FFFFFF 01818183 01030305 01030305
    // e.g. (1,0) = avg(0x00FF2080, 0x10) = (0x01FF2181 + 0x01010111) >> 1.
    // Pass 2 changes the four inner pixels, left to right with the new
    // left neighbour: (1,1) from v = 0x01814967, u = 0x01814B67 becomes
    // 0x01814A67, and (2,1) uses that.
    EXPECT_EQ(PixelsOf(doubled.get()),
              (std::vector<DWORD>{0x00000010, 0x01801149, 0x00FF2080, 0x01FF2181,
                                  0x01808088, 0x01814A67, 0x01811A48, 0x01811243,
                                  0x00FFFFFF, 0x01817B80, 0x0123151D, 0x01030305,
                                  0x01FFFFFF, 0x01818183, 0x01030305, 0x01030305}));
}

TEST(DoubleTest, OnePixelAndOneRow) {
    // No inner pixels: pass 1 only, the pixel standing in for all its
    // neighbours.
    DibPtr dot = MakeDib(1, 1, {0x00000010});
    DibPtr doubled(DoubleDibSmooth(dot.get()));
    ASSERT_TRUE(doubled);
    EXPECT_EQ(PixelsOf(doubled.get()),
              (std::vector<DWORD>{0x00000010, 0x01010111, 0x01010111, 0x01010111}));
}

TEST(ResizeTest, ShrinkReadsThePictureThroughTheScalerMap) {
    // 7 to 3: r = 2.3333333, columns and rows 0, 2, 4.
    DibPtr source = CoordinateDib(7, 7);
    DibPtr small(ResizeDibSmooth(source.get(), 3, 3));
    ASSERT_TRUE(small);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(At(small.get(), x, y), Rgb(0x40, 2 * y, 2 * x));
    // Equal size is a copy.
    DibPtr same(ResizeDibSmooth(source.get(), 7, 7));
    ASSERT_TRUE(same);
    EXPECT_EQ(PixelsOf(same.get()), PixelsOf(source.get()));
}

TEST(ResizeTest, EnlargeReadsTheSmoothDoubling) {
    // 3 to 7: the doubling is 6 wide, r = 6 / 7 = 0.85714287, columns
    // 0 0 1 2 3 4 5; its 6 rows to 2: r = 3, rows 0 and 3.
    DibPtr source = Numbered(3, 3);
    DibPtr doubled(DoubleDibSmooth(source.get()));
    DibPtr resized(ResizeDibSmooth(source.get(), 7, 2));
    ASSERT_TRUE(doubled);
    ASSERT_TRUE(resized);
    const int columns[7] = {0, 0, 1, 2, 3, 4, 5};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(At(resized.get(), x, y), At(doubled.get(), columns[x], 3 * y)) << x << "," << y;
}

TEST(ResizeTest, ExactlyTwiceIsTheSmoothDoubling) {
    DibPtr source = Numbered(5, 3);
    DibPtr doubled(DoubleDibSmooth(source.get()));
    DibPtr resized(ResizeDibSmooth(source.get(), 10, 6));
    ASSERT_TRUE(doubled);
    ASSERT_TRUE(resized);
    EXPECT_EQ(PixelsOf(resized.get()), PixelsOf(doubled.get()));
    EXPECT_EQ(ResizeDibSmooth(source.get(), 0, 6), nullptr);
    EXPECT_EQ(ResizeDibSmooth(source.get(), 10, -1), nullptr);
}

}  // namespace
