#include "pidl.h"

#include <cstring>

namespace {

const SHITEMID* Next(const SHITEMID* id) {
    return reinterpret_cast<const SHITEMID*>(reinterpret_cast<const BYTE*>(id) + id->cb);
}

}  // namespace

UINT PidlSize(LPCITEMIDLIST pidl) {
    if (!pidl) return 0;
    UINT size = sizeof(USHORT);
    for (const SHITEMID* id = &pidl->mkid; id->cb; id = Next(id)) size += id->cb;
    return size;
}

bool IsEmptyPidl(LPCITEMIDLIST pidl) { return !pidl || pidl->mkid.cb == 0; }

LPITEMIDLIST CopyPidl(LPCITEMIDLIST pidl) {
    UINT size = pidl ? PidlSize(pidl) : sizeof(USHORT);
    auto* copy = static_cast<LPITEMIDLIST>(CoTaskMemAlloc(size));
    if (!copy) return nullptr;
    if (pidl)
        std::memcpy(copy, pidl, size);
    else
        std::memset(copy, 0, size);
    return copy;
}

LPITEMIDLIST ConcatPidls(LPCITEMIDLIST parent, LPCITEMIDLIST child) {
    UINT first = parent ? PidlSize(parent) - sizeof(USHORT) : 0;
    UINT second = child ? PidlSize(child) : sizeof(USHORT);
    auto* joined = static_cast<BYTE*>(CoTaskMemAlloc(first + second));
    if (!joined) return nullptr;
    if (first) std::memcpy(joined, parent, first);
    if (child)
        std::memcpy(joined + first, child, second);
    else
        std::memset(joined + first, 0, second);
    return reinterpret_cast<LPITEMIDLIST>(joined);
}

void FreePidl(LPITEMIDLIST pidl) {
    if (pidl) CoTaskMemFree(pidl);
}

LPITEMIDLIST LastPidlElement(LPCITEMIDLIST pidl) {
    if (IsEmptyPidl(pidl)) return nullptr;
    const SHITEMID* last = &pidl->mkid;
    for (const SHITEMID* id = &pidl->mkid; id->cb; id = Next(id)) last = id;
    UINT size = last->cb;
    auto* copy = static_cast<BYTE*>(CoTaskMemAlloc(size + sizeof(USHORT)));
    if (!copy) return nullptr;
    std::memcpy(copy, last, size);
    std::memset(copy + size, 0, sizeof(USHORT));
    return reinterpret_cast<LPITEMIDLIST>(copy);
}

LPITEMIDLIST ParentPidl(LPCITEMIDLIST pidl) {
    if (IsEmptyPidl(pidl)) return CopyPidl(nullptr);
    const SHITEMID* last = &pidl->mkid;
    for (const SHITEMID* id = &pidl->mkid; id->cb; id = Next(id)) last = id;
    UINT size = static_cast<UINT>(reinterpret_cast<const BYTE*>(last) - reinterpret_cast<const BYTE*>(pidl));
    auto* copy = static_cast<BYTE*>(CoTaskMemAlloc(size + sizeof(USHORT)));
    if (!copy) return nullptr;
    std::memcpy(copy, pidl, size);
    std::memset(copy + size, 0, sizeof(USHORT));
    return reinterpret_cast<LPITEMIDLIST>(copy);
}

bool SamePidl(LPCITEMIDLIST a, LPCITEMIDLIST b) {
    UINT size = PidlSize(a);
    return size == PidlSize(b) && (size == 0 || std::memcmp(a, b, size) == 0);
}

namespace {

// The text in the ANSI code page, false when a character has no exact
// counterpart there.
bool ToAnsiExactly(const WCHAR* wide, std::string* ansi) {
    BOOL lossy = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, nullptr, 0, nullptr, &lossy);
    if (n <= 0 || lossy) return false;
    ansi->resize(static_cast<size_t>(n));
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, &(*ansi)[0], n, nullptr, &lossy);
    ansi->resize(static_cast<size_t>(n - 1));
    return !lossy;
}

}  // namespace

std::string AnsiReachablePath(const std::wstring& path, ShortPathLookup shortPath) {
    std::string ansi;
    if (ToAnsiExactly(path.c_str(), &ansi)) return ansi;
    WCHAR shortForm[MAX_PATH] = {};
    const DWORD n = shortPath ? shortPath(path.c_str(), shortForm, MAX_PATH) : 0;
    if (n == 0 || n >= MAX_PATH || !ToAnsiExactly(shortForm, &ansi)) return std::string();
    return ansi;
}

std::string PidlPath(LPCITEMIDLIST absolute) {
    char path[MAX_PATH] = {};
    if (!absolute || !SHGetPathFromIDListA(absolute, path)) return std::string();
    // "?" is never part of a file name: it stands for a character the code
    // page lacks, and the path opens nothing as it is.
    if (!std::strchr(path, '?')) return path;
    WCHAR wide[MAX_PATH] = {};
    if (!SHGetPathFromIDListW(absolute, wide)) return path;
    const std::string reachable = AnsiReachablePath(wide);
    return reachable.empty() ? std::string(path) : reachable;
}

std::string StrRetText(STRRET* value, LPCITEMIDLIST relative) {
    std::string text;
    switch (value->uType) {
    case STRRET_WSTR:
        if (value->pOleStr) {
            int n = WideCharToMultiByte(CP_ACP, 0, value->pOleStr, -1, nullptr, 0, nullptr, nullptr);
            if (n > 0) {
                text.resize(static_cast<size_t>(n));
                WideCharToMultiByte(CP_ACP, 0, value->pOleStr, -1, &text[0], n, nullptr, nullptr);
                text.resize(static_cast<size_t>(n - 1));
            }
            CoTaskMemFree(value->pOleStr);
            value->pOleStr = nullptr;
        }
        break;
    case STRRET_OFFSET:
        if (relative) text = reinterpret_cast<const char*>(relative) + value->uOffset;
        break;
    case STRRET_CSTR:
        text = value->cStr;
        break;
    default:
        break;
    }
    return text;
}

std::string DisplayNameOf(IShellFolder* folder, LPCITEMIDLIST relative, DWORD flags) {
    if (!folder) return std::string();
    STRRET value = {};
    if (FAILED(folder->GetDisplayNameOf(relative, flags, &value))) return std::string();
    return StrRetText(&value, relative);
}

LPITEMIDLIST PidlFromPath(const std::string& path) {
    IShellFolder* desktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop))) return nullptr;
    int n = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], n);
    LPITEMIDLIST pidl = nullptr;
    ULONG eaten = 0;
    if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, &wide[0], &eaten, &pidl, nullptr))) pidl = nullptr;
    desktop->Release();
    return pidl;
}

IShellFolder* BindToFolder(LPCITEMIDLIST absolute) {
    IShellFolder* desktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop))) return nullptr;
    if (IsEmptyPidl(absolute)) return desktop;
    IShellFolder* folder = nullptr;
    if (FAILED(desktop->BindToObject(absolute, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&folder))))
        folder = nullptr;
    desktop->Release();
    return folder;
}
