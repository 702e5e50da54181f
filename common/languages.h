// Language resource libraries: "SHOW" + decimal code page + ".DLL" in the
// program directory, each carrying the program's resources in one language
// under the same identifiers, its display name in string 40065.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct Language {
    UINT codePage;     // 0 for the program's own (English) resources
    std::string name;  // string 40065 of that resource module
};

// "<dir>SHOW<code page>.DLL"; the directory ends in a backslash.
std::string LanguageLibraryPath(const std::string& directory, UINT codePage);

// Entry 0 is the main module's own language; then one entry per language
// library in the directory whose name carries a code page other than 0 and
// whose string 40065 loads.
std::vector<Language> BuildLanguageList(const std::string& directory, HMODULE mainModule);
