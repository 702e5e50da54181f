#include "display.h"

#include <vector>

#include "convert.h"
#include "picture.h"
#include "program.h"
#include "system_info.h"
#include "win_guards.h"

HPALETTE CreateDisplayPalette(int depth) {
    if (depth > 8 || depth < 4) return nullptr;
    RGBQUAD table[256] = {};
    int count = 0;
    if (depth >= 8) {
        FillDisplay8Palette(table);
        count = 216;
    } else {
        FillDisplay4Palette(table);
        count = 12;
    }
    std::vector<BYTE> memory(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * count);
    auto* palette = reinterpret_cast<LOGPALETTE*>(memory.data());
    palette->palVersion = 0x300;
    palette->palNumEntries = static_cast<WORD>(count);
    for (int i = 0; i < count; ++i) {
        palette->palPalEntry[i].peRed = table[i].rgbRed;
        palette->palPalEntry[i].peGreen = table[i].rgbGreen;
        palette->palPalEntry[i].peBlue = table[i].rgbBlue;
        palette->palPalEntry[i].peFlags = 0;
    }
    return CreatePalette(palette);
}

bool EvaluateDisplay() {
    ProgramState& shell = Program();
    int depth = ReadDisplayDepth();
    bool changed = depth != shell.displayDepth;
    shell.displayDepth = depth;
    SetPictureDisplayDepth(depth);
    if (changed || (depth <= 8 && !shell.palette)) {
        if (shell.palette) DeleteObject(shell.palette);
        shell.palette = CreateDisplayPalette(depth);
    }
    return changed;
}

void RealizeShellPalette(HWND window) {
    HPALETTE palette = Program().palette;
    if (!palette || !window) return;
    WindowDC dc(window);
    SelectPalette(dc, palette, FALSE);
    RealizePalette(dc);
}
