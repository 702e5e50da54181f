// Context menu: the list's (the shell's menu of the selected items or of
// the folder, with the browser's own entries), the transfer entries the
// folder tree's menu shares, and the shell's default command of an item.
#include <shlobj.h>

#include "file_list.h"
#include "file_list_state.h"

#include "browser_window.h"
#include "commands.h"
#include "file_operations.h"
#include "file_transfer.h"
#include "item_model.h"
#include "send_to_cache.h"
#include "program.h"
#include "resource_ids.h"

using namespace filelist;

namespace {

// Context-menu codes of the program's own entries (menu ID - 32768).
constexpr UINT kOwnBase = 32768;
constexpr UINT kShellLastId = 32767;
// "No Defined Folder" in the Send To and MoveTo sub-menus of an item's menu.
constexpr UINT kMenuCopyToNoFolder = 32787;
constexpr UINT kMenuMoveToNoFolder = 32788;
// Send To entry i: code 100 + i copies there, 100 + entry count + i moves.
constexpr UINT kSendToFirstCode = 100;

// Carries out a shell context menu's command (its offset from the menu's
// first ID), owned by the browser window.
void InvokeShellCommand(IContextMenu* menu, UINT offset) {
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof info;
    info.hwnd = ListState().browser;
    info.lpVerb = MAKEINTRESOURCEA(offset);
    info.nShow = SW_SHOWNORMAL;
    menu->InvokeCommand(&info);
}

void AppendOwn(HMENU menu, UINT code, UINT textId, const char* fallback) {
    AppendMenuA(menu, MF_STRING, kOwnBase + code, Text(textId, fallback).c_str());
}

void RunOwnCode(UINT code, const std::vector<int>& selection) {
    HWND browser = ListState().browser;
    if (code >= kSendToFirstCode) {
        const size_t count = SendToEntries().size();
        const size_t entry = code - kSendToFirstCode;
        if (entry < count) SendSelectionToEntry(browser, entry, false);
        else if (entry < 2 * count) SendSelectionToEntry(browser, entry - count, true);
        return;
    }
    switch (code) {
    case 1:
        for (int index : selection) ActivateListItem(index);
        break;
    case 2: PostCommand(IDC_OPEN_SELECTED); break;
    case 3:
        if (selection.size() == 1)
            SendMessageA(ListState().list, LVM_EDITLABELA, selection[0], 0);
        else
            PostCommand(IDC_MULTI_RENAME);
        break;
    case 5: PutSelectionOnClipboard(browser, kDropCopy); break;
    case 6: PutSelectionOnClipboard(browser, kDropMove); break;
    case 16: PasteIntoShownFolder(browser, kDropCopy); break;
    case 17: PasteIntoShownFolder(browser, kDropMove); break;
    case 7: PostCommand(IDC_THUMB_TO_CLIPBOARD); break;
    case 8: PostCommand(IDC_SEND_MAIL); break;
    case 9: PostCommand(IDC_NEW_FOLDER); break;
    case 10: PostCommand(IDC_NAME_FOLDER); break;
    case 11: case 12: case 13: case 14: case 15:
        PostCommand(IDC_MODE_THUMBNAILS + code - 11);
        break;
    case 18: PostCommand(IDC_CONVERT_PICTURE); break;
    case 19: PostCommand(IDC_COPY_TO); break;
    case 20: PostCommand(IDC_MOVE_TO); break;
    case 21: PostCommand(IDC_ONLY_PICTURES); break;
    default: break;
    }
}

// Background form: only "paste" and "properties" of the shell stay.
void TrimBackgroundMenu(HMENU menu, IContextMenu* shell) {
    int properties = -1;
    for (int i = GetMenuItemCount(menu) - 1; i >= 0; --i) {
        const UINT id = GetMenuItemID(menu, i);
        char verb[64] = "";
        if (id >= 1 && id <= kShellLastId)
            shell->GetCommandString(id - 1, GCS_VERBA, nullptr, verb, sizeof verb);
        if (lstrcmpiA(verb, "paste") == 0) continue;
        if (lstrcmpiA(verb, "properties") == 0) {
            properties = i;
            continue;
        }
        DeleteMenu(menu, i, MF_BYPOSITION);
        if (properties > i) --properties;
    }
    const UINT at = properties >= 0 ? static_cast<UINT>(properties) : static_cast<UINT>(-1);
    InsertMenuA(menu, at, MF_BYPOSITION | MF_STRING, 32777,
                Text(IDS_CREATE_FOLDER, "Create Folder").c_str());
    InsertMenuA(menu, at == static_cast<UINT>(-1) ? at : at + 1, MF_BYPOSITION | MF_STRING, 32778,
                Text(IDS_DEFINE_FOLDER, "Define Folder").c_str());
    InsertMenuA(menu, at == static_cast<UINT>(-1) ? at : at + 2, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);

    HMENU modes = CreatePopupMenu();
    static const char* const kModeNames[5] = {"Thumbnails", "Large icons", "Small icons", "List", "Details"};
    for (int m = 0; m < 5; ++m)
        AppendMenuA(modes, MF_STRING | (m == ListState().mode ? MF_CHECKED : 0), 32779 + m,
                    Text(IDC_MODE_THUMBNAILS + m, kModeNames[m]).c_str());
    AppendMenuA(modes, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(modes, MF_STRING | (OnlyPictureModeOn() ? MF_CHECKED : 0), 32789,
                Text(IDS_ONLY_PICTURE_MODE, "Only Picture Mode").c_str());
    InsertMenuA(menu, 0, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(modes),
                Text(IDS_LIST_MODE_MENU, "List Mode").c_str());
    InsertMenuA(menu, 1, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
}

UINT OwnCodeOfId(UINT id) {
    if (id >= 32777 && id <= 32778) return 9 + (id - 32777);
    if (id >= 32779 && id <= 32783) return 11 + (id - 32779);
    if (id >= kMenuCopyToNoFolder && id <= kMenuMoveToNoFolder) return 19 + (id - kMenuCopyToNoFolder);
    if (id == 32789) return 21;
    return 0;
}

}  // namespace

namespace filelist {

void InvokeDefaultCommand(BrowserItem& item) {
    IShellFolder* folder = Items().folder;
    LPCITEMIDLIST one = folder ? ItemRelativePidl(item) : nullptr;
    if (!one) return;
    IContextMenu* menu = nullptr;
    if (FAILED(folder->GetUIObjectOf(ListState().browser, 1, &one, IID_IContextMenu, nullptr,
                                     reinterpret_cast<void**>(&menu))) || !menu)
        return;
    HMENU popup = CreatePopupMenu();
    if (popup && SUCCEEDED(menu->QueryContextMenu(popup, 0, 1, kShellLastId, CMF_DEFAULTONLY))) {
        const UINT id = GetMenuDefaultItem(popup, FALSE, 0);
        if (id != static_cast<UINT>(-1)) InvokeShellCommand(menu, id - 1);
    }
    if (popup) DestroyMenu(popup);
    menu->Release();
}

void ShowContextMenu() {
    ItemModel& model = Items();
    POINT at;
    GetCursorPos(&at);
    if (!ListState().folderShown || !model.folder) {
        HMENU popup = CreatePopupMenu();
        static const char* const kModeNames[5] = {"Thumbnails", "Large icons", "Small icons", "List", "Details"};
        for (int m = 0; m < 5; ++m)
            AppendMenuA(popup, MF_STRING | (m == ListState().mode ? MF_CHECKED : 0), IDC_MODE_THUMBNAILS + m,
                        Text(IDC_MODE_THUMBNAILS + m, kModeNames[m]).c_str());
        const UINT id =
            TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, ListState().browser, nullptr);
        DestroyMenu(popup);
        if (id) PostCommand(id);
        return;
    }
    std::vector<int> selection = SelectedIndices();
    std::vector<LPCITEMIDLIST> lists;
    for (int index : selection)
        if (BrowserItem* item = ShownItem(index))
            if (LPCITEMIDLIST relative = ItemRelativePidl(*item)) lists.push_back(relative);
    const bool itemForm = !selection.empty();
    IShellFolder* folder = model.folder;
    IContextMenu* shell = nullptr;
    HRESULT hr;
    if (itemForm) {
        if (lists.empty()) return;
        hr = folder->GetUIObjectOf(ListState().browser, static_cast<UINT>(lists.size()), lists.data(),
                                   IID_IContextMenu, nullptr, reinterpret_cast<void**>(&shell));
    } else {
        hr = folder->CreateViewObject(ListState().browser, IID_IContextMenu, reinterpret_cast<void**>(&shell));
    }
    HMENU popup = CreatePopupMenu();
    if (SUCCEEDED(hr) && shell)
        shell->QueryContextMenu(popup, 0, 1, kShellLastId, itemForm ? CMF_CANRENAME : CMF_NORMAL);
    if (!itemForm && shell) TrimBackgroundMenu(popup, shell);
    if (itemForm) AddTransferMenus(popup, true);

    const BrowserItem* one = selection.size() == 1 ? ShownItem(selection[0]) : nullptr;
    bool anyFile = false;
    for (int index : selection)
        if (const BrowserItem* item = ShownItem(index))
            anyFile |= item->state == kItemFile || item->state == kItemPicture ||
                       item->state == kItemShortcutPicture;
    const bool mail = !Program().system.windows95;
    if (one && one->state == kItemPicture) {
        AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
        AppendOwn(popup, 7, IDS_THUMB_TO_CLIPBOARD, "Set Thumb To Clipboard");
        if (mail) AppendOwn(popup, 8, IDS_SEND_MAIL, "Send Picture E-Mail");
        AppendOwn(popup, 18, IDS_CONVERT_PICTURE, "Convert Picture");
    } else if (selection.size() > 1 && anyFile && mail) {
        AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
        AppendOwn(popup, 8, IDS_SEND_MAIL, "Send Picture E-Mail");
    }

    const UINT id = TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, ListState().browser, nullptr);
    DestroyMenu(popup);
    UINT code = 0;
    if (id >= kOwnBase) {
        code = id - kOwnBase;
    } else if (UINT own = OwnCodeOfId(id)) {
        code = own;
    } else if (id >= 1 && shell) {
        char verb[64] = "";
        shell->GetCommandString(id - 1, GCS_VERBA, nullptr, verb, sizeof verb);
        const std::string openVerb = Text(IDS_OPEN_VERB, "");
        if (!openVerb.empty() && lstrcmpiA(verb, openVerb.c_str()) == 0) code = 2;
        else if (lstrcmpiA(verb, "open") == 0) code = 1;
        else if (lstrcmpiA(verb, "rename") == 0) code = 3;
        else if (lstrcmpiA(verb, "copy") == 0) code = 5;
        else if (lstrcmpiA(verb, "cut") == 0) code = 6;
        else if (lstrcmpiA(verb, "paste") == 0 && GetClipboardDropEffect(ListState().browser) == kDropCopy) code = 16;
        else if (lstrcmpiA(verb, "paste") == 0 && GetClipboardDropEffect(ListState().browser) == kDropMove) code = 17;
        else {
            if (lstrcmpiA(verb, "delete") == 0) ClearMarks();
            InvokeShellCommand(shell, id - 1);
        }
    }
    if (shell) shell->Release();
    if (code) RunOwnCode(code, selection);
}

}  // namespace filelist

