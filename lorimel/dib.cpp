#include "dib.h"

#include "magick.h"

namespace {

struct DibBlockWords {
    DWORD size;
    BITMAPINFOHEADER* header;
    BYTE* pixels;
};

}  // namespace

bool ReadDibBlock(const void* block, DibView& view) {
    if (!block) return false;
    const DibBlockWords* words = static_cast<const DibBlockWords*>(block);
    const BITMAPINFOHEADER* h = words->header;
    if (!h || !words->pixels || h->biSize < sizeof(BITMAPINFOHEADER) || h->biWidth <= 0 ||
        h->biHeight == 0)
        return false;
    view.width = h->biWidth;
    view.height = h->biHeight < 0 ? -h->biHeight : h->biHeight;
    view.bitsPerPixel = h->biBitCount;
    view.pixels = words->pixels;
    const DWORD* masks = reinterpret_cast<const DWORD*>(reinterpret_cast<const BYTE*>(h) + h->biSize);
    switch (h->biBitCount) {
    case 1: case 2: case 4: case 8:
        view.paletteEntries = h->biClrUsed ? static_cast<int>(h->biClrUsed) : 1 << h->biBitCount;
        if (view.paletteEntries > (1 << h->biBitCount)) return false;
        view.palette = reinterpret_cast<const RGBQUAD*>(masks);
        break;
    case 16:
        // 5-6-5 pixels say so with their masks; 5-5-5 pixels may carry masks
        // under BI_RGB or none at all.
        view.fiveSixFive = h->biCompression == BI_BITFIELDS && masks[1] == 0x07E0;
        view.bitsPerPixel = view.fiveSixFive ? 16 : 15;
        break;
    case 15: case 24: case 32:
        break;
    default:
        return false;
    }
    const int bits = h->biBitCount == 15 ? 16 : h->biBitCount;
    const size_t rowBits = static_cast<size_t>(view.width) * bits;
    view.rowBytes = bits == 32 ? view.width * 4u : ((rowBits + 31) / 32) * 4;
    return true;
}

int DibIndex(const DibView& view, const BYTE* row, LONG x) {
    switch (view.bitsPerPixel) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 2: return (row[x >> 2] >> (6 - 2 * (x & 3))) & 3;
    case 4: return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
    default: return row[x];
    }
}

void DibPixel(const DibView& view, const BYTE* row, LONG x, BYTE& blue, BYTE& green, BYTE& red) {
    switch (view.bitsPerPixel) {
    case 1: case 2: case 4: case 8: {
        int i = DibIndex(view, row, x);
        if (i >= view.paletteEntries) i = 0;
        blue = view.palette[i].rgbBlue;
        green = view.palette[i].rgbGreen;
        red = view.palette[i].rgbRed;
        return;
    }
    case 15: case 16: {
        const unsigned v = row[2 * x] | (row[2 * x + 1] << 8);
        unsigned r, g, b = v & 31;
        if (view.fiveSixFive) {
            r = v >> 11;
            g = (v >> 5) & 63;
            green = static_cast<BYTE>((g << 2) | (g >> 4));
        } else {
            r = (v >> 10) & 31;
            g = (v >> 5) & 31;
            green = static_cast<BYTE>((g << 3) | (g >> 2));
        }
        red = static_cast<BYTE>((r << 3) | (r >> 2));
        blue = static_cast<BYTE>((b << 3) | (b >> 2));
        return;
    }
    case 24:
        blue = row[3 * x];
        green = row[3 * x + 1];
        red = row[3 * x + 2];
        return;
    default:
        blue = row[4 * x];
        green = row[4 * x + 1];
        red = row[4 * x + 2];
        return;
    }
}

Image* ImageFromDib(const ImageInfo* info, const DibView& view, LONG width, LONG height,
                    ExceptionInfo* exception) {
    Image* image = AcquireImage(info);
    if (!image) return nullptr;
    if (SetImageExtent(image, width, height) == MagickFalse) {
        InheritException(exception, &image->exception);
        return DestroyImage(image);
    }
    const bool palette = view.paletteEntries > 0;
    if (palette) {
        if (AcquireImageColormap(image, view.paletteEntries) == MagickFalse)
            return DestroyImage(image);
        for (int i = 0; i < view.paletteEntries; ++i) {
            image->colormap[i].blue = static_cast<Quantum>(view.palette[i].rgbBlue);
            image->colormap[i].green = static_cast<Quantum>(view.palette[i].rgbGreen);
            image->colormap[i].red = static_cast<Quantum>(view.palette[i].rgbRed);
            image->colormap[i].opacity = OpaqueOpacity;
        }
    }
    for (LONG y = 0; y < height; ++y) {
        PixelPacket* q = QueueAuthenticPixels(image, 0, y, width, 1, exception);
        if (!q) return DestroyImage(image);
        IndexPacket* indexes = palette ? GetAuthenticIndexQueue(image) : nullptr;
        const BYTE* row = view.pixels + static_cast<size_t>(y) * view.rowBytes;
        for (LONG x = 0; x < width; ++x, ++q) {
            if (palette) {
                int i = DibIndex(view, row, x);
                if (i >= view.paletteEntries) i = 0;
                if (indexes) SetPixelIndex(indexes + x, i);
                *q = image->colormap[i];
            } else {
                BYTE b, g, r;
                DibPixel(view, row, x, b, g, r);
                SetPixelBlue(q, static_cast<Quantum>(b));
                SetPixelGreen(q, static_cast<Quantum>(g));
                SetPixelRed(q, static_cast<Quantum>(r));
                SetPixelOpacity(q, OpaqueOpacity);
            }
        }
        if (SyncAuthenticPixels(image, exception) == MagickFalse) return DestroyImage(image);
    }
    image->matte = MagickFalse;
    return image;
}
