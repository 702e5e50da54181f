// Shortcuts stand for their targets; anything else stays as given.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <string>

#include "shortcut.h"

namespace {

bool MakeShortcut(const std::string& link, const std::string& target) {
    IShellLinkA* shell = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&shell))))
        return false;
    shell->SetPath(target.c_str());
    IPersistFile* file = nullptr;
    bool ok = SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)));
    if (ok) {
        WCHAR wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide, MAX_PATH);
        ok = SUCCEEDED(file->Save(wide, TRUE));
        file->Release();
    }
    shell->Release();
    return ok;
}

}  // namespace

TEST(ShortcutTest, NamesAndTargets) {
    EXPECT_TRUE(IsShortcutName("C:\\a\\Holiday.lnk"));
    EXPECT_TRUE(IsShortcutName("C:\\a\\Holiday.LnK"));
    EXPECT_FALSE(IsShortcutName("C:\\a\\Holiday.jpg"));
    EXPECT_FALSE(IsShortcutName("C:\\a.lnk\\Holiday"));
    EXPECT_FALSE(IsShortcutName("lnk"));

    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string dir = temp;
    std::string target = dir + "ommavu-target.jpg";
    HANDLE h = CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    CloseHandle(h);
    std::string link = dir + "ommavu-target.LNK";
    ASSERT_TRUE(MakeShortcut(link, target));
    EXPECT_EQ(0, lstrcmpiA(target.c_str(), ResolveShortcut(link).c_str())) << ResolveShortcut(link);

    EXPECT_EQ(target, ResolveShortcut(target)) << "not a shortcut";
    std::string broken = dir + "ommavu-broken.lnk";
    h = CreateFileA(broken.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(h, "garbage", 7, &written, nullptr);
    CloseHandle(h);
    EXPECT_EQ(broken, ResolveShortcut(broken)) << "a shortcut that does not load stays as given";
    EXPECT_EQ(dir + "missing.lnk", ResolveShortcut(dir + "missing.lnk"));

    DeleteFileA(link.c_str());
    DeleteFileA(broken.c_str());
    DeleteFileA(target.c_str());
    CoUninitialize();
}
