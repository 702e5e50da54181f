// Full screen: the viewer frame itself turned into a borderless window over
// the whole screen, without menu, toolbar and status bar.  It is a window
// mode of the frame only: zoom, scrolling and navigation go on as before,
// and the mode is never written to the settings file (every start is
// windowed).  All functions run on the user-interface thread.
#pragma once

#include <windows.h>

// What entering saved, for leaving to restore.
struct FullScreenRecord {
    bool on;
    LONG savedStyle;
    bool savedToolbarShown;    // "ShowToolBar" and "ShowStatusBar" as they were
    bool savedStatusBarShown;  // (the toggles change them while full screen)
    RECT savedRect;            // the frame's window rectangle before entering
    HMENU savedMenu;           // detached while full screen; owned by this record
};

bool IsFullScreen();
const FullScreenRecord& FullScreenState();

// 32800 enters when windowed and leaves when full screen; 32876 only leaves.
// Entering needs a visible frame.
void EnterFullScreen(HWND frame);
void LeaveFullScreen(HWND frame);

// The rectangle the frame has when windowed: the saved one while full
// screen, else its own.  This, never the full-screen rectangle, is what the
// settings file keeps.
RECT WindowedFrameRect(HWND frame);

// The toolbar or status-bar toggle while full screen: only the state that
// leaving restores changes (and with it what is written at shutdown); the
// bar stays hidden.  False when windowed (the caller toggles the bar).
bool ToggleBarWhileFullScreen(UINT command);

// A new menu (after a language change) while full screen takes the place of
// the saved one, which is destroyed; the frame stays without a menu.  False
// when windowed (the caller attaches the menu).
bool ReplaceSavedMenu(HMENU menu);

// The display changed: a full-screen frame covers the new screen again.
void RefitFullScreen(HWND frame);

// The frame is going away: the saved menu is destroyed with the record and
// the mode ends without restoring anything.
void ForgetFullScreen();
