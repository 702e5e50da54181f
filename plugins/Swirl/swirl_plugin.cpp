// The Swirl plug-in (Swirl.PLS): one filter, "Swirl", with a dialog whose
// trackbar sets the angle value -360..360 and whose preview follows it.
#include <windows.h>
#include <commctrl.h>

#include "mapping_plugin.h"
#include "picture_plugin.h"
#include "preview_pane.h"
#include "swirl_filter.h"
#include "swirl_ids.h"

namespace {

// The preview is recomputed on this message, posted whenever the angle moves.
constexpr UINT kPreviewMessage = WM_USER + 1001;
const char kChineseName[] = "\xE4\xF6\xCE\xD0";  // "漩涡" in GBK

int g_value = 0;  // the angle value v

HWND PreviewControl(HWND dialog) { return GetDlgItem(dialog, IDC_SWIRL_PREVIEW); }

void ShowValue(HWND dialog) { SetDlgItemInt(dialog, IDC_SWIRL_VALUE, static_cast<UINT>(g_value), TRUE); }

INT_PTR CALLBACK SwirlDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        const PluginPicture* picture = reinterpret_cast<const PluginPicture*>(lParam);
        MappingHost()->CenterWindow(dialog);
        PreparePreview(MappingHost(), PreviewControl(dialog), picture ? picture->working : nullptr, 1, MappingPreview());
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
        ShowPreview(MappingHost(), PreviewControl(dialog), MappingPreview(), SwirlPreview(MappingHost(), MappingPreview()->source, g_value));
        return TRUE;
    case WM_DRAWITEM:
        if (wParam != IDC_SWIRL_PREVIEW) return FALSE;
        PaintPreview(MappingHost(), PreviewControl(dialog), MappingPreview());
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
        ReleasePreview(MappingHost(), MappingPreview());
        return FALSE;
    }
    return FALSE;
}

PluginPicture* Apply(const PictureHostServices* host, const PluginPicture* picture) {
    return SwirlPicture(host, picture, g_value);
}

const MappingPluginParts kParts = {"Swirl", kChineseName, SwirlDialog, Apply};

}  // namespace

extern "C" PictureFilter* WINAPI InitPicturePlugins(DWORD codePage, const PictureHostServices* host) {
    return StartMappingPlugin(&kParts, codePage, host);
}

extern "C" void WINAPI FreePicturePlugins(void) { StopMappingPlugin(); }
