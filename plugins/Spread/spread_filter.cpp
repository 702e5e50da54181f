#include "spread_filter.h"

#include <stdlib.h>

using filter_rows::Height;
using filter_rows::Usable;
using filter_rows::Width;

bool SpreadAccepts(LONG width, LONG height, int m) { return width > 2 && height > 2 && m >= 0; }

void SpreadPixels(const PluginDib* source, PluginDib* result, int m, filter_rows::RowProgress& progress) {
    const LONG width = Width(source), height = Height(source);
    const DWORD* in = reinterpret_cast<const DWORD*>(source->pixels);
    DWORD* out = reinterpret_cast<DWORD*>(result->pixels);
    const int half = m >> 1;
    for (LONG y = 0; y < height; ++y) {
        progress.Row(y);
        for (LONG x = 0; x < width; ++x) {
            int dx = (rand() & m) - half;
            int dy = (rand() & m) - half;
            if (dx < 0) dx = 0;
            if (dy < 0) dy = 0;
            LONG sx = x + dx, sy = y + dy;
            if (sx > width - 1) sx = width - 1;
            if (sy > height - 1) sy = height - 1;
            *out++ = in[static_cast<size_t>(sy) * width + sx];
        }
    }
}

PluginDib* SpreadDib(const PictureHostServices* host, const PluginDib* source, int m) {
    if (!host || !Usable(source) || !SpreadAccepts(Width(source), Height(source), m)) return nullptr;
    return filter_rows::IntoDib(host, source, [&](const PluginDib* from, PluginDib* to, filter_rows::RowProgress& p) {
        SpreadPixels(from, to, m, p);
        return true;
    });
}

PluginPicture* SpreadPicture(const PictureHostServices* host, const PluginPicture* picture, int m) {
    if (!host || !picture || !Usable(picture->working) ||
        !SpreadAccepts(Width(picture->working), Height(picture->working), m))
        return nullptr;
    return filter_rows::IntoPicture(host, picture,
                                    [&](const PluginDib* from, PluginDib* to, filter_rows::RowProgress& p) {
                                        SpreadPixels(from, to, m, p);
                                        return true;
                                    });
}
