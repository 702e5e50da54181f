// The geometric transforms of the Adjust menu and the size commands on 32-bit
// DIB blocks: flip and mirror in place, rotations, halving, the smooth
// doubling and the smooth resize.  Functions that make a new block return
// null when it cannot be allocated (or the input is not usable) and leave
// the input alone.
#pragma once

#include <windows.h>

#include "dib.h"

// Top to bottom, in place.  False for a null or non-32-bit block.
bool FlipDib(DibBlock* block);
// Left to right, in place.
bool MirrorDib(DibBlock* block);

// The angle brought into 0..359 (negative angles get 360 * ((359 - a) / 360)
// added first).
int NormaliseAngle(int degrees);
// The size of the picture rotated by degrees: quarter turns exactly, other
// angles from the single-precision corner projections.
SIZE RotatedSize(int width, int height, int degrees);
// A new block: the picture rotated counter-clockwise by degrees (0 gives a
// copy); the corners outside the source are black.
DibBlock* RotateDib(const DibBlock* block, int degrees);

// "Zoomout 2X": (w / 2) x (h / 2) by the nearest-neighbour scaler; null for
// a picture smaller than 4 x 4.
DibBlock* HalveDib(const DibBlock* block);
// "Zoomin 2X": 2w x 2h by the two-pass smooth doubling.
DibBlock* DoubleDibSmooth(const DibBlock* block);
// Smooth Zoom's resize: no larger than the picture, the nearest-neighbour
// scaler from the picture; larger, from its smooth doubling.  Null for a
// size below 1.
DibBlock* ResizeDibSmooth(const DibBlock* block, int width, int height);
