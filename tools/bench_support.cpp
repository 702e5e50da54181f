#include "bench_support.h"

#include <stdlib.h>

#include <cstring>

namespace {

LONGLONG CounterFrequency() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    return frequency.QuadPart;
}

LONGLONG CounterNow() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

}  // namespace

double BenchSeconds() {
    const LONGLONG frequency = CounterFrequency();
    return static_cast<double>(CounterNow()) / static_cast<double>(frequency);
}

double BenchNow() {
    const LONGLONG frequency = CounterFrequency();
    return static_cast<double>(CounterNow()) * 1000.0 / static_cast<double>(frequency);
}

void FillPhotoLike(DWORD* pixels, LONG width, LONG height) {
    DWORD seed = 0x12345678;
    DWORD* p = pixels;
    for (LONG y = 0; y < height; ++y)
        for (LONG x = 0; x < width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const DWORD noise = seed >> 8;
            const DWORD r = (x * 255 / width + (noise & 31)) & 0xFF;
            const DWORD g = (y * 255 / height + ((noise >> 5) & 31)) & 0xFF;
            const DWORD b = ((x + y) * 255 / (width + height) + ((noise >> 10) & 63)) & 0xFF;
            *p++ = r << 16 | g << 8 | b;
        }
}

int RunsFromArguments(int argc, char** argv, int runs) {
    for (int i = 1; i < argc; ++i)
        if (!std::strcmp(argv[i], "--runs") && i + 1 < argc) runs = std::atoi(argv[++i]);
    return runs < 1 ? 1 : runs;
}

namespace {

struct ControlSearch {
    int controlId;
    HWND found;
};

BOOL CALLBACK HoldsControl(HWND window, LPARAM search) {
    auto* s = reinterpret_cast<ControlSearch*>(search);
    if (GetDlgItem(window, s->controlId)) s->found = window;
    return TRUE;
}

}  // namespace

HWND ThreadWindowWithControl(int controlId) {
    ControlSearch search = {controlId, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), HoldsControl, reinterpret_cast<LPARAM>(&search));
    return search.found;
}
