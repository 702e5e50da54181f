#include "frame_layout.h"

#include <commctrl.h>

#include "commands.h"
#include "picture_view.h"
#include "settings.h"
#include "zoom.h"

namespace {


bool Shown(HWND window) { return window && IsWindowVisible(window); }

int HeightOf(HWND window) {
    RECT r;
    return Shown(window) && GetWindowRect(window, &r) ? r.bottom - r.top : 0;
}

// The non-client size of the frame's style with its menu, measured on a
// 400 x 400 client.
SIZE NonClientSize(HWND frame) {
    RECT r{0, 0, 400, 400};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongA(frame, GWL_STYLE)), GetMenu(frame) != nullptr,
                       static_cast<DWORD>(GetWindowLongA(frame, GWL_EXSTYLE)));
    return SIZE{r.right - r.left - 400, r.bottom - r.top - 400};
}

SIZE ZoomedSizeOf(HWND view) {
    RECT r = ViewZoomedSize(view);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

// Moves the cursor back to the centre of a toolbar button when the command
// came from it (the frame moved under the cursor).
void ReturnCursorToButton(HWND toolbar, UINT command) {
    if (!Shown(toolbar) || !command) return;
    LRESULT index = SendMessageA(toolbar, TB_COMMANDTOINDEX, command, 0);
    RECT button;
    if (index < 0 || !SendMessageA(toolbar, TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&button)))
        return;
    POINT centre{(button.left + button.right) / 2, (button.top + button.bottom) / 2};
    ClientToScreen(toolbar, &centre);
    SetCursorPos(centre.x, centre.y);
}

}  // namespace

UINT CommandUnderCursor(HWND toolbar, UINT command) {
    if (!Shown(toolbar)) return 0;
    POINT cursor;
    GetCursorPos(&cursor);
    ScreenToClient(toolbar, &cursor);
    LRESULT hit = SendMessageA(toolbar, TB_HITTEST, 0, reinterpret_cast<LPARAM>(&cursor));
    if (hit < 0) return 0;
    TBBUTTON button = {};
    SendMessageA(toolbar, TB_GETBUTTON, static_cast<WPARAM>(hit), reinterpret_cast<LPARAM>(&button));
    return static_cast<UINT>(button.idCommand) == command ? command : 0;
}

namespace {

// Zoom In and Zoom Out: apply the step, lay the frame out, keep the centre of
// the previously visible part in the centre.
void StepZoom(const FrameParts& parts, int step, UINT command, bool fromWheel) {
    if (!parts.view || !ViewHasPicture(parts.view)) return;
    int index = CurrentZoomIndex();
    if (step > 0 && index >= 13) return;
    if (step < 0 && index < 1) return;
    RECT source;
    int zoom = 100;
    GetViewSourceRect(parts.view, &source, &zoom);
    int newIndex = index + step;
    int wanted = ZoomPercent(newIndex);
    if (step > 0) {
        int applied = FittingZoom(wanted, parts.pictureSize.cx, parts.pictureSize.cy);
        if (applied <= 0) return;  // nothing fits: the old zoom stays
        if (applied != wanted) newIndex = ZoomIndexAtLeast(applied);
        wanted = applied;
    }
    SetCurrentZoomIndex(newIndex);
    SetViewZoom(parts.view, wanted, kViewZoomed);
    LayOutFrame(parts, fromWheel ? 0 : CommandUnderCursor(parts.toolbar, command));
    // Keep the centre of what was visible.
    RECT now;
    GetViewSourceRect(parts.view, &now, &zoom);
    int centreX = (source.left + source.right) / 2, centreY = (source.top + source.bottom) / 2;
    int halfWidth = (now.right - now.left) / 2, halfHeight = (now.bottom - now.top) / 2;
    int x = centreX - halfWidth, y = centreY - halfHeight;
    ScrollViewTo(parts.view, (x > 0 ? x : 0) * zoom / 100, (y > 0 ? y : 0) * zoom / 100);
    InvalidateRect(parts.frame, nullptr, TRUE);
    if (IsViewLoading(parts.view)) UpdateWindow(parts.view);
}

}  // namespace