namespace {

// One Send To entry with its small icon.
void AppendEntry(HMENU menu, UINT id, const SendToEntry& entry, HBITMAP icon, bool enabled) {
    MENUITEMINFOA item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_ID | MIIM_STRING | MIIM_STATE | (icon ? MIIM_BITMAP : 0);
    item.wID = id;
    item.dwTypeData = const_cast<char*>(entry.name.c_str());
    item.fState = enabled ? MFS_ENABLED : MFS_GRAYED;
    item.hbmpItem = icon;
    InsertMenuItemA(menu, static_cast<UINT>(GetMenuItemCount(menu)), TRUE, &item);
}

}  // namespace

void AddTransferMenus(HMENU popup, bool withEntries) {
    if (!popup) return;
    const std::vector<SendToEntry>& entries = withEntries ? SendToEntries() : std::vector<SendToEntry>();
    const UINT count = static_cast<UINT>(entries.size());
    int sendTo = -1;
    for (int i = GetMenuItemCount(popup) - 1; i >= 0 && sendTo < 0; --i)
        if (GetSubMenu(popup, i)) sendTo = i;
    const std::string none = Text(IDS_NO_DEFINED_FOLDER, "No Defined Folder");
    if (sendTo >= 0) {
        HMENU sendToMenu = GetSubMenu(popup, sendTo);
        while (GetMenuItemCount(sendToMenu) > 0) DeleteMenu(sendToMenu, 0, MF_BYPOSITION);
        AppendMenuA(sendToMenu, MF_STRING, kMenuCopyToNoFolder, none.c_str());
        if (count) AppendMenuA(sendToMenu, MF_SEPARATOR, 0, nullptr);
        // Only named folders take files; other entries are shown greyed.
        for (UINT i = 0; i < count; ++i)
            AppendEntry(sendToMenu, kOwnBase + kSendToFirstCode + i, entries[i], SendToEntryIcon(i),
                        entries[i].isFolder);
    }
    HMENU moveTo = CreatePopupMenu();
    AppendMenuA(moveTo, MF_STRING, kMenuMoveToNoFolder, none.c_str());
    bool anyFolder = false;
    for (UINT i = 0; i < count; ++i) {
        if (!entries[i].isFolder) continue;
        if (!anyFolder) AppendMenuA(moveTo, MF_SEPARATOR, 0, nullptr);
        anyFolder = true;
        AppendEntry(moveTo, kOwnBase + kSendToFirstCode + count + i, entries[i], SendToEntryIcon(i), true);
    }
    InsertMenuA(popup, sendTo >= 0 ? static_cast<UINT>(sendTo + 1) : static_cast<UINT>(-1),
                MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(moveTo),
                Text(IDS_MOVE_TO_MENU, "MoveTo").c_str());
}

UINT TransferCommandOfMenuId(UINT id) {
    if (id == kMenuCopyToNoFolder) return IDC_COPY_TO;
    if (id == kMenuMoveToNoFolder) return IDC_MOVE_TO;
    return 0;
}
