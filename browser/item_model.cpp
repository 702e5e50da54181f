#include "item_model.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>

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
    // relative lies inside absolute.
    FreePidl(item.absolute);
    std::free(item.name);
    std::memset(&item, 0, sizeof item);
}

// Records made since the program started; a record's serial tells it apart
// from every other one.
static volatile LONG g_serials = 0;

static void ZeroItem(BrowserItem& item) {
    std::memset(&item, 0, sizeof item);
    item.size = kNoSize;
    item.serial = static_cast<DWORD>(InterlockedIncrement(&g_serials));
}

// The picture type of an extension, remembered for the last one asked: the
// files of a folder mostly share one, and the table's search compares with
// the locale's rules.
static const PictureType* PictureTypeOfExtension(const char* extension) {
    static CRITICAL_SECTION* lock = [] {
        static CRITICAL_SECTION section;
        InitializeCriticalSection(&section);
        return &section;
    }();
    static char last[16] = "";
    static const PictureType* lastType = nullptr;
    if (std::strlen(extension) >= sizeof last) return FindPictureType(extension);
    SectionLock hold(lock);
    if (!last[0] || std::strcmp(last, extension) != 0) {
        lastType = FindPictureType(extension);
        std::strcpy(last, extension);
    }
    return lastType;
}

bool SetItemName(BrowserItem& item, const char* name) {
    const size_t length = std::strlen(name);
    char* copy = static_cast<char*>(std::malloc(length + 1));
    std::free(item.name);
    item.name = copy;
    item.extensionOffset = 0;
    item.typeRecord = nullptr;
    item.typeBrush = nullptr;
    if (!copy) return false;
    std::memcpy(copy, name, length + 1);
    const char* dot = std::strrchr(copy, '.');
    item.extensionOffset = dot ? static_cast<int>(dot + 1 - copy) : static_cast<int>(length);
    // The picture type of the extension gives the label colour and the type
    // text; the entry lives as long as the program.
    const PictureType* type = dot && dot[1] ? PictureTypeOfExtension(item.Extension()) : nullptr;
    item.typeRecord = type;
    item.typeBrush = type ? &type->brush : nullptr;
    return true;
}

// The last element of a list, inside it; null for the empty list.
static LPITEMIDLIST LastElementInside(LPITEMIDLIST pidl) {
    if (!pidl || pidl->mkid.cb == 0) return nullptr;
    BYTE* at = reinterpret_cast<BYTE*>(pidl);
    for (;;) {
        BYTE* next = at + reinterpret_cast<LPITEMIDLIST>(at)->mkid.cb;
        if (reinterpret_cast<LPITEMIDLIST>(next)->mkid.cb == 0) return reinterpret_cast<LPITEMIDLIST>(at);
        at = next;
    }
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

// A folder or a file, with its size and date, from what the directory says.
static void TakeFindData(BrowserItem& item, DWORD attributes, DWORD size, const FILETIME& lastWrite) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        item.state = kItemFolder;
    } else {
        item.state = kItemFile;
        item.size = size;
    }
    item.lastWrite = lastWrite;
}

bool FillFolderItem(BrowserItem& item, IShellFolder* folder,
                    LPCITEMIDLIST absoluteFolder, LPCITEMIDLIST relative) {
    ZeroItem(item);
    item.absolute = ConcatPidls(absoluteFolder, relative);
    item.relative = LastElementInside(item.absolute);
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
    if (found) TakeFindData(item, find.dwFileAttributes, find.nFileSizeLow, find.ftLastWriteTime);
    const bool named = found && find.cFileName[0]
                           ? SetItemName(item, find.cFileName)
                           : SetItemName(item, DisplayNameOf(folder, relative, SHGDN_INFOLDER).c_str());
    if (!named) {
        FreeBrowserItem(item);
        return false;
    }
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

LPCITEMIDLIST ItemAbsolutePidl(BrowserItem& item) {
    ItemModelLock hold;
    ItemModel& model = Items();
    if (item.absolute || !item.listedByName || !item.name || !model.folder || !model.folderPidl)
        return item.absolute;
    WCHAR wide[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, item.name, -1, wide, MAX_PATH)) return nullptr;
    LPITEMIDLIST relative = nullptr;
    ULONG eaten = 0;
    if (FAILED(model.folder->ParseDisplayName(nullptr, nullptr, wide, &eaten, &relative, nullptr)) || !relative)
        return nullptr;
    item.absolute = ConcatPidls(model.folderPidl, relative);
    item.relative = LastElementInside(item.absolute);
    FreePidl(relative);
    return item.absolute;
}

