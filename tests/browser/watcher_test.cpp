// Change notifications under Wine: the shown folder, other folders of the
// drive, the program's cache folder, a shown folder that goes away, and the
// refresh that carries items over.
#include <shlobj.h>

#include "list_view_text.h"
#include "watcher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "item_model.h"
#include "messages.h"
#include "pidl.h"
#include "settings.h"
#include "program.h"
#include "worker.h"
#include "worker_support.h"

namespace {

using namespace worker_support;

class WatcherTest : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        savedInitialDir_ = settings::Read(settings::kInitialDir);
        savedDefaultPath_ = settings::Read(settings::kDefaultPath);
        savedProgram_ = Program().programDirectory;
        list_ = CreateSinkWindow(0);
        browser_ = CreateSinkWindow(0);
        root_ = ScratchFolder("watch");
        shown_ = root_ + "\\shown";
        CreateDirectoryA(shown_.c_str(), nullptr);
        CreateDirectoryA((root_ + "\\other").c_str(), nullptr);
        WriteTextFile(shown_ + "\\a.txt", "x");
        WriteTextFile(shown_ + "\\b.txt", "x");
        ASSERT_TRUE(StartWatcher(list_, browser_));
    }
    void TearDown() override {
        StopWatcher();
        ClearItemModel();
        SetModelFolder(nullptr, nullptr);
        Program().openList.Clear();
        Program().programDirectory = savedProgram_;
        DestroyWindow(list_);
        DestroyWindow(browser_);
        RemoveTree(root_);
        settings::Write(settings::kInitialDir, savedInitialDir_);
        settings::Write(settings::kDefaultPath, savedDefaultPath_);
        ForgetPosted();
        CoUninitialize();
    }

    // Shows path and lets the notifications of the set-up settle.
    void Show(const std::string& path) {
        RequestPath(path);
        ASSERT_TRUE(WaitForPosted(browser_, kMsgFolderLoaded, 10000));
        PumpFor(300);
        ForgetPosted();
    }

    HWND list_ = nullptr, browser_ = nullptr;
    std::string root_, shown_;
    std::string savedInitialDir_, savedDefaultPath_, savedProgram_;
};

TEST_F(WatcherTest, BurstInTheShownFolderGivesOneChangeAfterTheQuietTime) {
    Show(shown_);
    for (int i = 0; i < 10; ++i) {
        WriteTextFile(shown_ + "\\burst" + std::to_string(i) + ".txt", "x");
        Sleep(5);
    }
    MoveFileA((shown_ + "\\a.txt").c_str(), (shown_ + "\\renamed.txt").c_str());
    Sleep(5);
    DeleteFileA((shown_ + "\\b.txt").c_str());
    const DWORD lastChange = GetTickCount();
    DWORD arrived = 0;
    ASSERT_TRUE(WaitForPosted(list_, kMsgFolderChanged, 5000, &arrived));
    EXPECT_GE(arrived - lastChange, kQuietTimeMs - 10);
    PumpFor(500);
    EXPECT_EQ(CountPosted(list_, kMsgFolderChanged), 1);
    EXPECT_EQ(CountPosted(browser_, kMsgDriveFoldersChanged), 0);
}

TEST_F(WatcherTest, FolderCreatedElsewhereOnTheDriveRefreshesTheTreeOnly) {
    Show(shown_);
    // Beside the shown folder: Wine does not follow every level of a drive.
    CreateDirectoryA((root_ + "\\new").c_str(), nullptr);
    EXPECT_TRUE(WaitForPosted(browser_, kMsgDriveFoldersChanged, 5000));
    PumpFor(300);
    EXPECT_EQ(CountPosted(list_, kMsgFolderChanged), 0);
}

