// The zoom steps, and picture views inside a real top-level window: geometry,
// and what really lands on the screen, read back from the view.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <memory>

#include "messages.h"
#include "picture.h"
#include "picture_view.h"
#include "selection.h"
#include "zoom.h"

namespace {

struct PictureDeleter {
    void operator()(Picture* picture) const { FreePicture(picture); }
};
using PicturePtr = std::unique_ptr<Picture, PictureDeleter>;

// 0x00RRGGBB, as a 32-bit DIB section holds a pixel.
DWORD Rgb(int red, int green, int blue) { return (red & 0xFF) << 16 | (green & 0xFF) << 8 | (blue & 0xFF); }
// Different for every pixel up to 4096 x 4096: low bytes of x and y, and their high nibbles.
DWORD Pattern(int x, int y) { return Rgb(x, y, (x >> 8) | (y >> 8) << 4); }
// Exact (or nearly) at every display depth, and neighbouring columns differ.
DWORD Coarse(int x, int y) { return Rgb(x & 1 ? 255 : 0, y & 1 ? 254 : 0, x & 2 ? 255 : 0); }

template <typename Colour>
PicturePtr MakePicture(int width, int height, Colour colour) {
    PicturePtr picture(CreatePicture(width, height));
    auto* pixels = reinterpret_cast<DWORD*>(picture->working->pixels);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) pixels[static_cast<size_t>(y) * width + x] = colour(x, y);
    RefreshPictureDisplay(picture.get());
    return picture;
}

bool Near(DWORD a, DWORD b) {
    for (int shift = 0; shift < 24; shift += 8)
        if (abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > 64) return false;
    return true;
}

