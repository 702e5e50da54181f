#include "window_place.h"

RECT DesktopWorkArea() {
    RECT desktop;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &desktop, 0);
    return desktop;
}

void CentreIfOffDesktop(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    RECT desktop = DesktopWorkArea();
    if (rect.left < desktop.right && rect.top < desktop.bottom) return;
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    SetWindowPos(window, nullptr, desktop.left + (desktop.right - desktop.left - width) / 2,
                 desktop.top + (desktop.bottom - desktop.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