RECT NeededFrameRect(SIZE zoomed, bool toolbarShown, int toolbarHeight, bool statusBarShown, int statusBarHeight,
                     SIZE nonClient, const RECT& screen) {
    int width = zoomed.cx, height = zoomed.cy;
    if (toolbarShown) {
        if (width < kMinimumAreaWidth) width = kMinimumAreaWidth;
        if (height < kMinimumAreaHeight) height = kMinimumAreaHeight;
    }
    width += 2 + nonClient.cx;
    height += 3 + nonClient.cy;
    if (toolbarShown) height += toolbarHeight;
    if (statusBarShown) height += statusBarHeight;
    int screenWidth = screen.right - screen.left, screenHeight = screen.bottom - screen.top;
    RECT r;
    r.left = screen.left + (screenWidth - width) / 2;
    r.top = screen.top + (screenHeight - height) / 2;
    if (r.left < 1) r.left = 0;
    if (r.top < 1) r.top = 0;
    r.right = r.left + width;
    r.bottom = r.top + height;
    if (r.right > screen.right) r.right = screen.right;
    if (r.bottom > screen.bottom) r.bottom = screen.bottom;
    return r;
}

RECT PlaceViewInArea(const RECT& area, SIZE zoomed) {
    int areaWidth = area.right - area.left, areaHeight = area.bottom - area.top;
    int x = (areaWidth - zoomed.cx) / 2;
    if (x < area.left) x = area.left;
    int y = area.top + (areaHeight - zoomed.cy) / 2;
    if (y < area.top) y = area.top;
    int right = x + zoomed.cx < area.right ? x + zoomed.cx : area.right;
    int bottom = y + zoomed.cy < area.bottom ? y + zoomed.cy : area.bottom;
    return RECT{x, y, right > x ? right : x, bottom > y ? bottom : y};
}

RECT FramePictureArea(const FrameParts& parts) {
    RECT area;
    GetClientRect(parts.frame, &area);
    area.top += HeightOf(parts.toolbar);
    area.bottom -= HeightOf(parts.statusBar);
    if (!parts.fullScreen) {
        area.left += 1;
        area.top += 1;
        area.right -= 1;
        area.bottom -= 2;
    }
    if (area.bottom < area.top) area.bottom = area.top;
    if (area.right < area.left) area.right = area.left;
    return area;
}

