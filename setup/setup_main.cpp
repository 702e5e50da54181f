// setup.exe: lays the suite down from the payload it carries, records what
// it created for the uninstaller, makes the program group, the Quick Launch
// link and the uninstall entry.
//
// Exit codes: 0 installed (or "CHECK" found an installation, or another
// setup runs), 1 cancelled or exited by the user, 2 the payload is damaged.

#include "copy_job.h"
#include "install_records.h"
#include "install_rules.h"
#include "payload.h"
#include "resource_ids.h"
#include "settings.h"
#include "shortcuts.h"

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr char kInstanceEvent[] = "QuenlarkOmmavu";
constexpr char kBackgroundClass[] = "SETUP";
constexpr char kDefaultDestination[] = "C:\\Quenlark\\Ommavu";
constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tavirsel";
constexpr char kSetupIni[] = "SETUP.INI";
constexpr UINT kMonitorMessage = 19592;
constexpr WPARAM kMonitorInstalling = 16;
constexpr UINT_PTR kCopyTimer = 1;
constexpr UINT kCopyPeriod = 200;
constexpr DWORD kCopyBudget = 320;
constexpr UINT_PTR kRepaintTimer = 2;
constexpr UINT_PTR kCloseTimer = 3;
constexpr unsigned long long kNeededSpace = 4194304;
constexpr COLORREF kBackground = 0xC00000;
constexpr COLORREF kBarColor = 0xFF0000;

enum ExitCode { kInstalled = 0, kCancelled = 1, kDamagedPayload = 2 };

HINSTANCE g_instance;
bool g_chinese;

int Dialog(int english, int chinese) { return g_chinese ? chinese : english; }
int Dialog(int english) { return g_chinese ? english + SETUP_CHINESE_OFFSET : english; }

std::string LoadText(int id) {
    char text[1024] = "";
    LoadStringA(g_instance, id, text, sizeof text);
    return text;
}
// A string with a Chinese twin at the fixed offset.
std::string Text(int id) { return LoadText(g_chinese ? id + SETUP_CHINESE_OFFSET : id); }

std::string Format(const std::string& pattern, const std::string& value) {
    std::vector<char> text(pattern.size() + value.size() * 4 + 16);
    std::snprintf(text.data(), text.size(), pattern.c_str(), value.c_str(), value.c_str(), value.c_str());
    return text.data();
}

int Ask(HWND owner, int textId, int titleId, const std::string& path, UINT style) {
    return MessageBoxA(owner, Format(Text(textId), path).c_str(), Text(titleId).c_str(), style);
}

std::string Folder(std::string path) { return path.substr(0, path.find_last_of('\\') + 1); }

std::string WithBackslash(std::string path) {
    if (!path.empty() && path.back() != '\\') path += '\\';
    return path;
}

std::string SetupFolder() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    return Folder(path);
}

