// Tavirsel.exe as a user starts it: which window comes first, what its status
// bar says, the shared-mode hand-over between two processes, the language
// chosen by the ANSI code page, and closing.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "driver.h"

namespace {

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override { DeleteFileA(IniPath().c_str()); }
    void TearDown() override { DeleteFileA(IniPath().c_str()); }
};

}  // namespace

// The samples folder as the browser's first folder: eleven pictures and the
// parent entry.
void BrowseSamplesFirst() {
    WritePrivateProfileStringA("SETTINGS", "DEFAULTPATH", (TestsFolder() + "..\\samples\\").c_str(), "Tavirsel.INI");
}

TEST_F(ProgramTest, WithoutArgumentsTheBrowserComesFirstAndClosingItEndsTheProgram) {
    BrowseSamplesFirst();
    Running tavirsel("");
    ASSERT_TRUE(tavirsel.Started());
    HWND browser = tavirsel.Window("OmmavuSHOWer");
    HWND frame = tavirsel.Window("Ommavu");
    ASSERT_NE(nullptr, browser);
    ASSERT_NE(nullptr, frame);
    EXPECT_EQ("12 Objects", WaitForStatus(browser, "12"));
    EXPECT_TRUE(IsWindowVisible(browser));
    EXPECT_FALSE(IsWindowVisible(frame)) << "exactly one window is visible";
    char title[128] = {};
    GetWindowTextA(browser, title, sizeof title);
    EXPECT_STREQ("Ommavu", title);

    PostMessageA(browser, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, tavirsel.Wait(20000));
    // The browser remembered where it was.
    EXPECT_NE(0x7FFF, static_cast<int>(GetPrivateProfileIntA("SETTINGS", "BSWIDTH", 0x7FFF, "Tavirsel.INI")));
}

TEST_F(ProgramTest, APictureOnTheCommandLineOpensTheViewerAndClosingItClosesBoth) {
    Running tavirsel("\"" + Sample("photo.jpg") + "\"");
    ASSERT_TRUE(tavirsel.Started());
    HWND frame = tavirsel.Window("Ommavu");
    ASSERT_NE(nullptr, frame);
    EXPECT_EQ("1/1 Pictures", WaitForStatus(frame, "1/1"));
    EXPECT_TRUE(IsWindowVisible(frame));
    HWND browser = tavirsel.Window("OmmavuSHOWer");
    ASSERT_NE(nullptr, browser);
    EXPECT_FALSE(IsWindowVisible(browser));

    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, tavirsel.Wait(20000));
    EXPECT_NE(0x7FFF, static_cast<int>(GetPrivateProfileIntA("Paramter", "ShowSX", 0x7FFF, "Tavirsel.INI")))
        << "closing the viewer writes its placement";
    EXPECT_EQ(1, static_cast<int>(GetPrivateProfileIntA("Paramter", "ShowToolBar", 7, "Tavirsel.INI")));
}

TEST_F(ProgramTest, NonPicturesOnTheCommandLineAreSkippedWithoutAMessage) {
    std::string text = TestsFolder() + "not-a-picture.txt";
    HANDLE f = CreateFileA(text.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(f, "hello", 5, &written, nullptr);
    CloseHandle(f);
    Running tavirsel("\"" + text + "\" \"" + Sample("rose.tif") + "\"");
    HWND frame = tavirsel.Window("Ommavu");
    ASSERT_NE(nullptr, frame);
    EXPECT_EQ("1/1 Pictures", WaitForStatus(frame, "1/1"));
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, tavirsel.Wait(20000));
    DeleteFileA(text.c_str());
}

TEST_F(ProgramTest, ASecondSharedInstanceHandsItsFileToTheFirstAndEnds) {
    Running first("/SHARE");
    HWND frame = first.Window("Ommavu[SHARE]");
    ASSERT_NE(nullptr, frame) << "the shared instance's frame class carries [SHARE]";
    HWND browser = first.Window("OmmavuSHOWer");
    ASSERT_NE(nullptr, browser);
    // "/SHARE" alone is a non-empty command line: the viewer comes first.
    EXPECT_EQ("0 Objects", WaitForStatus(frame, "0"));

    // A relative name is completed with the second instance's folder.  The
    // first instance signalled the event once its own command line was done,
    // so the second does not wait out the 30 seconds.
    DWORD start = GetTickCount();
    Running second("/share photo.jpg", TestsFolder() + "..\\samples");
    EXPECT_EQ(0, second.Wait(40000)) << "the second instance ends with 0";
    EXPECT_LT(GetTickCount() - start, 20000u);
    EXPECT_EQ("1 Objects", WaitForStatus(frame, "1")) << "the first instance's open list has the file";

    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, first.Wait(20000));
}

// Run with LC_ALL=zh_CN.UTF-8 (GetACP() is then 936): the program loads
// SHOW936.DLL at start and its texts replace the built-in ones.
TEST_F(ProgramTest, ChineseCodePageLoadsTheChineseLanguageLibrary) {
    if (GetACP() != 936) GTEST_SKIP() << "needs the ANSI code page 936 (LC_ALL=zh_CN.UTF-8)";
    BrowseSamplesFirst();
    Running tavirsel("");
    HWND browser = tavirsel.Window("OmmavuSHOWer");
    ASSERT_NE(nullptr, browser);
    std::string text = WaitForStatus(browser, "12");
    // "12" followed by the Chinese for "Objects", in code page 936.
    EXPECT_NE("12 Objects", text);
    ASSERT_GT(text.size(), 4u);
    EXPECT_EQ("12 ", text.substr(0, 3));
    EXPECT_TRUE(static_cast<unsigned char>(text[3]) >= 0x81) << "a double-byte character";
    PostMessageA(browser, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, tavirsel.Wait(20000));
}
