// The browser's URL page: a report list of web addresses kept in
// "URLIST.TXT" in the program folder.  Row 0 is the built-in entry (string
// 40042), never written to the file.  The list is subclassed for its
// context menu ("UrlMenu"), the Delete key, double clicks and its commands
// 32899 - 32902; its state is attached to the window.  The file is written
// back when the list is destroyed, only when something changed.
#pragma once

#include <windows.h>

#include <string>

// Creates the list as a child of browser (hidden; the tab strip shows it),
// fills it from file (a missing file gives only row 0).  Null on failure.
HWND CreateUrlList(HWND browser, HINSTANCE instance, UINT id, const std::string& file);

// The browser's WM_NOTIFY from the list (selection changes, double clicks):
// true when it was the list's.
bool HandleUrlListNotify(const NMHDR* header, LRESULT* answer);

// The browser's wheel routing; false leaves the wheel to the list itself.
using UrlListWheelHandler = bool (*)(HWND list, WPARAM wp, LPARAM lp);
void SetUrlListWheelHandler(UrlListWheelHandler handler);

// The list's commands, also reached through WM_COMMAND on the list.
void OpenUrl(HWND list);
void EditUrl(HWND list, bool newEntry);
void DeleteUrl(HWND list);
// Writes the file when modified; false when that failed (the user is told).
bool SaveUrlList(HWND list);

int CurrentUrlRow(HWND list);
bool UrlListModified(HWND list);
