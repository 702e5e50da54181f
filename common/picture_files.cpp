#include "picture_files.h"

#include <windows.h>

#include "program.h"
#include "shortcut.h"

bool IsPictureFile(const std::string& path) {
    const ProgramState& shell = Program();
    if (path.empty() || path.size() >= MAX_PATH || !shell.lorimelReady) return false;
    char format[200] = {};
    return shell.lorimel.DetectImageFormat(path.c_str(), format) != 0;
}

bool AddToOpenList(const std::string& path) {
    std::string target = ResolveShortcut(path);
    if (!IsPictureFile(target)) return false;
    Program().openList.Append(target);
    return true;
}
