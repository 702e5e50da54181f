// The caption and status-bar texts of the viewer frame and the browser
// window: the open list count, position, pages, file name, size, picture
// facts, load progress and load time.
#pragma once

#include <windows.h>

#include <string>

// "12.34 KB" / "1.20 MB": k = size * 100 / 1024 (in floating point from
// 0x1400000 bytes up), truncated; megabytes from 1025 KB on.
std::string FormatFileSize(unsigned long long size);

// Sets the status parts: each of parts 0 to 4 as wide as its text plus 8
// pixels (initially 20, 80, 20, 20, 20), then one part to the right edge.
// texts may be null (the initial widths).
void ApplyStatusParts(HWND statusBar, const std::string* texts);

// Caption and status texts of the frame (or, with the browser's window and
// status bar, the browser's).
void RefreshCaptionAndStatus(HWND window, HWND statusBar);

// The last part (to the right edge): a passing note to the user, "" clears it.
void ShowStatusNote(HWND statusBar, const std::string& text);

// Part 1 while decoding: "Loading %d%%".
void ShowLoadProgress(HWND statusBar, int rowsDone, int rowsTotal);

// A file the viewer could not read: while no picture is shown and it is the
// current file, part 1 says so (string 40090 with the file name) in both
// status bars.  Forgotten when the next picture is shown.
void NoteUnreadableFile(const std::string& path);
