// Writing a DIB block as a classic Windows bitmap file (14-byte file header,
// 40-byte BITMAPINFOHEADER, colour table, rows bottom row first): the form the
// desktop, the boot loader and every reader of .BMP files understand.
//
// The file is written whole under a temporary name in the target's folder
// and only then takes the target's name, so a failed write (a full disk, a
// file held open) leaves the earlier file as it was.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "dib.h"

// The bytes of the file for a block of any depth blocks are formatted for
// (top-down or bottom-up in memory); empty for a null block.
std::vector<BYTE> BitmapFileBytes(const DibBlock* dib);

// Writes bytes to path through a temporary file in the same folder.  True
// when the file holds exactly these bytes; false (GetLastError says why) with
// the earlier file untouched and no temporary file left.
bool ReplaceFileContents(const std::string& path, const std::vector<BYTE>& bytes);

// BitmapFileBytes + ReplaceFileContents.
bool WriteBitmapFile(const std::string& path, const DibBlock* dib);