void LayOutFrame(const FrameParts& parts, UINT fromToolbarCommand) {
    if (!parts.frame) return;
    SIZE zoomed = parts.view ? ZoomedSizeOf(parts.view) : SIZE{0, 0};
    RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT needed = parts.fullScreen
                      ? screen
                      : NeededFrameRect(zoomed, Shown(parts.toolbar), HeightOf(parts.toolbar), Shown(parts.statusBar),
                                        HeightOf(parts.statusBar), NonClientSize(parts.frame), screen);
    int mode = settings::Read(settings::kWindowSizeAutoChange);
    RECT current;
    GetWindowRect(parts.frame, &current);
    if (mode == 1 || (mode == 0 && parts.fullScreen)) {
        if (!EqualRect(&current, &needed))
            MoveWindow(parts.frame, needed.left, needed.top, needed.right - needed.left, needed.bottom - needed.top,
                       TRUE);
    } else if (mode == 0) {
        SetWindowPos(parts.frame, nullptr, 0, 0, needed.right - needed.left, needed.bottom - needed.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (mode != 2 && !parts.fullScreen) {
        // A wrapped menu bar leaves less client than needed: grow by the difference.
        RECT area = FramePictureArea(parts);
        int wantWidth = zoomed.cx, wantHeight = zoomed.cy;
        if (Shown(parts.toolbar)) {
            if (wantWidth < kMinimumAreaWidth) wantWidth = kMinimumAreaWidth;
            if (wantHeight < kMinimumAreaHeight) wantHeight = kMinimumAreaHeight;
        }
        int shortWidth = wantWidth - (area.right - area.left);
        int shortHeight = wantHeight - (area.bottom - area.top);
        GetWindowRect(parts.frame, &current);
        int growWidth = shortWidth > 0 && current.right + shortWidth <= screen.right ? shortWidth : 0;
        int growHeight = shortHeight > 0 && current.bottom + shortHeight <= screen.bottom ? shortHeight : 0;
        if (growWidth || growHeight)
            SetWindowPos(parts.frame, nullptr, 0, 0, current.right - current.left + growWidth,
                         current.bottom - current.top + growHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    PlaceViewKeepingFrame(parts);
    if (mode == 1 && fromToolbarCommand) ReturnCursorToButton(parts.toolbar, fromToolbarCommand);
}

void PlaceViewKeepingFrame(const FrameParts& parts) {
    if (!parts.frame) return;
    if (!IsWindowVisible(parts.frame)) ShowWindow(parts.frame, SW_SHOW);
    if (parts.view) {
        RECT place = PlaceViewInArea(FramePictureArea(parts), ZoomedSizeOf(parts.view));
        MoveWindow(parts.view, place.left, place.top, place.right - place.left, place.bottom - place.top, TRUE);
        InvalidateRect(parts.view, nullptr, FALSE);
    }
}

void RePlaceViewAfterSizing(const FrameParts& parts) {
    if (!parts.view) return;
    RECT viewRect;
    GetWindowRect(parts.view, &viewRect);
    SIZE size{viewRect.right - viewRect.left, viewRect.bottom - viewRect.top};
    SIZE zoomed = ZoomedSizeOf(parts.view);
    if (size.cx < zoomed.cx || size.cy < zoomed.cy) size = zoomed;
    RECT place = PlaceViewInArea(FramePictureArea(parts), size);
    MoveWindow(parts.view, place.left, place.top, place.right - place.left, place.bottom - place.top, TRUE);
}

void EraseFrameBackground(const FrameParts& parts, HDC dc) {
    RECT client, area = FramePictureArea(parts);
    GetClientRect(parts.frame, &client);
    RECT edge = area;
    if (!parts.fullScreen) InflateRect(&edge, 1, 1), edge.bottom += 1;
    HRGN rest = CreateRectRgnIndirect(&client);
    HRGN inside = CreateRectRgnIndirect(&edge);
    CombineRgn(rest, rest, inside, RGN_DIFF);
    FillRgn(dc, rest, GetSysColorBrush(COLOR_BTNFACE));
    // The bands of the picture area around the view are black.
    HRGN bands = CreateRectRgnIndirect(&area);
    if (parts.view && IsWindowVisible(parts.view)) {
        RECT viewRect;
        GetWindowRect(parts.view, &viewRect);
        MapWindowPoints(nullptr, parts.frame, reinterpret_cast<POINT*>(&viewRect), 2);
        HRGN view = CreateRectRgnIndirect(&viewRect);
        CombineRgn(bands, bands, view, RGN_DIFF);
        DeleteObject(view);
    }
    FillRgn(dc, bands, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    if (!parts.fullScreen) DrawEdge(dc, &edge, EDGE_SUNKEN, BF_RECT);
    DeleteObject(rest);
    DeleteObject(inside);
    DeleteObject(bands);
}

void ZoomInCommand(const FrameParts& parts, bool fromWheel) { StepZoom(parts, +1, IDC_ZOOM_IN, fromWheel); }
void ZoomOutCommand(const FrameParts& parts, bool fromWheel) { StepZoom(parts, -1, IDC_ZOOM_OUT, fromWheel); }

void ZoomNormalCommand(const FrameParts& parts) {
    if (!parts.view || !ViewHasPicture(parts.view)) return;
    SetCurrentZoomIndex(kZoomNormalIndex);
    SetViewZoom(parts.view, 100, kViewZoomed);
    LayOutFrame(parts);
    InvalidateRect(parts.frame, nullptr, TRUE);
}
