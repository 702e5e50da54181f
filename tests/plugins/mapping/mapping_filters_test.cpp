// The arithmetic of Swirl, Implode and Wave through the host's real services
// table: the shared bilinear sampler at corners, edges and outside the
// picture; the identity settings, which still sample half a pixel off; the
// circle's edge; values worked out by hand for a few pixels of each mapping,
// square and not; the taller wave result and its background bands; the
// busy and progress reports of a full run; and every refusal.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "bilinear.h"
#include "implode_filter.h"
#include "mapping_test_pictures.h"
#include "swirl_filter.h"
#include "wave_filter.h"

namespace {

// The 2 × 2 box from (x, y) to (x + 1, y + 1), byte by byte, with pixels
// beyond the right or bottom edge as background: what sampling a pixel at
// its own position gives (u = x + 0.5 and w = y + 0.5 weigh the four
// neighbours a quarter each, then + 0.5 and truncation).
DWORD HalfPixelAverage(const TestPicture& picture, int x, int y) {
    auto at = [&](int i, int j) -> DWORD {
        return i < picture.width() && j < picture.height() ? picture.At(i, j) : 0;
    };
    const DWORD p = at(x, y), q = at(x + 1, y), r = at(x, y + 1), s = at(x + 1, y + 1);
    DWORD out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const DWORD sum = (p >> shift & 0xFF) + (q >> shift & 0xFF) + (r >> shift & 0xFF) + (s >> shift & 0xFF);
        out |= (sum + 2) / 4 << shift;
    }
    return out;
}

// What a copy-or-sample mapping with the identity inside a circle gives.
void ExpectIdentityInsideCircle(const TestPicture& source, const PluginDib* result, double cx, double cy,
                                double radius) {
    ASSERT_EQ(source.width(), WidthOf(result));
    ASSERT_EQ(source.height(), HeightOf(result));
    int inside = 0;
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x) {
            const bool mapped = (x - cx) * (x - cx) + (y - cy) * (y - cy) < radius * radius;
            inside += mapped;
            const DWORD expected = mapped ? HalfPixelAverage(source, x, y) : source.At(x, y);
            ASSERT_EQ(expected, PixelOf(result, x, y)) << "at " << x << "," << y << (mapped ? " inside" : " outside");
        }
    EXPECT_GT(inside, 0);
}

// A services table that records the busy display calls of a run.
std::vector<std::string> g_calls;
std::vector<std::pair<LONG, LONG>> g_progress;
void WINAPI RecordBegin() { g_calls.push_back("begin"); }
void WINAPI RecordProgress(LONG done, LONG total) {
    g_calls.push_back("progress");
    g_progress.emplace_back(done, total);
}
void WINAPI RecordEnd() { g_calls.push_back("end"); }
PictureHostServices RecordingHost() {
    g_calls.clear();
    g_progress.clear();
    PictureHostServices host = *PluginServices();
    host.BeginBusy = RecordBegin;
    host.ShowProgress = RecordProgress;
    host.EndBusy = RecordEnd;
    return host;
}

// Begin first, end last, and in between a report each time more than
// rows div 100 rows have passed since the last one (about a hundred), with
// rising rows and the full height as the total.
void ExpectProgressOverRows(int rows) {
    ASSERT_GE(g_calls.size(), 2u);
    EXPECT_EQ("begin", g_calls.front());
    EXPECT_EQ("end", g_calls.back());
    EXPECT_EQ(static_cast<size_t>((rows - 1) / (rows / 100 + 1)), g_progress.size());
    LONG last = 0;
    for (const auto& report : g_progress) {
        EXPECT_EQ(rows, report.second);
        EXPECT_GT(report.first, last);
        EXPECT_LT(report.first, rows);
        last = report.first;
    }
}

// ---------------------------------------------------------------------------
// The bilinear sampler.

class BilinearSampler : public ::testing::Test {
protected:
    BilinearSampler() : picture_(3, 3) {
        const DWORD values[9] = {Bgr(10, 20, 30, 40),  Bgr(50, 60, 70, 80),    Bgr(90, 100, 110, 120),
                                 Bgr(1, 2, 3, 4),      Bgr(5, 6, 7, 8),        Bgr(9, 10, 11, 12),
                                 Bgr(200, 0, 255, 1),  Bgr(100, 255, 0, 3),    Bgr(255, 255, 255, 255)};
        for (int i = 0; i < 9; ++i) picture_.Set(i % 3, i / 3, values[i]);
    }
    DWORD Sample(double x, double y) const { return SamplePoint(SourceOf(picture_), x, y); }
    TestPicture picture_;
};

