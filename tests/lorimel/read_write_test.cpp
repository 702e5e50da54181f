// Writing DIB blocks of every depth and reading them back through the
// calling orders the viewer uses; pages, delays, reduced-size decoding and
// the row progress callback.
#include "lorimel_fixture.h"

#include <cstdlib>
#include <vector>

namespace {

class LorimelReadWriteTest : public LorimelTest {};

// A picture whose colour changes along both axes.
DWORD Pattern(LONG x, LONG y) {
    return static_cast<DWORD>(((x * 37) & 0xFF) | (((y * 53) & 0xFF) << 8) | (((x + y) * 11 & 0xFF) << 16));
}

TestDib TrueColour(LONG w, LONG h, int bits) {
    TestDib dib = MakeDib(w, h, bits);
    for (LONG y = 0; y < h; ++y) {
        BYTE* row = dib.pixels() + y * dib.rowBytes;
        for (LONG x = 0; x < w; ++x) {
            DWORD p = Pattern(x, y);
            BYTE b = Blue(p), g = Green(p), r = Red(p);
            if (bits == 32) {
                reinterpret_cast<DWORD*>(row)[x] = p;
            } else if (bits == 24) {
                row[3 * x] = b, row[3 * x + 1] = g, row[3 * x + 2] = r;
            } else if (bits == 16) {
                WORD v = static_cast<WORD>((r & 0xF8) << 8 | (g & 0xFC) << 3 | b >> 3);
                reinterpret_cast<WORD*>(row)[x] = v;
            } else if (bits == 15) {
                WORD v = static_cast<WORD>((r & 0xF8) << 7 | (g & 0xF8) << 2 | b >> 3);
                reinterpret_cast<WORD*>(row)[x] = v;
            }
        }
    }
    return dib;
}

TestDib Palette(LONG w, LONG h, int bits) {
    TestDib dib = MakeDib(w, h, bits);
    const int colors = 1 << bits;
    for (int i = 0; i < colors; ++i)
        dib.palette()[i] = RGBQUAD{static_cast<BYTE>(i * 255 / (colors - 1)), static_cast<BYTE>(i * 7),
                                   static_cast<BYTE>(255 - i), 0};
    for (LONG y = 0; y < h; ++y) {
        BYTE* row = dib.pixels() + y * dib.rowBytes;
        for (LONG x = 0; x < w; ++x) {
            int index = (x + 3 * y) % colors;
            int perByte = 8 / bits, shift = (perByte - 1 - x % perByte) * bits;
            row[x / perByte] |= static_cast<BYTE>(index << shift);
        }
    }
    return dib;
}

DWORD PaletteColour(int bits, LONG x, LONG y) {
    const int colors = 1 << bits, i = (x + 3 * y) % colors;
    return static_cast<DWORD>(i * 255 / (colors - 1)) | static_cast<DWORD>((i * 7) & 0xFF) << 8 |
           static_cast<DWORD>(255 - i) << 16;
}

}  // namespace

TEST_F(LorimelReadWriteTest, BmpRoundTripsAtEveryDepth) {
    const LONG w = 13, h = 7;  // odd width: padded rows at every depth
    struct Case { int bits; LONG storedBits; };
    for (Case c : {Case{1, 1}, Case{2, 2}, Case{4, 4}, Case{8, 8}, Case{24, 24}, Case{32, 32}}) {
        SCOPED_TRACE(c.bits);
        std::string path = Scratch("depth" + std::to_string(c.bits) + ".bmp");
        TestDib dib = c.bits <= 8 ? Palette(w, h, c.bits) : TrueColour(w, h, c.bits);
        ASSERT_EQ(1, WriteDib(path, "BMP", dib));
        Decoded d = DecodeFile(path);
        ASSERT_EQ(1, d.result);
        EXPECT_EQ("BMP", d.format);
        EXPECT_EQ(1, d.pages);
        EXPECT_EQ(w, d.info.width);
        EXPECT_EQ(h, d.info.height);
        EXPECT_EQ(c.storedBits, d.info.bitsPerPixel);
        for (LONG y = 0; y < h; ++y)
            for (LONG x = 0; x < w; ++x) {
                DWORD want = c.bits <= 8 ? PaletteColour(c.bits, x, y) : Pattern(x, y);
                ASSERT_EQ(want, d.pixels[y * w + x]) << x << "," << y;
            }
    }
}

