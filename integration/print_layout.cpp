#include "print_layout.h"

#include <climits>

#include "convert.h"
#include "effect_preview.h"
#include "transforms.h"

namespace {

// Pictures are laid out at 90 of their pixels to the printer's inch.
constexpr long long kPicturePixelsPerInch = 90;
constexpr int kPreviewBox = 128;
constexpr int kPreviewLeast = 6;
constexpr int kGreyStep = 17;   // 16 greys: 0, 17, ..., 255

int Side(long long value) {
    if (value < 1) return 1;
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

int ClampByte(int value) { return value < 0 ? 0 : value > 255 ? 255 : value; }

// A block of width x height at 1 or 4 bits per pixel, sized for exactly its
// rows and colour table: the monochrome results can be the full printable
// area, where a 32-bit block of that size would be four to thirty-two times
// larger than needed.
DibBlock* CreatePackedDib(int width, int height, int bits) {
    const unsigned long long rows = static_cast<unsigned long long>(DibRowBytesFor(width, bits)) * height;
    const unsigned long long size = kDibHeadBytes + 16 * sizeof(RGBQUAD) + rows;
    if (width <= 0 || height <= 0 || size > 0x7FFFFFFFull) return nullptr;
    void* memory = DibAllocMemory(static_cast<SIZE_T>(size));
    if (!memory) return nullptr;
    DibBlock* block = InitDibBlock(memory, static_cast<DWORD>(size), width, height);
    SetDibFormat(block, bits);
    return block;
}

bool Usable(const DibBlock* block) {
    return block && block->header && block->header->biBitCount == 32;
}

}  // namespace

PrinterFacts ReadPrinterFacts(HDC printer) {
    PrinterFacts facts;
    facts.rasterCaps = GetDeviceCaps(printer, RASTERCAPS);
    facts.colourBits = GetDeviceCaps(printer, BITSPIXEL);
    if (facts.colourBits < 9) facts.colourBits *= GetDeviceCaps(printer, PLANES);
    facts.pageWidth = GetDeviceCaps(printer, HORZRES);
    facts.pageHeight = GetDeviceCaps(printer, VERTRES);
    facts.dpiX = GetDeviceCaps(printer, LOGPIXELSX);
    facts.dpiY = GetDeviceCaps(printer, LOGPIXELSY);
    return facts;
}

bool CanPrintDib(const PrinterFacts& printer) {
    return (printer.rasterCaps & (RC_DIBTODEV | RC_STRETCHDIB)) != 0;
}

bool IsMonoPrinter(const PrinterFacts& printer) { return printer.colourBits < 2; }

bool PrintTurnsPicture(const PrinterFacts& printer, int width, int height) {
    return (printer.pageWidth > printer.pageHeight && height > width) ||
           (printer.pageHeight > printer.pageWidth && width > height);
}

RECT PrintTarget(const PrinterFacts& printer, int width, int height) {
    // Device sizes run to tens of thousands of pixels times resolutions of
    // thousands: every product is taken in 64 bits.
    const long long dpiX = printer.dpiX > 0 ? printer.dpiX : 1;
    const long long dpiY = printer.dpiY > 0 ? printer.dpiY : 1;
    const long long pageW = printer.pageWidth, pageH = printer.pageHeight;
    long long w = Side(static_cast<long long>(width) * dpiX / kPicturePixelsPerInch);
    long long h = Side(static_cast<long long>(height) * dpiY / kPicturePixelsPerInch);
    long long left = (pageW - w) / 2, top = (pageH - h) / 2;
    if (w > pageW || h > pageH) {
        // The page less an inch: half an inch of margin on each side.
        const long long areaW = Side(pageW - dpiX), areaH = Side(pageH - dpiY);
        long long fitW = areaW, fitH = Side(h * areaW / w);
        left = dpiX / 2;
        top = (pageH - fitH) / 2;
        if (fitH > areaH) {
            fitH = areaH;
            fitW = Side(w * areaH / h);
            top = dpiY / 2;
            left = (pageW - fitW) / 2;
        }
        // A nearly square picture that fills the reduced area to within an
        // inch gets another inch off, so that its corners keep clear of the
        // margin the driver may not reach.
        const long long inch = dpiX > dpiY ? dpiX : dpiY;
        const long long sideGap = fitW > fitH ? fitW - fitH : fitH - fitW;
        if (sideGap < inch && (areaW - fitW < dpiX || areaH - fitH < dpiY) && fitW > dpiX && fitH > dpiY) {
            fitW -= dpiX;
            fitH -= dpiY;
            left += dpiX / 2;
            top += dpiY / 2;
        }
        w = fitW;
        h = fitH;
    }
    RECT target;
    target.left = static_cast<LONG>(left);
    target.top = static_cast<LONG>(top);
    target.right = static_cast<LONG>(left + w);
    target.bottom = static_cast<LONG>(top + h);
    return target;
}

SIZE PreparedPrintSize(const PrinterFacts& printer, int width, int height, const RECT& target,
                       int memoryMegabytes) {
    const int targetW = Side(target.right - target.left), targetH = Side(target.bottom - target.top);
    // Without stretching in the driver the picture must arrive at the size
    // it is printed at.
    if (!(printer.rasterCaps & RC_STRETCHDIB)) return SIZE{targetW, targetH};
    const bool wide = targetW > printer.pageWidth / 2, tall = targetH > printer.pageHeight / 2;
    if (!IsMonoPrinter(printer)) {
        if (width <= printer.pageWidth / 2 && height <= printer.pageHeight / 2) return SIZE{Side(width), Side(height)};
        return SIZE{Side(targetW / 2), Side(targetH / 2)};
    }
    const int divisor = memoryMegabytes >= 256 ? 1 : memoryMegabytes >= 128 ? 2 : memoryMegabytes >= 64 ? 4 : 6;
    return SIZE{Side(wide ? targetW / divisor : targetW), Side(tall ? targetH / divisor : targetH)};
}

const BYTE kPrintDither16[16][16] = {
    { 0, 14,  3, 13,  1, 15,  4, 14,  0, 14,  3, 13,  1, 15,  4, 14},
    {11,  5,  8,  6, 12,  6,  9,  7, 11,  5,  8,  6, 12,  6,  9,  7},
    {12,  2, 15,  1, 13,  3, 16,  2, 12,  2, 15,  1, 13,  3, 16,  2},
    { 7,  9,  4, 10,  8, 10,  5, 11,  7,  9,  4, 10,  8, 10,  5, 11},
    { 0, 15,  4, 14,  0, 15,  3, 14,  0, 15,  3, 14,  0, 15,  3, 14},
    {12,  6,  9,  7, 11,  5,  8,  6, 12,  5,  9,  6, 12,  5,  8,  6},
    {13,  2, 16,  1, 12,  2, 16,  1, 13,  2, 16,  1, 13,  2, 16,  1},
    { 8, 10,  5, 11,  7,  9,  4, 10,  7, 10,  4, 11,  7,  9,  4, 10},
    { 0, 15,  4, 14,  0, 14,  3, 13,  1, 15,  4, 14,  0, 14,  3, 13},
    {12,  6,  9,  7, 11,  5,  8,  6, 12,  6,  9,  7, 11,  5,  8,  6},
    {13,  3, 16,  1, 12,  2, 15,  1, 13,  3, 16,  2, 12,  2, 15,  1},
    { 8, 10,  5, 11,  7,  9,  4, 10,  8, 10,  5, 11,  7,  9,  4, 10},
    { 0, 15,  3, 14,  0, 15,  3, 14,  0, 15,  3, 13,  0, 15,  3, 14},
    {12,  5,  8,  6, 12,  5,  9,  7, 11,  5,  8,  6, 12,  6,  9,  7},
    {13,  2, 16,  1, 13,  2, 16,  1, 12,  2, 16,  1, 13,  2, 16,  1},
    { 7,  9,  4, 11,  8, 10,  4, 11,  7,  9,  4, 10,  8, 10,  4, 11},
};

void GreyPixelsWithLight(DWORD* pixels, size_t count, int light) {
    for (size_t i = 0; i < count; ++i) {
        const DWORD p = pixels[i];
        const DWORD grey = static_cast<DWORD>(ClampByte(GreyLevel((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF) + light));
        pixels[i] = grey * 0x010101;
    }
}

DibBlock* PrintDibTwoColours(const DibBlock* source, int light) {
    if (!Usable(source)) return nullptr;
    const int width = DibWidth(source), height = DibHeight(source);
    DibBlock* block = CreatePackedDib(width, height, 1);
    if (!block) return nullptr;
    RGBQUAD* colours = DibColors(block);
    colours[0] = RGBQUAD{0, 0, 0, 0};
    colours[1] = RGBQUAD{255, 255, 255, 0};
    const DWORD rowBytes = DibRowBytes(block->header);
    for (int y = 0; y < height; ++y) {
        const BYTE* in = source->pixels + static_cast<size_t>(y) * width * 4;
        BYTE* out = block->pixels + static_cast<size_t>(y) * rowBytes;
        const BYTE* thresholds = kDither1[y & 7];
        for (int x = 0; x < width; ++x, in += 4) {
            if (DitherLuminance(in[2], in[1], in[0]) + light > thresholds[x & 7])
                out[x >> 3] |= static_cast<BYTE>(0x80 >> (x & 7));
        }
    }
    return block;
}

DibBlock* PrintDibFastGreys(const DibBlock* source, int light) {
    if (!Usable(source)) return nullptr;
    const int width = DibWidth(source), height = DibHeight(source);
    DibBlock* block = CreatePackedDib(width, height, 4);
    if (!block) return nullptr;
    RGBQUAD* colours = DibColors(block);
    for (int i = 0; i < 16; ++i) {
        const BYTE grey = static_cast<BYTE>(kGreyStep * i);
        colours[i] = RGBQUAD{grey, grey, grey, 0};
    }
    const DWORD rowBytes = DibRowBytes(block->header);
    for (int y = 0; y < height; ++y) {
        const BYTE* in = source->pixels + static_cast<size_t>(y) * width * 4;
        BYTE* out = block->pixels + static_cast<size_t>(y) * rowBytes;
        for (int x = 0; x < width; ++x, in += 4) {
            const int grey = ClampByte(GreyLevel(in[2], in[1], in[0]) + light);
            int level = grey / kGreyStep;
            if (grey - kGreyStep * level > kPrintDither16[x & 15][y & 15]) ++level;
            out[x >> 1] |= static_cast<BYTE>((x & 1) ? level : level << 4);
        }
    }
    return block;
}

DibBlock* PreparePrintDib(const DibBlock* source, SIZE size, bool turned, bool mono, const PrintChoice& choice) {
    if (!Usable(source)) return nullptr;
    DibBlock* block = turned ? ScaleDib(source, size.cy, size.cx) : ScaleDib(source, size.cx, size.cy);
    if (block && turned) {
        DibBlock* upright = RotateDib(block, 90);
        FreeDib(block);
        block = upright;
    }
    if (!block) return nullptr;
    if (!mono) {
        if (ConvertDibDepth(block, choice.depth)) return block;
        FreeDib(block);
        return nullptr;
    }
    DibBlock* grey = nullptr;
    switch (choice.depth) {
    case 1:
        grey = PrintDibTwoColours(block, choice.light);
        break;
    case 2:
        grey = PrintDibFastGreys(block, choice.light);
        break;
    default:
        // The best dither: grey with the light first, then the quantised
        // 16-colour conversion, which finds the greys itself.
        GreyPixelsWithLight(reinterpret_cast<DWORD*>(block->pixels),
                            static_cast<size_t>(DibWidth(block)) * DibHeight(block), choice.light);
        if (ConvertDibDepth(block, 4)) return block;
        break;
    }
    FreeDib(block);
    return grey;
}

DibBlock* MakePrintPreview(const DibBlock* source, bool turned) {
    if (!Usable(source)) return nullptr;
    const SIZE size = FitSize(kPreviewBox, kPreviewBox, DibWidth(source), DibHeight(source), kPreviewLeast);
    DibBlock* preview = ScaleDib(source, size.cx, size.cy);
    if (preview && turned) {
        DibBlock* upright = RotateDib(preview, 90);
        FreeDib(preview);
        preview = upright;
    }
    return preview;
}

bool DrawPrintDib(HDC printer, const DibBlock* block, const RECT& target, int rasterCaps) {
    if (!block) return false;
    const int width = DibWidth(block), height = DibHeight(block);
    const int targetW = target.right - target.left, targetH = target.bottom - target.top;
    const BITMAPINFO* info = reinterpret_cast<const BITMAPINFO*>(block->header);
    if (width == targetW && height == targetH && (rasterCaps & RC_DIBTODEV)) {
        return SetDIBitsToDevice(printer, target.left, target.top, width, height, 0, 0, 0, height, block->pixels, info,
                                 DIB_RGB_COLORS) > 0;
    }
    const int lines = StretchDIBits(printer, target.left, target.top, targetW, targetH, 0, 0, width, height, block->pixels,
                                    info, DIB_RGB_COLORS, SRCCOPY);
    return lines != 0 && lines != static_cast<int>(GDI_ERROR);
}
