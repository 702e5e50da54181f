// The shell's file operations on real files in the Wine prefix: what each
// reports, and that nothing is lost when the user says No.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include <string>
#include <vector>

#include "file_operations.h"
#include "fileops_test_util.h"
#include "shortcut.h"

namespace {

class FileOperationsTest : public testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        dir_ = ScratchFolder("ommavu-ops");
        other_ = ScratchFolder("ommavu-ops-other");
    }
    void TearDown() override { CoUninitialize(); }
    std::string At(const std::string& name) const { return dir_ + "\\" + name; }
    std::string dir_, other_;
};

}  // namespace

TEST(PathPartsTest, FoldersNamesAndOneSpellingOfAFolder) {
    struct Case {
        const char* path;
        const char* folder;
        const char* name;
    };
    const Case cases[] = {
        {"C:\\pics\\a.jpg", "C:\\pics", "a.jpg"},
        {"C:\\a.jpg", "C:", "a.jpg"},
        {"\\a.jpg", "", "a.jpg"},
        {"a.jpg", "", "a.jpg"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.folder, FolderPart(c.path)) << c.path;
        EXPECT_EQ(c.name, NamePart(c.path)) << c.path;
    }
    const std::string dir = ScratchFolder("ommavu-Spelling");
    EXPECT_TRUE(SameFolder(dir, dir + "\\"));
    std::string upper = dir;
    CharUpperBuffA(&upper[0], static_cast<DWORD>(upper.size()));
    EXPECT_TRUE(SameFolder(dir + "\\", upper));
    EXPECT_TRUE(SameFolder(dir, dir + "\\.\\"));
    EXPECT_FALSE(SameFolder(dir, dir + "x"));
    EXPECT_TRUE(SameFolder("C:", "c:\\")) << "a drive, not its current folder";
    const std::vector<std::string> paths = {"C:\\a", "C:\\b c"};
    const std::string list = JoinPathList(paths);
    EXPECT_EQ(std::string("C:\\a\0C:\\b c\0\0", 13), list);
    EXPECT_EQ(paths, SplitPathList(list.data()));
}

TEST_F(FileOperationsTest, CopyMoveRenameReportWhatHappened) {
    WriteFileText(At("a.txt"), "alpha");
    WriteFileText(At("b.txt"), "beta");
    const std::string from = JoinPathList({At("a.txt"), At("b.txt")});
    const std::string to = JoinPathList({other_ + "\\a.txt", other_ + "\\b2.txt"});
    EXPECT_TRUE(CopyFilesQuiet(nullptr, from.c_str(), to.c_str()));
    EXPECT_EQ("alpha", ReadFileText(other_ + "\\a.txt"));
    EXPECT_EQ("beta", ReadFileText(other_ + "\\b2.txt")) << "one destination per source";
    EXPECT_EQ("alpha", ReadFileText(At("a.txt"))) << "a copy keeps the source";

    const std::string moveTo = JoinPathList({other_ + "\\m.txt"});
    EXPECT_TRUE(MoveFilesTo(nullptr, JoinPathList({At("b.txt")}).c_str(), moveTo.c_str()));
    EXPECT_FALSE(Exists(At("b.txt")));
    EXPECT_EQ("beta", ReadFileText(other_ + "\\m.txt"));

    EXPECT_TRUE(RenameFile(nullptr, JoinPathList({At("a.txt")}).c_str(), JoinPathList({At("c.txt")}).c_str()));
    EXPECT_EQ("alpha", ReadFileText(At("c.txt")));

    // A source that does not exist: the shell fails and says so.
    ShellAnswerer ok(IDOK);
    EXPECT_FALSE(CopyFilesQuiet(nullptr, JoinPathList({At("none.txt")}).c_str(),
                                JoinPathList({other_ + "\\none.txt"}).c_str()));
    EXPECT_FALSE(Exists(other_ + "\\none.txt"));
    EXPECT_FALSE(CopyFilesQuiet(nullptr, "\0", "\0")) << "an empty list";
}

// Answers of the overwrite question, and what it was asked.
bool g_overwriteAnswer = false;
std::vector<std::string> g_overwriteAsked;
bool AnswerOverwrite(HWND, const std::vector<std::string>& existing) {
    g_overwriteAsked = existing;
    return g_overwriteAnswer;
}

