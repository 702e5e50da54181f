// The status-bar parts both top-level windows share: the file size text, the
// part widths and the load progress.
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

// A part's text, and setting it.
std::string StatusPartText(HWND statusBar, int part);
void SetStatusPartText(HWND statusBar, int part, const std::string& text);
// Sets one text part and sizes every text part to its text again.
void ShowStatusPart(HWND statusBar, int part, const std::string& text);

// Part 1 while decoding: "Loading %d%%".
void ShowLoadProgress(HWND statusBar, int rowsDone, int rowsTotal);

// Number of text parts before the one that runs to the right edge.
constexpr int kStatusTextParts = 5;