TEST_F(BilinearSampler, PixelCentresAreExactAndEveryByteBlendsOnItsOwn) {
    // (x - 0.5, y - 0.5) lands on pixel (x, y) with no weight elsewhere.
    EXPECT_EQ(picture_.At(0, 0), Sample(-0.5, -0.5));
    EXPECT_EQ(picture_.At(2, 1), Sample(1.5, 0.5));
    EXPECT_EQ(picture_.At(2, 2), Sample(1.5, 1.5)) << "the last column and row themselves";
    // Halfway between (0,0) and (1,0): each byte on its own, + 0.5, truncated.
    EXPECT_EQ(Bgr(30, 40, 50, 60), Sample(0, -0.5));
    // A quarter of the way along both axes of the bottom-right square.
    const double a = 0.25, b = 0.75;
    DWORD expected = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        auto byte = [&](int x, int y) { return static_cast<double>(picture_.At(x, y) >> shift & 0xFF); };
        const double v = (1 - b) * ((1 - a) * byte(1, 1) + a * byte(2, 1)) + b * ((1 - a) * byte(1, 2) + a * byte(2, 2));
        expected |= static_cast<DWORD>(v + 0.5) << shift;
    }
    EXPECT_EQ(expected, Sample(0.5 + a, 0.5 + b));
}

TEST_F(BilinearSampler, RoundsHalvesUp) {
    TestPicture two(2, 1);
    two.Set(0, 0, Bgr(0, 1, 2, 254));
    two.Set(1, 0, Bgr(1, 2, 3, 255));
    // 0.5 + 0.5 = 1, 1.5 + 0.5 = 2, 2.5 + 0.5 = 3, 254.5 + 0.5 = 255.
    EXPECT_EQ(Bgr(1, 2, 3, 255), SamplePoint(SourceOf(two), 0, -0.5));
}

TEST_F(BilinearSampler, CornersAndEdgesBlendWithTheBackground) {
    // Above-left of the first pixel: only (0,0) is inside, a quarter of it.
    EXPECT_EQ(Bgr((10 + 2) / 4, (20 + 2) / 4, (30 + 2) / 4, (40 + 2) / 4), Sample(-1, -1));
    // Below-right of the last pixel: a quarter of (2,2).
    EXPECT_EQ(Bgr(64, 64, 64, 64), Sample(2, 2));
    // Half a pixel above the top edge between two columns: half of their mean.
    EXPECT_EQ(Bgr(15, 20, 25, 30), Sample(0, -1));
    // Half a pixel left of the left edge on the first row: half of (0,0).
    EXPECT_EQ(Bgr(5, 10, 15, 20), Sample(-1, -0.5));
}

TEST_F(BilinearSampler, OutsideThePictureIsTheBackground) {
    EXPECT_EQ(0u, Sample(-1.5001, 0)) << "u below -1";
    EXPECT_EQ(0u, Sample(0, -1.5001)) << "w below -1";
    EXPECT_EQ(0u, Sample(2.5, 0)) << "u at the width";
    EXPECT_EQ(0u, Sample(0, 2.5)) << "w at the height";
    EXPECT_EQ(0u, Sample(1e9, -1e9));
    EXPECT_EQ(0u, Sample(std::numeric_limits<double>::quiet_NaN(), 0));
    EXPECT_EQ(0u, Sample(0, std::numeric_limits<double>::infinity()));
    // Just inside the right edge the last column still counts.
    EXPECT_NE(0u, Sample(2.4, 0));
}

// ---------------------------------------------------------------------------
// Swirl.

TEST(SwirlFilter, ZeroAngleSamplesHalfAPixelOffInsideTheCircleAndCopiesOutside) {
    TestPicture source(20, 20);
    source.FillNoise();
    TestPicture result(SwirlPicture(Host(), source.get(), 0));
    ASSERT_NE(nullptr, result.get());
    ExpectIdentityInsideCircle(source, result.working(), 10, 10, 10);
}

