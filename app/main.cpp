// Tavirsel: the picture viewer and browser.
#include <windows.h>

#include "startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return RunProgram(instance, ArgumentsOf(GetCommandLineA()));
}
