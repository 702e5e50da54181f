// Enabling and checking commands in menus and toolbars from a list of rules,
// for both top-level windows, and the commands whose features are not built
// yet (greyed wherever they sit).
#pragma once

#include <windows.h>

#include <vector>

struct CommandRule {
    UINT id;
    bool enabled;
    bool checked;
};

// Applies rules to a menu and its popups, to every item of a ruled command
// (items the menu lacks are skipped).
void ApplyMenuRules(HMENU menu, const std::vector<CommandRule>& rules);
// Applies rules to a toolbar's buttons.
void ApplyToolbarRules(HWND toolbar, const std::vector<CommandRule>& rules);

// What the desktop picture commands depend on beyond the picture: files and
// registry values looked up when a menu opens.
struct DesktopCommandState {
    bool wallpaperSaved = false;        // a previous wallpaper is kept, or ours was set this run
    bool startupLogoExists = false;
    bool shutdownPictureSaved = false;  // a backup of either shutdown screen exists
};
// The wallpaper, logo, shutdown screen and screen saver items, the same in
// the frame's and the browser's menus: setting needs a picture (the logo
// commands also the Windows 9x family), restoring needs something saved,
// the screen saver set needs a picture in the open list.
std::vector<CommandRule> DesktopCommandRules(bool picture, bool windows9x, bool listed,
                                             const DesktopCommandState& desktop);

// The commands of both windows whose features are not built yet: their
// handlers do nothing, so the enabling rules grey their items in every menu,
// whatever the state.  Each leaves this list with the module that builds it.
const std::vector<UINT>& CommandsAwaitingFeatures();
