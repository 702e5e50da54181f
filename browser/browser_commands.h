// The browser's folder navigation around the tree: the history behind
// Backward and Forward (with their drop-down lists), the Folder menu built
// from the Send To folder, drives arriving and leaving, files dropped on the
// window, and the toolbar states that follow them.
#pragma once

#include <windows.h>
#include <commctrl.h>

// Prepares the toolbar's Backward and Forward buttons as drop-down buttons.
void PrepareHistoryButtons(HWND toolbar);
// Enables Backward and Forward by the history.
void RefreshHistoryButtons(HWND toolbar);
// TBN_DROPDOWN of Backward or Forward: the whole history as a pop-up menu,
// the current folder checked; choosing an entry opens it.
void ShowHistoryMenu(HWND browser, HWND toolbar, const NMTOOLBARA* info);
// Backward (32887), Forward (32888), Clear History List (32890).
bool HandleHistoryCommand(HWND toolbar, UINT id);

// Rebuilds the Folder popup (the menu bar's popup 3) from the Send To folder:
// folders, shortcuts to folders and shortcuts to drives, numbered from 60000.
void RebuildFolderMenu(HMENU popup);
// A Folder menu entry chosen: its folder opens in the tree.
bool HandleFolderMenuCommand(UINT id);

// WM_DEVICECHANGE: volumes with media arriving or leaving.
void OnDeviceChange(WPARAM event, LPARAM data);

// Clear Cache File (32892): deletes the thumbnail cache files through the
// shell (which asks first).  Nothing happens while a folder cache is open;
// the thumbnail passes are held off meanwhile.
void ClearThumbnailCache(HWND browser);

// Files dropped on the browser become a list of separate files.
void OnBrowserDropFiles(HDROP drop);
