// The part the mapping filter plug-ins (Swirl, Implode, Wave Picture) share
// around their dialogs: the two exports' bookkeeping (host table, code page,
// the one descriptor, the open dialog's preview) and the run protocol (the
// ANSI dialog for the code page, the filter over the working copy, the result
// handed to the host).  Each plug-in supplies a MappingPluginParts with its
// names, its dialog routine and its full run.
#pragma once

#include <windows.h>

#include "picture_plugin.h"
#include "preview_pane.h"

struct MappingPluginParts {
    const char* englishName;
    const char* chineseName;  // in code page 936
    // The dialog; WM_INITDIALOG brings the picture as its lParam.
    DLGPROC dialog;
    // The full run with the values the dialog accepted.  Null when refused.
    PluginPicture* (*apply)(const PictureHostServices* host, const PluginPicture* picture);
};

// InitPicturePlugins: keeps the table and the code page, and returns the
// one descriptor named for the code page (null without a table or without
// SSE2).
PictureFilter* StartMappingPlugin(const MappingPluginParts* parts, DWORD codePage, const PictureHostServices* host);
// FreePicturePlugins: frees the preview and forgets the table; the
// descriptor is invalid after.
void StopMappingPlugin();

// The host table kept by StartMappingPlugin, and the open dialog's preview.
const PictureHostServices* MappingHost();
PreviewPane* MappingPreview();