TEST_F(LorimelReadWriteTest, FiveBitPixelsAreWidenedOnWrite) {
    const LONG w = 9, h = 4;
    for (int bits : {15, 16}) {
        SCOPED_TRACE(bits);
        std::string path = Scratch("depth" + std::to_string(bits) + ".png");
        ASSERT_EQ(1, WriteDib(path, "PNG", TrueColour(w, h, bits)));
        Decoded d = DecodeFile(path);
        ASSERT_EQ(1, d.result);
        for (LONG y = 0; y < h; ++y)
            for (LONG x = 0; x < w; ++x) {
                DWORD p = Pattern(x, y), got = d.pixels[y * w + x];
                // The top bits survive; the low ones are copies of them.
                EXPECT_EQ(Red(p) & 0xF8, Red(got) & 0xF8);
                EXPECT_EQ(Blue(p) & 0xF8, Blue(got) & 0xF8);
                EXPECT_EQ(Green(p) & (bits == 16 ? 0xFC : 0xF8), Green(got) & (bits == 16 ? 0xFC : 0xF8));
            }
    }
}

TEST_F(LorimelReadWriteTest, LosslessFormatsKeepEveryPixelAndJpegStaysClose) {
    const LONG w = 31, h = 17;
    TestDib dib = TrueColour(w, h, 32);
    for (const char* f : {"PNG", "TIFF", "PCX", "TGA", "PPM"}) {
        SCOPED_TRACE(f);
        std::string path = Scratch(std::string("lossless.") + f);
        ASSERT_EQ(1, WriteDib(path, f, dib));
        Decoded d = DecodeFile(path);
        ASSERT_EQ(1, d.result);
        for (LONG i = 0; i < w * h; ++i) ASSERT_EQ(Pattern(i % w, i / w), d.pixels[i]) << i;
    }
    // JPEG at quality 95: smooth picture, small differences only.
    TestDib smooth = MakeDib(64, 48, 24);
    for (LONG y = 0; y < 48; ++y)
        for (LONG x = 0; x < 64; ++x) {
            BYTE* p = smooth.pixels() + y * smooth.rowBytes + 3 * x;
            p[0] = static_cast<BYTE>(x * 4), p[1] = static_cast<BYTE>(y * 5), p[2] = 128;
        }
    std::string jpeg = Scratch("smooth.jpg");
    ASSERT_EQ(1, WriteDib(jpeg, "JPEG24", smooth, 95));
    Decoded d = DecodeFile(jpeg);
    ASSERT_EQ(1, d.result);
    EXPECT_EQ("JPG", d.format) << "detected by its extension and content";
    EXPECT_EQ(24, d.info.bitsPerPixel);
    long worst = 0;
    for (LONG y = 0; y < 48; ++y)
        for (LONG x = 0; x < 64; ++x) {
            DWORD got = d.pixels[y * 64 + x];
            worst = std::max(worst, std::labs(static_cast<long>(Blue(got)) - x * 4));
            worst = std::max(worst, std::labs(static_cast<long>(Green(got)) - y * 5));
            worst = std::max(worst, std::labs(static_cast<long>(Red(got)) - 128));
        }
    EXPECT_LE(worst, 12);
}

