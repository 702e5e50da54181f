// The program's resources and those of the language library: both are read
// by the same code, so they must agree in everything but their texts.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "commands.h"
#include "resource_ids.h"

namespace {

std::string BinFolder() {
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    std::string dir(exe);
    return dir.substr(0, dir.find_last_of('\\') + 1) + "..\\bin\\";
}

struct Module {
    const char* file;
    UINT codePage;  // of its texts
    HMODULE handle;
};

class ResourcesTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (Module& m : modules_) {
            m.handle = LoadLibraryExA((BinFolder() + m.file).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
            ASSERT_NE(nullptr, m.handle) << m.file;
        }
    }
    void TearDown() override {
        for (Module& m : modules_)
            if (m.handle) FreeLibrary(m.handle);
    }

    Module modules_[2] = {{"Tavirsel.exe", 1252, nullptr}, {"SHOW936.DLL", 936, nullptr}};
    const Module& program() const { return modules_[0]; }
    const Module& language() const { return modules_[1]; }
};

std::vector<BYTE> RawResource(HMODULE module, UINT id, LPCSTR type) {
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type);
    if (!found) return {};
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    return std::vector<BYTE>(data, data + SizeofResource(module, found));
}

std::wstring String(HMODULE module, UINT id) {
    const wchar_t* text = nullptr;
    int n = LoadStringW(module, id, reinterpret_cast<wchar_t*>(&text), 0);
    return n > 0 ? std::wstring(text, n) : std::wstring();
}

// The text as the program sees it: in the module's code page.
std::string AnsiString(const Module& m, UINT id) {
    std::wstring wide = String(m.handle, id);
    char buffer[1024] = {};
    WideCharToMultiByte(m.codePage, 0, wide.c_str(), static_cast<int>(wide.size()), buffer, sizeof buffer - 1,
                        nullptr, nullptr);
    return buffer;
}

// A menu as text: command IDs, "-" for separators, "(...)" around popups.
std::string MenuShape(HMENU menu) {
    std::string shape;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU;
        GetMenuItemInfoA(menu, i, TRUE, &info);
        if (info.hSubMenu)
            shape += "(" + MenuShape(info.hSubMenu) + ")";
        else if (info.fType & MFT_SEPARATOR)
            shape += "-";
        else
            shape += std::to_string(info.wID);
        shape += " ";
    }
    return shape;
}

void CollectCommands(HMENU menu, std::vector<UINT>* ids) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        if (HMENU sub = GetSubMenu(menu, i))
            CollectCommands(sub, ids);
        else if (UINT id = GetMenuItemID(menu, i); id != 0 && id != UINT(-1))
            ids->push_back(id);
    }
}

struct Toolbar {
    bool valid = false;
    std::vector<WORD> buttons;  // the commands that make buttons
    int images = 0;             // images used, one per command entry
};

// Reads a toolbar resource the way the toolbar code does: a command that
// repeats the one before it makes no button but uses an image.
Toolbar ReadToolbar(HMODULE module, UINT id) {
    Toolbar toolbar;
    std::vector<BYTE> raw = RawResource(module, id, MAKEINTRESOURCEA(TOOLBAR_RESOURCE_TYPE));
    if (raw.size() < 8) return toolbar;
    std::vector<WORD> words(raw.size() / 2);
    std::memcpy(words.data(), raw.data(), words.size() * 2);
    toolbar.valid = words[0] == TOOLBAR_FORMAT_VERSION && words[1] == TOOLBAR_IMAGE_SIZE &&
                    words[2] == TOOLBAR_IMAGE_SIZE && raw.size() == 8u + 2u * words[3];
    WORD previous = 0;
    for (size_t i = 4; i < words.size(); ++i) {
        if (words[i] != TOOLBAR_SEPARATOR) {
            ++toolbar.images;
            if (words[i] != previous) toolbar.buttons.push_back(words[i]);
        }
        previous = words[i];
    }
    return toolbar;
}

std::vector<std::string> Split(const std::string& joined) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start < joined.size()) {
        size_t at = joined.find('@', start);
        if (at == std::string::npos) at = joined.size();
        parts.push_back(joined.substr(start, at - start));
        start = at + 1;
    }
    return parts;
}

