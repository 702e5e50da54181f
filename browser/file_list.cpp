// The file list's creation and destruction, the hooks its owner sets, its
// look (cell, brushes, animation switch) and its five modes.  The other
// parts are listed in file_list_state.h.
#include <shlobj.h>
#include <shlwapi.h>

#include "file_list.h"
#include "file_list_state.h"
#include "file_transfer.h"
#include "send_to_cache.h"
#include "list_painter.h"
#include "thumbnail_maker.h"
#include "list_shared.h"

#include "item_model.h"
#include "messages.h"
#include "settings.h"
#include "program.h"
#include "win_guards.h"

using namespace filelist;

// The cell, brushes and size-text switch from the settings.
static void ReadListLook();

namespace {

const int kColumnWidths[kColumnCount] = {120, 80, 140, 110, 120};
const DWORD kModeStyles[5] = {LVS_ICON, LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};

DWORD CommonControlsVersion() {
    HMODULE module = GetModuleHandleA("comctl32.dll");
    if (!module) return 0;
    typedef HRESULT(CALLBACK * GetVersionFn)(DLLVERSIONINFO*);
    GetVersionFn get = reinterpret_cast<GetVersionFn>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllGetVersion")));
    if (!get) return 0;
    DLLVERSIONINFO info = {};
    info.cbSize = sizeof info;
    if (FAILED(get(&info))) return 0;
    return MAKELONG(info.dwMinorVersion, info.dwMajorVersion);
}

// Thumbnail mode's icon spacing leaves room for the cell and three lines of
// label under it.
void SetThumbnailSpacing() {
    TEXTMETRICA metrics = {};
    {
        WindowDC dc(ListState().list);
        SelectedObject font(dc, GetStockObject(DEFAULT_GUI_FONT));
        GetTextMetricsA(dc, &metrics);
    }
    const int line = metrics.tmHeight > 0 ? metrics.tmHeight : 13;
    SendMessageA(ListState().list, LVM_SETICONSPACING, 0,
                 MAKELPARAM(ListState().cellWidth + 32, ListState().cellHeight + kThumbnailLabelLines * line + 6));
}

}  // namespace

namespace filelist {

FileListState& ListState() {
    static FileListState state;
    return state;
}

std::string Text(UINT id, const char* fallback) {
    char text[256];
    if (Program().resourceModule && LoadStringA(Program().resourceModule, id, text, sizeof text) > 0)
        return text;
    return fallback;
}

}  // namespace filelist

HWND CreateFileList(HWND parent, const RECT& rect) {
    INITCOMMONCONTROLSEX init = {sizeof init, ICC_LISTVIEW_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&init);
    // Renames, pastes and transfers from the list ask before writing over a file.
    InstallOverwriteQuestion();
    const DWORD version = CommonControlsVersion();
    ListState().isVirtual = version >= MAKELONG(70, 4) && !ListState().insertedItemsWanted;
    DWORD style = WS_CHILD | WS_VISIBLE | LVS_EDITLABELS | LVS_SHAREIMAGELISTS |
                  LVS_SHOWSELALWAYS | LVS_REPORT | (ListState().isVirtual ? LVS_OWNERDATA : LVS_AUTOARRANGE);
    ListState().list = CreateWindowExA(WS_EX_STATICEDGE, WC_LISTVIEWA, "", style, rect.left, rect.top,
                                       rect.right - rect.left, rect.bottom - rect.top, parent, nullptr,
                                       Program().mainModule, nullptr);
    if (!ListState().list) return nullptr;
    ListState().browser = parent;
    ListState().mode = kModeDetails;
    SendMessageA(ListState().list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);

    SHFILEINFOA info = {};
    ListState().largeIcons = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA("C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_LARGEICON));
    ListState().smallIcons = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA("C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    ReadListLook();
    ListState().thumbIcons =
        ImageList_Create(ListState().cellWidth - 16, ListState().cellHeight - 4, ILC_COLOR32, 0, 1);
    bool ok = ListState().largeIcons && ListState().smallIcons && ListState().thumbIcons;
    SendMessageA(ListState().list, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(ListState().largeIcons));
    SendMessageA(ListState().list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(ListState().smallIcons));

    ReadColumnTitles();
    for (int column = 0; ok && column < kColumnCount; ++column) {
        LVCOLUMNA col = {};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        col.fmt = column == 0 ? LVCFMT_LEFT : LVCFMT_RIGHT;
        col.cx = kColumnWidths[column];
        col.pszText = const_cast<char*>(ListState().columnTexts[column].c_str());
        col.iSubItem = column;
        ok = SendMessageA(ListState().list, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&col)) == column;
    }
    if (!ok) {
        DestroyFileList();
        return nullptr;
    }
    ListState().sortColumn = Items().sortKey;
    MarkSortColumn();

    ListState().listProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(ListState().list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListProc)));

    DWORD tipStyle = TTS_ALWAYSTIP | TTS_NOPREFIX | (version >= MAKELONG(80, 5) ? TTS_BALLOON : 0);
    ListState().tooltip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | tipStyle,
                                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                          parent, nullptr, Program().mainModule, nullptr);
    if (ListState().tooltip) {
        TOOLINFOA tool = {};
        tool.cbSize = TTTOOLINFOA_V1_SIZE;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = parent;
        tool.uId = reinterpret_cast<UINT_PTR>(ListState().list);
        tool.lpszText = LPSTR_TEXTCALLBACKA;
        SendMessageA(ListState().tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
        SendMessageA(ListState().tooltip, TTM_SETMAXTIPWIDTH, 0, 400);
        SendMessageA(ListState().tooltip, TTM_ACTIVATE, FALSE, 0);
    }
    return ListState().list;
}

