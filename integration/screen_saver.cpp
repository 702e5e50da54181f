// Ommavu.SCR: the screen saver that shows the picture set the viewer's "Set
// To Screen Saver" wrote ("SCRNSAVE" in Tavirsel.INI), one picture after
// another, fitted to the screen on black.
//
//   Ommavu.SCR /s        run full screen until a key, a click or a move
//   Ommavu.SCR /p HWND   draw the first picture into the preview window
//   Ommavu.SCR /c, none  say where the pictures are chosen
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "load.h"
#include "settings.h"

namespace {

constexpr UINT_PTR kStepTimer = 1;
constexpr UINT kStepMs = 5000;
constexpr int kMoveSlack = 8;  // pixels the mouse may drift before the saver ends

struct SaverState {
    std::vector<std::string> pictures;
    size_t next = 0;
    DibBlock* shown = nullptr;
    bool preview = false;
    POINT firstMouse = {-1, -1};
};

std::vector<std::string> PictureSet() {
    std::vector<std::string> pictures;
    const int count = settings::Read(settings::kPictureNumber);
    for (int i = 0; i < count; ++i) {
        std::string path = settings::ReadNumbered(settings::kScreenSaver, settings::kPictureKey, i);
        if (!path.empty()) pictures.push_back(path);
    }
    return pictures;
}

// The next picture of the set that can be read; skips the others once
// round the set.
void StepPicture(SaverState* state) {
    for (size_t tried = 0; tried < state->pictures.size(); ++tried) {
        const std::string& path = state->pictures[state->next];
        state->next = (state->next + 1) % state->pictures.size();
        DibBlock* picture = LoadFirstPageDib(path.c_str());
        if (!picture) continue;
        FreeDib(state->shown);
        state->shown = picture;
        return;
    }
}

void Paint(HWND window, SaverState* state) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    if (state->shown) {
        const long long width = DibWidth(state->shown), height = DibHeight(state->shown);
        const long long areaWidth = client.right, areaHeight = client.bottom;
        long long drawWidth = width, drawHeight = height;
        if (drawWidth > areaWidth || drawHeight > areaHeight) {
            // Fitted, keeping the picture's shape.
            if (width * areaHeight > height * areaWidth) {
                drawWidth = areaWidth;
                drawHeight = height * areaWidth / width;
            } else {
                drawHeight = areaHeight;
                drawWidth = width * areaHeight / height;
            }
        }
        if (drawWidth < 1) drawWidth = 1;
        if (drawHeight < 1) drawHeight = 1;
        const int x = static_cast<int>((areaWidth - drawWidth) / 2), y = static_cast<int>((areaHeight - drawHeight) / 2);
        SetStretchBltMode(dc, HALFTONE);
        StretchDIBits(dc, x, y, static_cast<int>(drawWidth), static_cast<int>(drawHeight), 0, 0,
                      static_cast<int>(width), static_cast<int>(height), state->shown->pixels,
                      reinterpret_cast<const BITMAPINFO*>(state->shown->header), DIB_RGB_COLORS, SRCCOPY);
    }
    EndPaint(window, &paint);
}

LRESULT CALLBACK SaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    SaverState* state = reinterpret_cast<SaverState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
    case WM_CREATE:
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
        return 0;
    case WM_PAINT:
        if (state) Paint(window, state);
        else ValidateRect(window, nullptr);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_TIMER:
        if (state && wParam == kStepTimer) {
            StepPicture(state);
            InvalidateRect(window, nullptr, FALSE);
        }
        return 0;
    case WM_MOUSEMOVE:
        if (state && !state->preview) {
            const POINT at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            if (state->firstMouse.x < 0) {
                state->firstMouse = at;
            } else if (std::abs(at.x - state->firstMouse.x) > kMoveSlack ||
                       std::abs(at.y - state->firstMouse.y) > kMoveSlack) {
                DestroyWindow(window);
            }
        }
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (state && !state->preview) DestroyWindow(window);
        return 0;
    case WM_ACTIVATEAPP:
        if (!wParam && state && !state->preview) DestroyWindow(window);
        return 0;
    case WM_SETCURSOR:
        if (state && !state->preview) {
            SetCursor(nullptr);
            return TRUE;
        }
        break;
    case WM_DESTROY:
        KillTimer(window, kStepTimer);
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int Run(HINSTANCE instance, HWND previewParent) {
    LorimelApi api{};
    if (!BindLorimel(api)) return 1;
    SetImageLibrary(&api);
    SaverState state;
    state.pictures = PictureSet();
    state.preview = previewParent != nullptr;
    if (!state.pictures.empty()) StepPicture(&state);

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = SaverProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "OmmavuScreenSaver";
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    RegisterClassA(&windowClass);
    HWND window;
    if (previewParent) {
        RECT area;
        GetClientRect(previewParent, &area);
        window = CreateWindowExA(0, windowClass.lpszClassName, "", WS_CHILD | WS_VISIBLE, 0, 0, area.right,
                                 area.bottom, previewParent, nullptr, instance, &state);
    } else {
        window = CreateWindowExA(WS_EX_TOPMOST, windowClass.lpszClassName, "Ommavu", WS_POPUP | WS_VISIBLE, 0, 0,
                                 GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                 instance, &state);
    }
    if (!window) return 1;
    if (state.pictures.size() > 1) SetTimer(window, kStepTimer, kStepMs, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    FreeDib(state.shown);
    UnbindLorimel(api);
    return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // "/s", "-S", "/p 1234", "/p:1234", "/c:1234"
    char mode = 'c';
    HWND previewParent = nullptr;
    if (__argc >= 2) {
        const char* option = __argv[1];
        if (*option == '/' || *option == '-') ++option;
        mode = static_cast<char>(*option | 0x20);
        const char* handle = option[1] == ':' ? option + 2 : (__argc >= 3 ? __argv[2] : "");
        if (mode == 'p') previewParent = reinterpret_cast<HWND>(static_cast<INT_PTR>(std::strtoll(handle, nullptr, 10)));
    }
    if (mode == 's') return Run(instance, nullptr);
    if (mode == 'p') return previewParent && IsWindow(previewParent) ? Run(instance, previewParent) : 1;
    MessageBoxA(nullptr,
                "The pictures come from the viewer: open them, then choose \"Set To Screen Saver\".",
                "Ommavu", MB_ICONINFORMATION | MB_OK);
    return 0;
}
