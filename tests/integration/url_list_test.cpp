// The URL list's lines and file: how a line splits into address, host and
// title, what a written list reads back as, what may be opened.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "url_list.h"

namespace {

std::string TempFolder() {
    char base[MAX_PATH];
    GetTempPathA(sizeof base, base);
    std::string folder = std::string(base) + "ommavu-url-list\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

std::string ReadBytes(const std::string& path) {
    std::string text;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got) text.append(buffer, got);
    CloseHandle(file);
    return text;
}

void WriteBytes(const std::string& path, const std::string& text) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

TEST(UrlListTest, LinesSplitAtTheirLastEqualsSign) {
    struct Case {
        const char* line;
        const char* address;
        const char* host;
        const char* title;
    } cases[] = {
        {"http://www.example.com/=Example", "http://www.example.com/", "www.example.com", "Example"},
        {"a=b=c", "a=b", "a=b", "c"},
        {"http://10.0.0.1/pictures/index.html", "http://10.0.0.1/pictures/index.html", "10.0.0.1", ""},
        {"www.example.com/path=Site", "www.example.com/path", "www.example.com", "Site"},
        {"file:\\\\server\\share=Share", "file:\\\\server\\share", "server", "Share"},
        {"http://example.com/?q=1=", "http://example.com/?q=1", "example.com", ""},
        {"=Only a title", "", "", "Only a title"},
    };
    for (const Case& c : cases) {
        UrlEntry entry;
        ASSERT_TRUE(ParseUrlLine(c.line, &entry)) << c.line;
        EXPECT_EQ(c.address, entry.address) << c.line;
        EXPECT_EQ(c.host, entry.host) << c.line;
        EXPECT_EQ(c.title, entry.title) << c.line;
    }
    UrlEntry entry;
    EXPECT_FALSE(ParseUrlLine("", &entry));
}

TEST(UrlListTest, EveryEntryTheDialogAcceptsReadsBackUnchanged) {
    const std::string longAddress = "http://www.example.com/" + std::string(3000, 'x') + "?a=1&b=2";
    struct Case {
        std::string address;
        std::string title;
    } cases[] = {
        {"http://www.example.com/", "Example"},
        {"http://www.example.com/search?q=1", ""},   // "=" and no title: written with a trailing "="
        {"http://www.example.com/search?q=1", "Search"},
        {"mailto:someone@example.com", "Mail"},
        {longAddress, "Long"},
        {"www.example.com", ""},
    };
    std::vector<UrlEntry> written;
    for (const Case& c : cases) written.push_back(MakeUrlEntry(c.address, c.title));
    const std::string path = TempFolder() + "ROUND.TXT";
    ASSERT_TRUE(WriteUrlFile(path, written, "http://builtin.example/=Built In"));
    std::vector<UrlEntry> read;
    ASSERT_TRUE(ReadUrlFile(path, &read));
    ASSERT_EQ(written.size(), read.size());
    for (size_t i = 0; i < read.size(); ++i) {
        EXPECT_EQ(written[i].address, read[i].address) << i;
        EXPECT_EQ(written[i].title, read[i].title) << i;
        EXPECT_EQ(written[i].host, read[i].host) << i;
    }
    EXPECT_NE(std::string::npos, ReadBytes(path).find("\r\nhttp://www.example.com/search?q=1=\r\n"));
    EXPECT_FALSE(UrlTitleAcceptable("a=b"));
    EXPECT_TRUE(UrlTitleAcceptable("ab"));
    DeleteFileA(path.c_str());
}

TEST(UrlListTest, TheFileIsWrittenWholeOrNotAtAll) {
    const std::string folder = TempFolder();
    const std::string path = folder + "URLIST.TXT";
    // Any line ending is read; the built-in entry and empty entries are not written.
    WriteBytes(path, "http://a.example/=A\n\nhttp://b.example/\rhttp://c.example/=C\r\n");
    std::vector<UrlEntry> entries;
    ASSERT_TRUE(ReadUrlFile(path, &entries));
    ASSERT_EQ(3u, entries.size());
    entries.insert(entries.begin(), MakeUrlEntry("HTTP://BUILTIN.EXAMPLE/", "Built In"));
    entries.push_back(MakeUrlEntry("", ""));
    ASSERT_TRUE(WriteUrlFile(path, entries, "http://builtin.example/=Built In"));
    EXPECT_EQ("http://a.example/=A\r\nhttp://b.example/\r\nhttp://c.example/=C\r\n", ReadBytes(path));

    // An empty list is an empty file.
    ASSERT_TRUE(WriteUrlFile(path, {}, "x"));
    EXPECT_EQ("", ReadBytes(path));

    // A read-only list is not replaced: the writer says so and the old text stays.
    WriteBytes(path, "http://kept.example/=Kept\r\n");
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(WriteUrlFile(path, {MakeUrlEntry("http://new.example/", "")}, "x"));
    EXPECT_EQ("http://kept.example/=Kept\r\n", ReadBytes(path));
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);

