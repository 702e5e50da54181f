// The rules the installer and the uninstaller share about paths: which
// destinations may hold the suite, which group names may be used as a
// folder, which recorded paths the uninstaller may delete, how the
// companion's argument splits, and whether a payload resource holds what
// its table promises.  No windows, no files written: everything here is
// tested without running either program.
#pragma once

#include <windows.h>

#include <string>

namespace install {

// `path` made absolute (GetFullPathNameA: "." and ".." resolved, "/" read as
// "\"), short names of existing parts spelled out in full, without a trailing backslash except on a drive root ("C:\").  Empty
// when the path is empty or cannot be made absolute.
std::string NormalizePath(const std::string& path);

// True when `path` lies strictly below `folder` (both normalised, case
// ignored).  "C:\A\B" is inside "C:\A"; "C:\AB" and "C:\A" are not.
bool IsInside(const std::string& path, const std::string& folder);
bool IsSameOrInside(const std::string& path, const std::string& folder);

// Why a destination folder is refused; kAccepted when it may hold the suite.
enum class Destination {
    kAccepted,
    kEmpty,          // nothing typed
    kNotFullPath,    // "Ommavu", "\Ommavu", "C:Ommavu": depends on the current folder
    kRoot,           // "C:\", "\", "\\server\share"
    kWindowsFolder,  // the Windows folder or anything below it
};

// Judges a typed or chosen destination.  Every destination goes through
// this, whichever way it was entered: the uninstaller deletes below it.
Destination CheckDestination(const std::string& path, const std::string& windowsFolder);

// A program group name may become one folder below "Programs" only when it
// is one non-empty path component: no "\", "/", ":", wildcard, no "." or
// ".." and not made of blanks and dots alone.
bool IsSafeGroupName(const std::string& name);

// What the uninstaller may do with one record of the settings file, given
// the installation folder and the program group folder (either may be
// empty when unknown; an empty folder admits nothing).
//  - a file: a full path strictly inside the installation folder or the
//    group folder; a path ending in "*.*" names a whole folder tree and is
//    allowed only strictly inside the installation folder (never the
//    installation folder itself);
//  - a directory: the installation folder, a folder inside it, the group
//    folder, the Quick Launch folder, or a parent of the installation or
//    the Quick Launch folder that is not a root (directories are removed
//    only when empty);
//  - the Quick Launch record: a full path ending in ".lnk".
bool MayDeleteFile(const std::string& record, const std::string& installFolder, const std::string& groupFolder);
bool MayRemoveDirectory(const std::string& record, const std::string& installFolder,
                        const std::string& groupFolder, const std::string& quickLaunchFolder = "");
bool MayDeleteQuickLaunch(const std::string& record);

// True when the record names a folder tree: it ends in "*.*" and has at
// least four characters ("\*.*").
bool IsWildcardRecord(const std::string& record);

// The companion's one argument: the uninstaller's file, "@", the folder to
// remove.  Short (8.3) names may themselves contain "@", so the split is at
// the last "@" that is followed by a drive letter and a colon.  False when
// there is no such "@" or either side is empty.
bool SplitCompanionArgument(const std::string& argument, std::string* program, std::string* folder);

// One file of the install payload: its name below the destination and its
// size; the files follow one another in table order without gaps.
struct PayloadEntry {
    const char* name;
    DWORD size;
};

// True when a resource of `resourceSize` bytes holds every file of the
// table (the sum of the sizes, without overflow, is at most the resource's
// size); `total` gets that sum.
bool PayloadFits(const PayloadEntry* table, int count, DWORD resourceSize, DWORD* total);

// The copy dialog's bar: done / 256 * 128 / (total / 256) on a 128-step
// scale, without overflow or division by zero, never above 128.
int ProgressSteps(unsigned long long done, unsigned long long total);

}  // namespace install