// The view's client area copied into a 32-bit DIB section.
class Snapshot {
public:
    explicit Snapshot(HWND view) {
        RECT client;
        GetClientRect(view, &client);
        width_ = client.right;
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof info.bmiHeader, client.right, -client.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(memory_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        bits_ = static_cast<DWORD*>(bits);
        previous_ = SelectObject(memory_, bitmap_);
        HDC dc = GetDC(view);
        BitBlt(memory_, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
        ReleaseDC(view, dc);
        GdiFlush();
    }
    ~Snapshot() {
        SelectObject(memory_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(memory_);
    }
    DWORD At(int x, int y) const { return bits_[y * width_ + x] & 0xFFFFFF; }

private:
    HDC memory_ = CreateCompatibleDC(nullptr);
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    DWORD* bits_ = nullptr;
    int width_ = 0;
};

DWORD ButtonFace() {
    COLORREF c = GetSysColor(COLOR_BTNFACE);
    return Rgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

// Mouse messages the view hands to its parent.
MSG g_received[8];
int g_receivedCount = 0;

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if ((message == WM_LBUTTONDBLCLK || message == WM_RBUTTONUP || message == kMsgSelectionMenu ||
         message == WM_COMMAND) &&
        g_receivedCount < 8) {
        g_received[g_receivedCount++] = MSG{window, message, wParam, lParam, 0, {0, 0}};
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class PictureViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = ParentProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "PictureViewTestParent";
        RegisterClassA(&windowClass);
        // Topmost, so that no other window hides the pixels read back.
        parent_ = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "PictureViewTestParent", "", WS_POPUP | WS_VISIBLE,
                                  40, 40, 420, 320, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(nullptr, parent_);
        g_receivedCount = 0;
    }
    void TearDown() override {
        DestroyWindow(parent_);
        SetPictureDisplayDepth(32);
    }
    // A view of the given client size showing picture (if any).
    HWND MakeView(int width, int height, const Picture* picture = nullptr, DWORD style = WS_VISIBLE) {
        HWND view = CreatePictureView(parent_, 10, 10, width, height, style);
        EXPECT_NE(nullptr, view);
        if (picture) SetViewPicture(view, picture);
        return view;
    }
    static POINT Scroll(HWND view) {
        POINT scroll = {-999, -999};
        GetViewPosition(view, &scroll, nullptr);
        return scroll;
    }
    static void ExpectScroll(HWND view, int x, int y) {
        POINT scroll = Scroll(view);
        EXPECT_EQ(x, scroll.x);
        EXPECT_EQ(y, scroll.y);
    }
    static void ExpectSource(HWND view, int left, int top, int right, int bottom) {
        RECT source = {};
        GetViewSourceRect(view, &source, nullptr);
        EXPECT_EQ(left, source.left);
        EXPECT_EQ(top, source.top);
        EXPECT_EQ(right, source.right);
        EXPECT_EQ(bottom, source.bottom);
    }

    HWND parent_ = nullptr;
};

}  // namespace

TEST(ZoomTest, StepsIndexLookupAndTheCurrentIndex) {
    const int table[] = {5, 10, 15, 20, 30, 50, 70, 100, 150, 200, 300, 500, 700, 1000};
    for (int i = 0; i < kZoomSteps; ++i) {
        EXPECT_EQ(table[i], ZoomPercent(i));
        EXPECT_EQ(i, ZoomIndexAtLeast(table[i]));
        EXPECT_EQ(i, ZoomIndexAtLeast(i ? table[i - 1] + 1 : 1)) << "just above the step below";
    }
    EXPECT_EQ(5, ZoomPercent(-1));
    EXPECT_EQ(1000, ZoomPercent(kZoomAfterSelection));
    EXPECT_EQ(13, ZoomIndexAtLeast(1500));

    EXPECT_EQ(kZoomNormalIndex, CurrentZoomIndex()) << "starts at 100 %";
    SetCurrentZoomIndex(20);
    EXPECT_EQ(kZoomAfterSelection, CurrentZoomIndex());
    SetCurrentZoomIndex(kZoomNormalIndex);
}

TEST(ZoomTest, FittingZoomStaysBelow32768Pixels) {
    EXPECT_EQ(300, FittingZoom(500, 10000, 100)) << "50000 px at 500 %, 30000 at 300 %";
    EXPECT_EQ(300, FittingZoom(500, 100, 10000)) << "the height counts as well";
    EXPECT_EQ(700, FittingZoom(700, 4681, 10)) << "32767 px fits";
    EXPECT_EQ(500, FittingZoom(700, 4682, 10)) << "32774 px does not";
    EXPECT_EQ(0, FittingZoom(200, 20000, 10)) << "no zoom above 0 fits";
}

TEST_F(PictureViewTest, ZoomedSizeTruncatesAndCountsTheBorder) {
    PicturePtr picture = MakePicture(333, 101, Pattern);
    HWND plain = MakeView(100, 100, picture.get());
    HWND bordered = MakeView(100, 100, picture.get(), WS_VISIBLE | WS_BORDER);
    SetViewZoom(plain, 150, kViewZoomed);
    SetViewZoom(bordered, 150, kViewZoomed);
    int border = 0;
    SystemParametersInfoA(SPI_GETBORDER, 0, &border, 0);
    RECT size = ViewZoomedSize(plain);
    EXPECT_EQ(499, size.right);
    EXPECT_EQ(151, size.bottom);
    size = ViewZoomedSize(bordered);
    EXPECT_EQ(499 + 2 * border, size.right);
    EXPECT_EQ(151 + 2 * border, size.bottom);
}

TEST_F(PictureViewTest, NewPictureIsCentredAndZoomKeepsTheVisibleCentre) {
    PicturePtr picture = MakePicture(400, 300, Pattern);
    HWND view = MakeView(100, 100, picture.get());
    ExpectScroll(view, 150, 100);
    ScrollViewTo(view, 50, 60);   // centre: picture point (100, 110)
    SetViewZoom(view, 200, kViewZoomed);
    ExpectScroll(view, 150, 170);
    ExpectSource(view, 75, 85, 125, 135);
    SetViewZoom(view, 50, kViewZoomed);
    ExpectScroll(view, 0, 5);
    SetViewZoom(view, 20, kViewZoomed);   // 80 x 60 in 100 x 100: centred
    ExpectScroll(view, -10, -20);
    EXPECT_FALSE(IsViewLargerThanClient(view));
}

TEST_F(PictureViewTest, ScrollIsClampedAndTheSourceTruncated) {
    PicturePtr large = MakePicture(400, 300, Pattern);
    HWND view = MakeView(100, 100, large.get());
    EXPECT_TRUE(IsViewLargerThanClient(view));
    ScrollViewTo(view, -5, -7);
    ExpectScroll(view, 0, 0);
    ScrollViewTo(view, 1000, 1000);
    ExpectScroll(view, 300, 200);
    ExpectSource(view, 300, 200, 400, 300);
    SetViewZoom(view, 150, kViewZoomed);
    ScrollViewTo(view, 37, 11);   // visible zoomed part (37, 11)-(137, 111)
    ExpectSource(view, 24, 7, 91, 74);

    PicturePtr small = MakePicture(60, 40, Pattern);
    SetViewZoom(view, 100, kViewZoomed);
    SetViewPicture(view, small.get());
    ScrollViewTo(view, 7, 7);
    ExpectScroll(view, -20, -30);
    ExpectSource(view, 0, 0, 60, 40);
    // "Larger" means more than 2 pixels larger.
    PicturePtr nearly = MakePicture(102, 100, Pattern), wider = MakePicture(103, 100, Pattern);
    SetViewPicture(view, nearly.get());
    EXPECT_FALSE(IsViewLargerThanClient(view));
    SetViewPicture(view, wider.get());
    EXPECT_TRUE(IsViewLargerThanClient(view));
}

TEST_F(PictureViewTest, PictureLandsAtTheDestination) {
    HWND empty = MakeView(50, 40);
    UpdateWindow(empty);
    EXPECT_EQ(ButtonFace(), Snapshot(empty).At(49, 39)) << "no picture";

    PicturePtr small = MakePicture(60, 40, Pattern);
    HWND view = MakeView(100, 100, small.get());
    UpdateWindow(view);
    Snapshot centred(view);
    EXPECT_EQ(Pattern(0, 0), centred.At(20, 30));
    EXPECT_EQ(Pattern(59, 39), centred.At(79, 69)) << "the last column and row";
    EXPECT_EQ(Pattern(13, 17), centred.At(33, 47));
    EXPECT_EQ(ButtonFace(), centred.At(19, 30)) << "around the picture";

    PicturePtr large = MakePicture(300, 200, Pattern);
    SetViewPicture(view, large.get());
    SetViewZoom(view, 200, kViewZoomed);
    ScrollViewTo(view, 100, 60);   // source (50, 30)-(100, 80)
    Snapshot zoomed(view);
    EXPECT_EQ(Pattern(50, 30), zoomed.At(1, 1));
    EXPECT_EQ(Pattern(51, 30), zoomed.At(2, 0));
    EXPECT_EQ(Pattern(99, 79), zoomed.At(99, 99));

    // Stretch mode: the whole picture into the whole client.
    SetViewZoom(view, 100, kViewStretch);
    Snapshot stretched(view);
    EXPECT_TRUE(Near(Pattern(0, 0), stretched.At(0, 0)));
    EXPECT_TRUE(Near(Pattern(299, 199), stretched.At(99, 99)));
}

// The display copy is drawn at other depths, the working copy at 32; both
// from the top-left corner (drawn from a shifted bits pointer) and inside.
class PictureViewDepthTest : public PictureViewTest, public ::testing::WithParamInterface<int> {};

TEST_P(PictureViewDepthTest, DisplayBitmapIsDrawnPixelForPixel) {
    SetPictureDisplayDepth(GetParam());
    PicturePtr picture = MakePicture(300, 200, Coarse);
    if (GetParam() != 32) {
        auto* pixels = reinterpret_cast<DWORD*>(picture->working->pixels);
        for (int i = 0; i < 300 * 200; ++i) pixels[i] = Rgb(10, 200, 90);
    }
    HWND view = MakeView(100, 100, picture.get());
    for (int left : {0, 37}) {
        ScrollViewTo(view, left, left / 2);
        Snapshot shot(view);
        for (POINT p : {POINT{0, 0}, POINT{1, 0}, POINT{2, 0}, POINT{3, 1}, POINT{98, 5}, POINT{99, 99}})
            EXPECT_TRUE(Near(Coarse(left + p.x, left / 2 + p.y), shot.At(p.x, p.y)))
                << "depth " << GetParam() << " scroll " << left << " at " << p.x << "," << p.y;
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, PictureViewDepthTest, ::testing::Values(32, 24, 16, 15, 8, 4));

TEST_F(PictureViewTest, WhileLoadingOnlyDecodedRowsAreDrawn) {
    // Rows ready and the first of them, as the loader reports a coder that
    // delivers top-down, bottom-up (a BMP) or in passes; the view rows that
    // must show the picture and the first ones that must not.
    struct Case {
        const char* coder;
        WPARAM rows;
        LPARAM first;
        int drawnTop, drawnBottom;   // view rows [top, bottom) drawn
    };
    const Case cases[] = {
        {"top-down", 20, 0, 0, 20},
        {"bottom-up", 20, 40, 40, 60},
        {"in passes", 60, 0, 0, 60},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.coder);
        HWND view = MakeView(80, 60);
        UpdateWindow(view);
        PicturePtr picture = MakePicture(80, 60, [](int, int) { return Rgb(255, 0, 0); });
        SetViewLoading(view, true);
        SetViewPicture(view, picture.get());
        InvalidateRect(view, nullptr, FALSE);
        UpdateWindow(view);
        EXPECT_EQ(Rgb(0, 0, 0), Snapshot(view).At(0, 0)) << "the picture still to come is black";
        SendMessageA(view, kMsgRowsReady, c.rows, c.first);
        Snapshot partly(view);
        EXPECT_EQ(Rgb(255, 0, 0), partly.At(0, c.drawnTop));
        EXPECT_EQ(Rgb(255, 0, 0), partly.At(79, c.drawnBottom - 1));
        if (c.drawnTop > 0) {
            EXPECT_EQ(Rgb(0, 0, 0), partly.At(0, c.drawnTop - 1)) << "not decoded yet";
        }
        if (c.drawnBottom < 60) {
            EXPECT_EQ(Rgb(0, 0, 0), partly.At(0, c.drawnBottom)) << "not decoded yet";
        }
        InvalidateRect(view, nullptr, FALSE);
        UpdateWindow(view);
        EXPECT_EQ(Rgb(255, 0, 0), Snapshot(view).At(0, c.drawnTop)) << "a repaint keeps the decoded rows";
        SetViewLoading(view, false);
        EXPECT_FALSE(IsViewLoading(view));
        SendMessageA(view, kMsgRedrawView, 0, 0);
        EXPECT_EQ(Rgb(255, 0, 0), Snapshot(view).At(79, 59));
        SetViewPicture(view, nullptr);
        DestroyWindow(view);
    }
}

TEST_F(PictureViewTest, HugeZoomPaintsFromTheSourceWithoutAZoomedCopy) {
    PicturePtr picture = MakePicture(4000, 3000, Pattern);
    HWND view = MakeView(200, 150, picture.get());
    Snapshot{view};
    PROCESS_MEMORY_COUNTERS before = {}, after = {};
    GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof before);
    SetViewZoom(view, 1000, kViewZoomed);
    ScrollViewTo(view, 25000, 17000);
    ExpectSource(view, 2500, 1700, 2520, 1715);
    SendMessageA(view, kMsgRedrawView2, 0, 0);
    Snapshot shot(view);
    EXPECT_EQ(Pattern(2500, 1700), shot.At(9, 9));
    EXPECT_EQ(Pattern(2501, 1700), shot.At(10, 0));
    EXPECT_EQ(Pattern(2519, 1714), shot.At(199, 149));
    GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof after);
    EXPECT_LT(after.PagefileUsage, before.PagefileUsage + 4 * 1024 * 1024) << "a zoomed copy would take 4.8 GB";

