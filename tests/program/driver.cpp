#include "driver.h"

#include <commctrl.h>

#include <cstdio>

namespace {

struct Finder {
    DWORD process;
    const char* className;
    HWND found;
    static BOOL CALLBACK Visit(HWND window, LPARAM lp) {
        auto* f = reinterpret_cast<Finder*>(lp);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        char name[64] = {};
        GetClassNameA(window, name, sizeof name);
        if (owner == f->process && lstrcmpA(name, f->className) == 0) {
            f->found = window;
            return FALSE;
        }
        return TRUE;
    }
};

}  // namespace

std::string TestsFolder() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string dir = path;
    return dir.substr(0, dir.find_last_of('\\') + 1);
}

std::string Program() { return TestsFolder() + "..\\bin\\Tavirsel.exe"; }
std::string Sample(const char* name) { return TestsFolder() + "..\\samples\\" + name; }

std::string IniPath() {
    char dir[MAX_PATH];
    GetWindowsDirectoryA(dir, sizeof dir);
    return std::string(dir) + "\\Tavirsel.INI";
}

Running::Running(const std::string& arguments, const std::string& folder) {
    std::string line = "\"" + Program() + "\" " + arguments;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    started_ = CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si,
                              &info_) != 0;
}

Running::~Running() {
    if (!started_) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info_.hProcess, 99);
    CloseHandle(info_.hProcess);
    CloseHandle(info_.hThread);
}

HWND Running::Window(const char* className, DWORD ms) const {
    DWORD start = GetTickCount();
    do {
        Finder finder{info_.dwProcessId, className, nullptr};
        EnumWindows(Finder::Visit, reinterpret_cast<LPARAM>(&finder));
        if (finder.found) return finder.found;
        Sleep(50);
    } while (GetTickCount() - start < ms);
    return nullptr;
}

long Running::Wait(DWORD ms) const {
    if (WaitForSingleObject(info_.hProcess, ms) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return static_cast<long>(code);
}

long Running::LifetimeMs() const {
    FILETIME created, ended, kernel, user;
    if (Wait(0) < 0 || !GetProcessTimes(info_.hProcess, &created, &ended, &kernel, &user)) return -1;
    ULARGE_INTEGER from, to;
    from.LowPart = created.dwLowDateTime;
    from.HighPart = created.dwHighDateTime;
    to.LowPart = ended.dwLowDateTime;
    to.HighPart = ended.dwHighDateTime;
    return static_cast<long>((to.QuadPart - from.QuadPart) / 10000);
}

std::string RemoteListText(HWND list, int index) {
    DWORD process = 0;
    GetWindowThreadProcessId(list, &process);
    HANDLE other = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process);
    if (!other) return "<no process>";
    struct Block {
        LVITEMA item;
        char text[260];
    } block = {};
    std::string text;
    auto* remote = static_cast<Block*>(VirtualAllocEx(other, nullptr, sizeof block, MEM_COMMIT, PAGE_READWRITE));
    if (remote) {
        block.item.pszText = remote->text;
        block.item.cchTextMax = sizeof block.text;
        if (WriteProcessMemory(other, remote, &block, sizeof block, nullptr)) {
            SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(remote));
            if (ReadProcessMemory(other, remote, &block, sizeof block, nullptr)) {
                block.text[sizeof block.text - 1] = '\0';
                text = block.text;
            }
        }
        VirtualFreeEx(other, remote, 0, MEM_RELEASE);
    }
    CloseHandle(other);
    return text;
}

std::string StatusText(HWND window) {
    HWND bar = GetDlgItem(window, 116);
    if (!bar) return "<no status bar>";
    char text[256] = {};
    SendMessageA(bar, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

std::string StatusPart(HWND window, int part) {
    HWND bar = GetDlgItem(window, 116);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    HANDLE other = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process);
    if (!bar || !other) return "<no status bar>";
    char text[512] = {};
    void* remote = VirtualAllocEx(other, nullptr, sizeof text, MEM_COMMIT, PAGE_READWRITE);
    if (remote) {
        SendMessageA(bar, SB_GETTEXTA, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(remote));
        ReadProcessMemory(other, remote, text, sizeof text - 1, nullptr);
        VirtualFreeEx(other, remote, 0, MEM_RELEASE);
    }
    CloseHandle(other);
    return text;
}

std::string WaitForStatus(HWND window, const std::string& prefix, DWORD ms) {
    DWORD start = GetTickCount();
    std::string text;
    do {
        text = StatusText(window);
        if (text.compare(0, prefix.size(), prefix) == 0) break;
        Sleep(50);
    } while (GetTickCount() - start < ms);
    return text;
}

// Saves what the screen shows of a window as a 24-bit BMP.
std::vector<BYTE> CaptureScreen(const RECT& r) {
    const int width = r.right - r.left, height = r.bottom - r.top;
    std::vector<BYTE> pixels;
    if (width <= 0 || height <= 0) return pixels;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const DWORD rowBytes = ((width * 3) + 3) & ~3u;
    const BYTE* first = static_cast<const BYTE*>(bits);
    if (first) pixels.assign(first, first + static_cast<size_t>(rowBytes) * height);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

void SaveScreenshot(HWND window, const std::string& name) {
    RECT r;
    GetWindowRect(window, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    const std::vector<BYTE> pixels = CaptureScreen(r);
    if (pixels.empty()) return;
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    std::string folder = TestsFolder() + "..\\screenshots\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    FILE* out = std::fopen((folder + name).c_str(), "wb");
    if (out) {
        std::fwrite(&file, sizeof file, 1, out);
        std::fwrite(&header, sizeof header, 1, out);
        std::fwrite(pixels.data(), pixels.size(), 1, out);
        std::fclose(out);
    }
}