struct Bitmap {
    LONG width = 0, height = 0;
    COLORREF topLeft = CLR_INVALID;
};

Bitmap ReadBitmap(HMODULE module, UINT id) {
    Bitmap bitmap;
    std::vector<BYTE> raw = RawResource(module, id, MAKEINTRESOURCEA(2) /* RT_BITMAP */);
    if (raw.size() < sizeof(BITMAPINFOHEADER)) return bitmap;
    BITMAPINFOHEADER header;
    std::memcpy(&header, raw.data(), sizeof header);
    bitmap.width = header.biWidth;
    bitmap.height = std::abs(header.biHeight);
    const BYTE* palette = raw.data() + header.biSize;
    size_t colours = header.biBitCount <= 8 ? (header.biClrUsed ? header.biClrUsed : 1u << header.biBitCount) : 0;
    size_t stride = ((header.biWidth * header.biBitCount + 31) / 32) * 4;
    size_t topRow = header.biHeight > 0 ? bitmap.height - 1 : 0;
    const BYTE* pixel = palette + colours * 4 + topRow * stride;
    if (pixel + 4 > raw.data() + raw.size()) return bitmap;
    if (header.biBitCount == 8) pixel = palette + pixel[0] * 4;
    if (header.biBitCount >= 8) bitmap.topLeft = RGB(pixel[2], pixel[1], pixel[0]);
    return bitmap;
}

// One control of a dialog template: its ID, window class (an ordinal such as
// 0x80 for a button is written "#128") and style.
struct DialogItem {
    int id;
    std::wstring windowClass;
    DWORD style;
    bool operator==(const DialogItem& o) const {
        return id == o.id && windowClass == o.windowClass && style == o.style;
    }
};

struct Dialog {
    bool valid = false;
    DWORD style = 0;
    std::wstring caption;
    std::vector<DialogItem> items;
};

// Reads an extended dialog template (the only kind the scripts write).
Dialog ReadDialog(HMODULE module, UINT id) {
    Dialog dialog;
    std::vector<BYTE> raw = RawResource(module, id, MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    size_t at = 0;
    auto word = [&]() -> WORD {
        WORD w = 0;
        if (at + 2 <= raw.size()) std::memcpy(&w, raw.data() + at, 2);
        at += 2;
        return w;
    };
    auto dword = [&]() -> DWORD {
        DWORD low = word();
        return low | (static_cast<DWORD>(word()) << 16);
    };
    auto text = [&]() {
        std::wstring t;
        for (WORD w = word(); w && at <= raw.size(); w = word()) t.push_back(static_cast<wchar_t>(w));
        return t;
    };
    auto nameOrOrdinal = [&]() -> std::wstring {
        WORD first = word();
        if (first == 0) return L"";
        if (first == 0xFFFF) return L"#" + std::to_wstring(word());
        at -= 2;
        return text();
    };
    if (raw.size() < 26 || word() != 1 || word() != 0xFFFF) return dialog;
    dword();  // help ID
    dword();  // extended style
    dialog.style = dword();
    const WORD count = word();
    at += 8;  // x, y, cx, cy
    nameOrOrdinal();  // menu
    nameOrOrdinal();  // class
    dialog.caption = text();
    if (dialog.style & DS_SETFONT) {
        at += 6;  // point size, weight, italic, charset
        text();
    }
    for (WORD i = 0; i < count; ++i) {
        at = (at + 3) & ~size_t(3);
        DialogItem item;
        dword();  // help ID
        dword();  // extended style
        item.style = dword();
        at += 8;
        item.id = static_cast<int>(dword());
        item.windowClass = nameOrOrdinal();
        nameOrOrdinal();  // title
        at += word();     // creation data
        if (at > raw.size()) return dialog;
        dialog.items.push_back(item);
    }
    dialog.valid = true;
    return dialog;
}

BOOL CALLBACK CollectNumbered(HMODULE, LPCSTR, LPSTR name, LONG_PTR list) {
    if (IS_INTRESOURCE(name))
        reinterpret_cast<std::vector<UINT>*>(list)->push_back(static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)));
    return TRUE;
}

