// The viewer frame: the top-level window (class "Ommavu", "Ommavu[SHARE]" in
// shared mode) with menu 112, the toolbar, the status bar and the picture
// area.  Every WM_COMMAND of the viewer passes FrameCommand.
#pragma once

#include <windows.h>

constexpr UINT kFrameToolbarId = 121;
constexpr UINT kFrameStatusBarId = 116;

// Registers the frame class (once).  False on failure.
bool RegisterFrameClass();
// Creates the frame at the remembered rectangle, with its menu, toolbar and
// status bar; not shown.  Null on failure.
HWND CreateFrameWindow();

// The viewer's command handler; the browser passes picture commands here.
// lParam 1 marks a command from the mouse wheel.
LRESULT FrameCommand(HWND frame, UINT id, LPARAM lParam);

// Reloads the menu, recreates the toolbar and refreshes the status bar after
// a language change.
void ReloadFrameResources();

// Writes the frame's position and size ("ShowX", "ShowY", "ShowSX", "ShowSY").
void WriteFramePlacement(HWND frame);

HWND FrameToolbar();
HWND FrameStatusBar();
