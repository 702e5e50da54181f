// Telling a file's format from its name and its first bytes.
#pragma once

#include <cstddef>

// Writes the format's name (upper case) into `format` and returns true, or
// returns false when no registered format accepts the file.
bool DetectFormat(const char* path, char* format, size_t formatSize);
