// Menus drawn by the program: when the menu-icons flag is set, every item of
// the popups of a window's menu is owner-drawn with the system menu font, a
// 16 x 16 image from image strip IDB_MENU_IMAGES and, beside each popup, an
// upright band with the caption text of IDS_MENU_BAND.
//
// One painter serves both windows.  Create it after the menus are built,
// re-create it after a language change (after the menus were reloaded) and
// destroy it at shutdown:
//
//   CreateMenuPainter();
//   PaintMenuBar(GetMenu(frame));
//   PaintMenuBar(GetMenu(browser));
//
// and in each window procedure, before the window's own handling:
//
//   LRESULT answer;
//   if (HandleMenuPainterMessage(window, message, wParam, lParam, &answer) &&
//       message != WM_INITMENUPOPUP && message != WM_UNINITMENUPOPUP)
//       return answer;
//
// A window that fills a popup itself on WM_INITMENUPOPUP should pass the
// message to the painter after filling it; the painter then takes on the new
// items before the popup is measured.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

// Loads the fonts and images and reads the band text.  Does nothing (and the
// other functions do nothing) when the menu-icons flag is off.  Calling it
// again first destroys the painter that exists.
void CreateMenuPainter();

// Gives every painted item back to the system (a plain text item again) and
// frees the fonts, images and item records.
void DestroyMenuPainter();

bool MenuPainterActive();

// Makes every item of every popup of `menu` (recursively) owner-drawn and
// painted by the program; the items of `menu` itself stay as they are, so a
// menu bar keeps its system-drawn titles and a context menu (a bar of popups)
// works the same way.  Call it again after items were added or replaced; the
// records of items that have gone are freed then.
void PaintMenuBar(HMENU menu);

// WM_MEASUREITEM and WM_DRAWITEM for painted menu items, WM_MENUCHAR for
// their mnemonics, WM_INITMENUPOPUP and WM_UNINITMENUPOPUP for popups of a
// painted menu.  Returns true when it took part; *result is then the answer
// for the first three.  The two popup messages still belong to the window's
// default handling afterwards.
bool HandleMenuPainterMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

// An item's text with its "&" and "\t" parts, painted or not ("" for a
// separator or an item that is not there).
// For a window procedure: true when the painter has answered the message
// (measuring, drawing, mnemonics) and the procedure returns *result; popup
// openings and closings pass on to the default handling as well.
inline bool MenuPainterAnswers(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    return HandleMenuPainterMessage(window, message, wParam, lParam, result) && message != WM_INITMENUPOPUP &&
           message != WM_UNINITMENUPOPUP;
}

std::string MenuItemText(HMENU menu, UINT item, bool byPosition);

// The text of the band beside the popups; empty when the band is off.
std::string MenuBandText();

// The band text for a resource string and the OEM values: "#" before the text
// shows the band, "@" leaves it out; an OEM build shows its own name.
std::string ChooseMenuBandText(const std::string& resourceText, bool oem, const std::string& oemName,
                               const std::string& extName);

// The width of the band at the left of every painted item; 0 when it is off.
int MenuBandWidth();

// The image of a command in strip IDB_MENU_IMAGES, -1 for none.
int MenuImageIndex(UINT command);

// How many item records the painter holds (for the tests).
size_t MenuPainterRecordCount();
