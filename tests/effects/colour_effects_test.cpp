// The per-pixel colour effects: luminance, invert, grey and the RGB and YUV
// offset adjustments.
#include <gtest/gtest.h>

#include "colour_effects.h"
#include "effects_test_util.h"

namespace {

TEST(LuminanceTest, WeighsRedGreenAndBlue) {
    // (9798, 19235, 3736) * 255 >> 15.
    EXPECT_EQ(PixelLuminance(Rgb(255, 0, 0)), 76);
    EXPECT_EQ(PixelLuminance(Rgb(0, 255, 0)), 149);
    EXPECT_EQ(PixelLuminance(Rgb(0, 0, 255)), 29);
    EXPECT_EQ(PixelLuminance(Rgb(255, 255, 255)), 255);
    // 979800 + 2885250 + 747200 = 4612250, / 32768 = 140.75.
    EXPECT_EQ(PixelLuminance(Rgb(100, 150, 200)), 140);
    // The spare byte does not count.
    EXPECT_EQ(PixelLuminance(0xFF000000 | Rgb(100, 150, 200)), 140);
}

TEST(InvertTest, EachMaskFlipsItsChannelsAndClearsTheSpareByte) {
    const DWORD masks[4] = {0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF};
    const DWORD expected[4] = {0x00EDCBA9, 0x00ED3456, 0x0012CB56, 0x001234A9};
    for (int i = 0; i < 4; ++i) {
        DWORD pixels[2] = {0xAB123456, 0xAB123456};
        InvertPixels(pixels, 1, masks[i]);
        EXPECT_EQ(pixels[0], expected[i]) << i;
        EXPECT_EQ(pixels[1], 0xAB123456u) << "beyond the count";
    }
    // Twice gives the colours back (without the spare byte).
    DWORD pixel = 0x00123456;
    InvertPixels(&pixel, 1, 0xFFFFFF);
    InvertPixels(&pixel, 1, 0xFFFFFF);
    EXPECT_EQ(pixel, 0x00123456u);
}

TEST(GreyTest, EveryChannelTakesTheLuminance) {
    DWORD pixels[4] = {Rgb(100, 150, 200), 0xFF000000 | Rgb(255, 0, 0), Rgb(255, 255, 255), 0};
    GreyPixels(pixels, 4);
    EXPECT_EQ(pixels[0], Grey(140));
    EXPECT_EQ(pixels[1], Grey(76));
    EXPECT_EQ(pixels[2], Grey(255));
    EXPECT_EQ(pixels[3], 0u);
}

TEST(RgbAdjustTest, OffsetsClampPerChannel) {
    DWORD pixels[3] = {Grey(128), 0xFF000000 | Rgb(200, 10, 0), Rgb(1, 2, 3)};
    AdjustPixelsRgb(pixels, 2, 127, 0, -128);
    EXPECT_EQ(pixels[0], Rgb(255, 128, 0));
    EXPECT_EQ(pixels[1], Rgb(255, 10, 0)) << "clamped, spare byte cleared";
    EXPECT_EQ(pixels[2], Rgb(1, 2, 3)) << "beyond the count";
    DWORD low = Rgb(40, 50, 60);
    AdjustPixelsRgb(&low, 1, -41, 205, 195);
    EXPECT_EQ(low, Rgb(0, 255, 255));
    DWORD same = Rgb(40, 50, 60);
    AdjustPixels(ColourAdjustment::Rgb, &same, 1, 1, 2, 3);
    EXPECT_EQ(same, Rgb(41, 52, 63));
}

TEST(YuvAdjustTest, ZeroOffsetsRoundTripThroughTheIntegerArithmetic) {
    // Red: Y 76, U = -1409895 / 32768 = -43 (toward zero), V = 127;
    // r = 76 + 127 + 13081 / 256 (51) = 254, g = 76 + 14 - 90 = 0,
    // b = 76 - 43 - 33 = 0.
    // Blue: Y 29, U 127, V = -679320 / 32768 = -20 (floor would give -21);
    // r = 29 - 20 - 8 = 1, g = 29 - 43 + 14 = 0, b = 29 + 127 + 98 = 254.
    // Green: Y 149, U -84, V -106; r = 149 - 106 - 42 = 1,
    // g = 149 + 28 + 75 = 252, b = 149 - 84 - 64 = 1.
    DWORD pixels[6] = {Rgb(255, 0, 0), Rgb(0, 0, 255), Rgb(0, 255, 0),
                       Rgb(0x12, 0x34, 0x56), Grey(128), 0xFF000000 | Rgb(255, 255, 255)};
    AdjustPixelsYuv(pixels, 6, 0, 0, 0);
    EXPECT_EQ(pixels[0], Rgb(254, 0, 0));
    EXPECT_EQ(pixels[1], Rgb(1, 0, 254));
    EXPECT_EQ(pixels[2], Rgb(1, 252, 1));
    EXPECT_EQ(pixels[3], Rgb(0x13, 0x33, 0x54));
    EXPECT_EQ(pixels[4], Grey(128)) << "greys have U = V = 0";
    EXPECT_EQ(pixels[5], Grey(255)) << "spare byte cleared";
}

TEST(YuvAdjustTest, OffsetsMoveYUAndVThenClamp) {
    DWORD pixels[5] = {Grey(100), Grey(100), Grey(128), Grey(128), Grey(128)};
    AdjustPixelsYuv(pixels + 0, 1, 10, 0, 0);
    AdjustPixelsYuv(pixels + 1, 1, 200, 0, 0);
    // U 50: g = 128 - 4400 / 256 (17) = 111, b = 128 + 50 + 9900 / 256 (38) = 216.
    AdjustPixelsYuv(pixels + 2, 1, 0, 50, 0);
    // V -50: r = 128 - 50 - 5150 / 256 (20) = 58, g = 128 + 9150 / 256 (35) = 163.
    AdjustPixelsYuv(pixels + 3, 1, 0, 0, -50);
    AdjustPixels(ColourAdjustment::Yuv, pixels + 4, 1, 0, 50, 0);
    EXPECT_EQ(pixels[0], Grey(110));
    EXPECT_EQ(pixels[1], Grey(255));
    EXPECT_EQ(pixels[2], Rgb(128, 111, 216));
    EXPECT_EQ(pixels[3], Rgb(58, 163, 128));
    EXPECT_EQ(pixels[4], Rgb(128, 111, 216));
}

}  // namespace
