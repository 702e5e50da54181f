// The open list: the full paths of the pictures the viewer steps through, in
// order.  Each entry is an owned copy, made on insertion and freed when the
// list is cleared.
#pragma once

#include <string>
#include <vector>

class OpenList {
public:
    void Append(const std::string& path) { paths_.push_back(path); }
    void Clear() { paths_.clear(); }
    int Count() const { return static_cast<int>(paths_.size()); }
    const std::string& At(int index) const { return paths_[static_cast<size_t>(index)]; }
    // Index of the first entry equal to path (case ignored), or -1.
    int IndexOf(const std::string& path) const;

private:
    std::vector<std::string> paths_;
};
