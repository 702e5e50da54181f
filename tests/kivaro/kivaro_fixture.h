// A copy of Kivaro.dll in a scratch folder whose name has blanks, with a
// stand-in viewer beside it, registered in the test prefix under the
// extension's class so that CoCreateInstance loads it; its cache is filled
// through the program's own cache module.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

// A folder with the extension, the stand-in viewer and (after the first
// store) its Cache folder.  One per name; made once per test program.
std::string ExtensionFolder(const std::string& name);
// Points the extension's class at that folder's copy.
void RegisterExtension(const std::string& folder);
void UnregisterExtension();

// Makes a picture file (its bytes do not matter: the extension never
// decodes) and returns its full path.
std::string MakePicture(const std::string& folder, const std::string& name, size_t bytes = 100);
// Stores a thumbnail for picture under its present time and size, as the
// browser does.  pixels are top-down 0x00RRGGBB.
void StoreThumb(const std::string& extensionFolder, const std::string& picture, int width,
                int height, const std::vector<uint32_t>& pixels, const char* format = "PNG",
                int pictureWidth = 640, int pictureHeight = 480, int bits = 24);
std::vector<uint32_t> SolidPixels(int width, int height, uint32_t colour);

// A data object holding a CF_HDROP list of wide names.
IDataObject* MakeDropData(const std::vector<std::wstring>& files);
std::wstring Wide(const std::string& text);

template <typename T>
struct ComPtr {
    T* p = nullptr;
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() { Reset(); }
    void Reset() {
        if (p) p->Release();
        p = nullptr;
    }
    T** Out() {
        Reset();
        return &p;
    }
    T* operator->() const { return p; }
};

// A new extension object through CoCreateInstance, asked for iid.
HRESULT CreateExtension(REFIID iid, void** out);

// The 32 x 32 picture an icon shows over a magenta background.
constexpr uint32_t kBackground = 0xFF00FF;
std::vector<uint32_t> DrawnIcon(HICON icon);
