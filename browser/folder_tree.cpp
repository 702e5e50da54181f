#include "folder_tree.h"

#include <shellapi.h>
#include <windowsx.h>

#include <cstring>
#include <new>
#include <vector>

#include "commands.h"
#include "file_list.h"
#include "file_operations.h"
#include "file_transfer.h"
#include "messages.h"
#include "pidl.h"

namespace {

// The shell's own "Internet Explorer" object on the desktop is started, not
// browsed.
constexpr char kInternetExplorer[] = "Internet Explorer";
constexpr UINT kFirstShellCommand = 1;
constexpr UINT kLastShellCommand = 0x7FFF;
// TVE_COLLAPSE | TVE_EXPAND: the action bits of a TVN_ITEMEXPANDING.
constexpr UINT kExpandActions = 0x0003;

HWND g_tree = nullptr;
HWND g_list = nullptr;
WNDPROC g_treeProc = nullptr;
HIMAGELIST g_previousImages = nullptr;
HTREEITEM g_current = nullptr;
bool g_dragging = false;
void (*g_onDrop)(const char*) = nullptr;
HCURSOR g_noCursor = nullptr;
HCURSOR g_arrowCursor = nullptr;

// ---- tree items ----------------------------------------------------------

HTREEITEM NextItem(HTREEITEM item, UINT how) {
    return reinterpret_cast<HTREEITEM>(SendMessageA(g_tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
}
HTREEITEM RootItem() { return NextItem(nullptr, TVGN_ROOT); }
HTREEITEM FirstChild(HTREEITEM item) { return NextItem(item, TVGN_CHILD); }
HTREEITEM NextSibling(HTREEITEM item) { return NextItem(item, TVGN_NEXT); }
HTREEITEM ParentItem(HTREEITEM item) { return NextItem(item, TVGN_PARENT); }
HTREEITEM SelectedItem() { return NextItem(nullptr, TVGN_CARET); }

UINT ItemState(HTREEITEM item, UINT mask) {
    return static_cast<UINT>(SendMessageA(g_tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), mask));
}

TreeItemData* DataOf(HTREEITEM item) {
    if (!item) return nullptr;
    TVITEMA tv = {};
    tv.mask = TVIF_HANDLE | TVIF_PARAM;
    tv.hItem = item;
    if (!SendMessageA(g_tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv))) return nullptr;
    return reinterpret_cast<TreeItemData*>(tv.lParam);
}

void SetItemParam(HTREEITEM item, TreeItemData* data) {
    TVITEMA tv = {};
    tv.mask = TVIF_HANDLE | TVIF_PARAM;
    tv.hItem = item;
    tv.lParam = reinterpret_cast<LPARAM>(data);
    SendMessageA(g_tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
}

void SetHasChildren(HTREEITEM item, bool children) {
    TVITEMA tv = {};
    tv.mask = TVIF_HANDLE | TVIF_CHILDREN;
    tv.hItem = item;
    tv.cChildren = children ? 1 : 0;
    SendMessageA(g_tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
}

void SetItemText(HTREEITEM item, const std::string& text) {
    TVITEMA tv = {};
    tv.mask = TVIF_HANDLE | TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = const_cast<char*>(text.c_str());
    SendMessageA(g_tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
}

std::string ItemText(HTREEITEM item) {
    char text[MAX_PATH] = {};
    TVITEMA tv = {};
    tv.mask = TVIF_HANDLE | TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = text;
    tv.cchTextMax = sizeof text;
    SendMessageA(g_tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
    return text;
}

std::string ItemPath(HTREEITEM item) {
    TreeItemData* data = DataOf(item);
    if (!data) return std::string();
    if (!data->pathKnown) {
        data->path = PidlPath(data->absolute);
        data->pathKnown = true;
    }
    return data->path;
}

void FreeData(TreeItemData* data) {
    if (!data) return;
    if (data->parent) data->parent->Release();
    FreePidl(data->absolute);
    FreePidl(data->relative);
    delete data;
}

// Releases the data of an item and everything below it; the items stay, with
// no data.  Forgets the current folder item when it is among them.
void FreeSubtreeData(HTREEITEM item) {
    for (HTREEITEM child = FirstChild(item); child; child = NextSibling(child)) FreeSubtreeData(child);
    if (TreeItemData* data = DataOf(item)) {
        SetItemParam(item, nullptr);
        FreeData(data);
    }
    if (item == g_current) g_current = nullptr;
}

void FreeAllItemData() {
    for (HTREEITEM item = RootItem(); item; item = NextSibling(item)) FreeSubtreeData(item);
}

void DeleteItem(HTREEITEM item) {
    FreeSubtreeData(item);
    SendMessageA(g_tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item));
}

// Throws the children away and clears the item's "expanded once" state, so
// that the next expansion enumerates the folder again.  The expand button
// stays.
void ResetChildren(HTREEITEM item) {
    for (HTREEITEM child = FirstChild(item); child; child = NextSibling(child)) FreeSubtreeData(child);
    SendMessageA(g_tree, TVM_EXPAND, TVE_COLLAPSE | TVE_COLLAPSERESET, reinterpret_cast<LPARAM>(item));
    while (HTREEITEM child = FirstChild(item)) DeleteItem(child);
    SetHasChildren(item, true);
}

// ---- shell objects -------------------------------------------------------

// The folder object of an item: the root is its own parent.
IShellFolder* BindItem(const TreeItemData* data) {
    if (!data || !data->parent) return nullptr;
    if (IsEmptyPidl(data->relative)) {
        data->parent->AddRef();
        return data->parent;
    }
    IShellFolder* folder = nullptr;
    if (FAILED(data->parent->BindToObject(data->relative, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&folder))))
        return nullptr;
    return folder;
}

bool SameChild(IShellFolder* folder, LPCITEMIDLIST a, LPCITEMIDLIST b) {
    if (!a || !b) return false;
    HRESULT hr = folder->CompareIDs(0, a, b);
    return SUCCEEDED(hr) ? static_cast<short>(HRESULT_CODE(hr)) == 0 : SamePidl(a, b);
}

bool ReadFindData(IShellFolder* folder, LPCITEMIDLIST relative, WIN32_FIND_DATAA* found) {
    if (IsEmptyPidl(relative)) return false;
    *found = WIN32_FIND_DATAA{};
    return SUCCEEDED(SHGetDataFromIDListA(folder, relative, SHGDFIL_FINDDATA, found, sizeof *found));
}

int IconIndex(LPCITEMIDLIST absolute, UINT extra) {
    SHFILEINFOA info = {};
    if (!SHGetFileInfoA(reinterpret_cast<LPCSTR>(absolute), 0, &info, sizeof info,
                        SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON | extra))
        return 0;
    return info.iIcon;
}

// A file-system folder carries an icon of its own only when it is marked
// read-only or system (its desktop.ini names it); every other folder shows
// the same icons as the first such folder the tree met, which the shell is
// asked for once.  Asking for each folder by identifier list makes the shell
// look for that desktop.ini, which some systems do by reading the whole
// folder when it is not there: a folder of 100,000 files held the tree up
// for a quarter of a second.
struct FolderIcons {
    int normal = -1;
    int open = -1;
};
FolderIcons g_plainFolderIcons;

bool MayHaveOwnIcon(DWORD attributes) {
    return (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM)) != 0;
}

IContextMenu* ContextMenuOf(const TreeItemData* data) {
    if (!data || IsEmptyPidl(data->relative)) return nullptr;
    LPCITEMIDLIST items[] = {data->relative};
    IContextMenu* menu = nullptr;
    if (FAILED(data->parent->GetUIObjectOf(g_tree, 1, items, IID_IContextMenu, nullptr, reinterpret_cast<void**>(&menu))))
        return nullptr;
    return menu;
}

void InvokeMenuCommand(IContextMenu* menu, UINT offset) {
    CMINVOKECOMMANDINFO invoke = {};
    invoke.cbSize = sizeof invoke;
    invoke.hwnd = GetParent(g_tree);
    invoke.lpVerb = MAKEINTRESOURCEA(offset);
    invoke.nShow = SW_SHOWNORMAL;
    menu->InvokeCommand(&invoke);
}

void InvokeDefaultCommand(const TreeItemData* data) {
    IContextMenu* menu = ContextMenuOf(data);
    if (!menu) return;
    if (HMENU popup = CreatePopupMenu()) {
        if (SUCCEEDED(menu->QueryContextMenu(popup, 0, kFirstShellCommand, kLastShellCommand, CMF_DEFAULTONLY))) {
            UINT id = GetMenuDefaultItem(popup, FALSE, 0);
            if (id != static_cast<UINT>(-1) && id >= kFirstShellCommand) InvokeMenuCommand(menu, id - kFirstShellCommand);
        }
        DestroyMenu(popup);
    }
    menu->Release();
}

// The default command of an object given by its absolute list alone.
void InvokeDefaultCommandOf(LPCITEMIDLIST absolute) {
    TreeItemData data = {};
    LPITEMIDLIST parent = ParentPidl(absolute);
    data.parent = BindToFolder(parent);
    data.relative = LastPidlElement(absolute);
    if (data.parent && data.relative) InvokeDefaultCommand(&data);
    if (data.parent) data.parent->Release();
    FreePidl(data.relative);
    FreePidl(parent);
}

bool IsInternetExplorer(const TreeItemData* data) {
    return data && !IsEmptyPidl(data->relative) &&
           DisplayNameOf(data->parent, data->relative, SHGDN_NORMAL) == kInternetExplorer;
}

// ---- filling ---------------------------------------------------------------

// One sub-folder as the enumeration reports it.
struct FoundFolder {
    LPITEMIDLIST relative;
    bool hasSubfolders;
    bool fileSystem;   // its find data can be read
    DWORD attributes;  // from the find data (0 without)
};

// The sub-folders of a folder in the shell's order (hidden ones included);
// the caller owns the lists.
std::vector<FoundFolder> EnumerateFolders(IShellFolder* folder) {
    std::vector<FoundFolder> found;
    IEnumIDList* objects = nullptr;
    if (FAILED(folder->EnumObjects(g_tree, SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN, &objects)) || !objects)
        return found;
    LPITEMIDLIST relative = nullptr;
    ULONG fetched = 0;
    while (objects->Next(1, &relative, &fetched) == S_OK && relative) {
        ULONG attributes = SFGAO_FOLDER | SFGAO_HASSUBFOLDER | SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR;
        LPCITEMIDLIST items[] = {relative};
        if (FAILED(folder->GetAttributesOf(1, items, &attributes)) || !(attributes & SFGAO_FOLDER)) {
            FreePidl(relative);
            continue;
        }
        WIN32_FIND_DATAA data;
        const bool fileSystem = ReadFindData(folder, relative, &data);
        found.push_back(FoundFolder{relative, (attributes & SFGAO_HASSUBFOLDER) != 0, fileSystem,
                                    fileSystem ? data.dwFileAttributes : 0});
        relative = nullptr;
    }
    objects->Release();
    return found;
}

// Inserts a child under `parent` and takes over `relative`.  File-system
// folders keep the shell's order (after `after`); the others are sorted in.
// Null when memory ran out.
HTREEITEM InsertFolder(HTREEITEM parent, IShellFolder* folder, LPCITEMIDLIST parentAbsolute,
                       const FoundFolder& found, HTREEITEM after) {
    auto* data = new (std::nothrow) TreeItemData{folder, ConcatPidls(parentAbsolute, found.relative), found.relative, std::string(), false};
    if (!data || !data->absolute) {
        if (data) {
            data->parent = nullptr;
            FreeData(data);
        } else {
            FreePidl(found.relative);
        }
        return nullptr;
    }
    folder->AddRef();
    std::string text = DisplayNameOf(folder, found.relative, SHGDN_NORMAL);
    TVINSERTSTRUCTA insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = found.fileSystem ? after : TVI_SORT;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_CHILDREN;
    insert.item.pszText = const_cast<char*>(text.c_str());
    const bool plain = found.fileSystem && (found.attributes & FILE_ATTRIBUTE_DIRECTORY) &&
                       !MayHaveOwnIcon(found.attributes);
    if (plain && g_plainFolderIcons.normal >= 0) {
        insert.item.iImage = g_plainFolderIcons.normal;
        insert.item.iSelectedImage = g_plainFolderIcons.open;
    } else {
        insert.item.iImage = IconIndex(data->absolute, 0);
        insert.item.iSelectedImage = IconIndex(data->absolute, SHGFI_OPENICON);
        if (plain) g_plainFolderIcons = FolderIcons{insert.item.iImage, insert.item.iSelectedImage};
    }
    insert.item.cChildren = found.hasSubfolders ? 1 : 0;
    insert.item.lParam = reinterpret_cast<LPARAM>(data);
    auto item = reinterpret_cast<HTREEITEM>(SendMessageA(g_tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    if (!item) FreeData(data);
    return item;
}

void InsertChildren(HTREEITEM item) {
    TreeItemData* data = DataOf(item);
    IShellFolder* folder = BindItem(data);
    bool any = false;
    if (folder) {
        std::vector<FoundFolder> found = EnumerateFolders(folder);
        HTREEITEM after = TVI_FIRST;
        size_t i = 0;
        for (; i < found.size(); ++i) {
            HTREEITEM child = InsertFolder(item, folder, data->absolute, found[i], after);
            if (!child) break;
            after = child;
            any = true;
        }
        for (++i; i < found.size(); ++i) FreePidl(found[i].relative);
        folder->Release();
    }
    if (!any) SetHasChildren(item, false);
}

// Enumerates an item that was never expanded (or was reset) and has no
// children yet.
void FillIfNeeded(HTREEITEM item) {
    if (!item || (ItemState(item, TVIS_EXPANDEDONCE) & TVIS_EXPANDEDONCE) || FirstChild(item)) return;
    InsertChildren(item);
}

void Expand(HTREEITEM item) {
    FillIfNeeded(item);
    SendMessageA(g_tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
}

bool FillRoot() {
    FreeAllItemData();
    SendMessageA(g_tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    g_current = nullptr;
    g_plainFolderIcons = FolderIcons{};
    LPITEMIDLIST desktopList = nullptr;
    IShellFolder* desktop = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &desktopList)) || FAILED(SHGetDesktopFolder(&desktop))) {
        FreePidl(desktopList);
        return false;
    }
    auto* data = new (std::nothrow) TreeItemData{desktop, desktopList, CopyPidl(nullptr), std::string(), false};
    if (!data || !data->relative) {
        if (data)
            FreeData(data);
        else {
            desktop->Release();
            FreePidl(desktopList);
        }
        return false;
    }
    std::string text = DisplayNameOf(desktop, desktopList, SHGDN_NORMAL);
    TVINSERTSTRUCTA insert = {};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_CHILDREN;
    insert.item.pszText = const_cast<char*>(text.c_str());
    insert.item.iImage = IconIndex(desktopList, 0);
    insert.item.iSelectedImage = IconIndex(desktopList, SHGFI_OPENICON);
    insert.item.cChildren = 1;
    insert.item.lParam = reinterpret_cast<LPARAM>(data);
    auto root = reinterpret_cast<HTREEITEM>(SendMessageA(g_tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    if (!root) {
        FreeData(data);
        return false;
    }
    Expand(root);
    return true;
}

// Merges the folder's current sub-folders into an item's children: kept
// children take the fresh lists and name; those that are expanded are
// refreshed in turn, those that were filled but are collapsed are reset.
void RefreshItem(HTREEITEM item) {
    TreeItemData* data = DataOf(item);
    IShellFolder* folder = BindItem(data);
    std::vector<HTREEITEM> present;
    if (folder) {
        std::vector<FoundFolder> found = EnumerateFolders(folder);
        HTREEITEM after = TVI_FIRST;
        size_t i = 0;
        for (; i < found.size(); ++i) {
            HTREEITEM kept = nullptr;
            for (HTREEITEM child = FirstChild(item); child && !kept; child = NextSibling(child)) {
                TreeItemData* childData = DataOf(child);
                if (childData && SameChild(folder, childData->relative, found[i].relative)) kept = child;
            }
            if (kept) {
                TreeItemData* keptData = DataOf(kept);
                if (LPITEMIDLIST absolute = ConcatPidls(data->absolute, found[i].relative)) {
                    FreePidl(keptData->absolute);
                    FreePidl(keptData->relative);
                    keptData->absolute = absolute;
                    keptData->relative = found[i].relative;
                    keptData->pathKnown = false;
                } else {
                    FreePidl(found[i].relative);
                }
                std::string text = DisplayNameOf(folder, keptData->relative, SHGDN_NORMAL);
                if (text != ItemText(kept)) SetItemText(kept, text);
                if (!FirstChild(kept)) SetHasChildren(kept, found[i].hasSubfolders);
            } else {
                kept = InsertFolder(item, folder, data->absolute, found[i], after);
                if (!kept) break;
            }
            present.push_back(kept);
            after = kept;
        }
        for (++i; i < found.size(); ++i) FreePidl(found[i].relative);
        folder->Release();
    }
    for (HTREEITEM child = FirstChild(item); child;) {
        HTREEITEM next = NextSibling(child);
        bool keep = false;
        for (HTREEITEM p : present) keep = keep || p == child;
        if (!keep) {
            DeleteItem(child);
        } else if (FirstChild(child)) {
            if (ItemState(child, TVIS_EXPANDED) & TVIS_EXPANDED)
                RefreshItem(child);
            else
                ResetChildren(child);
        }
        child = next;
    }
    SetHasChildren(item, FirstChild(item) != nullptr);
}

// ---- finding items ---------------------------------------------------------

bool SameLetters(const std::string& a, const std::string& b, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

bool SamePath(const std::string& a, const std::string& b) {
    return a.size() == b.size() && SameLetters(a, b, a.size());
}

// Walks down from `item`, expanding on the way, to the child whose path is
// `target`.  Children whose path (possibly empty: virtual folders) starts the
// target are descended into; a subtree that fails is collapsed again unless
// it was open before.
HTREEITEM FindPathBelow(HTREEITEM item, const std::string& target) {
    bool wasExpanded = (ItemState(item, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
    // Expanding an open item again costs the tree a whole layout.
    if (!wasExpanded) Expand(item);
    // Folders on the way to the target first (their path starts it, up to a
    // backslash); virtual folders, which have no path, only when none is:
    // opening them (the network, the recycle bin) is slow.
    for (int virtualFolders = 0; virtualFolders < 2; ++virtualFolders) {
        for (HTREEITEM child = FirstChild(item); child; child = NextSibling(child)) {
            std::string path = ItemPath(child);
            if (path.empty() != (virtualFolders == 1)) continue;
            if (path.size() > target.size() || !SameLetters(path, target, path.size())) continue;
            if (path.size() == target.size()) return child;
            if (!path.empty() && path.back() != '\\' && target[path.size()] != '\\') continue;
            if (HTREEITEM found = FindPathBelow(child, target)) return found;
        }
    }
    if (!wasExpanded) SendMessageA(g_tree, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(item));
    return nullptr;
}

// Depth first over the items the tree holds, expanding nothing.
HTREEITEM FindLoaded(HTREEITEM item, const std::string& path) {
    for (; item; item = NextSibling(item)) {
        if (SamePath(ItemPath(item), path)) return item;
        if (HTREEITEM found = FindLoaded(FirstChild(item), path)) return found;
    }
    return nullptr;
}

HTREEITEM FindLoadedPidl(HTREEITEM item, LPCITEMIDLIST absolute) {
    for (; item; item = NextSibling(item)) {
        TreeItemData* data = DataOf(item);
        if (data && SamePidl(data->absolute, absolute)) return item;
        if (HTREEITEM found = FindLoadedPidl(FirstChild(item), absolute)) return found;
    }
    return nullptr;
}

// ---- actions ---------------------------------------------------------------

void OpenFolderItem(HTREEITEM item) {
    TreeItemData* data = DataOf(item);
    if (!data) return;
    if (IsInternetExplorer(data)) {
        InvokeDefaultCommand(data);
        return;
    }
    g_current = item;
    WIN32_FIND_DATAA found;
    FolderRequest request{data, ReadFindData(data->parent, data->relative, &found) &&
                                    (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0};
    if (g_list) SendMessageA(g_list, kMsgOpenFolder, 0, reinterpret_cast<LPARAM>(&request));
}

// Selecting an item opens it through TVN_SELCHANGEDA; the item that already
// has the selection is opened again directly.
void SelectAndOpen(HTREEITEM item) {
    if (SelectedItem() == item)
        OpenFolderItem(item);
    else
        SendMessageA(g_tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    SendMessageA(g_tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
}

bool RenameItem(HTREEITEM item, const char* text) {
    TreeItemData* data = DataOf(item);
    std::string oldPath = ItemPath(item), folder = ItemPath(ParentItem(item));
    if (!data || !text || !*text || oldPath.empty() || folder.empty()) return false;
    if (folder.back() != '\\') folder += '\\';
    std::string newPath = folder + text;
    oldPath.push_back('\0');
    newPath.push_back('\0');
    if (!RenameFile(GetParent(g_tree), oldPath.c_str(), newPath.c_str())) return false;

    // The item now stands for the new name.
    int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], n);
    LPITEMIDLIST relative = nullptr;
    ULONG eaten = 0;
    if (SUCCEEDED(data->parent->ParseDisplayName(g_tree, nullptr, &wide[0], &eaten, &relative, nullptr)) && relative) {
        LPITEMIDLIST parentList = ParentPidl(data->absolute);
        LPITEMIDLIST absolute = ConcatPidls(parentList, relative);
        FreePidl(parentList);
        if (absolute) {
            FreePidl(data->absolute);
            FreePidl(data->relative);
            data->absolute = absolute;
            data->relative = relative;
            data->pathKnown = false;
        } else {
            FreePidl(relative);
        }
    }
    if (FirstChild(item)) ResetChildren(item);
    if (item == g_current) OpenFolderItem(item);
    return true;
}

void ShowContextMenu(HTREEITEM item, POINT screen) {
    TreeItemData* data = DataOf(item);
    IContextMenu* menu = ContextMenuOf(data);
    if (!menu) return;
    if (HMENU popup = CreatePopupMenu()) {
        if (SUCCEEDED(menu->QueryContextMenu(popup, 0, kFirstShellCommand, kLastShellCommand, CMF_NORMAL | CMF_CANRENAME))) {
            // The shell's entries and the browser's own, as the list's menu
            // of a folder item has them.
            AddTransferMenus(popup);
            UINT id = static_cast<UINT>(TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0,
                                                       g_tree, nullptr));
            if (UINT command = TransferCommandOfMenuId(id)) {
                // "No Defined Folder" copies or moves this folder, not the
                // list's selection.  A drive root has no name to take along.
                const std::string path = ItemPath(item);
                if (!path.empty() && path.back() != '\\')
                    TransferToChosenFolder(GetParent(g_tree), {path}, command == IDC_MOVE_TO);
            } else if (id >= kFirstShellCommand) {
                char verb[64] = {};
                UINT offset = id - kFirstShellCommand;
                if (FAILED(menu->GetCommandString(offset, GCS_VERBA, nullptr, verb, sizeof verb))) verb[0] = 0;
                // The shell cannot edit our label; the tree can.  Opening a
                // folder shows it in the browser rather than in a window of
                // the shell's.
                if (lstrcmpiA(verb, "rename") == 0)
                    SendMessageA(g_tree, TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(item));
                else if (lstrcmpiA(verb, "open") == 0 || lstrcmpiA(verb, "explore") == 0)
                    SelectAndOpen(item);
                else
                    InvokeMenuCommand(menu, offset);
            }
        }
        DestroyMenu(popup);
    }
    menu->Release();
}

HTREEITEM ItemAtScreenPoint(POINT screen) {
    TVHITTESTINFO hit = {};
    hit.pt = screen;
    ScreenToClient(g_tree, &hit.pt);
    auto item = reinterpret_cast<HTREEITEM>(SendMessageA(g_tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    return (hit.flags & TVHT_ONITEM) ? item : nullptr;
}

void EndDrag(bool drop, POINT screen) {
    g_dragging = false;
    SendMessageA(g_tree, TVM_SELECTITEM, TVGN_DROPHILITE, 0);
    ReleaseCapture();
    void (*onDrop)(const char*) = g_onDrop;
    g_onDrop = nullptr;
    if (!drop || !onDrop) return;
    std::string path = ItemPath(ItemAtScreenPoint(screen));
    if (!path.empty()) onDrop(path.c_str());
}

std::string DriveRoot(char letter) {
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    return std::string{letter, ':', '\\'};
}

LRESULT CALLBACK TreeProc(HWND tree, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CONTEXTMENU: {
        HTREEITEM item = SelectedItem();
        if (!item) return 0;
        POINT screen = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        if (lp == -1) {
            RECT rect = {};
            std::memcpy(&rect, &item, sizeof item);  // the item goes in, its rectangle comes out
            SendMessageA(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect));
            screen = POINT{rect.left, rect.bottom};
            ClientToScreen(tree, &screen);
        }
        ShowContextMenu(item, screen);
        return 0;
    }
    case WM_KEYUP:
        if (wp == VK_DELETE) {
            PostMessageA(GetParent(tree), WM_COMMAND, IDC_DELETE, 0);
            return 0;
        }
        break;
    case WM_COMMAND:
        // The label editor talks to the tree itself.
        if (reinterpret_cast<HWND>(lp) == reinterpret_cast<HWND>(SendMessageA(tree, TVM_GETEDITCONTROL, 0, 0)) && lp)
            break;
        return SendMessageA(GetParent(tree), WM_COMMAND, wp, lp);
    case WM_MOUSEMOVE:
        if (g_dragging) {
            POINT screen = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            ClientToScreen(tree, &screen);
            HTREEITEM item = ItemAtScreenPoint(screen);
            SendMessageA(tree, TVM_SELECTITEM, TVGN_DROPHILITE, reinterpret_cast<LPARAM>(item));
            SetCursor(item ? g_arrowCursor : g_noCursor);
            return 0;
        }
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        if (g_dragging) {
            POINT screen = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            ClientToScreen(tree, &screen);
            EndDrag(true, screen);
            return 0;
        }
        break;
    case WM_CAPTURECHANGED:
        if (g_dragging) EndDrag(false, POINT{});
        break;
    case WM_MOUSEWHEEL: {
        // The browser routes the wheel to the pane under the cursor.
        POINT screen = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        if (WindowFromPoint(screen) != tree) return SendMessageA(GetParent(tree), msg, wp, lp);
        break;
    }
    case WM_CLOSE:
        FreeAllItemData();
        SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
        return 0;
    case WM_DESTROY:
        FreeAllItemData();
        SendMessageA(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(g_previousImages));
        break;
    case WM_NCDESTROY: {
        WNDPROC original = g_treeProc;
        SetWindowLongPtrA(tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        g_tree = nullptr;
        g_treeProc = nullptr;
        g_current = nullptr;
        g_dragging = false;
        g_onDrop = nullptr;
        return CallWindowProcA(original, tree, msg, wp, lp);
    }
    default:
        if (msg == kMsgOpenListItemInTree) {
            OpenListItemInTree(reinterpret_cast<LPCITEMIDLIST>(wp), reinterpret_cast<LPCITEMIDLIST>(lp));
            return 0;
        }
        break;
    }
    return CallWindowProcA(g_treeProc, tree, msg, wp, lp);
}

}  // namespace

HWND CreateFolderTree(DWORD style, const RECT& rect, HINSTANCE instance, HWND parent) {
    if (g_tree) DestroyFolderTree();
    style |= WS_CHILD | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_EDITLABELS | TVS_SHOWSELALWAYS | TVS_INFOTIP;
    HWND tree = CreateWindowExA(WS_EX_STATICEDGE, WC_TREEVIEWA, "TreeView", style & ~WS_VISIBLE, rect.left, rect.top,
                                rect.right - rect.left, rect.bottom - rect.top, parent, nullptr, instance, nullptr);
    if (!tree) return nullptr;
    g_tree = tree;
    SHFILEINFOA info = {};
    auto system = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA("C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    g_previousImages = reinterpret_cast<HIMAGELIST>(
        SendMessageA(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(system)));
    g_noCursor = LoadCursor(nullptr, IDC_NO);
    g_arrowCursor = LoadCursor(nullptr, IDC_ARROW);
    g_treeProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TreeProc)));
    if (!g_treeProc || !FillRoot()) {
        DestroyWindow(tree);
        g_tree = nullptr;
        return nullptr;
    }
    ShowWindow(tree, SW_SHOW);
    return tree;
}

void DestroyFolderTree() {
    if (g_tree) DestroyWindow(g_tree);
}

HWND FolderTreeWindow() { return g_tree; }

void SetFolderTreeListWindow(HWND list) { g_list = list; }

bool HandleFolderTreeNotify(NMHDR* header, LRESULT* result) {
    if (!g_tree || !header || header->hwndFrom != g_tree) return false;
    *result = 0;
    switch (header->code) {
    case TVN_ITEMEXPANDINGA: {
        auto* change = reinterpret_cast<NMTREEVIEWA*>(header);
        if ((change->action & kExpandActions) == TVE_EXPAND) FillIfNeeded(change->itemNew.hItem);
        return true;
    }
    case TVN_SELCHANGINGA:
        return true;
    case TVN_SELCHANGEDA:
        OpenFolderItem(reinterpret_cast<NMTREEVIEWA*>(header)->itemNew.hItem);
        return true;
    case TVN_ENDLABELEDITA: {
        auto* edit = reinterpret_cast<NMTVDISPINFOA*>(header);
        *result = edit->item.pszText && RenameItem(edit->item.hItem, edit->item.pszText);
        return true;
    }
    case NM_RCLICK: {
        POINT screen;
        GetCursorPos(&screen);
        if (HTREEITEM item = ItemAtScreenPoint(screen)) ShowContextMenu(item, screen);
        *result = 1;
        return true;
    }
    default:
        return false;
    }
}

void SelectFolderByPath(const char* path) {
    if (!g_tree) return;
    if (!RootItem() && !FillRoot()) return;
    std::string text = path ? path : "";
    std::string folder = text, file;
    size_t cut = text.rfind('\\');
    if (cut != std::string::npos) {
        folder = text.substr(0, cut);
        file = text.substr(cut + 1);
    }
    // A folder named without a trailing backslash is the folder itself.
    DWORD attributes = file.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(text.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        folder = text;
        file.clear();
    }
    if (folder.size() < 3) folder += '\\';

    HTREEITEM root = RootItem();
    HTREEITEM found = folder.empty() ? nullptr : FindPathBelow(root, folder);
    if (!found) {
        Expand(root);
        SelectAndOpen(root);
        return;
    }
    SelectAndOpen(found);
    if (!file.empty()) SelectListFile(text);
}

void RefreshFolderTree() {
    if (!g_tree) return;
    for (HTREEITEM item = RootItem(); item; item = NextSibling(item))
        if (FirstChild(item)) RefreshItem(item);
}

void OnDriveArrived(char letter) {
    if (!g_tree) return;
    std::string root = DriveRoot(letter);
    HTREEITEM item = FindLoaded(RootItem(), root);
    if (!item) {
        // A drive the tree does not show yet: look at the drives again.
        LPITEMIDLIST drives = nullptr;
        if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &drives))) {
            HTREEITEM computer = FindLoadedPidl(RootItem(), drives);
            if (computer && FirstChild(computer)) RefreshItem(computer);
            FreePidl(drives);
        }
        return;
    }
    char label[MAX_PATH + 1] = {};
    if (!GetVolumeInformationA(root.c_str(), label, sizeof label, nullptr, nullptr, nullptr, nullptr, 0)) label[0] = 0;
    SetItemText(item, std::string(label) + " (" + root.substr(0, 2) + ")");
    SetHasChildren(item, true);
}

void OnDriveRemoved(char letter) {
    if (!g_tree) return;
    std::string root = DriveRoot(letter);
    HTREEITEM item = nullptr;
    for (HTREEITEM up = g_current; up && !item; up = ParentItem(up))
        if (SamePath(ItemPath(up), root)) item = up;
    if (item && item != g_current) SelectAndOpen(item);
    if (!item) item = FindLoaded(RootItem(), root);
    if (!item) return;
    ResetChildren(item);
    SetItemText(item, "(" + root.substr(0, 2) + ")");
}

void OpenListItemInTree(LPCITEMIDLIST absolute, LPCITEMIDLIST relative) {
    if (!g_tree || !g_current) return;
    if (IsEmptyPidl(relative)) {
        if (HTREEITEM parent = ParentItem(g_current)) {
            Expand(parent);
            SelectAndOpen(parent);
        }
        return;
    }
    HTREEITEM current = g_current;
    Expand(current);
    for (HTREEITEM child = FirstChild(current); child; child = NextSibling(child)) {
        TreeItemData* data = DataOf(child);
        if (data && SameChild(data->parent, data->relative, relative)) {
            if (IsInternetExplorer(data)) break;
            SelectAndOpen(child);
            return;
        }
    }
    InvokeDefaultCommandOf(absolute);
}

const TreeItemData* CurrentFolderItem() { return g_tree ? DataOf(g_current) : nullptr; }

std::string CurrentFolderPath() { return g_tree ? ItemPath(g_current) : std::string(); }

void BeginFolderTreeDrag(void (*onDrop)(const char* folderPath)) {
    if (!g_tree) return;
    g_onDrop = onDrop;
    g_dragging = true;
    SetCapture(g_tree);
}

bool FolderTreeDragActive() { return g_dragging; }
