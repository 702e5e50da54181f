#include "url_list_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <new>
#include <vector>

#include "commands.h"
#include "program.h"
#include "resource_ids.h"
#include "url_list.h"

namespace {

constexpr int kColumnWidths[] = {200, 140, 220};
constexpr int kAddressColumn = 0;
constexpr int kHostColumn = 1;
constexpr int kTitleColumn = 2;

// The list's record, attached with GWL_USERDATA.
struct UrlListState {
    std::string file;
    WNDPROC listProc = nullptr;  // the list view's own procedure
    int current = 0;             // row last selected
    bool modified = false;
};

UrlListWheelHandler g_wheel = nullptr;

UrlListState* StateOf(HWND list) {
    return list ? reinterpret_cast<UrlListState*>(GetWindowLongPtrA(list, GWLP_USERDATA)) : nullptr;
}

std::string CellText(HWND list, int row, int column) {
    std::vector<char> buffer(1024);
    for (;;) {
        LVITEMA item = {};
        item.iSubItem = column;
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(buffer.size());
        const LRESULT n = SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        if (n < static_cast<LRESULT>(buffer.size()) - 1) return std::string(buffer.data(), static_cast<size_t>(n));
        buffer.resize(buffer.size() * 2);
    }
}

void SetCell(HWND list, int row, int column, const std::string& text) {
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.c_str());
    SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

int RowCount(HWND list) { return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }

void InsertRow(HWND list, int row, const UrlEntry& entry) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = const_cast<char*>(entry.address.c_str());
    const int at = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (at < 0) return;
    SetCell(list, at, kHostColumn, entry.host);
    SetCell(list, at, kTitleColumn, entry.title);
}

