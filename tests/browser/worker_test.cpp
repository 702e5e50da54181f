// The worker thread under Wine: folder loads through the handshake, aborts,
// separate files, shutdown; and the folder history.  Also defines the sink
// windows and scratch folders that watcher_test.cpp and thumbnail_pass_test.cpp
// use.
#include <shlobj.h>

#include "list_view_text.h"
#include "worker.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "folder_history.h"
#include "item_model.h"
#include "messages.h"
#include "pidl.h"
#include "settings.h"
#include "program.h"
#include "worker_support.h"

#include <commctrl.h>

// ---------------------------------------------------------------------------
// Sink windows: every message posted to them is recorded with its arrival.

namespace worker_support {

struct Posted {
    HWND window;
    UINT message;
    WPARAM wParam;
    DWORD tick;
    LPARAM lParam;
};

static std::vector<Posted> g_posted;
static std::vector<std::string> g_decodeFaultPaths;

static LRESULT CALLBACK SinkProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kMsgReplaceOpenList) {
        // As the browser window does: the worker's list replaces the open list.
        std::unique_ptr<std::vector<std::string>> paths(reinterpret_cast<std::vector<std::string>*>(lp));
        Program().openList.Clear();
        for (const std::string& path : *paths) Program().openList.Append(path);
    }
    if (msg == kMsgThumbDecodeFault) {
        // As the browser window does: the path is the receiver's to delete.
        std::unique_ptr<std::string> path(reinterpret_cast<std::string*>(lp));
        g_decodeFaultPaths.push_back(path ? *path : std::string());
        lp = 0;
    }
    if (msg >= WM_USER) {
        g_posted.push_back({hwnd, msg, wp, GetTickCount(), lp});
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

HWND CreateSinkWindow(DWORD style) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = SinkProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "WorkerTestSink";
        RegisterClassA(&wc);
        registered = true;
    }
    return CreateWindowA("WorkerTestSink", "", WS_OVERLAPPED | style, 0, 0, 10, 10, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

void PumpFor(DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        const DWORD spent = GetTickCount() - start;
        if (spent >= ms) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - spent, QS_ALLINPUT);
    }
}

void ForgetPosted() {
    PumpFor(0);
    g_posted.clear();
    g_decodeFaultPaths.clear();
}

// The lParam of every message posted to window, in arrival order.
std::vector<LPARAM> PostedParams(HWND window, UINT message) {
    std::vector<LPARAM> params;
    for (const Posted& p : g_posted)
        if (p.window == window && p.message == message) params.push_back(p.lParam);
    return params;
}

// The wParam of every message posted to window, in arrival order.
std::vector<WPARAM> PostedWParams(HWND window, UINT message) {
    std::vector<WPARAM> params;
    for (const Posted& p : g_posted)
        if (p.window == window && p.message == message) params.push_back(p.wParam);
    return params;
}

// The paths the decode-fault messages carried since the last ForgetPosted.
std::vector<std::string> DecodeFaultPaths() { return g_decodeFaultPaths; }

int CountPosted(HWND window, UINT message) {
    int count = 0;
    for (const Posted& p : g_posted) count += p.window == window && p.message == message;
    return count;
}

// Pumps until message reached window (true, *tick its arrival) or timeout.
bool WaitForPosted(HWND window, UINT message, DWORD timeout, DWORD* tick) {
    const DWORD start = GetTickCount();
    for (;;) {
        for (const Posted& p : g_posted) {
            if (p.window == window && p.message == message) {
                if (tick) *tick = p.tick;
                return true;
            }
        }
        if (GetTickCount() - start > timeout) return false;
        PumpFor(10);
    }
}

// ---------------------------------------------------------------------------
// Scratch folders below the temporary folder.

std::string ScratchFolder(const char* name) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    char path[MAX_PATH];
    std::snprintf(path, sizeof path, "%sommavu_worker_%lu_%s", temp, GetCurrentProcessId(), name);
    CreateDirectoryA(path, nullptr);
    return path;
}

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA find;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &find);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = find.cFileName;
            if (name == "." || name == "..") continue;
            if (find.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path + "\\" + name);
            else
                DeleteFileA((path + "\\" + name).c_str());
        } while (FindNextFileA(search, &find));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

// Hands path to the worker as request 0.
void RequestPath(const std::string& path) {
    LPITEMIDLIST pidl = PidlFromPath(path);
    ASSERT_NE(pidl, nullptr) << path;
    RequestFolder(kRequestOpenFolder, pidl);
    FreePidl(pidl);
}

std::vector<std::string> ModelNames() {
    std::vector<std::string> names;
    ItemModelLock hold;
    for (const BrowserItem& item : Items().items) names.push_back(item.name);
    return names;
}

}  // namespace worker_support

