// The browser window in-process with the viewer frame beside it, as start-up
// makes them, on a folder of its own: choosing a file by its path, Only
// Picture Mode after a real load and thumbnail pass, the list of older
// common controls, the preview's menu and wheel, the decode-fault box, the
// headings in another language, Browse and a change of the display depth.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "list_view_text.h"
#include "browser_layout.h"
#include "browser_panes.h"
#include "browser_window.h"
#include "cache_files.h"
#include "commands.h"
#include "display.h"
#include "document_link.h"
#include "file_list.h"
#include "file_operations.h"
#include "file_transfer.h"
#include "folder_tree.h"
#include "frame_window.h"
#include "icons.h"
#include "item_model.h"
#include "language_menu.h"
#include "load.h"
#include "navigation.h"
#include "messages.h"
#include "picture.h"
#include "picture_view.h"
#include "resource_ids.h"
#include "program.h"
#include "shell_test_files.h"
#include "toolbar.h"
#include "worker.h"

namespace {

void Pump(DWORD ms) {
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            if (msg.message != WM_QUIT) DispatchMessageA(&msg);
        Sleep(5);
    } while (GetTickCount() - start < ms);
}

template <typename Ready>
bool PumpUntil(Ready ready, DWORD ms = 20000) {
    const DWORD start = GetTickCount();
    while (!ready()) {
        if (GetTickCount() - start > ms) return false;
        Pump(20);
    }
    return true;
}

// Visible windows of a class that belong to this process.
struct WindowSearch {
    const char* name;
    std::vector<HWND> found;
};

BOOL CALLBACK NoteWindow(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<WindowSearch*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    if (process == GetCurrentProcessId() && lstrcmpA(name, search->name) == 0 && IsWindowVisible(window))
        search->found.push_back(window);
    return TRUE;
}

std::vector<HWND> ProcessWindows(const char* className) {
    WindowSearch search{className, {}};
    EnumWindows(NoteWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Runs look() on a thread of its own once a window of className shows up,
// while the test thread pumps (a modal box or menu runs its own loop).
class WhenShown {
public:
    WhenShown(const char* className, void (*look)(const std::vector<HWND>&)) : className_(className), look_(look) {
        thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    }
    ~WhenShown() {
        WaitForSingleObject(thread_, 20000);
        CloseHandle(thread_);
    }
    bool Done() const { return WaitForSingleObject(thread_, 0) == WAIT_OBJECT_0; }
    bool seen = false;

private:
    static DWORD WINAPI Run(void* self) {
        auto* me = static_cast<WhenShown*>(self);
        for (int i = 0; i < 300; ++i) {
            if (!ProcessWindows(me->className_).empty()) {
                Sleep(600);   // what else comes, comes now
                me->seen = true;
                me->look_(ProcessWindows(me->className_));
                return 0;
            }
            Sleep(30);
        }
        return 0;
    }
    const char* className_;
    void (*look_)(const std::vector<HWND>&);
    HANDLE thread_;
};

class BrowserWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(EnsureImageLibrary()); }

    void SetUp() override {
        ProgramState& shell = Program();
        SetUpProgramState();
        shell.lorimel = *ImageLibrary();
        shell.lorimelReady = true;
        ForgetIni();
        cacheHome_ = Beside("browser-window-test-cache\\");
        CreateDirectoryA(cacheHome_.c_str(), nullptr);
        CreateDirectoryA((cacheHome_ + "Cache").c_str(), nullptr);
        SetCacheDirectory(cacheHome_);
        folder_ = Beside("browser-window-test");
        CreateDirectoryA(folder_.c_str(), nullptr);
        LoadShellIcons();
        InitCommonControls();
    }
    // Both windows, the browser shown; with inserted, the list of the older
    // common controls.
    void Open(bool inserted = false) {
        UseInsertedListItems(inserted);
        ASSERT_TRUE(RegisterFrameClass());
        ASSERT_NE(nullptr, CreateFrameWindow());
        ASSERT_NE(nullptr, CreateBrowserWindow(Program().mainModule, SW_SHOWNORMAL));
        UseInsertedListItems(false);
        list_ = FileListWindow();
        SetForegroundWindow(Program().browser);
    }
    void TearDown() override {
        ProgramState& shell = Program();
        // A file chosen in the list became the current picture (the preview
        // shows it): the next test starts without one.
        StopPictureLoading();
        SetPreviewPicture(nullptr);
        if (FrameView()) SetViewPicture(FrameView(), nullptr);
        FreeCurrentDocument();
        shell.openList.Clear();
        if (shell.frame) DestroyWindow(shell.frame);
        DestroyBrowserWindow();
        FreeLanguageLibrary();
        FreeShellIcons();
        Pump(50);
        shell.lorimelReady = false;
        CloseCacheFiles();
        ClearCacheFiles();
        for (const std::string& name : made_) DeleteFileA((folder_ + "\\" + name).c_str());
        RemoveDirectoryA(folder_.c_str());
        RemoveDirectoryA((cacheHome_ + "Cache").c_str());
        RemoveDirectoryA(cacheHome_.c_str());
        ForgetIni();
    }
    void Picture(const char* name) {
        const std::string from = WriteBmp(std::string("bwt-") + name, 40, 30);
        MoveFileExA(from.c_str(), (folder_ + "\\" + name).c_str(), MOVEFILE_REPLACE_EXISTING);
        made_.push_back(name);
    }
    void Text(const char* name) {
        WriteTextFile(folder_ + "\\" + name);
        made_.push_back(name);
    }
    // Shows the folder and waits for its thumbnail pass to end.
    void Browse() {
        ForgetPictures();
        BrowseTo(folder_);
        ASSERT_TRUE(PumpUntil([&] { return Items().Count() > 0 && Items().pictureListBuilt; })) << folder_;
        Pump(100);
    }
    static void ForgetPictures() { ClearPictureList(); }

    std::string folder_, cacheHome_;
    std::vector<std::string> made_;
    HWND list_ = nullptr;
};

