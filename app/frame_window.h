// The viewer frame: the top-level window (class "Ommavu", "Ommavu[SHARE]" in
// shared mode) with menu 112, the toolbar, the status bar and the picture
// view.  Every WM_COMMAND of the viewer passes FrameCommand.
#pragma once

struct Picture;

#include <windows.h>

#include "effect_host.h"
#include "frame_layout.h"
#include "menu_rules.h"

constexpr UINT kFrameToolbarId = 121;
constexpr UINT kFrameStatusBarId = 116;
constexpr UINT kFrameViewId = 1;

// Registers the frame class (once).  False on failure.
bool RegisterFrameClass();
// Creates the frame at the remembered rectangle, with its menu, toolbar,
// status bar and picture view; not shown.  Null on failure.
HWND CreateFrameWindow();

// The viewer's command handler; the browser passes picture commands here.
// lParam 1 marks a command from the mouse wheel.  A command that works on the
// current picture is refused while the loader still writes into it (the
// status bars say so); while any command runs, its modal dialogs included,
// the sequence show and page play hold still.
LRESULT FrameCommand(HWND frame, UINT id, LPARAM lParam);
// True when FrameCommand has a handler for id that acts (the commands it
// ignores, the unknown ones and those whose features are not built yet do
// nothing: see CommandsAwaitingFeatures).
bool FrameCommandActs(UINT id);

// True for the commands that read or change the current picture itself:
// effects, transforms, filter plug-ins (pluginCount of them), saving,
// printing, the clipboard, the selection and the desktop pictures.
bool CommandWorksOnPicture(UINT id, int pluginCount);

// Opens a picture by name (or, without one, the current file, or a file the
// Open dialog asks for when the open list is empty).  False when the name is
// already the current file or the dialog was cancelled.
bool OpenPictureByName(HWND frame, const char* path);

// Reloads the menu, recreates the toolbar and refreshes the status bar after
// a language change.
void ReloadFrameResources();

// Writes the frame's position and size ("ShowX", "ShowY", "ShowSX", "ShowSY").
void WriteFramePlacement(HWND frame);

HWND FrameToolbar();
HWND FrameStatusBar();
HWND FrameView();

// The frame's parts as the layout sees them.
FrameParts CurrentFrameParts();
// The viewer's state as the enabling rules see it.
ViewerCommandState CurrentCommandState();
// The same with the states only menus show (files and registry values of
// the desktop commands, looked up when a menu opens).
ViewerCommandState MenuCommandState();
// The next layout returns the cursor to this command's toolbar button (the
// sequence show's button when the show was started from it).
void NoteToolbarReturn(UINT command);

// Applies the enabling rules to the toolbar.
void RefreshToolbarStates();

// Shows the current picture after an effect or transform changed it.  A
// replacement (NewPicture, NewSize) becomes the current picture, in place of
// the old one, which is freed once no view shows it; without one the views
// are given the current picture again.
void ShowProcessedPicture(HWND frame, ProcessedChange change, Picture* replacement = nullptr);