TEST(SwirlFilter, PixelsOnTheCircleAreCopied) {
    TestPicture source(20, 20);
    source.FillNoise();
    TestPicture result(SwirlPicture(Host(), source.get(), 90));
    ASSERT_NE(nullptr, result.get());
    // (0,10), (10,0): distance 10, exactly the radius.
    EXPECT_EQ(source.At(0, 10), result.At(0, 10));
    EXPECT_EQ(source.At(10, 0), result.At(10, 0));
    EXPECT_EQ(source.At(0, 0), result.At(0, 0));
    EXPECT_NE(source.At(1, 10), result.At(1, 10)) << "just inside is mapped";
}

TEST(SwirlFilter, HandWorkedPixels) {
    // 20 × 20, v = 45: θ = π/2.  At (10,5), d = 5, f = 0.5, φ = π/8: the
    // source is (10 + 5 sin π/8, 10 - 5 cos π/8) = (11.913, 5.381), which the
    // gradient reads back as blue 10 × 12.413 and green 10 × 5.881.
    TestPicture square(20, 20);
    square.FillGradient(10, 10);
    TestPicture swirled(SwirlPicture(Host(), square.get(), 45));
    ASSERT_NE(nullptr, swirled.get());
    EXPECT_EQ(Bgr(124, 59, 200), swirled.At(10, 5));
    // At (15,10): the source is (10 + 5 cos π/8, 10 + 5 sin π/8).
    EXPECT_EQ(Bgr(151, 124, 200), swirled.At(15, 10));
    // Rows and columns mirrored about the centre share their turns but not
    // their directions: (15,15) reads (14.283, 15.626), (5,15) (4.374, 14.283).
    EXPECT_EQ(Bgr(148, 161, 200), swirled.At(15, 15));
    EXPECT_EQ(Bgr(49, 148, 200), swirled.At(5, 15));

    // 40 × 20: y scale 2, radius 20.  At (20,5): dy = -10, f = 0.5; v = 90
    // gives φ = π/4 and the source (20 + 7.071, 10 - 7.071 / 2).
    TestPicture wide(40, 20);
    wide.FillGradient(6, 10);
    TestPicture wideSwirled(SwirlPicture(Host(), wide.get(), 90));
    ASSERT_NE(nullptr, wideSwirled.get());
    EXPECT_EQ(Bgr(165, 70, 200), wideSwirled.At(20, 5));
    // (10,2) is inside only because of the scale: d² = 100 + 256.
    EXPECT_EQ(Bgr(64, 25, 200), wideSwirled.At(10, 2));
    // (0,10) and (20,0) lie on the stretched circle.
    EXPECT_EQ(wide.At(0, 10), wideSwirled.At(0, 10));
    EXPECT_EQ(wide.At(20, 0), wideSwirled.At(20, 0));
}

TEST(SwirlFilter, OppositeAnglesTurnOppositeWays) {
    TestPicture source(30, 30);
    source.FillGradient(8, 8);
    TestPicture left(SwirlPicture(Host(), source.get(), 60)), right(SwirlPicture(Host(), source.get(), -60));
    ASSERT_NE(nullptr, left.get());
    ASSERT_NE(nullptr, right.get());
    // Mirror images about the vertical through the centre, read through
    // the gradient: blue measures x, so (cx + t) in one is (cx - t) in the other.
    const DWORD a = left.At(15, 8), b = right.At(15, 8);
    EXPECT_EQ(Green(a), Green(b));
    EXPECT_NEAR(Blue(a) + Blue(b), 2 * 8 * 15.5, 2.0);
}

TEST(SwirlFilter, PreviewIsTheSameMappingIntoABareDibWithoutProgress) {
    TestPicture source(40, 30);
    source.FillNoise(7);
    PictureHostServices host = RecordingHost();
    PluginDib* preview = SwirlPreview(&host, source.working(), 120);
    ASSERT_NE(nullptr, preview);
    EXPECT_TRUE(g_calls.empty()) << "a preview shows no busy display";
    TestPicture full(SwirlPicture(Host(), source.get(), 120));
    ASSERT_NE(nullptr, full.get());
    ASSERT_EQ(0, std::memcmp(full.pixels(), preview->pixels, 40 * 30 * 4));
    Host()->FreeDib(preview);
}

TEST(SwirlFilter, FullRunReportsBusyAndAboutAHundredProgressSteps) {
    TestPicture source(16, 1000);
    PictureHostServices host = RecordingHost();
    TestPicture result(SwirlPicture(&host, source.get(), 30));
    ASSERT_NE(nullptr, result.get());
    ExpectProgressOverRows(1000);
}

