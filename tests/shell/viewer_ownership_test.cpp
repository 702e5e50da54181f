// Who owns the current picture and the open list, with the program's two
// windows in this process and the real loader, worker and image library: a
// new file's picture becomes current on the viewer's own thread; picture
// commands are refused while the loader writes into the picture; the
// sequence show holds still while a command's dialog is open; dropped files
// go through the browser's list, its order is the open list's order, a
// re-sort hands the new order over, and a folder load running when files are
// dropped does not wipe them.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "browser_window.h"
#include "commands.h"
#include "dialog_driver.h"
#include "document.h"
#include "document_link.h"
#include "file_list.h"
#include "frame_window.h"
#include "icons.h"
#include "item_model.h"
#include "load.h"
#include "loader.h"
#include "messages.h"
#include "navigation.h"
#include "picture_view.h"
#include "pidl.h"
#include "resource_ids.h"
#include "settings.h"
#include "program.h"
#include "shell_test_files.h"
#include "status_text.h"
#include "system_info.h"
#include "worker.h"

namespace {

// Dispatches this thread's messages until ok() holds or ms pass.
bool PumpUntil(const std::function<bool()>& ok, DWORD ms = 10000) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (ok()) return true;
        if (GetTickCount() - start > ms) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void PumpFor(DWORD ms) {
    const DWORD start = GetTickCount();
    PumpUntil([&] { return GetTickCount() - start >= ms; }, ms + 100);
}

// The note in the last part of a status bar.
std::string Note(HWND bar) {
    char text[256] = {};
    SendMessageA(bar, SB_GETTEXTA, 5, reinterpret_cast<LPARAM>(text));
    return text;
}

std::vector<std::string> OpenListNow() {
    std::vector<std::string> paths;
    for (int i = 0; i < Program().openList.Count(); ++i) paths.push_back(Program().openList.At(i));
    return paths;
}

std::vector<std::string> ModelPaths() {
    std::vector<std::string> paths;
    ItemModelLock hold;
    for (const BrowserItem& item : Items().items) paths.push_back(ItemPath(item));
    return paths;
}

// A drop of paths as the shell hands it to a window.
HDROP MakeDrop(const std::vector<std::string>& paths) {
    size_t bytes = sizeof(DROPFILES) + 1;
    for (const std::string& path : paths) bytes += path.size() + 1;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    char* at = reinterpret_cast<char*>(drop) + sizeof(DROPFILES);
    for (const std::string& path : paths) {
        lstrcpyA(at, path.c_str());
        at += path.size() + 1;
    }
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

// While it lives, pixel reads wait until Release() (or 10 s): the loader
// stays inside its decode, writing into the current picture.
const LorimelApi* g_realLibrary = nullptr;
HANDLE g_reading = nullptr;   // a read has started
HANDLE g_release = nullptr;   // reads may go on

LONG WINAPI SlowReadPixels(LorimelHandle file, void* pixels, LONG width, LONG height, LONG page) {
    SetEvent(g_reading);
    WaitForSingleObject(g_release, 10000);
    return g_realLibrary->ReadImagePixels(file, pixels, width, height, page);
}

class SlowLibrary {
public:
    SlowLibrary() {
        g_realLibrary = ImageLibrary();
        g_reading = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        g_release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        api_ = *g_realLibrary;
        api_.ReadImagePixels = SlowReadPixels;
        SetImageLibrary(&api_);
    }
    ~SlowLibrary() {
        Release();
        StopPictureLoader(5000);
        SetImageLibrary(g_realLibrary);
        CloseHandle(g_reading);
        CloseHandle(g_release);
    }
    SlowLibrary(const SlowLibrary&) = delete;
    SlowLibrary& operator=(const SlowLibrary&) = delete;
    static bool Reading() { return WaitForSingleObject(g_reading, 0) == WAIT_OBJECT_0; }
    static void Release() { SetEvent(g_release); }

private:
    LorimelApi api_;
};

// What the current picture was when the frame received the loader's
// hand-over, before the frame's own handling of it.
WNDPROC g_frameProc = nullptr;
std::vector<bool> g_currentOnArrival;   // the handed picture was current already
LRESULT CALLBACK WatchHandOver(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kMsgLoaderShowPicture && lp)
        g_currentOnArrival.push_back(CurrentDocument().picture == reinterpret_cast<Picture*>(lp));
    return CallWindowProcA(g_frameProc, window, msg, wp, lp);
}

class ViewerOwnershipTest : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        ForgetIni();
        ASSERT_TRUE(EnsureImageLibrary());
        ProgramState& shell = Program();
        SetUpProgramState();
        shell.lorimel = *ImageLibrary();
        shell.lorimelReady = true;
        LoadShellIcons();
        InitCommonControls();
        ASSERT_TRUE(RegisterFrameClass());
        ASSERT_NE(nullptr, CreateFrameWindow());
        ASSERT_NE(nullptr, CreateBrowserWindow(shell.mainModule, SW_HIDE));
        ConnectDocumentToFrame(shell.frame);
        handOver_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        shell.handOverEvent = handOver_;
    }
    void TearDown() override {
        ProgramState& shell = Program();
        if (IsSequenceShowOn()) ToggleSequenceShow();
        // The item model outlives the windows: the next test starts sorted
        // by name, forward, as a new list does.
        if (shell.browser) {
            SendMessageA(shell.browser, WM_COMMAND, IDC_SORT_BY_NAME, 0);
            SendMessageA(shell.browser, WM_COMMAND, IDC_SORT_FORWARD, 0);
        }
        CloseAll();
        StopPictureLoader(5000);
        shell.handOverEvent = nullptr;
        CloseHandle(handOver_);
        if (shell.frame) DestroyWindow(shell.frame);
        DestroyBrowserWindow();
        ConnectDocumentToFrame(nullptr);
        FreeShellIcons();
        PumpFor(50);
        shell.lorimelReady = false;
        ForgetIni();
        CoUninitialize();
    }
    // Waits (answering messages) until the worker has finished a request 4.
    bool WaitForSeparateFiles(DWORD ms = 20000) {
        return PumpUntil([&] { return WaitForSingleObject(handOver_, 0) == WAIT_OBJECT_0; }, ms);
    }
    HANDLE handOver_ = nullptr;
};

}  // namespace