std::string WindowsFolder() {
    char dir[MAX_PATH] = "";
    GetWindowsDirectoryA(dir, sizeof dir);
    return dir;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// ---------------------------------------------------------------------------
// The settings file as it was before this run, put back when the user exits
// mid-copy.

struct SettingsSnapshot {
    bool existed = false;
    std::string bytes;
};

std::string SettingsPath() { return WithBackslash(WindowsFolder()) + settings::kFileName; }

SettingsSnapshot TakeSnapshot() {
    SettingsSnapshot snapshot;
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, settings::kFileName);  // flush the profile cache
    HANDLE in = CreateFileA(SettingsPath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
    if (in == INVALID_HANDLE_VALUE) return snapshot;
    snapshot.existed = true;
    char block[4096];
    DWORD got = 0;
    while (ReadFile(in, block, sizeof block, &got, nullptr) && got > 0) snapshot.bytes.append(block, got);
    CloseHandle(in);
    return snapshot;
}

void RestoreSnapshot(const SettingsSnapshot& snapshot) {
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, settings::kFileName);
    if (!snapshot.existed) {
        DeleteFileA(SettingsPath().c_str());
        return;
    }
    HANDLE out = CreateFileA(SettingsPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                             nullptr);
    if (out == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(out, snapshot.bytes.data(), static_cast<DWORD>(snapshot.bytes.size()), &written, nullptr);
    CloseHandle(out);
}

// ---------------------------------------------------------------------------
// The full-screen background.

LRESULT CALLBACK BackgroundProc(HWND window, UINT message, WPARAM wp, LPARAM lp) {
    switch (message) {
    case WM_TIMER:
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        HBRUSH brush = CreateSolidBrush(kBackground);
        RECT area;
        GetClientRect(window, &area);
        FillRect(dc, &area, brush);
        DeleteObject(brush);
        HBITMAP picture = LoadBitmapA(g_instance, MAKEINTRESOURCEA(IDB_SETUP_PICTURE));
        if (picture) {
            BITMAP info;
            GetObjectA(picture, sizeof info, &info);
            HDC memory = CreateCompatibleDC(dc);
            HGDIOBJ old = SelectObject(memory, picture);
            BitBlt(dc, 32, 32, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
            SelectObject(memory, old);
            DeleteDC(memory);
            DeleteObject(picture);
        }
        EndPaint(window, &ps);
        return 0;
    }
    }
    return DefWindowProcA(window, message, wp, lp);
}

HWND CreateBackground() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = BackgroundProc;
    wc.hInstance = g_instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconA(g_instance, MAKEINTRESOURCEA(IDI_SETUP));
    wc.lpszClassName = kBackgroundClass;
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, kBackgroundClass, LoadText(IDS_SETUP_GROUP).c_str(), WS_POPUP | WS_VISIBLE, 0, 0,
                                  GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                  g_instance, nullptr);
    SetTimer(window, kRepaintTimer, 500, nullptr);
    return window;
}

// ---------------------------------------------------------------------------
// The setup dialog: where to install.

struct Choice {
    std::string destination;  // without trailing backslash
    bool exitWhenDone = false;
};

// The nearest folder at or above `path` that exists ("" when none does).
std::string ExistingAncestor(std::string path) {
    while (!path.empty()) {
        const DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return path;
        const size_t cut = path.find_last_of('\\');
        if (cut == std::string::npos || cut < 2) return "";
        path = cut == 2 ? path.substr(0, 3) : path.substr(0, cut);
        if (path.size() == 3 && !Exists(path)) return "";
    }
    return "";
}