TEST_F(LorimelReadWriteTest, ReducedSizeDecodeFillsExactlyTheAskedSize) {
    const LONG w = 1600, h = 1200;
    TestDib dib = MakeDib(w, h, 24);
    for (LONG y = 0; y < h; ++y)
        for (LONG x = 0; x < w; ++x) {
            BYTE* p = dib.pixels() + y * dib.rowBytes + 3 * x;
            bool left = x < w / 2, top = y < h / 2;  // four flat quadrants
            p[0] = left ? 200 : 20, p[1] = top ? 180 : 40, p[2] = 90;
        }
    std::string path = Scratch("large.jpg");
    ASSERT_EQ(1, WriteDib(path, "JPEG", dib, 90));
    for (auto size : {std::pair<LONG, LONG>{48, 36}, {200, 150}, {47, 35}}) {
        SCOPED_TRACE(size.first);
        Decoded d = DecodeFile(path, 0, size.first, size.second);
        ASSERT_EQ(1, d.result);
        EXPECT_EQ(w, d.info.width) << "page info keeps the stored size";
        LONG sw = size.first, sh = size.second;
        DWORD tl = d.pixels[2 * sw + 2], br = d.pixels[(sh - 3) * sw + sw - 3];
        EXPECT_NEAR(200, Blue(tl), 12);
        EXPECT_NEAR(180, Green(tl), 12);
        EXPECT_NEAR(20, Blue(br), 12);
        EXPECT_NEAR(40, Green(br), 12);
        EXPECT_EQ(0, d.pixels.back() >> 24) << "fourth byte stays zero";
    }
}

// A progressive JPEG read at an eighth of its size or less is decoded from
// its DC scans alone: it must look like the same picture read from the
// baseline file, at every such size and at a size that takes the whole file.
TEST_F(LorimelReadWriteTest, ProgressiveJpegReducedLooksLikeTheBaselineOne) {
    // Made beside the test programs from the sample photo at build time.
    const std::string path = Samples("..\\tests\\photo-progressive.jpg");
    for (auto size : {std::pair<LONG, LONG>{80, 60}, {48, 36}, {13, 9}, {200, 150}}) {
        SCOPED_TRACE(size.first);
        Decoded baseline = DecodeFile(Samples("photo.jpg"), 0, size.first, size.second);
        Decoded progressive = DecodeFile(path, 0, size.first, size.second);
        ASSERT_EQ(1, baseline.result);
        ASSERT_EQ(1, progressive.result);
        EXPECT_EQ(640, progressive.info.width);
        ASSERT_EQ(baseline.pixels.size(), progressive.pixels.size());
        long total = 0, worst = 0;
        for (size_t i = 0; i < baseline.pixels.size(); ++i) {
            const DWORD a = baseline.pixels[i], b = progressive.pixels[i];
            for (int shift = 0; shift < 24; shift += 8) {
                const long d = std::labs(static_cast<long>((a >> shift) & 0xFF) - static_cast<long>((b >> shift) & 0xFF));
                total += d;
                if (d > worst) worst = d;
            }
        }
        EXPECT_LT(total / static_cast<long>(3 * baseline.pixels.size()), 4) << "mean difference per channel";
        EXPECT_LT(worst, 64);
    }

    // Cut short inside its scans, it still gives a picture of the asked size.
    const std::vector<BYTE> bytes = ReadBytes(path);
    ASSERT_GT(bytes.size(), 1000u);
    for (size_t cut : {bytes.size() / 2, bytes.size() / 8}) {
        SCOPED_TRACE(cut);
        const std::string torn = Scratch("torn-progressive.jpg");
        WriteBytes(torn, std::vector<BYTE>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut)));
        EXPECT_EQ(1, DecodeFile(torn, 0, 80, 60).result);
    }
}

namespace {
LONG g_rowsSeen = 0, g_lastRow = -1, g_stopAfter = 0;
// When set, every reported row must already be in this buffer.
const DWORD* g_watch = nullptr;
LONG g_watchWidth = 0, g_rowsMissing = 0;
LONG WINAPI CountRows(LONG, const char*, LONG row, LONG) {
    ++g_rowsSeen;
    g_lastRow = row;
    if (g_watch && Blue(g_watch[row * g_watchWidth]) != 0xC0) ++g_rowsMissing;
    return g_stopAfter == 0 || g_rowsSeen < g_stopAfter;
}
}  // namespace

