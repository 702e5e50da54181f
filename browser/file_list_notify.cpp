// Notifications: the list's WM_NOTIFY, which the browser forwards.
#include "file_list.h"
#include "file_list_state.h"

#include "commands.h"
#include "file_operations.h"
#include "item_model.h"
#include "messages.h"
#include "picture_files.h"
#include "pidl.h"
#include "shortcut.h"

using namespace filelist;

namespace {

// The folder an item lives in, ending in one backslash.
std::string ItemFolderPath() {
    std::string folder = Items().folderPidl ? PidlPath(Items().folderPidl) : std::string();
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    return folder;
}

void OnGetDispInfo(NMLVDISPINFOA* info) {
    // The worker may be rebuilding the model after a change of the folder.
    ItemModelLock hold;
    LVITEMA& it = info->item;
    BrowserItem* item = ShownItem(it.iItem);
    if (!item) return;
    if ((it.mask & LVIF_TEXT) && it.pszText && it.cchTextMax > 0) {
        std::string text;
        if (it.iSubItem == 0)
            text = item->name && item->name[0] ? item->name : "        ";
        else
            text = ItemColumnText(*item, it.iSubItem);
        lstrcpynA(it.pszText, text.c_str(), it.cchTextMax);
    }
    if (it.mask & LVIF_IMAGE) it.iImage = ItemIconIndex(*item);
    if (!(it.mask & LVIF_STATE)) it.mask |= LVIF_DI_SETITEM;
}

void OnItemChanged(const NMLISTVIEW* nm) {
    const int selected = static_cast<int>(SendMessageA(ListState().list, LVM_GETSELECTEDCOUNT, 0, 0));
    if (selected == 0) ClearMarks();
    BrowserItem* item = ShownItem(nm->iItem);
    if (!item) {
        ReadAllStates();
        return;
    }
    if (!(nm->uChanged & LVIF_STATE)) return;
    item->displayState = (item->displayState & kMarkHot) | nm->uNewState;
    if (!(nm->uNewState & LVIS_SELECTED) && nm->iItem == ListState().current) ListState().current = -1;
    const UINT both = LVIS_FOCUSED | LVIS_SELECTED;
    if ((nm->uNewState & both) == both && (nm->uOldState & both) != both) {
        ReadAllStates();
        ListState().current = nm->iItem;
        // The preview shows the picture: by its path, a shortcut's by its
        // target; an item no thumbnail pass has examined yet is shown when
        // the image library takes it for a picture.
        std::string preview;
        if (item->state == kItemPicture) preview = ItemPath(*item);
        else if (item->state == kItemShortcutPicture) preview = ResolveShortcut(ItemPath(*item));
        else if (item->state == kItemFile && !item->examined && IsPictureFile(ItemPath(*item))) preview = ItemPath(*item);
        if (!preview.empty() && ListState().previewer)
            ListState().previewer(preview.c_str());
        else if (ListState().browser)
            PostMessageA(ListState().browser, kMsgClearPreview, 0, 0);
    }
}

void OnEndLabelEdit(NMLVDISPINFOA* info, LRESULT* result) {
    *result = FALSE;
    const BrowserItem* item = ShownItem(info->item.iItem);
    if (!item || !info->item.pszText || !info->item.pszText[0]) return;
    const std::string folder = ItemFolderPath();
    if (folder.empty()) return;
    std::string oldPath = folder + item->name;
    std::string newPath = folder + info->item.pszText;
    // The display name may hide the extension: carry the real remainder over.
    const std::string real = ItemPath(*item);
    if (real.size() > oldPath.size() && real.compare(0, oldPath.size(), oldPath) == 0) {
        newPath += real.substr(oldPath.size());
        oldPath = real;
    }
    oldPath.push_back('\0');
    newPath.push_back('\0');
    if (RenameFile(ListState().browser, oldPath.c_str(), newPath.c_str()) && !ListState().isVirtual) *result = TRUE;
}

}  // namespace

