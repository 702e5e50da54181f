// The host's services table handed to every filter plug-in: the picture
// document's DIB and picture operations, the dialog helpers and the busy
// and progress display, each as a __stdcall function of 32-bit values.
#pragma once

#include "plugin-interface/picture_plugin.h"

// The one table (static, valid for the program's run).
const PictureHostServices* PluginServices();

// Where BeginBusy/ShowProgress/EndBusy write: the viewer's and the
// browser's status bars (either may be null).
void SetPluginStatusBars(HWND viewerBar, HWND browserBar);
