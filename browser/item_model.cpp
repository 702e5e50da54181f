#include "item_model.h"

#include <algorithm>
#include <map>

#include "pidl.h"

#include "picture.h"
#include "picture_types.h"
#include "program.h"
#include "resource_ids.h"
#include "win_guards.h"

#include <cstdio>
#include <cstring>

ItemModel::ItemModel() { InitializeCriticalSection(&lock); }

ItemModel::~ItemModel() {
    // The process is ending: the records' lists and pictures go with it.
    DeleteCriticalSection(&lock);
}

ItemModel& Items() {
    static ItemModel model;
    return model;
}

// ---------------------------------------------------------------------------
// Records

void FreeItemPictures(BrowserItem& item) {
    if (item.frames) {
        for (int k = 0; k < item.frameCount; ++k)
            if (item.frames[k] != item.thumbnail) FreePicture(item.frames[k]);
        delete[] item.frames;
        item.frames = nullptr;
    }
    FreePicture(item.thumbnail);
    FreePicture(item.largeIcon);
    FreePicture(item.smallIcon);
    item.thumbnail = item.largeIcon = item.smallIcon = nullptr;
    item.frameCount = item.currentFrame = 0;
    item.hasThumbnail = false;
}

void FreeBrowserItem(BrowserItem& item) {
    FreeItemPictures(item);
    FreePidl(item.absolute);
    FreePidl(item.relative);
    std::memset(&item, 0, sizeof item);
}

static void ZeroItem(BrowserItem& item) {
    std::memset(&item, 0, sizeof item);
    item.size = kNoSize;
}

static void SetItemName(BrowserItem& item, const std::string& name) {
    lstrcpynA(item.name, name.c_str(), sizeof item.name);
    const char* dot = std::strrchr(item.name, '.');
    item.extensionOffset = dot ? static_cast<int>(dot + 1 - item.name)
                               : static_cast<int>(std::strlen(item.name));
    // The picture type of the extension gives the label colour and the type
    // text; the entry lives as long as the program.
    const PictureType* type = dot ? FindPictureType(item.Extension()) : nullptr;
    item.typeRecord = type;
    item.typeBrush = type ? &type->brush : nullptr;
}

int SystemIconIndex(LPCITEMIDLIST absolute) {
    SHFILEINFOA info = {};
    if (!SHGetFileInfoA(reinterpret_cast<LPCSTR>(absolute), 0, &info, sizeof info,
                        SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON))
        return 0;
    return info.iIcon;
}

// Whether a folder has a file-system path; remembered for the folder last
// asked about, since a folder's items are filled one after another.
static bool FolderIsFileSystem(LPCITEMIDLIST absoluteFolder) {
    static LPITEMIDLIST last = nullptr;
    static bool lastAnswer = false;
    static CRITICAL_SECTION* lock = [] {
        static CRITICAL_SECTION section;
        InitializeCriticalSection(&section);
        return &section;
    }();
    SectionLock hold(lock);
    if (!last || !SamePidl(last, absoluteFolder)) {
        FreePidl(last);
        last = CopyPidl(absoluteFolder);
        lastAnswer = !PidlPath(absoluteFolder).empty();
    }
    return lastAnswer;
}

static bool IsRemovableRoot(const std::string& path) {
    if (path.size() != 3 || path[1] != ':' || path[2] != '\\') return false;
    return GetDriveTypeA(path.c_str()) == DRIVE_REMOVABLE;
}

