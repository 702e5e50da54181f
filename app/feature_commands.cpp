#include "feature_commands.h"

#include "print_job.h"

// Each handler is replaced by its feature's module; the frame already routes
// the commands here so that the command table stays in one place.

void SavePictureCommand(HWND, UINT) {}
void PrintPictureCommand(HWND frame, UINT) { PrintPicture(frame); }
void DesktopPictureCommand(HWND, UINT) {}
void ClipboardCommand(HWND, UINT) {}
void SelectionCommand(HWND, UINT) {}
void FullScreenCommand(HWND, UINT) {}
void RegisterTypeCommand(HWND, UINT) {}
void AcquireCommand(HWND, UINT) {}
void DefineFolderCommand(HWND, UINT) {}
