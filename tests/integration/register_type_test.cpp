// The Register Picture Type dialog driven through its controls over the real
// type table, Wine's real registry and settings file; then the shell opening
// a registered picture starts the viewer with it.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "dialog_driver.h"
#include "list_view_text.h"
#include "load.h"
#include "picture_types.h"
#include "program.h"
#include "register_type_dialog.h"
#include "registry.h"
#include "resource_ids.h"
#include "settings.h"
#include "shell_test_files.h"
#include "type_registry.h"

namespace {

std::string ViewerPath() {
    char full[MAX_PATH];
    GetFullPathNameA(Beside("..\\bin\\Tavirsel.exe").c_str(), sizeof full, full, nullptr);
    return full;
}

// The registry as far as registration can touch it, as text: the extension
// keys of the types the test ticks, our classes, the backups, the extension's
// class and its approval.
std::string Snapshot() {
    std::string text;
    for (const char* key : {".JPG", ".PNG", ".ICO", "Tavirsel_JPG", "Tavirsel_PNG", "Tavirsel_ICO",
                            "TavirselSaveOld", "CLSID\\{3c9e51a7-6b20-4f8d-9a31-52d7e0c4b816}"})
        text += std::string("== ") + key + "\n" + registry::Export(HKEY_CLASSES_ROOT, key);
    std::string approval;
    if (registry::ReadString(HKEY_LOCAL_MACHINE, kApprovedExtensionsKey, kIconExtensionClassId, &approval))
        text += "approved=" + approval + "\n";
    return text;
}

int RowOf(HWND list, const char* tag) {
    const int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < rows; ++i)
        if (lstrcmpiA(ListItemText(list, i).c_str(), tag) == 0) return i;
    return -1;
}

bool RowTicked(HWND list, int row) {
    return (SendMessageA(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK) ==
           INDEXTOSTATEIMAGEMASK(2);
}

// Selects exactly the rows of the given tags.
Driver::Step SelectRows(std::vector<const char*> tags) {
    return [tags](HWND d) {
        HWND list = GetDlgItem(d, IDC_TYPE_LIST);
        LVITEMA none = {};
        none.stateMask = LVIS_SELECTED;
        SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
        for (const char* tag : tags) {
            LVITEMA item = {};
            item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessageA(list, LVM_SETITEMSTATE, RowOf(list, tag), reinterpret_cast<LPARAM>(&item));
        }
    };
}

COLORREF g_chosenColor = 0;
bool AnswerColor(HWND, COLORREF* color) {
    *color = g_chosenColor;
    return true;
}

class RegisterTypeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        InitCommonControls();
        SetUpProgramState();
        ASSERT_TRUE(EnsureImageLibrary());
        BuildPictureTypes(ImageLibrary());
        settings::EnsureTypeColorDefaults();
        ApplyPictureTypeColors(settings::ReadAllTypeColors());
        SetTypeColorAsker(AnswerColor);
    }
    static void TearDownTestSuite() { SetTypeColorAsker(nullptr); }
};

