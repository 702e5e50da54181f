#include "offset_dialog.h"

#include <commctrl.h>

#include "effect_preview.h"
#include "resource_ids.h"
#include "trackbar.h"

namespace {

constexpr int kTracks[3] = {IDC_OFFSET_TRACK_1, IDC_OFFSET_TRACK_2, IDC_OFFSET_TRACK_3};
constexpr int kValues[3] = {IDC_OFFSET_VALUE_1, IDC_OFFSET_VALUE_2, IDC_OFFSET_VALUE_3};

struct OffsetDialog {
    OffsetDialog(PixelAdjustment how, DibBlock* block, const char* text) : adjust(how), picture(block), caption(text) {}
    PixelAdjustment adjust;
    DibBlock* picture;
    const char* caption;
    OwnedDib unchanged;   // the picture scaled to the preview
    OwnedDib adjusted;    // the same with the offsets applied
    int offsets[3] = {0, 0, 0};

    void Adjust() {
        CopyDib(unchanged.get(), adjusted.get());
        const size_t count = static_cast<size_t>(DibWidth(adjusted.get())) * DibHeight(adjusted.get());
        adjust(reinterpret_cast<DWORD*>(adjusted.get()->pixels), count, offsets[0], offsets[1], offsets[2]);
    }

    bool Open(HWND dialog) {
        if (!picture) return false;
        const SIZE box = ControlSize(dialog, IDC_EFFECT_PREVIEW);
        const SIZE size = FitSize(box.cx, box.cy, DibWidth(picture), DibHeight(picture));
        unchanged.Reset(ScaleDib(picture, size.cx, size.cy));
        adjusted.Reset(CreateDib(size.cx, size.cy));
        if (!unchanged || !adjusted) return false;
        CopyDib(unchanged.get(), adjusted.get());
        for (int i = 0; i < 3; ++i) {
            HWND track = GetDlgItem(dialog, kTracks[i]);
            SetUpTrackbar(track, -128, 127, 0);
            SendMessageA(track, TBM_SETPAGESIZE, 0, 2);
            SendMessageA(track, TBM_SETTICFREQ, 1, 0);
            SetDlgItemInt(dialog, kValues[i], 0, TRUE);
        }
        if (caption) SetWindowTextA(dialog, caption);
        return true;
    }

    const DibBlock* Preview() const { return adjusted.get(); }
    void Edited(HWND, int) {}
    void Clicked(HWND, int) {}
    void Accept() {
        const size_t count = static_cast<size_t>(DibWidth(picture)) * DibHeight(picture);
        adjust(reinterpret_cast<DWORD*>(picture->pixels), count, offsets[0], offsets[1], offsets[2]);
    }

    void Moved(HWND dialog, HWND track) {
        for (int i = 0; i < 3; ++i) {
            if (GetDlgItem(dialog, kTracks[i]) != track) continue;
            offsets[i] = static_cast<int>(SendMessageA(track, TBM_GETPOS, 0, 0));
            SetDlgItemInt(dialog, kValues[i], static_cast<UINT>(offsets[i]), TRUE);
            Adjust();
            InvalidateRect(GetDlgItem(dialog, IDC_EFFECT_PREVIEW), nullptr, FALSE);
        }
    }
};

}  // namespace

bool RunOffsetDialog(HWND owner, UINT dialogId, PixelAdjustment adjust, DibBlock* picture, const char* caption) {
    if (!picture || !adjust) return false;
    OffsetDialog dialog(adjust, picture, caption);
    return RunEffectDialog(owner, dialogId, dialog);
}