bool FillFolderItem(BrowserItem& item, IShellFolder* folder,
                    LPCITEMIDLIST absoluteFolder, LPCITEMIDLIST relative) {
    ZeroItem(item);
    item.relative = CopyPidl(relative);
    item.absolute = ConcatPidls(absoluteFolder, relative);
    if (!item.relative || !item.absolute) {
        FreeBrowserItem(item);
        return false;
    }
    ULONG attributes = SFGAO_FOLDER | SFGAO_LINK | SFGAO_FILESYSTEM | SFGAO_HIDDEN;
    LPCITEMIDLIST one = relative;
    if (SUCCEEDED(folder->GetAttributesOf(1, &one, &attributes)))
        item.shellAttributes = attributes;

    // In a file-system folder the find data (carried in the identifier list)
    // gives name, size and time at once; asking the shell for the display
    // name and the path costs far more per item, which a folder of ten
    // thousand files feels.  Drive roots are looked at by path, so that a
    // removable drive without media is never touched.
    WIN32_FIND_DATAA find = {};
    bool found = false;
    if (FolderIsFileSystem(absoluteFolder)) {
        found = SUCCEEDED(SHGetDataFromIDListA(folder, relative, SHGDFIL_FINDDATA, &find, sizeof find));
    } else {
        const std::string path = PidlPath(item.absolute);
        found = !path.empty() && !IsRemovableRoot(path) &&
                SUCCEEDED(SHGetDataFromIDListA(folder, relative, SHGDFIL_FINDDATA, &find, sizeof find));
    }
    if (found) {
        if (find.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            item.state = kItemFolder;
        } else {
            item.state = kItemFile;
            item.size = find.nFileSizeLow;
        }
        item.lastWrite = find.ftLastWriteTime;
    }
    SetItemName(item, found && find.cFileName[0] ? std::string(find.cFileName)
                                                 : DisplayNameOf(folder, relative, SHGDN_INFOLDER));
    // A name with letters the code page lacks is reached through its short
    // form (see PidlPath); without one the file cannot be opened here, and
    // the item says so where a picture shows its size.
    if (std::strchr(item.name, '?') && std::strchr(PidlPath(item.absolute).c_str(), '?')) {
        char note[sizeof item.info] = "";
        if (!Program().resourceModule ||
            LoadStringA(Program().resourceModule, IDS_NAME_OUTSIDE_CODE_PAGE, note, sizeof note) <= 0)
            lstrcpynA(note, "Name outside code page", sizeof note);
        lstrcpynA(item.info, note, sizeof item.info);
    }
    // Asking the shell for the icon is the slowest part of an item; it is
    // fetched when the item is first drawn (ItemIconIndex).
    item.iconIndex = kIconNotFetched;
    return true;
}

int ItemIconIndex(BrowserItem& item) {
    if (item.iconIndex == kIconNotFetched) item.iconIndex = SystemIconIndex(item.absolute);
    return item.iconIndex;
}

bool AppendFolderItem(IShellFolder* folder, LPCITEMIDLIST absoluteFolder,
                      LPCITEMIDLIST relative) {
    BrowserItem item;
    if (!FillFolderItem(item, folder, absoluteFolder, relative)) return false;
    ItemModelLock hold;
    Items().items.push_back(item);
    return true;
}

bool AddParentEntry(LPCITEMIDLIST absoluteFolder) {
    if (!absoluteFolder || IsEmptyPidl(absoluteFolder)) return false;
    BrowserItem item;
    ZeroItem(item);
    item.absolute = ParentPidl(absoluteFolder);
    if (!item.absolute) return false;
    SetItemName(item, "..");
    item.extensionOffset = 2;
    item.state = kItemParent;
    item.iconIndex = SystemIconIndex(item.absolute);
    ItemModelLock hold;
    ItemModel& model = Items();
    model.items.insert(model.items.begin(), item);
    model.hasParent = true;
    return true;
}

void ClearItemModel() {
    ItemModelLock hold;
    ItemModel& model = Items();
    for (BrowserItem& item : model.items) FreeBrowserItem(item);
    model.items.clear();
    model.hasParent = false;
    model.secondPassNeeded = false;
    ClearPictureList();
}

void SetModelFolder(IShellFolder* folder, LPCITEMIDLIST absoluteFolder) {
    ItemModelLock hold;
    ItemModel& model = Items();
    if (folder) folder->AddRef();
    if (model.folder) model.folder->Release();
    model.folder = folder;
    FreePidl(model.folderPidl);
    model.folderPidl = absoluteFolder ? CopyPidl(absoluteFolder) : nullptr;
}

