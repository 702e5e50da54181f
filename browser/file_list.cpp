#include <shlobj.h>
#include <shlwapi.h>

#include "file_list.h"
#include "list_painter.h"
#include "thumbnail_maker.h"
#include "list_shared.h"
#include "paint.h"
#include "watcher.h"
#include "picture_files.h"

#include <cstdio>
#include <cstring>

#include "commands.h"
#include "file_operations.h"
#include "folder_request.h"
#include "folder_tree.h"
#include "item_model.h"
#include "messages.h"
#include "pidl.h"
#include "resource_ids.h"
#include "settings.h"
#include "program.h"
#include "win_guards.h"
#include "shortcut.h"
#include "toolbar.h"

// The cell, brushes and size-text switch from the settings.
static void ReadListLook();

namespace {

// Announces the model's count on the list's own thread (the worker posts it).
constexpr UINT kMsgAnnounceCount = WM_APP + 40;

constexpr int kColumnCount = 5;
// The headings when the resource module has none; the string table's
// IDS_LIST_COLUMNS replaces them (SetColumnTitles).
const char* const kDefaultColumnTexts[kColumnCount] = {"Name", "Size", "Type", "Date", "Attrib"};
std::string g_columnTexts[kColumnCount] = {"Name", "Size", "Type", "Date", "Attrib"};
const int kColumnWidths[kColumnCount] = {120, 80, 140, 110, 120};
const DWORD kModeStyles[5] = {LVS_ICON, LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};

// Context-menu codes of the program's own entries (menu ID - 32768).
constexpr UINT kOwnBase = 32768;
constexpr UINT kShellLastId = 32767;
// "No Defined Folder" in the Send To and MoveTo sub-menus of an item's menu.
constexpr UINT kMenuCopyToNoFolder = 32787;
constexpr UINT kMenuMoveToNoFolder = 32788;

HWND g_list;
HWND g_browser;
HWND g_tooltip;
WNDPROC g_listProc;
bool g_virtual;
int g_mode = kModeDetails;
int g_sortColumn = 0;
int g_current = -1;
void (*g_previewer)(const char* path) = nullptr;  // shows a picture in the preview
bool g_folderShown;
HIMAGELIST g_largeIcons;
HIMAGELIST g_smallIcons;
HIMAGELIST g_thumbIcons;
int g_cellWidth = 64, g_cellHeight = 64, g_marginX = 6, g_marginY = 6;
volatile LONG g_rangeFirst = 0, g_rangeEnd = 1, g_rangeChanged = 0;
void (*g_opener)(const char*);
void (*g_requester)(int, LPCITEMIDLIST);
void (*g_openListReceiver)(const std::vector<std::string>&);
bool g_separateFiles = false;   // the model holds separate files, not a folder
bool (*g_wheel)(HWND, WPARAM, LPARAM);
int g_hovered = -1;           // the item whose icon the mouse is over
// A file chosen by its path ("dir\\photo.jpg") whose folder is still being
// loaded: selected as soon as the list holds it.
std::string g_pendingSelection;
bool g_thumbActive = true;    // Enable Thumb Active
bool g_insertedItemsWanted = false;   // the older controls' list on any library
bool g_animating = false;     // timer 2233 runs

std::string Text(UINT id, const char* fallback) {
    char text[256];
    if (Program().resourceModule && LoadStringA(Program().resourceModule, id, text, sizeof text) > 0)
        return text;
    return fallback;
}

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

void SetColumnText(int column, const std::string& text) {
    if (!g_list) return;
    LVCOLUMNA col = {};
    col.mask = LVCF_TEXT;
    col.pszText = const_cast<char*>(text.c_str());
    SendMessageA(g_list, LVM_SETCOLUMNA, column, reinterpret_cast<LPARAM>(&col));
}

// The headings from the resource module: one string, each name followed by
// "@"; a name the string lacks keeps the built-in English one.
void ReadColumnTitles() {
    const std::vector<std::string> names = SplitTexts(Text(IDS_LIST_COLUMNS, ""));
    for (int column = 0; column < kColumnCount; ++column)
        g_columnTexts[column] = column < static_cast<int>(names.size()) && !names[column].empty()
                                    ? names[column]
                                    : kDefaultColumnTexts[column];
}

void MarkSortColumn() {
    const bool reverse = (Items().sortFlags & kSortReverse) != 0;
    SetColumnText(g_sortColumn,
                  SortHeaderText(g_columnTexts[g_sortColumn].c_str(), g_sortColumn == 0, reverse));
}

// Non-virtual lists hold the texts themselves.
void WriteItemTexts(int index, bool insert) {
    BrowserItem* item = ShownItem(index);
    if (!item) return;
    LVITEMA it = {};
    it.iItem = index;
    it.mask = LVIF_TEXT | LVIF_IMAGE;
    std::string name = item->name[0] ? item->name : "        ";
    it.pszText = const_cast<char*>(name.c_str());
    it.iImage = ItemIconIndex(*item);
    SendMessageA(g_list, insert ? LVM_INSERTITEMA : LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&it));
    for (int column = 1; column < kColumnCount; ++column) {
        std::string text = ItemColumnText(*item, column);
        LVITEMA sub = {};
        sub.iSubItem = column;
        sub.pszText = const_cast<char*>(text.c_str());
        SendMessageA(g_list, LVM_SETITEMTEXTA, index, reinterpret_cast<LPARAM>(&sub));
    }
}

// Focuses, selects and shows the item whose path is path (case ignored);
// false when the list does not hold it.  Whole paths are compared: a sibling
// "photo" is not "photo.jpg".
bool SelectShownPath(const std::string& path) {
    if (!g_list || path.empty()) return false;
    int found = -1;
    {
        // Only what the list control holds already: the worker may be
        // filling the model of a folder not announced yet.
        ItemModelLock hold;
        int count = static_cast<int>(SendMessageA(g_list, LVM_GETITEMCOUNT, 0, 0));
        if (count > ShownItemCount()) count = ShownItemCount();
        for (int i = 0; i < count && found < 0; ++i) {
            const BrowserItem* item = ShownItem(i);
            if (item && item->state != kItemParent && lstrcmpiA(ItemPath(*item).c_str(), path.c_str()) == 0) found = i;
        }
    }
    if (found < 0) return false;
    LVITEMA state = {};
    state.stateMask = state.state = LVIS_FOCUSED | LVIS_SELECTED;
    SendMessageA(g_list, LVM_SETITEMSTATE, static_cast<WPARAM>(found), reinterpret_cast<LPARAM>(&state));
    SendMessageA(g_list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(found), FALSE);
    return true;
}

void SelectPendingPath() {
    if (!g_pendingSelection.empty() && SelectShownPath(g_pendingSelection)) g_pendingSelection.clear();
}

