// The browser's list commands and the activation of an item.
#include "file_list.h"
#include "file_list_state.h"

#include "commands.h"
#include "file_operations.h"
#include "folder_tree.h"
#include "item_model.h"
#include "messages.h"
#include "picture_files.h"
#include "pidl.h"
#include "shortcut.h"

using namespace filelist;

namespace filelist {

void PostCommand(UINT command) {
    if (ListState().browser) PostMessageA(ListState().browser, WM_COMMAND, command, 0);
}

}  // namespace filelist

void ActivateListItem(int index) {
    BrowserItem* item = ShownItem(index);
    if (!item) return;
    switch (item->state) {
    case kItemParent:
    case kItemFolder:
    case kItemNoFile:
    case 1: {
        // The tree may reload the list while it handles this: send copies.
        LPITEMIDLIST absolute = CopyPidl(ItemAbsolutePidl(*item));
        LPITEMIDLIST relative = item->relative ? CopyPidl(item->relative) : nullptr;
        if (HWND tree = FolderTreeWindow())
            SendMessageA(tree, kMsgOpenListItemInTree, reinterpret_cast<WPARAM>(absolute),
                         reinterpret_cast<LPARAM>(relative));
        FreePidl(absolute);
        FreePidl(relative);
        break;
    }
    case kItemPicture:
        if (ListState().opener) ListState().opener(ItemPath(*item).c_str());
        break;
    case kItemShortcutPicture:
        if (ListState().opener) ListState().opener(ResolveShortcut(ItemPath(*item)).c_str());
        break;
    case kItemFile:
        // Not examined yet (no thumbnail pass has reached it): the image
        // library decides whether the viewer or the shell opens it.
        if (ListState().opener && IsPictureFile(ItemPath(*item))) {
            ListState().opener(ItemPath(*item).c_str());
            break;
        }
        InvokeDefaultCommand(*item);
        break;
    default:
        InvokeDefaultCommand(*item);
        break;
    }
}

bool HandleFileListCommand(UINT command) {
    if (command >= IDC_MODE_THUMBNAILS && command <= IDC_MODE_DETAILS) {
        SetListMode(static_cast<int>(command - IDC_MODE_THUMBNAILS));
        return true;
    }
    if (command >= IDC_SORT_BY_NAME && command <= IDC_SORT_REVERSE) {
        SortList(command);
        return true;
    }
    if (!ListState().list) return false;
    switch (command) {
    case IDC_SELECT_ALL: {
        LVITEMA it = {};
        it.stateMask = it.state = LVIS_SELECTED;
        SendMessageA(ListState().list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&it));
        return true;
    }
    case IDC_DELETE: {
        const std::vector<int> selection = SelectedIndices();
        if (selection.empty()) return true;
        std::string list;
        for (int index : selection) {
            const BrowserItem* item = ShownItem(index);
            if (!item || item->state == kItemParent) continue;
            const std::string path = ItemPath(*item);
            if (path.empty()) continue;
            list += path;
            list.push_back('\0');
        }
        if (list.empty()) return true;
        list.push_back('\0');
        if (!ListState().isVirtual) {
            ClearMarks();
            LVITEMA it = {};
            it.stateMask = LVIS_SELECTED;
            SendMessageA(ListState().list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&it));
        }
        DeleteFiles(list.data(), ListState().browser);
        return true;
    }
    case IDC_RENAME: {
        const std::vector<int> selection = SelectedIndices();
        if (selection.size() == 1) {
            const int index = ListState().current >= 0 ? ListState().current : selection[0];
            SetFocus(ListState().list);
            SendMessageA(ListState().list, LVM_EDITLABELA, index, 0);
        } else if (selection.size() > 1) {
            PostCommand(IDC_MULTI_RENAME);
        }
        return true;
    }
    case IDC_ONLY_PICTURES: {
        Items().onlyPictures = !Items().onlyPictures;
        ListState().current = -1;
        if (ListState().browser)
            CheckMenuItem(GetMenu(ListState().browser), IDC_ONLY_PICTURES,
                          MF_BYCOMMAND | (Items().onlyPictures ? MF_CHECKED : MF_UNCHECKED));
        AnnounceOnListThread();
        return true;
    }
    case IDC_PARENT_FOLDER:
        if (Items().hasParent) ActivateListItem(ModelToShownIndex(0));
        return true;
    default:
        return false;
    }
}
