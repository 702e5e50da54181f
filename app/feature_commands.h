// Entry points of the viewer commands whose features arrive with their own
// modules (saving, printing, effects, transforms, desktop pictures,
// clipboard, selection, full screen, type registration, acquiring).  The
// frame routes each command here; until a feature exists its handler does
// nothing and its menu items are greyed (CommandsAwaitingFeatures, in
// command_rules.h).
#pragma once

#include <windows.h>

#include <string>

void SavePictureCommand(HWND frame, UINT id);       // 32789 Save as, 32878 Convert
void PrintPictureCommand(HWND frame, UINT id);      // 32818
void DesktopPictureCommand(HWND frame, UINT id);    // wallpaper, logos, screen saver

void ClipboardCommand(HWND frame, UINT id);         // 32880, 32881
void SelectionCommand(HWND frame, UINT id);         // 32896 - 32898
void FullScreenCommand(HWND frame, UINT id);        // 32800, 32876
void RegisterTypeCommand(HWND frame, UINT id);      // 32877
void AcquireCommand(HWND frame, UINT id);           // 32912 - 32914, 32848 (acquire.cpp)
void DefineFolderCommand(HWND frame, UINT id);      // 32891
// The shell's "find" verb on folder (shown normally); when the system has no
// handler for it, a message says so.  Returns whether the search window came.
bool FindFilesIn(HWND owner, const std::string& folder);