// The checks every destination passes, typed or chosen.  False (after
// telling the user why) keeps the dialog open.
bool AcceptDestination(HWND dialog, const std::string& typed, std::string* accepted) {
    if (install::CheckDestination(typed, WindowsFolder()) != install::Destination::kAccepted) {
        MessageBoxA(dialog, Text(IDS_SETUP_PATH_ERROR).c_str(), Text(IDS_SETUP_PATH_ERROR_TITLE).c_str(),
                    MB_OK | MB_ICONSTOP);
        return false;
    }
    const std::string path = install::NormalizePath(typed);
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        Ask(dialog, IDS_SETUP_CREATE_ERROR, IDS_SETUP_CREATE_ERROR_TITLE, path, MB_OK | MB_ICONSTOP);
        return false;
    }
    if (attributes == INVALID_FILE_ATTRIBUTES &&
        Ask(dialog, IDS_SETUP_CREATE_ASK, IDS_SETUP_CREATE_ASK_TITLE, path, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return false;
    const std::string existing = ExistingAncestor(path);
    if (existing.empty()) {
        Ask(dialog, IDS_SETUP_CREATE_ERROR, IDS_SETUP_CREATE_ERROR_TITLE, path, MB_OK | MB_ICONSTOP);
        return false;
    }
    ULARGE_INTEGER free = {};
    if (!GetDiskFreeSpaceExA(WithBackslash(existing).c_str(), &free, nullptr, nullptr) ||
        free.QuadPart < kNeededSpace) {
        Ask(dialog, IDS_SETUP_SPACE, IDS_SETUP_SPACE_TITLE, path, MB_OK | MB_ICONSTOP);
        return false;
    }
    *accepted = path;
    return true;
}

INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT message, WPARAM wp, LPARAM lp) {
    auto* choice = reinterpret_cast<Choice*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lp);
        choice = reinterpret_cast<Choice*>(lp);
        SetDlgItemTextA(dialog, IDC_SETUP_DESCRIPTION,
                        LoadText(g_chinese ? IDS_SETUP_DESCRIPTION_CHINESE : IDS_SETUP_DESCRIPTION).c_str());
        SetDlgItemTextA(dialog, IDC_SETUP_DESTINATION, choice->destination.c_str());
        CheckDlgButton(dialog, IDC_SETUP_EXIT_WHEN_DONE, choice->exitWhenDone ? BST_CHECKED : BST_UNCHECKED);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDC_SETUP_BROWSE: {
            char typed[MAX_PATH] = "";
            GetDlgItemTextA(dialog, IDC_SETUP_DESTINATION, typed, sizeof typed);
            char display[MAX_PATH] = "";
            const std::string title = Text(IDS_SETUP_CHOOSE_TITLE);
            BROWSEINFOA info = {};
            info.hwndOwner = dialog;
            info.pszDisplayName = display;
            info.lpszTitle = title.c_str();
            info.ulFlags = BIF_RETURNONLYFSDIRS;
            LPITEMIDLIST chosen = SHBrowseForFolderA(&info);
            if (chosen) {
                char path[MAX_PATH] = "";
                if (SHGetPathFromIDListA(chosen, path) && path[0]) SetDlgItemTextA(dialog, IDC_SETUP_DESTINATION, path);
                CoTaskMemFree(chosen);
            }
            return TRUE;
        }
        case IDOK: {
            char typed[MAX_PATH] = "";
            GetDlgItemTextA(dialog, IDC_SETUP_DESTINATION, typed, sizeof typed);
            std::string accepted;
            if (!AcceptDestination(dialog, typed, &accepted)) return TRUE;
            choice->destination = accepted;
            choice->exitWhenDone = IsDlgButtonChecked(dialog, IDC_SETUP_EXIT_WHEN_DONE) == BST_CHECKED;
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

// Creates the destination (recording the folders it made in `created`) and
// proves it writable with a file of a name nobody else uses.  False after a
// message; what was created is removed again.
bool PrepareDestination(HWND owner, const std::string& destination, std::vector<std::string>* created) {
    if (!install::CreateFolderTree(destination, created)) {
        for (auto dir = created->rbegin(); dir != created->rend(); ++dir) RemoveDirectoryA(dir->c_str());
        created->clear();
        Ask(owner, IDS_SETUP_CREATE_ERROR, IDS_SETUP_CREATE_ERROR_TITLE, destination, MB_OK | MB_ICONSTOP);
        return false;
    }
    char probe[MAX_PATH] = "";
    bool writable = false;
    if (GetTempFileNameA(destination.c_str(), "OMV", 0, probe)) {
        HANDLE out = CreateFileA(probe, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (out != INVALID_HANDLE_VALUE) {
            BYTE block[128] = {};
            DWORD written = 0;
            writable = WriteFile(out, block, sizeof block, &written, nullptr) && written == sizeof block;
            CloseHandle(out);
        }
        DeleteFileA(probe);
    }
    if (!writable) {
        for (auto dir = created->rbegin(); dir != created->rend(); ++dir) RemoveDirectoryA(dir->c_str());
        created->clear();
        Ask(owner, IDS_SETUP_WRITE, IDS_SETUP_WRITE_TITLE, destination, MB_OK | MB_ICONSTOP);
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------
// The copy dialog.

struct CopyState {
    install::CopyJob* job;
    int frame = 0;
    bool exited = false;
};

INT_PTR CALLBACK ExitDialogProc(HWND dialog, UINT message, WPARAM wp, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND) {
        const int id = LOWORD(wp);
        if (id == IDC_SETUP_EXIT || id == IDC_SETUP_RESUME || id == IDCANCEL) {
            EndDialog(dialog, id == IDC_SETUP_EXIT ? IDC_SETUP_EXIT : IDC_SETUP_RESUME);
            return TRUE;
        }
    }
    return FALSE;
}

INT_PTR CALLBACK CopyDialogProc(HWND dialog, UINT message, WPARAM wp, LPARAM lp) {
    auto* state = reinterpret_cast<CopyState*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lp);
        HWND bar = GetDlgItem(dialog, IDC_COPY_BAR);
        SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 128));
        SendMessageA(bar, PBM_SETBARCOLOR, 0, kBarColor);
        SetTimer(dialog, kCopyTimer, kCopyPeriod, nullptr);
        return TRUE;
    }
    case WM_TIMER: {
        if (wp != kCopyTimer) break;
        state->frame = (state->frame + 1) % SETUP_ANIMATION_FRAMES;
        HICON icon = LoadIconA(g_instance, MAKEINTRESOURCEA(IDI_SETUP_ANIMATION_FIRST + state->frame));
        SendDlgItemMessageA(dialog, IDC_COPY_ANIMATION, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
        const bool finished = state->job->Step(kCopyBudget);
        SetDlgItemTextA(dialog, IDC_COPY_SOURCE, state->job->SourceName().c_str());
        SetDlgItemTextA(dialog, IDC_COPY_DESTINATION, state->job->TargetName().c_str());
        SendDlgItemMessageA(dialog, IDC_COPY_BAR, PBM_SETPOS, state->job->ProgressSteps(), 0);
        if (finished) {
            KillTimer(dialog, kCopyTimer);
            EndDialog(dialog, IDOK);
        }
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wp) == IDCANCEL) {
            // Nothing is copied while the question is open.
            KillTimer(dialog, kCopyTimer);
            if (DialogBoxParamA(g_instance, MAKEINTRESOURCEA(Dialog(IDD_SETUP_EXIT)), dialog, ExitDialogProc, 0) ==
                IDC_SETUP_EXIT) {
                state->exited = true;
                EndDialog(dialog, IDCANCEL);
            } else {
                SetTimer(dialog, kCopyTimer, kCopyPeriod, nullptr);
            }
            return TRUE;
        }
        break;
    }
    return FALSE;
}

