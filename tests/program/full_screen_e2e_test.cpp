// Full screen and the selection rectangle in the running program, driven by
// keys and by the real mouse: F4 and Esc give back the exact frame, menu and
// toolbar, closing while full screen remembers the windowed rectangle, and a
// rectangle dragged over a picture reaches the clipboard pixel for pixel.
// Screenshots: viewer-full-screen.bmp, viewer-selection.bmp,
// viewer-zoomed-to-selection.bmp in build/screenshots.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "driver.h"

namespace {

class FullScreenEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override { DeleteFileA(IniPath().c_str()); }
    void TearDown() override { DeleteFileA(IniPath().c_str()); }
};

HWND ViewOf(HWND frame) { return FindWindowExA(frame, nullptr, "ImageViewWndClass", nullptr); }

RECT RectOf(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    return r;
}

std::string Text(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

void PressKey(HWND window, UINT key) {
    PostMessageA(window, WM_KEYDOWN, key, 1);
    PostMessageA(window, WM_KEYUP, key, 0xC0000001);
}

template <typename Predicate>
bool WaitFor(Predicate ok, DWORD ms = 10000) {
    const DWORD start = GetTickCount();
    while (!ok()) {
        if (GetTickCount() - start > ms) return false;
        Sleep(30);
    }
    return true;
}

// The real mouse: moves to a point of the view's client area, and presses or
// releases a button there.
void MouseAt(HWND view, POINT p, DWORD buttons = 0) {
    ClientToScreen(view, &p);
    SetCursorPos(p.x, p.y);
    mouse_event(MOUSEEVENTF_MOVE, 0, 0, 0, 0);
    if (buttons) mouse_event(buttons, 0, 0, 0, 0);
    Sleep(60);
}

// A 24-bit BMP's pixels as 0x00RRGGBB rows from the top.
std::vector<DWORD> ReadBmp24(const std::string& path, int* width, int* height) {
    std::vector<DWORD> pixels;
    FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) return pixels;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    if (std::fread(&file, sizeof file, 1, in) == 1 && std::fread(&info, sizeof info, 1, in) == 1 &&
        info.biBitCount == 24 && info.biHeight > 0) {
        *width = info.biWidth;
        *height = info.biHeight;
        const size_t stride = (static_cast<size_t>(info.biWidth) * 3 + 3) & ~static_cast<size_t>(3);
        std::vector<BYTE> rows(stride * info.biHeight);
        std::fseek(in, static_cast<long>(file.bfOffBits), SEEK_SET);
        if (std::fread(rows.data(), 1, rows.size(), in) == rows.size()) {
            for (int y = 0; y < *height; ++y) {
                const BYTE* row = rows.data() + stride * (*height - 1 - y);
                for (int x = 0; x < *width; ++x)
                    pixels.push_back(row[3 * x + 2] << 16 | row[3 * x + 1] << 8 | row[3 * x]);
            }
        }
    }
    std::fclose(in);
    return pixels;
}

// The clipboard's CF_DIB (32 bits, bottom-up) as rows from the top.
std::vector<DWORD> ClipboardPixels(int* width, int* height) {
    std::vector<DWORD> pixels;
    *width = *height = 0;
    if (!OpenClipboard(nullptr)) return pixels;
    if (HANDLE data = GetClipboardData(CF_DIB)) {
        const auto* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(data));
        if (header && header->biBitCount == 32 && header->biHeight > 0) {
            *width = header->biWidth;
            *height = header->biHeight;
            const auto* rows = reinterpret_cast<const DWORD*>(header + 1);
            for (int y = 0; y < *height; ++y)
                for (int x = 0; x < *width; ++x)
                    pixels.push_back(rows[static_cast<size_t>(*height - 1 - y) * *width + x] & 0xFFFFFF);
        }
        GlobalUnlock(data);
    }
    CloseClipboard();
    return pixels;
}

struct MenuSearch {
    DWORD process;
    HWND found;
    static BOOL CALLBACK Visit(HWND window, LPARAM lp) {
        auto* s = reinterpret_cast<MenuSearch*>(lp);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        char name[16] = {};
        GetClassNameA(window, name, sizeof name);
        if (owner == s->process && lstrcmpA(name, "#32768") == 0 && IsWindowVisible(window)) {
            s->found = window;
            return FALSE;
        }
        return TRUE;
    }
};

