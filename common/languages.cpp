#include "languages.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "resource_ids.h"
#include "win_guards.h"

namespace {

std::string LanguageName(HMODULE module) {
    char text[256] = {};
    int n = LoadStringA(module, IDS_LANGUAGE_NAME, text, sizeof text);
    return std::string(text, n > 0 ? n : 0);
}

}  // namespace

std::string LanguageLibraryPath(const std::string& directory, UINT codePage) {
    char name[32];
    std::snprintf(name, sizeof name, "SHOW%u.DLL", codePage);
    return directory + name;
}

std::vector<Language> BuildLanguageList(const std::string& directory, HMODULE mainModule) {
    std::vector<Language> list;
    list.reserve(16);
    list.push_back(Language{0, LanguageName(mainModule)});

    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((directory + "SHOW*.DLL").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return list;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        // The number between "SHOW" and ".DLL".
        std::string stem = found.cFileName;
        if (stem.size() <= 8) continue;
        stem = stem.substr(4, stem.size() - 8);
        char* end = nullptr;
        unsigned long codePage = std::strtoul(stem.c_str(), &end, 10);
        if (codePage == 0 || end == stem.c_str()) continue;
        OwnedModule library(LoadLibraryA((directory + found.cFileName).c_str()));
        if (!library) continue;
        std::string name = LanguageName(library);
        if (!name.empty()) list.push_back(Language{static_cast<UINT>(codePage), name});
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return list;
}
