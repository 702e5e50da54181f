// Packed DIBs as a driver or the clipboard hands them over: every depth and
// row order read to exact pixels, and every kind of damage refused before a
// byte outside the block is read.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <vector>

#include "packed_dib.h"
#include "test_pictures.h"
#include "twain_session.h"

namespace {

std::vector<DWORD> ReadBgra(const std::vector<BYTE>& block, PackedDibFault* fault, PackedDib* dib) {
    *fault = ReadPackedDib(block.data(), block.size(), dib);
    std::vector<DWORD> pixels;
    if (*fault != PackedDibFault::kOk) return pixels;
    pixels.resize(static_cast<size_t>(dib->width) * dib->height);
    PackedDibToBgra(*dib, reinterpret_cast<BYTE*>(pixels.data()), static_cast<size_t>(dib->width) * 4);
    return pixels;
}

COLORREF AsColor(DWORD bgra) { return RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF); }

TEST(PackedDibTest, EveryDepthInBothRowOrdersReadsToTheSamePicture) {
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        for (bool topDown : {false, true}) {
            SCOPED_TRACE(testing::Message() << bits << " bits, " << (topDown ? "top-down" : "bottom-up"));
            PackedDibFault fault;
            PackedDib dib;
            std::vector<DWORD> pixels = ReadBgra(test_pictures::MakePackedDib(bits, topDown), &fault, &dib);
            ASSERT_EQ(PackedDibFault::kOk, fault);
            ASSERT_EQ(test_pictures::kWidth, dib.width);
            ASSERT_EQ(test_pictures::kHeight, dib.height);
            for (int y = 0; y < dib.height; ++y)
                for (int x = 0; x < dib.width; ++x)
                    EXPECT_EQ(test_pictures::Expected(bits, x, y), AsColor(pixels[y * dib.width + x])) << x << "," << y;
        }
    }
}

TEST(PackedDibTest, HandWrittenBlocksReadAsTheirBytesSay) {
    // 2 x 2, 24 bits, bottom-up: the stored first row is the picture's last.
    const BYTE bottomUp[] = {
        40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0,   // size 40, 2 x 2, 1 plane, 24 bits
        0, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,    // BI_RGB, 16 bytes of pixels
        0, 0, 0, 0, 0, 0, 0, 0,                             // no table
        0, 0, 255, 0, 255, 0, 0, 0,                         // bottom row: red, green (+2 pad)
        255, 0, 0, 255, 255, 255, 0, 0,                     // top row: blue, white (+2 pad)
    };
    // 2 x 1, 16 bits 5-6-5 through bit fields: pure red, pure green.
    const BYTE fields[] = {
        40, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 1, 0, 16, 0,
        3, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,     // BI_BITFIELDS
        0, 0, 0, 0, 0, 0, 0, 0,
        0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0,  // masks red, green, blue
        0x00, 0xF8, 0xE0, 0x07,                             // red, green
    };
    struct Case {
        const BYTE* bytes;
        size_t size;
        std::vector<COLORREF> expected;  // row by row from the top
    } cases[] = {
        {bottomUp, sizeof bottomUp, {RGB(0, 0, 255), RGB(255, 255, 255), RGB(255, 0, 0), RGB(0, 255, 0)}},
        {fields, sizeof fields, {RGB(255, 0, 0), RGB(0, 255, 0)}},
    };
    for (const Case& c : cases) {
        PackedDibFault fault;
        PackedDib dib;
        std::vector<DWORD> pixels = ReadBgra(std::vector<BYTE>(c.bytes, c.bytes + c.size), &fault, &dib);
        ASSERT_EQ(PackedDibFault::kOk, fault);
        ASSERT_EQ(c.expected.size(), pixels.size());
        for (size_t i = 0; i < pixels.size(); ++i) EXPECT_EQ(c.expected[i], AsColor(pixels[i])) << i;
    }
}

