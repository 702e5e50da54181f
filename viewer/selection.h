// The arithmetic of the selection rectangle, without windows: from the
// view's client pixels to picture pixels, and the zoom that makes a selected
// area fill the screen ("Zoom To Select Area").
#pragma once

#include <windows.h>

// The picture pixels under a selection made in a view's client area.  The
// view shows the zoomed picture with its top-left at -scroll (a picture
// smaller than the client has a negative scroll that centres it), so client
// point c lies on zoomed pixel c + scroll, and on picture pixel
// (c + scroll) * 100 / zoom, truncated.  The result is clamped to the
// picture and never empty for a non-empty picture: a selection inside one
// picture pixel (possible above 100 %) takes that pixel.  Empty for an empty
// picture or a zoom of 0 or less.
RECT SelectionToPicture(const RECT& client, POINT scroll, int zoom, SIZE picture);

// The zoom, index and scroll position that make the area s (picture pixels)
// fill `available` (the screen less the frame's parts around the picture
// area):
//   wanted = min(available.cx * 100 / width(s), available.cy * 100 / height(s)),
//            at most 2000 and at least 1;
//   scroll = max(centre of s - (available * 100 / wanted) / 2, 0) * wanted / 100;
//   applied = wanted lowered by 200 points while a zoomed side of the picture
//             would reach 32768 pixels; when that passes 0, the largest zoom
//             whose sides stay below 32768; scroll scaled by applied / wanted;
//   index = the first zoom step not below wanted, 14 above 1000 %.
struct AreaZoom {
    int wanted;
    int applied;
    POINT scroll;   // zoomed pixels at the applied zoom
    int index;
};
// False (out untouched) for an empty area or picture, or a picture no zoom
// of 1 % or more can show below 32768 pixels.
bool ZoomToArea(const RECT& area, SIZE available, SIZE picture, AreaZoom* out);

// The largest zoom (percent) at which both sides of a width x height picture
// stay below 32768 pixels; 0 when not even 1 % does.
int LargestFittingZoom(int width, int height);
