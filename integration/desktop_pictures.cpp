#include "desktop_pictures.h"

#include <cstdio>

#include "bitmap_file.h"
#include "quantize.h"
#include "registry.h"
#include "settings.h"

namespace {

constexpr char kDesktopKey[] = "Control Panel\\desktop";
constexpr int kLogoWidth = 320, kLogoHeight = 400;

bool g_wallpaperSetThisRun = false;

// A string value of the desktop key, at most `limit` characters; found
// false when it is missing.
std::string ReadDesktopValue(const char* name, DWORD limit, bool* found = nullptr) {
    std::string value;
    const bool present = registry::ReadString(HKEY_CURRENT_USER, kDesktopKey, name, &value);
    if (found) *found = present;
    if (value.size() > limit) value.resize(limit);
    return value;
}

bool WriteDesktopValues(const std::vector<std::pair<const char*, std::string>>& values) {
    bool ok = true;
    for (const auto& value : values)
        ok = registry::WriteString(HKEY_CURRENT_USER, kDesktopKey, value.first, value.second.c_str()) && ok;
    return ok;
}

void ApplyWallpaper(const std::string& path) {
    SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(path.c_str()),
                          SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
}

const char* TileValue(int mode) { return mode == kWallpaperTile ? "1" : "0"; }
const char* StyleValue(int mode) { return mode == kWallpaperStretch ? "2" : "0"; }

// The logo written under name, after the existing file (the system's own)
// has become the backup, unless a backup already exists.
bool ReplaceKeepingBackup(const DibBlock* logo, const std::string& name, const std::string& backup) {
    if (!FileExists(backup) && FileExists(name) && !MoveFileA(name.c_str(), backup.c_str())) return false;
    return WriteBitmapFile(name, logo);
}

bool PutBackupBack(const std::string& name, const std::string& backup) {
    if (!FileExists(backup)) return false;
    DeleteFileA(name.c_str());
    return MoveFileA(backup.c_str(), name.c_str()) != 0;
}

std::string LogoBackupOf(const std::string& logo) {
    const size_t dot = logo.find_last_of('.');
    const size_t slash = logo.find_last_of('\\');
    const std::string stem = dot != std::string::npos && (slash == std::string::npos || dot > slash) ? logo.substr(0, dot) : logo;
    return stem + ".BAK";
}

}  // namespace

DesktopPaths SystemDesktopPaths() {
    DesktopPaths paths;
    char folder[MAX_PATH] = "";
    const UINT length = GetWindowsDirectoryA(folder, MAX_PATH);
    paths.windowsFolder = length > 0 && length < MAX_PATH ? folder : "C:\\WINDOWS";
    if (paths.windowsFolder.back() != '\\') paths.windowsFolder += '\\';
    paths.startupLogo = "C:\\Logo.SYS";
    return paths;
}

std::string WallpaperFilePath(const DesktopPaths& paths, const std::string& fileName) {
    return paths.windowsFolder + fileName;
}

int SaveWallpaperBitmap(const DibBlock* picture, const std::string& path) {
    if (!picture || picture->header->biBitCount != 32) return 0;
    return WriteBitmapFile(path, picture) ? 1 : 0;
}

int GetWallpaperMode() {
    std::string tile = ReadDesktopValue("TileWallPaper", 64), style = ReadDesktopValue("WallPaperStyle", 64);
    if (tile.empty()) tile = "0";
    if (style.empty()) style = "0";
    if (tile == "0" && style == "2") return kWallpaperStretch;
    if (tile == "1" && style == "0") return kWallpaperTile;
    return kWallpaperCentre;
}

bool HasPreviousWallpaper() {
    bool found = false;
    ReadDesktopValue("PrevWallpaper", MAX_PATH, &found);
    return found;
}

bool SetWallpaper(const DibBlock* picture, const std::string& wallpaperFile, int mode) {
    if (mode < kWallpaperCentre || mode > kWallpaperStretch) mode = kWallpaperCentre;
    if (!SaveWallpaperBitmap(picture, wallpaperFile)) return false;
    const std::string current = ReadDesktopValue("Wallpaper", MAX_PATH);
    if (lstrcmpiA(current.c_str(), wallpaperFile.c_str()) != 0) {
        // The desktop's own wallpaper (possibly none: an empty value) is kept
        // once; setting ours again keeps the first one saved.
        WriteDesktopValues({{"PrevWallPaper", current},
                            {"PrevWallPaperStyle", ReadDesktopValue("WallPaperStyle", 64)},
                            {"PrevTileWallPaper", ReadDesktopValue("TileWallPaper", 64)}});
    }
    WriteDesktopValues({{"WallPaper", wallpaperFile}, {"TileWallPaper", TileValue(mode)},
                        {"WallPaperStyle", StyleValue(mode)}});
    ApplyWallpaper(wallpaperFile);
    return true;
}

bool RestoreWallpaper() {
    bool found = false;
    const std::string previous = ReadDesktopValue("PrevWallpaper", MAX_PATH, &found);
    if (!found) return false;
    std::string style = ReadDesktopValue("PrevWallPaperStyle", 64), tile = ReadDesktopValue("PrevTileWallPaper", 64);
    if (style.empty()) style = "0";
    if (tile.empty()) tile = "0";
    WriteDesktopValues({{"WallPaper", previous}, {"WallPaperStyle", style}, {"TileWallPaper", tile}});
    ApplyWallpaper(previous);
    return true;
}

