#include "frame_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include "browser_window.h"
#include "commands.h"
#include "document_link.h"
#include "handover.h"
#include "icons.h"
#include "language_menu.h"
#include "messages.h"
#include "paint.h"
#include "picture.h"
#include "resource_ids.h"
#include "settings.h"
#include "shell.h"
#include "shortcut.h"
#include "status_text.h"
#include "toolbar.h"
#include "window_menu.h"

namespace {

HWND g_toolbar = nullptr;
HWND g_statusBar = nullptr;
// The picture the frame paints: handed over by the loader once it is current,
// let go before the loader frees it.
const Picture* g_shown = nullptr;

constexpr int kMinimumAreaWidth = 540;
constexpr int kMinimumAreaHeight = 100;

HWND CreateFrameToolbar(HWND frame) {
    HWND toolbar = CreateResourceToolbar(frame, ToolbarSpec{IDR_TOOLBAR, IDB_TOOLBAR, IDS_TOOLBAR_TEXTS,
                                                            kFrameToolbarId, 0});
    if (toolbar && Shell().oem) SendMessageA(toolbar, TB_HIDEBUTTON, IDC_ABOUT, MAKELONG(TRUE, 0));
    return toolbar;
}

HWND CreateFrameStatusBar(HWND frame) {
    HWND bar = CreateStatusWindowA(WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, "", frame, kFrameStatusBarId);
    if (bar) ApplyStatusParts(bar, nullptr);
    return bar;
}

// The client area between the toolbar and the status bar (those shown).
RECT PictureArea(HWND frame) {
    RECT area;
    GetClientRect(frame, &area);
    RECT bar;
    if (g_toolbar && IsWindowVisible(g_toolbar) && GetWindowRect(g_toolbar, &bar)) area.top += bar.bottom - bar.top;
    if (g_statusBar && IsWindowVisible(g_statusBar) && GetWindowRect(g_statusBar, &bar))
        area.bottom -= bar.bottom - bar.top;
    if (area.bottom < area.top) area.bottom = area.top;
    return area;
}

void LayOutBars(HWND frame) {
    if (g_toolbar) SendMessageA(g_toolbar, TB_AUTOSIZE, 0, 0);
    if (g_statusBar) {
        SendMessageA(g_statusBar, WM_SIZE, 0, 0);
        ApplyStatusParts(g_statusBar, nullptr);
    }
    InvalidateRect(frame, nullptr, TRUE);
}

void ToggleBar(HWND frame, HWND bar, bool* shown) {
    if (!bar) return;
    *shown = !IsWindowVisible(bar);
    ShowWindow(bar, *shown ? SW_SHOW : SW_HIDE);
    PostMessageA(frame, kMsgLayoutFrame, 0, 0);
}

// Until the picture view exists the frame paints the current picture itself,
// centred in the picture area on black.
void PaintPictureArea(HWND frame, HDC dc) {
    RECT area = PictureArea(frame);
    const Picture* picture = g_shown;
    if (!picture) return;
    const DibBlock* block = Shell().displayDepth == 32 ? picture->working : picture->display;
    int width = DibWidth(block), height = DibHeight(block);
    int areaWidth = area.right - area.left, areaHeight = area.bottom - area.top;
    if (width > areaWidth || height > areaHeight) {
        // Shrink to fit, keeping the aspect ratio.
        if (static_cast<long long>(width) * areaHeight > static_cast<long long>(height) * areaWidth) {
            height = static_cast<int>(static_cast<long long>(height) * areaWidth / width);
            width = areaWidth;
        } else {
            width = static_cast<int>(static_cast<long long>(width) * areaHeight / height);
            height = areaHeight;
        }
    }
    RECT target{area.left + (areaWidth - width) / 2, area.top + (areaHeight - height) / 2, 0, 0};
    target.right = target.left + width;
    target.bottom = target.top + height;
    SetStretchBltMode(dc, COLORONCOLOR);
    PaintDib(dc, target, block, Shell().palette);
}

// A path handed over by another instance (or named on the command line):
// shortcuts are resolved, pictures join the open list.
void ReceivePath(HWND frame, const std::string& path) {
    if (path.empty()) return;
    std::string resolved = path;
    size_t dot = resolved.find_last_of('.');
    if (dot != std::string::npos && lstrcmpiA(resolved.c_str() + dot + 1, "LNK") == 0)
        resolved = ResolveShortcut(resolved);
    if (!AddToOpenList(resolved)) return;
    PostMessageA(frame, kMsgRefreshInfo, reinterpret_cast<WPARAM>(g_statusBar), 0);
    if (Shell().browser) PostMessageA(Shell().browser, kMsgRefreshInfo, 0, 0);
    // Until the thumbnail worker takes over this list, the list is complete as
    // soon as the path is in it: release the next waiting instance.
    if (Shell().handOverEvent) SetEvent(Shell().handOverEvent);
}

void ShowBrowser(HWND frame) {
    if (!Shell().browser) return;
    ShowWindow(Shell().browser, SW_SHOW);
    SetForegroundWindow(Shell().browser);
    ShowWindow(frame, SW_HIDE);
    PostMessageA(Shell().browser, kMsgRefreshInfo, 0, 0);
}

void OnClose(HWND frame) {
    WriteFramePlacement(frame);
    StopPictureLoading();
    FreeCurrentDocument();
    if (Shell().browser) PostMessageA(Shell().browser, WM_CLOSE, 0, 0);
}

void OnDestroy(HWND frame) {
    KillTimer(frame, kTimerIconBlink);
    Shell().openList.Clear();
    g_toolbar = g_statusBar = nullptr;
    Shell().frame = nullptr;
    PostQuitMessage(0);
}

void OnGetMinMaxInfo(HWND frame, MINMAXINFO* info) {
    RECT desktop;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &desktop, 0);
    info->ptMaxTrackSize.x = desktop.right - desktop.left;
    info->ptMaxTrackSize.y = desktop.bottom - desktop.top;
    if (!g_toolbar || !IsWindowVisible(g_toolbar)) return;
    RECT need{0, 0, kMinimumAreaWidth, kMinimumAreaHeight};
    AdjustWindowRect(&need, GetWindowLongA(frame, GWL_STYLE), GetMenu(frame) != nullptr);
    RECT bar;
    int extra = 0;
    if (GetWindowRect(g_toolbar, &bar)) extra += bar.bottom - bar.top;
    if (g_statusBar && IsWindowVisible(g_statusBar) && GetWindowRect(g_statusBar, &bar)) extra += bar.bottom - bar.top;
    info->ptMinTrackSize.x = need.right - need.left;
    info->ptMinTrackSize.y = need.bottom - need.top + extra;
}