LPCITEMIDLIST ItemRelativePidl(BrowserItem& item) {
    ItemAbsolutePidl(item);
    return item.relative;
}

int ItemIconIndex(BrowserItem& item) {
    if (item.iconIndex == kIconNotFetched) {
        LPCITEMIDLIST absolute = ItemAbsolutePidl(item);
        item.iconIndex = absolute ? SystemIconIndex(absolute) : 0;
    }
    return item.iconIndex;
}

// The shell attributes the model keeps (SFGAO_FOLDER | SFGAO_LINK |
// SFGAO_FILESYSTEM | SFGAO_HIDDEN) depend on whether the object is a
// directory, on its extension (a shortcut's type) and on its hidden bit: the
// shell is asked once per directory bit and extension of a listing, for the
// first object of that kind, and the hidden bit comes from the directory.
class AttributeClasses {
public:
    explicit AttributeClasses(IShellFolder* folder) : folder_(folder) {}
    DWORD Of(const BrowserItem& item, const WCHAR* name, DWORD fileAttributes) {
        const bool directory = (fileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        const DWORD hidden = (fileAttributes & FILE_ATTRIBUTE_HIDDEN) ? SFGAO_HIDDEN : 0;
        // Most objects of a folder are of the kind of the one before.
        if (lastValid_ && directory == lastDirectory_ && std::strcmp(item.Extension(), lastExtension_.c_str()) == 0)
            return lastAttributes_ | hidden;
        char key[40];
        key[0] = directory ? 'd' : 'f';
        lstrcpynA(key + 1, item.Extension(), sizeof key - 1);
        CharLowerA(key + 1);
        auto known = classes_.find(key);
        DWORD attributes;
        if (known != classes_.end()) {
            attributes = known->second;
        } else {
            attributes = directory ? SFGAO_FOLDER | SFGAO_FILESYSTEM : SFGAO_FILESYSTEM;
            LPITEMIDLIST relative = nullptr;
            ULONG eaten = 0;
            if (SUCCEEDED(folder_->ParseDisplayName(nullptr, nullptr, const_cast<WCHAR*>(name), &eaten, &relative,
                                                    nullptr)) && relative) {
                ULONG asked = SFGAO_FOLDER | SFGAO_LINK | SFGAO_FILESYSTEM | SFGAO_HIDDEN;
                LPCITEMIDLIST one = relative;
                if (SUCCEEDED(folder_->GetAttributesOf(1, &one, &asked))) attributes = asked & ~SFGAO_HIDDEN;
                FreePidl(relative);
            }
            classes_[key] = attributes;
        }
        lastValid_ = true;
        lastDirectory_ = directory;
        lastExtension_ = item.Extension();
        lastAttributes_ = attributes;
        return attributes | hidden;
    }

private:
    IShellFolder* folder_;
    std::map<std::string, DWORD> classes_;
    bool lastValid_ = false;
    bool lastDirectory_ = false;
    std::string lastExtension_;
    DWORD lastAttributes_ = 0;
};

// One object found in the directory as a record listed by name.  False when
// no memory was left for its name.
static bool FillListedItem(BrowserItem& item, const WIN32_FIND_DATAW& find, AttributeClasses& classes) {
    ZeroItem(item);
    char name[MAX_PATH * 2];
    if (!WideCharToMultiByte(CP_ACP, 0, find.cFileName, -1, name, sizeof name, nullptr, nullptr) ||
        !SetItemName(item, name)) {
        FreeBrowserItem(item);
        return false;
    }
    item.listedByName = true;
    TakeFindData(item, find.dwFileAttributes, find.nFileSizeLow, find.ftLastWriteTime);
    item.shellAttributes = classes.Of(item, find.cFileName, find.dwFileAttributes);
    item.iconIndex = kIconNotFetched;
    return true;
}

// Whether a file name survives the trip to the code page and back.
static bool NameFitsCodePage(const WCHAR* name) {
    char ansi[MAX_PATH * 2];
    BOOL lossy = FALSE;
    return WideCharToMultiByte(CP_ACP, 0, name, -1, ansi, sizeof ansi, nullptr, &lossy) && !lossy;
}

static void FreeRecords(std::vector<BrowserItem>* records) {
    for (BrowserItem& item : *records) FreeBrowserItem(item);
    records->clear();
}

// The directory of a file-system folder, straight from the file system.
// False when the directory cannot be read (the shell's enumeration is tried
// then).
static bool ListDirectory(IShellFolder* folder, LPCITEMIDLIST absoluteFolder, const std::string& path,
                          std::vector<BrowserItem>* out, bool (*aborted)(), bool* stopped) {
    WCHAR pattern[MAX_PATH + 4];
    const std::string wanted = path + (path.back() == '\\' ? "*" : "\\*");
    if (wanted.size() >= MAX_PATH || !MultiByteToWideChar(CP_ACP, 0, wanted.c_str(), -1, pattern, MAX_PATH + 4))
        return false;
    WIN32_FIND_DATAW find;
    // Without the short names, which the file system would make up for every
    // long name; a large buffer per call to the file system.
    HANDLE search = FindFirstFileExW(pattern, FindExInfoBasic, &find, FindExSearchNameMatch, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE && GetLastError() == ERROR_INVALID_PARAMETER)
        search = FindFirstFileW(pattern, &find);
    if (search == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;   // an empty root
    AttributeClasses classes(folder);
    do {
        const WCHAR* name = find.cFileName;
        if (name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0))) continue;
        BrowserItem item;
        if (NameFitsCodePage(name)) {
            if (FillListedItem(item, find, classes)) out->push_back(item);
        } else {
            // Its ANSI name opens nothing: the shell's record gives the path
            // through the short name, or the note that there is none.
            LPITEMIDLIST relative = nullptr;
            ULONG eaten = 0;
            if (SUCCEEDED(folder->ParseDisplayName(nullptr, nullptr, const_cast<WCHAR*>(name), &eaten, &relative,
                                                   nullptr)) && relative) {
                if (FillFolderItem(item, folder, absoluteFolder, relative)) out->push_back(item);
                FreePidl(relative);
            }
        }
        if (aborted && (out->size() & 255) == 0 && aborted()) {
            *stopped = true;
            break;
        }
    } while (FindNextFileW(search, &find));
    FindClose(search);
    return true;
}

