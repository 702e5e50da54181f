#include "removal.h"

#include "install_rules.h"

#include <cstring>

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
    if (!RemoveDirectoryA(folder.c_str()) && !atRestart_.empty()) ScheduleIfEmptiedAtRestart(folder, &atRestart_);
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

void Removal::ScheduleLeftDirectories() {
    if (atRestart_.empty()) return;
    // Recorded parents first, so children come first from the back.
    for (size_t i = records_.dirs.size(); i-- > 0;) {
        const std::string& dir = records_.dirs[i];
        if (dirRemoved_[i] || !MayRemoveDirectory(dir, install_, group_, quickLaunch_)) continue;
        if (ScheduleIfEmptiedAtRestart(NormalizePath(dir), &atRestart_)) dirRemoved_[i] = true;
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

std::vector<std::string> PendingDeletions() {
    std::vector<std::string> paths;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0, KEY_READ,
                      &key) != ERROR_SUCCESS)
        return paths;
    DWORD size = 0;
    std::vector<char> value;
    if (RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS &&
        size > 0) {
        value.resize(size + 2);
        if (RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr,
                             reinterpret_cast<BYTE*>(value.data()), &size) != ERROR_SUCCESS)
            value.clear();
    }
    RegCloseKey(key);
    if (value.empty()) return paths;
    value.resize(value.size() + 2, '\0');
    // Pairs of strings: the file ("\??\C:\...") and its new name, empty for a
    // deletion.
    const char* end = value.data() + size;
    for (const char* from = value.data(); from < end && *from;) {
        const char* to = from + std::strlen(from) + 1;
        if (to > end) break;
        std::string path = from;
        if (path.compare(0, 4, "\\??\\") == 0) path.erase(0, 4);
        if (!*to && !path.empty()) paths.push_back(NormalizePath(path));
        from = to + std::strlen(to) + 1;
    }
    return paths;
}

bool ScheduleIfEmptiedAtRestart(const std::string& folder, std::vector<std::string>* atRestart) {
    auto goesAtRestart = [&](const std::string& path) {
        const std::string normal = NormalizePath(path);
        for (const std::string& known : *atRestart)
            if (lstrcmpiA(known.c_str(), normal.c_str()) == 0) return true;
        return false;
    };
    const FolderEntries entries = ReadFolderEntries(folder);
    for (const auto* names : {&entries.folders, &entries.links, &entries.files})
        for (const std::string& name : *names)
            if (!goesAtRestart(folder + "\\" + name)) return false;
    if (!MoveFileExA(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) return false;
    atRestart->push_back(NormalizePath(folder));
    return true;
}

}  // namespace install
