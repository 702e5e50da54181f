#include "picture.h"

#include <stdio.h>

#include <cmath>

#include "convert.h"

namespace {

int g_displayDepth = 32;
long long g_budgetPixels = kDefaultPictureBudgetPixels;

// Display copies hold at least this many pixel bytes.
constexpr unsigned long long kDisplayMinBytes = 2048;
// Room for the largest colour table a display copy takes (8 bits, 256
// entries), so that narrow, tall pictures still fit at palette depths.
constexpr unsigned long long kDisplayTableBytes = 256 * sizeof(RGBQUAD);
constexpr unsigned long long kMaxPictureBytes = 0x7FFF0000ull;

// Blocks inside a picture start on pointer-aligned offsets.
unsigned long long AlignUp(unsigned long long n) {
    const unsigned long long a = alignof(DibBlock);
    return (n + a - 1) & ~(a - 1);
}

bool DisplayDepthConverts(int depth) {
    return depth == 4 || depth == 8 || depth == 15 || depth == 16 || depth == 24;
}

}  // namespace

void SetPictureBudget(long long pixels) {
    g_budgetPixels = pixels > 0 ? pixels : kDefaultPictureBudgetPixels;
}
long long PictureBudget() { return g_budgetPixels; }

SIZE BudgetedPictureSize(int width, int height) {
    SIZE size = {0, 0};
    if (width <= 0 || height <= 0) return size;
    size.cx = width;
    size.cy = height;
    const double pixels = static_cast<double>(width) * height;
    if (pixels <= static_cast<double>(g_budgetPixels)) return size;
    const double factor = std::sqrt(static_cast<double>(g_budgetPixels) / pixels);
    size.cx = static_cast<LONG>(width * factor);
    size.cy = static_cast<LONG>(height * factor);
    // Rounding must not carry the product over the budget.
    while (size.cx > 1 && size.cy > 1 &&
           static_cast<long long>(size.cx) * size.cy > g_budgetPixels) {
        if (size.cx >= size.cy) --size.cx; else --size.cy;
    }
    if (size.cx < 1) size.cx = 1;
    if (size.cy < 1) size.cy = 1;
    return size;
}

void SetPictureDisplayDepth(int depth) { g_displayDepth = depth; }
int GetPictureDisplayDepth() { return g_displayDepth; }

Picture* CreatePicture(int width, int height) {
    if (width <= 0 || height <= 0) return nullptr;
    unsigned long long pixels = static_cast<unsigned long long>(width) * height;
    if (pixels < kDibMinPixels) pixels = kDibMinPixels;
    unsigned long long workingSize = kDibHeadBytes + pixels * 4;
    unsigned long long displayPixels =
        static_cast<unsigned long long>(DibRowBytesFor(width, 24)) * height;
    if (displayPixels < kDisplayMinBytes) displayPixels = kDisplayMinBytes;
    unsigned long long displaySize = kDibHeadBytes + kDisplayTableBytes + displayPixels;
    unsigned long long workingOffset = AlignUp(sizeof(Picture));
    unsigned long long displayOffset = AlignUp(workingOffset + workingSize);
    unsigned long long total = displayOffset + displaySize;
    if (total > kMaxPictureBytes) return nullptr;
    BYTE* memory = static_cast<BYTE*>(DibAllocMemory(static_cast<SIZE_T>(total)));
    if (!memory) return nullptr;
    Picture* picture = reinterpret_cast<Picture*>(memory);
    picture->working = InitDibBlock(memory + workingOffset, static_cast<DWORD>(workingSize), width, height);
    picture->display = InitDibBlock(memory + displayOffset, static_cast<DWORD>(displaySize), width, height);
    PrepareDisplayFormat(picture->display, g_displayDepth);
    return picture;
}

void FreePicture(Picture* picture) {
    DibFreeMemory(picture);
}

Picture* ScalePicture(const Picture* picture, int width, int height) {
    if (!picture || width <= 0 || height <= 0) return nullptr;
    const DibBlock* source = picture->working;
    Picture* scaled = CreatePicture(width, height);
    if (!scaled) return nullptr;
    int sourceWidth = DibWidth(source);
    if (!ScaleDibNearest(source->pixels, sourceWidth, DibHeight(source),
                         static_cast<int>(DibRowBytesFor(sourceWidth, 32)), scaled->working->pixels,
                         width, height, static_cast<int>(DibRowBytesFor(width, 32)))) {
        FreePicture(scaled);
        return nullptr;
    }
    return scaled;
}

int RefreshPictureDisplay(Picture* picture) {
    if (!picture || !DisplayDepthConverts(g_displayDepth)) return 1;
    PrepareDisplayFormat(picture->display, g_displayDepth);
    int height = DibHeight(picture->working);
    for (int y = 0; y < height; ++y)
        ConvertDisplayRow(picture->working, picture->display, g_displayDepth, y);
    return 1;
}

void RefreshPictureRow(Picture* picture, int row) {
    if (!picture || !DisplayDepthConverts(g_displayDepth)) return;
    // The display depth may have changed since the picture was made.
    PrepareDisplayFormat(picture->display, g_displayDepth);
    ConvertDisplayRow(picture->working, picture->display, g_displayDepth, row);
}

int FormatPictureInfo(char* text, int size, int width, int height, int bitsPerPixel) {
    if (!text || size <= 0) return 0;
    int n;
    switch (bitsPerPixel) {
    case 1: case 2: case 4: case 8:
        n = snprintf(text, size, "%dx%dx%d", width, height, 1 << bitsPerPixel);
        break;
    case 15: n = snprintf(text, size, "%dx%dx32K", width, height); break;
    case 16: n = snprintf(text, size, "%dx%dx64K", width, height); break;
    case 24: n = snprintf(text, size, "%dx%dx16M", width, height); break;
    case 32: n = snprintf(text, size, "%dx%dx4G", width, height); break;
    default: n = snprintf(text, size, "%dx%dx0", width, height); break;
    }
    if (n < 0) return 0;
    return n < size ? n : size - 1;
}

int ComputePaintBands(int sourceWidth, int sourceHeight, int destHeight,
                      PaintBand* bands, int maxBands) {
    if (sourceWidth <= 0 || sourceHeight <= 0 || destHeight < 0) return 0;
    if (sourceWidth <= 1000 && sourceHeight <= 1000) {
        if (bands && maxBands > 0) bands[0] = PaintBand{0, sourceHeight, 0, destHeight};
        return 1;
    }
    int count = (sourceHeight + kPaintBandRows - 1) / kPaintBandRows;
    int bandDest = static_cast<int>(static_cast<long long>(destHeight) * kPaintBandRows / sourceHeight);
    for (int i = 0; i < count && bands && i < maxBands; ++i) {
        PaintBand& band = bands[i];
        band.sourceTop = i * kPaintBandRows;
        band.destTop = i * bandDest;
        if (i < count - 1) {
            band.sourceRows = kPaintBandRows;
            band.destRows = bandDest;
        } else {
            // The last band takes the remaining rows of both sides, so the
            // bands end exactly at the destination's bottom.
            band.sourceRows = sourceHeight - band.sourceTop;
            band.destRows = destHeight - band.destTop;
        }
    }
    return count;
}

Picture* CreatePictureFromDib(const DibBlock* block) {
    if (!block) return nullptr;
    const int width = DibWidth(block), height = DibHeight(block);
    Picture* picture = CreatePicture(width, height);
    if (!picture) return nullptr;
    CopyMemory(picture->working->pixels, block->pixels, static_cast<SIZE_T>(width) * height * 4);
    RefreshPictureDisplay(picture);
    return picture;
}
