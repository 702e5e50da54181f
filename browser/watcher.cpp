#include <shlobj.h>

#include "watcher.h"

#include "item_model.h"
#include "messages.h"
#include "pidl.h"
#include "program.h"
#include "worker.h"

#include <commctrl.h>

#include <map>
#include <vector>

namespace {

constexpr DWORD kSendToFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                                FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;
constexpr DWORD kFolderFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                                FILE_NOTIFY_CHANGE_LAST_WRITE;

volatile LONG g_sendToChanged = 0;

HANDLE Arm(const std::string& path, BOOL subtree, DWORD filter) {
    if (path.empty()) return nullptr;
    HANDLE handle = FindFirstChangeNotificationA(path.c_str(), subtree, filter);
    return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

void Close(HANDLE* handle) {
    if (*handle) FindCloseChangeNotification(*handle);
    *handle = nullptr;
}

// Re-arms a notification that fired; true when no further change came
// within the quiet time.  *broken is set when it cannot be re-armed.
bool QuietAfter(HANDLE handle, bool* broken) {
    *broken = !FindNextChangeNotification(handle);
    if (*broken) return true;
    return WaitForSingleObject(handle, kQuietTimeMs) == WAIT_TIMEOUT;
}

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 3 && path.back() == '\\') path.pop_back();
    return path;
}

bool FolderExists(const std::string& path) {
    if (path.empty()) return false;
    WIN32_FIND_DATAA find;
    HANDLE search = FindFirstFileA(WithoutTrailingSlash(path).c_str(), &find);
    if (search == INVALID_HANDLE_VALUE && path.back() == '\\')
        search = FindFirstFileA((path + "*").c_str(), &find);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
}

bool ListIsVirtual(HWND list) {
    return list && (GetWindowLongA(list, GWL_STYLE) & LVS_OWNERDATA) != 0;
}

bool SameByFolder(IShellFolder* folder, LPCITEMIDLIST a, LPCITEMIDLIST b) {
    const HRESULT result = folder->CompareIDs(0, a, b);
    return SUCCEEDED(result) && static_cast<short>(HRESULT_CODE(result)) == 0;
}

std::string PidlBytes(LPCITEMIDLIST pidl) {
    return std::string(reinterpret_cast<const char*>(pidl), PidlSize(pidl));
}

}  // namespace

// ---------------------------------------------------------------------------
// Notifications

void ChangeWatches::ArmFixed() {
    LPITEMIDLIST sendTo = nullptr;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_SENDTO, &sendTo)) && sendTo) {
        sendTo_ = Arm(PidlPath(sendTo), FALSE, kSendToFilter);
        FreePidl(sendTo);
    }
    driveCount_ = 0;
    char root[] = "A:\\";
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        root[0] = letter;
        const UINT type = GetDriveTypeA(root);
        if (type != DRIVE_FIXED && type != DRIVE_REMOTE && type != DRIVE_RAMDISK) continue;
        HANDLE handle = Arm(root, TRUE, FILE_NOTIFY_CHANGE_DIR_NAME);
        if (handle) drives_[driveCount_++] = handle;
    }
}

bool ChangeWatches::ArmFolder(const std::string& path) {
    Close(&folder_);
    folderPath_.clear();
    if (path.empty() || IsUnwatchedFolder(path)) return false;
    folder_ = Arm(path, FALSE, kFolderFilter);
    if (folder_) folderPath_ = path;
    return folder_ != nullptr;
}

void ChangeWatches::CloseAll() {
    Close(&folder_);
    folderPath_.clear();
    Close(&sendTo_);
    for (int i = 0; i < driveCount_; ++i) Close(&drives_[i]);
    driveCount_ = 0;
}

int ChangeWatches::Fill(HANDLE* set) const {
    int count = 0;
    if (sendTo_) set[count++] = sendTo_;
    for (int i = 0; i < driveCount_; ++i) set[count++] = drives_[i];
    if (folder_) set[count++] = folder_;
    return count;
}

ChangeWatches::Kind ChangeWatches::KindOf(HANDLE handle) const {
    if (!handle) return kNone;
    if (handle == sendTo_) return kSendTo;
    if (handle == folder_) return kFolder;
    for (int i = 0; i < driveCount_; ++i)
        if (handle == drives_[i]) return kDrive;
    return kNone;
}

