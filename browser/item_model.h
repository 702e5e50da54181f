// The browser's item model: one record per object of the shown folder (plus
// the leading parent entry ".."), kept in one contiguous array that the
// worker thread fills and the file list only displays.
//
// Ownership: every record owns its name, its identifier list and its
// pictures (thumbnail, frames, icon-size copies).  Records are copied whole
// when the model sorts, so a record has no constructor or destructor;
// FreeBrowserItem releases what one owns, ClearItemModel releases all of them.
//
// A file-system folder is listed straight from its directory: its records
// carry name, size, time and attributes but no identifier list, which is
// made the first time something asks for it (ItemAbsolutePidl), because the
// shell's enumeration costs several times the directory listing and most
// items of a big folder are never handed to the shell.
//
// Locking: the worker takes the model's lock (ItemModelLock) while it makes
// one item's thumbnail; SortItemModel takes it itself.  Loading a folder is
// serialised by the worker's own folder lock, not by this one.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

struct Picture;
struct PictureType;   // an entry of the program's picture type table (picture_types.h)

// BrowserItem::state.
enum ItemState {
    kItemNoFile = 0,            // no file path, or its find data could not be read
    kItemFolder = 2,
    kItemFile = 3,              // a file not (yet) known to be a picture
    kItemParent = 4,            // the parent entry ".."
    kItemPicture = 5,           // thumbnail made or taken from the cache
    kItemShortcutPending = 6,   // shell shortcut waiting for the second pass
    kItemShortcutPicture = 7,   // shortcut whose target's thumbnail was made
};

// BrowserItem::typeRecord once the type text has been filled.
#define kTypeTextFilled (reinterpret_cast<const PictureType*>(-1))

constexpr DWORD kNoSize = 0xFFFFFFFFu;   // size of folders and the parent entry

struct BrowserItem {
    LPITEMIDLIST absolute;      // the object as seen from the desktop; null until
                                // asked for when listed by name (ItemAbsolutePidl)
    LPITEMIDLIST relative;      // the last element of absolute, inside it (null for "..")
    const HBRUSH* typeBrush;    // the brush field of its picture type's entry, or null
    char* name;                 // owned (SetItemName); file name or shell display name; ".." for the parent entry
    const char* typeText;       // shared, never freed; null until filled (ItemTypeText)
    FILETIME lastWrite;
    DWORD dimensionKey;         // 8 * (1250 * width + 4 * height + bits); 0 until examined
    DWORD nameRank;             // the place of its name among the model's, from 1; 0 until ranked
    DWORD serial;               // tells records apart while the model is re-sorted; never 0 for a filled record
    char info[32];              // "640x480x16M"
    char formatName[8];         // coder name, e.g. "JPEG"
    int state;                  // ItemState
    int extensionOffset;        // Extension(): the text after the last "." of name
    DWORD size;                 // low 32 bits of the file size; kNoSize for folders
    int iconIndex;              // index in the system image lists
    DWORD shellAttributes;      // SFGAO_* of the object (SFGAO_LINK, SFGAO_FOLDER...)
    bool examined;              // the first thumbnail pass has dealt with it
    bool hasThumbnail;
    bool listedByName;          // listed from the directory: its path is the folder's and its name
    Picture* thumbnail;         // first frame, owned
    int thumbWidth, thumbHeight;
    WORD frameCount;            // 0 for a still picture
    WORD currentFrame;
    Picture** frames;           // frameCount entries (new[]), element 0 is thumbnail
    Picture* largeIcon;         // copies for the large- and small-icon views, owned
    Picture* smallIcon;
    BYTE drawOffsetX, drawOffsetY;   // small-icon picture offsets in the icon views
    UINT displayState;          // LVIS_* as last read; bit 1 selected mark, bit 2 hot mark
    const PictureType* typeRecord;   // null, an entry, or kTypeTextFilled

    const char* Extension() const { return name ? name + extensionOffset : ""; }
};

// The display-state marks the painter uses besides the LVIS_* bits.
constexpr UINT kMarkSelected = 0x2;
constexpr UINT kMarkHot = 0x4;

// Sort keys (column order) and flags.
enum SortKey { kSortName = 0, kSortSize, kSortType, kSortDate, kSortAttrib, kSortKeyCount };
constexpr int kSortForward = 4;
constexpr int kSortReverse = 8;

// <0, 0, >0.  The grouping (parent entry, then folders, then files) comes
// first and ignores the direction; flags & kSortReverse negates the rest.
typedef int (*ItemComparator)(const BrowserItem& a, const BrowserItem& b, int flags);
int CompareByName(const BrowserItem& a, const BrowserItem& b, int flags);
int CompareBySize(const BrowserItem& a, const BrowserItem& b, int flags);
int CompareByType(const BrowserItem& a, const BrowserItem& b, int flags);
int CompareByDate(const BrowserItem& a, const BrowserItem& b, int flags);
int CompareByAttrib(const BrowserItem& a, const BrowserItem& b, int flags);
ItemComparator ComparatorForKey(int key);

// In-place, unstable quicksort of whole records (insertion below 7 items).
void SortItems(BrowserItem* items, int count, ItemComparator compare, int flags);

struct ItemModel {
    ItemModel();
    ~ItemModel();
    ItemModel(const ItemModel&) = delete;
    ItemModel& operator=(const ItemModel&) = delete;

