// The Multi File Rename dialog (185): the selected files get new names from
// one numbered template, each in its own folder.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Shows the dialog for the files (full paths) and renames them after OK;
// true when files were renamed.
bool ShowMultiRenameDialog(HWND owner, const std::vector<std::string>& paths);

// Carries out the renames of new names (one per path) as the dialog's OK
// does, with owner for the shell's questions; false with *problem (a
// message for the user, "" when the shell reported the failure) when
// nothing or not everything was renamed.  No file is ever written over, and
// files that were moved to temporary names are given their old names back
// when the second pass fails.
bool RenameFilesAs(HWND owner, const std::vector<std::string>& paths, const std::vector<std::string>& newNames,
                   std::string* problem);