TEST_F(RegisterTypeTest, OkRegistersTheTickedTypesAndASecondOkGivesThemBack) {
    // Another program owns .JPG; nobody owns .PNG.
    ASSERT_TRUE(registry::WriteString(HKEY_CLASSES_ROOT, ".JPG", nullptr, "OtherViewer.jpg"));
    ASSERT_TRUE(registry::WriteString(HKEY_CLASSES_ROOT, "OtherViewer.jpg\\shell\\open\\command", nullptr,
                                      "other.exe \"%1\""));
    registry::DeleteTree(HKEY_CLASSES_ROOT, ".PNG");
    Put("PicToIcon", "1", "SETTINGS");
    const std::string before = Snapshot();
    const std::string viewer = ViewerPath();

    // A type whose files hold icon resources or pages: tickable, never given
    // to us.
    const char* iconType = nullptr;
    for (const PictureType& type : PictureTypes())
        if ((type.capabilities & (kTypeFlag2 | kTypeFlag4)) && lstrcmpiA(type.name, "ICO") == 0) iconType = type.name;
    ASSERT_NE(nullptr, iconType) << "the library's ICO type holds icon resources";

    std::string headings, sampleText;
    int rows = 0;
    bool picToIconBox = false, iconShown = false;
    COLORREF listBack = 0;
    Driver first(IDC_TYPE_LIST);
    first.Then([&](HWND d) {
             HWND list = GetDlgItem(d, IDC_TYPE_LIST);
             rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
             for (int c = 0; c < 6; ++c) headings += ListHeading(list, c) + "@";
             picToIconBox = Checked(d, IDC_TYPE_PIC_TO_ICON);
             iconShown = SendDlgItemMessageA(d, IDC_TYPE_ICON, STM_GETICON, 0, 0) != 0;
             listBack = static_cast<COLORREF>(SendMessageA(list, LVM_GETBKCOLOR, 0, 0));
             const int jpg = RowOf(list, "JPG");
             sampleText = ListItemText(list, jpg, 1) + "|" + ListItemText(list, jpg, 2) + "|" +
                          ListItemText(list, jpg, 3);
         })
        .Click(IDC_TYPE_CLEAR_ALL)
        .Then(SelectRows({"JPG", "PNG", "ICO"}))
        .Click(IDC_TYPE_REGISTER_SELECTED)
        .Press(IDOK);
    RegisterTypeResult result;
    bool ok = false;
    first.Run([&] { ok = ShowRegisterTypeDialog(nullptr, viewer.c_str(), &result); });
    ASSERT_FALSE(first.timedOut);
    ASSERT_TRUE(ok);
    EXPECT_TRUE(first.boxes.empty()) << first.boxes.front();
    EXPECT_EQ(static_cast<int>(PictureTypes().size()), rows);
    EXPECT_EQ("Format@Type@Read@Write@ZoomThumb@Description@", headings);
    EXPECT_TRUE(picToIconBox);
    EXPECT_TRUE(iconShown) << "the selected row's type icon";
    EXPECT_EQ(RGB(0, 128, 128), listBack);
    EXPECT_EQ("JPEG|Read|Write", sampleText);
    EXPECT_EQ(2, result.registered);
    EXPECT_EQ("", result.failedTypes);

    std::string value;
    registry::ReadString(HKEY_CLASSES_ROOT, ".JPG", nullptr, &value);
    EXPECT_EQ("Tavirsel_JPG", value);
    registry::ReadString(HKEY_CLASSES_ROOT, "TavirselSaveOld\\.JPG", nullptr, &value);
    EXPECT_EQ("OtherViewer.jpg", value);
    char command[600];
    ASSERT_TRUE(GetTypeOpenCommand(HKEY_CLASSES_ROOT, "PNG", command, sizeof command));
    EXPECT_EQ("\"" + viewer + "\" /SHARE \"%1\"", command);
    EXPECT_TRUE(registry::KeyExists(HKEY_CLASSES_ROOT, "Tavirsel_PNG\\shellex\\IconHandler"));
    EXPECT_TRUE(registry::KeyExists(HKEY_CLASSES_ROOT, "CLSID\\{3c9e51a7-6b20-4f8d-9a31-52d7e0c4b816}\\InProcServer32"));
    EXPECT_FALSE(registry::KeyExists(HKEY_CLASSES_ROOT, "Tavirsel_ICO")) << "ticked but never registered";
    EXPECT_EQ(std::to_string(PictureTypes().size()), Raw("Number", "TYPECOLOR"));

    // Opening again shows exactly those two ticked; clearing them and turning
    // the extension off gives everything back.
    std::vector<std::string> ticked;
    Driver second(IDC_TYPE_LIST);
    second.Then([&](HWND d) {
              HWND list = GetDlgItem(d, IDC_TYPE_LIST);
              for (int i = 0; i < static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); ++i)
                  if (RowTicked(list, i)) ticked.push_back(ListItemText(list, i));
          })
        .Click(IDC_TYPE_CLEAR_ALL)
        .Click(IDC_TYPE_PIC_TO_ICON)
        .Press(IDOK);
    second.Run([&] { ok = ShowRegisterTypeDialog(nullptr, viewer.c_str(), &result); });
    ASSERT_TRUE(ok);
    EXPECT_EQ((std::vector<std::string>{"JPG", "PNG"}), ticked);
    EXPECT_EQ(2, result.unregistered);
    EXPECT_EQ("0", Raw("PicToIcon", "SETTINGS"));
    EXPECT_EQ(before, Snapshot());
    registry::DeleteTree(HKEY_CLASSES_ROOT, "OtherViewer.jpg");
    registry::DeleteTree(HKEY_CLASSES_ROOT, ".JPG");
}