void AnnounceOnListThread() {
    if (!g_list) return;
    const int count = ShownItemCount();
    if (g_virtual) {
        SendMessageA(g_list, LVM_SETITEMCOUNT, count, LVSICF_NOSCROLL);
    } else {
        int had = static_cast<int>(SendMessageA(g_list, LVM_GETITEMCOUNT, 0, 0));
        while (had > count) SendMessageA(g_list, LVM_DELETEITEM, --had, 0);
        for (int i = 0; i < count; ++i) WriteItemTexts(i, i >= had);
    }
    if (g_current >= count) g_current = -1;
    InvalidateRect(g_list, nullptr, TRUE);
    SelectPendingPath();
}

void ReadAllStates() {
    ItemModelLock hold;
    const int count = ShownItemCount();
    for (int i = 0; i < count; ++i) {
        BrowserItem* item = ShownItem(i);
        const UINT state = static_cast<UINT>(
            SendMessageA(g_list, LVM_GETITEMSTATE, i, LVIS_SELECTED | LVIS_FOCUSED));
        item->displayState = (item->displayState & kMarkHot) | state;
    }
}

void ClearMarks() {
    for (BrowserItem& item : Items().items) item.displayState &= ~(kMarkSelected | kMarkHot);
}

std::vector<int> SelectedIndices() {
    std::vector<int> result;
    if (!g_list) return result;
    int i = -1;
    while ((i = static_cast<int>(SendMessageA(g_list, LVM_GETNEXTITEM, i, LVNI_SELECTED))) >= 0)
        result.push_back(i);
    return result;
}

void PostCommand(UINT command) {
    if (g_browser) PostMessageA(g_browser, WM_COMMAND, command, 0);
}

// The folder an item lives in, ending in one backslash.
std::string ItemFolderPath() {
    std::string folder = Items().folderPidl ? PidlPath(Items().folderPidl) : std::string();
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    return folder;
}

// Carries out a shell context menu's command (its offset from the menu's
// first ID), owned by the browser window.
void InvokeShellCommand(IContextMenu* menu, UINT offset) {
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof info;
    info.hwnd = g_browser;
    info.lpVerb = MAKEINTRESOURCEA(offset);
    info.nShow = SW_SHOWNORMAL;
    menu->InvokeCommand(&info);
}

void InvokeDefaultCommand(const BrowserItem& item) {
    IShellFolder* folder = Items().folder;
    if (!folder || !item.relative) return;
    LPCITEMIDLIST one = item.relative;
    IContextMenu* menu = nullptr;
    if (FAILED(folder->GetUIObjectOf(g_browser, 1, &one, IID_IContextMenu, nullptr,
                                     reinterpret_cast<void**>(&menu))) || !menu)
        return;
    HMENU popup = CreatePopupMenu();
    if (popup && SUCCEEDED(menu->QueryContextMenu(popup, 0, 1, kShellLastId, CMF_DEFAULTONLY))) {
        const UINT id = GetMenuDefaultItem(popup, FALSE, 0);
        if (id != static_cast<UINT>(-1)) InvokeShellCommand(menu, id - 1);
    }
    if (popup) DestroyMenu(popup);
    menu->Release();
}

void ComputeVisibleRange() {
    const int count = ShownItemCount();
    int first = 0, end = count;
    if (g_mode == kModeDetails || g_mode == kModeList) {
        // Rows (and, in list mode, columns) from the first visible item's
        // size; partly shown ones count.
        first = static_cast<int>(SendMessageA(g_list, LVM_GETTOPINDEX, 0, 0));
        RECT client, item;
        GetClientRect(g_list, &client);
        item.left = LVIR_BOUNDS;
        if (SendMessageA(g_list, LVM_GETITEMRECT, first, reinterpret_cast<LPARAM>(&item)) &&
            item.bottom > item.top && item.right > item.left) {
            const int height = item.bottom - item.top, width = item.right - item.left;
            const int perColumn = (client.bottom + height - 1) / height;
            const int columns = g_mode == kModeList ? (client.right + width - 1) / width + 1 : 1;
            end = first + perColumn * columns;
        } else {
            end = first + static_cast<int>(SendMessageA(g_list, LVM_GETCOUNTPERPAGE, 0, 0)) + 1;
        }
    } else {
        RECT client;
        GetClientRect(g_list, &client);
        const DWORD spacing = static_cast<DWORD>(
            SendMessageA(g_list, LVM_GETITEMSPACING, g_mode == kModeSmallIcons, 0));
        const int dx = LOWORD(spacing) ? LOWORD(spacing) : 1;
        const int dy = HIWORD(spacing) ? HIWORD(spacing) : 1;
        POINT origin = {0, 0};
        SendMessageA(g_list, LVM_GETORIGIN, 0, reinterpret_cast<LPARAM>(&origin));
        int perRow = client.right / dx;
        if (perRow < 1) perRow = 1;
        const int firstRow = origin.y / dy;
        int rows = client.bottom / dy;
        if (client.bottom % dy) ++rows;
        first = firstRow * perRow;
        end = (firstRow + rows + 1) * perRow;
    }
    if (first < 0) first = 0;
    if (first > count) first = count;
    if (end > count) end = count;
    if (end <= first) {
        first = 0;
        end = 1;
    }
    SetVisibleListRange(first, end);
}

ListPaintSetup PaintSetup() {
    ListPaintSetup setup;
    setup.list = g_list;
    setup.mode = g_mode;
    setup.largeIcons = g_largeIcons;
    setup.smallIcons = g_smallIcons;
    setup.cellWidth = g_cellWidth;
    setup.cellHeight = g_cellHeight;
    setup.marginX = g_marginX;
    setup.marginY = g_marginY;
    setup.first = g_rangeFirst;
    setup.end = g_rangeEnd;
    setup.hot = g_hovered;
    return setup;
}

// The cell animation runs in thumbnail mode while the folder has animated
// items and Enable Thumb Active is on.
void UpdateCellAnimation() {
    const bool wanted = g_list && g_mode == kModeThumbnails && g_thumbActive && AnimatedItemCount() > 0;
    if (wanted && !g_animating)
        g_animating = SetTimer(g_list, kTimerCellAnimation, kCellAnimationPeriodMs, nullptr) != 0;
    else if (!wanted && g_animating) {
        KillTimer(g_list, kTimerCellAnimation);
        g_animating = false;
    }
}

// The item under the mouse: its cell gets a raised edge and its label is
// drawn on top of the others.
void InvalidateItem(int index) {
    RECT bounds;
    bounds.left = LVIR_BOUNDS;
    if (index >= 0 && SendMessageA(g_list, LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&bounds))) {
        if (g_mode == kModeThumbnails) {
            bounds.left -= g_cellWidth / 2;
            bounds.right += g_cellWidth / 2;
            bounds.bottom += kThumbnailLabelLines * 16;
        }
        InvalidateRect(g_list, &bounds, FALSE);
    }
}

