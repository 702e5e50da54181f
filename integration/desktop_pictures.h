// Handing the viewer's picture to the Windows desktop: the wallpaper (with
// the previous one kept for Restore), the startup logo and the two shutdown
// screens of the Windows 9x family (with backups of the system's own), and
// the picture set of the suite's screen saver.
//
// Paths: the Windows directory holds the wallpaper file and the shutdown
// screens; "C:\Logo.SYS" is the startup logo.  DesktopPaths carries them so
// that tests can point them elsewhere.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "command_rules.h"
#include "dib.h"

enum WallpaperMode { kWallpaperCentre = 0, kWallpaperTile = 1, kWallpaperStretch = 2 };

struct DesktopPaths {
    std::string windowsFolder;  // with a trailing backslash
    std::string startupLogo;    // "C:\Logo.SYS"
};
// The system's own paths.
DesktopPaths SystemDesktopPaths();

// The wallpaper file: the Windows folder + string 40048 (the caller passes
// the string so that this floor needs no resources).
std::string WallpaperFilePath(const DesktopPaths& paths, const std::string& fileName);

// The 32-bit picture as an uncompressed bitmap file (54-byte header, rows
// bottom row first), written whole before it replaces the file.  0 without a
// picture or when the file cannot be written (the earlier file stays).
int SaveWallpaperBitmap(const DibBlock* picture, const std::string& path);

// Reads the wallpaper mode from "TileWallPaper" / "WallPaperStyle".
int GetWallpaperMode();
// True when "PrevWallPaper" exists (an empty value counts: the desktop had
// no wallpaper, and restoring clears it).
bool HasPreviousWallpaper();
// Writes the picture to wallpaperFile, keeps the current wallpaper as the
// previous one unless it already is our file, names ours with the mode and
// applies it.  False (registry untouched) when the file cannot be written.
bool SetWallpaper(const DibBlock* picture, const std::string& wallpaperFile, int mode);
// Puts the previous wallpaper back and applies it; false when none is kept.
bool RestoreWallpaper();

// The viewer remembers that the wallpaper was set during this run.
void NoteWallpaperSetThisRun();
// What the desktop commands' menu items depend on, looked up now on the
// system's paths: a wallpaper to restore, the startup logo, a shutdown
// screen backup.
DesktopCommandState CurrentDesktopState();

// FindFirstFile on the path (or path + "*.*" for a folder path).
bool FileExists(const std::string& path);

// The 320 x 400, 256-colour logo made from a 32-bit picture (stretched, no
// aspect correction); null when the picture is missing or memory runs out.
DibBlock* MakeLogoPicture(const DibBlock* picture);
// Saves the logo as the startup logo, keeping a foreign logo as its backup
// ("Logo.BAK" beside it) the first time; where there was no logo, an empty
// backup records that.
bool SetStartupLogo(const DibBlock* picture, const DesktopPaths& paths);
// Puts the backup back (an empty one: deletes the logo and the backup).
// Without a backup the logo is one we never replaced, so it becomes the
// backup rather than being deleted: the system shows its own logo and the
// file is kept.
bool DefaultStartupLogo(const DesktopPaths& paths);
// The logo as both shutdown screens; the system's own are renamed to ".Bak"
// once and never overwritten.
bool SetShutdownPictures(const DibBlock* picture, const DesktopPaths& paths);
bool RestoreShutdownPictures(const DesktopPaths& paths);
bool HasShutdownBackup(const DesktopPaths& paths);

// Writes the list as the "SCRNSAVE" section (cleared first) and names the
// screen saver program as the system's screen saver: SYSTEM.INI [boot] on
// the 9x family, else HKCU "Control Panel\Desktop" "SCRNSAVE.EXE".  Nothing
// happens for an empty list.  False when the program's short path cannot be
// found.
bool SetScreenSaverPictures(const std::vector<std::string>& pictures, const std::string& screenSaverProgram,
                            bool windows9x);