TEST_F(RegisterTypeTest, ChangedColourStaysForTheRunAndReachesTheFileOnlyOnOk) {
    const PictureType* png = FindPictureType("PNG");
    ASSERT_NE(nullptr, png);
    const std::string viewer = ViewerPath();
    Put("PNG", nullptr, "TYPECOLOR");
    const HBRUSH* brushField = &png->brush;
    for (bool pressOk : {false, true}) {
        SCOPED_TRACE(pressOk ? "OK" : "Cancel");
        g_chosenColor = pressOk ? RGB(0x12, 0x34, 0x56) : RGB(0x65, 0x43, 0x21);
        COLORREF sample = 0;
        Driver driver(IDC_TYPE_LIST);
        driver.Then(SelectRows({"PNG"}))
            .Click(IDC_TYPE_CHANGE_COLOR)
            .Then([&](HWND d) { sample = PreviewMiddle(d, IDC_TYPE_COLOR_SAMPLE); })
            .Press(pressOk ? IDOK : IDCANCEL);
        RegisterTypeResult result;
        // Keep the registration as it is: OK re-registers what is ticked.
        driver.Run([&] { ShowRegisterTypeDialog(nullptr, viewer.c_str(), &result); });
        ASSERT_FALSE(driver.timedOut);
        EXPECT_EQ(g_chosenColor, sample) << "the sample shows the new colour";
        EXPECT_EQ(g_chosenColor, png->color) << "kept in the table for this run";
        LOGBRUSH logical = {};
        GetObjectA(*brushField, sizeof logical, &logical);
        EXPECT_EQ(g_chosenColor, logical.lbColor) << "items pointing at the brush field see the new brush";
        EXPECT_EQ(pressOk ? "0x563412" : "<none>", Raw("PNG", "TYPECOLOR"));
        EXPECT_EQ(pressOk, result.colorsChanged);
    }
}

// A key the registry refuses to extend: sub-keys of a volatile key must be
// volatile too, so the class key's icon and verbs cannot be written.
void MakeRefusingClassKey(HKEY root, const char* name) {
    registry::DeleteTree(root, name);
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(root, name, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegCloseKey(key);
}

TEST_F(RegisterTypeTest, TypesTheRegistryRefusesAreNamedInOneMessage) {
    const std::string viewer = ViewerPath();
    MakeRefusingClassKey(HKEY_CLASSES_ROOT, "Tavirsel_PNG");
    MakeRefusingClassKey(HKEY_CLASSES_ROOT, "Tavirsel_GIF");
    Driver driver(IDC_TYPE_LIST);
    driver.Click(IDC_TYPE_CLEAR_ALL).Then(SelectRows({"PNG", "GIF", "BMP"})).Click(IDC_TYPE_REGISTER_SELECTED).Press(IDOK);
    RegisterTypeResult result;
    driver.Run([&] { ShowRegisterTypeDialog(nullptr, viewer.c_str(), &result); });
    ASSERT_FALSE(driver.timedOut);
    ASSERT_EQ(1u, driver.boxes.size());
    EXPECT_NE(std::string::npos, driver.boxes[0].find("GIF, PNG")) << driver.boxes[0];
    EXPECT_EQ("GIF, PNG", result.failedTypes);
    EXPECT_EQ(1, result.registered);
    for (const char* tag : {"PNG", "GIF", "BMP"}) EXPECT_TRUE(UnregisterPictureType(HKEY_CLASSES_ROOT, tag)) << tag;
}

// A dangling registry link under the extension's class: deleting follows the
// link and finds nothing, the link itself stays, and the class key, no longer
// empty, cannot be deleted.  `present` false removes the link.
void SetDanglingLinkInClass(bool present) {
    HKEY classKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, "CLSID\\{3c9e51a7-6b20-4f8d-9a31-52d7e0c4b816}", 0,
                                             nullptr, 0, KEY_ALL_ACCESS, nullptr, &classKey, nullptr));
    HKEY link = nullptr;
    if (present) {
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(classKey, "Dangling", 0, nullptr, REG_OPTION_CREATE_LINK,
                                                 KEY_ALL_ACCESS, nullptr, &link, nullptr));
        const std::wstring target = L"\\Registry\\Machine\\Software\\OmmavuNoSuchKey";
        EXPECT_EQ(ERROR_SUCCESS, RegSetValueExW(link, L"SymbolicLinkValue", 0, REG_LINK,
                                                reinterpret_cast<const BYTE*>(target.c_str()),
                                                static_cast<DWORD>(target.size() * sizeof(wchar_t))));
    } else if (RegOpenKeyExA(classKey, "Dangling", REG_OPTION_OPEN_LINK, KEY_ALL_ACCESS, &link) == ERROR_SUCCESS) {
        EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyA(link, ""));
    }
    if (link) RegCloseKey(link);
    RegCloseKey(classKey);
}

