// The shell extension through real COM: CoCreateInstance on a registered
// copy of Kivaro.dll whose cache the program's own cache module filled.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstdio>
#include <thread>

#include "kivaro_fixture.h"
#include "resource_ids.h"
#include "thumb_icon.h"

namespace {

class ExtensionTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        CoInitialize(nullptr);
        InitCommonControls();
        folder_ = ExtensionFolder("active");
    }
    static void TearDownTestSuite() {
        UnregisterExtension();
        CoFreeUnusedLibraries();
        CoUninitialize();
    }
    void SetUp() override {
        RegisterExtension(folder_);
        const char* test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        char full[MAX_PATH] = {};
        GetFullPathNameA((folder_ + "..\\" + test + " pictures\\").c_str(), sizeof full, full, nullptr);
        pictures_ = full;
    }

    // The icon the shell would show for picture: the location's result and
    // flags, and the icon drawn over the background (empty when none).
    struct ShownIcon {
        HRESULT location;
        std::string file;
        int index;
        UINT flags;
        std::vector<uint32_t> pixels;
    };
    static ShownIcon IconFor(const std::string& picture) {
        ShownIcon shown = {E_FAIL, "", -1, 0, {}};
        ComPtr<IPersistFile> persist;
        if (FAILED(CreateExtension(IID_IPersistFile, reinterpret_cast<void**>(persist.Out())))) return shown;
        persist->Load(Wide(picture).c_str(), STGM_READ);
        ComPtr<IExtractIconA> extract;
        persist->QueryInterface(IID_IExtractIconA, reinterpret_cast<void**>(extract.Out()));
        char file[MAX_PATH] = {};
        shown.location = extract->GetIconLocation(0, file, sizeof file, &shown.index, &shown.flags);
        shown.file = file;
        HICON large = nullptr;
        if (shown.location == S_OK && (shown.flags & GIL_NOTFILENAME) &&
            extract->Extract(file, shown.index, &large, nullptr, MAKELONG(32, 16)) == S_OK && large) {
            shown.pixels = DrawnIcon(large);
            DestroyIcon(large);
        }
        return shown;
    }

    static std::string folder_;
    std::string pictures_;
};
std::string ExtensionTest::folder_;

uint32_t Gradient(int x, int y) { return uint32_t(x) << 16 | uint32_t(y) << 8 | 0x40; }

TEST_F(ExtensionTest, IconIsTheThumbnailScaledAndCentred) {
    struct Case {
        const char* name;
        int width, height;               // of the thumbnail
        int shownWidth, shownHeight;     // in the icon
        int left, top;
    } cases[] = {
        {"wide.png", 96, 24, 32, 8, 0, 12},
        {"tall.png", 24, 96, 8, 32, 12, 0},
        {"row.png", 100, 1, 32, 6, 0, 13},
        {"small.png", 10, 20, 10, 20, 11, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string picture = MakePicture(pictures_, c.name);
        std::vector<uint32_t> pixels;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) pixels.push_back(Gradient(x, y));
        StoreThumb(folder_, picture, c.width, c.height, pixels);

        ShownIcon shown = IconFor(picture);
        ASSERT_EQ(S_OK, shown.location);
        EXPECT_EQ(UINT(GIL_DONTCACHE | GIL_NOTFILENAME), shown.flags);
        EXPECT_EQ(0, lstrcmpiA((folder_ + "ICON.ICO").c_str(), shown.file.c_str())) << shown.file;
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((folder_ + "ICON.ICO").c_str()))
            << "the icon is handed over in memory, not through a shared file";
        ASSERT_EQ(32u * 32u, shown.pixels.size());
        int wrong = 0;
        for (int row = 0; row < 32; ++row)
            for (int column = 0; column < 32; ++column) {
                int i = row - c.top, j = column - c.left;
                bool inside = i >= 0 && i < c.shownHeight && j >= 0 && j < c.shownWidth;
                uint32_t want = inside ? Gradient(j * c.width / c.shownWidth, i * c.height / c.shownHeight)
                                       : kBackground;
                uint32_t got = shown.pixels[row * 32 + column];
                if (got != want && wrong++ < 5)
                    ADD_FAILURE() << "row " << row << " column " << column << ": " << std::hex << got
                                  << " instead of " << want;
            }
        EXPECT_EQ(0, wrong);
    }
}

