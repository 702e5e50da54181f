// Where the installer puts things and what it writes down about them, shared
// with the uninstaller: the program group and Quick Launch folders, short
// paths, and the "UNINSTALL" records of the settings file.
#pragma once

#include <string>
#include <vector>

namespace install {

// The "Programs" folder of the Start menu: on the NT family "Common
// Programs" (the machine's Shell Folders value, else the shell's own
// answer, else the Windows folder + "\Profiles\All Users\Start Menu\Programs");
// on the 95 family the user's "Programs".  No trailing backslash.
std::string ProgramsFolder();

// The program group's folder for a group name, or "" when the name is not
// one safe path component (IsSafeGroupName).
std::string GroupFolder(const std::string& groupName);

// The Quick Launch folder: GrpConv\MapGroups "Quick Launch" of the user,
// else the application data folder + "\Microsoft\Internet Explorer\Quick
// Launch".  No trailing backslash.
std::string QuickLaunchFolder();

// The 8.3 form of an existing path, or the path itself when it has none.
std::string ShortPath(const std::string& path);

// The installation folder the settings file names ("UNINSTALL" /
// "UNINSTALLPATH", else "INSTALL" / "INSTALLPATH"), as written (with its
// trailing backslash); "" when neither is set.
std::string RecordedInstallFolder();

// The most "FILE%d" (and "DIR%d") records read back, and the most bytes of
// the "UNINSTALL" section read for them: counts and numbers beyond are a
// damaged or edited file, not an installation.
constexpr int kMaxRecords = 100000;
constexpr size_t kMaxSectionBytes = 16u << 20;

// The "FILE%d" and "DIR%d" records, in their order.
struct Records {
    std::vector<std::string> files;
    std::vector<std::string> dirs;
};

// The records numbered 1 to "FILENUM" (and "PATHNUM") that the file holds:
// a count larger than the entries present, or numbers past kMaxRecords,
// add nothing, and missing numbers are passed over.
Records ReadRecords();
// Replaces every "FILE%d" / "DIR%d" key and both counts with `records`
// (the keys present beyond the new counts are removed).
void WriteRecords(const Records& records);

// Adds records one at a time, each written at once with its count, so that
// an installation cut short still leaves what it did on record.  A path
// already recorded (case ignored) is not recorded again.
class RecordLog {
public:
    RecordLog();  // starts from the records already in the file
    void AddFile(const std::string& path);
    void AddDirectory(const std::string& path);
    const Records& Current() const { return records_; }

private:
    Records records_;
};

// Creates `folder` and every missing folder above it, parents first, and
// hands each one it created to `created`.  True when the folder exists
// afterwards.
bool CreateFolderTree(const std::string& folder, std::vector<std::string>* created);

}  // namespace install