void TrackHover(int x, int y) {
    LVHITTESTINFO hit = {};
    hit.pt.x = x;
    hit.pt.y = y;
    int index = static_cast<int>(SendMessageA(g_list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (index >= 0 && !(hit.flags & LVHT_ONITEMICON)) index = -1;
    if (index == g_hovered) return;
    InvalidateItem(g_hovered);
    g_hovered = index;
    InvalidateItem(g_hovered);
    if (index >= 0) {
        TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, g_list, 0};
        TrackMouseEvent(&track);
    }
}

// Thumbnail mode's icon spacing leaves room for the cell and three lines of
// label under it.
void SetThumbnailSpacing() {
    TEXTMETRICA metrics = {};
    {
        WindowDC dc(g_list);
        SelectedObject font(dc, GetStockObject(DEFAULT_GUI_FONT));
        GetTextMetricsA(dc, &metrics);
    }
    const int line = metrics.tmHeight > 0 ? metrics.tmHeight : 13;
    SendMessageA(g_list, LVM_SETICONSPACING, 0,
                 MAKELPARAM(g_cellWidth + 32, g_cellHeight + kThumbnailLabelLines * line + 6));
}

// ---------------------------------------------------------------------------
// Messages of the list window itself.

void OpenFolderRequest(const FolderRequest* request, int code) {
    if (!request || !request->item) return;
    g_folderShown = true;
    // A file waiting to be chosen waits on for its own folder only.
    if (!g_pendingSelection.empty()) {
        std::string folder = PidlPath(request->item->absolute);
        while (!folder.empty() && folder.back() == '\\') folder.pop_back();
        const size_t slash = g_pendingSelection.find_last_of('\\');
        if (slash == std::string::npos || lstrcmpiA(g_pendingSelection.substr(0, slash).c_str(), folder.c_str()) != 0)
            g_pendingSelection.clear();
    }
    Items().stop = 1;
    if (code == 0) {
        if (g_browser) PostMessageA(g_browser, kMsgClearPreview, 0, 0);
        if (g_virtual) SendMessageA(g_list, LVM_SETITEMCOUNT, 0, LVSICF_NOSCROLL);
        SendMessageA(g_list, LVM_DELETEALLITEMS, 0, 0);
        g_current = -1;
        ClearItemModel();
    }
    ClearPictureList();
    g_separateFiles = false;
    if (g_requester) g_requester(code, request->item->absolute);
}

LRESULT CALLBACK ListProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case kMsgOpenFolder:
        OpenFolderRequest(reinterpret_cast<const FolderRequest*>(lp), 0);
        return 0;
    case kMsgOpenFolder2:
        OpenFolderRequest(reinterpret_cast<const FolderRequest*>(lp), 1);
        return 0;
    case kMsgAnnounceCount:
        AnnounceOnListThread();
        return 0;
    case kMsgRedrawItem: {
        const int shown = ModelToShownIndex(static_cast<int>(lp));
        if (shown >= 0) SendMessageA(hwnd, LVM_REDRAWITEMS, shown, shown);
        return 0;
    }
    case kMsgRefreshItemTexts:
        if (!g_virtual) {
            const int shown = ModelToShownIndex(static_cast<int>(wp));
            if (shown >= 0) WriteItemTexts(shown, false);
        }
        return 0;
    case LVM_SETITEMCOUNT: {
        // A new count in an icon view: the control lays the grid out again,
        // or every cell of a virtual list would start at the same place.
        const LRESULT result = CallWindowProcA(g_listProc, hwnd, msg, wp, lp);
        const LONG view = GetWindowLongA(hwnd, GWL_STYLE) & LVS_TYPEMASK;
        if (view == LVS_ICON || view == LVS_SMALLICON) CallWindowProcA(g_listProc, hwnd, LVM_ARRANGE, LVA_ALIGNTOP, 0);
        // The browser's count and its history buttons follow the list.
        if (g_browser) PostMessageA(g_browser, kMsgRefreshInfo, 0, 0);
        SelectPendingPath();
        return result;
    }
    case kMsgFolderChanged:
        // The worker refreshed the model after the shown folder changed.
        AnnounceItemCount();
        return 0;
    case kMsgRefreshAllTexts:
        if (!g_virtual)
            for (int i = 0; i < ShownItemCount(); ++i) WriteItemTexts(i, false);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_KEYUP:
        if (wp == VK_DELETE) PostCommand(IDC_DELETE);
        break;
    case WM_COMMAND:
        if (g_browser) return SendMessageA(g_browser, msg, wp, lp);
        break;
    case WM_MOUSEWHEEL:
        if (g_wheel && g_wheel(hwnd, wp, lp)) return 0;
        break;
    case WM_ERASEBKGND:
        return 1;   // the painter fills what no item covers
    case WM_PAINT:
        ComputeVisibleRange();
        PaintFileList(PaintSetup());
        return 0;
    case WM_TIMER:
        if (wp == kTimerCellAnimation) {
            if (g_animating) AnimateThumbnailCells(PaintSetup());
            return 0;
        }
        break;
    case kMsgStartCellAnimation:
        UpdateCellAnimation();
        return 0;
    case kMsgStopCellAnimation:
        if (g_animating) KillTimer(hwnd, kTimerCellAnimation);
        g_animating = false;
        return 0;
    case WM_MOUSEMOVE:
        TrackHover(static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)));
        break;
    case WM_MOUSELEAVE:
        InvalidateItem(g_hovered);
        g_hovered = -1;
        break;
    case WM_LBUTTONDOWN:
        if (!g_virtual) {
            const LRESULT result = CallWindowProcA(g_listProc, hwnd, msg, wp, lp);
            LVHITTESTINFO hit = {};
            hit.pt.x = static_cast<short>(LOWORD(lp));
            hit.pt.y = static_cast<short>(HIWORD(lp));
            const int index = static_cast<int>(
                SendMessageA(hwnd, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
            if (BrowserItem* item = ShownItem(index)) {
                item->displayState |= kMarkSelected | kMarkHot;
                LVITEMA it = {};
                it.stateMask = it.state = LVIS_FOCUSED | LVIS_SELECTED;
                SendMessageA(hwnd, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&it));
                g_current = index;
            }
            return result;
        }
        break;
    default:
        break;
    }
    return CallWindowProcA(g_listProc, hwnd, msg, wp, lp);
}

// ---------------------------------------------------------------------------
// Notifications.

void OnGetDispInfo(NMLVDISPINFOA* info) {
    // The worker may be rebuilding the model after a change of the folder.
    ItemModelLock hold;
    LVITEMA& it = info->item;
    BrowserItem* item = ShownItem(it.iItem);
    if (!item) return;
    if ((it.mask & LVIF_TEXT) && it.pszText && it.cchTextMax > 0) {
        std::string text;
        if (it.iSubItem == 0)
            text = item->name[0] ? item->name : "        ";
        else
            text = ItemColumnText(*item, it.iSubItem);
        lstrcpynA(it.pszText, text.c_str(), it.cchTextMax);
    }
    if (it.mask & LVIF_IMAGE) it.iImage = ItemIconIndex(*item);
    if (!(it.mask & LVIF_STATE)) it.mask |= LVIF_DI_SETITEM;
}

