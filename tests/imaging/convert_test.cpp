// Conversions of the 32-bit working copy to other depths.
#include <gtest/gtest.h>

#include "convert.h"
#include "imaging_test_util.h"

namespace {

WORD Word(DibBlock* block, int y, int x) {
    return reinterpret_cast<WORD*>(Row(block, y))[x];
}

TEST(ConvertTest, To24CopiesChannelsAndPadsRows) {
    DibPtr source = MakeDib(3, 2, {Bgr(1, 2, 3), Bgr(4, 5, 6), Bgr(7, 8, 9),
                                   Bgr(10, 11, 12), Bgr(13, 14, 15), Bgr(16, 17, 18)});
    DibPtr target(CreateDib(3, 2));
    ASSERT_EQ(DibTo24(source.get(), target.get()), 1);
    EXPECT_EQ(target->header->biBitCount, 24);
    EXPECT_EQ(target->header->biSizeImage, 24u);
    const BYTE row1[9] = {10, 11, 12, 13, 14, 15, 16, 17, 18};
    EXPECT_EQ(memcmp(target->pixels, "\x01\x02\x03\x04\x05\x06\x07\x08\x09", 9), 0);
    EXPECT_EQ(memcmp(target->pixels + 12, row1, 9), 0);   // row 1 starts at 12, not 9
}

TEST(ConvertTest, To16PacksFiveSixFiveWithBitfields) {
    // red 0xFF, green 0x84, blue 0x10 -> F800 | 0420 | 0002.
    DibPtr source = MakeDib(3, 2, {Bgr(0x10, 0x84, 0xFF), Bgr(0xFF, 0xFF, 0xFF), 0,
                                   Bgr(0x07, 0x03, 0x07), 0, 0});
    DibPtr target(CreateDib(3, 2));
    ASSERT_EQ(DibTo16(source.get(), target.get()), 1);
    EXPECT_EQ(target->header->biBitCount, 16);
    EXPECT_EQ(target->header->biCompression, static_cast<DWORD>(BI_BITFIELDS));
    EXPECT_EQ(DibMasks(target.get())[0], 0xF800u);
    EXPECT_EQ(DibMasks(target.get())[1], 0x07E0u);
    EXPECT_EQ(DibMasks(target.get())[2], 0x001Fu);
    EXPECT_EQ(Word(target.get(), 0, 0), 0xFC22);
    EXPECT_EQ(Word(target.get(), 0, 1), 0xFFFF);
    EXPECT_EQ(Word(target.get(), 1, 0), 0x0000);   // low bits dropped; row 1 at byte 8
}

TEST(ConvertTest, To15PacksFiveFiveFiveWithMasksUnderRgb) {
    DibPtr source = MakeDib(2, 1, {Bgr(0x10, 0x84, 0xFF), Bgr(0xFF, 0xFF, 0xFF)});
    DibPtr target(CreateDib(2, 1));
    ASSERT_EQ(DibTo15(source.get(), target.get()), 1);
    EXPECT_EQ(target->header->biBitCount, 16);
    EXPECT_EQ(target->header->biCompression, static_cast<DWORD>(BI_RGB));
    EXPECT_EQ(DibMasks(target.get())[0], 0x7C00u);
    EXPECT_EQ(DibMasks(target.get())[1], 0x03E0u);
    EXPECT_EQ(DibMasks(target.get())[2], 0x001Fu);
    EXPECT_EQ(Word(target.get(), 0, 0), 0x7E02);
    EXPECT_EQ(Word(target.get(), 0, 1), 0x7FFF);
}

TEST(ConvertTest, OneBitDithersMaskedLuminance) {
    // Grey 128 against row 0 thresholds 0 192 48 240 12 204 60 252 -> 10101010;
    // grey 135 masks to 128 and meets row 1 (128 64 176 112 ...) -> 01010101;
    // the ninth pixel wraps to column 0 of the matrix.
    DibPtr source(CreateDib(9, 2));
    for (int x = 0; x < 9; ++x) {
        Pixels32(source.get())[x] = Bgr(128, 128, 128);
        Pixels32(source.get())[9 + x] = Bgr(135, 135, 135);
    }
    DibPtr target(CreateDib(9, 2));
    ASSERT_EQ(DibTo1(source.get(), target.get()), 1);
    EXPECT_EQ(target->header->biBitCount, 1);
    EXPECT_EQ(target->header->biClrUsed, 2u);
    RGBQUAD* table = DibColors(target.get());
    EXPECT_EQ(table[0].rgbRed | table[0].rgbGreen | table[0].rgbBlue, 0);
    EXPECT_EQ(table[1].rgbRed & table[1].rgbGreen & table[1].rgbBlue, 255);
    EXPECT_EQ(Row(target.get(), 0)[0], 0xAA);
    EXPECT_EQ(Row(target.get(), 0)[1], 0x80);
    EXPECT_EQ(Row(target.get(), 1)[0], 0x55);
    EXPECT_EQ(Row(target.get(), 1)[1], 0x00);   // 128 is not above 128
}

TEST(ConvertTest, Display8DithersWithColumnMajorMatrix) {
    // (0,0) t=0: blue 52 -> 2, green 51 -> 1, red 0 -> 0: 72 + 6 = 78.
    // (1,0) t=34: blue 85 -> 1, green 86 -> 2, red 255 -> 5: 36 + 12 + 5 = 53.
    // (0,1) t=44 (D[0][1]; D[1][0] would be 34): blue 96 -> 2, green 95 -> 1,
    //       red 50 -> 1: 72 + 6 + 1 = 79.
    DibPtr source = MakeDib(2, 2, {Bgr(52, 51, 0), Bgr(85, 86, 255), Bgr(96, 95, 50), 0});
    DibPtr target(CreateDib(2, 2));
    ASSERT_EQ(DibToDisplay8(source.get(), target.get()), 1);
    EXPECT_EQ(target->header->biBitCount, 8);
    EXPECT_EQ(Row(target.get(), 0)[0], 78);
    EXPECT_EQ(Row(target.get(), 0)[1], 53);
    EXPECT_EQ(Row(target.get(), 1)[0], 79);
    EXPECT_EQ(Row(target.get(), 1)[1], 0);
    RGBQUAD e = DibColors(target.get())[79];   // b 2, g 1, r 1
    EXPECT_EQ(e.rgbBlue, 102);
    EXPECT_EQ(e.rgbGreen, 51);
    EXPECT_EQ(e.rgbRed, 51);
    EXPECT_EQ(DibColors(target.get())[215].rgbRed, 255);
}

TEST(ConvertTest, Display4DithersAndPacksNibbles) {
    // (0,0) A=0 B=0: blue 255 -> 1, green 255 -> 2 (top level), red 0: 6 + 4 = 10.
    // (1,0) A=190 B=95: blue 0, green 222 -> 1, red 191 -> 1: 2 + 1 = 3.
    // (0,1) A=125 B=62: blue 126 -> 1, green 63 -> 1, red 125 -> 0: 6 + 2 = 8.
    // (1,1) A=60 B=30: red 61 -> 1.
    DibPtr source = MakeDib(2, 2, {Bgr(255, 255, 0), Bgr(0, 222, 191),
                                   Bgr(126, 63, 125), Bgr(0, 0, 61)});
    DibPtr target(CreateDib(2, 2));
    ASSERT_EQ(DibToDisplay4(source.get(), target.get()), 1);
    EXPECT_EQ(target->header->biBitCount, 4);
    EXPECT_EQ(Row(target.get(), 0)[0], 0xA3);
    EXPECT_EQ(Row(target.get(), 1)[0], 0x81);
    RGBQUAD e = DibColors(target.get())[10];   // b 1, g 2, r 0
    EXPECT_EQ(e.rgbBlue, 255);
    EXPECT_EQ(e.rgbGreen, 254);
    EXPECT_EQ(e.rgbRed, 0);
}

TEST(ConvertTest, GreyUsesWeightedLuminanceAndGreyPalette) {
    // 9798 * 255 >> 15 = 76, 19235 * 255 >> 15 = 149, 3736 * 255 >> 15 = 29.
    DibPtr source = MakeDib(4, 1, {Bgr(0, 0, 255), Bgr(0, 255, 0), Bgr(255, 0, 0),
                                   Bgr(255, 255, 255)});
    DibPtr target(CreateDib(4, 1));
    ASSERT_EQ(DibToGrey8(source.get(), target.get()), 1);
    EXPECT_EQ(memcmp(target->pixels, "\x4C\x95\x1D\xFF", 4), 0);
    RGBQUAD e = DibColors(target.get())[149];
    EXPECT_EQ(e.rgbRed, 149);
    EXPECT_EQ(e.rgbGreen, 149);
    EXPECT_EQ(e.rgbBlue, 149);
}

TEST(ConvertDepthTest, ConvertsInPlace) {
    DibPtr block = MakeDib(2, 2, {Bgr(1, 2, 3), Bgr(4, 5, 6), Bgr(7, 8, 9), Bgr(10, 11, 12)});
    ASSERT_EQ(ConvertDibDepth(block.get(), 24), 1);
    EXPECT_EQ(block->header->biBitCount, 24);
    EXPECT_EQ(memcmp(block->pixels, "\x01\x02\x03\x04\x05\x06", 6), 0);
    EXPECT_EQ(memcmp(Row(block.get(), 1), "\x07\x08\x09\x0A\x0B\x0C", 6), 0);

    DibPtr sixteen = MakeDib(1, 1, {Bgr(0x10, 0x84, 0xFF)});
    ASSERT_EQ(ConvertDibDepth(sixteen.get(), 16), 1);
    EXPECT_EQ(Word(sixteen.get(), 0, 0), 0xFC22);
}

TEST(ConvertDepthTest, ThirtyTwoIsNoOpAndOtherDepthsAreRefused) {
    DibPtr block = MakeDib(1, 1, {Bgr(1, 2, 3)});
    EXPECT_EQ(ConvertDibDepth(block.get(), 32), 1);
    EXPECT_EQ(ConvertDibDepth(block.get(), 7), 0);
    EXPECT_EQ(ConvertDibDepth(block.get(), 2), 0) << "2 bits only for saving, not in place";
    EXPECT_EQ(block->header->biBitCount, 32);
    EXPECT_EQ(Pixels32(block.get())[0], Bgr(1, 2, 3));
    EXPECT_EQ(ConvertDibDepth(nullptr, 24), 0);
}

}  // namespace
