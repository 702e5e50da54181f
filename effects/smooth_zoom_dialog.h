// "Smooth Zoom(Max 2X)" (dialog 140): a new width and height of 4 up to twice
// the picture's, from trackbars or typed, optionally kept in proportion
// ("Sync Width && Height", remembered for the rest of the run).
#pragma once

#include <windows.h>

#include "dib.h"

// Runs the dialog over a 32-bit picture.  True on OK with the chosen size
// (each side at least 4); false on Cancel or for a null picture.
bool RunSmoothZoomDialog(HWND owner, const DibBlock* picture, SIZE* size);

bool SmoothZoomSyncOn();
void SetSmoothZoomSync(bool on);