void OnItemChanged(const NMLISTVIEW* nm) {
    const int selected = static_cast<int>(SendMessageA(g_list, LVM_GETSELECTEDCOUNT, 0, 0));
    if (selected == 0) ClearMarks();
    BrowserItem* item = ShownItem(nm->iItem);
    if (!item) {
        ReadAllStates();
        return;
    }
    if (!(nm->uChanged & LVIF_STATE)) return;
    item->displayState = (item->displayState & kMarkHot) | nm->uNewState;
    if (!(nm->uNewState & LVIS_SELECTED) && nm->iItem == g_current) g_current = -1;
    const UINT both = LVIS_FOCUSED | LVIS_SELECTED;
    if ((nm->uNewState & both) == both && (nm->uOldState & both) != both) {
        ReadAllStates();
        g_current = nm->iItem;
        // The preview shows the picture: by its path, a shortcut's by its
        // target; an item no thumbnail pass has examined yet is shown when
        // the image library takes it for a picture.
        std::string preview;
        if (item->state == kItemPicture) preview = ItemPath(*item);
        else if (item->state == kItemShortcutPicture) preview = ResolveShortcut(ItemPath(*item));
        else if (item->state == kItemFile && !item->examined && IsPictureFile(ItemPath(*item))) preview = ItemPath(*item);
        if (!preview.empty() && g_previewer)
            g_previewer(preview.c_str());
        else if (g_browser)
            PostMessageA(g_browser, kMsgClearPreview, 0, 0);
    }
}

void OnEndLabelEdit(NMLVDISPINFOA* info, LRESULT* result) {
    *result = FALSE;
    const BrowserItem* item = ShownItem(info->item.iItem);
    if (!item || !info->item.pszText || !info->item.pszText[0]) return;
    const std::string folder = ItemFolderPath();
    if (folder.empty()) return;
    std::string oldPath = folder + item->name;
    std::string newPath = folder + info->item.pszText;
    // The display name may hide the extension: carry the real remainder over.
    const std::string real = ItemPath(*item);
    if (real.size() > oldPath.size() && real.compare(0, oldPath.size(), oldPath) == 0) {
        newPath += real.substr(oldPath.size());
        oldPath = real;
    }
    oldPath.push_back('\0');
    newPath.push_back('\0');
    if (RenameFile(g_browser, oldPath.c_str(), newPath.c_str()) && !g_virtual) *result = TRUE;
}

// ---------------------------------------------------------------------------
// Context menu.

void AppendOwn(HMENU menu, UINT code, UINT textId, const char* fallback) {
    AppendMenuA(menu, MF_STRING, kOwnBase + code, Text(textId, fallback).c_str());
}

void RunOwnCode(UINT code, const std::vector<int>& selection) {
    switch (code) {
    case 1:
        for (int index : selection) ActivateListItem(index);
        break;
    case 2: PostCommand(IDC_OPEN_SELECTED); break;
    case 3:
        if (selection.size() == 1)
            SendMessageA(g_list, LVM_EDITLABELA, selection[0], 0);
        else
            PostCommand(IDC_MULTI_RENAME);
        break;
    case 7: PostCommand(IDC_THUMB_TO_CLIPBOARD); break;
    case 8: PostCommand(IDC_SEND_MAIL); break;
    case 9: PostCommand(IDC_NEW_FOLDER); break;
    case 10: PostCommand(IDC_NAME_FOLDER); break;
    case 11: case 12: case 13: case 14: case 15:
        PostCommand(IDC_MODE_THUMBNAILS + code - 11);
        break;
    case 18: PostCommand(IDC_CONVERT_PICTURE); break;
    case 19: PostCommand(IDC_COPY_TO); break;
    case 20: PostCommand(IDC_MOVE_TO); break;
    case 21: PostCommand(IDC_ONLY_PICTURES); break;
    default: break;
    }
}

