// How fast the viewer shows pictures, measured inside a real viewer frame:
//   - Open by name of a large JPEG: time to the first decoded band painted
//     and to the whole picture painted, next to the time the decode itself
//     takes;
//   - stepping Next through a list of pictures: time from the command to
//     the whole picture painted, per picture;
//   - entering and leaving full screen with the large picture shown: time
//     from the command to the view painted in the new layout.
// Prints the figures and whether the targets hold (first band within 15 % of
// the full decode time; Next under 100 ms on average and every step under
// 150 ms, the decode alone shown beside it; full screen in and out within
// 250 ms).  Exit 0 when all hold.
//
//   bench_viewer.exe LARGE.jpg LIST-FILE   (LIST-FILE: one picture path per line)
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "bench_shell.h"
#include "browser_window.h"
#include "commands.h"
#include "display.h"
#include "document_link.h"
#include "frame_window.h"
#include "load.h"
#include "messages.h"
#include "navigation.h"
#include "picture_view.h"
#include "program.h"
#include "system_info.h"

namespace {

double Now() { return BenchNow(); }

WNDPROC g_viewProc = nullptr;
double g_detached = 0;    // the loader has read the header and asks the views to let go
double g_shown = 0;       // the new picture reached the view (decoding starts)
double g_firstProgress = 0;  // the frame heard of the first rows
double g_firstBand = 0;   // first rows drawn
double g_fullPaint = 0;   // first whole-picture paint after loading
bool g_loaded = false;    // the frame has handled "picture loaded"
double g_loadedAt = 0;    // when it arrived
double g_laidOut = 0;     // the frame handled a layout message (1127)
double g_paintedAfterLayout = 0;  // the view's first paint after that

double g_viewBusy = 0;     // time the view spent painting and taking bands
int g_paints = 0;

LRESULT CALLBACK TimedView(HWND view, UINT msg, WPARAM wp, LPARAM lp) {
    const double entered = Now();
    LRESULT result = CallWindowProcA(g_viewProc, view, msg, wp, lp);
    if (msg == WM_PAINT || msg == kMsgRowsReady) g_viewBusy += Now() - entered;
    if (msg == WM_PAINT) ++g_paints;
    if (msg == kMsgRowsReady && g_firstBand == 0) g_firstBand = Now();
    if (msg == WM_PAINT && g_loaded && g_fullPaint == 0 && ViewHasPicture(view) && !IsViewLoading(view))
        g_fullPaint = Now();
    if (msg == WM_PAINT && g_laidOut > 0 && g_paintedAfterLayout == 0) g_paintedAfterLayout = Now();
    return result;
}

WNDPROC g_frameProc = nullptr;
double g_placeStart = 0, g_placeEnd = 0;  // the frame laid out around the new picture
double g_frameBusy = 0;   // the frame's time on the loader's messages of a step
LRESULT CALLBACK TimedFrame(HWND frame, UINT msg, WPARAM wp, LPARAM lp) {
    const bool place = msg == kMsgPlaceNewPicture && g_placeStart == 0;
    if (place) g_placeStart = Now();
    const double entered = Now();
    LRESULT result = CallWindowProcA(g_frameProc, frame, msg, wp, lp);
    if (msg == kMsgLoadProgress || msg == kMsgRowsReady || msg == kMsgLoaderDetachViews ||
        msg == kMsgLoaderShowPicture || msg == kMsgPictureLoaded || msg == kMsgRedrawView)
        g_frameBusy += Now() - entered;
    if (place) g_placeEnd = Now();
    if (msg == kMsgLayoutFrame && g_laidOut == 0) g_laidOut = Now();
    if (msg == kMsgLoaderDetachViews && g_detached == 0) g_detached = Now();
    if (msg == kMsgLoaderShowPicture && g_shown == 0) g_shown = Now();
    if (msg == kMsgLoadProgress && g_firstProgress == 0) g_firstProgress = Now();
    if (msg == kMsgPictureLoaded) {
        if (!g_loaded) g_loadedAt = Now();
        g_loaded = true;
        InvalidateRect(FrameView(), nullptr, FALSE);
    }
    return result;
}

// Runs the message loop until the whole picture has been painted.
bool PumpUntilPainted(DWORD timeoutMs) {
    DWORD start = GetTickCount();
    MSG msg;
    while (g_fullPaint == 0) {
        if (GetTickCount() - start > timeoutMs) return false;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (g_fullPaint == 0) MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return true;
}

// Runs the message loop until nothing is left in it.
void PumpUntilIdle() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Runs the message loop until the view has painted after a layout message.
bool PumpUntilLaidOutAndPainted(DWORD timeoutMs) {
    DWORD start = GetTickCount();
    MSG msg;
    while (g_paintedAfterLayout == 0) {
        if (GetTickCount() - start > timeoutMs) return false;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (g_paintedAfterLayout == 0) MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return true;
}

// Enters (or leaves) full screen and returns the milliseconds to the view
// painted in the new layout; negative when it never painted.
double TimeFullScreenCommand(UINT command) {
    g_laidOut = g_paintedAfterLayout = 0;
    const double start = Now();
    SendMessageA(Program().frame, WM_COMMAND, command, 0);
    if (!PumpUntilLaidOutAndPainted(10000)) return -1;
    return g_paintedAfterLayout - start;
}

void Reset() {
    g_firstBand = g_fullPaint = g_shown = g_firstProgress = g_detached = g_placeStart = g_placeEnd = 0;
    g_loaded = false;
    g_loadedAt = 0;
    g_viewBusy = 0;
    g_paints = 0;
    g_frameBusy = 0;
}

// The decode alone: the same file through the library, no windows.
double DecodeOnly(const std::string& path) {
    double start = Now();
    DibBlock* dib = LoadFirstPageDib(path.c_str());
    double elapsed = Now() - start;
    FreeDib(dib);
    return elapsed;
}

bool SetUpViewer(HINSTANCE instance) {
    if (!SetUpBenchShell(instance, SW_HIDE)) return false;
    ProgramState& shell = Program();
    g_viewProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(FrameView(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TimedView)));
    g_frameProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(shell.frame, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TimedFrame)));
    ShowWindow(shell.frame, SW_SHOW);
    return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (__argc < 3) {
        std::printf("usage: bench_viewer LARGE.jpg LIST-FILE\n");
        return 2;
    }
    std::string large = __argv[1];
    std::vector<std::string> list;
    std::ifstream in(__argv[2]);
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) list.push_back(line);
    if (!SetUpViewer(instance)) {
        std::printf("the viewer could not be set up\n");
        return 2;
    }
    bool ok = true;

    // Open by name of the large picture: decode alone first (warm cache).
    double decode = DecodeOnly(large);
    {
        // Where the time before the first row goes.
        const LorimelApi& api = Program().lorimel;
        char format[200] = {};
        double t0 = Now();
        api.DetectImageFormat(large.c_str(), format);
        double t1 = Now();
        LorimelHandle file = api.OpenImageFile(large.c_str(), "rb", format, 0);
        double opened = Now();
        api.ReadImageHeader(file);
        LorimelPageInfo info[2] = {};
        api.GetImagePageInfo(file, &info[0]);
        double t2 = Now();
        Picture* picture = CreatePicture(info[0].width, info[0].height);
        double t3 = Now();
        FreePicture(picture);
        api.CloseImageFile(file);
        std::printf("  (detect %.1f ms, open %.1f ms, header %.1f ms, picture allocation %.1f ms)\n", t1 - t0,
                    opened - t1, t2 - opened, t3 - t2);
    }
    // Open by name three times, each time from a frame of the size it had
    // before the first, so that the frame lays itself out around the large
    // picture as on a first open; the name alternates with a copy because the
    // current file is not opened again.  The target is judged on the median
    // trial against the median of three decodes, so that one disturbed run
    // on a busy machine neither hides nor invents a miss.
    const std::string copy = large + ".again.jpg";
    CopyFileA(large.c_str(), copy.c_str(), FALSE);
    std::vector<double> decodes = {decode, DecodeOnly(large), DecodeOnly(large)};
    std::sort(decodes.begin(), decodes.end());
    decode = decodes[1];
    std::printf("open by name %s\n", large.c_str());
    std::printf("  decode alone          %8.1f ms (median of %.1f, %.1f, %.1f)\n", decode, decodes[0], decodes[1],
                decodes[2]);
    std::vector<double> firsts;
    RECT before;
    GetWindowRect(Program().frame, &before);
    for (int trial = 0; trial < 3; ++trial) {
        if (trial > 0 && !list.empty()) {
            Reset();
            OpenPictureByName(Program().frame, list[0].c_str());
            PumpUntilPainted(60000);
            SetWindowPos(Program().frame, nullptr, before.left, before.top, before.right - before.left,
                         before.bottom - before.top, SWP_NOZORDER | SWP_NOACTIVATE);
            PumpUntilIdle();
        }
        Reset();
        const std::string& name = trial % 2 ? copy : large;
        double start = Now();
        OpenPictureByName(Program().frame, name.c_str());
        if (!PumpUntilPainted(120000)) {
            std::printf("the large picture was not painted\n");
            DeleteFileA(copy.c_str());
            return 2;
        }
        double first = g_firstBand - start, full = g_fullPaint - start;
        firsts.push_back(g_firstBand > 0 ? first : 1e9);
        std::printf(" trial %d\n", trial + 1);
        std::printf("  header read           %8.1f ms\n", g_detached - start);
        std::printf("  picture made current  %8.1f ms\n", g_shown - start);
        std::printf("  frame laid out        %8.1f ms (from %.1f ms)\n", g_placeEnd - start, g_placeStart - start);
        std::printf("  first rows reported   %8.1f ms\n", g_firstProgress - start);
        std::printf("  first band painted    %8.1f ms (%.1f %% of the decode)\n", first, 100.0 * first / decode);
        std::printf("  whole picture painted %8.1f ms\n", full);
    }
    DeleteFileA(copy.c_str());
    std::sort(firsts.begin(), firsts.end());
    const double first = firsts[1];
    const bool bandHolds = first <= 0.15 * decode;
    std::printf("  first band, median    %8.1f ms (%.1f %% of the decode; target 15 %%: %s)\n", first,
                100.0 * first / decode, bandHolds ? "holds" : "MISSED");
    ok = ok && bandHolds;

    // Full screen in and out, five times each, with the large picture shown.
    {
        double worstIn = 0, worstOut = 0, sumIn = 0, sumOut = 0;
        bool painted = true;
        const int rounds = 5;
        for (int i = 0; i < rounds; ++i) {
            const double in = TimeFullScreenCommand(IDC_FULL_SCREEN);
            const double out = TimeFullScreenCommand(IDC_LEAVE_FULL_SCREEN);
            painted = painted && in >= 0 && out >= 0;
            worstIn = std::max(worstIn, in);
            worstOut = std::max(worstOut, out);
            sumIn += in;
            sumOut += out;
        }
        const bool fullHolds = painted && worstIn < 250.0 && worstOut < 250.0;
        std::printf("full screen with that picture (%d times)\n", rounds);
        std::printf("  enter: mean %.1f ms, slowest %.1f ms; leave: mean %.1f ms, slowest %.1f ms "
                    "(target under 250 ms: %s)\n",
                    sumIn / rounds, worstIn, sumOut / rounds, worstOut, fullHolds ? "holds" : "MISSED");
        ok = ok && fullHolds;
    }

    // Stepping Next through the list.
    if (list.size() >= 2) {
        Program().openList.Clear();
        for (const std::string& path : list) Program().openList.Append(path);
        Reset();
        GoToPicture(0);
        PumpUntilPainted(60000);
        std::vector<double> steps;
        // The mean moment of each stage of a step, from the command.
        double header = 0, current = 0, laidOut = 0, firstRows = 0, loaded = 0, viewBusy = 0, paints = 0,
               frameBusy = 0;
        for (size_t i = 1; i < list.size(); ++i) {
            Reset();
            double t = Now();
            NextPicture();
            if (!PumpUntilPainted(60000)) break;
            steps.push_back(g_fullPaint - t);
            header += g_detached - t;
            current += g_shown - t;
            laidOut += g_placeEnd - t;
            firstRows += g_firstBand > 0 ? g_firstBand - t : 0;
            loaded += g_loadedAt - t;
            viewBusy += g_viewBusy;
            frameBusy += g_frameBusy;
            paints += g_paints;
        }
        std::sort(steps.begin(), steps.end());
        double sum = 0;
        for (double s : steps) sum += s;
        double worst = steps.empty() ? 0 : steps.back();
        double median = steps.empty() ? 0 : steps[steps.size() / 2];
        const double mean = steps.empty() ? 0 : sum / static_cast<double>(steps.size());
        bool stepHolds = !steps.empty() && worst < 150.0;
        const bool meanHolds = !steps.empty() && mean < 100.0;
        std::printf("next through %u pictures\n", static_cast<unsigned>(list.size()));
        std::printf("  mean %.1f ms, median %.1f ms, slowest %.1f ms (targets: mean under 100 ms: %s; "
                    "each under 150 ms: %s)\n",
                    mean, median, worst, meanHolds ? "holds" : "MISSED", stepHolds ? "holds" : "MISSED");
        // What the library's decode alone takes of the same pictures: the
        // rest of a step is the viewer's (the hand-over, the bands, the
        // scaling to the window).
        double decodes = 0;
        for (size_t i = 1; i < list.size(); ++i) decodes += DecodeOnly(list[i]);
        const double decodeMean = decodes / static_cast<double>(list.size() - 1);
        std::printf("  the decode alone: mean %.1f ms; the viewer adds %.1f ms a step\n", decodeMean,
                    mean - decodeMean);
        const double n = static_cast<double>(steps.size() ? steps.size() : 1);
        std::printf("  a step's stages (mean, from the command): header read %.1f ms, picture made current %.1f ms, "
                    "frame laid out %.1f ms, first rows painted %.1f ms, loaded %.1f ms, whole picture painted %.1f ms\n",
                    header / n, current / n, laidOut / n, firstRows / n, loaded / n, mean);
        std::printf("  the view painted %.1f times a step, for %.1f ms in all; the frame took %.1f ms on the "
                    "loader's messages (the views' bands and the status text included)\n",
                    paints / n, viewBusy / n, frameBusy / n);
        ok = ok && stepHolds && meanHolds;
    }
    StopPictureLoading();
    DestroyWindow(Program().frame);
    return ok ? 0 : 1;
}
