#include "mapping_plugin.h"

#include <commctrl.h>

#include "mapping_run.h"
#include "processor.h"

namespace {

const MappingPluginParts* g_parts = nullptr;
const PictureHostServices* g_host = nullptr;
DWORD g_codePage = 0;
PictureFilter g_filter = {nullptr, nullptr, nullptr};
PreviewPane g_preview;

// The plug-in library this code is linked into.
HMODULE ThisModule() {
    MEMORY_BASIC_INFORMATION info = {};
    VirtualQuery(reinterpret_cast<const void*>(&ThisModule), &info, sizeof info);
    return static_cast<HMODULE>(info.AllocationBase);
}

DWORD WINAPI RunMapping(HWND owner, PluginPicture* picture) {
    if (!g_parts || !g_host || !picture || !picture->working || !picture->working->header) return 0;
    const INT_PTR answer = DialogBoxParamA(ThisModule(), MAKEINTRESOURCEA(DialogForCodePage(g_codePage)), owner,
                                           g_parts->dialog, reinterpret_cast<LPARAM>(picture));
    if (answer <= 0) return 0;
    PluginPicture* result = g_parts->apply(g_host, picture);
    if (!result) return 0;
    g_host->RefreshPictureDisplay(result);
    g_host->SetCurrentPicture(result);
    return static_cast<DWORD>(answer);
}

}  // namespace

PictureFilter* StartMappingPlugin(const MappingPluginParts* parts, DWORD codePage, const PictureHostServices* host) {
    if (!parts || !host || !ProcessorHasSse2()) return nullptr;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    g_parts = parts;
    g_host = host;
    g_codePage = codePage;
    g_filter.name = NameForCodePage(codePage, parts->englishName, parts->chineseName);
    g_filter.run = RunMapping;
    g_filter.next = nullptr;
    return &g_filter;
}

void StopMappingPlugin() {
    if (g_host) ReleasePreview(g_host, &g_preview);
    g_host = nullptr;
    g_filter = PictureFilter{nullptr, nullptr, nullptr};
}

const PictureHostServices* MappingHost() { return g_host; }

PreviewPane* MappingPreview() { return &g_preview; }
