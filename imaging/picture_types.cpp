#include "picture_types.h"

namespace {

std::vector<PictureType>& Table() {
    static std::vector<PictureType> table;
    return table;
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
    table.clear();
    if (!api || !api->FirstImageFormat) return 0;
    const char *name = nullptr, *group = nullptr, *description = nullptr;
    for (LorimelFormat entry = api->FirstImageFormat(&name, &group, &description); entry;
         entry = api->NextImageFormat(entry, &name, &group, &description))
        table.push_back(MakeType(*api, entry, name, group, description));
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
    if (!name) return nullptr;
    for (const PictureType& type : Table())
        if (lstrcmpiA(type.name, name) == 0) return &type;
    return nullptr;
}
