// Pictures and blocks for the plug-in tests, made and freed through the
// host's real services table as the plug-ins see them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "plugin_services.h"

inline const PictureHostServices& Host() { return *PluginServices(); }

inline LONG WidthOf(const PluginDib* dib) { return dib->header->biWidth; }
inline LONG HeightOf(const PluginDib* dib) {
    return dib->header->biHeight < 0 ? -dib->header->biHeight : dib->header->biHeight;
}
inline DWORD* PixelsOf(const PluginDib* dib) { return reinterpret_cast<DWORD*>(dib->pixels); }
inline DWORD PixelAt(const PluginDib* dib, LONG x, LONG y) { return PixelsOf(dib)[y * WidthOf(dib) + x]; }
inline std::vector<DWORD> PixelsCopy(const PluginDib* dib) {
    return std::vector<DWORD>(PixelsOf(dib), PixelsOf(dib) + WidthOf(dib) * HeightOf(dib));
}

// Photo-like pixels: gradients with noise on top, all four bytes used.
inline void FillVaried(PluginDib* dib, uint32_t seed = 0x2468ACE1u) {
    DWORD* p = PixelsOf(dib);
    const LONG width = WidthOf(dib), height = HeightOf(dib);
    for (LONG y = 0; y < height; ++y)
        for (LONG x = 0; x < width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const DWORD noise = seed >> 8;
            const DWORD b = (x * 255 / width + (noise & 63)) & 0xFF;
            const DWORD g = (y * 255 / height + ((noise >> 6) & 63)) & 0xFF;
            const DWORD r = (noise >> 12) & 0xFF;
            const DWORD spare = (noise >> 4) & 0xFF;
            *p++ = spare << 24 | r << 16 | g << 8 | b;
        }
}

inline void FillWith(PluginDib* dib, DWORD pixel) {
    DWORD* p = PixelsOf(dib);
    for (LONG i = 0; i < WidthOf(dib) * HeightOf(dib); ++i) p[i] = pixel;
}

// Each pixel its own index, so a result pixel tells where it came from.
inline void FillIndexed(PluginDib* dib) {
    DWORD* p = PixelsOf(dib);
    for (LONG i = 0; i < WidthOf(dib) * HeightOf(dib); ++i) p[i] = static_cast<DWORD>(i);
}

class OwnedPicture {
public:
    OwnedPicture(LONG width, LONG height) : picture_(Host().CreatePicture(width, height)) {}
    explicit OwnedPicture(PluginPicture* picture) : picture_(picture) {}
    ~OwnedPicture() { Host().FreePicture(picture_); }
    OwnedPicture(const OwnedPicture&) = delete;
    OwnedPicture& operator=(const OwnedPicture&) = delete;
    PluginPicture* get() const { return picture_; }
    PluginDib* working() const { return picture_->working; }
    explicit operator bool() const { return picture_ != nullptr; }

private:
    PluginPicture* picture_;
};

class OwnedDib {
public:
    OwnedDib(LONG width, LONG height) : dib_(Host().CreateDib(width, height)) {}
    explicit OwnedDib(PluginDib* dib) : dib_(dib) {}
    ~OwnedDib() { Host().FreeDib(dib_); }
    OwnedDib(const OwnedDib&) = delete;
    OwnedDib& operator=(const OwnedDib&) = delete;
    PluginDib* get() const { return dib_; }
    explicit operator bool() const { return dib_ != nullptr; }

private:
    PluginDib* dib_;
};
