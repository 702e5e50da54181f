#include "navigation.h"

#include "document.h"
#include "loader.h"
#include "messages.h"
#include "open_list.h"
#include "picture_view.h"
#include "settings.h"

namespace {

constexpr int kDelayWithoutValue = 150;  // ms a page with a delay of 0 stays
constexpr int kShortestPeriod = 50;      // the play timer never runs faster

NavigationHost g_host = {};
OpenList* g_list = nullptr;
int g_position = 0;

bool g_playStopped = false;
bool g_playTimerOn = false;
int g_ticksLeft = 0;

bool g_loadFinished = false;
bool g_shownOnce = false;

bool g_sequenceOn = false;

int g_timerHolds = 0;  // modal dialogs open

HWND HostWindow(HWND (*get)()) { return get ? get() : nullptr; }

void StopPlayTimer() {
    if (g_playTimerOn && g_host.frame) KillTimer(g_host.frame, kTimerPagePlay);
    g_playTimerOn = false;
}

void CALLBACK PagePlayTimerProc(HWND, UINT, UINT_PTR, DWORD) { OnPagePlayTick(); }
void CALLBACK SequenceTimerProc(HWND, UINT, UINT_PTR, DWORD) { OnSequenceTick(); }

void StartSequenceTimer() {
    if (!g_host.frame) return;
    const int period = settings::Read(settings::kTimer);
    SetTimer(g_host.frame, kTimerSequenceShow, static_cast<UINT>(period), SequenceTimerProc);
}

// Hands path to the loader showing page: the page count is unknown again,
// play stops until the new file has loaded, and the sequence show waits for
// it.  A running loader drops its file and starts over with this one.
bool Load(const char* path, int page) {
    PictureDocument& doc = CurrentDocument();
    // RequestPicture copies into doc.fileName, which path may point into.
    char name[MAX_PATH];
    lstrcpynA(name, path, sizeof name);
    doc.pageCount = 0;
    doc.currentPage = page;
    StopPlayTimer();
    g_loadFinished = false;
    g_shownOnce = false;
    return RequestPicture(name, page);
}

void PostRefreshInfo() {
    if (g_host.frame) PostMessageA(g_host.frame, kMsgRefreshInfo, 0, 0);
    if (HWND browser = HostWindow(g_host.browser)) PostMessageA(browser, kMsgRefreshInfo, 0, 0);
}

// The decoded page in slot page, or null while it is not decoded.  Slots
// are only read while no loader runs: a running loader may be freeing or
// refilling them.
Picture* DecodedPage(int page) {
    const PictureDocument& doc = CurrentDocument();
    if (!doc.pages || page < 0 || page >= doc.pageSlots) return nullptr;
    if (IsPictureLoaderRunning()) return nullptr;
    return doc.pages[page];
}

// Makes the decoded page current and shows it in both views.
void ShowPage(int page, Picture* picture) {
    PictureDocument& doc = CurrentDocument();
    // In an animation the current picture is the current page's slot: with
    // the page index moved first, SetCurrentPicture frees nothing.
    doc.currentPage = page;
    SetCurrentPicture(picture);
    if (doc.pageBits) doc.pageBitsPerPixel = doc.pageBits[page];

    HWND viewer = HostWindow(g_host.viewerView);
    HWND preview = HostWindow(g_host.previewView);
    if (viewer) SetViewPicture(viewer, picture);
    if (preview) {
        SetViewPicture(preview, picture);
        if (HWND browser = HostWindow(g_host.browser)) {
            const RECT size = ViewZoomedSize(preview);
            PostMessageA(browser, kMsgPreviewSize, static_cast<WPARAM>(size.right - size.left),
                         static_cast<LPARAM>(size.bottom - size.top));
        }
    }
    if (viewer && IsWindowVisible(viewer)) {
        if (doc.pagesDifferInSize && g_host.layOutFrame) g_host.layOutFrame();
        InvalidateRect(viewer, nullptr, FALSE);
    }
    if (preview && IsWindowVisible(preview)) InvalidateRect(preview, nullptr, FALSE);
}

// Next or previous page command: shown at once when decoded, else the file
// is loaded again up to that page.
bool GoToPage(int page) {
    PictureDocument& doc = CurrentDocument();
    if (page < 0 || page >= doc.pageCount) return false;
    if (Picture* picture = DecodedPage(page)) {
        ShowPage(page, picture);
        PostRefreshInfo();
        return true;
    }
    if (!doc.fileName[0] || doc.notOnDisk) return false;
    return Load(doc.fileName, page);
}

}  // namespace

void SetNavigationHost(const NavigationHost& host) { g_host = host; }
void SetNavigationOpenList(OpenList* list) { g_list = list; }
OpenList* NavigationOpenList() { return g_list; }

int OpenListPosition() { return g_position; }
void SetOpenListPosition(int position) { g_position = position; }

bool GoToPicture(int index) {
    if (!g_list || index < 0 || index >= g_list->Count()) return false;
    g_position = index;
    return Load(g_list->At(index).c_str(), 0);
}

bool FirstPicture() { return GoToPicture(0); }

bool PreviousPicture() { return g_position >= 1 && GoToPicture(g_position - 1); }

bool NextPicture() {
    return g_list && g_position + 1 < g_list->Count() && GoToPicture(g_position + 1);
}

bool LastPicture() { return g_list && GoToPicture(g_list->Count() - 1); }

bool LoadPictureFile(const char* path) { return path && *path && Load(path, 0); }

