// The banner strip: a child window of class "PICSHOW" that shows the picture
// named by "ADBarParamter"/"ImageFileName", animating a multi-page picture.
// A double click asks for another picture and remembers it.
#pragma once

#include <windows.h>

HWND CreateBannerStrip(HWND parent, UINT controlId);
// Height the strip wants (0 when it has no picture).
int BannerHeight(HWND banner);
// Loads the picture named by the setting (again).
void ReloadBannerPicture(HWND banner);