TEST(SwirlFilter, RefusesTinyMissingOrForeignPictures) {
    for (SIZE size : {SIZE{2, 100}, SIZE{100, 2}, SIZE{1, 1}, SIZE{2, 2}}) {
        TestPicture tiny(size.cx, size.cy);
        ASSERT_NE(nullptr, tiny.get());
        EXPECT_EQ(nullptr, SwirlPicture(Host(), tiny.get(), 90)) << size.cx << "x" << size.cy;
        EXPECT_EQ(nullptr, SwirlPreview(Host(), tiny.working(), 90));
    }
    TestPicture smallest(3, 3);
    TestPicture made(SwirlPicture(Host(), smallest.get(), 90));
    EXPECT_NE(nullptr, made.get()) << "3 x 3 is filtered";
    EXPECT_EQ(nullptr, SwirlPicture(Host(), nullptr, 90));
    EXPECT_EQ(nullptr, SwirlPicture(nullptr, smallest.get(), 90));
    EXPECT_EQ(nullptr, SwirlPreview(Host(), nullptr, 90));
    // A block in another depth is not a working copy.
    PluginDib* paletted = Host()->CreateDib(8, 8);
    Host()->SetDibFormat(paletted, 8);
    EXPECT_EQ(nullptr, SwirlPreview(Host(), paletted, 90));
    Host()->FreeDib(paletted);
    EXPECT_EQ(nullptr, SwirlPicture(Host(), smallest.get(), std::numeric_limits<double>::quiet_NaN()));
}

// ---------------------------------------------------------------------------
// Implode.

TEST(ImplodeFilter, PositionsGiveTheAmountAndTheShownValue) {
    EXPECT_DOUBLE_EQ(1.0, ImplodeAmount(1000)) << "right of the middle: scaled by 0.1 once more";
    EXPECT_DOUBLE_EQ(0.5, ImplodeAmount(500));
    EXPECT_DOUBLE_EQ(-10.0, ImplodeAmount(-1000));
    EXPECT_DOUBLE_EQ(-0.05, ImplodeAmount(-5));
    EXPECT_EQ(0.0, ImplodeAmount(0));
    char text[16];
    const std::pair<int, const char*> shown[] = {{0, "0.0"},     {125, "12.5"}, {-125, "-12.5"},
                                                 {-5, "-0.5"},   {1000, "100.0"}, {-1000, "-100.0"}};
    for (const auto& [position, expected] : shown) {
        ImplodeValueText(position, text, sizeof text);
        EXPECT_STREQ(expected, text) << position;
    }
}

TEST(ImplodeFilter, ZeroAmountSamplesHalfAPixelOffInsideTheCircleAndCopiesOutside) {
    TestPicture source(20, 20);
    source.FillNoise(99);
    // Centre (6, 12), radius 10: the circle reaches past the left edge.
    TestPicture result(ImplodePicture(Host(), source.get(), ImplodeSettings{ImplodeAmount(0), 0.3, 0.6}));
    ASSERT_NE(nullptr, result.get());
    ExpectIdentityInsideCircle(source, result.working(), 6, 12, 10);
}

TEST(ImplodeFilter, HandWorkedPixels) {
    TestPicture square(20, 20);
    square.FillGradient(10, 10);
    // k = 1: at (15,10), d = 5 of 10, factor 1 / sin(π/4) = √2, source (17.071, 10).
    TestPicture pulled(ImplodePicture(Host(), square.get(), ImplodeSettings{1.0, 0.5, 0.5}));
    ASSERT_NE(nullptr, pulled.get());
    EXPECT_EQ(Bgr(176, 105, 200), pulled.At(15, 10));
    EXPECT_EQ(Bgr(105, 105, 200), pulled.At(10, 10)) << "the centre itself: factor 1";
    // Mirrored about the centre: (15,15) reads (15.580, 15.580), (5,15)
    // (4.420, 15.580).
    EXPECT_EQ(Bgr(161, 161, 200), pulled.At(15, 15));
    EXPECT_EQ(Bgr(49, 161, 200), pulled.At(5, 15));
    // k = -10: factor sin(π/4)^10 = 1/32, source (10.156, 10).
    TestPicture pushed(ImplodePicture(Host(), square.get(), ImplodeSettings{-10.0, 0.5, 0.5}));
    ASSERT_NE(nullptr, pushed.get());
    EXPECT_EQ(Bgr(107, 105, 200), pushed.At(15, 10));

    // Centre moved to (5, 15): (5,10) maps to (5, 15 - 5√2); (16,15) is 11
    // away, outside the circle.
    TestPicture moved(ImplodePicture(Host(), square.get(), ImplodeSettings{1.0, 0.25, 0.75}));
    ASSERT_NE(nullptr, moved.get());
    EXPECT_EQ(Bgr(55, 84, 200), moved.At(5, 10));
    EXPECT_EQ(square.At(16, 15), moved.At(16, 15));

    // 20 × 40 (higher than wide): radius 20, x scale 2.  (15,20) is 10 away
    // and maps to (10 + √2 × 10 / 2, 20); (0,20) is on the circle.
    TestPicture tall(20, 40);
    tall.FillGradient(10, 6);
    TestPicture tallPulled(ImplodePicture(Host(), tall.get(), ImplodeSettings{1.0, 0.5, 0.5}));
    ASSERT_NE(nullptr, tallPulled.get());
    EXPECT_EQ(Bgr(176, 123, 200), tallPulled.At(15, 20));
    EXPECT_EQ(tall.At(0, 20), tallPulled.At(0, 20));
    EXPECT_EQ(Bgr(14, 123, 200), tallPulled.At(1, 20));
}

