// Pictures for the mapping filter tests, made and freed through the host's
// real services table, with the patterns the expected values are worked out
// from: a gradient (blue = bx × x, green = gy × y, red 200, spare byte 0),
// whose bilinear samples read back the source point, and a pseudo-random
// picture whose every byte differs.
#pragma once

#include <windows.h>

#include <vector>

#include "bilinear.h"
#include "picture_plugin.h"
#include "plugin_services.h"

inline const PictureHostServices* Host() { return PluginServices(); }

inline DWORD Bgr(int blue, int green, int red, int spare = 0) {
    return static_cast<DWORD>(blue) | static_cast<DWORD>(green) << 8 | static_cast<DWORD>(red) << 16 |
           static_cast<DWORD>(spare) << 24;
}
inline int Blue(DWORD p) { return p & 0xFF; }
inline int Green(DWORD p) { return p >> 8 & 0xFF; }
inline int Red(DWORD p) { return p >> 16 & 0xFF; }

inline int WidthOf(const PluginDib* dib) { return dib->header->biWidth; }
inline int HeightOf(const PluginDib* dib) {
    return dib->header->biHeight < 0 ? -dib->header->biHeight : dib->header->biHeight;
}
inline DWORD PixelOf(const PluginDib* dib, int x, int y) {
    return reinterpret_cast<const DWORD*>(dib->pixels)[y * WidthOf(dib) + x];
}

// A picture owned by the test (freed through slot 4 unless released).
class TestPicture {
public:
    TestPicture(int width, int height) : picture_(Host()->CreatePicture(width, height)) {}
    explicit TestPicture(PluginPicture* picture) : picture_(picture) {}
    ~TestPicture() { Host()->FreePicture(picture_); }
    TestPicture(const TestPicture&) = delete;
    TestPicture& operator=(const TestPicture&) = delete;

    PluginPicture* get() const { return picture_; }
    PluginPicture* release() {
        PluginPicture* p = picture_;
        picture_ = nullptr;
        return p;
    }
    PluginDib* working() const { return picture_->working; }
    int width() const { return WidthOf(working()); }
    int height() const { return HeightOf(working()); }
    DWORD* pixels() const { return reinterpret_cast<DWORD*>(working()->pixels); }
    DWORD At(int x, int y) const { return PixelOf(working(), x, y); }
    void Set(int x, int y, DWORD pixel) { pixels()[y * width() + x] = pixel; }

    void FillGradient(int bx, int gy) {
        for (int y = 0; y < height(); ++y)
            for (int x = 0; x < width(); ++x) Set(x, y, Bgr(bx * x, gy * y, 200));
    }
    void FillNoise(DWORD seed = 12345) {
        for (int i = 0; i < width() * height(); ++i) {
            seed = seed * 1664525u + 1013904223u;
            pixels()[i] = seed;
        }
    }
    void Fill(DWORD pixel) {
        for (int i = 0; i < width() * height(); ++i) pixels()[i] = pixel;
    }
    std::vector<DWORD> Copy() const { return std::vector<DWORD>(pixels(), pixels() + width() * height()); }

private:
    PluginPicture* picture_;
};

// The source as the filters read it.
inline SourcePixels SourceOf(const TestPicture& picture) {
    return SourcePixels{picture.pixels(), picture.width(), picture.height()};
}
