#include "command_rules.h"

#include <commctrl.h>

#include "commands.h"

void ApplyMenuRules(HMENU menu, const std::vector<CommandRule>& rules) {
    if (!menu) return;
    // Every item of the menu and its popups: a command may sit in two popups
    // (the browser has "Define Picture Folder" twice), and both follow it.
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        if (HMENU popup = GetSubMenu(menu, i)) {
            ApplyMenuRules(popup, rules);
            continue;
        }
        const UINT id = GetMenuItemID(menu, i);
        for (const CommandRule& rule : rules) {
            if (rule.id != id) continue;
            const UINT at = static_cast<UINT>(i);
            EnableMenuItem(menu, at, MF_BYPOSITION | (rule.enabled ? MF_ENABLED : MF_GRAYED));
            CheckMenuItem(menu, at, MF_BYPOSITION | (rule.checked ? MF_CHECKED : MF_UNCHECKED));
            break;
        }
    }
}

void ApplyToolbarRules(HWND toolbar, const std::vector<CommandRule>& rules) {
    if (!toolbar) return;
    for (const CommandRule& rule : rules) {
        if (SendMessageA(toolbar, TB_COMMANDTOINDEX, rule.id, 0) < 0) continue;
        SendMessageA(toolbar, TB_ENABLEBUTTON, rule.id, MAKELONG(rule.enabled ? TRUE : FALSE, 0));
        SendMessageA(toolbar, TB_PRESSBUTTON, rule.id, MAKELONG(rule.checked ? TRUE : FALSE, 0));
    }
}

std::vector<CommandRule> DesktopCommandRules(bool picture, bool windows9x, bool listed,
                                             const DesktopCommandState& desktop) {
    return {
        {IDC_SET_WALLPAPER, picture, false},
        {IDC_RESTORE_WALLPAPER, desktop.wallpaperSaved, false},
        {IDC_SET_STARTUP_LOGO, picture && windows9x, false},
        {IDC_SET_SHUTDOWN_PICTURE, picture && windows9x, false},
        {IDC_DEFAULT_STARTUP_LOGO, desktop.startupLogoExists, false},
        {IDC_RESTORE_SHUTDOWN_PICTURE, desktop.shutdownPictureSaved, false},
        {IDC_SET_SCREEN_SAVER, listed, false},
    };
}

const std::vector<UINT>& CommandsAwaitingFeatures() {
    // Every command of both menus has its feature now; a command added
    // before its feature is listed here.
    static const std::vector<UINT> awaiting = {};
    return awaiting;
}
