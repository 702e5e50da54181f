#include "item_model.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "pidl.h"
#include "shortcut.h"

namespace {

BrowserItem MakeItem(const char* name, int state, DWORD size = kNoSize) {
    BrowserItem item;
    std::memset(&item, 0, sizeof item);
    SetItemName(item, name);
    item.state = state;
    item.size = size;
    return item;
}

std::vector<std::string> Names(const std::vector<BrowserItem>& items) {
    std::vector<std::string> names;
    for (const BrowserItem& item : items) names.push_back(item.name);
    return names;
}

// Items the comparators cannot tell apart by grouping alone.
std::vector<BrowserItem> MixedFolder() {
    std::vector<BrowserItem> items = {
        MakeItem("b.txt", kItemFile, 300), MakeItem("zeta", kItemFolder),
        MakeItem("A.jpg", kItemPicture, 100), MakeItem("..", kItemParent),
        MakeItem("alpha", kItemFolder), MakeItem("c.png", kItemFile, 200)};
    for (size_t i = 0; i < items.size(); ++i) {
        items[i].lastWrite.dwLowDateTime = static_cast<DWORD>(10 - i);
        items[i].dimensionKey = static_cast<DWORD>(i * 5 % 6);
        static const char* const types[] = {"Text document", "File folder", "JPEG picture", "", "Folder",
                                            "PNG picture"};
        items[i].typeText = types[i];
        items[i].typeRecord = kTypeTextFilled;
    }
    return items;
}

int GroupRank(const BrowserItem& item) {
    return item.state == kItemParent ? 0 : item.state == kItemFolder ? 1 : 2;
}

TEST(ItemModelSort, ParentFirstThenFoldersInEveryKeyAndDirection) {
    for (int key = 0; key < kSortKeyCount; ++key) {
        for (int flags : {kSortForward, kSortReverse}) {
            std::vector<BrowserItem> items = MixedFolder();
            SortItems(items.data(), static_cast<int>(items.size()), ComparatorForKey(key), flags);
            EXPECT_STREQ(items[0].name, "..") << "key " << key << " flags " << flags;
            for (size_t i = 1; i < items.size(); ++i)
                EXPECT_LE(GroupRank(items[i - 1]), GroupRank(items[i]))
                    << "key " << key << " flags " << flags << " at " << i;
        }
    }
}

TEST(ItemModelSort, EachComparatorOrdersWithinGroup) {
    const BrowserItem small = MakeItem("b", kItemFile, 5);
    const BrowserItem large = MakeItem("A", kItemFile, 4000000000u);   // above 2^31
    EXPECT_LT(CompareByName(large, small, kSortForward), 0);   // "A" < "b" regardless of case
    EXPECT_LT(CompareBySize(small, large, kSortForward), 0);
    EXPECT_GT(CompareBySize(small, large, kSortReverse), 0);

    BrowserItem a = small, b = small;
    a.typeText = "Bitmap";
    b.typeText = "JPEG picture";
    EXPECT_LT(CompareByType(a, b, kSortForward), 0);
    a.lastWrite.dwHighDateTime = 1;
    EXPECT_GT(CompareByDate(a, b, kSortForward), 0);
    a.dimensionKey = 0x90000000u;
    b.dimensionKey = 5;
    EXPECT_GT(CompareByAttrib(a, b, kSortForward), 0);
    EXPECT_LT(CompareByAttrib(a, b, kSortReverse), 0);

    // Unreadable objects are equal by name; two empty type texts too.
    EXPECT_EQ(CompareByName(MakeItem("x", kItemNoFile), MakeItem("y", kItemNoFile), kSortForward), 0);
    EXPECT_EQ(CompareByType(MakeItem("x", kItemFile), MakeItem("y", kItemFile), kSortForward), 0);
    // A folder stays above a file even when reversed.
    EXPECT_LT(CompareBySize(MakeItem("d", kItemFolder), large, kSortReverse), 0);
}

TEST(ItemModelSort, ReverseBySizeLargestFileFirst) {
    std::vector<BrowserItem> items = MixedFolder();
    SortItems(items.data(), static_cast<int>(items.size()), CompareBySize, kSortReverse);
    EXPECT_EQ(Names(items), (std::vector<std::string>{"..", items[1].name, items[2].name,
                                                      "b.txt", "c.png", "A.jpg"}));
}

TEST(ItemModelSort, QuicksortMatchesOrderOnLargeInput) {
    // Above the insertion limit, with many equal keys and the pivot paths.
    std::vector<BrowserItem> items;
    unsigned seed = 12345;
    for (int i = 0; i < 3000; ++i) {
        seed = seed * 1103515245u + 12345u;
        items.push_back(MakeItem("f", (seed >> 8) % 3 == 0 ? kItemFolder : kItemFile, (seed >> 16) % 97));
    }
    SortItems(items.data(), static_cast<int>(items.size()), CompareBySize, kSortForward);
    for (size_t i = 1; i < items.size(); ++i)
        ASSERT_LE(CompareBySize(items[i - 1], items[i], kSortForward), 0) << i;
    SortItems(items.data(), 0, CompareBySize, kSortForward);   // empty is fine
}

TEST(ItemModelSort, ModelSortByNameKeepsTheNameComparatorsOrder) {
    // The model ranks names once before sorting; the order must be the one
    // the name comparator (lstrcmpA) gives, punctuation and case included.
    const char* names[] = {"b.txt", "B.TXT2", "a-b.jpg", "ab.jpg", "_x.png", "10.gif", "9.gif", "Zeta.bmp",
                           "zeta2.bmp", "a b.png", "\xe9" "clair.jpg", "e.jpg", "photo-10.jpg", "photo-9.jpg"};
    std::vector<BrowserItem> expected;
    for (const char* name : names) expected.push_back(MakeItem(name, kItemFile, 1));
    expected.push_back(MakeItem("sub", kItemFolder));
    for (int flags : {kSortForward, kSortReverse}) {
        SortItems(expected.data(), static_cast<int>(expected.size()), CompareByName, flags);
        {
            ItemModelLock hold;
            Items().items.clear();
            for (auto it = expected.rbegin(); it != expected.rend(); ++it) Items().items.push_back(*it);
        }
        SetModelSort(kSortName, flags);
        EXPECT_EQ(Names(expected), Names(Items().items)) << "flags " << flags;
    }
    ItemModelLock hold;
    Items().items.clear();
    Items().sortFlags = kSortForward;
}

TEST(ItemModelSort, ModelSortMatchesEachComparator) {
    // The model sorts through numeric keys and type-text ranks; the order
    // must be the comparator's for every key and direction.
    for (int key = kSortSize; key < kSortKeyCount; ++key) {
        for (int flags : {kSortForward, kSortReverse}) {
            std::vector<BrowserItem> expected = MixedFolder();
            expected[5].lastWrite.dwHighDateTime = 0x01D00000;   // a real date above 32 bits
            expected[1].size = 4000000000u;
            SortItems(expected.data(), static_cast<int>(expected.size()), ComparatorForKey(key), flags);
            {
                ItemModelLock hold;
                Items().items.assign(expected.rbegin(), expected.rend());
            }
            SetModelSort(key, flags);
            EXPECT_EQ(Names(expected), Names(Items().items)) << "key " << key << " flags " << flags;
        }
    }
    ItemModelLock hold;
    Items().items.clear();
    Items().sortKey = kSortName;
    Items().comparator = CompareByName;
    Items().sortFlags = kSortForward;
}

TEST(ItemModelText, ColumnsAndDates) {
    SYSTEMTIME may = {2001, 5, 4, 3, 14, 5, 0, 0};
    SYSTEMTIME november = may;
    november.wMonth = 11;
    FILETIME local, utc;
    BrowserItem item = MakeItem("photo.jpg", kItemPicture, 1234);
    SystemTimeToFileTime(&may, &local);
    LocalFileTimeToFileTime(&local, &utc);
    item.lastWrite = utc;
    EXPECT_EQ(ItemColumnText(item, 3), "2001--5-03 14:05");
    SystemTimeToFileTime(&november, &local);
    LocalFileTimeToFileTime(&local, &utc);
    EXPECT_EQ(FormatItemDate(utc), "2001-11-03 14:05");

    EXPECT_EQ(ItemColumnText(item, 0), "photo.jpg");
    EXPECT_STREQ(item.name + 6, "jpg");
    EXPECT_EQ(ItemColumnText(item, 1), "1234");
    lstrcpynA(item.info, "640x480x16M", 32);
    EXPECT_EQ(ItemColumnText(item, 4), "640x480x16M");
    lstrcpynA(item.formatName, "JPEG", 8);
    EXPECT_EQ(ItemColumnText(item, 4), "640x480x16M(JPEG)");

    BrowserItem parent = MakeItem("..", kItemParent);
    parent.lastWrite = utc;
    EXPECT_EQ(ItemColumnText(parent, 1), "");
    EXPECT_EQ(ItemColumnText(parent, 3), "");
}

TEST(ItemModelText, NamesAgreeOverShorterLength) {
    EXPECT_TRUE(NamesAgree("Photo.jpg", "pHO"));
    EXPECT_TRUE(NamesAgree("ab", "ABCD"));
    EXPECT_TRUE(NamesAgree("", "x"));
    EXPECT_TRUE(NamesAgree("x", ""));
    EXPECT_FALSE(NamesAgree("photo", "pi"));
    // Only a-z fold: other bytes compare exactly.
    EXPECT_FALSE(NamesAgree("\xC4x", "\xE4x"));
    EXPECT_FALSE(NamesAgree("[a", "{a"));
}

class ItemModelFolder : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        dir_ = std::string(temp) + "ommavu_item_model_test";
        CreateDirectoryA(dir_.c_str(), nullptr);
        CreateDirectoryA((dir_ + "\\sub").c_str(), nullptr);
        Write("small.txt", 10);
        Write("big.dat", 5000);
        Write("hidden.bin", 77);
        SetFileAttributesA((dir_ + "\\hidden.bin").c_str(), FILE_ATTRIBUTE_HIDDEN);
    }
    void TearDown() override {
        ClearItemModel();
        SetModelFolder(nullptr, nullptr);
        Items().sortKey = kSortName;
        Items().comparator = CompareByName;
        Items().sortFlags = kSortForward;
        SetFileAttributesA((dir_ + "\\hidden.bin").c_str(), FILE_ATTRIBUTE_NORMAL);
        for (const char* name : {"small.txt", "big.dat", "hidden.bin"})
            DeleteFileA((dir_ + "\\" + name).c_str());
        RemoveDirectoryA((dir_ + "\\sub").c_str());
        RemoveDirectoryA(dir_.c_str());
        CoUninitialize();
    }
    void Write(const char* name, int size) {
        HANDLE file = CreateFileA((dir_ + "\\" + name).c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        std::string data(size, 'x');
        DWORD written = 0;
        WriteFile(file, data.data(), size, &written, nullptr);
        CloseHandle(file);
    }
    // The folder load as the worker does it.
    void Load() {
        LPITEMIDLIST folderPidl = PidlFromPath(dir_);
        ASSERT_NE(folderPidl, nullptr);
        IShellFolder* folder = BindToFolder(folderPidl);
        ASSERT_NE(folder, nullptr);
        ClearItemModel();
        SetModelFolder(folder, folderPidl);
        AddParentEntry(folderPidl);
        std::vector<BrowserItem> records;
        EXPECT_TRUE(ListFolderItems(folder, folderPidl, &records, nullptr));
        {
            ItemModelLock hold;
            Items().items.insert(Items().items.end(), records.begin(), records.end());
        }
        folder->Release();
        FreePidl(folderPidl);
        SortItemModel();
    }
    const BrowserItem* Find(const char* prefix) {
        for (const BrowserItem& item : Items().items)
            if (std::strncmp(item.name, prefix, std::strlen(prefix)) == 0) return &item;
        return nullptr;
    }
    std::string dir_;
};

