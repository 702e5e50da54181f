// The viewer's enabling and checking rules, applied to the real menu 112 the
// way WM_INITMENU applies them, and the desktop items' rule that the browser's
// menus share.
#include <gtest/gtest.h>
#include <windows.h>

#include "commands.h"
#include "menu_rules.h"
#include "resource_ids.h"

namespace {

struct Case {
    const char* name;
    ViewerCommandState state;
    UINT id;
    bool enabled;
    bool checked;
};

ViewerCommandState State(int n, int i, int p, int page, bool playing, bool picture, int z) {
    ViewerCommandState s;
    s.listLength = n;
    s.position = i;
    s.pageCount = p;
    s.page = page;
    s.playing = playing;
    s.picture = picture;
    s.zoomIndex = z;
    s.fileNamed = n > 0;
    return s;
}

UINT StateOf(HMENU menu, UINT id) { return GetMenuState(menu, id, MF_BYCOMMAND); }

}  // namespace

TEST(MenuRulesTest, MenuStatesFollowTheViewerState) {
    // The frame's menu bar, and its context menu for the items only it has
    // (the sequence show).
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDM_VIEWER));
    HMENU context = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDM_CONTEXT));
    ASSERT_NE(nullptr, menu);
    ASSERT_NE(nullptr, context);
    HMENU popup = GetSubMenu(context, CONTEXT_POPUP_FRAME);
    ViewerCommandState sequence = State(3, 1, 1, 0, false, true, 7);
    sequence.sequenceShow = true;
    ViewerCommandState acquiring = State(1, 0, 1, 0, false, true, 7);
    acquiring.acquireOpen = true;
    const Case cases[] = {
        {"next at the last entry", State(3, 2, 1, 0, false, true, 7), IDC_NEXT_PICTURE, false, false},
        {"next before the last", State(3, 1, 1, 0, false, true, 7), IDC_NEXT_PICTURE, true, false},
        {"previous at the first", State(3, 0, 1, 0, false, true, 7), IDC_PREVIOUS_PICTURE, false, false},
        {"previous on an empty list", State(0, 1, 0, 0, false, false, 7), IDC_PREVIOUS_PICTURE, false, false},
        {"next page while playing", State(1, 0, 4, 1, true, true, 7), IDC_NEXT_PAGE, false, false},
        {"next page when stopped", State(1, 0, 4, 1, false, true, 7), IDC_NEXT_PAGE, true, false},
        {"next page on the last page", State(1, 0, 4, 3, false, true, 7), IDC_NEXT_PAGE, false, false},
        {"previous page on page 1", State(1, 0, 4, 1, false, true, 7), IDC_PREVIOUS_PAGE, true, false},
        {"play on one page", State(1, 0, 1, 0, false, true, 7), IDC_PLAY_PAGES, false, false},
        {"play when stopped", State(1, 0, 2, 0, false, true, 7), IDC_PLAY_PAGES, true, false},
        {"stop while playing", State(1, 0, 2, 0, true, true, 7), IDC_STOP_PAGES, true, false},
        {"stop when stopped", State(1, 0, 2, 0, false, true, 7), IDC_STOP_PAGES, false, false},
        {"zoom in at 13", State(1, 0, 1, 0, false, true, 13), IDC_ZOOM_IN, false, false},
        {"zoom in at 12", State(1, 0, 1, 0, false, true, 12), IDC_ZOOM_IN, true, false},
        {"zoom out at 0", State(1, 0, 1, 0, false, true, 0), IDC_ZOOM_OUT, false, false},
        {"normal at 100 %", State(1, 0, 1, 0, false, true, 7), IDC_ZOOM_NORMAL, false, false},
        {"normal at 150 %", State(1, 0, 1, 0, false, true, 8), IDC_ZOOM_NORMAL, true, false},
        {"zoom without a picture", State(1, 0, 1, 0, false, false, 8), IDC_ZOOM_IN, false, false},
        {"save without a picture", State(1, 0, 1, 0, false, false, 7), IDC_SAVE_AS, false, false},
        {"save with a picture", State(1, 0, 1, 0, false, true, 7), IDC_SAVE_AS, true, false},
        {"flip with a picture", State(1, 0, 1, 0, false, true, 7), IDC_FLIP, true, false},
        {"sequence on one entry", State(1, 0, 1, 0, false, true, 7), IDC_SEQUENCE_SHOW, false, false},
        {"sequence running", sequence, IDC_SEQUENCE_SHOW, true, true},
        {"reload with a file", State(1, 0, 1, 0, false, false, 7), IDC_RELOAD, true, false},
        {"acquire while closed", State(1, 0, 1, 0, false, true, 7), IDC_ACQUIRE, false, false},
        {"open acquire while open", acquiring, IDC_OPEN_ACQUIRE, false, false},
        {"close acquire while open", acquiring, IDC_CLOSE_ACQUIRE, true, false},
        {"acquire while open", acquiring, IDC_ACQUIRE, true, false},
        {"toolbar shown", State(0, 0, 0, 0, false, false, 7), IDC_TOGGLE_TOOLBAR, true, true},
        {"selection items without one", State(1, 0, 1, 0, false, true, 7), IDC_ZOOM_TO_SELECTION, false, false},
        {"restore wallpaper never set", State(1, 0, 1, 0, false, true, 7), IDC_RESTORE_WALLPAPER, false, false},
    };
    for (const Case& c : cases) {
        ApplyMenuRules(menu, MenuCommandRules(c.state));
        ApplyMenuRules(popup, MenuCommandRules(c.state));
        UINT state = StateOf(menu, c.id);
        if (state == static_cast<UINT>(-1)) state = StateOf(popup, c.id);
        ASSERT_NE(static_cast<UINT>(-1), state) << c.name;
        EXPECT_EQ(c.enabled, !(state & MF_GRAYED)) << c.name;
        EXPECT_EQ(c.checked, (state & MF_CHECKED) != 0) << c.name;
    }
    DestroyMenu(menu);
    DestroyMenu(context);
}

