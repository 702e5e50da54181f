// How fast the browser's thumbnails come, inside a real browser window in
// thumbnail mode: a folder of photos opened with an empty thumbnail cache,
// once with one decoding thread and once with two (the time until the shown
// cells are painted with their thumbnails, and until every picture has one),
// then opened again from the cache after a visit to another folder; the
// bytes the cache keeps per thumbnail; and the cold rates against
// vipsthumbnail's, run natively by the calling script.  A second folder of
// progressive JPEGs is timed cold the same way against djpeg -scale 1/8 on
// those files.  Prints the figures and whether the targets hold (the first
// shown thumbnail painted within 300 ms cold, every shown cell within 500 ms
// warm, the cold rate at least 1.0 of vipsthumbnail's with one decoding
// thread and 1.5 with two, the progressive files taking at most 1.2 times
// djpeg's time with one thread).  Exit 0 when they hold, 1 when one is
// missed, 2 when the run could not be made.
//
//   bench_thumbs.exe FOLDER ITEMS PICTURES OTHER-FOLDER OTHER-ITEMS
//                    CACHE-PROGRAM-DIR VIPSTHUMBNAIL-RATE DJPEG-RATE
//                    [PROGRESSIVE-FOLDER PROGRESSIVE-PICTURES DJPEG-PROGRESSIVE-RATE]
//
// ITEMS and OTHER-ITEMS count the list's items including the parent entry
// (the progressive folder holds only its pictures); the cache lives in
// CACHE-PROGRAM-DIR\Cache\ and is emptied before each cold pass.  The
// rates are pictures per second (0 when not measured).
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench_shell.h"
#include "browser_window.h"
#include "cache_files.h"
#include "commands.h"
#include "file_list.h"
#include "item_model.h"
#include "program.h"
#include "worker.h"

namespace {

double Now() { return BenchNow(); }

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void WaitAMoment() { MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT); }

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 3 && path.back() == '\\') path.pop_back();
    return path;
}

int ListCount() { return static_cast<int>(SendMessageA(FileListWindow(), LVM_GETITEMCOUNT, 0, 0)); }

// The worker has loaded the folder and the list holds its items.
bool FolderShown(const std::string& folder, int items) {
    return lstrcmpiA(WithoutTrailingSlash(LoadedFolderPath()).c_str(), WithoutTrailingSlash(folder).c_str()) == 0 &&
           ListCount() == items && ShownItemCount() == items;
}

bool OpenAndWait(const std::string& folder, int items, double timeoutMs) {
    BrowseTo(folder);
    const double start = Now();
    while (Now() - start < timeoutMs) {
        Pump();
        if (FolderShown(folder, items)) {
            UpdateWindow(FileListWindow());
            return true;
        }
        WaitAMoment();
    }
    return false;
}

// The picture cells of the range the list last painted, and how many of
// them have their thumbnail.  A range painted for the previous folder (only
// its parent entry) holds no picture cell.
void VisibleThumbnails(int* cells, int* ready) {
    int first = 0, end = 0;
    VisibleListRange(&first, &end);
    ItemModelLock hold;
    *cells = *ready = 0;
    for (int i = first; i < end; ++i) {
        const BrowserItem* item = ShownItem(i);
        if (!item || item->state == kItemParent || item->state == kItemFolder) continue;
        ++*cells;
        if (item->hasThumbnail) ++*ready;
    }
}

struct Progress {
    int files = 0;        // every item but the parent entry and folders
    int examined = 0;
    int thumbnails = 0;
};

Progress ModelProgress() {
    Progress progress;
    ItemModelLock hold;
    for (const BrowserItem& item : Items().items) {
        if (item.state == kItemParent || item.state == kItemFolder) continue;
        ++progress.files;
        if (item.examined || item.hasThumbnail) ++progress.examined;
        if (item.hasThumbnail) ++progress.thumbnails;
    }
    return progress;
}

struct PassTimes {
    double listed = 0;    // ms until the list held the folder's items
    double firstCell = 0; // ms until a shown cell was painted with its thumbnail
    double visible = 0;   // ms until every shown cell was
    int visibleCells = 0;
    double all = 0;       // ms until every file was examined
    int thumbnails = 0;
};