TEST_F(ItemModelFolder, FillsFromScratchFolder) {
    Load();
    ItemModel& model = Items();
    ASSERT_EQ(model.Count(), 5);
    EXPECT_TRUE(model.hasParent);
    EXPECT_STREQ(model.items[0].name, "..");
    EXPECT_EQ(model.items[0].state, kItemParent);
    EXPECT_EQ(model.items[0].size, kNoSize);
    EXPECT_STREQ(model.items[1].name, "sub");
    EXPECT_EQ(model.items[1].state, kItemFolder);
    EXPECT_EQ(model.items[1].size, kNoSize);

    const BrowserItem* big = Find("big");
    const BrowserItem* hidden = Find("hidden");
    ASSERT_NE(big, nullptr);
    ASSERT_NE(hidden, nullptr);
    EXPECT_EQ(big->state, kItemFile);
    EXPECT_EQ(big->size, 5000u);
    EXPECT_EQ(hidden->size, 77u);
    EXPECT_NE(big->lastWrite.dwHighDateTime, 0u);
    EXPECT_EQ(ItemPath(*big), dir_ + "\\big.dat");
    EXPECT_EQ(ItemPath(model.items[0]) + "\\ommavu_item_model_test", dir_);

    // Reverse by size: ".." and the folder stay on top, then the largest file.
    SetModelSort(kSortSize, kSortReverse);
    EXPECT_STREQ(model.items[0].name, "..");
    EXPECT_STREQ(model.items[1].name, "sub");
    EXPECT_EQ(model.items[2].size, 5000u);
    EXPECT_EQ(model.items[4].size, 10u);

    EXPECT_EQ(FindItemByRelativePidl(ItemRelativePidl(model.items[2])), 2);
    EXPECT_EQ(FindItemByRelativePidl(nullptr), -1);
}

