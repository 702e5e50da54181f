// The "Register Picture Type" dialog: one row per picture type with a tick
// for "opened by this program", the type's icon and label colour, and the
// Auto Decode Pic To Icon switch for the shell icon extension.  OK writes the
// registry (HKEY_CLASSES_ROOT, and the approved list under
// HKEY_LOCAL_MACHINE), "PicToIcon" and the type colours; Cancel writes
// nothing, but colours changed with "Change" stay in the type table for this
// run.  User-interface thread only; the picture type table must be built.
#pragma once

#include <windows.h>

#include <string>

// What OK did, for the caller to refresh what shows it.
struct RegisterTypeResult {
    bool colorsChanged = false;     // a type's colour differs from when the dialog opened
    int registered = 0;             // types registered
    int unregistered = 0;           // types given back
    std::string failedTypes;        // tags whose keys could not all be written, ", " between
};

// Modal on owner; `programPath` is the program the types are registered to
// (the running Tavirsel.exe).  True after OK.  Registry failures are reported
// once, in one message box naming the types.
bool ShowRegisterTypeDialog(HWND owner, const char* programPath, RegisterTypeResult* result = nullptr);

// The colour chooser the "Change" button opens; tests answer it instead.
// Null restores the system's colour dialog.
using TypeColorAsker = bool (*)(HWND owner, COLORREF* color);  // false: cancelled
void SetTypeColorAsker(TypeColorAsker asker);

// The icon index written into a registered type's defaultIcon: the module's
// icon among the program's icon groups, moved to the alternative set
// ("INSTALL"/"OEM" set) only when the program carries that set.
int RegisteredTypeIconIndex(HMODULE program, const char* module);

// The type's icon from the program (32 x 32), by the same rule; the caller
// destroys it.
HICON LoadTypeIcon(HMODULE program, const char* module);
