// Keeping top-level windows on the desktop.
#pragma once

#include <windows.h>

// The desktop's work area.
RECT DesktopWorkArea();

// A window whose top-left corner lies right of or below the desktop comes
// back to the desktop's centre, keeping its size.
void CentreIfOffDesktop(HWND window);
