// The path rules the installer and the uninstaller share: which destinations
// are refused, which group names may become a folder, which records the
// uninstaller may act on, the companion's argument and the payload check.

#include "install_rules.h"

#include <gtest/gtest.h>

namespace {

using install::Destination;

constexpr char kWindows[] = "C:\\windows";

TEST(InstallRules, DestinationsThatCouldTakeTheDriveWithThemAreRefused) {
    const struct {
        const char* typed;
        Destination expected;
    } cases[] = {
        {"", Destination::kEmpty},
        {"   ", Destination::kEmpty},
        {"\\", Destination::kRoot},
        {"/", Destination::kRoot},
        {"C:\\", Destination::kRoot},
        {"c:/", Destination::kRoot},
        {"C:\\Quenlark\\..", Destination::kRoot},
        {"C:\\.", Destination::kRoot},
        {"C:", Destination::kNotFullPath},
        {"C:Ommavu", Destination::kNotFullPath},
        {"Ommavu", Destination::kNotFullPath},
        {"\\Ommavu", Destination::kNotFullPath},
        {"\\\\server\\share\\Ommavu", Destination::kNotFullPath},
        {"C:\\windows", Destination::kWindowsFolder},
        {"c:\\WINDOWS\\", Destination::kWindowsFolder},
        {"C:\\windows\\system32", Destination::kWindowsFolder},
        {"C:\\Quenlark\\..\\windows\\Ommavu", Destination::kWindowsFolder},
        {"C:\\windowsapps", Destination::kAccepted},
        {"C:\\Quenlark\\Ommavu", Destination::kAccepted},
        {"C:\\Program Files\\Quenlark Ommavu\\", Destination::kAccepted},
        {"D:\\Ommavu", Destination::kAccepted},
    };
    for (const auto& c : cases)
        EXPECT_EQ(static_cast<int>(install::CheckDestination(c.typed, kWindows)), static_cast<int>(c.expected))
            << "destination \"" << c.typed << "\"";
}

TEST(InstallRules, OnlyOnePlainComponentIsAGroupName) {
    const struct {
        const char* name;
        bool safe;
    } cases[] = {
        {"Quenlark Ommavu", true}, {"Quenlark Ommavu Pro", true}, {"Ommavu 2.0", true},
        {"", false},               {".", false},                  {"..", false},
        {" . ", false},            {"..\\..", false},             {"a\\b", false},
        {"a/b", false},            {"C:x", false},                {"*", false},
        {"a?b", false},            {"tab\there", false},
    };
    for (const auto& c : cases) EXPECT_EQ(install::IsSafeGroupName(c.name), c.safe) << "group \"" << c.name << "\"";
}

TEST(InstallRules, TheUninstallerActsOnlyInsideWhatTheInstallationOwns) {
    const std::string install = "C:\\Program Files\\Quenlark Ommavu\\";
    const std::string group = "C:\\ProgramData\\Start Menu\\Programs\\Quenlark Ommavu";
    const struct {
        const char* record;
        bool file;       // MayDeleteFile
        bool directory;  // MayRemoveDirectory
    } cases[] = {
        {"C:\\Program Files\\Quenlark Ommavu\\Tavirsel.exe", true, true},
        {"c:\\program files\\quenlark ommavu\\Sub\\x.dat", true, true},
        {"C:\\Program Files\\Quenlark Ommavu\\Cache\\*.*", true, false},
        {"C:\\Program Files\\Quenlark Ommavu\\*.*", false, false},
        {"C:\\Program Files\\Quenlark Ommavu", false, true},
        {"C:\\Program Files", false, true},  // a parent: removed only when empty
        {"C:\\", false, false},
        {"C:\\*.*", false, false},
        {"C:\\windows\\*.*", false, false},
        {"C:\\windows\\win.ini", false, false},
        {"C:\\Program Files\\Quenlark Ommavu\\..\\other.txt", false, false},
        {"C:\\Program Files\\Quenlark Ommavu Extra\\x.txt", false, false},
        {"C:\\Program Files\\Quenlark Ommavu\\..\\..\\Cache\\*.*", false, false},
        {"Tavirsel.exe", false, false},
        {"\\Program Files\\Quenlark Ommavu\\Tavirsel.exe", false, false},
        {"C:\\Program Files\\Quenlark Ommavu\\*.exe", false, false},
        {"C:\\ProgramData\\Start Menu\\Programs\\Quenlark Ommavu\\Remove Ommavu.lnk", true, true},
        {"C:\\ProgramData\\Start Menu\\Programs\\Quenlark Ommavu", false, true},
        {"C:\\ProgramData\\Start Menu\\Programs\\Quenlark Ommavu\\Cache\\*.*", false, false},
        {"C:\\ProgramData\\Start Menu\\Programs\\Other.lnk", false, false},
        {"C:\\ProgramData\\Start Menu\\Programs", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(install::MayDeleteFile(c.record, install, group), c.file) << "file record " << c.record;
        EXPECT_EQ(install::MayRemoveDirectory(c.record, install, group), c.directory) << "dir record " << c.record;
    }
    // Nothing is admitted when the installation folder is unknown or a root.
    EXPECT_FALSE(install::MayDeleteFile("C:\\x\\y.txt", "", ""));
    EXPECT_FALSE(install::MayDeleteFile("C:\\x\\y.txt", "C:\\", ""));
    EXPECT_FALSE(install::MayDeleteFile("C:\\x\\*.*", "C:\\", ""));
    EXPECT_FALSE(install::MayRemoveDirectory("C:\\x", "C:\\", "C:\\"));
}

TEST(InstallRules, TheQuickLaunchRecordIsOnlyEverAShortcut) {
    const struct {
        const char* record;
        bool allowed;
    } cases[] = {
        {"C:\\users\\me\\Quick Launch\\Quenlark Ommavu.lnk", true},
        {"C:\\QUICKL~1\\QUENLA~1.LNK", true},
        {"C:\\windows\\win.ini", false},
        {"C:\\users\\me\\Quick Launch\\*.lnk", false},
        {"Quenlark Ommavu.lnk", false},
        {"C:\\.lnk", false},
        {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(install::MayDeleteQuickLaunch(c.record), c.allowed) << c.record;
}

TEST(InstallRules, TheCompanionArgumentSplitsAtTheAtBeforeADrive) {
    const struct {
        const char* argument;
        bool ok;
        const char* program;
        const char* folder;
    } cases[] = {
        {"C:\\QUENLA~1\\REMOVE32.EXE@C:\\QUENLA~1", true, "C:\\QUENLA~1\\REMOVE32.EXE", "C:\\QUENLA~1"},
        {"C:\\A@B~1\\REMOVE32.EXE@C:\\A@B~1", true, "C:\\A@B~1\\REMOVE32.EXE", "C:\\A@B~1"},
        {"C:\\A@C:~1\\REMOVE32.EXE@D:\\X", true, "C:\\A@C:~1\\REMOVE32.EXE", "D:\\X"},
        {"  \"C:\\R\\REMOVE32.EXE@C:\\R\"  ", true, "C:\\R\\REMOVE32.EXE", "C:\\R"},
        {"C:\\R\\REMOVE32.EXE", false, "", ""},
        {"@C:\\R", false, "", ""},
        {"C:\\R\\REMOVE32.EXE@", false, "", ""},
        {"C:\\R\\REMOVE32.EXE@R", false, "", ""},
        {"", false, "", ""},
    };
    for (const auto& c : cases) {
        std::string program, folder;
        EXPECT_EQ(install::SplitCompanionArgument(c.argument, &program, &folder), c.ok) << c.argument;
        if (!c.ok) continue;
        EXPECT_EQ(program, c.program) << c.argument;
        EXPECT_EQ(folder, c.folder) << c.argument;
    }
}

TEST(InstallRules, APayloadShorterThanItsTableIsRefused) {
    const install::PayloadEntry table[] = {{"a.dll", 1000}, {"b.exe", 24}, {"c.txt", 0}};
    const install::PayloadEntry huge[] = {{"a", 0xFFFFFFF0u}, {"b", 0x20u}};
    const struct {
        const install::PayloadEntry* table;
        int count;
        DWORD resource;
        bool fits;
    } cases[] = {
        {table, 3, 1024, true},  {table, 3, 5000, true}, {table, 3, 1023, false},
        {table, 3, 0, false},    {table, 0, 0, true},    {huge, 2, 0xFFFFFFFFu, false},
    };
    for (const auto& c : cases) {
        DWORD total = 0;
        EXPECT_EQ(install::PayloadFits(c.table, c.count, c.resource, &total), c.fits)
            << c.count << " files in " << c.resource << " bytes";
    }
}

TEST(InstallRules, ProgressNeverDividesByZeroNorPassesTheEnd) {
    const struct {
        unsigned long long done, total;
        int steps;
    } cases[] = {
        {0, 0, 128},     {0, 100, 0},     {50, 100, 64},  {100, 100, 128},
        {200, 100, 128}, {1, 255, 0},     {0x7FFFFFFFFull, 0xFFFFFFFFFull, 63},
    };
    for (const auto& c : cases) EXPECT_EQ(install::ProgressSteps(c.done, c.total), c.steps) << c.done << "/" << c.total;
}

}  // namespace

namespace {

// The settings file holds the short form of the installation folder, the
// records hold long forms: both must name the same place.
TEST(InstallRules, ShortAndLongNamesOfAnExistingFolderAreTheSame) {
    char shortName[MAX_PATH] = "";
    ASSERT_GT(GetShortPathNameA("C:\\Program Files", shortName, sizeof shortName), 0u);
    const std::string shortInstall = std::string(shortName) + "\\Quenlark Ommavu\\";
    EXPECT_TRUE(install::MayDeleteFile("C:\\Program Files\\Quenlark Ommavu\\Tavirsel.exe", shortInstall, ""))
        << shortInstall;
    EXPECT_TRUE(install::MayDeleteFile(std::string(shortName) + "\\Quenlark Ommavu\\Cache\\*.*",
                                       "C:\\Program Files\\Quenlark Ommavu", ""));
    EXPECT_FALSE(install::MayDeleteFile(std::string(shortName) + "\\x.txt", shortInstall, ""));
}

TEST(InstallRules, TheQuickLaunchFolderAndItsCreatedParentsMayGoWhenEmpty) {
    const std::string quickLaunch = "C:\\users\\me\\AppData\\Roaming\\Microsoft\\Internet Explorer\\Quick Launch";
    const struct {
        const char* dir;
        bool allowed;
    } cases[] = {
        {"C:\\users\\me\\AppData\\Roaming\\Microsoft\\Internet Explorer\\Quick Launch", true},
        {"C:\\users\\me\\AppData\\Roaming\\Microsoft\\Internet Explorer", true},
        {"C:\\users\\me\\AppData\\Roaming\\Microsoft\\Internet Explorer\\Quick Launch\\x", true},
        {"C:\\users\\me\\AppData\\Roaming\\Microsoft\\Other", false},
        {"C:\\", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(install::MayRemoveDirectory(c.dir, "C:\\Quenlark\\Ommavu", "", quickLaunch), c.allowed) << c.dir;
}

}  // namespace