TEST_F(LorimelReadWriteTest, ProgressReportsRowsAndStopsWhenAsked) {
    const LONG w = 64, h = 400;
    TestDib dib = MakeDib(w, h, 24);
    std::fill(dib.pixels(), dib.pixels() + dib.rowBytes * h, 0xC0);
    std::string path = Scratch("rows.png");
    ASSERT_EQ(1, WriteDib(path, "PNG", dib));

    g_rowsSeen = 0, g_lastRow = -1, g_stopAfter = 0;
    api.SetImageProgressCallback(nullptr, CountRows);
    Decoded all = DecodeFile(path);
    EXPECT_EQ(1, all.result);
    EXPECT_GE(g_rowsSeen, h);
    EXPECT_EQ(h - 1, g_lastRow);

    g_rowsSeen = 0, g_stopAfter = 50;
    Decoded part = DecodeFile(path);
    api.SetImageProgressCallback(nullptr, nullptr);
    EXPECT_EQ(50, g_rowsSeen) << "the decode stops at the row that said stop";
    EXPECT_EQ(0xC0u, Blue(part.pixels[10 * w])) << "rows before the stop arrived";
    EXPECT_EQ(0u, part.pixels[(h - 1) * w]) << "rows after it stay zero";

    g_rowsSeen = 0;
    DecodeFile(path);
    EXPECT_EQ(0, g_rowsSeen) << "no callback once removed";
}

TEST_F(LorimelReadWriteTest, RowsAreInTheBufferWhenReported) {
    // PNG delivers rows top-down, BMP bottom-up; a viewer paints each row as
    // soon as it is reported, so it must be in the buffer by then.
    const LONG w = 48, h = 300;
    TestDib dib = MakeDib(w, h, 24);
    std::fill(dib.pixels(), dib.pixels() + dib.rowBytes * h, 0xC0);
    for (const char* f : {"PNG", "BMP"}) {
        SCOPED_TRACE(f);
        std::string path = Scratch(std::string("early.") + f);
        ASSERT_EQ(1, WriteDib(path, f, dib));
        LorimelHandle handle = api.OpenImageFile(path.c_str(), "rb", f, 0);
        ASSERT_NE(nullptr, handle);
        ASSERT_EQ(1, api.ReadImageHeader(handle));
        std::vector<DWORD> pixels(w * h, 0);
        g_watch = pixels.data(), g_watchWidth = w, g_rowsMissing = 0;
        g_rowsSeen = 0, g_lastRow = -1, g_stopAfter = 0;
        api.SetImageProgressCallback(nullptr, CountRows);
        EXPECT_EQ(1, api.ReadImagePixels(handle, pixels.data(), w, h, 0));
        api.SetImageProgressCallback(nullptr, nullptr);
        g_watch = nullptr;
        api.CloseImageFile(handle);
        EXPECT_GE(g_rowsSeen, h);
        EXPECT_EQ(0, g_rowsMissing) << "rows reported before they reached the buffer";
    }
}

