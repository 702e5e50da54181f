#include "dropped_files.h"

std::vector<std::string> TakeDroppedFiles(HDROP drop) {
    std::vector<std::string> paths;
    UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        char path[MAX_PATH];
        if (DragQueryFileA(drop, i, path, sizeof path)) paths.push_back(path);
    }
    DragFinish(drop);
    return paths;
}
