// Resource identifiers shared by the program's code, its resource script and
// the language libraries (SHOW<code page>.DLL), which carry the same
// resources under the same numbers.  Plain #defines: windres reads this too.
#pragma once

// Strings.
#define IDS_LANGUAGE_NAME 40065  // the display name of a language library

// Menus and accelerators.
#define IDM_VIEWER 112
#define IDM_BROWSER 124
#define IDA_VIEWER 112

// Commands of the language menu: 65000 + index in the language list.
#define IDC_LANGUAGE_FIRST 65000
