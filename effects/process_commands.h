// The Process and Adjust menus of the viewer: the colour effects and the
// geometric transforms on the current picture, with their dialogs, and the
// views, layout and texts brought up to date afterwards.
#pragma once

#include <windows.h>

// Process menu: invert (all, red, green, blue), Gray, Modify RGB/YUV (and
// HSI, 32870), Abstract, Mosaic, Glass, Boss, Pencil sketch.
void EffectCommand(HWND frame, UINT id);
// Adjust menu and the size commands: Flip, Mirror, the rotations, Rotate Any
// Angle, Zoomin 2X, Zoomout 2X, Smooth Zoom.
void TransformCommand(HWND frame, UINT id);
