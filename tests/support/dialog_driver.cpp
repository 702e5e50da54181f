#include "dialog_driver.h"

#include <commctrl.h>

std::string Text(HWND dialog, int id) {
    char text[600] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

int Position(HWND dialog, int id) { return static_cast<int>(SendDlgItemMessageA(dialog, id, TBM_GETPOS, 0, 0)); }
bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

COLORREF PreviewMiddle(HWND dialog, int id) {
    HWND preview = GetDlgItem(dialog, id);
    UpdateWindow(preview);
    RECT r;
    GetClientRect(preview, &r);
    HDC dc = GetDC(preview);
    const COLORREF colour = GetPixel(dc, r.right / 2, r.bottom / 2);
    ReleaseDC(preview, dc);
    return colour;
}

Driver* Driver::current_ = nullptr;

Driver& Driver::Slide(int id, int position) {
    return Then([id, position](HWND d) {
        HWND slider = GetDlgItem(d, id);
        SendMessageA(slider, TBM_SETPOS, TRUE, position);
        SendMessageA(d, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position), reinterpret_cast<LPARAM>(slider));
    });
}

void Driver::Run(const std::function<void()>& show) {
    current_ = this;
    UINT_PTR timer = SetTimer(nullptr, 0, 20, Tick);
    show();
    KillTimer(nullptr, timer);
    current_ = nullptr;
}

BOOL CALLBACK Driver::Collect(HWND window, LPARAM list) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (IsWindowVisible(window) && lstrcmpA(name, "#32770") == 0)
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

void CALLBACK Driver::Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (!current_) return;
    Driver& d = *current_;
    std::vector<HWND> windows;
    EnumThreadWindows(GetCurrentThreadId(), Collect, reinterpret_cast<LPARAM>(&windows));
    HWND dialog = nullptr;
    for (HWND w : windows) {
        if (GetDlgItem(w, d.marker_)) {
            dialog = w;
            continue;
        }
        char title[128] = {};
        GetWindowTextA(w, title, sizeof title);
        d.boxes.push_back(std::string(title) + ": " + Text(w, 0xFFFF));
        PostMessageA(w, WM_COMMAND, IDOK, 0);
        return;
    }
    if (!dialog || d.busy_) return;
    if (d.next_ < d.steps_.size()) {
        d.busy_ = true;
        d.steps_[d.next_++](dialog);
        d.busy_ = false;
    } else if (++d.idle_ > 200) {
        d.timedOut = true;
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    }
}
