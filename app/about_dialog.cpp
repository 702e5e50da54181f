#include "about_dialog.h"

#include <string>

#include "resource_ids.h"
#include "settings.h"
#include "program.h"

namespace {

void CentreOn(HWND dialog, HWND owner) {
    RECT box, around;
    GetWindowRect(dialog, &box);
    if (owner && IsWindowVisible(owner))
        GetWindowRect(owner, &around);
    else
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &around, 0);
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    const int x = around.left + ((around.right - around.left) - width) / 2;
    const int y = around.top + ((around.bottom - around.top) - height) / 2;
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The name in the dialog's font, bold; the dialog owns it while it is open.
constexpr char kBoldFontProperty[] = "OmmavuAboutBold";

void ShowNameInBold(HWND dialog) {
    LOGFONTA font = {};
    HFONT dialogFont = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    if (!dialogFont || !GetObjectA(dialogFont, sizeof font, &font)) return;
    font.lfWeight = FW_BOLD;
    HFONT bold = CreateFontIndirectA(&font);
    if (!bold) return;
    SetPropA(dialog, kBoldFontProperty, bold);
    SendDlgItemMessageA(dialog, IDC_ABOUT_NAME, WM_SETFONT, reinterpret_cast<WPARAM>(bold), FALSE);
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: {
        const std::string name = DisplayName();
        SetDlgItemTextA(dialog, IDC_ABOUT_NAME, name.c_str());
        ShowNameInBold(dialog);

        char caption[128] = {};
        GetWindowTextA(dialog, caption, sizeof caption);
        SetWindowTextA(dialog, (std::string(caption) + " " + name).c_str());

        const std::string oem = settings::Read(settings::kOem);
        if (!oem.empty()) SetDlgItemTextA(dialog, IDC_ABOUT_TEXT, oem.c_str());

        HICON icon = Program().oemIcon;
        if (!icon)
            icon = static_cast<HICON>(LoadImageA(Program().mainModule, MAKEINTRESOURCEA(IDI_LOGO), IMAGE_ICON,
                                                 32, 32, LR_SHARED));
        SendDlgItemMessageA(dialog, IDC_ABOUT_ICON, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);

        CentreOn(dialog, GetWindow(dialog, GW_OWNER));
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        break;
    case WM_DESTROY:
        if (HANDLE bold = RemovePropA(dialog, kBoldFontProperty)) DeleteObject(bold);
        break;
    }
    return FALSE;
}

}  // namespace

void ShowAboutDialog(HWND frame) {
    DialogBoxParamA(Program().resourceModule, MAKEINTRESOURCEA(IDD_ABOUT), frame, AboutProc, 0);
}
