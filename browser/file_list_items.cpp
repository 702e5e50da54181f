// What the list control shows of the item model: the texts of a list that
// holds its items, the count, the selection and the item chosen by path.
#include "file_list.h"
#include "file_list_state.h"
#include "list_shared.h"

#include "item_model.h"
#include "messages.h"

#include <unordered_set>

using namespace filelist;

namespace {

// Focuses, selects and shows the item whose path is path (case ignored);
// false when the list does not hold it.  Whole paths are compared: a sibling
// "photo" is not "photo.jpg".
bool SelectShownPath(const std::string& path) {
    if (!ListState().list || path.empty()) return false;
    int found = -1;
    {
        // Only what the list control holds already: the worker may be
        // filling the model of a folder not announced yet.
        ItemModelLock hold;
        int count = static_cast<int>(SendMessageA(ListState().list, LVM_GETITEMCOUNT, 0, 0));
        if (count > ShownItemCount()) count = ShownItemCount();
        for (int i = 0; i < count && found < 0; ++i) {
            const BrowserItem* item = ShownItem(i);
            if (item && item->state != kItemParent && lstrcmpiA(ItemPath(*item).c_str(), path.c_str()) == 0) found = i;
        }
    }
    if (found < 0) return false;
    LVITEMA state = {};
    state.stateMask = state.state = LVIS_FOCUSED | LVIS_SELECTED;
    SendMessageA(ListState().list, LVM_SETITEMSTATE, static_cast<WPARAM>(found), reinterpret_cast<LPARAM>(&state));
    SendMessageA(ListState().list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(found), FALSE);
    return true;
}

}  // namespace

namespace filelist {

// Non-virtual lists hold the texts themselves.
void WriteItemTexts(int index, bool insert) {
    BrowserItem* item = ShownItem(index);
    if (!item) return;
    LVITEMA it = {};
    it.iItem = index;
    it.mask = LVIF_TEXT | LVIF_IMAGE;
    std::string name = item->name && item->name[0] ? item->name : "        ";
    it.pszText = const_cast<char*>(name.c_str());
    it.iImage = ItemIconIndex(*item);
    SendMessageA(ListState().list, insert ? LVM_INSERTITEMA : LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&it));
    for (int column = 1; column < kColumnCount; ++column) {
        std::string text = ItemColumnText(*item, column);
        LVITEMA sub = {};
        sub.iSubItem = column;
        sub.pszText = const_cast<char*>(text.c_str());
        SendMessageA(ListState().list, LVM_SETITEMTEXTA, index, reinterpret_cast<LPARAM>(&sub));
    }
}

void SelectPendingPath() {
    if (!ListState().pendingSelection.empty() && SelectShownPath(ListState().pendingSelection))
        ListState().pendingSelection.clear();
}

void AnnounceOnListThread() {
    if (!ListState().list) return;
    const int count = ShownItemCount();
    if (ListState().isVirtual) {
        SendMessageA(ListState().list, LVM_SETITEMCOUNT, count, LVSICF_NOSCROLL);
    } else {
        int had = static_cast<int>(SendMessageA(ListState().list, LVM_GETITEMCOUNT, 0, 0));
        while (had > count) SendMessageA(ListState().list, LVM_DELETEITEM, --had, 0);
        for (int i = 0; i < count; ++i) WriteItemTexts(i, i >= had);
    }
    if (ListState().current >= count) ListState().current = -1;
    InvalidateRect(ListState().list, nullptr, TRUE);
    SelectPendingPath();
}

void ReadAllStates() {
    ItemModelLock hold;
    const int count = ShownItemCount();
    for (int i = 0; i < count; ++i) {
        BrowserItem* item = ShownItem(i);
        const UINT state = static_cast<UINT>(
            SendMessageA(ListState().list, LVM_GETITEMSTATE, i, LVIS_SELECTED | LVIS_FOCUSED));
        item->displayState = (item->displayState & kMarkHot) | state;
    }
}

void ClearMarks() {
    for (BrowserItem& item : Items().items) item.displayState &= ~(kMarkSelected | kMarkHot);
}

std::vector<int> SelectedIndices() {
    std::vector<int> result;
    if (!ListState().list) return result;
    int i = -1;
    while ((i = static_cast<int>(SendMessageA(ListState().list, LVM_GETNEXTITEM, i, LVNI_SELECTED))) >= 0)
        result.push_back(i);
    return result;
}

}  // namespace filelist

void EmptyFileList() {
    if (!ListState().list) return;
    // The worker's pass finds its items gone and stops at the next one.
    Items().stop = 1;
    if (ListState().browser) PostMessageA(ListState().browser, kMsgClearPreview, 0, 0);
    {
        ItemModelLock hold;
        ClearItemModel();
        SetModelFolder(nullptr, nullptr);
    }
    Items().stop = 0;
    ListState().current = -1;
    ListState().pendingSelection.clear();
    if (ListState().isVirtual) SendMessageA(ListState().list, LVM_SETITEMCOUNT, 0, LVSICF_NOSCROLL);
    SendMessageA(ListState().list, LVM_DELETEALLITEMS, 0, 0);
    InvalidateRect(ListState().list, nullptr, TRUE);
}

std::vector<std::string> SelectedItemPaths(bool filesOnly) {
    std::vector<std::string> paths;
    ItemModelLock hold;
    for (int index : SelectedIndices()) {
        const BrowserItem* item = ShownItem(index);
        if (!item || item->state == kItemParent) continue;
        if (filesOnly && item->state != kItemFile && item->state != kItemPicture) continue;
        const std::string path = ItemPath(*item);
        if (!path.empty()) paths.push_back(path);
    }
    return paths;
}

namespace {

// The cut paths, lower case; read by the painter for every visible item.
std::unordered_set<std::string>& CutPaths() {
    static std::unordered_set<std::string> paths;
    return paths;
}

std::string LowerPath(std::string path) {
    if (!path.empty()) CharLowerBuffA(&path[0], static_cast<DWORD>(path.size()));
    return path;
}

}  // namespace

void MarkCutItems(const std::vector<std::string>& paths) {
    CutPaths().clear();
    for (const std::string& path : paths) CutPaths().insert(LowerPath(path));
    if (ListState().list) InvalidateRect(ListState().list, nullptr, TRUE);
}

bool IsCutItem(const BrowserItem& item) {
    if (CutPaths().empty() || item.state == kItemParent) return false;
    return CutPaths().count(LowerPath(ItemPath(item))) != 0;
}

void SelectListFile(const std::string& path) {
    if (!SelectShownPath(path)) ListState().pendingSelection = path;
}

void AnnounceItemCount() {
    if (!ListState().list) return;
    if (GetWindowThreadProcessId(ListState().list, nullptr) == GetCurrentThreadId())
        AnnounceOnListThread();
    else
        PostMessageA(ListState().list, kMsgAnnounceCount, 0, 0);
}
