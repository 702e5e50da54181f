// Named folders: shortcuts to folders in the user's Send To folder.  The
// dialogs that add, rename and remove them (Define Folder, 183), name the
// shown folder (Define Current Folder, 184) and choose a copy or move
// destination among them (Copy/Move Destination, 192).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// One row of the named-folder list as the dialog holds it.
struct NamedFolderRow {
    std::string name;
    std::string folder;
    int original = -1;            // index among the entries at opening; -1 for a row added
};
// The entries at opening and what became of them.
struct NamedFolderEdit {
    std::vector<std::string> originalNames;       // by original index
    std::vector<std::string> originalShortcuts;   // the entries' own paths
    std::vector<NamedFolderRow> rows;
    std::vector<int> removed;                     // original indices
};

// The rows the dialogs open with: every named folder in the Send To folder.
NamedFolderEdit ReadNamedFolders();
// Carries the edit out in the Send To folder: removed shortcuts are deleted
// (real folders are never deleted), renamed ones renamed, added ones
// created; an existing file of a new name is never written over.  Returns
// one line per named folder that could not be changed ("name: reason"),
// empty when all went through.
std::vector<std::string> ApplyNamedFolders(const NamedFolderEdit& edit);
// A name a shortcut file can have: not empty, no \ / : * ? " < > |, not "."
// or "..".
bool IsValidFolderName(const std::string& name);

// Dialog 183; true after OK.
bool ShowDefineFolderDialog(HWND owner);
// Dialog 192; true after OK with the destination typed or chosen.
bool ShowDestinationDialog(HWND owner, std::string* destination);
// Dialog 184 for folder (a path).
void ShowNameFolderDialog(HWND owner, const std::string& folder);
