// The viewer as a user drives it: pictures on the command line, keys for zoom
// and stepping, the status bar following along, Enter back to the browser.
// Screenshots of the frame at 100 % and zoomed in are kept as artefacts in
// build/screenshots.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "driver.h"

namespace {

class ViewerEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override { DeleteFileA(IniPath().c_str()); }
    void TearDown() override { DeleteFileA(IniPath().c_str()); }
};

HWND ViewOf(HWND frame) { return FindWindowExA(frame, nullptr, "ImageViewWndClass", nullptr); }

SIZE SizeOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

void PressKey(HWND window, UINT key) {
    PostMessageA(window, WM_KEYDOWN, key, 1);
    PostMessageA(window, WM_KEYUP, key, 0xC0000001);
}

// Waits until the view's width satisfies the predicate (the frame lays out
// asynchronously after a load or zoom).
template <typename Predicate>
SIZE WaitForView(HWND frame, Predicate ok, DWORD ms = 15000) {
    DWORD start = GetTickCount();
    SIZE size{};
    do {
        size = SizeOf(ViewOf(frame));
        if (ok(size)) break;
        Sleep(50);
    } while (GetTickCount() - start < ms);
    return size;
}

}  // namespace

TEST_F(ViewerEndToEndTest, KeysZoomAndStepThroughThePictures) {
    std::string files = "\"" + Sample("photo.jpg") + "\" \"" + Sample("rose.tif") + "\" \"" +
                        Sample("bmp-24bit.bmp") + "\"";
    Running tavirsel(files);
    HWND frame = tavirsel.Window("Ommavu");
    ASSERT_NE(nullptr, frame);
    EXPECT_EQ("1/3 Pictures", WaitForStatus(frame, "1/3"));
    ASSERT_NE(nullptr, ViewOf(frame));
    // photo.jpg is 640 x 480; at 100 % the view holds it (plus its border).
    SIZE normal = WaitForView(frame, [](SIZE s) { return s.cx >= 640 && s.cy >= 480; });
    EXPECT_GE(normal.cx, 640);
    EXPECT_LT(normal.cx, 650);
    Sleep(300);
    SaveScreenshot(frame, "viewer-100.bmp");

    PressKey(frame, VK_ADD);  // Zoom In: 150 %
    SIZE zoomed = WaitForView(frame, [&](SIZE s) { return s.cx > normal.cx; });
    EXPECT_GT(zoomed.cx, normal.cx) << "the view grew (up to the screen)";
    Sleep(300);
    SaveScreenshot(frame, "viewer-150.bmp");
    PressKey(frame, VK_SUBTRACT);  // back to 100 %
    SIZE back = WaitForView(frame, [&](SIZE s) { return s.cx == normal.cx; });
    EXPECT_EQ(normal.cx, back.cx);

    PressKey(frame, VK_SPACE);
    EXPECT_EQ("2/3 Pictures", WaitForStatus(frame, "2/3"));
    PressKey(frame, VK_NEXT);
    EXPECT_EQ("3/3 Pictures", WaitForStatus(frame, "3/3"));
    PressKey(frame, VK_NEXT);  // no wrap-around
    Sleep(300);
    EXPECT_EQ("3/3 Pictures", StatusText(frame));
    PressKey(frame, VK_HOME);
    EXPECT_EQ("1/3 Pictures", WaitForStatus(frame, "1/3"));
    PressKey(frame, VK_END);
    EXPECT_EQ("3/3 Pictures", WaitForStatus(frame, "3/3"));
    PressKey(frame, VK_PRIOR);
    EXPECT_EQ("2/3 Pictures", WaitForStatus(frame, "2/3"));

    // Enter: the browser comes, the viewer goes.
    HWND browser = tavirsel.Window("OmmavuSHOWer");
    ASSERT_NE(nullptr, browser);
    PressKey(frame, VK_RETURN);
    DWORD start = GetTickCount();
    // The browser is shown first, then the frame hidden: wait for both.
    while ((!IsWindowVisible(browser) || IsWindowVisible(frame)) && GetTickCount() - start < 10000) Sleep(50);
    EXPECT_TRUE(IsWindowVisible(browser));
    EXPECT_FALSE(IsWindowVisible(frame));

    PostMessageA(browser, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, tavirsel.Wait(20000));
}

struct TitleSearch {
    DWORD process;
    const char* title;
    std::vector<HWND> found;
};

static BOOL CALLBACK VisitTitled(HWND window, LPARAM lp) {
    auto* s = reinterpret_cast<TitleSearch*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char text[128] = {};
    GetWindowTextA(window, text, sizeof text);
    if (owner == s->process && lstrcmpA(text, s->title) == 0 && IsWindowVisible(window)) s->found.push_back(window);
    return TRUE;
}

