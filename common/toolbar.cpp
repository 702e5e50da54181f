#include "toolbar.h"

#include <cstring>

#include "program.h"

namespace {

// A toolbar resource comes in one of two layouts: the classic one (16-bit
// version 1, image width and height, item count, then one 16-bit command per
// item) and the one windres writes (32-bit width, height, count and items,
// no version).  0 stands for a separator in both.
struct ToolbarWords {
    DWORD width = 0;
    DWORD height = 0;
    DWORD count = 0;
    DWORD itemBytes = 0;
    const BYTE* items = nullptr;
};

template <typename T>
T ReadAt(const BYTE* data, DWORD index) {
    T value;
    std::memcpy(&value, data + index * sizeof(T), sizeof value);
    return value;
}

bool ReadToolbarWords(const BYTE* data, DWORD size, ToolbarWords* words) {
    if (size >= 12) {
        DWORD count = ReadAt<DWORD>(data, 2);
        if (count <= (size - 12) / 4 && size == 12 + count * 4 && ReadAt<DWORD>(data, 0) > 0 &&
            ReadAt<DWORD>(data, 0) <= 256 && ReadAt<DWORD>(data, 1) > 0 && ReadAt<DWORD>(data, 1) <= 256) {
            *words = ToolbarWords{ReadAt<DWORD>(data, 0), ReadAt<DWORD>(data, 1), count, 4, data + 12};
            return true;
        }
    }
    if (size >= 8 && ReadAt<WORD>(data, 0) == 1) {
        DWORD count = ReadAt<WORD>(data, 3);
        if (8 + count * 2 <= size) {
            *words = ToolbarWords{ReadAt<WORD>(data, 1), ReadAt<WORD>(data, 2), count, 2, data + 8};
            return true;
        }
    }
    return false;
}

char g_tooltip[64];

}  // namespace

bool ReadToolbarResource(HINSTANCE module, UINT id, ToolbarLayout* layout) {
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(241));
    if (!found) return false;
    DWORD size = SizeofResource(module, found);
    HGLOBAL loaded = LoadResource(module, found);
    const BYTE* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    return data && ParseToolbarResource(data, size, layout);
}

bool ParseToolbarResource(const BYTE* data, DWORD size, ToolbarLayout* layout) {
    ToolbarWords words;
    if (!data || !ReadToolbarWords(data, size, &words)) return false;
    layout->imageWidth = static_cast<int>(words.width);
    layout->imageHeight = static_cast<int>(words.height);
    layout->imageCount = 0;
    layout->buttons.clear();
    int text = 0;
    DWORD previous = 0;
    for (DWORD i = 0; i < words.count; ++i) {
        DWORD command = words.itemBytes == 4 ? ReadAt<DWORD>(words.items, i) : ReadAt<WORD>(words.items, i);
        TBBUTTON button = {};
        if (command == 0) {
            button.fsStyle = TBSTYLE_SEP;
            layout->buttons.push_back(button);
        } else if (command == previous) {
            ++layout->imageCount;  // the repeat only uses up an image
        } else {
            button.iBitmap = layout->imageCount++;
            button.idCommand = static_cast<int>(command);
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
    const ProgramState& shell = Program();
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
