// Named folders in the prefix's own Send To folder (set aside and brought
// back around every test): the cache, the changes the dialogs make, and
// the dialogs themselves.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <objbase.h>

#include <string>
#include <vector>

#include "dialog_driver.h"
#include "fileops_test_util.h"
#include "named_folders.h"
#include "resource_ids.h"
#include "send_to_cache.h"
#include "shell_test_files.h"
#include "shortcut.h"

namespace {

class NamedFoldersTest : public testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        SetUpProgramState();
        FreeSendToCache();
        // The folder's name even when an interrupted run left it set aside.
        char path[MAX_PATH] = "";
        ASSERT_EQ(S_OK, SHGetFolderPathA(nullptr, CSIDL_SENDTO | CSIDL_FLAG_DONT_VERIFY, nullptr, 0, path));
        sendTo_ = std::string(path) + "\\";
        saved_ = sendTo_.substr(0, sendTo_.size() - 1) + ".saved-by-test";
        // A run that stopped halfway left the real folder set aside.
        if (Exists(saved_)) RemoveTree(sendTo_.substr(0, sendTo_.size() - 1));
        const bool had = Exists(saved_) || Exists(sendTo_);
        if (Exists(saved_)) {
            ASSERT_TRUE(MoveFileA(saved_.c_str(), sendTo_.substr(0, sendTo_.size() - 1).c_str()));
        }
        if (had) {
            ASSERT_TRUE(MoveFileA(sendTo_.substr(0, sendTo_.size() - 1).c_str(), saved_.c_str()));
        }
        ASSERT_TRUE(CreateDirectoryA(sendTo_.c_str(), nullptr));
        target_ = ScratchFolder("ommavu-named");
        other_ = ScratchFolder("ommavu-named-2");
    }
    void TearDown() override {
        FreeSendToCache();
        // Empty the test's Send To folder and put the saved one back.
        RemoveTree(sendTo_.substr(0, sendTo_.size() - 1));
        if (Exists(saved_)) MoveFileA(saved_.c_str(), sendTo_.substr(0, sendTo_.size() - 1).c_str());
        CoUninitialize();
    }
    void Link(const std::string& name, const std::string& target) {
        ASSERT_EQ(S_OK, CreateShortcut(target, "", "", 0, sendTo_ + name + ".lnk", name));
    }
    std::string TargetOf(const std::string& name) {
        std::string target;
        return ReadShortcutTarget(sendTo_ + name + ".lnk", &target) ? target : "<none>";
    }
    std::string sendTo_, saved_, target_, other_;
};

bool SameFolderPath(const std::string& a, const std::string& b) {
    std::string x = a, y = b;
    while (x.size() > 3 && x.back() == '\\') x.pop_back();
    while (y.size() > 3 && y.back() == '\\') y.pop_back();
    return lstrcmpiA(x.c_str(), y.c_str()) == 0;
}

}  // namespace

TEST_F(NamedFoldersTest, TheCacheIsBuiltOnceAndAgainAfterAChange) {
    for (int i = 0; i < 50; ++i) Link("Folder " + std::to_string(i), i % 2 ? target_ : other_);
    WriteFileText(sendTo_ + "Mail.txt", "not a folder");
    const int before = SendToCacheBuilds();
    // Its speed is in tools/bench-fileops.sh.
    const std::vector<SendToEntry> entries = SendToEntries();
    ASSERT_EQ(51u, entries.size());
    int folders = 0;
    for (const SendToEntry& entry : entries) folders += entry.isFolder;
    EXPECT_EQ(50, folders) << "the text file takes no files";
    for (int i = 0; i < 5; ++i) SendToEntries();
    EXPECT_EQ(before + 1, SendToCacheBuilds()) << "built once";
    Link("Late", target_);
    Sleep(300);   // the change notification reaches the cache
    EXPECT_EQ(52u, SendToEntries().size());
    EXPECT_EQ(before + 2, SendToCacheBuilds());
}

