// What the effect and transform dialogs share: fitting a picture into the
// preview control, and painting a preview block unscaled in its middle.
#pragma once

#include <windows.h>

#include "dib.h"
#include "resource_ids.h"
#include "program.h"

// The size a width x height picture is shown at in a box: a larger picture
// shrinks to the box keeping its aspect (by its longer side), a picture that
// fits keeps its own size; each side at least `least`.
SIZE FitSize(int boxWidth, int boxHeight, int width, int height, int least = 6);

// The client size of a dialog's control.
SIZE ControlSize(HWND dialog, int id);

// An owner-drawn preview: the area erased with the dialog's face colour and
// the block (when there is one) drawn unscaled in its middle.
void PaintPreview(const DRAWITEMSTRUCT& draw, const DibBlock* block);

// Centres a window over its owner or parent (the work area without one),
// kept inside the work area.
void CentreOverOwner(HWND dialog);

// A 32-bit block owned for a dialog's lifetime.
class OwnedDib {
public:
    OwnedDib() = default;
    explicit OwnedDib(DibBlock* block) : block_(block) {}
    ~OwnedDib() { FreeDib(block_); }
    OwnedDib(const OwnedDib&) = delete;
    OwnedDib& operator=(const OwnedDib&) = delete;
    void Reset(DibBlock* block = nullptr) {
        FreeDib(block_);
        block_ = block;
    }
    DibBlock* get() const { return block_; }
    explicit operator bool() const { return block_ != nullptr; }

private:
    DibBlock* block_ = nullptr;
};

// The dialog routine the effect dialogs share.  D keeps the dialog's state
// and answers:
//   bool Open(HWND dialog)             WM_INITDIALOG; false ends it with 0
//   void Moved(HWND dialog, HWND bar)  a trackbar moved
//   void Edited(HWND dialog, int id)   an edit's text changed
//   void Clicked(HWND dialog, int id)  another button
//   const DibBlock* Preview() const    what the preview control shows
//   void Accept()                      OK, before the dialog ends with 1
template <class D>
INT_PTR CALLBACK EffectDialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    D* d = reinterpret_cast<D*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
    switch (msg) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lp);
        if (!reinterpret_cast<D*>(lp)->Open(dialog)) EndDialog(dialog, 0);
        else CentreOverOwner(dialog);
        return TRUE;
    case WM_HSCROLL:
        if (d) d->Moved(dialog, reinterpret_cast<HWND>(lp));
        return TRUE;
    case WM_DRAWITEM:
        if (d && wp == IDC_EFFECT_PREVIEW) {
            PaintPreview(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp), d->Preview());
            return TRUE;
        }
        break;
    case WM_COMMAND:
        if (!d) break;
        if (LOWORD(wp) == IDOK) {
            d->Accept();
            EndDialog(dialog, 1);
        } else if (LOWORD(wp) == IDCANCEL) {
            EndDialog(dialog, 0);
        } else if (HIWORD(wp) == EN_CHANGE) {
            d->Edited(dialog, LOWORD(wp));
        } else if (HIWORD(wp) == BN_CLICKED) {
            d->Clicked(dialog, LOWORD(wp));
        }
        return TRUE;
    }
    return FALSE;
}

// Runs dialog `id` from the language library over d; true when it ended
// with OK.
template <class D>
bool RunEffectDialog(HWND owner, UINT id, D& d) {
    return DialogBoxParamA(Program().resourceModule, MAKEINTRESOURCEA(id), owner, EffectDialogProc<D>,
                           reinterpret_cast<LPARAM>(&d)) == 1;
}
