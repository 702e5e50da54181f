// The Edit List dialog: the open list in a report-style list view, where the
// user reorders entries with Move Up and Move Down and picks the picture to
// show.  The open list itself changes only on OK.
#include "navigation.h"

#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "open_list.h"
#include "resource_ids.h"

namespace {

HINSTANCE g_module = nullptr;

constexpr char kDefaultColumns[] = "File Name@Type@";
constexpr char kDefaultType[] = "Picture";

struct EditListState {
    OpenList* list;
    // Copies of the list's paths, made once and never moved: each row's item
    // data points at one of them.
    std::vector<std::unique_ptr<std::string>> paths;
    // The paths in row order, kept in step with the rows' item data.
    std::vector<const std::string*> rows;
    int position;
};

std::string LoadText(UINT id, const char* fallback) {
    char text[256];
    if (g_module && LoadStringA(g_module, id, text, sizeof text) > 0) return text;
    return fallback;
}

HWND ListOf(HWND dialog) { return GetDlgItem(dialog, IDC_EDIT_LIST_VIEW); }

void SelectRow(HWND list, int row) {
    ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(list, row, FALSE);
}

// Writes row's path into its item data and first column.
void WriteRow(HWND list, int row, const std::string* path) {
    LVITEMA item = {};
    item.mask = LVIF_PARAM | LVIF_TEXT;
    item.iItem = row;
    item.lParam = reinterpret_cast<LPARAM>(path);
    item.pszText = const_cast<char*>(path->c_str());
    SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void FillList(HWND dialog, EditListState* state) {
    HWND list = ListOf(dialog);
    ListView_SetExtendedListViewStyle(list, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);

    // Column titles come as one string, each title followed by "@".
    const std::string titles = LoadText(IDS_FILE_LIST_COLUMNS, kDefaultColumns);
    const int widths[] = {200, 60};
    size_t start = 0;
    for (int column = 0; column < 2 && start < titles.size(); ++column) {
        size_t end = titles.find('@', start);
        if (end == std::string::npos) end = titles.size();
        std::string title = titles.substr(start, end - start);
        LVCOLUMNA col = {};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        col.cx = widths[column];
        col.iSubItem = column;
        col.pszText = &title[0];
        SendMessageA(list, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&col));
        start = end + 1;
    }

    std::string type = LoadText(IDS_PICTURE, kDefaultType);
    for (size_t i = 0; i < state->rows.size(); ++i) {
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = static_cast<int>(i);
        item.lParam = reinterpret_cast<LPARAM>(state->rows[i]);
        item.pszText = const_cast<char*>(state->rows[i]->c_str());
        const int row = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        ListView_SetItemText(list, row, 1, &type[0]);
    }

    const int last = static_cast<int>(state->rows.size()) - 1;
    if (state->position > last) state->position = last;
    if (state->position < 0) state->position = last < 0 ? -1 : 0;
    if (state->position >= 0) SelectRow(list, state->position);
}

// Move Up (step -1) or Move Down (step +1): the selected row trades paths
// with its neighbour and stays selected as it moves.
void MoveSelected(HWND dialog, EditListState* state, int step) {
    const int from = state->position;
    const int to = MoveListEntry(state->rows, from, step);
    if (to == from) return;
    HWND list = ListOf(dialog);
    WriteRow(list, from, state->rows[static_cast<size_t>(from)]);
    WriteRow(list, to, state->rows[static_cast<size_t>(to)]);
    ListView_SetItemState(list, from, 0, LVIS_SELECTED | LVIS_FOCUSED);
    state->position = to;
    SelectRow(list, to);
}

// OK: the open list takes the rows' order, read back from their item data.
void RewriteList(HWND dialog, EditListState* state) {
    HWND list = ListOf(dialog);
    const int count = ListView_GetItemCount(list);
    std::vector<std::string> order;
    order.reserve(static_cast<size_t>(count));
    for (int row = 0; row < count; ++row) {
        LVITEMA item = {};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        if (const auto* path = reinterpret_cast<const std::string*>(item.lParam)) order.push_back(*path);
    }
    state->list->Clear();
    for (const std::string& path : order) state->list->Append(path);
}

INT_PTR CALLBACK EditListProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    auto* state = reinterpret_cast<EditListState*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (msg) {
    case WM_INITDIALOG:
        state = reinterpret_cast<EditListState*>(lp);
        SetWindowLongPtrA(dialog, DWLP_USER, lp);
        FillList(dialog, state);
        return TRUE;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lp);
        if (state && header->idFrom == IDC_EDIT_LIST_VIEW && header->code == LVN_ITEMCHANGED) {
            const auto* change = reinterpret_cast<const NMLISTVIEW*>(lp);
            if ((change->uChanged & LVIF_STATE) && (change->uNewState & LVIS_SELECTED))
                state->position = change->iItem;
        }
        return FALSE;
    }
    case WM_COMMAND:
        if (!state) return FALSE;
        switch (LOWORD(wp)) {
        case IDC_EDIT_LIST_UP:
            MoveSelected(dialog, state, -1);
            return TRUE;
        case IDC_EDIT_LIST_DOWN:
            MoveSelected(dialog, state, +1);
            return TRUE;
        case IDOK:
            RewriteList(dialog, state);
            EndDialog(dialog, 1);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

// Runs the dialog made by show on a copy of the open list.
template <typename Show>
int RunOnOpenList(Show show) {
    OpenList* list = NavigationOpenList();
    if (!list) return -1;
    EditListState state = {};
    state.list = list;
    state.position = OpenListPosition();
    for (int i = 0; i < list->Count(); ++i) {
        state.paths.push_back(std::make_unique<std::string>(list->At(i)));
        state.rows.push_back(state.paths.back().get());
    }
    if (show(reinterpret_cast<LPARAM>(&state)) != 1) return -1;
    return state.list->Count() > 0 ? state.position : -1;
}

}  // namespace

void SetNavigationResourceModule(HINSTANCE module) { g_module = module; }

int RunEditListDialog(HWND owner) {
    return RunOnOpenList([owner](LPARAM state) {
        return DialogBoxParamA(g_module, MAKEINTRESOURCEA(IDD_EDIT_LIST), owner, EditListProc, state);
    });
}

int RunEditListDialogIndirect(HWND owner, const DLGTEMPLATE* dialog) {
    return RunOnOpenList([owner, dialog](LPARAM state) {
        return DialogBoxIndirectParamA(GetModuleHandleA(nullptr), dialog, owner, EditListProc, state);
    });
}
