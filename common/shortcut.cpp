#include "shortcut.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

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

std::vector<std::string> ReadShortcutTargets(const std::vector<std::string>& shortcuts) {
    std::vector<std::string> targets(shortcuts.size());
    ComPtr<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return targets;
    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) return targets;
    for (size_t i = 0; i < shortcuts.size(); ++i) {
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