// Background form: only "paste" and "properties" of the shell stay.
void TrimBackgroundMenu(HMENU menu, IContextMenu* shell) {
    int properties = -1;
    for (int i = GetMenuItemCount(menu) - 1; i >= 0; --i) {
        const UINT id = GetMenuItemID(menu, i);
        char verb[64] = "";
        if (id >= 1 && id <= kShellLastId)
            shell->GetCommandString(id - 1, GCS_VERBA, nullptr, verb, sizeof verb);
        if (lstrcmpiA(verb, "paste") == 0) continue;
        if (lstrcmpiA(verb, "properties") == 0) {
            properties = i;
            continue;
        }
        DeleteMenu(menu, i, MF_BYPOSITION);
        if (properties > i) --properties;
    }
    const UINT at = properties >= 0 ? static_cast<UINT>(properties) : static_cast<UINT>(-1);
    InsertMenuA(menu, at, MF_BYPOSITION | MF_STRING, 32777,
                Text(IDS_CREATE_FOLDER, "Create Folder").c_str());
    InsertMenuA(menu, at == static_cast<UINT>(-1) ? at : at + 1, MF_BYPOSITION | MF_STRING, 32778,
                Text(IDS_DEFINE_FOLDER, "Define Folder").c_str());
    InsertMenuA(menu, at == static_cast<UINT>(-1) ? at : at + 2, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);

    HMENU modes = CreatePopupMenu();
    static const char* const kModeNames[5] = {"Thumbnails", "Large icons", "Small icons", "List", "Details"};
    for (int m = 0; m < 5; ++m)
        AppendMenuA(modes, MF_STRING | (m == g_mode ? MF_CHECKED : 0), 32779 + m,
                    Text(IDC_MODE_THUMBNAILS + m, kModeNames[m]).c_str());
    AppendMenuA(modes, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(modes, MF_STRING | (OnlyPictureModeOn() ? MF_CHECKED : 0), 32789,
                Text(IDS_ONLY_PICTURE_MODE, "Only Picture Mode").c_str());
    InsertMenuA(menu, 0, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(modes),
                Text(IDS_LIST_MODE_MENU, "List Mode").c_str());
    InsertMenuA(menu, 1, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
}

UINT OwnCodeOfId(UINT id) {
    if (id >= 32777 && id <= 32778) return 9 + (id - 32777);
    if (id >= 32779 && id <= 32783) return 11 + (id - 32779);
    if (id >= kMenuCopyToNoFolder && id <= kMenuMoveToNoFolder) return 19 + (id - kMenuCopyToNoFolder);
    if (id == 32789) return 21;
    return 0;
}

void ShowContextMenu() {
    ItemModel& model = Items();
    POINT at;
    GetCursorPos(&at);
    if (!g_folderShown || !model.folder) {
        HMENU popup = CreatePopupMenu();
        static const char* const kModeNames[5] = {"Thumbnails", "Large icons", "Small icons", "List", "Details"};
        for (int m = 0; m < 5; ++m)
            AppendMenuA(popup, MF_STRING | (m == g_mode ? MF_CHECKED : 0), IDC_MODE_THUMBNAILS + m,
                        Text(IDC_MODE_THUMBNAILS + m, kModeNames[m]).c_str());
        const UINT id = TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, g_browser, nullptr);
        DestroyMenu(popup);
        if (id) PostCommand(id);
        return;
    }
    std::vector<int> selection = SelectedIndices();
    std::vector<LPCITEMIDLIST> lists;
    for (int index : selection)
        if (const BrowserItem* item = ShownItem(index))
            if (item->relative) lists.push_back(item->relative);
    const bool itemForm = !selection.empty();
    IShellFolder* folder = model.folder;
    IContextMenu* shell = nullptr;
    HRESULT hr;
    if (itemForm) {
        if (lists.empty()) return;
        hr = folder->GetUIObjectOf(g_browser, static_cast<UINT>(lists.size()), lists.data(),
                                   IID_IContextMenu, nullptr, reinterpret_cast<void**>(&shell));
    } else {
        hr = folder->CreateViewObject(g_browser, IID_IContextMenu, reinterpret_cast<void**>(&shell));
    }
    HMENU popup = CreatePopupMenu();
    if (SUCCEEDED(hr) && shell)
        shell->QueryContextMenu(popup, 0, 1, kShellLastId, itemForm ? CMF_CANRENAME : CMF_NORMAL);
    if (!itemForm && shell) TrimBackgroundMenu(popup, shell);
    if (itemForm) AddTransferMenus(popup);

    const BrowserItem* one = selection.size() == 1 ? ShownItem(selection[0]) : nullptr;
    bool anyFile = false;
    for (int index : selection)
        if (const BrowserItem* item = ShownItem(index))
            anyFile |= item->state == kItemFile || item->state == kItemPicture ||
                       item->state == kItemShortcutPicture;
    const bool mail = !Program().system.windows95;
    if (one && one->state == kItemPicture) {
        AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
        AppendOwn(popup, 7, IDS_THUMB_TO_CLIPBOARD, "Set Thumb To Clipboard");
        if (mail) AppendOwn(popup, 8, IDS_SEND_MAIL, "Send Picture E-Mail");
        AppendOwn(popup, 18, IDS_CONVERT_PICTURE, "Convert Picture");
    } else if (selection.size() > 1 && anyFile && mail) {
        AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
        AppendOwn(popup, 8, IDS_SEND_MAIL, "Send Picture E-Mail");
    }

    const UINT id = TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, g_browser, nullptr);
    DestroyMenu(popup);
    UINT code = 0;
    if (id >= kOwnBase) {
        code = id - kOwnBase;
    } else if (UINT own = OwnCodeOfId(id)) {
        code = own;
    } else if (id >= 1 && shell) {
        char verb[64] = "";
        shell->GetCommandString(id - 1, GCS_VERBA, nullptr, verb, sizeof verb);
        const std::string openVerb = Text(IDS_OPEN_VERB, "");
        if (!openVerb.empty() && lstrcmpiA(verb, openVerb.c_str()) == 0) code = 2;
        else if (lstrcmpiA(verb, "open") == 0) code = 1;
        else if (lstrcmpiA(verb, "rename") == 0) code = 3;
        else {
            if (lstrcmpiA(verb, "delete") == 0) ClearMarks();
            InvokeShellCommand(shell, id - 1);
        }
    }
    if (shell) shell->Release();
    if (code) RunOwnCode(code, selection);
}

}  // namespace

// ---------------------------------------------------------------------------

void AddTransferMenus(HMENU popup) {
    if (!popup) return;
    int sendTo = -1;
    for (int i = GetMenuItemCount(popup) - 1; i >= 0 && sendTo < 0; --i)
        if (GetSubMenu(popup, i)) sendTo = i;
    const std::string none = Text(IDS_NO_DEFINED_FOLDER, "No Defined Folder");
    if (sendTo >= 0) {
        HMENU entries = GetSubMenu(popup, sendTo);
        while (GetMenuItemCount(entries) > 0) DeleteMenu(entries, 0, MF_BYPOSITION);
        AppendMenuA(entries, MF_STRING, kMenuCopyToNoFolder, none.c_str());
    }
    HMENU moveTo = CreatePopupMenu();
    AppendMenuA(moveTo, MF_STRING, kMenuMoveToNoFolder, none.c_str());
    InsertMenuA(popup, sendTo >= 0 ? static_cast<UINT>(sendTo + 1) : static_cast<UINT>(-1),
                MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(moveTo),
                Text(IDS_MOVE_TO_MENU, "MoveTo").c_str());
}

UINT TransferCommandOfMenuId(UINT id) {
    if (id == kMenuCopyToNoFolder) return IDC_COPY_TO;
    if (id == kMenuMoveToNoFolder) return IDC_MOVE_TO;
    return 0;
}

std::string SortHeaderText(const char* text, bool nameColumn, bool reverse) {
    char header[128];
    if (nameColumn)
        std::snprintf(header, sizeof header, reverse ? "%s - " : "%s + ", text);
    else
        std::snprintf(header, sizeof header, reverse ? "- %s" : "+ %s", text);
    return header;
}

std::string ListInfoTip(int index) {
    ItemModelLock hold;
    const BrowserItem* item = ShownItem(index);
    if (!item) return std::string();
    std::string tip;
    for (int column = 0; column < kColumnCount; ++column) {
        if (column) tip += "\n";
        tip += g_columnTexts[column];
        tip += ":";
        tip += ItemColumnText(*item, column);
    }
    return tip;
}

