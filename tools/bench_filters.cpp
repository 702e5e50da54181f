// Speed of the filter plug-ins' arithmetic on a 12-megapixel picture (4000 x
// 3000, every pixel different), one core, through the cores the plug-ins are
// built from and the host's real services table - the same calls a plug-in
// makes on OK: BeginBusy, the new picture, the filter with its progress
// reports, EndBusy.  Each filter runs at the setting its dialog starts with
// and at its heaviest; the best of a few runs counts.  Figures are megapixels
// per second, allocation of the result included.
//
//   bench_filters.exe [--runs N]
//
// Targets: Blur and Sharpen at the largest kernel (a = 13) within 3 s
// (4 MP/s); the mapping filters (Swirl, Implode, Wave) at least 20 MP/s.
// Noise and Spread draw rand() for every byte or pixel and have none.
// Exits 0 when every target holds, 1 when one is missed, 2 when a filter
// made no picture.
#include <windows.h>

#include <stdlib.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "bench_support.h"
#include "kernel_filter.h"
#include "noise_filter.h"
#include "plugin_services.h"
#include "spread_filter.h"
#include "implode_filter.h"
#include "swirl_filter.h"
#include "wave_filter.h"

namespace {

constexpr LONG kWidth = 4000;
constexpr LONG kHeight = 3000;
constexpr double kMegapixels = kWidth * static_cast<double>(kHeight) / 1e6;

double Now() { return BenchSeconds(); }

struct Row {
    const char* name;
    double targetRate;     // MP/s at least; 0 for none
    double targetSeconds;  // at most; 0 for none
    const char* note;
    double seconds;
};

int runs = 3;
bool failed = false;

// Best of `runs` timings of a filter making a new picture, freed after.
double Measure(const std::function<PluginPicture*()>& filter) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        srand(1);
        const double start = Now();
        PluginPicture* made = filter();
        const double seconds = Now() - start;
        if (!made) failed = true;
        PluginServices()->FreePicture(made);
        if (seconds < best) best = seconds;
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    runs = RunsFromArguments(argc, argv, runs);

    const PictureHostServices* host = PluginServices();
    PluginPicture* picture = host->CreatePicture(kWidth, kHeight);
    if (!picture) {
        std::printf("cannot allocate the picture\n");
        return 2;
    }
    FillPhotoLike(reinterpret_cast<DWORD*>(picture->working->pixels), kWidth, kHeight);

    std::vector<Row> rows;
    auto add = [&](const char* name, double rate, double seconds, const char* note,
                   const std::function<PluginPicture*()>& filter) {
        rows.push_back(Row{name, rate, seconds, note, Measure(filter)});
    };
    const char* perByte = "rand() per byte, no target";
    const char* perPixel = "rand() per pixel, no target";

    add("blur a=3", 0, 0, "default", [&] { return KernelFilterPicture(host, picture, KernelKind::Blur, 3); });
    add("blur a=13", 0, 3.0, "", [&] { return KernelFilterPicture(host, picture, KernelKind::Blur, 13); });
    add("sharpen a=3", 0, 0, "default", [&] { return KernelFilterPicture(host, picture, KernelKind::Sharpen, 3); });
    add("sharpen a=13", 0, 3.0, "", [&] { return KernelFilterPicture(host, picture, KernelKind::Sharpen, 13); });
    static const char* const kNoiseRows[kNoiseTypeCount] = {
        "noise uniform", "noise gaussian", "noise multiplic.", "noise impulse", "noise laplacian", "noise poisson",
    };
    for (int type = 0; type < kNoiseTypeCount; ++type)
        add(kNoiseRows[type], 0, 0, perByte, [&] { return NoisePicture(host, picture, type); });
    add("spread m=0", 0, 0, perPixel, [&] { return SpreadPicture(host, picture, 0); });
    add("spread m=100", 0, 0, perPixel, [&] { return SpreadPicture(host, picture, 100); });

    // The mapping filters: the dialog's starting setting and the heaviest.
    // Every setting of Swirl costs the same (v = 0 still turns by 0); Implode
    // needs no powers at p = 0; Wave at A = height makes a result three
    // times as high.
    add("swirl v=0", 20, 0, "default", [&] { return SwirlPicture(host, picture, 0); });
    add("swirl v=360", 20, 0, "", [&] { return SwirlPicture(host, picture, 360); });
    add("implode p=0", 20, 0, "default",
        [&] { return ImplodePicture(host, picture, ImplodeSettings{ImplodeAmount(0), 0.5, 0.5}); });
    add("implode p=-1000", 20, 0, "",
        [&] { return ImplodePicture(host, picture, ImplodeSettings{ImplodeAmount(-1000), 0.5, 0.5}); });
    add("wave A=h/4", 20, 0, "default",
        [&] { return WavePicture(host, picture, WaveSettings{double(kWidth), double(kHeight / 4)}); });
    add("wave A=h", 20, 0, "", [&] { return WavePicture(host, picture, WaveSettings{double(kWidth), double(kHeight)}); });

    std::printf("picture %ldx%ld (%.0f MP), best of %d runs, MP/s of the picture\n", kWidth, kHeight,
                kMegapixels, runs);
    bool allHold = true;
    for (const Row& row : rows) {
        const double rate = kMegapixels / row.seconds;
        char target[32] = "-";
        const char* verdict = row.note;
        if (row.targetRate > 0 || row.targetSeconds > 0) {
            bool holds;
            if (row.targetRate > 0) {
                std::snprintf(target, sizeof target, ">= %.0f MP/s", row.targetRate);
                holds = rate >= row.targetRate;
            } else {
                std::snprintf(target, sizeof target, "<= %.0f ms", row.targetSeconds * 1000);
                holds = row.seconds <= row.targetSeconds;
            }
            verdict = holds ? "holds" : "MISSED";
            allHold = allHold && holds;
        }
        std::printf("%-17s %8.1f MP/s %9.1f ms   target %-12s %s\n", row.name, rate, row.seconds * 1000, target,
                    verdict);
    }
    std::printf("all targets %s\n", allHold ? "hold" : "NOT met");
    host->FreePicture(picture);
    if (failed) {
        std::printf("a filter made no picture\n");
        return 2;
    }
    return allHold ? 0 : 1;
}
