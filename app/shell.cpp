#include "shell.h"

#include "resource_ids.h"
#include "settings.h"

ShellState& Shell() {
    static ShellState state;
    return state;
}

std::string ResourceString(UINT id) {
    char text[1024];
    int n = LoadStringA(Shell().resourceModule, id, text, sizeof text);
    if (n <= 0 && Shell().resourceModule != Shell().mainModule)
        n = LoadStringA(Shell().mainModule, id, text, sizeof text);
    return std::string(text, n > 0 ? static_cast<size_t>(n) : 0);
}

std::string DisplayName() {
    std::string name = settings::Read(settings::kProductName);
    if (name.empty()) name = ResourceString(IDS_PRODUCT_NAME);
    if (name.empty()) name = "Ommavu";
    return name + settings::Read(settings::kExtName);
}
