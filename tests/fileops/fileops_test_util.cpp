#include "fileops_test_util.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "file_operations.h"
#include "shell_test_files.h"

namespace {

BOOL CALLBACK CollectTexts(HWND child, LPARAM list) {
    char text[512] = "";
    GetWindowTextA(child, text, sizeof text);
    if (text[0]) reinterpret_cast<std::string*>(list)->append(text).append(" | ");
    return TRUE;
}

struct Search {
    DWORD process;
    HWND found;
};

BOOL CALLBACK FindQuestion(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char cls[32] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (process == search->process && lstrcmpA(cls, "#32770") == 0 && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

std::string ScratchFolder(const std::string& name) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string folder = std::string(temp) + name;
    RemoveTree(folder);
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

void WriteFileText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

std::string ReadFileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "<missing>";
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::string> NamesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

std::string RunPeer(const std::string& arguments) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (!CreatePipe(&read, &write, &inherit, 0)) return "<no pipe>";
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA start = {};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdOutput = write;
    start.hStdError = write;
    PROCESS_INFORMATION process = {};
    std::string command = "\"" + Beside("clipboard_peer.exe") + "\" " + arguments;
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &start, &process)) {
        CloseHandle(read);
        CloseHandle(write);
        return "<not started>";
    }
    CloseHandle(write);
    std::string output;
    char buffer[512];
    DWORD got = 0;
    while (ReadFile(read, buffer, sizeof buffer, &got, nullptr) && got) output.append(buffer, got);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    CloseHandle(read);
    output.erase(std::remove(output.begin(), output.end(), '\r'), output.end());
    return output;
}

ShellAnswerer::ShellAnswerer(int answer) : answer_(answer) {
    InitializeCriticalSection(&lock_);
    thread_ = std::thread([this] { Watch(); });
}

ShellAnswerer::~ShellAnswerer() {
    stop_ = true;
    thread_.join();
    DeleteCriticalSection(&lock_);
}

std::vector<std::string> ShellAnswerer::Texts() {
    EnterCriticalSection(&lock_);
    std::vector<std::string> copy = texts_;
    LeaveCriticalSection(&lock_);
    return copy;
}

void ShellAnswerer::Watch() {
    HWND answered = nullptr;
    while (!stop_) {
        Search search = {GetCurrentProcessId(), nullptr};
        EnumWindows(FindQuestion, reinterpret_cast<LPARAM>(&search));
        if (search.found && search.found != answered) {
            std::string text;
            char title[256] = "";
            GetWindowTextA(search.found, title, sizeof title);
            text = std::string(title) + ": ";
            EnumChildWindows(search.found, CollectTexts, reinterpret_cast<LPARAM>(&text));
            EnterCriticalSection(&lock_);
            texts_.push_back(text);
            LeaveCriticalSection(&lock_);
            ++questions_;
            answered = search.found;
            PostMessageA(search.found, WM_COMMAND, MAKEWPARAM(answer_, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(search.found, answer_)));
        } else if (!search.found) {
            answered = nullptr;
        }
        Sleep(30);
    }
}

ShiftHeld::ShiftHeld() {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = keys[VK_LSHIFT] = 0x80;
    SetKeyboardState(keys);
}

ShiftHeld::~ShiftHeld() {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = keys[VK_LSHIFT] = 0;
    SetKeyboardState(keys);
}
