// Where a picture lands on the page and in what shape it reaches the
// printer: the placement against hand-computed rectangles (including the
// sizes that overflow 32 bits and the sides that round to nothing), the size
// prepared in memory, the grey conversions against hand-computed bytes, and
// the monochrome path drawn into a DIB section that stands in for a printer
// (the printers Wine offers all report 32 colour bits).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <vector>

#include "print_layout.h"

namespace {

PrinterFacts Printer(int width, int height, int dpiX, int dpiY, int colourBits = 32,
                     int caps = RC_DIBTODEV | RC_STRETCHDIB) {
    PrinterFacts facts;
    facts.rasterCaps = caps;
    facts.colourBits = colourBits;
    facts.pageWidth = width;
    facts.pageHeight = height;
    facts.dpiX = dpiX;
    facts.dpiY = dpiY;
    return facts;
}

class Block {
public:
    Block(int width, int height, DWORD pixel) : block_(CreateDib(width, height)) {
        DWORD* p = reinterpret_cast<DWORD*>(block_->pixels);
        for (int i = 0; i < width * height; ++i) p[i] = pixel;
    }
    explicit Block(DibBlock* block) : block_(block) {}
    ~Block() { FreeDib(block_); }
    Block(const Block&) = delete;
    Block& operator=(const Block&) = delete;
    DibBlock* get() const { return block_; }
    std::vector<BYTE> Row(int y) const {
        const BYTE* row = block_->pixels + static_cast<size_t>(y) * DibRowBytes(block_->header);
        return std::vector<BYTE>(row, row + DibRowBytes(block_->header));
    }

private:
    DibBlock* block_;
};

TEST(PrintLayoutTest, TargetsAtNinetyPixelsAnInchFittedToThePageLessAnInch) {
    struct Case {
        const char* what;
        PrinterFacts printer;
        int width, height;
        RECT expected;
    };
    const Case cases[] = {
        {"900 x 600 at 600 dpi, fits: 6000 x 4000 centred", Printer(7000, 5000, 600, 600), 900, 600, {500, 500, 6500, 4500}},
        {"too wide: page width less an inch, half an inch in", Printer(4960, 7016, 600, 600), 900, 600, {300, 2055, 4660, 4961}},
        {"too tall: page height less an inch", Printer(2479, 3508, 300, 300), 600, 3000, {919, 150, 1560, 3358}},
        {"nearly square, width-bound: another inch off", Printer(2479, 3508, 300, 300), 1000, 1000, {300, 814, 2179, 2693}},
        {"nearly square, height-bound: another inch off", Printer(3508, 2479, 300, 300), 1000, 1000, {814, 300, 2693, 2179}},
        // The second test of the extra shrink looks at the height: here
        // the width is 400 short of the reduced height, the height reaches it.
        {"nearly square at 600 x 300 dpi", Printer(7000, 3300, 600, 300), 780, 1800, {2500, 300, 4500, 3000}},
        {"30000 x 1 keeps a row", Printer(2479, 3508, 300, 300), 30000, 1, {150, 1753, 2329, 1754}},
        {"60000 x 60000 at 2400 dpi: 64-bit products", Printer(20000, 28000, 2400, 2400), 60000, 60000,
         {2400, 6400, 17600, 21600}},
        {"1 x 1 at 30 dpi keeps a pixel", Printer(100, 100, 30, 30), 1, 1, {49, 49, 50, 50}},
    };
    for (const Case& c : cases) {
        const RECT r = PrintTarget(c.printer, c.width, c.height);
        EXPECT_EQ(c.expected.left, r.left) << c.what;
        EXPECT_EQ(c.expected.top, r.top) << c.what;
        EXPECT_EQ(c.expected.right, r.right) << c.what;
        EXPECT_EQ(c.expected.bottom, r.bottom) << c.what;
        EXPECT_GE(r.left, 0) << c.what;
        EXPECT_LE(r.right, c.printer.pageWidth) << c.what;
    }
}

TEST(PrintLayoutTest, PicturesTurnWhenPageAndPictureDifferInOrientation) {
    struct Case {
        int pageW, pageH, width, height;
        bool turns;
    };
    const Case cases[] = {
        {3508, 2479, 120, 180, true},  {2479, 3508, 180, 120, true}, {2479, 3508, 120, 180, false},
        {3508, 2479, 180, 120, false}, {2479, 3508, 100, 100, false}, {3000, 3000, 120, 180, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.turns, PrintTurnsPicture(Printer(c.pageW, c.pageH, 300, 300), c.width, c.height))
            << c.pageW << "x" << c.pageH << " page, " << c.width << "x" << c.height << " picture";
}

TEST(PrintLayoutTest, PreparedSizeFollowsThePrinterAndTheMemory) {
    struct Case {
        const char* what;
        PrinterFacts printer;
        int width, height, memory;
        SIZE expected;
    };
    const RECT target = {150, 150, 2150, 1350};   // 2000 x 1200 on a 2400 x 3400 page
    const PrinterFacts colour = Printer(2400, 3400, 300, 300);
    const PrinterFacts mono = Printer(2400, 3400, 300, 300, 1);
    const Case cases[] = {
        {"colour, small picture: its own size", colour, 600, 360, 512, {600, 360}},
        {"colour, large picture: half the target", colour, 1500, 900, 512, {1000, 600}},
        {"colour, no stretching: the target", Printer(2400, 3400, 300, 300, 32, RC_DIBTODEV), 600, 360, 512, {2000, 1200}},
        {"mono, 256 MB: the target", mono, 600, 360, 256, {2000, 1200}},
        {"mono, 200 MB: halved across", mono, 600, 360, 200, {1000, 1200}},
        {"mono, 100 MB: a quarter across", mono, 600, 360, 100, {500, 1200}},
        {"mono, 32 MB: a sixth across", mono, 600, 360, 32, {333, 1200}},
    };
    for (const Case& c : cases) {
        const SIZE size = PreparedPrintSize(c.printer, c.width, c.height, target, c.memory);
        EXPECT_EQ(c.expected.cx, size.cx) << c.what;
        EXPECT_EQ(c.expected.cy, size.cy) << c.what;
    }
}

// Rows of 16 pixels of one colour, converted, against bytes worked out by
// hand from the thresholds.
TEST(PrintLayoutTest, GreyConversionsMatchTheThresholdsBitForBit) {
    struct Case {
        const char* what;
        int depth;
        DWORD pixel;
        int light;
        std::vector<BYTE> row0, row1;
    };
    const Case cases[] = {
        // Grey 128 against 0 192 48 240 12 204 60 252 / 128 64 176 112 ...
        {"2 colours, grey 128", 1, 0x808080, 0, {0xAA, 0xAA, 0, 0}, {0x55, 0x55, 0, 0}},
        // 178 against the same rows: only 192, 240, 204, 252 and 188 stay black.
        {"2 colours, grey 128, light 50", 1, 0x808080, 50, {0xAA, 0xAA, 0, 0}, {0xFD, 0xFD, 0, 0}},
        // White: masked 248, less 128 is 120, which is not above 124.
        {"2 colours, white, light -128", 1, 0xFFFFFF, -128, {0xAA, 0xAA, 0, 0}, {0x54, 0x54, 0, 0}},
        // Grey 90: level 5, 5 left over, against 0 11 12 7 | 14 5 2 9 (x 0-3, y 0 and 1).
        {"16 greys, grey 90", 2, 0x5A5A5A, 0, {0x65, 0x55, 0x65, 0x55, 0x65, 0x55, 0x65, 0x55},
         {0x55, 0x65, 0x55, 0x65, 0x55, 0x65, 0x55, 0x65}},
        {"16 greys, grey 60, light 30", 2, 0x3C3C3C, 30, {0x65, 0x55, 0x65, 0x55, 0x65, 0x55, 0x65, 0x55},
         {0x55, 0x65, 0x55, 0x65, 0x55, 0x65, 0x55, 0x65}},
        {"16 greys, clamped to white", 2, 0xFAFAFA, 100, std::vector<BYTE>(8, 0xFF), std::vector<BYTE>(8, 0xFF)},
        {"16 greys, clamped to black", 2, 0x0A0A0A, -128, std::vector<BYTE>(8, 0x00), std::vector<BYTE>(8, 0x00)},
    };
    for (const Case& c : cases) {
        Block picture(16, 2, c.pixel);
        Block grey(c.depth == 1 ? PrintDibTwoColours(picture.get(), c.light) : PrintDibFastGreys(picture.get(), c.light));
        ASSERT_NE(nullptr, grey.get()) << c.what;
        EXPECT_EQ(c.depth == 1 ? 1 : 4, grey.get()->header->biBitCount) << c.what;
        EXPECT_EQ(c.row0, grey.Row(0)) << c.what;
        EXPECT_EQ(c.row1, grey.Row(1)) << c.what;
    }
    // The palettes: black and white; the grey ramp 17 * i.
    Block picture(4, 4, 0);
    Block two(PrintDibTwoColours(picture.get(), 0));
    Block sixteen(PrintDibFastGreys(picture.get(), 0));
    EXPECT_EQ(0u, *reinterpret_cast<DWORD*>(&DibColors(two.get())[0]));
    EXPECT_EQ(0xFFFFFFu, *reinterpret_cast<DWORD*>(&DibColors(two.get())[1]));
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(17u * i * 0x010101u, *reinterpret_cast<DWORD*>(&DibColors(sixteen.get())[i])) << "entry " << i;
    // Every column and row of the 16 x 16 threshold: grey 17 * 7 + t is
    // level 8 exactly where t is above the threshold.
    for (int t = 0; t <= 16; t += 4) {
        Block ramp(16, 16, static_cast<DWORD>(17 * 7 + t) * 0x010101u);
        Block out(PrintDibFastGreys(ramp.get(), 0));
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const BYTE byte = out.Row(y)[x / 2];
                const int level = (x & 1) ? byte & 15 : byte >> 4;
                EXPECT_EQ(t > kPrintDither16[x][y] ? 8 : 7, level) << "x " << x << " y " << y << " t " << t;
            }
    }
}

// A DIB section standing in for a monochrome printer: the prepared picture
// is drawn where the layout puts it, pixel for pixel.
class DibPrinter {
public:
    DibPrinter(int width, int height) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
        width_ = width;
        PatBlt(dc_, 0, 0, width, height, WHITENESS);
    }
    ~DibPrinter() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    DibPrinter(const DibPrinter&) = delete;
    DibPrinter& operator=(const DibPrinter&) = delete;
    HDC dc() const { return dc_; }
    DWORD At(int x, int y) const {
        GdiFlush();
        return bits_[y * width_ + x] & 0xFFFFFF;
    }

private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    DWORD* bits_ = nullptr;
    int width_ = 0;
};

