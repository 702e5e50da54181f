// The uninstaller's work through the installer's records, a step at a time
// so that the progress dialog stays responsive and Cancel can stop it.
// Only records that lie where the installation put things are acted on
// (install_rules.h); the rest are passed over and stay on disk.
#pragma once

#include "install_records.h"

#include <windows.h>

#include <string>
#include <vector>

namespace install {

class Removal {
public:
    // `installFolder` and `groupFolder` as the settings file and the group
    // name give them ("" for an unknown group).
    Removal(const Records& records, const std::string& installFolder, const std::string& groupFolder);

    // Works for up to `budgetMs`; true when every record has been handled.
    bool Step(DWORD budgetMs);
    int Counter() const { return counter_; }
    int Total() const { return total_; }
    int ProgressSteps() const;  // counter * 128 / total, 128 when there is nothing to do
    const std::string& CurrentName() const { return current_; }

    // Tries the directory records not yet removed again, deepest first (a
    // folder that held a file deleted after the records, such as the Quick
    // Launch shortcut, may be empty now).
    void RemoveLeftDirectories();

    // Hands Windows, for removal at the restart, each directory record
    // still standing that holds nothing but what goes at the restart too,
    // deepest first, after the files in it.
    void ScheduleLeftDirectories();

    // What is left to do after a stop: the files not yet reached and those
    // that could not be deleted, and the directories not yet removed.
    Records Remaining() const;
    // Files and folders in use, handed to Windows to delete at the restart.
    const std::vector<std::string>& AtRestart() const { return atRestart_; }
    // Records refused because they point outside the installation.
    int Refused() const { return refused_; }

private:
    void DeleteOneFile(const std::string& path);
    void DeleteTree(const std::string& folder);
    void RemoveOneDirectory();

    Records records_;
    std::string install_, group_, quickLaunch_;
    std::string self_;  // the running program's own file, left to the companion
    int counter_ = 0;
    int total_ = 0;
    std::vector<bool> dirRemoved_;
    std::vector<std::string> failed_;
    std::vector<std::string> atRestart_;
    std::string current_;
    int refused_ = 0;
};

// The files and folders Windows is to delete at the next restart (the
// pending renames without a new name), each normalised.
std::vector<std::string> PendingDeletions();

// When everything `folder` still holds is in `atRestart` (normalised
// paths), hands the folder to Windows for removal at the restart, after
// those, and adds it to `atRestart`.  A folder holding anything else (an
// empty sub-folder included) is left alone.  True when scheduled.
bool ScheduleIfEmptiedAtRestart(const std::string& folder, std::vector<std::string>* atRestart);

}  // namespace install
