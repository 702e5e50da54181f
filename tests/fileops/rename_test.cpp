// Renaming many files from one template: the names, the refusals, and real
// renames that never write over a file.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dialog_driver.h"
#include "fileops_test_util.h"
#include "multi_rename.h"
#include "rename_plan.h"
#include "resource_ids.h"
#include "shell_test_files.h"

namespace {

bool NothingTaken(const std::string&) { return false; }

}  // namespace

TEST(RenameTemplateTest, DerivedExpandedAndNumbered) {
    struct Derive {
        const char* name;
        const char* pattern;
        unsigned long start;
    };
    for (const Derive& d : {Derive{"IMG_0042.JPG", "IMG_####", 42}, Derive{"photo.jpg", "photo###", 0},
                            Derive{"a1b22.png", "a#b##", 22}, Derive{"x12", "x#####", 0},
                            Derive{".profile7", "###", 0}, Derive{"n12345678901.jpg", "n###########", 345678901}}) {
        const RenameTemplate t = DeriveRenameTemplate(d.name);
        EXPECT_EQ(d.pattern, t.pattern) << d.name;
        EXPECT_EQ(d.start, t.start) << d.name;
    }
    EXPECT_EQ("IMG007", ExpandRenameTemplate("IMG###", 7));
    EXPECT_EQ("IMG234", ExpandRenameTemplate("IMG###", 1234));
    EXPECT_EQ("A3", ExpandRenameTemplate("A#", 123));
    EXPECT_EQ("2-02", ExpandRenameTemplate("#-##", 102)) << "each run shows the last digits";
    EXPECT_EQ("pic001.jpg", RenamedName("pic###", 1, "x1.jpg"));
    EXPECT_EQ("pic002.png", RenamedName("pic###", 2, "x2.png"));
    EXPECT_EQ("pic003", RenamedName("pic###", 3, "x3"));
    struct Start {
        const char* text;
        bool ok;
        unsigned long value;
    };
    for (const Start& s : {Start{"0", true, 0}, Start{"42", true, 42}, Start{"999999999", true, 999999999},
                           Start{"", false, 0}, Start{"-1", false, 0}, Start{"+3", false, 0}, Start{"1e3", false, 0},
                           Start{"1000000000", false, 0}, Start{"4294967296", false, 0}, Start{" 5", false, 0}}) {
        unsigned long value = 77;
        EXPECT_EQ(s.ok, ParseRenameStart(s.text, &value)) << s.text;
        if (s.ok) {
            EXPECT_EQ(s.value, value) << s.text;
        }
    }
}

TEST(RenamePlanTest, BadRepeatedLongAndTakenNamesAreRefused) {
    std::vector<std::string> eleven;
    std::vector<std::string> aNames;
    for (int i = 0; i < 11; ++i) {
        eleven.push_back("C:\\p\\f" + std::to_string(i) + ".jpg");
        aNames.push_back(RenamedName("A#", 123 + i, "f.jpg"));
    }
    const std::string deep = "C:\\" + std::string(250, 'd');
    struct Case {
        const char* what;
        std::vector<std::string> sources, names;
        RenameProblem problem;
    };
    const Case cases[] = {
        {"empty", {"C:\\p\\a.jpg"}, {""}, kRenameBadName},
        {"dots", {"C:\\p\\a.jpg"}, {".."}, kRenameBadName},
        {"slash", {"C:\\p\\a.jpg"}, {"x/y.jpg"}, kRenameBadName},
        {"colon", {"C:\\p\\a.jpg"}, {"c:x.jpg"}, kRenameBadName},
        {"star", {"C:\\p\\a.jpg"}, {"*.jpg"}, kRenameBadName},
        {"quote", {"C:\\p\\a.jpg"}, {"\"a\".jpg"}, kRenameBadName},
        {"pipe", {"C:\\p\\a.jpg"}, {"a|b.jpg"}, kRenameBadName},
        {"A# after ten files", eleven, aNames, kRenameRepeated},
        {"case only", {"C:\\p\\a.jpg", "C:\\p\\b.jpg"}, {"X.jpg", "x.JPG"}, kRenameRepeated},
        {"too long", {deep + "\\a.jpg"}, {std::string(10, 'n') + ".jpg"}, kRenameTooLong},
        {"same name, two folders", {"C:\\p\\a.jpg", "C:\\q\\b.jpg"}, {"x.jpg", "x.jpg"}, kRenameFine},
    };
    for (const Case& c : cases) {
        RenameProblem problem;
        std::string culprit;
        const RenamePlan plan = PlanRenames(c.sources, c.names, NothingTaken, &problem, &culprit);
        EXPECT_EQ(c.problem, problem) << c.what;
        if (c.problem != kRenameFine) {
            EXPECT_TRUE(plan.first.empty()) << c.what;
        }
    }
    RenameProblem problem;
    std::string culprit;
    PlanRenames({"C:\\p\\a.jpg"}, {"b.jpg"}, [](const std::string&) { return true; }, &problem, &culprit);
    EXPECT_EQ(kRenameTaken, problem) << "a file outside the selection has the name";
    EXPECT_EQ("b.jpg", culprit);
}

