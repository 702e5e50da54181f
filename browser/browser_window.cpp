#include "browser_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "banner.h"
#include "browser_commands.h"
#include "browser_panes.h"
#include "file_list.h"
#include "item_model.h"
#include "browser_features.h"
#include "browser_host.h"
#include "command_rules.h"
#include "file_operations.h"
#include "desktop_pictures.h"
#include "url_list.h"
#include "url_list_window.h"
#include "folder_tree.h"
#include "worker.h"
#include "cache_files.h"
#include "navigation.h"
#include "commands.h"
#include "document.h"
#include "language_menu.h"
#include "menu_painter.h"
#include "messages.h"
#include "resource_ids.h"
#include "settings.h"
#include "program.h"
#include "status_bar.h"
#include "toolbar.h"
#include "window_menu.h"
#include "window_place.h"

namespace {

constexpr char kBrowserClass[] = "OmmavuSHOWer";
constexpr UINT kBrowserToolbarControl = 123;
constexpr UINT kBrowserStatusBarControl = 116;
constexpr UINT kBannerControl = 130;
constexpr UINT kUrlListControl = 131;
constexpr int kMinimumWidth = 320;
constexpr int kMinimumHeight = 240;
constexpr int kDefaultWidth = 800;
constexpr int kDefaultHeight = 600;

HWND g_toolbar = nullptr;
HWND g_statusBar = nullptr;
HWND g_banner = nullptr;
// The folder the tree is asked to select next (message 5124): at first
// "DEFAULTPATH", then history entries and Folder menu targets.
std::string g_browseBuffer;
// "Enable Thumb Active": thumbnails of animations play in their cells (not
// saved; the thumbnail pass reads it).

const std::string& BrowseBuffer() { return g_browseBuffer; }

// A sub-folder of the shown folder named "New Folder", with " (1)", " (2)"
// ... appended while an item of that name is in the list.
void CreateNewFolder(HWND browser) {
    std::string folder = BrowsedFolderPath();
    if (folder.empty()) return;
    std::string base = ResourceString(IDS_NEW_FOLDER);
    if (base.empty()) base = "New Folder";
    std::string name = base;
    auto taken = [](const std::string& candidate) {
        for (const BrowserItem& item : Items().items)
            if (lstrcmpiA(item.name, candidate.c_str()) == 0) return true;
        return false;
    };
    for (int n = 1; taken(name) && n < 10000; ++n) name = base + "(" + std::to_string(n) + ")";
    if (CreateSubfolder(folder + name)) return;
    DWORD error = GetLastError();
    char* system = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   error, 0, reinterpret_cast<char*>(&system), 0, nullptr);
    std::string text = ResourceString(IDS_CREATE_FOLDER_FAILURE) + (system ? system : "");
    if (system) LocalFree(system);
    MessageBoxA(browser, text.c_str(), ResourceString(IDS_CREATE_ERROR_TITLE).c_str(), MB_ICONSTOP | MB_OK);
}

// The browser's pictures, in its order, become the open list.  The viewer's
// position keeps naming the file it shows.  A shown file the new list lacks
// (one that turned out not to be a picture) keeps its place between its
// neighbours: the position goes just before the first picture that followed
// it and is still listed, so Next shows that one (past the end when none is).
void ReplaceOpenList(const std::vector<std::string>& paths) {
    OpenList& list = Program().openList;
    std::vector<std::string> before;
    for (int i = 0; i < list.Count(); ++i) before.push_back(list.At(i));
    const int oldPosition = OpenListPosition();
    list.Clear();
    for (const std::string& path : paths) list.Append(path);
    const std::string shown = std::string(CurrentDocument().fileName);
    int position = shown.empty() ? -1 : list.IndexOf(shown);
    if (position < 0 && !shown.empty()) {
        position = list.Count();
        for (size_t i = oldPosition >= 0 ? static_cast<size_t>(oldPosition) + 1 : 0; i < before.size(); ++i) {
            const int at = list.IndexOf(before[i]);
            if (at >= 0) {
                position = at - 1;
                break;
            }
        }
    } else if (position < 0) {
        position = std::min(std::max(oldPosition, 0), std::max(list.Count() - 1, 0));
    }
    SetOpenListPosition(position);
    if (Program().browser) PostMessageA(Program().browser, kMsgRefreshInfo, 0, 0);
    if (Program().frame) PostMessageA(Program().frame, kMsgRefreshInfo, 0, 0);
}