TEST_F(NamedFoldersTest, AddRenameRemoveAndNothingElse) {
    Link("Keep", target_);
    Link("Old", other_);
    Link("Gone", other_);
    CreateDirectoryA((sendTo_ + "Real").c_str(), nullptr);
    WriteFileText(sendTo_ + "Real\\inside.txt", "kept");
    ASSERT_EQ(S_OK, CreateShortcut(other_, "", "", 0, sendTo_ + "Taken.lnk", "someone else's"));
    InvalidateSendToCache();
    NamedFolderEdit edit = ReadNamedFolders();
    ASSERT_EQ(5u, edit.rows.size());
    auto rowOf = [&](const char* name) {
        for (size_t i = 0; i < edit.rows.size(); ++i)
            if (edit.rows[i].name == name) return i;
        return edit.rows.size();
    };
    ASSERT_LT(rowOf("Real"), edit.rows.size());
    EXPECT_EQ(target_, edit.rows[rowOf("Keep")].folder);
    // Old becomes New; Gone and Real are removed; Gone comes back for
    // another folder; Taken and Bad|Name are added.
    edit.rows[rowOf("Old")].name = "New";
    for (const char* name : {"Gone", "Real"}) {
        const size_t at = rowOf(name);
        edit.removed.push_back(edit.rows[at].original);
        edit.rows.erase(edit.rows.begin() + at);
    }
    edit.rows.push_back({"Gone", target_, -1});
    edit.rows.push_back({"Taken", target_, -1});
    edit.rows.push_back({"Bad|Name", target_, -1});
    const std::vector<std::string> failures = ApplyNamedFolders(edit);
    ASSERT_EQ(3u, failures.size());
    EXPECT_EQ(0u, failures[0].find("Real:")) << failures[0];
    EXPECT_EQ(0u, failures[1].find("Taken:")) << failures[1];
    EXPECT_EQ(0u, failures[2].find("Bad|Name:")) << failures[2];
    EXPECT_EQ("kept", ReadFileText(sendTo_ + "Real\\inside.txt")) << "a real folder is never deleted";
    EXPECT_TRUE(SameFolderPath(other_, TargetOf("Taken"))) << "the unrelated shortcut is untouched";
    EXPECT_TRUE(SameFolderPath(other_, TargetOf("New")));
    EXPECT_EQ("<none>", TargetOf("Old"));
    EXPECT_TRUE(SameFolderPath(target_, TargetOf("Gone"))) << "removed and added again";
    EXPECT_TRUE(SameFolderPath(target_, TargetOf("Keep")));
}

TEST_F(NamedFoldersTest, TheDialogsApplyOnOkAndNothingOnCancel) {
    Link("First", target_);
    Link("Second", other_);
    struct Case {
        int button;
        bool removed;
    };
    for (const Case& c : {Case{IDCANCEL, false}, Case{IDOK, true}}) {
        Driver driver(IDC_FOLDER_ADD);
        driver.Click(IDC_FOLDER_REMOVE).Press(c.button);
        driver.Run([] { ShowDefineFolderDialog(nullptr); });
        EXPECT_EQ(!c.removed, Exists(sendTo_ + "First.lnk")) << c.button;
        EXPECT_TRUE(Exists(sendTo_ + "Second.lnk"));
    }
    // The destination dialog: a row chosen puts its folder in the edit.
    std::string destination, shown;
    Driver pick(IDC_DESTINATION_EDIT);
    pick.Then([&](HWND d) { shown = Text(d, IDC_DESTINATION_EDIT); }).Press(IDOK);
    pick.Run([&] { EXPECT_TRUE(ShowDestinationDialog(nullptr, &destination)); });
    EXPECT_TRUE(SameFolderPath(other_, shown)) << shown;
    EXPECT_EQ(shown, destination);

    // Define Current Folder proposes the folder's last component.
    std::string proposed;
    Driver name(IDC_NAME_FOLDER_EDIT);
    name.Then([&](HWND d) { proposed = Text(d, IDC_NAME_FOLDER_EDIT); }).Press(IDOK);
    name.Run([&] { ShowNameFolderDialog(nullptr, target_ + "\\"); });
    EXPECT_EQ("ommavu-named", proposed);
    EXPECT_TRUE(SameFolderPath(target_, TargetOf("ommavu-named")));
    Driver root(IDC_NAME_FOLDER_EDIT);
    root.Then([&](HWND d) { proposed = Text(d, IDC_NAME_FOLDER_EDIT); }).Press(IDOK);
    root.Run([&] { ShowNameFolderDialog(nullptr, "C:\\"); });
    EXPECT_EQ("", proposed) << "a drive root has no last component";
    EXPECT_EQ((std::vector<std::string>{"Second.lnk", "ommavu-named.lnk"}), NamesIn(sendTo_))
        << "an empty name makes no shortcut";
}
