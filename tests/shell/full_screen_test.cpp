// Full screen with the program's frame in this process: leaving gives back
// the exact rectangle, menu and bars; the settings file never holds the
// full-screen rectangle; a language or display change while full screen.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "browser_window.h"
#include "commands.h"
#include "frame_window.h"
#include "icons.h"
#include "language_menu.h"
#include "menu_rules.h"
#include "message_loop.h"
#include "program.h"
#include "resource_ids.h"
#include "settings.h"
#include "shell_test_files.h"

namespace {

void Drain() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        if (msg.message != WM_QUIT) DispatchMessageA(&msg);
}

RECT RectOf(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    return r;
}

std::string Text(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

RECT Screen() { return RectOf(GetDesktopWindow()); }

void Command(UINT id) {
    SendMessageA(Program().frame, WM_COMMAND, id, 0);
    Drain();
}

bool Shown(HWND window) { return window && IsWindowVisible(window); }

class FullScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        ForgetIni();
        ProgramState& shell = Program();
        SetUpProgramState();
        LoadShellIcons();
        InitCommonControls();
        ASSERT_TRUE(RegisterFrameClass());
        ASSERT_NE(nullptr, CreateFrameWindow());
        ASSERT_NE(nullptr, CreateBrowserWindow(shell.mainModule, SW_HIDE));
        shell.languages = BuildLanguageList(shell.programDirectory, shell.mainModule);
        AppendLanguageItems(GetMenu(shell.frame));
        SetLanguageChangedHandler([] {
            ReloadFrameResources();
            ReloadBrowserResources();
        });
        SetWindowPos(shell.frame, nullptr, windowed_.left, windowed_.top, windowed_.right - windowed_.left,
                     windowed_.bottom - windowed_.top, SWP_NOZORDER | SWP_SHOWWINDOW);
        Drain();
    }
    void TearDown() override {
        ProgramState& shell = Program();
        if (shell.frame) DestroyWindow(shell.frame);
        DestroyBrowserWindow();
        FreeLanguageLibrary();
        FreeShellIcons();
        Drain();
        ForgetIni();
    }
    const RECT windowed_ = {100, 80, 800, 580};
};

}  // namespace

TEST_F(FullScreenTest, LeavingGivesBackTheExactRectangleMenuAndBars) {
    // Bars before entering, the toggles pressed while full screen, and the
    // bars leaving must bring back.
    struct Case {
        bool toolbar, statusBar;
        bool toggleToolbar, toggleStatusBar;
        bool toolbarAfter, statusBarAfter;
    };
    const Case cases[] = {
        {true, true, false, false, true, true},
        {false, true, false, false, false, true},
        {true, false, false, false, true, false},
        {true, true, true, false, false, true},
        {false, false, true, true, true, true},
    };
    ProgramState& shell = Program();
    HWND frame = shell.frame;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.toolbar) + std::to_string(c.statusBar) + std::to_string(c.toggleToolbar) +
                     std::to_string(c.toggleStatusBar));
        shell.toolbarShown = c.toolbar;
        shell.statusBarShown = c.statusBar;
        ShowWindow(FrameToolbar(), c.toolbar ? SW_SHOW : SW_HIDE);
        ShowWindow(FrameStatusBar(), c.statusBar ? SW_SHOW : SW_HIDE);
        SetWindowPos(frame, nullptr, windowed_.left, windowed_.top, windowed_.right - windowed_.left,
                     windowed_.bottom - windowed_.top, SWP_NOZORDER);
        Drain();
        const HMENU menu = GetMenu(frame);
        const LONG style = GetWindowLongA(frame, GWL_STYLE);
        ASSERT_NE(nullptr, menu);

        Command(IDC_FULL_SCREEN);
        RECT now = RectOf(frame), screen = Screen();
        EXPECT_TRUE(EqualRect(&now, &screen)) << Text(now);
        EXPECT_EQ(nullptr, GetMenu(frame));
        EXPECT_FALSE(GetWindowLongA(frame, GWL_STYLE) & WS_CAPTION);
        EXPECT_FALSE(Shown(FrameToolbar()));
        EXPECT_FALSE(Shown(FrameStatusBar()));
        EXPECT_TRUE(CurrentCommandState().fullScreen) << "View > Full-screen is checked";
        if (c.toggleToolbar) Command(IDC_TOGGLE_TOOLBAR);
        if (c.toggleStatusBar) Command(IDC_TOGGLE_STATUS_BAR);
        EXPECT_FALSE(Shown(FrameToolbar())) << "a toggle only changes what leaving restores";
        EXPECT_FALSE(Shown(FrameStatusBar()));
        EXPECT_EQ(c.toolbarAfter, CurrentCommandState().toolbarShown) << "the item tells what comes back";

        // Exiting now would remember the windowed rectangle.
        WriteFramePlacement(frame);
        using namespace settings;
        EXPECT_EQ(windowed_.left, Read(kShowX));
        EXPECT_EQ(windowed_.top, Read(kShowY));
        EXPECT_EQ(windowed_.right - windowed_.left, Read(kShowSX));
        EXPECT_EQ(windowed_.bottom - windowed_.top, Read(kShowSY));

        Command(IDC_LEAVE_FULL_SCREEN);
        now = RectOf(frame);
        EXPECT_TRUE(EqualRect(&now, &windowed_)) << Text(now) << ": the layout after leaving keeps it";
        EXPECT_EQ(menu, GetMenu(frame));
        EXPECT_EQ(style, GetWindowLongA(frame, GWL_STYLE));
        EXPECT_EQ(c.toolbarAfter, Shown(FrameToolbar()));
        EXPECT_EQ(c.statusBarAfter, Shown(FrameStatusBar()));
        EXPECT_EQ(c.toolbarAfter, shell.toolbarShown) << "written at shutdown";
        EXPECT_FALSE(CurrentCommandState().fullScreen);

        // Esc when windowed does nothing.
        SendMessageA(frame, WM_KEYDOWN, VK_ESCAPE, 0);
        Drain();
        now = RectOf(frame);
        EXPECT_TRUE(EqualRect(&now, &windowed_)) << Text(now);
        EXPECT_EQ(menu, GetMenu(frame));
    }
}