// A picture that became the list's current item: it is decoded as the
// viewer's current picture, which the preview pane shows.
void PreviewFromBrowser(const char* path) {
    if (!path) return;
    // Acquired pictures only borrow their name: a file of that name is another picture.
    if (!CurrentDocument().notOnDisk && lstrcmpiA(path, CurrentDocument().fileName) == 0) return;
    LoadPictureFile(path);
}

// A picture chosen in the list: the viewer opens it and the browser steps
// aside.  Until the thumbnail pass fills the open list from the folder, the
// picture joins it when it is not there yet.
void OpenFromBrowser(const char* path) {
    HWND frame = Program().frame;
    if (!frame || !path) return;
    if (Program().openList.IndexOf(path) < 0) {
        Program().openList.Clear();
        Program().openList.Append(path);
    }
    SetOpenListPosition(Program().openList.IndexOf(path));
    // Already the current picture (the preview decoded it): the frame only
    // lays itself out around it.
    if (!HostOpenPicture(frame, path)) {
        HostLayOutFrame();
        PostMessageA(frame, kMsgRefreshInfo, 0, 0);
    }
    ShowWindow(frame, SW_SHOW);
    SetForegroundWindow(frame);
    ShowWindow(Program().browser, SW_HIDE);
}

HWND CreateBrowserToolbar(HWND browser) {
    return CreateResourceToolbar(browser, ToolbarSpec{IDR_BROWSER_TOOLBAR, IDB_BROWSER_TOOLBAR, IDS_BROWSER_TOOLBAR_TEXTS,
                                                      kBrowserToolbarControl, 0});
}

// The toolbar and status bar first, then the panes in what they leave.
void LayOut(HWND browser) {
    if (g_toolbar) {
        LONG style = GetWindowLongA(g_toolbar, GWL_STYLE);
        if (!(style & CCS_NORESIZE)) SetWindowLongA(g_toolbar, GWL_STYLE, style | CCS_NORESIZE);
        RECT client;
        GetClientRect(browser, &client);
        LRESULT size = SendMessageA(g_toolbar, TB_GETBUTTONSIZE, 0, 0);
        RECT row;
        int height = SendMessageA(g_toolbar, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row))
                         ? row.bottom + 4
                         : HIWORD(size) + 4;
        MoveWindow(g_toolbar, 0, 0, client.right, height, TRUE);
    }
    if (g_statusBar) SendMessageA(g_statusBar, WM_SIZE, 0, 0);
    RECT client;
    GetClientRect(browser, &client);
    RECT bar;
    if (g_toolbar && IsWindowVisible(g_toolbar) && GetWindowRect(g_toolbar, &bar)) client.top += bar.bottom - bar.top;
    if (g_statusBar && IsWindowVisible(g_statusBar) && GetWindowRect(g_statusBar, &bar))
        client.bottom -= bar.bottom - bar.top;
    if (client.bottom < client.top) client.bottom = client.top;
    LayOutBrowserPanes(browser, client);
}

// The desktop picture items act on the viewer's picture and open list, so
// they follow the frame's rules.
std::vector<CommandRule> BrowserDesktopRules() {
    const ProgramState& shell = Program();
    return DesktopCommandRules(CurrentDocument().picture != nullptr, shell.system.windows9x,
                               shell.openList.Count() >= 1, CurrentDesktopState());
}

