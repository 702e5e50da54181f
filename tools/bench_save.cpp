// Speed of saving a 12-megapixel picture (4000 x 3000, photo-like) from
// memory through the save routine, depth conversion included, and of the
// Save Picture dialog showing its preview of that picture.
//
//   bench_save.exe --out FOLDER [--raw FILE] [--runs N]
//
// Writes FOLDER\save.jpg (JPEG, the 32-bit picture unchanged, quality 75),
// save24.bmp (24 bits), save.png (PNG, 24 bits) and save256.bmp (256
// colours, quantised) and prints the best time of each as "key seconds"
// lines; --raw also writes the picture as packed blue-green-red-alpha bytes
// for the native tool to read (tools/bench-save.sh).  The dialog figure is
// the time from opening dialog 182 to its preview painted.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "bench_support.h"
#include "dib.h"
#include "lorimel.h"
#include "load.h"
#include "picture_types.h"
#include "program.h"
#include "resource_ids.h"
#include "save.h"
#include "save_dialog.h"

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

double g_opened = 0;
double g_painted = 0;

// Once the dialog is up: everything painted, the time taken, the dialog
// cancelled.
void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = ThreadWindowWithControl(IDC_SAVE_PREVIEW);
    if (!dialog || g_painted != 0) return;
    RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    g_painted = BenchNow();
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

}  // namespace

int main(int argc, char** argv) {
    std::string out, raw;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--out") == 0) out = argv[i + 1];
        if (std::strcmp(argv[i], "--raw") == 0) raw = argv[i + 1];
    }
    const int runs = RunsFromArguments(argc, argv, 3);
    if (out.empty()) {
        std::fprintf(stderr, "usage: bench_save.exe --out FOLDER [--raw FILE] [--runs N]\n");
        return 2;
    }
    if (out.back() != '\\') out += '\\';

    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    std::string bin(exe);
    bin = bin.substr(0, bin.find_last_of('\\') + 1) + "..\\bin\\";
    static LorimelApi api;
    if (!BindLorimel(api, (bin + "Lorimel.dll").c_str()) || api.InitImageLibrary(bin.c_str()) != 1) {
        std::fprintf(stderr, "cannot load %sLorimel.dll\n", bin.c_str());
        return 2;
    }
    SetImageLibrary(&api);
    BuildPictureTypes(&api);
    Program().mainModule = Program().resourceModule = GetModuleHandleA(nullptr);
    InitCommonControls();

    DibBlock* picture = CreateDib(kWidth, kHeight);
    DibBlock* converted = CreateDib(kWidth, kHeight);
    if (!picture || !converted) return 2;
    FillPhotoLike(reinterpret_cast<DWORD*>(picture->pixels), kWidth, kHeight);
    if (!raw.empty()) {
        FILE* f = std::fopen(raw.c_str(), "wb");
        if (!f) return 2;
        std::fwrite(picture->pixels, 4, static_cast<size_t>(kWidth) * kHeight, f);
        std::fclose(f);
    }

    struct Case {
        const char* key;
        const char* file;
        const char* format;
        int depth;
    };
    const Case cases[] = {
        {"jpeg", "save.jpg", "JPEG", kSave32Bits},
        {"bmp24", "save24.bmp", "BMP", kSave16M},
        {"png", "save.png", "PNG", kSave16M},
        {"colors256", "save256.bmp", "BMP", kSave256Colors},
    };
    int status = 0;
    for (const Case& c : cases) {
        double best = 1e30;
        for (int run = 0; run < runs; ++run) {
            const double start = BenchSeconds();
            const DibBlock* written = picture;
            if (c.depth != kSave32Bits) {
                if (!ConvertForSave(picture, converted, c.depth)) status = 2;
                written = converted;
            }
            SaveError error;
            if (!SaveDibToFile((out + c.file).c_str(), c.format, written, 75, &error)) {
                std::fprintf(stderr, "%s: not saved (%d) %s\n", c.key, static_cast<int>(error.fault), error.libraryText);
                status = 2;
            }
            const double seconds = BenchSeconds() - start;
            if (seconds < best) best = seconds;
        }
        std::printf("%s %.4f\n", c.key, best);
    }

    double bestDialog = 1e30;
    for (int run = 0; run < runs; ++run) {
        g_painted = 0;
        UINT_PTR timer = SetTimer(nullptr, 0, 1, Tick);
        g_opened = BenchNow();
        RunSavePictureDialog(nullptr, picture, out + "dialog.jpg", "", "");
        KillTimer(nullptr, timer);
        if (g_painted == 0) status = 2;
        const double ms = g_painted - g_opened;
        if (ms < bestDialog) bestDialog = ms;
    }
    std::printf("dialog_preview_ms %.1f\n", bestDialog);
    FreeDib(converted);
    FreeDib(picture);
    std::fflush(stdout);
    return status;
}
