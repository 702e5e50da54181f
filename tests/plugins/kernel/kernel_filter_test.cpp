// Blur and Sharpen through the host's real services table: what they refuse,
// that the kernel is normalised (a flat picture stays flat), which way each
// one moves an edge, that the fast row-and-column evaluation agrees with the
// a^2-term sum written out here, and the busy and progress calls of a run.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <string>
#include <vector>

#include "kernel_filter.h"
#include "plugin_pictures.h"

namespace {

BYTE Channel(DWORD pixel, int c) { return static_cast<BYTE>(pixel >> (8 * c)); }

// The filter as stated, term by term: v = sum over i, j = -t..t of
// K[i][j] x byte(x + j, y + i), a coordinate outside the picture wrapped to
// the other side and kept inside; v / S unless S is 0 or 1; clamped and
// truncated.
std::vector<DWORD> DirectKernel(const PluginDib* source, KernelKind kind, int a) {
    const LONG width = WidthOf(source), height = HeightOf(source);
    const int t = a / 2;
    std::vector<double> k(a * a);
    for (int i = -t; i <= t; ++i)
        for (int j = -t; j <= t; ++j)
            k[(i + t) * a + j + t] = (kind == KernelKind::Blur ? 1 : -1) * std::exp(-double(i * i + j * j));
    k[t * a + t] = (kind == KernelKind::Blur ? 5.0 : 30.0) / a;
    double s = 0;
    for (double value : k) s += value;
    auto wrap = [](LONG c, LONG size) {
        if (c < 0) c += size;
        else if (c >= size) c -= size;
        return c > size - 1 ? size - 1 : c;
    };
    std::vector<DWORD> out(width * height);
    for (LONG y = 0; y < height; ++y)
        for (LONG x = 0; x < width; ++x) {
            DWORD pixel = 0;
            for (int c = 0; c < 4; ++c) {
                double v = 0;
                for (int i = -t; i <= t; ++i)
                    for (int j = -t; j <= t; ++j)
                        v += k[(i + t) * a + j + t] *
                             Channel(PixelAt(source, wrap(x + j, width), wrap(y + i, height)), c);
                if (s != 0 && s != 1) v /= s;
                const BYTE byte = !(v >= 0) ? 0 : v > 255 ? 255 : static_cast<BYTE>(static_cast<int>(v));
                pixel |= static_cast<DWORD>(byte) << (8 * c);
            }
            out[y * width + x] = pixel;
        }
    return out;
}

std::vector<DWORD> Filtered(KernelKind kind, const PluginPicture* picture, int a) {
    OwnedPicture result(KernelFilterPicture(&Host(), picture, kind, a));
    return result ? PixelsCopy(result.working()) : std::vector<DWORD>();
}

TEST(KernelFilter, RefusesPicturesTooSmallForTheKernel) {
    for (KernelKind kind : {KernelKind::Blur, KernelKind::Sharpen}) {
        OwnedPicture narrow(9, 200), low(200, 9), ten(10, 10), two(2, 50);
        EXPECT_EQ(nullptr, KernelFilterPicture(&Host(), narrow.get(), kind, 3)) << "9 or less wide";
        EXPECT_EQ(nullptr, KernelFilterPicture(&Host(), low.get(), kind, 3)) << "9 or less high";
        EXPECT_EQ(nullptr, KernelFilterPicture(&Host(), two.get(), kind, 3));
        EXPECT_EQ(nullptr, KernelFilterPicture(&Host(), ten.get(), kind, 13)) << "smaller than the kernel";
        EXPECT_EQ(nullptr, KernelFilterPicture(&Host(), ten.get(), kind, 11)) << "smaller than the kernel";
        OwnedPicture filtered(KernelFilterPicture(&Host(), ten.get(), kind, 3));
        ASSERT_TRUE(filtered);
        EXPECT_EQ(10, WidthOf(filtered.working()));
        EXPECT_EQ(10, HeightOf(filtered.working()));
        OwnedPicture eleven(11, 11);
        OwnedPicture largest(KernelFilterPicture(&Host(), eleven.get(), kind, 11));
        EXPECT_TRUE(largest) << "a picture as large as the kernel is filtered";
        // The preview refuses the same way.
        EXPECT_EQ(nullptr, KernelFilterDib(&Host(), narrow.working(), kind, 3));
        OwnedDib preview(KernelFilterDib(&Host(), ten.working(), kind, 3));
        EXPECT_TRUE(preview);
    }
}

TEST(KernelFilter, RefusesBadKernelSizesAndBadInput) {
    OwnedPicture picture(40, 40);
    for (int a : {0, -3, 2, 4, 12, 15, 27})
        EXPECT_EQ(nullptr, KernelFilterPicture(&Host(), picture.get(), KernelKind::Blur, a)) << "a = " << a;
    EXPECT_EQ(nullptr, KernelFilterPicture(nullptr, picture.get(), KernelKind::Blur, 3));
    EXPECT_EQ(nullptr, KernelFilterPicture(&Host(), nullptr, KernelKind::Blur, 3));
    EXPECT_EQ(nullptr, KernelFilterDib(&Host(), nullptr, KernelKind::Sharpen, 3));
    // Only 32-bit blocks are filtered.
    OwnedDib paletted(40, 40);
    ASSERT_TRUE(Host().SetDibFormat(paletted.get(), 8));
    EXPECT_EQ(nullptr, KernelFilterDib(&Host(), paletted.get(), KernelKind::Blur, 3));
}

TEST(KernelFilter, FlatPicturesStayFlatBecauseTheKernelIsNormalised) {
    OwnedPicture grey(40, 30);
    FillWith(grey.working(), 0x00808080);
    for (KernelKind kind : {KernelKind::Blur, KernelKind::Sharpen})
        for (int a = 3; a <= 13; a += 2) {
            const std::vector<DWORD> out = Filtered(kind, grey.get(), a);
            ASSERT_EQ(40u * 30u, out.size());
            for (DWORD pixel : out) ASSERT_EQ(0x00808080u, pixel) << "a = " << a;
        }
}

TEST(KernelFilter, BlurSoftensAnEdgeAndSharpenSteepensIt) {
    // Left half 100, right half 150, in every byte.
    OwnedPicture edge(40, 20);
    for (LONG y = 0; y < 20; ++y)
        for (LONG x = 0; x < 40; ++x) PixelsOf(edge.working())[y * 40 + x] = x < 20 ? 0x64646464u : 0x96969696u;
    const std::vector<DWORD> blurred = Filtered(KernelKind::Blur, edge.get(), 5);
    const std::vector<DWORD> sharpened = Filtered(KernelKind::Sharpen, edge.get(), 5);
    ASSERT_FALSE(blurred.empty());
    ASSERT_FALSE(sharpened.empty());
    const LONG row = 10 * 40;
    for (int c = 0; c < 4; ++c) {
        EXPECT_GT(Channel(blurred[row + 19], c), 100);
        EXPECT_LT(Channel(blurred[row + 20], c), 150);
        EXPECT_LT(Channel(sharpened[row + 19], c), 100) << "the dark side gets darker";
        EXPECT_GT(Channel(sharpened[row + 20], c), 150) << "the bright side gets brighter";
        EXPECT_EQ(100, Channel(blurred[row + 10], c)) << "far from the edge nothing changes";
        EXPECT_EQ(150, Channel(sharpened[row + 30], c));
    }
    // Column 0 sees column 39 through the wrap: it is an edge too.
    EXPECT_GT(Channel(blurred[row], 0), 100);
}

// The fast evaluation (rows, then columns, then the centre term) is the
// a^2-term sum regrouped; the two may only part where the exact sum lies
// within rounding of a whole number, and then truncate to neighbours.
TEST(KernelFilter, FastEvaluationMatchesTheDirectSumWithinOne) {
    OwnedPicture picture(37, 29);  // odd sizes, and the wrap reaches every edge
    FillVaried(picture.working());
    for (KernelKind kind : {KernelKind::Blur, KernelKind::Sharpen})
        for (int a = 3; a <= 13; a += 2) {
            const std::vector<DWORD> fast = Filtered(kind, picture.get(), a);
            const std::vector<DWORD> direct = DirectKernel(picture.working(), kind, a);
            ASSERT_EQ(direct.size(), fast.size());
            int differing = 0;
            for (size_t n = 0; n < direct.size(); ++n)
                for (int c = 0; c < 4; ++c) {
                    const int d = Channel(fast[n], c) - Channel(direct[n], c);
                    ASSERT_LE(std::abs(d), 1) << (kind == KernelKind::Blur ? "Blur" : "Sharpen") << " a = " << a
                                              << " pixel " << n % 37 << "," << n / 37 << " byte " << c;
                    differing += d != 0;
                }
            EXPECT_LE(differing, static_cast<int>(direct.size() * 4 / 100))
                << "a = " << a << ": only sums on a truncation boundary may differ";
        }
}

TEST(KernelFilter, PreviewComputesTheSameAsTheRun) {
    OwnedPicture picture(30, 25);
    FillVaried(picture.working(), 99);
    OwnedDib preview(KernelFilterDib(&Host(), picture.working(), KernelKind::Sharpen, 7));
    ASSERT_TRUE(preview);
    EXPECT_EQ(Filtered(KernelKind::Sharpen, picture.get(), 7), PixelsCopy(preview.get()));
}

// A services table that records the busy and progress calls.
struct Calls {
    std::vector<std::string> log;
    std::vector<LONG> rows;
} g_calls;
void WINAPI RecordBegin() { g_calls.log.push_back("begin"); }
void WINAPI RecordProgress(LONG done, LONG total) {
    if (g_calls.log.empty() || g_calls.log.back() != "progress") g_calls.log.push_back("progress");
    g_calls.rows.push_back(done);
    EXPECT_EQ(1000, total);
}
void WINAPI RecordEnd() { g_calls.log.push_back("end"); }

PictureHostServices RecordingServices() {
    PictureHostServices services = Host();
    services.BeginBusy = RecordBegin;
    services.ShowProgress = RecordProgress;
    services.EndBusy = RecordEnd;
    return services;
}

TEST(KernelFilter, RunShowsProgressAboutAHundredTimesInsideBusy) {
    const PictureHostServices services = RecordingServices();
    OwnedPicture picture(12, 1000);
    FillVaried(picture.working());
    g_calls = Calls();
    OwnedPicture result(KernelFilterPicture(&services, picture.get(), KernelKind::Blur, 3));
    ASSERT_TRUE(result);
    EXPECT_EQ((std::vector<std::string>{"begin", "progress", "end"}), g_calls.log);
    EXPECT_GE(g_calls.rows.size(), 90u);
    EXPECT_LE(g_calls.rows.size(), 100u);
    for (size_t i = 1; i < g_calls.rows.size(); ++i) EXPECT_GT(g_calls.rows[i] - g_calls.rows[i - 1], 10);

    // The preview shows nothing of it; a refusal neither.
    g_calls = Calls();
    OwnedDib preview(KernelFilterDib(&services, picture.working(), KernelKind::Blur, 3));
    EXPECT_TRUE(preview);
    EXPECT_EQ(nullptr, KernelFilterPicture(&services, picture.get(), KernelKind::Blur, 13));
    EXPECT_TRUE(g_calls.log.empty());
}

}  // namespace
