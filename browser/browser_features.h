// Entry points of the browser commands whose features arrive with their own
// modules (background and frame pictures, folder tools, copying and mailing
// files, thumbnails to the clipboard).  The browser routes each command here;
// until a feature exists its commands do nothing.
#pragma once

#include <windows.h>

// The browser's commands whose features arrive with their own modules.
void BrowserPictureCommand(HWND browser, UINT id);  // 32854 background, 32856 thumbnail frame picture
void FolderToolCommand(HWND browser, UINT id);      // 32894 folder name, 32895 multi rename
void FileTransferCommand(HWND browser, UINT id);    // 32903 copy to, 32904 move to, 32879 mail
void ThumbClipboardCommand(HWND browser, UINT id);  // 32882, 32883
// Tells the user why a picture did not reach the clipboard (a
// PictureClipboardOutcome); nothing after success.
void ShowPictureClipboardOutcome(HWND owner, int outcome);
