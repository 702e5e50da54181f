// The browser as a user drives it: the samples folder opens first, the five
// list modes and the sort keys, a picture opened from the list in the viewer
// and Enter back; thumbnails in their cells, the animated ones playing.
// Screenshots of every mode are kept in build/screenshots.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "driver.h"

namespace {

class BrowserEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteFileA(IniPath().c_str());
        char full[MAX_PATH];
        GetFullPathNameA((TestsFolder() + "..\\samples\\").c_str(), sizeof full, full, nullptr);
        WritePrivateProfileStringA("SETTINGS", "DEFAULTPATH", full, "Tavirsel.INI");
    }
    void TearDown() override { DeleteFileA(IniPath().c_str()); }
};

HWND ChildOfClass(HWND parent, const char* className) { return FindWindowExA(parent, nullptr, className, nullptr); }

bool WaitFor(bool (*ok)(HWND), HWND window, DWORD ms = 15000) {
    DWORD start = GetTickCount();
    while (!ok(window)) {
        if (GetTickCount() - start > ms) return false;
        Sleep(50);
    }
    return true;
}

void PressKey(HWND window, UINT key) {
    PostMessageA(window, WM_KEYDOWN, key, 1);
    PostMessageA(window, WM_KEYUP, key, 0xC0000001);
}

}  // namespace

TEST_F(BrowserEndToEndTest, ModesSortingAndOpeningAPicture) {
    Running tavirsel("");
    HWND browser = tavirsel.Window("OmmavuSHOWer");
    ASSERT_NE(nullptr, browser);
    EXPECT_EQ("12 Objects", WaitForStatus(browser, "12"));
    HWND tree = ChildOfClass(browser, "SysTreeView32");
    HWND list = ChildOfClass(browser, "SysListView32");
    ASSERT_NE(nullptr, tree);
    ASSERT_NE(nullptr, list);
    EXPECT_TRUE(IsWindowVisible(tree));
    EXPECT_EQ(12, static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)));

    // The five modes, by the View menu's commands.
    const DWORD styles[] = {LVS_ICON, LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
    for (UINT mode = 0; mode < 5; ++mode) {
        SendMessageA(browser, WM_COMMAND, 32759 + mode, 0);
        EXPECT_EQ(styles[mode], static_cast<DWORD>(GetWindowLongA(list, GWL_STYLE)) & LVS_TYPEMASK) << mode;
        Sleep(300);
        SaveScreenshot(browser, "browser-mode-" + std::to_string(mode) + ".bmp");
    }
    // Every sort key in both directions leaves every item in place.
    for (UINT command = 32916; command <= 32922; ++command) {
        SendMessageA(browser, WM_COMMAND, command, 0);
        EXPECT_EQ(12, static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0))) << command;
    }
    SendMessageA(browser, WM_COMMAND, 32921, 0);  // forward
    SendMessageA(browser, WM_COMMAND, 32916, 0);  // by name: "..", then alpha.png

    // Typing "a" picks alpha.png (type-ahead) and Open hands it to the viewer.
    SetForegroundWindow(browser);
    PostMessageA(list, WM_CHAR, 'a', 1);
    Sleep(300);
    EXPECT_EQ(1, static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED)))
        << "alpha.png has the focus";
    // The preview pane shows it.
    HWND preview = ChildOfClass(browser, "ImageViewWndClass");
    ASSERT_NE(nullptr, preview);
    EXPECT_TRUE(WaitFor([](HWND w) { return IsWindowVisible(w) != FALSE; }, preview));
    Sleep(300);
    SaveScreenshot(browser, "browser-preview.bmp");
    PostMessageA(browser, WM_COMMAND, 32817, 0);
    HWND frame = tavirsel.Window("Ommavu");
    ASSERT_NE(nullptr, frame);
    EXPECT_TRUE(WaitFor([](HWND w) { return IsWindowVisible(w) != FALSE; }, frame)) << "the viewer comes up";
    EXPECT_TRUE(WaitFor([](HWND w) { return IsWindowVisible(w) == FALSE; }, browser)) << "and the browser steps aside";
    // The folder's eleven pictures are the open list, in the list's order.
    EXPECT_EQ("1/11 Pictures", WaitForStatus(frame, "1/11"));
    PressKey(frame, VK_SPACE);
    EXPECT_EQ(0u, WaitForStatus(frame, "2/11").find("2/11 Pictures")) << "animated.gif is next";

    // Enter goes back to the browser.
    PressKey(frame, VK_RETURN);
    EXPECT_TRUE(WaitFor([](HWND w) { return IsWindowVisible(w) != FALSE; }, browser));
    EXPECT_TRUE(WaitFor([](HWND w) { return IsWindowVisible(w) == FALSE; }, frame));

    PostMessageA(browser, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, tavirsel.Wait(20000));
    EXPECT_EQ(4, static_cast<int>(GetPrivateProfileIntA("SETTINGS", "ShowMode", -1, "Tavirsel.INI")))
        << "the last mode is remembered";
}