// Opens the folder and times the thumbnail pass that follows.  False on
// timeout (the times reached so far are kept).
bool TimeFolderOpen(const std::string& folder, int items, double timeoutMs, PassTimes* times) {
    HWND list = FileListWindow();
    const double start = Now();
    BrowseTo(folder);
    bool shown = false;
    while (Now() - start < timeoutMs) {
        Pump();
        if (!shown && FolderShown(folder, items)) {
            shown = true;
            times->listed = Now() - start;
        }
        if (shown) {
            UpdateWindow(list);
            int cells = 0, ready = 0;
            if (times->visible == 0) VisibleThumbnails(&cells, &ready);
            if (ready > 0) {
                // The worker's redraw requests for these cells are queued;
                // a cell counts as shown once it is painted.
                Pump();
                UpdateWindow(list);
                const double elapsed = Now() - start;
                if (times->firstCell == 0) times->firstCell = elapsed;
                if (ready == cells) {
                    times->visible = elapsed;
                    times->visibleCells = cells;
                }
            }
            Progress progress = ModelProgress();
            if (times->visible != 0 && progress.files > 0 && progress.examined == progress.files) {
                times->all = Now() - start;
                times->thumbnails = progress.thumbnails;
                return true;
            }
        }
        WaitAMoment();
    }
    return false;
}

struct CacheSize {
    uint64_t index = 0, entries = 0, pixels = 0, other = 0;
    uint64_t Total() const { return index + entries + pixels + other; }
};

CacheSize CacheFileSizes() {
    CacheSize size;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((GetCacheDirectory() + "*.CAH").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return size;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const uint64_t bytes = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        if (lstrcmpiA(found.cFileName, "PATHINDX.CAH") == 0)
            size.index += bytes;
        else if (lstrcmpiA(found.cFileName, "ZOOMDATA.CAH") == 0)
            size.pixels += bytes;
        else if (CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, found.cFileName, 4, "FILE", 4) == CSTR_EQUAL)
            size.entries += bytes;
        else
            size.other += bytes;
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return size;
}

// Empties the cache once the worker has closed it (ClearCacheFiles refuses
// while a folder cache is open).
bool EmptyCache() {
    const double start = Now();
    while (Now() - start < 10000) {
        Pump();
        if (ClearCacheFiles() >= 0) return CacheFileSizes().Total() == 0;
        WaitAMoment();
    }
    return false;
}

const char* Verdict(bool holds) { return holds ? "holds" : "MISSED"; }

double Rate(const PassTimes& pass) { return pass.all > 0 ? pass.thumbnails * 1000.0 / pass.all : 0; }

