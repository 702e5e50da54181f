#include "toolbar.h"

#include <cstring>

#include "shell.h"

namespace {

// The layout of a toolbar resource: version, image width and height, item
// count, then one command per item (0 = separator).
struct ToolbarResource {
    WORD version;
    WORD width;
    WORD height;
    WORD count;
};

char g_tooltip[64];

}  // namespace

bool ReadToolbarResource(HINSTANCE module, UINT id, ToolbarLayout* layout) {
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(241));
    if (!found) return false;
    DWORD size = SizeofResource(module, found);
    HGLOBAL loaded = LoadResource(module, found);
    const BYTE* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    if (!data || size < sizeof(ToolbarResource)) return false;
    ToolbarResource head;
    std::memcpy(&head, data, sizeof head);
    if (head.version != 1 || sizeof head + head.count * sizeof(WORD) > size) return false;
    const BYTE* items = data + sizeof head;
    layout->imageWidth = head.width;
    layout->imageHeight = head.height;
    layout->imageCount = 0;
    layout->buttons.clear();
    int text = 0;
    WORD previous = 0;
    for (WORD i = 0; i < head.count; ++i) {
        WORD command;
        std::memcpy(&command, items + i * sizeof(WORD), sizeof command);
        TBBUTTON button = {};
        if (command == 0) {
            button.fsStyle = TBSTYLE_SEP;
            layout->buttons.push_back(button);
        } else if (command == previous) {
            ++layout->imageCount;  // the repeat only uses up an image
        } else {
            button.iBitmap = layout->imageCount++;
            button.idCommand = command;
            button.fsState = TBSTATE_ENABLED;
            button.fsStyle = TBSTYLE_BUTTON;
            button.iString = text++;
            layout->buttons.push_back(button);
        }
        previous = command;
    }
    return true;
}

std::vector<std::string> SplitTexts(const std::string& joined) {
    std::vector<std::string> texts;
    size_t start = 0;
    while (start < joined.size()) {
        size_t at = joined.find('@', start);
        if (at == std::string::npos) at = joined.size();
        texts.push_back(joined.substr(start, at - start));
        start = at + 1;
    }
    return texts;
}

HWND CreateResourceToolbar(HWND parent, const ToolbarSpec& spec) {
    const ShellState& shell = Shell();
    ToolbarLayout layout;
    if (!ReadToolbarResource(shell.resourceModule, spec.resourceId, &layout)) return nullptr;
    HWND toolbar = CreateToolbarEx(parent, WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | spec.extraStyle,
                                   spec.controlId, layout.imageCount, shell.resourceModule,
                                   spec.bitmapId ? spec.bitmapId : spec.resourceId, nullptr, 0,
                                   layout.imageWidth, layout.imageHeight, layout.imageWidth,
                                   layout.imageHeight, sizeof(TBBUTTON));
    if (!toolbar) return nullptr;
    // The texts go in as one double-zero-terminated list; buttons refer to
    // them by index.
    std::vector<std::string> texts = SplitTexts(ResourceString(spec.textsId));
    std::string pool;
    for (const std::string& t : texts) pool += t + '\0';
    pool += '\0';
    int first = texts.empty() ? -1
                              : static_cast<int>(SendMessageA(toolbar, TB_ADDSTRINGA, 0,
                                                              reinterpret_cast<LPARAM>(pool.data())));
    for (TBBUTTON& button : layout.buttons) {
        if (button.fsStyle & TBSTYLE_SEP) continue;
        if (first < 0 || button.iString >= static_cast<INT_PTR>(texts.size()))
            button.iString = -1;
        else
            button.iString += first;
    }
    SendMessageA(toolbar, TB_ADDBUTTONSA, layout.buttons.size(), reinterpret_cast<LPARAM>(layout.buttons.data()));
    SendMessageA(toolbar, TB_AUTOSIZE, 0, 0);
    return toolbar;
}

bool AnswerToolbarTooltip(const NMHDR* header) {
    if (header->code != TTN_NEEDTEXTA) return false;
    auto* info = reinterpret_cast<NMTTDISPINFOA*>(const_cast<NMHDR*>(header));
    std::string text = ResourceString(static_cast<UINT>(header->idFrom));
    lstrcpynA(g_tooltip, text.c_str(), sizeof g_tooltip);
    info->lpszText = g_tooltip;
    info->hinst = nullptr;
    return true;
}

int ToolbarButtonIndex(HWND toolbar, UINT command) {
    return static_cast<int>(SendMessageA(toolbar, TB_COMMANDTOINDEX, command, 0));
}