TEST_F(BrowserWindowTest, ChoosingAFileByPathSelectsThatFileNotASibling) {
    Text("photo");
    Picture("photo.bmp");
    Picture("photos.bmp");
    Open();
    SelectInBrowser(folder_ + "\\photo.bmp");
    ASSERT_TRUE(PumpUntil([&] {
        return SendMessageA(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED) >= 0;
    }, 5000)) << "the file is chosen once its folder is in the list";
    const int focused = static_cast<int>(SendMessageA(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    EXPECT_EQ("photo.bmp", ListItemText(list_, focused));
    EXPECT_EQ(1, static_cast<int>(SendMessageA(list_, LVM_GETSELECTEDCOUNT, 0, 0)));
}

// What the list's context menu does with copy, cut and paste, and the
// thumbnail command: the selection's files on the clipboard, pasted into
// the shown folder under free names, the cut items painted as cut.
TEST_F(BrowserWindowTest, TheSelectionGoesToTheClipboardAndPastesIntoTheShownFolder) {
    for (const char* name : {"a.bmp", "b.bmp"}) Picture(name);
    Open();
    Browse();
    LVITEMA state = {};
    state.stateMask = state.state = LVIS_SELECTED;
    for (int index : {1, 2}) SendMessageA(list_, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&state));
    PutSelectionOnClipboard(Program().browser, kDropCopy);
    std::vector<std::string> paths;
    ASSERT_TRUE(ReadClipboardFiles(nullptr, &paths));
    EXPECT_EQ((std::vector<std::string>{folder_ + "\\a.bmp", folder_ + "\\b.bmp"}), paths);
    made_.push_back("Copy a.bmp");
    made_.push_back("Copy b.bmp");
    PasteIntoShownFolder(Program().browser, kDropCopy);
    for (const char* name : {"Copy a.bmp", "Copy b.bmp"})
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((folder_ + "\\" + name).c_str())) << name;

    PutSelectionOnClipboard(Program().browser, kDropMove);
    EXPECT_EQ(kDropMove, GetClipboardDropEffect(nullptr));
    EXPECT_TRUE(IsCutItem(*ShownItem(1)));
    EXPECT_FALSE(IsCutItem(*ShownItem(0))) << "\"..\" is never cut";
    PutSelectionOnClipboard(Program().browser, kDropCopy);
    EXPECT_FALSE(IsCutItem(*ShownItem(1))) << "a copy ends the cut state";

    // The current item's thumbnail, as a bitmap other programs read.
    state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list_, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&state));
    Pump(50);
    SendMessageA(Program().browser, WM_COMMAND, IDC_THUMB_TO_CLIPBOARD, 0);
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_DIB));
    ClearClipboard(nullptr);
}