// From the other folder with an empty cache, the folder opened cold with
// the given number of decoding threads.  0 when it did not open or end.
int ColdPass(const std::string& folder, int items, const std::string& other, int otherItems, int threads,
             PassTimes* times) {
    if (!OpenAndWait(other, otherItems, 60000)) {
        std::printf("the folder %s did not open within 60 s\n", other.c_str());
        return 0;
    }
    if (!EmptyCache()) {
        std::printf("the thumbnail cache %s could not be emptied\n", GetCacheDirectory().c_str());
        return 0;
    }
    SetThumbnailDecodingThreads(threads);
    if (!TimeFolderOpen(folder, items, 600000, times)) {
        Progress progress = ModelProgress();
        std::printf("the cold pass over %s did not end within 600 s (%d of %d examined, %d thumbnails)\n",
                    folder.c_str(), progress.examined, progress.files, progress.thumbnails);
        return 0;
    }
    return 1;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (__argc < 9) {
        std::printf("usage: bench_thumbs FOLDER ITEMS PICTURES OTHER-FOLDER OTHER-ITEMS CACHE-PROGRAM-DIR "
                    "VIPSTHUMBNAIL-RATE DJPEG-RATE\n");
        return 2;
    }
    const std::string folder = __argv[1];
    const int items = std::atoi(__argv[2]);
    const int pictures = std::atoi(__argv[3]);
    const std::string other = __argv[4];
    const int otherItems = std::atoi(__argv[5]);
    const std::string programDir = __argv[6];
    const double nativeRate = std::atof(__argv[7]);
    const double djpegRate = std::atof(__argv[8]);
    if (items <= 0 || pictures <= 0 || otherItems <= 0) {
        std::printf("the item and picture counts must be positive\n");
        return 2;
    }

    // A cache of the benchmark's own, set before the browser's worker starts.
    SetCacheDirectory(programDir);
    if (!SetUpBenchShell(instance, SW_SHOW)) {
        std::printf("the browser could not be set up\n");
        return 2;
    }
    SendMessageA(Program().browser, WM_COMMAND, IDC_MODE_THUMBNAILS, 0);
    Pump();

    // The cold passes start from the other folder with an empty cache,
    // whatever the browser opened first: one decoding thread, then two.
    PassTimes coldOne, cold;
    if (!ColdPass(folder, items, other, otherItems, 1, &coldOne) || !ColdPass(folder, items, other, otherItems, 2, &cold))
        return 2;
    // Leaving the folder ends the pass, which closes and flushes the cache.
    if (!OpenAndWait(other, otherItems, 60000)) {
        std::printf("the folder %s did not open within 60 s\n", other.c_str());
        return 2;
    }
    const CacheSize afterCold = CacheFileSizes();

    PassTimes warm;
    if (!TimeFolderOpen(folder, items, 600000, &warm)) {
        Progress progress = ModelProgress();
        std::printf("the warm pass over %s did not end within 600 s (%d of %d examined, %d thumbnails)\n",
                    folder.c_str(), progress.examined, progress.files, progress.thumbnails);
        return 2;
    }
    OpenAndWait(other, otherItems, 60000);
    const CacheSize afterWarm = CacheFileSizes();

    // Progressive JPEGs, cold, with one decoding thread and with two.
    const bool progressive = __argc >= 12;
    const std::string progressiveFolder = progressive ? __argv[9] : "";
    const int progressivePictures = progressive ? std::atoi(__argv[10]) : 0;
    const double djpegProgressiveRate = progressive ? std::atof(__argv[11]) : 0;
    PassTimes progressiveOne, progressiveTwo;
    if (progressive && (!ColdPass(progressiveFolder, progressivePictures + 1, other, otherItems, 1, &progressiveOne) ||
                        !ColdPass(progressiveFolder, progressivePictures + 1, other, otherItems, 2, &progressiveTwo)))
        return 2;
    SetThumbnailDecodingThreads(0);

    const double oneRate = Rate(coldOne);
    const double coldRate = Rate(cold);
    const double warmRate = Rate(warm);
    const double oneRatio = nativeRate > 0 ? oneRate / nativeRate : 0;
    const double ratio = nativeRate > 0 ? coldRate / nativeRate : 0;
    const bool complete = coldOne.thumbnails == pictures && cold.thumbnails == pictures && warm.thumbnails == pictures;
    const bool coldVisibleHolds = cold.firstCell > 0 && cold.firstCell < 300.0;
    const bool warmVisibleHolds = warm.visible < 500.0;
    const bool oneRatioHolds = nativeRate > 0 && oneRatio >= 1.0;
    const bool ratioHolds = nativeRate > 0 && ratio >= 1.5;
    // Progressive: our time over djpeg's on the same files, at most 1.2.
    const double progressiveOneRate = Rate(progressiveOne);
    const double progressiveTwoRate = Rate(progressiveTwo);
    const double progressiveSlowdown = progressiveOneRate > 0 ? djpegProgressiveRate / progressiveOneRate : 0;
    const bool progressiveComplete =
        !progressive || (progressiveOne.thumbnails == progressivePictures && progressiveTwo.thumbnails == progressivePictures);
    const bool progressiveHolds = !progressive || (djpegProgressiveRate > 0 && progressiveOneRate > 0 &&
                                                   progressiveSlowdown <= 1.2 && progressiveComplete);

    SYSTEM_INFO system = {};
    GetSystemInfo(&system);
    std::printf("folder %s: %d pictures, %d items; cache in %s\n", folder.c_str(), pictures, items,
                GetCacheDirectory().c_str());
    std::printf("  %lu processors; the program's default is %d decoding threads\n",
                static_cast<unsigned long>(system.dwNumberOfProcessors), ThumbnailDecodingThreads());
    std::printf("  cold, 1 decoding thread, all thumbnails %9.1f ms  %7.1f per second (%d of %d)\n", coldOne.all,
                oneRate, coldOne.thumbnails, pictures);
    for (const PassTimes* pass : {&cold, &warm}) {
        const char* name = pass == &cold ? "cold" : "warm";
        const double rate = pass == &cold ? coldRate : warmRate;
        std::printf("  %s, items listed          %9.1f ms\n", name, pass->listed);
        if (pass == &cold)
            std::printf("  cold, first shown thumbnail %7.1f ms  (target under 300 ms: %s)\n", cold.firstCell,
                        Verdict(coldVisibleHolds));
        else
            std::printf("  %s, first shown thumbnail %7.1f ms\n", name, pass->firstCell);
        if (pass == &cold)
            std::printf("  cold, all %3d shown cells   %9.1f ms  (each one decoded)\n", cold.visibleCells, cold.visible);
        else
            std::printf("  warm, all %3d shown cells   %9.1f ms  (target under 500 ms: %s)\n", warm.visibleCells,
                        warm.visible, Verdict(warmVisibleHolds));
        std::printf("  %s%s, all thumbnails %9.1f ms  %7.1f per second (%d of %d)\n", name,
                    pass == &cold ? ", 2 decoding threads" : "", pass->all, rate, pass->thumbnails, pictures);
    }
    std::printf("  cache                       %9.0f bytes per thumbnail (%llu bytes: index %llu, entries %llu, "
                "pixels %llu)\n",
                static_cast<double>(afterCold.Total()) / pictures, static_cast<unsigned long long>(afterCold.Total()),
                static_cast<unsigned long long>(afterCold.index), static_cast<unsigned long long>(afterCold.entries),
                static_cast<unsigned long long>(afterCold.pixels));
    if (afterWarm.Total() != afterCold.Total())
        std::printf("  the warm pass changed the cache by %lld bytes: not every thumbnail came from it\n",
                    static_cast<long long>(afterWarm.Total()) - static_cast<long long>(afterCold.Total()));
    std::printf("  vipsthumbnail 48x48, native %9.1f per second\n", nativeRate);
    std::printf("  djpeg -scale 1/8            %9.1f per second\n", djpegRate);
    if (nativeRate > 0) {
        std::printf("  cold rate / vipsthumbnail's, 1 decoding thread  %5.2f  (target at least 1.0: %s)\n", oneRatio,
                    Verdict(oneRatioHolds));
        std::printf("  cold rate / vipsthumbnail's, 2 decoding threads %5.2f  (target at least 1.5: %s)\n", ratio,
                    Verdict(ratioHolds));
    } else {
        std::printf("  cold rate / vipsthumbnail's not measured (targets 1.0 and 1.5: MISSED)\n");
    }
    if (progressive) {
        std::printf("progressive copies %s: %d pictures\n", progressiveFolder.c_str(), progressivePictures);
        std::printf("  cold, 1 decoding thread     %9.1f ms  %7.1f per second (%d of %d)\n", progressiveOne.all,
                    progressiveOneRate, progressiveOne.thumbnails, progressivePictures);
        std::printf("  cold, 2 decoding threads    %9.1f ms  %7.1f per second (%d of %d)\n", progressiveTwo.all,
                    progressiveTwoRate, progressiveTwo.thumbnails, progressivePictures);
        std::printf("  djpeg -scale 1/8, native    %9.1f per second\n", djpegProgressiveRate);
        std::printf("  time / djpeg's, 1 decoding thread %5.2f  (target at most 1.2: %s)\n", progressiveSlowdown,
                    Verdict(progressiveHolds));
    }
    if (!complete || !progressiveComplete) std::printf("  not every picture got a thumbnail: MISSED\n");

    DestroyWindow(Program().browser);
    DestroyWindow(Program().frame);
    return complete && coldVisibleHolds && warmVisibleHolds && oneRatioHolds && ratioHolds && progressiveHolds ? 0 : 1;
}
