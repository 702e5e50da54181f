#include "browser_panes.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "picture_view.h"
#include "resource_ids.h"
#include "settings.h"
#include "program.h"
#include "win_guards.h"

namespace {

struct Panes {
    BrowserLayout layout;
    HWND browser = nullptr;
    HWND tree = nullptr;
    HWND list = nullptr;
    HWND urlList = nullptr;
    HWND preview = nullptr;
    HWND tabs = nullptr;
    HWND banner = nullptr;
    HIMAGELIST tabImages = nullptr;
    int previewSize = 0;
    const Picture* previewPicture = nullptr;
    // Dragging a divider: which (0 none), and where its inverted bar is drawn.
    int dragging = 0;
    int dragPosition = 0;
    bool barDrawn = false;
};

Panes g;

int TabStripHeight() {
    int imageHeight = 16;
    WindowDC dc(g.tabs);
    SelectedObject font(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(g.tabs, WM_GETFONT, 0, 0)));
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    return std::max(imageHeight, static_cast<int>(metrics.tmHeight)) + 6;
}

void Move(HWND window, const RECT& r) {
    if (window)
        MoveWindow(window, r.left, r.top, std::max(0L, r.right - r.left), std::max(0L, r.bottom - r.top), TRUE);
}

void PlacePreview() {
    if (!g.preview) return;
    RECT area = PreviewAreaRect(g.layout);
    if (g.layout.previewHidden || !g.previewPicture || area.right - area.left < 8) {
        ShowWindow(g.preview, SW_HIDE);
        return;
    }
    int width = 0, height = 0;
    if (g.previewPicture) {
        width = DibWidth(g.previewPicture->working);
        height = DibHeight(g.previewPicture->working);
    }
    RECT pane = PreviewPaneRect(area, width, height, g.previewSize);
    SetWindowPos(g.preview, HWND_TOP, pane.left, pane.top, pane.right - pane.left, pane.bottom - pane.top,
                 SWP_SHOWWINDOW);
    int percent = g.previewSize == 0 || g.previewSize == 1 ? 100 : g.previewSize == 2 ? 50 : g.previewSize == 4 ? 25 : 12;
    SetViewZoom(g.preview, percent, g.previewSize == 0 ? kViewStretchCentred : kViewZoomed);
}

// The bar of a divider being dragged, drawn inverted (drawing it twice
// removes it).
void InvertBar(int divider, int position) {
    RECT bar;
    if (divider == 3) {
        bar = ListDividerRect(g.layout);
        bar.top = position;
        bar.bottom = position + kDividerThickness;
    } else {
        bar = divider == 1 ? TreeDividerRect(g.layout) : PreviewDividerRect(g.layout);
        bar.left = position;
        bar.right = position + kDividerThickness;
    }
    WindowDC dc(g.browser);
    PatBlt(dc, bar.left, bar.top, bar.right - bar.left, bar.bottom - bar.top, DSTINVERT);
}

void MovePanes() {
    const BrowserLayout& l = g.layout;
    Move(g.tree, TreePaneRect(l));
    RECT banner = BannerAreaRect(l);
    Move(g.banner, banner);
    RECT listArea = ListAreaRect(l);
    int tabHeight = g.tabs ? TabStripHeight() : 0;
    RECT tabs{listArea.left, listArea.top, listArea.right, std::min(listArea.bottom, listArea.top + tabHeight)};
    Move(g.tabs, tabs);
    RECT list{listArea.left, tabs.bottom, listArea.right, listArea.bottom};
    Move(g.list, list);
    Move(g.urlList, list);
    PlacePreview();
    InvalidateRect(g.browser, nullptr, TRUE);
}

void ShowListForTab() {
    bool url = SelectedTab() == kUrlTab;
    if (g.list) ShowWindow(g.list, url ? SW_HIDE : SW_SHOW);
    if (g.urlList) ShowWindow(g.urlList, url ? SW_SHOW : SW_HIDE);
}

}  // namespace

