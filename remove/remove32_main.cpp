// REMOVE32.EXE: takes out what setup recorded in the settings file, undoes
// the picture type registration, and hands the last step (its own file and
// the emptied installation folder) to the companion REMOVE16.EXE.
//
// Exit codes: 0 removed, 1 cancelled or stopped (records kept so that the
// removal can run again), 2 no installation recorded.

#include "install_records.h"
#include "install_rules.h"
#include "removal.h"
#include "resource_ids.h"
#include "settings.h"
#include "type_registry.h"

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr char kUninstallParent[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr char kViewerClass[] = "Ommavu";
constexpr char kSharedViewerClass[] = "Ommavu[SHARE]";
constexpr char kCompanionName[] = "REMOVE16.EXE";
constexpr UINT_PTR kStepTimer = 1;
constexpr UINT kStepPeriod = 100;
constexpr DWORD kStepBudget = 220;
constexpr COLORREF kBarColor = 0xFF0000;

enum ExitCode { kRemoved = 0, kStopped = 1, kNothingInstalled = 2 };

HINSTANCE g_instance;
bool g_chinese;

int Dialog(int english) { return g_chinese ? english + SETUP_CHINESE_OFFSET : english; }

std::string Text(int id) {
    char text[1024] = "";
    LoadStringA(g_instance, g_chinese ? id + SETUP_CHINESE_OFFSET : id, text, sizeof text);
    return text;
}

std::string Replace(std::string text, const std::string& what, const std::string& with) {
    for (size_t at = 0; (at = text.find(what, at)) != std::string::npos; at += with.size())
        text.replace(at, what.size(), with);
    return text;
}

INT_PTR CALLBACK PlainDialogProc(HWND dialog, UINT message, WPARAM wp, LPARAM lp) {
    switch (message) {
    case WM_INITDIALOG:
        if (lp) SetDlgItemTextA(dialog, IDC_REMOVE_CONFIRM_TEXT, reinterpret_cast<const char*>(lp));
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wp));
            return TRUE;
        }
        break;
    }
    return FALSE;
}

struct ProgressState {
    install::Removal* removal;
    bool stopped = false;
};

INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM wp, LPARAM lp) {
    auto* state = reinterpret_cast<ProgressState*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lp);
        HWND bar = GetDlgItem(dialog, IDC_REMOVE_BAR);
        SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 128));
        SendMessageA(bar, PBM_SETBARCOLOR, 0, kBarColor);
        RECT box;
        GetWindowRect(dialog, &box);
        SetWindowPos(dialog, nullptr, (GetSystemMetrics(SM_CXSCREEN) - (box.right - box.left)) / 2,
                     (GetSystemMetrics(SM_CYSCREEN) - (box.bottom - box.top)) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        SetTimer(dialog, kStepTimer, kStepPeriod, nullptr);
        return TRUE;
    }
    case WM_TIMER: {
        if (wp != kStepTimer) break;
        const bool finished = state->removal->Step(kStepBudget);
        SetDlgItemTextA(dialog, IDC_REMOVE_NAME, state->removal->CurrentName().c_str());
        SendDlgItemMessageA(dialog, IDC_REMOVE_BAR, PBM_SETPOS, state->removal->ProgressSteps(), 0);
        if (finished) {
            KillTimer(dialog, kStepTimer);
            EndDialog(dialog, IDOK);
        }
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wp) == IDCANCEL) {
            KillTimer(dialog, kStepTimer);
            state->stopped = true;
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

bool ViewerRunning() {
    return FindWindowA(kViewerClass, nullptr) != nullptr || FindWindowA(kSharedViewerClass, nullptr) != nullptr;
}

// Writes the companion out of resource 1300 of type "RT_RCDATA".
bool WriteCompanion(const std::string& file) {
    HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(IDR_PAYLOAD), SETUP_PAYLOAD_TYPE);
    if (!resource) return false;
    const DWORD size = SizeofResource(nullptr, resource);
    const void* bytes = LockResource(LoadResource(nullptr, resource));
    if (!bytes || size == 0) return false;
    HANDLE out = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(out, bytes, size, &written, nullptr) && written == size;
    CloseHandle(out);
    if (!ok) DeleteFileA(file.c_str());
    return ok;
}

std::string ShortPath(const std::string& path) { return install::ShortPath(path); }

// The highest recorded folder that setup created on the way to the
// installation folder (the installation folder itself when it created no
// parent): what the companion empties and removes at the end.
std::string TopCreatedFolder(const install::Records& records, const std::string& install) {
    std::string top = install;
    for (const std::string& dir : records.dirs) {
        const std::string normal = install::NormalizePath(dir);
        if (normal.size() > 3 && install::IsInside(install, normal) && normal.size() < top.size()) top = normal;
    }
    return top;
}