// How many of `samples` captures of the list's client area, 40 ms apart,
// differ from the one before.
int ChangingCaptures(HWND list, int samples) {
    RECT client;
    GetClientRect(list, &client);
    MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&client), 2);
    std::vector<BYTE> before = CaptureScreen(client);
    int changes = 0;
    for (int i = 0; i < samples; ++i) {
        Sleep(40);
        std::vector<BYTE> now = CaptureScreen(client);
        if (now != before) ++changes;
        before.swap(now);
    }
    return changes;
}

TEST_F(BrowserEndToEndTest, ShowModeFiveStartsInThumbnailsAndAnimatedCellsPlay) {
    WritePrivateProfileStringA("SETTINGS", "ShowMode", "5", "Tavirsel.INI");
    Running tavirsel("");
    HWND browser = tavirsel.Window("OmmavuSHOWer");
    ASSERT_NE(nullptr, browser);
    EXPECT_EQ("12 Objects", WaitForStatus(browser, "12"));
    HWND list = ChildOfClass(browser, "SysListView32");
    ASSERT_NE(nullptr, list);
    EXPECT_EQ(static_cast<DWORD>(LVS_ICON), static_cast<DWORD>(GetWindowLongA(list, GWL_STYLE)) & LVS_TYPEMASK);
    HWND tabs = ChildOfClass(browser, "SysTabControl32");
    ASSERT_NE(nullptr, tabs);
    EXPECT_EQ(0, static_cast<int>(SendMessageA(tabs, TCM_GETCURSEL, 0, 0)));

    // The thumbnails are made (the folder holds two animated pictures); the
    // screenshot shows them in their frames with names and sizes.
    Sleep(2500);
    SaveScreenshot(browser, "browser-thumbnails.bmp");
    EXPECT_GE(ChangingCaptures(list, 25), 3) << "the animated cells play";

    // Enable Thumb Active off: every cell holds still.
    // Thumbnails still arriving on a busy machine change the list too, so
    // the list gets a few seconds to settle before it must hold still.
    SendMessageA(browser, WM_COMMAND, 32886, 0);
    Sleep(300);
    int moving = ChangingCaptures(list, 12);
    for (int wait = 0; moving > 0 && wait < 20; ++wait) moving = ChangingCaptures(list, 12);
    EXPECT_EQ(0, moving) << "nothing moves with the animation off";
    SendMessageA(browser, WM_COMMAND, 32886, 0);
    EXPECT_GE(ChangingCaptures(list, 25), 3) << "and it plays again when switched on";

    // Another mode stops the animation.
    SendMessageA(browser, WM_COMMAND, 32763, 0);   // details
    Sleep(300);
    EXPECT_EQ(0, ChangingCaptures(list, 12));

    PostMessageA(browser, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, tavirsel.Wait(20000));
}

// The viewer shows a picture from the command line; Enter takes the user to
// the browser, which reads the picture's folder and hands its pictures over
// in the list's order: the viewer's position then names the same picture.
TEST_F(BrowserEndToEndTest, AFolderReadAfterOpeningKeepsThePositionOnTheShownPicture) {
    char rose[MAX_PATH];
    GetFullPathNameA(Sample("rose.tif").c_str(), sizeof rose, rose, nullptr);
    Running tavirsel(std::string("\"") + rose + "\"");
    HWND frame = tavirsel.Window("Ommavu");
    ASSERT_NE(nullptr, frame);
    EXPECT_EQ("1/1 Pictures", WaitForStatus(frame, "1/1"));
    PressKey(frame, VK_RETURN);
    HWND browser = tavirsel.Window("OmmavuSHOWer");
    ASSERT_NE(nullptr, browser);
    EXPECT_TRUE(WaitFor([](HWND w) { return IsWindowVisible(w) != FALSE; }, browser));
    // By name, rose.tif is the last of the folder's eleven pictures.
    const std::string status = WaitForStatus(frame, "11/11", 30000);
    EXPECT_EQ(0u, status.find("11/11 Pictures")) << status;
    // Typing "r" picks rose.tif and Open shows it in the viewer again, where
    // Previous steps to the picture before it in the list: photo.jpg.
    HWND list = ChildOfClass(browser, "SysListView32");
    ASSERT_NE(nullptr, list);
    SetForegroundWindow(browser);
    PostMessageA(list, WM_CHAR, 'r', 1);
    Sleep(300);
    PostMessageA(browser, WM_COMMAND, 32817, 0);
    EXPECT_TRUE(WaitFor([](HWND w) { return IsWindowVisible(w) != FALSE; }, frame));
    PressKey(frame, VK_PRIOR);
    EXPECT_EQ(0u, WaitForStatus(frame, "10/11").find("10/11 Pictures"));
    Sleep(300);
    SaveScreenshot(frame, "viewer-previous-after-folder-read.bmp");
    PostMessageA(browser, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, tavirsel.Wait(20000));
}
