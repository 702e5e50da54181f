// Loading a window's menu bar from the resource module, with the items this
// system cannot carry out removed.
#pragma once

#include <windows.h>

// Menu `id` of the resource module without the startup and shutdown logo
// items outside the Windows 9x family and without "Set To Screen Saver" when
// the screen saver is absent; null when the module has no such menu.
HMENU LoadWindowMenu(int id);

// Replaces a window's menu bar and destroys the old one.
void ReplaceWindowMenu(HWND window, HMENU menu);
