// Facts about the system that start-up records once: the Windows family and
// version, memory size, the program's own folder, and the display depth.
#pragma once

#include <windows.h>

#include <string>

struct SystemFlags {
    bool windows95 = false;         // 9x family, version 4.0
    bool windows9x = false;         // 9x family (platform 1)
    bool windows98OrLater = false;  // 9x family, version 4.10 or higher
    bool windows2000OrLater = false;  // NT family, major version 5 or higher
    // The same fact, kept apart for the window-title and icon decisions.
    bool windows2000OrLaterForIcons = false;
};

// From the platform id and version numbers that GetVersionExA reports.
SystemFlags ClassifySystem(DWORD platformId, DWORD major, DWORD minor);
SystemFlags ReadSystemFlags();

// Menus are drawn by the program with icons on Windows 98 or later and on
// Windows 2000 or later, when the display has more than 8 bits per pixel.
bool WantMenuIcons(const SystemFlags& flags, int displayDepth);

// Total physical memory in megabytes, rounded as (bytes + 512000) >> 20.
int MemoryMegabytes(unsigned long long totalBytes);
int ReadMemoryMegabytes();

// Everything up to and including the last backslash of a module's file name.
std::string FolderOfPath(const std::string& path);
std::string ProgramDirectory();

// The depth the program paints for: the screen's bits per pixel, 15 for a
// 5-5-5 screen (told apart from 5-6-5 through DirectDraw's primary surface
// format, when DirectDraw loads), times the colour planes at 8 bits or fewer.
int DisplayDepthFor(int bitsPerPixel, int planes, DWORD redMask, DWORD greenMask, DWORD blueMask);
int ReadDisplayDepth();
