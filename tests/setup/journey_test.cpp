// setup.exe and REMOVE32.EXE as a user meets them, in a Wine prefix of
// their own: the whole journey from a fresh system back to it, and each bad
// input on its own.  Every test leaves the prefix without an installation.

#include "install_records.h"
#include "install_rules.h"
#include "installer_driver.h"
#include "registry.h"
#include "resource_ids.h"
#include "type_registry.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tavirsel";
constexpr char kPendingKey[] = "System\\CurrentControlSet\\Control\\Session Manager";
const std::string kBlankDestination = "C:\\Program Files\\Quenlark Ommavu";
const std::string kDefaultDestination = "C:\\Quenlark\\Ommavu";

std::string Setting(const char* section, const char* key) {
    char text[1024] = "";
    GetPrivateProfileStringA(section, key, "", text, sizeof text, "Tavirsel.INI");
    return text;
}

void FlushSettings() { WritePrivateProfileStringA(nullptr, nullptr, nullptr, "Tavirsel.INI"); }

std::string SetupExe() { return BinFolder() + "setup.exe"; }

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// The deliverables the installation must hold, as the packer picks them.
std::vector<std::string> Deliverables() {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((BinFolder() + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const std::string name = found.cFileName, lower = Lower(name);
        const std::string ext = lower.substr(lower.find_last_of('.') + 1);
        if (lower == "setup.exe" || lower == "remove16.exe") continue;
        if (ext == "dll" || ext == "exe" || ext == "pls" || ext == "chm" || ext == "gif") names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

// ---------------------------------------------------------------------------
// A picture of the prefix: every file with its size, and the machine's and
// the user's software keys.

struct Snapshot {
    std::set<std::string> lines;
};

const std::set<std::string> kHostFolders = {"desktop", "documents", "my documents", "downloads", "music",
                                            "my music", "pictures", "my pictures", "videos", "my videos",
                                            "templates"};

void ListFiles(const std::string& folder, std::set<std::string>* lines) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        const std::string path = folder + "\\" + name;
        // Wine's own scratch space changes by itself, and the user's
        // document folders are links into the host's home, shared with
        // everything else running there.
        const std::string lower = Lower(name);
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            (lower == "temp" || (Lower(folder).find("c:\\users\\") == 0 && kHostFolders.count(lower))))
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            lines->insert("dir " + Lower(path));
            ListFiles(path, lines);
        } else {
            lines->insert("file " + Lower(path) + " " + std::to_string(found.nFileSizeLow));
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

void AddRegistry(const char* root, HKEY key, const char* subKey, std::set<std::string>* lines) {
    std::istringstream text(registry::Export(key, subKey));
    std::string line, section;
    while (std::getline(text, line)) {
        if (!line.empty() && line[0] == '[') section = line;
        lines->insert(std::string(root) + subKey + section + " " + line);
    }
}

Snapshot TakeSnapshot() {
    Snapshot snapshot;
    ListFiles("C:", &snapshot.lines);
    AddRegistry("HKLM\\", HKEY_LOCAL_MACHINE, "Software", &snapshot.lines);
    AddRegistry("HKCU\\", HKEY_CURRENT_USER, "Software", &snapshot.lines);
    return snapshot;
}

// What is in one snapshot and not in the other, "+" for new lines and "-"
// for lost ones, except the lines that hold any of `allowed`.
std::vector<std::string> Difference(const Snapshot& before, const Snapshot& after,
                                    const std::vector<std::string>& allowed) {
    std::vector<std::string> changes;
    auto permitted = [&](const std::string& line) {
        for (const std::string& a : allowed)
            if (line.find(a) != std::string::npos) return true;
        return false;
    };
    for (const std::string& line : after.lines)
        if (!before.lines.count(line) && !permitted(line)) changes.push_back("+ " + line);
    for (const std::string& line : before.lines)
        if (!after.lines.count(line) && !permitted(line)) changes.push_back("- " + line);
    return changes;
}

// Wine's own bookkeeping that moves while programs run, whatever they do.
const std::vector<std::string> kWineNoise = {
    "hkcu\\software\\wine", "HKCU\\Software[Wine", "HKLM\\Software[Wine", "\\Explorer\\Shell Folders",
    "\\Explorer\\User Shell Folders", "\\Explorer\\FileExts", "\\Microsoft\\Windows\\CurrentVersion\\Explorer]",
    "\\windows\\system32\\wbem", "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts",
    "\\Classes\\Local Settings", "MuiCache", "\\Explorer\\RecentDocs", "Software\\Microsoft\\Windows NT\\CurrentVersion\\Perflib",
};

// ---------------------------------------------------------------------------
// Driving the two programs.

struct Timing {
    DWORD install = 0;
    DWORD remove = 0;
};

// Runs setup to the end with `destination` typed in; returns its exit code.
long Install(const std::string& destination, DWORD* elapsed = nullptr, const std::string& exe = SetupExe()) {
    Process setup("\"" + exe + "\"");
    EXPECT_TRUE(setup.Started());
    HWND dialog = WaitForDialog(setup.Id(), IDC_SETUP_DESTINATION);
    EXPECT_NE(dialog, nullptr) << "the setup dialog did not show";
    if (!dialog) return -1;
    Type(dialog, IDC_SETUP_DESTINATION, destination);
    const DWORD start = GetTickCount();
    Press(dialog, IDOK);
    // A missing folder is created after a question.
    for (DWORD wait = GetTickCount(); GetTickCount() - wait < 20000;) {
        if (HWND ask = WaitForDialog(setup.Id(), 0, "Path Not Exist", 0)) Press(ask, IDYES);
        if (HWND finish = WaitForDialog(setup.Id(), IDC_FINISH_TOOLS, nullptr, 0)) {
            if (elapsed) *elapsed = GetTickCount() - start;
            Press(finish, IDOK);
            break;
        }
        if (HWND box = WaitForDialog(setup.Id(), 0, "Setup", 0)) {
            ADD_FAILURE() << "setup says: " << BoxText(box);
            Press(box, IDOK);
        }
        Sleep(10);
    }
    return setup.Wait(20000);
}

// Runs the registered uninstall command through its dialogs; returns its
// exit code.  A message box on the way is a failure, unless `notice` takes
// its text.
long Uninstall(DWORD* elapsed = nullptr, std::string* notice = nullptr) {
    std::string command;
    EXPECT_TRUE(registry::ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", &command));
    Process remove(command);
    EXPECT_TRUE(remove.Started()) << command;
    HWND confirm = WaitForDialog(remove.Id(), IDC_REMOVE_CONFIRM_TEXT);
    EXPECT_NE(confirm, nullptr) << "no confirmation";
    if (!confirm) return -1;
    EXPECT_THAT(ControlText(confirm, IDC_REMOVE_CONFIRM_TEXT), HasSubstr("Uninstall Quenlark Ommavu"));
    const DWORD start = GetTickCount();
    Press(confirm, IDOK);
    if (HWND progress = WaitForDialog(remove.Id(), IDC_REMOVE_BAR, nullptr, 5000)) {
        WaitUntilGone(progress, 20000);
        std::printf("[ figures ] the records took %lu ms\n", GetTickCount() - start);
    }
    HWND finish = nullptr;
    for (DWORD wait = GetTickCount(); !finish && GetTickCount() - wait < 20000; Sleep(10)) {
        finish = WaitForDialog(remove.Id(), 0, "Finish Uninstall", 0);
        if (HWND box = WaitForDialog(remove.Id(), 0, "Uninstall", 0)) {
            if (box == confirm) continue;
            if (notice) *notice += BoxText(box);
            else ADD_FAILURE() << "the uninstaller says: " << BoxText(box);
            Press(box, IDOK);
        }
    }
    EXPECT_NE(finish, nullptr) << "no finish dialog";
    if (elapsed) *elapsed = GetTickCount() - start;
    if (finish) Press(finish, IDOK);
    return remove.Wait(20000);
}

// Waits until the companion has taken the installation folder away.
bool WaitForFolderGone(const std::string& folder, DWORD ms = 15000) {
    const DWORD start = GetTickCount();
    while (Exists(folder)) {
        if (GetTickCount() - start > ms) return false;
        Sleep(20);
    }
    return true;
}

// Test cleanup: whatever an installation left, gone.
void ForgetInstallation() {
    FlushSettings();
    for (const std::string& folder : {kBlankDestination, kDefaultDestination, std::string("C:\\Quenlark")})
        DeleteTree(folder);
    DeleteTree(install::GroupFolder("Quenlark Ommavu"));
    DeleteFileA((install::QuickLaunchFolder() + "\\Quenlark Ommavu.lnk").c_str());
    DeleteFileA(SettingsPath().c_str());
    registry::DeleteTree(HKEY_LOCAL_MACHINE, kUninstallKey);
}

// Windows' list of files to rename or delete at the restart, lower case,
// each string ended by "|".
std::string PendingAtRestart() {
    std::string pending;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPendingKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        char buffer[16384] = {};
        DWORD size = sizeof buffer - 2;
        if (RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer),
                             &size) != ERROR_SUCCESS)
            size = 0;
        for (DWORD i = 0; i < size; ++i) pending += buffer[i] ? buffer[i] : '|';
        RegCloseKey(key);
    }
    return Lower(pending);
}

