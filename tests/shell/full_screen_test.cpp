// Full screen and the selection commands with the program's frame in this
// process: F4 and Esc give back the exact rectangle, menu and bars; the
// settings file never holds the full-screen rectangle; a language or display
// change while full screen; a selection dragged with the mouse copied to the
// real clipboard and zoomed to.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "browser_window.h"
#include "commands.h"
#include "document.h"
#include "frame_window.h"
#include "icons.h"
#include "language_menu.h"
#include "menu_rules.h"
#include "picture_view.h"
#include "program.h"
#include "resource_ids.h"
#include "settings.h"
#include "shell_test_files.h"
#include "zoom.h"

namespace {

void Drain() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        if (msg.message != WM_QUIT) DispatchMessageA(&msg);
}

RECT RectOf(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    return r;
}

std::string Text(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

RECT Screen() { return RectOf(GetDesktopWindow()); }

void Command(UINT id) {
    SendMessageA(Program().frame, WM_COMMAND, id, 0);
    Drain();
}

bool Shown(HWND window) { return window && IsWindowVisible(window); }

class FullScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        ForgetIni();
        ProgramState& shell = Program();
        SetUpProgramState();
        LoadShellIcons();
        InitCommonControls();
        ASSERT_TRUE(RegisterFrameClass());
        ASSERT_NE(nullptr, CreateFrameWindow());
        ASSERT_NE(nullptr, CreateBrowserWindow(shell.mainModule, SW_HIDE));
        shell.languages = BuildLanguageList(shell.programDirectory, shell.mainModule);
        AppendLanguageItems(GetMenu(shell.frame));
        SetLanguageChangedHandler([] {
            ReloadFrameResources();
            ReloadBrowserResources();
        });
        SetWindowPos(shell.frame, nullptr, windowed_.left, windowed_.top, windowed_.right - windowed_.left,
                     windowed_.bottom - windowed_.top, SWP_NOZORDER | SWP_SHOWWINDOW);
        Drain();
    }
    void TearDown() override {
        ProgramState& shell = Program();
        if (shell.frame) DestroyWindow(shell.frame);
        DestroyBrowserWindow();
        FreeLanguageLibrary();
        FreeShellIcons();
        Drain();
        ForgetIni();
    }
    const RECT windowed_ = {100, 80, 800, 580};
};

}  // namespace

TEST_F(FullScreenTest, LeavingGivesBackTheExactRectangleMenuAndBars) {
    // Bars before entering, the toggles pressed while full screen, and the
    // bars leaving must bring back.
    struct Case {
        bool toolbar, statusBar;
        bool toggleToolbar, toggleStatusBar;
        bool toolbarAfter, statusBarAfter;
    };
    const Case cases[] = {
        {true, true, false, false, true, true},
        {false, true, false, false, false, true},
        {true, false, false, false, true, false},
        {true, true, true, false, false, true},
        {false, false, true, true, true, true},
    };
    ProgramState& shell = Program();
    HWND frame = shell.frame;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.toolbar) + std::to_string(c.statusBar) + std::to_string(c.toggleToolbar) +
                     std::to_string(c.toggleStatusBar));
        shell.toolbarShown = c.toolbar;
        shell.statusBarShown = c.statusBar;
        ShowWindow(FrameToolbar(), c.toolbar ? SW_SHOW : SW_HIDE);
        ShowWindow(FrameStatusBar(), c.statusBar ? SW_SHOW : SW_HIDE);
        SetWindowPos(frame, nullptr, windowed_.left, windowed_.top, windowed_.right - windowed_.left,
                     windowed_.bottom - windowed_.top, SWP_NOZORDER);
        Drain();
        const HMENU menu = GetMenu(frame);
        const LONG style = GetWindowLongA(frame, GWL_STYLE);
        ASSERT_NE(nullptr, menu);

        Command(IDC_FULL_SCREEN);
        RECT now = RectOf(frame), screen = Screen();
        EXPECT_TRUE(EqualRect(&now, &screen)) << Text(now);
        EXPECT_EQ(nullptr, GetMenu(frame));
        EXPECT_FALSE(GetWindowLongA(frame, GWL_STYLE) & WS_CAPTION);
        EXPECT_FALSE(Shown(FrameToolbar()));
        EXPECT_FALSE(Shown(FrameStatusBar()));
        EXPECT_TRUE(CurrentCommandState().fullScreen) << "View > Full-screen is checked";
        if (c.toggleToolbar) Command(IDC_TOGGLE_TOOLBAR);
        if (c.toggleStatusBar) Command(IDC_TOGGLE_STATUS_BAR);
        EXPECT_FALSE(Shown(FrameToolbar())) << "a toggle only changes what leaving restores";
        EXPECT_FALSE(Shown(FrameStatusBar()));
        EXPECT_EQ(c.toolbarAfter, CurrentCommandState().toolbarShown) << "the item tells what comes back";

        // Exiting now would remember the windowed rectangle.
        WriteFramePlacement(frame);
        using namespace settings;
        EXPECT_EQ(windowed_.left, Read(kShowX));
        EXPECT_EQ(windowed_.top, Read(kShowY));
        EXPECT_EQ(windowed_.right - windowed_.left, Read(kShowSX));
        EXPECT_EQ(windowed_.bottom - windowed_.top, Read(kShowSY));

        Command(IDC_LEAVE_FULL_SCREEN);
        now = RectOf(frame);
        EXPECT_TRUE(EqualRect(&now, &windowed_)) << Text(now) << ": the layout after leaving keeps it";
        EXPECT_EQ(menu, GetMenu(frame));
        EXPECT_EQ(style, GetWindowLongA(frame, GWL_STYLE));
        EXPECT_EQ(c.toolbarAfter, Shown(FrameToolbar()));
        EXPECT_EQ(c.statusBarAfter, Shown(FrameStatusBar()));
        EXPECT_EQ(c.toolbarAfter, shell.toolbarShown) << "written at shutdown";
        EXPECT_FALSE(CurrentCommandState().fullScreen);

        // Esc when windowed does nothing.
        SendMessageA(frame, WM_KEYDOWN, VK_ESCAPE, 0);
        Drain();
        now = RectOf(frame);
        EXPECT_TRUE(EqualRect(&now, &windowed_)) << Text(now);
        EXPECT_EQ(menu, GetMenu(frame));
    }
}

