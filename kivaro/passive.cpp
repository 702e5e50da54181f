// The passive mode of the extension: set in the viewer's own process, where
// the extension must not start the viewer or read the cache on its behalf.
#include "kivaro.h"
#include "passive.h"

namespace {
volatile LONG g_passive = 0;
}

extern "C" void WINAPI EnterPassiveMode(void) { InterlockedExchange(&g_passive, 1); }

bool IsPassive() { return g_passive != 0; }
