// The language items of both windows' menus and switching the resource
// module at run time.
#pragma once

#include <windows.h>

// Step 8 of start-up: loads "<dir>SHOW<ANSI code page>.DLL"; when it loads it
// becomes the resource module and its code page the language code page.
void LoadStartupLanguage();

// Appends a separator and one item per language (IDs 65000 + index) to popup
// 5 of a menu bar, checking the entry of the current language.
void AppendLanguageItems(HMENU menuBar);

// Handles a language command.  Returns false when the ID is not a language
// item.  Choosing another language loads its library (or returns to the
// built-in resources); only if that succeeds is the old library freed and
// every window told to reload its menus, toolbar and texts.
bool HandleLanguageCommand(UINT id);

// Called after the resource module changed; set by the program shell.
void SetLanguageChangedHandler(void (*handler)());

// Frees the language library at shutdown (never the main module).
void FreeLanguageLibrary();
