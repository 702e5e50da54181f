// "Rotate Any Angle" (dialog 131): an angle of -360..360 degrees from a
// trackbar or typed, with the picture's preview turned as it changes.  The
// last angle shown is remembered for the rest of the run (45 the first
// time), whether the dialog ended with OK or not.
#pragma once

#include <windows.h>

#include "dib.h"

// Runs the dialog over a 32-bit picture.  True on OK with the angle in
// *degrees; false on Cancel, for a null picture or when the preview cannot
// be made.
bool RunRotateDialog(HWND owner, const DibBlock* picture, int* degrees);

// The angle the dialog starts with next time.
int RememberedRotation();
void SetRememberedRotation(int degrees);

// The preview of a width x height picture in a square of `side`:
// side * w / d by side * h / d with d the integer square root of w^2 + h^2,
// each at least 2 (so that every turn of it fits).
SIZE RotatePreviewSize(int side, int width, int height);
