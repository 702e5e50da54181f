#include "startup.h"

#include <commctrl.h>
#include <mmsystem.h>
#include <objbase.h>
#include <ole2.h>

#include <cstdlib>
#include <ctime>

#include "acquire.h"
#include "browser_window.h"
#include "cache_files.h"
#include "command_line.h"
#include "commands.h"
#include "display.h"
#include "document_link.h"
#include "file_list.h"
#include "frame_window.h"
#include "handover.h"
#include "icons.h"
#include "kivaro.h"
#include "language_menu.h"
#include "load.h"
#include "picture_types.h"
#include "menu_painter.h"
#include "message_loop.h"
#include "navigation.h"
#include "messages.h"
#include "resource_ids.h"
#include "settings.h"
#include "plugin_host.h"
#include "plugin_services.h"
#include "program.h"
#include "shortcut.h"
#include "system_info.h"
#include "window_menu.h"
#include "worker.h"

namespace {

constexpr char kScreenSaverFile[] = "Ommavu.SCR";

// A new resource module: both windows reload their menus and toolbars, the
// menu painter starts again on the new menus, dialogs come from the module.
void ReloadWindowsForLanguage() {
    DestroyMenuPainter();
    CreateMenuPainter();
    SetNavigationResourceModule(Program().resourceModule);
    ReloadFrameResources();
    ReloadBrowserResources();
}

bool FileExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Steps 17: the image library, bound by ordinal and initialised with the
// program directory.
bool StartImageLibrary() {
    ProgramState& shell = Program();
    if (!BindLorimel(shell.lorimel, (shell.programDirectory + "Lorimel.dll").c_str())) return false;
    if (!shell.lorimel.InitImageLibrary(shell.programDirectory.c_str())) {
        UnbindLorimel(shell.lorimel);
        return false;
    }
    shell.lorimelReady = true;
    SetImageLibrary(&shell.lorimel);
    // The formats the library registered, with what each can do: the save
    // dialogs list the writable ones.
    BuildPictureTypes(&shell.lorimel);
    // Their label colours from "TYPECOLOR" (the twelve defaults written
    // first on a fresh settings file).
    settings::EnsureTypeColorDefaults();
    ApplyPictureTypeColors(settings::ReadAllTypeColors());
    return true;
}

void Fail(const char* text) {
    MessageBoxA(nullptr, text, "Ommavu", MB_ICONSTOP | MB_OK);
}

// Step 26 with files: the command-line files that pass the shortcut and
// picture checks become the browser's item model, which hands them to the
// open list in its order, and the first one is shown.  The worker's request
// 4 releases a waiting shared instance once their thumbnails are made.
void OpenCommandLineFiles(const CommandLine& line) {
    ProgramState& shell = Program();
    ShowWindow(shell.frame, SW_SHOW);
    UpdateWindow(shell.frame);
    std::vector<std::string> pictures;
    for (const std::string& name : line.files) {
        std::string target = ResolveShortcut(name);
        if (IsPictureFile(target)) pictures.push_back(target);
    }
    FillModelFromFiles(pictures);
    PostMessageA(shell.frame, kMsgRefreshInfo, reinterpret_cast<WPARAM>(FrameStatusBar()), 0);
    PostMessageA(shell.browser, kMsgRefreshInfo, 0, 0);
    PostMessageA(shell.frame, WM_COMMAND, IDC_FIRST_PICTURE, 0);
    if (!WorkerRunning() && shell.handOverEvent) SetEvent(shell.handOverEvent);
}

void Shutdown() {
    ProgramState& shell = Program();
    // Plug-ins are released first.
    UnloadPlugins();
    SetPluginStatusBars(nullptr, nullptr);
    if (shell.frame && IsWindow(shell.frame)) {
        WriteFramePlacement(shell.frame);
        DestroyWindow(shell.frame);
    }
    DestroyBrowserWindow();
    CloseAcquireSession();
    StopPictureLoading();
    FreeCurrentDocument();
    shell.languages.clear();
    if (shell.lorimelReady) {
        SetImageLibrary(nullptr);
        shell.lorimel.FreeImageLibrary();
        UnbindLorimel(shell.lorimel);
        shell.lorimelReady = false;
    }
    FreeLanguageLibrary();
    // Whatever the capture library started has ended with the windows.
    FreeCaptureLibrary();
    if (shell.palette) {
        DeleteObject(shell.palette);
        shell.palette = nullptr;
    }
    FreeShellIcons();
    FreePictureTypes();
    CloseCacheFiles();
    DestroyMenuPainter();
    if (shell.handOverEvent) {
        SetEvent(shell.handOverEvent);
        CloseHandle(shell.handOverEvent);
        shell.handOverEvent = nullptr;
    }
    settings::Write(settings::kShowToolBar, shell.toolbarShown);
    settings::Write(settings::kShowStatusBar, shell.statusBarShown);
    OleUninitialize();
    CoUninitialize();
}

}  // namespace

