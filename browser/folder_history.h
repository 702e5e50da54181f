// The browser's folder history: the folder paths in the order in which they
// were first opened, without duplicates (compared without regard to case),
// and the position of the current folder in it, which Backward and Forward
// step from.  The worker records folder loads; the browser window reads it
// for its menus.  Every member takes the history's own lock.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class FolderHistory {
public:
    FolderHistory();
    ~FolderHistory();
    FolderHistory(const FolderHistory&) = delete;
    FolderHistory& operator=(const FolderHistory&) = delete;

    // Appends path when it is not there yet; its entry becomes the current
    // one either way.  An empty path is ignored.
    void Visit(const std::string& path);
    void Clear();

    int Count() const;
    int Current() const;   // -1 while empty
    std::vector<std::string> Entries() const;

    // The entry before / after the current one; false at either end.
    bool BackwardTarget(std::string* path) const;
    bool ForwardTarget(std::string* path) const;

private:
    bool Neighbour(int step, std::string* path) const;

    mutable CRITICAL_SECTION lock_;
    std::vector<std::string> paths_;
    int current_ = -1;
};

// The browser's one history.
FolderHistory& BrowserHistory();
