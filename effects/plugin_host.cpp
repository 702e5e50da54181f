#include "plugin_host.h"

#include <setjmp.h>

#include "document.h"
#include "effect_host.h"
#include "load.h"
#include "plugin_services.h"
#include "resource_ids.h"
#include "program.h"
#include "win_guards.h"

namespace {

constexpr int kGrowth = 16;

struct LoadedPlugin {
    HMODULE module;
    PFN_InitPicturePlugins init;
    PFN_FreePicturePlugins free;
};

// Both arrays are LocalAlloc memory, first sized for 16 entries and grown
// by 16.
LoadedPlugin* g_plugins = nullptr;
int g_pluginCount = 0, g_pluginRoom = 0;
const PictureFilter** g_filters = nullptr;
int g_filterCount = 0, g_filterRoom = 0;

template <class T>
bool Grow(T*& array, int count, int* room) {
    if (array && count < *room) return true;
    T* larger = static_cast<T*>(LocalAlloc(LMEM_FIXED | LMEM_ZEROINIT, sizeof(T) * static_cast<size_t>(*room + kGrowth)));
    if (!larger) return false;
    if (array) {
        CopyMemory(larger, array, sizeof(T) * static_cast<size_t>(count));
        LocalFree(array);
    }
    array = larger;
    *room += kGrowth;
    return true;
}

void FreeFilterArray() {
    if (g_filters) LocalFree(g_filters);
    g_filters = nullptr;
    g_filterCount = g_filterRoom = 0;
}

// Asks every plug-in for its filters, in load order.
void CollectFilters(DWORD codePage) {
    FreeFilterArray();
    if (!Grow(g_filters, 0, &g_filterRoom)) return;
    for (int i = 0; i < g_pluginCount; ++i) {
        const PictureFilter* filter = g_plugins[i].init(codePage, PluginServices());
        for (; filter; filter = filter->next) {
            if (!Grow(g_filters, g_filterCount, &g_filterRoom)) return;
            g_filters[g_filterCount++] = filter;
        }
    }
}

void AppendMenuItems(HMENU menu) {
    if (!menu || g_filterCount == 0) return;
    HMENU process = GetSubMenu(menu, kProcessMenuPosition);
    if (!process) return;
    AppendMenuA(process, MF_SEPARATOR, 0, nullptr);
    for (int i = 0; i < g_filterCount; ++i)
        AppendMenuA(process, MF_STRING, kFirstPluginCommand + static_cast<UINT>(i),
                    g_filters[i]->name ? g_filters[i]->name : "");
}

// Runs the filter under a recovery point: a fatal error inside the image
// library jumps back here.  -1 when it did.  The point lasts as long as the
// run (dialog and preview included).
DWORD RunGuarded(const PictureFilter* filter, HWND frame, Picture* picture) {
    jmp_buf jump;
    RecoveryScope scope;
    if (LorimelRecoveryPoint(jump) != 0) {
        scope.Jumped();
        return static_cast<DWORD>(-1);
    }
    return filter->run(frame, reinterpret_cast<PluginPicture*>(picture));
}

}  // namespace

int LoadPlugins(const std::string& directory, DWORD codePage, HMENU menu) {
    if (g_plugins || g_filters) UnloadPlugins();
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "*.PLS").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        OwnedModule module(LoadLibraryA((directory + found.cFileName).c_str()));
        if (!module) continue;
        auto init = reinterpret_cast<PFN_InitPicturePlugins>(
            reinterpret_cast<void*>(GetProcAddress(module, PICTURE_PLUGIN_INIT)));
        auto free = reinterpret_cast<PFN_FreePicturePlugins>(
            reinterpret_cast<void*>(GetProcAddress(module, PICTURE_PLUGIN_FREE)));
        if (!init) continue;
        if (!Grow(g_plugins, g_pluginCount, &g_pluginRoom)) break;
        g_plugins[g_pluginCount++] = LoadedPlugin{module.release(), init, free};
    } while (FindNextFileA(search, &found));
    FindClose(search);
    if (g_pluginCount == 0) return 0;
    CollectFilters(codePage);
    if (!g_filters) {
        UnloadPlugins();
        return 0;
    }
    AppendMenuItems(menu);
    return g_filterCount;
}

int ReloadPlugins(DWORD codePage, HMENU menu) {
    if (g_pluginCount == 0) return 0;
    for (int i = 0; i < g_pluginCount; ++i)
        if (g_plugins[i].free) g_plugins[i].free();
    CollectFilters(codePage);
    AppendMenuItems(menu);
    return g_filterCount;
}

void UnloadPlugins() {
    for (int i = 0; i < g_pluginCount; ++i) {
        if (g_plugins[i].free) g_plugins[i].free();
        FreeLibrary(g_plugins[i].module);
    }
    if (g_plugins) LocalFree(g_plugins);
    g_plugins = nullptr;
    g_pluginCount = g_pluginRoom = 0;
    FreeFilterArray();
}

int PluginFilterCount() { return g_filterCount; }

const PictureFilter* PluginFilterAt(int index) {
    return index >= 0 && index < g_filterCount ? g_filters[index] : nullptr;
}

int RunPluginCommand(HWND frame, UINT id) {
    if (!g_filters || id < kFirstPluginCommand || id >= kFirstPluginCommand + static_cast<UINT>(g_filterCount))
        return 0;
    const PictureFilter* filter = g_filters[id - kFirstPluginCommand];
    Picture* picture = CurrentDocument().picture;
    if (!picture || !filter->run) return 1;
    const DWORD result = RunGuarded(filter, frame, picture);
    if (result == static_cast<DWORD>(-1)) {
        MessageBoxA(frame, ResourceString(IDS_PLUGIN_ERROR).c_str(), ResourceString(IDS_ERROR_TITLE).c_str(),
                    MB_OK | MB_ICONERROR);
        return 1;
    }
    // The filter made its picture current (the old one is freed): the views
    // take it, the frame fits itself around it, the texts follow.
    if (result) HostShowProcessedPicture(frame, ProcessedChange::NewSize);
    return 1;
}
