// Runs picture files through the three readers a user's file meets: the
// picture file library's own calls, the thumbnail maker and the viewer's
// picture loader.  Started by hostile_files_test, which watches it:
//
//     hostile_probe.exe LISTFILE FIRST SCRATCHDIR
//
// LISTFILE holds one path a line; the probe works from line FIRST on.
// Before each reader it prints "<line> <reader>", after the file
// "<line> done <library outcome> <thumbnail outcome> <viewer outcome>
// <milliseconds of each> <kilobytes committed>", so
// that the watcher can name the file and the reader when the probe crashes
// or stops answering.  An outcome that starts with '!' is an unclean one.
#include <windows.h>
#include <psapi.h>

#include <setjmp.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <new>
#include <string>

#include "cache_files.h"
#include "document.h"
#include "load.h"
#include "loader.h"
#include "lorimel.h"
#include "thumbnail_maker.h"

namespace {

LorimelApi g_api;

void Say(long line, const char* what) {
    std::printf("%ld %s\n", line, what);
    std::fflush(stdout);
}

// The library's calls in the order a caller makes them: every page's
// description, page 0 at its own size when a buffer of that size can be had,
// and the first and last pages reduced to a thumbnail's size.
std::string ThroughLibrary(const char* path) {
    // Found here again after a jump back from the library.
    static LorimelHandle volatile file;
    static DWORD* volatile pixels;
    file = nullptr;
    pixels = nullptr;
    jmp_buf jump;
    RecoveryScope scope;
    if (LorimelRecoveryPoint(jump) != 0) {
        scope.Jumped();
        if (file) g_api.CloseImageFile(file);
        delete[] pixels;
        return "fatal";
    }
    char format[kLorimelFormatChars] = {};
    if (!g_api.DetectImageFormat(path, format)) return "not-picture";
    file = g_api.OpenImageFile(path, "rb", format, 0);
    if (!file) return "no-open";
    const LONG pages = g_api.ReadImageHeader(file);
    std::string outcome = pages < 1 ? "no-pages" : "pixels";
    LorimelPageInfo first[2] = {};
    for (LONG page = 0; page < pages; ++page) {
        LorimelPageInfo info[2] = {};
        info[0].page = page;
        if (!g_api.GetImagePageInfo(file, &info[0]) || info[0].width <= 0 ||
            info[0].height <= 0 || info[0].width > 0x8000 || info[0].height > 0x8000) {
            outcome = "!page-" + std::to_string(page) + "-counted-without-size";
            break;
        }
        if (page == 0) first[0] = info[0];
        g_api.GetImagePageDelay(file, page);
    }
    if (outcome == "pixels") {
        const LONG w = first[0].width, h = first[0].height;
        if (static_cast<double>(w) * h <= 64.0 * 1024 * 1024)
            pixels = new (std::nothrow) DWORD[static_cast<size_t>(w) * h];
        if (pixels) {
            const LONG got = g_api.ReadImagePixels(file, pixels, w, h, 0);
            if (got != 0 && got != 1) outcome = "!pixels-result-" + std::to_string(got);
            else if (!got) outcome = "no-pixels";
            delete[] pixels;
            pixels = nullptr;
        }
        DWORD small[48 * 48];
        for (LONG page : {LONG{0}, pages - 1}) {
            const SIZE fitted = FitIntoBox(48, 48, w, h);
            g_api.ReadImagePixels(file, small, fitted.cx, fitted.cy, page);
        }
    }
    g_api.CloseImageFile(file);
    file = nullptr;
    return outcome;
}

std::string ThroughThumbnailMaker(const char* path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(path, GetFileExInfoStandard, &data);
    ThumbnailRequest request;
    request.path = path;
    request.lastWrite = data.ftLastWriteTime;
    request.fileSize = data.nFileSizeLow;
    ThumbnailSet set;
    const ThumbnailResult result = MakeThumbnails(request, &set);
    std::string outcome;
    switch (result) {
        case ThumbnailResult::Made: {
            const DibBlock* thumb = set.frames[0];
            outcome = thumb && DibWidth(thumb) >= 6 && DibWidth(thumb) <= 48 &&
                              DibHeight(thumb) >= 6 && DibHeight(thumb) <= 48
                          ? "made"
                          : "!made-without-a-fitting-thumbnail";
            break;
        }
        case ThumbnailResult::NotPicture: outcome = "not-picture"; break;
        case ThumbnailResult::Failed: outcome = "failed"; break;
        case ThumbnailResult::DecodeFault: outcome = "decode-fault"; break;
        case ThumbnailResult::Stopped: outcome = "!stopped-unasked"; break;
        case ThumbnailResult::NeedsDecode: outcome = "!left-undecoded"; break;
    }
    FreeThumbnailSet(&set);
    return outcome;
}

// What the loader told the viewer, in order.  Written on the loader thread,
// read once it has ended.
struct Heard {
    std::string events;
    static Heard& Of(void* c) { return *static_cast<Heard*>(c); }
    static void Add(void* c, const char* e) { Of(c).events += std::string(" ") + e; }
    static void Detach(void*) {}
    static void Show(void* c, Picture* p) { Add(c, p ? "show" : "show-none"); }
    static void Rows(void*, const LoadRows*) {}
    static void Finished(void*) {}
    static void Loaded(void* c) { Add(c, "loaded"); }
    static void Unreadable(void* c, const char*) { Add(c, "unreadable"); }
    static void DecodeError(void* c, const char*) { Add(c, "decode-error"); }
};

// The viewer's outcome: the picture shown, or one of its two messages.  A
// load that ends with neither leaves the user looking at nothing.
std::string ThroughViewerLoader(const char* path) {
    Heard heard;
    SetPictureLoaderSink(LoaderSink{&heard, Heard::Detach, Heard::Show, Heard::Rows,
                                    Heard::Finished, Heard::Loaded, Heard::Unreadable,
                                    Heard::DecodeError});
    if (!RequestPicture(path)) return "!no-loader-thread";
    while (IsPictureLoaderRunning()) Sleep(2);
    StopPictureLoader(60000);
    const std::string& e = heard.events;
    std::string outcome;
    if (e.find("decode-error") != std::string::npos) outcome = "decode-error";
    else if (e.find("unreadable") != std::string::npos) outcome = "unreadable";
    else if (e.find("loaded") != std::string::npos && CurrentDocument().picture) outcome = "shown";
    else outcome = "!no-picture-and-no-message:" + e;
    for (char& c : outcome)
        if (c == ' ') c = '_';
    FreeCurrentPicture();
    return outcome;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: hostile_probe LISTFILE FIRST SCRATCHDIR\n");
        return 2;
    }
    // A crash ends the probe at once: the watcher reports it.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string bin(exe);
    bin = bin.substr(0, bin.find_last_of('\\') + 1) + "..\\bin\\";
    if (!BindLorimel(g_api, (bin + "Lorimel.dll").c_str()) || !g_api.InitImageLibrary(bin.c_str())) {
        std::fprintf(stderr, "hostile_probe: cannot load the picture file library from %s\n",
                     bin.c_str());
        return 3;
    }
    SetImageLibrary(&g_api);
    SetPictureDisplayDepth(24);
    SetCacheDirectory(argv[3]);
    ClearCacheFiles();

    std::ifstream list(argv[1]);
    const long first = std::atol(argv[2]);
    std::string path;
    for (long line = 0; std::getline(list, path); ++line) {
        if (line < first || path.empty()) continue;
        const DWORD t0 = GetTickCount();
        Say(line, "library");
        const std::string library = ThroughLibrary(path.c_str());
        const DWORD t1 = GetTickCount();
        Say(line, "thumbnail");
        const std::string thumbnail = ThroughThumbnailMaker(path.c_str());
        const DWORD t2 = GetTickCount();
        Say(line, "viewer");
        const std::string viewer = ThroughViewerLoader(path.c_str());
        const DWORD t3 = GetTickCount();
        PROCESS_MEMORY_COUNTERS memory = {};
        GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
        std::printf("%ld done %s %s %s %lu/%lu/%lu %lu\n", line, library.c_str(), thumbnail.c_str(),
                    viewer.c_str(), t1 - t0, t2 - t1, t3 - t2,
                    static_cast<unsigned long>(memory.PagefileUsage / 1024));
        std::fflush(stdout);
    }
    CloseCacheFiles();
    g_api.FreeImageLibrary();
    return 0;
}