int FindItemByRelativePidl(LPCITEMIDLIST relative) {
    if (!relative) return -1;
    ItemModel& model = Items();
    for (int i = 0; i < model.Count(); ++i)
        if (model.items[i].relative && SamePidl(model.items[i].relative, relative)) return i;
    return -1;
}

std::string ItemPath(const BrowserItem& item) {
    return item.absolute ? PidlPath(item.absolute) : std::string();
}

// ---------------------------------------------------------------------------
// Sorting

// 0 the parent entry, 1 folders, 2 everything else; never reversed.
static int GroupOf(const BrowserItem& item) {
    if (item.state == kItemParent) return 0;
    if (item.state == 1 || item.state == kItemFolder) return 1;
    return 2;
}

static int Directed(int result, int flags) {
    return (flags & kSortReverse) ? -result : result;
}

template <typename Within>
static int Grouped(const BrowserItem& a, const BrowserItem& b, int flags, Within within) {
    const int ga = GroupOf(a), gb = GroupOf(b);
    if (ga != gb) return ga < gb ? -1 : 1;
    return Directed(within(), flags);
}

static int Unsigned(DWORD a, DWORD b) { return a < b ? -1 : (a > b ? 1 : 0); }

int CompareByName(const BrowserItem& a, const BrowserItem& b, int flags) {
    return Grouped(a, b, flags, [&] {
        if (a.state == kItemNoFile && b.state == kItemNoFile) return 0;
        return lstrcmpA(a.name, b.name);
    });
}

int CompareBySize(const BrowserItem& a, const BrowserItem& b, int flags) {
    return Grouped(a, b, flags, [&] { return Unsigned(a.size, b.size); });
}

int CompareByType(const BrowserItem& a, const BrowserItem& b, int flags) {
    return Grouped(a, b, flags, [&] {
        if (!a.typeText[0] && !b.typeText[0]) return 0;
        return lstrcmpA(a.typeText, b.typeText);
    });
}

int CompareByDate(const BrowserItem& a, const BrowserItem& b, int flags) {
    return Grouped(a, b, flags, [&] {
        return static_cast<int>(CompareFileTime(&a.lastWrite, &b.lastWrite));
    });
}

int CompareByAttrib(const BrowserItem& a, const BrowserItem& b, int flags) {
    return Grouped(a, b, flags, [&] { return Unsigned(a.dimensionKey, b.dimensionKey); });
}

ItemComparator ComparatorForKey(int key) {
    static const ItemComparator table[kSortKeyCount] = {
        CompareByName, CompareBySize, CompareByType, CompareByDate, CompareByAttrib};
    return key >= 0 && key < kSortKeyCount ? table[key] : CompareByName;
}

static inline void SwapItems(BrowserItem& a, BrowserItem& b) {
    BrowserItem t = a;
    a = b;
    b = t;
}

void SortItems(BrowserItem* a, int count, ItemComparator compare, int flags) {
    const int kInsertionLimit = 7;
    int stack[64];   // pairs of bounds; the smaller part is done first
    int top = 0;
    int low = 0, high = count - 1;
    BrowserItem held;
    for (;;) {
        if (high - low + 1 < kInsertionLimit) {
            for (int j = low + 1; j <= high; ++j) {
                held = a[j];
                int i = j - 1;
                for (; i >= low && compare(a[i], held, flags) > 0; --i) a[i + 1] = a[i];
                a[i + 1] = held;
            }
            if (top == 0) return;
            high = stack[--top];
            low = stack[--top];
            continue;
        }
        const int middle = low + (high - low) / 2;
        SwapItems(a[middle], a[low + 1]);
        if (compare(a[low], a[high], flags) > 0) SwapItems(a[low], a[high]);
        if (compare(a[low + 1], a[high], flags) > 0) SwapItems(a[low + 1], a[high]);
        if (compare(a[low], a[low + 1], flags) > 0) SwapItems(a[low], a[low + 1]);
        // a[low] <= pivot <= a[high] stop both scans.
        held = a[low + 1];
        int i = low + 1, j = high;
        for (;;) {
            do ++i; while (compare(a[i], held, flags) < 0);
            do --j; while (compare(a[j], held, flags) > 0);
            if (j < i) break;
            SwapItems(a[i], a[j]);
        }
        a[low + 1] = a[j];
        a[j] = held;
        if (high - i + 1 >= j - low) {
            stack[top++] = i;
            stack[top++] = high;
            high = j - 1;
        } else {
            stack[top++] = low;
            stack[top++] = j - 1;
            low = i;
        }
    }
}

