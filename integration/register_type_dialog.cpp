#include "register_type_dialog.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstdio>
#include <vector>

#include "picture_types.h"
#include "program.h"
#include "resource_ids.h"
#include "settings.h"
#include "type_registry.h"

namespace {

constexpr COLORREF kListBackground = RGB(0, 128, 128);   // 0x808000
constexpr COLORREF kListText = RGB(255, 255, 255);
constexpr int kColumnWidths[] = {80, 45, 45, 45, 80, 250};
constexpr int kColumnCount = sizeof kColumnWidths / sizeof *kColumnWidths;
constexpr char kTickedPrefix[] = "(+)";     // the tick shown in the text by
constexpr char kUntickedPrefix[] = "(-)";   // lists without check boxes

// The row selected when the dialog was last closed, while the program runs.
int g_lastRow = 0;

bool AskTypeColor(HWND owner, COLORREF* color) {
    static COLORREF custom[16] = {};
    CHOOSECOLORA choose = {};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = owner;
    choose.rgbResult = *color;
    choose.lpCustColors = custom;
    choose.Flags = CC_RGBINIT;
    if (!ChooseColorA(&choose)) return false;
    *color = choose.rgbResult;
    return true;
}

TypeColorAsker g_askColor = AskTypeColor;

// Check boxes in a list view need common controls 4.70.
bool ListHasCheckBoxes() {
    HMODULE module = GetModuleHandleA("comctl32.dll");
    if (!module) return false;
    typedef HRESULT(CALLBACK * GetVersionFn)(DLLVERSIONINFO*);
    GetVersionFn get =
        reinterpret_cast<GetVersionFn>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetVersion")));
    if (!get) return false;
    DLLVERSIONINFO info = {};
    info.cbSize = sizeof info;
    if (FAILED(get(&info))) return false;
    return MAKELONG(info.dwMinorVersion, info.dwMajorVersion) >= MAKELONG(70, 4);
}

// A 16 x 16 square of the colour, for the list's image of a type.
HBITMAP ColorSquare(COLORREF color) {
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 16);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    HBRUSH brush = CreateSolidBrush(color);
    RECT square = {0, 0, 16, 16};
    FillRect(dc, &square, brush);
    DeleteObject(brush);
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

std::string ProgramDirectoryOf(const char* programPath) {
    std::string directory = programPath;
    const size_t slash = directory.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : directory.substr(0, slash + 1);
}

class Dialog {
public:
    Dialog(const char* programPath, RegisterTypeResult* result) : programPath_(programPath), result_(result) {}

    void Init(HWND dialog) {
        dialog_ = dialog;
        list_ = GetDlgItem(dialog, IDC_TYPE_LIST);
        checkBoxes_ = ListHasCheckBoxes();
        CheckDlgButton(dialog, IDC_TYPE_PIC_TO_ICON, settings::Read(settings::kPicToIcon) ? BST_CHECKED : 0);
        SendMessageA(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                     checkBoxes_ ? LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES
                                 : LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
        AddColumns();
        const std::vector<PictureType>& types = PictureTypes();
        for (const PictureType& type : types) colorsAtOpen_.push_back(type.color);
        images_ = ImageList_Create(16, 16, ILC_COLOR24, static_cast<int>(types.size()), 4);
        for (const PictureType& type : types) {
            HBITMAP square = ColorSquare(type.color);
            ImageList_Add(images_, square, nullptr);
            DeleteObject(square);
        }
        SendMessageA(list_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images_));
        SendMessageA(list_, LVM_SETBKCOLOR, 0, kListBackground);
        SendMessageA(list_, LVM_SETTEXTBKCOLOR, 0, kListBackground);
        SendMessageA(list_, LVM_SETTEXTCOLOR, 0, kListText);
        for (int i = 0; i < static_cast<int>(types.size()); ++i) AddRow(i, types[i]);
        const int rows = static_cast<int>(types.size());
        if (rows > 0) {
            if (g_lastRow >= rows) g_lastRow = rows - 1;
            if (g_lastRow < 0) g_lastRow = 0;
            SelectRow(g_lastRow);
        }
    }

