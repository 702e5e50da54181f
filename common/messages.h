// Private window messages between the program's windows and threads, and the
// frame timers.  The numbers are fixed: other windows and threads post them.
#pragma once

#include <windows.h>

// Viewer frame and browser window.
constexpr UINT kMsgPictureLoaded = WM_USER + 100;     // 1124: the loader finished a file
constexpr UINT kMsgRowsReady = WM_USER + 101;         // 1125: wParam rows ready from row lParam
                                                      // (0: from the top); the frame passes it to
                                                      // its views
constexpr UINT kMsgLayoutFrame = WM_USER + 103;       // 1127: lay the frame out, repaint background
constexpr UINT kMsgRedrawView = WM_USER + 106;        // 1130: to a view, repaint the picture
constexpr UINT kMsgRedrawView2 = WM_USER + 107;       // 1131: likewise (page animation)
constexpr UINT kMsgSelectionMenu = WM_USER + 108;     // 1132: context menu of the selection
constexpr UINT kMsgRefreshInfo = WM_USER + 4096;      // 5120: caption and status, wParam status bar
constexpr UINT kMsgLoadProgress = WM_USER + 4097;     // 5121: wParam rows done, lParam rows total
constexpr UINT kMsgPreviewSize = WM_USER + 4098;      // 5122: preview's zoomed size to the browser
constexpr UINT kMsgDisplayChanged = WM_USER + 4099;   // 5123: to the browser after a display change
constexpr UINT kMsgSelectBrowseFolder = WM_USER + 4100;  // 5124: open the browse buffer's folder
constexpr UINT kMsgScrollView = WM_USER + 4103;       // 5127: scroll the view to (wParam, lParam)
constexpr UINT kMsgIgnored = 11023;

// Browser window and its panes.
constexpr UINT kMsgOpenFolder = WM_USER + 1000;       // 2024
constexpr UINT kMsgOpenListItemInTree = WM_USER + 1001;  // 2025
constexpr UINT kMsgClearPreview = WM_USER + 1004;     // 2028
constexpr UINT kMsgOpenFolder2 = WM_USER + 1005;      // 2029
constexpr UINT kMsgRedrawItem = WM_USER + 1006;       // 2030
constexpr UINT kMsgFolderLoaded = WM_USER + 1007;     // 2031
constexpr UINT kMsgRefreshItemTexts = WM_USER + 1008; // 2032
constexpr UINT kMsgFolderChanged = WM_USER + 1009;    // 2033
constexpr UINT kMsgDriveFoldersChanged = WM_USER + 1010;  // 2034
constexpr UINT kMsgRefreshAllTexts = WM_USER + 1011;  // 2035

// Frame timers.
constexpr UINT_PTR kTimerSequenceShow = 1;
constexpr UINT_PTR kTimerIconBlink = 2;
constexpr UINT kIconBlinkPeriodMs = 2000;
constexpr UINT_PTR kTimerPagePlay = 2244;
// The file list's cell animation of animated thumbnails.
constexpr UINT_PTR kTimerCellAnimation = 2233;
constexpr UINT kCellAnimationPeriodMs = 120;
// The banner strip's own animation timer.
constexpr UINT_PTR kTimerBanner = 1;

// Private to the viewer frame: the picture loader's synchronous reports
// (sent from the loader thread, answered on the frame's thread).
constexpr UINT kMsgLoaderDetachViews = WM_APP + 1;   // let go of the current picture
constexpr UINT kMsgLoaderShowPicture = WM_APP + 2;   // lParam: the new current picture (or null)
constexpr UINT kMsgLoaderFailed = WM_APP + 3;        // the load ended without a picture (posted);
                                                     // lParam null: a decoding error (the loader
                                                     // shows its box), else a heap-allocated
                                                     // std::string naming the file that could not
                                                     // be read, which the frame takes over
constexpr UINT kMsgPlaceNewPicture = WM_APP + 4;     // texts and layout for the new picture (posted)

// Private to the browser window: the worker's new open list (posted; lParam
// a heap-allocated std::vector<std::string> the window takes over), swapped
// in on the user-interface thread, which alone reads the open list.
constexpr UINT kMsgReplaceOpenList = WM_APP + 5;
// Private to the browser window: the worker's decoder gave up on a picture
// (posted; wParam the item, lParam a heap-allocated std::string path the
// window takes over and names in the "Decode Picture Error" box).
constexpr UINT kMsgThumbDecodeFault = WM_APP + 6;
// Private to the file list: start and stop the cell animation (posted by
// the worker; the timer belongs to the list's thread).
constexpr UINT kMsgStartCellAnimation = WM_APP + 7;
constexpr UINT kMsgStopCellAnimation = WM_APP + 8;
