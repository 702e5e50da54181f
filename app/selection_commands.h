// The commands on the viewer's selection rectangle: Zoom To Select Area
// (32896) and Copy To Clip (32897), and the selected pixels as a picture of
// their own for whatever saves them.  The frame refuses all of them while
// the loader still writes into the current picture.
#pragma once

#include <windows.h>

#include "dib.h"
#include "frame_layout.h"

// The selected pixels of the current picture as a new 32-bit top-down block
// (the selection clamped to the picture); null without a picture or a
// selection.  The caller frees it (FreeDib).
DibBlock* CutSelectedArea();

// Zooms so that the selected area fills the screen, lays the frame out and
// scrolls to it; without a selection one Zoom In step.
void ZoomToSelection(const FrameParts& parts);

// Asked by the view at each press: a selection may start unless a
// multi-page file plays or the loader is at work.
bool SelectionMayStart();