TEST(RenameFilesTest, ChainsAndFoldersKeepEveryFile) {
    const std::string dir = ScratchFolder("ommavu-rename");
    const std::string other = ScratchFolder("ommavu-rename-2");
    WriteFileText(dir + "\\a1.txt", "one");
    WriteFileText(dir + "\\a2.txt", "two");
    WriteFileText(other + "\\a9.txt", "nine");
    std::string problem;
    // a1, a2 -> a2, a3: a2 is another file's present name.
    ASSERT_TRUE(RenameFilesAs(nullptr, {dir + "\\a1.txt", dir + "\\a2.txt"}, {"a2.txt", "a3.txt"}, &problem))
        << problem;
    EXPECT_EQ("one", ReadFileText(dir + "\\a2.txt"));
    EXPECT_EQ("two", ReadFileText(dir + "\\a3.txt"));
    EXPECT_EQ((std::vector<std::string>{"a2.txt", "a3.txt"}), NamesIn(dir)) << "no temporary names left";

    // A selection across folders: each file stays in its own folder.
    ASSERT_TRUE(RenameFilesAs(nullptr, {dir + "\\a2.txt", other + "\\a9.txt"}, {"b1.txt", "b2.txt"}, &problem));
    EXPECT_EQ("one", ReadFileText(dir + "\\b1.txt"));
    EXPECT_EQ("nine", ReadFileText(other + "\\b2.txt"));

    // A name outside the selection is taken: nothing moves.
    EXPECT_FALSE(RenameFilesAs(nullptr, {dir + "\\b1.txt"}, {"a3.txt"}, &problem));
    EXPECT_NE(std::string::npos, problem.find("a3.txt")) << problem;
    EXPECT_EQ("one", ReadFileText(dir + "\\b1.txt"));
    EXPECT_EQ("two", ReadFileText(dir + "\\a3.txt"));
    EXPECT_FALSE(RenameFilesAs(nullptr, {dir + "\\b1.txt"}, {"a?.txt"}, &problem));
    EXPECT_EQ((std::vector<std::string>{"a3.txt", "b1.txt"}), NamesIn(dir));
}

// A file another program holds open (without FILE_SHARE_DELETE) cannot be
// renamed: whichever pass meets it, every other file gets its old name back
// and the message names only what could not be put back.
namespace {
HANDLE g_held = INVALID_HANDLE_VALUE;
std::string g_heldName;

HANDLE HoldOpen(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                       nullptr);
}

void HoldSecondTemporary(const std::vector<std::string>& temporaries) {
    g_held = HoldOpen(temporaries[1]);
    g_heldName = temporaries[1].substr(temporaries[1].find_last_of('\\') + 1);
}
}  // namespace

