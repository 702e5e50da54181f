// The details columns: their headings (from the resource module), the sort
// mark in the sort column's heading, the tip that repeats them, and sorting.
#include "file_list.h"
#include "file_list_state.h"
#include "list_shared.h"

#include <cstdio>

#include "commands.h"
#include "item_model.h"
#include "resource_ids.h"
#include "toolbar.h"

using namespace filelist;

namespace {

// The headings when the resource module has none; the string table's
// IDS_LIST_COLUMNS replaces them (ReadColumnTitles).
const char* const kDefaultColumnTexts[kColumnCount] = {"Name", "Size", "Type", "Date", "Attrib"};

void SetColumnText(int column, const std::string& text) {
    if (!ListState().list) return;
    LVCOLUMNA col = {};
    col.mask = LVCF_TEXT;
    col.pszText = const_cast<char*>(text.c_str());
    SendMessageA(ListState().list, LVM_SETCOLUMNA, column, reinterpret_cast<LPARAM>(&col));
}

}  // namespace

namespace filelist {

// The headings from the resource module: one string, each name followed by
// "@"; a name the string lacks keeps the built-in English one.
void ReadColumnTitles() {
    const std::vector<std::string> names = SplitTexts(Text(IDS_LIST_COLUMNS, ""));
    for (int column = 0; column < kColumnCount; ++column)
        ListState().columnTexts[column] = column < static_cast<int>(names.size()) && !names[column].empty()
                                              ? names[column]
                                              : kDefaultColumnTexts[column];
}

void MarkSortColumn() {
    const bool reverse = (Items().sortFlags & kSortReverse) != 0;
    SetColumnText(ListState().sortColumn,
                  SortHeaderText(ListState().columnTexts[ListState().sortColumn].c_str(), ListState().sortColumn == 0,
                                 reverse));
}

}  // namespace filelist

std::string SortHeaderText(const char* text, bool nameColumn, bool reverse) {
    char header[128];
    if (nameColumn)
        std::snprintf(header, sizeof header, reverse ? "%s - " : "%s + ", text);
    else
        std::snprintf(header, sizeof header, reverse ? "- %s" : "+ %s", text);
    return header;
}

std::string ListInfoTip(int index) {
    ItemModelLock hold;
    const BrowserItem* item = ShownItem(index);
    if (!item) return std::string();
    std::string tip;
    for (int column = 0; column < kColumnCount; ++column) {
        if (column) tip += "\n";
        tip += ListState().columnTexts[column];
        tip += ":";
        tip += ItemColumnText(*item, column);
    }
    return tip;
}

void ReloadListColumnTitles() {
    ReadColumnTitles();
    for (int column = 0; column < kColumnCount; ++column) SetColumnText(column, ListState().columnTexts[column]);
    MarkSortColumn();
}

void SortList(UINT command) {
    ItemModel& model = Items();
    int key = model.sortKey, flags = model.sortFlags;
    if (command >= IDC_SORT_BY_NAME && command <= IDC_SORT_BY_ATTRIBUTES)
        key = static_cast<int>(command - IDC_SORT_BY_NAME);
    else if (command == IDC_SORT_FORWARD)
        flags = kSortForward;
    else if (command == IDC_SORT_REVERSE)
        flags = kSortReverse;
    else
        return;
    SetColumnText(ListState().sortColumn, ListState().columnTexts[ListState().sortColumn]);
    SetModelSort(key, flags);
    ListState().sortColumn = model.sortKey;
    MarkSortColumn();
    if (!ListState().list) return;
    if (ListState().isVirtual) {
        SendMessageA(ListState().list, LVM_UPDATE, 0, 0);
    } else {
        for (int i = 0; i < ShownItemCount() && !model.stop; ++i) WriteItemTexts(i, false);
    }
    InvalidateRect(ListState().list, nullptr, TRUE);
    MarkRangeChanged();
    // Next and Previous follow the order the user now sees.
    HandPicturesToOpenList(ListState().separateFiles);
}