TEST(ImplodeFilter, FullRunReportsProgressAndPreviewMatches) {
    TestPicture source(1000, 500);
    source.FillNoise(3);
    PictureHostServices host = RecordingHost();
    const ImplodeSettings settings{ImplodeAmount(700), 0.4, 0.55};
    TestPicture full(ImplodePicture(&host, source.get(), settings));
    ASSERT_NE(nullptr, full.get());
    ExpectProgressOverRows(500);
    g_calls.clear();
    PluginDib* preview = ImplodePreview(&host, source.working(), settings);
    ASSERT_NE(nullptr, preview);
    EXPECT_TRUE(g_calls.empty());
    EXPECT_EQ(0, std::memcmp(full.pixels(), preview->pixels, 1000 * 500 * 4));
    Host()->FreeDib(preview);
}

TEST(ImplodeFilter, RefusesTinyPicturesAndBadSettings) {
    TestPicture thin(2, 50), flat(50, 2), fine(3, 3);
    const ImplodeSettings usual{0.5, 0.5, 0.5};
    EXPECT_EQ(nullptr, ImplodePicture(Host(), thin.get(), usual));
    EXPECT_EQ(nullptr, ImplodePicture(Host(), flat.get(), usual));
    EXPECT_EQ(nullptr, ImplodePreview(Host(), thin.working(), usual));
    TestPicture made(ImplodePicture(Host(), fine.get(), usual));
    EXPECT_NE(nullptr, made.get());
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(nullptr, ImplodePicture(Host(), fine.get(), ImplodeSettings{nan, 0.5, 0.5}));
    EXPECT_EQ(nullptr, ImplodePicture(Host(), fine.get(), ImplodeSettings{0.5, nan, 0.5}));
    EXPECT_EQ(nullptr, ImplodePicture(Host(), nullptr, usual));
}

// ---------------------------------------------------------------------------
// Wave.

TEST(WaveFilter, ResultIsTallerByTwiceTheAmplitude) {
    EXPECT_EQ(108, WaveResultHeight(100, 4));
    EXPECT_EQ(108, WaveResultHeight(100, -4));
    EXPECT_EQ(105, WaveResultHeight(100, 2.7)) << "100 + 5.4, truncated";
    EXPECT_EQ(0, WaveResultHeight(100, 2e9)) << "too tall for an int";
    EXPECT_EQ(0, WaveResultHeight(100, std::numeric_limits<double>::infinity()));
}

