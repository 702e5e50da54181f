#include "shortcut.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstring>

namespace {

// Releases a COM interface when it goes out of scope.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() {
        if (p_) p_->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T** operator&() { return &p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

}  // namespace

bool IsShortcutName(const std::string& path) {
    size_t dot = path.find_last_of('.');
    return dot != std::string::npos && lstrcmpiA(path.c_str() + dot + 1, "LNK") == 0;
}

std::string ResolveShortcut(const std::string& path) {
    if (!IsShortcutName(path)) return path;
    std::string target;
    return ReadShortcutTarget(path, &target) ? target : path;
}

bool ReadShortcutTarget(const std::string& shortcut, std::string* target) {
    ComPtr<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return false;
    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) return false;
    WCHAR wide[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, shortcut.c_str(), -1, wide, MAX_PATH)) return false;
    if (FAILED(file->Load(wide, STGM_READ))) return false;
    char path[MAX_PATH] = {};
    WIN32_FIND_DATAA found;
    if (FAILED(link->GetPath(path, MAX_PATH, &found, SLGP_UNCPRIORITY | SLGP_RAWPATH)) || !path[0]) return false;
    *target = path;
    return true;
}

namespace {

// The target a shortcut file records in its link information (the local
// base path and the common path suffix), read straight from the file: the
// shell's link object costs milliseconds per file under some systems, the
// file's own record a read.  False when the file is no shell link, has no
// local path, or any offset or string runs outside the file; the caller then
// asks the link object.
bool ReadLinkInfoTarget(const std::string& shortcut, std::string* target) {
    HANDLE file = CreateFileA(shortcut.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    BYTE data[8192];
    DWORD size = 0;
    const BOOL read = ReadFile(file, data, sizeof data, &size, nullptr);
    CloseHandle(file);
    if (!read) return false;
    auto dword = [&](size_t at, DWORD* value) {
        if (at > size || size - at < 4) return false;
        std::memcpy(value, data + at, 4);
        return true;
    };
    // The header: its size (0x4C), the link class, then the flags.
    static const BYTE kLinkClass[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                        0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
    DWORD headerSize = 0, flags = 0;
    if (!dword(0, &headerSize) || headerSize != 0x4C || std::memcmp(data + 4, kLinkClass, 16) != 0 ||
        !dword(0x14, &flags))
        return false;
    constexpr DWORD kHasIdList = 1, kHasLinkInfo = 2, kLocalPath = 1;
    size_t at = headerSize;
    if (flags & kHasIdList) {
        if (size - at < 2) return false;
        at += 2 + (data[at] | (data[at + 1] << 8));
    }
    DWORD infoSize = 0, infoFlags = 0, baseOffset = 0, suffixOffset = 0;
    if (!(flags & kHasLinkInfo) || !dword(at, &infoSize) || infoSize > size - at || !dword(at + 8, &infoFlags) ||
        !(infoFlags & kLocalPath) || !dword(at + 16, &baseOffset) || !dword(at + 24, &suffixOffset))
        return false;
    // Both strings end inside the link information.
    auto text = [&](DWORD offset, std::string* out) {
        if (offset >= infoSize) return false;
        const char* begin = reinterpret_cast<const char*>(data + at + offset);
        const void* end = std::memchr(begin, 0, infoSize - offset);
        if (!end) return false;
        out->assign(begin, static_cast<const char*>(end));
        return true;
    };
    std::string base, suffix;
    if (!text(baseOffset, &base) || !text(suffixOffset, &suffix) || base.empty()) return false;
    if (!suffix.empty() && base.back() != '\\') base += '\\';
    *target = base + suffix;
    return target->size() < MAX_PATH;
}

}  // namespace

std::vector<std::string> ReadShortcutTargets(const std::vector<std::string>& shortcuts) {
    std::vector<std::string> targets(shortcuts.size());
    // Most shortcuts record their target's path; the link object only reads
    // the others.
    std::vector<size_t> others;
    for (size_t i = 0; i < shortcuts.size(); ++i)
        if (!ReadLinkInfoTarget(shortcuts[i], &targets[i])) others.push_back(i);
    if (others.empty()) return targets;
    ComPtr<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return targets;
    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) return targets;
    for (size_t i : others) {
        WCHAR wide[MAX_PATH];
        if (!MultiByteToWideChar(CP_ACP, 0, shortcuts[i].c_str(), -1, wide, MAX_PATH)) continue;
        if (FAILED(file->Load(wide, STGM_READ))) continue;
        char path[MAX_PATH] = {};
        WIN32_FIND_DATAA found;
        if (SUCCEEDED(link->GetPath(path, MAX_PATH, &found, SLGP_UNCPRIORITY | SLGP_RAWPATH))) targets[i] = path;
    }
    return targets;
}

HRESULT CreateShortcut(const std::string& target, const std::string& arguments, const std::string& iconFile,
                       int iconIndex, const std::string& shortcut, const std::string& description) {
    // Longer texts would be cut short by the link object: a shortcut to
    // somewhere else.
    for (const std::string* text : {&target, &arguments, &iconFile, &shortcut, &description})
        if (text->size() >= MAX_PATH) return E_INVALIDARG;
    ComPtr<IShellLinkA> link;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  reinterpret_cast<void**>(&link));
    if (FAILED(hr)) return hr;
    if (!link) return E_FAIL;
    ComPtr<IPersistFile> file;
    hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    if (FAILED(hr)) return hr;
    if (!file) return E_NOINTERFACE;
    if (FAILED(hr = link->SetPath(target.c_str()))) return hr;
    if (FAILED(hr = link->SetArguments(arguments.c_str()))) return hr;
    if (!iconFile.empty() && FAILED(hr = link->SetIconLocation(iconFile.c_str(), iconIndex))) return hr;
    if (FAILED(hr = link->SetDescription(description.c_str()))) return hr;
    WCHAR wide[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, shortcut.c_str(), -1, wide, MAX_PATH)) return E_INVALIDARG;
    return file->Save(wide, TRUE);
}
