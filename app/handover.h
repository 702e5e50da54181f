// Single-instance hand-over.  With "/SHARE" the first instance creates the
// event "TAVIRSEL" and carries on; a later one waits for that event (at most
// 30 s), sends each of its files to the first instance's viewer frame (class
// "Ommavu[SHARE]") with WM_COPYDATA, and ends.
#pragma once

#include <windows.h>

#include <string>

#include "command_line.h"

constexpr char kProductName[] = "Ommavu";
constexpr char kHandOverEvent[] = "TAVIRSEL";
constexpr DWORD kHandOverWait = 30000;
constexpr size_t kMaxPathChars = 259;

// The viewer frame's class name and caption: the product name, followed by
// "[SHARE]" in shared mode.
std::string FrameClassName(bool shared);

enum class HandOverResult {
    NotShared,      // no "/SHARE": an ordinary instance
    FirstInstance,  // this instance created the event and carries on
    HandedOver,     // another instance has the files now (or no window was found); end with 0
};

// Runs the hand-over for a parsed command line.  For FirstInstance the event
// handle is stored in *event (signal it when a handed-over list is done and
// at shutdown, close it at shutdown).
HandOverResult RunHandOver(const CommandLine& line, HANDLE* event, DWORD wait = kHandOverWait);

// Sends one path to a window as WM_COPYDATA (dwData 0, the path with its
// terminating zero).
void SendPath(HWND window, const std::string& path);

// The path a WM_COPYDATA carries, or "" when the data is not a
// zero-terminated path of at most 259 characters.
std::string PathFromCopyData(const COPYDATASTRUCT* data);
