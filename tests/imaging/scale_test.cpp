// Nearest-neighbour scaling.
#include <gtest/gtest.h>

#include <vector>

#include "imaging_test_util.h"

namespace {

TEST(ScaleTest, EnlargesWithSinglePrecisionMaps) {
    // 3 x 2 to 7 x 3: columns x * 3 / 7 -> 0 0 0 1 1 2 2, rows y * 2 / 3 -> 0 0 1.
    DibPtr source = MakeDib(3, 2, {1, 2, 3, 4, 5, 6});
    DibPtr scaled(ScaleDib(source.get(), 7, 3));
    ASSERT_TRUE(scaled);
    EXPECT_EQ(DibWidth(scaled.get()), 7);
    EXPECT_EQ(DibHeight(scaled.get()), 3);
    const DWORD expected[21] = {1, 1, 1, 2, 2, 3, 3,
                                1, 1, 1, 2, 2, 3, 3,
                                4, 4, 4, 5, 5, 6, 6};
    for (int i = 0; i < 21; ++i) EXPECT_EQ(Pixels32(scaled.get())[i], expected[i]) << i;
}

TEST(ScaleTest, ShrinksBySkipping) {
    // 5 x 1 to 2 x 1: columns 0 and (int)(5 / 2) = 2.
    DibPtr source = MakeDib(5, 1, {10, 11, 12, 13, 14});
    DibPtr scaled(ScaleDib(source.get(), 2, 1));
    ASSERT_TRUE(scaled);
    EXPECT_EQ(Pixels32(scaled.get())[0], 10u);
    EXPECT_EQ(Pixels32(scaled.get())[1], 12u);
}

TEST(ScaleTest, ColumnMapRoundsLikeSinglePrecision) {
    // r = (float)(11593.0 / 11594) and 11592 * r rounded to a float lands on
    // 11591.0; dividing the rounded product 11592 * 11593 instead gives
    // 11590.x, and exact arithmetic 11591.00009.
    const int srcWidth = 11593, dstWidth = 11594;
    std::vector<DWORD> src(srcWidth), dst(dstWidth);
    for (int i = 0; i < srcWidth; ++i) src[i] = static_cast<DWORD>(i);
    ASSERT_EQ(ScaleDibNearest(reinterpret_cast<BYTE*>(src.data()), srcWidth, 1, srcWidth * 4,
                              reinterpret_cast<BYTE*>(dst.data()), dstWidth, 1, dstWidth * 4), 1);
    EXPECT_EQ(dst[11592], 11591u);
    EXPECT_EQ(dst[0], 0u);
    EXPECT_EQ(dst[dstWidth - 1], static_cast<DWORD>(srcWidth - 1));
}

TEST(ScaleTest, MapsThroughTheRoundedRatio) {
    // 2 to 82 columns: r = (float)(2.0 / 82) lies below 1/41, so 41 * r
    // rounds to a float just under 1 and target 41 still reads column 0,
    // where 41 * 2 / 82 would give exactly 1.  Rows follow the same rule
    // (82 rows of a 1 x 2 picture).
    DibPtr source = MakeDib(2, 2, {10, 11, 20, 21});
    DibPtr wide(ScaleDib(source.get(), 82, 2));
    ASSERT_TRUE(wide);
    EXPECT_EQ(Pixels32(wide.get())[40], 10u);
    EXPECT_EQ(Pixels32(wide.get())[41], 10u);
    EXPECT_EQ(Pixels32(wide.get())[42], 11u);
    DibPtr tall(ScaleDib(source.get(), 1, 82));
    ASSERT_TRUE(tall);
    EXPECT_EQ(Pixels32(tall.get())[41], 10u);
    EXPECT_EQ(Pixels32(tall.get())[42], 20u);
}

TEST(ScaleTest, RefusesEmptySizesAndOtherDepths) {
    DibPtr source(CreateDib(4, 4));
    EXPECT_EQ(ScaleDib(source.get(), 0, 3), nullptr);
    EXPECT_EQ(ScaleDib(source.get(), 3, 0), nullptr);
    EXPECT_EQ(ScaleDib(nullptr, 3, 3), nullptr);
    ASSERT_EQ(SetDibFormat(source.get(), 24), 1);
    EXPECT_EQ(ScaleDib(source.get(), 3, 3), nullptr);
}

}  // namespace