void SelectRow(HWND list, int row) {
    if (row < 0 || row >= RowCount(list)) return;
    LVITEMA none = {};
    none.stateMask = LVIS_SELECTED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

void ShowMessage(HWND owner, UINT textId, const std::string& insert, UINT icon) {
    std::string pattern = ResourceString(textId);
    std::string text(pattern.size() + insert.size() + 16, '\0');
    const int n = wsprintfA(&text[0], pattern.c_str(), insert.c_str());
    text.resize(n > 0 ? static_cast<size_t>(n) : 0);
    MessageBoxA(owner, text.c_str(), ResourceString(IDS_URL_LIST_TITLE).c_str(), MB_OK | icon);
}

void LoadUrlList(HWND list, const std::string& file) {
    UrlEntry builtIn;
    if (ParseUrlLine(ResourceString(IDS_BUILT_IN_URL), &builtIn)) InsertRow(list, 0, builtIn);
    std::vector<UrlEntry> entries;
    ReadUrlFile(file, &entries);  // unreadable: only the built-in row
    int row = RowCount(list);
    for (const UrlEntry& entry : entries) InsertRow(list, row++, entry);
}

// The edit dialog's fields, in and out.
struct UrlFields {
    std::string address;
    std::string title;
};

std::string ItemText(HWND dialog, int id) {
    char text[kUrlFieldLimit + 1] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

INT_PTR CALLBACK UrlInfoProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: {
        auto* fields = reinterpret_cast<UrlFields*>(lp);
        SetWindowLongPtrA(dialog, DWLP_USER, lp);
        SendDlgItemMessageA(dialog, IDC_URL_ADDRESS, EM_LIMITTEXT, kUrlFieldLimit, 0);
        SendDlgItemMessageA(dialog, IDC_URL_TITLE, EM_LIMITTEXT, kUrlFieldLimit, 0);
        SetDlgItemTextA(dialog, IDC_URL_ADDRESS, fields->address.c_str());
        SetDlgItemTextA(dialog, IDC_URL_TITLE, fields->title.c_str());
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDOK: {
            auto* fields = reinterpret_cast<UrlFields*>(GetWindowLongPtrA(dialog, DWLP_USER));
            const std::string title = ItemText(dialog, IDC_URL_TITLE);
            // The title is what follows the line's last "=": one holding "="
            // would come back split.
            if (!UrlTitleAcceptable(title)) {
                ShowMessage(dialog, IDS_URL_TITLE_EQUALS, std::string(), MB_ICONWARNING);
                SetFocus(GetDlgItem(dialog, IDC_URL_TITLE));
                return TRUE;
            }
            fields->address = ItemText(dialog, IDC_URL_ADDRESS);
            fields->title = title;
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        default:
            return FALSE;  // EN_CHANGE and EN_UPDATE of the fields among them
        }
    default:
        return FALSE;
    }
}

void ShowContextMenu(HWND list, LPARAM lp) {
    HMENU menu = LoadMenuA(Program().resourceModule, MAKEINTRESOURCEA(IDM_CONTEXT));
    if (!menu) return;
    POINT at{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    if (lp == -1) GetCursorPos(&at);
    if (HMENU popup = GetSubMenu(menu, CONTEXT_POPUP_URL))
        TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, list, nullptr);
    DestroyMenu(menu);
}

LRESULT CALLBACK UrlListProc(HWND list, UINT msg, WPARAM wp, LPARAM lp) {
    UrlListState* state = StateOf(list);
    if (!state) return DefWindowProcA(list, msg, wp, lp);
    const WNDPROC listProc = state->listProc;
    switch (msg) {
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDC_OPEN_URL: OpenUrl(list); return 0;
        case IDC_EDIT_URL: EditUrl(list, false); return 0;
        case IDC_INSERT_URL: EditUrl(list, true); return 0;
        case IDC_DELETE_URL: DeleteUrl(list); return 0;
        default:
            if (HWND browser = GetParent(list)) return SendMessageA(browser, msg, wp, lp);
            return 0;
        }
    case WM_CONTEXTMENU:
        ShowContextMenu(list, lp);
        return 0;
    case WM_KEYUP:
        if (wp == VK_DELETE) {
            DeleteUrl(list);
            return 0;
        }
        break;
    case WM_MOUSEWHEEL:
        if (g_wheel && g_wheel(list, wp, lp)) return 0;
        break;
    case WM_DESTROY: {
        SaveUrlList(list);
        SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(listProc));
        SetWindowLongPtrA(list, GWLP_USERDATA, 0);
        delete state;
        return CallWindowProcA(listProc, list, msg, wp, lp);
    }
    default:
        break;
    }
    return CallWindowProcA(listProc, list, msg, wp, lp);
}

}  // namespace