// The same order as CompareByName, by the ranks RankTexts gave the names.
static int CompareByNameRank(const BrowserItem& a, const BrowserItem& b, int flags) {
    return Grouped(a, b, flags, [&] {
        if (a.state == kItemNoFile && b.state == kItemNoFile) return 0;
        return Unsigned(a.nameRank, b.nameRank);
    });
}

// The same order as CompareByType, by the ranks RankTexts gave the type texts.
static int CompareByTypeRank(const BrowserItem& a, const BrowserItem& b, int flags) {
    return Grouped(a, b, flags, [&] {
        if (!a.typeText[0] && !b.typeText[0]) return 0;
        return Unsigned(a.nameRank, b.nameRank);
    });
}

// Gives every item the place of its text (name or type) in the order
// lstrcmpA makes, from the texts' sort keys (the order CompareString gives,
// computed once per text rather than once per comparison).  Equal texts
// share a rank.
static void RankTexts(std::vector<BrowserItem>& items, const char* (*textOf)(const BrowserItem&)) {
    struct Keyed {
        std::string key;
        size_t index;
    };
    std::vector<Keyed> keyed(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        const char* text = textOf(items[i]);
        int n = LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, text, -1, nullptr, 0);
        keyed[i].index = i;
        if (n > 0) {
            keyed[i].key.resize(static_cast<size_t>(n));
            LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, text, -1, &keyed[i].key[0], n);
        }
    }
    std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) { return a.key < b.key; });
    DWORD rank = 0;
    for (size_t i = 0; i < keyed.size(); ++i) {
        if (i > 0 && keyed[i].key != keyed[i - 1].key) ++rank;
        items[keyed[i].index].nameRank = rank;
    }
}

void SortItemModel() {
    ItemModelLock hold;
    ItemModel& model = Items();
    if (model.stop || model.items.empty()) return;
    ItemComparator compare = model.comparator;
    if (compare == CompareByType) {
        for (BrowserItem& item : model.items) ItemTypeText(item);
        RankTexts(model.items, [](const BrowserItem& item) -> const char* { return item.typeText; });
        compare = CompareByTypeRank;
    } else if (compare == CompareByName) {
        RankTexts(model.items, [](const BrowserItem& item) -> const char* { return item.name; });
        compare = CompareByNameRank;
    }
    SortItems(model.items.data(), model.Count(), compare, model.sortFlags);
    if (model.pictureListBuilt) BuildPictureList();
}

void SetModelSort(int key, int flags) {
    {
        ItemModelLock hold;
        ItemModel& model = Items();
        model.sortKey = key >= 0 && key < kSortKeyCount ? key : kSortName;
        model.comparator = ComparatorForKey(model.sortKey);
        model.sortFlags = (flags & kSortReverse) ? kSortReverse : kSortForward;
    }
    SortItemModel();
}

// ---------------------------------------------------------------------------
// Only Picture Mode

void ClearPictureList() {
    ItemModel& model = Items();
    model.pictureList.clear();
    model.pictureListBuilt = false;
}

void BuildPictureList() {
    ItemModelLock hold;
    ItemModel& model = Items();
    model.pictureList.clear();
    for (int i = 0; i < model.Count(); ++i) {
        const int state = model.items[i].state;
        if (state == kItemParent || state == kItemPicture || state == kItemShortcutPicture)
            model.pictureList.push_back(i);
    }
    model.pictureListBuilt = true;
}

static bool ShowingPictureList() {
    const ItemModel& model = Items();
    return model.onlyPictures && model.pictureListBuilt;
}

int ShownItemCount() {
    const ItemModel& model = Items();
    return ShowingPictureList() ? static_cast<int>(model.pictureList.size()) : model.Count();
}

