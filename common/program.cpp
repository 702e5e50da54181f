#include "program.h"

#include "resource_ids.h"
#include "settings.h"

ProgramState& Program() {
    static ProgramState state;
    return state;
}

std::string ResourceString(UINT id) {
    char text[1024];
    int n = LoadStringA(Program().resourceModule, id, text, sizeof text);
    if (n <= 0 && Program().resourceModule != Program().mainModule)
        n = LoadStringA(Program().mainModule, id, text, sizeof text);
    return std::string(text, n > 0 ? static_cast<size_t>(n) : 0);
}

std::string DisplayName() {
    std::string name = settings::Read(settings::kProductName);
    if (name.empty()) name = ResourceString(IDS_PRODUCT_NAME);
    if (name.empty()) name = "Ommavu";
    return name + settings::Read(settings::kExtName);
}
