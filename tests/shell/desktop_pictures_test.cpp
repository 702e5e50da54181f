// Handing pictures to the desktop through the real registry, the real files
// of the Wine prefix and the settings file: the wallpaper and its previous
// value (set twice, restore, a failed write, a desktop without wallpaper),
// the dialog, the logos with their backups, and the screen saver's set.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "desktop_pictures.h"
#include "dialog_driver.h"
#include "dib.h"
#include "program.h"
#include "resource_ids.h"
#include "shell_test_files.h"
#include "wallpaper_dialog.h"

namespace {

constexpr char kDesktop[] = "Control Panel\\desktop";

void WriteBytes(const std::string& path, const std::string& text) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(f);
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
}

std::string Value(const char* name) {
    char text[MAX_PATH] = "";
    DWORD size = sizeof text;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kDesktop, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return "<none>";
    const LONG result = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? text : "<none>";
}

void SetValue(const char* name, const char* text) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kDesktop, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    if (text) RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), lstrlenA(text) + 1);
    else RegDeleteValueA(key, name);
    RegCloseKey(key);
}

// The desktop as a machine that shows `wallpaper` (null: never had one).
void DesktopShows(const char* wallpaper) {
    for (const char* name : {"PrevWallPaper", "PrevWallPaperStyle", "PrevTileWallPaper"}) SetValue(name, nullptr);
    SetValue("Wallpaper", wallpaper);
    SetValue("TileWallPaper", "0");
    SetValue("WallPaperStyle", "0");
}

// A 32-bit picture whose every pixel names its place: blue = x, green = y.
DibBlock* Gradient(int width, int height) {
    DibBlock* dib = CreateDib(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            BYTE* pixel = dib->pixels + (static_cast<size_t>(y) * width + x) * 4;
            pixel[0] = static_cast<BYTE>(x), pixel[1] = static_cast<BYTE>(y), pixel[2] = 0x80;
        }
    return dib;
}

