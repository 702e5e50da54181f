// The program shell inside the test process, which carries the program's own
// resources: menus without the items this system lacks, the language items
// and switching the resource module at run time, toolbars from their
// resources, the icon blink, status texts and the message loop's routing.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <utility>
#include <vector>

#include "shell_test_files.h"
#include "browser_layout.h"
#include "browser_panes.h"
#include "browser_window.h"
#include "commands.h"
#include "dialog_driver.h"
#include "document.h"
#include "command_rules.h"
#include "feature_commands.h"
#include "frame_window.h"
#include "icons.h"
#include "language_menu.h"
#include "message_loop.h"
#include "messages.h"
#include "navigation.h"
#include "picture_view.h"
#include "resource_ids.h"
#include "settings.h"
#include "program.h"
#include "status_text.h"
#include "toolbar.h"

namespace {

std::string MenuText(HMENU menu, UINT position) {
    char text[128] = {};
    GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    return text;
}

std::string ButtonText(HWND toolbar, UINT command) {
    char text[128] = {};
    SendMessageA(toolbar, TB_GETBUTTONTEXTA, command, reinterpret_cast<LPARAM>(text));
    return text;
}

void DrainMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message != WM_QUIT) DispatchMessageA(&msg);
    }
}

// Both windows of the shell, made as start-up makes them (Wine reports the
// NT family and there is no screen saver beside the test program).
class ShellWindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ProgramState& shell = Program();
        SetUpProgramState();
        LoadShellIcons();
        InitCommonControls();
        ASSERT_TRUE(RegisterFrameClass());
        ASSERT_NE(nullptr, CreateFrameWindow());
        ASSERT_NE(nullptr, CreateBrowserWindow(shell.mainModule, SW_HIDE));
        shell.languages = BuildLanguageList(shell.programDirectory, shell.mainModule);
        AppendLanguageItems(GetMenu(shell.frame));
        AppendLanguageItems(GetMenu(shell.browser));
        SetLanguageChangedHandler([] {
            ReloadFrameResources();
            ReloadBrowserResources();
        });
    }
    void TearDown() override {
        ProgramState& shell = Program();
        if (shell.frame) DestroyWindow(shell.frame);
        DestroyBrowserWindow();
        FreeLanguageLibrary();
        FreeShellIcons();
        DrainMessages();
    }
};

}  // namespace

TEST_F(ShellWindowsTest, MenusLeaveOutWhatThisSystemCannotDo) {
    for (HWND window : {Program().frame, Program().browser}) {
        HMENU menu = GetMenu(window);
        ASSERT_NE(nullptr, menu);
        for (UINT id = IDC_SET_STARTUP_LOGO; id <= IDC_SET_SCREEN_SAVER; ++id)
            EXPECT_EQ(static_cast<UINT>(-1), GetMenuState(menu, id, MF_BYCOMMAND)) << id;
        EXPECT_NE(static_cast<UINT>(-1), GetMenuState(menu, IDC_SET_WALLPAPER, MF_BYCOMMAND));
    }
    EXPECT_NE(static_cast<UINT>(-1), GetMenuState(GetMenu(Program().frame), IDC_FIND_FILES, MF_BYCOMMAND));
}

