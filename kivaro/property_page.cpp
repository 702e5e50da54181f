// The property page "ICON": the picture's thumbnail and its facts as the
// thumbnail cache holds them.  The page keeps its thumbnail as the window
// property "DIB" from WM_INITDIALOG to WM_DESTROY.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>
#include <new>

#include "icon_extension.h"
#include "resource_ids.h"

namespace {

const char kThumbProperty[] = "DIB";

ThumbPicture* ThumbOf(HWND page) { return static_cast<ThumbPicture*>(GetPropA(page, kThumbProperty)); }

void SetNumber(HWND page, int id, uint32_t value) {
    char text[16];
    snprintf(text, sizeof text, "%u", static_cast<unsigned>(value));
    SetDlgItemTextA(page, id, text);
}

// The stored last-write time as it is, without a change to local time.
void ShowFileTime(HWND page, uint32_t low, uint32_t high) {
    FILETIME time = {low, high};
    SYSTEMTIME parts;
    if (!FileTimeToSystemTime(&time, &parts)) return;
    char text[64];
    snprintf(text, sizeof text, "%d.%d.%d-(%d)-[%d:%d:%d.%03d]", parts.wYear, parts.wMonth, parts.wDay,
             parts.wDayOfWeek, parts.wHour, parts.wMinute, parts.wSecond, parts.wMilliseconds);
    SetDlgItemTextA(page, IDC_KIVARO_FILE_TIME, text);
}

// Gives the sample control a client area of the thumbnail's size around
// the centre it had.
void FitSample(HWND page, int width, int height) {
    HWND sample = GetDlgItem(page, IDC_KIVARO_SAMPLE);
    if (!sample) return;
    RECT now;
    GetWindowRect(sample, &now);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&now), 2);
    RECT want = {0, 0, width, height};
    AdjustWindowRectEx(&want, static_cast<DWORD>(GetWindowLongA(sample, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongA(sample, GWL_EXSTYLE)));
    int outerWidth = want.right - want.left, outerHeight = want.bottom - want.top;
    int centreX = (now.left + now.right) / 2, centreY = (now.top + now.bottom) / 2;
    SetWindowPos(sample, nullptr, centreX - outerWidth / 2, centreY - outerHeight / 2, outerWidth,
                 outerHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

void DrawSample(HWND page, const DRAWITEMSTRUCT& item) {
    const ThumbPicture* thumb = ThumbOf(page);
    if (!thumb) return;
    int width = thumb->header.biWidth, height = -thumb->header.biHeight;
    int x = (item.rcItem.left + item.rcItem.right - width) / 2;
    int y = (item.rcItem.top + item.rcItem.bottom - height) / 2;
    SetDIBitsToDevice(item.hDC, x, y, width, height, 0, 0, 0, height, thumb->pixels.data(),
                      reinterpret_cast<const BITMAPINFO*>(&thumb->header), DIB_RGB_COLORS);
}

void InitPage(HWND page, const PROPSHEETPAGEA* sheetPage) {
    for (int id = IDC_KIVARO_FILE_TIME; id <= IDC_KIVARO_TYPE; ++id) SetDlgItemTextA(page, id, "");
    if (!sheetPage || !sheetPage->lParam) return;
    ThumbPicture* thumb = new (std::nothrow) ThumbPicture;
    if (!thumb) return;
    bool found = false;
    try {
        found = FindCurrentThumb(PageFileName(sheetPage->lParam), thumb);
    } catch (...) {
        found = false;
    }
    if (!found) {
        delete thumb;
        return;
    }
    SetPropA(page, kThumbProperty, thumb);
    ShowFileTime(page, thumb->timeLow, thumb->timeHigh);
    SetNumber(page, IDC_KIVARO_FILE_SIZE, thumb->fileSize);
    SetNumber(page, IDC_KIVARO_WIDTH, thumb->width);
    SetNumber(page, IDC_KIVARO_HEIGHT, thumb->height);
    SetNumber(page, IDC_KIVARO_BITS, thumb->bits);
    SetDlgItemTextA(page, IDC_KIVARO_TYPE, thumb->format.c_str());
    FitSample(page, thumb->header.biWidth, -thumb->header.biHeight);
}

// Makes Explorer rebuild every icon.
void FlushAllIcons() { SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_FLUSHNOWAIT, nullptr, nullptr); }

}  // namespace

INT_PTR CALLBACK IconPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        InitPage(page, reinterpret_cast<const PROPSHEETPAGEA*>(lParam));
        return TRUE;
    case WM_DRAWITEM:
        if (wParam != IDC_KIVARO_SAMPLE) return FALSE;
        DrawSample(page, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_KIVARO_FLUSH && HIWORD(wParam) == BN_CLICKED) {
            FlushAllIcons();
            return TRUE;
        }
        return FALSE;
    case WM_NOTIFY:
        if (reinterpret_cast<const NMHDR*>(lParam)->code == static_cast<UINT>(PSN_APPLY)) {
            FlushAllIcons();
            SetWindowLongPtrA(page, DWLP_MSGRESULT, PSNRET_NOERROR);
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY:
        delete static_cast<ThumbPicture*>(RemovePropA(page, kThumbProperty));
        return FALSE;
    }
    return FALSE;
}
