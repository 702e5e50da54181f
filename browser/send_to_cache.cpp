#include "send_to_cache.h"

#include <shellapi.h>
#include <shlobj.h>

#include "shortcut.h"
#include "watcher.h"
#include "win_guards.h"

namespace {

struct Cache {
    std::vector<SendToEntry> entries;
    std::vector<HBITMAP> icons;          // by entry; made on demand
    std::vector<bool> iconTried;
    bool valid = false;
    std::string folder;                  // the folder watched
    HANDLE change = INVALID_HANDLE_VALUE;
    int builds = 0;
};

Cache& TheCache() {
    static Cache cache;
    return cache;
}

bool IsFolderPath(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsRemovableDriveRoot(const std::string& path) {
    if (path.size() < 2 || path.size() > 3 || path[1] != ':') return false;
    const std::string root = path.substr(0, 2) + "\\";
    return GetDriveTypeA(root.c_str()) == DRIVE_REMOVABLE;
}

// The entry's small shell icon drawn on the menu colour.
HBITMAP SmallIconBitmap(const std::string& path) {
    SHFILEINFOA info = {};
    if (!SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON) || !info.hIcon)
        return nullptr;
    const int size = GetSystemMetrics(SM_CXSMICON);
    WindowDC screen(nullptr);
    MemoryDC dc(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
    if (bitmap) {
        SelectedObject selected(dc, bitmap);
        RECT all = {0, 0, size, size};
        FillRect(dc, &all, GetSysColorBrush(COLOR_MENU));
        DrawIconEx(dc, 0, 0, info.hIcon, size, size, 0, nullptr, DI_NORMAL);
    }
    DestroyIcon(info.hIcon);
    return bitmap;
}

void FreeEntries(Cache& cache) {
    for (HBITMAP icon : cache.icons)
        if (icon) DeleteObject(icon);
    cache.icons.clear();
    cache.iconTried.clear();
    cache.entries.clear();
}

void Build(Cache& cache) {
    FreeEntries(cache);
    ++cache.builds;
    const std::string folder = SendToFolderPath();
    if (folder != cache.folder) {
        if (cache.change != INVALID_HANDLE_VALUE) FindCloseChangeNotification(cache.change);
        cache.change = INVALID_HANDLE_VALUE;
        cache.folder = folder;
        if (!folder.empty())
            cache.change = FindFirstChangeNotificationA(
                folder.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                                           FILE_NOTIFY_CHANGE_LAST_WRITE);
    }
    cache.valid = true;
    if (folder.empty()) return;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        SendToEntry entry;
        entry.name = found.cFileName;
        if (entry.name == "." || entry.name == "..") continue;
        entry.path = folder + entry.name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            entry.target = entry.path;
            entry.isFolder = true;
        } else if (IsShortcutName(entry.name)) {
            entry.isShortcut = true;
            entry.name.resize(entry.name.size() - 4);
        } else {
            // Other entries (programs' own Send To handlers) keep their
            // names with extension; they take no files from us.
            const size_t dot = entry.name.find_last_of('.');
            if (dot != std::string::npos && dot > 0) entry.name.resize(dot);
        }
        cache.entries.push_back(entry);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    // The shortcuts' targets, read with one link object.
    std::vector<std::string> shortcuts;
    for (const SendToEntry& entry : cache.entries)
        if (entry.isShortcut) shortcuts.push_back(entry.path);
    const std::vector<std::string> targets = ReadShortcutTargets(shortcuts);
    size_t next = 0;
    for (SendToEntry& entry : cache.entries) {
        if (!entry.isShortcut) continue;
        entry.target = targets[next++];
        entry.isFolder = !entry.target.empty() && (IsFolderPath(entry.target) || IsRemovableDriveRoot(entry.target));
    }
    cache.icons.assign(cache.entries.size(), nullptr);
    cache.iconTried.assign(cache.entries.size(), false);
}

}  // namespace

std::string SendToFolderPath() {
    char path[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathA(nullptr, path, CSIDL_SENDTO, FALSE) || !path[0]) return std::string();
    std::string folder = path;
    if (folder.back() != '\\') folder += '\\';
    return folder;
}

const std::vector<SendToEntry>& SendToEntries() {
    Cache& cache = TheCache();
    // The browser's watcher reports changes of the Send To folder too; the
    // cache's own notification covers the time no watcher runs.
    bool changed = TakeSendToChanged() || !cache.valid;
    if (cache.change != INVALID_HANDLE_VALUE && WaitForSingleObject(cache.change, 0) == WAIT_OBJECT_0) {
        changed = true;
        FindNextChangeNotification(cache.change);
        // A burst of changes signals more than once: take them all now.
        while (WaitForSingleObject(cache.change, 0) == WAIT_OBJECT_0) FindNextChangeNotification(cache.change);
    }
    if (changed) Build(cache);
    return cache.entries;
}

void InvalidateSendToCache() { TheCache().valid = false; }

HBITMAP SendToEntryIcon(size_t i) {
    Cache& cache = TheCache();
    if (i >= cache.icons.size()) return nullptr;
    if (!cache.iconTried[i]) {
        cache.iconTried[i] = true;
        cache.icons[i] = SmallIconBitmap(cache.entries[i].path);
    }
    return cache.icons[i];
}

void FreeSendToCache() {
    Cache& cache = TheCache();
    FreeEntries(cache);
    cache.valid = false;
    if (cache.change != INVALID_HANDLE_VALUE) FindCloseChangeNotification(cache.change);
    cache.change = INVALID_HANDLE_VALUE;
    cache.folder.clear();
}

int SendToCacheBuilds() { return TheCache().builds; }