TEST_F(RegisterTypeTest, AnExtensionClassThatCannotBeRemovedIsNamed) {
    const std::string viewer = ViewerPath();
    Put("PicToIcon", "0", "SETTINGS");
    SetDanglingLinkInClass(true);
    Driver driver(IDC_TYPE_LIST);
    driver.Click(IDC_TYPE_CLEAR_ALL).Press(IDOK);
    RegisterTypeResult result;
    driver.Run([&] { ShowRegisterTypeDialog(nullptr, viewer.c_str(), &result); });
    SetDanglingLinkInClass(false);
    EXPECT_TRUE(UnregisterShellExtension(HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE));
    ASSERT_FALSE(driver.timedOut);
    ASSERT_EQ(1u, driver.boxes.size());
    EXPECT_NE(std::string::npos, driver.boxes[0].find(kIconExtensionFile)) << driver.boxes[0];
    EXPECT_EQ(kIconExtensionFile, result.failedTypes);
}

// A window standing in for a running shared viewer: the started viewer hands
// its file over to it, which proves what it was started with.
std::vector<std::string> g_handedOver;
LRESULT CALLBACK SharedFrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        const COPYDATASTRUCT* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        g_handedOver.push_back(std::string(static_cast<const char*>(data->lpData), data->cbData - 1));
        return TRUE;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(RegisterTypeTest, ShellOpenOfARegisteredPictureStartsTheViewerWithIt) {
    const std::string viewer = ViewerPath();
    TypeRegistration jpg{"JPG", "JPEG", TypeIconIndex("JPEG"), "Browser with Ommavo", viewer.c_str(), false};
    ASSERT_TRUE(RegisterPictureType(HKEY_CLASSES_ROOT, jpg));
    const std::string picture = Beside("scratch register type\\x.jpg");
    CreateDirectoryA(Beside("scratch register type").c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(Beside("..\\samples\\photo.jpg").c_str(), picture.c_str(), FALSE));

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = SharedFrameProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "Ommavu[SHARE]";
    RegisterClassA(&windowClass);
    HWND shared = CreateWindowA("Ommavu[SHARE]", "Ommavu[SHARE]", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, shared);
    HANDLE running = CreateEventA(nullptr, FALSE, TRUE, "TAVIRSEL");  // signalled: hand over at once
    g_handedOver.clear();

    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpVerb = "open";
    info.lpFile = picture.c_str();
    info.nShow = SW_SHOWNORMAL;
    ASSERT_TRUE(ShellExecuteExA(&info)) << GetLastError();
    const DWORD start = GetTickCount();
    while (g_handedOver.empty() && GetTickCount() - start < 30000) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        Sleep(20);
    }
    if (info.hProcess) {
        if (WaitForSingleObject(info.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(info.hProcess, 1);
        CloseHandle(info.hProcess);
    }
    ASSERT_EQ(1u, g_handedOver.size());
    char longName[MAX_PATH];
    GetLongPathNameA(g_handedOver[0].c_str(), longName, sizeof longName);
    EXPECT_EQ(0, lstrcmpiA(picture.c_str(), longName)) << g_handedOver[0];

    DestroyWindow(shared);
    CloseHandle(running);
    EXPECT_TRUE(UnregisterPictureType(HKEY_CLASSES_ROOT, "JPG"));
    DeleteFileA(picture.c_str());
    RemoveDirectoryA(Beside("scratch register type").c_str());
}

}  // namespace

namespace {

// The alternative icon set moves the index only when the program has it; this
// program carries the regular set alone, so "OEM" must not send the shell to
// icon groups that do not exist.
TEST(TypeIconTest, OemSetIsUsedOnlyWhenTheProgramCarriesIt) {
    SetUpProgramState();
    HMODULE program = Program().mainModule;
    for (const char* oem : {static_cast<const char*>(nullptr), "Partner"}) {
        SCOPED_TRACE(oem ? oem : "no OEM");
        Put("OEM", oem, "INSTALL");
        struct Case {
            const char* module;
            int index;
        } cases[] = {{"JPEG", 10}, {"GRAY", 38}, {"NOSUCH", 6}};
        for (const Case& c : cases) {
            EXPECT_EQ(c.index, RegisteredTypeIconIndex(program, c.module)) << c.module;
            HICON icon = LoadTypeIcon(program, c.module);
            EXPECT_NE(nullptr, icon) << c.module;
            if (icon) DestroyIcon(icon);
        }
    }
    Put("OEM", nullptr, "INSTALL");
}

}  // namespace