HWND CreateFileList(HWND parent, const RECT& rect) {
    INITCOMMONCONTROLSEX init = {sizeof init, ICC_LISTVIEW_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&init);
    const DWORD version = CommonControlsVersion();
    g_virtual = version >= MAKELONG(70, 4) && !g_insertedItemsWanted;
    DWORD style = WS_CHILD | WS_VISIBLE | LVS_EDITLABELS | LVS_SHAREIMAGELISTS |
                  LVS_SHOWSELALWAYS | LVS_REPORT | (g_virtual ? LVS_OWNERDATA : LVS_AUTOARRANGE);
    g_list = CreateWindowExA(WS_EX_STATICEDGE, WC_LISTVIEWA, "", style, rect.left, rect.top,
                             rect.right - rect.left, rect.bottom - rect.top, parent, nullptr,
                             Program().mainModule, nullptr);
    if (!g_list) return nullptr;
    g_browser = parent;
    g_mode = kModeDetails;
    SendMessageA(g_list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);

    SHFILEINFOA info = {};
    g_largeIcons = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA("C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_LARGEICON));
    g_smallIcons = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA("C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    ReadListLook();
    g_thumbIcons = ImageList_Create(g_cellWidth - 16, g_cellHeight - 4, ILC_COLOR32, 0, 1);
    bool ok = g_largeIcons && g_smallIcons && g_thumbIcons;
    SendMessageA(g_list, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(g_largeIcons));
    SendMessageA(g_list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(g_smallIcons));

    ReadColumnTitles();
    for (int column = 0; ok && column < kColumnCount; ++column) {
        LVCOLUMNA col = {};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        col.fmt = column == 0 ? LVCFMT_LEFT : LVCFMT_RIGHT;
        col.cx = kColumnWidths[column];
        col.pszText = const_cast<char*>(g_columnTexts[column].c_str());
        col.iSubItem = column;
        ok = SendMessageA(g_list, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&col)) == column;
    }
    if (!ok) {
        DestroyFileList();
        return nullptr;
    }
    g_sortColumn = Items().sortKey;
    MarkSortColumn();

    g_listProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(g_list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListProc)));

    DWORD tipStyle = TTS_ALWAYSTIP | TTS_NOPREFIX | (version >= MAKELONG(80, 5) ? TTS_BALLOON : 0);
    g_tooltip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | tipStyle,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                parent, nullptr, Program().mainModule, nullptr);
    if (g_tooltip) {
        TOOLINFOA tool = {};
        tool.cbSize = TTTOOLINFOA_V1_SIZE;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = parent;
        tool.uId = reinterpret_cast<UINT_PTR>(g_list);
        tool.lpszText = LPSTR_TEXTCALLBACKA;
        SendMessageA(g_tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
        SendMessageA(g_tooltip, TTM_SETMAXTIPWIDTH, 0, 400);
        SendMessageA(g_tooltip, TTM_ACTIVATE, FALSE, 0);
    }
    return g_list;
}

void DestroyFileList() {
    if (g_tooltip) DestroyWindow(g_tooltip);
    if (g_list) {
        if (g_animating) KillTimer(g_list, kTimerCellAnimation);
        g_animating = false;
        g_hovered = -1;
        if (g_listProc)
            SetWindowLongPtrA(g_list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_listProc));
        DestroyWindow(g_list);
    }
    if (g_thumbIcons) ImageList_Destroy(g_thumbIcons);
    FreeCellFrame();
    FreeListBrushes();
    ClearItemModel();
    SetModelFolder(nullptr, nullptr);
    g_tooltip = g_list = nullptr;
    g_listProc = nullptr;
    g_thumbIcons = nullptr;
    g_current = -1;
    g_folderShown = false;
}

HWND FileListWindow() { return g_list; }
bool FileListIsVirtual() { return g_virtual; }
int ListModeNow() { return g_mode; }
int CurrentListItem() { return g_current; }
bool OnlyPictureModeOn() { return Items().onlyPictures; }
void SetPictureOpener(void (*opener)(const char*)) { g_opener = opener; }
void SetPicturePreviewer(void (*previewer)(const char*)) { g_previewer = previewer; }
void SetFolderRequester(void (*requester)(int, LPCITEMIDLIST)) { g_requester = requester; }
void SetOpenListReceiver(void (*receiver)(const std::vector<std::string>&)) { g_openListReceiver = receiver; }
void SetListWheelHandler(bool (*handler)(HWND, WPARAM, LPARAM)) { g_wheel = handler; }

void UseInsertedListItems(bool on) { g_insertedItemsWanted = on; }

void EmptyFileList() {
    if (!g_list) return;
    // The worker's pass finds its items gone and stops at the next one.
    Items().stop = 1;
    if (g_browser) PostMessageA(g_browser, kMsgClearPreview, 0, 0);
    {
        ItemModelLock hold;
        ClearItemModel();
        SetModelFolder(nullptr, nullptr);
    }
    Items().stop = 0;
    g_current = -1;
    g_pendingSelection.clear();
    if (g_virtual) SendMessageA(g_list, LVM_SETITEMCOUNT, 0, LVSICF_NOSCROLL);
    SendMessageA(g_list, LVM_DELETEALLITEMS, 0, 0);
    InvalidateRect(g_list, nullptr, TRUE);
}

void SelectListFile(const std::string& path) {
    if (!SelectShownPath(path)) g_pendingSelection = path;
}

void ReloadListColumnTitles() {
    ReadColumnTitles();
    for (int column = 0; column < kColumnCount; ++column) SetColumnText(column, g_columnTexts[column]);
    MarkSortColumn();
}

void SetThumbnailCell(int width, int height, int marginX, int marginY) {
    g_cellWidth = width > 16 ? width : 64;
    g_cellHeight = height > 4 ? height : 64;
    g_marginX = marginX > 0 ? marginX : 6;
    g_marginY = marginY > 0 ? marginY : 6;
    if (g_thumbIcons) ImageList_SetIconSize(g_thumbIcons, g_cellWidth - 16, g_cellHeight - 4);
}

static void ReadListLook() {
    const SIZE cell = LoadCellFrame();
    SetThumbnailCell(cell.cx, cell.cy, settings::Read(settings::kLeftWidth), settings::Read(settings::kLeftHeight));
    ResetListBrushes();
}

void ApplyListLook() {
    if (!g_list) return;
    ReadListLook();
    if (g_mode == kModeThumbnails) {
        SetThumbnailSpacing();
        SendMessageA(g_list, LVM_ARRANGE, LVA_ALIGNTOP, 0);
    }
    InvalidateRect(g_list, nullptr, TRUE);
}

SIZE ThumbnailCellBox() { return ThumbnailBox(g_cellWidth, g_cellHeight, g_marginX, g_marginY); }

void SetCellAnimationEnabled(bool on) {
    g_thumbActive = on;
    UpdateCellAnimation();
    if (g_list && g_mode == kModeThumbnails) InvalidateRect(g_list, nullptr, FALSE);
}

bool CellAnimationEnabled() { return g_thumbActive; }

void SetListMode(int mode) {
    if (mode < kModeThumbnails || mode > kModeDetails || !g_list) return;
    bool changed = false;
    const LONG style = GetWindowLongA(g_list, GWL_STYLE);
    if (static_cast<DWORD>(style & LVS_TYPEMASK) != kModeStyles[mode]) {
        SetWindowLongA(g_list, GWL_STYLE, (style & ~LVS_TYPEMASK) | kModeStyles[mode]);
        changed = true;
    }
    g_mode = mode;
    if (mode == kModeThumbnails || mode == kModeLargeIcons) {
        HIMAGELIST want = mode == kModeThumbnails ? g_thumbIcons : g_largeIcons;
        if (reinterpret_cast<HIMAGELIST>(SendMessageA(g_list, LVM_GETIMAGELIST, LVSIL_NORMAL, 0)) != want) {
            SendMessageA(g_list, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(want));
            changed = true;
        }
        if (mode == kModeThumbnails) SetThumbnailSpacing();
        else SendMessageA(g_list, LVM_SETICONSPACING, 0, MAKELPARAM(-1, -1));
        SendMessageA(g_list, LVM_ARRANGE, LVA_ALIGNTOP, 0);
    }
    UpdateCellAnimation();
    if (g_virtual && mode != kModeDetails && changed)
        SendMessageA(g_list, LVM_SETITEMCOUNT, ShownItemCount(), LVSICF_NOSCROLL);
    InvalidateRect(g_list, nullptr, TRUE);
}

