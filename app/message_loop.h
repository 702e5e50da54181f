// The process's one message loop.  While the acquire source is open its
// module sees every message first; otherwise accelerator table 112 is tried
// on the message's own window before the usual translation and dispatch.
#pragma once

#include <windows.h>

// The acquire module's filter: returns 1 when the message was its own.  Set
// while its source is open, null otherwise.
using AcquireMessageFilter = int (*)(MSG* message);
void SetAcquireMessageFilter(AcquireMessageFilter filter);

// Runs until WM_QUIT; returns the quit message's wParam.
int RunMessageLoop(HACCEL accelerators);

// One message of the loop: the acquire filter, the accelerators, then the
// usual translation and dispatch.
void DispatchLoopMessage(MSG* message, HACCEL accelerators);
