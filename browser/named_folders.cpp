#include "named_folders.h"

#include <commctrl.h>
#include <shlobj.h>

#include "file_transfer.h"
#include "folder_chooser.h"
#include "program.h"
#include "resource_ids.h"
#include "send_to_cache.h"
#include "shortcut.h"

namespace {

std::string StringOr(UINT id, const char* fallback) {
    std::string text = ResourceString(id);
    return text.empty() ? fallback : text;
}

// SHELL32.DLL in the system folder, whose icon 3 (a folder) the shortcuts get.
std::string ShellIconFile() {
    char system[MAX_PATH] = "";
    GetSystemDirectoryA(system, sizeof system);
    return WithTrailingBackslash(system) + "SHELL32.DLL";
}

// The last component of a folder path ("" for a drive root).
std::string LastComponent(std::string folder) {
    while (!folder.empty() && folder.back() == '\\') folder.pop_back();
    if (folder.size() == 2 && folder[1] == ':') return std::string();
    const size_t slash = folder.find_last_of('\\');
    return slash == std::string::npos ? folder : folder.substr(slash + 1);
}

bool IsShortcutFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) && IsShortcutName(path);
}

// The dialog's record, attached to the dialog window.
struct FolderDialog {
    NamedFolderEdit edit;
    bool destination = false;     // dialog 192
    std::string* chosen = nullptr;
    HWND list = nullptr;
};

FolderDialog* RecordOf(HWND dialog) {
    return reinterpret_cast<FolderDialog*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
}

void InsertRow(HWND list, int at, const NamedFolderRow& row) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = at;
    item.pszText = const_cast<char*>(row.name.c_str());
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    LVITEMA sub = {};
    sub.iSubItem = 1;
    sub.pszText = const_cast<char*>(row.folder.c_str());
    SendMessageA(list, LVM_SETITEMTEXTA, at, reinterpret_cast<LPARAM>(&sub));
}

int SelectedRow(HWND list) {
    return static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void SelectRow(HWND list, int row) {
    LVITEMA state = {};
    state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
}

void SetUpList(HWND list, UINT headingsId) {
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    std::string headings = StringOr(headingsId, "Folder Name@Folder Directory@");
    const int widths[2] = {100, 180};
    size_t start = 0;
    for (int column = 0; column < 2; ++column) {
        size_t at = headings.find('@', start);
        std::string text = headings.substr(start, at == std::string::npos ? std::string::npos : at - start);
        start = at == std::string::npos ? headings.size() : at + 1;
        LVCOLUMNA col = {};
        col.mask = LVCF_TEXT | LVCF_WIDTH;
        col.cx = widths[column];
        col.pszText = const_cast<char*>(text.c_str());
        SendMessageA(list, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&col));
    }
}

void OnInit(HWND dialog, FolderDialog* record) {
    SetWindowLongPtrA(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(record));
    record->list = GetDlgItem(dialog, IDC_FOLDER_LIST);
    SetUpList(record->list, IDS_FOLDER_COLUMNS);
    InvalidateSendToCache();
    record->edit = ReadNamedFolders();
    for (size_t i = 0; i < record->edit.rows.size(); ++i)
        InsertRow(record->list, static_cast<int>(i), record->edit.rows[i]);
    if (!record->edit.rows.empty()) SelectRow(record->list, 0);
}

void AddRow(HWND dialog, FolderDialog* record) {
    const std::string folder = ChooseFolder(dialog, StringOr(IDS_CHOOSE_FOLDER, "Choose a folder").c_str(), "");
    if (folder.empty()) return;
    NamedFolderRow row;
    row.folder = folder.size() > 3 ? folder.substr(0, folder.size() - 1) : folder;
    row.name = LastComponent(folder);
    if (row.name.empty()) row.name = folder.substr(0, 1);   // a drive: its letter
    record->edit.rows.push_back(row);
    const int at = static_cast<int>(record->edit.rows.size()) - 1;
    InsertRow(record->list, at, row);
    SelectRow(record->list, at);
}

void RemoveRow(FolderDialog* record) {
    const int row = SelectedRow(record->list);
    if (row < 0 || row >= static_cast<int>(record->edit.rows.size())) return;
    if (record->edit.rows[row].original >= 0) record->edit.removed.push_back(record->edit.rows[row].original);
    record->edit.rows.erase(record->edit.rows.begin() + row);
    SendMessageA(record->list, LVM_DELETEITEM, row, 0);
    const int count = static_cast<int>(record->edit.rows.size());
    if (count > 0) SelectRow(record->list, row < count ? row : count - 1);
}

