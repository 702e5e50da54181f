#include "window_menu.h"

#include "commands.h"
#include "program.h"

HMENU LoadWindowMenu(int id) {
    const ProgramState& shell = Program();
    HMENU menu = LoadMenuA(shell.resourceModule, MAKEINTRESOURCEA(id));
    if (!menu) return nullptr;
    if (!shell.system.windows9x) {
        for (UINT item = IDC_SET_STARTUP_LOGO; item <= IDC_RESTORE_SHUTDOWN_PICTURE; ++item)
            DeleteMenu(menu, item, MF_BYCOMMAND);
    }
    if (!shell.screenSaverPresent) DeleteMenu(menu, IDC_SET_SCREEN_SAVER, MF_BYCOMMAND);
    return menu;
}

void ReplaceWindowMenu(HWND window, HMENU menu) {
    HMENU old = GetMenu(window);
    SetMenu(window, menu);
    if (old && old != menu) DestroyMenu(old);
    DrawMenuBar(window);
}