HWND CreateUrlList(HWND browser, HINSTANCE instance, UINT id, const std::string& file) {
    HWND list = CreateWindowExA(WS_EX_STATICEDGE, WC_LISTVIEWA, "", WS_CHILD | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, 0, 0,
                                0, 0, browser, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    if (!list) return nullptr;
    auto* state = new (std::nothrow) UrlListState;
    if (!state) {
        DestroyWindow(list);
        return nullptr;
    }
    state->file = file;
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    for (int i = 0; i < 3; ++i) {
        std::string text = ResourceString(IDS_URL_COLUMN_URL + i);
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = &text[0];
        column.cx = kColumnWidths[i];
        SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
    LoadUrlList(list, file);
    SetWindowLongPtrA(list, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    state->listProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(UrlListProc)));
    return list;
}

bool HandleUrlListNotify(const NMHDR* header, LRESULT* answer) {
    UrlListState* state = header ? StateOf(header->hwndFrom) : nullptr;
    if (!state) return false;
    HWND list = header->hwndFrom;
    *answer = 0;
    switch (header->code) {
    case LVN_ITEMCHANGED: {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
        if (change->iItem >= 0 && (change->uNewState & LVIS_SELECTED) && !(change->uOldState & LVIS_SELECTED))
            state->current = change->iItem;
        return true;
    }
    case NM_DBLCLK:
        OpenUrl(list);
        return true;
    default:
        return false;
    }
}

void SetUrlListWheelHandler(UrlListWheelHandler handler) { g_wheel = handler; }

void OpenUrl(HWND list) {
    UrlListState* state = StateOf(list);
    if (!state || state->current < 0 || state->current >= RowCount(list)) return;
    const std::string address = CellText(list, state->current, kAddressColumn);
    std::string target;
    switch (CheckUrlToOpen(address, &target)) {
    case UrlOpenVerdict::kEmpty:
        return;
    case UrlOpenVerdict::kRefused:
        // A line of the file may name anything: only web and mail
        // addresses go to the shell, never a program or a path.
        ShowMessage(GetParent(list), IDS_URL_REFUSED, address, MB_ICONWARNING);
        return;
    case UrlOpenVerdict::kOpen:
        ShellExecuteA(GetParent(list), "open", target.c_str(), nullptr, nullptr, SW_SHOW);
        return;
    }
}

void EditUrl(HWND list, bool newEntry) {
    UrlListState* state = StateOf(list);
    if (!state) return;
    const int rows = RowCount(list);
    if (!newEntry && (state->current < 0 || state->current >= rows)) return;
    UrlFields fields;
    if (newEntry) {
        fields.address = "http://";
    } else {
        fields.address = CellText(list, state->current, kAddressColumn);
        fields.title = CellText(list, state->current, kTitleColumn);
    }
    const INT_PTR result = DialogBoxParamA(Program().resourceModule, MAKEINTRESOURCEA(IDD_URL_INFO), GetParent(list),
                                           UrlInfoProc, reinterpret_cast<LPARAM>(&fields));
    if (result != IDOK) return;
    if (newEntry) {
        // Before the current row; the new row becomes the current one.
        const int at = state->current >= 0 && state->current <= rows ? state->current : rows;
        InsertRow(list, at, MakeUrlEntry(fields.address, fields.title));
        state->current = at;
        SelectRow(list, at);
    } else {
        // The host column keeps its text until the list is next loaded.
        SetCell(list, state->current, kAddressColumn, fields.address);
        SetCell(list, state->current, kTitleColumn, fields.title);
    }
    state->modified = true;
}

void DeleteUrl(HWND list) {
    UrlListState* state = StateOf(list);
    if (!state || state->current < 0 || state->current >= RowCount(list)) return;
    SendMessageA(list, LVM_DELETEITEM, static_cast<WPARAM>(state->current), 0);
    state->current = state->current > 0 ? state->current - 1 : 0;
    SelectRow(list, state->current);
    state->modified = true;
}

bool SaveUrlList(HWND list) {
    UrlListState* state = StateOf(list);
    if (!state || !state->modified) return true;
    std::vector<UrlEntry> entries;
    const int rows = RowCount(list);
    for (int row = 0; row < rows; ++row) {
        UrlEntry entry;
        entry.address = CellText(list, row, kAddressColumn);
        entry.title = CellText(list, row, kTitleColumn);
        entries.push_back(entry);
    }
    if (!WriteUrlFile(state->file, entries, ResourceString(IDS_BUILT_IN_URL))) {
        // The old file is whole; the user learns that the changes were not
        // kept.  The list is saved as the program ends, when a quit message
        // may already wait: it would close the box unread, so it waits
        // until the box is answered.
        MSG quit;
        const bool quitting = PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
        ShowMessage(nullptr, IDS_URL_SAVE_FAILED, state->file, MB_ICONSTOP | MB_TASKMODAL);
        if (quitting) PostQuitMessage(static_cast<int>(quit.wParam));
        return false;
    }
    state->modified = false;
    return true;
}

int CurrentUrlRow(HWND list) {
    UrlListState* state = StateOf(list);
    return state ? state->current : -1;
}

bool UrlListModified(HWND list) {
    UrlListState* state = StateOf(list);
    return state && state->modified;
}