// The process's visible top-level windows titled `title`.
static std::vector<HWND> WindowsTitled(DWORD process, const char* title) {
    TitleSearch search{process, title, {}};
    EnumWindows(VisitTitled, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TEST_F(ViewerEndToEndTest, APictureThatCannotBeDecodedIsReportedOnce) {
    // Only a PNG signature: recognised as a picture, but nothing to decode.
    std::string broken = TestsFolder() + "broken.png";
    {
        FILE* out = std::fopen(broken.c_str(), "wb");
        ASSERT_NE(nullptr, out);
        std::fwrite("\x89PNG\r\n\x1a\n", 1, 8, out);
        std::fclose(out);
    }
    Running tavirsel("\"" + broken + "\" \"" + Sample("rose.tif") + "\"");
    HWND frame = tavirsel.Window("Ommavu");
    ASSERT_NE(nullptr, frame);
    std::vector<HWND> boxes;
    DWORD start = GetTickCount();
    while (boxes.empty() && GetTickCount() - start < 15000) {
        Sleep(50);
        boxes = WindowsTitled(tavirsel.ProcessId(), "Decode Picture Error");
    }
    ASSERT_EQ(1u, boxes.size()) << "one message";
    PostMessageA(boxes[0], WM_COMMAND, IDOK, 0);
    start = GetTickCount();
    while (IsWindow(boxes[0]) && GetTickCount() - start < 10000) Sleep(50);
    EXPECT_FALSE(IsWindow(boxes[0]));
    Sleep(300);
    EXPECT_TRUE(WindowsTitled(tavirsel.ProcessId(), "Decode Picture Error").empty()) << "not shown again";
    // The viewer goes on to the next picture.  The browser's list, whose
    // pictures are the open list, has meanwhile found that broken.png makes
    // no thumbnail: only rose.tif is left in it.
    PressKey(frame, VK_SPACE);
    EXPECT_EQ("1/1 Pictures", WaitForStatus(frame, "1/1"));
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, tavirsel.Wait(20000));
    DeleteFileA(broken.c_str());
}

TEST_F(ViewerEndToEndTest, ABrokenPictureLeavesTheViewerUsable) {
    // A JPEG cut short decodes what it has.  The viewer still steps on.
    std::string torn = TestsFolder() + "torn.jpg";
    {
        FILE* in = std::fopen(Sample("photo.jpg").c_str(), "rb");
        ASSERT_NE(nullptr, in);
        std::vector<char> bytes(4000);
        size_t n = std::fread(bytes.data(), 1, bytes.size(), in);
        std::fclose(in);
        FILE* out = std::fopen(torn.c_str(), "wb");
        std::fwrite(bytes.data(), 1, n, out);
        std::fclose(out);
    }
    Running tavirsel("\"" + torn + "\" \"" + Sample("rose.tif") + "\"");
    HWND frame = tavirsel.Window("Ommavu");
    ASSERT_NE(nullptr, frame);
    EXPECT_EQ("1/2 Pictures", WaitForStatus(frame, "1/2"));
    PressKey(frame, VK_SPACE);
    EXPECT_EQ("2/2 Pictures", WaitForStatus(frame, "2/2"));
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, tavirsel.Wait(20000));
    DeleteFileA(torn.c_str());
}

TEST_F(ViewerEndToEndTest, ASequenceShowSaysSoOnceAndStepsOverAFileThatIsGone) {
    std::string gone = TestsFolder() + "gone.jpg";
    ASSERT_TRUE(CopyFileA(Sample("photo.jpg").c_str(), gone.c_str(), FALSE));
    // A show slow enough to read each step off the status bar.
    WritePrivateProfileStringA("Paramter", "Timer", "1500", "Tavirsel.INI");
    Running tavirsel("\"" + Sample("rose.tif") + "\" \"" + gone + "\" \"" + Sample("bmp-24bit.bmp") + "\"");
    HWND frame = tavirsel.Window("Ommavu");
    ASSERT_NE(nullptr, frame);
    EXPECT_EQ("1/3 Pictures", WaitForStatus(frame, "1/3"));
    // The browser's thumbnail worker may still be reading it.
    bool deleted = false;
    for (int i = 0; i < 100 && !(deleted = DeleteFileA(gone.c_str()) != 0); ++i) Sleep(50);
    ASSERT_TRUE(deleted);
    PostMessageA(frame, WM_COMMAND, 32775, 0);  // Sequency Show: on to gone.jpg at once

    // No picture is left to describe: the status counts the list and names
    // the file that could not be read.
    std::string note;
    std::string count;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 10000; Sleep(30)) {
        note = StatusPart(frame, 1);
        if (note == "Cannot open gone.jpg") {
            count = StatusText(frame);
            break;
        }
    }
    EXPECT_EQ("Cannot open gone.jpg", note);
    EXPECT_EQ("3 Objects", count) << "not the new name with the old picture's size";
    EXPECT_EQ("3/3 Pictures", WaitForStatus(frame, "3/3")) << "the show steps on";
    EXPECT_NE("Cannot open gone.jpg", StatusPart(frame, 1));
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, tavirsel.Wait(20000));
}

