// The filter plug-in host with plug-ins made for the test: what is loaded
// and listed (consecutive IDs, the arrays growing past 16, libraries without
// InitPicturePlugins or not libraries at all skipped), which commands are
// the filters', a filter's new picture, the language change, a filter that
// ends in a fatal image library error, and unloading.
#include <gtest/gtest.h>
#include <windows.h>

#include <setjmp.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "dialog_driver.h"
#include "document.h"
#include "load.h"
#include "lorimel.h"
#include "picture.h"
#include "plugin_host.h"
#include "recovery_tap.h"
#include "program.h"
#include "shell_test_files.h"

namespace {

// A menu bar of five popups, the fifth standing for Process.
HMENU MakeMenu() {
    HMENU bar = CreateMenu();
    for (int i = 0; i < 5; ++i) {
        HMENU popup = CreatePopupMenu();
        AppendMenuA(popup, MF_STRING, 100 + i, "item");
        AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), "popup");
    }
    return bar;
}

std::string ItemText(HMENU popup, int position) {
    char text[64] = {};
    GetMenuStringA(popup, position, text, sizeof text, MF_BYPOSITION);
    return text;
}

class PluginHostTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(EnsureImageLibrary()); }
    void SetUp() override {
        Program().mainModule = Program().resourceModule = GetModuleHandleA(nullptr);
        folder_ = Beside("plugin-host-case\\");
        CreateDirectoryA(folder_.c_str(), nullptr);
        menu_ = MakeMenu();
    }
    void TearDown() override {
        UnloadPlugins();
        FreeCurrentPicture();
        DestroyMenu(menu_);
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder_ + "*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do DeleteFileA((folder_ + found.cFileName).c_str());
            while (FindNextFileA(search, &found));
            FindClose(search);
        }
        RemoveDirectoryA(folder_.c_str());
    }
    void Put(const char* plugin, const char* as) {
        ASSERT_TRUE(CopyFileA(Beside(std::string("plugin-host\\") + plugin).c_str(), (folder_ + as).c_str(), FALSE))
            << plugin;
    }
    // A current picture of 4 x 3 with distinct pixels.
    static Picture* MakeCurrent() {
        Picture* picture = CreatePicture(4, 3);
        DWORD* p = reinterpret_cast<DWORD*>(picture->working->pixels);
        for (int i = 0; i < 12; ++i) p[i] = 0x00102030u * static_cast<DWORD>(i + 1) & 0x00FFFFFF;
        RefreshPictureDisplay(picture);
        SetCurrentPicture(picture);
        return picture;
    }
    HMENU Process() const { return GetSubMenu(menu_, kProcessMenuPosition); }

    std::string folder_;
    HMENU menu_ = nullptr;
};

TEST_F(PluginHostTest, FiltersGetConsecutiveIdsAndOnlyRealPluginsAreListed) {
    Put("host_three.PLS", "Three.PLS");
    Put("host_free_only.PLS", "FreeOnly.PLS");
    {
        // Not a library at all.
        HANDLE file = CreateFileA((folder_ + "Text.PLS").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, "not a library", 13, &written, nullptr);
        CloseHandle(file);
    }
    EXPECT_EQ(3, LoadPlugins(folder_, 0, menu_));
    ASSERT_EQ(3, PluginFilterCount());
    HMENU process = Process();
    ASSERT_EQ(5, GetMenuItemCount(process)) << "the old item, a separator and three filters";
    EXPECT_EQ(0u, GetMenuItemID(process, 1)) << "separator";
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(60000u + i, GetMenuItemID(process, 2 + i));
        EXPECT_EQ("Filter " + std::to_string(i + 1), ItemText(process, 2 + i));
    }
    EXPECT_EQ(nullptr, GetModuleHandleA((folder_ + "FreeOnly.PLS").c_str())) << "released at once";
}

TEST_F(PluginHostTest, SeventeenFiltersGrowTheArrayOnce) {
    Put("host_seventeen.PLS", "Many.PLS");
    EXPECT_EQ(17, LoadPlugins(folder_, 0, menu_));
    EXPECT_EQ(60016u, GetMenuItemID(Process(), 1 + 17));
    EXPECT_EQ("Filter 17", ItemText(Process(), 1 + 17));
    EXPECT_STREQ("Filter 17", PluginFilterAt(16)->name);
    EXPECT_EQ(nullptr, PluginFilterAt(17));
}

