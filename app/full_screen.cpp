#include "full_screen.h"

#include "commands.h"
#include "feature_commands.h"
#include "frame_layout.h"
#include "frame_window.h"
#include "messages.h"
#include "program.h"

namespace {

FullScreenRecord g_state = {};

RECT ScreenRect() {
    RECT desktop;
    if (!GetWindowRect(GetDesktopWindow(), &desktop))
        SetRect(&desktop, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    return desktop;
}

void PlaceOverScreen(HWND frame) {
    const RECT screen = ScreenRect();
    SetWindowPos(frame, nullptr, 0, 0, screen.right - screen.left, screen.bottom - screen.top,
                 SWP_NOZORDER | SWP_FRAMECHANGED);
}

void ShowBar(HWND bar, bool shown) {
    if (bar) ShowWindow(bar, shown ? SW_SHOW : SW_HIDE);
}

}  // namespace

bool IsFullScreen() { return g_state.on; }
const FullScreenRecord& FullScreenState() { return g_state; }

void EnterFullScreen(HWND frame) {
    if (g_state.on || !frame || !IsWindowVisible(frame)) return;
    ProgramState& shell = Program();
    g_state.savedStyle = GetWindowLongA(frame, GWL_STYLE);
    g_state.savedToolbarShown = shell.toolbarShown;
    g_state.savedStatusBarShown = shell.statusBarShown;
    GetWindowRect(frame, &g_state.savedRect);
    g_state.savedMenu = GetMenu(frame);
    g_state.on = true;
    // The settings keep their values: only the windows go.
    ShowBar(FrameToolbar(), false);
    ShowBar(FrameStatusBar(), false);
    SetMenu(frame, nullptr);
    SetWindowLongA(frame, GWL_STYLE, WS_POPUP | WS_VISIBLE);
    PlaceOverScreen(frame);
    PostMessageA(frame, kMsgLayoutFrame, 0, 0);
}

void LeaveFullScreen(HWND frame) {
    if (!g_state.on || !frame) return;
    g_state.on = false;
    ShowBar(FrameToolbar(), g_state.savedToolbarShown);
    ShowBar(FrameStatusBar(), g_state.savedStatusBarShown);
    SetWindowLongA(frame, GWL_STYLE, g_state.savedStyle | WS_VISIBLE);
    SetMenu(frame, g_state.savedMenu);
    g_state.savedMenu = nullptr;
    const RECT& r = g_state.savedRect;
    SetWindowPos(frame, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_FRAMECHANGED);
    // The frame keeps the rectangle it had before entering, whatever picture
    // it shows now: the layout only places the view.
    PostMessageA(frame, kMsgLayoutFrame, kLayoutKeepFrameRect, 0);
    RefreshToolbarStates();
}

RECT WindowedFrameRect(HWND frame) {
    RECT rect = {0, 0, 0, 0};
    if (g_state.on) return g_state.savedRect;
    if (frame) GetWindowRect(frame, &rect);
    return rect;
}

bool ToggleBarWhileFullScreen(UINT command) {
    if (!g_state.on) return false;
    ProgramState& shell = Program();
    if (command == IDC_TOGGLE_TOOLBAR) {
        g_state.savedToolbarShown = !g_state.savedToolbarShown;
        shell.toolbarShown = g_state.savedToolbarShown;
    } else {
        g_state.savedStatusBarShown = !g_state.savedStatusBarShown;
        shell.statusBarShown = g_state.savedStatusBarShown;
    }
    return true;
}

bool ReplaceSavedMenu(HMENU menu) {
    if (!g_state.on) return false;
    if (g_state.savedMenu && g_state.savedMenu != menu) DestroyMenu(g_state.savedMenu);
    g_state.savedMenu = menu;
    return true;
}

void RefitFullScreen(HWND frame) {
    if (!g_state.on || !frame) return;
    PlaceOverScreen(frame);
    PostMessageA(frame, kMsgLayoutFrame, 0, 0);
}

void ForgetFullScreen() {
    if (g_state.savedMenu) DestroyMenu(g_state.savedMenu);
    g_state = FullScreenRecord{};
}

void FullScreenCommand(HWND frame, UINT id) {
    if (id == IDC_FULL_SCREEN && !g_state.on) EnterFullScreen(frame);
    else LeaveFullScreen(frame);
}