// Every copy, move and rename asks before it writes over a file; No (or
// no question set) leaves every file as it was and counts as failure.
TEST_F(FileOperationsTest, ACancelledOverwriteLeavesEveryFileAsItWas) {
    WriteFileText(At("a.txt"), "new a");
    WriteFileText(At("b.txt"), "new b");
    WriteFileText(other_ + "\\a.txt", "old a");
    const std::string from = JoinPathList({At("a.txt"), At("b.txt")});
    const std::string to = JoinPathList({other_ + "\\a.txt", other_ + "\\b.txt"});
    struct Case {
        const char* what;
        bool (*operation)(HWND, const char*, const char*);
    };
    const Case cases[] = {{"copy", CopyFilesQuiet}, {"move", MoveFilesQuiet}, {"copy to", CopyFilesTo},
                          {"move to", MoveFilesTo}, {"rename", RenameFile}};
    for (bool questionSet : {false, true}) {
        SetOverwriteQuestion(questionSet ? AnswerOverwrite : nullptr);
        g_overwriteAnswer = false;
        for (const Case& c : cases) {
            SCOPED_TRACE(c.what);
            g_overwriteAsked.clear();
            EXPECT_FALSE(c.operation(nullptr, from.c_str(), to.c_str()));
            if (questionSet) {
                EXPECT_EQ(std::vector<std::string>{other_ + "\\a.txt"}, g_overwriteAsked);
            }
            EXPECT_EQ("new a", ReadFileText(At("a.txt")));
            EXPECT_EQ("new b", ReadFileText(At("b.txt")));
            EXPECT_EQ("old a", ReadFileText(other_ + "\\a.txt"));
            EXPECT_FALSE(Exists(other_ + "\\b.txt")) << "not even the file that was free";
        }
    }
    g_overwriteAnswer = true;
    {
        ShellAnswerer yes(IDYES);
        EXPECT_TRUE(CopyFilesQuiet(nullptr, from.c_str(), to.c_str()));
        for (const std::string& q : yes.Texts()) std::printf("    shell asked: %s\n", q.c_str());
    }
    EXPECT_EQ("new a", ReadFileText(other_ + "\\a.txt")) << "Yes writes over";
    SetOverwriteQuestion(nullptr);
}

TEST_F(FileOperationsTest, DeleteGoesToTheRecycleBinOrWithShiftForGood) {
    struct Case {
        const char* what;
        bool shift;
        int answer;
        bool result;
        bool kept;
    };
    const Case cases[] = {
        {"recycle", false, IDYES, true, false},
        {"for good", true, IDYES, true, false},
        {"no", false, IDNO, false, true},
        {"shift, no", true, IDNO, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string file = At(std::string("d-") + c.what + ".txt");
        WriteFileText(file, "keep me?");
        bool result;
        std::vector<std::string> questions;
        {
            ShellAnswerer answer(c.answer);
            if (c.shift) {
                ShiftHeld shift;
                result = DeleteFiles(JoinPathList({file}).c_str(), nullptr);
            } else {
                result = DeleteFiles(JoinPathList({file}).c_str(), nullptr);
            }
            questions = answer.Texts();
        }
        EXPECT_EQ(c.result, result);
        EXPECT_EQ(c.kept, Exists(file));
        ASSERT_FALSE(questions.empty()) << "the shell asked first";
        for (const std::string& q : questions) std::printf("    [%s] %s\n", c.what, q.c_str());
    }
}

TEST_F(FileOperationsTest, ShortcutsAreWrittenAndReadBackAndLongPathsRefused) {
    const std::string link = At("Pics.lnk");
    ASSERT_EQ(S_OK, CreateShortcut(other_, "", "C:\\windows\\system32\\shell32.dll", 3, link, "Pics"));
    std::string target;
    ASSERT_TRUE(ReadShortcutTarget(link, &target));
    EXPECT_TRUE(SameFolder(other_, target)) << target;

    const std::string longName(MAX_PATH, 'x');
    EXPECT_EQ(E_INVALIDARG, CreateShortcut(other_ + "\\" + longName, "", "", 0, At("long.lnk"), "x"));
    EXPECT_EQ(E_INVALIDARG, CreateShortcut(other_, "", "", 0, dir_ + "\\" + longName + ".lnk", "x"));
    EXPECT_FALSE(Exists(At("long.lnk")));
    WriteFileText(At("junk.lnk"), "not a link");
    EXPECT_FALSE(ReadShortcutTarget(At("junk.lnk"), &target));
    EXPECT_FALSE(ReadShortcutTarget(At("missing.lnk"), &target));
}
