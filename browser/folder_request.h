// What the folder tree hands the file list when a folder is to be shown
// (message kMsgOpenFolder, lParam a FolderRequest*).
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>

// The lParam of every folder tree item.  The tree owns it and everything in
// it: one reference on `parent` and both lists (shell allocator); they are
// released when the item is deleted or the tree is destroyed.  For the root
// (the desktop) `parent` is the desktop folder itself and both lists are
// empty.
struct TreeItemData {
    IShellFolder* parent;    // the folder that holds the item
    LPITEMIDLIST absolute;   // the item as seen from the desktop
    LPITEMIDLIST relative;   // the item within `parent`
    // The file-system path of `absolute`, kept once asked for: finding a
    // folder by its path walks many items, and asking the shell is slow.
    std::string path;
    bool pathKnown = false;
};

// Lives on the tree's stack for the duration of the SendMessage only; a
// receiver that keeps anything copies the lists (CopyPidl) and takes its own
// reference on the folder (AddRef).
struct FolderRequest {
    const TreeItemData* item;
    bool fileSystemFolder;   // the object's find data says FILE_ATTRIBUTE_DIRECTORY
};
