// The browser's commands over files: naming the shown folder, renaming many
// files, Copy To / Move To, mail, and the current item's thumbnail on the
// clipboard.
#include "browser_features.h"

#include <string>
#include <vector>

#include "browser_window.h"
#include "commands.h"
#include "dib.h"
#include "document.h"
#include "file_list.h"
#include "file_transfer.h"
#include "item_model.h"
#include "loader.h"
#include "mail.h"
#include "multi_rename.h"
#include "named_folders.h"
#include "picture_clipboard.h"
#include "program.h"
#include "resource_ids.h"
#include "save.h"
#include "save_failure.h"

namespace {

// An acquired picture has no file to attach: it is written as a 24-bit
// bitmap under the name it goes by ("Photo-XX.Bmp") into a folder of its own
// among the temporary files; both go when the mail program has taken it
// (Simple MAPI returns once the user has sent or closed the message).
struct MailedPicture {
    std::string folder;
    std::string path;

    ~MailedPicture() {
        if (!path.empty()) DeleteFileA(path.c_str());
        if (!folder.empty()) RemoveDirectoryA(folder.c_str());
    }
    MailedPicture() = default;
    MailedPicture(const MailedPicture&) = delete;
    MailedPicture& operator=(const MailedPicture&) = delete;

    // False after telling the user why the picture could not be written.
    bool Write(HWND browser, const PictureDocument& document) {
        char temp[MAX_PATH] = {}, unique[MAX_PATH] = {};
        const DWORD n = GetTempPathA(sizeof temp, temp);
        if (n == 0 || n >= sizeof temp || !GetTempFileNameA(temp, "oml", 0, unique)) return Tell(browser, temp);
        // The unique name becomes a folder, so that the attachment keeps the
        // picture's own name.
        DeleteFileA(unique);
        if (!CreateDirectoryA(unique, nullptr)) return Tell(browser, unique);
        folder = unique;
        const std::string name = document.fileName;
        const size_t slash = name.find_last_of('\\');
        const std::string target = folder + "\\" + (slash == std::string::npos ? name : name.substr(slash + 1));
        const DibBlock* working = document.picture->working;
        DibBlock* converted = CreateDib(DibWidth(working), DibHeight(working));
        if (!converted || !ConvertForSave(working, converted, kSave16M)) {
            FreeDib(converted);
            ShowFileMessage(browser, IDS_NO_MEMORY_FOR_DIB, "No memory for create DIB !", "");
            return false;
        }
        // A bitmap has no quality; the value only completes the call.
        SaveError error;
        const bool saved = SaveDibToFile(target.c_str(), "BMP", converted, kHighestSaveQuality, &error) != 0;
        FreeDib(converted);
        if (!saved) return Tell(browser, target, &error);
        path = target;
        return true;
    }

    static bool Tell(HWND browser, const std::string& target, const SaveError* error = nullptr) {
        SaveError reason;
        if (error) reason = *error;
        else reason.systemError = GetLastError();
        MessageBoxA(browser, SaveFailureText(target, "BMP", reason).c_str(),
                    ResourceString(IDS_SAVE_FAILED_TITLE).c_str(), MB_OK | MB_ICONWARNING);
        return false;
    }
};

void MailFiles(HWND browser) {
    std::vector<std::string> paths = SelectedItemPaths(true);
    const PictureDocument& document = CurrentDocument();
    MailedPicture acquired;
    if (paths.empty() && document.picture && document.picture->working && document.fileName[0]) {
        if (document.notOnDisk) {
            // A file being loaded replaces the picture while it would be
            // written: the mail waits for the user to ask again.
            if (IsPictureLoaderRunning() || !acquired.Write(browser, document)) return;
            paths.push_back(acquired.path);
        } else {
            paths.push_back(document.fileName);
        }
    }
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