TEST(PrintLayoutTest, MonochromePrintersGetTheGreyMethodDrawnOnTheTarget) {
    struct Case {
        const char* what;
        int caps;
        PrintChoice choice;
    };
    const Case cases[] = {
        {"2 colours, drawn unscaled", RC_DIBTODEV | RC_STRETCHDIB, {1, 0}},
        {"2 colours, stretched 1:1 by a printer that cannot draw unscaled", RC_STRETCHDIB, {1, 0}},
        {"2 colours, light 50, drawn unscaled by a printer that cannot stretch", RC_DIBTODEV, {1, 50}},
        {"16 greys, fast dither", RC_DIBTODEV | RC_STRETCHDIB, {2, 0}},
        {"16 greys, best dither", RC_DIBTODEV | RC_STRETCHDIB, {4, 0}},
    };
    for (const Case& c : cases) {
        // At 90 dots to the inch the picture keeps its size, centred.
        const PrinterFacts printer = Printer(64, 48, 90, 90, 1, c.caps);
        Block picture(32, 16, 0x808080);
        ASSERT_FALSE(PrintTurnsPicture(printer, 32, 16));
        const RECT target = PrintTarget(printer, 32, 16);
        EXPECT_EQ(16, target.left);
        EXPECT_EQ(16, target.top);
        const SIZE size = PreparedPrintSize(printer, 32, 16, target, 512);
        Block prepared(PreparePrintDib(picture.get(), size, false, true, c.choice));
        ASSERT_NE(nullptr, prepared.get()) << c.what;
        DibPrinter paper(64, 48);
        ASSERT_TRUE(DrawPrintDib(paper.dc(), prepared.get(), target, c.caps)) << c.what;
        EXPECT_EQ(0xFFFFFFu, paper.At(15, 15)) << c.what << ": the paper around stays white";
        EXPECT_EQ(0xFFFFFFu, paper.At(48, 32)) << c.what;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 32; ++x) {
                const DWORD ink = paper.At(16 + x, 16 + y);
                if (c.choice.depth == 1) {
                    static const BYTE kT8[2][8] = {{0, 192, 48, 240, 12, 204, 60, 252},
                                                   {128, 64, 176, 112, 140, 76, 188, 124}};
                    if (y < 2)
                        EXPECT_EQ(128 + c.choice.light > kT8[y][x & 7] ? 0xFFFFFFu : 0u, ink)
                            << c.what << " at " << x << "," << y;
                    else
                        EXPECT_TRUE(ink == 0 || ink == 0xFFFFFF) << c.what;
                } else {
                    // Greys only, close to 128.
                    const int r = (ink >> 16) & 0xFF, g = (ink >> 8) & 0xFF, b = ink & 0xFF;
                    EXPECT_TRUE(r == g && g == b) << c.what << " at " << x << "," << y;
                    EXPECT_NEAR(128, r, 17) << c.what << " at " << x << "," << y;
                }
            }
    }
}