TEST_F(ItemModelFolder, DirectoryListingGivesTheShellsRecords) {
    // A file-system folder is listed from its directory; every record must
    // say what the shell's own record of the object says, and its
    // identifier list, made when asked for, must name the same object.
    ASSERT_EQ(S_OK, CreateShortcut(dir_ + "\\big.dat", "", "", 0, dir_ + "\\link.lnk", ""));
    Load();
    LPITEMIDLIST folderPidl = PidlFromPath(dir_);
    IShellFolder* folder = BindToFolder(folderPidl);
    ASSERT_NE(nullptr, folder);
    IShellFolder* desktop = nullptr;
    ASSERT_EQ(S_OK, SHGetDesktopFolder(&desktop));
    int compared = 0;
    for (BrowserItem& listed : Items().items) {
        if (listed.state == kItemParent) continue;
        SCOPED_TRACE(listed.name);
        EXPECT_TRUE(listed.listedByName);
        EXPECT_EQ(nullptr, listed.absolute) << "no identifier list until asked for";
        ASSERT_NE(nullptr, ItemRelativePidl(listed));
        BrowserItem shell;
        ASSERT_TRUE(FillFolderItem(shell, folder, folderPidl, ItemRelativePidl(listed)));
        EXPECT_STREQ(shell.name, listed.name);
        EXPECT_EQ(shell.state, listed.state);
        EXPECT_EQ(shell.size, listed.size);
        // The shell keeps the time to two seconds: the shown date is the same.
        EXPECT_EQ(ItemColumnText(shell, 3), ItemColumnText(listed, 3));
        EXPECT_EQ(shell.shellAttributes, listed.shellAttributes);
        EXPECT_EQ(PidlPath(shell.absolute), ItemPath(listed));
        // The bytes of two lists of one object can differ (an element holds
        // its folder's write time, and other programs write to the temporary
        // folder meanwhile): the desktop compares them by what they name.
        const HRESULT same = desktop->CompareIDs(0, shell.absolute, ItemAbsolutePidl(listed));
        EXPECT_TRUE(SUCCEEDED(same) && static_cast<short>(HRESULT_CODE(same)) == 0);
        FreeBrowserItem(shell);
        ++compared;
    }
    EXPECT_EQ(5, compared) << "sub, three files and the shortcut";
    const BrowserItem* link = Find("link");
    ASSERT_NE(nullptr, link);
    EXPECT_NE(0u, link->shellAttributes & SFGAO_LINK);
    EXPECT_NE(0u, Find("hidden")->shellAttributes & SFGAO_HIDDEN);
    desktop->Release();
    folder->Release();
    FreePidl(folderPidl);
    DeleteFileA((dir_ + "\\link.lnk").c_str());
}

