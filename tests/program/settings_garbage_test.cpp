// Tavirsel.INI full of garbage (words where numbers belong, numbers past 32
// bits, 10 000-character values, sections missing or cut off): the program
// starts on the defaults and leaves a file whose every value it wrote reads
// back in range.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "driver.h"

namespace {

std::string Raw(const char* section, const char* key) {
    char text[512] = {};
    GetPrivateProfileStringA(section, key, "<none>", text, sizeof text, "Tavirsel.INI");
    return text;
}

// A plain decimal number within [low, high], as the program writes numbers.
bool NumberWithin(const std::string& text, long long low, long long high) {
    if (text.empty() || text.size() > 11) return false;
    for (size_t i = text[0] == '-' ? 1 : 0; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9') return false;
    const long long value = std::atoll(text.c_str());
    return text != "-" && value >= low && value <= high;
}

TEST(SettingsGarbageTest, StartsOnTheDefaultsAndWritesASoundFile) {
    const std::string longText(10000, 'x'), longNumber(10000, '7');
    const std::string garbage =
        "[Paramter]\r\nShowX=left\r\nShowY=99999999999999999999\r\nShowSX=-5\r\nShowSY=0x7FFFFFFFFFFF\r\n"
        "ShowToolBar=yes\r\nShowStatusBar=\r\nTimer=-1000000\r\nBackgroundColor=blue\r\n"
        "WindowSizeAutoChange=77\r\nActiveToward=5\r\nLeftWidth=-3\r\nLeftHeight=" + longNumber + "\r\n"
        "InitialDir=" + longText + "\r\nPictureFrameImage=" + longText + "\r\nBackgroundIndex=" + longNumber + "\r\n"
        "a line without an equals sign\r\n"
        "[SETTINGS]\r\nShowMode=123456\r\nTREEVIEWLINE=9999999\r\nPREVIEWLINE=-9999999\r\nLISTVIEWLINE=nan\r\n"
        "SaveTreeViewLine=-1\r\nDEFAULTPATH=" + longText + "\r\nBSWPOSX=2147483648\r\nBSWPOSY=-2147483649\r\n"
        "BSWIDTH=0\r\nBSWHIGH=1e9\r\nPicToIcon=maybe\r\n"
        "[TYPECOLOR]\r\nNumber=lots\r\nJPEG=" + longText + "\r\n"
        "[" + longText + "]\r\n" + longText + "=" + longText + "\r\n[INSTALL";
    HANDLE file = CreateFileA(IniPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD written = 0;
    WriteFile(file, garbage.data(), static_cast<DWORD>(garbage.size()), &written, nullptr);
    CloseHandle(file);

    Running tavirsel("");
    HWND browser = tavirsel.Window("OmmavuSHOWer");
    ASSERT_NE(nullptr, browser);
    const DWORD start = GetTickCount();
    while (!IsWindowVisible(browser) && GetTickCount() - start < 20000) Sleep(50);
    ASSERT_TRUE(IsWindowVisible(browser));
    RECT work, shown;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(browser, &shown);
    EXPECT_GE(shown.left, work.left);
    EXPECT_GE(shown.top, work.top);
    EXPECT_LE(shown.right, work.right);
    EXPECT_LE(shown.bottom, work.bottom);
    EXPECT_GE(shown.right - shown.left, 100) << "a usable window, not the 0 width of the file";
    EXPECT_GE(shown.bottom - shown.top, 100);
    Sleep(1500);
    SaveScreenshot(browser, "browser-garbage-settings.bmp");
    PostMessageA(browser, WM_CLOSE, 0, 0);
    ASSERT_EQ(0, tavirsel.Wait(20000));

    // What the program wrote reads back in range; flags as "1" or "0".
    struct Key {
        const char* section;
        const char* name;
        long long low, high;
    };
    const long long width = work.right - work.left, height = work.bottom - work.top;
    const Key keys[] = {
        {"Paramter", "ShowToolBar", 1, 1},
        {"Paramter", "ShowStatusBar", 1, 1},
        {"SETTINGS", "ShowMode", 0, 4},
        {"SETTINGS", "BSWPOSX", work.left, work.right - 100},
        {"SETTINGS", "BSWPOSY", work.top, work.bottom - 100},
        {"SETTINGS", "BSWIDTH", 100, width},
        {"SETTINGS", "BSWHIGH", 100, height},
        {"SETTINGS", "TREEVIEWLINE", -32767, 32767},
        {"SETTINGS", "PREVIEWLINE", -32767, 32767},
        {"SETTINGS", "LISTVIEWLINE", -32767, 32767},
        {"SETTINGS", "SaveTreeViewLine", 0, 32767},
        {"TYPECOLOR", "Number", 12, 12},
    };
    for (const Key& key : keys) {
        const std::string text = Raw(key.section, key.name);
        EXPECT_TRUE(NumberWithin(text, key.low, key.high))
            << key.section << "/" << key.name << " = \"" << text.substr(0, 40) << "\"";
    }
    // The folder shown is written back as a path that exists.
    const std::string shownFolder = Raw("SETTINGS", "DEFAULTPATH");
    EXPECT_LT(shownFolder.size(), 260u);
    const DWORD attributes = GetFileAttributesA(shownFolder.c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        << shownFolder.substr(0, 40);
    DeleteFileA(IniPath().c_str());
}

}  // namespace
