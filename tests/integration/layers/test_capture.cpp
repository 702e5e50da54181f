// A capture library for the tests: records the window it is given and how
// often, which the tests read back through its own exports.  Its counters
// live as long as the library stays loaded.
#include <windows.h>

namespace {

HWND g_window = nullptr;
int g_calls = 0;

}  // namespace

extern "C" int WINAPI InitCaptuerVideo(HWND frame) {
    g_window = frame;
    ++g_calls;
    return 1;
}

extern "C" HWND WINAPI CapturedWindow() { return g_window; }
extern "C" int WINAPI CaptureCalls() { return g_calls; }