std::string ScratchFolder() {
    const std::string folder = Beside("scratch-desktop\\");
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

bool NoTemporaryFiles(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE found = FindFirstFileA((folder + "~om*").c_str(), &data);
    if (found == INVALID_HANDLE_VALUE) return true;
    FindClose(found);
    return false;
}

class DesktopPictures : public ::testing::Test {
protected:
    void SetUp() override {
        SetUpProgramState();
        folder = ScratchFolder();
        wallpaper = folder + "wall.bmp";
        DeleteFileA(wallpaper.c_str());
        picture = Gradient(5, 3);
    }
    void TearDown() override { FreeDib(picture); }
    std::string folder, wallpaper;
    DibBlock* picture = nullptr;
};

TEST_F(DesktopPictures, WallpaperFileIsAClassicBitmapBottomRowFirst) {
    ASSERT_EQ(SaveWallpaperBitmap(picture, wallpaper), 1);
    const std::vector<BYTE> bytes = FileBytes(wallpaper);
    ASSERT_EQ(bytes.size(), 54u + 5 * 3 * 4);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    BITMAPINFOHEADER header;
    std::memcpy(&header, bytes.data() + 14, 40);
    EXPECT_EQ(header.biSize, 40u);
    EXPECT_EQ(header.biHeight, 3);  // positive: bottom row first
    EXPECT_EQ(header.biBitCount, 32);
    // The file's first row is the picture's last (green = y = 2).
    EXPECT_EQ(bytes[54 + 1], 2);
    EXPECT_EQ(bytes[54 + 4 * 4], 4);  // blue = x of the fifth pixel
    EXPECT_EQ(SaveWallpaperBitmap(nullptr, wallpaper), 0);
}

TEST_F(DesktopPictures, EachModeWritesItsValuesAndRestoreReturnsToTheFirstWallpaper) {
    DesktopShows("C:\\windows\\theirs.bmp");
    SetValue("WallPaperStyle", "2");
    const struct { int mode; const char* tile; const char* style; } modes[] = {
        {kWallpaperCentre, "0", "0"}, {kWallpaperTile, "1", "0"}, {kWallpaperStretch, "0", "2"}};
    for (const auto& m : modes) {
        ASSERT_TRUE(SetWallpaper(picture, wallpaper, m.mode));
        EXPECT_EQ(Value("WallPaper"), wallpaper);
        EXPECT_EQ(Value("TileWallPaper"), m.tile);
        EXPECT_EQ(Value("WallPaperStyle"), m.style);
        EXPECT_EQ(GetWallpaperMode(), m.mode);
        // Setting ours again keeps the first wallpaper as the previous one.
        EXPECT_EQ(Value("PrevWallPaper"), "C:\\windows\\theirs.bmp");
        EXPECT_EQ(Value("PrevWallPaperStyle"), "2");
    }
    char applied[MAX_PATH] = "";
    SystemParametersInfoA(SPI_GETDESKWALLPAPER, MAX_PATH, applied, 0);
    EXPECT_STREQ(applied, wallpaper.c_str());
    ASSERT_TRUE(RestoreWallpaper());
    EXPECT_EQ(Value("WallPaper"), "C:\\windows\\theirs.bmp");
    EXPECT_EQ(Value("WallPaperStyle"), "2");
    EXPECT_EQ(Value("TileWallPaper"), "0");
    EXPECT_EQ(GetWallpaperMode(), kWallpaperStretch);
}

TEST_F(DesktopPictures, ADesktopWithoutWallpaperCanBeRestoredToNone) {
    DesktopShows(nullptr);
    EXPECT_FALSE(HasPreviousWallpaper());
    EXPECT_FALSE(RestoreWallpaper());
    ASSERT_TRUE(SetWallpaper(picture, wallpaper, kWallpaperTile));
    EXPECT_TRUE(HasPreviousWallpaper());
    ASSERT_TRUE(RestoreWallpaper());
    EXPECT_EQ(Value("WallPaper"), "");
}

TEST_F(DesktopPictures, AFailedWriteLeavesTheWallpaperAndItsSettingsAlone) {
    ASSERT_TRUE(SaveWallpaperBitmap(picture, wallpaper));
    DesktopShows(wallpaper.c_str());
    const std::vector<BYTE> before = FileBytes(wallpaper);
    // The file held open without sharing cannot be replaced.
    HANDLE held = CreateFileA(wallpaper.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    DibBlock* other = Gradient(7, 7);
    EXPECT_FALSE(SetWallpaper(other, wallpaper, kWallpaperStretch));
    CloseHandle(held);
    FreeDib(other);
    EXPECT_EQ(FileBytes(wallpaper), before);
    EXPECT_EQ(Value("WallPaperStyle"), "0");
    EXPECT_EQ(Value("PrevWallPaper"), "<none>");
    EXPECT_TRUE(NoTemporaryFiles(folder));
}

TEST_F(DesktopPictures, TheDialogSetsTheChosenModeAndCancelChangesNothing) {
    DesktopShows("C:\\windows\\theirs.bmp");
    const std::string ours = SystemDesktopPaths().windowsFolder + ResourceString(IDS_WALLPAPER_FILE);
    int result = -1;
    Driver cancel(IDC_WALLPAPER_PREVIEW);
    cancel.Then([](HWND d) { EXPECT_TRUE(Checked(d, IDC_WALLPAPER_CENTER)); }).Click(IDC_WALLPAPER_TILE).Press(IDCANCEL);
    cancel.Run([&] { result = RunWallpaperDialog(nullptr, picture); });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Value("WallPaper"), "C:\\windows\\theirs.bmp");

    Driver ok(IDC_WALLPAPER_PREVIEW);
    ok.Click(IDC_WALLPAPER_STRETCH).Press(IDOK);
    ok.Run([&] { result = RunWallpaperDialog(nullptr, picture); });
    EXPECT_EQ(result, 1);
    EXPECT_FALSE(ok.timedOut);
    EXPECT_EQ(Value("WallPaper"), ours);
    EXPECT_EQ(GetWallpaperMode(), kWallpaperStretch);
    EXPECT_EQ(FileBytes(ours).size(), 54u + 5 * 3 * 4);
}

TEST(WallpaperPreview, SizeFollowsTheScreenAndIsAtLeastFour) {
    const struct { int w, h, sw, sh; LONG cx, cy; } cases[] = {
        {1024, 768, 1024, 768, kMiniScreenWidth, kMiniScreenHeight},
        {512, 384, 1024, 768, 76, 56},
        {10, 3000, 1024, 768, 4, 437},
        {40000, 2, 1024, 768, 5937, 4},
    };
    for (const auto& c : cases) {
        const SIZE size = WallpaperPreviewSize(c.w, c.h, c.sw, c.sh);
        EXPECT_EQ(size.cx, c.cx) << c.w << "x" << c.h;
        EXPECT_EQ(size.cy, c.cy) << c.w << "x" << c.h;
    }
}

TEST_F(DesktopPictures, LogosAre320By400At256ColoursAndTheSystemsOwnAreKept) {
    DesktopPaths paths{folder, folder + "Logo.SYS"};
    for (const char* name : {"Logo.SYS", "Logo.BAK", "Logos.Sys", "Logos.Bak", "Logow.Sys", "Logow.Bak"})
        DeleteFileA((folder + name).c_str());
    WriteBytes(paths.startupLogo, "theirs");
    WriteBytes(folder + "Logos.Sys", "system s");
    WriteBytes(folder + "Logow.Sys", "system w");

    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(SetStartupLogo(picture, paths));
        ASSERT_TRUE(SetShutdownPictures(picture, paths));
    }
    for (const char* name : {"Logo.SYS", "Logos.Sys", "Logow.Sys"}) {
        const std::vector<BYTE> bytes = FileBytes(folder + name);
        ASSERT_EQ(bytes.size(), 14u + 40 + 1024 + 320 * 400) << name;
        BITMAPINFOHEADER header;
        std::memcpy(&header, bytes.data() + 14, 40);
        EXPECT_EQ(header.biSize, 40u);
        EXPECT_EQ(header.biWidth, 320);
        EXPECT_EQ(header.biHeight, 400);
        EXPECT_EQ(header.biBitCount, 8);
    }
    EXPECT_TRUE(HasShutdownBackup(paths));
    ASSERT_TRUE(RestoreShutdownPictures(paths));
    EXPECT_EQ(FileBytes(folder + "Logos.Sys"), std::vector<BYTE>({'s', 'y', 's', 't', 'e', 'm', ' ', 's'}));
    EXPECT_EQ(FileBytes(folder + "Logow.Sys"), std::vector<BYTE>({'s', 'y', 's', 't', 'e', 'm', ' ', 'w'}));
    EXPECT_FALSE(HasShutdownBackup(paths));
    const std::vector<BYTE> theirs = {'t', 'h', 'e', 'i', 'r', 's'};
    ASSERT_TRUE(DefaultStartupLogo(paths));
    EXPECT_EQ(FileBytes(paths.startupLogo), theirs);
    // A foreign logo with no backup is put aside, never deleted, and comes
    // back after the next logo of ours.
    ASSERT_TRUE(DefaultStartupLogo(paths));
    EXPECT_FALSE(FileExists(paths.startupLogo));
    EXPECT_EQ(FileBytes(folder + "Logo.BAK"), theirs);
    ASSERT_TRUE(SetStartupLogo(picture, paths));
    ASSERT_TRUE(DefaultStartupLogo(paths));
    EXPECT_EQ(FileBytes(paths.startupLogo), theirs);
    // Where there was no logo, Default leaves none and no backup.
    DeleteFileA(paths.startupLogo.c_str());
    for (int round = 0; round < 2; ++round) ASSERT_TRUE(SetStartupLogo(picture, paths));
    ASSERT_TRUE(DefaultStartupLogo(paths));
    EXPECT_FALSE(FileExists(paths.startupLogo));
    EXPECT_FALSE(FileExists(folder + "Logo.BAK"));
}