// The file layout the icon is made from, byte for byte: a 96 x 24 thumbnail
// (pixel (x, y) = 0x00xxyy40) becomes 32 x 8 with rows 12 to 19 opaque.
TEST(IconFileTest, LayoutOfAWideThumbnail) {
    std::vector<uint32_t> pixels;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 96; ++x) pixels.push_back(Gradient(x, y));
    std::vector<uint8_t> file;
    ASSERT_TRUE(BuildIconFile(pixels.data(), 96, 24, &file));
    ASSERT_EQ(4286u, file.size());
    const uint8_t head[62] = {
        0, 0, 1, 0, 1, 0,                     // reserved, icon, one image
        32, 32, 0, 0, 1, 0, 32, 0,            // 32 x 32, no palette, 1 plane, 32 bits
        0xA8, 0x10, 0, 0, 22, 0, 0, 0,        // 4264 bytes at offset 22
        40, 0, 0, 0, 32, 0, 0, 0, 64, 0, 0, 0, // header size, width, height x 2
        1, 0, 32, 0,                          // planes, bits
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (int i = 0; i < 62; ++i) EXPECT_EQ(head[i], file[i]) << "byte " << i;
    auto colour = [&](int storedRow, int column) {
        uint32_t value;
        memcpy(&value, &file[62 + (storedRow * 32 + column) * 4], 4);
        return value;
    };
    auto maskByte = [&](int storedRow, int index) { return file[4158 + storedRow * 4 + index]; };
    // Stored bottom row first: the picture's top row (icon row 12) is stored
    // row 19, its bottom row (icon row 19, source row 21) stored row 12.
    EXPECT_EQ(Gradient(0, 0), colour(19, 0));
    EXPECT_EQ(Gradient(93, 0), colour(19, 31));
    EXPECT_EQ(Gradient(0, 21), colour(12, 0));
    EXPECT_EQ(0u, colour(20, 5));
    EXPECT_EQ(0u, colour(11, 5));
    for (int row = 0; row < 32; ++row)
        for (int b = 0; b < 4; ++b)
            EXPECT_EQ(row >= 12 && row <= 19 ? 0x00 : 0xFF, maskByte(row, b)) << "mask row " << row;
    // A one-row thumbnail is raised to six rows; an empty one builds nothing.
    uint32_t one[100] = {};
    ASSERT_TRUE(BuildIconFile(one, 100, 1, &file));
    EXPECT_EQ(0xFF, file[4158 + 12 * 4]);
    EXPECT_EQ(0x00, file[4158 + 13 * 4]);
    EXPECT_EQ(0x00, file[4158 + 18 * 4]);
    EXPECT_EQ(0xFF, file[4158 + 19 * 4]);
    EXPECT_FALSE(BuildIconFile(one, 0, 1, &file));
}

