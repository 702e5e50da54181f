// The extension object Explorer creates per request: icon, context menu and
// property page of picture files, all from the thumbnail cache.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

// Creates an object and asks it for iid (E_OUTOFMEMORY, E_NOINTERFACE).
HRESULT CreateIconExtension(REFIID iid, void** out);

// A thumbnail as the menu and the page show it: a top-down 32-bit DIB.
struct ThumbPicture {
    BITMAPINFOHEADER header;
    std::vector<uint32_t> pixels;
    // The picture's facts as the cache stored them.
    uint32_t timeLow, timeHigh, fileSize, width, height, bits;
    std::string format;
};

// Looks a picture's first thumbnail up in the module's cache: only an entry
// stored under the file's present time and size counts.  False in passive
// mode, for a missing file and for a picture without a current entry.
bool FindCurrentThumb(const std::string& picture, ThumbPicture* out);

// The property page's dialog procedure and page callback (property_page.cpp).
INT_PTR CALLBACK IconPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
UINT CALLBACK IconPageCallback(HWND, UINT message, LPPROPSHEETPAGEA page);
// The name the page shows, from the object given to it as its parameter.
const std::string& PageFileName(LPARAM object);
