// Shortcuts stand for their targets; anything else stays as given.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <string>
#include <vector>

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

// Many targets at once read the file's own record where it has one and fall
// back to the link object; a damaged or cut file gives "" and reads nothing
// outside itself.
TEST(ShortcutTest, TargetsOfManyShortcutsAndDamagedOnes) {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string dir = temp;
    const std::string folder = dir + "ommavu-target-folder";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string link = dir + "ommavu-folder.lnk";
    ASSERT_TRUE(MakeShortcut(link, folder));

    // The link's bytes, then copies cut at many lengths and with bytes flipped.
    std::string bytes;
    {
        HANDLE h = CreateFileA(link.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, h);
        char buffer[8192];
        DWORD got = 0;
        ReadFile(h, buffer, sizeof buffer, &got, nullptr);
        CloseHandle(h);
        bytes.assign(buffer, got);
    }
    std::vector<std::string> paths = {link};
    auto write = [&](const std::string& name, const std::string& content) {
        const std::string path = dir + name;
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
        CloseHandle(h);
        paths.push_back(path);
    };
    for (size_t cut : {size_t(0), size_t(20), size_t(0x4C), size_t(0x60), bytes.size() / 2, bytes.size() - 1})
        write("ommavu-cut-" + std::to_string(cut) + ".lnk", bytes.substr(0, cut));
    for (size_t at = 0x4C; at < bytes.size(); at += 7) {
        std::string flipped = bytes;
        flipped[at] = static_cast<char>(~flipped[at]);
        write("ommavu-flip-" + std::to_string(at) + ".lnk", flipped);
    }
    const std::vector<std::string> targets = ReadShortcutTargets(paths);
    ASSERT_EQ(targets.size(), paths.size());
    EXPECT_EQ(0, lstrcmpiA(targets[0].c_str(), folder.c_str())) << targets[0];
    for (size_t i = 1; i < paths.size(); ++i) {
        // A damaged copy names the folder, nothing, or some other path of
        // sound length; it never takes the whole program down.
        EXPECT_LT(targets[i].size(), static_cast<size_t>(MAX_PATH)) << paths[i];
        DeleteFileA(paths[i].c_str());
    }
    // Cut inside the header or the item list: no target at all.
    for (size_t i = 1; i <= 3; ++i) EXPECT_EQ("", targets[i]) << paths[i];
    DeleteFileA(link.c_str());
    RemoveDirectoryA(folder.c_str());
    CoUninitialize();
}