// The browser's own menu states.
void OnInitMenu(HMENU menu) {
    int mode = SelectedTab();
    for (UINT id = IDC_MODE_THUMBNAILS; id <= IDC_MODE_DETAILS; ++id)
        CheckMenuItem(menu, id, MF_BYCOMMAND | (static_cast<int>(id - IDC_MODE_THUMBNAILS) == mode ? MF_CHECKED : MF_UNCHECKED));
    const int sizes[] = {0, 1, 2, 4, 8};
    for (UINT i = 0; i < 5; ++i)
        CheckMenuItem(menu, IDC_PREVIEW_AUTO + i,
                      MF_BYCOMMAND | (sizes[i] == PreviewSize() ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(menu, IDC_ENABLE_PREVIEW, MF_BYCOMMAND | (PreviewShown() ? MF_CHECKED : MF_UNCHECKED));
    bool picture = CurrentDocument().picture != nullptr;
    for (UINT id : {IDC_SAVE_AS, IDC_BROWSER_PRINT})
        EnableMenuItem(menu, id, MF_BYCOMMAND | (picture ? MF_ENABLED : MF_GRAYED));
    ApplyMenuRules(menu, BrowserDesktopRules());
    // The sort column and direction, Only Picture Mode, the thumbnail
    // animation switch.
    const ItemModel& model = Items();
    for (UINT id = IDC_SORT_BY_NAME; id <= IDC_SORT_BY_ATTRIBUTES; ++id)
        CheckMenuItem(menu, id,
                      MF_BYCOMMAND | (static_cast<int>(id - IDC_SORT_BY_NAME) == model.sortKey ? MF_CHECKED : MF_UNCHECKED));
    bool reverse = (model.sortFlags & kSortReverse) != 0;
    CheckMenuItem(menu, IDC_SORT_FORWARD, MF_BYCOMMAND | (reverse ? MF_UNCHECKED : MF_CHECKED));
    CheckMenuItem(menu, IDC_SORT_REVERSE, MF_BYCOMMAND | (reverse ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(menu, IDC_ONLY_PICTURES, MF_BYCOMMAND | (OnlyPictureModeOn() ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(menu, IDC_THUMB_ACTIVE, MF_BYCOMMAND | (CellAnimationEnabled() ? MF_CHECKED : MF_UNCHECKED));
    // Copy To, Move To and mail need a selection.
    bool selection = FileListWindow() && SendMessageA(FileListWindow(), LVM_GETSELECTEDCOUNT, 0, 0) > 0;
    for (UINT id : {IDC_COPY_TO, IDC_MOVE_TO})
        EnableMenuItem(menu, id, MF_BYCOMMAND | (selection ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(menu, IDC_SEND_MAIL, MF_BYCOMMAND | (selection || picture ? MF_ENABLED : MF_GRAYED));
    // The cache can be cleared only while the worker uses none of it.
    bool cacheFree = false;
    {
        FolderLockIfFree probe;
        cacheFree = probe.Held() && !IsFolderCacheOpen();
    }
    EnableMenuItem(menu, IDC_CLEAR_CACHE, MF_BYCOMMAND | (cacheFree ? MF_ENABLED : MF_GRAYED));
    // Commands whose features are not built yet would do nothing: greyed
    // wherever they sit.
    std::vector<CommandRule> awaiting;
    for (UINT id : CommandsAwaitingFeatures()) awaiting.push_back({id, false, false});
    ApplyMenuRules(menu, awaiting);
}


// The worker's decoder gave up on a picture: the message names the item and
// its file; the worker has gone on meanwhile.  One box at a time: while it
// is up (its own message loop delivers the next faults), further faults are
// told in the status bar instead of stacking boxes.
bool g_faultBoxUp = false;

void ShowThumbDecodeFault(HWND browser, int item, const std::string& path) {
    const std::string title = ResourceString(IDS_DECODE_ERROR_TITLE);
    if (g_faultBoxUp) {
        ShowStatusPart(g_statusBar, 1, title + ": " + path);
        return;
    }
    const std::string format = ResourceString(IDS_THUMB_DECODE_ERROR);
    std::vector<char> text(format.size() + path.size() + 32);
    snprintf(text.data(), text.size(), format.c_str(), item, path.c_str());
    g_faultBoxUp = true;
    MessageBoxA(browser, text.data(), title.c_str(), MB_OK | MB_ICONWARNING);
    g_faultBoxUp = false;
}

void OnMouseWheel(HWND browser, WPARAM wp, LPARAM lp) {
    if (HandlePreviewWheel(browser, wp, lp)) return;
    // Over another pane the wheel goes to that pane, without key flags.
    POINT p{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    HWND under = WindowFromPoint(p);
    if (under && under != browser && IsChild(browser, under) && under != PreviewPane())
        PostMessageA(under, WM_MOUSEWHEEL, MAKEWPARAM(0, HIWORD(wp)), lp);
}

// The list has the focus, so it gets the wheel wherever the cursor is: over
// the list itself the list scrolls; anywhere else the browser's routing
// above decides (the preview grows or shrinks, another pane scrolls).
bool OnListWheel(HWND list, WPARAM wp, LPARAM lp) {
    POINT p{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    HWND under = WindowFromPoint(p);
    if (under == list || (under && IsChild(list, under))) return false;
    if (Program().browser) OnMouseWheel(Program().browser, wp, lp);
    return true;
}

// Right button released over the preview pane: the "ViewPopup" menu, its
// commands going to the browser.
void ShowPreviewMenu(HWND browser) {
    HWND preview = PreviewPane();
    POINT cursor;
    RECT pane;
    if (!preview || !IsWindowVisible(preview) || !GetCursorPos(&cursor) || !GetWindowRect(preview, &pane) ||
        !PtInRect(&pane, cursor))
        return;
    HMENU menu = LoadMenuA(Program().resourceModule, MAKEINTRESOURCEA(IDM_CONTEXT));
    if (!menu) return;
    if (HMENU popup = GetSubMenu(menu, CONTEXT_POPUP_PREVIEW)) {
        const int sizes[] = {0, 1, 2, 4, 8};
        for (UINT i = 0; i < 5; ++i)
            CheckMenuItem(popup, IDC_PREVIEW_AUTO + i,
                          MF_BYCOMMAND | (sizes[i] == PreviewSize() ? MF_CHECKED : MF_UNCHECKED));
        CheckMenuItem(popup, IDC_ENABLE_PREVIEW, MF_BYCOMMAND | (PreviewShown() ? MF_CHECKED : MF_UNCHECKED));
        const bool picture = CurrentDocument().picture != nullptr;
        EnableMenuItem(popup, IDC_PICTURE_TO_CLIPBOARD, MF_BYCOMMAND | (picture ? MF_ENABLED : MF_GRAYED));
        ApplyMenuRules(popup, BrowserDesktopRules());
        TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, browser, nullptr);
    }
    DestroyMenu(menu);
}

// Picture commands go to the viewer's command handler, which acts on the
// current picture.
bool IsViewerCommand(UINT id) {
    switch (id) {
    case IDC_SAVE_AS:
    case IDC_SET_WALLPAPER:
    case IDC_RESTORE_WALLPAPER:
    case IDC_CONVERT_PICTURE:
    case IDC_PICTURE_TO_CLIPBOARD:
    case IDC_PICTURE_TO_CLIPBOARD_2:
    case IDC_DEFINE_FOLDER:
    case IDC_REGISTER_TYPE:
        return true;
    default:
        return id >= IDC_FIND_FILES && id <= IDC_CLOSE_ACQUIRE;
    }
}

LRESULT OnCommand(HWND browser, UINT id, LPARAM lp) {
    HWND frame = Program().frame;
    if (id >= IDC_MODE_THUMBNAILS && id <= IDC_MODE_DETAILS) {
        SelectTab(static_cast<int>(id - IDC_MODE_THUMBNAILS));
        SetListMode(static_cast<int>(id - IDC_MODE_THUMBNAILS));
        return 0;
    }
    if (id == IDC_OPEN_SELECTED) {
        int index = CurrentListItem();
        if (index < 0 && FileListWindow())
            index = static_cast<int>(SendMessageA(FileListWindow(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
        ActivateListItem(index);
        return 0;
    }
    if (HandleFileListCommand(id)) return 0;
    if (id >= IDC_PREVIEW_AUTO && id <= IDC_PREVIEW_EIGHTH) {
        const int sizes[] = {0, 1, 2, 4, 8};
        SetPreviewSize(sizes[id - IDC_PREVIEW_AUTO]);
        return 0;
    }
    if (HandleHistoryCommand(g_toolbar, id) || HandleFolderMenuCommand(id)) return 0;
    switch (id) {
    case IDC_BACKGROUND_PICTURE:
    case IDC_THUMB_FRAME_PICTURE:
        BrowserPictureCommand(browser, id);
        return 0;
    case IDC_NAME_FOLDER:
    case IDC_MULTI_RENAME:
        FolderToolCommand(browser, id);
        return 0;
    case IDC_COPY_TO:
    case IDC_MOVE_TO:
    case IDC_SEND_MAIL:
        FileTransferCommand(browser, id);
        return 0;
    case IDC_THUMB_TO_CLIPBOARD:
    case IDC_THUMB_TO_CLIPBOARD_2:
        ThumbClipboardCommand(browser, id);
        return 0;
    case IDC_CLEAR_CACHE:
        ClearThumbnailCache(browser);
        return 0;
    case IDC_BROWSER_PRINT:
        if (frame) HostFrameCommand(frame, IDC_PRINT, 0);
        return 0;
    case IDC_THUMB_ACTIVE:
        SetCellAnimationEnabled(!CellAnimationEnabled());
        return 0;
    case IDC_NEW_FOLDER:
        CreateNewFolder(browser);
        return 0;
    case IDC_DECODE_AGAIN:
        ReloadPicture();
        return 0;
    case IDC_DOWNLOAD_NEW_VERSION: {
        std::string page = ResourceString(IDS_WEB_PAGE);
        if (!page.empty()) ShellExecuteA(browser, "open", page.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        return 0;
    }
    case IDC_ENABLE_PREVIEW:
        SetPreviewShown(!PreviewShown());
        return 0;
    case IDC_EXIT:
        DestroyWindow(browser);
        return 0;
    case IDC_BROWSER_ABOUT:
        if (frame) HostFrameCommand(frame, IDC_ABOUT, 0);
        return 0;
    case IDC_BROWSER_SETTINGS:
        if (frame) HostFrameCommand(frame, IDC_OPTION, 0);
        InvalidateRect(browser, nullptr, TRUE);
        return 0;
    default:
        break;
    }
    if (IsViewerCommand(id)) return frame ? HostFrameCommand(frame, id, lp) : 0;
    if (HandleLanguageCommand(id)) return 0;
    return DefWindowProcA(browser, WM_COMMAND, id, lp);
}

LRESULT CALLBACK BrowserProc(HWND browser, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT painted = 0;
    if (MenuPainterAnswers(browser, msg, wp, lp, &painted)) return painted;
    switch (msg) {
    case WM_COMMAND:
        return OnCommand(browser, LOWORD(wp), lp);
    case WM_CLOSE: {
        RECT rect;
        if (GetWindowRect(browser, &rect) && !IsIconic(browser)) {
            settings::Write(settings::kBrowserX, rect.left);
            settings::Write(settings::kBrowserY, rect.top);
            settings::Write(settings::kBrowserWidth, rect.right - rect.left);
            settings::Write(settings::kBrowserHeight, rect.bottom - rect.top);
        }
        DestroyWindow(browser);
        return 0;
    }
    case WM_DESTROY:
        StopWatcher();
        SaveBrowserPanes();
        settings::Write(settings::kShowMode, SelectedTab() < kUrlTab ? SelectedTab() : 0);
        DestroyFileList();
        DestroyFolderTree();
        DestroyBrowserPanes();
        g_toolbar = g_statusBar = g_banner = nullptr;
        Program().browser = nullptr;
        PostQuitMessage(0);
        return 0;
    case WM_SIZE:
        if (wp != SIZE_MINIMIZED) LayOut(browser);
        return 0;
    case WM_MOVE:
        CentreIfOffDesktop(browser);
        return 0;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lp);
        RECT desktop = DesktopWorkArea();
        info->ptMinTrackSize.x = kMinimumWidth;
        info->ptMinTrackSize.y = kMinimumHeight;
        info->ptMaxTrackSize.x = desktop.right - desktop.left;
        info->ptMaxTrackSize.y = desktop.bottom - desktop.top;
        return 0;
    }
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lp);
        if (AnswerToolbarTooltip(header)) return 0;
        if (header->hwndFrom == TabStrip() && header->code == TCN_SELCHANGE) {
            SelectTab(SelectedTab());
            if (SelectedTab() < kUrlTab) SetListMode(SelectedTab());
            return 0;
        }
        if (header->hwndFrom == g_toolbar && header->code == TBN_DROPDOWN) {
            ShowHistoryMenu(browser, g_toolbar, reinterpret_cast<NMTOOLBARA*>(lp));
            return TBDDRET_DEFAULT;
        }
        LRESULT answer = 0;
        if (header->hwndFrom == FolderTreeWindow() && HandleFolderTreeNotify(header, &answer)) return answer;
        if (HandleUrlListNotify(header, &answer)) return answer;
        if (HandleFileListNotify(header, &answer)) return answer;
        break;
    }
    case WM_INITMENU:
        OnInitMenu(reinterpret_cast<HMENU>(wp));
        return 0;
    case WM_INITMENUPOPUP:
        // The Folder menu is rebuilt each time it opens (before the painter
        // takes on its items).
        if (reinterpret_cast<HMENU>(wp) == GetSubMenu(GetMenu(browser), BROWSER_POPUP_FOLDER)) {
            RebuildFolderMenu(reinterpret_cast<HMENU>(wp));
            HandleMenuPainterMessage(browser, msg, wp, lp, &painted);
        }
        break;
    case WM_KEYDOWN:
        if (wp == VK_RETURN) PostMessageA(browser, WM_COMMAND, IDC_OPEN_SELECTED, 0);
        else if (wp == VK_F5) PostMessageA(browser, WM_COMMAND, IDC_DECODE_AGAIN, 0);
        return 0;
    case WM_KEYUP:
        switch (wp) {
        case VK_PRIOR:
        case VK_NEXT:
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
            if (FileListWindow()) PostMessageA(FileListWindow(), WM_KEYDOWN, wp, lp);
            break;
        case VK_DELETE:
            PostMessageA(browser, WM_COMMAND, IDC_DELETE, 0);
            break;
        default:
            break;
        }
        return 0;
    case WM_DEVICECHANGE:
        OnDeviceChange(wp, lp);
        return TRUE;
    case WM_DROPFILES:
        OnBrowserDropFiles(reinterpret_cast<HDROP>(wp));
        return 0;
    case WM_LBUTTONDBLCLK:
        PostMessageA(browser, WM_COMMAND, IDC_OPEN_SELECTED, 0);
        return 0;
    case WM_SETCURSOR:
        if (HandleDividerMouse(browser, msg, wp, lp)) return TRUE;
        break;
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
        if (HandleDividerMouse(browser, msg, wp, lp)) return 0;
        break;
    case WM_MOUSEWHEEL:
        OnMouseWheel(browser, wp, lp);
        return 0;
    case WM_RBUTTONUP:
        ShowPreviewMenu(browser);
        return 0;
    case WM_ERASEBKGND: {
        // The panes cover the client area; what they leave is the work space.
        RECT client;
        GetClientRect(browser, &client);
        FillRect(reinterpret_cast<HDC>(wp), &client, GetSysColorBrush(COLOR_APPWORKSPACE));
        return 1;
    }
    default:
        if (msg == kMsgRefreshInfo) {
            HostRefreshStatus(browser, g_statusBar);
            RefreshHistoryButtons(g_toolbar);
            return 0;
        }
        if (msg == kMsgLoadProgress) {
            ShowLoadProgress(g_statusBar, static_cast<int>(wp), static_cast<int>(lp));
            return 0;
        }
        if (msg == kMsgClearPreview) {
            SetPreviewPicture(nullptr);
            HostRefreshStatus(browser, g_statusBar);
            return 0;
        }
        if (msg == kMsgFolderLoaded) {
            // A list without owner data holds its items itself: the folder's
            // items go in now.
            AnnounceItemCount();
            HostRefreshStatus(browser, g_statusBar);
            RefreshHistoryButtons(g_toolbar);
            return 0;
        }
        if (msg == kMsgDisplayChanged) {
            // The viewer rebuilt the display copies for the new depth: the
            // preview takes the current picture's anew, the list repaints.
            SetPreviewPicture(CurrentDocument().picture);
            if (PreviewPane()) InvalidateRect(PreviewPane(), nullptr, FALSE);
            if (FileListWindow()) InvalidateRect(FileListWindow(), nullptr, FALSE);
            return 0;
        }
        if (msg == kMsgRefreshAllTexts) {
            if (FileListWindow()) PostMessageA(FileListWindow(), kMsgRefreshAllTexts, 0, 0);
            HostRefreshStatus(browser, g_statusBar);
            RefreshHistoryButtons(g_toolbar);
            return 0;
        }
        if (msg == kMsgReplaceOpenList) {
            std::unique_ptr<std::vector<std::string>> paths(reinterpret_cast<std::vector<std::string>*>(lp));
            ReplaceOpenList(*paths);
            return 0;
        }
        if (msg == kMsgThumbDecodeFault) {
            std::unique_ptr<std::string> path(reinterpret_cast<std::string*>(lp));
            ShowThumbDecodeFault(browser, static_cast<int>(wp), *path);
            return 0;
        }
        if (msg == kMsgSelectBrowseFolder) {
            SelectFolderByPath(BrowseBuffer().c_str());
            // A deep folder leaves the tree scrolled sideways; names read from the left.
            if (FolderTreeWindow()) SendMessageA(FolderTreeWindow(), WM_HSCROLL, SB_LEFT, 0);
            return 0;
        }
        if (msg == kMsgDriveFoldersChanged) {
            RefreshFolderTree();
            return 0;
        }
        break;
    }
    return DefWindowProcA(browser, msg, wp, lp);
}

}  // namespace

RECT BrowserWindowRect(int x, int y, int width, int height, const RECT& desktop) {
    int desktopWidth = desktop.right - desktop.left, desktopHeight = desktop.bottom - desktop.top;
    // Not set (0x80000000), negative or too small to use: the default size.
    // No side is larger than the desktop.
    if (width < kMinimumWidth) width = kDefaultWidth;
    if (height < kMinimumHeight) height = kDefaultHeight;
    width = std::min(width, desktopWidth);
    height = std::min(height, desktopHeight);
    if (x < desktop.left || x >= desktop.right) x = desktop.left + (desktopWidth - width) / 2;
    if (y < desktop.top || y >= desktop.bottom) y = desktop.top + (desktopHeight - height) / 2;
    // The whole window lies on the desktop, its caption within reach.
    x = std::min(x, static_cast<int>(desktop.right) - width);
    y = std::min(y, static_cast<int>(desktop.bottom) - height);
    return RECT{x, y, x + width, y + height};
}

HWND CreateBrowserWindow(HINSTANCE instance, int show) {
    ProgramState& shell = Program();
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC | CS_SAVEBITS;
    wc.lpfnWndProc = BrowserProc;
    wc.hInstance = instance;
    wc.hIcon = shell.classIcon;
    wc.hIconSm = shell.smallIcon;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kBrowserClass;
    if (!RegisterClassExA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
    HMENU menu = LoadWindowMenu(IDM_BROWSER);
    RECT desktop = DesktopWorkArea();
    RECT r = BrowserWindowRect(settings::Read(settings::kBrowserX), settings::Read(settings::kBrowserY),
                               settings::Read(settings::kBrowserWidth), settings::Read(settings::kBrowserHeight),
                               desktop);
    HWND browser = CreateWindowExA(0, kBrowserClass, DisplayName().c_str(), WS_OVERLAPPEDWINDOW, r.left, r.top,
                                   r.right - r.left, r.bottom - r.top, nullptr, menu, instance, nullptr);
    if (!browser) {
        if (menu) DestroyMenu(menu);
        return nullptr;
    }
    shell.browser = browser;
    DragAcceptFiles(browser, TRUE);
    g_toolbar = CreateBrowserToolbar(browser);
    g_statusBar = CreateStatusWindowA(WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, "", browser, kBrowserStatusBarControl);
    g_banner = CreateBannerStrip(browser, kBannerControl);
    if (!g_toolbar || !g_statusBar || !CreateBrowserPanes(browser, g_banner) ||
        !SetFolderTreePane(CreateFolderTree(WS_CHILD | WS_VISIBLE, RECT{0, 0, 150, 300}, instance, browser)) ||
        !CreateFileList(browser, RECT{0, 0, 300, 300})) {
        DestroyWindow(browser);
        return nullptr;
    }
    SetFileListPane(FileListWindow());
    SetUrlListPane(CreateUrlList(browser, instance, kUrlListControl, Program().programDirectory + kUrlListFile));
    SetUrlListWheelHandler(OnListWheel);
    SetFolderTreeListWindow(FileListWindow());
    SetFolderRequester(RequestFolder);
    SetOpenListReceiver(ReplaceOpenList);
    StartWatcher(FileListWindow(), browser);
    SetPictureOpener(OpenFromBrowser);
    SetPicturePreviewer(PreviewFromBrowser);
    SetListWheelHandler(OnListWheel);
    PrepareHistoryButtons(g_toolbar);
    if (SelectedTab() < kUrlTab) SetListMode(SelectedTab());
    ApplyStatusParts(g_statusBar, nullptr);
    LayOut(browser);
    if (show != SW_HIDE) ShowWindow(browser, show);
    return browser;
}

void DestroyBrowserWindow() {
    if (Program().browser) DestroyWindow(Program().browser);
}

void ReloadBrowserResources() {
    HWND browser = Program().browser;
    if (!browser) return;
    HMENU menu = LoadWindowMenu(IDM_BROWSER);
    if (menu) AppendLanguageItems(menu);
    ReplaceWindowMenu(browser, menu);
    if (menu) PaintMenuBar(menu);
    if (g_toolbar) DestroyWindow(g_toolbar);
    g_toolbar = CreateBrowserToolbar(browser);
    PrepareHistoryButtons(g_toolbar);
    ReloadListColumnTitles();
    LayOut(browser);
    HostRefreshStatus(browser, g_statusBar);
}

int BrowserItemCount() { return ShownItemCount(); }

std::string BrowsedFolderPath() {
    std::string path = CurrentFolderPath();
    if (!path.empty() && path.back() != '\\') path += '\\';
    return path;
}

void BrowseTo(const std::string& folder) {
    // A folder written by hand may hold "." or ".." steps; the tree compares
    // whole names.
    char full[MAX_PATH];
    DWORD n = folder.empty() ? 0 : GetFullPathNameA(folder.c_str(), sizeof full, full, nullptr);
    std::string path = n > 0 && n < sizeof full ? std::string(full, n) : folder;
    if (!path.empty() && path.back() != '\\') path += '\\';
    SelectInBrowser(path);
}

void SelectInBrowser(const std::string& path) {
    g_browseBuffer = path;
    if (Program().browser) PostMessageA(Program().browser, kMsgSelectBrowseFolder, 0, 0);
}
HWND BrowserStatusBar() { return g_statusBar; }
