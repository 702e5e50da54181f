// State of the extension's module, one copy per process, set at process
// attach and read by every object afterwards.
#pragma once

#include <windows.h>

#include <string>

struct KivaroModule {
    HINSTANCE instance = nullptr;
    std::string directory;     // of the DLL, with its trailing backslash
    std::string viewerPath;    // directory + "TAVIRSEL.EXE"
    std::string cacheDir;      // directory + "Cache\"
    UINT codePage = 0;         // GetACP at attach; 936 takes the Chinese texts
    bool oldShell = false;     // Windows 95 (4.0): no mail item
};

const KivaroModule& Module();

// Live class factories and extension objects; DllCanUnloadNow reads it and
// property pages count themselves in it (comctl32 adds and subtracts).
extern volatile LONG g_kivaroObjects;
inline void AddObject() { InterlockedIncrement(&g_kivaroObjects); }
inline void RemoveObject() { InterlockedDecrement(&g_kivaroObjects); }

// Serialises the icon requests of the shell's threads (each object's icon
// built by GetIconLocation and handed out by Extract).
CRITICAL_SECTION* IconLock();

// A string of the module's table in the process's code page.
std::string ModuleString(UINT id);