TEST(RenameFilesTest, AFileHeldOpenStopsTheRenameAndTheOthersGetTheirNamesBack) {
    struct Case {
        const char* what;
        std::vector<std::string> names, newNames;
        bool holdBetweenPasses;   // else the second file is held from the start
    };
    const Case cases[] = {
        {"one pass", {"b1.txt", "b2.txt", "b3.txt"}, {"c1.txt", "c2.txt", "c3.txt"}, false},
        {"first pass of a chain", {"a1.txt", "a2.txt", "a3.txt"}, {"a2.txt", "a3.txt", "a4.txt"}, false},
        {"second pass of a chain", {"a1.txt", "a2.txt", "a3.txt"}, {"a2.txt", "a3.txt", "a4.txt"}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string dir = ScratchFolder("ommavu-rename-held");
        std::vector<std::string> paths;
        for (const std::string& name : c.names) {
            paths.push_back(dir + "\\" + name);
            WriteFileText(paths.back(), "was " + name);
        }
        g_heldName.clear();
        if (c.holdBetweenPasses) {
            SetBetweenRenamePasses(HoldSecondTemporary);
        } else {
            g_held = HoldOpen(paths[1]);
            g_heldName = c.names[1];
        }
        std::string problem;
        EXPECT_FALSE(RenameFilesAs(nullptr, paths, c.newNames, &problem));
        SetBetweenRenamePasses(nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, g_held) << "the file was held open";
        CloseHandle(g_held);
        g_held = INVALID_HANDLE_VALUE;

        std::vector<std::string> expected = {c.names[0], c.names[2], g_heldName};
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(expected, NamesIn(dir)) << problem;
        EXPECT_EQ("was " + c.names[0], ReadFileText(dir + "\\" + c.names[0]));
        EXPECT_EQ("was " + c.names[1], ReadFileText(dir + "\\" + g_heldName));
        EXPECT_EQ("was " + c.names[2], ReadFileText(dir + "\\" + c.names[2]));
        if (c.holdBetweenPasses) {
            EXPECT_NE(std::string::npos, problem.find(paths[1] + " -> " + g_heldName)) << problem;
            EXPECT_EQ(std::string::npos, problem.find(c.names[0])) << problem;
        } else {
            EXPECT_EQ(std::string::npos, problem.find(".txt")) << "every file has its old name: " << problem;
        }
    }
}

TEST(MultiRenameDialogTest, AThousandFilesOpenAndFollowEachKeystroke) {
    SetUpProgramState();
    const std::string dir = ScratchFolder("ommavu-rename-many");
    std::vector<std::string> paths;
    for (int i = 0; i < 1000; ++i) {
        paths.push_back(dir + "\\IMG_" + std::to_string(1000 + i) + ".JPG");
        WriteFileText(paths.back(), std::to_string(i));
    }
    // Its speed is in tools/bench-fileops.sh; here every row must follow.
    Driver driver(IDC_RENAME_TEMPLATE);
    std::string firstRow, lastRow, afterTyping;
    auto row = [](HWND d, int index, int column) {
        char text[MAX_PATH] = "";
        LVITEMA item = {};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(GetDlgItem(d, IDC_RENAME_LIST), LVM_GETITEMTEXTA, index, reinterpret_cast<LPARAM>(&item));
        return std::string(text);
    };
    driver.Then([&](HWND d) {
              firstRow = row(d, 0, 0) + " / " + row(d, 0, 1);
              lastRow = row(d, 999, 0);
          })
        .Then([&](HWND d) {
            SetDlgItemTextA(d, IDC_RENAME_TEMPLATE, "trip-####");
            afterTyping = row(d, 999, 0);
        })
        .Type(IDC_RENAME_START, "7")
        .Press(IDOK);
    driver.Run([&] { ShowMultiRenameDialog(nullptr, paths); });
    EXPECT_EQ("IMG_1000.JPG / IMG_1000.JPG", firstRow);
    EXPECT_EQ("IMG_1999.JPG", lastRow) << "template IMG_#### from 1000";
    EXPECT_EQ("trip-1999.JPG", afterTyping);
    EXPECT_TRUE(driver.boxes.empty()) << driver.boxes.front();
    EXPECT_EQ("0", ReadFileText(dir + "\\trip-0007.JPG")) << "start 7 after OK";
    EXPECT_EQ("999", ReadFileText(dir + "\\trip-1006.JPG"));
    EXPECT_EQ(1000u, NamesIn(dir).size());
}