bool HandleFileListNotify(NMHDR* header, LRESULT* result) {
    if (!ListState().list || !header) return false;
    if (header->hwndFrom != ListState().list) {
        // The tooltip asks for the list's text.
        if (header->code == TTN_GETDISPINFOA && ListState().tooltip && header->hwndFrom == ListState().tooltip) {
            *result = 0;
            return true;
        }
        return false;
    }
    *result = 0;
    switch (header->code) {
    case LVN_GETDISPINFOA:
        OnGetDispInfo(reinterpret_cast<NMLVDISPINFOA*>(header));
        return true;
    case LVN_ODFINDITEMA: {
        ItemModelLock hold;
        NMLVFINDITEMA* find = reinterpret_cast<NMLVFINDITEMA*>(header);
        *result = -1;
        if ((find->lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) && find->lvfi.psz)
            *result = FindItemByPrefix(find->lvfi.psz, find->iStart, (find->lvfi.flags & LVFI_WRAP) != 0);
        return true;
    }
    case LVN_ODFINDITEMW: {
        // Some list controls ask in the wide form even of an ANSI parent.
        ItemModelLock hold;
        NMLVFINDITEMW* find = reinterpret_cast<NMLVFINDITEMW*>(header);
        *result = -1;
        if ((find->lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) && find->lvfi.psz) {
            char text[MAX_PATH] = "";
            WideCharToMultiByte(CP_ACP, 0, find->lvfi.psz, -1, text, sizeof text, nullptr, nullptr);
            *result = FindItemByPrefix(text, find->iStart, (find->lvfi.flags & LVFI_WRAP) != 0);
        }
        return true;
    }
    case LVN_ODCACHEHINT:
        return true;
    case LVN_ODSTATECHANGED:
        ReadAllStates();
        return true;
    case LVN_ITEMCHANGED:
        OnItemChanged(reinterpret_cast<NMLISTVIEW*>(header));
        return true;
    case LVN_COLUMNCLICK: {
        const int column = reinterpret_cast<NMLISTVIEW*>(header)->iSubItem;
        const bool reverse = (Items().sortFlags & kSortReverse) != 0;
        SortList(IDC_SORT_BY_NAME + column);
        SortList(reverse ? IDC_SORT_FORWARD : IDC_SORT_REVERSE);
        return true;
    }
    case LVN_BEGINLABELEDITA: {
        const BrowserItem* item = ShownItem(reinterpret_cast<NMLVDISPINFOA*>(header)->item.iItem);
        *result = !item || item->state == kItemParent || ItemPath(*item).empty();
        return true;
    }
    case LVN_ENDLABELEDITA:
        OnEndLabelEdit(reinterpret_cast<NMLVDISPINFOA*>(header), result);
        return true;
    case LVN_KEYDOWN: {
        const WORD key = reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey;
        if ((key == VK_RETURN || key == VK_F5) && ListState().browser)
            PostMessageA(ListState().browser, WM_KEYDOWN, key, 0);
        return true;
    }
    case LVN_GETINFOTIPA: {
        NMLVGETINFOTIPA* tip = reinterpret_cast<NMLVGETINFOTIPA*>(header);
        if (tip->pszText && tip->cchTextMax > 0)
            lstrcpynA(tip->pszText, ListInfoTip(tip->iItem).c_str(), tip->cchTextMax);
        return true;
    }
    case NM_DBLCLK: {
        const NMITEMACTIVATE* act = reinterpret_cast<NMITEMACTIVATE*>(header);
        LVHITTESTINFO hit = {};
        hit.pt = act->ptAction;
        int index = static_cast<int>(SendMessageA(ListState().list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
        if (index < 0) index = act->iItem;
        ActivateListItem(index);
        return true;
    }
    case NM_RCLICK:
        ShowContextMenu();
        return true;
    default:
        return false;
    }
}