// Only an entry stored under the file's present time and size counts; the
// older entries the cache keeps first are passed over, and without a
// current one the type's registered icon is shown.
TEST_F(ExtensionTest, ChangedFileGetsItsNewThumbnailOrTheTypeIcon) {
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CLASSES_ROOT, ".kvt", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>("KivaroTestPicture"), 18);
    RegCloseKey(key);
    RegCreateKeyExA(HKEY_CLASSES_ROOT, "KivaroTestPicture\\DefaultIcon", 0, nullptr, 0,
                    KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>("C:\\types, 1\\types.dll,5"), 23);
    RegCloseKey(key);

    const uint32_t red = 0xC00000, green = 0x00C000;
    std::string resaved = MakePicture(pictures_, "resaved.kvt", 100);
    StoreThumb(folder_, resaved, 8, 8, SolidPixels(8, 8, red));
    MakePicture(pictures_, "resaved.kvt", 200);
    StoreThumb(folder_, resaved, 8, 8, SolidPixels(8, 8, green));
    std::string grown = MakePicture(pictures_, "grown.kvt", 100);
    StoreThumb(folder_, grown, 8, 8, SolidPixels(8, 8, red));
    MakePicture(pictures_, "grown.kvt", 101);
    std::string touched = MakePicture(pictures_, "touched.kvt", 100);
    StoreThumb(folder_, touched, 8, 8, SolidPixels(8, 8, red));
    HANDLE file = CreateFileA(touched.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME later = {0, 0x01D00000};
    SetFileTime(file, nullptr, nullptr, &later);
    CloseHandle(file);
    std::string never = MakePicture(pictures_, "never.kvt");
    std::string unregistered = MakePicture(pictures_, "never.kvq");

    struct Case {
        std::string picture;
        HRESULT result;
        uint32_t centre;     // 0: not our icon
        const char* file;
        int index;
    } cases[] = {
        {resaved, S_OK, green, nullptr, 0},
        {grown, S_OK, 0, "C:\\types, 1\\types.dll", 5},
        {touched, S_OK, 0, "C:\\types, 1\\types.dll", 5},
        {never, S_OK, 0, "C:\\types, 1\\types.dll", 5},
        {unregistered, S_FALSE, 0, nullptr, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.picture);
        ShownIcon shown = IconFor(c.picture);
        EXPECT_EQ(c.result, shown.location);
        if (c.centre) {
            ASSERT_EQ(32u * 32u, shown.pixels.size());
            EXPECT_EQ(c.centre, shown.pixels[16 * 32 + 16]);
        } else if (c.file) {
            EXPECT_EQ(c.file, shown.file);
            EXPECT_EQ(c.index, shown.index);
            EXPECT_EQ(UINT(GIL_DONTCACHE), shown.flags);
        }
    }
    // A name the ANSI code page cannot hold is no file, not the look-alike
    // "?.kvt" whose type icon a lossy conversion would give.
    {
        ComPtr<IPersistFile> persist;
        ASSERT_EQ(S_OK, CreateExtension(IID_IPersistFile, reinterpret_cast<void**>(persist.Out())));
        EXPECT_EQ(S_OK, persist->Load((Wide(pictures_) + L"\x4E2D.kvt").c_str(), STGM_READ));
        ComPtr<IExtractIconA> extract;
        persist->QueryInterface(IID_IExtractIconA, reinterpret_cast<void**>(extract.Out()));
        char file[MAX_PATH] = {};
        int index = 0;
        UINT flags = 0;
        EXPECT_EQ(S_FALSE, extract->GetIconLocation(0, file, sizeof file, &index, &flags));
    }
    SHDeleteKeyA(HKEY_CLASSES_ROOT, ".kvt");
    SHDeleteKeyA(HKEY_CLASSES_ROOT, "KivaroTestPicture");
}

struct MenuItem {
    UINT id;
    UINT type;   // MFT_SEPARATOR, MFT_STRING or MFT_BITMAP
    std::string text;
};

std::vector<MenuItem> ReadMenu(HMENU menu) {
    std::vector<MenuItem> items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[128] = {};
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_BITMAP;
        info.dwTypeData = text;
        info.cch = sizeof text;
        GetMenuItemInfoA(menu, i, TRUE, &info);
        UINT type = (info.fType & MFT_SEPARATOR) ? MFT_SEPARATOR
                    : (info.fType & MFT_BITMAP) || info.hbmpItem ? MFT_BITMAP : MFT_STRING;
        items.push_back({type == MFT_SEPARATOR ? 0 : info.wID, type, type == MFT_STRING ? text : ""});
    }
    return items;
}