bool ListFolderItems(IShellFolder* folder, LPCITEMIDLIST absoluteFolder,
                     std::vector<BrowserItem>* out, bool (*aborted)()) {
    out->clear();
    bool stopped = false;
    const std::string path = absoluteFolder ? PidlPath(absoluteFolder) : std::string();
    if (!path.empty() && ListDirectory(folder, absoluteFolder, path, out, aborted, &stopped)) {
        if (stopped) FreeRecords(out);
        return !stopped;
    }
    FreeRecords(out);
    IEnumIDList* objects = nullptr;
    if (FAILED(folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, &objects)))
        return false;
    if (!objects) return true;   // S_FALSE without an enumerator: an empty folder
    LPITEMIDLIST relative = nullptr;
    while (objects->Next(1, &relative, nullptr) == S_OK) {
        BrowserItem item;
        if (FillFolderItem(item, folder, absoluteFolder, relative)) out->push_back(item);
        FreePidl(relative);
        if (aborted && aborted()) {
            stopped = true;
            break;
        }
    }
    objects->Release();
    if (stopped) FreeRecords(out);
    return !stopped;
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
    if (!item.absolute || !SetItemName(item, "..")) {
        FreeBrowserItem(item);
        return false;
    }
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
    model.folderPath = absoluteFolder ? PidlPath(absoluteFolder) : std::string();
}

