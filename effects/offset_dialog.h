// The offset dialogs "Modify RGB" (139) and "Modify YUV" (147; also the HSI
// adjustment): three trackbars of -128..127 and a live preview of the
// picture with the adjustment applied.
#pragma once

#include <windows.h>

#include <cstddef>

#include "dib.h"

typedef void (*PixelAdjustment)(DWORD* pixels, size_t count, int first, int second, int third);

// Runs the dialog over a 32-bit picture; OK applies the adjustment with the
// chosen offsets to it and returns true; Cancel (or a null picture, or no
// memory for the preview) leaves it alone and returns false.  caption, when
// given, replaces the dialog's own.
bool RunOffsetDialog(HWND owner, UINT dialogId, PixelAdjustment adjust, DibBlock* picture,
                     const char* caption = nullptr);
