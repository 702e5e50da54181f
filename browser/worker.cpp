// The shell headers name a COM class "Shell", as the program's shell.h names
// its state accessor: keep theirs out of the way.
#define Shell ShellCoClass
#include <shlobj.h>
#undef Shell

#include "worker.h"

#include "load.h"
#include "picture.h"
#include "file_list.h"
#include "cache_files.h"
#include "thumbnail_maker.h"

#include "folder_history.h"
#include "item_model.h"
#include "messages.h"
#include "pidl.h"
#include "settings.h"
#include "shell.h"
#include "shortcut.h"
#include "watcher.h"

#include <commctrl.h>

#include <vector>

namespace {

constexpr DWORD kStopWaitMs = 50000;
constexpr SHCONTF kEnumFlags = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN;

class Section {
public:
    Section() { InitializeCriticalSection(&section_); }
    ~Section() { DeleteCriticalSection(&section_); }
    Section(const Section&) = delete;
    Section& operator=(const Section&) = delete;
    CRITICAL_SECTION* get() { return &section_; }

private:
    CRITICAL_SECTION section_;
};

Section& FolderSection() {
    static Section section;
    return section;
}

Section& PathSection() {
    static Section section;
    return section;
}

struct Worker {
    HANDLE request = nullptr;   // auto-reset, created non-signalled
    HANDLE done = nullptr;      // auto-reset, created signalled
    HANDLE thread = nullptr;
    HWND list = nullptr;
    HWND browser = nullptr;
    volatile LONG run = 0;
    // The abort flag: every handshake (and the stop) raises the count; the
    // request in progress is aborted once the count has passed the ticket it
    // was handed over with.  A plain flag would be cleared by the worker
    // taking one request while the next handshake had already set it.
    volatile LONG handshakes = 0;
    volatile LONG requestTicket = 0;
    volatile LONG takenTicket = 0;
    volatile LONG interfaceWaiting = 0;
    int code = 0;
    LPITEMIDLIST pending = nullptr;
    ChangeWatches watches;
    std::string currentFolder;   // under PathSection
};

Worker g;

bool ListIsVirtual() {
    return g.list && (GetWindowLongA(g.list, GWL_STYLE) & LVS_OWNERDATA) != 0;
}

void SetCurrentFolder(const std::string& path) {
    EnterCriticalSection(PathSection().get());
    g.currentFolder = path;
    LeaveCriticalSection(PathSection().get());
}

// What the thumbnail work keeps per folder starts afresh with a new one
// (the cell animation and the animated count will join it).
void ForgetThumbnailWork() {
    ItemModelLock hold;
    Items().secondPassNeeded = false;
    ClearPictureList();
}

void AnnounceLoadedFolder() {
    if (ListIsVirtual()) {
        PostMessageA(g.list, LVM_SETITEMCOUNT, static_cast<WPARAM>(ShownItemCount()), 0);
        PostMessageA(g.list, LVM_UPDATE, 0, 0);
    } else {
        PostMessageA(g.browser, kMsgFolderLoaded, 0, 0);
    }
}

// Requests 0 and 1, under the folder lock.  Takes pending.  True when the
// model holds the folder.
bool LoadFolder(LPITEMIDLIST pending) {
    if (!pending) return false;
    ForgetThumbnailWork();

    const std::string path = PidlPath(pending);
    SetCurrentFolder(path);
    BrowserHistory().Visit(path);
    if (!path.empty()) {
        settings::Write(settings::kInitialDir, path);
        settings::Write(settings::kDefaultPath, path);
    }
    if (!ListIsVirtual()) PostMessageA(g.list, LVM_DELETEALLITEMS, 0, 0);

    IShellFolder* folder = BindToFolder(pending);
    IEnumIDList* objects = nullptr;
    if (!folder || FAILED(folder->EnumObjects(nullptr, kEnumFlags, &objects))) {
        if (folder) folder->Release();
        FreePidl(pending);
        return false;
    }
    if (!WorkerAborted()) Items().stop = 0;
    ClearItemModel();
    SetModelFolder(folder, pending);
    bool aborted = false;
    if (objects) {   // S_FALSE without an enumerator: an empty folder
        LPITEMIDLIST relative = nullptr;
        while (objects->Next(1, &relative, nullptr) == S_OK) {
            if (!aborted) AppendFolderItem(folder, pending, relative);
            FreePidl(relative);
            if (WorkerAborted()) {
                aborted = true;
                break;
            }
        }
        objects->Release();
    }
    folder->Release();
    if (aborted) {
        // The next request is waiting; it shows its own folder.
        ClearItemModel();
        SetModelFolder(nullptr, nullptr);
        g.watches.ArmFolder(std::string());
        if (ListIsVirtual()) PostMessageA(g.list, LVM_SETITEMCOUNT, 0, 0);
        FreePidl(pending);
        return false;
    }
    AddParentEntry(pending);
    SortItemModel();

    g.watches.ArmFolder(path);
    PostOpenList(std::vector<std::string>());   // refilled when the thumbnails are done
    FreePidl(pending);
    AnnounceLoadedFolder();
    return true;
}

void PerformRequest(int code, LPITEMIDLIST pending) {
    switch (code) {
    case kRequestOpenFolder:
    case kRequestOpenFolderAgain: {
        FolderLock hold;
        if (LoadFolder(pending) && !WorkerAborted()) RunThumbnailPasses(g.list, g.browser, true);
        return;
    }
    case kRequestThumbnails: {
        FreePidl(pending);
        FolderLock hold;
        RunThumbnailPasses(g.list, g.browser, true);
        return;
    }
    case kRequestSeparateFiles: {
        FreePidl(pending);
        {
            FolderLock hold;
            RunThumbnailPasses(g.list, g.browser, false);
        }
        PostMessageA(g.list, LVM_UPDATE, 0, 0);
        HandPicturesToOpenList(true);
        if (!ListIsVirtual()) PostMessageA(g.browser, kMsgRefreshAllTexts, 0, 0);
        if (Shell().handOverEvent) SetEvent(Shell().handOverEvent);
        return;
    }
    default:
        FreePidl(pending);
        return;
    }
}

int FillWaitSet(HANDLE* set) {
    set[0] = g.request;
    return 1 + g.watches.Fill(set + 1);
}

DWORD WINAPI WorkerMain(void*) {
    const HRESULT com = CoInitialize(nullptr);
    HANDLE set[2 + kMaxDriveWatches];
    int count = FillWaitSet(set);
    for (;;) {
        const DWORD fired = WaitForMultipleObjects(static_cast<DWORD>(count), set, FALSE, INFINITE);
        if (!g.run) {
            SetEvent(g.done);
            break;
        }
        if (fired == WAIT_OBJECT_0) {
            g.takenTicket = g.requestTicket;
            const int code = g.code;
            LPITEMIDLIST pending = g.pending;
            g.pending = nullptr;
            try {
                PerformRequest(code, pending);
            } catch (...) {
                // Out of memory inside a request: the request ends here.
            }
            count = FillWaitSet(set);
            SetEvent(g.done);
        } else if (fired > WAIT_OBJECT_0 && fired < WAIT_OBJECT_0 + static_cast<DWORD>(count)) {
            g.watches.Handle(set[fired - WAIT_OBJECT_0], g.list, g.browser);
            count = FillWaitSet(set);
        } else {
            SetEvent(g.done);
            count = FillWaitSet(set);
            Sleep(kQuietTimeMs);   // never spin on a failing wait
        }
        if (!g.run) break;
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return 0;
}

}  // namespace

FolderLock::FolderLock() { EnterCriticalSection(FolderSection().get()); }

FolderLock::~FolderLock() { LeaveCriticalSection(FolderSection().get()); }

bool StartWatcher(HWND list, HWND browser) {
    if (g.thread) return true;
    g.request = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    g.done = CreateEventA(nullptr, FALSE, TRUE, nullptr);
    if (!g.request || !g.done) {
        if (g.request) CloseHandle(g.request);
        if (g.done) CloseHandle(g.done);
        g.request = g.done = nullptr;
        return false;
    }
    g.list = list;
    g.browser = browser;
    g.run = 1;
    g.handshakes = g.requestTicket = g.takenTicket = 0;
    g.interfaceWaiting = 0;
    g.watches.ArmFixed();
    DWORD id = 0;
    g.thread = CreateThread(nullptr, 0, WorkerMain, nullptr, 0, &id);
    if (!g.thread) {
        g.watches.CloseAll();
        CloseHandle(g.request);
        CloseHandle(g.done);
        g.request = g.done = nullptr;
        return false;
    }
    return true;
}

void StopWatcher() {
    if (!g.thread) return;
    g.run = 0;
    Items().stop = 1;
    InterlockedIncrement(&g.handshakes);
    g.interfaceWaiting = 1;
    SetEvent(g.request);
    // Waiting on the thread itself: the done event is already signalled
    // while the worker is idle.
    DWORD exitCode = 0;
    if (GetExitCodeThread(g.thread, &exitCode) && exitCode == STILL_ACTIVE &&
        WaitForSingleObject(g.thread, kStopWaitMs) != WAIT_OBJECT_0)
        TerminateThread(g.thread, 0);
    CloseHandle(g.thread);
    g.thread = nullptr;
    g.watches.CloseAll();
    CloseHandle(g.request);
    CloseHandle(g.done);
    g.request = g.done = nullptr;
    FreePidl(g.pending);
    g.pending = nullptr;
    Items().stop = 0;
    g.interfaceWaiting = 0;
}

bool WorkerRunning() { return g.thread != nullptr; }

void RequestFolder(int code, LPCITEMIDLIST folder) {
    if (!g.thread) return;
    g.interfaceWaiting = 1;
    const LONG ticket = InterlockedIncrement(&g.handshakes);
    Items().stop = 1;
    // A worker that has ended can no longer signal done.
    HANDLE idle[2] = {g.done, g.thread};
    if (WaitForMultipleObjects(2, idle, FALSE, INFINITE) == WAIT_OBJECT_0) {
        g.code = code;
        FreePidl(g.pending);
        g.pending = folder ? CopyPidl(folder) : nullptr;
        g.requestTicket = ticket;
        // The folder loads clear the stop flag themselves when they start.
        if (code == kRequestThumbnails || code == kRequestSeparateFiles) Items().stop = 0;
        SetEvent(g.request);
    }
    g.interfaceWaiting = 0;
}

void RequestSeparateFiles() { RequestFolder(kRequestSeparateFiles, nullptr); }

bool WorkerAborted() { return !g.run || g.handshakes != g.takenTicket; }

bool InterfaceThreadWaiting() { return g.interfaceWaiting != 0; }

std::string LoadedFolderPath() {
    EnterCriticalSection(PathSection().get());
    std::string path = g.currentFolder;
    LeaveCriticalSection(PathSection().get());
    return path;
}

namespace {

// A thumbnail block as the item's picture (a working copy and a display copy
// for the screen's depth).
Picture* PictureOfBlock(const DibBlock* block) {
    if (!block) return nullptr;
    const int width = DibWidth(block), height = DibHeight(block);
    Picture* picture = CreatePicture(width, height);
    if (!picture) return nullptr;
    CopyMemory(picture->working->pixels, block->pixels, static_cast<SIZE_T>(width) * height * 4);
    RefreshPictureDisplay(picture);
    return picture;
}

struct PassItem {
    int index = -1;
    std::string path;
    LPITEMIDLIST absolute = nullptr;  // owned copy: finds the item again cheaply
    FILETIME lastWrite = {};
    DWORD size = 0;
    PassItem() = default;
    PassItem(const PassItem&) = delete;
    PassItem& operator=(const PassItem&) = delete;
    ~PassItem() { FreePidl(absolute); }
};

// The next item of the pass that is a file not yet examined, looked for
// from `from` to `end`; false when there is none.
bool NextUnexamined(int from, int end, PassItem* out) {
    ItemModelLock hold;
    const std::vector<BrowserItem>& items = Items().items;
    if (end > static_cast<int>(items.size())) end = static_cast<int>(items.size());
    for (int i = from < 0 ? 0 : from; i < end; ++i) {
        const BrowserItem& item = items[static_cast<size_t>(i)];
        if (item.examined || item.state != kItemFile) continue;
        out->index = i;
        FreePidl(out->absolute);
        out->absolute = CopyPidl(item.absolute);
        out->path = ItemPath(item);
        out->lastWrite = item.lastWrite;
        out->size = item.size;
        return true;
    }
    return false;
}

// One item's thumbnail: from the cache or decoded, then given to the item
// (found again by its path: the list may have been re-sorted meanwhile).
void ExamineItem(const PassItem& pass, HWND list) {
    ThumbnailRequest request;
    request.path = pass.path.c_str();
    request.lastWrite = pass.lastWrite;
    request.fileSize = pass.size;
    request.stop = &Items().stop;
    ThumbnailSet set;
    ThumbnailResult result = pass.path.empty() ? ThumbnailResult::Failed : MakeThumbnails(request, &set);
    Picture* thumbnail = result == ThumbnailResult::Made ? PictureOfBlock(set.frames[0]) : nullptr;
    int index = -1;
    {
        ItemModelLock hold;
        std::vector<BrowserItem>& items = Items().items;
        int at = pass.index < static_cast<int>(items.size()) &&
                         SamePidl(items[static_cast<size_t>(pass.index)].absolute, pass.absolute)
                     ? pass.index
                     : -1;
        for (size_t i = 0; at < 0 && i < items.size(); ++i)
            if (items[i].state == kItemFile && SamePidl(items[i].absolute, pass.absolute)) at = static_cast<int>(i);
        if (at >= 0 && result != ThumbnailResult::Stopped) {
            BrowserItem& item = items[static_cast<size_t>(at)];
            item.examined = true;
            if (thumbnail) {
                lstrcpynA(item.info, set.infoText.c_str(), sizeof item.info);
                lstrcpynA(item.formatName, set.format.c_str(), sizeof item.formatName);
                item.dimensionKey = set.dimensionKey;
                item.thumbWidth = DibWidth(thumbnail->working);
                item.thumbHeight = DibHeight(thumbnail->working);
                item.state = kItemPicture;
                item.hasThumbnail = true;
                item.thumbnail = thumbnail;  // complete before the painter can see it
                thumbnail = nullptr;
            }
            index = at;
        }
    }
    FreePicture(thumbnail);  // the item went away meanwhile
    FreeThumbnailSet(&set);
    if (index >= 0 && list) PostMessageA(list, kMsgRedrawItem, 0, index);
}

}  // namespace

void RunThumbnailPasses(HWND list, HWND, bool folderCache) {
    // The thumbnails of the folder's pictures: the items the list shows
    // first, then every item from the top, starting over at the shown range
    // whenever it moves.  Each comes from the cache when the picture is known
    // there, else it is decoded and stored.
    if (!ImageLibrary() || GetCacheDirectory().empty()) return;
    const bool cacheOpen = folderCache && OpenFolderCache(LoadedFolderPath()) != 0;
    int first = 0, end = 0;
    VisibleListRange(&first, &end);
    TakeRangeChanged();
    int cursor = first;
    bool visiblePass = end > first;
    for (;;) {
        if (WorkerAborted()) break;
        if (TakeRangeChanged()) {
            VisibleListRange(&first, &end);
            cursor = ShownToModelIndex(first) >= 0 ? ShownToModelIndex(first) : 0;
            visiblePass = end > first;
        }
        PassItem pass;
        int limit = visiblePass ? (ShownToModelIndex(end - 1) + 1) : Items().Count();
        if (!NextUnexamined(cursor, limit, &pass)) {
            if (visiblePass) {
                visiblePass = false;
                cursor = 0;
                continue;
            }
            break;
        }
        ExamineItem(pass, list);
        cursor = pass.index + 1;
    }
    if (cacheOpen) CloseFolderCache();
    if (!WorkerAborted()) HandPicturesToOpenList(false);
}

void HandPicturesToOpenList(bool separateFiles) {
    std::vector<std::string> paths;
    {
        ItemModelLock hold;
        for (const BrowserItem& item : Items().items) {
            std::string path;
            if (item.state == kItemPicture || (separateFiles && item.state == kItemFile && !item.examined))
                path = ItemPath(item);
            else if (item.state == kItemShortcutPicture)
                path = ResolveShortcut(ItemPath(item));
            if (!path.empty()) paths.push_back(path);
        }
    }
    PostOpenList(std::move(paths));
}

void PostOpenList(std::vector<std::string> paths) {
    // Only the user-interface thread touches the open list: the browser
    // window swaps the new one in.
    auto* handed = new std::vector<std::string>(std::move(paths));
    if (!g.browser || !PostMessageA(g.browser, kMsgReplaceOpenList, 0, reinterpret_cast<LPARAM>(handed))) delete handed;
}