TEST_F(ExtensionTest, ContextMenuItemsAndCommandStrings) {
    std::string cached = MakePicture(pictures_, "cached.png");
    StoreThumb(folder_, cached, 12, 9, SolidPixels(12, 9, 0x123456));
    std::string plain = MakePicture(pictures_, "plain.png");
    std::wstring unconvertible = Wide(pictures_) + L"\x4E2D\x6587.png";   // not in the ANSI code page
    std::wstring tooLong = Wide(pictures_) + std::wstring(300, L'a') + L".png";

    struct Case {
        const char* name;
        std::vector<std::wstring> files;   // empty with nullData: no data object at all
        bool nullData;
        UINT first, last, flags;
        std::vector<MenuItem> items;
    } cases[] = {
        {"cached", {Wide(cached)}, false, 100, 200, CMF_NORMAL,
         {{0, MFT_SEPARATOR, ""}, {100, MFT_STRING, "Flush All Icon"}, {101, MFT_BITMAP, ""},
          {102, MFT_STRING, "Send Picture Mail"}, {0, MFT_SEPARATOR, ""}}},
        {"not cached", {Wide(plain)}, false, 100, 200, CMF_EXPLORE,
         {{0, MFT_SEPARATOR, ""}, {100, MFT_STRING, "Flush All Icon"},
          {101, MFT_STRING, "Send Picture Mail"}, {0, MFT_SEPARATOR, ""}}},
        {"no data object", {}, true, 100, 200, CMF_NORMAL,
         {{0, MFT_SEPARATOR, ""}, {100, MFT_STRING, "Flush All Icon"},
          {101, MFT_STRING, "Send Picture Mail"}, {0, MFT_SEPARATOR, ""}}},
        {"unconvertible name", {unconvertible}, false, 100, 200, CMF_NORMAL,
         {{0, MFT_SEPARATOR, ""}, {100, MFT_STRING, "Flush All Icon"},
          {101, MFT_STRING, "Send Picture Mail"}, {0, MFT_SEPARATOR, ""}}},
        {"name too long", {tooLong}, false, 100, 200, CMF_NORMAL,
         {{0, MFT_SEPARATOR, ""}, {100, MFT_STRING, "Flush All Icon"},
          {101, MFT_STRING, "Send Picture Mail"}, {0, MFT_SEPARATOR, ""}}},
        {"room for one id", {Wide(cached)}, false, 100, 100, CMF_NORMAL,
         {{0, MFT_SEPARATOR, ""}, {100, MFT_STRING, "Flush All Icon"}, {0, MFT_SEPARATOR, ""}}},
        {"no room", {Wide(cached)}, false, 101, 100, CMF_NORMAL, {}},
        {"default only", {Wide(cached)}, false, 100, 200, CMF_DEFAULTONLY, {}},
        {"no verbs", {Wide(cached)}, false, 100, 200, CMF_NOVERBS, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<IShellExtInit> init;
        ASSERT_EQ(S_OK, CreateExtension(IID_IShellExtInit, reinterpret_cast<void**>(init.Out())));
        IDataObject* data = c.nullData ? nullptr : MakeDropData(c.files);
        EXPECT_EQ(S_OK, init->Initialize(nullptr, data, nullptr));
        if (data) data->Release();
        ComPtr<IContextMenu> menu;
        ASSERT_EQ(S_OK, init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(menu.Out())));
        HMENU popup = CreatePopupMenu();
        HRESULT added = menu->QueryContextMenu(popup, 0, c.first, c.last, c.flags);
        int ids = 0;
        for (const MenuItem& item : c.items) ids += item.type != MFT_SEPARATOR;
        EXPECT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, ids), added);
        std::vector<MenuItem> got = ReadMenu(popup);
        ASSERT_EQ(c.items.size(), got.size());
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(c.items[i].id, got[i].id) << "item " << i;
            EXPECT_EQ(c.items[i].type, got[i].type) << "item " << i;
            EXPECT_EQ(c.items[i].text, got[i].text) << "item " << i;
        }
        DestroyMenu(popup);
    }
}

TEST_F(ExtensionTest, CommandStringsAnswerEveryRequestType) {
    std::string cached = MakePicture(pictures_, "cached.png");
    StoreThumb(folder_, cached, 4, 4, SolidPixels(4, 4, 0x808080));
    struct Case {
        bool bitmapItem;
        UINT_PTR offset;
        UINT type;
        HRESULT result;
        const char* text;   // null: the buffer stays as it was
    } cases[] = {
        {true, 0, GCS_VERBA, S_OK, "Flush All Icon"},
        {true, 1, GCS_VERBA, S_OK, "open"},
        {true, 2, GCS_VERBA, S_OK, "sendmail"},
        {true, 1, GCS_HELPTEXTA, S_OK, "open"},
        {true, 0, GCS_VERBW, S_OK, "Flush All Icon"},
        {true, 2, GCS_HELPTEXTW, S_OK, "sendmail"},
        {true, 0, GCS_VALIDATEA, S_OK, nullptr},
        {true, 2, GCS_VALIDATEW, S_OK, nullptr},
        {true, 3, GCS_VALIDATEA, S_FALSE, nullptr},
        {true, 3, GCS_VERBA, E_INVALIDARG, nullptr},
        {false, 1, GCS_VERBA, S_OK, "sendmail"},     // without the bitmap, 1 is the mail item
        {false, 1, GCS_VERBW, S_OK, "sendmail"},
        {false, 2, GCS_VALIDATEW, S_FALSE, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "offset " << c.offset << " type " << c.type
                                        << (c.bitmapItem ? " with bitmap" : ""));
        ComPtr<IShellExtInit> init;
        ASSERT_EQ(S_OK, CreateExtension(IID_IShellExtInit, reinterpret_cast<void**>(init.Out())));
        IDataObject* data = MakeDropData({Wide(c.bitmapItem ? cached : pictures_ + "nothing.png")});
        init->Initialize(nullptr, data, nullptr);
        data->Release();
        ComPtr<IContextMenu> menu;
        init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(menu.Out()));
        HMENU popup = CreatePopupMenu();
        menu->QueryContextMenu(popup, 0, 1, 100, CMF_NORMAL);
        DestroyMenu(popup);

        // Validation passes no buffer at all.
        bool validate = (c.type & ~GCS_UNICODE) == GCS_VALIDATEA;
        wchar_t buffer[64];
        for (wchar_t& w : buffer) w = L'#';
        LPSTR out = validate ? nullptr : reinterpret_cast<LPSTR>(buffer);
        EXPECT_EQ(c.result, menu->GetCommandString(c.offset, c.type, nullptr, out, 64));
        if (c.text && (c.type & GCS_UNICODE)) {
            EXPECT_EQ(Wide(c.text), std::wstring(buffer));
        } else if (c.text) {
            EXPECT_EQ(std::string(c.text), std::string(reinterpret_cast<char*>(buffer)));
        } else {
            EXPECT_EQ(L'#', buffer[0]);
        }
    }
    // A short buffer gets what fits, terminated.
    ComPtr<IContextMenu> menu;
    CreateExtension(IID_IContextMenu, reinterpret_cast<void**>(menu.Out()));
    char small[6];
    EXPECT_EQ(S_OK, menu->GetCommandString(0, GCS_VERBA, nullptr, small, sizeof small));
    EXPECT_STREQ("Flush", small);
}

