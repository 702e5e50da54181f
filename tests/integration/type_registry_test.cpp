// Registration sequences on scratch roots, compared by export: what the user
// had before must be what is there after unregistering.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "registry.h"
#include "type_registry.h"

namespace {

constexpr char kScratch[] = "Software\\OmmavuTests\\TypeRegistry";
constexpr char kProgram[] = "C:\\Program Files\\Ommavu\\Tavirsel.exe";
constexpr char kVerb[] = "Browser with Ommavo";

// Two scratch keys standing in for HKEY_CLASSES_ROOT and HKEY_LOCAL_MACHINE.
class Scratch : public ::testing::Test {
protected:
    void SetUp() override {
        registry::DeleteTree(HKEY_CURRENT_USER, kScratch);
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, (std::string(kScratch) + "\\Classes").c_str(), 0,
                                                 nullptr, 0, KEY_ALL_ACCESS, nullptr, &classes, nullptr));
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, (std::string(kScratch) + "\\Machine").c_str(), 0,
                                                 nullptr, 0, KEY_ALL_ACCESS, nullptr, &machine, nullptr));
    }
    void TearDown() override {
        RegCloseKey(classes);
        RegCloseKey(machine);
        registry::DeleteTree(HKEY_CURRENT_USER, kScratch);
    }
    void Put(const char* key, const char* name, const char* value) {
        ASSERT_TRUE(registry::WriteString(classes, key, name, value)) << key;
    }
    std::string Value(const char* key, const char* name = nullptr) {
        std::string value;
        return registry::ReadString(classes, key, name, &value) ? value : "<missing>";
    }
    bool Register(const char* tag, bool withExtension = true, const char* program = kProgram) {
        TypeRegistration type{tag, "Joint Photographic Experts Group", TypeIconIndex("JPEG"), kVerb, program,
                              withExtension};
        return RegisterPictureType(classes, type);
    }
    std::string Classes() { return registry::Export(classes, nullptr); }
    std::string Machine() { return registry::Export(machine, nullptr); }

    HKEY classes = nullptr;
    HKEY machine = nullptr;
};

// What another program left for .JPG: an owner, a content type, a ShellNew
// entry, an open-with list, and a class named like the bare tag.
void ForeignJpeg(HKEY classes, const char* owner) {
    if (owner) {
        ASSERT_TRUE(registry::WriteString(classes, ".JPG", nullptr, owner));
    }
    ASSERT_TRUE(registry::WriteString(classes, ".JPG", "Content Type", "image/jpeg"));
    ASSERT_TRUE(registry::WriteString(classes, ".JPG\\ShellNew", "NullFile", ""));
    ASSERT_TRUE(registry::WriteString(classes, ".JPG\\OpenWithList\\paint.exe", nullptr, ""));
    ASSERT_TRUE(registry::WriteString(classes, "JPG", nullptr, "Another program's class"));
    ASSERT_TRUE(registry::WriteString(classes, "jpegfile\\shell\\open\\command", nullptr, "paint.exe \"%1\""));
}

