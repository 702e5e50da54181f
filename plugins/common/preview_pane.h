// The live preview of a mapping filter's dialog: a scaled copy of the
// picture fitted to the preview control, the last result painted unscaled
// in the control's middle with the rest of the control erased, all through
// the host's services.
#pragma once

#include <windows.h>

#include "picture_plugin.h"

struct PreviewPane {
    PluginDib* source = nullptr;  // the working copy scaled to fit (slot 7)
    PluginDib* shown = nullptr;   // the last result painted
    RECT used = {0, 0, 0, 0};     // where it was painted in the control
};

// Fits the picture into the control with slot 24 as if it were
// heightFactor times as high, takes that fitted height divided by
// heightFactor (at least 4 by 4) and scales the working copy to it.
bool PreparePreview(const PictureHostServices* host, HWND control, const PluginDib* working, int heightFactor,
                    PreviewPane* pane);
// Replaces the shown result with fresh (kept when fresh is null) and paints.
void ShowPreview(const PictureHostServices* host, HWND control, PreviewPane* pane, PluginDib* fresh);
// Paints the last result again (slots 22 and 23).
void PaintPreview(const PictureHostServices* host, HWND control, PreviewPane* pane);
// Frees the source and the last result.
void ReleasePreview(const PictureHostServices* host, PreviewPane* pane);

// The menu text for the code page: the Chinese one for 936, else English.
inline const char* NameForCodePage(DWORD codePage, const char* english, const char* chinese) {
    return codePage == PICTURE_PLUGIN_CHINESE_CODE_PAGE ? chinese : english;
}
inline int DialogForCodePage(DWORD codePage) {
    return codePage == PICTURE_PLUGIN_CHINESE_CODE_PAGE ? PICTURE_PLUGIN_DIALOG_CHINESE : PICTURE_PLUGIN_DIALOG_ENGLISH;
}
