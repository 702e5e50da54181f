// Palette reduction through the imaging core's quantiser.
#include <gtest/gtest.h>

#include <set>

#include "convert.h"
#include "imaging_test_util.h"
#include "quantize.h"

namespace {

DWORD PaletteColour(DibBlock* block, int index) {
    RGBQUAD c = DibColors(block)[index];
    return Bgr(c.rgbBlue, c.rgbGreen, c.rgbRed);
}

TEST(QuantizeTest, FewColoursComeBackExactlyAtEveryDepth) {
    // Three colours fit every palette, so no pixel may change.
    const DWORD red = Bgr(0, 0, 255), green = Bgr(0, 255, 0), white = Bgr(255, 255, 255);
    DibPtr source = MakeDib(5, 2, {red, green, white, red, green, white, white, red, red, green});
    for (int bits : {8, 4, 2}) {
        SCOPED_TRACE(bits);
        DibPtr target(CreateDib(5, 2));
        ASSERT_EQ(1, DibToQuantized(source.get(), target.get(), bits));
        EXPECT_EQ(bits, target->header->biBitCount);
        EXPECT_EQ(static_cast<DWORD>(1 << bits), target->header->biClrUsed);
        const int perByte = 8 / bits;
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 5; ++x) {
                // First pixel in the high bits.
                const int shift = (perByte - 1 - x % perByte) * bits;
                const int index = (Row(target.get(), y)[x / perByte] >> shift) & ((1 << bits) - 1);
                EXPECT_EQ(Pixels32(source.get())[y * 5 + x], PaletteColour(target.get(), index)) << x << "," << y;
            }
    }
}

TEST(QuantizeTest, ManyColoursAreReducedToThePaletteSize) {
    const int w = 32, h = 16;
    DibPtr source(CreateDib(w, h));
    for (int i = 0; i < w * h; ++i)
        Pixels32(source.get())[i] = Bgr(static_cast<BYTE>(i * 7), static_cast<BYTE>(i * 3), static_cast<BYTE>(i));
    DibPtr target(CreateDib(w, h));
    ASSERT_EQ(1, DibToQuantized(source.get(), target.get(), 4));
    std::set<int> used;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) used.insert((Row(target.get(), y)[x / 2] >> ((x & 1) ? 0 : 4)) & 15);
    EXPECT_LE(used.size(), 16u);
    EXPECT_GT(used.size(), 4u) << "a varied picture uses most of the palette";

    DibPtr inPlace(CreateDib(w, h));
    CopyDib(source.get(), inPlace.get());
    ASSERT_EQ(1, ConvertDibDepth(inPlace.get(), 8));
    EXPECT_EQ(8, inPlace->header->biBitCount);
}

TEST(QuantizeTest, RefusesWhatItCannotDo) {
    DibPtr source = MakeDib(1, 1, {Bgr(1, 2, 3)});
    DibPtr target(CreateDib(1, 1));
    EXPECT_EQ(0, DibToQuantized(source.get(), target.get(), 1));
    EXPECT_EQ(0, DibToQuantized(source.get(), target.get(), 16));
    EXPECT_EQ(0, DibToQuantized(source.get(), source.get(), 8)) << "not in place";
    EXPECT_EQ(0, DibToQuantized(nullptr, target.get(), 8));
    EXPECT_EQ(0, DibToQuantized(source.get(), nullptr, 8));
    ASSERT_EQ(1, ConvertDibDepth(source.get(), 24));
    EXPECT_EQ(0, DibToQuantized(source.get(), target.get(), 8)) << "the source must be 32 bits";
}

}  // namespace