void ForgetPendingAtRestart() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPendingKey, 0, KEY_WRITE, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, "PendingFileRenameOperations");
        RegCloseKey(key);
    }
}

// Every file below `folder` with its contents, and every folder.
std::map<std::string, std::string> Contents(const std::string& folder) {
    std::set<std::string> lines;
    ListFiles(folder, &lines);
    std::map<std::string, std::string> contents;
    for (const std::string& line : lines) {
        if (line.compare(0, 5, "file ") != 0) {
            contents[line] = "";
            continue;
        }
        const std::string path = line.substr(5, line.find_last_of(' ') - 5);
        contents[path] = ReadBytes(path);
    }
    return contents;
}

void MakeCache(const std::string& install, int files) {
    const std::string cache = install + "\\Cache";
    CreateDirectoryA(cache.c_str(), nullptr);
    const std::string block(512, 'c');
    for (int i = 0; i < files; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "\\FILE%04X.CAH", i);
        WriteBytes(cache + name, block);
    }
    WriteBytes(install + "\\ICON.ICO", std::string(766, 'i'));
}

DWORD PlainDeleteTime(int files) {
    const std::string folder = "C:\\plain-delete";
    CreateDirectoryA(folder.c_str(), nullptr);
    for (int i = 0; i < files; ++i) WriteBytes(folder + "\\F" + std::to_string(i), "x");
    const DWORD start = GetTickCount();
    for (int i = 0; i < files; ++i) DeleteFileA((folder + "\\F" + std::to_string(i)).c_str());
    const DWORD elapsed = GetTickCount() - start;
    RemoveDirectoryA(folder.c_str());
    return elapsed;
}

