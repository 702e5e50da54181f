// What the benchmarks share: a high-resolution clock, the photo-like test
// picture and the --runs option.
#pragma once

#include <windows.h>

// Seconds from the performance counter.
double BenchSeconds();
// Milliseconds from the performance counter.
double BenchNow();

// Fills width x height 32-bit pixels (rows packed) with a photo-like
// picture: smooth gradients with noise on top, so neither the branch
// predictor nor the carries see one repeated pattern.  The same picture
// every time.
void FillPhotoLike(DWORD* pixels, LONG width, LONG height);

// The N of "--runs N" among the arguments (at least 1), else runs.
int RunsFromArguments(int argc, char** argv, int runs);

// The window of this thread that holds a control of the given ID (a dialog
// the benchmark opened), or null.
HWND ThreadWindowWithControl(int controlId);