bool ChangeWatches::Handle(HANDLE handle, HWND browser) {
    bool broken = false;
    switch (KindOf(handle)) {
    case kSendTo:
        if (QuietAfter(handle, &broken)) InterlockedExchange(&g_sendToChanged, 1);
        if (broken) Close(&sendTo_);
        break;
    case kDrive:
        if (QuietAfter(handle, &broken) && !broken) PostMessageA(browser, kMsgDriveFoldersChanged, 0, 0);
        if (broken) {
            for (int i = 0; i < driveCount_; ++i) {
                if (drives_[i] != handle) continue;
                Close(&drives_[i]);
                for (int k = i + 1; k < driveCount_; ++k) drives_[k - 1] = drives_[k];
                drives_[--driveCount_] = nullptr;
                break;
            }
        }
        break;
    case kFolder:
        if (!QuietAfter(handle, &broken)) break;
        // A folder that went away keeps firing: stop watching it.  The
        // refresh finds it gone and leaves the list as it is.
        if (broken || !FolderExists(folderPath_)) {
            Close(&folder_);
            folderPath_.clear();
        }
        return true;
    case kNone:
        break;
    }
    return false;
}

bool ChangeWatches::TakeFolderChange() {
    return folder_ && WaitForSingleObject(folder_, 0) == WAIT_OBJECT_0 && Handle(folder_, nullptr);
}

bool IsUnwatchedFolder(const std::string& path) {
    const std::string& program = Program().programDirectory;
    if (program.empty() || path.empty()) return false;
    const std::string folder = WithoutTrailingSlash(path);
    const std::string own = WithoutTrailingSlash(program);
    if (lstrcmpiA(folder.c_str(), own.c_str()) == 0) return true;
    const std::string cache = own + (own.back() == '\\' ? "" : "\\") + "Cache";
    return lstrcmpiA(folder.c_str(), cache.c_str()) == 0;
}

bool TakeSendToChanged() { return InterlockedExchange(&g_sendToChanged, 0) != 0; }

// ---------------------------------------------------------------------------
// Refresh after a change

bool RebuildShownFolder() {
    FolderLock folderHold;
    ItemModel& model = Items();
    if (!model.folderPidl) return false;
    if (!FolderExists(PidlPath(model.folderPidl))) return false;

    // A folder object of the refresh's own: the model's one was bound by the
    // folder load.
    IShellFolder* folder = BindToFolder(model.folderPidl);
    if (!folder) return false;
    std::vector<BrowserItem> fresh;
    if (!ListFolderItems(folder, model.folderPidl, &fresh, nullptr)) {
        folder->Release();
        return false;
    }
    {
        ItemModelLock hold;
        std::vector<BrowserItem>& old = model.items;
        std::vector<bool> taken(old.size(), false);
        std::map<std::string, size_t> byBytes;   // records with identifier lists
        std::map<std::string, size_t> byName;    // records listed by name
        std::vector<BrowserItem> rebuilt;
        rebuilt.reserve(fresh.size() + 1);
        for (size_t i = 0; i < old.size(); ++i) {
            old[i].displayState &= ~(kMarkSelected | kMarkHot);
            if (old[i].state == kItemParent) {
                rebuilt.push_back(old[i]);
                taken[i] = true;
            } else if (old[i].listedByName && old[i].name) {
                byName.emplace(old[i].name, i);
            } else if (old[i].relative) {
                byBytes.emplace(PidlBytes(old[i].relative), i);
            }
        }
        for (BrowserItem& item : fresh) {
            size_t match = old.size();
            if (item.listedByName) {
                // The same name in the same directory is the same object.
                auto same = byName.find(item.name);
                if (same != byName.end() && !taken[same->second]) match = same->second;
            } else {
                auto same = byBytes.find(PidlBytes(item.relative));
                if (same != byBytes.end() && !taken[same->second]) {
                    match = same->second;
                } else {
                    // Lists can differ in bytes (size, time) and still name
                    // the same object.
                    for (size_t i = 0; i < old.size(); ++i) {
                        if (!taken[i] && old[i].relative && SameByFolder(folder, old[i].relative, item.relative)) {
                            match = i;
                            break;
                        }
                    }
                }
            }
            if (match < old.size()) {
                rebuilt.push_back(old[match]);
                taken[match] = true;
                FreeBrowserItem(item);
            } else {
                rebuilt.push_back(item);
            }
        }
        for (size_t i = 0; i < old.size(); ++i)
            if (!taken[i]) FreeBrowserItem(old[i]);
        old.swap(rebuilt);
        if (model.pictureListBuilt) BuildPictureList();
    }
    folder->Release();
    SortItemModel();
    return true;
}

bool RefreshShownFolder(HWND list, HWND browser) {
    FolderLock folderHold;
    const bool rebuilt = RebuildShownFolder();
    // The list announces the new count (or, for a folder gone away, learns
    // that its watch ended).
    if (list) PostMessageA(list, kMsgFolderChanged, 0, 0);
    if (!rebuilt) return false;
    // A finished pass has handed the pictures to the open list already.
    if (!RunThumbnailPasses(list, browser, true)) HandPicturesToOpenList(false);
    if (!ListIsVirtual(list)) PostMessageA(browser, kMsgRefreshAllTexts, 0, 0);
    return true;
}