TEST_F(PluginHostTest, NoPluginsLeaveTheMenuAlone) {
    EXPECT_EQ(0, LoadPlugins(folder_, 0, menu_));
    EXPECT_EQ(1, GetMenuItemCount(Process()));
    EXPECT_EQ(0, RunPluginCommand(nullptr, 60000));
}

TEST_F(PluginHostTest, OnlyTheFiltersCommandsAreHandledAndAFilterMakesTheNewPicture) {
    Put("host_three.PLS", "Three.PLS");
    ASSERT_EQ(3, LoadPlugins(folder_, 0, menu_));
    EXPECT_EQ(0, RunPluginCommand(nullptr, 59999));
    EXPECT_EQ(0, RunPluginCommand(nullptr, 60003));
    EXPECT_EQ(1, RunPluginCommand(nullptr, 60000)) << "no picture: handled, nothing happens";
    EXPECT_EQ(nullptr, CurrentDocument().picture);

    Picture* before = MakeCurrent();
    const DWORD first = reinterpret_cast<const DWORD*>(before->working->pixels)[5];
    EXPECT_EQ(1, RunPluginCommand(nullptr, 60002));
    const Picture* after = CurrentDocument().picture;
    ASSERT_NE(nullptr, after);
    EXPECT_NE(before, after) << "the filter's new picture is current";
    EXPECT_EQ(~first & 0x00FFFFFF, reinterpret_cast<const DWORD*>(after->working->pixels)[5]);
}

TEST_F(PluginHostTest, LanguageChangeReinitialisesWithTheNewCodePage) {
    Put("host_three.PLS", "Three.PLS");
    ASSERT_EQ(3, LoadPlugins(folder_, 0, menu_));
    HMENU chinese = MakeMenu();
    EXPECT_EQ(3, ReloadPlugins(936, chinese));
    EXPECT_EQ("CP936 Filter 1", ItemText(GetSubMenu(chinese, kProcessMenuPosition), 2));
    EXPECT_EQ(60002u, GetMenuItemID(GetSubMenu(chinese, kProcessMenuPosition), 4));
    DestroyMenu(chinese);
    UnloadPlugins();
    EXPECT_EQ(0, PluginFilterCount());
    EXPECT_EQ(0, RunPluginCommand(nullptr, 60000)) << "nothing is handled once unloaded";
}

// The image library's fatal-error handler, on demand: detecting the current
// file's format jumps back to the latest recovery point.
const LorimelApi* g_real = nullptr;
LONG WINAPI DetectAndFail(const char*, char*) {
    g_real->TakeErrorJump(RecoveryTap::Point(), 1);
    return 0;
}

TEST_F(PluginHostTest, AFilterEndingInAFatalLibraryErrorIsReportedAndTheViewerGoesOn) {
    Put("host_fault.PLS", "Fault.PLS");
    ASSERT_EQ(1, LoadPlugins(folder_, 0, menu_));
    Picture* picture = MakeCurrent();
    lstrcpyA(CurrentDocument().fileName, "C:\\pictures\\a.jpg");
    g_real = ImageLibrary();
    LorimelApi failing = *g_real;
    failing.DetectImageFormat = DetectAndFail;
    Driver driver(0xFFFE);   // no dialog of its own: it reads and closes boxes
    int handled = 0;
    {
        RecoveryTap tap;
        SetImageLibrary(&failing);
        driver.Run([&] { handled = RunPluginCommand(nullptr, 60000); });
        SetImageLibrary(g_real);
    }
    CurrentDocument().fileName[0] = 0;
    EXPECT_EQ(1, handled);
    EXPECT_EQ((std::vector<std::string>{"Error: PlugIns Handle generate Error !"}), driver.boxes);
    EXPECT_EQ(picture, CurrentDocument().picture) << "the picture stays";
    // The host still works afterwards.
    Put("host_three.PLS", "Three.PLS");
    EXPECT_EQ(4, LoadPlugins(folder_, 0, menu_));
    EXPECT_EQ(1, RunPluginCommand(nullptr, 60001));
    EXPECT_NE(picture, CurrentDocument().picture);
}