std::string ArgumentsOf(const char* p) {
    if (!p) return std::string();
    if (*p == '"') {
        for (++p; *p && *p != '"'; ++p) {}
        if (*p) ++p;
    } else {
        while (*p && *p != ' ' && *p != '\t') ++p;
    }
    while (*p == ' ' || *p == '\t') ++p;
    return p;
}

int RunProgram(HINSTANCE instance, const std::string& arguments) {
    ProgramState& shell = Program();
    // 1. Command line and the shared-mode hand-over; a later shared instance ends here.
    CommandLine line = ParseCommandLine(arguments);
    if (RunHandOver(line, &shell.handOverEvent) == HandOverResult::HandedOver) return 0;
    shell.shared = line.share;
    // 2-3. Random seed; frame class name and caption.
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    shell.frameClassName = FrameClassName(line.share);
    // 4-7. Program directory, modules, system flags, memory, screen saver.
    shell.programDirectory = ProgramDirectory();
    shell.mainModule = shell.resourceModule = instance;
    shell.system = ReadSystemFlags();
    shell.memoryMegabytes = ReadMemoryMegabytes();
    shell.screenSaverPresent = FileExists(shell.programDirectory + kScreenSaverFile);
    // 8. The language library for the ANSI code page.
    LoadStartupLanguage();
    // 9. Common controls, COM, OLE; the shell extension's copy stays passive.
    InitCommonControls();
    CoInitialize(nullptr);
    OleInitialize(nullptr);
    EnterPassiveMode();
    // 10-11. Viewer settings are read where they are used; the display depth
    // and its palette are needed now.
    EvaluateDisplay();
    // 12-13. Random seed from the millisecond clock; menu icons.
    std::srand(static_cast<unsigned>(timeGetTime()));
    shell.menuIcons = WantMenuIcons(shell.system, shell.displayDepth);
    // 14-15. Icons (the OEM icon replaces the logo) and the OEM mark.
    LoadShellIcons();
    shell.oem = !settings::Read(settings::kOem).empty();
    // 16. The frame class.
    if (!RegisterFrameClass()) {
        Fail("The viewer window could not be created.");
        Shutdown();
        return 1;
    }
    // 17. The image library (and the thumbnail cache beside the program).
    SetCacheDirectory(shell.programDirectory);
    if (!StartImageLibrary()) {
        Fail("Lorimel.dll could not be loaded from the program folder.");
        Shutdown();
        return 1;
    }
    // 18. The picture-type colours.
    settings::EnsureTypeColorDefaults();
    // 19-20. The viewer frame and the browser window (hidden).
    InitCommonControls();
    if (!CreateFrameWindow() || !CreateBrowserWindow(instance, SW_HIDE)) {
        Fail("The program's windows could not be created.");
        Shutdown();
        return 1;
    }
    ConnectDocumentToFrame(shell.frame);
    // The filter plug-ins of the program folder, listed in the Process menu.
    LoadPlugins(shell.programDirectory, shell.languageCodePage, GetMenu(shell.frame));
    SetPluginStatusBars(FrameStatusBar(), BrowserStatusBar());
    // 21-22. Accelerators and the icon blink timer.
    shell.accelerators = LoadAcceleratorsA(shell.resourceModule, MAKEINTRESOURCEA(IDA_VIEWER));
    SetTimer(shell.frame, kTimerIconBlink, kIconBlinkPeriodMs, nullptr);
    // 23. Toolbar and status bar as last left.
    shell.toolbarShown = settings::Read(settings::kShowToolBar);
    shell.statusBarShown = settings::Read(settings::kShowStatusBar);
    if (!shell.toolbarShown && FrameToolbar()) ShowWindow(FrameToolbar(), SW_HIDE);
    if (!shell.statusBarShown && FrameStatusBar()) ShowWindow(FrameStatusBar(), SW_HIDE);
    // 24. The palette of palette screens.
    RealizeShellPalette(shell.frame);
    RealizeShellPalette(shell.browser);
    // 25. Languages in both menus.
    shell.languages = BuildLanguageList(shell.programDirectory, shell.mainModule);
    AppendLanguageItems(GetMenu(shell.frame));
    AppendLanguageItems(GetMenu(shell.browser));
    CreateMenuPainter();
    PaintMenuBar(GetMenu(shell.frame));
    PaintMenuBar(GetMenu(shell.browser));
    DrawMenuBar(shell.frame);
    DrawMenuBar(shell.browser);
    SetLanguageChangedHandler(ReloadWindowsForLanguage);
    // 26. The first window: the viewer with the command-line files, else the browser.
    if (!arguments.empty()) {
        OpenCommandLineFiles(line);
    } else {
        // The browse buffer starts with "DEFAULTPATH" (the desktop when unset).
        BrowseTo(settings::Read(settings::kDefaultPath));
        ShowWindow(shell.browser, SW_SHOW);
        UpdateWindow(shell.browser);
        PostMessageA(shell.frame, WM_COMMAND, IDC_SHOW_BROWSER, 0);
    }
    int code = RunMessageLoop(shell.accelerators);
    Shutdown();
    return code;
}