// A frame whose top-left corner lies right of or below the desktop comes
// back to the desktop's centre, keeping its size.
void OnMove(HWND frame) {
    RECT window, desktop;
    GetWindowRect(frame, &window);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &desktop, 0);
    if (window.left < desktop.right && window.top < desktop.bottom) return;
    int width = window.right - window.left, height = window.bottom - window.top;
    SetWindowPos(frame, nullptr, desktop.left + (desktop.right - desktop.left - width) / 2,
                 desktop.top + (desktop.bottom - desktop.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void OnDisplayChange(HWND frame) {
    if (RefreshDisplayForDocument()) {
        InvalidateRect(frame, nullptr, TRUE);
        if (Shell().browser) PostMessageA(Shell().browser, kMsgDisplayChanged, 0, 0);
    }
}

LRESULT CALLBACK FrameProc(HWND frame, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        return FrameCommand(frame, LOWORD(wp), lp);
    case WM_CLOSE:
        OnClose(frame);
        break;
    case WM_DESTROY:
        OnDestroy(frame);
        return 0;
    case WM_MOVE:
        OnMove(frame);
        return 0;
    case WM_SIZE:
        LayOutBars(frame);
        return 0;
    case WM_GETMINMAXINFO:
        OnGetMinMaxInfo(frame, reinterpret_cast<MINMAXINFO*>(lp));
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(frame, &ps);
        PaintPictureArea(frame, dc);
        EndPaint(frame, &ps);
        return 0;
    }
    case WM_ERASEBKGND: {
        // The picture area is black; the rest (behind the flat toolbar, which
        // lets its parent draw its background) is button face.
        HDC dc = reinterpret_cast<HDC>(wp);
        RECT client, area = PictureArea(frame);
        GetClientRect(frame, &client);
        HRGN rest = CreateRectRgnIndirect(&client);
        HRGN picture = CreateRectRgnIndirect(&area);
        CombineRgn(rest, rest, picture, RGN_DIFF);
        FillRgn(dc, rest, GetSysColorBrush(COLOR_BTNFACE));
        FillRgn(dc, picture, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        DeleteObject(rest);
        DeleteObject(picture);
        return 1;
    }
    case WM_NOTIFY:
        if (AnswerToolbarTooltip(reinterpret_cast<NMHDR*>(lp))) return 0;
        break;
    case WM_COPYDATA:
        ReceivePath(frame, PathFromCopyData(reinterpret_cast<COPYDATASTRUCT*>(lp)));
        return TRUE;
    case WM_TIMER:
        if (wp == kTimerIconBlink) BlinkWindowIcons();
        return 0;
    case WM_KEYDOWN:
        if (wp == VK_RETURN) PostMessageA(frame, WM_COMMAND, IDC_BROWSE, 0);
        else if (wp == VK_SPACE) SendMessageA(frame, WM_COMMAND, IDC_NEXT_PICTURE, 0);
        else if (wp == VK_ESCAPE) SendMessageA(frame, WM_COMMAND, IDC_LEAVE_FULL_SCREEN, 0);
        return 0;
    case WM_LBUTTONDBLCLK:
        PostMessageA(frame, WM_COMMAND, IDC_BROWSE, 0);
        return 0;
    case WM_DISPLAYCHANGE:
        OnDisplayChange(frame);
        break;
    case WM_DROPFILES: {
        HDROP drop = reinterpret_cast<HDROP>(wp);
        Shell().openList.Clear();
        UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            char path[MAX_PATH];
            if (DragQueryFileA(drop, i, path, sizeof path)) AddToOpenList(ResolveShortcut(path));
        }
        DragFinish(drop);
        if (Shell().openList.Count() > 0) PostMessageA(frame, WM_COMMAND, IDC_FIRST_PICTURE, 0);
        return 0;
    }
    default:
        if (msg == kMsgPictureLoaded) {
            InvalidateRect(frame, nullptr, TRUE);
            RefreshCaptionAndStatus(frame, g_statusBar);
            return 0;
        }
        if (msg == kMsgLoadProgress) {
            ShowLoadProgress(g_statusBar, static_cast<int>(wp), static_cast<int>(lp));
            ShowLoadProgress(BrowserStatusBar(), static_cast<int>(wp), static_cast<int>(lp));
            RECT area = PictureArea(frame);
            InvalidateRect(frame, &area, FALSE);
            return 0;
        }
        if (msg == kMsgLoaderDetachViews) {
            g_shown = nullptr;
            return 0;
        }
        if (msg == kMsgLoaderShowPicture) {
            g_shown = reinterpret_cast<const Picture*>(lp);
            if (!IsWindowVisible(frame) && !IsWindowVisible(Shell().browser)) ShowWindow(frame, SW_SHOW);
            RefreshCaptionAndStatus(frame, g_statusBar);
            InvalidateRect(frame, nullptr, FALSE);
            return 0;
        }
        if (msg == kMsgRedrawView) {
            InvalidateRect(frame, nullptr, FALSE);
            return 0;
        }
        if (msg == kMsgRefreshInfo) {
            RefreshCaptionAndStatus(frame, g_statusBar);
            return 0;
        }
        if (msg == kMsgLayoutFrame) {
            LayOutBars(frame);
            return 0;
        }
        if (msg == kMsgIgnored) return 0;
        break;
    }
    return DefWindowProcA(frame, msg, wp, lp);
}

}  // namespace

