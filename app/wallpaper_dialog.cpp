#include "wallpaper_dialog.h"

#include <string>

#include "desktop_pictures.h"
#include "paint.h"
#include "program.h"
#include "resource_ids.h"

namespace {

struct WallpaperDialog {
    const DibBlock* picture = nullptr;
    DibBlock* preview = nullptr;  // the picture at its miniature size
    int mode = kWallpaperCentre;
    bool set = false;
};

constexpr UINT kModeButtons[] = {IDC_WALLPAPER_CENTER, IDC_WALLPAPER_TILE, IDC_WALLPAPER_STRETCH};

WallpaperDialog* StateOf(HWND dialog) {
    return reinterpret_cast<WallpaperDialog*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
}

// The miniature screen in `area`: the desktop's colour, the picture placed
// as the mode places it on the real screen.
void DrawMiniScreen(HDC dc, const RECT& area, const WallpaperDialog& state) {
    HBRUSH desktop = CreateSolidBrush(GetSysColor(COLOR_BACKGROUND));
    FillRect(dc, &area, desktop);
    DeleteObject(desktop);
    if (!state.preview) return;
    const int width = DibWidth(state.preview), height = DibHeight(state.preview);
    const int areaWidth = area.right - area.left, areaHeight = area.bottom - area.top;
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
    if (state.mode == kWallpaperStretch) {
        PaintDib(dc, area, state.preview);
    } else if (state.mode == kWallpaperTile) {
        for (int y = area.top; y < area.bottom; y += height)
            for (int x = area.left; x < area.right; x += width) {
                const RECT tile = {x, y, x + width, y + height};
                PaintDib(dc, tile, state.preview);
            }
    } else {
        const int x = area.left + (areaWidth - width) / 2, y = area.top + (areaHeight - height) / 2;
        const RECT centred = {x, y, x + width, y + height};
        PaintDib(dc, centred, state.preview);
    }
    RestoreDC(dc, saved);
}

void OnInit(HWND dialog, WallpaperDialog* state) {
    SetWindowLongPtrA(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    const SIZE size = WallpaperPreviewSize(DibWidth(state->picture), DibHeight(state->picture),
                                           GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    state->preview = ScaleDib(state->picture, size.cx, size.cy);
    state->mode = GetWallpaperMode();
    CheckRadioButton(dialog, IDC_WALLPAPER_CENTER, IDC_WALLPAPER_STRETCH, kModeButtons[state->mode]);
}

void OnOk(HWND dialog, WallpaperDialog* state) {
    const DesktopPaths paths = SystemDesktopPaths();
    const std::string file = WallpaperFilePath(paths, ResourceString(IDS_WALLPAPER_FILE));
    if (!SetWallpaper(state->picture, file, state->mode)) {
        // The earlier wallpaper and its settings are untouched: say so and
        // let the user try again or cancel.
        char reason[256] = "";
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, GetLastError(), 0, reason,
                       sizeof reason, nullptr);
        const std::string text = file + "\n" + reason;
        MessageBoxA(dialog, text.c_str(), nullptr, MB_ICONSTOP | MB_OK);
        return;
    }
    state->set = true;
    EndDialog(dialog, 1);
}

INT_PTR CALLBACK WallpaperProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    WallpaperDialog* state = StateOf(dialog);
    switch (message) {
    case WM_INITDIALOG:
        OnInit(dialog, reinterpret_cast<WallpaperDialog*>(lParam));
        return TRUE;
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (!state || item->CtlID != IDC_WALLPAPER_PREVIEW) return FALSE;
        // The miniature screen keeps its size, centred in the control.
        const RECT& control = item->rcItem;
        const int x = control.left + (control.right - control.left - kMiniScreenWidth) / 2;
        const int y = control.top + (control.bottom - control.top - kMiniScreenHeight) / 2;
        FillRect(item->hDC, &control, GetSysColorBrush(COLOR_BTNFACE));
        const RECT screen = {x, y, x + kMiniScreenWidth, y + kMiniScreenHeight};
        DrawMiniScreen(item->hDC, screen, *state);
        return TRUE;
    }
    case WM_COMMAND:
        if (!state) return FALSE;
        for (int mode = 0; mode < 3; ++mode) {
            if (LOWORD(wParam) != kModeButtons[mode]) continue;
            state->mode = mode;
            InvalidateRect(GetDlgItem(dialog, IDC_WALLPAPER_PREVIEW), nullptr, FALSE);
            return TRUE;
        }
        if (LOWORD(wParam) == IDOK) {
            OnOk(dialog, state);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

SIZE WallpaperPreviewSize(int pictureWidth, int pictureHeight, int screenWidth, int screenHeight) {
    SIZE size = {4, 4};
    if (screenWidth > 0) size.cx = static_cast<LONG>(static_cast<long long>(pictureWidth) * kMiniScreenWidth / screenWidth);
    if (screenHeight > 0)
        size.cy = static_cast<LONG>(static_cast<long long>(pictureHeight) * kMiniScreenHeight / screenHeight);
    if (size.cx < 4) size.cx = 4;
    if (size.cy < 4) size.cy = 4;
    return size;
}

int RunWallpaperDialog(HWND owner, const DibBlock* picture) {
    if (!picture) return 0;
    WallpaperDialog state;
    state.picture = picture;
    DialogBoxParamA(Program().resourceModule, MAKEINTRESOURCEA(IDD_WALLPAPER), owner, WallpaperProc,
                    reinterpret_cast<LPARAM>(&state));
    FreeDib(state.preview);
    return state.set ? 1 : 0;
}