void SortList(UINT command) {
    ItemModel& model = Items();
    int key = model.sortKey, flags = model.sortFlags;
    if (command >= IDC_SORT_BY_NAME && command <= IDC_SORT_BY_ATTRIBUTES)
        key = static_cast<int>(command - IDC_SORT_BY_NAME);
    else if (command == IDC_SORT_FORWARD)
        flags = kSortForward;
    else if (command == IDC_SORT_REVERSE)
        flags = kSortReverse;
    else
        return;
    SetColumnText(g_sortColumn, g_columnTexts[g_sortColumn]);
    SetModelSort(key, flags);
    g_sortColumn = model.sortKey;
    MarkSortColumn();
    if (!g_list) return;
    if (g_virtual) {
        SendMessageA(g_list, LVM_UPDATE, 0, 0);
    } else {
        for (int i = 0; i < ShownItemCount() && !model.stop; ++i) WriteItemTexts(i, false);
    }
    InvalidateRect(g_list, nullptr, TRUE);
    MarkRangeChanged();
    // Next and Previous follow the order the user now sees.
    HandPicturesToOpenList(g_separateFiles);
}

void AnnounceItemCount() {
    if (!g_list) return;
    if (GetWindowThreadProcessId(g_list, nullptr) == GetCurrentThreadId())
        AnnounceOnListThread();
    else
        PostMessageA(g_list, kMsgAnnounceCount, 0, 0);
}

void ActivateListItem(int index) {
    BrowserItem* item = ShownItem(index);
    if (!item) return;
    switch (item->state) {
    case kItemParent:
    case kItemFolder:
    case kItemNoFile:
    case 1: {
        // The tree may reload the list while it handles this: send copies.
        LPITEMIDLIST absolute = CopyPidl(item->absolute);
        LPITEMIDLIST relative = item->relative ? CopyPidl(item->relative) : nullptr;
        if (HWND tree = FolderTreeWindow())
            SendMessageA(tree, kMsgOpenListItemInTree, reinterpret_cast<WPARAM>(absolute),
                         reinterpret_cast<LPARAM>(relative));
        FreePidl(absolute);
        FreePidl(relative);
        break;
    }
    case kItemPicture:
        if (g_opener) g_opener(ItemPath(*item).c_str());
        break;
    case kItemShortcutPicture:
        if (g_opener) g_opener(ResolveShortcut(ItemPath(*item)).c_str());
        break;
    case kItemFile:
        // Not examined yet (no thumbnail pass has reached it): the image
        // library decides whether the viewer or the shell opens it.
        if (g_opener && IsPictureFile(ItemPath(*item))) {
            g_opener(ItemPath(*item).c_str());
            break;
        }
        InvokeDefaultCommand(*item);
        break;
    default:
        InvokeDefaultCommand(*item);
        break;
    }
}

bool HandleFileListCommand(UINT command) {
    if (command >= IDC_MODE_THUMBNAILS && command <= IDC_MODE_DETAILS) {
        SetListMode(static_cast<int>(command - IDC_MODE_THUMBNAILS));
        return true;
    }
    if (command >= IDC_SORT_BY_NAME && command <= IDC_SORT_REVERSE) {
        SortList(command);
        return true;
    }
    if (!g_list) return false;
    switch (command) {
    case IDC_SELECT_ALL: {
        LVITEMA it = {};
        it.stateMask = it.state = LVIS_SELECTED;
        SendMessageA(g_list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&it));
        return true;
    }
    case IDC_DELETE: {
        const std::vector<int> selection = SelectedIndices();
        if (selection.empty()) return true;
        std::string list;
        for (int index : selection) {
            const BrowserItem* item = ShownItem(index);
            if (!item || item->state == kItemParent) continue;
            const std::string path = ItemPath(*item);
            if (path.empty()) continue;
            list += path;
            list.push_back('\0');
        }
        if (list.empty()) return true;
        list.push_back('\0');
        if (!g_virtual) {
            ClearMarks();
            LVITEMA it = {};
            it.stateMask = LVIS_SELECTED;
            SendMessageA(g_list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&it));
        }
        DeleteFiles(list.data(), g_browser);
        return true;
    }
    case IDC_RENAME: {
        const std::vector<int> selection = SelectedIndices();
        if (selection.size() == 1) {
            const int index = g_current >= 0 ? g_current : selection[0];
            SetFocus(g_list);
            SendMessageA(g_list, LVM_EDITLABELA, index, 0);
        } else if (selection.size() > 1) {
            PostCommand(IDC_MULTI_RENAME);
        }
        return true;
    }
    case IDC_ONLY_PICTURES: {
        Items().onlyPictures = !Items().onlyPictures;
        g_current = -1;
        if (g_browser)
            CheckMenuItem(GetMenu(g_browser), IDC_ONLY_PICTURES,
                          MF_BYCOMMAND | (Items().onlyPictures ? MF_CHECKED : MF_UNCHECKED));
        AnnounceOnListThread();
        return true;
    }
    case IDC_PARENT_FOLDER:
        if (Items().hasParent) ActivateListItem(ModelToShownIndex(0));
        return true;
    default:
        return false;
    }
}

