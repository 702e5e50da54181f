// The browser's file list: a list view over the item model in one of five
// modes (thumbnails, large icons, small icons, list, details), virtual when
// the common controls can do it.  One list; its state is one internal record
// (file_list_state.h), shared by the parts of its implementation.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include "list_shared.h"

#include <string>
#include <vector>

enum ListMode { kModeThumbnails = 0, kModeLargeIcons, kModeSmallIcons, kModeList, kModeDetails };

// Creates the list (starting in details mode) with its columns, image lists
// and tooltip, subclassed; parent is the browser window.  Null on failure.
HWND CreateFileList(HWND parent, const RECT& rect);
void DestroyFileList();
// The next CreateFileList makes the list that common controls older than
// 4.70 get (items inserted, no owner data) whatever the library's version,
// so that path runs on a newer library too.
void UseInsertedListItems(bool on);
// Reads the column headings from the resource module again (after the
// language changed).
void ReloadListColumnTitles();
HWND FileListWindow();

void SetListMode(int mode);   // ListMode
int ListModeNow();
// IDC_SORT_BY_* keep the direction, IDC_SORT_FORWARD/REVERSE keep the column.
void SortList(UINT command);
// The browser's other list commands: the modes, Select All, Delete, Rename,
// Only Picture Mode, Parent Folder.  True when the command was the list's.
bool HandleFileListCommand(UINT command);
// The browser forwards the list's WM_NOTIFY here; true when handled, the
// answer in *result.
bool HandleFileListNotify(NMHDR* header, LRESULT* result);

// Opens a picture (double click, Enter, "open" on a picture item).
void SetPictureOpener(void (*opener)(const char* path));
// Called with the path of a picture that became the current item.
void SetPicturePreviewer(void (*previewer)(const char* path));
// Asks the worker for a request (0/1 open the folder, 2 thumbnails, 4
// thumbnails of separate files).  Set by whoever owns the worker.
void SetFolderRequester(void (*requester)(int code, LPCITEMIDLIST folder));
// Wheel routine of the browser, tried first for WM_MOUSEWHEEL over the list
// (true when it took the message).
void SetListWheelHandler(bool (*handler)(HWND list, WPARAM wp, LPARAM lp));

// Selects, focuses and shows the item of the file at path (a full path); when
// the list does not hold it yet (its folder is loading) it is selected as
// soon as the loaded folder is announced.
void SelectListFile(const std::string& path);

// The list and the item model show nothing (the shown folder's drive was
// removed); the preview is cleared.
void EmptyFileList();

// Activates list item index (double click, Enter, "open").
void ActivateListItem(int index);
// The current (focused and selected) item's list index, or -1.
int CurrentListItem();
bool OnlyPictureModeOn();


// Replaces the model by the pictures among paths (append adds them after
// the existing items), announces the count, hands the pictures to the open
// list in the model's order and asks the worker for request 4.  A folder load
// or pass the worker was running is stopped first, and what it had posted
// about its folder is dropped, so it cannot write over these files.
void FillModelFromFiles(const std::vector<std::string>& paths, bool append = false);

// Takes the pictures of the model, in the browser's order, as the viewer's
// open list (set by whoever owns the open list).  Called on the interface
// thread when the model is filled from separate files or re-sorted.
void SetOpenListReceiver(void (*receiver)(const std::vector<std::string>& paths));

// Stores [first, end) as the shown range, setting the flag when it differs
// from the stored one; the paint stores its range through this.
void SetVisibleListRange(int first, int end);

// Cell size of thumbnail mode (the picture frame image's size; 64 x 64 by
// default) and its margins.
void SetThumbnailCell(int width, int height, int marginX, int marginY);
// Reads the list's look from the settings again ("BackgroundColor",
// "EnablePicSize", the frame picture and its borders) and repaints; after
// the Option dialog changed any of them.
void ApplyListLook();

// Enable Thumb Active: animated thumbnails play in their cells (on by
// default, not saved).
void SetCellAnimationEnabled(bool on);
bool CellAnimationEnabled();

// The browser's own entries of an item's shell menu (the list's menu of
// selected items, the folder tree's menu of a folder): the shell's Send To
// sub-menu (its last sub-menu) offers "No Defined Folder", which is Copy
// To..., and a "MoveTo" sub-menu with "No Defined Folder" (Move To...)
// follows it.  withEntries adds the cached Send To entries (the named
// folders) to both: choosing one copies or moves the list's selection there.
void AddTransferMenus(HMENU popup, bool withEntries = false);
// The browser command an entry added by AddTransferMenus stands for, or 0.
UINT TransferCommandOfMenuId(UINT id);

// The full paths of the selected items in list order (the parent entry and
// items without a path left out); filesOnly keeps only files (pictures and
// other files, not folders).  Copy, cut, mail, Copy To, Move To and the
// multi-rename all take their files from here.
std::vector<std::string> SelectedItemPaths(bool filesOnly);

// Cut items are painted dimmed until the cut is pasted or replaced: the
// paths given here (case ignored); an empty list ends the cut state.
void MarkCutItems(const std::vector<std::string>& paths);
bool IsCutItem(const struct BrowserItem& item);

// The texts shown in a tip and in the sort column's header.
std::string ListInfoTip(int index);
std::string SortHeaderText(const char* text, bool nameColumn, bool reverse);