bool OnOk(HWND dialog, FolderDialog* record) {
    if (record->destination) {
        char text[MAX_PATH + 1] = "";
        GetDlgItemTextA(dialog, IDC_DESTINATION_EDIT, text, sizeof text);
        *record->chosen = text;
    }
    const std::vector<std::string> failures = ApplyNamedFolders(record->edit);
    if (!failures.empty()) {
        std::string lines;
        for (const std::string& line : failures) lines += line + "\n";
        ShowFileMessage(dialog, IDS_NAMED_FOLDER_FAILURES, "These named folders could not be changed:\n%s", lines);
    }
    return true;
}

INT_PTR CALLBACK FolderDialogProc(HWND dialog, UINT message, WPARAM wp, LPARAM lp) {
    FolderDialog* record = message == WM_INITDIALOG ? reinterpret_cast<FolderDialog*>(lp) : RecordOf(dialog);
    if (!record) return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        OnInit(dialog, record);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDC_FOLDER_ADD: AddRow(dialog, record); return TRUE;
        case IDC_FOLDER_REMOVE: RemoveRow(record); return TRUE;
        case IDC_FOLDER_RENAME: {
            const int row = SelectedRow(record->list);
            if (row >= 0) {
                SetFocus(record->list);
                SendMessageA(record->list, LVM_EDITLABELA, row, 0);
            }
            return TRUE;
        }
        case IDOK:
            if (OnOk(dialog, record)) EndDialog(dialog, 1);
            return TRUE;
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
        default: return FALSE;
        }
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lp);
        if (header->idFrom != IDC_FOLDER_LIST) return FALSE;
        if (header->code == LVN_ENDLABELEDITA) {
            auto* info = reinterpret_cast<NMLVDISPINFOA*>(lp);
            const int row = info->item.iItem;
            bool accept = false;
            if (info->item.pszText && row >= 0 && row < static_cast<int>(record->edit.rows.size()) &&
                IsValidFolderName(info->item.pszText)) {
                record->edit.rows[row].name = info->item.pszText;
                accept = true;
            }
            SetWindowLongPtrA(dialog, DWLP_MSGRESULT, accept ? TRUE : FALSE);
            return TRUE;
        }
        if (header->code == LVN_ITEMCHANGED && record->destination) {
            auto* change = reinterpret_cast<NMLISTVIEW*>(lp);
            if ((change->uNewState & LVIS_SELECTED) && change->iItem >= 0 &&
                change->iItem < static_cast<int>(record->edit.rows.size()))
                SetDlgItemTextA(dialog, IDC_DESTINATION_EDIT, record->edit.rows[change->iItem].folder.c_str());
        }
        return FALSE;
    }
    default:
        return FALSE;
    }
}

// Dialog 184's record.
struct NameDialog {
    std::string folder;
};