    void OnItemChanged(const NMLISTVIEW& change) {
        if (change.iItem >= 0 && (change.uNewState & LVIS_SELECTED) && !(change.uOldState & LVIS_SELECTED))
            ShowRow(change.iItem);
    }

    HBRUSH SampleBrush() const {
        const std::vector<PictureType>& types = PictureTypes();
        return current_ >= 0 && current_ < static_cast<int>(types.size()) ? types[current_].brush : nullptr;
    }

    void ChangeColor() {
        const std::vector<PictureType>& types = PictureTypes();
        if (current_ < 0 || current_ >= static_cast<int>(types.size())) return;
        COLORREF color = types[current_].color;
        if (!g_askColor(dialog_, &color) || color == types[current_].color) return;
        SetPictureTypeColor(current_, color);
        HBITMAP square = ColorSquare(color);
        ImageList_Replace(images_, current_, square, nullptr);
        DeleteObject(square);
        InvalidateRect(GetDlgItem(dialog_, IDC_TYPE_COLOR_SAMPLE), nullptr, TRUE);
        InvalidateRect(list_, nullptr, TRUE);
    }

    void TickAll(bool on) {
        const int rows = RowCount();
        for (int i = 0; i < rows; ++i) SetTicked(i, on);
    }

    void TickSelected() {
        for (int i = -1; (i = static_cast<int>(SendMessageA(list_, LVM_GETNEXTITEM, i, LVNI_SELECTED))) >= 0;)
            SetTicked(i, true);
    }

    void Apply() {
        const bool picToIcon = IsDlgButtonChecked(dialog_, IDC_TYPE_PIC_TO_ICON) == BST_CHECKED;
        settings::Write(settings::kPicToIcon, picToIcon);
        std::string failed;
        auto note = [&failed](const char* tag) {
            if (!failed.empty()) failed += ", ";
            failed += tag;
        };
        if (picToIcon) {
            if (!RegisterShellExtension(HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE,
                                        ProgramDirectoryOf(programPath_).c_str()))
                note(kIconExtensionFile);
        } else if (!UnregisterShellExtension(HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE)) {
            note(kIconExtensionFile);
        }
        const std::string verb = ResourceString(IDS_OPEN_VERB);
        const std::vector<PictureType>& types = PictureTypes();
        HMODULE program = Program().mainModule;
        RegisterTypeResult result;
        for (int i = 0; i < static_cast<int>(types.size()); ++i) {
            const PictureType& type = types[i];
            if (Ticked(i)) {
                // Types whose files hold icon resources or pages are
                // never given to us.
                if (type.capabilities & (kTypeFlag2 | kTypeFlag4)) continue;
                TypeRegistration entry{type.name, type.description, RegisteredTypeIconIndex(program, type.group),
                                       verb.c_str(), programPath_, picToIcon};
                if (RegisterPictureType(HKEY_CLASSES_ROOT, entry)) ++result.registered;
                else note(type.name);
            } else if (IsRegisteredToUs(HKEY_CLASSES_ROOT, type.name, programPath_)) {
                if (UnregisterPictureType(HKEY_CLASSES_ROOT, type.name)) ++result.unregistered;
                else note(type.name);
            }
        }
        for (size_t i = 0; i < types.size(); ++i) {
            settings::Write(settings::ColorKey{settings::kTypeColor, types[i].name, 0}, types[i].color);
            if (i < colorsAtOpen_.size() && colorsAtOpen_[i] != types[i].color) result.colorsChanged = true;
        }
        settings::Write(settings::kTypeColorNumber, static_cast<int>(types.size()));
        // Explorer re-reads the associations and icons.
        SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
        result.failedTypes = failed;
        if (!failed.empty()) {
            char text[2048];
            std::snprintf(text, sizeof text, ResourceString(IDS_REGISTER_TYPE_FAILED).c_str(), failed.c_str());
            MessageBoxA(dialog_, text, ResourceString(IDS_REGISTER_TYPE_FAILED_TITLE).c_str(), MB_ICONWARNING | MB_OK);
        }
        if (result_) *result_ = result;
    }

