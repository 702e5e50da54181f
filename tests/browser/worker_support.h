// What the worker tests share, defined in worker_test.cpp: a window that
// records what the worker posts, a pump, scratch folders and the requests.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace worker_support {
HWND CreateSinkWindow(DWORD style);
void PumpFor(DWORD ms);
void ForgetPosted();
int CountPosted(HWND window, UINT message);
bool WaitForPosted(HWND window, UINT message, DWORD timeout, DWORD* tick = nullptr);
std::vector<LPARAM> PostedParams(HWND window, UINT message);
std::vector<WPARAM> PostedWParams(HWND window, UINT message);
std::vector<std::string> DecodeFaultPaths();
std::string ScratchFolder(const char* name);
void RemoveTree(const std::string& path);
void RequestPath(const std::string& path);
std::vector<std::string> ModelNames();
// The test program's folder, ending in a backslash.
std::string ExeDirectory();
}  // namespace worker_support
