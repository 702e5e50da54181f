#include "smooth_zoom_dialog.h"

#include <commctrl.h>

#include <cstdlib>

#include "effect_preview.h"
#include "resource_ids.h"

namespace {

constexpr int kSmallest = 4;
bool g_sync = false;

struct Side {
    int track, edit, low, high;
};
constexpr Side kSides[2] = {{IDC_ZOOM_WIDTH_TRACK, IDC_ZOOM_WIDTH_EDIT, IDC_ZOOM_WIDTH_LOW, IDC_ZOOM_WIDTH_HIGH},
                            {IDC_ZOOM_HEIGHT_TRACK, IDC_ZOOM_HEIGHT_EDIT, IDC_ZOOM_HEIGHT_LOW, IDC_ZOOM_HEIGHT_HIGH}};

struct ZoomDialog {
    explicit ZoomDialog(const DibBlock* block) : picture(block) {}
    const DibBlock* picture;
    int start[2] = {0, 0};   // the picture's width and height
    int value[2] = {0, 0};   // the size chosen
    OwnedDib preview;
    bool settingText = false;

    void Show(HWND dialog, int side, bool moveTrack) {
        settingText = true;
        SetDlgItemInt(dialog, kSides[side].edit, static_cast<UINT>(value[side]), FALSE);
        settingText = false;
        if (moveTrack) SendDlgItemMessageA(dialog, kSides[side].track, TBM_SETPOS, TRUE, value[side]);
    }

    bool Open(HWND dialog) {
        start[0] = value[0] = DibWidth(picture);
        start[1] = value[1] = DibHeight(picture);
        for (int side = 0; side < 2; ++side) {
            const Side& s = kSides[side];
            HWND track = GetDlgItem(dialog, s.track);
            const int twice = 2 * start[side];
            SendMessageA(track, TBM_SETRANGEMIN, FALSE, kSmallest);
            SendMessageA(track, TBM_SETRANGEMAX, FALSE, twice);
            SendMessageA(track, TBM_SETPOS, TRUE, start[side]);
            SendMessageA(track, TBM_SETPAGESIZE, 0, start[side] / 20 > 0 ? start[side] / 20 : 1);
            SendMessageA(track, TBM_SETTICFREQ, 1, 0);
            SetDlgItemInt(dialog, s.low, kSmallest, FALSE);
            SetDlgItemInt(dialog, s.high, static_cast<UINT>(twice), FALSE);
            if (twice > 10000) SendDlgItemMessageA(dialog, s.edit, EM_LIMITTEXT, 5, 0);
            else if (twice > 1000) SendDlgItemMessageA(dialog, s.edit, EM_LIMITTEXT, 4, 0);
            Show(dialog, side, false);
        }
        CheckDlgButton(dialog, IDC_ZOOM_SYNC, g_sync ? BST_CHECKED : BST_UNCHECKED);
        const SIZE box = ControlSize(dialog, IDC_EFFECT_PREVIEW);
        const SIZE size = FitSize(box.cx, box.cy, start[0], start[1], kSmallest);
        preview.Reset(ScaleDib(picture, size.cx, size.cy));
        return true;
    }

    const DibBlock* Preview() const { return preview.get(); }
    void Edited(HWND dialog, int id) {
        if (id == IDC_ZOOM_WIDTH_EDIT || id == IDC_ZOOM_HEIGHT_EDIT) Typed(dialog, id);
    }
    void Clicked(HWND dialog, int id) {
        if (id == IDC_ZOOM_SYNC) g_sync = IsDlgButtonChecked(dialog, IDC_ZOOM_SYNC) == BST_CHECKED;
    }
    void Accept() {}

    void Moved(HWND dialog, HWND track) {
        for (int side = 0; side < 2; ++side) {
            if (GetDlgItem(dialog, kSides[side].track) != track) continue;
            value[side] = static_cast<int>(SendMessageA(track, TBM_GETPOS, 0, 0));
            Show(dialog, side, false);
            if (IsDlgButtonChecked(dialog, IDC_ZOOM_SYNC) == BST_CHECKED) {
                const int other = 1 - side;
                value[other] = static_cast<int>(static_cast<long long>(value[side]) * start[other] / start[side]);
                Show(dialog, other, true);
            }
        }
    }

    void Typed(HWND dialog, int edit) {
        if (settingText) return;
        const int side = edit == kSides[0].edit ? 0 : 1;
        char text[16] = {};
        GetDlgItemTextA(dialog, edit, text, sizeof text);
        long typed = std::strtol(text, nullptr, 10);
        if (typed < 0) typed = 0;
        if (typed > 2 * start[side]) typed = 2 * start[side];
        value[side] = static_cast<int>(typed);
        SendDlgItemMessageA(dialog, kSides[side].track, TBM_SETPOS, TRUE, value[side]);
    }
};

}  // namespace

bool SmoothZoomSyncOn() { return g_sync; }
void SetSmoothZoomSync(bool on) { g_sync = on; }

bool RunSmoothZoomDialog(HWND owner, const DibBlock* picture, SIZE* size) {
    if (!picture || !size) return false;
    ZoomDialog dialog(picture);
    if (!RunEffectDialog(owner, IDD_SMOOTH_ZOOM, dialog)) return false;
    // A side typed below the smallest the trackbars offer is taken as that.
    size->cx = dialog.value[0] < kSmallest ? kSmallest : dialog.value[0];
    size->cy = dialog.value[1] < kSmallest ? kSmallest : dialog.value[1];
    return true;
}
