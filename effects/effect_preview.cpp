#include "effect_preview.h"

#include "paint.h"

SIZE FitSize(int boxWidth, int boxHeight, int width, int height, int least) {
    SIZE size = {width, height};
    if (width > 0 && height > 0 && (width > boxWidth || height > boxHeight)) {
        if (width >= height) {
            size.cx = boxWidth;
            size.cy = static_cast<int>(static_cast<long long>(boxWidth) * height / width);
        } else {
            size.cx = static_cast<int>(static_cast<long long>(boxHeight) * width / height);
            size.cy = boxHeight;
        }
        // A wide picture in a low box (or the other way round) still has to
        // fit by its other side.
        if (size.cy > boxHeight) {
            size.cx = static_cast<int>(static_cast<long long>(boxHeight) * width / height);
            size.cy = boxHeight;
        }
        if (size.cx > boxWidth) {
            size.cx = boxWidth;
            size.cy = static_cast<int>(static_cast<long long>(boxWidth) * height / width);
        }
    }
    if (size.cx < least) size.cx = least;
    if (size.cy < least) size.cy = least;
    return size;
}

SIZE ControlSize(HWND dialog, int id) {
    RECT rect = {};
    GetClientRect(GetDlgItem(dialog, id), &rect);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

void PaintPreview(const DRAWITEMSTRUCT& draw, const DibBlock* block) {
    const RECT& area = draw.rcItem;
    FillRect(draw.hDC, &area, GetSysColorBrush(COLOR_BTNFACE));
    if (!block) return;
    const int width = DibWidth(block), height = DibHeight(block);
    RECT target;
    target.left = area.left + (area.right - area.left - width) / 2;
    target.top = area.top + (area.bottom - area.top - height) / 2;
    target.right = target.left + width;
    target.bottom = target.top + height;
    PaintDib(draw.hDC, target, block);
}

void CentreOverOwner(HWND window) {
    if (!window) return;
    RECT box, over, desktop;
    GetWindowRect(window, &box);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &desktop, 0);
    HWND owner = GetParent(window);   // a popup's owner
    if (!owner || !IsWindowVisible(owner) || !GetWindowRect(owner, &over)) over = desktop;
    const LONG width = box.right - box.left, height = box.bottom - box.top;
    LONG x = over.left + (over.right - over.left - width) / 2;
    LONG y = over.top + (over.bottom - over.top - height) / 2;
    if (x + width > desktop.right) x = desktop.right - width;
    if (y + height > desktop.bottom) y = desktop.bottom - height;
    if (x < desktop.left) x = desktop.left;
    if (y < desktop.top) y = desktop.top;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
