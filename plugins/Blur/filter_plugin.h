// The part every one of these filter plug-ins shares: the two exports'
// bookkeeping (host table, code page, the one descriptor), the run protocol
// (modal dialog with preview, the filter over the working copy, the result
// handed to the host) and the dialog routine with its live preview.  Each
// plug-in supplies a FilterPluginParts with its names, its dialogs, its
// control handling and its filter.
#pragma once

#include <windows.h>

#include "picture_plugin.h"

// Controls all the filter dialogs share.
constexpr int kPreviewControl = 1000;

struct FilterPluginParts {
    const char* englishName;
    const char* chineseName;  // in code page 936
    int englishDialog;        // shown for every code page but 936
    // WM_INITDIALOG: the controls set to the values every dialog starts with.
    void (*start)(HWND dialog, bool chinese);
    // A trackbar moved (WM_HSCROLL) or a command came: true when the shown
    // value changed and the preview has to follow.
    bool (*changed)(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    // OK: the parameter read from the controls.
    void (*accept)(HWND dialog);
    // The filter with the current parameter: the preview into a bare block,
    // the real run into a new picture.  Null when refused.
    PluginDib* (*preview)(const PictureHostServices* host, const PluginDib* source);
    PluginPicture* (*apply)(const PictureHostServices* host, const PluginPicture* picture);
};

// InitPicturePlugins: keeps the table and the code page, and returns the
// one descriptor named for the code page (null without a table).
PictureFilter* StartFilterPlugin(const FilterPluginParts* parts, DWORD codePage, const PictureHostServices* host);
// FreePicturePlugins: forgets the table; the descriptor is invalid after.
void StopFilterPlugin();