void DestroyFileList() {
    FreeSendToCache();
    if (ListState().tooltip) DestroyWindow(ListState().tooltip);
    if (ListState().list) {
        if (ListState().animating) KillTimer(ListState().list, kTimerCellAnimation);
        ListState().animating = false;
        ListState().hovered = -1;
        if (ListState().listProc)
            SetWindowLongPtrA(ListState().list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListState().listProc));
        DestroyWindow(ListState().list);
    }
    if (ListState().thumbIcons) ImageList_Destroy(ListState().thumbIcons);
    FreeCellFrame();
    FreeListBrushes();
    ClearItemModel();
    SetModelFolder(nullptr, nullptr);
    ListState().tooltip = ListState().list = nullptr;
    ListState().listProc = nullptr;
    ListState().thumbIcons = nullptr;
    ListState().current = -1;
    ListState().folderShown = false;
}

HWND FileListWindow() { return ListState().list; }
bool FileListIsVirtual() { return ListState().isVirtual; }
int ListModeNow() { return ListState().mode; }
int CurrentListItem() { return ListState().current; }
bool OnlyPictureModeOn() { return Items().onlyPictures; }
void SetPictureOpener(void (*opener)(const char*)) { ListState().opener = opener; }
void SetPicturePreviewer(void (*previewer)(const char*)) { ListState().previewer = previewer; }
void SetFolderRequester(void (*requester)(int, LPCITEMIDLIST)) { ListState().requester = requester; }
void SetOpenListReceiver(void (*receiver)(const std::vector<std::string>&)) { ListState().openListReceiver = receiver; }
void SetListWheelHandler(bool (*handler)(HWND, WPARAM, LPARAM)) { ListState().wheel = handler; }

void UseInsertedListItems(bool on) { ListState().insertedItemsWanted = on; }

void SetThumbnailCell(int width, int height, int marginX, int marginY) {
    ListState().cellWidth = width > 16 ? width : 64;
    ListState().cellHeight = height > 4 ? height : 64;
    ListState().marginX = marginX > 0 ? marginX : 6;
    ListState().marginY = marginY > 0 ? marginY : 6;
    if (ListState().thumbIcons)
        ImageList_SetIconSize(ListState().thumbIcons, ListState().cellWidth - 16, ListState().cellHeight - 4);
}

static void ReadListLook() {
    const SIZE cell = LoadCellFrame();
    SetThumbnailCell(cell.cx, cell.cy, settings::Read(settings::kLeftWidth), settings::Read(settings::kLeftHeight));
    ResetListBrushes();
}

void ApplyListLook() {
    if (!ListState().list) return;
    ReadListLook();
    if (ListState().mode == kModeThumbnails) {
        SetThumbnailSpacing();
        SendMessageA(ListState().list, LVM_ARRANGE, LVA_ALIGNTOP, 0);
    }
    InvalidateRect(ListState().list, nullptr, TRUE);
}

SIZE ThumbnailCellBox() {
    return ThumbnailBox(ListState().cellWidth, ListState().cellHeight, ListState().marginX, ListState().marginY);
}

void SetCellAnimationEnabled(bool on) {
    ListState().thumbActive = on;
    UpdateCellAnimation();
    if (ListState().list && ListState().mode == kModeThumbnails) InvalidateRect(ListState().list, nullptr, FALSE);
}

bool CellAnimationEnabled() { return ListState().thumbActive; }

void SetListMode(int mode) {
    if (mode < kModeThumbnails || mode > kModeDetails || !ListState().list) return;
    bool changed = false;
    const LONG style = GetWindowLongA(ListState().list, GWL_STYLE);
    if (static_cast<DWORD>(style & LVS_TYPEMASK) != kModeStyles[mode]) {
        SetWindowLongA(ListState().list, GWL_STYLE, (style & ~LVS_TYPEMASK) | kModeStyles[mode]);
        changed = true;
    }
    ListState().mode = mode;
    if (mode == kModeThumbnails || mode == kModeLargeIcons) {
        HIMAGELIST want = mode == kModeThumbnails ? ListState().thumbIcons : ListState().largeIcons;
        if (reinterpret_cast<HIMAGELIST>(SendMessageA(ListState().list, LVM_GETIMAGELIST, LVSIL_NORMAL, 0)) != want) {
            SendMessageA(ListState().list, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(want));
            changed = true;
        }
        if (mode == kModeThumbnails) SetThumbnailSpacing();
        else SendMessageA(ListState().list, LVM_SETICONSPACING, 0, MAKELPARAM(-1, -1));
        SendMessageA(ListState().list, LVM_ARRANGE, LVA_ALIGNTOP, 0);
    }
    UpdateCellAnimation();
    if (ListState().isVirtual && mode != kModeDetails && changed)
        SendMessageA(ListState().list, LVM_SETITEMCOUNT, ShownItemCount(), LVSICF_NOSCROLL);
    InvalidateRect(ListState().list, nullptr, TRUE);
}
