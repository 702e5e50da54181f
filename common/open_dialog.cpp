#include "open_dialog.h"

#include <commdlg.h>

#include <set>

#include "settings.h"
#include "program.h"

std::string BuildPictureFilter(const LorimelApi& api) {
    std::string patterns;
    HGLOBAL block = nullptr;
    LONG count = api.ListImageFormatGroups ? api.ListImageFormatGroups(&block) : 0;
    if (block) {
        const auto* groups = static_cast<const LorimelFormatGroup*>(GlobalLock(block));
        std::set<std::string> seen;
        for (LONG g = 0; groups && g < count; ++g) {
            for (int slot = 0; slot < kLorimelGroupNames && groups[g].names[slot][0]; ++slot) {
                char name[sizeof groups[g].names[slot] + 1] = {};
                lstrcpynA(name, groups[g].names[slot], sizeof groups[g].names[slot]);
                CharUpperA(name);
                if (!seen.insert(name).second) continue;
                if (!patterns.empty()) patterns += ';';
                patterns += "*.";
                patterns += name;
            }
        }
        GlobalUnlock(block);
        GlobalFree(block);
    }
    std::string filter;
    if (!patterns.empty()) {
        filter.append("All Images").push_back('\0');
        filter.append(patterns).push_back('\0');
    }
    filter.append("All Files(*.*)").push_back('\0');
    filter.append("*.*").push_back('\0');
    filter.push_back('\0');
    return filter;
}

std::string AskPictureFile(HWND owner) {
    std::string filter = BuildPictureFilter(Program().lorimel);
    std::string initial = settings::Read(settings::kInitialDir);
    // "InitialDir" holds the last file chosen; the dialog wants its folder.
    size_t slash = initial.find_last_of('\\');
    if (slash != std::string::npos && GetFileAttributesA(initial.c_str()) != INVALID_FILE_ATTRIBUTES &&
        !(GetFileAttributesA(initial.c_str()) & FILE_ATTRIBUTE_DIRECTORY))
        initial.resize(slash + 1);
    char file[260] = {};
    char title[260] = {};
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrFileTitle = title;
    ofn.nMaxFileTitle = sizeof title;
    ofn.lpstrInitialDir = initial.empty() ? nullptr : initial.c_str();
    ofn.lpstrDefExt = "BMP";
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameA(&ofn)) return std::string();
    settings::Write(settings::kInitialDir, file);
    return file;
}
