// The whole-picture effects: Abstract, Mosaic, Glass, Emboss and the pencil
// sketch.
#include <gtest/gtest.h>

#include <stdlib.h>

#include "colour_effects.h"
#include "effects_test_util.h"

namespace {

// --- Abstract --------------------------------------------------------------

TEST(AbstractTest, EveryPixelComesFromWithinEightOfItsPlace) {
    DibPtr source = CoordinateDib(40, 30);
    DibPtr out(CreateDib(40, 30));
    srand(12345);
    AbstractDib(source.get(), out.get(), 16);
    int moved = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            DWORD p = At(out.get(), x, y);
            ASSERT_EQ(p & 0xFF0000, 0x400000u) << "not a source pixel at " << x << "," << y;
            int sx = XOf(p), sy = YOf(p);
            EXPECT_GE(sx, x - 8);
            EXPECT_LE(sx, x + 8);
            EXPECT_GE(sy, y - 8);
            EXPECT_LE(sy, y + 8);
            EXPECT_LT(sx, 40);
            EXPECT_LT(sy, 30);
            if (sx != x || sy != y) ++moved;
        }
    EXPECT_GT(moved, 40 * 30 / 2) << "hardly any jitter";
}

TEST(AbstractTest, TheSeedDecidesThePicture) {
    DibPtr source = CoordinateDib(20, 20);
    DibPtr a(CreateDib(20, 20)), b(CreateDib(20, 20)), c(CreateDib(20, 20));
    srand(7);
    AbstractDib(source.get(), a.get(), 16);
    srand(7);
    AbstractDib(source.get(), b.get(), 16);
    srand(8);
    AbstractDib(source.get(), c.get(), 16);
    EXPECT_EQ(PixelsOf(a.get()), PixelsOf(b.get()));
    EXPECT_NE(PixelsOf(a.get()), PixelsOf(c.get()));
}

TEST(AbstractTest, OnePixelWideKeepsItsColumn) {
    // Only column 0 lies inside: the draw repeats until it lands there.
    DibPtr source = CoordinateDib(1, 12);
    DibPtr out(CreateDib(1, 12));
    srand(3);
    AbstractDib(source.get(), out.get(), 16);
    for (int y = 0; y < 12; ++y) EXPECT_EQ(XOf(At(out.get(), 0, y)), 0);
}

// --- Mosaic ----------------------------------------------------------------

TEST(MosaicTest, AveragesEachBlockInRowOrder) {
    // 2 x 2 blocks of a 3 x 2 picture: the left block's running average over
    // 0x10, 0x30 (top row), 0x50, 0x70 with the low bits set:
    // 0x01010109, 0x0101011D, 0x01010137, 0x01010154.  Column order would
    // give 0x01010150.  The right block is one column wide: 0x40, 0x60 give
    // 0x01010121, then 0x01010141.
    DibPtr block = MakeDib(3, 2, {0x10, 0x30, 0x40, 0x50, 0x70, 0x60});
    MosaicDib(block.get(), 2);
    EXPECT_EQ(PixelsOf(block.get()),
              (std::vector<DWORD>{0x01010154, 0x01010154, 0x01010141, 0x01010154, 0x01010154,
                                  0x01010141}));
}

TEST(MosaicTest, ShortLastBlocksInBothDirections) {
    // 10 x 10 white in blocks of 8: 64, 16 and 16 white pixels settle at
    // 0x01FFFFFF, the 2 x 2 corner block at 0x01F0F0F0 after four steps.
    DibPtr block(CreateDib(10, 10));
    DWORD* p = Pixels32(block.get());
    for (int i = 0; i < 100; ++i) p[i] = 0xFFFFFF;
    // The block has room beyond the picture; nothing may land there.
    for (int i = 100; i < 120; ++i) p[i] = 0xDEADBEEF;
    MosaicDib(block.get(), 8);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(At(block.get(), x, y), x >= 8 && y >= 8 ? 0x01F0F0F0u : 0x01FFFFFFu)
                << x << "," << y;
    for (int i = 100; i < 120; ++i) EXPECT_EQ(p[i], 0xDEADBEEFu);
}

// --- Glass -----------------------------------------------------------------

