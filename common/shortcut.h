// Windows shortcuts (".lnk" files): those named on the command line or
// handed over by another instance stand for their targets; named folders
// are shortcuts in the Send To folder.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// True when the text after the last dot is "LNK", in any case.
bool IsShortcutName(const std::string& path);

// The shortcut's target path when the file is a shortcut that resolves;
// otherwise the path as given.  COM must be initialised on the thread.
std::string ResolveShortcut(const std::string& path);

// The target path of a shortcut file (no search for a moved target); false
// when the file is no shortcut that can be read or names no path.
bool ReadShortcutTarget(const std::string& shortcut, std::string* target);

// Reads the targets of many shortcut files with one link object (the
// object's creation is the costly part); "" for a file that is no readable
// shortcut.
std::vector<std::string> ReadShortcutTargets(const std::vector<std::string>& shortcuts);

// Writes a shortcut file to target with arguments, icon (file and index) and
// description.  S_OK on success; E_INVALIDARG when a path does not fit in
// MAX_PATH characters, the link object's error when it cannot be made or
// saved.  COM must be initialised on the thread.
HRESULT CreateShortcut(const std::string& target, const std::string& arguments, const std::string& iconFile,
                       int iconIndex, const std::string& shortcut, const std::string& description);