TEST_F(ShellWindowsTest, LanguageItemsFollowHelpAndSwitchBothWindows) {
    ProgramState& shell = Program();
    ASSERT_GE(shell.languages.size(), 2u) << "SHOW936.DLL beside the program";
    HMENU help = GetSubMenu(GetMenu(shell.frame), MENU_POPUP_HELP);
    int count = GetMenuItemCount(help);
    int first = count - static_cast<int>(shell.languages.size());
    EXPECT_EQ(static_cast<UINT>(IDC_LANGUAGE_FIRST), GetMenuItemID(help, first));
    EXPECT_TRUE(GetMenuState(help, IDC_LANGUAGE_FIRST, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_EQ(MF_SEPARATOR, GetMenuState(help, first - 1, MF_BYPOSITION) & MF_SEPARATOR);
    std::string english = MenuText(GetMenu(shell.frame), 0);
    std::string englishButton = ButtonText(FrameToolbar(), IDC_BROWSE);
    EXPECT_EQ("&File", english);
    EXPECT_EQ("Brw", englishButton);

    UINT chinese = IDC_LANGUAGE_FIRST;
    for (size_t i = 0; i < shell.languages.size(); ++i)
        if (shell.languages[i].codePage == 936) chinese = IDC_LANGUAGE_FIRST + static_cast<UINT>(i);
    ASSERT_NE(static_cast<UINT>(IDC_LANGUAGE_FIRST), chinese);
    EXPECT_TRUE(HandleLanguageCommand(chinese));
    EXPECT_EQ(936u, shell.languageCodePage);
    EXPECT_NE(shell.mainModule, shell.resourceModule);
    for (HWND window : {shell.frame, shell.browser}) {
        HMENU menu = GetMenu(window);
        EXPECT_NE(english, MenuText(menu, 0)) << "menu reloaded from the language library";
        EXPECT_TRUE(GetMenuState(menu, chinese, MF_BYCOMMAND) & MF_CHECKED);
        EXPECT_FALSE(GetMenuState(menu, IDC_LANGUAGE_FIRST, MF_BYCOMMAND) & MF_CHECKED);
        EXPECT_EQ(static_cast<UINT>(-1), GetMenuState(menu, IDC_SET_STARTUP_LOGO, MF_BYCOMMAND))
            << "system-dependent items removed again";
    }
    ASSERT_NE(nullptr, FrameToolbar());
    EXPECT_NE(englishButton, ButtonText(FrameToolbar(), IDC_BROWSE)) << "toolbar rebuilt with the new texts";
    EXPECT_EQ(16, ToolbarButtonIndex(FrameToolbar(), IDC_ABOUT));

    // Back to the built-in language: the library is let go.
    EXPECT_TRUE(HandleLanguageCommand(IDC_LANGUAGE_FIRST));
    EXPECT_EQ(0u, shell.languageCodePage);
    EXPECT_EQ(shell.mainModule, shell.resourceModule);
    EXPECT_EQ(english, MenuText(GetMenu(shell.frame), 0));
    EXPECT_EQ(englishButton, ButtonText(FrameToolbar(), IDC_BROWSE));
}

TEST_F(ShellWindowsTest, ALanguageWhoseLibraryCannotLoadChangesNothing) {
    ProgramState& shell = Program();
    shell.languages.push_back(Language{1250, "Gone"});
    UINT gone = IDC_LANGUAGE_FIRST + static_cast<UINT>(shell.languages.size() - 1);
    HMENU before = GetMenu(shell.frame);
    EXPECT_TRUE(HandleLanguageCommand(gone));
    EXPECT_EQ(0u, shell.languageCodePage);
    EXPECT_EQ(shell.mainModule, shell.resourceModule);
    EXPECT_EQ(before, GetMenu(shell.frame));
    EXPECT_FALSE(HandleLanguageCommand(gone + 1)) << "not a language item";
}

TEST_F(ShellWindowsTest, FrameToolbarFollowsItsResource) {
    HWND toolbar = FrameToolbar();
    ASSERT_NE(nullptr, toolbar);
    // 13 buttons and 4 separators; the positions count separators.
    EXPECT_EQ(17, static_cast<int>(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0)));
    const UINT order[] = {IDC_BROWSE, 0, IDC_PREVIOUS_PAGE, IDC_NEXT_PAGE, IDC_PLAY_PAGES, IDC_STOP_PAGES, 0,
                          IDC_PREVIOUS_PICTURE, IDC_NEXT_PICTURE, IDC_SEQUENCE_SHOW, 0, IDC_RELOAD, IDC_ZOOM_OUT,
                          IDC_ZOOM_NORMAL, IDC_ZOOM_IN, 0, IDC_ABOUT};
    for (int i = 0; i < 17; ++i) {
        TBBUTTON button = {};
        SendMessageA(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
        EXPECT_EQ(order[i], static_cast<UINT>(order[i] ? button.idCommand : 0)) << "position " << i;
        EXPECT_EQ(order[i] == 0, (button.fsStyle & TBSTYLE_SEP) != 0) << "position " << i;
    }
    EXPECT_EQ("ZmIn", ButtonText(toolbar, IDC_ZOOM_IN));
    EXPECT_EQ("About", ButtonText(toolbar, IDC_ABOUT));

    // Tooltips are the strings numbered by the command.
    NMTTDISPINFOA info = {};
    info.hdr.code = TTN_NEEDTEXTA;
    info.hdr.idFrom = IDC_ZOOM_IN;
    ASSERT_TRUE(AnswerToolbarTooltip(&info.hdr));
    EXPECT_STRNE("", info.lpszText);
}

TEST(ToolbarResourceTest, ARepeatedCommandOnlyUsesUpAnImage) {
    // version, width, height, count, then the commands (0 = separator).
    const WORD data[] = {1, 16, 16, 6, 117, 0, 32773, 32773, 32774, 103};
    ToolbarLayout layout;
    ASSERT_TRUE(ParseToolbarResource(reinterpret_cast<const BYTE*>(data), sizeof data, &layout));
    ASSERT_EQ(5u, layout.buttons.size());
    EXPECT_EQ(5, layout.imageCount);
    EXPECT_EQ(32774, layout.buttons[3].idCommand);
    EXPECT_EQ(3, layout.buttons[3].iBitmap) << "the repeat used image 2";
    EXPECT_EQ(2, static_cast<int>(layout.buttons[3].iString)) << "texts count buttons only";
    EXPECT_FALSE(ParseToolbarResource(reinterpret_cast<const BYTE*>(data), 12, &layout)) << "torn resource";
    EXPECT_EQ((std::vector<std::string>{"a", "", "b"}), SplitTexts("a@@b@"));
}

TEST_F(ShellWindowsTest, IconBlinkAlternatesBothWindows) {
    HICON first = BlinkWindowIcons();
    HICON second = BlinkWindowIcons();
    ASSERT_NE(nullptr, first);
    ASSERT_NE(nullptr, second);
    EXPECT_NE(first, second);
    EXPECT_EQ(first, BlinkWindowIcons());
    // Wine reports the NT family: the class icon of both windows changes.
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(first), GetClassLongPtrA(Program().frame, GCLP_HICON));
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(first), GetClassLongPtrA(Program().browser, GCLP_HICON));
}

