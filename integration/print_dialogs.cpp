#include "print_dialogs.h"

#include <commctrl.h>

#include <iterator>

#include "effect_preview.h"
#include "resource_ids.h"
#include "trackbar.h"

namespace {

struct DepthButton {
    int id;
    int depth;
};

constexpr DepthButton kColourButtons[] = {
    {IDC_PRINT_16_COLORS, 4},   {IDC_PRINT_256_COLORS, 8}, {IDC_PRINT_32K_COLORS, 15},
    {IDC_PRINT_64K_COLORS, 16}, {IDC_PRINT_16M_COLORS, 24},
};
constexpr DepthButton kMonoButtons[] = {
    {IDC_PRINT_2_COLORS, 1},
    {IDC_PRINT_FAST_DITHER, 2},
    {IDC_PRINT_BEST_DITHER, 4},
};

constexpr int kLightLow = -128;
constexpr int kLightHigh = 127;
constexpr int kLightPage = 2;

struct PrintChoiceDialog {
    PrintChoiceDialog(bool isMono, const DibBlock* picture, const PrintChoice& start)
        : mono(isMono), preview(picture), choice(start) {}
    bool mono;
    const DibBlock* preview;
    PrintChoice choice;
    OwnedDib shown;   // the preview at the chosen depth

    const DepthButton* Buttons() const { return mono ? kMonoButtons : kColourButtons; }
    size_t ButtonCount() const { return mono ? std::size(kMonoButtons) : std::size(kColourButtons); }

    void Apply(HWND dialog) {
        SIZE size = {DibWidth(preview), DibHeight(preview)};
        shown.Reset(PreparePrintDib(preview, size, false, mono, choice));
        InvalidateRect(GetDlgItem(dialog, IDC_EFFECT_PREVIEW), nullptr, FALSE);
    }

    bool Open(HWND dialog) {
        if (!preview) return false;
        // A depth this printer's dialog does not offer falls back to its
        // first choice: the best it has.
        bool offered = false;
        for (size_t i = 0; i < ButtonCount(); ++i) offered = offered || Buttons()[i].depth == choice.depth;
        if (!offered) choice.depth = mono ? 4 : 24;
        for (size_t i = 0; i < ButtonCount(); ++i)
            CheckDlgButton(dialog, Buttons()[i].id, Buttons()[i].depth == choice.depth ? BST_CHECKED : BST_UNCHECKED);
        if (mono) {
            HWND track = GetDlgItem(dialog, IDC_PRINT_LIGHT);
            SetUpTrackbar(track, kLightLow, kLightHigh, choice.light);
            SendMessageA(track, TBM_SETPAGESIZE, 0, kLightPage);
            SetDlgItemInt(dialog, IDC_PRINT_LIGHT_VALUE, static_cast<UINT>(choice.light), TRUE);
        }
        Apply(dialog);
        return true;
    }

    const DibBlock* Preview() const { return shown.get(); }
    void Edited(HWND, int) {}
    void Accept() {}

    void Clicked(HWND dialog, int id) {
        for (size_t i = 0; i < ButtonCount(); ++i) {
            if (Buttons()[i].id != id || Buttons()[i].depth == choice.depth) continue;
            choice.depth = Buttons()[i].depth;
            Apply(dialog);
        }
    }

    void Moved(HWND dialog, HWND track) {
        if (!mono || GetDlgItem(dialog, IDC_PRINT_LIGHT) != track) return;
        choice.light = static_cast<int>(SendMessageA(track, TBM_GETPOS, 0, 0));
        SetDlgItemInt(dialog, IDC_PRINT_LIGHT_VALUE, static_cast<UINT>(choice.light), TRUE);
        Apply(dialog);
    }
};

}  // namespace

bool RunPrintChoiceDialog(HWND owner, bool mono, const DibBlock* preview, PrintChoice& choice) {
    if (!preview) return false;
    PrintChoiceDialog dialog(mono, preview, choice);
    if (!RunEffectDialog(owner, mono ? IDD_MONO_PRINT : IDD_COLOR_PRINT, dialog)) return false;
    choice = dialog.choice;
    return true;
}
