// What the in-process benchmarks share: the program's shell set up in the
// benchmark process (state, image library, display, frame and browser), and
// the clock of bench_support.h.
#pragma once

#include <windows.h>

#include "bench_support.h"

// Sets the shell up from the program folder beside the tools folder and
// creates the viewer frame and the browser window (shown as asked).  False
// when the image library or a window cannot be made.
bool SetUpBenchShell(HINSTANCE instance, int browserShow);
