// The wallpaper dialog: centre, tile or stretch, shown on a miniature
// screen before the picture becomes the desktop's wallpaper.
#pragma once

#include <windows.h>

#include "dib.h"

// The miniature screen the preview draws on.
constexpr int kMiniScreenWidth = 152, kMiniScreenHeight = 112;

// The preview picture's size: the picture as it would cover the real screen,
// brought down to the miniature screen, each side at least 4.
SIZE WallpaperPreviewSize(int pictureWidth, int pictureHeight, int screenWidth, int screenHeight);

// Opens the dialog on the 32-bit picture; on OK sets the wallpaper in the
// chosen mode.  1 when the wallpaper was set, 0 otherwise (cancelled, or the
// file could not be written: the user was told).
int RunWallpaperDialog(HWND owner, const DibBlock* picture);
