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
    ComPtr<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return path;
    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) return path;
    WCHAR wide[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH)) return path;
    if (FAILED(file->Load(wide, STGM_READ))) return path;
    char target[MAX_PATH] = {};
    WIN32_FIND_DATAA found;
    if (FAILED(link->GetPath(target, MAX_PATH, &found, 0)) || !target[0]) return path;
    return target;
}
