// What the browser needs from the viewer frame, which sits above it: the
// frame's command handler, opening a picture in the frame, the frame's
// layout and the caption and status texts.  The program sets the hooks when
// it makes the frame; the browser calls them through the functions below,
// which do nothing (and answer 0 or false) while a hook is not set.  All on
// the user-interface thread.
#pragma once

#include <windows.h>

struct BrowserHost {
    // The viewer's command handler; lParam 1 marks a command from the wheel.
    LRESULT (*frameCommand)(HWND frame, UINT id, LPARAM lParam);
    // Opens a picture by name in the frame; false when it is already the
    // current file.
    bool (*openPicture)(HWND frame, const char* path);
    // Lays the frame out around the current picture.
    void (*layOutFrame)();
    // Writes the caption of a window and the texts of its status bar.
    void (*refreshStatus)(HWND window, HWND statusBar);
};
void SetBrowserHost(const BrowserHost& host);

LRESULT HostFrameCommand(HWND frame, UINT id, LPARAM lParam);
bool HostOpenPicture(HWND frame, const char* path);
void HostLayOutFrame();
void HostRefreshStatus(HWND window, HWND statusBar);