class Journey : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        ForgetInstallation();
    }
    void TearDown() override {
        ForgetInstallation();
        CoUninitialize();
    }
};

// ---------------------------------------------------------------------------

TEST_F(Journey, InstallUseAndRemoveLeaveThePrefixAsItWas) {
    // The user's system: two picture types that belong to other programs.
    registry::WriteString(HKEY_CLASSES_ROOT, ".jpg", nullptr, "jpegfile");
    registry::WriteString(HKEY_CLASSES_ROOT, ".png", nullptr, "pngfile");
    // Folders the shell makes on first use exist before the picture is taken.
    install::ProgramsFolder();
    install::QuickLaunchFolder();
    const Snapshot before = TakeSnapshot();

    Timing timing;
    ASSERT_EQ(Install(kBlankDestination, &timing.install), 0);
    FlushSettings();

    // Every deliverable, byte for byte.
    const std::string install = kBlankDestination + "\\";
    const std::vector<std::string> names = Deliverables();
    ASSERT_GE(names.size(), 13u) << "build/bin looks incomplete";
    for (const std::string& name : names)
        EXPECT_TRUE(ReadBytes(install + name) == ReadBytes(BinFolder() + name)) << name << " differs from build/bin";
    EXPECT_EQ(ReadBytes(install + "URLIST.TXT"), ReadBytes(SourceFolder() + "app\\URLIST.TXT"));

    // The records.
    const std::string shortInstall = install::ShortPath(kBlankDestination) + "\\";
    EXPECT_EQ(Setting("INSTALL", "INSTALLPATH"), shortInstall);
    EXPECT_EQ(Setting("UNINSTALL", "UNINSTALLPATH"), shortInstall);
    EXPECT_EQ(Setting("INSTALL", "GROUP"), "Quenlark Ommavu");
    EXPECT_EQ(Setting("INSTALL", "EXTNAME"), "");
    EXPECT_EQ(Setting("ADBarParamter", "ImageFileName"), install + "Ommavu.GIF");
    const install::Records records = install::ReadRecords();
    ASSERT_GE(records.files.size(), names.size() + 2);
    std::set<std::string> recorded;
    for (const std::string& file : records.files) recorded.insert(Lower(LongPath(file)));
    for (const std::string& name : names) EXPECT_TRUE(recorded.count(Lower(install + name))) << name << " not recorded";
    EXPECT_EQ(records.files[records.files.size() - 2], install + "Cache\\*.*");
    EXPECT_EQ(records.files.back(), install + "ICON.ICO");
    EXPECT_EQ(Lower(records.dirs.front()), Lower(kBlankDestination)) << "only the destination was missing";

    // The shortcuts lead to the installed programs.
    const std::string group = install::GroupFolder("Quenlark Ommavu");
    EXPECT_EQ(Lower(LongPath(LinkTarget(group + "\\Quenlark Ommavu.lnk"))), Lower(install + "Tavirsel.exe"));
    EXPECT_EQ(Lower(LongPath(LinkTarget(group + "\\Remove Ommavu.lnk"))), Lower(install + "REMOVE32.EXE"));
    const std::string fastLink = Setting("UNINSTALL", "FASTLINK");
    ASSERT_TRUE(Exists(fastLink)) << "Quick Launch link \"" << fastLink << "\"";
    EXPECT_EQ(Lower(LongPath(LinkTarget(fastLink))), Lower(install + "Tavirsel.exe"));

    // The uninstall entry.
    std::string display, command;
    EXPECT_TRUE(registry::ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName", &display));
    EXPECT_EQ(display, "Quenlark Ommavu");
    EXPECT_TRUE(registry::ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", &command));
    EXPECT_EQ(Lower(LongPath(command)), Lower(install + "REMOVE32.EXE"));

    // Using it: the installed viewer starts and closes, the thumbnail cache
    // fills up and two picture types are registered.
    {
        Process viewer("\"" + install + "Tavirsel.exe\"", install);
        HWND frame = nullptr;
        for (DWORD wait = GetTickCount(); !frame && GetTickCount() - wait < 30000; Sleep(50))
            frame = FindWindowA("Ommavu", nullptr);
        ASSERT_NE(frame, nullptr) << "the installed viewer shows no window";
        PostMessageA(frame, WM_CLOSE, 0, 0);
        EXPECT_EQ(viewer.Wait(20000), 0);
    }
    MakeCache(kBlankDestination, 3000);
    const std::string program = install + "Tavirsel.exe";
    for (const char* tag : {"JPG", "PNG"})
        EXPECT_TRUE(RegisterPictureType(HKEY_CLASSES_ROOT, {tag, "Picture", 1, "Browser with Ommavo",
                                                           program.c_str(), true}));
    RegisterShellExtension(HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE, install.c_str());

    ASSERT_EQ(Uninstall(&timing.remove), 0);
    const DWORD companionStart = GetTickCount();
    EXPECT_TRUE(WaitForFolderGone(kBlankDestination)) << "the installation folder stayed";
    const DWORD companion = GetTickCount() - companionStart;

    std::string owner;
    EXPECT_TRUE(registry::ReadString(HKEY_CLASSES_ROOT, ".jpg", nullptr, &owner));
    EXPECT_EQ(owner, "jpegfile");
    EXPECT_TRUE(registry::ReadString(HKEY_CLASSES_ROOT, ".png", nullptr, &owner));
    EXPECT_EQ(owner, "pngfile");
    EXPECT_FALSE(Exists(SettingsPath()));

    const std::vector<std::string> changes = Difference(before, TakeSnapshot(), kWineNoise);
    std::string listed;
    for (const std::string& change : changes) listed += change + "\n";
    EXPECT_TRUE(changes.empty()) << "the prefix differs from before the installation:\n" << listed;

    // What this Wine on this machine needs to delete as many files with the
    // plainest loop: on a loaded machine that alone can pass the budget.
    const DWORD baseline = PlainDeleteTime(3000);
    std::printf("[ figures ] install %lu ms (%u files); remove %lu ms with a cache of 3000 files, companion %lu ms; "
                "a plain loop deletes 3000 files in %lu ms\n",
                timing.install, static_cast<unsigned>(names.size() + 1), timing.remove, companion, baseline);
    // Only a guard against hanging here: the times swing with the load of
    // the machine (other tests run beside this one); tools/bench-setup.sh
    // judges them against their targets.
    EXPECT_LT(timing.install, 30000u);
    EXPECT_LT(timing.remove + companion, 30000u + baseline * 2);
}

TEST_F(Journey, ChineseSystemsGetTheChineseDialogs) {
    if (GetACP() != 936) GTEST_SKIP() << "needs the ANSI code page 936 (LC_ALL=zh_CN.UTF-8)";
    Process setup("\"" + SetupExe() + "\"");
    HWND dialog = WaitForDialog(setup.Id(), IDC_SETUP_DESTINATION, "\xB0\xB2\xD7\xB0\xB3\xCC\xD0\xF2");
    ASSERT_NE(dialog, nullptr) << "no Chinese setup dialog";
    Press(dialog, IDCANCEL);
    EXPECT_EQ(setup.Wait(10000), 1);

    Process remove("\"" + BinFolder() + "REMOVE32.EXE\"");
    HWND error = WaitForDialog(remove.Id(), 0, "\xB4\xED\xCE\xF3");
    ASSERT_NE(error, nullptr) << "no Chinese error dialog";
    Press(error, IDOK);
    EXPECT_EQ(remove.Wait(10000), 2);
}

TEST_F(Journey, RootsRelativePathsAndTheWindowsFolderAreRefusedHoweverTyped) {
    Process setup("\"" + SetupExe() + "\"");
    HWND dialog = WaitForDialog(setup.Id(), IDC_SETUP_DESTINATION);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ControlText(dialog, IDC_SETUP_DESTINATION), kDefaultDestination);
    for (const std::string& typed : {std::string("C:\\"), std::string("\\"), std::string(""), std::string("Ommavu"),
                                     WindowsFolder(), WindowsFolder() + "\\Ommavu", std::string("C:\\Quenlark\\..")}) {
        Type(dialog, IDC_SETUP_DESTINATION, typed);
        Press(dialog, IDOK);
        HWND box = WaitForDialog(setup.Id(), 0, "Path Error", 5000);
        ASSERT_NE(box, nullptr) << "\"" << typed << "\" was not refused";
        EXPECT_EQ(BoxText(box), "Path Error !");
        Press(box, IDOK);
        ASSERT_TRUE(WaitUntilGone(box));
        EXPECT_TRUE(IsWindow(dialog)) << "the setup dialog closed after \"" << typed << "\"";
    }
    Press(dialog, IDCANCEL);
    EXPECT_EQ(setup.Wait(10000), 1);
    EXPECT_FALSE(Exists(SettingsPath()));
    EXPECT_FALSE(registry::KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

TEST_F(Journey, AnEarlierGroupThatIsNotOneFolderNameDeletesNothing) {
    const std::string programs = install::ProgramsFolder();
    const std::string sentinel = programs + "\\sentinel.txt";
    const std::string above = programs + "\\..\\sentinel-above.txt";
    for (const char* group : {"", "..", "..\\..", "."}) {
        ASSERT_TRUE(WriteBytes(sentinel, "mine")) << sentinel;
        ASSERT_TRUE(WriteBytes(above, "mine too"));
        WritePrivateProfileStringA("INSTALL", "GROUP", group, "Tavirsel.INI");
        WritePrivateProfileStringA("UNINSTALL", "FILENUM", "1", "Tavirsel.INI");
        WritePrivateProfileStringA("UNINSTALL", "FILE1", sentinel.c_str(), "Tavirsel.INI");
        FlushSettings();
        ASSERT_EQ(Install(kDefaultDestination), 0) << "group \"" << group << "\"";
        EXPECT_EQ(ReadBytes(sentinel), "mine") << "group \"" << group << "\"";
        EXPECT_EQ(ReadBytes(above), "mine too") << "group \"" << group << "\"";
        EXPECT_TRUE(Exists(programs)) << "group \"" << group << "\"";
        ForgetInstallation();
    }
    DeleteFileA(sentinel.c_str());
    DeleteFileA(above.c_str());
}

TEST_F(Journey, AFileInUseIsReplacedAtRestartAndTheUsersFilesStay) {
    ASSERT_EQ(Install(kDefaultDestination), 0);
    const std::string install = kDefaultDestination + "\\";
    ASSERT_TRUE(WriteBytes(install + "URLIST.TXT", "http://mine.example/=Mine\r\n"));
    ASSERT_TRUE(WriteBytes(install + "Test.txt", "my own notes"));
    // Held open without sharing, as a running program holds its files.
    HANDLE held = CreateFileA((install + "Lorimel.dll").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    // An extra file that cannot be read cannot be written either.
    const std::string folder = WindowsFolder() + "\\..\\setup-held";
    CreateDirectoryA(folder.c_str(), nullptr);
    CopyFileA(SetupExe().c_str(), (folder + "\\setup.exe").c_str(), FALSE);
    CreateDirectoryA((folder + "\\FULLDATA").c_str(), nullptr);
    WriteBytes(folder + "\\FULLDATA\\Locked.txt", "locked away");
    HANDLE locked =
        CreateFileA((folder + "\\FULLDATA\\Locked.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);

    Process setup("\"" + folder + "\\setup.exe\"");
    HWND dialog = WaitForDialog(setup.Id(), IDC_SETUP_DESTINATION);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ControlText(dialog, IDC_SETUP_DESTINATION), install::ShortPath(kDefaultDestination));
    Press(dialog, IDOK);
    HWND box = WaitForDialog(setup.Id(), 0, "Setup");
    ASSERT_NE(box, nullptr) << "the file in use was not reported";
    // Each file under what really became of it.
    const std::string text = BoxText(box);
    const size_t notWritten = text.find("could not be written");
    ASSERT_NE(notWritten, std::string::npos) << text;
    EXPECT_THAT(text.substr(0, notWritten), HasSubstr("Lorimel.dll")) << text;
    EXPECT_THAT(text.substr(0, notWritten), Not(HasSubstr("Locked.txt"))) << text;
    EXPECT_THAT(text.substr(notWritten), HasSubstr("Locked.txt")) << text;
    EXPECT_THAT(text.substr(notWritten), Not(HasSubstr("Lorimel.dll"))) << text;
    Press(box, IDOK);
    HWND finish = WaitForDialog(setup.Id(), IDC_FINISH_TOOLS);
    ASSERT_NE(finish, nullptr);
    Press(finish, IDOK);
    EXPECT_EQ(setup.Wait(20000), 0);
    CloseHandle(held);
    CloseHandle(locked);

    EXPECT_THAT(PendingAtRestart(), HasSubstr("lorimel.dll")) << "no replacement scheduled";
    EXPECT_EQ(ReadBytes(install + "URLIST.TXT"), "http://mine.example/=Mine\r\n");
    EXPECT_EQ(ReadBytes(install + "Test.txt"), "my own notes");
    EXPECT_TRUE(ReadBytes(install + "Tavirsel.exe") == ReadBytes(BinFolder() + "Tavirsel.exe"));
    ForgetPendingAtRestart();
    DeleteTree(folder);
}

BOOL CALLBACK TakeLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR found) {
    *reinterpret_cast<WORD*>(found) = language;
    return FALSE;
}

// A copy of setup.exe beside the test, its payload resource replaced.
std::string SetupWithPayload(const std::string& folder, const std::string& payload) {
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string copy = folder + "\\setup.exe";
    CopyFileA(SetupExe().c_str(), copy.c_str(), FALSE);
    WORD language = 0;
    if (HMODULE module = LoadLibraryExA(copy.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
        EnumResourceLanguagesA(module, SETUP_PAYLOAD_TYPE, MAKEINTRESOURCEA(IDR_PAYLOAD), TakeLanguage,
                               reinterpret_cast<LONG_PTR>(&language));
        FreeLibrary(module);
    }
    HANDLE update = BeginUpdateResourceA(copy.c_str(), FALSE);
    EXPECT_NE(update, nullptr);
    EXPECT_TRUE(UpdateResourceA(update, SETUP_PAYLOAD_TYPE, MAKEINTRESOURCEA(IDR_PAYLOAD), language,
                                const_cast<char*>(payload.data()), static_cast<DWORD>(payload.size())));
    EXPECT_TRUE(EndUpdateResourceA(update, FALSE));
    return copy;
}

TEST_F(Journey, ATruncatedPayloadInstallsNothing) {
    const std::string folder = WindowsFolder() + "\\..\\setup-truncated";
    const std::string copy = SetupWithPayload(folder, std::string(100000, 'x'));
    Process setup("\"" + copy + "\"");
    HWND box = WaitForDialog(setup.Id(), 0, "Setup");
    ASSERT_NE(box, nullptr) << "no word about the damaged payload";
    EXPECT_THAT(BoxText(box), HasSubstr("damaged"));
    Press(box, IDOK);
    EXPECT_EQ(setup.Wait(10000), 2);
    EXPECT_FALSE(Exists(SettingsPath()));
    EXPECT_FALSE(Exists(kDefaultDestination));
    DeleteTree(folder);
}

TEST_F(Journey, ExitDuringTheCopyPutsEverythingBack) {
    const std::string earlier = "[Paramter]\r\nShowX=5\r\n[UNINSTALL]\r\nFILENUM=1\r\nFILE1=C:\\old\\x.txt\r\n";
    ASSERT_TRUE(WriteBytes(SettingsPath(), earlier));
    // A large extra file keeps the copy busy long enough to press Cancel.
    const std::string folder = WindowsFolder() + "\\..\\setup-exit";
    CreateDirectoryA(folder.c_str(), nullptr);
    CopyFileA(SetupExe().c_str(), (folder + "\\setup.exe").c_str(), FALSE);
    CreateDirectoryA((folder + "\\FULLDATA").c_str(), nullptr);
    WriteBytes(folder + "\\FULLDATA\\large.bin", std::string(64 << 20, 'L'));

    Process setup("\"" + folder + "\\setup.exe\"");
    HWND dialog = WaitForDialog(setup.Id(), IDC_SETUP_DESTINATION);
    ASSERT_NE(dialog, nullptr);
    Type(dialog, IDC_SETUP_DESTINATION, kDefaultDestination);
    Press(dialog, IDOK);
    HWND ask = WaitForDialog(setup.Id(), 0, "Path Not Exist");
    ASSERT_NE(ask, nullptr);
    Press(ask, IDYES);
    HWND copying = WaitForDialog(setup.Id(), IDC_COPY_ANIMATION);
    ASSERT_NE(copying, nullptr);
    Press(copying, IDCANCEL);
    HWND exitDialog = WaitForDialog(setup.Id(), IDC_SETUP_EXIT);
    ASSERT_NE(exitDialog, nullptr);
    Press(exitDialog, IDC_SETUP_EXIT);
    EXPECT_EQ(setup.Wait(20000), 1);

    EXPECT_EQ(ReadBytes(SettingsPath()), earlier);
    EXPECT_FALSE(Exists("C:\\Quenlark")) << "the folders this run made stayed";
    EXPECT_FALSE(registry::KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    DeleteTree(folder);
}

TEST_F(Journey, RecordsNamingOtherPlacesAreLeftAlone) {
    ASSERT_EQ(Install(kDefaultDestination), 0);
    FlushSettings();
    const std::vector<std::string> sentinels = {"C:\\sentinel.txt", WindowsFolder() + "\\sentinel.txt",
                                                "C:\\Quenlark\\sentinel.txt"};
    for (const std::string& file : sentinels) ASSERT_TRUE(WriteBytes(file, "keep")) << file;
    CreateDirectoryA("C:\\sentinel-dir", nullptr);
    install::Records records = install::ReadRecords();
    for (const std::string& file : sentinels) records.files.push_back(file);
    records.files.push_back(kDefaultDestination + "\\..\\sentinel.txt");
    records.files.push_back("C:\\*.*");
    records.files.push_back(WindowsFolder() + "\\*.*");
    records.files.push_back(kDefaultDestination + "\\*.*");
    records.dirs.push_back("C:\\sentinel-dir");
    records.dirs.push_back("C:\\");
    install::WriteRecords(records);
    WritePrivateProfileStringA("UNINSTALL", "FASTLINK", "C:\\sentinel.txt", "Tavirsel.INI");
    FlushSettings();

    ASSERT_EQ(Uninstall(), 0);
    EXPECT_TRUE(WaitForFolderGone(kDefaultDestination));
    for (const std::string& file : sentinels) EXPECT_EQ(ReadBytes(file), "keep") << file;
    EXPECT_TRUE(Exists("C:\\sentinel-dir"));
    EXPECT_TRUE(Exists(WindowsFolder() + "\\win.ini"));
    for (const std::string& file : sentinels) DeleteFileA(file.c_str());
    RemoveDirectoryA("C:\\sentinel-dir");
}

TEST_F(Journey, CancelDuringRemovalKeepsWhatIsLeftForASecondRun) {
    ASSERT_EQ(Install(kDefaultDestination), 0);
    MakeCache(kDefaultDestination, 3000);
    {
        std::string command;
        ASSERT_TRUE(registry::ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", &command));
        Process remove(command);
        HWND confirm = WaitForDialog(remove.Id(), IDC_REMOVE_CONFIRM_TEXT);
        ASSERT_NE(confirm, nullptr);
        Press(confirm, IDOK);
        HWND progress = WaitForDialog(remove.Id(), IDC_REMOVE_BAR);
        ASSERT_NE(progress, nullptr);
        Press(progress, IDCANCEL);
        HWND box = WaitForDialog(remove.Id(), 0, "Uninstall");
        ASSERT_NE(box, nullptr) << "no word that the removal stopped";
        Press(box, IDOK);
        EXPECT_EQ(remove.Wait(20000), 1);
    }
    FlushSettings();
    EXPECT_TRUE(registry::KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_TRUE(Exists(SettingsPath()));
    EXPECT_GT(install::ReadRecords().files.size(), 0u);
    EXPECT_TRUE(Exists(kDefaultDestination + "\\REMOVE32.EXE"));

    ASSERT_EQ(Uninstall(), 0);
    EXPECT_TRUE(WaitForFolderGone("C:\\Quenlark"));
    EXPECT_FALSE(registry::KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(Exists(SettingsPath()));
    EXPECT_FALSE(Exists(install::GroupFolder("Quenlark Ommavu")));
}

TEST_F(Journey, ASecondSetupAndACheckAfterInstallingEndAtOnce) {
    Process first("\"" + SetupExe() + "\"");
    HWND dialog = WaitForDialog(first.Id(), IDC_SETUP_DESTINATION);
    ASSERT_NE(dialog, nullptr);
    Process second("\"" + SetupExe() + "\"");
    EXPECT_EQ(second.Wait(5000), 0) << "a second setup kept running";
    Press(dialog, IDCANCEL);
    EXPECT_EQ(first.Wait(10000), 1);

    WritePrivateProfileStringA("INSTALL", "INSTALLPATH", "C:\\QUENLA~1\\OMMAVU\\", "Tavirsel.INI");
    FlushSettings();
    Process check("\"" + SetupExe() + "\" CHECK");
    EXPECT_EQ(check.Wait(5000), 0) << "CHECK did not end at once";
}

TEST_F(Journey, ExitDuringAReinstallLeavesTheEarlierInstallationWhole) {
    ASSERT_EQ(Install(kDefaultDestination), 0);
    FlushSettings();
    const std::string install = kDefaultDestination + "\\";
    // The earlier installation differs from what is being installed, and
    // holds the file being copied at the moment of the exit.
    ASSERT_TRUE(WriteBytes(install + "Tavirsel.exe", "the earlier program"));
    ASSERT_TRUE(WriteBytes(install + "large.bin", "the earlier data"));
    const std::map<std::string, std::string> before = Contents(kDefaultDestination);
    const std::string settingsBefore = ReadBytes(SettingsPath());
    // Far too large to copy within one step of the copy dialog: 4 GB that
    // take no room, as the file is made by setting its end alone.
    const std::string folder = WindowsFolder() + "\\..\\setup-reinstall";
    CreateDirectoryA(folder.c_str(), nullptr);
    CopyFileA(SetupExe().c_str(), (folder + "\\setup.exe").c_str(), FALSE);
    CreateDirectoryA((folder + "\\FULLDATA").c_str(), nullptr);
    HANDLE large = CreateFileA((folder + "\\FULLDATA\\large.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(large, INVALID_HANDLE_VALUE);
    LARGE_INTEGER end;
    end.QuadPart = 4ll << 30;
    EXPECT_TRUE(SetFilePointerEx(large, end, nullptr, FILE_BEGIN) && SetEndOfFile(large));
    CloseHandle(large);

    Process setup("\"" + folder + "\\setup.exe\"");
    HWND dialog = WaitForDialog(setup.Id(), IDC_SETUP_DESTINATION);
    ASSERT_NE(dialog, nullptr);
    Press(dialog, IDOK);
    HWND copying = WaitForDialog(setup.Id(), IDC_COPY_ANIMATION);
    ASSERT_NE(copying, nullptr);
    // Every payload file is replaced by then, and large.bin half written.
    bool reached = false;
    for (DWORD wait = GetTickCount(); !reached && GetTickCount() - wait < 60000; Sleep(2))
        reached = ControlText(copying, IDC_COPY_SOURCE) == "large.bin";
    ASSERT_TRUE(reached) << "the copy never reached large.bin";
    Press(copying, IDCANCEL);
    HWND exitDialog = WaitForDialog(setup.Id(), IDC_SETUP_EXIT);
    ASSERT_NE(exitDialog, nullptr);
    Press(exitDialog, IDC_SETUP_EXIT);
    EXPECT_EQ(setup.Wait(20000), 1);

    const std::map<std::string, std::string> after = Contents(kDefaultDestination);
    for (const auto& file : before) {
        const auto now = after.find(file.first);
        EXPECT_TRUE(now != after.end() && now->second == file.second)
            << file.first << " is not as the earlier installation left it";
    }
    for (const auto& file : after) EXPECT_TRUE(before.count(file.first)) << file.first << " was left behind";
    EXPECT_EQ(ReadBytes(SettingsPath()), settingsBefore);
    DeleteTree(folder);
}

TEST_F(Journey, RecordCountsBeyondTheRecordsThereAreClipped) {
    // The counts are believed only as far as the records exist.
    WritePrivateProfileStringA("UNINSTALL", nullptr, nullptr, "Tavirsel.INI");
    const struct {
        const char* key;
        const char* value;
    } section[] = {
        {"FILENUM", "2000000000"}, {"FILE1", "C:\\a.txt"},  {"FILE3", "C:\\c.txt"},
        {"FILE2000000000", "C:\\far.txt"}, {"PATHNUM", "2147483647"}, {"DIR1", "C:\\d"},
    };
    for (const auto& entry : section) WritePrivateProfileStringA("UNINSTALL", entry.key, entry.value, "Tavirsel.INI");
    FlushSettings();
    install::Records records = install::ReadRecords();
    EXPECT_EQ(records.files, (std::vector<std::string>{"C:\\a.txt", "C:\\c.txt"}));
    EXPECT_EQ(records.dirs, (std::vector<std::string>{"C:\\d"}));
    records.files.pop_back();
    records.dirs.clear();
    install::WriteRecords(records);
    FlushSettings();
    EXPECT_EQ(Setting("UNINSTALL", "FILENUM"), "1");
    EXPECT_EQ(Setting("UNINSTALL", "PATHNUM"), "0");
    EXPECT_EQ(Setting("UNINSTALL", "FILE3"), "");
    EXPECT_EQ(Setting("UNINSTALL", "DIR1"), "");
    ForgetInstallation();

    // Both programs read such counts: a reinstallation and the removal
    // still finish and take everything away.
    auto swellCounts = [] {
        WritePrivateProfileStringA("UNINSTALL", "FILENUM", "2000000000", "Tavirsel.INI");
        WritePrivateProfileStringA("UNINSTALL", "PATHNUM", "2147483647", "Tavirsel.INI");
        FlushSettings();
    };
    ASSERT_EQ(Install(kDefaultDestination), 0);
    swellCounts();
    ASSERT_EQ(Install(kDefaultDestination), 0);
    swellCounts();
    ASSERT_EQ(Uninstall(), 0);
    EXPECT_TRUE(WaitForFolderGone("C:\\Quenlark"));
    EXPECT_FALSE(Exists(SettingsPath()));
}

TEST_F(Journey, AFileLockedAtRemovalTakesItsEmptiedFoldersAlongAtRestart) {
    ASSERT_EQ(Install(kDefaultDestination), 0);
    const std::string install = kDefaultDestination + "\\";
    HANDLE held = CreateFileA((install + "Kivaro.dll").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::string notice;
    ASSERT_EQ(Uninstall(nullptr, &notice), 0);
    EXPECT_THAT(notice, HasSubstr("Kivaro.dll"));
    // The companion has done its part once the uninstaller's file is gone.
    for (DWORD wait = GetTickCount(); Exists(install + "REMOVE32.EXE") && GetTickCount() - wait < 15000;) Sleep(20);
    std::string pending;
    for (DWORD wait = GetTickCount(); GetTickCount() - wait < 15000; Sleep(20)) {
        pending = PendingAtRestart();
        if (pending.find("c:\\quenlark|") != std::string::npos) break;
    }
    CloseHandle(held);
    // The file, then the installation folder, then the parent setup made.
    const size_t file = pending.find("c:\\quenlark\\ommavu\\kivaro.dll|");
    const size_t folder = pending.find("c:\\quenlark\\ommavu|");
    const size_t parent = pending.find("c:\\quenlark|");
    ASSERT_NE(file, std::string::npos) << pending;
    ASSERT_NE(folder, std::string::npos) << pending;
    ASSERT_NE(parent, std::string::npos) << pending;
    EXPECT_LT(file, folder) << pending;
    EXPECT_LT(folder, parent) << pending;
    // Nothing else is left in the folder to stop it going.
    EXPECT_EQ(Contents(kDefaultDestination).size(), 1u);
    ForgetPendingAtRestart();
}

TEST_F(Journey, RemovalFromAFolderAlreadyInUseTakesOnlyWhatItInstalled) {
    // Like the user's profile: files and folders of the user's, empty ones
    // too, before anything is installed there.
    const std::string home = "C:\\Populated";
    for (const char* dir : {"", "\\Empty", "\\Nested", "\\Nested\\Deeper", "\\Docs"})
        CreateDirectoryA((home + dir).c_str(), nullptr);
    WriteBytes(home + "\\notes.txt", "mine");
    WriteBytes(home + "\\Docs\\letter.txt", "mine too");
    const std::map<std::string, std::string> before = Contents(home);

    ASSERT_EQ(Install(home), 0);
    FlushSettings();
    for (const std::string& dir : install::ReadRecords().dirs)
        EXPECT_FALSE(install::IsSameOrInside(install::NormalizePath(dir), home)) << dir << " was there before";
    MakeCache(home, 20);
    ASSERT_EQ(Uninstall(), 0);
    for (DWORD wait = GetTickCount();
         (Exists(home + "\\REMOVE32.EXE") || Exists(home + "\\REMOVE16.EXE")) && GetTickCount() - wait < 15000;)
        Sleep(20);

    const std::map<std::string, std::string> after = Contents(home);
    for (const auto& entry : before) EXPECT_TRUE(after.count(entry.first)) << entry.first << " was removed";
    for (const auto& entry : after)
        EXPECT_TRUE(before.count(entry.first) && before.at(entry.first) == entry.second) << entry.first << " changed";
    EXPECT_FALSE(Exists(install::GroupFolder("Quenlark Ommavu")));
    EXPECT_FALSE(Exists(SettingsPath()));
    DeleteTree(home);
}

}  // namespace
