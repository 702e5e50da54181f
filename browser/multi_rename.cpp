#include "multi_rename.h"

#include <commctrl.h>

#include <cstdio>

#include "file_operations.h"
#include "file_transfer.h"
#include "program.h"
#include "rename_plan.h"
#include "resource_ids.h"

namespace {

std::string StringOr(UINT id, const char* fallback) {
    std::string text = ResourceString(id);
    return text.empty() ? fallback : text;
}

std::string Formatted(const std::string& format, const std::string& detail) {
    const size_t at = format.find("%s");
    return at == std::string::npos ? format : format.substr(0, at) + detail + format.substr(at + 2);
}

bool PathTaken(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string NameOf(const std::string& path) {
    const size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// One pass of moves through the shell; true when every file has its new
// name (MoveFilesQuiet asks the disk, not only the shell).
bool RunPass(HWND owner, const std::vector<RenameStep>& steps) {
    if (steps.empty()) return true;
    std::vector<std::string> from, to;
    for (const RenameStep& step : steps) {
        from.push_back(step.from);
        to.push_back(step.to);
    }
    const std::string fromList = JoinPathList(from);
    const std::string toList = JoinPathList(to);
    return MoveFilesQuiet(owner, fromList.c_str(), toList.c_str());
}

void (*g_betweenPasses)(const std::vector<std::string>& temporaries) = nullptr;

// After a pass of the plan failed (the second when secondFailed), gives
// every file its old name back where that can be done without writing over
// a file, and returns the files that keep another name, one
// "old path -> name now" line each.  Where a file is, the disk tells: the
// shell does not say how far a failed operation got.
std::string PutBack(const RenamePlan& plan, bool secondFailed) {
    const std::vector<RenameStep>& first = plan.first;
    std::vector<std::string> now(first.size());
    for (size_t i = 0; i < first.size(); ++i) {
        if (secondFailed)
            now[i] = PathTaken(plan.second[i].from) ? plan.second[i].from : plan.second[i].to;
        else   // a first pass never moves a file onto another file's old name
            now[i] = !PathTaken(first[i].from) && PathTaken(first[i].to) ? first[i].to : first[i].from;
    }
    // A file that reached its new name may stand on another file's old
    // name: back to the temporary names first, so the old names are free.
    if (secondFailed)
        for (size_t i = 0; i < first.size(); ++i)
            if (now[i] == plan.second[i].to && MoveFileA(now[i].c_str(), plan.second[i].from.c_str()))
                now[i] = plan.second[i].from;
    for (size_t i = 0; i < first.size(); ++i)
        if (now[i] != first[i].from && MoveFileA(now[i].c_str(), first[i].from.c_str())) now[i] = first[i].from;
    std::string left;
    for (size_t i = 0; i < first.size(); ++i)
        if (now[i] != first[i].from) left += first[i].from + " -> " + NameOf(now[i]) + "\n";
    return left;
}

// The dialog's record, attached to the dialog window.
struct RenameDialog {
    std::vector<std::string> paths;
    std::vector<std::string> oldNames;
    std::vector<std::string> newNames;
    std::string pattern;
    unsigned long start = 0;
    bool filling = false;   // the edits are being set by the dialog itself
    bool renamed = false;
    HWND list = nullptr;
};

RenameDialog* RecordOf(HWND dialog) {
    return reinterpret_cast<RenameDialog*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
}

void RefreshNewNames(RenameDialog* record) {
    for (size_t i = 0; i < record->oldNames.size(); ++i)
        record->newNames[i] = RenamedName(record->pattern, record->start + static_cast<unsigned long>(i),
                                          record->oldNames[i]);
    InvalidateRect(record->list, nullptr, FALSE);
}

void UseBaseName(HWND dialog, RenameDialog* record, int index) {
    if (index < 0 || index >= static_cast<int>(record->oldNames.size())) return;
    const RenameTemplate derived = DeriveRenameTemplate(record->oldNames[index]);
    record->pattern = derived.pattern;
    record->start = derived.start;
    record->filling = true;
    SetDlgItemTextA(dialog, IDC_RENAME_TEMPLATE, derived.pattern.c_str());
    SetDlgItemTextA(dialog, IDC_RENAME_START, std::to_string(derived.start).c_str());
    record->filling = false;
    RefreshNewNames(record);
}

void OnInit(HWND dialog, RenameDialog* record) {
    SetWindowLongPtrA(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(record));
    record->list = GetDlgItem(dialog, IDC_RENAME_LIST);
    SendMessageA(record->list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    std::string headings = StringOr(IDS_RENAME_COLUMNS, "New Name@Old Name@");
    size_t begin = 0;
    for (int column = 0; column < 2; ++column) {
        const size_t at = headings.find('@', begin);
        std::string text = headings.substr(begin, at == std::string::npos ? std::string::npos : at - begin);
        begin = at == std::string::npos ? headings.size() : at + 1;
        LVCOLUMNA col = {};
        col.mask = LVCF_TEXT | LVCF_WIDTH;
        col.cx = 180;
        col.pszText = const_cast<char*>(text.c_str());
        SendMessageA(record->list, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&col));
    }
    HWND combo = GetDlgItem(dialog, IDC_RENAME_BASE);
    SendMessageA(combo, WM_SETREDRAW, FALSE, 0);
    for (const std::string& name : record->oldNames) SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    SendMessageA(combo, WM_SETREDRAW, TRUE, 0);
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
    SendDlgItemMessageA(dialog, IDC_RENAME_START, EM_LIMITTEXT, 9, 0);
    SendMessageA(record->list, LVM_SETITEMCOUNT, record->oldNames.size(), 0);
    LVITEMA state = {};
    state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(record->list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
    UseBaseName(dialog, record, 0);
}

void OnEditChanged(HWND dialog, RenameDialog* record) {
    if (record->filling) return;
    char text[MAX_PATH] = "";
    GetDlgItemTextA(dialog, IDC_RENAME_TEMPLATE, text, sizeof text);
    record->pattern = text;
    char start[16] = "";
    GetDlgItemTextA(dialog, IDC_RENAME_START, start, sizeof start);
    unsigned long value = 0;
    if (ParseRenameStart(start, &value)) record->start = value;
    RefreshNewNames(record);
}

void OnOk(HWND dialog, RenameDialog* record) {
    char start[16] = "";
    GetDlgItemTextA(dialog, IDC_RENAME_START, start, sizeof start);
    unsigned long value = 0;
    if (!ParseRenameStart(start, &value)) {
        ShowFileMessage(dialog, IDS_RENAME_BAD_START, "The start number must be a whole number from 0 to 999999999.", "");
        return;
    }
    std::string problem;
    if (RenameFilesAs(dialog, record->paths, record->newNames, &problem)) {
        record->renamed = true;
        EndDialog(dialog, 1);
        return;
    }
    if (!problem.empty())
        MessageBoxA(dialog, problem.c_str(), StringOr(IDS_PRODUCT_NAME, "Ommavu").c_str(), MB_OK | MB_ICONWARNING);
}

INT_PTR CALLBACK RenameDialogProc(HWND dialog, UINT message, WPARAM wp, LPARAM lp) {
    RenameDialog* record = message == WM_INITDIALOG ? reinterpret_cast<RenameDialog*>(lp) : RecordOf(dialog);
    if (!record) return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        OnInit(dialog, record);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDC_RENAME_BASE:
            if (HIWORD(wp) == CBN_SELCHANGE)
                UseBaseName(dialog, record, static_cast<int>(SendDlgItemMessageA(dialog, IDC_RENAME_BASE, CB_GETCURSEL, 0, 0)));
            return TRUE;
        case IDC_RENAME_TEMPLATE:
        case IDC_RENAME_START:
            if (HIWORD(wp) == EN_CHANGE) OnEditChanged(dialog, record);
            return TRUE;
        case IDC_RENAME_EDIT: {
            const int row = static_cast<int>(
                SendMessageA(record->list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
            if (row >= 0) {
                SetFocus(record->list);
                SendMessageA(record->list, LVM_EDITLABELA, row, 0);
            }
            return TRUE;
        }
        case IDOK: OnOk(dialog, record); return TRUE;
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
        default: return FALSE;
        }
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lp);
        if (header->idFrom != IDC_RENAME_LIST) return FALSE;
        if (header->code == LVN_GETDISPINFOA) {
            auto* info = reinterpret_cast<NMLVDISPINFOA*>(lp);
            const int row = info->item.iItem;
            if ((info->item.mask & LVIF_TEXT) && row >= 0 && row < static_cast<int>(record->newNames.size())) {
                const std::string& text = info->item.iSubItem == 0 ? record->newNames[row] : record->oldNames[row];
                lstrcpynA(info->item.pszText, text.c_str(), info->item.cchTextMax);
            }
            return TRUE;
        }
        if (header->code == LVN_ENDLABELEDITA) {
            auto* info = reinterpret_cast<NMLVDISPINFOA*>(lp);
            const int row = info->item.iItem;
            if (info->item.pszText && row >= 0 && row < static_cast<int>(record->newNames.size()))
                record->newNames[row] = info->item.pszText;
            SetWindowLongPtrA(dialog, DWLP_MSGRESULT, FALSE);   // the list asks us for its texts
            InvalidateRect(record->list, nullptr, FALSE);
            return TRUE;
        }
        return FALSE;
    }
    default:
        return FALSE;
    }
}

}  // namespace

bool RenameFilesAs(HWND owner, const std::vector<std::string>& paths, const std::vector<std::string>& newNames,
                   std::string* problem) {
    problem->clear();
    RenameProblem why = kRenameFine;
    std::string culprit;
    const RenamePlan plan = PlanRenames(paths, newNames, PathTaken, &why, &culprit);
    switch (why) {
    case kRenameFine: break;
    case kRenameBadName:
        *problem = Formatted(StringOr(IDS_RENAME_BAD_NAME, "Not a valid file name: \"%s\""), culprit);
        return false;
    case kRenameRepeated:
        *problem = Formatted(StringOr(IDS_RENAME_REPEATED, "Two files would get the name %s."), culprit);
        return false;
    case kRenameTooLong:
        *problem = Formatted(StringOr(IDS_RENAME_TOO_LONG, "The path would be longer than 259 characters:\n%s"), culprit);
        return false;
    case kRenameTaken:
        *problem = Formatted(StringOr(IDS_RENAME_TAKEN, "A file named %s is in the folder already."), culprit);
        return false;
    }
    if (plan.first.empty()) return true;   // every file keeps its name
    bool secondFailed = false;
    if (RunPass(owner, plan.first)) {
        if (plan.second.empty()) return true;
        if (g_betweenPasses) {
            std::vector<std::string> temporaries;
            for (const RenameStep& step : plan.second) temporaries.push_back(step.from);
            g_betweenPasses(temporaries);
        }
        if (RunPass(owner, plan.second)) return true;
        secondFailed = true;
    }
    const std::string left = PutBack(plan, secondFailed);
    *problem = left.empty()
                   ? StringOr(IDS_RENAME_STOPPED, "The renaming could not be finished; every file has its old name again.")
                   : Formatted(StringOr(IDS_RENAME_LEFT, "The renaming could not be finished, and these files could "
                                                         "not be given their old names back. They are now named:\n%s"),
                               left);
    return false;
}

void SetBetweenRenamePasses(void (*hook)(const std::vector<std::string>& temporaries)) { g_betweenPasses = hook; }

bool ShowMultiRenameDialog(HWND owner, const std::vector<std::string>& paths) {
    if (paths.empty()) return false;
    RenameDialog record;
    record.paths = paths;
    for (const std::string& path : paths) record.oldNames.push_back(NameOf(path));
    record.newNames = record.oldNames;
    DialogBoxParamA(Program().resourceModule, MAKEINTRESOURCEA(IDD_MULTI_RENAME), owner, RenameDialogProc,
                    reinterpret_cast<LPARAM>(&record));
    return record.renamed;
}
