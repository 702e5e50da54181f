#include "installer_driver.h"

#include <objidl.h>
#include <shlobj.h>

#include <cstdlib>

namespace {

std::string FromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

struct Search {
    DWORD pid;
    int marker;
    const char* caption;
    HWND found;
    static BOOL CALLBACK Visit(HWND window, LPARAM lp) {
        auto* s = reinterpret_cast<Search*>(lp);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != s->pid || !IsWindowVisible(window)) return TRUE;
        char name[64] = "";
        GetClassNameA(window, name, sizeof name);
        if (lstrcmpA(name, "#32770") != 0) return TRUE;
        if (s->marker && !GetDlgItem(window, s->marker)) return TRUE;
        if (s->caption) {
            char text[256] = "";
            GetWindowTextA(window, text, sizeof text);
            if (lstrcmpA(text, s->caption) != 0) return TRUE;
        }
        s->found = window;
        return FALSE;
    }
};

}  // namespace

std::string BuildFolder() {
    std::string folder = FromEnvironment("OMMAVU_SETUP_BUILD");
    if (folder.empty()) {
        char path[MAX_PATH];
        GetModuleFileNameA(nullptr, path, sizeof path);
        folder = path;
        folder = folder.substr(0, folder.find_last_of('\\')) + "\\..";
    }
    return folder + "\\";
}

std::string BinFolder() { return BuildFolder() + "bin\\"; }

std::string SourceFolder() {
    std::string folder = FromEnvironment("OMMAVU_SETUP_SOURCE");
    return folder.empty() ? BuildFolder() + "..\\" : folder + "\\";
}

std::string WindowsFolder() {
    char dir[MAX_PATH] = "";
    GetWindowsDirectoryA(dir, sizeof dir);
    return dir;
}

std::string SettingsPath() { return WindowsFolder() + "\\Tavirsel.INI"; }

Process::Process(const std::string& commandLine, const std::string& folder) {
    std::string line = commandLine;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    started_ = CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                              folder.empty() ? nullptr : folder.c_str(), &si, &info_) != 0;
}

Process::~Process() {
    if (!started_) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info_.hProcess, 99);
    CloseHandle(info_.hProcess);
    CloseHandle(info_.hThread);
}

long Process::Wait(DWORD ms) const {
    if (!started_ || WaitForSingleObject(info_.hProcess, ms) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return static_cast<long>(code);
}

HWND WaitForDialog(DWORD pid, int marker, const char* caption, DWORD ms) {
    const DWORD start = GetTickCount();
    do {
        Search search{pid, marker, caption, nullptr};
        EnumWindows(Search::Visit, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        Sleep(10);
    } while (GetTickCount() - start < ms);
    return nullptr;
}

bool WaitUntilGone(HWND dialog, DWORD ms) {
    const DWORD start = GetTickCount();
    while (IsWindow(dialog) && IsWindowVisible(dialog)) {
        if (GetTickCount() - start > ms) return false;
        Sleep(10);
    }
    return true;
}

std::string ControlText(HWND dialog, int id) {
    char text[2048] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

std::string BoxText(HWND box) { return ControlText(box, 0xFFFF); }

void Press(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void Type(HWND dialog, int id, const std::string& text) {
    SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ReadBytes(const std::string& path) {
    HANDLE in = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                            nullptr);
    if (in == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes;
    char block[65536];
    DWORD got = 0;
    while (ReadFile(in, block, sizeof block, &got, nullptr) && got > 0) bytes.append(block, got);
    CloseHandle(in);
    return bytes;
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
    HANDLE out = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    CloseHandle(out);
    return ok;
}

void DeleteTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = folder + "\\" + name;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) DeleteTree(path);
            else DeleteFileA(path.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

std::string LinkTarget(const std::string& link) {
    IShellLinkA* shellLink = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&shellLink))))
        return "";
    std::string target;
    IPersistFile* persist = nullptr;
    if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
        WCHAR wide[MAX_PATH] = L"";
        MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide, MAX_PATH);
        char path[MAX_PATH] = "";
        if (SUCCEEDED(persist->Load(wide, STGM_READ)) &&
            SUCCEEDED(shellLink->GetPath(path, sizeof path, nullptr, SLGP_RAWPATH)))
            target = path;
        persist->Release();
    }
    shellLink->Release();
    return target;
}

std::string LongPath(const std::string& path) {
    char full[MAX_PATH] = "";
    const DWORD n = GetLongPathNameA(path.c_str(), full, sizeof full);
    return n == 0 || n >= sizeof full ? path : full;
}
