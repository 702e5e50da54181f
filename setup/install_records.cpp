#include "install_records.h"

#include "install_rules.h"
#include "settings.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <algorithm>
#include <map>
#include <string_view>

namespace install {

namespace {

constexpr char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kMapGroups[] = "Software\\Microsoft\\Windows\\CurrentVersion\\GrpConv\\MapGroups";

std::string ReadRegistryText(HKEY root, const char* key, const char* name) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return "";
    char value[MAX_PATH] = "";
    DWORD size = sizeof value - 1, type = 0;
    const LONG status = RegQueryValueExA(opened, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(opened);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return "";
    value[size < sizeof value ? size : sizeof value - 1] = '\0';
    return value;
}

std::string WithoutTrailingBackslash(std::string path) {
    while (path.size() > 3 && path.back() == '\\') path.pop_back();
    return path;
}

std::string WindowsFolder() {
    char dir[MAX_PATH] = "";
    GetWindowsDirectoryA(dir, sizeof dir);
    return WithoutTrailingBackslash(dir);
}

bool IsNtFamily() { return (GetVersion() & 0x80000000u) == 0; }

std::string ShellFolder(int csidl) {
    char path[MAX_PATH] = "";
    if (FAILED(SHGetFolderPathA(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, 0, path))) return "";
    return WithoutTrailingBackslash(path);
}

bool SamePath(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

void AddUnique(std::vector<std::string>* list, const std::string& path) {
    for (const std::string& known : *list)
        if (SamePath(known, path)) return;
    list->push_back(path);
}

}  // namespace

std::string ProgramsFolder() {
    std::string folder;
    if (IsNtFamily()) {
        folder = ReadRegistryText(HKEY_LOCAL_MACHINE, kShellFolders, "Common Programs");
        if (folder.empty()) folder = ShellFolder(CSIDL_COMMON_PROGRAMS);
        if (folder.empty()) folder = WindowsFolder() + "\\Profiles\\All Users\\Start Menu\\Programs";
    } else {
        folder = ReadRegistryText(HKEY_CURRENT_USER, kShellFolders, "Programs");
        if (folder.empty()) folder = WindowsFolder() + "\\Start Menu\\Programs";
    }
    return WithoutTrailingBackslash(folder);
}

std::string GroupFolder(const std::string& groupName) {
    if (!IsSafeGroupName(groupName)) return "";
    return ProgramsFolder() + "\\" + groupName;
}

std::string QuickLaunchFolder() {
    std::string folder = ReadRegistryText(HKEY_CURRENT_USER, kMapGroups, "Quick Launch");
    if (folder.empty()) {
        const std::string appData = ShellFolder(CSIDL_APPDATA);
        if (appData.empty()) return "";
        folder = appData + "\\Microsoft\\Internet Explorer\\Quick Launch";
    }
    return WithoutTrailingBackslash(folder);
}

std::string ShortPath(const std::string& path) {
    char shortPath[MAX_PATH] = "";
    const DWORD n = GetShortPathNameA(path.c_str(), shortPath, sizeof shortPath);
    if (n == 0 || n >= sizeof shortPath) return path;
    return shortPath;
}

std::string RecordedInstallFolder() {
    std::string folder = settings::Read(settings::kUninstallPath);
    if (folder.empty()) folder = settings::Read(settings::kInstallPath);
    return folder;
}

namespace {

// The "FILE%d" and "DIR%d" entries the "UNINSTALL" section really holds,
// by number, read in one pass: the counts beside them are only believed
// as far as entries exist, so an edited "FILENUM=2000000000" costs no more
// than the file's own size.
struct NumberedEntries {
    std::map<int, std::string> files, dirs;
};

// The number after `prefix` in a key ("FILE12" -> 12), or 0 when the key is
// not the prefix followed by digits alone (or the number is out of range).
int KeyNumber(const std::string& key, const char* prefix) {
    const size_t n = std::strlen(prefix);
    if (key.size() <= n || key.size() > n + 9 || lstrcmpiA(key.substr(0, n).c_str(), prefix) != 0) return 0;
    int number = 0;
    for (size_t i = n; i < key.size(); ++i) {
        if (key[i] < '0' || key[i] > '9') return 0;
        number = number * 10 + (key[i] - '0');
    }
    return number <= kMaxRecords ? number : 0;
}

NumberedEntries ReadNumberedEntries() {
    NumberedEntries entries;
    // The section comes back as "key=value\0...\0\0"; a full buffer means
    // it was cut short, so it grows until the section fits.
    std::vector<char> section(64 * 1024);
    for (;;) {
        const DWORD n = GetPrivateProfileSectionA(settings::kUninstall, section.data(),
                                                  static_cast<DWORD>(section.size()), settings::kFileName);
        if (n + 2 < section.size()) {
            section.resize(n);
            break;
        }
        if (section.size() >= kMaxSectionBytes) {
            // Cut short for good: the last entry may be a path cut in two,
            // which could name another file, so it is dropped.
            const size_t end = std::min<size_t>(n, section.size() - 1);
            const std::string_view text(section.data(), end);
            const size_t last = text.find_last_of('\0');
            section.resize(last == std::string_view::npos ? 0 : last);
            break;
        }
        section.resize(section.size() * 4);
    }
    section.push_back('\0');
    section.push_back('\0');
    for (const char* entry = section.data(); *entry; entry += std::strlen(entry) + 1) {
        const char* equals = std::strchr(entry, '=');
        if (!equals) continue;
        std::string key(entry, equals), value(equals + 1);
        while (!key.empty() && (key.back() == ' ' || key.back() == '\t')) key.pop_back();
        // Quotes around a value are the profile's, not the path's.
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
        if (const int file = KeyNumber(key, "FILE")) entries.files.emplace(file, value);
        else if (const int dir = KeyNumber(key, "DIR")) entries.dirs.emplace(dir, value);
    }
    return entries;
}

// The entries numbered 1 to `count`, in their order; numbers missing from
// the file are passed over.
std::vector<std::string> UpTo(const std::map<int, std::string>& entries, int count) {
    std::vector<std::string> list;
    for (const auto& entry : entries) {
        if (entry.first > count) break;
        list.push_back(entry.second);
    }
    return list;
}

}  // namespace

Records ReadRecords() {
    const NumberedEntries entries = ReadNumberedEntries();
    Records records;
    records.files = UpTo(entries.files, settings::Read(settings::kFileCount));
    records.dirs = UpTo(entries.dirs, settings::Read(settings::kDirCount));
    return records;
}

void WriteRecords(const Records& records) {
    // Every numbered entry beyond the new counts goes, whatever the old
    // counts claimed.
    const NumberedEntries old = ReadNumberedEntries();
    char key[32];
    for (auto entry = old.files.upper_bound(static_cast<int>(records.files.size())); entry != old.files.end();
         ++entry) {
        std::snprintf(key, sizeof key, settings::kFileKey, entry->first);
        WritePrivateProfileStringA(settings::kUninstall, key, nullptr, settings::kFileName);
    }
    for (auto entry = old.dirs.upper_bound(static_cast<int>(records.dirs.size())); entry != old.dirs.end(); ++entry) {
        std::snprintf(key, sizeof key, settings::kDirKey, entry->first);
        WritePrivateProfileStringA(settings::kUninstall, key, nullptr, settings::kFileName);
    }
    for (size_t i = 0; i < records.files.size(); ++i)
        settings::WriteNumbered(settings::kUninstall, settings::kFileKey, static_cast<int>(i + 1), records.files[i]);
    for (size_t i = 0; i < records.dirs.size(); ++i)
        settings::WriteNumbered(settings::kUninstall, settings::kDirKey, static_cast<int>(i + 1), records.dirs[i]);
    settings::Write(settings::kFileCount, static_cast<int>(records.files.size()));
    settings::Write(settings::kDirCount, static_cast<int>(records.dirs.size()));
}

RecordLog::RecordLog() : records_(ReadRecords()) {}

void RecordLog::AddFile(const std::string& path) {
    const size_t before = records_.files.size();
    AddUnique(&records_.files, path);
    if (records_.files.size() == before) return;
    const int n = static_cast<int>(records_.files.size());
    settings::WriteNumbered(settings::kUninstall, settings::kFileKey, n, path);
    settings::Write(settings::kFileCount, n);
}

void RecordLog::AddDirectory(const std::string& path) {
    const size_t before = records_.dirs.size();
    AddUnique(&records_.dirs, path);
    if (records_.dirs.size() == before) return;
    const int n = static_cast<int>(records_.dirs.size());
    settings::WriteNumbered(settings::kUninstall, settings::kDirKey, n, path);
    settings::Write(settings::kDirCount, n);
}

bool CreateFolderTree(const std::string& folder, std::vector<std::string>* created) {
    const std::string full = NormalizePath(folder);
    if (full.empty()) return false;
    // Every prefix that ends before a backslash, from the top down.
    for (size_t i = 3; i <= full.size(); ++i) {
        if (i < full.size() && full[i] != '\\') continue;
        if (i < full.size() && IsDBCSLeadByte(static_cast<unsigned char>(full[i - 1]))) continue;
        const std::string part = full.substr(0, i);
        const DWORD attributes = GetFileAttributesA(part.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES) {
            if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
            continue;
        }
        if (!CreateDirectoryA(part.c_str(), nullptr)) return false;
        if (created) created->push_back(part);
    }
    const DWORD attributes = GetFileAttributesA(full.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace install
