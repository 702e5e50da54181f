// The viewer's command table: every command ID of the frame, routed from one
// place.  IDs the table does not know go to the filter plug-ins, then to the
// language items, then to the default handling.
#include <windows.h>
#include <shellapi.h>

#include "about_dialog.h"
#include "browser_panes.h"
#include "browser_window.h"
#include "commands.h"
#include "document.h"
#include "document_link.h"
#include "command_rules.h"
#include "feature_commands.h"
#include "process_commands.h"
#include "plugin_host.h"
#include "file_list.h"
#include "frame_window.h"
#include "full_screen.h"
#include "language_menu.h"
#include "messages.h"
#include "navigation.h"
#include "open_dialog.h"
#include "option_dialog.h"
#include "picture_view.h"
#include "loader.h"
#include "resource_ids.h"
#include "program.h"
#include "status_text.h"

namespace {

using Handler = void (*)(HWND frame, UINT id, LPARAM lParam);

struct CommandEntry {
    UINT first;
    UINT last;
    Handler handler;
};

void Ignore(HWND, UINT, LPARAM) {}

void About(HWND frame, UINT, LPARAM) { ShowAboutDialog(frame); }
void Exit(HWND frame, UINT, LPARAM) { DestroyWindow(frame); }

// Browse (117) and show the browser (32884): the browser comes up, the frame
// goes.
void ShowBrowser(HWND frame, UINT id, LPARAM) {
    HWND browser = Program().browser;
    if (!browser) return;
    if (id == IDC_BROWSE) {
        // Unless the browser already shows the current file's folder, it
        // goes there and selects the file.
        std::string file = CurrentDocumentFacts().file;
        size_t slash = file.find_last_of('\\');
        if (slash != std::string::npos && lstrcmpiA(file.substr(0, slash + 1).c_str(), BrowsedFolderPath().c_str()) != 0)
            SelectInBrowser(file);
    }
    // The preview comes into sight: it draws the whole picture from now on.
    if (PreviewPane()) SetViewLoading(PreviewPane(), false);
    ShowWindow(browser, SW_SHOW);
    SetForegroundWindow(browser);
    ShowWindow(frame, SW_HIDE);
    PostMessageA(browser, kMsgRefreshInfo, 0, 0);
}

void Open(HWND frame, UINT, LPARAM) { OpenPictureByName(frame, nullptr); }

void Picture(HWND, UINT id, LPARAM) {
    switch (id) {
    case IDC_FIRST_PICTURE: FirstPicture(); break;
    case IDC_LAST_PICTURE: LastPicture(); break;
    case IDC_NEXT_PICTURE: NextPicture(); break;
    case IDC_PREVIOUS_PICTURE: PreviousPicture(); break;
    case IDC_RELOAD: ReloadPicture(); break;
    case IDC_NEXT_PAGE: NextPage(); break;
    case IDC_PREVIOUS_PAGE: PreviousPage(); break;
    case IDC_PLAY_PAGES: PlayPages(); break;
    case IDC_STOP_PAGES: StopPages(); break;
    case IDC_SEQUENCE_SHOW:
        if (!IsSequenceShowOn()) NoteToolbarReturn(CommandUnderCursor(FrameToolbar(), IDC_SEQUENCE_SHOW));
        ToggleSequenceShow();
        break;
    case IDC_CLOSE_ALL: CloseAll(); break;
    default: break;
    }
    RefreshToolbarStates();
}

void Zoom(HWND, UINT id, LPARAM lParam) {
    FrameParts parts = CurrentFrameParts();
    if (id == IDC_ZOOM_IN) ZoomInCommand(parts, lParam == 1);
    else if (id == IDC_ZOOM_OUT) ZoomOutCommand(parts, lParam == 1);
    else ZoomNormalCommand(parts);
    RefreshToolbarStates();
}

void Option(HWND frame, UINT, LPARAM) {
    OptionResult result;
    if (!ShowOptionDialog(frame, &result)) return;
    if (result.timerChanged) RestartSequenceTimer();
    if (result.listColorChanged || result.pictureSizeChanged || result.thumbFrameChanged) ApplyListLook();
}

void ToggleBar(HWND frame, HWND bar, bool* shown) {
    if (!bar) return;
    *shown = !IsWindowVisible(bar);
    ShowWindow(bar, *shown ? SW_SHOW : SW_HIDE);
    PostMessageA(frame, kMsgLayoutFrame, 0, 0);
}

void Bars(HWND frame, UINT id, LPARAM) {
    if (ToggleBarWhileFullScreen(id)) return;
    if (id == IDC_TOGGLE_TOOLBAR) ToggleBar(frame, FrameToolbar(), &Program().toolbarShown);
    else ToggleBar(frame, FrameStatusBar(), &Program().statusBarShown);
}

void AlwaysOnTop(HWND frame, UINT, LPARAM) {
    bool topmost = (GetWindowLongA(frame, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    SetWindowPos(frame, topmost ? HWND_NOTOPMOST : HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void FileList(HWND frame, UINT, LPARAM) {
    int position = RunEditListDialog(frame);
    if (position >= 0) GoToPicture(position);
    RefreshToolbarStates();
}

// The system's find window on the folder the browser shows, else on the
// current file's folder.
void FindFiles(HWND frame, UINT, LPARAM) {
    std::string folder = BrowsedFolderPath();
    if (folder.empty()) {
        folder = CurrentDocumentFacts().file;
        size_t slash = folder.find_last_of('\\');
        folder = slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
    }
    FindFilesIn(frame, folder);
}

void Save(HWND frame, UINT id, LPARAM) { SavePictureCommand(frame, id); }
void Print(HWND frame, UINT id, LPARAM) { PrintPictureCommand(frame, id); }
void Effect(HWND frame, UINT id, LPARAM) { EffectCommand(frame, id); }
void Transform(HWND frame, UINT id, LPARAM) { TransformCommand(frame, id); }
void Desktop(HWND frame, UINT id, LPARAM) { DesktopPictureCommand(frame, id); }
void Clipboard(HWND frame, UINT id, LPARAM) { ClipboardCommand(frame, id); }
void Selection(HWND frame, UINT id, LPARAM) { SelectionCommand(frame, id); }
void FullScreen(HWND frame, UINT id, LPARAM) { FullScreenCommand(frame, id); }
void RegisterType(HWND frame, UINT id, LPARAM) { RegisterTypeCommand(frame, id); }
void Acquire(HWND frame, UINT id, LPARAM) { AcquireCommand(frame, id); }
void DefineFolder(HWND frame, UINT id, LPARAM) { DefineFolderCommand(frame, id); }

const CommandEntry kCommands[] = {
    {IDC_ABOUT, IDC_ABOUT, About},
    {IDC_EXIT, IDC_EXIT, Exit},
    {IDC_BROWSE, IDC_BROWSE, ShowBrowser},
    {IDC_SHOW_BROWSER, IDC_SHOW_BROWSER, ShowBrowser},
    {IDC_OPEN, IDC_OPEN, Open},
    {IDC_PREVIOUS_PICTURE, IDC_SEQUENCE_SHOW, Picture},
    {IDC_FIRST_PICTURE, IDC_LAST_PICTURE, Picture},
    {IDC_RELOAD, IDC_RELOAD, Picture},
    {IDC_CLOSE_ALL, IDC_CLOSE_ALL, Picture},
    {IDC_NEXT_PAGE, IDC_PREVIOUS_PAGE, Picture},
    {IDC_PLAY_PAGES, IDC_STOP_PAGES, Picture},
    {IDC_ZOOM_OUT, IDC_ZOOM_IN, Zoom},
    {IDC_ZOOM_NORMAL, IDC_ZOOM_NORMAL, Zoom},
    {IDC_OPTION, IDC_OPTION, Option},
    {IDC_TOGGLE_TOOLBAR, IDC_TOGGLE_STATUS_BAR, Bars},
    {IDC_ALWAYS_ON_TOP, IDC_ALWAYS_ON_TOP, AlwaysOnTop},
    {IDC_FILE_LIST, IDC_FILE_LIST, FileList},
    {IDC_FIND_FILES, IDC_FIND_FILES, FindFiles},
    {IDC_SAVE_AS, IDC_SAVE_AS, Save},
    {IDC_CONVERT_PICTURE, IDC_CONVERT_PICTURE, Save},
    {IDC_PRINT, IDC_PRINT, Print},
    {IDC_EMBOSS, IDC_EMBOSS, Effect},
    {IDC_INVERT_ALL, IDC_INVERT_ALL, Effect},
    {IDC_INVERT_RED, IDC_GLASS, Effect},
    {IDC_FLIP, IDC_ROTATE_RIGHT, Transform},
    {IDC_HALVE_PICTURE, IDC_SMOOTH_ZOOM, Transform},
    {IDC_DOUBLE_PICTURE, IDC_DOUBLE_PICTURE, Transform},
    {IDC_SET_WALLPAPER, IDC_RESTORE_WALLPAPER, Desktop},
    {IDC_SET_STARTUP_LOGO, IDC_SET_SCREEN_SAVER, Desktop},
    {IDC_PICTURE_TO_CLIPBOARD, IDC_PICTURE_TO_CLIPBOARD_2, Clipboard},
    {IDC_ZOOM_TO_SELECTION, IDC_COPY_SELECTION_TO_FILE, Selection},
    {IDC_FULL_SCREEN, IDC_FULL_SCREEN, FullScreen},
    {IDC_LEAVE_FULL_SCREEN, IDC_LEAVE_FULL_SCREEN, FullScreen},
    {IDC_REGISTER_TYPE, IDC_REGISTER_TYPE, RegisterType},
    {IDC_OPEN_ACQUIRE, IDC_CLOSE_ACQUIRE, Acquire},
    {IDC_CAPTURE_FRAME, IDC_CAPTURE_FRAME, Acquire},
    {IDC_DEFINE_FOLDER, IDC_DEFINE_FOLDER, DefineFolder},
    {IDC_IGNORED_32794, IDC_IGNORED_32794, Ignore},
    {IDC_BROWSER_SETTINGS, IDC_BROWSER_ABOUT, Ignore},
    {IDC_IGNORED_32804, IDC_IGNORED_32804, Ignore},
    {IDC_IGNORED_32819, IDC_IGNORED_32819, Ignore},
    {IDC_IGNORED_32832, IDC_IGNORED_32832, Ignore},
    {IDC_IGNORED_32851, IDC_IGNORED_32853, Ignore},
};

// Commands that work on the current picture itself, by ranges of IDs.
const CommandEntry kPictureCommands[] = {
    {IDC_SAVE_AS, IDC_SAVE_AS, nullptr},
    {IDC_CONVERT_PICTURE, IDC_CONVERT_PICTURE, nullptr},
    {IDC_PRINT, IDC_PRINT, nullptr},
    {IDC_SET_WALLPAPER, IDC_SET_WALLPAPER, nullptr},
    {IDC_SET_STARTUP_LOGO, IDC_SET_STARTUP_LOGO, nullptr},
    {IDC_SET_SHUTDOWN_PICTURE, IDC_SET_SHUTDOWN_PICTURE, nullptr},
    {IDC_SET_SCREEN_SAVER, IDC_SET_SCREEN_SAVER, nullptr},
    {IDC_FLIP, IDC_ROTATE_RIGHT, nullptr},
    {IDC_EMBOSS, IDC_EMBOSS, nullptr},
    {IDC_INVERT_ALL, IDC_SMOOTH_ZOOM, nullptr},
    {IDC_DOUBLE_PICTURE, IDC_DOUBLE_PICTURE, nullptr},
    {IDC_PICTURE_TO_CLIPBOARD, IDC_PICTURE_TO_CLIPBOARD_2, nullptr},
    {IDC_ZOOM_TO_SELECTION, IDC_COPY_SELECTION_TO_FILE, nullptr},
};

// While a file loads the loader writes into the current picture (and its
// page slots): a picture command is refused then, and the user reads why in
// both status bars.  Refusing rather than waiting keeps the window
// answering during a long decode.
bool RefusedWhileLoading(UINT id) {
    if (!CommandWorksOnPicture(id, PluginFilterCount()) || !IsPictureLoaderRunning()) return false;
    const std::string note = ResourceString(IDS_STILL_LOADING);
    ShowStatusNote(FrameStatusBar(), note);
    ShowStatusNote(BrowserStatusBar(), note);
    return true;
}

}  // namespace

bool CommandWorksOnPicture(UINT id, int pluginCount) {
    for (const CommandEntry& entry : kPictureCommands)
        if (id >= entry.first && id <= entry.last) return true;
    return id >= kFirstPluginCommand && id < kFirstPluginCommand + static_cast<UINT>(pluginCount > 0 ? pluginCount : 0);
}

bool OpenPictureByName(HWND frame, const char* path) {
    std::string current = CurrentDocumentFacts().file;
    // Acquired pictures only borrow their name: a file of that name is
    // another picture, and there is no current file to open again.
    const bool acquired = CurrentDocument().notOnDisk;
    if (path && *path && !acquired && lstrcmpiA(path, current.c_str()) == 0) return false;
    std::string file;
    if (path && *path) {
        file = path;
    } else if (Program().openList.Count() == 0 || acquired) {
        file = AskPictureFile(frame);
        if (file.empty()) return false;  // cancelled: nothing to show
    } else {
        file = current;
    }
    int position = Program().openList.IndexOf(file);
    if (position < 0 && Program().openList.Count() == 0) {
        Program().openList.Append(file);
        position = 0;
    }
    SetOpenListPosition(position < 0 ? 0 : position);
    LoadPictureFile(file.c_str());
    RefreshToolbarStates();
    return true;
}

bool FrameCommandActs(UINT id) {
    for (UINT awaiting : CommandsAwaitingFeatures())
        if (id == awaiting) return false;
    for (const CommandEntry& entry : kCommands)
        if (id >= entry.first && id <= entry.last) return entry.handler != Ignore;
    // The language items; the plug-ins' items run their filters.
    return id >= IDC_LANGUAGE_FIRST ||
           (id >= kFirstPluginCommand && id < kFirstPluginCommand + static_cast<UINT>(PluginFilterCount()));
}

LRESULT FrameCommand(HWND frame, UINT id, LPARAM lParam) {
    if (RefusedWhileLoading(id)) return 0;
    // A command's modal dialog (effects, Option, About, a filter's own
    // dialog inside its run, ...) works on the picture shown when it opened.
    ViewerTimersHeld held;
    for (const CommandEntry& entry : kCommands) {
        if (id >= entry.first && id <= entry.last) {
            entry.handler(frame, id, lParam);
            return 0;
        }
    }
    // The filter plug-ins' items come next.
    if (RunPluginCommand(frame, id)) return 0;
    if (HandleLanguageCommand(id)) return 0;
    return DefWindowProcA(frame, WM_COMMAND, id, lParam);
}
