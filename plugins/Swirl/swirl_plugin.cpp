// The Swirl plug-in (Swirl.PLS): one filter, "Swirl", with a dialog whose
// trackbar sets the angle value -360..360 and whose preview follows it.
#include <windows.h>
#include <commctrl.h>

#include "picture_plugin.h"
#include "preview_pane.h"
#include "swirl_filter.h"
#include "swirl_ids.h"

namespace {

// The preview is recomputed on this message, posted whenever the angle moves.
constexpr UINT kPreviewMessage = WM_USER + 1001;
const char kChineseName[] = "\xE4\xF6\xCE\xD0";  // "漩涡" in GBK

HINSTANCE g_module = nullptr;
const PictureHostServices* g_host = nullptr;
DWORD g_codePage = 0;
PictureFilter g_filter = {nullptr, nullptr, nullptr};
int g_value = 0;  // the angle value v
PreviewPane g_preview;

HWND PreviewControl(HWND dialog) { return GetDlgItem(dialog, IDC_SWIRL_PREVIEW); }

void ShowValue(HWND dialog) { SetDlgItemInt(dialog, IDC_SWIRL_VALUE, static_cast<UINT>(g_value), TRUE); }

INT_PTR CALLBACK SwirlDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        const PluginPicture* picture = reinterpret_cast<const PluginPicture*>(lParam);
        g_host->CenterWindow(dialog);
        PreparePreview(g_host, PreviewControl(dialog), picture ? picture->working : nullptr, 1, &g_preview);
        g_value = 0;
        HWND angle = GetDlgItem(dialog, IDC_SWIRL_ANGLE);
        SendMessageA(angle, TBM_SETRANGEMIN, FALSE, -360);
        SendMessageA(angle, TBM_SETRANGEMAX, FALSE, 360);
        SendMessageA(angle, TBM_SETPAGESIZE, 0, 2);
        SendMessageA(angle, TBM_SETTICFREQ, 1, 0);
        SendMessageA(angle, TBM_SETPOS, TRUE, g_value);
        ShowValue(dialog);
        PostMessageA(dialog, kPreviewMessage, 0, 0);
        return TRUE;
    }
    case WM_HSCROLL:
        if (reinterpret_cast<HWND>(lParam) == GetDlgItem(dialog, IDC_SWIRL_ANGLE)) {
            g_value = static_cast<int>(SendMessageA(reinterpret_cast<HWND>(lParam), TBM_GETPOS, 0, 0));
            ShowValue(dialog);
            PostMessageA(dialog, kPreviewMessage, 0, 0);
        }
        return TRUE;
    case kPreviewMessage:
        ShowPreview(g_host, PreviewControl(dialog), &g_preview, SwirlPreview(g_host, g_preview.source, g_value));
        return TRUE;
    case WM_DRAWITEM:
        if (wParam != IDC_SWIRL_PREVIEW) return FALSE;
        PaintPreview(g_host, PreviewControl(dialog), &g_preview);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            g_value = static_cast<int>(SendDlgItemMessageA(dialog, IDC_SWIRL_ANGLE, TBM_GETPOS, 0, 0));
            EndDialog(dialog, 1);
        } else if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 0);
        }
        return TRUE;
    case WM_DESTROY:
        ReleasePreview(g_host, &g_preview);
        return FALSE;
    }
    return FALSE;
}

DWORD WINAPI RunSwirl(HWND owner, PluginPicture* picture) {
    if (!g_host || !picture || !picture->working) return 0;
    const INT_PTR answer = DialogBoxParamA(g_module, MAKEINTRESOURCEA(DialogForCodePage(g_codePage)), owner,
                                           SwirlDialog, reinterpret_cast<LPARAM>(picture));
    if (answer <= 0) return 0;
    PluginPicture* result = SwirlPicture(g_host, picture, g_value);
    if (!result) return 0;
    g_host->RefreshPictureDisplay(result);
    g_host->SetCurrentPicture(result);
    return static_cast<DWORD>(answer);
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_module = module;
    return TRUE;
}

PictureFilter* WINAPI InitPicturePlugins(DWORD codePage, const PictureHostServices* host) {
    if (!host || !ProcessorCanMap()) return nullptr;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    g_host = host;
    g_codePage = codePage;
    g_filter.name = NameForCodePage(codePage, "Swirl", kChineseName);
    g_filter.run = RunSwirl;
    g_filter.next = nullptr;
    return &g_filter;
}

void WINAPI FreePicturePlugins(void) {
    if (g_host) ReleasePreview(g_host, &g_preview);
    g_host = nullptr;
    g_filter = PictureFilter{nullptr, nullptr, nullptr};
}

}  // extern "C"
