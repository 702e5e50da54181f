#include "test_windows.h"

#include <commctrl.h>

#include "browser_window.h"
#include "document_link.h"
#include "frame_window.h"
#include "icons.h"
#include "message_loop.h"
#include "program.h"
#include "shell_test_files.h"

void CreateProgramWindows(const std::string& programDirectory) {
    ProgramState& shell = Program();
    SetUpProgramState();
    if (!programDirectory.empty()) shell.programDirectory = programDirectory;
    LoadShellIcons();
    InitCommonControls();
    RegisterFrameClass();
    CreateFrameWindow();
    CreateBrowserWindow(shell.mainModule, SW_HIDE);
    ConnectDocumentToFrame(shell.frame);
}

void DestroyProgramWindows() {
    ProgramState& shell = Program();
    if (shell.frame) DestroyWindow(shell.frame);
    if (shell.browser) DestroyWindow(shell.browser);
    PumpFor(0);
    FreeShellIcons();
}

bool PumpUntil(const std::function<bool()>& done, DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message != WM_QUIT) DispatchLoopMessage(&msg, nullptr);
            if (done && done()) return true;
        }
        if (done && done()) return true;
        if (GetTickCount() - start >= ms) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void PumpFor(DWORD ms) { PumpUntil(nullptr, ms); }

DialogAnswerer* DialogAnswerer::current_ = nullptr;

DialogAnswerer::DialogAnswerer(const std::string& title, UINT button) : title_(title), button_(button) {
    current_ = this;
    timer_ = SetTimer(nullptr, 0, 50, Tick);
}

DialogAnswerer::~DialogAnswerer() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
}

namespace {

BOOL CALLBACK CollectDialog(HWND window, LPARAM list) {
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpA(name, "#32770") == 0 && IsWindowVisible(window))
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

BOOL CALLBACK CollectText(HWND child, LPARAM text) {
    char name[32] = {};
    GetClassNameA(child, name, sizeof name);
    auto* all = reinterpret_cast<std::string*>(text);
    if (lstrcmpiA(name, "Static") == 0) {
        char buffer[2048] = {};
        GetWindowTextA(child, buffer, sizeof buffer);
        if (buffer[0]) *all += std::string(all->empty() ? "" : "|") + buffer;
    } else if (lstrcmpiA(name, "ListBox") == 0) {
        const int count = static_cast<int>(SendMessageA(child, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            char buffer[256] = {};
            SendMessageA(child, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buffer));
            *all += std::string(all->empty() ? "" : "|") + buffer;
        }
    }
    return TRUE;
}

}  // namespace

std::string DialogTexts(HWND dialog) {
    std::string text;
    EnumChildWindows(dialog, CollectText, reinterpret_cast<LPARAM>(&text));
    return text;
}

void CALLBACK DialogAnswerer::Tick(HWND, UINT, UINT_PTR, DWORD) {
    DialogAnswerer* self = current_;
    if (!self) return;
    std::vector<HWND> dialogs;
    EnumThreadWindows(GetCurrentThreadId(), CollectDialog, reinterpret_cast<LPARAM>(&dialogs));
    for (HWND dialog : dialogs) {
        char caption[256] = {};
        GetWindowTextA(dialog, caption, sizeof caption);
        if (!self->title_.empty() && self->title_ != caption) continue;
        // Answered once: the close may take a moment.
        if (GetPropA(dialog, "OmmavuAnswered")) continue;
        SetPropA(dialog, "OmmavuAnswered", reinterpret_cast<HANDLE>(1));
        self->seen.push_back(std::string(caption) + ": " + DialogTexts(dialog));
        if (self->before) self->before(dialog);
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(self->button_, BN_CLICKED), 0);
    }
}

void DialogAnswerer::AnswerAgain(HWND dialog) { RemovePropA(dialog, "OmmavuAnswered"); }

std::string FileText(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got) text.append(buffer, got);
    CloseHandle(file);
    return text;
}

void PutFileText(const std::string& path, const std::string& bytes) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

std::string FreshFolder(const std::string& name) {
    char base[MAX_PATH];
    GetTempPathA(sizeof base, base);
    std::string folder = std::string(base) + name + "\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            const std::string path = folder + found.cFileName;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    return folder;
}