bool CreateBrowserPanes(HWND browser, HWND banner) {
    g = Panes{};
    g.browser = browser;
    g.banner = banner;
    HINSTANCE instance = Program().mainModule;
    g.tabs = CreateWindowExA(0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, 0, browser,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTabStripId)), instance, nullptr);
    if (!g.tabs) return false;
    SendMessageA(g.tabs, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    g.tabImages = ImageList_LoadImageA(Program().resourceModule, MAKEINTRESOURCEA(IDB_TAB_IMAGES), 16, 0,
                                       IMAGE_LIST_MASK_COLOUR, IMAGE_BITMAP, LR_CREATEDIBSECTION);
    if (g.tabImages) SendMessageA(g.tabs, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(g.tabImages));
    for (int i = 0; i < kTabCount; ++i) {
        std::string text = ResourceString(IDS_TAB_THUMB + i);
        TCITEMA item = {};
        item.mask = TCIF_TEXT | TCIF_IMAGE;
        item.pszText = &text[0];
        item.iImage = i;
        SendMessageA(g.tabs, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
    }
    // The URL tab is never restored.
    int mode = settings::Read(settings::kShowMode);
    SendMessageA(g.tabs, TCM_SETCURSEL, mode >= 0 && mode <= 4 ? mode : 0, 0);

    g.preview = CreatePictureView(browser, 0, 0, 8, 8, WS_CHILD | WS_VISIBLE, kPreviewPaneId);
    if (!g.preview) return false;
    SetViewZoom(g.preview, 100, kViewStretch);

    RECT client;
    GetClientRect(browser, &client);
    g.layout = InitialBrowserLayout(client, settings::Read(settings::kTreeViewLine),
                                    settings::Read(settings::kPreviewLine), settings::Read(settings::kListViewLine),
                                    settings::Read(settings::kSaveTreeViewLine),
                                    settings::Read(settings::kSavePrevViewLine),
                                    settings::Read(settings::kSaveListViewLine));
    return true;
}

void SaveBrowserPanes() {
    settings::Write(settings::kTreeViewLine, g.layout.treeX);
    settings::Write(settings::kPreviewLine, g.layout.previewX);
    settings::Write(settings::kListViewLine, g.layout.listY);
    settings::Write(settings::kSaveTreeViewLine, g.layout.savedTreeX);
    settings::Write(settings::kSavePrevViewLine, g.layout.savedPreviewX);
    settings::Write(settings::kSaveListViewLine, g.layout.savedListY);
}

void DestroyBrowserPanes() {
    if (g.preview) DestroyWindow(g.preview);
    if (g.tabs) DestroyWindow(g.tabs);
    if (g.tabImages) ImageList_Destroy(g.tabImages);
    g = Panes{};
}

bool SetFolderTreePane(HWND tree) {
    g.tree = tree;
    return tree != nullptr;
}
void SetFileListPane(HWND list) {
    g.list = list;
    ShowListForTab();
}
void SetUrlListPane(HWND urlList) {
    g.urlList = urlList;
    ShowListForTab();
}

void LayOutBrowserPanes(HWND browser, const RECT& client) {
    g.browser = browser;
    FitBrowserLayout(g.layout, client);
    MovePanes();
}

bool HandleDividerMouse(HWND browser, UINT msg, WPARAM wp, LPARAM lp) {
    POINT p{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    switch (msg) {
    case WM_SETCURSOR: {
        if (reinterpret_cast<HWND>(wp) != browser && reinterpret_cast<HWND>(wp) != g.tabs) return false;
        POINT cursor;
        GetCursorPos(&cursor);
        ScreenToClient(browser, &cursor);
        int divider = g.dragging ? g.dragging : DividerAt(g.layout, cursor);
        if (!divider) return false;
        SetCursor(LoadCursor(nullptr, divider == 3 ? IDC_SIZENS : IDC_SIZEWE));
        return true;
    }
    case WM_LBUTTONDOWN: {
        int divider = DividerAt(g.layout, p);
        if (!divider) return false;
        g.dragging = divider;
        g.dragPosition = divider == 3 ? g.layout.listY : divider == 1 ? g.layout.treeX : g.layout.previewX;
        SetCapture(browser);
        RECT range = DividerDragRange(g.layout, divider);
        MapWindowPoints(browser, nullptr, reinterpret_cast<POINT*>(&range), 2);
        ClipCursor(&range);
        InvertBar(divider, g.dragPosition);
        g.barDrawn = true;
        return true;
    }
    case WM_MOUSEMOVE: {
        if (!g.dragging) return false;
        RECT range = DividerDragRange(g.layout, g.dragging);
        int position = g.dragging == 3 ? p.y : p.x;
        int low = g.dragging == 3 ? range.top : range.left, high = g.dragging == 3 ? range.bottom : range.right;
        position = std::min(std::max(position, low), high);
        if (position == g.dragPosition) return true;
        if (g.barDrawn) InvertBar(g.dragging, g.dragPosition);
        g.dragPosition = position;
        InvertBar(g.dragging, g.dragPosition);
        g.barDrawn = true;
        return true;
    }
    case WM_LBUTTONUP: {
        if (!g.dragging) return false;
        if (g.barDrawn) InvertBar(g.dragging, g.dragPosition);
        g.barDrawn = false;
        ClipCursor(nullptr);
        ReleaseCapture();
        MoveDivider(g.layout, g.dragging, g.dragPosition);
        g.dragging = 0;
        MovePanes();
        return true;
    }
    default:
        return false;
    }
}

bool HandlePreviewWheel(HWND browser, WPARAM wp, LPARAM lp) {
    POINT p{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    ScreenToClient(browser, &p);
    RECT area = PreviewAreaRect(g.layout);
    if (!PtInRect(&area, p)) return false;
    int notches = static_cast<short>(HIWORD(wp)) / WHEEL_DELTA;
    if (notches == 0) notches = static_cast<short>(HIWORD(wp)) > 0 ? 1 : -1;
    WheelPreview(g.layout, notches);
    MovePanes();
    return true;
}

void SetPreviewSize(int size) {
    g.previewSize = size;
    PlacePreview();
}
int PreviewSize() { return g.previewSize; }

void SetPreviewShown(bool shown) {
    SetPreviewHidden(g.layout, !shown);
    FitBrowserLayout(g.layout, g.layout.client);
    MovePanes();
}
bool PreviewShown() { return !g.layout.previewHidden; }
HWND PreviewPane() { return g.preview; }

void SetPreviewPicture(const Picture* picture) {
    g.previewPicture = picture;
    if (g.preview) SetViewPicture(g.preview, picture);
    PlacePreview();
}

HWND TabStrip() { return g.tabs; }
int SelectedTab() { return g.tabs ? static_cast<int>(SendMessageA(g.tabs, TCM_GETCURSEL, 0, 0)) : 0; }
void SelectTab(int tab) {
    if (g.tabs) SendMessageA(g.tabs, TCM_SETCURSEL, tab, 0);
    ShowListForTab();
}

const BrowserLayout& CurrentBrowserLayout() { return g.layout; }
