#include "frame_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <memory>
#include <string>

#include "acquire.h"
#include "browser_host.h"
#include "browser_panes.h"
#include "desktop_pictures.h"
#include "document.h"
#include "plugin_host.h"
#include "browser_window.h"
#include "commands.h"
#include "display.h"
#include "document_link.h"
#include "dropped_files.h"
#include "feature_commands.h"
#include "file_list.h"
#include "full_screen.h"
#include "handover.h"
#include "icons.h"
#include "language_menu.h"
#include "loader.h"
#include "menu_painter.h"
#include "messages.h"
#include "navigation.h"
#include "picture_view.h"
#include "resource_ids.h"
#include "selection_commands.h"
#include "settings.h"
#include "program.h"
#include "shortcut.h"
#include "status_text.h"
#include "toolbar.h"
#include "window_menu.h"
#include "window_place.h"
#include "worker.h"
#include "zoom.h"

namespace {

// The shortest time between two "Loading n%" texts while a picture decodes.
constexpr DWORD kLoadProgressPeriodMs = 100;

HWND g_toolbar = nullptr;
HWND g_statusBar = nullptr;
HWND g_view = nullptr;
UINT g_toolbarReturn = 0;  // command whose button the next layout returns the cursor to
// The caption and status texts of a picture that has begun to load wait for
// its first decoded rows: until then the frame's thread only does what those
// rows need (the layout), leaving the processor to the decoder.
bool g_textsAwaitRows = false;

HWND CreateFrameToolbar(HWND frame) {
    HWND toolbar = CreateResourceToolbar(frame, ToolbarSpec{IDR_TOOLBAR, IDB_TOOLBAR, IDS_TOOLBAR_TEXTS,
                                                            kFrameToolbarId, 0});
    if (!toolbar) return nullptr;
    if (Program().oem) SendMessageA(toolbar, TB_HIDEBUTTON, IDC_ABOUT, MAKELONG(TRUE, 0));
    // Right after creation Zoom In and Zoom Out are enabled, Normal is not.
    SendMessageA(toolbar, TB_ENABLEBUTTON, IDC_ZOOM_NORMAL, MAKELONG(FALSE, 0));
    return toolbar;
}

HWND CreateFrameStatusBar(HWND frame) {
    HWND bar = CreateStatusWindowA(WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, "", frame, kFrameStatusBarId);
    if (bar) ApplyStatusParts(bar, nullptr);
    return bar;
}

HWND CreateFrameView(HWND frame) {
    RECT client;
    GetClientRect(frame, &client);
    HWND view = CreatePictureView(frame, (client.right - client.left) / 2, (client.bottom - client.top) / 2, 0, 0,
                                  WS_CHILD | WS_VISIBLE | WS_BORDER, kFrameViewId);
    if (!view) return nullptr;
    SetViewCursors(view, IDCUR_HOVER, IDCUR_DRAG);
    // Only the viewer's view selects; the browser's preview never does.
    EnableViewSelection(view, LoadCursorA(Program().mainModule, MAKEINTRESOURCEA(IDCUR_SELECTION)), SelectionMayStart);
    SetViewZoom(view, ZoomPercent(CurrentZoomIndex()), kViewZoomed);
    return view;
}

void OnSize(HWND frame) {
    if (g_toolbar) SendMessageA(g_toolbar, TB_AUTOSIZE, 0, 0);
    if (g_statusBar) SendMessageA(g_statusBar, WM_SIZE, 0, 0);
    RePlaceViewAfterSizing(CurrentFrameParts());
    if (!g_textsAwaitRows || !IsPictureLoaderRunning()) RefreshCaptionAndStatus(frame, g_statusBar);
    InvalidateRect(frame, nullptr, TRUE);
}

// A path handed over by another instance: a shortcut stands for its target;
// a picture joins the browser's item model, and so the open list after the
// pictures already there.  The worker's request 4 releases the next waiting
// instance once its thumbnails are made.
void ReceivePath(HWND frame, const std::string& path) {
    const std::string target = path.empty() ? path : ResolveShortcut(path);
    if (target.empty() || !IsPictureFile(target)) {
        // No thumbnail work follows, so nothing else would release the next
        // waiting instance.
        if (Program().handOverEvent) SetEvent(Program().handOverEvent);
        return;
    }
    FillModelFromFiles({target}, true);
    PostMessageA(frame, kMsgRefreshInfo, reinterpret_cast<WPARAM>(g_statusBar), 0);
    if (Program().browser) PostMessageA(Program().browser, kMsgRefreshInfo, 0, 0);
    RefreshToolbarStates();
    if (!WorkerRunning() && Program().handOverEvent) SetEvent(Program().handOverEvent);
}

void OnClose(HWND frame) {
    WriteFramePlacement(frame);
    // An open source goes with the window it reports to.
    CloseAcquireSession();
    StopPictureLoading();
    if (g_view) SetViewPicture(g_view, nullptr);
    FreeCurrentDocument();
    if (Program().browser) PostMessageA(Program().browser, WM_CLOSE, 0, 0);
}

void OnDestroy(HWND frame) {
    KillTimer(frame, kTimerIconBlink);
    Program().openList.Clear();
    ForgetFullScreen();
    if (g_view) DestroyWindow(g_view);
    g_view = g_toolbar = g_statusBar = nullptr;
    Program().frame = nullptr;
    PostQuitMessage(0);
}

void OnGetMinMaxInfo(HWND frame, MINMAXINFO* info) {
    RECT desktop = DesktopWorkArea();
    info->ptMaxTrackSize.x = desktop.right - desktop.left;
    info->ptMaxTrackSize.y = desktop.bottom - desktop.top;
    if (IsFullScreen()) {
        // The frame covers the whole screen, the taskbar's band included.
        info->ptMaxTrackSize.x = GetSystemMetrics(SM_CXSCREEN);
        info->ptMaxTrackSize.y = GetSystemMetrics(SM_CYSCREEN);
        return;
    }
    if (!g_toolbar || !IsWindowVisible(g_toolbar)) return;
    RECT need{0, 0, kMinimumAreaWidth, kMinimumAreaHeight};
    AdjustWindowRect(&need, static_cast<DWORD>(GetWindowLongA(frame, GWL_STYLE)), GetMenu(frame) != nullptr);
    RECT bar;
    int extra = 0;
    if (GetWindowRect(g_toolbar, &bar)) extra += bar.bottom - bar.top;
    if (g_statusBar && IsWindowVisible(g_statusBar) && GetWindowRect(g_statusBar, &bar)) extra += bar.bottom - bar.top;
    info->ptMinTrackSize.x = need.right - need.left;
    info->ptMinTrackSize.y = need.bottom - need.top + extra;
}

void OnDisplayChange(HWND frame) {
    // A new screen size: a full-screen frame covers the new screen.
    RefitFullScreen(frame);
    const bool changed = RefreshDisplayForDocument();
    // The old palette was deleted (or none made) with the depth: both views
    // draw with the new one.
    SetViewPalette(Program().palette);
    if (!changed) return;
    if (g_view) SetViewPicture(g_view, CurrentDocumentPicture());
    InvalidateRect(frame, nullptr, TRUE);
    if (Program().browser) PostMessageA(Program().browser, kMsgDisplayChanged, 0, 0);
}

// The loader made a new picture current (or found none to make): the view
// takes it at the current zoom at once, while the loader waits; the texts
// and the frame's layout follow from the message queue, so decoding starts
// without waiting for the frame to resize.
// The viewer's view shows picture at the current zoom, brought down to one
// the view can draw.
void GiveViewPicture(const Picture* picture) {
    int width = DibWidth(picture->working), height = DibHeight(picture->working);
    int zoom = FittingZoom(ZoomPercent(CurrentZoomIndex()), width, height);
    if (zoom <= 0) zoom = 100;
    if (zoom != ZoomPercent(CurrentZoomIndex())) SetCurrentZoomIndex(ZoomIndexAtLeast(zoom));
    SetViewZoom(g_view, zoom, kViewZoomed);
    SetViewPicture(g_view, picture);
}

void OnNewPicture(HWND frame, const Picture* picture) {
    if (!g_view) return;
    if (!picture) {
        SetViewPicture(g_view, nullptr);
        PostMessageA(frame, kMsgRefreshInfo, 0, 0);
        return;
    }
    // The views learn that the picture is loading before they get it, so
    // that they draw only its decoded rows (none yet), never the whole page.
    SetViewLoading(g_view, true);
    if (PreviewPane()) SetViewLoading(PreviewPane(), true);
    GiveViewPicture(picture);
    SetPreviewPicture(picture);
    PostMessageA(frame, kMsgPlaceNewPicture, 0, 0);
}

// The caption and status describe the new picture, the frame lays itself out
// around it and, with "AutoPicPos" Top/Left, a picture larger than the view
// shows its top-left corner.
void PlaceNewPicture(HWND frame) {
    g_textsAwaitRows = IsPictureLoaderRunning();
    if (!g_textsAwaitRows) RefreshCaptionAndStatus(frame, g_statusBar);
    if (IsWindowVisible(frame) || !IsWindowVisible(Program().browser)) LayOutFrame(CurrentFrameParts(), g_toolbarReturn);
    g_toolbarReturn = 0;
    if (settings::Read(settings::kAutoPicPos)) PostMessageA(frame, kMsgScrollView, 0, 0);
}

void OnFileLoaded(HWND frame) {
    // A note that a command came too early is stale once the picture is shown.
    ShowStatusNote(g_statusBar, "");
    ShowStatusNote(BrowserStatusBar(), "");
    for (HWND view : {g_view, PreviewPane()}) {
        if (!view) continue;
        SetViewLoading(view, false);
        InvalidateRect(view, nullptr, FALSE);
    }
    OnPictureLoaded();
    RefreshToolbarStates();
    g_textsAwaitRows = false;
    RefreshCaptionAndStatus(frame, g_statusBar);
    if (Program().browser) PostMessageA(Program().browser, kMsgRefreshInfo, 0, 0);
}

// The load ended without a picture: the file is done with (a sequence show
// steps on at its next tick).  A file that could not be read (unreadable
// names it) left no picture behind: the texts say so once, in part 1 of the
// status bars, instead of describing the file with the old picture.
void OnLoadFailed(HWND frame, std::string* unreadable) {
    std::unique_ptr<std::string> path(unreadable);
    // A report on a file that is no longer the current one is stale.
    if (path && lstrcmpiA(path->c_str(), CurrentDocumentFacts().file.c_str()) != 0) return;
    OnPictureLoadFailed();
    // A decoder error leaves the texts alone unless they still wait for rows.
    if (path)
        NoteUnreadableFile(*path);
    else if (!g_textsAwaitRows)
        return;
    g_textsAwaitRows = false;
    RefreshCaptionAndStatus(frame, g_statusBar);
    if (Program().browser) PostMessageA(Program().browser, kMsgRefreshInfo, 0, 0);
    RefreshToolbarStates();
}

void OnMouseWheel(HWND frame, WPARAM wp) {
    short delta = static_cast<short>(HIWORD(wp));
    if (delta == 0) return;
    UINT command;
    if (settings::Read(settings::kWheelZoom))
        command = delta > 0 ? IDC_ZOOM_IN : IDC_ZOOM_OUT;
    else
        command = delta > 0 ? IDC_NEXT_PICTURE : IDC_PREVIOUS_PICTURE;
    SendMessageA(frame, WM_COMMAND, command, 1);
}

void OnContextMenu(HWND frame, int popupIndex) {
    HMENU menu = LoadMenuA(Program().resourceModule, MAKEINTRESOURCEA(IDM_CONTEXT));
    if (!menu) return;
    HMENU popup = GetSubMenu(menu, popupIndex);
    if (popup) {
        ApplyMenuRules(popup, MenuCommandRules(MenuCommandState()));
        POINT cursor;
        GetCursorPos(&cursor);
        TrackPopupMenu(popup, TPM_RIGHTALIGN | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, frame, nullptr);
    }
    DestroyMenu(menu);
}

// Dropped files replace the browser's item model, which hands its pictures
// to the open list in its order; the first one is shown.  Dropping only
// non-pictures changes nothing.
void OnDropFiles(HWND frame, HDROP drop) {
    std::vector<std::string> pictures;
    for (const std::string& path : TakeDroppedFiles(drop)) {
        std::string resolved = ResolveShortcut(path);
        if (IsPictureFile(resolved)) pictures.push_back(resolved);
    }
    if (pictures.empty()) return;
    FillModelFromFiles(pictures);
    if (Program().openList.Count() > 0) PostMessageA(frame, WM_COMMAND, IDC_FIRST_PICTURE, 0);
}

LRESULT CALLBACK FrameProc(HWND frame, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT painted = 0;
    if (MenuPainterAnswers(frame, msg, wp, lp, &painted)) return painted;
    switch (msg) {
    case WM_COMMAND:
        return FrameCommand(frame, LOWORD(wp), lp);
    case WM_CLOSE:
        OnClose(frame);
        break;
    case WM_DESTROY:
        OnDestroy(frame);
        return 0;
    case WM_MOVE:
        CentreIfOffDesktop(frame);
        return 0;
    case WM_SIZE:
        if (wp != SIZE_MINIMIZED) OnSize(frame);
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wp) == WA_ACTIVE) RefreshToolbarStates();
        break;
    case WM_GETMINMAXINFO:
        OnGetMinMaxInfo(frame, reinterpret_cast<MINMAXINFO*>(lp));
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(frame, &ps);
        EndPaint(frame, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        EraseFrameBackground(CurrentFrameParts(), reinterpret_cast<HDC>(wp));
        return 1;
    case WM_INITMENU:
        ApplyMenuRules(reinterpret_cast<HMENU>(wp), MenuCommandRules(MenuCommandState()));
        return 0;
    case WM_NOTIFY:
        if (AnswerToolbarTooltip(reinterpret_cast<NMHDR*>(lp))) return 0;
        break;
    case WM_COPYDATA:
        ReceivePath(frame, PathFromCopyData(reinterpret_cast<COPYDATASTRUCT*>(lp)));
        return TRUE;
    case WM_TIMER:
        // Timers 1 and 2244 have their own procedures (navigation).
        if (wp == kTimerIconBlink) BlinkWindowIcons();
        return 0;
    case WM_KEYDOWN:
        switch (wp) {
        case VK_RETURN: PostMessageA(frame, WM_COMMAND, IDC_BROWSE, 0); break;
        case VK_ESCAPE: SendMessageA(frame, WM_COMMAND, IDC_LEAVE_FULL_SCREEN, 0); break;
        case VK_SPACE: SendMessageA(frame, WM_COMMAND, IDC_NEXT_PICTURE, 0); break;
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
            if (g_view) ViewArrowKey(g_view, static_cast<UINT>(wp));
            break;
        default: break;
        }
        return 0;
    case WM_LBUTTONDBLCLK:
        PostMessageA(frame, WM_COMMAND, IDC_BROWSE, 0);
        return 0;
    case WM_RBUTTONUP:
        OnContextMenu(frame, CONTEXT_POPUP_FRAME);
        return 0;
    case WM_MOUSEWHEEL:
        OnMouseWheel(frame, wp);
        return 0;
    case WM_DISPLAYCHANGE:
        OnDisplayChange(frame);
        break;
    case WM_DROPFILES:
        OnDropFiles(frame, reinterpret_cast<HDROP>(wp));
        return 0;
    default:
        if (msg == kMsgPictureLoaded) {
            OnFileLoaded(frame);
            return 0;
        }
        if (msg == kMsgLoadProgress) {
            // The "Loading n%" text follows the rows at most every
            // kLoadProgressPeriodMs: a status bar's redraw for every band
            // takes the processor from the decoder, and a picture of a few
            // megapixels is whole before the text could be read.  The
            // hidden browser's bar waits for the texts of the loaded file.
            static DWORD lastShown = 0;
            const DWORD now = GetTickCount();
            if (now - lastShown >= kLoadProgressPeriodMs) {
                lastShown = now;
                ShowLoadProgress(g_statusBar, static_cast<int>(wp), static_cast<int>(lp));
                if (Program().browser && IsWindowVisible(Program().browser))
                    ShowLoadProgress(BrowserStatusBar(), static_cast<int>(wp), static_cast<int>(lp));
            }
            return 0;
        }
        if (msg == kMsgRowsReady) {
            // The decoded rows (wParam of them from row lParam) go to the views.
            // Both views live on this thread: drawn now, not after another
            // trip through the queue.  Each report holds every row decoded so
            // far: one waiting behind this one draws these rows too.
            MSG later;
            if (PeekMessageA(&later, frame, kMsgRowsReady, kMsgRowsReady, PM_NOREMOVE)) return 0;
            if (g_view) SendMessageA(g_view, kMsgRowsReady, wp, lp);
            if (PreviewPane() && IsWindowVisible(Program().browser)) SendMessageA(PreviewPane(), kMsgRowsReady, wp, lp);
            if (g_textsAwaitRows) {
                g_textsAwaitRows = false;
                RefreshCaptionAndStatus(frame, g_statusBar);
            }
            return 0;
        }
        if (msg == kMsgLoaderDetachViews) {
            if (g_view) SetViewPicture(g_view, nullptr);
            SetPreviewPicture(nullptr);
            return 0;
        }
        if (msg == kMsgLoaderShowPicture) {
            // The new file's picture becomes current here, on this thread.
            Picture* picture = reinterpret_cast<Picture*>(lp);
            const bool adopted = AdoptLoadedPicture(picture);
            // The loader decodes on while the old picture is freed and the
            // views take the new one.
            ReplyMessage(0);
            if (adopted) FreeReplacedPictures();
            if (adopted || !picture) OnNewPicture(frame, picture);
            return 0;
        }
        if (msg == kMsgPlaceNewPicture) {
            PlaceNewPicture(frame);
            return 0;
        }
        if (msg == kMsgLoaderFailed) {
            OnLoadFailed(frame, reinterpret_cast<std::string*>(lp));
            return 0;
        }
        if (msg == kMsgRedrawView) {
            for (HWND view : {g_view, PreviewPane()}) {
                if (!view) continue;
                SetViewLoading(view, false);
                InvalidateRect(view, nullptr, FALSE);
            }
            return 0;
        }
        if (msg == kMsgRefreshInfo) {
            RefreshCaptionAndStatus(frame, g_statusBar);
            return 0;
        }
        if (msg == kMsgLayoutFrame) {
            if (wp == kLayoutKeepFrameRect) PlaceViewKeepingFrame(CurrentFrameParts());
            else LayOutFrame(CurrentFrameParts());
            InvalidateRect(frame, nullptr, TRUE);
            return 0;
        }
        if (msg == kMsgScrollView) {
            if (g_view) ScrollViewTo(g_view, static_cast<int>(wp), static_cast<int>(lp));
            return 0;
        }
        if (msg == kMsgSelectionMenu) {
            OnContextMenu(frame, CONTEXT_POPUP_SELECTION);
            return 0;
        }
        if (msg == kMsgIgnored) return 0;
        break;
    }
    return DefWindowProcA(frame, msg, wp, lp);
}