TEST(GlassTest, RefusesPicturesBelow33x33) {
    const int sizes[3][2] = {{32, 32}, {33, 32}, {32, 33}};
    for (const auto& size : sizes) {
        DibPtr source = CoordinateDib(size[0], size[1]);
        DibPtr out(CreateDib(size[0], size[1]));
        DWORD* o = Pixels32(out.get());
        for (int i = 0; i < size[0] * size[1]; ++i) o[i] = 0x00ABCDEF;
        EXPECT_FALSE(GlassDib(source.get(), out.get())) << size[0] << "x" << size[1];
        for (int i = 0; i < size[0] * size[1]; ++i) ASSERT_EQ(o[i], 0x00ABCDEFu) << "touched";
    }
    DibPtr a = CoordinateDib(40, 40);
    DibPtr b(CreateDib(41, 40));
    EXPECT_FALSE(GlassDib(a.get(), b.get())) << "sizes differ";
}

// Source column of each output column along the top row, and source row of
// each output row along the left column.
std::vector<int> GlassColumns(int width, int height) {
    DibPtr source = CoordinateDib(width, height);
    DibPtr out(CreateDib(width, height));
    EXPECT_TRUE(GlassDib(source.get(), out.get()));
    std::vector<int> columns;
    for (int x = 0; x < width; ++x) columns.push_back(XOf(At(out.get(), x, 0)));
    // Every pixel is the column's map crossed with the row's.
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            DWORD p = At(out.get(), x, y);
            EXPECT_EQ(XOf(p), columns[x]);
            EXPECT_EQ(YOf(p), YOf(At(out.get(), 0, y)));
        }
    return columns;
}

std::vector<int> GlassRows(int width, int height) {
    DibPtr source = CoordinateDib(width, height);
    DibPtr out(CreateDib(width, height));
    EXPECT_TRUE(GlassDib(source.get(), out.get()));
    std::vector<int> rows;
    for (int y = 0; y < height; ++y) rows.push_back(YOf(At(out.get(), 0, y)));
    return rows;
}

TEST(GlassTest, TwoWholeTilesMirrorFromTheirOuterCorners) {
    // 64 wide: the left tile shows 0, 2, ... 60 in columns 0..30; the right
    // tile, anchored at 62, shows 0, 2, ... 62 in columns 31..62 and wins
    // column 31; column 63 keeps the picture's own edge.
    std::vector<int> columns = GlassColumns(64, 33);
    for (int x = 0; x <= 30; ++x) EXPECT_EQ(columns[x], 2 * x) << x;
    for (int x = 31; x <= 62; ++x) EXPECT_EQ(columns[x], 2 * x - 62) << x;
    EXPECT_EQ(columns[63], 63);
}

TEST(GlassTest, OneTileAndAPixelLeavesOnlyTheBottomMapping) {
    // 33 rows: an empty margin tile, one tile of 32 and a tile of 1; both
    // halves reach the middle tile, so the bottom one decides: rows 0..30
    // read 2y - 30 (clamped at 0), row 31 is the last tile's own row and
    // row 32 the picture's edge.
    std::vector<int> rows = GlassRows(64, 33);
    for (int y = 0; y <= 15; ++y) EXPECT_EQ(rows[y], 0) << y;
    for (int y = 16; y <= 30; ++y) EXPECT_EQ(rows[y], 2 * y - 30) << y;
    EXPECT_EQ(rows[31], 31);
    EXPECT_EQ(rows[32], 32);
}

TEST(GlassTest, MarginTileAndRemainder) {
    // 40 wide: tiles [0,4) [4,36) [36,40).  The left margin shows 0, 2, 4;
    // the right tiles, one column further in, cover 3..38: the middle tile
    // reads 2x - 34 (clamped at 0), the last tile 32, 34, 36, 38.
    std::vector<int> columns = GlassColumns(40, 40);
    const int expected[40] = {0, 2, 4, 0, 0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  2,  4,
                              6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30, 32, 34, 32, 34, 36, 38, 39};
    for (int x = 0; x < 40; ++x) EXPECT_EQ(columns[x], expected[x]) << x;
}

TEST(GlassTest, OddTileCountGivesTheMiddleTileToTheRight) {
    // 96 = three tiles; each side takes two.  The left tile keeps 2x up to
    // column 30, the middle tile shows the right mapping 2x - 62, the right
    // tile 2x - 94.
    std::vector<int> columns = GlassColumns(96, 40);
    for (int x = 0; x <= 30; ++x) EXPECT_EQ(columns[x], 2 * x) << x;
    for (int x = 31; x <= 62; ++x) EXPECT_EQ(columns[x], 2 * x - 62) << x;
    for (int x = 63; x <= 94; ++x) EXPECT_EQ(columns[x], 2 * x - 94) << x;
    EXPECT_EQ(columns[95], 95);
}

// --- Emboss ----------------------------------------------------------------

