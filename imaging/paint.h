// Painting a DIB block onto a device context, in bands of 256 source rows
// when the block is more than 1000 pixels wide or high (so that no single
// StretchDIBits call has to handle a very large picture).
#pragma once

#include "dib.h"

// Stretches the whole block into the destination rectangle.  A palette, when
// given, is selected and realised first (palette screens).  Returns the number
// of bands painted; 0 for a null block or an empty rectangle.
int PaintDib(HDC dc, const RECT& destination, const DibBlock* block, HPALETTE palette = nullptr);