// The printf conversions of a text, in order ("%d", "%03d", "%s", ...).
std::vector<std::wstring> Conversions(const std::wstring& text) {
    std::vector<std::wstring> found;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'%') continue;
        size_t end = text.find_first_not_of(L"0123456789-+ #.", i + 1);
        if (end == std::wstring::npos) end = text.size() - 1;
        found.push_back(text.substr(i, end - i + 1));
        i = end;
    }
    return found;
}

}  // namespace

TEST_F(ResourcesTest, MenusHaveTheSameCommandsInTheSameStructure) {
    for (UINT id : {IDM_VIEWER, IDM_BROWSER, IDM_CONTEXT}) {
        HMENU english = LoadMenuA(program().handle, MAKEINTRESOURCEA(id));
        HMENU chinese = LoadMenuA(language().handle, MAKEINTRESOURCEA(id));
        ASSERT_TRUE(english && chinese) << "menu " << id;
        EXPECT_EQ(MenuShape(english), MenuShape(chinese)) << "menu " << id;

        std::vector<UINT> commands;
        CollectCommands(english, &commands);
        for (UINT command : commands)
            EXPECT_LT(command, UINT(IDC_SEND_TO_FOLDER_FIRST)) << "menu " << id << " uses the run-time range";
        DestroyMenu(english);
        DestroyMenu(chinese);
    }
    // Languages go into popup 5, which must be the Help popup of both bars;
    // the browser's folder popup is rebuilt at run time.
    for (const Module& m : modules_) {
        HMENU viewer = LoadMenuA(m.handle, MAKEINTRESOURCEA(IDM_VIEWER));
        HMENU browser = LoadMenuA(m.handle, MAKEINTRESOURCEA(IDM_BROWSER));
        HMENU context = LoadMenuA(m.handle, MAKEINTRESOURCEA(IDM_CONTEXT));
        ASSERT_EQ(MENU_POPUP_HELP + 1, GetMenuItemCount(viewer)) << m.file;
        ASSERT_EQ(MENU_POPUP_HELP + 1, GetMenuItemCount(browser)) << m.file;
        HMENU help = GetSubMenu(viewer, MENU_POPUP_HELP);
        HMENU browserHelp = GetSubMenu(browser, MENU_POPUP_HELP);
        ASSERT_TRUE(help && browserHelp) << m.file;
        EXPECT_NE(UINT(-1), GetMenuState(help, IDC_ABOUT, MF_BYCOMMAND)) << m.file;
        EXPECT_NE(UINT(-1), GetMenuState(browserHelp, IDC_BROWSER_ABOUT, MF_BYCOMMAND)) << m.file;
        EXPECT_NE(nullptr, GetSubMenu(browser, BROWSER_POPUP_FOLDER)) << m.file;
        EXPECT_EQ(CONTEXT_POPUP_URL + 1, GetMenuItemCount(context)) << m.file;
        EXPECT_NE(UINT(-1), GetMenuState(GetSubMenu(context, CONTEXT_POPUP_PREVIEW), IDC_ENABLE_PREVIEW, MF_BYCOMMAND));
        EXPECT_NE(UINT(-1), GetMenuState(GetSubMenu(context, CONTEXT_POPUP_SELECTION), IDC_ZOOM_TO_SELECTION,
                                   MF_BYCOMMAND));
        DestroyMenu(viewer);
        DestroyMenu(browser);
        DestroyMenu(context);
    }
}

