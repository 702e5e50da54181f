// REMOVE16.EXE: the uninstaller's companion.  Its one argument is the
// uninstaller's file, "@", and the topmost folder setup made for the
// installation.  It waits until the uninstaller has ended, deletes that
// file and its own, then removes the uninstaller's folder and its parents
// up to the named folder, each only when empty; what Windows will not let
// go now is handed over for deletion at the next restart, and so are the
// folders that this leaves holding nothing else.
//
// A running program's file cannot be deleted, and it would keep the folder
// it lies in.  So a companion started from inside that folder first waits
// for the uninstaller, then starts a copy of itself from the temporary
// folder and ends; the copy does the work and leaves its own file to be
// deleted at the next restart.
//
// It acts only on an argument that names REMOVE32.EXE and a folder that
// could hold an installation (not a root, not the Windows folder).

#include "install_rules.h"
#include "removal.h"

#include <windows.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

namespace {

constexpr DWORD kWaitForUninstaller = 30000;
constexpr DWORD kRetryPeriod = 100;

// The process that started this one (the uninstaller), waited for so that
// its file and folder are free.
void WaitForParent() {
    const DWORD self = GetCurrentProcessId();
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    DWORD parent = 0;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (entry.th32ProcessID == self) parent = entry.th32ParentProcessID;
    CloseHandle(snapshot);
    if (parent == 0) return;
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, parent);
    if (!process) return;
    WaitForSingleObject(process, kWaitForUninstaller);
    CloseHandle(process);
}

std::string FileNameOf(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }

void DeleteNowOrAtRestart(const std::string& path, bool folder) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    const bool gone = folder ? RemoveDirectoryA(path.c_str()) : DeleteFileA(path.c_str());
    if (!gone && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
        MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

// Starts a copy of this program from the temporary folder with the same
// argument; true when it runs.
bool StartCopyOutside(const char* self, const char* argument) {
    char temp[MAX_PATH] = "", copy[MAX_PATH] = "";
    if (!GetTempPathA(sizeof temp, temp) || !GetTempFileNameA(temp, "RMV", 0, copy)) return false;
    std::string exe = copy;
    exe = exe.substr(0, exe.find_last_of('.')) + ".EXE";
    DeleteFileA(copy);
    if (!CopyFileA(self, exe.c_str(), FALSE)) return false;
    std::string line = "\"" + exe + "\" " + argument;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    char windows[MAX_PATH] = "";
    GetWindowsDirectoryA(windows, sizeof windows);
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, windows, &startup, &process)) {
        DeleteFileA(exe.c_str());
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    std::string program, folder;
    if (!install::SplitCompanionArgument(commandLine, &program, &folder)) return 2;
    char windows[MAX_PATH] = "";
    GetWindowsDirectoryA(windows, sizeof windows);
    if (lstrcmpiA(FileNameOf(program).c_str(), "REMOVE32.EXE") != 0 ||
        install::CheckDestination(folder, windows) != install::Destination::kAccepted)
        return 2;
    SetCurrentDirectoryA(windows);

    WaitForParent();
    const std::string top = install::NormalizePath(folder);
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, sizeof self);
    const bool inside = install::IsInside(install::NormalizePath(self), top);
    if (inside && StartCopyOutside(self, commandLine)) return 0;

    // The file may stay locked a moment after its process has ended.
    const DWORD start = GetTickCount();
    while (!DeleteFileA(program.c_str()) && GetFileAttributesA(program.c_str()) != INVALID_FILE_ATTRIBUTES &&
           GetTickCount() - start < kWaitForUninstaller)
        Sleep(kRetryPeriod);
    if (GetFileAttributesA(program.c_str()) != INVALID_FILE_ATTRIBUTES) DeleteNowOrAtRestart(program, false);

    if (inside) {
        DeleteNowOrAtRestart(self, false);
    } else {
        // The copy in the temporary folder: deleted at the next restart.
        MoveFileExA(self, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        const std::string inFolder = top + "\\REMOVE16.EXE";
        DeleteFileA(inFolder.c_str());
        const std::string inInstall = install::NormalizePath(program.substr(0, program.find_last_of('\\'))) +
                                      "\\REMOVE16.EXE";
        DeleteFileA(inInstall.c_str());
    }
    // The installation folder (where the uninstaller lay) goes when empty,
    // and above it only the chain of parents up to the named folder, each
    // only when empty: no folder of anyone else, empty or not, is touched.
    std::string current = install::NormalizePath(program.substr(0, program.find_last_of('\\')));
    if (!install::IsSameOrInside(current, top)) current = top;
    if (!RemoveDirectoryA(current.c_str()) && GetFileAttributesA(current.c_str()) != INVALID_FILE_ATTRIBUTES) {
        // Files still in use were handed to Windows to delete at the
        // restart: the folders they empty then go after them.
        std::vector<std::string> atRestart = install::PendingDeletions();
        if (!install::ScheduleIfEmptiedAtRestart(current, &atRestart)) return 0;
        while (install::IsInside(current, top)) {
            current = current.substr(0, current.find_last_of('\\'));
            if (!install::ScheduleIfEmptiedAtRestart(current, &atRestart)) break;
        }
        return 0;
    }
    while (install::IsInside(current, top)) {
        current = current.substr(0, current.find_last_of('\\'));
        if (!RemoveDirectoryA(current.c_str())) break;
    }
    return 0;
}
