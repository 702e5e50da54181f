// The About dialog: the display name, the product text (the OEM text in a
// rebranded build) and the logo (the OEM icon when one is set), centred on
// the viewer frame.
#pragma once

#include <windows.h>

void ShowAboutDialog(HWND frame);
