// Entry points of the viewer commands whose features arrive with their own
// modules (saving, printing, effects, transforms, desktop pictures,
// clipboard, selection, full screen, type registration, acquiring).  The
// frame routes each command here; until a feature exists its handler does
// nothing and its menu items are greyed (CommandsAwaitingFeatures).
#pragma once

#include <windows.h>

#include <vector>

void SavePictureCommand(HWND frame, UINT id);       // 32789 Save as, 32878 Convert
void PrintPictureCommand(HWND frame, UINT id);      // 32818
void DesktopPictureCommand(HWND frame, UINT id);    // wallpaper, logos, screen saver
void ClipboardCommand(HWND frame, UINT id);         // 32880, 32881
void SelectionCommand(HWND frame, UINT id);         // 32896 - 32898
void FullScreenCommand(HWND frame, UINT id);        // 32800, 32876
void RegisterTypeCommand(HWND frame, UINT id);      // 32877
void AcquireCommand(HWND frame, UINT id);           // 32912 - 32914, 32848
void DefineFolderCommand(HWND frame, UINT id);      // 32891

// The browser's commands whose features arrive with their own modules.
void BrowserPictureCommand(HWND browser, UINT id);  // 32854 background, 32856 thumbnail frame picture
void FolderToolCommand(HWND browser, UINT id);      // 32894 folder name, 32895 multi rename
void FileTransferCommand(HWND browser, UINT id);    // 32903 copy to, 32904 move to, 32879 mail
void ThumbClipboardCommand(HWND browser, UINT id);  // 32882, 32883

// The commands above whose features are not built yet.  The enabling rules
// grey their items in every menu of both windows, whatever the state; each
// leaves this list with the module that builds it.
const std::vector<UINT>& CommandsAwaitingFeatures();
