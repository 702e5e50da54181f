// Setting up a trackbar's range and position so that its thumb is drawn
// where the position says.
#pragma once

#include <windows.h>

// Sets the range low..high and the position.  Some common-control versions
// place the thumb anew only when the position changes, so a position equal
// to the one the default range had (0) would leave the thumb at the old
// range's place: the position is moved away and back.
void SetUpTrackbar(HWND track, int low, int high, int position);
