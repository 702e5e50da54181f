// The browser's commands over files: naming the shown folder, renaming many
// files, Copy To / Move To, mail, and the current item's thumbnail on the
// clipboard.
#include "browser_features.h"

#include <string>

#include "browser_window.h"
#include "commands.h"
#include "document.h"
#include "file_list.h"
#include "file_transfer.h"
#include "item_model.h"
#include "mail.h"
#include "multi_rename.h"
#include "named_folders.h"
#include "picture_clipboard.h"
#include "resource_ids.h"

namespace {

void MailFiles(HWND browser) {
    std::vector<std::string> paths = SelectedItemPaths(true);
    if (paths.empty() && CurrentDocument().picture && CurrentDocument().fileName[0])
        paths.push_back(CurrentDocument().fileName);
    if (paths.empty()) return;
    ULONG code = 0;
    switch (SendFilesByMail(browser, paths, &code)) {
    case kMailNoClient:
        ShowFileMessage(browser, IDS_NO_MAIL_PROGRAM, "No mail program answered: set one up to send pictures.", "");
        break;
    case kMailFailed:
        ShowFileMessage(browser, IDS_MAIL_FAILED, "The mail program could not take the files (error %s).",
                        std::to_string(code));
        break;
    default:
        break;
    }
}

}  // namespace

void ShowPictureClipboardOutcome(HWND owner, int outcome) {
    switch (outcome) {
    case kPictureMissing:
        ShowFileMessage(owner, IDS_NO_THUMBNAIL, "There is no picture to put on the clipboard yet.", "");
        break;
    case kPictureNoMemory:
        ShowFileMessage(owner, IDS_NO_MEMORY_FOR_DIB, "No memory for create DIB !", "");
        break;
    case kPictureClipboardBusy:
        ShowFileMessage(owner, IDS_CLIPBOARD_BUSY, "The clipboard is in use by another program.", "");
        break;
    default:
        break;
    }
}

void FolderToolCommand(HWND browser, UINT id) {
    if (id == IDC_NAME_FOLDER) {
        const std::string folder = BrowsedFolderPath();
        if (!folder.empty()) ShowNameFolderDialog(browser, folder);
    } else if (id == IDC_MULTI_RENAME) {
        const std::vector<std::string> paths = SelectedItemPaths(false);
        if (!paths.empty()) ShowMultiRenameDialog(browser, paths);
    }
}

void FileTransferCommand(HWND browser, UINT id) {
    if (id == IDC_SEND_MAIL) {
        MailFiles(browser);
        return;
    }
    TransferToChosenFolder(browser, SelectedItemPaths(false), id == IDC_MOVE_TO);
}

void ThumbClipboardCommand(HWND browser, UINT) {
    int outcome = kPictureMissing;
    {
        ItemModelLock hold;
        const BrowserItem* item = ShownItem(CurrentListItem());
        if (item && item->thumbnail) outcome = CopyPictureToClipboard(browser, item->thumbnail->working);
    }
    ShowPictureClipboardOutcome(browser, outcome);
}
