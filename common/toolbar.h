// Toolbars built from a toolbar resource (button commands in order, 0 for a
// separator), a bitmap of 16 x 16 images and one string of button texts
// separated by "@".
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

struct ToolbarLayout {
    int imageWidth = 16;
    int imageHeight = 16;
    int imageCount = 0;             // images the bitmap must hold
    std::vector<TBBUTTON> buttons;  // iString is the index of the button's text
};

// Reads a toolbar resource.  A command that repeats the one before it adds no
// button and only uses up one image.  Each button takes the next text in
// order; separators take none.
bool ReadToolbarResource(HINSTANCE module, UINT id, ToolbarLayout* layout);
// The same from the resource's bytes; false for a torn resource.
bool ParseToolbarResource(const BYTE* data, DWORD size, ToolbarLayout* layout);

// "a@b@c" -> {"a", "b", "c"}; a trailing "@" adds nothing.
std::vector<std::string> SplitTexts(const std::string& joined);

struct ToolbarSpec {
    UINT resourceId;   // toolbar resource (and its bitmap, same number unless bitmapId is set)
    UINT bitmapId;
    UINT textsId;      // string of "@"-separated button texts
    UINT controlId;
    DWORD extraStyle;  // added to WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS
};

// Creates the toolbar from the resource module's resources.  Null on failure.
HWND CreateResourceToolbar(HWND parent, const ToolbarSpec& spec);

// Answers TTN_NEEDTEXTA: the resource module's string whose number is the
// button's command ID (at most 63 characters).  True when it was a tooltip
// request.
bool AnswerToolbarTooltip(const NMHDR* header);

// The button's index for a command, or -1.
int ToolbarButtonIndex(HWND toolbar, UINT command);
