// What the file operation tests share: a scratch folder of real files, file
// contents and checksums, a second program on the clipboard, and a helper
// that answers the shell's questions the way a user would.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

// A fresh, empty folder under the Windows temp folder (removed first if it
// is there); its path without a trailing backslash.
std::string ScratchFolder(const std::string& name);
void WriteFileText(const std::string& path, const std::string& text);
std::string ReadFileText(const std::string& path);   // "<missing>" when it cannot be read
bool Exists(const std::string& path);
// The sorted names in a folder, "." and ".." left out.
std::vector<std::string> NamesIn(const std::string& folder);

// Runs a program of the test folder with arguments and returns its output.
std::string RunPeer(const std::string& arguments);

// Answers every question window (dialog class "#32770") the shell opens in
// this process with the button `answer` (IDYES, IDNO, IDCANCEL, ...) while it
// lives, and records each question's texts.
class ShellAnswerer {
public:
    explicit ShellAnswerer(int answer);
    ~ShellAnswerer();
    ShellAnswerer(const ShellAnswerer&) = delete;
    ShellAnswerer& operator=(const ShellAnswerer&) = delete;
    int Questions() const { return questions_; }
    std::vector<std::string> Texts();

private:
    void Watch();
    int answer_;
    std::atomic<bool> stop_{false};
    std::atomic<int> questions_{0};
    std::vector<std::string> texts_;
    CRITICAL_SECTION lock_;
    std::thread thread_;
};

// Holds the Shift key down (in the thread's keyboard state) for its life.
class ShiftHeld {
public:
    ShiftHeld();
    ~ShiftHeld();
    ShiftHeld(const ShiftHeld&) = delete;
    ShiftHeld& operator=(const ShiftHeld&) = delete;
};
