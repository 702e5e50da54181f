// The Open dialog for pictures: "All Images" with the patterns of every
// format the image library reads, then "All Files(*.*)".  Starts in
// "InitialDir" and remembers the chosen file there.
#pragma once

#include <windows.h>

#include <string>

#include "lorimel.h"

// The filter pairs, "\0"-separated and double-zero-terminated, from the
// library's format groups ("*.BMP;*.JPG;..."; each pattern once).
std::string BuildPictureFilter(const LorimelApi& api);

// The chosen path, or "" when the user cancels.
std::string AskPictureFile(HWND owner);