bool ReloadPicture() {
    const PictureDocument& doc = CurrentDocument();
    // Acquired pictures exist only in memory: reading "their" file would
    // replace them with whatever has that name on disk.
    if (doc.notOnDisk) return false;
    return doc.fileName[0] && Load(doc.fileName, doc.currentPage);
}

void BeginPicturesInMemory() {
    StopPlayTimer();
    g_playStopped = false;
    g_loadFinished = false;
    g_shownOnce = false;
}

bool NextPage() { return GoToPage(CurrentDocument().currentPage + 1); }
bool PreviousPage() { return GoToPage(CurrentDocument().currentPage - 1); }

void PlayPages() { g_playStopped = false; }
void StopPages() { g_playStopped = true; }
bool IsPagePlayStopped() { return g_playStopped; }

void OnPictureLoaded() {
    PictureDocument& doc = CurrentDocument();
    g_loadFinished = true;
    // Only a file with page slots plays; any other is complete once loaded.
    if (!doc.pages || doc.pageSlots < 1) {
        g_shownOnce = true;
        return;
    }
    g_shownOnce = false;
    if (g_playTimerOn || !g_host.frame) return;

    // The delays become tick counts once per load (the loader fills them
    // afresh for every file).
    const int period = doc.pageDelays ? PagePlayPeriod(doc.pageDelays, doc.pageSlots)
                                      : kDelayWithoutValue;
    if (doc.pageDelays)
        for (int i = 0; i < doc.pageSlots; ++i)
            doc.pageDelays[i] = PagePlayTicks(doc.pageDelays[i], period);
    g_ticksLeft = 1;
    g_playTimerOn =
        SetTimer(g_host.frame, kTimerPagePlay, static_cast<UINT>(period), PagePlayTimerProc) != 0;
}

void OnPictureLoadFailed() {
    g_loadFinished = true;
    g_shownOnce = true;
}

bool IsLoadFinished() { return g_loadFinished; }
bool IsShownOnce() { return g_shownOnce; }

void HoldViewerTimers() { ++g_timerHolds; }
void ReleaseViewerTimers() {
    if (g_timerHolds > 0) --g_timerHolds;
}
bool AreViewerTimersHeld() { return g_timerHolds > 0; }

void OnPagePlayTick() {
    if (g_playStopped || g_timerHolds > 0) return;
    PictureDocument& doc = CurrentDocument();
    if (!doc.pages || doc.pageSlots < 1) {
        g_shownOnce = true;
        return;
    }
    // The slots belong to the loader while it runs.
    if (IsPictureLoaderRunning()) return;
    if (g_ticksLeft < 1) {
        const int page = doc.currentPage;
        g_ticksLeft = doc.pageDelays && page >= 0 && page < doc.pageSlots ? doc.pageDelays[page] : 1;
    }
    if (g_ticksLeft-- != 1) return;

    int page = doc.currentPage + settings::ReadActiveToward();
    if (page < 0 || page >= doc.pageSlots) {
        g_shownOnce = true;
        page = page < 0 ? doc.pageSlots - 1 : 0;
    }
    if (Picture* picture = doc.pages[page])
        ShowPage(page, picture);
    else
        doc.currentPage = page;  // nothing to show at this tick; the play goes on from here
    PostRefreshInfo();
}

void OnSequenceTick() {
    if (g_timerHolds > 0) return;
    if (!g_loadFinished || !(g_shownOnce || g_playStopped)) return;
    if (g_list && g_position + 1 < g_list->Count())
        NextPicture();
    else
        FirstPicture();
    if (g_host.refreshToolbar) g_host.refreshToolbar();
}

void ToggleSequenceShow() {
    g_sequenceOn = !g_sequenceOn;
    if (g_sequenceOn) {
        NextPicture();
        StartSequenceTimer();
    } else if (g_host.frame) {
        KillTimer(g_host.frame, kTimerSequenceShow);
    }
}

bool IsSequenceShowOn() { return g_sequenceOn; }

void RestartSequenceTimer() {
    if (g_sequenceOn) StartSequenceTimer();  // SetTimer on the same ID replaces the period
}

void CloseAll() {
    StopPictureLoader();
    StopPlayTimer();
    // The views let go before the pictures are freed.
    if (HWND viewer = HostWindow(g_host.viewerView)) SetViewPicture(viewer, nullptr);
    if (HWND preview = HostWindow(g_host.previewView)) SetViewPicture(preview, nullptr);
    FreeCurrentPicture();
    if (g_list) g_list->Clear();
    PictureDocument& doc = CurrentDocument();
    doc.fileName[0] = '\0';
    doc.notOnDisk = false;
    doc.pageCount = 0;
    doc.currentPage = 0;
    g_position = 0;
    g_loadFinished = false;
    g_shownOnce = false;
    if (g_host.layOutFrame) g_host.layOutFrame();
    PostRefreshInfo();
}

int PagePlayPeriod(const int* delays, int count) {
    if (!delays || count < 1) return kDelayWithoutValue;
    int period = 0;
    for (int i = 0; i < count; ++i) {
        const int delay = delays[i] == 0 ? kDelayWithoutValue : delays[i];
        if (i == 0 || delay < period) period = delay;
    }
    return period < kShortestPeriod ? kShortestPeriod : period;
}

int PagePlayTicks(int delay, int period) {
    if (delay == 0) delay = kDelayWithoutValue;
    const int ticks = period > 0 ? delay / period : 1;
    return ticks < 1 ? 1 : ticks;
}
