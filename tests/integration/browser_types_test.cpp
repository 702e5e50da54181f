// The browser's items take their type text and label colour from the picture
// type table: files read through the real shell, labels drawn by the list's
// painter.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "item_model.h"
#include "list_painter.h"
#include "list_view_text.h"
#include "load.h"
#include "picture_types.h"
#include "program.h"
#include "resource_ids.h"
#include "settings.h"
#include "shell_test_files.h"

namespace {

// One file of a folder as the browser's folder load fills it.
class FolderItem {
public:
    FolderItem(const std::string& folder, const std::string& name) {
        IShellFolder* desktop = nullptr;
        SHGetDesktopFolder(&desktop);
        std::wstring wideFolder(folder.begin(), folder.end()), wideName(name.begin(), name.end());
        desktop->ParseDisplayName(nullptr, nullptr, &wideFolder[0], nullptr, &folderPidl_, nullptr);
        desktop->BindToObject(folderPidl_, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&folder_));
        desktop->Release();
        LPITEMIDLIST relative = nullptr;
        if (folder_) folder_->ParseDisplayName(nullptr, nullptr, &wideName[0], nullptr, &relative, nullptr);
        filled_ = relative && FillFolderItem(item, folder_, folderPidl_, relative);
        CoTaskMemFree(relative);
    }
    ~FolderItem() {
        FreeBrowserItem(item);
        if (folder_) folder_->Release();
        CoTaskMemFree(folderPidl_);
    }
    bool filled() const { return filled_; }
    BrowserItem item = {};

private:
    IShellFolder* folder_ = nullptr;
    LPITEMIDLIST folderPidl_ = nullptr;
    bool filled_ = false;
};

// The colour in the corner of an unselected label drawn by the painter.
COLORREF LabelColour(const BrowserItem& item) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 80, 40);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT rect = {0, 0, 80, 40};
    DrawItemLabel(dc, rect, item, false, false);
    const COLORREF colour = GetPixel(dc, 1, 1);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return colour;
}

TEST(BrowserTypesTest, KnownTypesShowTheirDescriptionAndColour) {
    CoInitialize(nullptr);
    SetUpProgramState();
    ASSERT_TRUE(EnsureImageLibrary());
    BuildPictureTypes(ImageLibrary());
    Put("Number", "0", "TYPECOLOR");
    Put("GIF", nullptr, "TYPECOLOR");
    Put("JPG", nullptr, "TYPECOLOR");
    settings::EnsureTypeColorDefaults();
    Put("GIF", "0x123456", "TYPECOLOR");   // a tag's own key
    ApplyPictureTypeColors(settings::ReadAllTypeColors());
    Put("BackgroundColor", "0xC0C0C0", "Paramter");

    const std::string folder = Beside("scratch browser types");
    CreateDirectoryA(folder.c_str(), nullptr);
    struct Case {
        const char* name;
        const char* tag;        // the table entry that gives the text, or null
        COLORREF colour;
    } cases[] = {
        {"a.jpg", "JPG", RGB(0xFF, 0x00, 0x80)},    // no JPG key: the JPEG module's 0x8000FF
        {"b.GIF", "GIF", RGB(0x56, 0x34, 0x12)},    // the tag's own key, case of the name ignored
        {"c.pcx", "PCX", RGB(255, 255, 255)},       // a type without any key: white
        {"d.doc", nullptr, RGB(0xC0, 0xC0, 0xC0)},  // not a picture type: the list's background
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteTextFile(folder + "\\" + c.name);
        FolderItem file(folder, c.name);
        ASSERT_TRUE(file.filled());
        const std::string text = ItemTypeText(file.item);
        if (c.tag) {
            const PictureType* type = FindPictureType(c.tag);
            ASSERT_NE(nullptr, type);
            EXPECT_EQ(ResourceString(IDS_TYPE_SUPPORT) + type->description, text);
            EXPECT_EQ("Quenlark Ommavu Support:", text.substr(0, 24));
        } else {
            EXPECT_EQ(std::string::npos, text.find("Ommavu")) << text;
        }
        EXPECT_EQ(c.colour, LabelColour(file.item));
        DeleteFileA((folder + "\\" + c.name).c_str());
    }
    RemoveDirectoryA(folder.c_str());
    FreeListBrushes();
}

TEST(BrowserTypesTest, TagLookupFindsEveryEntryOfTheLibrarysUnsortedOrder) {
    ASSERT_TRUE(EnsureImageLibrary());
    // Built twice, as a second start-up step would: the table is replaced, not appended to.
    size_t first = 0;
    for (int run = 0; run < 2; ++run) {
        BuildPictureTypes(ImageLibrary());
        ApplyPictureTypeColors(settings::ReadAllTypeColors());
        if (run == 0) first = PictureTypes().size();
    }
    EXPECT_EQ(first, PictureTypes().size());
    const auto& types = PictureTypes();
    ASSERT_GT(types.size(), 50u);
    bool sorted = true;
    for (size_t i = 1; i < types.size(); ++i) sorted = sorted && lstrcmpiA(types[i - 1].name, types[i].name) <= 0;
    EXPECT_FALSE(sorted) << "the library's order is not sorted, so a search must not rely on it";
    for (const PictureType& type : types) {
        const PictureType* found = FindPictureType(type.name);
        ASSERT_NE(nullptr, found) << type.name;
        EXPECT_EQ(0, lstrcmpiA(type.name, found->name));
        char lower[sizeof type.name];
        lstrcpyA(lower, type.name);
        CharLowerA(lower);
        EXPECT_EQ(found, FindPictureType(lower)) << lower;
    }
    for (const char* missing : {"", "NO-SUCH-TYPE", "JP", "JPGX", "~"}) EXPECT_EQ(nullptr, FindPictureType(missing));
}

}  // namespace
