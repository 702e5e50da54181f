// The Implode plug-in (IMPLODE.PLS): one filter, "Implode".  Its dialog sets
// the amount with one trackbar (-1000..1000, shown as -100.0..100.0) and the
// centre with two more beside the preview; the centre is remembered for the
// next run.
#include <windows.h>
#include <commctrl.h>

#include "implode_filter.h"
#include "implode_ids.h"
#include "mapping_plugin.h"
#include "picture_plugin.h"
#include "preview_pane.h"

namespace {

// The preview is recomputed on this message, posted whenever a trackbar moves.
constexpr UINT kPreviewMessage = WM_USER + 1000;
const char kChineseName[] = "\xBC\xB7\xD1\xB9";  // "挤压" in GBK

int g_position = 0;  // the amount trackbar, p
int g_centreX = 50;  // the centre trackbars, fx and fy in hundredths
int g_centreY = 50;

HWND PreviewControl(HWND dialog) { return GetDlgItem(dialog, IDC_IMPLODE_PREVIEW); }

int TrackPosition(HWND dialog, int id) { return static_cast<int>(SendDlgItemMessageA(dialog, id, TBM_GETPOS, 0, 0)); }

void SetUpTrack(HWND dialog, int id, int low, int high, int page, int position) {
    HWND track = GetDlgItem(dialog, id);
    SendMessageA(track, TBM_SETRANGEMIN, FALSE, low);
    SendMessageA(track, TBM_SETRANGEMAX, FALSE, high);
    SendMessageA(track, TBM_SETPAGESIZE, 0, page);
    SendMessageA(track, TBM_SETPOS, TRUE, position);
}

ImplodeSettings Settings(int position, int centreX, int centreY) {
    return ImplodeSettings{ImplodeAmount(position), centreX * 0.01, centreY * 0.01};
}

void ShowValue(HWND dialog, int position) {
    char text[32];
    ImplodeValueText(position, text, sizeof text);
    SetDlgItemTextA(dialog, IDC_IMPLODE_VALUE, text);
}

INT_PTR CALLBACK ImplodeDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        const PluginPicture* picture = reinterpret_cast<const PluginPicture*>(lParam);
        MappingHost()->CenterWindow(dialog);
        PreparePreview(MappingHost(), PreviewControl(dialog), picture ? picture->working : nullptr, 1, MappingPreview());
        g_position = 0;
        SetUpTrack(dialog, IDC_IMPLODE_AMOUNT, -1000, 1000, 10, g_position);
        SetUpTrack(dialog, IDC_IMPLODE_CENTRE_X, 0, 100, 10, g_centreX);
        SetUpTrack(dialog, IDC_IMPLODE_CENTRE_Y, 0, 100, 10, g_centreY);
        SetDlgItemTextA(dialog, IDC_IMPLODE_LOW_LABEL, "-100");
        SetDlgItemTextA(dialog, IDC_IMPLODE_HIGH_LABEL, "100");
        ShowValue(dialog, g_position);
        PostMessageA(dialog, kPreviewMessage, 0, 0);
        return TRUE;
    }
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (reinterpret_cast<HWND>(lParam) == GetDlgItem(dialog, IDC_IMPLODE_AMOUNT)) {
            g_position = TrackPosition(dialog, IDC_IMPLODE_AMOUNT);
            ShowValue(dialog, g_position);
        }
        PostMessageA(dialog, kPreviewMessage, 0, 0);
        return TRUE;
    case kPreviewMessage: {
        const ImplodeSettings settings = Settings(g_position, TrackPosition(dialog, IDC_IMPLODE_CENTRE_X),
                                                  TrackPosition(dialog, IDC_IMPLODE_CENTRE_Y));
        ShowPreview(MappingHost(), PreviewControl(dialog), MappingPreview(), ImplodePreview(MappingHost(), MappingPreview()->source, settings));
        return TRUE;
    }
    case WM_DRAWITEM:
        if (wParam != IDC_IMPLODE_PREVIEW) return FALSE;
        PaintPreview(MappingHost(), PreviewControl(dialog), MappingPreview());
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            g_position = TrackPosition(dialog, IDC_IMPLODE_AMOUNT);
            g_centreX = TrackPosition(dialog, IDC_IMPLODE_CENTRE_X);
            g_centreY = TrackPosition(dialog, IDC_IMPLODE_CENTRE_Y);
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
    return ImplodePicture(host, picture, Settings(g_position, g_centreX, g_centreY));
}

const MappingPluginParts kParts = {"Implode", kChineseName, ImplodeDialog, Apply};

}  // namespace

extern "C" PictureFilter* WINAPI InitPicturePlugins(DWORD codePage, const PictureHostServices* host) {
    return StartMappingPlugin(&kParts, codePage, host);
}

extern "C" void WINAPI FreePicturePlugins(void) { StopMappingPlugin(); }
