// The program's life: start-up in its fixed order, the message loop and the
// shutdown in its fixed order.
#pragma once

#include <windows.h>

#include <string>

// Runs the program for the command line (the part after the program name)
// and returns the process exit code.
int RunProgram(HINSTANCE instance, const std::string& arguments);

// The command line after the program's own name.
std::string ArgumentsOf(const char* commandLine);