TEST_F(FullScreenTest, ALanguageChangeWhileFullScreenReplacesTheSavedMenu) {
    ProgramState& shell = Program();
    UINT chinese = 0;
    for (size_t i = 0; i < shell.languages.size(); ++i)
        if (shell.languages[i].codePage == 936) chinese = IDC_LANGUAGE_FIRST + static_cast<UINT>(i);
    ASSERT_NE(0u, chinese) << "SHOW936.DLL beside the program";
    const HMENU english = GetMenu(shell.frame);
    Command(IDC_FULL_SCREEN);
    ASSERT_TRUE(HandleLanguageCommand(chinese));
    Drain();
    EXPECT_EQ(nullptr, GetMenu(shell.frame)) << "still full screen, still without a menu";
    EXPECT_FALSE(IsMenu(english)) << "the detached English menu went";
    Command(IDC_LEAVE_FULL_SCREEN);
    const HMENU now = GetMenu(shell.frame);
    ASSERT_NE(nullptr, now);
    char text[64] = {};
    GetMenuStringA(now, 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STRNE("&File", text) << "the new language's menu";
    EXPECT_TRUE(GetMenuState(now, chinese, MF_BYCOMMAND) & MF_CHECKED);
    ASSERT_TRUE(HandleLanguageCommand(IDC_LANGUAGE_FIRST));
}

TEST_F(FullScreenTest, ADisplayChangePlacesTheFullScreenFrameAgain) {
    HWND frame = Program().frame;
    Command(IDC_FULL_SCREEN);
    // As if the screen had been another size meanwhile.
    SetWindowPos(frame, nullptr, 30, 40, 320, 200, SWP_NOZORDER);
    SendMessageA(frame, WM_DISPLAYCHANGE, 32, MAKELPARAM(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)));
    Drain();
    RECT now = RectOf(frame), screen = Screen();
    EXPECT_TRUE(EqualRect(&now, &screen)) << Text(now);
    Command(IDC_LEAVE_FULL_SCREEN);
    now = RectOf(frame);
    EXPECT_TRUE(EqualRect(&now, &windowed_)) << Text(now);
}

