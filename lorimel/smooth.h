#pragma once
#include <windows.h>

// Smooths a row of blue-green-red-x pixels in place: a 9-tap filter for rows
// of more than 9 pixels, a 3-tap mean for rows of 4 to 9; the fourth byte is
// left alone.  False (row unchanged) for a null row or fewer than 4 pixels.
bool SmoothRow(DWORD* row, long count);
