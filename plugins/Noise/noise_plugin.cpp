// The Noise plug-in: a drop-down list of the six noise kinds (English names,
// or Chinese ones for code page 936), the chosen name shown below it.
#include <windows.h>
#include <commctrl.h>

#include "filter_plugin.h"
#include "noise_filter.h"
#include "picture_plugin.h"

namespace {

constexpr int kEnglishDialog = 103;
constexpr int kShownName = 1005;
constexpr int kTypeList = 1006;

const wchar_t* const kEnglishTypes[kNoiseTypeCount] = {
    L"UniformNoise", L"GaussianNoise", L"MultiplicativeGaussianNoise",
    L"ImpulseNoise", L"LaplacianNoise", L"PoissonNoise",
};
const wchar_t* const kChineseTypes[kNoiseTypeCount] = {
    L"均匀噪声", L"高斯噪声", L"乘性高斯噪声", L"脉冲噪声", L"拉普拉斯噪声", L"泊松噪声",
};

int g_type = kUniformNoise;
const wchar_t* const* g_names = kEnglishTypes;

int SelectedType(HWND dialog) {
    const LRESULT selected = SendDlgItemMessageA(dialog, kTypeList, CB_GETCURSEL, 0, 0);
    return selected >= 0 && selected < kNoiseTypeCount ? static_cast<int>(selected) : kUniformNoise;
}

void Start(HWND dialog, bool chinese) {
    g_type = kUniformNoise;
    g_names = chinese ? kChineseTypes : kEnglishTypes;
    // The names go in as UTF-16, so the Chinese ones read right whatever
    // the system's ANSI code page is.
    for (int i = 0; i < kNoiseTypeCount; ++i)
        SendDlgItemMessageW(dialog, kTypeList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(g_names[i]));
    SendDlgItemMessageA(dialog, kTypeList, CB_SETCURSEL, g_type, 0);
    SetDlgItemTextW(dialog, kShownName, g_names[g_type]);
}

bool Changed(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message != WM_COMMAND || LOWORD(wParam) != kTypeList || HIWORD(wParam) != CBN_SELCHANGE) return false;
    g_type = SelectedType(dialog);
    SetDlgItemTextW(dialog, kShownName, g_names[g_type]);
    return true;
}

void Accept(HWND dialog) { g_type = SelectedType(dialog); }

PluginDib* Preview(const PictureHostServices* host, const PluginDib* source) { return NoiseDib(host, source, g_type); }

PluginPicture* Apply(const PictureHostServices* host, const PluginPicture* picture) {
    return NoisePicture(host, picture, g_type);
}

const FilterPluginParts kParts = {"Noise", "\xD4\xEB\xC9\xF9" /* 噪声 */, kEnglishDialog, Start, Changed, Accept,
                                  Preview, Apply};

}  // namespace

extern "C" PictureFilter* WINAPI InitPicturePlugins(DWORD codePage, const PictureHostServices* host) {
    return StartFilterPlugin(&kParts, codePage, host);
}

extern "C" void WINAPI FreePicturePlugins(void) { StopFilterPlugin(); }