TEST_F(ResourcesTest, ToolbarsHaveANameATooltipAndAnImagePerButton) {
    struct {
        UINT resource, texts;
    } toolbars[] = {{IDR_TOOLBAR, IDS_TOOLBAR_TEXTS}, {IDR_BROWSER_TOOLBAR, IDS_BROWSER_TOOLBAR_TEXTS}};
    for (const auto& bar : toolbars) {
        Toolbar english = ReadToolbar(program().handle, bar.resource);
        ASSERT_TRUE(english.valid) << "toolbar " << bar.resource;
        for (const Module& m : modules_) {
            Toolbar toolbar = ReadToolbar(m.handle, bar.resource);
            ASSERT_TRUE(toolbar.valid) << m.file << " toolbar " << bar.resource;
            EXPECT_EQ(english.buttons, toolbar.buttons) << m.file;
            // Split as the program splits it, in the library's code page, so
            // that a double-byte character ending in "@" would show here.
            std::vector<std::string> names = Split(AnsiString(m, bar.texts));
            EXPECT_EQ(toolbar.buttons.size(), names.size()) << m.file << " string " << bar.texts;
            for (const std::string& name : names) EXPECT_FALSE(name.empty()) << m.file;
            for (WORD command : toolbar.buttons) {
                std::string tip = AnsiString(m, command);
                EXPECT_FALSE(tip.empty()) << m.file << " has no tooltip for " << command;
                EXPECT_LE(tip.size(), 63u) << m.file << " tooltip " << command;
            }
            Bitmap strip = ReadBitmap(m.handle, bar.resource);
            EXPECT_EQ(toolbar.images * TOOLBAR_IMAGE_SIZE, strip.width) << m.file << " bitmap " << bar.resource;
            EXPECT_EQ(TOOLBAR_IMAGE_SIZE, strip.height) << m.file;
            EXPECT_EQ(RGB(192, 192, 192), strip.topLeft) << m.file << " bitmap " << bar.resource;
        }
    }
    EXPECT_EQ(TOOLBAR_IMAGE_COUNT, ReadToolbar(program().handle, IDR_TOOLBAR).images);
    EXPECT_EQ(BROWSER_TOOLBAR_IMAGE_COUNT, ReadToolbar(program().handle, IDR_BROWSER_TOOLBAR).images);
}

TEST_F(ResourcesTest, ImageListsAreInBothModulesWithTheirMaskColour) {
    for (const Module& m : modules_) {
        Bitmap menu = ReadBitmap(m.handle, IDB_MENU_IMAGES);
        EXPECT_GE(menu.width, MENU_IMAGE_COUNT * 16) << m.file;
        EXPECT_EQ(16, menu.height) << m.file;
        EXPECT_EQ(RGB(0, 0, 255), menu.topLeft) << m.file;
        Bitmap tabs = ReadBitmap(m.handle, IDB_TAB_IMAGES);
        EXPECT_GE(tabs.width, TAB_COUNT * 16) << m.file;
        EXPECT_EQ(16, tabs.height) << m.file;
        EXPECT_EQ(RGB(0, 0, 255), tabs.topLeft) << m.file;
    }
}

TEST_F(ResourcesTest, AcceleratorsAreTheSameInBothModules) {
    std::vector<BYTE> english = RawResource(program().handle, IDA_VIEWER, MAKEINTRESOURCEA(9) /* RT_ACCELERATOR */);
    std::vector<BYTE> chinese = RawResource(language().handle, IDA_VIEWER, MAKEINTRESOURCEA(9));
    ASSERT_FALSE(english.empty());
    EXPECT_EQ(english, chinese);
}

TEST_F(ResourcesTest, EveryStringIsTranslatedWithTheSameFormatConversions) {
    int strings = 0;
    for (UINT id = 1; id < 65536; ++id) {
        std::wstring english = String(program().handle, id);
        if (english.empty()) continue;
        ++strings;
        std::wstring chinese = String(language().handle, id);
        EXPECT_FALSE(chinese.empty()) << "string " << id << " is missing from SHOW936.DLL";
        EXPECT_EQ(Conversions(english), Conversions(chinese)) << "string " << id;
    }
    EXPECT_GT(strings, 50);
    for (UINT id : std::initializer_list<UINT>{IDS_TAB_THUMB, IDS_TAB_LARGE, IDS_TAB_SMALL, IDS_TAB_LIST,
                                               IDS_TAB_REPORT, IDS_TAB_URL, IDC_MODE_THUMBNAILS, IDC_MODE_DETAILS,
                                               IDS_STATUS_OBJECTS, IDS_DECODE_ERROR, IDS_WEB_PAGE, IDS_MENU_BAND,
                                               IDS_PRODUCT_NAME})
        EXPECT_FALSE(String(program().handle, id).empty()) << "string " << id;
    // The menu band is switched on by a leading "#".
    EXPECT_EQ(L'#', String(language().handle, IDS_MENU_BAND)[0]);
}

