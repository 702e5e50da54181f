// How the viewer frame sizes itself around the picture and places the
// picture view inside its picture area, and the zoom commands that drive it.
#pragma once

#include <windows.h>

// While the toolbar is shown the picture area is at least this large.
constexpr int kMinimumAreaWidth = 540;
constexpr int kMinimumAreaHeight = 100;

// The frame's parts the layout reads.
struct FrameParts {
    HWND frame;
    HWND view;
    HWND toolbar;    // null or hidden: not counted
    HWND statusBar;  // likewise
    bool fullScreen;
    SIZE pictureSize;  // of the picture the view shows (for the zoom limit)
};

// The window rectangle the frame needs for a zoomed picture of `zoomed`
// size: at least a 540 x 100 picture area while the toolbar is shown, 2 and
// 3 pixels of margin, the non-client parts, toolbar and status bar; centred
// on the screen (an edge below 1 becomes 0) and clipped to its right and
// bottom.
RECT NeededFrameRect(SIZE zoomed, bool toolbarShown, int toolbarHeight, bool statusBarShown, int statusBarHeight,
                     SIZE nonClient, const RECT& screen);

// Where the view goes in the picture area: centred, clipped to the area.
RECT PlaceViewInArea(const RECT& area, SIZE zoomed);

// The client area between the toolbar and the status bar, inset by 1 pixel
// left, top and right and 2 at the bottom (no inset in full screen).
RECT FramePictureArea(const FrameParts& parts);

// Lays the frame out after a picture is shown or the zoom changes: sizes the
// frame by "WindowSizeAutoChange", shows it, places the view and repaints.
// fromToolbarCommand: the command whose toolbar button the cursor returns to
// in "Auto Size the Window" mode (0 for none).
void LayOutFrame(const FrameParts& parts, UINT fromToolbarCommand = 0);

// wParam of the layout message (1127) that keeps the frame's rectangle and
// only places the view: after leaving full screen the frame has the
// rectangle it had before entering, whatever picture it shows now.
constexpr WPARAM kLayoutKeepFrameRect = 1;
void PlaceViewKeepingFrame(const FrameParts& parts);

// command when the cursor is over that command's toolbar button, else 0.
UINT CommandUnderCursor(HWND toolbar, UINT command);

// The frame was resized by the user: the view keeps its size (or takes the
// zoomed size when smaller than the picture), centred in the new area.
void RePlaceViewAfterSizing(const FrameParts& parts);

// Fills the picture area around the view black and draws the sunken edge
// around the area (outside full screen); everything else is button face.
void EraseFrameBackground(const FrameParts& parts, HDC dc);

// The zoom commands.  lParam 1 (from the mouse wheel) skips the cursor
// return.  Each does nothing without a picture or at the end of the table.
void ZoomInCommand(const FrameParts& parts, bool fromWheel);
void ZoomOutCommand(const FrameParts& parts, bool fromWheel);
void ZoomNormalCommand(const FrameParts& parts);