int FindItemByRelativePidl(LPCITEMIDLIST relative) {
    if (!relative) return -1;
    ItemModel& model = Items();
    std::string name;
    for (int i = 0; i < model.Count(); ++i) {
        const BrowserItem& item = model.items[i];
        if (item.relative) {
            if (SamePidl(item.relative, relative)) return i;
        } else if (item.listedByName && item.name && model.folder) {
            if (name.empty()) name = DisplayNameOf(model.folder, relative, SHGDN_INFOLDER | SHGDN_FORPARSING);
            if (!name.empty() && lstrcmpiA(name.c_str(), item.name) == 0) return i;
        }
    }
    return -1;
}

std::string ItemPath(const BrowserItem& item) {
    if (item.listedByName && item.name) {
        const std::string& folder = Items().folderPath;
        if (folder.empty()) return std::string();
        return folder + (folder.back() == '\\' ? "" : "\\") + item.name;
    }
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

static const char* TextOrEmpty(const char* text) { return text ? text : ""; }

int CompareByName(const BrowserItem& a, const BrowserItem& b, int flags) {
    return Grouped(a, b, flags, [&] {
        if (a.state == kItemNoFile && b.state == kItemNoFile) return 0;
        return lstrcmpA(TextOrEmpty(a.name), TextOrEmpty(b.name));
    });
}

int CompareBySize(const BrowserItem& a, const BrowserItem& b, int flags) {
    return Grouped(a, b, flags, [&] { return Unsigned(a.size, b.size); });
}

int CompareByType(const BrowserItem& a, const BrowserItem& b, int flags) {
    return Grouped(a, b, flags, [&] {
        const char* ta = TextOrEmpty(a.typeText);
        const char* tb = TextOrEmpty(b.typeText);
        if (!ta[0] && !tb[0]) return 0;
        return ta == tb ? 0 : lstrcmpA(ta, tb);
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

// The same order as CompareByName, by the ranks RankNames gave the names.
static int CompareByNameRank(const BrowserItem& a, const BrowserItem& b, int flags) {
    return Grouped(a, b, flags, [&] {
        if (a.state == kItemNoFile && b.state == kItemNoFile) return 0;
        return Unsigned(a.nameRank, b.nameRank);
    });
}

// Gives every item the place of its name in the order lstrcmpA makes (from
// 1), from the names' sort keys (the order CompareString gives, computed
// once per name rather than once per comparison).  Equal names share a rank.
static void RankNames(std::vector<BrowserItem>& items) {
    struct Keyed {
        std::string key;
        size_t index;
    };
    std::vector<Keyed> keyed(items.size());
    char buffer[1024];
    for (size_t i = 0; i < items.size(); ++i) {
        const char* text = TextOrEmpty(items[i].name);
        keyed[i].index = i;
        int n = LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, text, -1, buffer, sizeof buffer);
        if (n > 0) {
            keyed[i].key.assign(buffer, static_cast<size_t>(n));
        } else if ((n = LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, text, -1, nullptr, 0)) > 0) {
            keyed[i].key.resize(static_cast<size_t>(n));
            LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, text, -1, &keyed[i].key[0], n);
        }
    }
    std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) { return a.key < b.key; });
    DWORD rank = 1;
    for (size_t i = 0; i < keyed.size(); ++i) {
        if (i > 0 && keyed[i].key != keyed[i - 1].key) ++rank;
        items[keyed[i].index].nameRank = rank;
    }
}

// Whether every item has its rank among the names: a record made since the
// last ranking has none (0), and the ones kept keep their order.
static bool NamesRanked(const std::vector<BrowserItem>& items) {
    for (const BrowserItem& item : items)
        if (item.nameRank == 0) return false;
    return true;
}