TEST_F(ViewerOwnershipTest, ANewFilesPictureBecomesCurrentOnTheViewersThread) {
    const std::string first = WriteBmp("owner-first.bmp", 40, 30);
    const std::string second = WriteBmp("owner-second.bmp", 24, 20);
    g_currentOnArrival.clear();
    g_frameProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(Program().frame, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchHandOver)));
    for (const std::string& path : {first, second}) {
        ASSERT_TRUE(LoadPictureFile(path.c_str()));
        ASSERT_TRUE(PumpUntil([] { return IsLoadFinished(); })) << path;
    }
    SetWindowLongPtrA(Program().frame, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_frameProc));
    EXPECT_EQ((std::vector<bool>{false, false}), g_currentOnArrival)
        << "the loader's thread had already made its picture current";
    ASSERT_NE(nullptr, CurrentDocument().picture);
    EXPECT_EQ(24, DibWidth(CurrentDocument().picture->working));
    EXPECT_EQ(1, CurrentDocument().pageCount);
}

TEST_F(ViewerOwnershipTest, PictureCommandsAreRefusedWhileTheLoaderWritesIntoThePicture) {
    const std::string path = WriteBmp("owner-slow.bmp", 40, 30);
    const std::string note = ResourceString(IDS_STILL_LOADING);
    {
        SlowLibrary slow;
        ASSERT_TRUE(LoadPictureFile(path.c_str()));
        ASSERT_TRUE(PumpUntil([] { return SlowLibrary::Reading() && CurrentDocument().picture; }));
        Picture* loading = CurrentDocument().picture;
        // No selection starts over a picture being decoded.
        HWND view = FrameView();
        SendMessageA(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        SendMessageA(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(30, 20));
        SendMessageA(view, WM_LBUTTONUP, 0, MAKELPARAM(30, 20));
        EXPECT_FALSE(ViewHasSelection(view));
        for (UINT id : {IDC_GREY, IDC_INVERT_ALL, IDC_ROTATE_LEFT, IDC_HALVE_PICTURE, IDC_COPY_SELECTION_TO_CLIP,
                        IDC_ZOOM_TO_SELECTION}) {
            ShowStatusNote(FrameStatusBar(), "");
            SendMessageA(Program().frame, WM_COMMAND, id, 0);
            EXPECT_EQ(note, Note(FrameStatusBar())) << id;
            EXPECT_EQ(note, Note(BrowserStatusBar())) << id;
            EXPECT_EQ(loading, CurrentDocument().picture) << id << " ran on the picture being decoded";
        }
        SlowLibrary::Release();
        ASSERT_TRUE(PumpUntil([] { return IsLoadFinished(); }));
    }
    EXPECT_EQ("", Note(FrameStatusBar())) << "the note goes once the picture is shown";
    // Once loaded, the same commands run.
    SendMessageA(Program().frame, WM_COMMAND, IDC_INVERT_ALL, 0);
    ASSERT_NE(nullptr, CurrentDocument().picture);
    EXPECT_EQ(0x9F9F9Fu, reinterpret_cast<const DWORD*>(CurrentDocument().picture->working->pixels)[0] & 0xFFFFFF);
    EXPECT_EQ("", Note(FrameStatusBar()));
}

TEST_F(ViewerOwnershipTest, TheSequenceShowHoldsStillWhileACommandsDialogIsOpen) {
    settings::Write(settings::kTimer, 50);
    Program().openList.Append(WriteBmp("show-a.bmp", 40, 30));
    Program().openList.Append(WriteBmp("show-b.bmp", 30, 40));
    ASSERT_TRUE(FirstPicture());
    ASSERT_TRUE(PumpUntil([] { return IsLoadFinished(); }));
    ToggleSequenceShow();   // goes to the second picture and starts the timer
    ASSERT_TRUE(PumpUntil([] { return OpenListPosition() == 1 && IsLoadFinished(); }));

    // The About dialog stays up for about ten timer periods.
    Driver driver(IDC_ABOUT_NAME);
    std::set<std::string> shown;
    for (int i = 0; i < 25; ++i) driver.Then([&](HWND) { shown.insert(CurrentDocumentFacts().file); });
    driver.Press(IDOK);
    driver.Run([] { SendMessageA(Program().frame, WM_COMMAND, IDC_ABOUT, 0); });
    EXPECT_FALSE(driver.timedOut);
    EXPECT_EQ((std::set<std::string>{Program().openList.At(1)}), shown);
    EXPECT_TRUE(PumpUntil([] { return OpenListPosition() == 0; }, 15000)) << "the show goes on afterwards";
}

TEST_F(ViewerOwnershipTest, DroppedFilesGoThroughTheBrowsersListWhoseOrderTheViewerFollows) {
    const std::string c = WriteBmp("drop-c.bmp", 30, 20);
    const std::string a = WriteBmp("drop-a.bmp", 40, 20);
    const std::string b = WriteBmp("drop-b.bmp", 50, 20);
    const std::string text = Beside("drop-notes.txt");
    if (FILE* f = std::fopen(text.c_str(), "w")) {
        std::fputs("not a picture", f);
        std::fclose(f);
    }
    SendMessageA(Program().frame, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({c, a, text, b})), 0);
    EXPECT_EQ((std::vector<std::string>{c, a, b}), OpenListNow()) << "the pictures, in the order dropped";
    EXPECT_EQ((std::vector<std::string>{c, a, b}), ModelPaths()) << "the browser's list holds them";
    EXPECT_EQ(3, static_cast<int>(SendMessageA(FileListWindow(), LVM_GETITEMCOUNT, 0, 0)));
    ASSERT_TRUE(WaitForSeparateFiles());
    ASSERT_TRUE(PumpUntil([&] { return IsLoadFinished() && CurrentDocumentFacts().file == c; }))
        << "the first dropped picture is shown";
    EXPECT_EQ((std::vector<std::string>{c, a, b}), OpenListNow());

    // The browser sorts by name: Next and Previous follow, and the position
    // still names the picture shown.
    SendMessageA(Program().browser, WM_COMMAND, IDC_SORT_BY_NAME, 0);
    EXPECT_TRUE(PumpUntil([&] { return OpenListNow() == std::vector<std::string>{a, b, c}; }, 3000));
    EXPECT_EQ(2, OpenListPosition());
    EXPECT_TRUE(PreviousPicture());
    EXPECT_TRUE(PumpUntil([&] { return IsLoadFinished() && CurrentDocumentFacts().file == b; }));
    SendMessageA(Program().browser, WM_COMMAND, IDC_SORT_REVERSE, 0);
    EXPECT_TRUE(PumpUntil([&] { return OpenListNow() == std::vector<std::string>{c, b, a}; }, 3000));
    EXPECT_EQ(1, OpenListPosition());
    DeleteFileA(text.c_str());
}