TEST_F(WatcherTest, ProgramFolderAndItsCacheAreShownWithoutWatch) {
    const std::string program = root_ + "\\program";
    CreateDirectoryA(program.c_str(), nullptr);
    CreateDirectoryA((program + "\\Cache").c_str(), nullptr);
    Program().programDirectory = program + "\\";
    EXPECT_TRUE(IsUnwatchedFolder(program));
    EXPECT_TRUE(IsUnwatchedFolder(program + "\\"));
    EXPECT_TRUE(IsUnwatchedFolder(program + "\\CACHE\\"));
    EXPECT_FALSE(IsUnwatchedFolder(program + "\\Cache\\sub"));
    EXPECT_FALSE(IsUnwatchedFolder(shown_));

    Show(program + "\\Cache");
    WriteTextFile(program + "\\Cache\\folder.thm", "x");
    WriteTextFile(program + "\\Cache\\folder.idx", "x");
    DeleteFileA((program + "\\Cache\\folder.idx").c_str());
    WriteTextFile(program + "\\written.txt", "x");
    PumpFor(500);
    EXPECT_EQ(CountPosted(list_, kMsgFolderChanged), 0);
    EXPECT_EQ(CountPosted(browser_, kMsgDriveFoldersChanged), 0);
}

TEST_F(WatcherTest, ShownFolderThatGoesAwayLeavesTheWorkerAnswering) {
    Show(shown_);
    RemoveTree(shown_);
    EXPECT_TRUE(WaitForPosted(list_, kMsgFolderChanged, 5000));
    // Windows finds the folder gone and leaves the model alone; Wine keeps
    // the folder until the watch lets go of it.  Neither may fail.
    RefreshShownFolder(list_, browser_);
    PumpFor(300);
    ForgetPosted();

    const std::string next = root_ + "\\other";
    RequestPath(next);
    ASSERT_TRUE(WaitForPosted(browser_, kMsgFolderLoaded, 5000));
    EXPECT_EQ(ModelNames(), (std::vector<std::string>{".."}));
    const DWORD start = GetTickCount();
    StopWatcher();
    EXPECT_LT(GetTickCount() - start, 5000u);
}

TEST_F(WatcherTest, RefreshCarriesKnownItemsOverAndDropsTheGoneOnes) {
    Show(shown_);
    {
        ItemModelLock hold;
        for (BrowserItem& item : Items().items) {
            item.dimensionKey = 77;   // stands for a made thumbnail
            item.displayState = kMarkSelected | kMarkHot | LVIS_FOCUSED;
        }
    }
    WriteTextFile(shown_ + "\\c.txt", "x");
    MoveFileA((shown_ + "\\b.txt").c_str(), (shown_ + "\\renamed.txt").c_str());
    WriteTextFile(shown_ + "\\a.txt", "x");   // rewritten: still the same object

    ASSERT_TRUE(RefreshShownFolder(list_, browser_));
    EXPECT_EQ(ModelNames(), (std::vector<std::string>{"..", "a.txt", "c.txt", "renamed.txt"}));
    ItemModelLock hold;
    const std::vector<BrowserItem>& items = Items().items;
    EXPECT_EQ(items[0].state, kItemParent);
    EXPECT_EQ(items[1].dimensionKey, 77u);
    EXPECT_EQ(items[1].displayState, static_cast<UINT>(LVIS_FOCUSED));
    EXPECT_EQ(items[2].dimensionKey, 0u);
    EXPECT_EQ(items[3].dimensionKey, 0u);
    EXPECT_EQ(items[3].state, kItemFile);
    PumpFor(50);
    EXPECT_EQ(CountPosted(browser_, kMsgRefreshAllTexts), 1);
}

TEST_F(WatcherTest, SendToChangeIsReportedOnce) {
    char sendTo[MAX_PATH];
    if (!SHGetSpecialFolderPathA(nullptr, sendTo, CSIDL_SENDTO, FALSE) ||
        GetFileAttributesA(sendTo) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "no Send To folder";
    TakeSendToChanged();
    const std::string entry = std::string(sendTo) + "\\ommavu_watch_test.txt";
    WriteTextFile(entry, "x");
    bool changed = false;
    for (int i = 0; i < 100 && !changed; ++i) {
        PumpFor(20);
        changed = TakeSendToChanged();
    }
    DeleteFileA(entry.c_str());
    EXPECT_TRUE(changed);
    PumpFor(300);
    TakeSendToChanged();
    EXPECT_FALSE(TakeSendToChanged());
}

}  // namespace
