// The browser's own painting of the file list in every mode: thumbnail
// cells in their frames with labels and sizes, the icon views with the
// thumbnails' icon-size copies, details rows in the picture types' colours,
// and the animation of animated thumbnails.  The list control lays the items
// out and hit-tests; this file draws them.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

struct BrowserItem;

// What a paint needs to know of the list.
struct ListPaintSetup {
    HWND list = nullptr;
    int mode = 0;                  // ListMode
    HIMAGELIST largeIcons = nullptr;   // the system image lists
    HIMAGELIST smallIcons = nullptr;
    int cellWidth = 64, cellHeight = 64;   // thumbnail cell (the frame picture's size)
    int marginX = 6, marginY = 6;
    int first = 0, end = 0;        // the visible range, list indices
    int hot = -1;                  // the item under the mouse cursor
};

// Loads the picture frame drawn behind every thumbnail: "BackgroundIndex" 0
// to 3 the built-in frames, -1 the picture named by "PictureFrameImage",
// anything else none.  Returns the cell size: the frame's, or 64 x 64
// without one (a frame smaller than 24 x 24 is not used).
SIZE LoadCellFrame();
void FreeCellFrame();
// Re-reads "BackgroundColor" for the list's background brush and
// "EnablePicSize" for the size text under thumbnails.
void ResetListBrushes();
void FreeListBrushes();

// Answers the list's WM_PAINT in every mode.
void PaintFileList(const ListPaintSetup& setup);
// One step of the cell animation (timer 2233): the visible animated items
// whose rectangle touches the client area show their next frame.
void AnimateThumbnailCells(const ListPaintSetup& setup);

// The lines a label that fits neither on one line nor word-wrapped is broken
// into by hand: at most maxChars characters a line, shortened back to just
// after the last blank within them, blanks at a line's start skipped; the
// last of maxLines lines holds all the rest (drawn with an ellipsis).
std::vector<std::string> BreakLabelLines(const std::string& text, int maxChars, int maxLines);

// Draws an item's label into rect (name, and the size text when asked and
// room is left); returns the number of lines the name took.
int DrawItemLabel(HDC dc, const RECT& rect, const BrowserItem& item, bool selected, bool sizeText);

// The rectangles of thumbnail mode, from the item's icon rectangle: the
// W x H cell centred in it, and the label below the cell down to the
// next row.
RECT ThumbnailCellRect(const RECT& icon, int cellWidth, int cellHeight);
RECT ThumbnailLabelRect(HWND list, const RECT& icon, int cellWidth, int cellHeight);
// Lines of label text the icon spacing of thumbnail mode leaves room for.
constexpr int kThumbnailLabelLines = 3;
