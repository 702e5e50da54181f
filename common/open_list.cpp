#include "open_list.h"

#include <windows.h>

int OpenList::IndexOf(const std::string& path) const {
    for (size_t i = 0; i < paths_.size(); ++i)
        if (lstrcmpiA(paths_[i].c_str(), path.c_str()) == 0) return static_cast<int>(i);
    return -1;
}
