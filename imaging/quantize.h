// Reduction of a 32-bit picture to a palette of 256, 16 or 4 colours with the
// imaging core's octree quantiser, dithering on, for saving at 8, 4 and 2
// bits per pixel.
#pragma once

#include "dib.h"

// Re-formats `destination` for `bitsPerPixel` (8, 4 or 2) with the palette
// the quantiser chose and packs one index per pixel (first pixel in the high
// bits, rows padded to 4 bytes).  The destination must have room; it may not
// be the source.  1 on success; 0 for a null block, a source that is not 32
// bits per pixel, another depth, or a failure of the quantiser.
int DibToQuantized(const DibBlock* source, DibBlock* destination, int bitsPerPixel);