    void Close() {
        if (current_ >= 0) g_lastRow = current_;
        HICON icon = reinterpret_cast<HICON>(SendDlgItemMessageA(dialog_, IDC_TYPE_ICON, STM_SETICON, 0, 0));
        if (icon) DestroyIcon(icon);
        if (images_) {
            SendMessageA(list_, LVM_SETIMAGELIST, LVSIL_SMALL, 0);
            ImageList_Destroy(images_);
            images_ = nullptr;
        }
    }

private:
    int RowCount() const { return static_cast<int>(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0)); }

    void AddColumns() {
        const std::string headings = ResourceString(IDS_TYPE_COLUMNS);
        size_t start = 0;
        for (int i = 0; i < kColumnCount; ++i) {
            size_t at = headings.find('@', start);
            std::string heading = headings.substr(start, at == std::string::npos ? std::string::npos : at - start);
            start = at == std::string::npos ? headings.size() : at + 1;
            LVCOLUMNA column = {};
            column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
            column.cx = kColumnWidths[i];
            column.pszText = &heading[0];
            column.iSubItem = i;
            SendMessageA(list_, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
        }
    }

    void SetText(int row, int column, const std::string& text) {
        LVITEMA item = {};
        item.iSubItem = column;
        item.pszText = const_cast<char*>(text.c_str());
        SendMessageA(list_, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    }

    void AddRow(int index, const PictureType& type) {
        const bool ticked = IsRegisteredToUs(HKEY_CLASSES_ROOT, type.name, programPath_);
        std::string first = checkBoxes_ ? type.name : std::string(ticked ? kTickedPrefix : kUntickedPrefix) + type.name;
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
        item.iItem = index;
        item.pszText = &first[0];
        item.iImage = index;
        item.lParam = index;
        const int row = static_cast<int>(SendMessageA(list_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        SetText(row, 1, type.group);
        SetText(row, 2, type.capabilities & kTypeCanRead ? ResourceString(IDS_CAN_READ) : std::string());
        SetText(row, 3, type.capabilities & kTypeCanWrite ? ResourceString(IDS_CAN_WRITE) : std::string());
        SetText(row, 4, type.capabilities & kTypeFlag1 ? ResourceString(IDS_TURBO_ZOOM) : std::string());
        SetText(row, 5, type.description);
        if (checkBoxes_) SetTicked(row, ticked);
    }

    bool Ticked(int row) const {
        if (checkBoxes_)
            return (SendMessageA(list_, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK) ==
                   INDEXTOSTATEIMAGEMASK(2);
        char text[32] = "";
        LVITEMA item = {};
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(list_, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        return lstrcmpA(std::string(text).substr(0, 3).c_str(), kTickedPrefix) == 0;
    }

    void SetTicked(int row, bool on) {
        if (checkBoxes_) {
            LVITEMA item = {};
            item.stateMask = LVIS_STATEIMAGEMASK;
            item.state = INDEXTOSTATEIMAGEMASK(on ? 2 : 1);
            SendMessageA(list_, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
            return;
        }
        const std::vector<PictureType>& types = PictureTypes();
        if (row < 0 || row >= static_cast<int>(types.size())) return;
        SetText(row, 0, std::string(on ? kTickedPrefix : kUntickedPrefix) + types[row].name);
    }

    void SelectRow(int row) {
        LVITEMA item = {};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(list_, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
        SendMessageA(list_, LVM_ENSUREVISIBLE, row, FALSE);
        ShowRow(row);
    }

    void ShowRow(int row) {
        const std::vector<PictureType>& types = PictureTypes();
        if (row < 0 || row >= static_cast<int>(types.size())) return;
        current_ = row;
        HICON icon = LoadTypeIcon(Program().mainModule, types[row].group);
        HICON old = reinterpret_cast<HICON>(
            SendDlgItemMessageA(dialog_, IDC_TYPE_ICON, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0));
        if (old) DestroyIcon(old);
        InvalidateRect(GetDlgItem(dialog_, IDC_TYPE_COLOR_SAMPLE), nullptr, TRUE);
    }

    const char* programPath_;
    RegisterTypeResult* result_;
    HWND dialog_ = nullptr;
    HWND list_ = nullptr;
    HIMAGELIST images_ = nullptr;
    bool checkBoxes_ = true;
    int current_ = -1;
    std::vector<COLORREF> colorsAtOpen_;
};

INT_PTR CALLBACK RegisterTypeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Dialog* dialog = reinterpret_cast<Dialog*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(window, GWLP_USERDATA, lParam);
        reinterpret_cast<Dialog*>(lParam)->Init(window);
        return TRUE;
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (dialog && header->idFrom == IDC_TYPE_LIST && header->code == LVN_ITEMCHANGED)
            dialog->OnItemChanged(*reinterpret_cast<const NMLISTVIEW*>(lParam));
        break;
    }
    case WM_CTLCOLORSTATIC:
        if (dialog && GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == IDC_TYPE_COLOR_SAMPLE) {
            HBRUSH brush = dialog->SampleBrush();
            if (brush) return reinterpret_cast<INT_PTR>(brush);
        }
        break;
    case WM_COMMAND:
        if (!dialog) break;
        switch (LOWORD(wParam)) {
        case IDC_TYPE_REGISTER_ALL:
            dialog->TickAll(true);
            return TRUE;
        case IDC_TYPE_CLEAR_ALL:
            dialog->TickAll(false);
            return TRUE;
        case IDC_TYPE_REGISTER_SELECTED:
            dialog->TickSelected();
            return TRUE;
        case IDC_TYPE_CHANGE_COLOR:
            dialog->ChangeColor();
            return TRUE;
        case IDOK:
            dialog->Apply();
            dialog->Close();
            EndDialog(window, IDOK);
            return TRUE;
        case IDCANCEL:
            dialog->Close();
            EndDialog(window, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

// The icon group of a type, in the alternative set when that is wanted and
// the program has it.
int IconGroupIndex(HMODULE program, const char* module) {
    const int index = TypeIconIndex(module);
    if (settings::Read(settings::kOem).empty()) return index;
    const int alternative = index + kOemIconOffset;
    return FindResourceA(program, MAKEINTRESOURCEA(IDI_FIRST_GROUP + alternative), RT_GROUP_ICON) ? alternative
                                                                                                  : index;
}

}  // namespace

bool ShowRegisterTypeDialog(HWND owner, const char* programPath, RegisterTypeResult* result) {
    if (result) *result = RegisterTypeResult{};
    if (!programPath || !*programPath) return false;
    Dialog dialog(programPath, result);
    return DialogBoxParamA(Program().resourceModule, MAKEINTRESOURCEA(IDD_REGISTER_TYPE), owner, RegisterTypeProc,
                           reinterpret_cast<LPARAM>(&dialog)) == IDOK;
}

void SetTypeColorAsker(TypeColorAsker asker) { g_askColor = asker ? asker : AskTypeColor; }

int RegisteredTypeIconIndex(HMODULE program, const char* module) { return IconGroupIndex(program, module); }

HICON LoadTypeIcon(HMODULE program, const char* module) {
    return static_cast<HICON>(LoadImageA(program, MAKEINTRESOURCEA(IDI_FIRST_GROUP + IconGroupIndex(program, module)),
                                         IMAGE_ICON, 32, 32, 0));
}
