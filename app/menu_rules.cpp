#include "menu_rules.h"

#include "commands.h"

namespace {

bool CanStepPages(const ViewerCommandState& s) { return !(s.playing && s.pageCount >= 2); }

}  // namespace

std::vector<CommandRule> MenuCommandRules(const ViewerCommandState& s) {
    const int n = s.listLength, i = s.position, p = s.pageCount, z = s.zoomIndex;
    const bool any = n >= 1;
    std::vector<CommandRule> rules;
    for (UINT id : {IDC_SAVE_AS, IDC_PRINT, IDC_FLIP, IDC_MIRROR, IDC_ROTATE_ANY, IDC_ROTATE_LEFT, IDC_ROTATE_180,
                    IDC_ROTATE_RIGHT, IDC_EMBOSS})
        rules.push_back({id, s.picture, false});
    rules.push_back({IDC_OPEN_ACQUIRE, !s.acquireOpen, false});
    rules.push_back({IDC_ACQUIRE, s.acquireOpen, false});
    rules.push_back({IDC_CLOSE_ACQUIRE, s.acquireOpen, false});
    rules.push_back({IDC_TOGGLE_TOOLBAR, true, s.toolbarShown});
    rules.push_back({IDC_TOGGLE_STATUS_BAR, true, s.statusBarShown});
    rules.push_back({IDC_NEXT_PICTURE, any && i < n - 1, false});
    rules.push_back({IDC_PREVIOUS_PICTURE, any && i >= 1, false});
    rules.push_back({IDC_NEXT_PAGE, any && s.page < p - 1 && CanStepPages(s), false});
    rules.push_back({IDC_PREVIOUS_PAGE, any && s.page >= 1 && CanStepPages(s), false});
    rules.push_back({IDC_PLAY_PAGES, any && p > 1 && CanStepPages(s), false});
    rules.push_back({IDC_STOP_PAGES, any && p > 1 && s.playing, false});
    rules.push_back({IDC_FULL_SCREEN, true, s.fullScreen});
    rules.push_back({IDC_RELOAD, any && s.fileNamed, false});
    rules.push_back({IDC_ALWAYS_ON_TOP, true, s.topmost});
    rules.push_back({IDC_ZOOM_IN, s.picture && z < 13, false});
    rules.push_back({IDC_ZOOM_OUT, s.picture && z >= 1, false});
    rules.push_back({IDC_ZOOM_NORMAL, s.picture && z != 7, false});
    rules.push_back({IDC_SEQUENCE_SHOW, n >= 2, n >= 2 && s.sequenceShow});
    rules.push_back({IDC_CONVERT_PICTURE, s.fileNamed && s.picture, false});
    for (UINT id : {IDC_ZOOM_TO_SELECTION, IDC_COPY_SELECTION_TO_CLIP, IDC_COPY_SELECTION_TO_FILE})
        rules.push_back({id, s.selection, false});
    for (const CommandRule& rule : DesktopCommandRules(s.picture, s.windows9x, any, s.desktop)) rules.push_back(rule);
    // A command whose feature is not built yet would do nothing: greyed
    // whatever the state.
    for (UINT id : CommandsAwaitingFeatures()) {
        bool ruled = false;
        for (CommandRule& rule : rules) {
            if (rule.id != id) continue;
            rule.enabled = false;
            ruled = true;
        }
        if (!ruled) rules.push_back({id, false, false});
    }
    return rules;
}

std::vector<CommandRule> ToolbarCommandRules(const ViewerCommandState& s) {
    std::vector<CommandRule> rules;
    for (const CommandRule& rule : MenuCommandRules(s)) {
        switch (rule.id) {
        case IDC_NEXT_PAGE:
        case IDC_PREVIOUS_PAGE:
        case IDC_PLAY_PAGES:
        case IDC_STOP_PAGES:
        case IDC_PREVIOUS_PICTURE:
        case IDC_ZOOM_IN:
        case IDC_ZOOM_OUT:
        case IDC_ZOOM_NORMAL:
            rules.push_back(rule);
            break;
        default:
            break;
        }
    }
    const int n = s.listLength;
    rules.push_back({IDC_NEXT_PICTURE, n >= 1 && s.position < n - 1, false});
    rules.push_back({IDC_RELOAD, n >= 1, false});
    rules.push_back({IDC_SEQUENCE_SHOW, n >= 2, n >= 2 && s.sequenceShow});
    return rules;
}
