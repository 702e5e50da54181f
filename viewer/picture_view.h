// The picture view: a child window of class "ImageViewWndClass" that draws a
// picture at a zoom, scrolls it and draws its rows as they are decoded.  The
// viewer frame has one; the browser's preview pane is another.
//
// Each view keeps its state in one record allocated from a heap private to
// the window (made with the window, destroyed with it) and attached with
// GWL_USERDATA.  All functions run on the user-interface thread.
#pragma once

#include <windows.h>

#include "picture.h"

constexpr char kPictureViewClass[] = "ImageViewWndClass";
constexpr char kPictureViewName[] = "ImageViewWnd";

// Drawing modes.
enum PictureViewMode : BYTE {
    kViewStretchCentred = 1,  // whole picture stretched to the client area; centred when set
    kViewZoomed = 2,          // zoomed drawing with scrolling; centred when set (the viewer)
    kViewStretch = 3,         // whole picture stretched to the client area
};

// Registers the class once (double clicks, arrow cursor, no background brush)
// and creates the view.  Null on failure.
HWND CreatePictureView(HWND parent, int x, int y, int width, int height, DWORD style, UINT id = 0);

// Hover and drag cursors (resources of the main module), used while the
// zoomed picture is larger than the view.
void SetViewCursors(HWND view, int hoverCursorId, int dragCursorId);

// The module SetViewCursors loads cursors from (the program's own module
// until set), and the palette realised before drawing on displays of 8 bits
// or fewer (none until set).  Both are process-wide.
void SetPictureViewModule(HINSTANCE module);
void SetViewPalette(HPALETTE palette);
HPALETTE ViewPalette();

// Shows a picture (or none): takes a new display descriptor of the picture's
// display bitmap (the working copy on a 32-bit display, else the display
// copy), resets scroll and selection, centres the picture for modes 1 and 2,
// then applies the current zoom.  The picture must stay alive while shown.
void SetViewPicture(HWND view, const Picture* picture);

// Stores zoom and mode; keeps the picture point at the centre of the visible
// part in the centre; a zoomed picture that fits the client is centred.
void SetViewZoom(HWND view, int percent, int mode);

// (0, 0, width * zoom / 100, height * zoom / 100), plus twice the system
// border width in both directions when the view has WS_BORDER.
RECT ViewZoomedSize(HWND view);

// Clamps (x, y) (zoomed pixels), recomputes the source and destination
// rectangles and repaints.
void ScrollViewTo(HWND view, int x, int y);
void GetViewPosition(HWND view, POINT* scroll, int* zoom);
void GetViewSourceRect(HWND view, RECT* source, int* zoom);

// While loading, ordinary repaints are skipped as long as a picture exists;
// rows are drawn as they are reported (message 1125: wParam rows ready from
// row lParam on, 0 for the top).
void SetViewLoading(HWND view, bool loading);
bool IsViewLoading(HWND view);

// True when the zoomed picture is more than 2 pixels wider or higher than
// the client area.
bool IsViewLargerThanClient(HWND view);
bool ViewHasPicture(HWND view);
bool ViewHasSelection(HWND view);

// The viewer's own view lets the user drag a selection rectangle over a
// picture that fits it; other views (the browser's preview, of the same
// class) never select.  cursor shows over a present selection; mayStart,
// when set, is asked at every press whether a selection may start now (not
// while a multi-page file plays).  No selection starts while the view is
// loading.  A press inside a present selection sends WM_COMMAND 32896 (Zoom
// To Select Area) to the parent and clears the selection.
void EnableViewSelection(HWND view, HCURSOR cursor, bool (*mayStart)());
// The selection in client pixels (normalised); false when there is none.
bool GetViewSelection(HWND view, RECT* client);
// The selection in picture pixels, clamped to the picture and at least one
// pixel in each direction (see SelectionToPicture); false without one.
bool GetViewSelectionInPicture(HWND view, RECT* picture);
// Clears the selection and repaints without it.
void ClearViewSelection(HWND view);

// Arrow keys from the frame: scroll 32 zoomed pixels when the picture is
// larger than the view.
void ViewArrowKey(HWND view, UINT virtualKey);