int Remove() {
    const std::string recorded = install::RecordedInstallFolder();
    char windows[MAX_PATH] = "";
    GetWindowsDirectoryA(windows, sizeof windows);
    // A damaged or edited settings file that names a root or the Windows
    // folder is treated as no installation at all.
    if (recorded.empty() ||
        install::CheckDestination(recorded, windows) != install::Destination::kAccepted) {
        DialogBoxParamA(g_instance, MAKEINTRESOURCEA(Dialog(IDD_REMOVE_ERROR)), nullptr, PlainDialogProc, 0);
        return kNothingInstalled;
    }
    const std::string install = install::NormalizePath(recorded);
    const std::string group = settings::Read(settings::kGroup);
    if (group.empty()) return kStopped;  // nothing to confirm with: as if cancelled

    const std::string question =
        Replace(Text(IDS_REMOVE_CONFIRM), "%s", group) + "\n\n" + Text(IDS_REMOVE_CONFIRM_TAIL);
    if (DialogBoxParamA(g_instance, MAKEINTRESOURCEA(Dialog(IDD_REMOVE_CONFIRM)), nullptr, PlainDialogProc,
                        reinterpret_cast<LPARAM>(question.c_str())) != IDOK)
        return kStopped;

    while (ViewerRunning()) {
        if (MessageBoxA(nullptr, Text(IDS_REMOVE_VIEWER_RUNNING).c_str(), Text(IDS_REMOVE_TITLE).c_str(),
                        MB_RETRYCANCEL | MB_ICONEXCLAMATION) != IDRETRY)
            break;  // what stays in use is removed at the restart
    }

    SetCurrentDirectoryA(windows);
    const install::Records records = install::ReadRecords();
    install::Removal removal(records, install, install::GroupFolder(group));
    ProgressState state{&removal};
    DialogBoxParamA(g_instance, MAKEINTRESOURCEA(Dialog(IDD_REMOVE_PROGRESS)), nullptr, ProgressDialogProc,
                    reinterpret_cast<LPARAM>(&state));
    if (state.stopped) {
        // Everything not yet done stays on record, with the uninstall entry
        // and the settings file, so the removal can simply run again.
        install::WriteRecords(removal.Remaining());
        MessageBoxA(nullptr, Text(IDS_REMOVE_STOPPED).c_str(), Text(IDS_REMOVE_TITLE).c_str(),
                    MB_OK | MB_ICONINFORMATION);
        return kStopped;
    }

    // Registered picture types go back to their previous owners, the icon
    // extension's keys go, and the shell hears that associations changed.
    UnregisterAllPictureTypes(HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE);
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);

    HKEY parent = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallParent, 0, KEY_WRITE, &parent) == ERROR_SUCCESS) {
        RegDeleteKeyA(parent, "Tavirsel");
        RegCloseKey(parent);
    }

    if (!removal.AtRestart().empty()) {
        std::string names;
        for (const std::string& name : removal.AtRestart()) names += "\n" + name;
        MessageBoxA(nullptr, (Text(IDS_REMOVE_AT_RESTART) + names).c_str(), Text(IDS_REMOVE_TITLE).c_str(),
                    MB_OK | MB_ICONINFORMATION);
    }
    DialogBoxParamA(g_instance, MAKEINTRESOURCEA(Dialog(IDD_REMOVE_FINISH)), nullptr, PlainDialogProc, 0);

    const std::string fastLink = settings::Read(settings::kFastLink);
    if (!fastLink.empty() && install::MayDeleteQuickLaunch(fastLink)) DeleteFileA(fastLink.c_str());
    // Only folders setup recorded are removed (and the cache's, with its
    // tree): an installation in a folder that was already in use, such as
    // the user's profile, leaves the user's own folders, empty ones too.
    removal.RemoveLeftDirectories();
    removal.ScheduleLeftDirectories();

    const std::string top = TopCreatedFolder(records, install);

    WritePrivateProfileStringA(nullptr, nullptr, nullptr, settings::kFileName);
    DeleteFileA((std::string(windows) + "\\" + settings::kFileName).c_str());

    // The companion waits for this program to end, deletes its file and
    // removes the emptied folders.
    if (GetFileAttributesA(install.c_str()) == INVALID_FILE_ATTRIBUTES) return kRemoved;
    const std::string companion = install + "\\" + kCompanionName;
    if (!WriteCompanion(companion)) return kRemoved;
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, sizeof self);
    const std::string line = "\"" + companion + "\" " + ShortPath(self) + "@" + ShortPath(top);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION process = {};
    std::vector<char> command(line.begin(), line.end());
    command.push_back('\0');
    if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, windows, &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    return kRemoved;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    g_instance = instance;
    g_chinese = GetACP() == 936;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    return Remove();
}