// A sort by type compares the few distinct type texts once each: every item
// is given the place of its text among them, in the order lstrcmpA makes.
static std::vector<DWORD> RankTypeTexts(std::vector<BrowserItem>& items) {
    // The texts are shared: one pointer per distinct text.
    std::vector<const char*> texts;
    std::vector<DWORD> slots(items.size());
    DWORD last = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        const char* text = TextOrEmpty(ItemTypeText(items[i]));
        if (texts.empty() || texts[last] != text) {
            last = 0;
            while (last < texts.size() && texts[last] != text) ++last;
            if (last == texts.size()) texts.push_back(text);
        }
        slots[i] = last;
    }
    std::vector<DWORD> order(texts.size());
    for (DWORD k = 0; k < order.size(); ++k) order[k] = k;
    std::sort(order.begin(), order.end(), [&](DWORD a, DWORD b) { return lstrcmpA(texts[a], texts[b]) < 0; });
    std::vector<DWORD> rankOfSlot(texts.size());
    DWORD rank = 0;
    for (size_t k = 0; k < order.size(); ++k) {
        if (k > 0 && lstrcmpA(texts[order[k - 1]], texts[order[k]]) != 0) ++rank;
        rankOfSlot[order[k]] = rank;
    }
    for (DWORD& slot : slots) slot = rankOfSlot[slot];
    return slots;
}

// One item's place in a sort: its group, the key within the group (turned
// over for a reverse sort) and its index, so that equal items keep the order
// they had.
struct SortKey64 {
    unsigned long long key;   // group in the top two bits, then the value
    DWORD index;
    bool operator<(const SortKey64& other) const {
        return key != other.key ? key < other.key : index < other.index;
    }
};

// The value an item is sorted by within its group, as a number whose order
// is the comparator's; false when the key does not fit one (a date beyond
// 62 bits, or objects without a file, which compare equal by name to each
// other yet by name to the rest).
static bool SortValue(const BrowserItem& item, int key, const DWORD* typeRank, unsigned long long* value) {
    switch (key) {
    case kSortName:
        if (item.state == kItemNoFile) return false;
        *value = item.nameRank;
        return true;
    case kSortSize:
        *value = item.size;
        return true;
    case kSortType:
        *value = *typeRank;
        return true;
    case kSortDate:
        *value = (static_cast<unsigned long long>(item.lastWrite.dwHighDateTime) << 32) | item.lastWrite.dwLowDateTime;
        return *value < (1ull << 62);
    case kSortAttrib:
        *value = item.dimensionKey;
        return true;
    default:
        return false;
    }
}

// The order of the items as a permutation of their indices, then the
// records moved once: sorting whole records would move them about twenty
// times each.  The permutation is sorted on numbers (the group and the value
// the comparator orders by) where every item has one, else with the
// comparator itself.
static void SortByIndex(std::vector<BrowserItem>& items, int key, ItemComparator compare, int flags,
                        const std::vector<DWORD>* typeRanks) {
    const size_t count = items.size();
    const BrowserItem* records = items.data();
    std::vector<SortKey64> keyed(count);
    bool numeric = true;
    const unsigned long long valueMask = (1ull << 62) - 1;
    for (size_t i = 0; i < count && numeric; ++i) {
        unsigned long long value = 0;
        numeric = SortValue(records[i], key, typeRanks ? &(*typeRanks)[i] : nullptr, &value);
        if (flags & kSortReverse) value = valueMask - value;
        keyed[i].key = (static_cast<unsigned long long>(GroupOf(records[i])) << 62) | (value & valueMask);
        keyed[i].index = static_cast<DWORD>(i);
    }
    if (numeric) {
        std::sort(keyed.begin(), keyed.end());
    } else {
        for (size_t i = 0; i < count; ++i) keyed[i].index = static_cast<DWORD>(i);
        std::sort(keyed.begin(), keyed.end(), [&](const SortKey64& a, const SortKey64& b) {
            const int result = compare(records[a.index], records[b.index], flags);
            return result != 0 ? result < 0 : a.index < b.index;
        });
    }
    std::vector<BrowserItem> sorted;
    sorted.reserve(count);
    for (const SortKey64& entry : keyed) sorted.push_back(records[entry.index]);
    items.swap(sorted);
}

