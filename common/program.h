// The process-wide state of the program shell: made during start-up, read by
// every window, released at shutdown.  One instance, reached through Program().
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "languages.h"
#include "lorimel.h"
#include "open_list.h"
#include "system_info.h"

struct ProgramState {
    std::string programDirectory;     // ends in a backslash
    HINSTANCE mainModule = nullptr;   // the program: built-in English resources, icons, cursors
    HINSTANCE resourceModule = nullptr;  // menus, dialogs, strings: a language library or mainModule
    UINT languageCodePage = 0;        // of the loaded language library; 0 = built-in
    std::vector<Language> languages;  // entry 0 is the built-in language

    bool shared = false;              // "/SHARE" was given
    HANDLE handOverEvent = nullptr;   // the shared instance's "TAVIRSEL" event
    std::string frameClassName;       // "Ommavu" or "Ommavu[SHARE]"; also the frame caption

    OpenList openList;

    SystemFlags system;
    bool screenSaverPresent = false;  // "Ommavu.SCR" beside the program
    bool menuIcons = false;           // menus painted by the program, with icons
    int memoryMegabytes = 128;
    int displayDepth = 32;            // 15 for a 5-5-5 screen
    HPALETTE palette = nullptr;       // for displays of 8 bits or fewer

    bool oem = false;                 // "INSTALL"/"OEM" is set
    HICON classIcon = nullptr;        // 143
    HICON smallIcon = nullptr;        // 144
    HICON blinkIcon = nullptr;        // 145, the second blink icon
    HICON logoIcon = nullptr;         // 146 or the OEM icon: the first blink icon
    HICON previewLogoIcon = nullptr;  // 147 or the OEM icon: the Option dialog's preview
    HICON oemIcon = nullptr;          // loaded from "OEMICON", owned
    bool blinkShowsLogo = true;       // which icon the next blink tick shows

    LorimelApi lorimel{};
    bool lorimelReady = false;

    bool toolbarShown = true;         // the frame's toolbar and status bar, as
    bool statusBarShown = true;       // written to the settings at shutdown

    HWND frame = nullptr;
    HWND browser = nullptr;
    HACCEL accelerators = nullptr;
};

ProgramState& Program();

// The display name: "INSTALL"/"OMMAVUNAME" when set, else string 102, then
// "INSTALL"/"EXTNAME" when set.
std::string DisplayName();

// A string of the resource module ("" when it has none).
std::string ResourceString(UINT id);