TEST(PrintLayoutTest, PreparationScalesTurnsAndConvertsACopy) {
    // A 4 x 2 picture, left half red, right half blue, turned: the right half
    // comes to the top.
    Block picture(4, 2, 0xFF0000);
    DWORD* p = reinterpret_cast<DWORD*>(picture.get()->pixels);
    p[2] = p[3] = p[6] = p[7] = 0x0000FF;
    Block turned(PreparePrintDib(picture.get(), SIZE{4, 8}, true, false, PrintChoice{24, 0}));
    ASSERT_NE(nullptr, turned.get());
    EXPECT_EQ(4, DibWidth(turned.get()));
    EXPECT_EQ(8, DibHeight(turned.get()));
    EXPECT_EQ(24, turned.get()->header->biBitCount);
    const std::vector<BYTE> top = turned.Row(0), bottom = turned.Row(7);
    EXPECT_EQ((std::vector<BYTE>{0xFF, 0, 0}), std::vector<BYTE>(top.begin(), top.begin() + 3)) << "blue on top";
    EXPECT_EQ((std::vector<BYTE>{0, 0, 0xFF}), std::vector<BYTE>(bottom.begin(), bottom.begin() + 3)) << "red below";
    EXPECT_EQ(0xFF0000u, p[0]) << "the picture itself is not touched";
    for (int depth : {4, 8, 15, 16, 24}) {
        Block converted(PreparePrintDib(picture.get(), SIZE{4, 2}, false, false, PrintChoice{depth, 0}));
        ASSERT_NE(nullptr, converted.get()) << depth;
        EXPECT_EQ(depth == 15 ? 16 : depth, converted.get()->header->biBitCount);
    }
    // The preview fits 128 x 128 and turns with the page.
    Block wide(400, 100, 0);
    Block preview(MakePrintPreview(wide.get(), false));
    Block upright(MakePrintPreview(wide.get(), true));
    EXPECT_EQ(128, DibWidth(preview.get()));
    EXPECT_EQ(32, DibHeight(preview.get()));
    EXPECT_EQ(32, DibWidth(upright.get()));
    EXPECT_EQ(128, DibHeight(upright.get()));
    Block thin(1000, 2, 0);
    Block least(MakePrintPreview(thin.get(), false));
    EXPECT_EQ(6, DibHeight(least.get())) << "sides at least 6";
}

}  // namespace

