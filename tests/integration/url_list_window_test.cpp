// The browser's URL tab: the list read from URLIST.TXT in the program
// folder, its commands, the Url Info dialog, the write-back when the
// browser goes, and opening an address through a stand-in web browser
// registered in the prefix.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "commands.h"
#include "list_view_text.h"
#include "program.h"
#include "resource_ids.h"
#include "shell_test_files.h"
#include "test_windows.h"
#include "url_list_window.h"

namespace {

constexpr UINT kUrlListControl = 131;  // the browser's child ID for the URL list
constexpr char kBuiltIn[] = "http://www.ommavu.example/";

struct Row {
    std::string address, host, title;
    bool operator==(const Row& o) const { return address == o.address && host == o.host && title == o.title; }
};
std::ostream& operator<<(std::ostream& out, const Row& r) {
    return out << "{" << r.address << " | " << r.host << " | " << r.title << "}";
}

class UrlListWindowTest : public ::testing::Test {
protected:
    void SetUp() override { folder_ = FreshFolder("ommavu-url-window"); }
    void TearDown() override {
        if (Program().browser || Program().frame) DestroyProgramWindows();
        SetFileAttributesA(File().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    std::string File() const { return folder_ + "URLIST.TXT"; }
    HWND Open(const std::string& text) {
        if (text != "<missing>") PutFileText(File(), text);
        CreateProgramWindows(folder_);
        return GetDlgItem(Program().browser, kUrlListControl);
    }
    // The browser goes, and the list with it (writing its file when changed).
    std::vector<std::string> CloseBrowser() {
        DialogAnswerer answer("Url List", IDOK);
        DestroyWindow(Program().browser);
        return answer.seen;
    }
    std::vector<Row> Rows(HWND list) {
        std::vector<Row> rows;
        const int n = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < n; ++i)
            rows.push_back({ListItemText(list, i, 0), ListItemText(list, i, 1), ListItemText(list, i, 2)});
        return rows;
    }
    void Select(HWND list, int row) {
        LVITEMA item = {};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    }
    // Runs a command of the list with the Url Info dialog answered by fill.
    std::vector<std::string> Edit(HWND list, UINT command, const char* address, const char* title, UINT button = IDOK,
                                  std::string* shownAddress = nullptr) {
        DialogAnswerer answer("Url Info", button);
        answer.before = [&](HWND dialog) {
            char text[600] = {};
            GetDlgItemTextA(dialog, IDC_URL_ADDRESS, text, sizeof text);
            if (shownAddress) *shownAddress = text;
            if (address) SetDlgItemTextA(dialog, IDC_URL_ADDRESS, address);
            if (title) SetDlgItemTextA(dialog, IDC_URL_TITLE, title);
        };
        SendMessageA(list, WM_COMMAND, command, 0);
        return answer.seen;
    }
    std::string folder_;
};

TEST_F(UrlListWindowTest, TheListShowsTheBuiltInEntryThenTheFile) {
    HWND list = Open("a=b=c\r\nhttp://10.0.0.1/pics/x.html\nhttp://example.com/?q=1=\r\n\r\nwww.example.com\\dir=D\r");
    ASSERT_NE(nullptr, list);
    EXPECT_EQ("URL|Address|Title", ListHeading(list, 0) + "|" + ListHeading(list, 1) + "|" + ListHeading(list, 2));
    int widths[3];
    for (int i = 0; i < 3; ++i) widths[i] = static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, i, 0));
    EXPECT_EQ(200, widths[0]);
    EXPECT_EQ(140, widths[1]);
    EXPECT_EQ(220, widths[2]);
    const std::vector<Row> expected = {
        {kBuiltIn, "www.ommavu.example", "Ommavu Home Page"},
        {"a=b", "a=b", "c"},
        {"http://10.0.0.1/pics/x.html", "10.0.0.1", ""},
        {"http://example.com/?q=1", "example.com", ""},
        {"www.example.com\\dir", "www.example.com", "D"},
    };
    EXPECT_EQ(expected, Rows(list));
    // Nothing changed: the file is not written (its lone CR and LF stay).
    EXPECT_TRUE(CloseBrowser().empty());
    EXPECT_EQ("a=b=c\r\nhttp://10.0.0.1/pics/x.html\nhttp://example.com/?q=1=\r\n\r\nwww.example.com\\dir=D\r",
              FileText(File()));
}

