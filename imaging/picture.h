// The picture: one allocation holding two words and two DIB blocks, a 32-bit
// working copy that all processing uses and a display copy in the screen's
// depth that painting uses.
#pragma once

#include "dib.h"

struct Picture {
    DibBlock* working;   // 32 bits per pixel, blue, green, red, spare byte
    DibBlock* display;   // re-formatted in place for the display depth
};

// The display depth pictures are made and refreshed for (bits per pixel, 15
// for a 5-5-5 screen).  Until the viewer sets it, it is 32: display copies
// are left alone and painting uses the working copy.
void SetPictureDisplayDepth(int depth);
int GetPictureDisplayDepth();

// Null for a zero or negative size or failed allocation.  The working copy
// is zero (black); the display copy is formatted for the display depth.
Picture* CreatePicture(int width, int height);
// Null does nothing.
void FreePicture(Picture* picture);
// A new picture holding a copy of a 32-bit block, its display copy
// prepared.  Null for a null block or no memory.
Picture* CreatePictureFromDib(const DibBlock* block);
// A new picture with the working copy resampled (nearest neighbour); its
// display copy is not refreshed.  Null for a zero size or failure.
Picture* ScalePicture(const Picture* picture, int width, int height);

// The memory budget of one picture held whole: the most pixels a working
// copy may have (its display copy comes on top, at most 3 bytes a pixel).
// A page with more is held reduced to fit, so that a 30000 x 20000 page
// (2.4 GB as a 32-bit block) still opens in a 2 GB process.  48 M pixels
// make a 336 MB picture, which leaves room in the address space for a second
// one of the same size (every effect builds its result beside the picture);
// the 64-bit build keeps the same rule.  Tests lower it; 0 or less restores
// the default.
constexpr long long kDefaultPictureBudgetPixels = 48ll * 1000 * 1000;
void SetPictureBudget(long long pixels);
long long PictureBudget();
// The size a width x height page is held at: its own when it fits the
// budget, else the largest size within the budget with the page's aspect
// (each side at least 1).  {0, 0} for a size of 0 or less.
SIZE BudgetedPictureSize(int width, int height);

// Converts the working copy (all of it, or one row) into the display copy
// for display depths 4, 8, 15, 16 and 24; for any other depth the display
// copy is left untouched.  RefreshPictureDisplay returns 1.
int RefreshPictureDisplay(Picture* picture);
void RefreshPictureRow(Picture* picture, int row);

// The short size-and-colours text of a picture ("640x480x16M"), written into
// text (at most size bytes with the terminator).  Returns its length.
int FormatPictureInfo(char* text, int size, int width, int height, int bitsPerPixel);

// Painting a block in bands: one band per entry, giving its first source
// row, its source rows, its first destination row and its destination rows.
struct PaintBand {
    int sourceTop;
    int sourceRows;
    int destTop;
    int destRows;
};
// Source rows in one band when the source is more than 1000 pixels wide or high.
constexpr int kPaintBandRows = 256;
// Number of bands needed to paint a sourceWidth x sourceHeight block into
// destHeight rows; fills up to maxBands entries of bands (which may be null).
int ComputePaintBands(int sourceWidth, int sourceHeight, int destHeight,
                      PaintBand* bands, int maxBands);
