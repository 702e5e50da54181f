#include "feature_commands.h"

#include "commands.h"

// Each handler is replaced by its feature's module; the frame already routes
// the commands here so that the command table stays in one place.

void SavePictureCommand(HWND, UINT) {}
void PrintPictureCommand(HWND, UINT) {}
void DesktopPictureCommand(HWND, UINT) {}
void ClipboardCommand(HWND, UINT) {}
void SelectionCommand(HWND, UINT) {}
void FullScreenCommand(HWND, UINT) {}
void RegisterTypeCommand(HWND, UINT) {}
void AcquireCommand(HWND, UINT) {}
void DefineFolderCommand(HWND, UINT) {}
void BrowserPictureCommand(HWND, UINT) {}
void FolderToolCommand(HWND, UINT) {}
void FileTransferCommand(HWND, UINT) {}
void ThumbClipboardCommand(HWND, UINT) {}

const std::vector<UINT>& CommandsAwaitingFeatures() {
    static const std::vector<UINT> awaiting = {
        // Viewer frame.
        IDC_SAVE_AS, IDC_CONVERT_PICTURE, IDC_PRINT, IDC_SET_WALLPAPER, IDC_RESTORE_WALLPAPER,
        IDC_SET_STARTUP_LOGO, IDC_DEFAULT_STARTUP_LOGO, IDC_SET_SHUTDOWN_PICTURE, IDC_RESTORE_SHUTDOWN_PICTURE,
        IDC_SET_SCREEN_SAVER, IDC_PICTURE_TO_CLIPBOARD, IDC_PICTURE_TO_CLIPBOARD_2, IDC_ZOOM_TO_SELECTION,
        IDC_COPY_SELECTION_TO_CLIP, IDC_COPY_SELECTION_TO_FILE, IDC_FULL_SCREEN, IDC_LEAVE_FULL_SCREEN,
        IDC_REGISTER_TYPE, IDC_OPEN_ACQUIRE, IDC_ACQUIRE, IDC_CLOSE_ACQUIRE, IDC_CAPTURE_FRAME, IDC_DEFINE_FOLDER,
        // Browser.
        IDC_BROWSER_PRINT, IDC_BACKGROUND_PICTURE, IDC_THUMB_FRAME_PICTURE, IDC_NAME_FOLDER, IDC_MULTI_RENAME,
        IDC_COPY_TO, IDC_MOVE_TO, IDC_SEND_MAIL, IDC_THUMB_TO_CLIPBOARD, IDC_THUMB_TO_CLIPBOARD_2,
    };
    return awaiting;
}