// "open" starts the viewer beside the extension with every path quoted:
// the extension's folder, and the pictures', have blanks in their names.
TEST_F(ExtensionTest, OpenStartsTheViewerWithQuotedPaths) {
    std::string first = MakePicture(pictures_, "first picture.png");
    std::string second = MakePicture(pictures_, "second.png");
    StoreThumb(folder_, first, 4, 4, SolidPixels(4, 4, 0x404040));
    std::string record = folder_ + "viewer-command.txt";
    DeleteFileA(record.c_str());

    ComPtr<IShellExtInit> init;
    ASSERT_EQ(S_OK, CreateExtension(IID_IShellExtInit, reinterpret_cast<void**>(init.Out())));
    IDataObject* data = MakeDropData({Wide(first), Wide(second)});
    init->Initialize(nullptr, data, nullptr);
    data->Release();
    ComPtr<IContextMenu> menu;
    init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(menu.Out()));
    HMENU popup = CreatePopupMenu();
    ASSERT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 3), menu->QueryContextMenu(popup, 0, 1, 100, CMF_NORMAL));
    DestroyMenu(popup);

    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof info;
    info.lpVerb = "open";
    EXPECT_EQ(E_INVALIDARG, menu->InvokeCommand(&info)) << "verbs by name are not taken";
    info.lpVerb = MAKEINTRESOURCEA(7);
    EXPECT_EQ(E_INVALIDARG, menu->InvokeCommand(&info));
    info.lpVerb = MAKEINTRESOURCEA(1);
    ASSERT_EQ(S_OK, menu->InvokeCommand(&info));

    std::string line;
    for (int wait = 0; wait < 200 && line.empty(); ++wait) {
        HANDLE file = CreateFileA(record.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            char text[2048] = {};
            DWORD read = 0;
            ReadFile(file, text, sizeof text - 1, &read, nullptr);
            CloseHandle(file);
            line = text;
        } else {
            Sleep(50);
        }
    }
    EXPECT_EQ("\"" + folder_ + "TAVIRSEL.EXE\" /SHARE \"" + first + "\" \"" + second + "\"", line);
}

BOOL CALLBACK CollectPage(HPROPSHEETPAGE page, LPARAM list) {
    reinterpret_cast<std::vector<HPROPSHEETPAGE>*>(list)->push_back(page);
    return TRUE;
}

