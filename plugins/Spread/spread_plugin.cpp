// The Spread plug-in (menu text "Rain"): one trackbar (positions -1..99)
// choosing the amount m = position + 1, shown as m.
#include <windows.h>
#include <commctrl.h>

#include "filter_plugin.h"
#include "picture_plugin.h"
#include "spread_filter.h"

namespace {

constexpr int kTrackbar = 1001;
constexpr int kValue = 1002;

int g_amount = 0;

int PositionOf(HWND dialog) { return static_cast<int>(SendDlgItemMessageA(dialog, kTrackbar, TBM_GETPOS, 0, 0)); }

void Start(HWND dialog, bool) {
    g_amount = 0;
    HWND bar = GetDlgItem(dialog, kTrackbar);
    // The range starts below 0, so the two ends go separately.
    SendMessageA(bar, TBM_SETRANGEMIN, FALSE, kSpreadFirstPosition);
    SendMessageA(bar, TBM_SETRANGEMAX, FALSE, kSpreadLastPosition);
    SendMessageA(bar, TBM_SETPAGESIZE, 0, 10);
    SendMessageA(bar, TBM_SETTICFREQ, 1, 0);
    SendMessageA(bar, TBM_SETPOS, TRUE, kSpreadFirstPosition);
    SetDlgItemInt(dialog, kValue, g_amount, TRUE);
}

bool Changed(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_HSCROLL || reinterpret_cast<HWND>(lParam) != GetDlgItem(dialog, kTrackbar)) return false;
    g_amount = SpreadAmountAt(PositionOf(dialog));
    SetDlgItemInt(dialog, kValue, g_amount, TRUE);
    return true;
}

void Accept(HWND dialog) { g_amount = SpreadAmountAt(PositionOf(dialog)); }

PluginDib* Preview(const PictureHostServices* host, const PluginDib* source) {
    return SpreadDib(host, source, g_amount);
}

PluginPicture* Apply(const PictureHostServices* host, const PluginPicture* picture) {
    return SpreadPicture(host, picture, g_amount);
}

const FilterPluginParts kParts = {"Rain", "\xD3\xEA\xB5\xCE" /* 雨滴 */, PICTURE_PLUGIN_DIALOG_ENGLISH, Start,
                                  Changed, Accept, Preview, Apply};

}  // namespace

extern "C" PictureFilter* WINAPI InitPicturePlugins(DWORD codePage, const PictureHostServices* host) {
    return StartFilterPlugin(&kParts, codePage, host);
}

extern "C" void WINAPI FreePicturePlugins(void) { StopFilterPlugin(); }