TEST_F(ShellWindowsTest, StatusCountsTheOpenListWithoutAPicture) {
    Program().openList.Clear();
    Program().openList.Append("C:\\a.jpg");
    Program().openList.Append("C:\\b.jpg");
    RefreshCaptionAndStatus(Program().frame, FrameStatusBar());
    char text[64] = {};
    SendMessageA(FrameStatusBar(), SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ("2 Objects", text);
    EXPECT_EQ(1, Program().openList.IndexOf("c:\\B.JPG"));
    Program().openList.Clear();
}

TEST_F(ShellWindowsTest, AcceleratorsReachTheTopLevelWindowAndTheAcquireFilterComesFirst) {
    HACCEL table = LoadAcceleratorsA(Program().resourceModule, MAKEINTRESOURCEA(IDA_VIEWER));
    ASSERT_NE(nullptr, table);
    // Alt+X pressed while the toolbar has the message: Exit destroys the frame.
    MSG msg = {};
    msg.hwnd = FrameToolbar();
    msg.message = WM_SYSKEYDOWN;
    msg.wParam = 'X';
    msg.lParam = 1 << 29;  // Alt held

    // The thread's key state says Alt is down.
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_MENU] = 0x80;
    SetKeyboardState(keys);

    static int filtered = 0;
    SetAcquireMessageFilter([](MSG*) { return ++filtered, 1; });
    DispatchLoopMessage(&msg, table);
    EXPECT_EQ(1, filtered);
    EXPECT_NE(nullptr, Program().frame) << "the acquire module claimed the message";
    SetAcquireMessageFilter(nullptr);

    DispatchLoopMessage(&msg, table);
    EXPECT_EQ(nullptr, Program().frame) << "Exit reached the frame";
    keys[VK_MENU] = 0;
    SetKeyboardState(keys);
    DestroyAcceleratorTable(table);
}

// Takes every msg waiting for window; true when there was one.
bool TakePosted(HWND window, UINT msg) {
    MSG m;
    bool any = false;
    while (PeekMessageA(&m, window, msg, msg, PM_REMOVE)) any = true;
    return any;
}