TEST(PackedDibTest, DamagedBlocksAreRefusedWithTheirFault) {
    using Edit = void (*)(std::vector<BYTE>&);
    struct Case {
        const char* name;
        int bits;
        Edit edit;
        PackedDibFault fault;
    } cases[] = {
        {"shorter than a header", 24, [](std::vector<BYTE>& b) { b.resize(30); }, PackedDibFault::kTooSmall},
        {"unknown header size", 24, [](std::vector<BYTE>& b) { reinterpret_cast<BITMAPINFOHEADER*>(b.data())->biSize = 12; },
         PackedDibFault::kHeaderSize},
        {"header larger than the block", 24,
         [](std::vector<BYTE>& b) { reinterpret_cast<BITMAPINFOHEADER*>(b.data())->biSize = 124; b.resize(60); },
         PackedDibFault::kTooSmall},
        {"zero width", 24, [](std::vector<BYTE>& b) { reinterpret_cast<BITMAPINFOHEADER*>(b.data())->biWidth = 0; },
         PackedDibFault::kSize},
        {"negative width", 24, [](std::vector<BYTE>& b) { reinterpret_cast<BITMAPINFOHEADER*>(b.data())->biWidth = -5; },
         PackedDibFault::kSize},
        {"zero height", 24, [](std::vector<BYTE>& b) { reinterpret_cast<BITMAPINFOHEADER*>(b.data())->biHeight = 0; },
         PackedDibFault::kSize},
        {"height without a positive twin", 24,
         [](std::vector<BYTE>& b) { reinterpret_cast<BITMAPINFOHEADER*>(b.data())->biHeight = INT32_MIN; },
         PackedDibFault::kSize},
        {"width x height past 32-bit sizes", 1,
         [](std::vector<BYTE>& b) {
             auto* h = reinterpret_cast<BITMAPINFOHEADER*>(b.data());
             h->biWidth = 0x10000;
             h->biHeight = 0x10001;
         },
         PackedDibFault::kSize},
        {"two planes", 24, [](std::vector<BYTE>& b) { reinterpret_cast<BITMAPINFOHEADER*>(b.data())->biPlanes = 2; },
         PackedDibFault::kPlanes},
        {"12 bits", 24, [](std::vector<BYTE>& b) { reinterpret_cast<BITMAPINFOHEADER*>(b.data())->biBitCount = 12; },
         PackedDibFault::kBitCount},
        {"run-length compressed", 8,
         [](std::vector<BYTE>& b) { reinterpret_cast<BITMAPINFOHEADER*>(b.data())->biCompression = BI_RLE8; },
         PackedDibFault::kCompression},
        {"bit fields at 24 bits", 24,
         [](std::vector<BYTE>& b) { reinterpret_cast<BITMAPINFOHEADER*>(b.data())->biCompression = BI_BITFIELDS; },
         PackedDibFault::kCompression},
        {"JPEG inside", 24,
         [](std::vector<BYTE>& b) { reinterpret_cast<BITMAPINFOHEADER*>(b.data())->biCompression = BI_JPEG; },
         PackedDibFault::kCompression},
        {"more colours than 4 bits index", 4,
         [](std::vector<BYTE>& b) { reinterpret_cast<BITMAPINFOHEADER*>(b.data())->biClrUsed = 17; },
         PackedDibFault::kColorTable},
        {"a table past the end", 24,
         [](std::vector<BYTE>& b) { reinterpret_cast<BITMAPINFOHEADER*>(b.data())->biClrUsed = 256; },
         PackedDibFault::kColorTable},
        {"a table counted so that 32-bit sizes wrap", 24,
         [](std::vector<BYTE>& b) { reinterpret_cast<BITMAPINFOHEADER*>(b.data())->biClrUsed = 0x40000001; },
         PackedDibFault::kColorTable},
        {"rows past the end", 24, [](std::vector<BYTE>& b) { b.resize(b.size() - 1); }, PackedDibFault::kPixels},
        {"more rows than carried", 8,
         [](std::vector<BYTE>& b) { reinterpret_cast<BITMAPINFOHEADER*>(b.data())->biHeight = 100000; },
         PackedDibFault::kPixels},
    };
    for (const Case& c : cases) {
        std::vector<BYTE> block = test_pictures::MakePackedDib(c.bits, false);
        c.edit(block);
        PackedDib dib;
        EXPECT_EQ(c.fault, ReadPackedDib(block.data(), block.size(), &dib)) << c.name;
        EXPECT_EQ(nullptr, dib.bits) << c.name;
    }
    PackedDib dib;
    EXPECT_EQ(PackedDibFault::kTooSmall, ReadPackedDib(nullptr, 0, &dib));
}

TEST(PackedDibTest, APictureIsMadeOnlyFromASoundBlock) {
    std::vector<BYTE> block = test_pictures::MakePackedDib(8, true);
    int bits = 0;
    Picture* picture = PictureFromPackedDib(block.data(), block.size(), &bits);
    ASSERT_NE(nullptr, picture);
    EXPECT_EQ(8, bits);
    EXPECT_EQ(test_pictures::kWidth, DibWidth(picture->working));
    EXPECT_EQ(test_pictures::kHeight, DibHeight(picture->working));
    const DWORD* first = reinterpret_cast<const DWORD*>(picture->working->pixels);
    EXPECT_EQ(test_pictures::Expected(8, 0, 0), AsColor(first[0]));
    FreePicture(picture);
    std::vector<BYTE> bad = test_pictures::MakeMalformedDib();
    EXPECT_EQ(nullptr, PictureFromPackedDib(bad.data(), bad.size(), nullptr));
}

}  // namespace
