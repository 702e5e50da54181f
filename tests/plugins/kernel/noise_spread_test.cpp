// Noise and Spread through the host's real services table: what they
// refuse, the range and rough statistics of each kind of noise, and where
// Spread takes its pixels from (the offsets are rand() AND m, never a
// remainder, so some distances cannot occur).
#include <gtest/gtest.h>
#include <windows.h>

#include <stdlib.h>

#include <cmath>
#include <set>
#include <vector>

#include "noise_filter.h"
#include "plugin_pictures.h"
#include "spread_filter.h"

namespace {

BYTE Channel(DWORD pixel, int c) { return static_cast<BYTE>(pixel >> (8 * c)); }

// A picture of one value in every byte, noised; the colour bytes of the
// result in a list (the fourth bytes must all be 0).
std::vector<int> NoisedBytes(int type, BYTE value, LONG width = 200, LONG height = 150) {
    OwnedPicture picture(width, height);
    FillWith(picture.working(), 0x01010101u * value);
    srand(12345);
    OwnedPicture result(NoisePicture(&Host(), picture.get(), type));
    std::vector<int> bytes;
    if (!result) return bytes;
    for (DWORD pixel : PixelsCopy(result.working())) {
        EXPECT_EQ(0, Channel(pixel, 3)) << "the fourth byte of a noised pixel is 0";
        for (int c = 0; c < 3; ++c) bytes.push_back(Channel(pixel, c));
    }
    return bytes;
}

double Mean(const std::vector<int>& v) {
    double sum = 0;
    for (int b : v) sum += b;
    return v.empty() ? 0 : sum / v.size();
}
double Deviation(const std::vector<int>& v) {
    const double mean = Mean(v);
    double sum = 0;
    for (int b : v) sum += (b - mean) * (b - mean);
    return v.empty() ? 0 : std::sqrt(sum / v.size());
}
int Count(const std::vector<int>& v, int value) {
    int n = 0;
    for (int b : v) n += b == value;
    return n;
}

TEST(NoiseFilter, RefusesSmallPicturesAndUnknownKinds) {
    OwnedPicture narrow(2, 50), low(50, 2), three(3, 3);
    EXPECT_EQ(nullptr, NoisePicture(&Host(), narrow.get(), kUniformNoise));
    EXPECT_EQ(nullptr, NoisePicture(&Host(), low.get(), kUniformNoise));
    EXPECT_EQ(nullptr, NoisePicture(&Host(), three.get(), -1));
    EXPECT_EQ(nullptr, NoisePicture(&Host(), three.get(), kNoiseTypeCount));
    EXPECT_EQ(nullptr, NoisePicture(nullptr, three.get(), kUniformNoise));
    EXPECT_EQ(nullptr, NoiseDib(&Host(), nullptr, kUniformNoise));
    OwnedPicture small(NoisePicture(&Host(), three.get(), kPoissonNoise));
    EXPECT_TRUE(small) << "3 x 3 is enough for noise";
}

TEST(NoiseFilter, UniformMovesEachByteByAtMostTwo) {
    const std::vector<int> bytes = NoisedBytes(kUniformNoise, 100);
    ASSERT_FALSE(bytes.empty());
    for (int b : bytes) ASSERT_TRUE(b >= 98 && b <= 102) << b;
    EXPECT_NEAR(100.0, Mean(bytes), 0.1);
    EXPECT_GT(Count(bytes, 98) + Count(bytes, 102), 0) << "the ends of the range are reached";
}

TEST(NoiseFilter, GaussianSpreadsAroundTheValue) {
    // sigma 4 x root(x) and tau 20 on independent normals: about 49.5 at 128.
    const std::vector<int> bytes = NoisedBytes(kGaussianNoise, 128);
    ASSERT_FALSE(bytes.empty());
    EXPECT_NEAR(128.0, Mean(bytes), 3.0);
    EXPECT_GT(Deviation(bytes), 38.0);
    EXPECT_LT(Deviation(bytes), 55.0);
    // At 0 only the tau part is left, half of it below 0.
    const std::vector<int> black = NoisedBytes(kGaussianNoise, 0);
    EXPECT_NEAR(0.5, Count(black, 0) / double(black.size()), 0.05);
}

TEST(NoiseFilter, MultiplicativeGaussianScalesTheValue) {
    const std::vector<int> bytes = NoisedBytes(kMultiplicativeGaussianNoise, 100);
    EXPECT_NEAR(100.0, Mean(bytes), 3.0);
    EXPECT_NEAR(50.0, Deviation(bytes), 6.0);  // 0.5 x 100, a little clamped
    const std::vector<int> black = NoisedBytes(kMultiplicativeGaussianNoise, 0);
    EXPECT_EQ(static_cast<int>(black.size()), Count(black, 0)) << "black stays black";
}

TEST(NoiseFilter, ImpulseLeavesAboutNinetyPercentUnchanged) {
    const std::vector<int> bytes = NoisedBytes(kImpulseNoise, 77);
    ASSERT_FALSE(bytes.empty());
    const double n = bytes.size();
    for (int b : bytes) ASSERT_TRUE(b == 0 || b == 77 || b == 255) << b;
    EXPECT_NEAR(0.90, Count(bytes, 77) / n, 0.01);
    EXPECT_NEAR(0.05, Count(bytes, 0) / n, 0.01);
    EXPECT_NEAR(0.05, Count(bytes, 255) / n, 0.01);
}

TEST(NoiseFilter, LaplacianStaysWithinItsTails) {
    // 10 ln(2 alpha) with alpha at least 1/32767 reaches 97 below; alpha 1
    // (a draw of 32767, or of 0 made 1) gives x + 255.
    const std::vector<int> bytes = NoisedBytes(kLaplacianNoise, 128);
    ASSERT_FALSE(bytes.empty());
    for (int b : bytes) ASSERT_TRUE((b >= 31 && b <= 225) || b == 255) << b;
    EXPECT_NEAR(128.0, Mean(bytes), 1.5);
    EXPECT_NEAR(14.1, Deviation(bytes), 3.0);  // root 2 x 10
}

TEST(NoiseFilter, PoissonGivesMultiplesOfTwenty) {
    // 20 x a count of mean 0.05 x: mean x, deviation 20 root(0.05 x).
    const std::vector<int> bytes = NoisedBytes(kPoissonNoise, 100);
    ASSERT_FALSE(bytes.empty());
    for (int b : bytes) ASSERT_TRUE(b % 20 == 0 || b == 255) << b;
    EXPECT_NEAR(100.0, Mean(bytes), 2.0);
    EXPECT_NEAR(44.7, Deviation(bytes), 4.0);
    const std::vector<int> black = NoisedBytes(kPoissonNoise, 0);
    EXPECT_EQ(static_cast<int>(black.size()), Count(black, 0)) << "a count of mean 0 is 0";
}

TEST(NoiseFilter, PreviewIsABareBlockOfTheSourceSize) {
    OwnedDib source(31, 17);
    FillVaried(source.get());
    OwnedDib preview(NoiseDib(&Host(), source.get(), kImpulseNoise));
    ASSERT_TRUE(preview);
    EXPECT_EQ(31, WidthOf(preview.get()));
    EXPECT_EQ(17, HeightOf(preview.get()));
}

// Where each result pixel of an indexed picture came from, as offsets.
struct Offsets {
    std::set<int> dx, dy;
    bool allKnown = true;
};
Offsets SpreadOffsets(int m, LONG width = 120, LONG height = 90) {
    OwnedPicture picture(width, height);
    FillIndexed(picture.working());
    OwnedPicture result(SpreadPicture(&Host(), picture.get(), m));
    Offsets offsets;
    if (!result) {
        offsets.allKnown = false;
        return offsets;
    }
    for (LONG y = 0; y < height; ++y)
        for (LONG x = 0; x < width; ++x) {
            const DWORD from = PixelAt(result.working(), x, y);
            const LONG fx = static_cast<LONG>(from % width), fy = static_cast<LONG>(from / width);
            if (from >= static_cast<DWORD>(width * height)) offsets.allKnown = false;
            // Offsets cut short by the right and bottom edges tell nothing.
            if (fx < width - 1) offsets.dx.insert(fx - x);
            if (fy < height - 1) offsets.dy.insert(fy - y);
            if (fx < x || fy < y) offsets.allKnown = false;
        }
    return offsets;
}

TEST(SpreadFilter, AmountZeroCopiesExactly) {
    OwnedPicture picture(64, 48);
    FillVaried(picture.working());
    OwnedPicture result(SpreadPicture(&Host(), picture.get(), 0));
    ASSERT_TRUE(result);
    EXPECT_EQ(PixelsCopy(picture.working()), PixelsCopy(result.working())) << "all four bytes";
}

TEST(SpreadFilter, SmallAmountsTakePixelsOnlyFromTheRightOrBelow) {
    for (int m : {1, 2}) {
        const Offsets offsets = SpreadOffsets(m);
        EXPECT_TRUE(offsets.allKnown) << "m = " << m << ": never from the left or above";
        EXPECT_EQ((std::set<int>{0, 1}), offsets.dx) << "m = " << m;
        EXPECT_EQ((std::set<int>{0, 1}), offsets.dy) << "m = " << m;
    }
}

TEST(SpreadFilter, OffsetsAreTheRandomNumberMaskedWithTheAmount) {
    // rand() AND 6 is 0, 2, 4 or 6; less 3 and negatives made 0: 0, 1, 3.
    // A remainder would give 2 as well.
    Offsets offsets = SpreadOffsets(6);
    EXPECT_TRUE(offsets.allKnown);
    EXPECT_EQ((std::set<int>{0, 1, 3}), offsets.dx);
    EXPECT_EQ((std::set<int>{0, 1, 3}), offsets.dy);
    // The largest amount reaches 100 - 50 = 50 at most.
    offsets = SpreadOffsets(100, 300, 200);
    EXPECT_TRUE(offsets.allKnown);
    EXPECT_EQ(50, *offsets.dx.rbegin());
    EXPECT_EQ(50, *offsets.dy.rbegin());
}

TEST(SpreadFilter, RefusesSmallPicturesAndNegativeAmounts) {
    OwnedPicture narrow(2, 10), low(10, 2), three(3, 3);
    EXPECT_EQ(nullptr, SpreadPicture(&Host(), narrow.get(), 5));
    EXPECT_EQ(nullptr, SpreadPicture(&Host(), low.get(), 5));
    EXPECT_EQ(nullptr, SpreadPicture(&Host(), three.get(), -1));
    EXPECT_EQ(nullptr, SpreadDib(&Host(), nullptr, 5));
    // Offsets up to 50 in a 3 x 3 picture stay inside it, at or right of
    // and at or below each pixel.
    FillIndexed(three.working());
    OwnedPicture made(SpreadPicture(&Host(), three.get(), 100));
    ASSERT_TRUE(made);
    for (LONG y = 0; y < 3; ++y)
        for (LONG x = 0; x < 3; ++x) {
            const DWORD from = PixelAt(made.working(), x, y);
            ASSERT_LT(from, 9u);
            EXPECT_GE(static_cast<LONG>(from % 3), x);
            EXPECT_GE(static_cast<LONG>(from / 3), y);
        }
}

}  // namespace
