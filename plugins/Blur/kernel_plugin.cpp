// The Blur plug-in, and built with KERNEL_PLUGIN_SHARPEN the Sharpen plug-in:
// one trackbar (positions 3..8) choosing the kernel size a = 2 x position - 3,
// its value shown as position - 3 (0..5).
#include <windows.h>
#include <commctrl.h>

#include "filter_plugin.h"
#include "kernel_filter.h"
#include "picture_plugin.h"

namespace {

#ifdef KERNEL_PLUGIN_SHARPEN
constexpr KernelKind kKind = KernelKind::Sharpen;
constexpr const char* kEnglishName = "Sharp";
constexpr const char* kChineseName = "\xC8\xF1\xBB\xAF";  // 锐化
#else
constexpr KernelKind kKind = KernelKind::Blur;
constexpr const char* kEnglishName = "Blur";
constexpr const char* kChineseName = "\xC4\xA3\xBA\xFD";  // 模糊
#endif

constexpr int kTrackbar = 1001;
constexpr int kValue = 1002;

int g_size = 3;  // the kernel size a

int PositionOf(HWND dialog) { return static_cast<int>(SendDlgItemMessageA(dialog, kTrackbar, TBM_GETPOS, 0, 0)); }

void ShowValue(HWND dialog, int position) { SetDlgItemInt(dialog, kValue, position - kKernelFirstPosition, TRUE); }

void Start(HWND dialog, bool) {
    g_size = 3;
    HWND bar = GetDlgItem(dialog, kTrackbar);
    SendMessageA(bar, TBM_SETRANGE, FALSE, MAKELPARAM(kKernelFirstPosition, kKernelLastPosition));
    SendMessageA(bar, TBM_SETPAGESIZE, 0, 2);
    SendMessageA(bar, TBM_SETTICFREQ, 1, 0);
    SendMessageA(bar, TBM_SETPOS, TRUE, kKernelFirstPosition);
    ShowValue(dialog, kKernelFirstPosition);
}

bool Changed(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_HSCROLL || reinterpret_cast<HWND>(lParam) != GetDlgItem(dialog, kTrackbar)) return false;
    const int position = PositionOf(dialog);
    g_size = KernelSizeAt(position);
    ShowValue(dialog, position);
    return true;
}

void Accept(HWND dialog) { g_size = KernelSizeAt(PositionOf(dialog)); }

PluginDib* Preview(const PictureHostServices* host, const PluginDib* source) {
    return KernelFilterDib(host, source, kKind, g_size);
}

PluginPicture* Apply(const PictureHostServices* host, const PluginPicture* picture) {
    return KernelFilterPicture(host, picture, kKind, g_size);
}

const FilterPluginParts kParts = {kEnglishName, kChineseName, PICTURE_PLUGIN_DIALOG_ENGLISH, Start, Changed,
                                  Accept, Preview, Apply};

}  // namespace

extern "C" PictureFilter* WINAPI InitPicturePlugins(DWORD codePage, const PictureHostServices* host) {
    return StartFilterPlugin(&kParts, codePage, host);
}

extern "C" void WINAPI FreePicturePlugins(void) { StopFilterPlugin(); }