TEST_F(ShellWindowsTest, SizeCommandsRefreshThePictureInformationEvenAtTheSameSize) {
    struct Case {
        UINT command;
        bool dialog;   // Smooth Zoom asks for the size; OK keeps the picture's own
        int width;     // of the new picture
    };
    const Case cases[] = {
        {IDC_SMOOTH_ZOOM, true, 40},
        {IDC_DOUBLE_PICTURE, false, 80},
        {IDC_HALVE_PICTURE, false, 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        Picture* picture = CreatePicture(40, 30);
        ASSERT_NE(nullptr, picture);
        SetCurrentPicture(picture);
        DrainMessages();
        Driver driver(IDC_ZOOM_WIDTH_TRACK);
        driver.Press(IDOK);
        if (c.dialog)
            driver.Run([&] { SendMessageA(Program().frame, WM_COMMAND, c.command, 0); });
        else
            SendMessageA(Program().frame, WM_COMMAND, c.command, 0);
        ASSERT_NE(nullptr, CurrentDocument().picture);
        EXPECT_NE(picture, CurrentDocument().picture) << "a new picture";
        EXPECT_EQ(c.width, DibWidth(CurrentDocument().picture->working));
        EXPECT_TRUE(TakePosted(Program().frame, kMsgRefreshInfo)) << "5120 to the frame";
        EXPECT_TRUE(TakePosted(Program().browser, kMsgRefreshInfo)) << "5120 to the browser";
        // The views let go before the picture is freed.
        SetViewPicture(FrameView(), nullptr);
        SetPreviewPicture(nullptr);
        FreeCurrentPicture();
    }
}

// Every command item of a menu and its popups, with whether it is enabled.
void CollectItems(HMENU menu, std::vector<std::pair<UINT, bool>>* items) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        if (HMENU popup = GetSubMenu(menu, i)) {
            CollectItems(popup, items);
            continue;
        }
        const UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
        const UINT id = GetMenuItemID(menu, i);
        if (!(state & MF_SEPARATOR) && id != 0 && id != static_cast<UINT>(-1))
            items->push_back({id, !(state & (MF_GRAYED | MF_DISABLED))});
    }
}

TEST_F(ShellWindowsTest, EveryEnabledMenuCommandOfBothWindowsActs) {
    // A state that enables as much as it can: a picture, a list to step in.
    for (const char* path : {"C:\\p\\a.jpg", "C:\\p\\b.jpg", "C:\\p\\c.jpg"}) Program().openList.Append(path);
    SetOpenListPosition(1);
    lstrcpyA(CurrentDocument().fileName, "C:\\p\\b.jpg");
    SetCurrentPicture(CreatePicture(40, 30));
    for (HWND window : {Program().frame, Program().browser}) {
        HMENU menu = GetMenu(window);
        ASSERT_NE(nullptr, menu);
        SendMessageA(window, WM_INITMENU, reinterpret_cast<WPARAM>(menu), 0);
        std::vector<std::pair<UINT, bool>> items;
        CollectItems(menu, &items);
        ASSERT_GT(items.size(), 20u);
        int enabled = 0;
        for (const auto& item : items) {
            if (!item.second) continue;
            ++enabled;
            for (UINT awaiting : CommandsAwaitingFeatures())
                EXPECT_NE(awaiting, item.first) << "enabled, but its handler does nothing yet";
            if (window == Program().frame) {
                EXPECT_TRUE(FrameCommandActs(item.first)) << item.first;
            }
        }
        EXPECT_GT(enabled, 10);
    }
    Program().openList.Clear();
    SetOpenListPosition(0);
    FreeCurrentPicture();
    CurrentDocument().fileName[0] = '\0';
}

TEST(StatusTextTest, FileSizesInKilobytesAndMegabytes) {
    EXPECT_EQ("0.00 KB", FormatFileSize(0));
    EXPECT_EQ("1.00 KB", FormatFileSize(1024));
    EXPECT_EQ("1.50 KB", FormatFileSize(1536));
    EXPECT_EQ("1024.99 KB", FormatFileSize(1024 * 1024 + 1014));
    EXPECT_EQ("1.00 MB", FormatFileSize(1025 * 1024));
    EXPECT_EQ("20.00 MB", FormatFileSize(0x1400000ull));
    EXPECT_EQ("5120.00 MB", FormatFileSize(5ull << 30)) << "no 32-bit overflow";
}

