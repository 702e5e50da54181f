// The language list from the language libraries in a folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "languages.h"

namespace {

std::string BinFolder() {
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    std::string dir(exe);
    return dir.substr(0, dir.find_last_of('\\') + 1) + "..\\bin\\";
}

}  // namespace

TEST(LanguagesTest, ListsTheProgramsOwnLanguageAndEachLibrary) {
    std::string bin = BinFolder();
    EXPECT_EQ(bin + "SHOW936.DLL", LanguageLibraryPath(bin, 936));
    HMODULE program = LoadLibraryExA((bin + "Tavirsel.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, program);
    std::vector<Language> list = BuildLanguageList(bin, program);
    FreeLibrary(program);
    ASSERT_EQ(2u, list.size());
    EXPECT_EQ(0u, list[0].codePage);
    EXPECT_EQ("English", list[0].name);
    EXPECT_EQ(936u, list[1].codePage);
    EXPECT_FALSE(list[1].name.empty()) << "in this process's own code page";

    // The library's text is "Simplified Chinese", whatever the code page here.
    HMODULE chinese = LoadLibraryA((bin + "SHOW936.DLL").c_str());
    ASSERT_NE(nullptr, chinese);
    wchar_t name[32] = {};
    ASSERT_EQ(4, LoadStringW(chinese, 40065, name, 32));
    EXPECT_EQ(std::wstring(L"\x7B80\x4F53\x4E2D\x6587"), name);
    FreeLibrary(chinese);
}

TEST(LanguagesTest, FilesThatAreNotLanguageLibrariesAreSkipped) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string dir = std::string(temp) + "ommavu-languages\\";
    CreateDirectoryA(dir.c_str(), nullptr);
    std::string bin = BinFolder();
    ASSERT_TRUE(CopyFileA((bin + "SHOW936.DLL").c_str(), (dir + "SHOW936.DLL").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA((bin + "SHOW936.DLL").c_str(), (dir + "SHOW0.DLL").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA((bin + "SHOW936.DLL").c_str(), (dir + "SHOWXX.DLL").c_str(), FALSE));
    HANDLE junk = CreateFileA((dir + "SHOW437.DLL").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, junk);
    DWORD written = 0;
    WriteFile(junk, "not a library", 13, &written, nullptr);
    CloseHandle(junk);

    std::vector<Language> list = BuildLanguageList(dir, GetModuleHandleA(nullptr));
    ASSERT_EQ(2u, list.size());
    EXPECT_EQ("", list[0].name) << "this test program carries no language name";
    EXPECT_EQ(936u, list[1].codePage);

    for (const char* f : {"SHOW936.DLL", "SHOW0.DLL", "SHOWXX.DLL", "SHOW437.DLL"}) DeleteFileA((dir + f).c_str());
    RemoveDirectoryA(dir.c_str());
}
