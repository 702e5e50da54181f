#include "picture_types.h"

#include <algorithm>

namespace {

constexpr COLORREF kNoTypeColor = RGB(255, 255, 255);

std::vector<PictureType>& Table() {
    static std::vector<PictureType> table;
    return table;
}

// Indices into the table sorted by tag with lstrcmpiA, the comparison the
// lookup uses.
std::vector<int>& SortedIndex() {
    static std::vector<int> index;
    return index;
}

// One brush per colour in use, shared by the entries of that colour (most
// types have the same few colours) and kept until the table goes: an
// item being painted may still hold a colour's brush.
std::vector<std::pair<COLORREF, HBRUSH>>& Brushes() {
    static std::vector<std::pair<COLORREF, HBRUSH>> brushes;
    return brushes;
}

HBRUSH BrushFor(COLORREF color) {
    for (const auto& brush : Brushes())
        if (brush.first == color) return brush.second;
    HBRUSH brush = CreateSolidBrush(color);
    if (brush) Brushes().emplace_back(color, brush);
    return brush;
}

void DeleteBrushes() {
    for (PictureType& type : Table()) type.brush = nullptr;
    for (const auto& brush : Brushes()) DeleteObject(brush.second);
    Brushes().clear();
}

PictureType MakeType(const LorimelApi& api, LorimelFormat entry, const char* name, const char* group,
                     const char* description) {
    PictureType type{};
    lstrcpynA(type.name, name ? name : "", sizeof type.name);
    lstrcpynA(type.group, group ? group : "", sizeof type.group);
    lstrcpynA(type.description, description ? description : "", sizeof type.description);
    if (api.FormatCanRead(entry)) type.capabilities |= kTypeCanRead;
    if (api.FormatCanWrite(entry)) type.capabilities |= kTypeCanWrite;
    if (api.FormatFlag1(entry)) type.capabilities |= kTypeFlag1;
    if (api.FormatFlag2(entry)) type.capabilities |= kTypeFlag2;
    if (api.FormatFlag4(entry)) type.capabilities |= kTypeFlag4;
    type.saveDepths = static_cast<DWORD>(api.GetFormatSaveDepths(entry));
    return type;
}

}  // namespace

int BuildPictureTypes(const LorimelApi* api) {
    std::vector<PictureType>& table = Table();
    DeleteBrushes();
    table.clear();
    SortedIndex().clear();
    if (!api || !api->FirstImageFormat) return 0;
    const char *name = nullptr, *group = nullptr, *description = nullptr;
    for (LorimelFormat entry = api->FirstImageFormat(&name, &group, &description); entry;
         entry = api->NextImageFormat(entry, &name, &group, &description))
        table.push_back(MakeType(*api, entry, name, group, description));
    std::vector<int>& index = SortedIndex();
    for (size_t i = 0; i < table.size(); ++i) {
        table[i].color = kNoTypeColor;
        index.push_back(static_cast<int>(i));
    }
    std::stable_sort(index.begin(), index.end(),
                     [&table](int a, int b) { return lstrcmpiA(table[a].name, table[b].name) < 0; });
    return static_cast<int>(table.size());
}

const std::vector<PictureType>& PictureTypes() { return Table(); }

std::vector<int> WritablePictureTypes() {
    std::vector<int> writable;
    const std::vector<PictureType>& table = Table();
    for (size_t i = 0; i < table.size(); ++i)
        if (table[i].capabilities & kTypeCanWrite) writable.push_back(static_cast<int>(i));
    return writable;
}

const PictureType* FindPictureType(const char* name) {
    if (!name || !*name) return nullptr;
    const std::vector<PictureType>& table = Table();
    const std::vector<int>& index = SortedIndex();
    // The first of equal tags, as a front-to-back search of the library's
    // order would find (the sort is stable).
    auto found = std::lower_bound(index.begin(), index.end(), name, [&table](int entry, const char* wanted) {
        return lstrcmpiA(table[entry].name, wanted) < 0;
    });
    if (found == index.end() || lstrcmpiA(table[*found].name, name) != 0) return nullptr;
    return &table[*found];
}

void ApplyPictureTypeColors(const std::function<LONG(const char* name)>& colorOf) {
    std::vector<PictureType>& table = Table();
    for (size_t i = 0; i < table.size(); ++i) {
        LONG color = colorOf ? colorOf(table[i].name) : -1;
        if (color == -1 && colorOf && table[i].group[0]) color = colorOf(table[i].group);
        SetPictureTypeColor(static_cast<int>(i), color == -1 ? kNoTypeColor : static_cast<COLORREF>(color));
    }
}

void SetPictureTypeColor(int index, COLORREF color) {
    std::vector<PictureType>& table = Table();
    if (index < 0 || index >= static_cast<int>(table.size())) return;
    PictureType& type = table[index];
    type.color = color;
    type.brush = BrushFor(color);
}

void FreePictureTypes() {
    DeleteBrushes();
    Table().clear();
    SortedIndex().clear();
}