TEST_F(ResourcesTest, DialogsHaveTheSameControlsInBothModules) {
    struct {
        UINT dialog;
        std::vector<int> controls;  // every control the code addresses
    } dialogs[] = {
        {IDD_ABOUT, {IDC_ABOUT_NAME, IDC_ABOUT_TEXT, IDC_ABOUT_ICON, IDOK}},
        {IDD_OPTION,
         {IDC_OPTION_FIXED_LEFT_TOP, IDC_OPTION_AUTO_SIZE, IDC_OPTION_FIXED_POSITION, IDC_OPTION_FORWARD,
          IDC_OPTION_BACKWARD, IDC_OPTION_MIDDLE, IDC_OPTION_TOP_LEFT, IDC_OPTION_WHEEL_PAGE, IDC_OPTION_WHEEL_ZOOM,
          IDC_OPTION_DELAY, IDC_OPTION_DELAY_TEXT, IDC_OPTION_BACKGROUND_COLOR, IDC_OPTION_COLOR_SAMPLE,
          IDC_OPTION_SHOW_SIZE, IDC_OPTION_PREDEFINED_FRAME, IDC_OPTION_FRAME_INDEX, IDC_OPTION_USER_FRAME,
          IDC_OPTION_FRAME_FILE, IDC_OPTION_SELECT_PICTURE, IDC_OPTION_BORDER_WIDTH, IDC_OPTION_BORDER_HEIGHT,
          IDC_OPTION_WIDTH_TEXT, IDC_OPTION_HEIGHT_TEXT, IDC_OPTION_WIDTH_LIMIT, IDC_OPTION_HEIGHT_LIMIT,
          IDC_OPTION_PREVIEW, IDOK, IDCANCEL}},
        {IDD_EDIT_LIST, {IDC_EDIT_LIST_VIEW, IDC_EDIT_LIST_UP, IDC_EDIT_LIST_DOWN, IDOK, IDCANCEL}},
        {IDD_SAVE_PICTURE,
         {IDC_SAVE_FORMATS, IDC_SAVE_PREVIEW, IDC_SAVE_2_COLORS, IDC_SAVE_4_COLORS, IDC_SAVE_16_COLORS,
          IDC_SAVE_256_COLORS, IDC_SAVE_32K_COLORS, IDC_SAVE_64K_COLORS, IDC_SAVE_16M_COLORS, IDC_SAVE_32B_COLORS,
          IDC_SAVE_GRAY_COLORS, IDC_SAVE_QUALITY, IDC_SAVE_QUALITY_TEXT, IDC_SAVE_OVERWRITE_EXIST,
          IDC_SAVE_OVERWRITE_ORIGINAL, IDC_SAVE_NAME, IDC_SAVE_CHOOSE_PATH, IDOK, IDCANCEL}},
        {IDD_SAVE_PICTURES,
         {IDC_SAVE_FORMATS, IDC_SAVE_PREVIEW, IDC_SAVE_2_COLORS, IDC_SAVE_GRAY_COLORS, IDC_SAVE_QUALITY,
          IDC_SAVE_QUALITY_TEXT, IDC_SAVE_OVERWRITE_EXIST, IDC_SAVE_OVERWRITE_ORIGINAL, IDC_SAVE_NAME,
          IDC_SAVE_CHOOSE_PATH, IDC_SAVE_TEMPLATE, IDC_SAVE_BASE, IDC_SAVE_FRAME_COUNT, IDC_SAVE_FROM, IDC_SAVE_TO,
          IDOK, IDCANCEL}},
        {IDD_URL_INFO, {IDC_URL_ADDRESS, IDC_URL_TITLE, IDOK, IDCANCEL}},
        {IDD_REGISTER_TYPE,
         {IDC_TYPE_LIST, IDC_TYPE_REGISTER_ALL, IDC_TYPE_CLEAR_ALL, IDC_TYPE_REGISTER_SELECTED, IDC_TYPE_ICON,
          IDC_TYPE_COLOR_SAMPLE, IDC_TYPE_CHANGE_COLOR, IDC_TYPE_PIC_TO_ICON, IDOK, IDCANCEL}},
    };
    for (const auto& expected : dialogs) {
        Dialog english = ReadDialog(program().handle, expected.dialog);
        ASSERT_TRUE(english.valid) << "dialog " << expected.dialog;
        for (int id : expected.controls) {
            int found = 0;
            for (const DialogItem& item : english.items) found += item.id == id;
            EXPECT_EQ(1, found) << "dialog " << expected.dialog << " control " << id;
        }
        Dialog chinese = ReadDialog(language().handle, expected.dialog);
        ASSERT_TRUE(chinese.valid) << "dialog " << expected.dialog << " in SHOW936.DLL";
        EXPECT_TRUE(english.items == chinese.items) << "dialog " << expected.dialog;
        EXPECT_EQ(english.style, chinese.style) << "dialog " << expected.dialog;
        EXPECT_FALSE(chinese.caption.empty());
        EXPECT_NE(english.caption, chinese.caption) << "dialog " << expected.dialog << " is not translated";
    }
    // Radio buttons of one setting form one group each: the group starts at
    // the first button and the control after the last starts a new one.
    Dialog option = ReadDialog(program().handle, IDD_OPTION);
    auto position = [&](int id) {
        for (size_t i = 0; i < option.items.size(); ++i)
            if (option.items[i].id == id) return i;
        return option.items.size();
    };
    const int groups[][2] = {{IDC_OPTION_FIXED_LEFT_TOP, IDC_OPTION_FIXED_POSITION},
                             {IDC_OPTION_MIDDLE, IDC_OPTION_TOP_LEFT},
                             {IDC_OPTION_FORWARD, IDC_OPTION_BACKWARD},
                             {IDC_OPTION_WHEEL_PAGE, IDC_OPTION_WHEEL_ZOOM},
                             {IDC_OPTION_PREDEFINED_FRAME, IDC_OPTION_USER_FRAME}};
    for (const auto& group : groups) {
        const size_t first = position(group[0]), last = position(group[1]);
        ASSERT_LT(last + 1, option.items.size());
        EXPECT_TRUE(option.items[first].style & WS_GROUP) << group[0];
        for (size_t i = first + 1; i <= last; ++i) {
            if ((option.items[i].style & 0xF) == BS_AUTORADIOBUTTON) {
                EXPECT_FALSE(option.items[i].style & WS_GROUP) << option.items[i].id;
            }
        }
        EXPECT_TRUE(option.items[last + 1].style & WS_GROUP) << "the group of " << group[0] << " runs on";
    }
}