TEST_F(Scratch, RegisterTwiceThenUnregisterRestoresWhatWasThere) {
    struct Case {
        const char* what;
        const char* owner;       // previous default of .JPG; null for none
        bool foreignKeys;        // other programs' values and sub-keys around it
    } cases[] = {
        {"foreign owner with its own keys", "jpegfile", true},
        {"no owner but other keys in .JPG", nullptr, true},
        {"nothing at all", nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        registry::DeleteTree(classes, ".JPG");
        registry::DeleteTree(classes, "JPG");
        registry::DeleteTree(classes, "jpegfile");
        if (c.foreignKeys) ForeignJpeg(classes, c.owner);
        const std::string before = Classes();

        ASSERT_TRUE(Register("JPG"));
        EXPECT_EQ("Tavirsel_JPG", Value(".JPG"));
        EXPECT_EQ(c.owner ? c.owner : "<missing>", Value("TavirselSaveOld\\.JPG"));
        // A second OK must not take our own class for the previous owner.
        ASSERT_TRUE(Register("JPG"));
        EXPECT_EQ(c.owner ? c.owner : "<missing>", Value("TavirselSaveOld\\.JPG"));
        EXPECT_TRUE(IsRegisteredToUs(classes, "JPG", kProgram));

        ASSERT_TRUE(UnregisterPictureType(classes, "JPG"));
        EXPECT_EQ(before, Classes());
        EXPECT_FALSE(IsRegisteredToUs(classes, "JPG", kProgram));
    }
}

TEST_F(Scratch, RegisteredKeysAreTheClassIconVerbsAndHandlers) {
    ASSERT_TRUE(Register("JPG"));
    const std::string command = "\"C:\\Program Files\\Ommavu\\Tavirsel.exe\" /SHARE \"%1\"";
    EXPECT_EQ("[]\n"
              "[.JPG]\n"
              "@=\"Tavirsel_JPG\"\n"
              "[Tavirsel_JPG]\n"
              "@=\"Joint Photographic Experts Group\"\n"
              "[Tavirsel_JPG\\defaultIcon]\n"
              "@=\"C:\\\\Program Files\\\\Ommavu\\\\Tavirsel.exe,10\"\n"
              "[Tavirsel_JPG\\Shell]\n"
              "[Tavirsel_JPG\\Shell\\Browser with Ommavo]\n"
              "[Tavirsel_JPG\\Shell\\Browser with Ommavo\\command]\n"
              "@=\"\\\"C:\\\\Program Files\\\\Ommavu\\\\Tavirsel.exe\\\" /SHARE \\\"%1\\\"\"\n"
              "[Tavirsel_JPG\\Shell\\open]\n"
              "[Tavirsel_JPG\\Shell\\open\\command]\n"
              "@=\"\\\"C:\\\\Program Files\\\\Ommavu\\\\Tavirsel.exe\\\" /SHARE \\\"%1\\\"\"\n"
              "[Tavirsel_JPG\\shellex]\n"
              "[Tavirsel_JPG\\shellex\\ContextMenuHandlers]\n"
              "@=\"IconMenu\"\n"
              "[Tavirsel_JPG\\shellex\\ContextMenuHandlers\\IconMenu]\n"
              "@=\"{3c9e51a7-6b20-4f8d-9a31-52d7e0c4b816}\"\n"
              "[Tavirsel_JPG\\shellex\\IconHandler]\n"
              "@=\"{3c9e51a7-6b20-4f8d-9a31-52d7e0c4b816}\"\n"
              "[Tavirsel_JPG\\shellex\\PropertySheetHandlers]\n"
              "@=\"IconPage\"\n"
              "[Tavirsel_JPG\\shellex\\PropertySheetHandlers\\IconPage]\n"
              "@=\"{3c9e51a7-6b20-4f8d-9a31-52d7e0c4b816}\"\n",
              Classes());
    char buffer[300];
    ASSERT_TRUE(GetTypeOpenCommand(classes, "JPG", buffer, sizeof buffer));
    EXPECT_EQ(command, buffer);
    EXPECT_FALSE(GetTypeOpenCommand(classes, "JPG", buffer, 10)) << "a command that does not fit";
}

TEST_F(Scratch, PicToIconOffWritesNoHandlersAndDropsEarlierOnes) {
    ASSERT_TRUE(Register("JPG", true));
    ASSERT_TRUE(registry::KeyExists(classes, "Tavirsel_JPG\\shellex\\IconHandler"));
    ASSERT_TRUE(Register("JPG", false));
    EXPECT_FALSE(registry::KeyExists(classes, "Tavirsel_JPG\\shellex"));
    EXPECT_EQ(std::string::npos, Classes().find("shellex"));
    EXPECT_TRUE(registry::KeyExists(classes, "Tavirsel_JPG\\Shell\\open\\command"));
}

TEST_F(Scratch, ExtensionClassAndApprovalFollowTheMachinesApprovedList) {
    for (bool approvedList : {true, false}) {
        SCOPED_TRACE(approvedList ? "approved list present" : "approved list absent");
        registry::DeleteTree(machine, "SOFTWARE");
        if (approvedList) {
            ASSERT_TRUE(registry::WriteString(machine, kApprovedExtensionsKey, "{other}", "Other"));
        }
        const std::string machineBefore = Machine(), classesBefore = Classes();

        ASSERT_TRUE(RegisterShellExtension(classes, machine, "C:\\Program Files\\Ommavu\\"));
        const std::string key = std::string("CLSID\\") + kIconExtensionClassId;
        EXPECT_EQ("Shell ICON Extension", Value(key.c_str()));
        EXPECT_EQ("C:\\Program Files\\Ommavu\\Kivaro.dll", Value((key + "\\InProcServer32").c_str()));
        EXPECT_EQ("Apartment", Value((key + "\\InProcServer32").c_str(), "ThreadingModel"));
        std::string approval;
        EXPECT_EQ(approvedList,
                  registry::ReadString(machine, kApprovedExtensionsKey, kIconExtensionClassId, &approval));
        if (approvedList) {
            EXPECT_EQ("Shell ICON Extension", approval);
        } else {
            EXPECT_FALSE(registry::KeyExists(machine, "SOFTWARE")) << "no approved list is made up";
        }

        ASSERT_TRUE(UnregisterShellExtension(classes, machine));
        EXPECT_EQ(machineBefore, Machine());
        EXPECT_EQ("[]\n[CLSID]\n", Classes()) << "the CLSID folder itself stays";
        registry::DeleteTree(classes, "CLSID");
        EXPECT_EQ(classesBefore, Classes());
    }
}

TEST_F(Scratch, DamagedOrStaleStateIsNeverRestoredAsOwner) {
    struct Case {
        const char* what;
        const char* backup;          // what an earlier version left as backup
        const char* ownerAtUnregister;
        const char* expectedOwner;   // .JPG's default afterwards
    } cases[] = {
        // An older version backed up our own class on a second OK.
        {"backup naming our class", "Tavirsel_JPG", "Tavirsel_JPG", "<missing>"},
        // Another program took .JPG over since: it keeps it.
        {"extension taken over meanwhile", "jpegfile", "pngfile", "pngfile"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        registry::DeleteTree(classes, ".JPG");
        Put("TavirselSaveOld\\.JPG", nullptr, c.backup);
        Put(".JPG", nullptr, c.ownerAtUnregister);
        Put("Tavirsel_JPG", nullptr, "ours");
        ASSERT_TRUE(UnregisterPictureType(classes, "JPG"));
        EXPECT_EQ(c.expectedOwner, Value(".JPG"));
        EXPECT_FALSE(registry::KeyExists(classes, "TavirselSaveOld"));
        EXPECT_FALSE(registry::KeyExists(classes, "Tavirsel_JPG"));
    }
    // Registering over a backup of our own class records the owner of now.
    Put(".JPG", nullptr, "pngfile");
    Put("TavirselSaveOld\\.JPG", nullptr, "Tavirsel_JPG");
    ASSERT_TRUE(Register("JPG"));
    EXPECT_EQ("pngfile", Value("TavirselSaveOld\\.JPG"));
}

TEST_F(Scratch, ExtensionStaysWithItsOwnerWhenTheBackupCannotBeWritten) {
    Put(".JPG", nullptr, "jpegfile");
    // Sub-keys of a volatile key must be volatile: the backup is refused.
    HKEY refusing = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(classes, "TavirselSaveOld", 0, nullptr, REG_OPTION_VOLATILE,
                                             KEY_ALL_ACCESS, nullptr, &refusing, nullptr));
    RegCloseKey(refusing);
    EXPECT_FALSE(Register("JPG")) << "reported as a failure";
    EXPECT_EQ("jpegfile", Value(".JPG")) << "the owner is not lost";
    EXPECT_EQ("<missing>", Value("TavirselSaveOld\\.JPG"));
}

TEST_F(Scratch, OpenCommandIsOursInEitherFormAndEitherPathSpelling) {
    // A real folder with a blank, so that short and long names exist.
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string folder = std::string(temp) + "Ommavu Program Folder";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string program = folder + "\\Tavirsel.exe";
    HANDLE file = CreateFileA(program.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    CloseHandle(file);
    char shortBuffer[MAX_PATH];
    ASSERT_NE(0u, GetShortPathNameA(program.c_str(), shortBuffer, sizeof shortBuffer));
    const std::string shortPath = shortBuffer;
    ASSERT_NE(program, shortPath);
    std::string upper = program;
    CharUpperA(&upper[0]);

    struct Case {
        std::string command;
        bool ours;
    } cases[] = {
        {"\"" + program + "\" /SHARE \"%1\"", true},
        {program + " /SHARE %1", true},                       // older unquoted form
        {shortPath + " /SHARE %1", true},                     // short path, unquoted
        {"\"" + shortPath + "\" /SHARE \"%1\"", true},        // short path, quoted
        {"\"" + upper + "\" /SHARE \"%1\"", true},            // case ignored
        {program, true},
        {"\"" + folder + "\\Tavirsel.exe.bak\" \"%1\"", false},
        {program + "x /SHARE %1", false},
        {"\"" + folder + "\" \"%1\"", false},
        {"\"" + program, false},                               // unclosed quote
        {"paint.exe \"%1\"", false},
        {"", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.ours, CommandStartsProgram(c.command.c_str(), program.c_str())) << c.command;
        EXPECT_EQ(c.ours, CommandStartsProgram(c.command.c_str(), shortPath.c_str())) << c.command << " (short)";
        Put(".PNG", nullptr, "pngfile");
        Put("pngfile\\shell\\open\\command", nullptr, c.command.c_str());
        EXPECT_EQ(c.ours && !c.command.empty(), IsRegisteredToUs(classes, "PNG", program.c_str())) << c.command;
    }
    DeleteFileA(program.c_str());
    RemoveDirectoryA(folder.c_str());
}

TEST_F(Scratch, UninstallUndoesEveryTypeAndTheExtension) {
    ForeignJpeg(classes, "jpegfile");
    Put(".BMP", nullptr, "Paint.Picture");
    Put("CLSID\\{other}", nullptr, "someone else's class");
    ASSERT_TRUE(registry::WriteString(machine, kApprovedExtensionsKey, "{other}", "Other"));
    const std::string before = Classes(), machineBefore = Machine();

    for (const char* tag : {"JPG", "BMP", "PNG", "TIF"}) ASSERT_TRUE(Register(tag)) << tag;
    ASSERT_TRUE(RegisterShellExtension(classes, machine, "C:\\Ommavu\\"));
    // Damage: a class lost while its extension still names it.
    ASSERT_TRUE(registry::DeleteTree(classes, "Tavirsel_TIF"));
    ASSERT_TRUE(UnregisterAllPictureTypes(classes, machine));
    EXPECT_EQ(before, Classes());
    EXPECT_EQ(machineBefore, Machine());
}

TEST(TypeIcons, ModuleChoosesTheIconGroup) {
    struct Case {
        const char* module;
        int index;
    } cases[] = {{"BMP", 7}, {"jpeg", 10}, {"TIFF", 17}, {"YUV", 19}, {"GRAY", 38}, {"JPG", 6}, {"", 6},
                 {nullptr, 6}};
    for (const Case& c : cases) EXPECT_EQ(c.index, TypeIconIndex(c.module)) << (c.module ? c.module : "(null)");
}

TEST(RegistryHelpers, SizedReadsAndRecursiveDelete) {
    const std::string root = std::string(kScratch) + "\\Helpers";
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, root.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                             &key, nullptr));
    // A value longer than any fixed buffer, and one stored without its zero.
    const std::string lengthy(5000, 'x');
    ASSERT_TRUE(registry::WriteString(key, "a\\b\\c", "long", lengthy.c_str()));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "bare", 0, REG_SZ, reinterpret_cast<const BYTE*>("abc"), 3));
    std::string value;
    ASSERT_TRUE(registry::ReadString(key, "a\\b\\c", "long", &value));
    EXPECT_EQ(lengthy, value);
    ASSERT_TRUE(registry::ReadString(key, nullptr, "bare", &value));
    EXPECT_EQ("abc", value);
    char small[4];
    EXPECT_FALSE(registry::ReadString(key, "a\\b\\c", "long", small, sizeof small));
    EXPECT_STREQ("", small);
    EXPECT_TRUE(registry::ReadString(key, nullptr, "bare", small, sizeof small));
    EXPECT_FALSE(registry::ReadString(key, "a\\missing", nullptr, &value));

    EXPECT_FALSE(registry::DeleteKeyIfEmpty(key, "a\\b")) << "holds a sub-key";
    EXPECT_FALSE(registry::DeleteTree(key, "")) << "the root is never deleted";
    EXPECT_TRUE(registry::DeleteTree(key, "a"));
    EXPECT_FALSE(registry::KeyExists(key, "a"));
    EXPECT_TRUE(registry::DeleteTree(key, "a")) << "already gone";
    RegCloseKey(key);
    registry::DeleteTree(HKEY_CURRENT_USER, kScratch);
}

}  // namespace
