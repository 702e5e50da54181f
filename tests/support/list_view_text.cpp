#include "list_view_text.h"

#include <commctrl.h>

#include <cstring>

std::string ListItemText(HWND list, int index, int column) {
    char text[260] = "";
    LVITEMA it = {};
    it.iSubItem = column;
    it.pszText = text;
    it.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, index, reinterpret_cast<LPARAM>(&it));
    return text;
}

std::string ListHeading(HWND list, int column) {
    char text[128] = "";
    LVCOLUMNA col = {};
    col.mask = LVCF_TEXT;
    col.pszText = text;
    col.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&col));
    return text;
}

void WriteTextFile(const std::string& path, const char* text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
    CloseHandle(file);
}