// The page "ICON" shows the cached facts of the one selected picture; with
// two pictures there is no page, and a picture never cached gets an empty one.
TEST_F(ExtensionTest, PropertyPageShowsTheCachedFacts) {
    std::string picture = MakePicture(pictures_, "facts.png", 1234);
    SYSTEMTIME when = {2024, 3, 2, 5, 6, 7, 8, 9};   // Tuesday 5 March 2024, 06:07:08.009
    FILETIME time;
    SystemTimeToFileTime(&when, &time);
    HANDLE file = CreateFileA(picture.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
    StoreThumb(folder_, picture, 30, 20, SolidPixels(30, 20, 0x2060A0), "JPEG", 1600, 1200, 8);
    std::string plain = MakePicture(pictures_, "plain.png");

    struct Case {
        std::vector<std::string> files;
        bool page;
        std::vector<std::string> texts;   // controls 1000 to 1005
    } cases[] = {
        {{picture}, true, {"2024.3.5-(2)-[6:7:8.009]", "1234", "1600", "1200", "8", "JPEG"}},
        {{plain}, true, {"", "", "", "", "", ""}},
        {{picture, plain}, false, {}},
        {{}, false, {}},   // no data object
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.files.size() == 1 ? c.files[0] : c.files.empty() ? "no data object" : "two files");
        ComPtr<IShellExtInit> init;
        ASSERT_EQ(S_OK, CreateExtension(IID_IShellExtInit, reinterpret_cast<void**>(init.Out())));
        std::vector<std::wstring> wide;
        for (const std::string& f : c.files) wide.push_back(Wide(f));
        IDataObject* data = c.files.empty() ? nullptr : MakeDropData(wide);
        init->Initialize(nullptr, data, nullptr);
        if (data) data->Release();
        ComPtr<IShellPropSheetExt> sheetExtension;
        init->QueryInterface(IID_IShellPropSheetExt, reinterpret_cast<void**>(sheetExtension.Out()));
        std::vector<HPROPSHEETPAGE> pages;
        EXPECT_EQ(S_OK, sheetExtension->AddPages(CollectPage, reinterpret_cast<LPARAM>(&pages)));
        ASSERT_EQ(c.page ? 1u : 0u, pages.size());
        if (!c.page) continue;

        PROPSHEETHEADERA header = {};
        header.dwSize = sizeof header;
        header.dwFlags = PSH_MODELESS;
        header.pszCaption = "Properties";
        header.nPages = 1;
        header.phpage = pages.data();
        HWND sheet = reinterpret_cast<HWND>(PropertySheetA(&header));
        ASSERT_NE(nullptr, sheet);
        HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
        ASSERT_NE(nullptr, page);
        HWND tabs = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
        char title[32] = {};
        TCITEMA tab = {};
        tab.mask = TCIF_TEXT;
        tab.pszText = title;
        tab.cchTextMax = sizeof title;
        SendMessageA(tabs, TCM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tab));
        EXPECT_STREQ("ICON", title);
        for (int id = IDC_KIVARO_FILE_TIME; id <= IDC_KIVARO_TYPE; ++id) {
            char text[64] = {};
            GetDlgItemTextA(page, id, text, sizeof text);
            EXPECT_EQ(c.texts[id - IDC_KIVARO_FILE_TIME], text) << "control " << id;
        }
        if (c.texts[0].size()) {
            RECT sample;
            GetClientRect(GetDlgItem(page, IDC_KIVARO_SAMPLE), &sample);
            EXPECT_EQ(30, sample.right);
            EXPECT_EQ(20, sample.bottom);
        }
        DestroyWindow(sheet);
    }
}

// Eight shell threads asking for icons at once each get their own picture.
TEST_F(ExtensionTest, ConcurrentIconRequestsKeepTheirOwnPictures) {
    constexpr int kThreads = 8, kRounds = 25;
    std::vector<std::string> pictures;
    std::vector<uint32_t> colours;
    for (int t = 0; t < kThreads; ++t) {
        char name[32];
        snprintf(name, sizeof name, "thread%d.png", t);
        pictures.push_back(MakePicture(pictures_, name));
        colours.push_back(0x101010u * (t + 1) + 0x000005u);
        StoreThumb(folder_, pictures.back(), 40 + t, 30, SolidPixels(40 + t, 30, colours.back()));
    }
    HANDLE go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::vector<int> wrong(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            WaitForSingleObject(go, INFINITE);
            for (int round = 0; round < kRounds; ++round) {
                ShownIcon shown = IconFor(pictures[t]);
                if (shown.pixels.size() != 32 * 32 || shown.pixels[16 * 32 + 16] != colours[t]) ++wrong[t];
            }
            CoUninitialize();
        });
    SetEvent(go);
    for (std::thread& thread : threads) thread.join();
    CloseHandle(go);
    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(0, wrong[t]) << "thread " << t;
}

}  // namespace