// The colour of the view's middle pixel on the screen.
static COLORREF ViewMiddle(HWND frame) {
    RECT r;
    GetWindowRect(ViewOf(frame), &r);
    RECT one = {(r.left + r.right) / 2, (r.top + r.bottom) / 2, 0, 0};
    one.right = one.left + 1;
    one.bottom = one.top + 1;
    const std::vector<BYTE> pixel = CaptureScreen(one);
    return pixel.size() >= 3 ? RGB(pixel[2], pixel[1], pixel[0]) : CLR_INVALID;
}

template <typename Predicate>
static COLORREF WaitForMiddle(HWND frame, Predicate ok, DWORD ms = 10000) {
    DWORD start = GetTickCount();
    COLORREF colour = CLR_INVALID;
    do {
        colour = ViewMiddle(frame);
        if (ok(colour)) break;
        Sleep(50);
    } while (GetTickCount() - start < ms);
    return colour;
}

TEST_F(ViewerEndToEndTest, ProcessAndAdjustCommandsChangeTheShownPicture) {
    Running tavirsel("\"" + Sample("photo.jpg") + "\"");
    HWND frame = tavirsel.Window("Ommavu");
    ASSERT_NE(nullptr, frame);
    EXPECT_EQ("1/1 Pictures", WaitForStatus(frame, "1/1"));
    const SIZE normal = WaitForView(frame, [](SIZE s) { return s.cx >= 640 && s.cy >= 480; });
    ASSERT_GE(normal.cx, 640);
    Sleep(300);

    // Inverting every channel turns the middle pixel into its complement;
    // the pixel is read once the picture has settled (a busy machine may
    // still be decoding it).
    COLORREF before = ViewMiddle(frame);
    for (DWORD start = GetTickCount(); GetTickCount() - start < 5000;) {
        Sleep(150);
        const COLORREF again = ViewMiddle(frame);
        if (again == before) break;
        before = again;
    }
    PostMessageA(frame, WM_COMMAND, 32859, 0);   // Anti All Color
    const COLORREF inverted = WaitForMiddle(frame, [&](COLORREF c) { return c != before; });
    EXPECT_EQ(RGB(255 - GetRValue(before), 255 - GetGValue(before), 255 - GetBValue(before)), inverted);
    PostMessageA(frame, WM_COMMAND, 32864, 0);   // Gray
    const COLORREF grey = WaitForMiddle(frame, [](COLORREF c) { return GetRValue(c) == GetGValue(c) && GetGValue(c) == GetBValue(c); });
    EXPECT_EQ(GetRValue(grey), GetBValue(grey)) << "grey: the three channels agree";

    // A quarter turn lays the frame out around the upright picture; halving
    // and doubling follow.
    PostMessageA(frame, WM_COMMAND, 32842, 0);   // Left Rotate 90
    const SIZE upright = WaitForView(frame, [&](SIZE s) { return s.cy > s.cx; });
    EXPECT_EQ(normal.cx - 640 + 480, upright.cx) << "480 wide now, same border";
    Sleep(300);
    SaveScreenshot(frame, "viewer-rotated.bmp");
    PostMessageA(frame, WM_COMMAND, 32872, 0);   // Zoomout 2X
    const SIZE half = WaitForView(frame, [&](SIZE s) { return s.cx < upright.cx; });
    EXPECT_EQ(normal.cx - 640 + 240, half.cx);
    PostMessageA(frame, WM_COMMAND, 40006, 0);   // Zoomin 2X
    const SIZE doubled = WaitForView(frame, [&](SIZE s) { return s.cx > half.cx; });
    EXPECT_EQ(upright.cx, doubled.cx);

    // Rotate Any Angle: the dialog comes up with 45 degrees; OK turns the
    // picture, which now needs a larger square.
    PostMessageA(frame, WM_COMMAND, 32841, 0);
    std::vector<HWND> dialogs;
    for (int i = 0; i < 100 && dialogs.empty(); ++i) {
        Sleep(50);
        dialogs = WindowsTitled(tavirsel.ProcessId(), "Rotate Any Angle");
    }
    ASSERT_EQ(1u, dialogs.size());
    Sleep(300);
    SaveScreenshot(dialogs[0], "rotate-dialog.bmp");
    PostMessageA(dialogs[0], WM_COMMAND, IDOK, 0);
    const SIZE turned = WaitForView(frame, [&](SIZE s) { return s.cx > doubled.cx + 100; });
    EXPECT_GT(turned.cx, doubled.cx + 100) << "480 x 640 turned by 45 degrees is about 792 wide";
    Sleep(300);
    SaveScreenshot(frame, "viewer-rotated-45.bmp");

    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, tavirsel.Wait(20000));
}
