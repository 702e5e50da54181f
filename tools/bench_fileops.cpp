// The clipboard and paste figures of the file operations: a 12 MP picture
// put on the clipboard as CF_DIB (target under 200 ms), and the names for
// 1000 files pasted into their own folder of 10 000 (target under 100 ms).
// Each is the median of the runs.  Exit 0 when both targets hold.
//
//   bench_fileops.exe [--runs N]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_support.h"
#include "dib.h"
#include "file_operations.h"
#include "packed_dib.h"
#include "picture_clipboard.h"

namespace {

double Median(std::vector<double> runs) {
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

bool Report(const char* what, const std::vector<double>& runs, double target) {
    const double median = Median(runs);
    std::printf("%s:", what);
    for (double ms : runs) std::printf(" %.0f", ms);
    if (target <= 0) return std::printf(" ms\n  median %.1f ms\n", median), true;
    std::printf(" ms\n  median %.1f ms (target under %.0f ms: %s)\n", median, target, median < target ? "holds" : "MISSED");
    return median < target;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = RunsFromArguments(argc, argv, 5);
    bool held = true;

    DibBlock* picture = CreateDib(4000, 3000);
    if (!picture) return std::printf("no memory for the picture\n"), 2;
    FillPhotoLike(reinterpret_cast<DWORD*>(picture->pixels), 4000, 3000);
    // The packed block alone (what the program itself does before the
    // system takes the block), then the whole Copy.
    std::vector<double> packing, clip;
    const size_t bytes = PackedDibBytes(picture);
    for (int run = 0; run < runs; ++run) {
        const double start = BenchNow();
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
        void* to = memory ? GlobalLock(memory) : nullptr;
        const bool written = to && WritePackedDib(picture, to, bytes);
        if (to) GlobalUnlock(memory);
        if (memory) GlobalFree(memory);
        packing.push_back(BenchNow() - start);
        if (!written) return std::printf("no memory for the packed picture\n"), 2;
    }
    for (int run = 0; run < runs; ++run) {
        const double start = BenchNow();
        if (CopyPictureToClipboard(nullptr, picture) != kPictureOnClipboard)
            return std::printf("the clipboard refused the picture\n"), 2;
        clip.push_back(BenchNow() - start);
        ClearClipboard(nullptr);
    }
    FreeDib(picture);
    Report("packing the 48 MB block (the program's own part of the copy)", packing, 0);
    held &= Report("4000 x 3000 picture to the clipboard as CF_DIB", clip, 200);

    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string dir = std::string(temp) + "ommavu-bench-paste";
    CreateDirectoryA(dir.c_str(), nullptr);
    std::vector<std::string> sources;
    for (int i = 0; i < 10000; ++i) {
        char name[32];
        wsprintfA(name, "\\p%05d.jpg", i);
        CloseHandle(CreateFileA((dir + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        if (i % 10 == 0) sources.push_back(dir + name);
    }
    std::vector<double> naming;
    for (int run = 0; run < runs; ++run) {
        const double start = BenchNow();
        const size_t named = PasteDestinations(sources, dir, "Copy").size();
        naming.push_back(BenchNow() - start);
        if (named != sources.size()) return std::printf("names went missing\n"), 2;
    }
    for (int i = 0; i < 10000; ++i) {
        char name[32];
        wsprintfA(name, "\\p%05d.jpg", i);
        DeleteFileA((dir + name).c_str());
    }
    RemoveDirectoryA(dir.c_str());
    held &= Report("names for 1000 files pasted into their folder of 10 000", naming, 100);
    return held ? 0 : 1;
}
