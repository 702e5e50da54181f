// Putting a freshly written file in the place of another one.
#pragma once

#include <windows.h>

#include <string>

// The signature of MoveFileExA, so tests can hand in one that fails.
typedef BOOL(WINAPI* MoveFileExFunction)(LPCSTR from, LPCSTR to, DWORD flags);

// Moves the complete file `fresh` to `target`, replacing any file there.
// Windows 95 and 98 answer MoveFileEx with ERROR_CALL_NOT_IMPLEMENTED; then
// the old target is first renamed aside, the fresh file moved in, and the old
// one deleted only once the fresh one is in place (or renamed back when the
// move fails), so the target always names a whole file.  False with the
// system's error when the target could not be replaced; `fresh` is left
// where it was then.
bool ReplaceWithFreshFile(const std::string& fresh, const std::string& target,
                          MoveFileExFunction moveFileEx = MoveFileExA);