TEST_F(ResourcesTest, ThumbnailFramesAreInBothModules) {
    for (const Module& m : modules_) {
        for (UINT i = 0; i < THUMB_FRAME_COUNT; ++i) {
            Bitmap frame = ReadBitmap(m.handle, IDB_THUMB_FRAME + i);
            EXPECT_EQ(THUMB_FRAME_SIZE, frame.width) << m.file << " frame " << i;
            EXPECT_EQ(THUMB_FRAME_SIZE, frame.height) << m.file << " frame " << i;
        }
    }
}

TEST_F(ResourcesTest, IconGroupsRunWithoutGapsAndEveryTypeHasItsOwnIcon) {
    // The shell names icons by their position among the groups.
    std::vector<UINT> groups;
    EnumResourceNamesA(program().handle, MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */, CollectNumbered,
                       reinterpret_cast<LONG_PTR>(&groups));
    std::sort(groups.begin(), groups.end());
    ASSERT_EQ(static_cast<size_t>(IDI_LAST_GROUP - IDI_FIRST_GROUP + 1), groups.size());
    for (size_t i = 0; i < groups.size(); ++i) EXPECT_EQ(IDI_FIRST_GROUP + i, groups[i]);
    EXPECT_EQ(6, IDI_TYPE_NONE - IDI_FIRST_GROUP);
    EXPECT_EQ(38, IDI_TYPE_GRAY - IDI_FIRST_GROUP);

    std::vector<std::vector<BYTE>> seen;
    for (UINT id = IDI_TYPE_NONE; id <= IDI_LAST_GROUP; ++id) {
        std::vector<BYTE> group = RawResource(program().handle, id, MAKEINTRESOURCEA(14));
        ASSERT_FALSE(group.empty()) << "icon " << id;
        for (int size : {32, 16}) {
            int image = LookupIconIdFromDirectoryEx(group.data(), TRUE, size, size, LR_DEFAULTCOLOR);
            std::vector<BYTE> icon = RawResource(program().handle, image, MAKEINTRESOURCEA(3));
            ASSERT_GE(icon.size(), sizeof(BITMAPINFOHEADER)) << "icon " << id;
            BITMAPINFOHEADER header;
            std::memcpy(&header, icon.data(), sizeof header);
            EXPECT_EQ(size, header.biWidth) << "icon " << id;
            if (size == 32) {
                EXPECT_EQ(seen.end(), std::find(seen.begin(), seen.end(), icon)) << "icon " << id << " repeats";
                seen.push_back(icon);
            }
        }
        EXPECT_EQ(nullptr, FindResourceA(language().handle, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(14)))
            << "icons belong to the program";
    }
}

