// The entries of the user's Send To folder, read once and kept until the
// folder changes: the browser's Folder menu, the Send To and MoveTo entries
// of the list's context menu and the named-folder dialogs all read this one
// cache.  Interface thread only.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct SendToEntry {
    std::string name;       // the entry's file name without ".lnk"
    std::string path;       // the entry itself, in the Send To folder
    std::string target;     // the folder it stands for ("" when none)
    bool isShortcut = false;
    // A named folder: a folder, a shortcut to a folder, or a shortcut to a
    // removable drive.  Only these take copied and moved files.
    bool isFolder = false;
};

// The Send To folder with a trailing backslash ("" when the system has none).
std::string SendToFolderPath();
// The entries, in the folder's order; read again when the Send To folder
// changed since the last call (a change notification on it tells) or after
// InvalidateSendToCache.
const std::vector<SendToEntry>& SendToEntries();
void InvalidateSendToCache();
// Entry i's small icon, 16 x 16 on the menu colour, made when first asked
// for (the shell's icon look-up is the slow part of reading the folder);
// owned by the cache.  Null when there is none.
HBITMAP SendToEntryIcon(size_t i);
void FreeSendToCache();
// How many times the entries were read (the tests check it is built once).
int SendToCacheBuilds();
