// The product icons: loaded at start (with the OEM icon in place of the logo
// when "INSTALL"/"OEMICON" names one), blinked every two seconds on the
// viewer frame and the browser window, released at shutdown.
#pragma once

#include <windows.h>

void LoadShellIcons();
void FreeShellIcons();

// One blink: both windows alternate between the second blink icon (145) and
// the logo (146 or the OEM icon).  On Windows 2000 or later the class icon is
// replaced, elsewhere the small window icon.  Returns the icon now shown.
HICON BlinkWindowIcons();
