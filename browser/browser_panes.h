// The browser's panes inside its client area: the folder tree, the three
// dividers (dragged with the mouse), the preview pane (a picture view) in its
// area, the banner strip, the tab strip and the list below it.  The pane
// windows themselves are made by their modules; this module places them.
#pragma once

#include <windows.h>

#include "browser_layout.h"
#include "picture.h"

constexpr UINT kTabStripId = 1201;
constexpr UINT kPreviewPaneId = 1202;
constexpr int kTabCount = 6;     // THUMB, LARGE, SMALL, LIST, REPORT, URL
constexpr int kUrlTab = 5;

// Makes the preview pane and the tab strip, and reads the layout and the
// selected tab from the settings.  The banner strip is given by the caller.
bool CreateBrowserPanes(HWND browser, HWND banner);
// Writes the divider lines and their remembered places.
void SaveBrowserPanes();
void DestroyBrowserPanes();

// The windows the layout moves (null until they exist).
bool SetFolderTreePane(HWND tree);  // false for null
void SetFileListPane(HWND list);
void SetUrlListPane(HWND urlList);

// Fits the dividers to the client area (less toolbar and status bar) and
// moves every pane.
void LayOutBrowserPanes(HWND browser, const RECT& client);

// Divider dragging: WM_SETCURSOR, WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONUP.
// True when the message was the dividers'.
bool HandleDividerMouse(HWND browser, UINT msg, WPARAM wp, LPARAM lp);

// WM_MOUSEWHEEL over the preview pane or area resizes the preview; true when
// it was there.
bool HandlePreviewWheel(HWND browser, WPARAM wp, LPARAM lp);

// The preview: size 0 (fit), 1, 2, 4, 8; shown or hidden.
void SetPreviewSize(int size);
int PreviewSize();
void SetPreviewShown(bool shown);
bool PreviewShown();
HWND PreviewPane();
// Shows a picture (or none) in the preview and places the pane for it.
void SetPreviewPicture(const Picture* picture);

// The tab strip: the selected tab (0-4 list modes, 5 the URL list).
HWND TabStrip();
int SelectedTab();
void SelectTab(int tab);

const BrowserLayout& CurrentBrowserLayout();