    // 5 %: the whole picture in bands of 256 source rows, down to the last row.
    SetViewZoom(view, 5, kViewZoomed);
    DWORD last = Snapshot(view).At(199, 149);
    EXPECT_EQ(Pattern(3999, 2999) & 0xFF, last & 0xFF) << "blue: the bottom-right 256 x 256 block";
    EXPECT_GE((last >> 8) & 0xFF, 2980u & 0xFF) << "green: one of the last 20 rows";
}

TEST_F(PictureViewTest, DragAndArrowKeysScrollOnlyAPictureLargerThanTheView) {
    PicturePtr large = MakePicture(400, 300, Pattern);
    HWND view = MakeView(100, 100, large.get());
    ScrollViewTo(view, 100, 100);
    SendMessageA(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 50));
    EXPECT_EQ(view, GetCapture());
    SendMessageA(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(40, 45));
    ExpectScroll(view, 110, 105);   // the picture follows the mouse
    SendMessageA(view, WM_LBUTTONUP, 0, MAKELPARAM(40, 45));
    EXPECT_NE(view, GetCapture());
    SendMessageA(view, WM_MOUSEMOVE, 0, MAKELPARAM(0, 0));
    ViewArrowKey(view, VK_RIGHT);
    ViewArrowKey(view, VK_UP);
    ExpectScroll(view, 142, 73);

    PicturePtr small = MakePicture(50, 50, Pattern);
    SetViewPicture(view, small.get());
    SendMessageA(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 50));
    SendMessageA(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageA(view, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    ViewArrowKey(view, VK_RIGHT);
    ExpectScroll(view, -25, -25);
}

TEST_F(PictureViewTest, MouseButtonsGoToTheParentAndTheHeapGoesWithTheView) {
    const DWORD heaps = GetProcessHeaps(0, nullptr);
    HWND view = MakeView(100, 100);
    EXPECT_EQ(heaps + 1, GetProcessHeaps(0, nullptr));
    SendMessageA(view, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 6));
    SendMessageA(view, WM_RBUTTONUP, 0, MAKELPARAM(7, 8));
    ASSERT_EQ(1, g_receivedCount) << "the double click is sent, the right button posted";
    EXPECT_EQ(static_cast<UINT>(WM_LBUTTONDBLCLK), g_received[0].message);
    EXPECT_EQ(MAKELPARAM(5, 6), g_received[0].lParam);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    ASSERT_EQ(2, g_receivedCount);
    EXPECT_EQ(static_cast<UINT>(WM_RBUTTONUP), g_received[1].message);
    EXPECT_EQ(MAKELPARAM(7, 8), g_received[1].lParam);

    DestroyWindow(view);
    EXPECT_EQ(heaps, GetProcessHeaps(0, nullptr));
    EXPECT_FALSE(ViewHasPicture(parent_)) << "other windows are not views";
}

