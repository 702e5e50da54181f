#include "install_rules.h"

#include <cctype>

namespace install {

namespace {

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// "X:\..." or "X:/...": the only form that names the same place whatever
// the current folder is.
bool IsFullDrivePath(const std::string& path) {
    return path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
}

bool EqualIgnoringCase(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

bool EndsWithIgnoringCase(const std::string& text, const char* tail) {
    const size_t n = lstrlenA(tail);
    return text.size() >= n && EqualIgnoringCase(text.substr(text.size() - n), tail);
}

// True when any character (double-byte characters read whole, so that a
// trail byte that happens to equal "\" is not taken for one) is in `set`.
bool HasAnyOf(const std::string& text, const char* set) {
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (IsDBCSLeadByte(c) && i + 1 < text.size()) {
            ++i;
            continue;
        }
        if (c < 32) return true;
        for (const char* s = set; *s; ++s)
            if (c == static_cast<unsigned char>(*s)) return true;
    }
    return false;
}

// The long form of a full path: short (8.3) names of the parts that exist
// spelled out, so that "C:\PROGRA~1\X" and "C:\Program Files\X" compare
// equal.
std::string LongForm(const std::string& full) {
    char buffer[MAX_PATH * 2] = "";
    const DWORD n = GetLongPathNameA(full.c_str(), buffer, sizeof buffer);
    if (n > 0 && n < sizeof buffer) return buffer;
    const size_t cut = full.find_last_of('\\');
    if (cut == std::string::npos || cut < 2 || full.size() <= 3) return full;
    std::string parent = LongForm(cut == 2 ? full.substr(0, 3) : full.substr(0, cut));
    if (parent.back() != '\\') parent += '\\';
    return parent + full.substr(cut + 1);
}

}  // namespace

std::string NormalizePath(const std::string& path) {
    if (path.empty()) return "";
    char full[MAX_PATH * 2] = "";
    const DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    if (n == 0 || n >= sizeof full) return "";
    std::string result = LongForm(full);
    while (result.size() > 3 && (result.back() == '\\' || result.back() == '/')) result.pop_back();
    return result;
}

bool IsSameOrInside(const std::string& path, const std::string& folder) {
    return EqualIgnoringCase(path, folder) || IsInside(path, folder);
}

bool IsInside(const std::string& path, const std::string& folder) {
    if (folder.empty() || path.size() <= folder.size()) return false;
    if (!EqualIgnoringCase(path.substr(0, folder.size()), folder)) return false;
    // A root ("C:\") already ends in the separator.
    if (folder.back() == '\\') return true;
    return path[folder.size()] == '\\' && path.size() > folder.size() + 1;
}

Destination CheckDestination(const std::string& path, const std::string& windowsFolder) {
    std::string trimmed = path;
    while (!trimmed.empty() && (trimmed.back() == ' ' || trimmed.front() == ' ')) {
        if (trimmed.back() == ' ') trimmed.pop_back();
        else trimmed.erase(0, 1);
    }
    if (trimmed.empty()) return Destination::kEmpty;
    if (trimmed == "\\" || trimmed == "/") return Destination::kRoot;
    if (!IsFullDrivePath(trimmed)) return Destination::kNotFullPath;
    const std::string normal = NormalizePath(trimmed);
    if (normal.size() <= 3) return Destination::kRoot;
    const std::string windows = NormalizePath(windowsFolder);
    if (!windows.empty() && IsSameOrInside(normal, windows)) return Destination::kWindowsFolder;
    return Destination::kAccepted;
}

bool IsSafeGroupName(const std::string& name) {
    if (name.empty() || HasAnyOf(name, "\\/:*?\"<>|")) return false;
    for (char c : name)
        if (c != '.' && c != ' ') return true;
    return false;  // ".", "..", "  ." and the like
}

bool IsWildcardRecord(const std::string& record) { return record.size() >= 4 && EndsWithIgnoringCase(record, "\\*.*"); }

bool MayDeleteFile(const std::string& record, const std::string& installFolder, const std::string& groupFolder) {
    if (!IsFullDrivePath(record)) return false;
    const std::string install = NormalizePath(installFolder);
    if (IsWildcardRecord(record)) {
        const std::string folder = NormalizePath(record.substr(0, record.size() - 3));
        if (HasAnyOf(folder, "*?")) return false;
        return !install.empty() && install.size() > 3 && IsInside(folder, install);
    }
    if (HasAnyOf(record, "*?")) return false;
    const std::string file = NormalizePath(record);
    if (install.size() > 3 && IsInside(file, install)) return true;
    const std::string group = NormalizePath(groupFolder);
    return group.size() > 3 && IsInside(file, group);
}

bool MayRemoveDirectory(const std::string& record, const std::string& installFolder,
                        const std::string& groupFolder, const std::string& quickLaunchFolder) {
    if (!IsFullDrivePath(record) || HasAnyOf(record, "*?")) return false;
    const std::string folder = NormalizePath(record);
    if (folder.size() <= 3) return false;  // never a drive root
    const std::string install = NormalizePath(installFolder);
    if (install.size() > 3 && (IsSameOrInside(folder, install) || IsInside(install, folder))) return true;
    const std::string group = NormalizePath(groupFolder);
    if (group.size() > 3 && IsSameOrInside(folder, group)) return true;
    const std::string quickLaunch = NormalizePath(quickLaunchFolder);
    return quickLaunch.size() > 3 && (IsSameOrInside(folder, quickLaunch) || IsInside(quickLaunch, folder));
}

bool MayDeleteQuickLaunch(const std::string& record) {
    return IsFullDrivePath(record) && !HasAnyOf(record, "*?") && EndsWithIgnoringCase(record, ".lnk") &&
           NormalizePath(record).size() > 7;
}

bool SplitCompanionArgument(const std::string& argument, std::string* program, std::string* folder) {
    std::string text = argument;
    while (!text.empty() && (text.back() == ' ' || text.back() == '"')) text.pop_back();
    while (!text.empty() && (text.front() == ' ' || text.front() == '"')) text.erase(0, 1);
    for (size_t at = text.size(); at-- > 0;) {
        if (text[at] != '@' || at + 2 >= text.size()) continue;
        if (!IsDriveLetter(text[at + 1]) || text[at + 2] != ':') continue;
        if (at == 0) return false;
        *program = text.substr(0, at);
        *folder = text.substr(at + 1);
        return true;
    }
    return false;
}

bool PayloadFits(const PayloadEntry* table, int count, DWORD resourceSize, DWORD* total) {
    unsigned long long sum = 0;
    for (int i = 0; i < count; ++i) sum += table[i].size;
    if (sum > 0xFFFFFFFFull) return false;
    *total = static_cast<DWORD>(sum);
    return count >= 0 && sum <= resourceSize;
}

int ProgressSteps(unsigned long long done, unsigned long long total) {
    if (total == 0 || done >= total) return 128;
    return static_cast<int>(done * 128 / total);
}

}  // namespace install
