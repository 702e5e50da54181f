// The Wave plug-in (Undulo.PLS): one filter, "Wave Picture".  Its dialog
// sets the wavelength (4 .. 2 × width) and the amplitude (4 .. height), each
// with a trackbar and an edit box kept together; the preview and the full
// run use the same fractions of the width and the height.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>

#include "mapping_plugin.h"
#include "picture_plugin.h"
#include "preview_pane.h"
#include "undulo_ids.h"
#include "wave_filter.h"

namespace {

// The preview is recomputed on this message, posted whenever a value changes.
constexpr UINT kPreviewMessage = WM_USER + 1000;
constexpr int kLeast = 4;
const char kChineseName[] = "\xB2\xA8\xC0\xCB\xCD\xBC\xCF\xF1";  // "波浪图像" in GBK

int g_width = 0, g_height = 0;       // the picture's
int g_length = 0, g_amplitude = 0;   // L and A as the controls show them
double g_lengthRatio = 0.0;          // L / width, A / height as last previewed
double g_amplitudeRatio = 0.0;

HWND PreviewControl(HWND dialog) { return GetDlgItem(dialog, IDC_WAVE_PREVIEW); }

int Highest(int id) { return id == IDC_WAVE_LENGTH_EDIT ? 2 * g_width : g_height; }

int Clamp(long value, int highest) {
    if (highest < kLeast) highest = kLeast;
    if (value > highest) return highest;
    if (value < kLeast) return kLeast;
    return static_cast<int>(value);
}

void SetUpTrack(HWND dialog, int id, int highest, int position) {
    HWND track = GetDlgItem(dialog, id);
    SendMessageA(track, TBM_SETRANGEMIN, FALSE, kLeast);
    SendMessageA(track, TBM_SETRANGEMAX, FALSE, highest < kLeast ? kLeast : highest);
    SendMessageA(track, TBM_SETPOS, TRUE, position);
}

// An edit box changed: its number, limited to the trackbar's range, moves
// the trackbar and asks for a preview.  The box keeps what was typed until
// it loses the focus.
void EditChanged(HWND dialog, int edit) {
    char text[32] = {};
    GetDlgItemTextA(dialog, edit, text, sizeof text);
    const int value = Clamp(std::strtol(text, nullptr, 10), Highest(edit));
    const int track = edit == IDC_WAVE_LENGTH_EDIT ? IDC_WAVE_LENGTH : IDC_WAVE_AMPLITUDE;
    (edit == IDC_WAVE_LENGTH_EDIT ? g_length : g_amplitude) = value;
    SendDlgItemMessageA(dialog, track, TBM_SETPOS, TRUE, value);
    PostMessageA(dialog, kPreviewMessage, 0, 0);
}

void Preview(HWND dialog) {
    g_lengthRatio = static_cast<double>(g_length) / g_width;
    g_amplitudeRatio = static_cast<double>(g_amplitude) / g_height;
    PluginDib* source = MappingPreview()->source;
    PluginDib* fresh = nullptr;
    if (source) {
        const LONG width = source->header->biWidth;
        const LONG height = source->header->biHeight < 0 ? -source->header->biHeight : source->header->biHeight;
        fresh = WavePreview(MappingHost(), source, WaveSettings{width * g_lengthRatio, height * g_amplitudeRatio});
    }
    ShowPreview(MappingHost(), PreviewControl(dialog), MappingPreview(), fresh);
}

INT_PTR CALLBACK WaveDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        const PluginPicture* picture = reinterpret_cast<const PluginPicture*>(lParam);
        const PluginDib* working = picture ? picture->working : nullptr;
        MappingHost()->CenterWindow(dialog);
        // The preview leaves room for the taller result: fitted as if the
        // picture were three times as high, a third of that high.
        PreparePreview(MappingHost(), PreviewControl(dialog), working, 3, MappingPreview());
        g_width = working ? working->header->biWidth : 1;
        g_height = working ? std::abs(working->header->biHeight) : 1;
        g_length = g_width;
        g_amplitude = g_height / 4;
        SetUpTrack(dialog, IDC_WAVE_LENGTH, 2 * g_width, g_length);
        SetUpTrack(dialog, IDC_WAVE_AMPLITUDE, g_height, g_amplitude);
        SetDlgItemInt(dialog, IDC_WAVE_LENGTH_LOW, kLeast, FALSE);
        SetDlgItemInt(dialog, IDC_WAVE_AMPLITUDE_LOW, kLeast, FALSE);
        SetDlgItemInt(dialog, IDC_WAVE_LENGTH_HIGH, g_width, FALSE);
        SetDlgItemInt(dialog, IDC_WAVE_AMPLITUDE_HIGH, g_height, FALSE);
        // Each box then limits its value and asks for the first preview.
        SetDlgItemInt(dialog, IDC_WAVE_LENGTH_EDIT, g_length, FALSE);
        SetDlgItemInt(dialog, IDC_WAVE_AMPLITUDE_EDIT, g_amplitude, FALSE);
        return TRUE;
    }
    case WM_HSCROLL: {
        HWND track = reinterpret_cast<HWND>(lParam);
        const int position = static_cast<int>(SendMessageA(track, TBM_GETPOS, 0, 0));
        if (track == GetDlgItem(dialog, IDC_WAVE_LENGTH)) SetDlgItemInt(dialog, IDC_WAVE_LENGTH_EDIT, position, FALSE);
        else if (track == GetDlgItem(dialog, IDC_WAVE_AMPLITUDE))
            SetDlgItemInt(dialog, IDC_WAVE_AMPLITUDE_EDIT, position, FALSE);
        return TRUE;
    }
    case kPreviewMessage:
        Preview(dialog);
        return TRUE;
    case WM_DRAWITEM:
        if (wParam != IDC_WAVE_PREVIEW) return FALSE;
        PaintPreview(MappingHost(), PreviewControl(dialog), MappingPreview());
        return TRUE;
    case WM_COMMAND: {
        const int id = LOWORD(wParam), code = HIWORD(wParam);
        if (id == IDC_WAVE_LENGTH_EDIT || id == IDC_WAVE_AMPLITUDE_EDIT) {
            if (code == EN_CHANGE) {
                EditChanged(dialog, id);
            } else if (code == EN_KILLFOCUS) {
                const int value = id == IDC_WAVE_LENGTH_EDIT ? g_length : g_amplitude;
                BOOL read = FALSE;
                if (static_cast<int>(GetDlgItemInt(dialog, id, &read, FALSE)) != value || !read)
                    SetDlgItemInt(dialog, id, value, FALSE);
            }
        } else if (id == IDOK) {
            g_lengthRatio = static_cast<double>(g_length) / g_width;
            g_amplitudeRatio = static_cast<double>(g_amplitude) / g_height;
            EndDialog(dialog, 1);
        } else if (id == IDCANCEL) {
            EndDialog(dialog, 0);
        }
        return TRUE;
    }
    case WM_DESTROY:
        ReleasePreview(MappingHost(), MappingPreview());
        return FALSE;
    }
    return FALSE;
}

PluginPicture* Apply(const PictureHostServices* host, const PluginPicture* picture) {
    const LONG width = picture->working->header->biWidth;
    const LONG height = std::abs(picture->working->header->biHeight);
    return WavePicture(host, picture, WaveSettings{width * g_lengthRatio, height * g_amplitudeRatio});
}

const MappingPluginParts kParts = {"Wave Picture", kChineseName, WaveDialog, Apply};

}  // namespace

extern "C" PictureFilter* WINAPI InitPicturePlugins(DWORD codePage, const PictureHostServices* host) {
    return StartMappingPlugin(&kParts, codePage, host);
}

extern "C" void WINAPI FreePicturePlugins(void) { StopMappingPlugin(); }