namespace {

using namespace worker_support;

class WorkerTest : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        savedInitialDir_ = settings::Read(settings::kInitialDir);
        savedDefaultPath_ = settings::Read(settings::kDefaultPath);
        list_ = CreateSinkWindow(0);
        browser_ = CreateSinkWindow(0);
        folder_ = ScratchFolder("load");
        CreateDirectoryA((folder_ + "\\sub").c_str(), nullptr);
        WriteTextFile(folder_ + "\\b.txt", "x");
        WriteTextFile(folder_ + "\\a.txt", "x");
    }
    void TearDown() override {
        StopWatcher();
        ClearItemModel();
        SetModelFolder(nullptr, nullptr);
        Program().openList.Clear();
        DestroyWindow(list_);
        DestroyWindow(browser_);
        RemoveTree(folder_);
        settings::Write(settings::kInitialDir, savedInitialDir_);
        settings::Write(settings::kDefaultPath, savedDefaultPath_);
        ForgetPosted();
        CoUninitialize();
    }

    HWND list_ = nullptr, browser_ = nullptr;
    std::string folder_;
    std::string savedInitialDir_, savedDefaultPath_;
};

TEST_F(WorkerTest, FolderLoadFillsSortedModelAndRecordsTheFolder) {
    ASSERT_TRUE(StartWatcher(list_, browser_));
    ForgetPosted();
    RequestPath(folder_);
    ASSERT_TRUE(WaitForPosted(browser_, kMsgFolderLoaded, 10000));
    EXPECT_EQ(CountPosted(list_, LVM_DELETEALLITEMS), 1);

    EXPECT_EQ(ModelNames(), (std::vector<std::string>{"..", "sub", "a.txt", "b.txt"}));
    EXPECT_TRUE(Items().hasParent);
    EXPECT_EQ(Items().stop, 0);
    EXPECT_EQ(lstrcmpiA(LoadedFolderPath().c_str(), folder_.c_str()), 0);
    EXPECT_EQ(lstrcmpiA(settings::Read(settings::kInitialDir).c_str(), folder_.c_str()), 0);
    EXPECT_EQ(lstrcmpiA(settings::Read(settings::kDefaultPath).c_str(), folder_.c_str()), 0);
    const std::vector<std::string> history = BrowserHistory().Entries();
    ASSERT_GE(BrowserHistory().Current(), 0);
    EXPECT_EQ(lstrcmpiA(history[BrowserHistory().Current()].c_str(), folder_.c_str()), 0);

    // A request without a folder does nothing, and the worker still answers.
    RequestFolder(kRequestOpenFolder, nullptr);
    ForgetPosted();
    RequestPath(folder_);
    EXPECT_TRUE(WaitForPosted(browser_, kMsgFolderLoaded, 10000));
}

TEST_F(WorkerTest, VirtualListGetsCountAndUpdateInsteadOfFolderLoaded) {
    DestroyWindow(list_);
    list_ = CreateSinkWindow(LVS_OWNERDATA);
    ASSERT_TRUE(StartWatcher(list_, browser_));
    ForgetPosted();
    RequestPath(folder_);
    ASSERT_TRUE(WaitForPosted(list_, LVM_UPDATE, 10000));
    PumpFor(100);
    EXPECT_EQ(CountPosted(browser_, kMsgFolderLoaded), 0);
    EXPECT_EQ(CountPosted(list_, LVM_DELETEALLITEMS), 0);
    ASSERT_EQ(CountPosted(list_, LVM_SETITEMCOUNT), 1);
    for (const Posted& p : g_posted) {
        if (p.message == LVM_SETITEMCOUNT) {
            EXPECT_EQ(p.wParam, 4u);
        }
    }
}

TEST_F(WorkerTest, SecondRequestAbortsALongLoad) {
    const std::string big = ScratchFolder("big");
    char name[64];
    for (int i = 0; i < 600; ++i) {
        std::snprintf(name, sizeof name, "\\f%04d.txt", i);
        WriteTextFile(big + name, "x");
    }
    ASSERT_TRUE(StartWatcher(list_, browser_));

    ForgetPosted();
    DWORD start = GetTickCount();
    RequestPath(big);
    ASSERT_TRUE(WaitForPosted(browser_, kMsgFolderLoaded, 60000));
    const DWORD fullLoad = GetTickCount() - start;
    EXPECT_EQ(Items().Count(), 601);

    ForgetPosted();
    RequestPath(big);
    Sleep(20);
    start = GetTickCount();
    RequestPath(folder_);   // returns once the big load has given up
    const DWORD handOver = GetTickCount() - start;
    ASSERT_TRUE(WaitForPosted(browser_, kMsgFolderLoaded, 10000));
    PumpFor(200);
    EXPECT_EQ(ModelNames().size(), 4u) << "the last request's folder is shown";
    // A load slow enough to be caught midway is abandoned; a fast machine may
    // finish the big folder before the second request arrives.
    if (fullLoad > 200) {
        EXPECT_EQ(CountPosted(browser_, kMsgFolderLoaded), 1) << "the big folder was not abandoned";
        EXPECT_LT(handOver, fullLoad / 2) << "full load " << fullLoad << " ms";
    } else {
        EXPECT_LE(CountPosted(browser_, kMsgFolderLoaded), 2);
    }

    // Stopping in the middle of a long load is prompt too.
    RequestPath(big);
    Sleep(20);
    start = GetTickCount();
    StopWatcher();
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_FALSE(WorkerRunning());
    RemoveTree(big);
}