    std::vector<BrowserItem> items;   // count: items.size()
    bool hasParent = false;           // items[0] is the parent entry
    IShellFolder* folder = nullptr;   // the shown folder (one reference held)
    LPITEMIDLIST folderPidl = nullptr;   // its absolute list (owned)
    std::string folderPath;           // the shown folder's path ("" outside the file system)
    int sortKey = kSortName;
    ItemComparator comparator = CompareByName;
    int sortFlags = kSortForward;
    volatile LONG stop = 0;           // set while the interface thread waits for the worker
    CRITICAL_SECTION lock;
    bool secondPassNeeded = false;
    int lastPageDelay = 0;
    // Only Picture Mode: model indices of ".." and of the items in state 5
    // or 7, in model order; valid once built after a thumbnail pass.
    std::vector<int> pictureList;
    bool pictureListBuilt = false;
    bool onlyPictures = false;

    int Count() const { return static_cast<int>(items.size()); }
};

ItemModel& Items();

class ItemModelLock {
public:
    ItemModelLock() { EnterCriticalSection(&Items().lock); }
    ~ItemModelLock() { LeaveCriticalSection(&Items().lock); }
    ItemModelLock(const ItemModelLock&) = delete;
    ItemModelLock& operator=(const ItemModelLock&) = delete;
};

// Releases the name, identifier list and pictures of one record (leaves it zeroed).
void FreeBrowserItem(BrowserItem& item);
// Gives the record its own copy of name (replacing the one it had), the
// extension after the last "." and the picture type of that extension.
// False when no memory was left for the copy (the record keeps no name).
bool SetItemName(BrowserItem& item, const char* name);
// The item's identifier lists, made from its name within the model's folder
// the first time they are asked for; null when the shell does not know the
// name (it went away).  Takes the model's lock.
LPCITEMIDLIST ItemAbsolutePidl(BrowserItem& item);
LPCITEMIDLIST ItemRelativePidl(BrowserItem& item);
// Releases the thumbnail, frames and icon-size copies only.
void FreeItemPictures(BrowserItem& item);

// Frees every item and empties the picture list (the shown folder stays).
void ClearItemModel();
// Makes folder/absoluteFolder the shown folder (takes its own reference and
// copy; null clears it).
void SetModelFolder(IShellFolder* folder, LPCITEMIDLIST absoluteFolder);

// Fills one record for an object of a folder: name, extension, find data
// (state 2 or 3, size, last-write time), shell attributes and icon index.
// An object without a file path or find data stays in state 0.  Returns
// false only when the identifier lists cannot be copied.
bool FillFolderItem(BrowserItem& item, IShellFolder* folder,
                    LPCITEMIDLIST absoluteFolder, LPCITEMIDLIST relative);
// Lists the objects of folder (absoluteFolder) as records, in the order
// found: a file-system folder from its directory (records listed by name),
// any other through the shell's enumeration.  Stops early, returning false
// with the records made so far freed, once aborted() says so (checked between
// items; may be null).  False too when the folder cannot be listed.
bool ListFolderItems(IShellFolder* folder, LPCITEMIDLIST absoluteFolder,
                     std::vector<BrowserItem>* out, bool (*aborted)());
// FillFolderItem and append to the model.
// A file's type text: the shell's type name of its extension, filled the
// first time it is asked for (the list's Type column, a sort by type).
const char* ItemTypeText(BrowserItem& item);

// The icon index of an item not asked for yet.
constexpr int kIconNotFetched = -2;
// The item's index in the system image lists, asked of the shell the first
// time (on the user-interface thread, for items being drawn).
int ItemIconIndex(BrowserItem& item);
int SystemIconIndex(LPCITEMIDLIST absolute);

bool AppendFolderItem(IShellFolder* folder, LPCITEMIDLIST absoluteFolder,
                      LPCITEMIDLIST relative);
// Inserts ".." (state 4) first for the parent of absoluteFolder; false (and
// nothing added) for the desktop, which has no parent.
bool AddParentEntry(LPCITEMIDLIST absoluteFolder);

// Sorts with the model's comparator and flags, under its lock; does nothing
// while the stop flag is set.  The records are ordered through an index and
// moved once; names are ranked again only when an item has no rank yet,
// type texts are compared once per distinct text.
void SortItemModel();
// Sets key (SortKey) and flags, then sorts.
void SetModelSort(int key, int flags);

// Index of the item whose relative list equals relative (for an item listed
// by name: whose name is the one relative names in the model's folder), or -1.
int FindItemByRelativePidl(LPCITEMIDLIST relative);
// Full file-system path of an item ("" when it has none).
std::string ItemPath(const BrowserItem& item);

// Picture list of Only Picture Mode.
void ClearPictureList();
void BuildPictureList();
// Items the list shows (the picture list while Only Picture Mode is on and
// the list is built, else the whole model) and the mapping of list indices.
int ShownItemCount();
int ShownToModelIndex(int shown);   // -1 when out of range
int ModelToShownIndex(int model);   // -1 when not shown
BrowserItem* ShownItem(int shown);  // null when out of range

// Details-view texts.  column 0 name, 1 size, 2 type, 3 date, 4 attrib.
std::string ItemColumnText(const BrowserItem& item, int column);
// The last-write time in local time: "2001-11-03 14:05", "2001--5-03 14:05".
std::string FormatItemDate(const FILETIME& utc);

// Type-ahead: the first item from start on (wrapping to 0..start-1 when
// wrap) whose name agrees with text over the shorter length, a-z without
// regard to case; -1 when none.  Indices are list indices.
int FindItemByPrefix(const char* text, int start, bool wrap);
bool NamesAgree(const char* name, const char* text);