TEST_F(UrlListWindowTest, AMissingFileGivesTheBuiltInRowAndAnEmptyListStaysUnwritten) {
    HWND list = Open("<missing>");
    ASSERT_EQ(1u, Rows(list).size());
    EXPECT_TRUE(CloseBrowser().empty());
    EXPECT_EQ("<missing>", FileText(File()));
}

TEST_F(UrlListWindowTest, InsertEditAndDeleteAreWrittenBackWhenTheBrowserGoes) {
    HWND list = Open("http://one.example/=One\r\nhttp://two.example/=Two\r\n");
    Select(list, 1);
    EXPECT_EQ(1, CurrentUrlRow(list));

    // A new entry goes before the current row; the address starts as "http://".
    std::string shown;
    EXPECT_EQ(1u, Edit(list, IDC_INSERT_URL, "http://new.example/?id=7", "", IDOK, &shown).size());
    EXPECT_EQ("http://", shown);
    EXPECT_EQ((Row{"http://new.example/?id=7", "new.example", ""}), Rows(list)[1]);

    // Editing replaces address and title; the host stays until the next load.
    Select(list, 2);
    Edit(list, IDC_EDIT_URL, "http://uno.example/", "Uno", IDOK, &shown);
    EXPECT_EQ("http://one.example/", shown);
    EXPECT_EQ((Row{"http://uno.example/", "one.example", "Uno"}), Rows(list)[2]);

    // Cancel changes nothing.
    Edit(list, IDC_EDIT_URL, "http://ignored.example/", "Ignored", IDCANCEL);
    EXPECT_EQ((Row{"http://uno.example/", "one.example", "Uno"}), Rows(list)[2]);

    // The Delete key (on release) takes the current row; the one before becomes current.
    Select(list, 3);
    SendMessageA(list, WM_KEYUP, VK_DELETE, 0);
    EXPECT_EQ(3u, Rows(list).size());
    EXPECT_EQ(2, CurrentUrlRow(list));
    EXPECT_TRUE(UrlListModified(list));

    EXPECT_TRUE(CloseBrowser().empty());
    EXPECT_EQ("http://new.example/?id=7=\r\nhttp://uno.example/=Uno\r\n", FileText(File()));

    // What was written reads back as it was shown.
    list = Open("<missing>");
    const std::vector<Row> expected = {
        {kBuiltIn, "www.ommavu.example", "Ommavu Home Page"},
        {"http://new.example/?id=7", "new.example", ""},
        {"http://uno.example/", "uno.example", "Uno"},
    };
    EXPECT_EQ(expected, Rows(list));
}

TEST_F(UrlListWindowTest, ATitleWithAnEqualsSignIsRefusedInTheDialog) {
    HWND list = Open("http://one.example/=One\r\n");
    Select(list, 1);
    DialogAnswerer answer("", IDOK);
    int urlInfoSeen = 0;
    answer.before = [&](HWND dialog) {
        char caption[64] = {};
        GetWindowTextA(dialog, caption, sizeof caption);
        if (std::string(caption) == "Url Info") {
            SetDlgItemTextA(dialog, IDC_URL_TITLE, ++urlInfoSeen == 1 ? "a=b" : "ab");
        } else {
            // The refusal: the dialog under it stays open for a second try.
            DialogAnswerer::AnswerAgain(GetWindow(dialog, GW_OWNER));
        }
    };
    SendMessageA(list, WM_COMMAND, IDC_EDIT_URL, 0);
    ASSERT_EQ(3u, answer.seen.size());
    EXPECT_EQ("Url List: A description cannot contain \"=\".", answer.seen[1]);
    EXPECT_EQ("ab", Rows(list)[1].title);
}

