// Driving Tavirsel.exe from a test process: starting it, finding its windows,
// reading its status bar, waiting for it to end.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

std::string TestsFolder();
std::string Program();
std::string Sample(const char* name);
std::string IniPath();

// A running Tavirsel, ended at the latest when the test ends.
class Running {
public:
    explicit Running(const std::string& arguments, const std::string& folder = TestsFolder());
    ~Running();
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;
    bool Started() const { return started_; }
    DWORD ProcessId() const { return info_.dwProcessId; }
    // The process's top-level window of a class, waiting up to ms for it.
    HWND Window(const char* className, DWORD ms = 20000) const;
    // Exit code, or -1 when the process has not ended within ms.
    long Wait(DWORD ms) const;
    // Milliseconds from the process's creation to its end; -1 while it runs.
    long LifetimeMs() const;

private:
    PROCESS_INFORMATION info_ = {};
    bool started_ = false;
};

// An item's text in another process's list view (read through that
// process's memory, as for the status bar).
std::string RemoteListText(HWND list, int index);

// Text of status bar part 0 of a window (its status bar is child 116).
std::string StatusText(HWND window);
// Text of any part of a window's status bar (read through the program's own
// memory: SB_GETTEXT is not carried across processes).
std::string StatusPart(HWND window, int part);
// Waits until part 0 of the window's status bar starts with prefix.
std::string WaitForStatus(HWND window, const std::string& prefix, DWORD ms = 20000);

// What the screen shows in r, as bottom-up 24-bit rows (4-byte aligned).
std::vector<BYTE> CaptureScreen(const RECT& r);

// Saves what the screen shows of a window as a 24-bit BMP in build/screenshots.
void SaveScreenshot(HWND window, const std::string& name);
