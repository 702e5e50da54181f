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

namespace {

constexpr UINT kHistoryMenuFirst = 1;  // menu item IDs of the drop-down list

// The Folder menu's targets, by entry.
std::vector<std::string> g_folderTargets;

bool IsFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string SendToFolder() {
    char path[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathA(nullptr, path, CSIDL_SENDTO, FALSE)) return std::string();
    return path;
}

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
    std::string folder = SendToFolder();
    if (!folder.empty()) {
        if (folder.back() != '\\') folder += '\\';
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA((folder + "*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                std::string name = found.cFileName;
                if (name == "." || name == "..") continue;
                std::string path = folder + name;
                std::string target;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    target = path;
                } else if (IsShortcutName(name)) {
                    std::string resolved = ResolveShortcut(path);
                    // Shortcuts to folders and to drives (roots) count.
                    if (resolved != path && IsFolder(resolved)) target = resolved;
                    name.resize(name.size() - 4);
                }
                if (target.empty()) continue;
                AppendMenuA(popup, MF_STRING, IDC_SEND_TO_FOLDER_FIRST + g_folderTargets.size(), name.c_str());
                g_folderTargets.push_back(target);
            } while (FindNextFileA(find, &found));
            FindClose(find);
        }
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