HWND ViewerView() { return g_view; }
HWND BrowserPreview() { return PreviewPane(); }
HWND BrowserWindowHandle() { return Program().browser; }
void LayOutForNavigation() { LayOutFrame(CurrentFrameParts(), g_toolbarReturn); }

void LayOutForBrowser() { LayOutFrame(CurrentFrameParts()); }

}  // namespace

bool RegisterFrameClass() {
    const ProgramState& shell = Program();
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC | CS_SAVEBITS;
    wc.lpfnWndProc = FrameProc;
    wc.hInstance = shell.mainModule;
    wc.hIcon = shell.classIcon;
    wc.hIconSm = shell.smallIcon;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = shell.frameClassName.c_str();
    return RegisterClassExA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CreateFrameWindow() {
    ProgramState& shell = Program();
    HMENU menu = LoadWindowMenu(IDM_VIEWER);
    RECT desktop = DesktopWorkArea();
    RECT frame = settings::ViewerFrameRect(desktop, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    HWND window = CreateWindowExA(0, shell.frameClassName.c_str(), shell.frameClassName.c_str(),
                                  WS_OVERLAPPEDWINDOW, frame.left, frame.top, frame.right - frame.left,
                                  frame.bottom - frame.top, nullptr, menu, shell.mainModule, nullptr);
    if (!window) {
        if (menu) DestroyMenu(menu);
        return nullptr;
    }
    shell.frame = window;
    DragAcceptFiles(window, TRUE);
    g_toolbar = CreateFrameToolbar(window);
    g_statusBar = CreateFrameStatusBar(window);
    SetPictureViewModule(shell.mainModule);
    SetViewPalette(shell.palette);
    g_view = CreateFrameView(window);
    SetNavigationOpenList(&shell.openList);
    SetNavigationResourceModule(shell.resourceModule);
    NavigationHost host{};
    host.frame = window;
    host.viewerView = ViewerView;
    host.browser = BrowserWindowHandle;
    host.previewView = BrowserPreview;
    host.layOutFrame = LayOutForNavigation;
    host.refreshToolbar = RefreshToolbarStates;
    SetNavigationHost(host);
    BrowserHost browserHost{};
    browserHost.frameCommand = FrameCommand;
    browserHost.openPicture = OpenPictureByName;
    browserHost.layOutFrame = LayOutForBrowser;
    browserHost.refreshStatus = RefreshCaptionAndStatus;
    SetBrowserHost(browserHost);
    EffectHost effectHost{};
    effectHost.viewerView = FrameView;
    effectHost.showProcessedPicture = ShowProcessedPicture;
    SetEffectHost(effectHost);
    return window;
}

void WriteFramePlacement(HWND frame) {
    if (!frame) return;
    // Full screen is never remembered: the windowed rectangle is.
    settings::WriteViewerFrameRect(WindowedFrameRect(frame));
}

void ReloadFrameResources() {
    HWND frame = Program().frame;
    if (!frame) return;
    HMENU menu = LoadWindowMenu(IDM_VIEWER);
    if (menu) AppendLanguageItems(menu);
    // The filters take the new language's names (936: Chinese).
    ReloadPlugins(Program().languageCodePage, menu);
    // While full screen the new menu waits in place of the detached one.
    if (!ReplaceSavedMenu(menu)) ReplaceWindowMenu(frame, menu);
    if (menu) PaintMenuBar(menu);
    bool toolbarShown = g_toolbar && IsWindowVisible(g_toolbar);
    if (g_toolbar) DestroyWindow(g_toolbar);
    g_toolbar = CreateFrameToolbar(frame);
    if (g_toolbar && !toolbarShown) ShowWindow(g_toolbar, SW_HIDE);
    RefreshToolbarStates();
    OnSize(frame);
}

HWND FrameToolbar() { return g_toolbar; }
HWND FrameStatusBar() { return g_statusBar; }
HWND FrameView() { return g_view; }

FrameParts CurrentFrameParts() {
    FrameParts parts{};
    parts.frame = Program().frame;
    parts.view = g_view;
    parts.toolbar = g_toolbar;
    parts.statusBar = g_statusBar;
    parts.fullScreen = IsFullScreen();
    const Picture* picture = CurrentDocumentPicture();
    if (picture) parts.pictureSize = SIZE{DibWidth(picture->working), DibHeight(picture->working)};
    return parts;
}

ViewerCommandState CurrentCommandState() {
    const ProgramState& shell = Program();
    DocumentFacts facts = CurrentDocumentFacts();
    ViewerCommandState s;
    s.listLength = shell.openList.Count();
    s.position = OpenListPosition();
    s.pageCount = facts.pageCount;
    s.page = facts.page;
    s.playing = !IsPagePlayStopped();
    s.picture = facts.hasPicture;
    s.zoomIndex = CurrentZoomIndex();
    // Acquired pictures carry a name but no file: Reload and Convert have
    // nothing to read.
    s.fileNamed = !facts.file.empty() && !CurrentDocument().notOnDisk;
    s.acquireOpen = AcquireManagerOpen();
    s.toolbarShown = g_toolbar && IsWindowVisible(g_toolbar);
    s.statusBarShown = g_statusBar && IsWindowVisible(g_statusBar);
    s.fullScreen = IsFullScreen();
    if (s.fullScreen) {
        // The bars are hidden; their items tell what leaving brings back.
        s.toolbarShown = FullScreenState().savedToolbarShown;
        s.statusBarShown = FullScreenState().savedStatusBarShown;
    }
    s.topmost = shell.frame && (GetWindowLongA(shell.frame, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    s.sequenceShow = IsSequenceShowOn();
    s.selection = g_view && ViewHasSelection(g_view);
    s.windows9x = shell.system.windows9x;
    return s;
}

// The state for a menu about to open: the toolbar's state and what the
// desktop commands depend on.
ViewerCommandState MenuCommandState() {
    ViewerCommandState s = CurrentCommandState();
    s.desktop = CurrentDesktopState();
    return s;
}

void NoteToolbarReturn(UINT command) { g_toolbarReturn = command; }

void RefreshToolbarStates() {
    ViewerCommandState state = CurrentCommandState();
    // A sequence show past the end of a shortened list starts again at 0.
    if (state.listLength >= 2 && state.sequenceShow && state.position >= state.listLength) SetOpenListPosition(0);
    ApplyToolbarRules(g_toolbar, ToolbarCommandRules(state));
}

void ShowProcessedPicture(HWND frame, ProcessedChange change, Picture* replacement) {
    HWND browser = Program().browser;
    if (replacement) {
        // The views take the new picture before the old one is freed: either
        // may paint meanwhile.
        if (g_view) GiveViewPicture(replacement);
        SetPreviewPicture(replacement);
        SetCurrentPicture(replacement);
    } else if (change == ProcessedChange::NewPicture || change == ProcessedChange::NewSize) {
        if (const Picture* current = CurrentDocumentPicture()) {
            if (g_view) GiveViewPicture(current);
            SetPreviewPicture(current);
        }
    }
    if (!frame) return;
    if (change == ProcessedChange::NewSize) {
        // The frame fits itself around the new size: at once when it shows,
        // later when nothing shows (the browser, when up, keeps its layout).
        if (IsWindowVisible(frame)) SendMessageA(frame, kMsgLayoutFrame, 0, 0);
        else if (!browser || !IsWindowVisible(browser)) PostMessageA(frame, kMsgLayoutFrame, 0, 0);
        PostMessageA(frame, kMsgRefreshInfo, 0, 0);
        if (browser) PostMessageA(browser, kMsgRefreshInfo, 0, 0);
    }
    if (g_view) InvalidateRect(g_view, nullptr, FALSE);
    if (change != ProcessedChange::ViewerOnly && PreviewPane()) InvalidateRect(PreviewPane(), nullptr, FALSE);
}