TEST_F(LorimelReadWriteTest, BundledSamplesOpenWithTheirPagesAndDelays) {
    struct Sample { const char* name; const char* format; LONG pages; LONG bits; };
    const Sample samples[] = {
        {"bmp-1bit.bmp", "BMP", 1, 1},  {"bmp-4bit.bmp", "BMP", 1, 4},
        {"bmp-8bit.bmp", "BMP", 1, 8},  {"bmp-24bit.bmp", "BMP", 1, 24},
        {"photo.jpg", "JPG", 1, 24},    {"alpha.png", "PNG", 1, 32},
        {"multipage.tif", "TIF", 3, 0}, {"animated.gif", "GIF", 4, 0},
        {"icon.ico", "ICO", 2, 0},
    };
    for (const Sample& s : samples) {
        SCOPED_TRACE(s.name);
        std::string path = Samples(s.name);
        if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
            ADD_FAILURE() << "sample missing: " << path;
            continue;
        }
        Decoded d = DecodeFile(path, s.pages - 1);
        EXPECT_EQ(s.format, d.format);
        EXPECT_EQ(s.pages, d.pages);
        EXPECT_EQ(1, d.result);
        if (s.bits) {
            EXPECT_EQ(s.bits, d.info.bitsPerPixel);
        }
    }
    // Animation delays in milliseconds; a GIF page is the composed canvas.
    char format[200] = {};
    std::string gif = Samples("animated.gif");
    ASSERT_EQ(1, api.DetectImageFormat(gif.c_str(), format));
    LorimelHandle h = api.OpenImageFile(gif.c_str(), "rb", format, 0);
    ASSERT_NE(nullptr, h);
    ASSERT_EQ(4, api.ReadImageHeader(h));
    EXPECT_EQ(200, api.GetImagePageDelay(h, 0));
    EXPECT_EQ(0, api.GetImagePageDelay(h, 4));
    EXPECT_EQ(0, api.HandleFormatFlag4(h));
    api.CloseImageFile(h);
}

TEST_F(LorimelReadWriteTest, AnimationPagesSmallerThanTheCanvasAreComposed) {
    // The same four frames, stored whole and stored as changed rectangles.
    for (LONG page = 0; page < 4; ++page) {
        SCOPED_TRACE(page);
        Decoded whole = DecodeFile(Samples("animated.gif"), page);
        Decoded parts = DecodeFile(Samples("animated-parts.gif"), page);
        ASSERT_EQ(1, parts.result);
        EXPECT_EQ(4, parts.pages);
        EXPECT_EQ(170, parts.info.width);
        EXPECT_EQ(60, parts.info.height);
        ASSERT_EQ(whole.pixels.size(), parts.pixels.size());
        EXPECT_TRUE(whole.pixels == parts.pixels) << "composed page differs from the whole frame";
    }
}

TEST_F(LorimelReadWriteTest, AnimationPagesComposeAlikeInAnyOrderOnOneHandle) {
    // One open file keeps the composed canvas between reads: going back,
    // skipping ahead and asking twice must give what a fresh read gives.
    const std::string path = Samples("animated-parts.gif");
    char format[200] = {};
    ASSERT_EQ(1, api.DetectImageFormat(path.c_str(), format));
    LorimelHandle h = api.OpenImageFile(path.c_str(), "rb", format, 0);
    ASSERT_NE(nullptr, h);
    ASSERT_EQ(4, api.ReadImageHeader(h));
    std::vector<DWORD> pixels(170 * 60);
    for (LONG page : {3, 1, 2, 2, 0, 3}) {
        SCOPED_TRACE(page);
        ASSERT_EQ(1, api.ReadImagePixels(h, pixels.data(), 170, 60, page));
        EXPECT_TRUE(DecodeFile(Samples("animated.gif"), page).pixels == pixels);
    }
    api.CloseImageFile(h);
}

TEST_F(LorimelReadWriteTest, PageWiderThan32768EndsThePageCount) {
    TestDib wide = MakeDib(32769, 1, 24);
    std::string path = Scratch("wide.png");
    ASSERT_EQ(1, WriteDib(path, "PNG", wide));
    char format[200] = {};
    ASSERT_EQ(1, api.DetectImageFormat(path.c_str(), format));
    LorimelHandle h = api.OpenImageFile(path.c_str(), "rb", format, 0);
    ASSERT_NE(nullptr, h);
    EXPECT_EQ(0, api.ReadImageHeader(h));
    LorimelPageInfo info{};
    EXPECT_EQ(0, api.GetImagePageInfo(h, &info));
    api.CloseImageFile(h);
}