namespace {

// Different for every pixel of a small picture: blue x, green y, red x ^ y.
DWORD Pattern(int x, int y) { return static_cast<DWORD>((x ^ y) & 0xFF) << 16 | (y & 0xFF) << 8 | (x & 0xFF); }

// Drags with the left button in the view's client area.
void Drag(HWND view, POINT from, POINT to) {
    SendMessageA(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
    SendMessageA(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
    SendMessageA(view, WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
}

// The clipboard's CF_DIB as 0x00RRGGBB rows from the top, with its size.
std::vector<DWORD> ClipboardPixels(int* width, int* height) {
    std::vector<DWORD> pixels;
    *width = *height = 0;
    if (!OpenClipboard(nullptr)) return pixels;
    if (HANDLE data = GetClipboardData(CF_DIB)) {
        const auto* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(data));
        if (header && header->biBitCount == 32 && header->biCompression == BI_RGB && header->biHeight > 0) {
            *width = header->biWidth;
            *height = header->biHeight;
            const auto* rows = reinterpret_cast<const DWORD*>(header + 1);
            for (int y = 0; y < *height; ++y)
                for (int x = 0; x < *width; ++x)
                    pixels.push_back(rows[static_cast<size_t>(*height - 1 - y) * *width + x] & 0xFFFFFF);
        }
        GlobalUnlock(data);
    }
    CloseClipboard();
    return pixels;
}

// Another program's hold on the clipboard: a thread that opens it, puts a
// text there and keeps it open until told to let go.
struct ClipboardHolder {
    HANDLE holding = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE letGo = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = nullptr;
    static DWORD WINAPI Hold(void* self) {
        auto* h = static_cast<ClipboardHolder*>(self);
        if (OpenClipboard(nullptr)) {
            EmptyClipboard();
            HGLOBAL text = GlobalAlloc(GMEM_MOVEABLE, 6);
            lstrcpyA(static_cast<char*>(GlobalLock(text)), "kept");
            GlobalUnlock(text);
            SetClipboardData(CF_TEXT, text);
            SetEvent(h->holding);
            WaitForSingleObject(h->letGo, 10000);
            CloseClipboard();
        }
        return 0;
    }
    ClipboardHolder() {
        thread = CreateThread(nullptr, 0, Hold, this, 0, nullptr);
        WaitForSingleObject(holding, 5000);
    }
    ~ClipboardHolder() {
        SetEvent(letGo);
        WaitForSingleObject(thread, 5000);
        CloseHandle(thread);
        CloseHandle(holding);
        CloseHandle(letGo);
    }
};

std::string StatusNote() {
    char text[256] = {};
    SendMessageA(FrameStatusBar(), SB_GETTEXTA, 5, reinterpret_cast<LPARAM>(text));
    return text;
}

}  // namespace

TEST_F(FullScreenTest, ASelectionDraggedWithTheMouseIsCopiedAndZoomedTo) {
    HWND frame = Program().frame, view = FrameView();
    Picture* picture = CreatePicture(120, 90);
    ASSERT_NE(nullptr, picture);
    auto* pixels = reinterpret_cast<DWORD*>(picture->working->pixels);
    for (int y = 0; y < 90; ++y)
        for (int x = 0; x < 120; ++x) pixels[y * 120 + x] = Pattern(x, y);
    RefreshPictureDisplay(picture);
    SetCurrentZoomIndex(kZoomNormalIndex);
    ShowProcessedPicture(frame, ProcessedChange::NewSize, picture);
    Drain();
    ASSERT_TRUE(ViewHasPicture(view));
    RECT client;
    GetClientRect(view, &client);
    ASSERT_EQ(120, client.right) << "the view holds the picture at 100 %";

    // No selection: the selection items are greyed.
    EXPECT_FALSE(CurrentCommandState().selection);
    Drag(view, {10, 20}, {50, 45});
    ASSERT_TRUE(CurrentCommandState().selection);

    {
        // Held by another program: the user reads so, the clipboard keeps its text.
        ClipboardHolder holder;
        Command(IDC_COPY_SELECTION_TO_CLIP);
        EXPECT_EQ(ResourceString(IDS_CLIPBOARD_BUSY), StatusNote());
    }
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_DIB));
    Command(IDC_COPY_SELECTION_TO_CLIP);
    int width = 0, height = 0;
    const std::vector<DWORD> copied = ClipboardPixels(&width, &height);
    ASSERT_EQ(40, width);
    ASSERT_EQ(25, height);
    int wrong = 0;
    for (int y = 0; y < 25; ++y)
        for (int x = 0; x < 40; ++x) wrong += copied[static_cast<size_t>(y) * 40 + x] != Pattern(10 + x, 20 + y);
    EXPECT_EQ(0, wrong) << "pixels of the clipboard that differ from the picture";

    // A press inside the selection zooms to it: 40 x 25 pixels fill the
    // screen less the frame's parts around the picture area.
    SendMessageA(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 30));
    SendMessageA(view, WM_LBUTTONUP, 0, MAKELPARAM(30, 30));
    Drain();
    EXPECT_FALSE(ViewHasSelection(view));
    POINT scroll = {};
    int zoom = 0;
    GetViewPosition(view, &scroll, &zoom);
    EXPECT_GT(zoom, 1000) << "40 pixels across a screen";
    EXPECT_LE(zoom, 2000);
    EXPECT_EQ(kZoomAfterSelection, CurrentZoomIndex());
    EXPECT_LT(static_cast<long long>(120) * zoom / 100, 32768);
    RECT source;
    GetViewSourceRect(view, &source, nullptr);
    EXPECT_LE(source.left, 10) << Text(source);
    EXPECT_GE(source.right, 49) << Text(source);

    SetViewPicture(view, nullptr);
    FreeCurrentPicture();
    SetCurrentZoomIndex(kZoomNormalIndex);
}