int ShownToModelIndex(int shown) {
    const ItemModel& model = Items();
    if (shown < 0 || shown >= ShownItemCount()) return -1;
    return ShowingPictureList() ? model.pictureList[shown] : shown;
}

int ModelToShownIndex(int index) {
    const ItemModel& model = Items();
    if (index < 0 || index >= model.Count()) return -1;
    if (!ShowingPictureList()) return index;
    for (size_t k = 0; k < model.pictureList.size(); ++k)
        if (model.pictureList[k] == index) return static_cast<int>(k);
    return -1;
}

BrowserItem* ShownItem(int shown) {
    const int index = ShownToModelIndex(shown);
    return index < 0 ? nullptr : &Items().items[index];
}

// ---------------------------------------------------------------------------
// Texts

std::string FormatItemDate(const FILETIME& utc) {
    FILETIME local;
    SYSTEMTIME time;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &time))
        return std::string();
    char text[48];
    std::snprintf(text, sizeof text,
                  time.wMonth >= 10 ? "%d-%d-%02d %02d:%02d" : "%d--%d-%02d %02d:%02d",
                  time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute);
    return text;
}

// The shell's type name of an extension (the file is not opened), kept per
// extension: a folder holds few kinds of files.
static std::string TypeNameOfExtension(const char* extension) {
    static CRITICAL_SECTION* lock = [] {
        static CRITICAL_SECTION section;
        InitializeCriticalSection(&section);
        return &section;
    }();
    static std::map<std::string, std::string>* known = new std::map<std::string, std::string>;
    char key[64];
    lstrcpynA(key, extension, sizeof key);
    CharLowerA(key);
    SectionLock hold(lock);
    auto found = known->find(key);
    std::string name;
    if (found != known->end()) {
        name = found->second;
    } else {
        SHFILEINFOA info = {};
        std::string probe = std::string("x.") + key;
        if (SHGetFileInfoA(probe.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                           SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES))
            name = info.szTypeName;
        (*known)[key] = name;
    }
    return name;
}

const char* ItemTypeText(BrowserItem& item) {
    const bool file = item.state == kItemFile || item.state == kItemPicture ||
                      item.state == kItemShortcutPending || item.state == kItemShortcutPicture;
    if (item.typeRecord != kTypeTextFilled && file) {
        const std::string text = item.typeRecord ? ResourceString(IDS_TYPE_SUPPORT) + item.typeRecord->description
                                                 : TypeNameOfExtension(item.Extension());
        lstrcpynA(item.typeText, text.c_str(), sizeof item.typeText);
        item.typeRecord = kTypeTextFilled;
    }
    return item.typeText;
}

std::string ItemColumnText(const BrowserItem& item, int column) {
    char text[64];
    switch (column) {
    case 0:
        return item.name;
    case 1:
        if (item.size == kNoSize) return std::string();
        std::snprintf(text, sizeof text, "%lu", static_cast<unsigned long>(item.size));
        return text;
    case 2:
        return ItemTypeText(const_cast<BrowserItem&>(item));
    case 3:
        if (item.state == kItemParent ||
            (item.lastWrite.dwLowDateTime == 0 && item.lastWrite.dwHighDateTime == 0))
            return std::string();
        return FormatItemDate(item.lastWrite);
    case 4: {
        std::string result = item.info;
        if (item.formatName[0]) result = result + "(" + item.formatName + ")";
        return result;
    }
    default:
        return std::string();
    }
}

// ---------------------------------------------------------------------------
// Type-ahead

static inline char FoldLetter(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool NamesAgree(const char* name, const char* text) {
    for (; *name && *text; ++name, ++text)
        if (FoldLetter(*name) != FoldLetter(*text)) return false;
    return true;
}

int FindItemByPrefix(const char* text, int start, bool wrap) {
    const int count = ShownItemCount();
    if (start < 0) start = 0;
    for (int i = start; i < count; ++i)
        if (NamesAgree(ShownItem(i)->name, text)) return i;
    if (wrap)
        for (int i = 0; i < start && i < count; ++i)
            if (NamesAgree(ShownItem(i)->name, text)) return i;
    return -1;
}
