#include "paint.h"

#include <cstring>
#include <vector>

#include "picture.h"

int PaintDib(HDC dc, const RECT& destination, const DibBlock* block, HPALETTE palette) {
    if (!dc || !block || !block->header) return 0;
    const int destWidth = destination.right - destination.left;
    const int destHeight = destination.bottom - destination.top;
    if (destWidth <= 0 || destHeight <= 0) return 0;
    const int width = DibWidth(block), height = DibHeight(block);
    const int count = ComputePaintBands(width, height, destHeight, nullptr, 0);
    if (count <= 0) return 0;
    std::vector<PaintBand> bands(count);
    ComputePaintBands(width, height, destHeight, bands.data(), count);

    HPALETTE previous = nullptr;
    if (palette) {
        previous = SelectPalette(dc, palette, FALSE);
        RealizePalette(dc);
    }
    // Each band is painted through a copy of the header (with its colour
    // table) whose height is the band's, pointed at the band's first row.
    const DWORD rowBytes = DibRowBytes(block->header);
    const size_t headerBytes = static_cast<size_t>(block->pixels - reinterpret_cast<const BYTE*>(block->header));
    std::vector<BYTE> info(headerBytes);
    std::memcpy(info.data(), block->header, headerBytes);
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
    int painted = 0;
    SetStretchBltMode(dc, COLORONCOLOR);
    for (const PaintBand& band : bands) {
        header->biHeight = -band.sourceRows;
        header->biSizeImage = rowBytes * static_cast<DWORD>(band.sourceRows);
        const BYTE* rows = block->pixels + static_cast<size_t>(band.sourceTop) * rowBytes;
        if (StretchDIBits(dc, destination.left, destination.top + band.destTop, destWidth, band.destRows,
                          0, 0, width, band.sourceRows, rows, reinterpret_cast<BITMAPINFO*>(header),
                          DIB_RGB_COLORS, SRCCOPY) > 0)
            ++painted;
    }
    if (palette) SelectPalette(dc, previous, FALSE);
    return painted;
}
