#include "feature_commands.h"

// Each handler is replaced by its feature's module; the frame already routes
// the commands here so that the command table stays in one place.

void SavePictureCommand(HWND, UINT) {}
void PrintPictureCommand(HWND, UINT) {}
void DesktopPictureCommand(HWND, UINT) {}
void SelectionCommand(HWND, UINT) {}
void FullScreenCommand(HWND, UINT) {}
void RegisterTypeCommand(HWND, UINT) {}
void AcquireCommand(HWND, UINT) {}
