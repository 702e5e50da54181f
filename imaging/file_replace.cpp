#include "file_replace.h"

#include "save_names.h"

namespace {

// The 9x family's way: the old file goes aside under a free name in its
// folder, and comes back if the fresh one cannot take its place.
bool ReplaceByRenaming(const std::string& fresh, const std::string& target) {
    if (GetFileAttributesA(target.c_str()) == INVALID_FILE_ATTRIBUTES) return MoveFileA(fresh.c_str(), target.c_str()) != 0;
    const std::string folder = FolderOf(target);
    char aside[MAX_PATH];
    if (!GetTempFileNameA(folder.empty() ? "." : folder.c_str(), "~ob", 0, aside)) return false;
    // GetTempFileName reserves the name by creating the file; MoveFile will
    // not replace it.
    DeleteFileA(aside);
    if (!MoveFileA(target.c_str(), aside)) return false;
    if (!MoveFileA(fresh.c_str(), target.c_str())) {
        const DWORD error = GetLastError();
        MoveFileA(aside, target.c_str());
        SetLastError(error);
        return false;
    }
    DeleteFileA(aside);
    return true;
}

}  // namespace

bool ReplaceWithFreshFile(const std::string& fresh, const std::string& target, MoveFileExFunction moveFileEx) {
    if (moveFileEx(fresh.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return false;
    return ReplaceByRenaming(fresh, target);
}
