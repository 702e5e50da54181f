#include "install_records.h"

#include "install_rules.h"
#include "settings.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdio>

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

Records ReadRecords() {
    Records records;
    const int files = settings::Read(settings::kFileCount);
    for (int i = 1; i <= files; ++i)
        records.files.push_back(settings::ReadNumbered(settings::kUninstall, settings::kFileKey, i));
    const int dirs = settings::Read(settings::kDirCount);
    for (int i = 1; i <= dirs; ++i)
        records.dirs.push_back(settings::ReadNumbered(settings::kUninstall, settings::kDirKey, i));
    return records;
}

void WriteRecords(const Records& records) {
    const int oldFiles = settings::Read(settings::kFileCount);
    const int oldDirs = settings::Read(settings::kDirCount);
    char key[32];
    for (int i = static_cast<int>(records.files.size()) + 1; i <= oldFiles; ++i) {
        std::snprintf(key, sizeof key, settings::kFileKey, i);
        WritePrivateProfileStringA(settings::kUninstall, key, nullptr, settings::kFileName);
    }
    for (int i = static_cast<int>(records.dirs.size()) + 1; i <= oldDirs; ++i) {
        std::snprintf(key, sizeof key, settings::kDirKey, i);
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