TEST(SelectionTest, ClientRectanglesMapToThePicturePixelsUnderThem) {
    struct Case {
        const char* name;
        RECT client;
        POINT scroll;
        int zoom;
        SIZE picture;
        RECT expected;
    };
    const Case cases[] = {
        {"100 %, view the size of the picture", {10, 5, 30, 25}, {0, 0}, 100, {60, 40}, {10, 5, 30, 25}},
        {"200 %, scrolled", {10, 10, 50, 30}, {40, 20}, 200, {300, 200}, {25, 15, 45, 25}},
        {"centred in a larger view: the offset counts", {25, 35, 45, 50}, {-20, -30}, 100, {60, 40}, {5, 5, 25, 20}},
        {"inside one pixel at 1000 %: that pixel", {12, 12, 17, 17}, {0, 0}, 1000, {10, 10}, {1, 1, 2, 2}},
        {"on the last column at 1000 %", {95, 0, 100, 100}, {0, 0}, 1000, {10, 10}, {9, 0, 10, 10}},
        {"past the picture: clamped", {50, 30, 400, 400}, {0, 0}, 100, {60, 40}, {50, 30, 60, 40}},
        {"50 %: truncated", {3, 3, 13, 9}, {0, 0}, 50, {100, 100}, {6, 6, 26, 18}},
    };
    for (const Case& c : cases) {
        const RECT r = SelectionToPicture(c.client, c.scroll, c.zoom, c.picture);
        EXPECT_TRUE(EqualRect(&r, &c.expected)) << c.name << ": " << r.left << "," << r.top << " " << r.right
                                                << "," << r.bottom;
    }
    const RECT none = SelectionToPicture({1, 1, 5, 5}, {0, 0}, 0, {10, 10});
    EXPECT_TRUE(IsRectEmpty(&none)) << "no zoom";
}

