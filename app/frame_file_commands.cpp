// The viewer's commands over files and the clipboard: the current picture
// on the clipboard, the named folders, the system's search.
#include <windows.h>
#include <shellapi.h>

#include "browser_features.h"
#include "document.h"
#include "feature_commands.h"
#include "file_transfer.h"
#include "named_folders.h"
#include "picture_clipboard.h"
#include "program.h"
#include "resource_ids.h"

void ClipboardCommand(HWND frame, UINT) {
    const Picture* picture = CurrentDocument().picture;
    ShowPictureClipboardOutcome(frame, CopyPictureToClipboard(frame, picture ? picture->working : nullptr));
}

void DefineFolderCommand(HWND frame, UINT) {
    // Routed from the browser while the frame is hidden: the browser owns it.
    HWND browser = Program().browser;
    ShowDefineFolderDialog(!IsWindowVisible(frame) && browser ? browser : frame);
}

bool FindFilesIn(HWND owner, const std::string& folder) {
    const INT_PTR result = reinterpret_cast<INT_PTR>(
        ShellExecuteA(owner, "find", folder.empty() ? nullptr : folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result > 32) return true;
    ShowFileMessage(owner, IDS_FIND_NO_HANDLER, "The system has no search window for this folder:\n%s", folder);
    return false;
}
