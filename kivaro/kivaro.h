// Kivaro.dll, the shell extension that shows pictures as their own icons.
// The viewer links it only for export ordinal 3, which it calls once at
// start so that the copy of the extension loaded into the viewer's own
// process stays passive.
#pragma once

#include <windows.h>

enum { kKivaroOrdinalEnterPassiveMode = 3 };

extern "C" void WINAPI EnterPassiveMode(void);