TEST_F(FullScreenTest, ALanguageChangeWhileFullScreenReplacesTheSavedMenu) {
    ProgramState& shell = Program();
    UINT chinese = 0;
    for (size_t i = 0; i < shell.languages.size(); ++i)
        if (shell.languages[i].codePage == 936) chinese = IDC_LANGUAGE_FIRST + static_cast<UINT>(i);
    ASSERT_NE(0u, chinese) << "SHOW936.DLL beside the program";
    const HMENU english = GetMenu(shell.frame);
    Command(IDC_FULL_SCREEN);
    ASSERT_TRUE(HandleLanguageCommand(chinese));
    Drain();
    EXPECT_EQ(nullptr, GetMenu(shell.frame)) << "still full screen, still without a menu";
    EXPECT_FALSE(IsMenu(english)) << "the detached English menu went";
    Command(IDC_LEAVE_FULL_SCREEN);
    const HMENU now = GetMenu(shell.frame);
    ASSERT_NE(nullptr, now);
    char text[64] = {};
    GetMenuStringA(now, 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STRNE("&File", text) << "the new language's menu";
    EXPECT_TRUE(GetMenuState(now, chinese, MF_BYCOMMAND) & MF_CHECKED);
    ASSERT_TRUE(HandleLanguageCommand(IDC_LANGUAGE_FIRST));
}

TEST_F(FullScreenTest, ADisplayChangePlacesTheFullScreenFrameAgain) {
    HWND frame = Program().frame;
    Command(IDC_FULL_SCREEN);
    // As if the screen had been another size meanwhile.
    SetWindowPos(frame, nullptr, 30, 40, 320, 200, SWP_NOZORDER);
    SendMessageA(frame, WM_DISPLAYCHANGE, 32, MAKELPARAM(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)));
    Drain();
    RECT now = RectOf(frame), screen = Screen();
    EXPECT_TRUE(EqualRect(&now, &screen)) << Text(now);
    Command(IDC_LEAVE_FULL_SCREEN);
    now = RectOf(frame);
    EXPECT_TRUE(EqualRect(&now, &windowed_)) << Text(now);
}

TEST_F(FullScreenTest, TheKeysOfTheAcceleratorTableEnterAndLeave) {
    HACCEL table = LoadAcceleratorsA(Program().resourceModule, MAKEINTRESOURCEA(IDA_VIEWER));
    ASSERT_NE(nullptr, table);
    struct Case {
        UINT key;
        bool control;
        bool fullScreenAfter;
    };
    const Case cases[] = {
        {VK_F4, false, true},   {VK_F4, false, false},       // F4 goes in and out
        {VK_HOME, true, true},  {VK_HOME, true, false},      // so does Ctrl+Home
        {VK_HOME, true, true},  {VK_END, true, false},       // Ctrl+End only leaves
        {VK_END, true, false},  {VK_F4, false, true},
        {VK_ESCAPE, false, false}, {VK_ESCAPE, false, false},  // Esc only leaves
    };
    BYTE keys[256];
    GetKeyboardState(keys);
    for (const Case& c : cases) {
        keys[VK_CONTROL] = c.control ? 0x80 : 0;
        SetKeyboardState(keys);
        MSG msg = {};
        msg.hwnd = Program().frame;
        msg.message = WM_KEYDOWN;
        msg.wParam = c.key;
        msg.lParam = 1;
        DispatchLoopMessage(&msg, table);
        Drain();
        EXPECT_EQ(c.fullScreenAfter, GetMenu(Program().frame) == nullptr) << c.key << (c.control ? " with Ctrl" : "");
    }
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    DestroyAcceleratorTable(table);
    RECT now = RectOf(Program().frame);
    EXPECT_TRUE(EqualRect(&now, &windowed_)) << Text(now);
}
