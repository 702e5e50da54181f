#include "browser_commands.h"

#include <dbt.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "browser_window.h"
#include "commands.h"
#include "dropped_files.h"
#include "file_list.h"
#include "folder_history.h"
#include "folder_tree.h"
#include "program.h"
#include "shortcut.h"
#include "cache_files.h"
#include "file_operations.h"
#include "worker.h"
#include "send_to_cache.h"

namespace {

constexpr UINT kHistoryMenuFirst = 1;  // menu item IDs of the drop-down list

// The Folder menu's targets, by entry.
std::vector<std::string> g_folderTargets;

}  // namespace

void PrepareHistoryButtons(HWND toolbar) {
    if (!toolbar) return;
    SendMessageA(toolbar, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
    for (UINT id : {IDC_BACKWARD, IDC_FORWARD}) {
        TBBUTTONINFOA info = {};
        info.cbSize = sizeof info;
        info.dwMask = TBIF_STYLE;
        if (!SendMessageA(toolbar, TB_GETBUTTONINFOA, id, reinterpret_cast<LPARAM>(&info)) && info.fsStyle == 0)
            continue;
        info.fsStyle |= BTNS_DROPDOWN;
        SendMessageA(toolbar, TB_SETBUTTONINFOA, id, reinterpret_cast<LPARAM>(&info));
    }
    RefreshHistoryButtons(toolbar);
}

void RefreshHistoryButtons(HWND toolbar) {
    if (!toolbar) return;
    std::string target;
    SendMessageA(toolbar, TB_ENABLEBUTTON, IDC_BACKWARD, MAKELONG(BrowserHistory().BackwardTarget(&target), 0));
    SendMessageA(toolbar, TB_ENABLEBUTTON, IDC_FORWARD, MAKELONG(BrowserHistory().ForwardTarget(&target), 0));
}

void ShowHistoryMenu(HWND browser, HWND toolbar, const NMTOOLBARA* info) {
    std::vector<std::string> entries = BrowserHistory().Entries();
    if (entries.empty()) return;
    HMENU menu = CreatePopupMenu();
    int current = BrowserHistory().Current();
    for (size_t i = 0; i < entries.size(); ++i)
        AppendMenuA(menu, MF_STRING | (static_cast<int>(i) == current ? MF_CHECKED : 0), kHistoryMenuFirst + i,
                    entries[i].c_str());
    RECT button = info->rcButton;
    MapWindowPoints(toolbar, nullptr, reinterpret_cast<POINT*>(&button), 2);
    UINT chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, button.left, button.bottom, 0,
                                 browser, nullptr);
    DestroyMenu(menu);
    if (chosen >= kHistoryMenuFirst && chosen < kHistoryMenuFirst + entries.size() &&
        static_cast<int>(chosen - kHistoryMenuFirst) != current)
        BrowseTo(entries[chosen - kHistoryMenuFirst]);
}

bool HandleHistoryCommand(HWND toolbar, UINT id) {
    std::string target;
    switch (id) {
    case IDC_BACKWARD:
        if (BrowserHistory().BackwardTarget(&target)) BrowseTo(target);
        return true;
    case IDC_FORWARD:
        if (BrowserHistory().ForwardTarget(&target)) BrowseTo(target);
        return true;
    case IDC_CLEAR_HISTORY:
        BrowserHistory().Clear();
        RefreshHistoryButtons(toolbar);
        return true;
    default:
        return false;
    }
}

void RebuildFolderMenu(HMENU popup) {
    if (!popup) return;
    while (GetMenuItemCount(popup) > 0) DeleteMenu(popup, 0, MF_BYPOSITION);
    g_folderTargets.clear();
    const std::vector<SendToEntry>& entries = SendToEntries();
    for (size_t i = 0; i < entries.size(); ++i) {
        const SendToEntry& entry = entries[i];
        if (!entry.isFolder) continue;
        const HBITMAP icon = SendToEntryIcon(i);
        MENUITEMINFOA item = {};
        item.cbSize = sizeof item;
        item.fMask = MIIM_ID | MIIM_STRING | (icon ? MIIM_BITMAP : 0);
        item.wID = IDC_SEND_TO_FOLDER_FIRST + static_cast<UINT>(g_folderTargets.size());
        item.dwTypeData = const_cast<char*>(entry.name.c_str());
        item.hbmpItem = icon;
        InsertMenuItemA(popup, static_cast<UINT>(GetMenuItemCount(popup)), TRUE, &item);
        g_folderTargets.push_back(entry.target);
    }
    if (g_folderTargets.empty()) AppendMenuA(popup, MF_STRING | MF_GRAYED, 0, "(Send To)");
}

bool HandleFolderMenuCommand(UINT id) {
    if (id < IDC_SEND_TO_FOLDER_FIRST || id >= IDC_SEND_TO_FOLDER_FIRST + g_folderTargets.size()) return false;
    BrowseTo(g_folderTargets[id - IDC_SEND_TO_FOLDER_FIRST]);
    return true;
}

void OnDeviceChange(WPARAM event, LPARAM data) {
    if (event != DBT_DEVICEARRIVAL && event != DBT_DEVICEREMOVECOMPLETE) return;
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
    if (!header || header->dbch_devicetype != DBT_DEVTYP_VOLUME) return;
    const auto* volume = reinterpret_cast<const DEV_BROADCAST_VOLUME*>(data);
    if (!(volume->dbcv_flags & DBTF_MEDIA)) return;
    for (int bit = 0; bit < 26; ++bit) {
        if (!(volume->dbcv_unitmask & (1u << bit))) continue;
        char letter = static_cast<char>('A' + bit);
        if (event == DBT_DEVICEARRIVAL) {
            OnDriveArrived(letter);
        } else {
            char root[] = {letter, ':', '\\', 0};
            UINT type = GetDriveTypeA(root);
            if (type == DRIVE_CDROM || type == DRIVE_REMOVABLE) {
                // The list shows nothing from a drive that left.
                std::string shown = BrowsedFolderPath();
                if (!shown.empty() && (shown[0] & ~0x20) == letter) EmptyFileList();
                OnDriveRemoved(letter);
            }
        }
    }
}

void OnBrowserDropFiles(HDROP drop) {
    std::vector<std::string> paths = TakeDroppedFiles(drop);
    if (!paths.empty()) FillModelFromFiles(paths);
}

namespace {

bool DeleteCachePattern(const std::string& pattern, void* owner) {
    return DeleteMatchingFiles(pattern, static_cast<HWND>(owner), "Delete");
}

}  // namespace

void ClearThumbnailCache(HWND browser) {
    // The folder lock keeps the worker's passes (and their cache files) out
    // while the files go.  While the worker loads a folder or makes
    // thumbnails the cache is in use and the command does nothing, as its
    // greyed menu item says; the window does not wait for the worker.
    FolderLockIfFree hold;
    if (!hold.Held() || IsFolderCacheOpen()) return;
    ClearCacheFiles(DeleteCachePattern, browser);
}
