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

// The commands of both windows whose features are not built yet: their
// handlers do nothing, so the enabling rules grey their items in every menu,
// whatever the state.  Each leaves this list with the module that builds it.
const std::vector<UINT>& CommandsAwaitingFeatures();
