// The filter plug-in host: every "*.PLS" of the program folder loaded at
// start, its filters listed at the end of the Process menu (60000 + index),
// run on the current picture under a recovery point, re-initialised when the
// interface language changes and released at exit.
#pragma once

#include <windows.h>

#include <string>

#include "plugin-interface/picture_plugin.h"

constexpr UINT kFirstPluginCommand = 60000;
// The Process menu's place in the viewer's menu bar.
constexpr int kProcessMenuPosition = 4;

// Loads the plug-ins of directory (ending in a backslash), initialises them
// with codePage and appends their filters to menu's Process popup (when
// menu is not null).  Returns the number of filters.
int LoadPlugins(const std::string& directory, DWORD codePage, HMENU menu);
// After a language change: every plug-in freed and initialised again with
// the new code page; the filters are appended to the new menu.
int ReloadPlugins(DWORD codePage, HMENU menu);
// At exit: FreePicturePlugins and FreeLibrary for each plug-in.
void UnloadPlugins();

int PluginFilterCount();
const PictureFilter* PluginFilterAt(int index);

// A command of the frame: handled (1) when it is one of the filters' IDs
// (the filter runs when there is a current picture), else 0.
int RunPluginCommand(HWND frame, UINT id);