TEST(MenuRulesTest, TheDesktopItemsFollowOneRuleInTheFrameAndTheBrowser) {
    HMENU frame = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDM_VIEWER));
    HMENU browser = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDM_BROWSER));
    HMENU context = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDM_CONTEXT));
    ASSERT_TRUE(frame && browser && context);
    HMENU preview = GetSubMenu(context, CONTEXT_POPUP_PREVIEW);
    const ViewerCommandState none = State(0, 0, 0, 0, false, false, 7);
    ViewerCommandState nt = State(1, 0, 1, 0, false, true, 7);
    nt.desktop = {true, true, true};
    ViewerCommandState win9x = nt;
    win9x.windows9x = true;
    ViewerCommandState nothingSaved = win9x;
    nothingSaved.desktop = {};
    const Case cases[] = {
        {"set wallpaper without a picture", none, IDC_SET_WALLPAPER, false, false},
        {"set wallpaper with a picture", nt, IDC_SET_WALLPAPER, true, false},
        {"restore wallpaper once saved", nt, IDC_RESTORE_WALLPAPER, true, false},
        {"restore wallpaper with none saved", nothingSaved, IDC_RESTORE_WALLPAPER, false, false},
        {"startup logo outside the 9x family", nt, IDC_SET_STARTUP_LOGO, false, false},
        {"startup logo on 9x", win9x, IDC_SET_STARTUP_LOGO, true, false},
        {"shutdown picture on 9x", win9x, IDC_SET_SHUTDOWN_PICTURE, true, false},
        {"shutdown picture on 9x without a picture", none, IDC_SET_SHUTDOWN_PICTURE, false, false},
        {"default logo while one exists", win9x, IDC_DEFAULT_STARTUP_LOGO, true, false},
        {"default logo without one", nothingSaved, IDC_DEFAULT_STARTUP_LOGO, false, false},
        {"restore shutdown with a backup", win9x, IDC_RESTORE_SHUTDOWN_PICTURE, true, false},
        {"restore shutdown without a backup", nothingSaved, IDC_RESTORE_SHUTDOWN_PICTURE, false, false},
        {"screen saver on an empty list", none, IDC_SET_SCREEN_SAVER, false, false},
        {"screen saver with a list", nt, IDC_SET_SCREEN_SAVER, true, false},
    };
    for (const Case& c : cases) {
        const ViewerCommandState& s = c.state;
        ApplyMenuRules(frame, MenuCommandRules(s));
        const std::vector<CommandRule> shared = DesktopCommandRules(s.picture, s.windows9x, s.listLength >= 1, s.desktop);
        ApplyMenuRules(browser, shared);
        ApplyMenuRules(preview, shared);
        for (HMENU menu : {frame, browser, preview}) {
            const UINT state = StateOf(menu, c.id);
            if (state == static_cast<UINT>(-1) && menu == preview) continue;  // the popup has only the wallpaper
            ASSERT_NE(static_cast<UINT>(-1), state) << c.name;
            EXPECT_EQ(c.enabled, !(state & MF_GRAYED)) << c.name;
        }
    }
    DestroyMenu(frame);
    DestroyMenu(browser);
    DestroyMenu(context);
}

TEST(MenuRulesTest, ToolbarFollowsTheSameRulesWithItsOwnNextAndReload) {
    ViewerCommandState s = State(2, 1, 1, 0, false, false, 7);
    s.fileNamed = false;
    auto find = [](const std::vector<CommandRule>& rules, UINT id) {
        for (const CommandRule& r : rules)
            if (r.id == id) return r;
        return CommandRule{0, false, false};
    };
    std::vector<CommandRule> toolbar = ToolbarCommandRules(s);
    EXPECT_FALSE(find(toolbar, IDC_NEXT_PICTURE).enabled);
    EXPECT_TRUE(find(toolbar, IDC_RELOAD).enabled) << "the button needs only a list";
    EXPECT_FALSE(find(MenuCommandRules(s), IDC_RELOAD).enabled) << "the menu item needs a named file";
    EXPECT_EQ(0u, find(toolbar, IDC_SAVE_AS).id) << "not a toolbar button";
    s.sequenceShow = true;
    EXPECT_TRUE(find(ToolbarCommandRules(s), IDC_SEQUENCE_SHOW).checked);
}
