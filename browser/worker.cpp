#include <shlobj.h>

#include "worker.h"

#include "load.h"
#include "picture.h"
#include "list_shared.h"
#include "cache_files.h"
#include "thumbnail_maker.h"
#include "thumb_decoders.h"

#include "folder_history.h"
#include "item_model.h"
#include "messages.h"
#include "pidl.h"
#include "settings.h"
#include "program.h"
#include "shortcut.h"
#include "watcher.h"
#include "win_guards.h"

#include <commctrl.h>

#include <new>
#include <vector>

namespace {

constexpr DWORD kStopWaitMs = 50000;

CriticalSection& FolderSection() {
    static CriticalSection section;
    return section;
}

CriticalSection& PathSection() {
    static CriticalSection section;
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
    DWORD threadId = 0;
    // The shown folder changed while the done event was taken by a
    // handshake: refreshed after the request.
    bool refreshWanted = false;
    std::string currentFolder;   // under PathSection
};

Worker g;

bool ListIsVirtual() {
    return g.list && (GetWindowLongA(g.list, GWL_STYLE) & LVS_OWNERDATA) != 0;
}

void SetCurrentFolder(const std::string& path) {
    SectionLock hold(PathSection());
    g.currentFolder = path;
}

// What the thumbnail work keeps per folder starts afresh with a new one:
// the cell animation stops, the animated count and the second-pass mark
// are cleared, and the picture list of Only Picture Mode is emptied.
void ForgetThumbnailWork() {
    if (g.list) PostMessageA(g.list, kMsgStopCellAnimation, 0, 0);
    ForgetCellAnimation();
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
    if (!folder) {
        FreePidl(pending);
        return false;
    }
    if (!WorkerAborted()) Items().stop = 0;
    // The records are made outside the model's lock and handed over at once,
    // the parent entry first.  A folder that cannot be listed leaves the
    // model as it was.
    std::vector<BrowserItem> records;
    const bool listed = ListFolderItems(folder, pending, &records, WorkerAborted);
    const bool aborted = !listed && WorkerAborted();
    if (!listed && !aborted) {
        folder->Release();
        FreePidl(pending);
        return false;
    }
    ClearItemModel();
    SetModelFolder(folder, pending);
    folder->Release();
    if (!aborted) {
        AddParentEntry(pending);
        ItemModelLock hold;
        ItemModel& model = Items();
        model.items.reserve(model.items.size() + records.size());
        model.items.insert(model.items.end(), records.begin(), records.end());
    }
    if (aborted) {
        // The next request is waiting; it shows its own folder.
        ClearItemModel();
        SetModelFolder(nullptr, nullptr);
        g.watches.ArmFolder(std::string());
        if (ListIsVirtual()) PostMessageA(g.list, LVM_SETITEMCOUNT, 0, 0);
        FreePidl(pending);
        return false;
    }
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
        g.refreshWanted = false;
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
        bool handed = false;
        {
            FolderLock hold;
            handed = RunThumbnailPasses(g.list, g.browser, false);
        }
        PostMessageA(g.list, LVM_UPDATE, 0, 0);
        // A pass that ended early handed nothing: the files it did not reach
        // count as pictures.
        if (!handed) HandPicturesToOpenList(true);
        if (!ListIsVirtual()) PostMessageA(g.browser, kMsgRefreshAllTexts, 0, 0);
        if (Program().handOverEvent) SetEvent(Program().handOverEvent);
        return;
    }
    default:
        FreePidl(pending);
        return;
    }
}

