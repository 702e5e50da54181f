// Choosing a folder with the shell's folder chooser: used by every dialog
// that asks for a destination (saving pictures, named folders, copy and
// move targets).
#pragma once

#include <windows.h>

#include <string>

// Shows the chooser owned by `owner` with `title` above the tree, starting
// on `start` when it names an existing folder.  Returns the chosen folder
// with a trailing backslash, or "" when the user cancels or picks something
// that is not a file-system folder (a printer, the Control Panel).
std::string ChooseFolder(HWND owner, const char* title, const std::string& start);

// `folder` with a backslash appended when it does not already end in one
// ("" stays "").
std::string WithTrailingBackslash(std::string folder);