TEST_F(ViewerOwnershipTest, FilesDroppedWhileAFolderLoadsAreNotWipedByThatLoad) {
    const std::string big = Beside("drop-big-folder");
    CreateDirectoryA(big.c_str(), nullptr);
    char name[32];
    for (int i = 0; i < 2000; ++i) {
        std::snprintf(name, sizeof name, "\\f%04d.txt", i);
        HANDLE file = CreateFileA((big + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        CloseHandle(file);
    }
    const std::string a = WriteBmp("during-a.bmp", 30, 20);
    const std::string b = WriteBmp("during-b.bmp", 40, 20);
    LPITEMIDLIST folder = PidlFromPath(big);
    ASSERT_NE(nullptr, folder);
    RequestFolder(kRequestOpenFolder, folder);
    FreePidl(folder);
    SendMessageA(Program().frame, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({a, b})), 0);
    ASSERT_TRUE(WaitForSeparateFiles());
    PumpFor(300);
    EXPECT_EQ((std::vector<std::string>{a, b}), ModelPaths());
    EXPECT_EQ(2, static_cast<int>(SendMessageA(FileListWindow(), LVM_GETITEMCOUNT, 0, 0)));
    EXPECT_EQ((std::vector<std::string>{a, b}), OpenListNow());

    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((big + "\\*.txt").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do DeleteFileA((big + "\\" + found.cFileName).c_str());
        while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(big.c_str());
}