void SortItemModel() {
    ItemModelLock hold;
    ItemModel& model = Items();
    if (model.stop || model.items.empty()) return;
    ItemComparator compare = model.comparator;
    std::vector<DWORD> typeRanks;
    if (compare == CompareByType) {
        typeRanks = RankTypeTexts(model.items);
    } else if (compare == CompareByName) {
        if (!NamesRanked(model.items)) RankNames(model.items);
        compare = CompareByNameRank;
    }
    // The key the comparator sorts by (-1 for one of another kind).
    int key = -1;
    for (int k = 0; k < kSortKeyCount; ++k)
        if (ComparatorForKey(k) == model.comparator) key = k;
    SortByIndex(model.items, key, compare, model.sortFlags, key == kSortType ? &typeRanks : nullptr);
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

// One shared copy of every type text made (they are few: one per kind of
// file), kept for the program's life.
static const char* SharedTypeText(const std::string& text) {
    static CRITICAL_SECTION* lock = [] {
        static CRITICAL_SECTION section;
        InitializeCriticalSection(&section);
        return &section;
    }();
    static std::set<std::string>* texts = new std::set<std::string>;
    SectionLock hold(lock);
    return texts->insert(text.substr(0, 127)).first->c_str();
}

// The shell's type name of an extension (the file is not opened), kept per
// extension: a folder holds few kinds of files.
static const char* TypeNameOfExtension(const char* extension) {
    static CRITICAL_SECTION* lock = [] {
        static CRITICAL_SECTION section;
        InitializeCriticalSection(&section);
        return &section;
    }();
    static std::map<std::string, const char*>* known = new std::map<std::string, const char*>;
    static std::string last;
    static const char* lastName = nullptr;
    SectionLock hold(lock);
    if (lastName && last == extension) return lastName;
    char key[64];
    lstrcpynA(key, extension, sizeof key);
    CharLowerA(key);
    auto found = known->find(key);
    if (found == known->end()) {
        SHFILEINFOA info = {};
        std::string probe = std::string("x.") + key;
        std::string name;
        if (SHGetFileInfoA(probe.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                           SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES))
            name = info.szTypeName;
        found = known->emplace(key, SharedTypeText(name)).first;
    }
    last = extension;
    lastName = found->second;
    return lastName;
}

// The type text of a picture type's entry, made once per entry: the entries
// live as long as the program.  Made anew when the resource module (the
// language) changed.
static const char* PictureTypeText(const PictureType* type) {
    static CRITICAL_SECTION* lock = [] {
        static CRITICAL_SECTION section;
        InitializeCriticalSection(&section);
        return &section;
    }();
    static std::map<const PictureType*, const char*>* known = new std::map<const PictureType*, const char*>;
    static HINSTANCE madeFor = nullptr;
    static const PictureType* lastType = nullptr;
    static const char* lastText = nullptr;
    SectionLock hold(lock);
    if (madeFor != Program().resourceModule) {
        known->clear();
        madeFor = Program().resourceModule;
        lastType = nullptr;
    }
    if (type == lastType) return lastText;
    const char*& text = (*known)[type];
    if (!text) text = SharedTypeText(ResourceString(IDS_TYPE_SUPPORT) + type->description);
    lastType = type;
    lastText = text;
    return text;
}

const char* ItemTypeText(BrowserItem& item) {
    const bool file = item.state == kItemFile || item.state == kItemPicture ||
                      item.state == kItemShortcutPending || item.state == kItemShortcutPicture;
    if (item.typeRecord != kTypeTextFilled && file) {
        item.typeText = item.typeRecord ? PictureTypeText(item.typeRecord)
                                        : TypeNameOfExtension(item.Extension());
        item.typeRecord = kTypeTextFilled;
    }
    return TextOrEmpty(item.typeText);
}

std::string ItemColumnText(const BrowserItem& item, int column) {
    char text[64];
    switch (column) {
    case 0:
        return TextOrEmpty(item.name);
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
        if (NamesAgree(TextOrEmpty(ShownItem(i)->name), text)) return i;
    if (wrap)
        for (int i = 0; i < start && i < count; ++i)
            if (NamesAgree(TextOrEmpty(ShownItem(i)->name), text)) return i;
    return -1;
}
