// A picture named in letters outside the ANSI code page, opened from the
// browser as a user opens it: the viewer shows it through its short name.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "driver.h"

namespace {

TEST(ForeignNamesTest, APictureNamedOutsideTheCodePageOpensInTheViewer) {
    DeleteFileA(IniPath().c_str());
    const std::string folder = TestsFolder() + "scratch-foreign-names";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::wstring wideFolder(folder.begin(), folder.end());
    const std::wstring picture = wideFolder + L"\\\x73AB\x7470\x82B1.tif";
    const std::string sample = Sample("rose.tif");
    ASSERT_TRUE(CopyFileW(std::wstring(sample.begin(), sample.end()).c_str(), picture.c_str(), FALSE));
    char full[MAX_PATH];
    GetFullPathNameA(folder.c_str(), sizeof full, full, nullptr);
    WritePrivateProfileStringA("SETTINGS", "DEFAULTPATH", full, "Tavirsel.INI");
    WritePrivateProfileStringA("SETTINGS", "ShowMode", "4", "Tavirsel.INI");   // details

    Running tavirsel("");
    HWND browser = tavirsel.Window("OmmavuSHOWer");
    ASSERT_NE(nullptr, browser);
    EXPECT_EQ("2 Objects", WaitForStatus(browser, "2 "));
    HWND list = FindWindowExA(browser, nullptr, "SysListView32", nullptr);
    ASSERT_NE(nullptr, list);
    // The status counts the folder's model, which the list's rows follow a
    // moment later.
    std::string listed;
    for (DWORD start = GetTickCount(); listed.empty() && GetTickCount() - start < 10000; Sleep(50))
        listed = RemoteListText(list, 1);
    EXPECT_EQ("???.tif", listed);
    SetForegroundWindow(browser);
    PostMessageA(list, WM_CHAR, '?', 1);   // type-ahead picks it
    Sleep(500);
    PostMessageA(browser, WM_COMMAND, 32817, 0);   // Open
    HWND frame = tavirsel.Window("Ommavu");
    ASSERT_NE(nullptr, frame);
    const std::string status = WaitForStatus(frame, "1/1 ");
    EXPECT_EQ(0u, status.find("1/1 Pictures")) << status;
    // The status bar names the file shown: by its short name.
    std::string name;
    const DWORD start = GetTickCount();
    while (name.find('~') == std::string::npos && GetTickCount() - start < 10000) {
        Sleep(100);
        name = StatusPart(frame, 2);
    }
    EXPECT_NE(std::string::npos, name.find('~')) << name;
    Sleep(300);
    SaveScreenshot(frame, "viewer-foreign-name.bmp");
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, tavirsel.Wait(20000));
    DeleteFileW(picture.c_str());
    RemoveDirectoryA(folder.c_str());
    DeleteFileA(IniPath().c_str());
}

}  // namespace