// A real fatal error of the imaging core raised on this thread: the core
// hands it to the library's fatal-error handler, which goes back to the
// innermost recovery point still open, or does nothing when none is.
void RaiseFatalError() {
    using Fatal = void (*)(int, const char*, const char*);
    static const Fatal raise = reinterpret_cast<Fatal>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("Corvane.dll"), "MagickFatalError")));
    ASSERT_NE(nullptr, raise);
    raise(700 /* FatalErrorException */, "raised by the test", "after the scope ended");
}

// Runs scope inside a recovery point of the caller's own, then raises a
// fatal error: true when the error came back to the caller's point.
bool FatalErrorAfterScopeComesBack(const std::function<void()>& scope) {
    jmp_buf outer;
    RecoveryScope mine;
    if (LorimelRecoveryPoint(outer) != 0) {
        mine.Jumped();
        return true;
    }
    scope();
    RaiseFatalError();
    return false;
}

TEST_F(PluginHostTest, AFatalErrorAfterAScopeHasEndedNeverComesBackIntoIt) {
    Put("host_three.PLS", "Three.PLS");
    ASSERT_EQ(3, LoadPlugins(folder_, 0, menu_));
    MakeCurrent();
    const std::string bmp = WriteBmp("fatal-later.bmp", 8, 6);
    const LorimelApi* api = ImageLibrary();
    struct Case {
        const char* scope;
        std::function<void()> run;
    };
    const Case cases[] = {
        {"a filter's run", [] { EXPECT_EQ(1, RunPluginCommand(nullptr, 60001)); }},
        {"a first-page decode", [&] { FreeDib(LoadFirstPageDib(bmp.c_str())); }},
        {"a page decode", [&] {
             char format[200] = {};
             ASSERT_NE(0, api->DetectImageFormat(bmp.c_str(), format));
             LorimelHandle file = api->OpenImageFile(bmp.c_str(), "rb", format, 0);
             api->ReadImageHeader(file);
             FreePicture(LoadPagePicture(file, 0));
             api->CloseImageFile(file);
         }},
    };
    Driver driver(0xFFFE);   // reads and closes any message box
    for (const Case& c : cases) {
        driver.boxes.clear();
        driver.Run([&] {
            // No point is open afterwards: the error is only recorded.
            c.run();
            RaiseFatalError();
            // A point open around the scope catches an error raised after it.
            EXPECT_TRUE(FatalErrorAfterScopeComesBack(c.run)) << c.scope;
        });
        EXPECT_EQ(std::vector<std::string>{}, driver.boxes) << c.scope << ": its own handler ran";
    }
}

}  // namespace

namespace {

// The seven plug-ins shipped in the program folder, as the viewer lists them.
TEST_F(PluginHostTest, TheShippedFiltersAreListedInBothLanguages) {
    const std::string bin = Beside("..\\bin\\");
    ASSERT_EQ(7, LoadPlugins(bin, 0, menu_));
    std::vector<std::string> english;
    for (int i = 0; i < 7; ++i) english.push_back(ItemText(Process(), 2 + i));
    std::sort(english.begin(), english.end());
    EXPECT_EQ((std::vector<std::string>{"Blur", "Implode", "Noise", "Rain", "Sharp", "Swirl", "Wave Picture"}), english);

    HMENU chinese = MakeMenu();
    ASSERT_EQ(7, ReloadPlugins(936, chinese));
    for (int i = 0; i < 7; ++i) {
        const std::string name = PluginFilterAt(i)->name;
        EXPECT_FALSE(name.empty());
        EXPECT_TRUE(static_cast<unsigned char>(name[0]) >= 0x81) << "a GBK name: " << i;
        EXPECT_EQ(60000u + i, GetMenuItemID(GetSubMenu(chinese, kProcessMenuPosition), 2 + i));
    }
    DestroyMenu(chinese);
}

}  // namespace