bool HandleFileListNotify(NMHDR* header, LRESULT* result) {
    if (!g_list || !header) return false;
    if (header->hwndFrom != g_list) {
        // The tooltip asks for the list's text.
        if (header->code == TTN_GETDISPINFOA && g_tooltip && header->hwndFrom == g_tooltip) {
            *result = 0;
            return true;
        }
        return false;
    }
    *result = 0;
    switch (header->code) {
    case LVN_GETDISPINFOA:
        OnGetDispInfo(reinterpret_cast<NMLVDISPINFOA*>(header));
        return true;
    case LVN_ODFINDITEMA: {
        ItemModelLock hold;
        NMLVFINDITEMA* find = reinterpret_cast<NMLVFINDITEMA*>(header);
        *result = -1;
        if ((find->lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) && find->lvfi.psz)
            *result = FindItemByPrefix(find->lvfi.psz, find->iStart, (find->lvfi.flags & LVFI_WRAP) != 0);
        return true;
    }
    case LVN_ODFINDITEMW: {
        // Some list controls ask in the wide form even of an ANSI parent.
        ItemModelLock hold;
        NMLVFINDITEMW* find = reinterpret_cast<NMLVFINDITEMW*>(header);
        *result = -1;
        if ((find->lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) && find->lvfi.psz) {
            char text[MAX_PATH] = "";
            WideCharToMultiByte(CP_ACP, 0, find->lvfi.psz, -1, text, sizeof text, nullptr, nullptr);
            *result = FindItemByPrefix(text, find->iStart, (find->lvfi.flags & LVFI_WRAP) != 0);
        }
        return true;
    }
    case LVN_ODCACHEHINT:
        return true;
    case LVN_ODSTATECHANGED:
        ReadAllStates();
        return true;
    case LVN_ITEMCHANGED:
        OnItemChanged(reinterpret_cast<NMLISTVIEW*>(header));
        return true;
    case LVN_COLUMNCLICK: {
        const int column = reinterpret_cast<NMLISTVIEW*>(header)->iSubItem;
        const bool reverse = (Items().sortFlags & kSortReverse) != 0;
        SortList(IDC_SORT_BY_NAME + column);
        SortList(reverse ? IDC_SORT_FORWARD : IDC_SORT_REVERSE);
        return true;
    }
    case LVN_BEGINLABELEDITA: {
        const BrowserItem* item = ShownItem(reinterpret_cast<NMLVDISPINFOA*>(header)->item.iItem);
        *result = !item || item->state == kItemParent || ItemPath(*item).empty();
        return true;
    }
    case LVN_ENDLABELEDITA:
        OnEndLabelEdit(reinterpret_cast<NMLVDISPINFOA*>(header), result);
        return true;
    case LVN_KEYDOWN: {
        const WORD key = reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey;
        if ((key == VK_RETURN || key == VK_F5) && g_browser)
            PostMessageA(g_browser, WM_KEYDOWN, key, 0);
        return true;
    }
    case LVN_GETINFOTIPA: {
        NMLVGETINFOTIPA* tip = reinterpret_cast<NMLVGETINFOTIPA*>(header);
        if (tip->pszText && tip->cchTextMax > 0)
            lstrcpynA(tip->pszText, ListInfoTip(tip->iItem).c_str(), tip->cchTextMax);
        return true;
    }
    case NM_DBLCLK: {
        const NMITEMACTIVATE* act = reinterpret_cast<NMITEMACTIVATE*>(header);
        LVHITTESTINFO hit = {};
        hit.pt = act->ptAction;
        int index = static_cast<int>(SendMessageA(g_list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
        if (index < 0) index = act->iItem;
        ActivateListItem(index);
        return true;
    }
    case NM_RCLICK:
        ShowContextMenu();
        return true;
    default:
        return false;
    }
}

void VisibleListRange(int* first, int* end) {
    if (first) *first = g_rangeFirst;
    if (end) *end = g_rangeEnd;
}
bool TakeRangeChanged() { return InterlockedExchange(&g_rangeChanged, 0) != 0; }
void MarkRangeChanged() { InterlockedExchange(&g_rangeChanged, 1); }
void SetVisibleListRange(int first, int end) {
    if (first != g_rangeFirst || end != g_rangeEnd) {
        InterlockedExchange(&g_rangeFirst, first);
        InterlockedExchange(&g_rangeEnd, end);
        InterlockedExchange(&g_rangeChanged, 1);
    }
}

// ---------------------------------------------------------------------------
// The model from separate files.

namespace {

// Takes out of the queue what the worker posted about the folder it was
// loading before it stopped: the counts, the folder-loaded note and the
// emptied open list would otherwise arrive after the new model.
void DropStaleWorkerPosts() {
    MSG msg;
    for (UINT message : {static_cast<UINT>(LVM_SETITEMCOUNT), static_cast<UINT>(LVM_DELETEALLITEMS), kMsgAnnounceCount})
        while (g_list && PeekMessageA(&msg, g_list, message, message, PM_REMOVE)) {}
    while (g_browser && PeekMessageA(&msg, g_browser, kMsgFolderLoaded, kMsgFolderLoaded, PM_REMOVE)) {}
    while (g_browser && PeekMessageA(&msg, g_browser, kMsgReplaceOpenList, kMsgReplaceOpenList, PM_REMOVE))
        delete reinterpret_cast<std::vector<std::string>*>(msg.lParam);
}

}  // namespace

void FillModelFromFiles(const std::vector<std::string>& paths, bool append) {
    std::vector<BrowserItem> collected;
    std::vector<std::string> pictures;
    ProgramState& shell = Program();
    for (const std::string& given : paths) {
        // "dir\..\name" and relative forms name no shell object: the full
        // path does, and it is what the open list compares.
        char full[MAX_PATH];
        const DWORD length = GetFullPathNameA(given.c_str(), sizeof full, full, nullptr);
        const std::string path = length > 0 && length < sizeof full ? std::string(full) : given;
        if (shell.lorimelReady && shell.lorimel.DetectImageFormat) {
            char format[kLorimelFormatChars] = "";
            if (shell.lorimel.DetectImageFormat(path.c_str(), format) <= 0) continue;
        }
        const size_t slash = path.find_last_of('\\');
        if (slash == std::string::npos || slash + 1 >= path.size()) continue;
        std::string folderPath = path.substr(0, slash);
        if (folderPath.size() == 2 && folderPath[1] == ':') folderPath += '\\';
        const std::string name = path.substr(slash + 1);
        LPITEMIDLIST folderPidl = PidlFromPath(folderPath);
        if (!folderPidl) continue;
        IShellFolder* folder = BindToFolder(folderPidl);
        if (folder) {
            WCHAR wide[MAX_PATH];
            MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, wide, MAX_PATH);
            LPITEMIDLIST relative = nullptr;
            ULONG eaten = 0;
            if (SUCCEEDED(folder->ParseDisplayName(nullptr, nullptr, wide, &eaten, &relative, nullptr)) &&
                relative) {
                BrowserItem item;
                if (FillFolderItem(item, folder, folderPidl, relative)) {
                    collected.push_back(item);
                    pictures.push_back(path);
                }
                FreePidl(relative);
            }
            folder->Release();
        }
        FreePidl(folderPidl);
    }
    StopCurrentRequest();
    DropStaleWorkerPosts();
    g_separateFiles = true;
    ClearPictureList();
    std::vector<std::string> openList;
    {
        ItemModelLock hold;
        ItemModel& model = Items();
        if (!append) {
            ClearItemModel();
            model.items = collected;
        } else {
            model.items.insert(model.items.end(), collected.begin(), collected.end());
            for (int i = 0; i < shell.openList.Count(); ++i) openList.push_back(shell.openList.At(i));
        }
    }
    openList.insert(openList.end(), pictures.begin(), pictures.end());
    AnnounceItemCount();
    if (g_openListReceiver) g_openListReceiver(openList);
    if (g_requester) g_requester(4, nullptr);
}