TEST_F(DesktopPictures, TheScreenSaverSetIsRewrittenWholeAndNamesTheProgram) {
    const std::string program = folder + "Ommavu.SCR";
    WriteBytes(program, "saver");
    ASSERT_TRUE(SetScreenSaverPictures({"C:\\a.jpg", "C:\\b.jpg", "C:\\c.jpg"}, program, false));
    ASSERT_TRUE(SetScreenSaverPictures({"C:\\d.jpg"}, program, false));
    EXPECT_EQ(Raw("PictureNumber", "SCRNSAVE"), "1");
    EXPECT_EQ(Raw("Picture0", "SCRNSAVE"), "C:\\d.jpg");
    EXPECT_EQ(Raw("Picture1", "SCRNSAVE"), "<none>");
    char shortPath[MAX_PATH] = "";
    GetShortPathNameA(program.c_str(), shortPath, MAX_PATH);
    EXPECT_EQ(Value("SCRNSAVE.EXE"), shortPath);
    // The 9x family names it in SYSTEM.INI.
    ASSERT_TRUE(SetScreenSaverPictures({"C:\\e.jpg"}, program, true));
    char boot[MAX_PATH] = "";
    GetPrivateProfileStringA("boot", "SCRNSAVE.EXE", "", boot, MAX_PATH, "SYSTEM.INI");
    EXPECT_STREQ(boot, shortPath);
    // An empty list writes nothing.
    ASSERT_TRUE(SetScreenSaverPictures({}, program, false));
    EXPECT_EQ(Raw("Picture0", "SCRNSAVE"), "C:\\e.jpg");
}

}  // namespace