TEST(SelectionTest, ZoomToAreaFollowsTheFormulaAndStaysBelow32768Pixels) {
    struct Case {
        const char* name;
        RECT area;
        SIZE available;
        SIZE picture;
        int wanted, applied, x, y, index;
    };
    const Case cases[] = {
        // min(994 * 100 / 100, 738 * 100 / 50) = 994; centre (150, 125) less
        // half the visible 100 x 74 pixels.
        {"100 x 50 on 1024 x 768 less 30", {100, 100, 200, 150}, {994, 738}, {640, 480}, 994, 994, 994, 874, 13},
        {"above 1000 %: index 14", {0, 0, 60, 40}, {900, 700}, {640, 480}, 1500, 1500, 0, 0, 14},
        {"at most 2000 %", {5, 5, 6, 6}, {900, 700}, {640, 480}, 2000, 2000, 0, 0, 14},
        {"lowered by 200 until the picture fits", {0, 0, 50, 50}, {1000, 1000}, {2000, 100}, 2000, 1600, 0, 0, 14},
        {"lowering passes 0: the largest zoom that fits", {0, 0, 1000, 10}, {1800, 1800}, {20000, 10}, 180, 163,
         0, 0, 9},
        {"scroll scaled by applied / wanted", {1500, 0, 1510, 10}, {200, 200}, {2000, 100}, 2000, 1600, 24000, 0, 14},
    };
    for (const Case& c : cases) {
        AreaZoom z = {};
        ASSERT_TRUE(ZoomToArea(c.area, c.available, c.picture, &z)) << c.name;
        EXPECT_EQ(c.wanted, z.wanted) << c.name;
        EXPECT_EQ(c.applied, z.applied) << c.name;
        EXPECT_EQ(c.x, z.scroll.x) << c.name;
        EXPECT_EQ(c.y, z.scroll.y) << c.name;
        EXPECT_EQ(c.index, z.index) << c.name;
        EXPECT_LT(static_cast<long long>(c.picture.cx) * z.applied / 100, 32768) << c.name;
    }
    AreaZoom z = {};
    EXPECT_FALSE(ZoomToArea({5, 5, 5, 9}, {900, 700}, {640, 480}, &z)) << "an empty area divides by nothing";
    EXPECT_EQ(163, LargestFittingZoom(20000, 10));
    EXPECT_EQ(0, LargestFittingZoom(4000000, 10));
}

