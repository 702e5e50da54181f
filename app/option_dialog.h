// The Option dialog: the viewer's preferences (window sizing, where a large
// picture is placed, the mouse wheel, the page play direction, the sequence
// show delay) and the browser list's (background colour, size texts, the
// thumbnail frame and its borders).  OK writes them to Tavirsel.INI; Cancel
// writes nothing.
#pragma once

#include <windows.h>

#include <string>

// What OK changed, for the parts of the program that keep a value while they
// run.  All false after Cancel.
struct OptionResult {
    bool timerChanged = false;       // "Timer": a running sequence show restarts its timer
    int timer = 0;                   // the new delay in milliseconds (valid after OK)
    bool viewerChanged = false;      // window sizing, picture placement, wheel or play direction
    bool listColorChanged = false;   // "BackgroundColor"
    bool pictureSizeChanged = false; // "EnablePicSize"
    bool thumbFrameChanged = false;  // frame picture or its borders: the list's cells change
};

// Modal on owner.  True when OK changed at least one setting.
bool ShowOptionDialog(HWND owner, OptionResult* result = nullptr);

// The two questions the dialog asks through other dialogs; tests answer them
// instead.  Null restores the standard ones (the Open dialog for pictures and
// the system's colour dialog).
using FramePictureAsker = std::string (*)(HWND owner);
using ColorAsker = bool (*)(HWND owner, COLORREF* color);  // false: cancelled
void SetFramePictureAsker(FramePictureAsker asker);
void SetColorAsker(ColorAsker asker);
