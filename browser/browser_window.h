// The browser window (class "OmmavuSHOWer"): menu 124, its toolbar and
// status bar, the banner strip, and the panes that the folder tree, the file
// list and the preview fill in.
#pragma once

#include <windows.h>

#include <string>

// Registers the class, loads the menu, creates the window at the remembered
// rectangle with its toolbar, status bar and banner strip.  Shown with the
// given show command (SW_HIDE keeps it hidden).  Null on any failure.
HWND CreateBrowserWindow(HINSTANCE instance, int show);
void DestroyBrowserWindow();

// Reloads the menu, recreates the toolbar and refreshes the status bar after
// a language change.
void ReloadBrowserResources();

// Copies a folder (a backslash appended when missing) to the browse buffer
// and asks the tree to select it.
void BrowseTo(const std::string& folder);
// The same for a path as it stands: a file's path selects its folder and
// then the file in the list.
void SelectInBrowser(const std::string& path);

// The folder the browser shows, ending in a backslash ("" for none).
std::string BrowsedFolderPath();

// Number of items the browser shows (its status bar counts them).
int BrowserItemCount();
HWND BrowserStatusBar();

// Where the browser opens: "BSWPOSX"/"BSWPOSY" unless they lie outside the
// desktop's extent (then centred), "BSWIDTH"/"BSWHIGH" unless not set,
// negative or below the smallest tracking size 320 x 240 (then 800 x 600);
// no side larger than the desktop, and the window moved up or left as far as
// it takes to lie wholly on the desktop.
RECT BrowserWindowRect(int x, int y, int width, int height, const RECT& desktop);
