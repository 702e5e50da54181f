// Clear Cache File: the thumbnail cache files go through the shell's delete,
// which asks first; other files in the folder stay, and nothing happens
// while a folder's cache is open.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "browser_commands.h"
#include "cache_files.h"
#include "shell_test_files.h"
#include "worker.h"

namespace {

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void Touch(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, "data", 4, &written, nullptr);
    CloseHandle(file);
}

// Answers the first dialog box of this process that shows up within 10 s.
struct Answerer {
    UINT answer;
    bool seen = false;
    volatile bool giveUp = false;   // no box is expected after all
    HANDLE thread = nullptr;

    explicit Answerer(UINT button) : answer(button) {
        thread = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    }
    ~Answerer() {
        WaitForSingleObject(thread, 15000);
        CloseHandle(thread);
    }
    static BOOL CALLBACK Find(HWND window, LPARAM found) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        char name[16] = {};
        GetClassNameA(window, name, sizeof name);
        if (process == GetCurrentProcessId() && lstrcmpA(name, "#32770") == 0 && IsWindowVisible(window)) {
            *reinterpret_cast<HWND*>(found) = window;
            return FALSE;
        }
        return TRUE;
    }
    static DWORD WINAPI Run(void* self) {
        Answerer& a = *static_cast<Answerer*>(self);
        for (int i = 0; i < 200 && !a.giveUp; ++i) {
            HWND box = nullptr;
            EnumWindows(Find, reinterpret_cast<LPARAM>(&box));
            if (box) {
                a.seen = true;
                PostMessageA(box, WM_COMMAND, a.answer, 0);
                return 0;
            }
            Sleep(50);
        }
        return 0;
    }
};

class ClearCacheTest : public ::testing::Test {
protected:
    void SetUp() override {
        program_ = Beside("clear-cache-test\\");
        CreateDirectoryA(program_.c_str(), nullptr);
        CreateDirectoryA((program_ + "Cache").c_str(), nullptr);
        SetCacheDirectory(program_);
        for (const char* name : {"PATHINDX.CAH", "FILE0000.CAH", "ZOOMDATA.CAH", "notes.txt"}) Touch(Cache(name));
    }
    void TearDown() override {
        CloseCacheFiles();
        for (const char* name : {"PATHINDX.CAH", "FILE0000.CAH", "FILE0001.CAH", "ZOOMDATA.CAH", "notes.txt"})
            DeleteFileA(Cache(name).c_str());
        RemoveDirectoryA((program_ + "Cache").c_str());
        RemoveDirectoryA(program_.c_str());
    }
    std::string Cache(const char* name) const { return program_ + "Cache\\" + name; }
    std::string program_;
};

TEST_F(ClearCacheTest, ConfirmedDeleteTakesOnlyTheCacheFiles) {
    {
        Answerer yes(IDYES);
        ClearThumbnailCache(nullptr);
        WaitForSingleObject(yes.thread, 15000);
        EXPECT_TRUE(yes.seen) << "the shell asks first";
    }
    EXPECT_FALSE(Exists(Cache("PATHINDX.CAH")));
    EXPECT_FALSE(Exists(Cache("FILE0000.CAH")));
    EXPECT_FALSE(Exists(Cache("ZOOMDATA.CAH")));
    EXPECT_TRUE(Exists(Cache("notes.txt"))) << "only the cache's own files go";
    // The cache starts afresh afterwards.
    EXPECT_EQ(1, OpenFolderCache("C:\\pictures"));
    CloseFolderCache();
    EXPECT_TRUE(Exists(Cache("PATHINDX.CAH")));
}

TEST_F(ClearCacheTest, RefusedDeleteKeepsEverything) {
    {
        Answerer no(IDNO);
        ClearThumbnailCache(nullptr);
        WaitForSingleObject(no.thread, 15000);
        EXPECT_TRUE(no.seen);
    }
    EXPECT_TRUE(Exists(Cache("PATHINDX.CAH")));
    EXPECT_TRUE(Exists(Cache("ZOOMDATA.CAH")));
}

TEST_F(ClearCacheTest, NothingHappensWhileAFolderCacheIsOpen) {
    ASSERT_EQ(1, OpenFolderCache("C:\\pictures"));
    EXPECT_EQ(-1, ClearCacheFiles());
    ClearThumbnailCache(nullptr);   // no question asked: it would block the test
    EXPECT_TRUE(Exists(Cache("ZOOMDATA.CAH")));
    CloseFolderCache();
}

// Stands for a worker's pass: holds the folder lock for two seconds.
DWORD WINAPI HoldFolderLock(void* taken) {
    FolderLock hold;
    SetEvent(static_cast<HANDLE>(taken));
    Sleep(6000);
    return 0;
}

// The worker holds the folder lock for its folder loads and passes: the
// command neither waits for it nor asks anything meanwhile.
TEST_F(ClearCacheTest, BusyWorkerLeavesTheCacheAndTheWindowDoesNotWait) {
    HANDLE taken = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE pass = CreateThread(nullptr, 0, HoldFolderLock, taken, 0, nullptr);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(taken, 5000));
    Answerer no(IDNO);
    const DWORD start = GetTickCount();
    ClearThumbnailCache(nullptr);
    EXPECT_LT(GetTickCount() - start, 4000u) << "the window did not wait for the pass (which holds on for 6 s)";
    no.giveUp = true;
    EXPECT_FALSE(no.seen) << "nothing was asked";
    EXPECT_TRUE(Exists(Cache("ZOOMDATA.CAH")));
    WaitForSingleObject(pass, 10000);
    CloseHandle(pass);
    CloseHandle(taken);
}

}  // namespace
