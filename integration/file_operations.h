// File operations through the shell, which asks its own questions and shows
// its own errors.
#pragma once

#include <windows.h>

#include <string>

// Renames one file or folder.  Both paths are full paths ending in two zero
// characters.  True when the shell reports success.
bool RenameFile(HWND owner, const char* oldDoubleZero, const char* newDoubleZero);
// Moves the files and folders of a list of zero-terminated full paths
// (ending with an empty one) to the recycle bin; the shell asks first.
// True when the shell reports success.
bool DeleteFiles(const char* doubleZeroList, HWND owner);

// Deletes the files matching a pattern ("C:\\dir\\*.CAH") for good, through
// the shell: its confirmation is asked, its progress display is not shown.
bool DeleteMatchingFiles(const std::string& pattern, HWND owner, const char* progressTitle);

// Creates a folder (its parent must exist).  False with the system's error
// left for GetLastError.
bool CreateSubfolder(const std::string& path);