TEST_F(WorkerTest, StopEndsAnIdleWorkerPromptlyAndRequestsAfterwardAreIgnored) {
    ASSERT_TRUE(StartWatcher(list_, browser_));
    ASSERT_TRUE(WorkerRunning());
    PumpFor(50);
    const DWORD start = GetTickCount();
    StopWatcher();
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_FALSE(WorkerRunning());
    ForgetPosted();
    RequestPath(folder_);   // must not block
    PumpFor(100);
    EXPECT_EQ(CountPosted(browser_, kMsgFolderLoaded), 0);
    StopWatcher();   // a second stop is harmless

    // And the worker starts again.
    ASSERT_TRUE(StartWatcher(list_, browser_));
    RequestPath(folder_);
    EXPECT_TRUE(WaitForPosted(browser_, kMsgFolderLoaded, 10000));
}

TEST_F(WorkerTest, SeparateFilesGoToTheOpenListAndReleaseTheHandOver) {
    LPITEMIDLIST folderPidl = PidlFromPath(folder_);
    IShellFolder* folder = BindToFolder(folderPidl);
    ASSERT_NE(folder, nullptr);
    for (const char* file : {"b.txt", "a.txt"}) {
        LPITEMIDLIST absolute = PidlFromPath(folder_ + "\\" + file);
        LPITEMIDLIST relative = LastPidlElement(absolute);
        ASSERT_TRUE(AppendFolderItem(folder, folderPidl, relative));
        FreePidl(relative);
        FreePidl(absolute);
    }
    folder->Release();
    FreePidl(folderPidl);
    Program().openList.Append("C:\\stale.jpg");

    HANDLE handOver = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    Program().handOverEvent = handOver;
    ASSERT_TRUE(StartWatcher(list_, browser_));
    ForgetPosted();
    RequestSeparateFiles();
    const bool released = WaitForSingleObject(handOver, 10000) == WAIT_OBJECT_0;
    Program().handOverEvent = nullptr;
    CloseHandle(handOver);
    ASSERT_TRUE(released);

    EXPECT_TRUE(WaitForPosted(browser_, kMsgReplaceOpenList, 2000));
    ASSERT_EQ(Program().openList.Count(), 2);
    EXPECT_EQ(lstrcmpiA(Program().openList.At(0).c_str(), (folder_ + "\\b.txt").c_str()), 0);
    EXPECT_EQ(lstrcmpiA(Program().openList.At(1).c_str(), (folder_ + "\\a.txt").c_str()), 0);
    EXPECT_TRUE(WaitForPosted(list_, LVM_UPDATE, 2000));
    EXPECT_TRUE(WaitForPosted(browser_, kMsgRefreshAllTexts, 2000));
}

TEST(FolderHistory, KeepsFirstOpenedOrderAndStepsFromTheCurrentEntry) {
    FolderHistory history;
    std::string target;
    EXPECT_FALSE(history.BackwardTarget(&target));
    EXPECT_FALSE(history.ForwardTarget(&target));

    history.Visit("C:\\one");
    history.Visit("C:\\two");
    history.Visit("C:\\three");
    history.Visit("c:\\TWO");   // known already, case ignored: becomes current
    history.Visit("");
    EXPECT_EQ(history.Entries(), (std::vector<std::string>{"C:\\one", "C:\\two", "C:\\three"}));
    EXPECT_EQ(history.Current(), 1);
    ASSERT_TRUE(history.BackwardTarget(&target));
    EXPECT_EQ(target, "C:\\one");
    ASSERT_TRUE(history.ForwardTarget(&target));
    EXPECT_EQ(target, "C:\\three");

    history.Visit("C:\\three");
    EXPECT_FALSE(history.ForwardTarget(&target));
    history.Visit("C:\\one");
    EXPECT_FALSE(history.BackwardTarget(&target));

    history.Clear();
    EXPECT_EQ(history.Count(), 0);
    EXPECT_EQ(history.Current(), -1);
    EXPECT_FALSE(history.BackwardTarget(&target));
}

}  // namespace