TEST(WaveFilter, EachColumnIsItsBandWithBackgroundAboveAndBelow) {
    const DWORD colour = Bgr(40, 80, 120, 160);
    TestPicture source(30, 100);
    source.Fill(colour);
    TestPicture result(WavePicture(Host(), source.get(), WaveSettings{30, 4}));
    ASSERT_NE(nullptr, result.get());
    ASSERT_EQ(30, result.width());
    ASSERT_EQ(108, result.height());
    const double pi = 3.14159265358979323846;
    for (int x = 0; x < 30; ++x) {
        const double offset = 4 + 4 * std::sin(2 * pi * x / 30);
        for (int y = 0; y < 108; ++y) {
            const double w = y - offset + 0.5;  // the source row the sampler sees
            const DWORD got = result.At(x, y);
            if (w < -1 || w >= 100) {
                ASSERT_EQ(0u, got) << "background at " << x << "," << y;
            } else if (w >= 0 && w < 99 && x < 29) {
                ASSERT_EQ(colour, got) << "band at " << x << "," << y;
            } else if (w >= 0 && w < 99) {
                // The last column blends with the background on its right.
                ASSERT_EQ(Bgr(20, 40, 60, 80), got) << "right edge at " << y;
            }
        }
    }
    // Column 0 is shifted by exactly 4: rows 0-2 background, 3 half, 4-102
    // the band, 103 half, 104-107 background.
    EXPECT_EQ(0u, result.At(0, 2));
    EXPECT_EQ(Bgr(20, 40, 60, 80), result.At(0, 3));
    EXPECT_EQ(colour, result.At(0, 4));
    EXPECT_EQ(colour, result.At(0, 102));
    EXPECT_EQ(Bgr(20, 40, 60, 80), result.At(0, 103));
    EXPECT_EQ(0u, result.At(0, 104));
}

TEST(WaveFilter, HandWorkedPixels) {
    TestPicture source(20, 20);
    source.FillGradient(10, 10);
    TestPicture result(WavePicture(Host(), source.get(), WaveSettings{20, 4}));
    ASSERT_NE(nullptr, result.get());
    ASSERT_EQ(28, result.height());
    // Column 5: offset 4 + 4 sin(π/2) = 8; (5,10) reads (5, 2).
    EXPECT_EQ(Bgr(55, 25, 200), result.At(5, 10));
    // (5,7) reads (5,-1): half of row 0, half background.
    EXPECT_EQ(Bgr(28, 0, 100), result.At(5, 7));
    // Column 15: offset 0; column 0: offset 4.
    EXPECT_EQ(Bgr(155, 5, 200), result.At(15, 0));
    EXPECT_EQ(Bgr(5, 5, 200), result.At(0, 4));
    // A negative amplitude mirrors the wave: column 5 is shifted by 0.
    TestPicture mirrored(WavePicture(Host(), source.get(), WaveSettings{20, -4}));
    ASSERT_NE(nullptr, mirrored.get());
    EXPECT_EQ(Bgr(55, 5, 200), mirrored.At(5, 0));
}

TEST(WaveFilter, FullRunReportsProgressOverTheResultRows) {
    TestPicture source(8, 900);
    PictureHostServices host = RecordingHost();
    TestPicture result(WavePicture(&host, source.get(), WaveSettings{8, 50}));
    ASSERT_NE(nullptr, result.get());
    ExpectProgressOverRows(1000);
    g_calls.clear();
    PluginDib* preview = WavePreview(&host, source.working(), WaveSettings{8, 50});
    ASSERT_NE(nullptr, preview);
    EXPECT_EQ(1000, HeightOf(preview));
    EXPECT_TRUE(g_calls.empty());
    Host()->FreeDib(preview);
}

TEST(WaveFilter, RefusesTinyPicturesAndBadSettings) {
    TestPicture fine(10, 10), thin(2, 10), flat(10, 2);
    EXPECT_EQ(nullptr, WavePicture(Host(), thin.get(), WaveSettings{10, 4}));
    EXPECT_EQ(nullptr, WavePicture(Host(), flat.get(), WaveSettings{10, 4}));
    EXPECT_EQ(nullptr, WavePreview(Host(), flat.working(), WaveSettings{10, 4}));
    EXPECT_EQ(nullptr, WavePicture(Host(), fine.get(), WaveSettings{0, 4})) << "no wavelength";
    EXPECT_EQ(nullptr, WavePicture(Host(), fine.get(), WaveSettings{-5, 4}));
    EXPECT_EQ(nullptr, WavePicture(Host(), fine.get(), WaveSettings{std::numeric_limits<double>::quiet_NaN(), 4}));
    EXPECT_EQ(nullptr, WavePicture(Host(), fine.get(), WaveSettings{10, std::numeric_limits<double>::infinity()}));
    EXPECT_EQ(nullptr, WavePicture(Host(), fine.get(), WaveSettings{10, 3e9})) << "result too tall";
    TestPicture made(WavePicture(Host(), fine.get(), WaveSettings{10, 0}));
    ASSERT_NE(nullptr, made.get());
    EXPECT_EQ(10, made.height()) << "no amplitude: same height";
}

}  // namespace
