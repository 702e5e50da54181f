// What the viewer's Process and Adjust commands, the plug-in host and its
// services need from the viewer frame, which sits above them: the frame's
// picture view, and showing the current picture after processing changed
// it.  The program sets the hooks when it makes the frame; the functions
// below do nothing (and answer null) while a hook is not set.  All on the
// user-interface thread.
#pragma once

#include <windows.h>

struct Picture;

// How processing changed the current picture.
enum class ProcessedChange {
    InPlace,      // same picture, pixels changed: both views repaint
    ViewerOnly,   // likewise, but only the viewer's view repaints
    NewPicture,   // replaced by one of the same size: both views get it
    NewSize,      // replaced by one of another size: views, frame layout, texts
};

struct EffectHost {
    HWND (*viewerView)();   // the frame's picture view
    // Shows the current picture after an effect or transform changed it.  A
    // replacement (NewPicture, NewSize) becomes the current picture, in place
    // of the old one, which is freed once no view shows it; without one the
    // views are given the current picture again.
    void (*showProcessedPicture)(HWND frame, ProcessedChange change, Picture* replacement);
};
void SetEffectHost(const EffectHost& host);

HWND HostViewerView();
void HostShowProcessedPicture(HWND frame, ProcessedChange change, Picture* replacement = nullptr);
