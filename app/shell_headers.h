// The shell's headers for every file of the program.  <shlobj.h> declares a
// COM class named Shell, which would hide the program's Shell() accessor
// (app/shell.h); it is renamed while the header is read.
#pragma once

#include <windows.h>

#define Shell ShellCoClass
#include <shlobj.h>
#undef Shell
