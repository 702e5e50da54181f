// Painting blocks, whole and in bands, into a memory bitmap.
#include <gtest/gtest.h>
#include <windows.h>

#include "imaging_test_util.h"
#include "paint.h"

namespace {

// A 32-bit top-down memory bitmap to paint into and read back.
struct Canvas {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    DWORD* bits = nullptr;
    int width, height;
    Canvas(int w, int h) : width(w), height(h) {
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        dc = CreateCompatibleDC(nullptr);
        void* pixels = nullptr;
        bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &pixels, nullptr, 0);
        bits = static_cast<DWORD*>(pixels);
        previous = SelectObject(dc, bitmap);
    }
    ~Canvas() {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    DWORD At(int x, int y) {
        GdiFlush();
        return bits[y * width + x] & 0xFFFFFF;
    }
};

}  // namespace

TEST(PaintTest, SmallBlockIsStretchedInOneGo) {
    DibPtr dib = MakeDib(2, 2, {Bgr(255, 0, 0), Bgr(0, 255, 0), Bgr(0, 0, 255), Bgr(255, 255, 255)});
    Canvas canvas(4, 4);
    RECT all{0, 0, 4, 4};
    EXPECT_EQ(1, PaintDib(canvas.dc, all, dib.get()));
    EXPECT_EQ(0x0000FFu, canvas.At(0, 0)) << "blue";
    EXPECT_EQ(0x00FF00u, canvas.At(3, 0)) << "green";
    EXPECT_EQ(0xFF0000u, canvas.At(0, 3)) << "red, bottom row: the block is top-down";
    EXPECT_EQ(0xFFFFFFu, canvas.At(3, 3));
    RECT empty{0, 0, 0, 4};
    EXPECT_EQ(0, PaintDib(canvas.dc, empty, dib.get()));
    EXPECT_EQ(0, PaintDib(canvas.dc, all, nullptr));
}

TEST(PaintTest, TallBlockIsPaintedInBandsThatMeetExactly) {
    // 1001 rows: three bands of 256 and one of 233; each row's colour is its
    // band number, so a band painted in the wrong place shows.
    const int w = 4, h = 1001;
    DibPtr dib(CreateDib(w, h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) Pixels32(dib.get())[y * w + x] = Bgr(0, 0, static_cast<BYTE>(40 + 60 * (y / 256)));
    Canvas canvas(w, h);
    RECT all{0, 0, w, h};
    EXPECT_EQ(4, PaintDib(canvas.dc, all, dib.get()));
    EXPECT_EQ(40u, canvas.At(0, 0) >> 16);
    EXPECT_EQ(100u, canvas.At(0, 300) >> 16);
    EXPECT_EQ(160u, canvas.At(0, 600) >> 16);
    EXPECT_EQ(220u, canvas.At(0, 1000) >> 16) << "the last band reaches the bottom";
}
