// Printing without windows: what a printer reports, where the picture lands
// on the page, how large the picture is made in memory before it goes to the
// printer, and the grey conversions for monochrome printers.  Pure functions
// over numbers and DIB blocks, so that a test can give any printer's facts.
#pragma once

#include <windows.h>

#include "dib.h"

// What the job needs to know about a printer.
struct PrinterFacts {
    int rasterCaps = 0;   // RASTERCAPS
    int colourBits = 0;   // BITSPIXEL, times PLANES when BITSPIXEL is below 9
    int pageWidth = 0;    // HORZRES: the printable area in device pixels
    int pageHeight = 0;   // VERTRES
    int dpiX = 0;         // LOGPIXELSX
    int dpiY = 0;         // LOGPIXELSY
};
PrinterFacts ReadPrinterFacts(HDC printer);

// A printer takes a DIB when it can draw one unscaled or stretch one.
bool CanPrintDib(const PrinterFacts& printer);
// Fewer than 2 colour bits: the grey dialog and conversions.
bool IsMonoPrinter(const PrinterFacts& printer);

// The choice of the print dialogs.  Colour printers: depth 4, 8, 15, 16 or
// 24.  Monochrome printers: depth 1 (two colours), 2 (16 greys, fast dither)
// or 4 (16 greys, best dither), with light -128..127 added to the grey.
struct PrintChoice {
    int depth = 24;
    int light = 0;
};

// A picture is printed turned by a quarter when it is taller than wide on a
// page wider than tall, or the other way round.
bool PrintTurnsPicture(const PrinterFacts& printer, int width, int height);

// Where a width x height picture (already turned when it is printed turned)
// lands: 90 picture pixels to the inch, centred on the printable area; a
// picture too large for the area is fitted to it less an inch, and a nearly
// square one that then comes within an inch of that is shrunk by another
// inch.  Every side at least 1 and the rectangle inside the printable area
// whenever the area is larger than an inch on each side.
RECT PrintTarget(const PrinterFacts& printer, int width, int height);

// Width and height of the picture as it is handed to the printer: its own
// size when a colour printer stretches it and it covers at most half the
// printable area each way; half the target for other colour printers; the
// target for monochrome printers, divided by 2, 4 or 6 in a direction where
// the target covers more than half the area and the machine has less than
// 256 MB.  A printer that cannot stretch gets the target size exactly.
SIZE PreparedPrintSize(const PrinterFacts& printer, int width, int height, const RECT& target,
                       int memoryMegabytes);

// Threshold of the fast 16-grey dither, indexed [x % 16][y % 16].
extern const BYTE kPrintDither16[16][16];

// Every pixel becomes its luminance plus light, clamped to 0..255, in all
// three channels.
void GreyPixelsWithLight(DWORD* pixels, size_t count, int light);

// The monochrome conversions into a new block of the source's size (null
// for a null or non-32-bit source, or no memory):
// two colours, white where the masked luminance plus light is above the 8 x
// 8 threshold; 16 greys 17 * i where the luminance plus light (clamped)
// rises a level above the 16 x 16 threshold.
DibBlock* PrintDibTwoColours(const DibBlock* source, int light);
DibBlock* PrintDibFastGreys(const DibBlock* source, int light);

// The picture made ready for the printer: scaled to `size`, turned by a
// quarter counter-clockwise when `turned`, converted to the choice's depth
// (colour printers) or grey method (monochrome printers).  Null when memory
// runs out; the source is never changed.
DibBlock* PreparePrintDib(const DibBlock* source, SIZE size, bool turned, bool mono, const PrintChoice& choice);

// The picture the print dialogs show: the working copy fitted into 128 x 128
// (sides at least 6), turned when the page asks for it.
DibBlock* MakePrintPreview(const DibBlock* source, bool turned);

// Draws a prepared block onto target: unscaled with SetDIBitsToDevice when it
// has the target's size and the printer says it can, else stretched with
// StretchDIBits.  False when the driver refuses.
bool DrawPrintDib(HDC printer, const DibBlock* block, const RECT& target, int rasterCaps);
