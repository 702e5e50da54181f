// Tavirsel: opens the pictures named on the command line (a folder stands for
// every picture in it) through Lorimel and shows the first that decodes, with
// its size and format in the caption.
#include <windows.h>

#include <string>
#include <vector>

#include "command_line.h"
#include "handover.h"
#include "kivaro.h"
#include "lorimel.h"
#include "settings.h"
#include "shortcut.h"
#include "system_info.h"

namespace {

struct Shown {
    std::vector<DWORD> pixels;
    LONG width = 0;
    LONG height = 0;
    std::string caption = "Ommavu";
};

Shown g_shown;

// The command line after the program's own name.
std::string Arguments() {
    const char* p = GetCommandLineA();
    if (*p == '"') {
        for (++p; *p && *p != '"'; ++p) {}
        if (*p) ++p;
    } else {
        while (*p && *p != ' ' && *p != '\t') ++p;
    }
    while (*p == ' ' || *p == '\t') ++p;
    return p;
}

std::vector<std::string> ExpandArgument(const std::string& arg) {
    std::vector<std::string> files;
    DWORD attributes = GetFileAttributesA(arg.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return files;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        files.push_back(arg);
        return files;
    }
    std::string folder = arg;
    if (folder.back() != '\\' && folder.back() != '/') folder += '\\';
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return files;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(folder + found.cFileName);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return files;
}

bool Decode(LorimelApi& api, const std::string& path, Shown& out) {
    char format[200] = {};
    if (!api.DetectImageFormat(path.c_str(), format)) return false;
    LorimelHandle h = api.OpenImageFile(path.c_str(), "rb", format, 0);
    if (!h) return false;
    bool ok = false;
    LONG pages = api.ReadImageHeader(h);
    LorimelPageInfo info[2] = {};
    if (pages >= 1 && api.GetImagePageInfo(h, &info[0]) && info[0].width > 0 && info[0].height > 0) {
        out.pixels.assign(static_cast<size_t>(info[0].width) * info[0].height, 0);
        ok = api.ReadImagePixels(h, out.pixels.data(), info[0].width, info[0].height, 0) != 0;
        out.width = info[0].width;
        out.height = info[0].height;
        std::string name = path.substr(path.find_last_of("\\/") + 1);
        out.caption = "Ommavu - " + name + " - " + std::to_string(info[0].width) + "x" +
                      std::to_string(info[0].height) + "x" + std::to_string(info[0].bitsPerPixel) +
                      " " + format + " (" + std::to_string(pages) + (pages == 1 ? " page)" : " pages)");
    }
    api.CloseImageFile(h);
    return ok;
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (!g_shown.pixels.empty()) {
            BITMAPINFO bi = {};
            bi.bmiHeader.biSize = sizeof bi.bmiHeader;
            bi.bmiHeader.biWidth = g_shown.width;
            bi.bmiHeader.biHeight = -g_shown.height;
            bi.bmiHeader.biPlanes = 1;
            bi.bmiHeader.biBitCount = 32;
            bi.bmiHeader.biCompression = BI_RGB;
            SetDIBitsToDevice(dc, 0, 0, g_shown.width, g_shown.height, 0, 0, 0, g_shown.height,
                              g_shown.pixels.data(), &bi, DIB_RGB_COLORS);
        }
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_CLOSE: {
        RECT frame;
        if (GetWindowRect(hwnd, &frame)) settings::WriteViewerFrameRect(frame);
        break;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    CommandLine line = ParseCommandLine(Arguments());
    HANDLE handOver = nullptr;
    if (RunHandOver(line, &handOver) == HandOverResult::HandedOver) return 0;
    CoInitialize(nullptr);
    // The shell extension's copy in this process must stay passive.
    EnterPassiveMode();
    LorimelApi api;
    std::string dir = ProgramDirectory();
    if (!BindLorimel(api, (dir + "Lorimel.dll").c_str()) || !api.InitImageLibrary(dir.c_str())) {
        MessageBoxA(nullptr, "Lorimel.dll could not be loaded.", "Ommavu", MB_ICONSTOP);
        return 1;
    }
    std::vector<std::string> files;
    for (const std::string& name : line.files)
        for (const std::string& f : ExpandArgument(ResolveShortcut(name))) files.push_back(f);
    int decoded = 0;
    for (const std::string& f : files) {
        Shown candidate;
        if (Decode(api, f, candidate)) {
            if (++decoded == 1) g_shown = std::move(candidate);
        }
    }
    if (decoded > 1) g_shown.caption += " [" + std::to_string(decoded) + " pictures opened]";

    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    const std::string className = FrameClassName(line.share);
    wc.lpszClassName = className.c_str();
    RegisterClassA(&wc);
    RECT desktop;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &desktop, 0);
    RECT frame = settings::ViewerFrameRect(desktop, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    HWND hwnd = CreateWindowA(className.c_str(), g_shown.caption.c_str(), WS_OVERLAPPEDWINDOW, frame.left,
                              frame.top, frame.right - frame.left, frame.bottom - frame.top, nullptr,
                              nullptr, instance, nullptr);
    ShowWindow(hwnd, show);
    UpdateWindow(hwnd);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    api.FreeImageLibrary();
    UnbindLorimel(api);
    if (handOver) {
        SetEvent(handOver);
        CloseHandle(handOver);
    }
    CoUninitialize();
    return 0;
}
