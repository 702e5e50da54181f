// Register Type (32877), from the viewer frame and the browser: the dialog
// registers the types to this program file, and a changed colour repaints
// the browser's list, whose rows take their brushes from the type table.
#include "feature_commands.h"
#include "program.h"
#include "register_type_dialog.h"

void RegisterTypeCommand(HWND frame, UINT) {
    char programPath[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, programPath, sizeof programPath);
    if (length == 0 || length >= sizeof programPath) return;
    HWND browser = Program().browser;
    HWND owner = browser && IsWindowVisible(browser) ? browser : frame;
    RegisterTypeResult result;
    if (!ShowRegisterTypeDialog(owner, programPath, &result)) return;
    if (browser) RedrawWindow(browser, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}