TEST_F(BrowserWindowTest, OnlyPictureModeShowsThePicturesTheThumbnailPassFound) {
    for (const char* name : {"a.bmp", "b.bmp"}) Picture(name);
    for (const char* name : {"c.txt", "d.bmp"}) Text(name);   // d.bmp is no picture
    Open();
    Browse();
    EXPECT_EQ(5, static_cast<int>(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0)));
    SendMessageA(Program().browser, WM_COMMAND, IDC_ONLY_PICTURES, 0);
    Pump(50);
    ASSERT_EQ(3, static_cast<int>(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0))) << "\"..\" and the two pictures";
    EXPECT_EQ("a.bmp", ListItemText(list_, 1));
    EXPECT_EQ("b.bmp", ListItemText(list_, 2));
    EXPECT_TRUE(GetMenuState(GetMenu(Program().browser), IDC_ONLY_PICTURES, MF_BYCOMMAND) & MF_CHECKED);
    SendMessageA(Program().browser, WM_COMMAND, IDC_ONLY_PICTURES, 0);
    EXPECT_EQ(5, static_cast<int>(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0)));
}

TEST_F(BrowserWindowTest, ListOfOlderCommonControlsHoldsTheLoadedFolder) {
    for (const char* name : {"a.bmp", "b.bmp"}) Picture(name);
    Text("c.txt");
    Open(true);
    ASSERT_FALSE(FileListIsVirtual());
    Browse();
    ASSERT_EQ(4, static_cast<int>(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0)));
    EXPECT_EQ("..", ListItemText(list_, 0));
    EXPECT_EQ("c.txt", ListItemText(list_, 3));
    EXPECT_EQ("40x30x16M(BMP)", ListItemText(list_, 1, 4)) << "the thumbnail pass's texts";
}

TEST_F(BrowserWindowTest, ListHeadingsComeFromTheLanguageChosen) {
    Open();
    EXPECT_EQ("Size", ListHeading(list_, 1));
    ProgramState& shell = Program();
    shell.languages = BuildLanguageList(shell.programDirectory, shell.mainModule);
    SetLanguageChangedHandler([] { ReloadBrowserResources(); });
    UINT chinese = 0;
    for (size_t i = 0; i < shell.languages.size(); ++i)
        if (shell.languages[i].codePage == 936) chinese = IDC_LANGUAGE_FIRST + static_cast<UINT>(i);
    ASSERT_NE(0u, chinese) << "SHOW936.DLL beside the program";
    ASSERT_TRUE(HandleLanguageCommand(chinese));
    // The names as this process's code page renders the language's string.
    char joined[256] = "";
    LoadStringA(shell.resourceModule, IDS_LIST_COLUMNS, joined, sizeof joined);
    const std::vector<std::string> names = SplitTexts(joined);
    ASSERT_EQ(5u, names.size()) << joined;
    EXPECT_NE("Size", ListHeading(list_, 1));
    EXPECT_EQ(names[1], ListHeading(list_, 1));
    EXPECT_EQ(names[4], ListHeading(list_, 4));
    EXPECT_EQ(names[0] + " + ", ListHeading(list_, 0)) << "with the sort mark";
    HandleLanguageCommand(IDC_LANGUAGE_FIRST);
    EXPECT_EQ("Size", ListHeading(list_, 1));
    SetLanguageChangedHandler(nullptr);
}

