#include "icons.h"

#include "resource_ids.h"
#include "settings.h"
#include "program.h"

namespace {

HICON LoadIconResource(int id) {
    return static_cast<HICON>(LoadImageA(Program().mainModule, MAKEINTRESOURCEA(id), IMAGE_ICON, 0, 0,
                                         LR_DEFAULTSIZE | LR_SHARED));
}

void ShowIcon(HWND window, HICON icon) {
    if (!window || !icon) return;
    if (Program().system.windows2000OrLaterForIcons)
        SetClassLongPtrA(window, GCLP_HICON, reinterpret_cast<LONG_PTR>(icon));
    else
        SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

}  // namespace

void LoadShellIcons() {
    ProgramState& shell = Program();
    shell.classIcon = LoadIconResource(IDI_CLASS);
    shell.smallIcon = static_cast<HICON>(LoadImageA(shell.mainModule, MAKEINTRESOURCEA(IDI_CLASS_SMALL),
                                                    IMAGE_ICON, 16, 16, LR_SHARED));
    shell.blinkIcon = LoadIconResource(IDI_BLINK);
    std::string oemIcon = settings::Read(settings::kOemIcon);
    if (!oemIcon.empty()) {
        // An OEM icon that cannot be loaded leaves both logo slots empty.
        shell.oemIcon = static_cast<HICON>(LoadImageA(nullptr, oemIcon.c_str(), IMAGE_ICON, 0, 0,
                                                      LR_LOADFROMFILE | LR_DEFAULTSIZE));
        shell.logoIcon = shell.oemIcon;
        shell.previewLogoIcon = shell.oemIcon;
    } else {
        shell.logoIcon = LoadIconResource(IDI_BLINK_LOGO);
        shell.previewLogoIcon = LoadIconResource(IDI_LOGO);
    }
    shell.blinkShowsLogo = false;
}

void FreeShellIcons() {
    ProgramState& shell = Program();
    if (shell.oemIcon) DestroyIcon(shell.oemIcon);
    shell.oemIcon = nullptr;
    shell.logoIcon = shell.previewLogoIcon = nullptr;
}

HICON BlinkWindowIcons() {
    ProgramState& shell = Program();
    shell.blinkShowsLogo = !shell.blinkShowsLogo;
    HICON icon = shell.blinkShowsLogo ? shell.logoIcon : shell.blinkIcon;
    ShowIcon(shell.frame, icon);
    ShowIcon(shell.browser, icon);
    return icon;
}
