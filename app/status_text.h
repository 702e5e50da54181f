// The caption and status-bar texts of the viewer frame and the browser
// window: the open list count, position, pages, file name, size, picture
// facts, load progress and load time.
#pragma once

#include <windows.h>

#include <string>

#include "status_bar.h"

// Caption and status texts of the frame (or, with the browser's window and
// status bar, the browser's).
void RefreshCaptionAndStatus(HWND window, HWND statusBar);

// The last part (to the right edge): a passing note to the user, "" clears it.
void ShowStatusNote(HWND statusBar, const std::string& text);

// A file the viewer could not read: while no picture is shown and it is the
// current file, part 1 says so (string 40090 with the file name) in both
// status bars.  Forgotten when the next picture is shown.
void NoteUnreadableFile(const std::string& path);