TEST_F(UrlListWindowTest, DeletingTheOnlyEntryWritesAnEmptyFile) {
    HWND list = Open("http://only.example/=Only\r\n");
    Select(list, 1);
    SendMessageA(list, WM_COMMAND, IDC_DELETE_URL, 0);
    EXPECT_EQ(0, CurrentUrlRow(list));
    EXPECT_TRUE(CloseBrowser().empty());
    EXPECT_EQ("", FileText(File()));
}

TEST_F(UrlListWindowTest, AFileThatCannotBeWrittenIsReportedAndKept) {
    HWND list = Open("http://kept.example/=Kept\r\n");
    SetFileAttributesA(File().c_str(), FILE_ATTRIBUTE_READONLY);
    Select(list, 1);
    SendMessageA(list, WM_COMMAND, IDC_DELETE_URL, 0);
    std::vector<std::string> seen = CloseBrowser();
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("Url List: The URL list could not be saved; your changes are not kept:\n" + File(), seen[0]);
    EXPECT_EQ("http://kept.example/=Kept\r\n", FileText(File()));
}

// The prefix's handler of http addresses is the recorder while alive.
class RecordingBrowser {
public:
    explicit RecordingBrowser(const std::string& record) : record_(record) {
        DeleteFileA(record_.c_str());
        SetEnvironmentVariableA("OMMAVU_URL_RECORD", record_.c_str());
        RegCreateKeyExA(HKEY_CLASSES_ROOT, "http\\shell\\open\\command", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                        nullptr);
        char old[1024] = {};
        DWORD size = sizeof old;
        had_ = RegQueryValueExA(key_, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(old), &size) == ERROR_SUCCESS;
        old_ = old;
        const std::string command = "\"" + Beside("layers\\url_recorder.exe") + "\" %1";
        RegSetValueExA(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>(command.size() + 1));
    }
    ~RecordingBrowser() {
        if (had_)
            RegSetValueExA(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(old_.c_str()),
                           static_cast<DWORD>(old_.size() + 1));
        else
            RegDeleteValueA(key_, nullptr);
        RegCloseKey(key_);
        SetEnvironmentVariableA("OMMAVU_URL_RECORD", nullptr);
    }
    // The addresses recorded so far, waiting up to ms for the first.
    std::string Recorded(DWORD ms) {
        const DWORD start = GetTickCount();
        std::string text = FileText(record_);
        while (text == "<missing>" && GetTickCount() - start < ms) {
            Sleep(50);
            text = FileText(record_);
        }
        return text;
    }

private:
    std::string record_;
    HKEY key_ = nullptr;
    bool had_ = false;
    std::string old_;
};

TEST_F(UrlListWindowTest, AddressesOpenInTheWebBrowserAndProgramsNever) {
    HWND list = Open("www.example.com/pictures=Pictures\r\nC:\\windows\\notepad.exe=Editor\r\n");
    RecordingBrowser browser(folder_ + "opened.txt");

    // A double click on the row opens it, "http://" put in front.
    Select(list, 1);
    RECT cell{};
    cell.left = LVIR_BOUNDS;
    SendMessageA(list, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&cell));
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(cell.left + 5, cell.top + 2));
    SendMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(cell.left + 5, cell.top + 2));
    SendMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(cell.left + 5, cell.top + 2));
    SendMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(cell.left + 5, cell.top + 2));
    EXPECT_EQ("http://www.example.com/pictures\r\n", browser.Recorded(10000));

    // A program named in the file is refused with a message, never started.
    Select(list, 2);
    DialogAnswerer answer("Url List", IDOK);
    SendMessageA(list, WM_COMMAND, IDC_OPEN_URL, 0);
    ASSERT_EQ(1u, answer.seen.size());
    EXPECT_NE(std::string::npos, answer.seen[0].find("C:\\windows\\notepad.exe")) << answer.seen[0];
    Sleep(500);
    EXPECT_EQ("http://www.example.com/pictures\r\n", browser.Recorded(0));
}

}  // namespace