    // A folder that does not exist: nothing written, no stray temporary file.
    EXPECT_FALSE(WriteUrlFile(folder + "missing\\URLIST.TXT", {MakeUrlEntry("http://a.example/", "")}, "x"));
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "url*.tmp").c_str(), &found);
    EXPECT_EQ(INVALID_HANDLE_VALUE, search) << found.cFileName;
    if (search != INVALID_HANDLE_VALUE) FindClose(search);

    EXPECT_FALSE(ReadUrlFile(folder + "none.txt", &entries));
    EXPECT_TRUE(entries.empty());
    DeleteFileA(path.c_str());
}

TEST(UrlListTest, OnlyWebAndMailAddressesAreOpened) {
    struct Case {
        const char* address;
        UrlOpenVerdict verdict;
        const char* target;
    } cases[] = {
        {"http://www.example.com/", UrlOpenVerdict::kOpen, "http://www.example.com/"},
        {"HTTPS://www.example.com/a?b=c", UrlOpenVerdict::kOpen, "HTTPS://www.example.com/a?b=c"},
        {"ftp://ftp.example.com/pub", UrlOpenVerdict::kOpen, "ftp://ftp.example.com/pub"},
        {"mailto:someone@example.com", UrlOpenVerdict::kOpen, "mailto:someone@example.com"},
        {"www.example.com", UrlOpenVerdict::kOpen, "http://www.example.com"},
        {"  www.example.com/x  ", UrlOpenVerdict::kOpen, "http://www.example.com/x"},
        {"localhost:8080/index.html", UrlOpenVerdict::kOpen, "http://localhost:8080/index.html"},
        {"", UrlOpenVerdict::kEmpty, ""},
        {"   ", UrlOpenVerdict::kEmpty, ""},
        {"C:\\Windows\\notepad.exe", UrlOpenVerdict::kRefused, ""},
        {"c:/windows/notepad.exe", UrlOpenVerdict::kRefused, ""},
        {"notepad.exe /p secret.txt", UrlOpenVerdict::kRefused, ""},
        {"\\\\server\\share\\run.exe", UrlOpenVerdict::kRefused, ""},
        {"file:///c:/windows/notepad.exe", UrlOpenVerdict::kRefused, ""},
        {"javascript:alert(1)", UrlOpenVerdict::kRefused, ""},
        {"http:notepad.exe", UrlOpenVerdict::kRefused, ""},
        {"..\\bin\\Tavirsel.exe", UrlOpenVerdict::kRefused, ""},
        {"\"C:\\Program Files\\x.exe\"", UrlOpenVerdict::kRefused, ""},
    };
    for (const Case& c : cases) {
        std::string target;
        EXPECT_EQ(c.verdict, CheckUrlToOpen(c.address, &target)) << c.address;
        EXPECT_EQ(c.target, target) << c.address;
    }
}

}  // namespace