namespace {
bool g_mayStart = true;
bool MayStart() { return g_mayStart; }
}  // namespace

TEST_F(PictureViewTest, DraggingSelectsOnlyInTheViewersViewOverAPictureThatFits) {
    PicturePtr small = MakePicture(60, 40, Pattern);
    PicturePtr large = MakePicture(400, 300, Pattern);
    PicturePtr tiny = MakePicture(10, 10, Pattern);
    struct Case {
        const char* name;
        const Picture* picture;
        int viewSize;      // square client
        int zoom;
        bool selectable;   // the viewer's view, not the browser's preview
        bool mayStart;     // no multi-page file playing
        POINT from, to;
        bool present;
        RECT client, picturePixels;
    };
    const Case cases[] = {
        {"a drag over the picture", small.get(), 100, 100, true, true, {25, 35}, {45, 50}, true,
         {25, 35, 45, 50}, {5, 5, 25, 20}},
        {"dragged backwards and out: normalised, clamped to the drawn picture", small.get(), 100, 100, true, true,
         {60, 50}, {2, 98}, true, {20, 50, 60, 70}, {0, 20, 40, 40}},
        {"a press beside the drawn picture", small.get(), 100, 100, true, true, {5, 5}, {50, 50}, false, {}, {}},
        {"a click without movement", small.get(), 100, 100, true, true, {30, 40}, {30, 40}, false, {}, {}},
        {"only across: no height", small.get(), 100, 100, true, true, {30, 40}, {60, 40}, false, {}, {}},
        {"the browser's preview", small.get(), 100, 100, false, true, {25, 35}, {45, 50}, false, {}, {}},
        {"while pages play", small.get(), 100, 100, true, false, {25, 35}, {45, 50}, false, {}, {}},
        {"a picture larger than the view scrolls", large.get(), 100, 100, true, true, {25, 35}, {45, 50}, false,
         {}, {}},
        {"inside one pixel at 1000 %", tiny.get(), 100, 1000, true, true, {12, 12}, {17, 17}, true,
         {12, 12, 17, 17}, {1, 1, 2, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HWND view = MakeView(c.viewSize, c.viewSize);
        if (c.selectable) EnableViewSelection(view, nullptr, MayStart);
        g_mayStart = c.mayStart;
        SetViewZoom(view, c.zoom, kViewZoomed);
        SetViewPicture(view, c.picture);
        SendMessageA(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(c.from.x, c.from.y));
        SendMessageA(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM((c.from.x + c.to.x) / 2, (c.from.y + c.to.y) / 2));
        SendMessageA(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(c.to.x, c.to.y));
        SendMessageA(view, WM_LBUTTONUP, 0, MAKELPARAM(c.to.x, c.to.y));
        EXPECT_NE(view, GetCapture());
        RECT client = {}, pixels = {};
        EXPECT_EQ(c.present, ViewHasSelection(view));
        EXPECT_EQ(c.present, GetViewSelection(view, &client));
        EXPECT_EQ(c.present, GetViewSelectionInPicture(view, &pixels));
        if (c.present) {
            EXPECT_TRUE(EqualRect(&client, &c.client))
                << client.left << "," << client.top << " " << client.right << "," << client.bottom;
            EXPECT_TRUE(EqualRect(&pixels, &c.picturePixels))
                << pixels.left << "," << pixels.top << " " << pixels.right << "," << pixels.bottom;
        }
        DestroyWindow(view);
    }
    g_mayStart = true;
}

TEST_F(PictureViewTest, ASelectionIsDrawnShowsItsCursorAndAPressInsideZoomsToIt) {
    PicturePtr picture = MakePicture(60, 40, [](int, int) { return Rgb(0, 0, 0); });
    HWND view = MakeView(60, 40);
    HCURSOR cross = LoadCursorA(nullptr, MAKEINTRESOURCEA(32515));   // IDC_CROSS
    EnableViewSelection(view, cross, nullptr);
    SetViewPicture(view, picture.get());
    UpdateWindow(view);
    SendMessageA(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageA(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(40, 30));
    SendMessageA(view, WM_LBUTTONUP, 0, MAKELPARAM(40, 30));
    ASSERT_TRUE(ViewHasSelection(view));
    // The outline is dotted: about every other pixel of its top edge shows.
    const auto outline = [view] {
        Snapshot shot(view);
        int lit = 0;
        for (int x = 10; x < 40; ++x) lit += shot.At(x, 10) != Rgb(0, 0, 0);
        EXPECT_EQ(Rgb(0, 0, 0), shot.At(20, 20)) << "inside, the picture";
        return lit;
    };
    EXPECT_EQ(15, outline());
    // A full repaint draws the outline again, and only once.
    InvalidateRect(view, nullptr, FALSE);
    UpdateWindow(view);
    EXPECT_EQ(15, outline());

    POINT inside = {20, 20};
    ClientToScreen(view, &inside);
    SetCursorPos(inside.x, inside.y);
    SendMessageA(view, WM_SETCURSOR, reinterpret_cast<WPARAM>(view), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(cross, GetCursor()) << "over the selection";

    SendMessageA(view, WM_RBUTTONUP, 0, MAKELPARAM(20, 20));
    SendMessageA(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
    SendMessageA(view, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    ASSERT_EQ(2, g_receivedCount);
    EXPECT_EQ(static_cast<UINT>(WM_COMMAND), g_received[0].message) << "sent at once";
    EXPECT_EQ(32896u, LOWORD(g_received[0].wParam)) << "Zoom To Select Area";
    EXPECT_EQ(kMsgSelectionMenu, g_received[1].message) << "the right button's popup, posted";
    EXPECT_FALSE(ViewHasSelection(view)) << "cleared after the zoom";
    UpdateWindow(view);
    EXPECT_EQ(0, outline()) << "the outline is gone";

    // Another picture or another zoom ends a selection.
    for (int step = 0; step < 2; ++step) {
        SendMessageA(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
        SendMessageA(view, WM_LBUTTONUP, 0, MAKELPARAM(30, 30));
        ASSERT_TRUE(ViewHasSelection(view));
        if (step == 0) SetViewPicture(view, picture.get());
        else SetViewZoom(view, 50, kViewZoomed);
        EXPECT_FALSE(ViewHasSelection(view)) << step;
    }
}
