#include "removal.h"

#include "install_rules.h"

namespace install {

namespace {

std::string RunningProgram() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    return NormalizePath(path);
}

// A folder's entries, read whole before anything is removed: deleting while
// the search is open makes every further step of it slower.  A link or
// junction to a folder is an entry to remove, never a folder to follow.
struct FolderEntries {
    std::vector<std::string> folders, links, files;
};

FolderEntries ReadFolderEntries(const std::string& folder) {
    FolderEntries entries;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return entries;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) entries.files.push_back(name);
        else if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) entries.links.push_back(name);
        else entries.folders.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return entries;
}

}  // namespace

Removal::Removal(const Records& records, const std::string& installFolder, const std::string& groupFolder)
    : records_(records),
      install_(NormalizePath(installFolder)),
      group_(groupFolder.empty() ? "" : NormalizePath(groupFolder)),
      quickLaunch_(QuickLaunchFolder()),
      self_(RunningProgram()),
      total_(static_cast<int>(records.files.size() + records.dirs.size())),
      dirRemoved_(records.dirs.size(), false) {}

int Removal::ProgressSteps() const { return install::ProgressSteps(counter_, total_); }

void Removal::DeleteOneFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileA(path.c_str())) return;
    // In use (a running viewer, the shell holding the extension).
    if (MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) atRestart_.push_back(path);
    else failed_.push_back(path);
}

void Removal::DeleteTree(const std::string& folder) {
    const FolderEntries entries = ReadFolderEntries(folder);
    for (const std::string& name : entries.links) RemoveDirectoryA((folder + "\\" + name).c_str());
    for (const std::string& name : entries.files) {
        const std::string path = folder + "\\" + name;
        // One call per file while it goes (thousands of cache files); the
        // slower path only for the few that resist.
        if (!DeleteFileA(path.c_str())) DeleteOneFile(path);
    }
    for (const std::string& name : entries.folders) DeleteTree(folder + "\\" + name);
    SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(folder.c_str());
}

void Removal::RemoveOneDirectory() {
    // The first directory that goes: the deepest empty ones leave over
    // several steps, their parents after them.
    for (size_t i = 0; i < records_.dirs.size(); ++i) {
        if (dirRemoved_[i]) continue;
        const std::string& dir = records_.dirs[i];
        if (!MayRemoveDirectory(dir, install_, group_, quickLaunch_)) continue;
        SetFileAttributesA(dir.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (RemoveDirectoryA(dir.c_str()) || GetFileAttributesA(dir.c_str()) == INVALID_FILE_ATTRIBUTES) {
            dirRemoved_[i] = true;
            current_ = dir;
            return;
        }
    }
}

bool Removal::Step(DWORD budgetMs) {
    const DWORD start = GetTickCount();
    const int files = static_cast<int>(records_.files.size());
    while (counter_ < total_ && GetTickCount() - start < budgetMs) {
        ++counter_;
        if (counter_ <= files) {
            const std::string& record = records_.files[counter_ - 1];
            current_ = record;
            if (!MayDeleteFile(record, install_, group_)) {
                ++refused_;
            } else if (lstrcmpiA(NormalizePath(record).c_str(), self_.c_str()) == 0) {
                // The running uninstaller: the companion deletes it.
            } else if (IsWildcardRecord(record)) {
                DeleteTree(NormalizePath(record.substr(0, record.size() - 4)));
            } else {
                DeleteOneFile(NormalizePath(record));
            }
        } else {
            RemoveOneDirectory();
        }
    }
    return counter_ >= total_;
}

void Removal::RemoveLeftDirectories() {
    for (size_t pass = 0; pass < records_.dirs.size(); ++pass) {
        current_.clear();
        RemoveOneDirectory();
        if (current_.empty()) break;
    }
}

Records Removal::Remaining() const {
    Records left;
    left.files = failed_;
    const int files = static_cast<int>(records_.files.size());
    for (int i = counter_; i < files; ++i) left.files.push_back(records_.files[i]);
    for (size_t i = 0; i < records_.dirs.size(); ++i)
        if (!dirRemoved_[i]) left.dirs.push_back(records_.dirs[i]);
    return left;
}

}  // namespace install
