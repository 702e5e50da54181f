#include "status_bar.h"

#include <commctrl.h>

#include <cstdio>

#include "program.h"
#include "resource_ids.h"
#include "win_guards.h"

namespace {

constexpr int kInitialWidths[kStatusTextParts] = {20, 80, 20, 20, 20};

}  // namespace

std::string FormatFileSize(unsigned long long size) {
    unsigned long long k;
    if (size >= 0x1400000ull)
        k = static_cast<unsigned long long>(static_cast<double>(size) * 100.0 / 1024.0);
    else
        k = size * 100 / 1024;
    char text[64];
    if (k / 100 < 1025) {
        std::snprintf(text, sizeof text, "%d.%02d KB", static_cast<int>(k / 100), static_cast<int>(k % 100));
    } else {
        unsigned long long m = (k / 100) * 100 / 1024;
        std::snprintf(text, sizeof text, "%d.%02d MB", static_cast<int>(m / 100), static_cast<int>(m % 100));
    }
    return text;
}

void ApplyStatusParts(HWND bar, const std::string* texts) {
    if (!bar) return;
    int edges[kStatusTextParts + 1];
    {
        WindowDC dc(bar);
        SelectedObject font(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(bar, WM_GETFONT, 0, 0)));
        int right = 0;
        for (int i = 0; i < kStatusTextParts; ++i) {
            int width = kInitialWidths[i];
            if (texts) {
                SIZE extent{0, 0};
                GetTextExtentPoint32A(dc, texts[i].c_str(), static_cast<int>(texts[i].size()), &extent);
                width = extent.cx + 8;
            }
            right += width;
            edges[i] = right;
        }
    }
    edges[kStatusTextParts] = -1;
    SendMessageA(bar, SB_SETPARTS, kStatusTextParts + 1, reinterpret_cast<LPARAM>(edges));
}

std::string StatusPartText(HWND bar, int part) {
    const int length = LOWORD(SendMessageA(bar, SB_GETTEXTLENGTHA, part, 0));
    std::string text(static_cast<size_t>(length) + 1, '\0');
    SendMessageA(bar, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(length));
    return text;
}

void SetStatusPartText(HWND bar, int part, const std::string& text) {
    SendMessageA(bar, SB_SETTEXTA, part, reinterpret_cast<LPARAM>(text.c_str()));
}

void ShowStatusPart(HWND bar, int part, const std::string& text) {
    if (!bar) return;
    std::string texts[kStatusTextParts];
    for (int i = 0; i < kStatusTextParts; ++i) texts[i] = i == part ? text : StatusPartText(bar, i);
    SetStatusPartText(bar, part, text);
    ApplyStatusParts(bar, texts);
}

void ShowLoadProgress(HWND bar, int rowsDone, int rowsTotal) {
    if (!bar || rowsTotal <= 0) return;
    char text[128];
    std::snprintf(text, sizeof text, ResourceString(IDS_STATUS_LOADING).c_str(), rowsDone * 100 / rowsTotal);
    SetStatusPartText(bar, 1, text);
}
