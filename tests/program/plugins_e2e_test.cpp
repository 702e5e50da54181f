// The filter plug-ins as a user runs them from the viewer's Process menu:
// each filter's dialog comes up, its first control is pushed to the end of
// its range, OK, and the shown picture changes.  Screenshots of every dialog
// and of the picture before and after each filter are kept in
// build/screenshots.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "driver.h"

namespace {

constexpr int kFilters = 7;
constexpr UINT kFirstFilter = 60000;

struct DialogSearch {
    DWORD process;
    HWND found;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM lp) {
    auto* search = reinterpret_cast<DialogSearch*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (owner == search->process && lstrcmpA(name, "#32770") == 0 && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForDialog(DWORD process, DWORD ms = 10000) {
    DialogSearch search{process, nullptr};
    for (DWORD waited = 0; waited < ms && !search.found; waited += 50) {
        Sleep(50);
        EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
    }
    return search.found;
}

std::vector<BYTE> ViewPixels(HWND frame) {
    HWND view = FindWindowExA(frame, nullptr, "ImageViewWndClass", nullptr);
    RECT r{};
    GetWindowRect(view, &r);
    return CaptureScreen(r);
}

// Moves the dialog's first trackbar (if it has one) to the end of its range,
// the way a drag would tell the dialog.
void PushFirstTrackbar(HWND dialog) {
    HWND bar = FindWindowExA(dialog, nullptr, TRACKBAR_CLASSA, nullptr);
    if (!bar) return;
    const LRESULT top = SendMessageA(bar, TBM_GETRANGEMAX, 0, 0);
    SendMessageA(bar, TBM_SETPOS, TRUE, top);
    SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, top), reinterpret_cast<LPARAM>(bar));
}

class PluginsEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override { DeleteFileA(IniPath().c_str()); }
    void TearDown() override { DeleteFileA(IniPath().c_str()); }
};

}  // namespace

TEST_F(PluginsEndToEndTest, EveryFilterRunsFromTheMenuThroughItsDialog) {
    Running tavirsel("\"" + Sample("photo.jpg") + "\"");
    HWND frame = tavirsel.Window("Ommavu");
    ASSERT_NE(nullptr, frame);
    EXPECT_EQ("1/1 Pictures", WaitForStatus(frame, "1/1"));
    Sleep(500);
    for (int i = 0; i < kFilters; ++i) {
        SCOPED_TRACE("filter " + std::to_string(i));
        const std::vector<BYTE> before = ViewPixels(frame);
        SaveScreenshot(frame, "filter-" + std::to_string(i) + "-before.bmp");
        PostMessageA(frame, WM_COMMAND, kFirstFilter + i, 0);
        HWND dialog = WaitForDialog(tavirsel.ProcessId());
        ASSERT_NE(nullptr, dialog) << "the filter's dialog comes up";
        char caption[64] = {};
        GetWindowTextA(dialog, caption, sizeof caption);
        PushFirstTrackbar(dialog);
        Sleep(400);
        SaveScreenshot(dialog, "filter-" + std::to_string(i) + "-dialog.bmp");
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        std::vector<BYTE> after;
        for (int waited = 0; waited < 200; ++waited) {
            Sleep(50);
            after = ViewPixels(frame);
            if (after != before && !IsWindow(dialog)) break;
        }
        EXPECT_NE(before, after) << caption << ": the shown picture changed";
        Sleep(300);
        SaveScreenshot(frame, "filter-" + std::to_string(i) + "-after.bmp");
    }
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, tavirsel.Wait(20000));
}
