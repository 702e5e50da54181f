#include "list_view_text.h"
#include "file_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "commands.h"
#include "item_model.h"

namespace {

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NOTIFY) {
        LRESULT result = 0;
        if (HandleFileListNotify(reinterpret_cast<NMHDR*>(lp), &result)) return result;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

void AddItem(const char* name, int state, DWORD size) {
    BrowserItem item;
    std::memset(&item, 0, sizeof item);
    SetItemName(item, name);
    item.state = state;
    item.size = size;
    Items().items.push_back(item);
}

class FileListTest : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = HostProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "FileListTestHost";
        RegisterClassA(&wc);
        host_ = CreateWindowA("FileListTestHost", "", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400,
                              nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(host_, nullptr);
        RECT rect = {0, 0, 580, 380};
        list_ = CreateFileList(host_, rect);
        ASSERT_NE(list_, nullptr);
        ClearItemModel();
        Items().hasParent = true;
        AddItem("..", kItemParent, kNoSize);
        AddItem("Photos", kItemFolder, kNoSize);
        AddItem("apple.jpg", kItemPicture, 100);
        AddItem("notes.txt", kItemFile, 5);
        AddItem("Pear.png", kItemPicture, 300);
        AddItem("plan.doc", kItemFile, 7);
        AnnounceItemCount();
    }
    void TearDown() override {
        Items().onlyPictures = false;
        DestroyFileList();
        DestroyWindow(host_);
        Items().sortKey = kSortName;
        Items().comparator = CompareByName;
        Items().sortFlags = kSortForward;
    }
    std::string Cell(int index, int column) { return ListItemText(list_, index, column); }
    std::string Header(int column) { return ListHeading(list_, column); }
    int FindPrefix(const char* text, int start, bool wrap) {
        LVFINDINFOA find = {};
        find.flags = LVFI_STRING | LVFI_PARTIAL | (wrap ? LVFI_WRAP : 0);
        find.psz = text;
        return static_cast<int>(SendMessageA(list_, LVM_FINDITEMA, start, reinterpret_cast<LPARAM>(&find)));
    }
    HWND host_ = nullptr;
    HWND list_ = nullptr;
};

TEST_F(FileListTest, VirtualListShowsModelTexts) {
    EXPECT_TRUE(FileListIsVirtual());
    EXPECT_EQ(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0), 6);
    EXPECT_EQ(Cell(2, 0), "apple.jpg");
    EXPECT_EQ(Cell(2, 1), "100");
    EXPECT_EQ(Cell(0, 1), "");
    EXPECT_EQ(Cell(0, 3), "");
    EXPECT_NE(ListInfoTip(2).find("Name:apple.jpg\nSize:100\n"), std::string::npos);
}

TEST_F(FileListTest, TypeAheadOverVirtualList) {
    EXPECT_EQ(FindPrefix("P", 0, false), 1);       // "Photos"
    EXPECT_EQ(FindPrefix("pe", 0, false), 4);      // case of letters ignored
    EXPECT_EQ(FindPrefix("pl", 5, false), 5);
    EXPECT_EQ(FindPrefix("app", 3, false), -1);
    EXPECT_EQ(FindPrefix("app", 3, true), 2);      // wraps to the start
    EXPECT_EQ(FindPrefix("zzz", 0, true), -1);
}

TEST_F(FileListTest, OnlyPictureModeMapsIndices) {
    HandleFileListCommand(IDC_ONLY_PICTURES);
    // No thumbnail pass yet: the whole model stays.
    EXPECT_EQ(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0), 6);
    BuildPictureList();
    AnnounceItemCount();
    EXPECT_EQ(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(Cell(0, 0), "..");
    EXPECT_EQ(Cell(2, 0), "Pear.png");
    EXPECT_EQ(ShownToModelIndex(1), 2);
    EXPECT_EQ(ModelToShownIndex(4), 2);
    EXPECT_EQ(ModelToShownIndex(3), -1);
    EXPECT_EQ(ShownToModelIndex(3), -1);
    EXPECT_EQ(FindPrefix("p", 0, false), 2);

    HandleFileListCommand(IDC_ONLY_PICTURES);
    EXPECT_EQ(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0), 6);
    EXPECT_EQ(ShownToModelIndex(3), 3);
}

TEST_F(FileListTest, SortCommandsMoveTheHeaderMark) {
    EXPECT_EQ(Header(0), "Name + ");
    SortList(IDC_SORT_BY_SIZE);
    EXPECT_EQ(Header(0), "Name");
    EXPECT_EQ(Header(1), "+ Size");
    SortList(IDC_SORT_REVERSE);
    EXPECT_EQ(Header(1), "- Size");
    EXPECT_EQ(Cell(0, 0), "..");
    EXPECT_EQ(Cell(1, 0), "Photos");
    EXPECT_EQ(Cell(2, 0), "Pear.png");
    SortList(IDC_SORT_BY_NAME);   // keeps the direction
    EXPECT_EQ(Header(0), "Name - ");
    EXPECT_EQ(Header(1), "Size");
    EXPECT_EQ(Cell(2, 0), "plan.doc");
}

TEST_F(FileListTest, ModesSetStylesAndImageLists) {
    const HIMAGELIST large = reinterpret_cast<HIMAGELIST>(SendMessageA(list_, LVM_GETIMAGELIST, LVSIL_NORMAL, 0));
    SetListMode(kModeThumbnails);
    EXPECT_EQ(GetWindowLongA(list_, GWL_STYLE) & LVS_TYPEMASK, LVS_ICON);
    const HIMAGELIST thumbs = reinterpret_cast<HIMAGELIST>(SendMessageA(list_, LVM_GETIMAGELIST, LVSIL_NORMAL, 0));
    EXPECT_NE(thumbs, large);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(thumbs, &cx, &cy);
    EXPECT_EQ(cx, 48);
    EXPECT_EQ(cy, 60);
    UpdateWindow(list_);   // the cell painter runs
    SetListMode(kModeList);
    EXPECT_EQ(GetWindowLongA(list_, GWL_STYLE) & LVS_TYPEMASK, LVS_LIST);
    SetListMode(kModeLargeIcons);
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageA(list_, LVM_GETIMAGELIST, LVSIL_NORMAL, 0)), large);
    EXPECT_EQ(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0), 6);
    HandleFileListCommand(IDC_MODE_DETAILS);
    EXPECT_EQ(GetWindowLongA(list_, GWL_STYLE) & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_EQ(ListModeNow(), kModeDetails);
}

TEST_F(FileListTest, SelectAllAndDeleteWithoutSelection) {
    EXPECT_TRUE(HandleFileListCommand(IDC_DELETE));   // nothing selected: nothing happens
    HandleFileListCommand(IDC_SELECT_ALL);
    EXPECT_EQ(SendMessageA(list_, LVM_GETSELECTEDCOUNT, 0, 0), 6);
}

}  // namespace
