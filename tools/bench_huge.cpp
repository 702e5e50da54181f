// Memory and time of one huge picture in one process: its thumbnail through
// the thumbnail maker (no cache hit: the one-shot cache lives in a scratch
// folder made empty first), or its opening in the picture loader as the
// viewer does it (the picture held reduced when it is over the budget).
// One operation per process, so that the peak belongs to it alone.
//
//   bench_huge.exe --thumb FILE [--lib PATH\Lorimel.dll] [--scratch DIR]
//   bench_huge.exe --view FILE [--lib PATH\Lorimel.dll]
//
// Prints "key value" lines for tools/bench-huge.sh: result (ok or failed),
// seconds, the held size (width, height: the thumbnail or the viewer's
// picture) and the file's own size, and the memory: private bytes before the
// operation (base_private_mb) and at their highest during it, sampled every
// 2 ms (peak_private_mb), the system's peak of the page-file usage and of the
// working set.  Exits 0 when the operation succeeded, 1 when it failed,
// 2 when it could not start.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "bench_support.h"
#include "document.h"
#include "load.h"
#include "loader.h"
#include "thumbnail_maker.h"

namespace {

struct Memory {
    SIZE_T privateBytes = 0;
    SIZE_T peakPagefile = 0;
    SIZE_T peakWorkingSet = 0;
};

Memory ReadMemory() {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    Memory m;
    // Wine leaves PrivateUsage at 0 and keeps the process's own (anonymous)
    // resident memory as the page-file usage.
    m.privateBytes = counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
    m.peakPagefile = counters.PeakPagefileUsage;
    m.peakWorkingSet = counters.PeakWorkingSetSize;
    return m;
}

// Samples the private bytes while the operation runs: the system's own peak
// counter is not kept by every host this runs on.
volatile LONG g_sampling = 1;
volatile SIZE_T g_peakPrivate = 0;

DWORD WINAPI Sampler(void*) {
    while (g_sampling) {
        const SIZE_T now = ReadMemory().privateBytes;
        if (now > g_peakPrivate) g_peakPrivate = now;
        Sleep(2);
    }
    return 0;
}

double Megabytes(SIZE_T bytes) { return bytes / (1024.0 * 1024.0); }

struct LoadEnd {
    HANDLE ended = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    bool loaded = false;
    static void Loaded(void* c) {
        static_cast<LoadEnd*>(c)->loaded = true;
        SetEvent(static_cast<LoadEnd*>(c)->ended);
    }
    static void Failed(void* c, const char*) { SetEvent(static_cast<LoadEnd*>(c)->ended); }
    static void NoPicture(void* c, Picture* picture) {
        if (!picture) SetEvent(static_cast<LoadEnd*>(c)->ended);
    }
};

const char* Argument(int argc, char** argv, const char* name) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], name) == 0) return argv[i + 1];
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    const char* thumb = Argument(argc, argv, "--thumb");
    const char* view = Argument(argc, argv, "--view");
    const char* lib = Argument(argc, argv, "--lib");
    const char* path = thumb ? thumb : view;
    if (!path) {
        std::fprintf(stderr, "usage: bench_huge.exe --thumb FILE | --view FILE [--lib DLL]\n");
        return 2;
    }
    static LorimelApi api;
    if (!BindLorimel(api, lib ? lib : "Lorimel.dll") || !api.InitImageLibrary("")) {
        std::fprintf(stderr, "cannot load the picture file library\n");
        return 2;
    }
    SetImageLibrary(&api);
    std::string scratch;
    if (thumb) {
        const char* given = Argument(argc, argv, "--scratch");
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        scratch = given ? given : std::string(temp) + "bench-huge-cache";
        CreateDirectoryA(scratch.c_str(), nullptr);
        SetCacheDirectory(scratch + "\\");
        ClearCacheFiles();
    }
    LoadEnd end;
    if (view) {
        LoaderSink sink = {&end, nullptr, LoadEnd::NoPicture, nullptr, nullptr, LoadEnd::Loaded,
                           LoadEnd::Failed, LoadEnd::Failed};
        SetPictureLoaderSink(sink);
    }

    const Memory before = ReadMemory();
    g_peakPrivate = before.privateBytes;
    HANDLE sampler = CreateThread(nullptr, 0, Sampler, nullptr, 0, nullptr);
    const double start = BenchSeconds();
    bool ok = false;
    int width = 0, height = 0, fileWidth = 0, fileHeight = 0;
    if (thumb) {
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        GetFileAttributesExA(path, GetFileExInfoStandard, &data);
        ThumbnailRequest request;
        request.path = path;
        request.lastWrite = data.ftLastWriteTime;
        request.fileSize = data.nFileSizeLow;
        ThumbnailSet set;
        ok = MakeThumbnails(request, &set) == ThumbnailResult::Made && set.frames[0];
        if (ok) {
            width = DibWidth(set.frames[0]);
            height = DibHeight(set.frames[0]);
            fileWidth = set.infos[0].width;
            fileHeight = set.infos[0].height;
        }
        FreeThumbnailSet(&set);
    } else {
        ok = RequestPicture(path) && WaitForSingleObject(end.ended, 600000) == WAIT_OBJECT_0 &&
             end.loaded;
        const PictureDocument& doc = CurrentDocument();
        if (ok && doc.picture) {
            width = DibWidth(doc.picture->working);
            height = DibHeight(doc.picture->working);
            fileWidth = doc.fileWidth;
            fileHeight = doc.fileHeight;
        }
    }
    const double seconds = BenchSeconds() - start;
    g_sampling = 0;
    WaitForSingleObject(sampler, INFINITE);
    CloseHandle(sampler);
    const Memory after = ReadMemory();

    std::printf("result %s\n", ok ? "ok" : "failed");
    std::printf("seconds %.3f\n", seconds);
    std::printf("width %d\nheight %d\nfile_width %d\nfile_height %d\n", width, height, fileWidth,
                fileHeight);
    std::printf("base_private_mb %.1f\n", Megabytes(before.privateBytes));
    std::printf("peak_private_mb %.1f\n", Megabytes(g_peakPrivate));
    std::printf("system_peak_pagefile_mb %.1f\n", Megabytes(after.peakPagefile));
    std::printf("system_peak_working_set_mb %.1f\n", Megabytes(after.peakWorkingSet));
    std::fflush(stdout);
    if (view) StopPictureLoader();
    if (thumb) {
        CloseCacheFiles();
        ClearCacheFiles();
        RemoveDirectoryA(scratch.c_str());
    }
    return ok ? 0 : 1;
}