// ---------------------------------------------------------------------------
// After the copy.

INT_PTR CALLBACK PlainDialogProc(HWND dialog, UINT message, WPARAM wp, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND && (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL)) {
        EndDialog(dialog, LOWORD(wp));
        return TRUE;
    }
    return FALSE;
}

struct FinishState {
    bool autoClose;
    bool offerTools;
    bool toolsChosen = false;
};

INT_PTR CALLBACK FinishDialogProc(HWND dialog, UINT message, WPARAM wp, LPARAM lp) {
    auto* state = reinterpret_cast<FinishState*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lp);
        state = reinterpret_cast<FinishState*>(lp);
        ShowWindow(GetDlgItem(dialog, IDC_FINISH_TOOLS), state->offerTools ? SW_SHOW : SW_HIDE);
        CheckDlgButton(dialog, IDC_FINISH_TOOLS, state->offerTools ? BST_CHECKED : BST_UNCHECKED);
        if (state->autoClose) SetTimer(dialog, kCloseTimer, 500, nullptr);
        return TRUE;
    case WM_TIMER:
        if (wp == kCloseTimer) PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
            KillTimer(dialog, kCloseTimer);
            state->toolsChosen = state->offerTools && IsDlgButtonChecked(dialog, IDC_FINISH_TOOLS) == BST_CHECKED;
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