bool RegisterFrameClass() {
    const ShellState& shell = Shell();
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC | CS_SAVEBITS;
    wc.lpfnWndProc = FrameProc;
    wc.hInstance = shell.mainModule;
    wc.hIcon = shell.classIcon;
    wc.hIconSm = shell.smallIcon;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = shell.frameClassName.c_str();
    return RegisterClassExA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CreateFrameWindow() {
    ShellState& shell = Shell();
    HMENU menu = LoadWindowMenu(IDM_VIEWER);
    RECT desktop;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &desktop, 0);
    RECT frame = settings::ViewerFrameRect(desktop, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    HWND window = CreateWindowExA(0, shell.frameClassName.c_str(), shell.frameClassName.c_str(),
                                  WS_OVERLAPPEDWINDOW, frame.left, frame.top, frame.right - frame.left,
                                  frame.bottom - frame.top, nullptr, menu, shell.mainModule, nullptr);
    if (!window) {
        if (menu) DestroyMenu(menu);
        return nullptr;
    }
    shell.frame = window;
    DragAcceptFiles(window, TRUE);
    g_toolbar = CreateFrameToolbar(window);
    g_statusBar = CreateFrameStatusBar(window);
    return window;
}

void WriteFramePlacement(HWND frame) {
    RECT rect;
    if (frame && GetWindowRect(frame, &rect)) settings::WriteViewerFrameRect(rect);
}

void ReloadFrameResources() {
    HWND frame = Shell().frame;
    if (!frame) return;
    HMENU menu = LoadWindowMenu(IDM_VIEWER);
    if (menu) AppendLanguageItems(menu);
    ReplaceWindowMenu(frame, menu);
    bool toolbarShown = g_toolbar && IsWindowVisible(g_toolbar);
    if (g_toolbar) DestroyWindow(g_toolbar);
    g_toolbar = CreateFrameToolbar(frame);
    if (g_toolbar && !toolbarShown) ShowWindow(g_toolbar, SW_HIDE);
    LayOutBars(frame);
    RefreshCaptionAndStatus(frame, g_statusBar);
}

LRESULT FrameCommand(HWND frame, UINT id, LPARAM lParam) {
    (void)lParam;
    switch (id) {
    case IDC_EXIT:
        DestroyWindow(frame);
        return 0;
    case IDC_BROWSE:
    case IDC_SHOW_BROWSER:
        ShowBrowser(frame);
        return 0;
    case IDC_TOGGLE_TOOLBAR:
        ToggleBar(frame, g_toolbar, &Shell().toolbarShown);
        return 0;
    case IDC_TOGGLE_STATUS_BAR:
        ToggleBar(frame, g_statusBar, &Shell().statusBarShown);
        return 0;
    case IDC_ALWAYS_ON_TOP: {
        bool topmost = (GetWindowLongA(frame, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        SetWindowPos(frame, topmost ? HWND_NOTOPMOST : HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        return 0;
    }
    case IDC_FIRST_PICTURE:
        ShowOpenListEntry(0);
        return 0;
    case IDC_LAST_PICTURE:
        ShowOpenListEntry(Shell().openList.Count() - 1);
        return 0;
    case IDC_NEXT_PICTURE:
        ShowOpenListEntry(CurrentOpenListIndex() + 1);
        return 0;
    case IDC_PREVIOUS_PICTURE:
        ShowOpenListEntry(CurrentOpenListIndex() - 1);
        return 0;
    case IDC_RELOAD:
        ReloadCurrentFile();
        return 0;
    default:
        break;
    }
    if (HandleLanguageCommand(id)) return 0;
    return DefWindowProcA(frame, WM_COMMAND, id, lParam);
}

HWND FrameToolbar() { return g_toolbar; }
HWND FrameStatusBar() { return g_statusBar; }