// The shown folder changed while the worker was idle.  The refresh takes the
// done event as a request does, so that a handshake waits for it to stop;
// when a handshake holds the event already, the refresh follows its request.
void RefreshOnWorker() {
    if (WaitForSingleObject(g.done, 0) != WAIT_OBJECT_0) {
        g.refreshWanted = true;
        return;
    }
    try {
        RefreshShownFolder(g.list, g.browser);
    } catch (...) {
        // Out of memory: the list stays as it was.
    }
    SetEvent(g.done);
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
                if (g.refreshWanted && !WorkerAborted()) {
                    g.refreshWanted = false;
                    RefreshShownFolder(g.list, g.browser);
                }
            } catch (...) {
                // Out of memory inside a request: the request ends here.
            }
            count = FillWaitSet(set);
            SetEvent(g.done);
        } else if (fired > WAIT_OBJECT_0 && fired < WAIT_OBJECT_0 + static_cast<DWORD>(count)) {
            if (g.watches.Handle(set[fired - WAIT_OBJECT_0], g.browser)) RefreshOnWorker();
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

FolderLockIfFree::FolderLockIfFree() : held_(TryEnterCriticalSection(FolderSection().get()) != FALSE) {}

FolderLockIfFree::~FolderLockIfFree() {
    if (held_) LeaveCriticalSection(FolderSection().get());
}

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
    g.refreshWanted = false;
    g.thread = CreateThread(nullptr, 0, WorkerMain, nullptr, 0, &g.threadId);
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
    StopDecoders(kStopWaitMs);
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

void StopCurrentRequest() {
    if (!g.thread) return;
    g.interfaceWaiting = 1;
    InterlockedIncrement(&g.handshakes);
    Items().stop = 1;
    HANDLE idle[2] = {g.done, g.thread};
    // Idle now: "done" is given back for the request that follows.
    if (WaitForMultipleObjects(2, idle, FALSE, INFINITE) == WAIT_OBJECT_0) SetEvent(g.done);
    g.interfaceWaiting = 0;
}

bool WorkerAborted() { return !g.run || g.handshakes != g.takenTicket; }

bool InterfaceThreadWaiting() { return g.interfaceWaiting != 0; }

std::string LoadedFolderPath() {
    SectionLock hold(PathSection());
    return g.currentFolder;
}

namespace {

// The pictures the worker made, counted for the cell animation: reset with
// every folder load.
volatile LONG g_animatedCount = 0;

// A reduced copy of a thumbnail for an icon view, as a picture.
Picture* IconPicture(const DibBlock* thumbnail, int width, int height) {
    DibBlock* copy = MakeIconCopy(thumbnail, width, height);
    Picture* picture = CreatePictureFromDib(copy);
    FreeDib(copy);
    return picture;
}

// What one item gets from a thumbnail set, made before the model's lock is
// taken so that the painter never waits for the conversions.
struct ItemPictures {
    Picture* frames[kMaxThumbFrames] = {};
    int count = 0;
    Picture* largeIcon = nullptr;
    Picture* smallIcon = nullptr;
    ItemPictures() = default;
    ItemPictures(const ItemPictures&) = delete;
    ItemPictures& operator=(const ItemPictures&) = delete;
    ~ItemPictures() {
        for (Picture* frame : frames) FreePicture(frame);
        FreePicture(largeIcon);
        FreePicture(smallIcon);
    }
    bool Make(const ThumbnailSet& set) {
        for (int k = 0; k < set.frameCount; ++k) {
            frames[k] = CreatePictureFromDib(set.frames[k]);
            if (!frames[k]) break;
            count = k + 1;
        }
        if (!count) return false;
        largeIcon = IconPicture(set.frames[0], GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
        smallIcon = IconPicture(set.frames[0], GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
        return true;
    }
    // Hands everything to item (which must hold no pictures).
    void GiveTo(BrowserItem& item) {
        item.thumbWidth = DibWidth(frames[0]->working);
        item.thumbHeight = DibHeight(frames[0]->working);
        item.largeIcon = largeIcon;
        item.smallIcon = smallIcon;
        if (count > 1) {
            Picture** array = new (std::nothrow) Picture*[static_cast<size_t>(count)];
            if (array) {
                for (int k = 0; k < count; ++k) array[k] = frames[k];
                item.frames = array;
                item.frameCount = static_cast<WORD>(count);
                item.currentFrame = 0;
                for (int k = 1; k < count; ++k) frames[k] = nullptr;
            }
        }
        item.thumbnail = frames[0];  // last: complete before the painter can see it
        item.hasThumbnail = true;
        frames[0] = nullptr;
        largeIcon = smallIcon = nullptr;
    }
};

struct PassItem {
    int index = -1;
    std::string path;
    DWORD serial = 0;   // finds the item again cheaply
    FILETIME lastWrite = {};
    DWORD size = 0;
    PassItem() = default;
    PassItem(const PassItem&) = delete;
    PassItem& operator=(const PassItem&) = delete;
};

// Which items a pass serves: the first pass files not examined yet (a
// shortcut among them is marked for the second pass on the way), the
// second pass the shortcuts waiting for it.
enum class Pass { First, Shortcuts };

bool Wanted(BrowserItem& item, Pass pass) {
    if (pass == Pass::Shortcuts) return item.state == kItemShortcutPending;
    if (item.examined || item.state != kItemFile) return false;
    if (item.shellAttributes & SFGAO_LINK) {
        item.examined = true;
        item.state = kItemShortcutPending;
        Items().secondPassNeeded = true;
        return false;
    }
    return true;
}

// The item the pass took, found again by its serial (the list may have
// been re-sorted meanwhile); -1 when it went away.
int FindPassItem(const PassItem& pass, int state) {
    std::vector<BrowserItem>& items = Items().items;
    if (pass.index < static_cast<int>(items.size()) && items[static_cast<size_t>(pass.index)].serial == pass.serial)
        return pass.index;
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i].state == state && items[i].serial == pass.serial) return static_cast<int>(i);
    return -1;
}

// Tells the browser that the library gave up on a picture: it shows the
// message box on its own thread while the worker goes on.
void ReportDecodeFault(HWND browser, int index, const std::string& path) {
    auto* handed = new (std::nothrow) std::string(path);
    if (handed && !(browser && PostMessageA(browser, kMsgThumbDecodeFault, static_cast<WPARAM>(index),
                                            reinterpret_cast<LPARAM>(handed))))
        delete handed;
}

}  // namespace

// One item's work, from the pass's choice of it to its thumbnails given to
// it.  The worker looks the picture up in the cache; when it must be decoded
// the job goes to a decoding thread and comes back to the worker, which
// appends it to the cache (the cache is written by one thread only) and
// gives it to the item.
struct DecodeJob {
    PassItem pass;
    Pass kind = Pass::First;
    LONG generation = 0;           // of the pass that submitted it
    std::string target;            // a shortcut's resolved target
    std::string format;            // as the look-up detected it
    ThumbnailRequest request;      // points into pass.path / target
    ThumbnailResult result = ThumbnailResult::Failed;
    bool hasPath = false;
    ThumbnailSet set;
    ItemPictures pictures;
    bool made = false;             // pictures made from set
    DecodeJob() = default;
    DecodeJob(const DecodeJob&) = delete;
    DecodeJob& operator=(const DecodeJob&) = delete;
    ~DecodeJob() { FreeThumbnailSet(&set); }
};

namespace {

constexpr int kMostDecodingThreads = 4;
constexpr DWORD kPassPollMs = 15;

volatile LONG g_decodingThreads = 0;   // 0: one per core, at most kMostDecodingThreads
// Jobs of an abandoned pass carry an older number: their results are dropped.
volatile LONG g_passGeneration = 0;

int WantedDecodingThreads() {
    const int asked = static_cast<int>(g_decodingThreads);
    if (asked > 0) return asked < kMostDecodingThreads ? asked : kMostDecodingThreads;
    SYSTEM_INFO system = {};
    GetSystemInfo(&system);
    const int cores = static_cast<int>(system.dwNumberOfProcessors);
    return cores < 1 ? 1 : cores < kMostDecodingThreads ? cores : kMostDecodingThreads;
}

void RunDecodeJob(DecodeJob* job) {
    // A job of an abandoned pass is not decoded at all.
    if (job->generation != g_passGeneration) {
        job->result = ThumbnailResult::Stopped;
        return;
    }
    job->result = DecodeThumbnails(job->request, job->format, &job->set);
    job->made = job->result == ThumbnailResult::Made && job->pictures.Make(job->set);
}

void FreeDecodeJob(DecodeJob* job) { delete job; }

// The decoding threads for this pass, as many as asked for now.  False when
// none runs: the worker then decodes itself.
bool EnsureDecoders() {
    const int wanted = WantedDecodingThreads();
    if (DecoderCount() == wanted) return true;
    StopDecoders(kStopWaitMs);
    return StartDecoders(wanted, DecodeJobHandlers{RunDecodeJob, FreeDecodeJob});
}

// Fills the job's request: the item's own path, or for a shortcut its
// target's, stored under both paths.
void PrepareJob(DecodeJob* job) {
    ThumbnailRequest& request = job->request;
    const PassItem& pass = job->pass;
    if (job->kind == Pass::Shortcuts) {
        job->target = pass.path.empty() ? std::string() : ResolveShortcut(pass.path);
        if (job->target == pass.path) job->target.clear();   // does not resolve
        request.alsoStoreAs = pass.path.c_str();
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        if (!job->target.empty() && GetFileAttributesExA(job->target.c_str(), GetFileExInfoStandard, &data)) {
            request.lastWrite = data.ftLastWriteTime;
            request.fileSize = data.nFileSizeLow;
        } else {
            job->target.clear();
        }
        request.path = job->target.c_str();
        job->hasPath = !job->target.empty();
    } else {
        request.path = pass.path.c_str();
        request.lastWrite = pass.lastWrite;
        request.fileSize = pass.size;
        job->hasPath = !pass.path.empty();
    }
    const SIZE box = ThumbnailCellBox();
    request.boxWidth = box.cx;
    request.boxHeight = box.cy;
    request.stop = &Items().stop;
}

// Gives what the job made to its item (found again: the list may have been
// re-sorted or refreshed meanwhile) and tells the list.
void GiveJob(DecodeJob* job, HWND list, HWND browser) {
    const PassItem& pass = job->pass;
    const Pass kind = job->kind;
    const ThumbnailResult result = job->result;
    const ThumbnailSet& set = job->set;
    int index = -1;
    bool animated = false;
    {
        ItemModelLock hold;
        index = FindPassItem(pass, kind == Pass::Shortcuts ? kItemShortcutPending : kItemFile);
        if (index >= 0 && result != ThumbnailResult::Stopped) {
            BrowserItem& item = Items().items[static_cast<size_t>(index)];
            item.examined = true;
            if (job->made && !item.thumbnail) {
                lstrcpynA(item.info, set.infoText.c_str(), sizeof item.info);
                lstrcpynA(item.formatName, set.format.c_str(), sizeof item.formatName);
                item.dimensionKey = set.dimensionKey;
                item.state = kind == Pass::Shortcuts ? kItemShortcutPicture : kItemPicture;
                job->pictures.GiveTo(item);
                animated = item.frameCount > 1;
                for (int k = set.frameCount - 1; k >= 0; --k)
                    if (set.delays[k] > 0) Items().lastPageDelay = set.delays[k];
            } else if (kind == Pass::Shortcuts) {
                item.state = kItemFile;   // not a picture behind it: an ordinary file
            }
        } else if (result == ThumbnailResult::Stopped) {
            index = -1;
        }
    }
    if (result == ThumbnailResult::DecodeFault && index >= 0)
        ReportDecodeFault(browser, index, job->hasPath && kind == Pass::Shortcuts ? job->target : pass.path);
    if (index < 0 || !list) return;
    if (animated && InterlockedIncrement(&g_animatedCount) == 1) PostMessageA(list, kMsgStartCellAnimation, 0, 0);
    if (!FileListIsVirtual()) PostMessageA(list, kMsgRefreshItemTexts, static_cast<WPARAM>(index), 0);
    PostMessageA(list, kMsgRedrawItem, 0, index);
}

// A decoded job back on the worker: appended to the cache, then given.
void FinishDecodedJob(DecodeJob* job, HWND list, HWND browser) {
    if (job->result == ThumbnailResult::Made) StoreThumbnails(job->request, &job->set);
    GiveJob(job, list, browser);
}

// The jobs of one pass on the decoding threads.
class InFlight {
public:
    explicit InFlight(bool threads) : threads_(threads) {}
    InFlight(const InFlight&) = delete;
    InFlight& operator=(const InFlight&) = delete;

    bool Empty() const { return jobs_.empty(); }
    bool HasRoom() const { return !threads_ || IdleDecoders() > 0; }
    bool Holds(DWORD serial) const {
        for (const DecodeJob* job : jobs_)
            if (job->pass.serial == serial) return true;
        return false;
    }
    // Takes the job over: decoded on a thread, or here when there is none.
    void Decode(DecodeJob* job, HWND list, HWND browser) {
        job->generation = g_passGeneration;
        if (threads_ && SubmitDecodeJob(job)) {
            jobs_.push_back(job);
            return;
        }
        RunDecodeJob(job);
        FinishDecodedJob(job, list, browser);
        delete job;
    }
    // Finishes the jobs that are done; with wait, first waits a moment for one.
    void Collect(HWND list, HWND browser, bool wait) {
        if (wait && !jobs_.empty()) WaitForSingleObject(DecodeFinishedEvent(), kPassPollMs);
        while (DecodeJob* job = TakeFinishedJob()) {
            bool ours = false;
            for (size_t i = 0; i < jobs_.size(); ++i) {
                if (jobs_[i] != job) continue;
                jobs_.erase(jobs_.begin() + static_cast<std::ptrdiff_t>(i));
                ours = true;
                break;
            }
            // A job of an abandoned pass: dropped, nothing stored.
            if (ours && job->generation == g_passGeneration) FinishDecodedJob(job, list, browser);
            delete job;
        }
    }
    // The pass ends early: the jobs still decoding are left to their threads
    // and dropped when they come back, so that a huge picture never holds up
    // the stop.
    void Abandon() {
        InterlockedIncrement(&g_passGeneration);
        jobs_.clear();
    }

private:
    bool threads_;
    std::vector<DecodeJob*> jobs_;
};

// The next item of the pass, looked for from `from` to `end`, leaving out
// the items being decoded; false when there is none.
bool NextItem(Pass pass, int from, int end, const InFlight& inFlight, PassItem* out) {
    ItemModelLock hold;
    std::vector<BrowserItem>& items = Items().items;
    if (end > static_cast<int>(items.size())) end = static_cast<int>(items.size());
    for (int i = from < 0 ? 0 : from; i < end; ++i) {
        BrowserItem& item = items[static_cast<size_t>(i)];
        if (!Wanted(item, pass) || inFlight.Holds(item.serial)) continue;
        out->index = i;
        out->serial = item.serial;
        out->path = ItemPath(item);
        out->lastWrite = item.lastWrite;
        out->size = item.size;
        return true;
    }
    return false;
}

// Starts one item: from the cache at once, else off to be decoded.
void StartItem(DecodeJob* job, InFlight* inFlight, HWND list, HWND browser) {
    PrepareJob(job);
    if (job->hasPath) {
        job->result = LookUpThumbnails(job->request, &job->set, &job->format);
        if (job->result == ThumbnailResult::NeedsDecode) {
            inFlight->Decode(job, list, browser);
            return;
        }
        job->made = job->result == ThumbnailResult::Made && job->pictures.Make(job->set);
    } else {
        job->result = ThumbnailResult::Failed;
    }
    GiveJob(job, list, browser);
    delete job;
}

// Only the worker looks at the notifications (a refresh run by another
// thread must not take the worker's).
bool ShownFolderChangedDuringPass() {
    return g.thread && GetCurrentThreadId() == g.threadId && g.watches.TakeFolderChange();
}

// One pass over the model: the items the list shows first, then every item
// from the top, starting over at the shown range whenever it moves or the
// list is re-sorted.  Items are handed to the decoding threads in that
// order as threads come free; what they finish is given as it comes back.
// False when aborted.
bool RunPass(Pass kind, HWND list, HWND browser, bool threads) {
    InFlight inFlight(threads);
    int first = 0, end = 0;
    VisibleListRange(&first, &end);
    TakeRangeChanged();
    int cursor = ShownToModelIndex(first) >= 0 ? ShownToModelIndex(first) : 0;
    bool visiblePass = end > first;
    bool exhausted = false;   // nothing left to start; waiting for the last jobs
    for (;;) {
        inFlight.Collect(list, browser, false);
        if (WorkerAborted()) {
            inFlight.Abandon();
            return false;
        }
        if (ShownFolderChangedDuringPass()) {
            // The pass yields to the refresh, then goes on over the new
            // model from the shown range; the new items are not examined.
            if (RebuildShownFolder() && list) PostMessageA(list, kMsgFolderChanged, 0, 0);
            MarkRangeChanged();
        }
        if (TakeRangeChanged()) {
            VisibleListRange(&first, &end);
            cursor = ShownToModelIndex(first) >= 0 ? ShownToModelIndex(first) : 0;
            visiblePass = end > first;
            exhausted = false;
        }
        if (exhausted || !inFlight.HasRoom()) {
            if (exhausted && inFlight.Empty()) return true;
            inFlight.Collect(list, browser, true);
            continue;
        }
        DecodeJob* job = new (std::nothrow) DecodeJob;
        if (!job) {
            inFlight.Collect(list, browser, true);
            continue;
        }
        job->kind = kind;
        const int limit = visiblePass ? (ShownToModelIndex(end - 1) + 1) : Items().Count();
        if (!NextItem(kind, cursor, limit, inFlight, &job->pass)) {
            delete job;
            if (visiblePass) {
                visiblePass = false;
                cursor = 0;
            } else {
                exhausted = true;
            }
            continue;
        }
        cursor = job->pass.index + 1;
        StartItem(job, &inFlight, list, browser);
    }
}

}  // namespace

void SetThumbnailDecodingThreads(int count) { InterlockedExchange(&g_decodingThreads, count < 0 ? 0 : count); }

int ThumbnailDecodingThreads() { return WantedDecodingThreads(); }


void ForgetCellAnimation() { InterlockedExchange(&g_animatedCount, 0); }

int AnimatedItemCount() { return static_cast<int>(g_animatedCount); }

bool RunThumbnailPasses(HWND list, HWND browser, bool folderCache) {
    // Each thumbnail comes from the cache when the picture is known there,
    // else it is decoded and stored.  Shortcuts wait for a second pass that
    // makes their targets' thumbnails once everything else is done; the
    // folder's cache is closed by then, so those use the one-shot forms.
    if (!ImageLibrary() || GetCacheDirectory().empty()) return false;
    const bool cacheOpen = folderCache && Items().Count() > 0 && OpenFolderCache(LoadedFolderPath()) != 0;
    const bool threads = EnsureDecoders();
    bool finished = RunPass(Pass::First, list, browser, threads);
    if (cacheOpen) CloseFolderCache();
    if (finished && Items().secondPassNeeded) finished = RunPass(Pass::Shortcuts, list, browser, threads);
    if (g_animatedCount > 0 && list) PostMessageA(list, kMsgStartCellAnimation, 0, 0);
    if (!finished) return false;
    // Only Picture Mode shows what this pass found to be pictures.
    BuildPictureList();
    if (Items().onlyPictures) AnnounceItemCount();
    HandPicturesToOpenList(false);
    return true;
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
