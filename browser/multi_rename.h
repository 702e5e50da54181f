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
// message for the user) when nothing or not everything was renamed.  No
// file is ever written over.  When the shell stops partway, in either pass
// of a rename through temporary names, every file is given its old name back
// where that can be done, and *problem names each file that could not, with
// the name it has now.
bool RenameFilesAs(HWND owner, const std::vector<std::string>& paths, const std::vector<std::string>& newNames,
                   std::string* problem);

// For tests: called between the two passes of a rename through temporary
// names, with the temporary paths (in the order of the renamed files), so a
// test can hold one of them open and make the second pass fail for real.
void SetBetweenRenamePasses(void (*hook)(const std::vector<std::string>& temporaries));
