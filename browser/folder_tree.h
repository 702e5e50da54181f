// The browser's folder tree: the shell namespace from the desktop down,
// folders only (hidden ones included), filled lazily as items are expanded.
// There is one tree; its state is file-scope.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <string>

#include "folder_request.h"

// Creates the tree window with the system small-icon image list, fills and
// expands the desktop and shows it.  Null (nothing left behind) on failure.
HWND CreateFolderTree(DWORD style, const RECT& rect, HINSTANCE instance, HWND parent);
// Frees every item's data and destroys the window.
void DestroyFolderTree();
HWND FolderTreeWindow();

// Where kMsgOpenFolder goes (sent, lParam a FolderRequest*); null sends
// nothing.  The list's LVM_FINDITEMA also picks the file named by
// SelectFolderByPath.
void SetFolderTreeListWindow(HWND list);

// The browser forwards the tree's WM_NOTIFY here.  True when the
// notification was the tree's; *result then holds the answer.
bool HandleFolderTreeNotify(NMHDR* header, LRESULT* result);

// Selects the folder of a path, expanding on the way; a path naming a file
// selects its folder and then that file in the list.  A path that is not in
// the namespace selects the desktop.
void SelectFolderByPath(const char* path);

// kMsgDriveFoldersChanged: merges the current sub-folders into every
// expanded item.
void RefreshFolderTree();

// Media arrived in or left a drive ('C'..'Z').
void OnDriveArrived(char letter);
void OnDriveRemoved(char letter);

// kMsgOpenListItemInTree (sent to the tree window, wParam the absolute list,
// lParam the relative list or null): the list activated an item.  With a relative list
// the item is a child of the current folder (selected in the tree, or opened
// by its default shell command when it is not a tree folder); without one it
// is the parent entry, which selects the current folder's parent.
void OpenListItemInTree(LPCITEMIDLIST absolute, LPCITEMIDLIST relative);

// The item the list shows, or null; owned by the tree.
const TreeItemData* CurrentFolderItem();
// Its file-system path, or "" (virtual folders, no current item).
std::string CurrentFolderPath();

// A drag from the list now moves over the tree: the tree captures the mouse,
// highlights the folder under the cursor, and on release calls onDrop with
// that folder's path (when it has one) and ends the drag.
void BeginFolderTreeDrag(void (*onDrop)(const char* folderPath));
bool FolderTreeDragActive();
