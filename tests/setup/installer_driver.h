// Driving setup.exe and REMOVE32.EXE from a test process the way a user
// does: starting them, finding their dialogs and message boxes, typing and
// clicking, and comparing what ends up on disk.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The build tree and its deliverables (set by fresh-prefix.sh).
std::string BuildFolder();
std::string BinFolder();
std::string SourceFolder();
std::string WindowsFolder();
std::string SettingsPath();

// A started program, ended at the latest when the test ends.
class Process {
public:
    explicit Process(const std::string& commandLine, const std::string& folder = "");
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    bool Started() const { return started_; }
    DWORD Id() const { return info_.dwProcessId; }
    // Exit code, or -1 when the process has not ended within ms.
    long Wait(DWORD ms) const;

private:
    PROCESS_INFORMATION info_ = {};
    bool started_ = false;
};

// A dialog box (message boxes included) of process `pid` that holds a
// control with the ID `marker` (0: any) and, when `caption` is given, has
// that caption.  Null when none shows within ms.
HWND WaitForDialog(DWORD pid, int marker, const char* caption = nullptr, DWORD ms = 20000);
// The same, but waits until no such dialog is left (true) or ms pass.
bool WaitUntilGone(HWND dialog, DWORD ms = 10000);

std::string ControlText(HWND dialog, int id);
// A message box's text.
std::string BoxText(HWND box);
void Press(HWND dialog, int id);
void Type(HWND dialog, int id, const std::string& text);

bool Exists(const std::string& path);
std::string ReadBytes(const std::string& path);
bool WriteBytes(const std::string& path, const std::string& bytes);
// Deletes a folder with everything below it (test cleanup only).
void DeleteTree(const std::string& folder);
// Where a shell link points, "" when it cannot be read.
std::string LinkTarget(const std::string& link);
std::string LongPath(const std::string& path);