INT_PTR CALLBACK NameDialogProc(HWND dialog, UINT message, WPARAM wp, LPARAM lp) {
    switch (message) {
    case WM_INITDIALOG: {
        auto* record = reinterpret_cast<NameDialog*>(lp);
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lp);
        SetDlgItemTextA(dialog, IDC_NAME_FOLDER_PATH, record->folder.c_str());
        SetDlgItemTextA(dialog, IDC_NAME_FOLDER_EDIT, LastComponent(record->folder).c_str());
        SendDlgItemMessageA(dialog, IDC_NAME_FOLDER_EDIT, EM_LIMITTEXT, MAX_PATH - 5, 0);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK) {
            auto* record = reinterpret_cast<NameDialog*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
            char name[MAX_PATH] = "";
            GetDlgItemTextA(dialog, IDC_NAME_FOLDER_EDIT, name, sizeof name);
            if (name[0]) {
                NamedFolderEdit edit;
                std::string folder = record->folder;
                while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
                edit.rows.push_back({name, folder, -1});
                const std::vector<std::string> failures = ApplyNamedFolders(edit);
                if (!failures.empty()) {
                    ShowFileMessage(dialog, IDS_NAMED_FOLDER_FAILURES,
                                    "These named folders could not be changed:\n%s", failures[0]);
                    return TRUE;   // the user may choose another name
                }
            }
            EndDialog(dialog, 1);
            return TRUE;
        }
        if (LOWORD(wp) == IDCANCEL) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

bool IsValidFolderName(const std::string& name) {
    if (name.empty() || name == "." || name == ".." || name.size() > MAX_PATH - 5) return false;
    return name.find_first_of("\\/:*?\"<>|") == std::string::npos;
}

NamedFolderEdit ReadNamedFolders() {
    NamedFolderEdit edit;
    for (const SendToEntry& entry : SendToEntries()) {
        if (!entry.isFolder) continue;
        NamedFolderRow row;
        row.name = entry.name;
        row.folder = entry.target;
        row.original = static_cast<int>(edit.originalNames.size());
        edit.originalNames.push_back(entry.name);
        edit.originalShortcuts.push_back(entry.path);
        edit.rows.push_back(row);
    }
    return edit;
}

std::vector<std::string> ApplyNamedFolders(const NamedFolderEdit& edit) {
    std::vector<std::string> failures;
    const std::string sendTo = SendToFolderPath();
    if (sendTo.empty()) {
        for (const NamedFolderRow& row : edit.rows)
            if (row.original < 0) failures.push_back(row.name + ": " + StringOr(IDS_REASON_REFUSED, "the system refused"));
        return failures;
    }
    auto fail = [&](const std::string& name, UINT reason, const char* fallback) {
        failures.push_back(name + ": " + StringOr(reason, fallback));
    };
    for (int original : edit.removed) {
        if (original < 0 || original >= static_cast<int>(edit.originalShortcuts.size())) continue;
        const std::string& path = edit.originalShortcuts[original];
        if (!IsShortcutFile(path)) fail(edit.originalNames[original], IDS_REASON_REAL_FOLDER, "a folder, not a shortcut");
        else if (!DeleteFileA(path.c_str())) fail(edit.originalNames[original], IDS_REASON_REFUSED, "the system refused");
    }
    for (const NamedFolderRow& row : edit.rows) {
        if (row.original < 0 || row.original >= static_cast<int>(edit.originalNames.size())) continue;
        if (lstrcmpiA(row.name.c_str(), edit.originalNames[row.original].c_str()) == 0) continue;
        const std::string& from = edit.originalShortcuts[row.original];
        const std::string to = sendTo + row.name + ".lnk";
        if (!IsValidFolderName(row.name)) fail(row.name, IDS_REASON_BAD_NAME, "not a valid name");
        else if (!IsShortcutFile(from)) fail(row.name, IDS_REASON_REAL_FOLDER, "a folder, not a shortcut");
        else if (GetFileAttributesA(to.c_str()) != INVALID_FILE_ATTRIBUTES) fail(row.name, IDS_REASON_NAME_TAKEN, "the name is taken");
        else if (!MoveFileA(from.c_str(), to.c_str())) fail(row.name, IDS_REASON_REFUSED, "the system refused");
    }
    for (const NamedFolderRow& row : edit.rows) {
        if (row.original >= 0) continue;
        const std::string to = sendTo + row.name + ".lnk";
        if (!IsValidFolderName(row.name)) fail(row.name, IDS_REASON_BAD_NAME, "not a valid name");
        else if (GetFileAttributesA(to.c_str()) != INVALID_FILE_ATTRIBUTES) fail(row.name, IDS_REASON_NAME_TAKEN, "the name is taken");
        else if (FAILED(CreateShortcut(row.folder, "", ShellIconFile(), 3, to, row.name)))
            fail(row.name, IDS_REASON_REFUSED, "the system refused");
    }
    InvalidateSendToCache();
    return failures;
}

bool ShowDefineFolderDialog(HWND owner) {
    FolderDialog record;
    return DialogBoxParamA(Program().resourceModule, MAKEINTRESOURCEA(IDD_DEFINE_FOLDER), owner, FolderDialogProc,
                           reinterpret_cast<LPARAM>(&record)) == 1;
}

bool ShowDestinationDialog(HWND owner, std::string* destination) {
    FolderDialog record;
    record.destination = true;
    record.chosen = destination;
    return DialogBoxParamA(Program().resourceModule, MAKEINTRESOURCEA(IDD_COPY_MOVE_DESTINATION), owner,
                           FolderDialogProc, reinterpret_cast<LPARAM>(&record)) == 1;
}

void ShowNameFolderDialog(HWND owner, const std::string& folder) {
    NameDialog record{folder};
    DialogBoxParamA(Program().resourceModule, MAKEINTRESOURCEA(IDD_NAME_FOLDER), owner, NameDialogProc,
                    reinterpret_cast<LPARAM>(&record));
}