// A popup menu the process shows, or null.
HWND ShownPopupMenu(DWORD process) {
    MenuSearch search{process, nullptr};
    EnumWindows(MenuSearch::Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

int IniInt(const char* key) {
    return static_cast<int>(GetPrivateProfileIntA("Paramter", key, -99999, "Tavirsel.INI"));
}

}  // namespace

TEST_F(FullScreenEndToEndTest, F4AndEscGiveBackTheFrameAndClosingRemembersTheWindowedRectangle) {
    Running tavirsel("\"" + Sample("photo.jpg") + "\"");
    HWND frame = tavirsel.Window("Ommavu");
    ASSERT_NE(nullptr, frame);
    EXPECT_EQ("1/1 Pictures", WaitForStatus(frame, "1/1"));
    ASSERT_TRUE(WaitFor([&] { return RectOf(ViewOf(frame)).right - RectOf(ViewOf(frame)).left >= 640; }));
    Sleep(300);
    const RECT windowed = RectOf(frame);
    const HMENU menu = GetMenu(frame);
    HWND toolbar = GetDlgItem(frame, 121), statusBar = GetDlgItem(frame, 116);
    ASSERT_NE(nullptr, menu);
    ASSERT_TRUE(IsWindowVisible(toolbar));
    const RECT screen = RectOf(GetDesktopWindow());

    PressKey(frame, VK_F4);
    EXPECT_TRUE(WaitFor([&] { RECT r = RectOf(frame); return EqualRect(&r, &screen) != FALSE; }))
        << Text(RectOf(frame));
    EXPECT_EQ(nullptr, GetMenu(frame));
    EXPECT_FALSE(IsWindowVisible(toolbar));
    EXPECT_FALSE(IsWindowVisible(statusBar));
    // The picture (640 x 480) is centred on black once the frame has laid
    // itself out.
    const auto centred = [&] {
        const RECT view = RectOf(ViewOf(frame));
        return abs((screen.right - view.right) - (view.left - screen.left)) <= 2 &&
               abs((screen.bottom - view.bottom) - (view.top - screen.top)) <= 2;
    };
    EXPECT_TRUE(WaitFor(centred)) << Text(RectOf(ViewOf(frame)));
    Sleep(300);
    SaveScreenshot(frame, "viewer-full-screen.bmp");

    PressKey(frame, VK_ESCAPE);
    EXPECT_TRUE(WaitFor([&] { RECT r = RectOf(frame); return EqualRect(&r, &windowed) != FALSE; }))
        << Text(RectOf(frame));
    Sleep(300);
    RECT after = RectOf(frame);
    EXPECT_TRUE(EqualRect(&after, &windowed)) << Text(after) << " after the layout";
    EXPECT_EQ(menu, GetMenu(frame));
    EXPECT_TRUE(IsWindowVisible(toolbar));
    EXPECT_TRUE(IsWindowVisible(statusBar));

    // Closed while full screen: the settings keep the windowed rectangle.
    PressKey(frame, VK_F4);
    ASSERT_TRUE(WaitFor([&] { return GetMenu(frame) == nullptr; }));
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, tavirsel.Wait(20000));
    EXPECT_EQ(windowed.left, IniInt("ShowX"));
    EXPECT_EQ(windowed.top, IniInt("ShowY"));
    EXPECT_EQ(windowed.right - windowed.left, IniInt("ShowSX"));
    EXPECT_EQ(windowed.bottom - windowed.top, IniInt("ShowSY"));
}

