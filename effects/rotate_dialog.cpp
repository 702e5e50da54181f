#include "rotate_dialog.h"

#include <commctrl.h>

#include <cstdlib>

#include "effect_preview.h"
#include "resource_ids.h"
#include "transforms.h"
#include "trackbar.h"

namespace {

constexpr int kLowest = -360, kHighest = 360;
int g_angle = 45;

long long IntegerRoot(long long value) {
    long long root = 0;
    while ((root + 1) * (root + 1) <= value) ++root;
    return root;
}

struct RotateDialog {
    RotateDialog(const DibBlock* block, int degrees) : picture(block), angle(degrees) {}
    const DibBlock* picture;
    int angle;
    OwnedDib preview;   // the picture scaled so that every turn of it fits
    OwnedDib turned;    // the preview rotated by the angle
    bool settingText = false;

    void Turn(HWND dialog) {
        turned.Reset(RotateDib(preview.get(), angle));
        InvalidateRect(GetDlgItem(dialog, IDC_EFFECT_PREVIEW), nullptr, FALSE);
    }

    bool Open(HWND dialog) {
        const SIZE box = ControlSize(dialog, IDC_EFFECT_PREVIEW);
        const SIZE size = RotatePreviewSize(box.cx < box.cy ? box.cx : box.cy, DibWidth(picture), DibHeight(picture));
        preview.Reset(ScaleDib(picture, size.cx, size.cy));
        if (!preview) return false;
        HWND track = GetDlgItem(dialog, IDC_ROTATE_TRACK);
        SendMessageA(track, TBM_SETPAGESIZE, 0, 10);
        SendMessageA(track, TBM_SETTICFREQ, 1, 0);
        SetUpTrackbar(track, kLowest, kHighest, angle);
        settingText = true;
        SetDlgItemInt(dialog, IDC_ROTATE_EDIT, static_cast<UINT>(angle), TRUE);
        settingText = false;
        Turn(dialog);
        return true;
    }

    const DibBlock* Preview() const { return turned.get(); }
    void Moved(HWND dialog, HWND) { Slid(dialog); }
    void Edited(HWND dialog, int id) {
        if (id == IDC_ROTATE_EDIT) Typed(dialog);
    }
    void Clicked(HWND, int) {}
    void Accept() {}

    void Slid(HWND dialog) {
        const int now = static_cast<int>(SendMessageA(GetDlgItem(dialog, IDC_ROTATE_TRACK), TBM_GETPOS, 0, 0));
        if (now == angle) return;
        angle = now;
        settingText = true;
        SetDlgItemInt(dialog, IDC_ROTATE_EDIT, static_cast<UINT>(angle), TRUE);
        settingText = false;
        Turn(dialog);
    }

    void Typed(HWND dialog) {
        if (settingText) return;
        char text[16] = {};
        GetDlgItemTextA(dialog, IDC_ROTATE_EDIT, text, sizeof text);
        char* end = nullptr;
        const long typed = std::strtol(text, &end, 10);
        if (end == text || typed < kLowest || typed > kHighest || typed == angle) return;
        angle = static_cast<int>(typed);
        SendMessageA(GetDlgItem(dialog, IDC_ROTATE_TRACK), TBM_SETPOS, TRUE, angle);
        Turn(dialog);
    }
};

}  // namespace

SIZE RotatePreviewSize(int side, int width, int height) {
    const long long d = IntegerRoot(static_cast<long long>(width) * width + static_cast<long long>(height) * height);
    SIZE size = {2, 2};
    if (d > 0) {
        size.cx = static_cast<int>(side * static_cast<long long>(width) / d);
        size.cy = static_cast<int>(side * static_cast<long long>(height) / d);
    }
    if (size.cx < 2) size.cx = 2;
    if (size.cy < 2) size.cy = 2;
    return size;
}

int RememberedRotation() { return g_angle; }
void SetRememberedRotation(int degrees) { g_angle = degrees; }

bool RunRotateDialog(HWND owner, const DibBlock* picture, int* degrees) {
    if (!picture || !degrees) return false;
    RotateDialog dialog(picture, g_angle);
    const bool ok = RunEffectDialog(owner, IDD_ROTATE_ANGLE, dialog);
    g_angle = dialog.angle;   // the last angle shown, chosen or not
    if (ok) *degrees = dialog.angle;
    return ok;
}
