// The picture pair: layout, display refresh, scaling, information text and
// the band arithmetic of painting.
#include <gtest/gtest.h>

#include <string>

#include "imaging_test_util.h"
#include "picture.h"

namespace {

struct PictureDeleter {
    void operator()(Picture* picture) const { FreePicture(picture); }
};
using PicturePtr = std::unique_ptr<Picture, PictureDeleter>;

// Restores the module's display depth after each test.
class PictureTest : public ::testing::Test {
protected:
    void SetUp() override { saved_ = GetPictureDisplayDepth(); }
    void TearDown() override { SetPictureDisplayDepth(saved_); }
    int saved_ = 32;
};

bool Inside(const Picture* picture, const DibBlock* block) {
    const BYTE* start = reinterpret_cast<const BYTE*>(picture);
    const BYTE* at = reinterpret_cast<const BYTE*>(block);
    return at > start && at + block->size <= start + LocalSize(const_cast<Picture*>(picture));
}

TEST_F(PictureTest, OneAllocationHoldsBothBlocks) {
    SetPictureDisplayDepth(24);
    PicturePtr picture(CreatePicture(10, 4));
    ASSERT_TRUE(picture);
    DibBlock* working = picture->working;
    DibBlock* display = picture->display;
    EXPECT_TRUE(Inside(picture.get(), working));
    EXPECT_TRUE(Inside(picture.get(), display));
    EXPECT_GE(reinterpret_cast<BYTE*>(display), reinterpret_cast<BYTE*>(working) + working->size);
    EXPECT_EQ(working->header->biBitCount, 32);
    EXPECT_EQ(working->header->biWidth, 10);
    EXPECT_EQ(working->header->biHeight, -4);
    EXPECT_EQ(display->header->biBitCount, 24);
    EXPECT_EQ(display->header->biHeight, -4);
    EXPECT_EQ(display->header->biSizeImage, 32u * 4u);
}

TEST_F(PictureTest, DisplayCopyFitsEveryDisplayDepth) {
    // A one-pixel-wide, tall picture: 24-bit rows are no wider than 8-bit
    // rows, so the colour table needs room of its own.
    for (int depth : {4, 8, 15, 16, 24}) {
        SetPictureDisplayDepth(depth);
        for (int height : {1, 600, 3000}) {
            PicturePtr picture(CreatePicture(1, height));
            ASSERT_TRUE(picture);
            DibBlock* d = picture->display;
            BYTE* end = reinterpret_cast<BYTE*>(d) + d->size;
            EXPECT_LE(d->pixels + d->header->biSizeImage, end) << depth << " " << height;
            EXPECT_GE(d->size, kDibHeadBytes + 2048u);
        }
    }
}

TEST_F(PictureTest, RefreshConvertsForEachDisplayDepth) {
    // One pixel red 0xFF, green 0x84, blue 0x10 (and 52, 51, 0 for 8 bits).
    struct Case { int depth; WORD bits; DWORD compression; DWORD firstMask; WORD pixel; } cases[] = {
        {16, 16, BI_BITFIELDS, 0xF800, 0xFC22}, {15, 16, BI_RGB, 0x7C00, 0x7E02},
        {24, 24, BI_RGB, 0, 0x8410}, {8, 8, BI_RGB, 0, 78}};
    for (const Case& c : cases) {
        SetPictureDisplayDepth(c.depth);
        PicturePtr picture(CreatePicture(1, 1));
        Pixels32(picture->working)[0] = c.depth == 8 ? Bgr(52, 51, 0) : Bgr(0x10, 0x84, 0xFF);
        EXPECT_EQ(RefreshPictureDisplay(picture.get()), 1);
        DibBlock* d = picture->display;
        EXPECT_EQ(d->header->biBitCount, c.bits) << c.depth;
        EXPECT_EQ(d->header->biCompression, c.compression) << c.depth;
        if (c.firstMask) {
            EXPECT_EQ(DibMasks(d)[0], c.firstMask) << c.depth;
        }
        WORD pixel = c.depth == 8 ? d->pixels[0] : *reinterpret_cast<WORD*>(d->pixels);
        EXPECT_EQ(pixel, c.pixel) << c.depth;
    }
}

TEST_F(PictureTest, RowRefreshConvertsOnlyThatRow) {
    SetPictureDisplayDepth(24);
    PicturePtr picture(CreatePicture(1, 3));
    for (int y = 0; y < 3; ++y) Pixels32(picture->working)[y] = Bgr(1, 2, static_cast<BYTE>(3 + y));
    RefreshPictureRow(picture.get(), 1);
    RefreshPictureRow(picture.get(), 7);   // outside: ignored
    EXPECT_EQ(memcmp(Row(picture->display, 0), "\0\0\0", 3), 0);
    EXPECT_EQ(memcmp(Row(picture->display, 1), "\x01\x02\x04", 3), 0);
    EXPECT_EQ(memcmp(Row(picture->display, 2), "\0\0\0", 3), 0);
}

TEST_F(PictureTest, ThirtyTwoBitScreenLeavesDisplayAlone) {
    SetPictureDisplayDepth(32);
    PicturePtr picture(CreatePicture(2, 2));
    DibBlock* d = picture->display;
    BYTE* pixels = d->pixels;
    Pixels32(picture->working)[0] = 0x00FFFFFF;
    EXPECT_EQ(RefreshPictureDisplay(picture.get()), 1);
    RefreshPictureRow(picture.get(), 0);
    EXPECT_EQ(d->pixels, pixels);
    EXPECT_EQ(d->header->biBitCount, 32);
    EXPECT_EQ(reinterpret_cast<DWORD*>(d->pixels)[0], 0u);
}

TEST_F(PictureTest, ScaleMakesNewPictureWithUnrefreshedDisplay) {
    SetPictureDisplayDepth(24);
    PicturePtr picture(CreatePicture(2, 1));
    Pixels32(picture->working)[0] = 5;
    Pixels32(picture->working)[1] = 6;
    PicturePtr scaled(ScalePicture(picture.get(), 4, 2));
    ASSERT_TRUE(scaled);
    const DWORD expected[8] = {5, 5, 6, 6, 5, 5, 6, 6};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(Pixels32(scaled->working)[i], expected[i]) << i;
    EXPECT_EQ(scaled->display->header->biBitCount, 24);
    EXPECT_EQ(scaled->display->pixels[0], 0);
    EXPECT_EQ(ScalePicture(picture.get(), 0, 2), nullptr);
    EXPECT_EQ(CreatePicture(0, 2), nullptr);
}

TEST(PictureInfoTest, TextNamesSizeAndColours) {
    struct Case { int bits; const char* text; } cases[] = {
        {1, "64x48x2"}, {2, "64x48x4"}, {4, "64x48x16"}, {8, "64x48x256"},
        {15, "64x48x32K"}, {16, "64x48x64K"}, {24, "64x48x16M"}, {32, "64x48x4G"},
        {12, "64x48x0"}};
    for (const Case& c : cases) {
        char text[32];
        int n = FormatPictureInfo(text, sizeof(text), 64, 48, c.bits);
        EXPECT_STREQ(text, c.text);
        EXPECT_EQ(n, static_cast<int>(strlen(c.text)));
    }
    char small[6];
    EXPECT_EQ(FormatPictureInfo(small, sizeof(small), 640, 480, 24), 5);
    EXPECT_STREQ(small, "640x4");
}

TEST(PaintBandTest, TallSourcePaintsIn256RowBands) {
    PaintBand bands[8];
    ASSERT_EQ(ComputePaintBands(10, 1001, 500, bands, 8), 4);
    // (500 * 256) / 1001 = 127 destination rows per full band.
    const int expected[4][4] = {{0, 256, 0, 127}, {256, 256, 127, 127},
                                {512, 256, 254, 127}, {768, 233, 381, 119}};
    for (int i = 0; i < 4; ++i) {
        const int got[4] = {bands[i].sourceTop, bands[i].sourceRows, bands[i].destTop, bands[i].destRows};
        EXPECT_EQ(memcmp(got, expected[i], sizeof(got)), 0) << "band " << i;
    }
}

TEST(PaintBandTest, WideSourceIsBandedAndSmallIsNot) {
    PaintBand bands[4];
    EXPECT_EQ(ComputePaintBands(1001, 300, 600, bands, 4), 2);
    EXPECT_EQ(bands[0].destRows, 512);
    EXPECT_EQ(bands[1].sourceRows, 44);
    EXPECT_EQ(bands[1].destRows, 88);

    ASSERT_EQ(ComputePaintBands(1000, 1000, 250, bands, 4), 1);
    EXPECT_EQ(bands[0].sourceRows, 1000);
    EXPECT_EQ(bands[0].destRows, 250);
    // Counting without room for the bands.
    EXPECT_EQ(ComputePaintBands(10, 2560, 10, nullptr, 0), 10);
}

}  // namespace