TEST(EmbossTest, UniformPictureTurns180Grey) {
    DibPtr source(CreateDib(5, 5));
    for (int i = 0; i < 25; ++i) Pixels32(source.get())[i] = 0xFF000000 | Rgb(17, 200, 99);
    DibPtr out(CreateDib(5, 5));
    EmbossDib(source.get(), out.get());
    for (int i = 0; i < 25; ++i) EXPECT_EQ(Pixels32(out.get())[i], Grey(180)) << i;
}

TEST(EmbossTest, EdgesReplicateAndChannelsClampApart) {
    // Red     250   0   0     Green  90 100  80     Blue  10 12 15
    //           0   0   0           100  90 120           20 21 30
    // e.g. blue at (0,0): above, above-left and left are the pixel itself:
    // 180 + 2 (20 - 10) + 2 (12 - 10) + (21 - 10) = 215; green at (2,1):
    // 180 + 2 (120 - 80) + 2 (120 - 90) + (120 - 100) = 340, clamped 255.
    DibPtr source = MakeDib(3, 2,
                            {Rgb(250, 90, 10), Rgb(0, 100, 12), Rgb(0, 80, 15),
                             0xFF000000 | Rgb(0, 100, 20), Rgb(0, 90, 21), Rgb(0, 120, 30)});
    DibPtr out(CreateDib(3, 2));
    EmbossDib(source.get(), out.get());
    EXPECT_EQ(PixelsOf(out.get()),
              (std::vector<DWORD>{Rgb(0, 220, 215), Rgb(0, 170, 228), Rgb(180, 240, 234),
                                  Rgb(0, 180, 213), Rgb(0, 230, 238), Rgb(180, 255, 246)}));
}

TEST(EmbossTest, SinglePixelAndSingleColumn) {
    DibPtr dot = MakeDib(1, 1, {Rgb(1, 2, 3)});
    DibPtr out(CreateDib(1, 1));
    EmbossDib(dot.get(), out.get());
    EXPECT_EQ(At(out.get(), 0, 0), Grey(180));
    // A column: only below - above counts (2x) plus below-right - above-left.
    DibPtr column = MakeDib(1, 3, {Grey(10), Grey(20), Grey(40)});
    DibPtr out3(CreateDib(1, 3));
    EmbossDib(column.get(), out3.get());
    // y0: 180 + 2 * 10 + 10; y1: 180 + 2 * 30 + 30; y2: 180 + 2 * 20 + 20.
    EXPECT_EQ(PixelsOf(out3.get()), (std::vector<DWORD>{Grey(210), Grey(255), Grey(240)}));
}

// --- Pencil sketch -----------------------------------------------------------

TEST(PencilTest, UsesTheOriginalLeftPixelAndTheUntouchedRowBelow) {
    // Greys 10 20 / 30 70 in white.  (0,0): l and bl black, b 30:
    // 3 max(10, 20, 10, 30) = 90 -> 165.  (1,0): l 10, b 70, bl 30:
    // 3 max(10, 50, 10, 60) = 180 -> 75.  Last row, b the pixel itself and
    // bl the original left one: (0,1) 3 * 30 -> 165, (1,1) 3 * 40 -> 135.
    DibPtr block = MakeDib(2, 2, {Grey(10), Grey(20), Grey(30), Grey(70)});
    PencilSketchDib(block.get(), 0xFFFFFF);
    EXPECT_EQ(PixelsOf(block.get()),
              (std::vector<DWORD>{Grey(165), Grey(75), Grey(165), Grey(135)}));
}

TEST(PencilTest, LeftNeighbourIsReadBeforeItWasOverwritten) {
    // One row of grey 50: the first pixel becomes 255 - 150 = 105; the
    // second compares with the original 50, not the new 105, and stays
    // white.
    DibPtr block = MakeDib(2, 1, {Grey(50), Grey(50)});
    PencilSketchDib(block.get(), 0xFFFFFF);
    EXPECT_EQ(PixelsOf(block.get()), (std::vector<DWORD>{Grey(105), Grey(255)}));
}

TEST(PencilTest, ColourBlueGoesToRedAndBlue) {
    // Colour red C0, green A0, blue 80: red and blue take 0x80 - m, green
    // 0xA0 - m, none below 0.  m = 150 at the first pixel, 0 at the second.
    DibPtr block = MakeDib(2, 1, {Grey(50), Grey(50)});
    PencilSketchDib(block.get(), Rgb(0xC0, 0xA0, 0x80));
    EXPECT_EQ(PixelsOf(block.get()), (std::vector<DWORD>{Rgb(0, 10, 0), Rgb(0x80, 0xA0, 0x80)}));
}

}  // namespace
