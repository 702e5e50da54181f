// The rules that enable and check the viewer's commands, from the viewer's
// state.  Applied to the frame's menu on WM_INITMENU and to its toolbar
// buttons whenever that state changes.
#pragma once

#include <windows.h>

#include <vector>

#include "command_rules.h"

struct ViewerCommandState {
    int listLength = 0;        // n: entries of the open list
    int position = 0;          // i: current entry
    int pageCount = 0;         // p
    int page = 0;
    bool playing = false;      // page play not stopped
    bool picture = false;      // a picture is loaded
    int zoomIndex = 7;         // z
    bool fileNamed = false;    // a current file is named
    bool acquireOpen = false;
    bool toolbarShown = true;
    bool statusBarShown = true;
    bool fullScreen = false;
    bool topmost = false;
    bool sequenceShow = false;
    bool selection = false;    // the view has a selection
    bool windows9x = false;
    DesktopCommandState desktop;
};

// Every menu item the rules cover, with its state.
std::vector<CommandRule> MenuCommandRules(const ViewerCommandState& s);

// The toolbar's buttons that follow the rules: enabled, and checked (shown
// pressed) for the sequence show.
std::vector<CommandRule> ToolbarCommandRules(const ViewerCommandState& s);
