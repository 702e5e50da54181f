// The browser's file transfers: the selection to the clipboard (copy and
// cut), pasting into the shown folder, copying and moving to named folders,
// mail, and thumbnails on the clipboard.  The messages the user sees when an
// operation cannot be done come from here; the operations themselves are in
// integration/.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Sets the question the file operations ask before writing over files (a
// message box owned by the operation's window).
void InstallOverwriteQuestion();

// Context menu codes 5 and 6: the selected items on the clipboard for a
// copy (effect 1) or a cut (effect 2); cut items are painted dimmed.
void PutSelectionOnClipboard(HWND browser, DWORD effect);
// Codes 16 and 17: the clipboard's files into the shown folder.
void PasteIntoShownFolder(HWND browser, DWORD effect);
// Codes 100 + i (copy) and 100 + count + i (move): the selection to Send To
// entry i, when it is a named folder.
void SendSelectionToEntry(HWND browser, size_t entry, bool move);
// Copies or moves paths into folder (which must be an existing folder given
// by its full path); false when nothing was done.
bool TransferFilesToFolder(HWND owner, const std::vector<std::string>& paths, const std::string& folder, bool move);

// Copy To... and Move To...: asks for the destination (dialog 192) and
// copies or moves paths there; false when nothing was done.
bool TransferToChosenFolder(HWND owner, const std::vector<std::string>& paths, bool move);

// A message box titled with string titleId (or the product name) showing
// string textId formatted with detail ("%s").
void ShowFileMessage(HWND owner, UINT textId, const char* fallback, const std::string& detail);