TEST_F(ItemModelFolder, StopFlagLeavesOrder) {
    Load();
    const std::vector<std::string> before = Names(Items().items);
    Items().stop = 1;
    SetModelSort(kSortSize, kSortReverse);
    Items().stop = 0;
    EXPECT_EQ(Names(Items().items), before);
}

}  // namespace

TEST_F(ItemModelFolder, LongAndForeignNamesKeepTheirPaths) {
    // A name that makes a path of 259 characters, the longest there is
    // (longer than the record's name field), and one with letters outside
    // the ANSI code page.
    const std::string longName = std::string(259 - dir_.size() - 1 - 4, 'n') + ".jpg";
    ASSERT_GT(longName.size(), 127u);
    Write(longName.c_str(), 3);
    const std::wstring foreign = std::wstring(dir_.begin(), dir_.end()) + L"\\\x03a9\x4e2d.png";
    HANDLE file = CreateFileW(foreign.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    CloseHandle(file);
    Load();
    const BrowserItem* item = Find("nnnn");
    ASSERT_NE(nullptr, item);
    EXPECT_EQ(longName, item->name) << "shown whole";
    EXPECT_EQ(dir_ + "\\" + longName, ItemPath(*item));
    EXPECT_EQ(7, static_cast<int>(Items().Count())) << "parent, sub, three files, the long and the foreign one";
    DeleteFileA((dir_ + "\\" + longName).c_str());
    DeleteFileW(foreign.c_str());
}