// Removes what an earlier installation put in its program group (only the
// files it recorded there), then the folder when that leaves it empty.
void RemoveEarlierGroup(const std::string& groupName, const install::Records& earlier) {
    const std::string folder = install::GroupFolder(groupName);
    if (folder.empty()) return;
    for (const std::string& file : earlier.files) {
        const std::string full = install::NormalizePath(file);
        if (lstrcmpiA(full.substr(0, full.find_last_of('\\')).c_str(), folder.c_str()) == 0) DeleteFileA(full.c_str());
    }
    RemoveDirectoryA(folder.c_str());
}

// The group name: the product's, followed by SETUP.INI's suffix when the
// whole still makes one safe folder name.
std::string GroupName(const std::string& extName) {
    const std::string base = LoadText(g_chinese ? IDS_SETUP_GROUP_CHINESE : IDS_SETUP_GROUP);
    const std::string name = base + extName;
    return install::IsSafeGroupName(name) ? name : base;
}

void CreateGroup(const std::string& groupName, const std::string& shortDestination, install::RecordLog* log) {
    const std::string folder = install::GroupFolder(groupName);
    std::vector<std::string> created;
    if (folder.empty() || !install::CreateFolderTree(folder, &created)) return;
    for (const std::string& dir : created) log->AddDirectory(dir);

    std::vector<install::LinkDefinition> links = {
        {shortDestination + "Tavirsel.EXE", "", Text(IDS_SETUP_PROGRAM_LINK), shortDestination + "Tavirsel.EXE", 0},
        {shortDestination + "REMOVE32.EXE", "", Text(IDS_SETUP_REMOVE_LINK), shortDestination + "REMOVE32.EXE", 0},
    };
    if (Exists(shortDestination + "Ommavu.CHM"))
        links.push_back({"HH.EXE", shortDestination + "Ommavu.CHM", Text(IDS_SETUP_HELP_LINK), "HH.EXE", 0});
    for (const install::LinkDefinition& link : links) {
        const std::string file = folder + "\\" + link.name + ".lnk";
        if (install::CreateShellLink(link, file)) log->AddFile(file);
    }

    const std::string setupIni = SetupFolder() + kSetupIni;
    const int count = GetPrivateProfileIntA("URLINK", "NUM", 0, setupIni.c_str());
    for (int i = 0; i < count && i < 1000; ++i) {
        char key[32], name[MAX_PATH] = "", address[2048] = "";
        std::snprintf(key, sizeof key, "NAME%d", i);
        GetPrivateProfileStringA("URLINK", key, "", name, sizeof name, setupIni.c_str());
        std::snprintf(key, sizeof key, "LINK%d", i);
        GetPrivateProfileStringA("URLINK", key, "", address, sizeof address, setupIni.c_str());
        // A name that is not one plain file name would reach outside the group.
        if (!name[0] || !address[0] || !install::IsSafeGroupName(name)) continue;
        const std::string file = folder + "\\" + name + ".URL";
        if (install::CreateInternetShortcut(address, file)) log->AddFile(file);
    }
}

void CreateQuickLaunch(const std::string& installPath, install::RecordLog* log) {
    const std::string folder = install::QuickLaunchFolder();
    std::vector<std::string> created;
    if (folder.empty() || !install::CreateFolderTree(folder, &created)) return;
    for (const std::string& dir : created) log->AddDirectory(dir);
    const std::string file =
        folder + "\\" + LoadText(g_chinese ? IDS_SETUP_QUICK_LAUNCH_CHINESE : IDS_SETUP_QUICK_LAUNCH);
    const std::string program = installPath + "TAVIRSEL.EXE";
    // Recorded as "FASTLINK" alone: it lies outside the installation.
    if (install::CreateShellLink({program, "", LoadText(IDS_SETUP_GROUP), program, 0}, file)) {
        settings::Write(settings::kFastLink, install::ShortPath(file));
    }
}

