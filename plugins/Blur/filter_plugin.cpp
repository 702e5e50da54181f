#include "filter_plugin.h"

#include <commctrl.h>

namespace {

const FilterPluginParts* g_parts = nullptr;
const PictureHostServices* g_host = nullptr;
DWORD g_codePage = 0;
PictureFilter g_filter = {};

// The open dialog's preview: the scaled-down working copy it is computed
// from, the last result and where that was painted.
PluginDib* g_previewSource = nullptr;
PluginDib* g_previewResult = nullptr;
RECT g_previewRect = {};

HMODULE ThisModule() {
    MEMORY_BASIC_INFORMATION info = {};
    VirtualQuery(reinterpret_cast<const void*>(&ThisModule), &info, sizeof info);
    return static_cast<HMODULE>(info.AllocationBase);
}

void FreePreview() {
    if (g_host) {
        g_host->FreeDib(g_previewResult);
        g_host->FreeDib(g_previewSource);
    }
    g_previewResult = g_previewSource = nullptr;
    SetRectEmpty(&g_previewRect);
}

// The last result in the middle of the preview control, the rest of the
// control in the window colour (all of it when there is no result).
void PaintPreview(HWND dialog) {
    HWND control = GetDlgItem(dialog, kPreviewControl);
    if (!control) return;
    if (g_previewResult && g_host->DrawDibCentered(control, g_previewResult, &g_previewRect)) {
        g_host->EraseAround(control, &g_previewRect);
    } else {
        SetRectEmpty(&g_previewRect);
        g_host->EraseAround(control, nullptr);
    }
}

void RecomputePreview(HWND dialog) {
    g_host->FreeDib(g_previewResult);
    g_previewResult = g_previewSource ? g_parts->preview(g_host, g_previewSource) : nullptr;
    PaintPreview(dialog);
}

void AskForPreview(HWND dialog) { PostMessageA(dialog, PICTURE_PLUGIN_PREVIEW_MESSAGE, 0, 0); }

// The working copy scaled to fit the preview control, at least 4 x 4.
void MakePreviewSource(HWND dialog, const PluginPicture* picture) {
    RECT box = {};
    GetClientRect(GetDlgItem(dialog, kPreviewControl), &box);
    const PluginDib* working = picture ? picture->working : nullptr;
    if (!working || !working->header) return;
    const LONG width = working->header->biWidth;
    const LONG height = working->header->biHeight < 0 ? -working->header->biHeight : working->header->biHeight;
    LONG previewWidth = 0, previewHeight = 0;
    g_host->FitSize(&box, width, height, &previewWidth, &previewHeight);
    if (previewWidth < 4) previewWidth = 4;
    if (previewHeight < 4) previewHeight = 4;
    g_previewSource = g_host->ScaleDib(working, previewWidth, previewHeight);
}

INT_PTR CALLBACK FilterDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        g_host->CenterWindow(dialog);
        MakePreviewSource(dialog, reinterpret_cast<const PluginPicture*>(lParam));
        g_parts->start(dialog, g_codePage == PICTURE_PLUGIN_CHINESE_CODE_PAGE);
        AskForPreview(dialog);
        return TRUE;
    case PICTURE_PLUGIN_PREVIEW_MESSAGE:
        RecomputePreview(dialog);
        return TRUE;
    case WM_DRAWITEM:
        // The preview control is owner-drawn, so whenever the dialog paints
        // it the last result is painted again.
        if (wParam == kPreviewControl) {
            PaintPreview(dialog);
            return TRUE;
        }
        break;
    case WM_HSCROLL:
        if (g_parts->changed(dialog, message, wParam, lParam)) AskForPreview(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            g_parts->accept(dialog);
            EndDialog(dialog, 1);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        }
        if (g_parts->changed(dialog, message, wParam, lParam)) AskForPreview(dialog);
        return TRUE;
    }
    return FALSE;
}

DWORD WINAPI RunFilter(HWND owner, PluginPicture* picture) {
    if (!g_parts || !g_host || !picture || !picture->working) return 0;
    InitCommonControls();
    const int dialog =
        g_codePage == PICTURE_PLUGIN_CHINESE_CODE_PAGE ? PICTURE_PLUGIN_DIALOG_CHINESE : g_parts->englishDialog;
    // The dialog templates are Unicode; a Unicode dialog shows the Chinese
    // ones right whatever the system's ANSI code page is.
    const INT_PTR answer = DialogBoxParamW(ThisModule(), MAKEINTRESOURCEW(dialog), owner, FilterDialogProc,
                                           reinterpret_cast<LPARAM>(picture));
    FreePreview();
    if (answer <= 0) return 0;
    PluginPicture* made = g_parts->apply(g_host, picture);
    if (!made) return 0;
    g_host->RefreshPictureDisplay(made);
    g_host->SetCurrentPicture(made);
    return static_cast<DWORD>(answer);
}

}  // namespace

PictureFilter* StartFilterPlugin(const FilterPluginParts* parts, DWORD codePage, const PictureHostServices* host) {
    g_parts = parts;
    g_host = host;
    g_codePage = codePage;
    if (!parts || !host) return nullptr;
    g_filter.name = codePage == PICTURE_PLUGIN_CHINESE_CODE_PAGE ? parts->chineseName : parts->englishName;
    g_filter.run = RunFilter;
    g_filter.next = nullptr;
    return &g_filter;
}

void StopFilterPlugin() {
    FreePreview();
    g_host = nullptr;
    g_filter = PictureFilter{};
}
