// The file list's own record and the helpers its parts share; nothing
// outside the list includes this (the browser and the worker use
// file_list.h and list_shared.h).  The parts:
//   file_list.cpp           creation and destruction, the hooks, the look, the modes
//   file_list_columns.cpp   the details columns' headings, the sort mark, sorting
//   file_list_items.cpp     what the control shows of the model, the selection
//   file_list_window.cpp    the list window's subclass procedure, its paint and
//                           shown range, the hovered item, the cell animation
//   file_list_notify.cpp    the notifications the browser forwards
//   file_list_menu.cpp      the context menus and the shell's default command
//   file_list_commands.cpp  the browser's list commands, item activation
//   file_list_files.cpp     the model from separate files
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include "file_list.h"

#include <string>
#include <vector>

struct BrowserItem;

namespace filelist {

constexpr int kColumnCount = 5;

// Announces the model's count on the list's own thread (the worker posts it).
constexpr UINT kMsgAnnounceCount = WM_APP + 40;

// There is one list, so one record.  It is read and written on the
// interface thread (the one that created the list) only, with two
// exceptions: AnnounceItemCount reads `list` from any thread, and the
// worker's thumbnail pass reads `isVirtual` and the cell size through
// FileListIsVirtual and ThumbnailCellBox.  The shown range, which the paint
// writes and the worker reads, is not here: it lives with its interlocked
// accessors in file_list_window.cpp.
struct FileListState {
    HWND list = nullptr;
    HWND browser = nullptr;
    HWND tooltip = nullptr;
    WNDPROC listProc = nullptr;   // the control's own procedure, under ListProc
    bool isVirtual = false;       // owner data: the control holds no texts
    int mode = kModeDetails;
    int sortColumn = 0;
    int current = -1;
    bool folderShown = false;
    HIMAGELIST largeIcons = nullptr;
    HIMAGELIST smallIcons = nullptr;
    HIMAGELIST thumbIcons = nullptr;
    int cellWidth = 64, cellHeight = 64, marginX = 6, marginY = 6;
    bool separateFiles = false;   // the model holds separate files, not a folder
    int hovered = -1;             // the item whose icon the mouse is over
    // A file chosen by its path ("dir\\photo.jpg") whose folder is still being
    // loaded: selected as soon as the list holds it.
    std::string pendingSelection;
    bool thumbActive = true;            // Enable Thumb Active
    bool insertedItemsWanted = false;   // the older controls' list on any library
    bool animating = false;             // timer 2233 runs
    // The headings; the string table's IDS_LIST_COLUMNS replaces them.
    std::string columnTexts[kColumnCount] = {"Name", "Size", "Type", "Date", "Attrib"};

    // The hooks the list's owner sets (file_list.h).
    void (*opener)(const char* path) = nullptr;
    void (*previewer)(const char* path) = nullptr;  // shows a picture in the preview
    void (*requester)(int code, LPCITEMIDLIST folder) = nullptr;
    void (*openListReceiver)(const std::vector<std::string>& paths) = nullptr;
    bool (*wheel)(HWND list, WPARAM wp, LPARAM lp) = nullptr;
};

FileListState& ListState();

// file_list.cpp: a string of the resource module, or fallback.
std::string Text(UINT id, const char* fallback);

// file_list_columns.cpp
void ReadColumnTitles();
void MarkSortColumn();

// file_list_items.cpp
void WriteItemTexts(int index, bool insert);
void SelectPendingPath();
void AnnounceOnListThread();
void ReadAllStates();
void ClearMarks();
std::vector<int> SelectedIndices();

// file_list_window.cpp
LRESULT CALLBACK ListProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
void UpdateCellAnimation();

// file_list_menu.cpp
void InvokeDefaultCommand(BrowserItem& item);
void ShowContextMenu();

// file_list_commands.cpp: posts command to the browser window.
void PostCommand(UINT command);

}  // namespace filelist
