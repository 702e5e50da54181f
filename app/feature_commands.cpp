#include "feature_commands.h"

#include "print_job.h"

// Each handler is replaced by its feature's module; the frame already routes
// the commands here so that the command table stays in one place.  Saving
// lives in save_command.cpp.

void PrintPictureCommand(HWND frame, UINT) { PrintPicture(frame); }
