// The display depth the program paints for, and the palette it realises on
// screens of 8 bits or fewer.  Evaluated at start and on WM_DISPLAYCHANGE.
#pragma once

#include <windows.h>

// The fixed palette of the display conversions for a depth: 216 colours at 8
// bits, 12 at 4 bits; null for deeper screens (and for 1 or 2 bits, which get
// the 16-colour set's first entries by the system).
HPALETTE CreateDisplayPalette(int depth);

// Reads the display depth into the shell state, sets it as the depth of new
// pictures and replaces the palette when needed.  True when the depth changed.
bool EvaluateDisplay();

// Selects and realises the shell's palette (if any) into a window's DC.
void RealizeShellPalette(HWND window);