TEST(BrowserPlacementTest, RememberedRectangleOrDefaults) {
    const RECT desktop{0, 0, 1024, 738};
    RECT r = BrowserWindowRect(10, 20, 700, 500, desktop);
    EXPECT_EQ(10, r.left);
    EXPECT_EQ(20, r.top);
    EXPECT_EQ(710, r.right);
    EXPECT_EQ(520, r.bottom);
    // Not set (0x80000000) or negative: 800 x 600 centred.
    r = BrowserWindowRect(static_cast<int>(0x80000000), static_cast<int>(0x80000000), -1, -5, desktop);
    EXPECT_EQ(112, r.left);
    EXPECT_EQ(69, r.top);
    EXPECT_EQ(800, r.right - r.left);
    // A position beyond the desktop's extent is replaced, the size kept.
    r = BrowserWindowRect(2000, 100, 400, 300, desktop);
    EXPECT_EQ(312, r.left);
    EXPECT_EQ(100, r.top);
    // A desktop smaller than the default size.
    r = BrowserWindowRect(0, 0, -1, -1, RECT{0, 0, 640, 480});
    EXPECT_EQ(640, r.right - r.left);
    EXPECT_EQ(480, r.bottom - r.top);
}

// Kinds of damage a hand-edited or broken Tavirsel.INI brings, each text
// used for every position, size and divider key of the browser.
TEST(BrowserPlacementTest, ADamagedFileStillOpensTheBrowserWhollyOnTheDesktop) {
    const char* const damage[] = {
        "12345678901234", "-138000000", "2147483647", "-2147483648", "-2147483647", "0x7FFFFFFF",
        "-800", "0", "5", "99999", "wide", "",
    };
    const RECT desktop{0, 0, 1024, 738};
    const RECT client{0, 0, 784, 500};
    auto raw = [](const char* key, const char* text) {
        WritePrivateProfileStringA(settings::kSettings, key, text, settings::kFileName);
    };
    for (const char* position : damage) {
        for (const char* size : damage) {
            raw("BSWPOSX", position), raw("BSWPOSY", position);
            raw("BSWIDTH", size), raw("BSWHIGH", size);
            using namespace settings;
            const RECT r = BrowserWindowRect(Read(kBrowserX), Read(kBrowserY), Read(kBrowserWidth),
                                             Read(kBrowserHeight), desktop);
            RECT inside;
            IntersectRect(&inside, &r, &desktop);
            EXPECT_TRUE(EqualRect(&inside, &r)) << position << " / " << size << ": " << r.left << "," << r.top
                                                << " " << r.right << "," << r.bottom;
            EXPECT_GE(r.right - r.left, 320) << size;
            EXPECT_GE(r.bottom - r.top, 240) << size;
        }
        for (const char* key : {"TREEVIEWLINE", "PREVIEWLINE", "LISTVIEWLINE", "SaveTreeViewLine",
                                "SavePrevViewLine", "SaveListViewLine"})
            raw(key, position);
        using namespace settings;
        const BrowserLayout l = InitialBrowserLayout(client, Read(kTreeViewLine), Read(kPreviewLine),
                                                     Read(kListViewLine), Read(kSaveTreeViewLine),
                                                     Read(kSavePrevViewLine), Read(kSaveListViewLine));
        EXPECT_GT(l.treeX, 0) << position;
        EXPECT_LT(l.treeX, l.previewX) << position;
        EXPECT_LT(l.previewX, client.right) << position;
        EXPECT_GT(l.listY, 0) << position;
        EXPECT_LT(l.listY, client.bottom) << position;
        EXPECT_LE(l.savedTreeX, 32767) << position;
        EXPECT_LE(l.savedPreviewX, 32767) << position;
        EXPECT_LE(l.savedListY, 32767) << position;
    }
    WritePrivateProfileStringA(settings::kSettings, nullptr, nullptr, settings::kFileName);
}
