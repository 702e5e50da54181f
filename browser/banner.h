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

// The page-play timing of an animation: delays of 0 become 150 ms; the timer
// period is the shortest delay but at least 50 ms; each page stays
// delay / period ticks (at least one).
int BannerTimerPeriod(const int* delays, int count);
int BannerTicksForDelay(int delay, int period);