void NoteWallpaperSetThisRun() { g_wallpaperSetThisRun = true; }

DesktopCommandState CurrentDesktopState() {
    const DesktopPaths paths = SystemDesktopPaths();
    DesktopCommandState state;
    state.wallpaperSaved = g_wallpaperSetThisRun || HasPreviousWallpaper();
    state.startupLogoExists = FileExists(paths.startupLogo);
    state.shutdownPictureSaved = HasShutdownBackup(paths);
    return state;
}

bool FileExists(const std::string& path) {
    WIN32_FIND_DATAA data;
    HANDLE found = FindFirstFileA(path.c_str(), &data);
    if (found == INVALID_HANDLE_VALUE && !path.empty() && path.back() == '\\')
        found = FindFirstFileA((path + "*.*").c_str(), &data);
    if (found == INVALID_HANDLE_VALUE) return false;
    FindClose(found);
    return true;
}

DibBlock* MakeLogoPicture(const DibBlock* picture) {
    if (!picture || picture->header->biBitCount != 32) return nullptr;
    DibBlock* scaled = ScaleDib(picture, kLogoWidth, kLogoHeight);
    if (!scaled) return nullptr;
    DibBlock* logo = CreateDib(kLogoWidth, kLogoHeight);
    const bool ok = logo && DibToQuantized(scaled, logo, 8);
    FreeDib(scaled);
    if (!ok) {
        FreeDib(logo);
        return nullptr;
    }
    return logo;
}

bool SetStartupLogo(const DibBlock* picture, const DesktopPaths& paths) {
    DibBlock* logo = MakeLogoPicture(picture);
    if (!logo) return false;
    const std::string backup = LogoBackupOf(paths.startupLogo);
    // An empty backup says there was no logo before ours, so Default can
    // tell our logo from a foreign one it must not delete.
    if (!FileExists(backup) && !FileExists(paths.startupLogo)) {
        HANDLE mark = CreateFileA(backup.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (mark != INVALID_HANDLE_VALUE) CloseHandle(mark);
    }
    const bool ok = ReplaceKeepingBackup(logo, paths.startupLogo, backup);
    FreeDib(logo);
    return ok;
}

bool DefaultStartupLogo(const DesktopPaths& paths) {
    const std::string backup = LogoBackupOf(paths.startupLogo);
    WIN32_FILE_ATTRIBUTE_DATA facts;
    if (GetFileAttributesExA(backup.c_str(), GetFileExInfoStandard, &facts) && facts.nFileSizeHigh == 0 &&
        facts.nFileSizeLow == 0 && !(facts.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        const bool ok = DeleteFileA(paths.startupLogo.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
        if (ok) DeleteFileA(backup.c_str());
        return ok;
    }
    if (PutBackupBack(paths.startupLogo, backup)) return true;
    return FileExists(paths.startupLogo) && MoveFileA(paths.startupLogo.c_str(), backup.c_str()) != 0;
}

bool SetShutdownPictures(const DibBlock* picture, const DesktopPaths& paths) {
    DibBlock* logo = MakeLogoPicture(picture);
    if (!logo) return false;
    bool ok = true;
    for (const char* stem : {"Logos", "Logow"})
        ok = ReplaceKeepingBackup(logo, paths.windowsFolder + stem + ".Sys", paths.windowsFolder + stem + ".Bak") && ok;
    FreeDib(logo);
    return ok;
}

bool RestoreShutdownPictures(const DesktopPaths& paths) {
    bool any = false;
    for (const char* stem : {"Logos", "Logow"})
        any = PutBackupBack(paths.windowsFolder + stem + ".Sys", paths.windowsFolder + stem + ".Bak") || any;
    return any;
}

bool HasShutdownBackup(const DesktopPaths& paths) {
    return FileExists(paths.windowsFolder + "Logos.Bak") || FileExists(paths.windowsFolder + "Logow.Bak");
}

bool SetScreenSaverPictures(const std::vector<std::string>& pictures, const std::string& screenSaverProgram,
                            bool windows9x) {
    if (pictures.empty()) return true;
    // A shorter list must not leave the old list's tail behind.
    WritePrivateProfileStringA(settings::kScreenSaver, nullptr, nullptr, settings::kFileName);
    settings::Write(settings::kPictureNumber, static_cast<int>(pictures.size()));
    for (size_t i = 0; i < pictures.size(); ++i)
        settings::WriteNumbered(settings::kScreenSaver, settings::kPictureKey, static_cast<int>(i), pictures[i]);
    char shortPath[MAX_PATH] = "";
    const DWORD length = GetShortPathNameA(screenSaverProgram.c_str(), shortPath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    if (windows9x) return WritePrivateProfileStringA("boot", "SCRNSAVE.EXE", shortPath, "SYSTEM.INI") != 0;
    return WriteDesktopValues({{"SCRNSAVE.EXE", shortPath}});
}