TEST_F(BrowserWindowTest, WheelOverThePreviewAreaGrowsThePreviewThoughTheListHasTheFocus) {
    Open();
    SetFocus(list_);
    const BrowserLayout before = CurrentBrowserLayout();
    RECT area = PreviewAreaRect(before);
    POINT middle{(area.left + area.right) / 2, (area.top + area.bottom) / 2};
    ClientToScreen(Program().browser, &middle);
    SendMessageA(list_, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(middle.x, middle.y));
    EXPECT_EQ(before.previewX - 10, CurrentBrowserLayout().previewX) << "one notch forward: 10 pixels wider";
    EXPECT_EQ(before.listY + 10, CurrentBrowserLayout().listY);
}

TEST_F(BrowserWindowTest, RightButtonOverThePreviewOpensViewPopup) {
    Open();
    ::Picture* picture = CreatePicture(60, 40);
    ASSERT_NE(nullptr, picture);
    SetPreviewPicture(picture);
    HWND preview = PreviewPane();
    ASSERT_TRUE(IsWindowVisible(preview));
    RECT pane;
    GetWindowRect(preview, &pane);
    SetCursorPos((pane.left + pane.right) / 2, (pane.top + pane.bottom) / 2);
    static UINT firstCommand, checkedSize;
    firstCommand = checkedSize = 0;
    WhenShown menu("#32768", [](const std::vector<HWND>& shown) {
        HMENU popup = reinterpret_cast<HMENU>(SendMessageA(shown[0], MN_GETHMENU, 0, 0));
        firstCommand = GetMenuItemID(popup, 0);
        checkedSize = GetMenuState(popup, IDC_PREVIEW_AUTO, MF_BYCOMMAND) & MF_CHECKED;
        PostMessageA(shown[0], WM_KEYDOWN, VK_ESCAPE, 0);
    });
    PostMessageA(preview, WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    PumpUntil([&] { return menu.Done(); }, 12000);
    Pump(100);
    EXPECT_TRUE(menu.seen) << "the menu opened";
    EXPECT_EQ(static_cast<UINT>(IDC_OPEN_SELECTED), firstCommand) << "\"Show Picture\" first";
    EXPECT_NE(0u, checkedSize) << "Auto Size is the preview size";
    SetPreviewPicture(nullptr);
    FreePicture(picture);
}

TEST_F(BrowserWindowTest, DecodeFaultsShowOneBoxAtATimeAndTheRestInTheStatusBar) {
    Open();
    static size_t boxes;
    boxes = 0;
    WhenShown answer("#32770", [](const std::vector<HWND>& shown) {
        boxes = shown.size();
        for (int i = 0; i < 10; ++i)
            for (HWND box : ProcessWindows("#32770")) PostMessageA(box, WM_COMMAND, IDOK, 0), Sleep(100);
    });
    for (const char* name : {"C:\\one.jpg", "C:\\two.jpg", "C:\\three.jpg"})
        PostMessageA(Program().browser, kMsgThumbDecodeFault, 1, reinterpret_cast<LPARAM>(new std::string(name)));
    PumpUntil([&] { return answer.Done(); }, 15000);
    Pump(100);
    EXPECT_TRUE(answer.seen);
    EXPECT_EQ(1u, boxes) << "one box, not one per picture";
    char part[260] = "";
    SendMessageA(BrowserStatusBar(), SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(part));
    EXPECT_NE(nullptr, strstr(part, "three.jpg")) << part;
}

TEST_F(BrowserWindowTest, BrowseLetsThePreviewDrawWholeAgain) {
    Open();
    SetViewLoading(PreviewPane(), true);
    SetViewLoading(FrameView(), true);
    ShowWindow(Program().browser, SW_HIDE);
    SendMessageA(Program().frame, WM_COMMAND, IDC_BROWSE, 0);
    EXPECT_FALSE(IsViewLoading(PreviewPane())) << "the preview comes into sight";
    EXPECT_TRUE(IsViewLoading(FrameView())) << "the viewer's view still loads";
}

TEST_F(BrowserWindowTest, DisplayChangeGivesThePreviewTheNewDisplayCopyAndBothViewsThePalette) {
    Picture("grey.bmp");
    Open();
    // The program started on an 8-bit screen; the screen is deeper now.
    ProgramState& shell = Program();
    shell.displayDepth = 8;
    SetPictureDisplayDepth(8);
    if (shell.palette) DeleteObject(shell.palette);
    shell.palette = CreateDisplayPalette(8);
    SetViewPalette(shell.palette);
    ConnectDocumentToFrame(shell.frame);
    ASSERT_TRUE(LoadPictureFile((folder_ + "\\grey.bmp").c_str()));
    ASSERT_TRUE(PumpUntil([] { return CurrentDocumentPicture() && !IsViewLoading(PreviewPane()); }));
    HWND preview = PreviewPane();
    ASSERT_TRUE(IsWindowVisible(preview));

    const HPALETTE eightBit = shell.palette;
    SendMessageA(shell.frame, WM_DISPLAYCHANGE, 24, MAKELPARAM(1024, 768));
    Pump(200);
    ASSERT_NE(8, shell.displayDepth);
    EXPECT_NE(eightBit, ViewPalette()) << "the views let go of the deleted palette";
    EXPECT_EQ(shell.palette, ViewPalette()) << "and draw with the new one (none on a deep screen)";
    RedrawWindow(preview, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    RECT client;
    GetClientRect(preview, &client);
    HDC dc = GetDC(preview);
    const COLORREF middle = GetPixel(dc, client.right / 2, client.bottom / 2);
    ReleaseDC(preview, dc);
    EXPECT_EQ(RGB(0x60, 0x60, 0x60), middle) << "the picture's grey, drawn from the new display copy";
}

// "BackgroundIndex" 0 to 3 frames every thumbnail cell with a built-in
// frame; any other number means no frame: the cell shows the background.
TEST_F(BrowserWindowTest, FrameIndexOutsideTheBuiltInFramesDrawsNoFrame) {
    Text("note.txt");
    const struct {
        const char* index;
        bool framed;
    } cases[] = {{"0", true}, {"3", true}, {"7", false}, {"-5", false}, {"99999", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        Put("BackgroundIndex", c.index);
        Open();
        Browse();
        SendMessageA(Program().browser, WM_COMMAND, IDC_MODE_THUMBNAILS, 0);
        RedrawWindow(list_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        RECT icon;
        icon.left = LVIR_ICON;
        ASSERT_TRUE(SendMessageA(list_, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&icon)));
        HDC dc = GetDC(list_);
        int background = 0;
        for (int x = 0; x < icon.right - icon.left; ++x)
            background += GetPixel(dc, icon.left + x, icon.top + 1) == RGB(0xC0, 0xC0, 0xC0);
        ReleaseDC(list_, dc);
        if (c.framed)
            EXPECT_LT(background, icon.right - icon.left) << "the frame's top edge";
        else
            EXPECT_EQ(background, icon.right - icon.left) << "the list's background";
        DestroyWindow(Program().frame);
        DestroyBrowserWindow();
        Pump(50);
    }
}

// The tree's menu of a folder holds the browser's own entries beside the
// shell's: "MoveTo" with "No Defined Folder", which is Move To...
TEST_F(BrowserWindowTest, FolderTreeMenuHoldsTheBrowsersOwnEntries) {
    Open();
    Browse();
    static std::string moveTo;
    static UINT moveToFirst;
    moveTo.clear();
    moveToFirst = 0;
    WhenShown menu("#32768", [](const std::vector<HWND>& shown) {
        HMENU popup = reinterpret_cast<HMENU>(SendMessageA(shown[0], MN_GETHMENU, 0, 0));
        for (int i = 0; i < GetMenuItemCount(popup); ++i) {
            char text[64] = "";
            GetMenuStringA(popup, i, text, sizeof text, MF_BYPOSITION);
            if (lstrcmpA(text, "MoveTo") == 0 && GetSubMenu(popup, i)) {
                moveTo = text;
                moveToFirst = GetMenuItemID(GetSubMenu(popup, i), 0);
            }
        }
        PostMessageA(shown[0], WM_KEYDOWN, VK_ESCAPE, 0);
    });
    PostMessageA(FolderTreeWindow(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(FolderTreeWindow()), -1);
    PumpUntil([&] { return menu.Done(); }, 12000);
    Pump(100);
    ASSERT_TRUE(menu.seen) << "the folder's menu opened";
    EXPECT_EQ("MoveTo", moveTo);
    EXPECT_EQ(32788u, moveToFirst) << "\"No Defined Folder\"";
}

// "No Defined Folder" under the tree's MoveTo moves the folder that was
// right-clicked, not the file chosen in the list beside it.
TEST_F(BrowserWindowTest, FolderTreeMoveToMovesTheTreesFolder) {
    Text("note.txt");
    static std::string destination;
    destination = Beside("browser-window-test-destination");
    CreateDirectoryA(destination.c_str(), nullptr);
    Open();
    Browse();
    SelectInBrowser(folder_ + "\\note.txt");
    Pump(200);
    ASSERT_EQ(std::vector<std::string>{folder_ + "\\note.txt"}, SelectedItemPaths(false));
    // Down to "MoveTo" (separators are passed over), into it, and its first
    // entry, "No Defined Folder".
    WhenShown menu("#32768", [](const std::vector<HWND>& shown) {
        HMENU popup = reinterpret_cast<HMENU>(SendMessageA(shown[0], MN_GETHMENU, 0, 0));
        int presses = 0;
        for (int i = 0; i < GetMenuItemCount(popup); ++i) {
            char text[64] = "";
            GetMenuStringA(popup, i, text, sizeof text, MF_BYPOSITION);
            if (!(GetMenuState(popup, i, MF_BYPOSITION) & MF_SEPARATOR)) ++presses;
            if (lstrcmpA(text, "MoveTo") == 0) break;
        }
        for (int i = 0; i < presses; ++i) PostMessageA(shown[0], WM_KEYDOWN, VK_DOWN, 0), Sleep(50);
        PostMessageA(shown[0], WM_KEYDOWN, VK_RIGHT, 0);
        Sleep(300);
        PostMessageA(shown[0], WM_KEYDOWN, VK_RETURN, 0);
    });
    WhenShown dialog("#32770", [](const std::vector<HWND>& shown) {
        SetDlgItemTextA(shown[0], IDC_DESTINATION_EDIT, destination.c_str());
        PostMessageA(shown[0], WM_COMMAND, IDOK, 0);
    });
    PostMessageA(FolderTreeWindow(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(FolderTreeWindow()), -1);
    PumpUntil([&] { return menu.Done() && dialog.Done(); }, 20000);
    Pump(200);
    ASSERT_TRUE(menu.seen) << "the folder's menu opened";
    EXPECT_TRUE(dialog.seen) << "Copy/Move Destination asked where to";
    const std::string moved = destination + "\\browser-window-test";
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((moved + "\\note.txt").c_str())) << "the folder moved";
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((destination + "\\note.txt").c_str()))
        << "the list's file stayed in its folder";
    MoveFileA(moved.c_str(), folder_.c_str());
    MoveFileA((destination + "\\note.txt").c_str(), (folder_ + "\\note.txt").c_str());
    RemoveDirectoryA(destination.c_str());
}

}  // namespace
