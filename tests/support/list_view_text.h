// Reading a list view's texts as the user sees them: an item's cell and a
// column heading.
#pragma once

#include <windows.h>

#include <string>

std::string ListItemText(HWND list, int index, int column = 0);
std::string ListHeading(HWND list, int column);

// Writes a small file of text (created or replaced): a file that is no picture.
void WriteTextFile(const std::string& path, const char* text = "text");