TEST_F(FullScreenEndToEndTest, ARectangleDraggedWithTheMouseIsCopiedAndZoomedTo) {
    int width = 0, height = 0;
    const std::vector<DWORD> source = ReadBmp24(Sample("bmp-24bit.bmp"), &width, &height);
    ASSERT_EQ(160, width);
    ASSERT_EQ(120, height);
    Running tavirsel("\"" + Sample("bmp-24bit.bmp") + "\"");
    HWND frame = tavirsel.Window("Ommavu");
    ASSERT_NE(nullptr, frame);
    EXPECT_EQ("1/1 Pictures", WaitForStatus(frame, "1/1"));
    HWND view = ViewOf(frame);
    ASSERT_TRUE(WaitFor([&] {
        RECT client = {};
        GetClientRect(view, &client);
        return client.right == 160 && client.bottom == 120;
    })) << "the view holds the picture at 100 %";
    Sleep(300);
    SetForegroundWindow(frame);

    // Pressed at (20, 15), released at (100, 75): 80 x 60 picture pixels.
    MouseAt(view, {20, 15}, MOUSEEVENTF_LEFTDOWN);
    MouseAt(view, {60, 40});
    MouseAt(view, {100, 75});
    MouseAt(view, {100, 75}, MOUSEEVENTF_LEFTUP);
    Sleep(200);
    SaveScreenshot(frame, "viewer-selection.bmp");

    // A right click inside the selection opens its own popup.
    MouseAt(view, {50, 50}, MOUSEEVENTF_RIGHTDOWN);
    MouseAt(view, {50, 50}, MOUSEEVENTF_RIGHTUP);
    HWND popup = nullptr;
    EXPECT_TRUE(WaitFor([&] { return (popup = ShownPopupMenu(tavirsel.ProcessId())) != nullptr; }, 5000));
    if (popup) {
        Sleep(200);
        SaveScreenshot(popup, "viewer-selection-popup.bmp");
        PressKey(popup, VK_ESCAPE);   // the menu's loop reads the keys of its thread
        EXPECT_TRUE(WaitFor([&] { return ShownPopupMenu(tavirsel.ProcessId()) == nullptr; }, 5000));
    }

    // While another program holds the clipboard, Copy To Clip says so and
    // the clipboard keeps what it had.
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL kept = GlobalAlloc(GMEM_MOVEABLE, 5);
    lstrcpyA(static_cast<char*>(GlobalLock(kept)), "kept");
    GlobalUnlock(kept);
    SetClipboardData(CF_TEXT, kept);
    PostMessageA(frame, WM_COMMAND, 32897, 0);   // Copy To Clip
    EXPECT_TRUE(WaitFor([&] { return StatusPart(frame, 5).find("clipboard") != std::string::npos; }))
        << StatusPart(frame, 5);
    CloseClipboard();
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_DIB));

    PostMessageA(frame, WM_COMMAND, 32897, 0);
    ASSERT_TRUE(WaitFor([] { return IsClipboardFormatAvailable(CF_DIB) != FALSE; }));
    int copiedWidth = 0, copiedHeight = 0;
    const std::vector<DWORD> copied = ClipboardPixels(&copiedWidth, &copiedHeight);
    ASSERT_EQ(80, copiedWidth);
    ASSERT_EQ(60, copiedHeight);
    int wrong = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 80; ++x)
            wrong += copied[static_cast<size_t>(y) * 80 + x] != source[static_cast<size_t>(15 + y) * 160 + 20 + x];
    EXPECT_EQ(0, wrong) << "clipboard pixels that differ from the file's";

    // A click inside the selection zooms so that it fills the screen.
    MouseAt(view, {50, 50}, MOUSEEVENTF_LEFTDOWN);
    MouseAt(view, {50, 50}, MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(WaitFor([&] { return RectOf(view).right - RectOf(view).left > 800; })) << Text(RectOf(view));
    // 80 x 60 pixels across the screen: above 1000 %, one past the last
    // zoom step, where Zoom In is disabled and Normal enabled.
    HWND toolbar = GetDlgItem(frame, 121);
    EXPECT_FALSE(SendMessageA(toolbar, TB_ISBUTTONENABLED, 32779, 0));
    EXPECT_TRUE(SendMessageA(toolbar, TB_ISBUTTONENABLED, 32787, 0));
    Sleep(300);
    SaveScreenshot(frame, "viewer-zoomed-to-selection.bmp");
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, tavirsel.Wait(20000));
}

TEST_F(FullScreenEndToEndTest, ChineseResourcesCarryTheFullScreenKeys) {
    if (GetACP() != 936) GTEST_SKIP() << "needs the ANSI code page 936 (LC_ALL=zh_CN.UTF-8)";
    Running tavirsel("\"" + Sample("photo.jpg") + "\"");
    HWND frame = tavirsel.Window("Ommavu");
    ASSERT_NE(nullptr, frame);
    ASSERT_EQ("1/1 ", WaitForStatus(frame, "1/1 ").substr(0, 4));
    Sleep(300);
    const RECT windowed = RectOf(frame), screen = RectOf(GetDesktopWindow());
    const HMENU menu = GetMenu(frame);
    PressKey(frame, VK_F4);
    EXPECT_TRUE(WaitFor([&] { RECT r = RectOf(frame); return EqualRect(&r, &screen) != FALSE; }));
    EXPECT_EQ(nullptr, GetMenu(frame));
    PressKey(frame, VK_ESCAPE);
    EXPECT_TRUE(WaitFor([&] { RECT r = RectOf(frame); return EqualRect(&r, &windowed) != FALSE; }));
    EXPECT_EQ(menu, GetMenu(frame));
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, tavirsel.Wait(20000));
}
