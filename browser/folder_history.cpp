#include "folder_history.h"

#include "win_guards.h"

FolderHistory::FolderHistory() { InitializeCriticalSection(&lock_); }

FolderHistory::~FolderHistory() { DeleteCriticalSection(&lock_); }

void FolderHistory::Visit(const std::string& path) {
    if (path.empty()) return;
    SectionLock hold(&lock_);
    for (size_t i = 0; i < paths_.size(); ++i) {
        if (lstrcmpiA(paths_[i].c_str(), path.c_str()) == 0) {
            current_ = static_cast<int>(i);
            return;
        }
    }
    paths_.push_back(path);
    current_ = static_cast<int>(paths_.size()) - 1;
}

void FolderHistory::Clear() {
    SectionLock hold(&lock_);
    paths_.clear();
    current_ = -1;
}

int FolderHistory::Count() const {
    SectionLock hold(&lock_);
    return static_cast<int>(paths_.size());
}

int FolderHistory::Current() const {
    SectionLock hold(&lock_);
    return current_;
}

std::vector<std::string> FolderHistory::Entries() const {
    SectionLock hold(&lock_);
    return paths_;
}

bool FolderHistory::Neighbour(int step, std::string* path) const {
    SectionLock hold(&lock_);
    const int index = current_ + step;
    if (current_ < 0 || index < 0 || index >= static_cast<int>(paths_.size())) return false;
    if (path) *path = paths_[static_cast<size_t>(index)];
    return true;
}

bool FolderHistory::BackwardTarget(std::string* path) const { return Neighbour(-1, path); }

bool FolderHistory::ForwardTarget(std::string* path) const { return Neighbour(1, path); }

FolderHistory& BrowserHistory() {
    static FolderHistory history;
    return history;
}
