// A plug-in for the host's tests, built in three forms: FILTER_COUNT filters
// that invert the picture into a new one; with FAULT_ON_RUN, filters that
// open the current file (where the test makes the image library fail); with
// FREE_ONLY, a library that exports FreePicturePlugins alone.
#include <windows.h>

#include <cstdio>

#include "picture_plugin.h"

#ifndef FILTER_COUNT
#define FILTER_COUNT 3
#endif

namespace {

const PictureHostServices* g_host = nullptr;
#ifndef FREE_ONLY
char g_names[FILTER_COUNT][32];
PictureFilter g_filters[FILTER_COUNT];

DWORD WINAPI Run(HWND, PluginPicture* picture) {
#ifdef FAULT_ON_RUN
    (void)picture;
    HANDLE file = g_host->OpenCurrentFile();
    g_host->CloseCurrentFile(file);
    return 0;
#else
    const LONG width = picture->working->header->biWidth;
    LONG height = picture->working->header->biHeight;
    if (height < 0) height = -height;
    PluginPicture* made = g_host->CreatePicture(width, height);
    if (!made) return 0;
    const DWORD* in = reinterpret_cast<const DWORD*>(picture->working->pixels);
    DWORD* out = reinterpret_cast<DWORD*>(made->working->pixels);
    for (LONG i = 0; i < width * height; ++i) out[i] = ~in[i] & 0x00FFFFFF;
    g_host->RefreshPictureDisplay(made);
    g_host->SetCurrentPicture(made);
    return 1;
#endif
}
#endif

}  // namespace

extern "C" {

#ifndef FREE_ONLY
PictureFilter* WINAPI InitPicturePlugins(DWORD codePage, const PictureHostServices* host) {
    g_host = host;
    for (int i = 0; i < FILTER_COUNT; ++i) {
        std::snprintf(g_names[i], sizeof g_names[i], "%sFilter %d", codePage == 936 ? "CP936 " : "", i + 1);
        g_filters[i].name = g_names[i];
        g_filters[i].run = Run;
        g_filters[i].next = i + 1 < FILTER_COUNT ? &g_filters[i + 1] : nullptr;
    }
    return &g_filters[0];
}
#endif

void WINAPI FreePicturePlugins() { g_host = nullptr; }
}