void RegisterUninstaller(const std::string& displayName, const std::string& shortDestination) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    const std::string command = shortDestination + "REMOVE32.EXE";
    RegSetValueExA(key, "DisplayName", 0, REG_SZ, reinterpret_cast<const BYTE*>(displayName.c_str()),
                   static_cast<DWORD>(displayName.size() + 1));
    RegSetValueExA(key, "UninstallString", 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                   static_cast<DWORD>(command.size() + 1));
    RegCloseKey(key);
}

// Every file below FULLDATA\ beside setup, with its path relative to it.
void CollectExtras(const std::string& root, const std::string& relative, install::CopyJob* job) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((root + relative + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            CollectExtras(root, relative + name + "\\", job);
        } else {
            const unsigned long long size =
                (static_cast<unsigned long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
            job->AddFile(relative + name, root + relative + name, size);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

bool HasWord(const char* line, const char* word) {
    std::string text = line;
    for (size_t at = 0; (at = text.find_first_not_of(" \t\"", at)) != std::string::npos;) {
        const size_t end = text.find_first_of(" \t\"", at);
        if (lstrcmpiA(text.substr(at, end - at).c_str(), word) == 0) return true;
        at = end;
    }
    return false;
}

int Install() {
    // The payload is checked before anything is shown or written.
    HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(IDR_PAYLOAD), SETUP_PAYLOAD_TYPE);
    const DWORD resourceSize = resource ? SizeofResource(nullptr, resource) : 0;
    const BYTE* payload = resource ? static_cast<const BYTE*>(LockResource(LoadResource(nullptr, resource))) : nullptr;
    DWORD payloadTotal = 0;
    if (!payload || !install::PayloadFits(kPayloadFiles, kPayloadFileCount, resourceSize, &payloadTotal)) {
        MessageBoxA(nullptr, Text(IDS_SETUP_PAYLOAD_DAMAGED).c_str(), Text(IDS_SETUP_TITLE).c_str(),
                    MB_OK | MB_ICONSTOP);
        return kDamagedPayload;
    }

    std::string destination = settings::Read(settings::kInstallPath);
    while (destination.size() > 3 && destination.back() == '\\') destination.pop_back();
    if (destination.empty()) destination = kDefaultDestination;

    HWND background = CreateBackground();
    Choice choice{destination, false};
    std::vector<std::string> createdFolders;
    for (;;) {
        if (DialogBoxParamA(g_instance, MAKEINTRESOURCEA(Dialog(IDD_SETUP, IDD_SETUP_CHINESE)), background,
                            SetupDialogProc, reinterpret_cast<LPARAM>(&choice)) != IDOK) {
            DestroyWindow(background);
            return kCancelled;
        }
        if (PrepareDestination(background, choice.destination, &createdFolders)) break;
    }
    const std::string target = WithBackslash(choice.destination);
    SetCurrentDirectoryA(target.c_str());

    const int monitor = settings::Read(settings::kMonitor);
    HWND monitored = reinterpret_cast<HWND>(static_cast<INT_PTR>(monitor));
    if (monitor != 0 && IsWindow(monitored)) {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(monitored, kMonitorMessage, kMonitorInstalling, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
    }

    // What the settings file held, for an exit mid-copy; and what an
    // earlier installation recorded, for its program group.
    const SettingsSnapshot snapshot = TakeSnapshot();
    const install::Records earlier = install::ReadRecords();
    const std::string earlierGroup = settings::Read(settings::kGroup);

    install::RecordLog log;
    for (const std::string& dir : createdFolders) log.AddDirectory(dir);
    install::CopyJob job(target, &log);
    DWORD offset = 0;
    for (int i = 0; i < kPayloadFileCount; ++i) {
        job.AddMemory(kPayloadFiles[i].name, payload + offset, kPayloadFiles[i].size);
        offset += kPayloadFiles[i].size;
    }
    CollectExtras(SetupFolder() + "FULLDATA\\", "", &job);

    CopyState state{&job};
    DialogBoxParamA(g_instance, MAKEINTRESOURCEA(Dialog(IDD_SETUP_COPY, IDD_SETUP_COPY_CHINESE)), background,
                    CopyDialogProc, reinterpret_cast<LPARAM>(&state));
    if (state.exited) {
        // A folder that is some process's current folder cannot be removed.
        SetCurrentDirectoryA(WindowsFolder().c_str());
        job.Undo();
        for (auto dir = createdFolders.rbegin(); dir != createdFolders.rend(); ++dir) RemoveDirectoryA(dir->c_str());
        RestoreSnapshot(snapshot);
        DestroyWindow(background);
        return kCancelled;
    }
    job.Commit();

    const std::string shortTarget = WithBackslash(install::ShortPath(target));
    settings::Write(settings::kInstallPath, shortTarget);
    settings::Write(settings::kUninstallPath, shortTarget);
    char extName[256] = "";
    GetPrivateProfileStringA(settings::kInstall, "EXTNAME", "", extName, sizeof extName,
                             (SetupFolder() + kSetupIni).c_str());
    settings::Write(settings::kExtName, extName);
    if (!earlierGroup.empty()) RemoveEarlierGroup(earlierGroup, earlier);

    const std::string groupName = GroupName(extName);
    HWND groupDialog = CreateDialogParamA(g_instance, MAKEINTRESOURCEA(Dialog(IDD_SETUP_GROUP)), background,
                                          PlainDialogProc, 0);
    if (groupDialog) UpdateWindow(groupDialog);
    CreateGroup(groupName, shortTarget, &log);
    settings::Write(settings::kGroup, groupName);
    if (groupDialog) DestroyWindow(groupDialog);
    RegisterUninstaller(groupName, shortTarget);
    settings::Write(settings::kBannerImage, target + "Ommavu.GIF");
    CreateQuickLaunch(shortTarget, &log);
    log.AddFile(target + "Cache\\*.*");
    log.AddFile(target + "ICON.ICO");

    // Files whose new versions wait for the restart, and files that could
    // not be written at all, each under its own heading.
    std::string report;
    for (const auto& part : {std::make_pair(IDS_SETUP_REPLACE_AT_RESTART, &job.Deferred()),
                             std::make_pair(IDS_SETUP_NOT_WRITTEN, &job.Failed())}) {
        if (part.second->empty()) continue;
        std::string names;
        for (const std::string& name : *part.second) names += "\n" + name;
        report += (report.empty() ? "" : "\n\n") + Format(Text(part.first), names);
    }
    if (!report.empty())
        MessageBoxA(background, report.c_str(), Text(IDS_SETUP_TITLE).c_str(),
                    MB_OK | (job.Failed().empty() ? MB_ICONINFORMATION : MB_ICONEXCLAMATION));

    // The tools wizard is only offered; nothing here starts it.
    FinishState finish{choice.exitWhenDone, g_chinese && Exists(SetupFolder() + "TOOLS\\SETUPBRW.EXE")};
    DialogBoxParamA(g_instance, MAKEINTRESOURCEA(Dialog(IDD_SETUP_FINISH)), background, FinishDialogProc,
                    reinterpret_cast<LPARAM>(&finish));
    DestroyWindow(background);
    return kInstalled;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    g_instance = instance;
    if (HasWord(commandLine, "CHECK") && !settings::Read(settings::kInstallPath).empty()) return kInstalled;

    HANDLE running = OpenEventA(SYNCHRONIZE, FALSE, kInstanceEvent);
    if (running) {
        CloseHandle(running);
        return kInstalled;
    }
    HANDLE instanceEvent = CreateEventA(nullptr, TRUE, FALSE, kInstanceEvent);

    g_chinese = GetACP() == 936;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    CoInitialize(nullptr);
    const int result = Install();
    CoUninitialize();
    if (instanceEvent) CloseHandle(instanceEvent);
    return result;
}
