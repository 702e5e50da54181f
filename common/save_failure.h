// The message a failed save shows, shared by the save dialogs and every
// other command that writes a picture through the save routine.
#pragma once

#include <windows.h>

#include <string>

#include "save.h"

// String id of the resource table with its two "%s" filled by a and b.
std::string FormatResource(UINT id, const char* a, const char* b = "");

// "The picture was not saved as <file>" with why: in the user's language
// where the reason is the program's own, the system's words where it is the
// system's.  format names the coder the picture was written with.
std::string SaveFailureText(const std::string& file, const char* format, const SaveError& error);
