// Windows shortcuts (".lnk" files) named on the command line or handed over
// by another instance stand for their targets.
#pragma once

#include <string>

// True when the text after the last dot is "LNK", in any case.
bool IsShortcutName(const std::string& path);

// The shortcut's target path when the file is a shortcut that resolves;
// otherwise the path as given.  COM must be initialised on the thread.
std::string ResolveShortcut(const std::string& path);
