// Shell item identifier lists and the names and paths behind them.  Every
// list these functions return is allocated with the shell allocator
// (CoTaskMemAlloc) and is freed with FreePidl.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>

// Bytes of a list including its terminating zero; 0 for null.
UINT PidlSize(LPCITEMIDLIST pidl);
LPITEMIDLIST CopyPidl(LPCITEMIDLIST pidl);
// parent followed by child (both may be empty lists; null counts as empty).
LPITEMIDLIST ConcatPidls(LPCITEMIDLIST parent, LPCITEMIDLIST child);
void FreePidl(LPITEMIDLIST pidl);
// The last element alone (a copy), or null for the empty list.
LPITEMIDLIST LastPidlElement(LPCITEMIDLIST pidl);
// The list without its last element (a copy; the empty list stays empty).
LPITEMIDLIST ParentPidl(LPCITEMIDLIST pidl);
bool IsEmptyPidl(LPCITEMIDLIST pidl);
// Byte-for-byte equal lists.
bool SamePidl(LPCITEMIDLIST a, LPCITEMIDLIST b);

// The file-system path of an absolute list, or "" when it has none.
std::string PidlPath(LPCITEMIDLIST absolute);

// A path in a form the ANSI functions open: the path itself when the code
// page has every character of it, else its short form (all of whose
// characters it has, as the file system makes them); empty when the path
// has neither.  PidlPath goes through this for a path with characters
// outside the code page, so that such a file is listed, decoded and opened
// under its short name.  shortPath stands in for GetShortPathNameW.
typedef DWORD(WINAPI* ShortPathLookup)(LPCWSTR path, LPWSTR shortPath, DWORD size);
std::string AnsiReachablePath(const std::wstring& path, ShortPathLookup shortPath = GetShortPathNameW);
// A STRRET as ANSI text (freeing what it owns).
std::string StrRetText(STRRET* value, LPCITEMIDLIST relative);
// The display name of an object of a folder (SHGDN_* flags).
std::string DisplayNameOf(IShellFolder* folder, LPCITEMIDLIST relative, DWORD flags);
// The absolute list of a file-system path, or null.
LPITEMIDLIST PidlFromPath(const std::string& path);
// The folder object of an absolute list (the desktop for the empty list), or
// null; one reference for the caller.
IShellFolder* BindToFolder(LPCITEMIDLIST absolute);