TEST_F(ResourcesTest, IconsAndCursorsAreInTheProgram) {
    HMODULE exe = program().handle;
    auto sizes = [&](UINT id) {
        std::vector<BYTE> group = RawResource(exe, id, MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */);
        std::vector<int> found;
        WORD count = 0;
        if (group.size() >= 6) std::memcpy(&count, group.data() + 4, 2);
        for (WORD i = 0; i < count && 6u + 14u * (i + 1) <= group.size(); ++i)
            found.push_back(group[6 + 14 * i] ? group[6 + 14 * i] : 256);
        return found;
    };
    auto has = [](const std::vector<int>& v, int size) { return std::find(v.begin(), v.end(), size) != v.end(); };
    EXPECT_TRUE(has(sizes(IDI_CLASS), 32));
    for (UINT id : {IDI_CLASS_SMALL, IDI_BLINK, IDI_BLINK_LOGO})
        EXPECT_TRUE(has(sizes(id), 16)) << "icon " << id << " is shown as a small icon";
    EXPECT_FALSE(sizes(IDI_LOGO).empty());

    // The blink alternates 145 and 146: they must not look the same.
    auto small = [&](UINT id) {
        std::vector<BYTE> group = RawResource(exe, id, MAKEINTRESOURCEA(14));
        int icon = LookupIconIdFromDirectoryEx(group.data(), TRUE, 16, 16, LR_DEFAULTCOLOR);
        return RawResource(exe, icon, MAKEINTRESOURCEA(3) /* RT_ICON */);
    };
    EXPECT_FALSE(small(IDI_BLINK).empty());
    EXPECT_NE(small(IDI_BLINK), small(IDI_BLINK_LOGO));

    std::vector<BYTE> cursors[3];
    for (int i = 0; i < 3; ++i) {
        const UINT ids[3] = {IDCUR_HOVER, IDCUR_DRAG, IDCUR_SELECTION};
        UINT id = ids[i];
        std::vector<BYTE> group = RawResource(exe, id, MAKEINTRESOURCEA(12) /* RT_GROUP_CURSOR */);
        ASSERT_FALSE(group.empty()) << "cursor " << id;
        int cursor = LookupIconIdFromDirectoryEx(group.data(), FALSE, 32, 32, LR_MONOCHROME);
        cursors[i] = RawResource(exe, cursor, MAKEINTRESOURCEA(1) /* RT_CURSOR */);
        ASSERT_GE(cursors[i].size(), 4u + sizeof(BITMAPINFOHEADER)) << "cursor " << id;
        WORD hotX, hotY;
        std::memcpy(&hotX, cursors[i].data(), 2);
        std::memcpy(&hotY, cursors[i].data() + 2, 2);
        EXPECT_TRUE(hotX < 32 && hotY < 32) << "cursor " << id;
    }
    EXPECT_NE(cursors[0], cursors[1]) << "hover and drag cursors look the same";
    EXPECT_NE(cursors[0], cursors[2]) << "the selection's cursor looks like the hover cursor";
}