namespace {

int CALLBACK CollectRecord(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM list) {
    if (record->iType == EMR_SETDIBITSTODEVICE || record->iType == EMR_STRETCHDIBITS)
        reinterpret_cast<std::vector<DWORD>*>(list)->push_back(record->iType);
    return 1;
}

// The drawing calls a printer's driver receives, recorded in a metafile.
std::vector<DWORD> DrawingCalls(const DibBlock* block, const RECT& target, int caps) {
    HDC dc = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
    DrawPrintDib(dc, block, target, caps);
    HENHMETAFILE metafile = CloseEnhMetaFile(dc);
    std::vector<DWORD> calls;
    EnumEnhMetaFile(nullptr, metafile, CollectRecord, &calls, nullptr);
    DeleteEnhMetaFile(metafile);
    return calls;
}

TEST(PrintLayoutTest, UnscaledDrawingOnlyWhereThePrinterSaysItCan) {
    struct Case {
        const char* what;
        int caps;
        RECT target;
        DWORD call;
    };
    const Case cases[] = {
        {"target size, both abilities", RC_DIBTODEV | RC_STRETCHDIB, {10, 10, 42, 26}, EMR_SETDIBITSTODEVICE},
        {"target size, stretching only", RC_STRETCHDIB, {10, 10, 42, 26}, EMR_STRETCHDIBITS},
        {"larger target", RC_DIBTODEV | RC_STRETCHDIB, {10, 10, 74, 42}, EMR_STRETCHDIBITS},
    };
    Block picture(32, 16, 0x123456);
    for (const Case& c : cases)
        EXPECT_EQ(std::vector<DWORD>{c.call}, DrawingCalls(picture.get(), c.target, c.caps)) << c.what;
}

}  // namespace
