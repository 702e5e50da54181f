// Speed of the colour effects and geometric transforms on a 12-megapixel
// picture (4000 x 3000, every pixel different), one core.  Each operation
// runs a few times and the best run counts; its figure is megapixels of the
// source picture per second, whatever size the result has, allocation of
// the result included.
//
//   bench_effects.exe [--runs N]
//
// Targets: every single-pass operation at least 150 MP/s, the any-angle
// rotation at least 40 MP/s.  Abstract draws two rand() numbers per pixel
// (more near the edges) and is reported without a target, and so are the
// two-pass doubling and the resize built on it, beside the cost of first
// touching a fresh block of the doubled size.  Exits 0 when
// every target holds, 1 when one is missed, 2 when it could not allocate.
#include <windows.h>

#include <stdlib.h>

#include <cstdio>
#include <cstring>
#include <functional>

#include "bench_support.h"
#include "colour_effects.h"
#include "transforms.h"

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;
constexpr double kMegapixels = kWidth * static_cast<double>(kHeight) / 1e6;

double Now() { return BenchSeconds(); }

DWORD* PixelsOf(DibBlock* block) { return reinterpret_cast<DWORD*>(block->pixels); }
size_t CountOf(const DibBlock* block) {
    return static_cast<size_t>(DibWidth(block)) * static_cast<size_t>(DibHeight(block));
}

struct Result {
    const char* name;
    double target;  // MP/s; 0 for none
    const char* note;
};

int runs = 3;
bool allocationFailed = false;

// Best of `runs` timings of op after prepare (not timed) each time.
double Measure(const std::function<void()>& prepare, const std::function<bool()>& op) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        prepare();
        double start = Now();
        bool ok = op();
        double seconds = Now() - start;
        if (!ok) allocationFailed = true;
        if (seconds < best) best = seconds;
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    runs = RunsFromArguments(argc, argv, runs);

    DibBlock* source = CreateDib(kWidth, kHeight);
    DibBlock* work = CreateDib(kWidth, kHeight);
    DibBlock* out = CreateDib(kWidth, kHeight);
    if (!source || !work || !out) {
        std::printf("cannot allocate the pictures\n");
        return 2;
    }
    FillPhotoLike(PixelsOf(source), kWidth, kHeight);
    const size_t bytes = CountOf(source) * 4;
    auto fresh = [&] { std::memcpy(work->pixels, source->pixels, bytes); };
    auto nothing = [] {};
    // Operations that make a new block: timed with its allocation, freed after.
    auto made = [](DibBlock* block) {
        bool ok = block != nullptr;
        FreeDib(block);
        return ok;
    };

    struct Row {
        Result result;
        double seconds;
    };
    Row rows[20];
    int count = 0;
    auto add = [&](const char* name, double target, const char* note, double seconds) {
        rows[count++] = Row{Result{name, target, note}, seconds};
    };

    add("invert", 150, "", Measure(fresh, [&] {
            InvertPixels(PixelsOf(work), CountOf(work), 0xFFFFFF);
            return true;
        }));
    add("grey", 150, "", Measure(fresh, [&] {
            GreyPixels(PixelsOf(work), CountOf(work));
            return true;
        }));
    add("rgb", 150, "", Measure(fresh, [&] {
            AdjustPixelsRgb(PixelsOf(work), CountOf(work), 40, -30, 12);
            return true;
        }));
    add("yuv", 150, "", Measure(fresh, [&] {
            AdjustPixelsYuv(PixelsOf(work), CountOf(work), 10, -20, 30);
            return true;
        }));
    add("abstract", 0, "rand() per pixel, no target", Measure([] { srand(1); }, [&] {
            AbstractDib(source, out, 16);
            return true;
        }));
    add("mosaic", 150, "", Measure(fresh, [&] {
            MosaicDib(work, 8);
            return true;
        }));
    add("glass", 150, "", Measure(nothing, [&] { return GlassDib(source, out); }));
    add("emboss", 150, "", Measure(nothing, [&] {
            EmbossDib(source, out);
            return true;
        }));
    add("pencil", 150, "", Measure(fresh, [&] {
            PencilSketchDib(work, 0xFFFFFF);
            return true;
        }));
    add("flip", 150, "", Measure(nothing, [&] { return FlipDib(work); }));
    add("mirror", 150, "", Measure(nothing, [&] { return MirrorDib(work); }));
    add("rotate 90", 150, "", Measure(nothing, [&] { return made(RotateDib(source, 90)); }));
    add("rotate 180", 150, "", Measure(nothing, [&] { return made(RotateDib(source, 180)); }));
    add("rotate 270", 150, "", Measure(nothing, [&] { return made(RotateDib(source, 270)); }));
    add("rotate 30", 40, "", Measure(nothing, [&] { return made(RotateDib(source, 30)); }));
    add("halve", 150, "", Measure(nothing, [&] { return made(HalveDib(source)); }));
    // The doubling is two passes and makes a 192 MB block (4x the pixels);
    // the enlarging resize adds the scaler on top.  Neither is a single pass,
    // so they are shown without a target, beside what merely touching a
    // fresh block of the doubled size costs here.
    add("double", 0, "two passes into 4x the pixels, no target",
        Measure(nothing, [&] { return made(DoubleDibSmooth(source)); }));
    add("resize 6000x4500", 0, "doubling + scaler, no target", Measure(nothing, [&] {
            return made(ResizeDibSmooth(source, 6000, 4500));
        }));
    add("(touch 8000x6000)", 0, "fresh block of the doubled size, first write", Measure(nothing, [&] {
            DibBlock* block = CreateDib(2 * kWidth, 2 * kHeight);
            if (block) std::memset(block->pixels, 0x55, CountOf(block) * 4);
            return made(block);
        }));

    std::printf("picture %dx%d (%.0f MP), best of %d runs, MP/s of the source picture\n", kWidth,
                kHeight, kMegapixels, runs);
    bool allHold = true;
    for (int i = 0; i < count; ++i) {
        const Row& row = rows[i];
        double rate = kMegapixels / row.seconds;
        char target[32] = "-";
        const char* verdict = row.result.note;
        if (row.result.target > 0) {
            std::snprintf(target, sizeof target, ">= %.0f", row.result.target);
            bool holds = rate >= row.result.target;
            verdict = holds ? "holds" : "MISSED";
            allHold = allHold && holds;
        }
        std::printf("%-18s %9.1f MP/s %8.1f ms   target %-7s %s\n", row.result.name, rate,
                    row.seconds * 1000, target, verdict);
    }
    std::printf("all targets %s\n", allHold ? "hold" : "NOT met");
    FreeDib(source);
    FreeDib(work);
    FreeDib(out);
    if (allocationFailed) {
        std::printf("an operation could not allocate its result\n");
        return 2;
    }
    return allHold ? 0 : 1;
}
