// Messages of the list window itself: its subclass procedure, the paint
// and the shown range it records for the worker, the hovered item and the
// cell animation.
#include "file_list.h"
#include "file_list_state.h"
#include "list_painter.h"
#include "list_shared.h"

#include "commands.h"
#include "folder_request.h"
#include "item_model.h"
#include "messages.h"
#include "pidl.h"

using namespace filelist;

namespace {

// The range of list indices the last paint showed and whether it moved:
// written on the interface thread, read by the worker's thumbnail pass, so
// only through the interlocked calls below (list_shared.h).
volatile LONG g_rangeFirst = 0, g_rangeEnd = 1, g_rangeChanged = 0;

void ComputeVisibleRange() {
    const int count = ShownItemCount();
    int first = 0, end = count;
    if (ListState().mode == kModeDetails || ListState().mode == kModeList) {
        // Rows (and, in list mode, columns) from the first visible item's
        // size; partly shown ones count.
        first = static_cast<int>(SendMessageA(ListState().list, LVM_GETTOPINDEX, 0, 0));
        RECT client, item;
        GetClientRect(ListState().list, &client);
        item.left = LVIR_BOUNDS;
        if (SendMessageA(ListState().list, LVM_GETITEMRECT, first, reinterpret_cast<LPARAM>(&item)) &&
            item.bottom > item.top && item.right > item.left) {
            const int height = item.bottom - item.top, width = item.right - item.left;
            const int perColumn = (client.bottom + height - 1) / height;
            const int columns = ListState().mode == kModeList ? (client.right + width - 1) / width + 1 : 1;
            end = first + perColumn * columns;
        } else {
            end = first + static_cast<int>(SendMessageA(ListState().list, LVM_GETCOUNTPERPAGE, 0, 0)) + 1;
        }
    } else {
        RECT client;
        GetClientRect(ListState().list, &client);
        const DWORD spacing = static_cast<DWORD>(
            SendMessageA(ListState().list, LVM_GETITEMSPACING, ListState().mode == kModeSmallIcons, 0));
        const int dx = LOWORD(spacing) ? LOWORD(spacing) : 1;
        const int dy = HIWORD(spacing) ? HIWORD(spacing) : 1;
        POINT origin = {0, 0};
        SendMessageA(ListState().list, LVM_GETORIGIN, 0, reinterpret_cast<LPARAM>(&origin));
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
    setup.list = ListState().list;
    setup.mode = ListState().mode;
    setup.largeIcons = ListState().largeIcons;
    setup.smallIcons = ListState().smallIcons;
    setup.cellWidth = ListState().cellWidth;
    setup.cellHeight = ListState().cellHeight;
    setup.marginX = ListState().marginX;
    setup.marginY = ListState().marginY;
    setup.first = g_rangeFirst;
    setup.end = g_rangeEnd;
    setup.hot = ListState().hovered;
    return setup;
}

// The item under the mouse: its cell gets a raised edge and its label is
// drawn on top of the others.
void InvalidateItem(int index) {
    RECT bounds;
    bounds.left = LVIR_BOUNDS;
    if (index >= 0 && SendMessageA(ListState().list, LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&bounds))) {
        if (ListState().mode == kModeThumbnails) {
            bounds.left -= ListState().cellWidth / 2;
            bounds.right += ListState().cellWidth / 2;
            bounds.bottom += kThumbnailLabelLines * 16;
        }
        InvalidateRect(ListState().list, &bounds, FALSE);
    }
}

void TrackHover(int x, int y) {
    LVHITTESTINFO hit = {};
    hit.pt.x = x;
    hit.pt.y = y;
    int index = static_cast<int>(SendMessageA(ListState().list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (index >= 0 && !(hit.flags & LVHT_ONITEMICON)) index = -1;
    if (index == ListState().hovered) return;
    InvalidateItem(ListState().hovered);
    ListState().hovered = index;
    InvalidateItem(ListState().hovered);
    if (index >= 0) {
        TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, ListState().list, 0};
        TrackMouseEvent(&track);
    }
}

void OpenFolderRequest(const FolderRequest* request, int code) {
    if (!request || !request->item) return;
    ListState().folderShown = true;
    // A file waiting to be chosen waits on for its own folder only.
    if (!ListState().pendingSelection.empty()) {
        std::string folder = PidlPath(request->item->absolute);
        while (!folder.empty() && folder.back() == '\\') folder.pop_back();
        const size_t slash = ListState().pendingSelection.find_last_of('\\');
        if (slash == std::string::npos ||
            lstrcmpiA(ListState().pendingSelection.substr(0, slash).c_str(), folder.c_str()) != 0)
            ListState().pendingSelection.clear();
    }
    Items().stop = 1;
    if (code == 0) {
        if (ListState().browser) PostMessageA(ListState().browser, kMsgClearPreview, 0, 0);
        if (ListState().isVirtual) SendMessageA(ListState().list, LVM_SETITEMCOUNT, 0, LVSICF_NOSCROLL);
        SendMessageA(ListState().list, LVM_DELETEALLITEMS, 0, 0);
        ListState().current = -1;
        ClearItemModel();
    }
    ClearPictureList();
    ListState().separateFiles = false;
    if (ListState().requester) ListState().requester(code, request->item->absolute);
}

}  // namespace

namespace filelist {

// The cell animation runs in thumbnail mode while the folder has animated
// items and Enable Thumb Active is on.
void UpdateCellAnimation() {
    const bool wanted = ListState().list && ListState().mode == kModeThumbnails && ListState().thumbActive &&
                        AnimatedItemCount() > 0;
    if (wanted && !ListState().animating)
        ListState().animating = SetTimer(ListState().list, kTimerCellAnimation, kCellAnimationPeriodMs, nullptr) != 0;
    else if (!wanted && ListState().animating) {
        KillTimer(ListState().list, kTimerCellAnimation);
        ListState().animating = false;
    }
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
        if (!ListState().isVirtual) {
            const int shown = ModelToShownIndex(static_cast<int>(wp));
            if (shown >= 0) WriteItemTexts(shown, false);
        }
        return 0;
    case LVM_SETITEMCOUNT: {
        // A new count in an icon view: the control lays the grid out again,
        // or every cell of a virtual list would start at the same place.
        const LRESULT result = CallWindowProcA(ListState().listProc, hwnd, msg, wp, lp);
        const LONG view = GetWindowLongA(hwnd, GWL_STYLE) & LVS_TYPEMASK;
        if (view == LVS_ICON || view == LVS_SMALLICON)
            CallWindowProcA(ListState().listProc, hwnd, LVM_ARRANGE, LVA_ALIGNTOP, 0);
        // The browser's count and its history buttons follow the list.
        if (ListState().browser) PostMessageA(ListState().browser, kMsgRefreshInfo, 0, 0);
        SelectPendingPath();
        return result;
    }
    case kMsgFolderChanged:
        // The worker refreshed the model after the shown folder changed.
        AnnounceItemCount();
        return 0;
    case kMsgRefreshAllTexts:
        if (!ListState().isVirtual)
            for (int i = 0; i < ShownItemCount(); ++i) WriteItemTexts(i, false);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_KEYUP:
        if (wp == VK_DELETE) PostCommand(IDC_DELETE);
        break;
    case WM_COMMAND:
        if (ListState().browser) return SendMessageA(ListState().browser, msg, wp, lp);
        break;
    case WM_MOUSEWHEEL:
        if (ListState().wheel && ListState().wheel(hwnd, wp, lp)) return 0;
        break;
    case WM_ERASEBKGND:
        return 1;   // the painter fills what no item covers
    case WM_PAINT:
        ComputeVisibleRange();
        PaintFileList(PaintSetup());
        return 0;
    case WM_TIMER:
        if (wp == kTimerCellAnimation) {
            if (ListState().animating) AnimateThumbnailCells(PaintSetup());
            return 0;
        }
        break;
    case kMsgStartCellAnimation:
        UpdateCellAnimation();
        return 0;
    case kMsgStopCellAnimation:
        if (ListState().animating) KillTimer(hwnd, kTimerCellAnimation);
        ListState().animating = false;
        return 0;
    case WM_MOUSEMOVE:
        TrackHover(static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)));
        break;
    case WM_MOUSELEAVE:
        InvalidateItem(ListState().hovered);
        ListState().hovered = -1;
        break;
    case WM_LBUTTONDOWN:
        if (!ListState().isVirtual) {
            const LRESULT result = CallWindowProcA(ListState().listProc, hwnd, msg, wp, lp);
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
                ListState().current = index;
            }
            return result;
        }
        break;
    default:
        break;
    }
    return CallWindowProcA(ListState().listProc, hwnd, msg, wp, lp);
}

}  // namespace filelist

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
