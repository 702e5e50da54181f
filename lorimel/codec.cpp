#include "codec.h"

#include "animation.h"
#include "dib.h"
#include "handle.h"
#include "jpeg_scans.h"
#include "magick.h"
#include "progress.h"
#include "registry.h"

#include <cerrno>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr size_t kMaxPageSide = kMaxPageSidePixels;
constexpr size_t kMaxPages = 1024;

char* CopyText(const char* text) {
    if (!text) return nullptr;
    size_t n = std::strlen(text) + 1;
    char* copy = static_cast<char*>(LocalAlloc(LMEM_FIXED, n));
    if (copy) std::memcpy(copy, text, n);
    return copy;
}

void FreeText(const char*& text) {
    if (text) LocalFree(const_cast<char*>(text));
    text = nullptr;
}

bool Rewind(ImageFileRecord& file) {
    FILE* stream = static_cast<FILE*>(file.stream);
    return stream && std::fseek(stream, 0, SEEK_SET) == 0;
}

// An image info that makes the core run this handle's coder on its open stream.
ImageInfo* InfoForFile(const ImageFileRecord& file) {
    ImageInfo* info = AcquireImageInfo();
    if (!info) return nullptr;
    const char* coder = file.format->coderName;
    CopyMagickString(info->magick, coder, MaxTextExtent);
    FormatLocaleString(info->filename, MaxTextExtent, "%s:%s", coder, file.fileName);
    info->affirm = MagickTrue;
    info->file = static_cast<FILE*>(file.stream);
    return info;
}

// The same for reading.  Nothing this library answers comes from a
// picture's embedded profiles (Exif, XMP, ICC, IPTC), and turning a large
// Exif or XMP block into properties costs more than reading the header it
// travels with, so the coders that can leave them unread do.
ImageInfo* InfoForReading(const ImageFileRecord& file) {
    ImageInfo* info = InfoForFile(file);
    if (info) SetImageOption(info, "profile:skip", "*");
    return info;
}

// A page of an animation that is smaller than the animation's canvas.
bool IsPartOfCanvas(const Image* image) {
    return image->page.width > image->columns || image->page.height > image->rows;
}

// Pages that claim far more pixels than their file could hold.  No coder of
// the formats read here packs more than a few thousand pixels into one byte
// of a real picture (a blank 1-bit page comes closest), while a few hundred
// bytes that declare 30000 x 30000 make the core prepare gigabytes of pixel
// cache, on disk, before it finds the data missing.  Pages up to 16
// megapixels are taken whatever their file's size.
constexpr double kMaxPixelsPerFileByte = 4096;
constexpr double kPixelsAlwaysTaken = 16.0 * 1024 * 1024;

bool FileCanHold(LONG width, LONG height, double fileBytes) {
    const double pixels = static_cast<double>(width) * height;
    return pixels <= kPixelsAlwaysTaken || pixels <= fileBytes * kMaxPixelsPerFileByte;
}

double FileBytes(const ImageFileRecord& file) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExA(file.fileName, GetFileExInfoStandard, &data)) return 0;
    return static_cast<double>(data.nFileSizeHigh) * 4294967296.0 + data.nFileSizeLow;
}

// Brings a decoded page to the asked size; returns the page itself when it
// already has it, else a new image the caller destroys.  A page too large
// for the core's memory has its pixels in a cache file: the filtered resize
// would read that file in overlapping windows and build an intermediate
// image nearly as large, so such a page is averaged down in one pass over
// its rows instead, which needs a few rows of memory.
Image* FitToSize(Image* page, LONG width, LONG height, ExceptionInfo* exception) {
    if (static_cast<LONG>(page->columns) == width && static_cast<LONG>(page->rows) == height)
        return page;
    const CacheType cache = GetImagePixelCacheType(page);
    const bool reducing = width <= static_cast<LONG>(page->columns) &&
                          height <= static_cast<LONG>(page->rows);
    if (reducing && (cache == DiskCache || cache == MapCache))
        return ScaleImage(page, width, height, exception);
    return ResizeImage(page, width, height, TriangleFilter, 1.0, exception);
}

bool StorePixels(Image* image, BYTE* out, LONG width, LONG height, ExceptionInfo* exception) {
    if (image->colorspace != sRGBColorspace && !RowsAreGrey(image))
        TransformImageColorspace(image, sRGBColorspace);
    const bool alpha = image->matte != MagickFalse;
    for (LONG y = 0; y < height; ++y) {
        const PixelPacket* row = GetVirtualPixels(image, 0, y, width, 1, exception);
        if (!row) return false;
        StoreRow(out + static_cast<size_t>(y) * width * 4, row, width, alpha);
    }
    return true;
}

void PutWord(std::vector<BYTE>& out, size_t at, WORD v) {
    out[at] = static_cast<BYTE>(v);
    out[at + 1] = static_cast<BYTE>(v >> 8);
}
void PutLong(std::vector<BYTE>& out, size_t at, DWORD v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<BYTE>(v >> (8 * i));
}

// A BMP file holds a DIB as it is, so the block is stored at its own depth
// rather than at the depth the core's encoder would pick: 1, 4, 8 bits with
// the block's colour table (as many entries as it has), 2 bits widened to 4
// with a 4-entry table (the format has no 2-bit rows), 5-5-5 and 5-6-5
// pixels as 16 bits, 24 and 32 bits unchanged.  Rows are written bottom-up.
bool WriteBmpFile(FILE* stream, const DibView& dib, LONG width, LONG height) {
    const int bits = dib.bitsPerPixel == 2 ? 4 : dib.bitsPerPixel == 15 ? 16 : dib.bitsPerPixel;
    const bool masks = dib.bitsPerPixel == 16;
    const int entries = dib.bitsPerPixel <= 8 ? dib.paletteEntries : 0;
    const DWORD rowBytes = ((static_cast<DWORD>(width) * bits + 31) / 32) * 4;
    const DWORD headBytes = 14 + 40 + (masks ? 12 : 0) + entries * 4;
    const DWORD imageBytes = rowBytes * static_cast<DWORD>(height);
    std::vector<BYTE> head(headBytes, 0);
    head[0] = 'B';
    head[1] = 'M';
    PutLong(head, 2, headBytes + imageBytes);
    PutLong(head, 10, headBytes);
    PutLong(head, 14, 40);
    PutLong(head, 18, static_cast<DWORD>(width));
    PutLong(head, 22, static_cast<DWORD>(height));
    PutWord(head, 26, 1);
    PutWord(head, 28, static_cast<WORD>(bits));
    PutLong(head, 30, masks ? BI_BITFIELDS : BI_RGB);
    PutLong(head, 34, imageBytes);
    PutLong(head, 38, 2835);
    PutLong(head, 42, 2835);
    PutLong(head, 46, static_cast<DWORD>(entries));
    size_t at = 54;
    if (masks) {
        PutLong(head, at, 0xF800);
        PutLong(head, at + 4, 0x07E0);
        PutLong(head, at + 8, 0x001F);
        at += 12;
    }
    for (int i = 0; i < entries; ++i, at += 4) {
        head[at] = dib.palette[i].rgbBlue;
        head[at + 1] = dib.palette[i].rgbGreen;
        head[at + 2] = dib.palette[i].rgbRed;
    }
    if (std::fwrite(head.data(), 1, head.size(), stream) != head.size()) return false;
    std::vector<BYTE> row(rowBytes, 0);
    const size_t copied = std::min<size_t>(rowBytes, dib.rowBytes);
    for (LONG y = height - 1; y >= 0; --y) {
        const BYTE* from = dib.pixels + static_cast<size_t>(y) * dib.rowBytes;
        if (dib.bitsPerPixel == 2) {
            std::fill(row.begin(), row.end(), 0);
            for (LONG x = 0; x < width; ++x)
                row[x >> 1] |= static_cast<BYTE>(DibIndex(dib, from, x) << ((x & 1) ? 0 : 4));
        } else {
            std::copy(from, from + copied, row.begin());
        }
        if (std::fwrite(row.data(), 1, rowBytes, stream) != rowBytes) return false;
    }
    return true;
}

}  // namespace

bool RowsAreGrey(const Image* image) {
    return image->colorspace == GRAYColorspace || image->colorspace == Rec601LumaColorspace ||
           image->colorspace == Rec709LumaColorspace || image->colorspace == LinearGRAYColorspace;
}

void ClearError(ImageFileRecord& file) {
    FreeText(file.errorReason);
    FreeText(file.errorDescription);
    file.errorSeverity = 0;
    file.errorSignature = 0;
}

void RecordError(ImageFileRecord& file, const ExceptionInfo* exception) {
    ClearError(file);
    if (!exception) return;
    file.errorSeverity = exception->severity;
    file.errorReason = CopyText(exception->reason);
    file.errorDescription = CopyText(exception->description);
    file.errorSignature = static_cast<DWORD>(exception->signature);
}

void DestroyPages(ImageFileRecord& file) {
    ForgetAnimation(file);
    if (file.coreImage) DestroyImageList(static_cast<Image*>(file.coreImage));
    file.coreImage = nullptr;
}

LONG ReadDescriptionThroughCoder(ImageFileRecord& file) {
    DestroyPages(file);
    if (!Rewind(file)) return 0;
    ImageInfo* info = InfoForReading(file);
    if (!info) return 0;
    // The core's description of an animation slows down with every frame
    // (20000 one-pixel frames take minutes), and no caller shows more than
    // this many pages of one file: the pages after it are left unread.
    info->scene = 0;
    info->number_scenes = kMaxPages;
    ExceptionInfo* exception = AcquireExceptionInfo();
    Image* pages = PingImage(info, exception);
    RecordError(file, exception);
    DestroyExceptionInfo(exception);
    DestroyImageInfo(info);
    file.coreImage = pages;
    return pages != nullptr;
}

const Image* SelectPage(const ImageFileRecord& file, LONG page) {
    const Image* image = static_cast<const Image*>(file.coreImage);
    for (LONG i = 0; image && i < page && image->next; ++i) image = image->next;
    return image;
}

bool DescribePage(const Image* image, LorimelPageInfo& info) {
    if (!image) return false;
    const bool canvas = IsPartOfCanvas(image);
    info.width = static_cast<LONG>(canvas ? image->page.width : image->columns);
    info.height = static_cast<LONG>(canvas ? image->page.height : image->rows);
    const bool grey = RowsAreGrey(image);
    const bool alpha = image->matte != MagickFalse;
    LONG bits;
    if (image->storage_class == PseudoClass && image->colors > 0 && image->colors <= 256)
        bits = image->colors <= 2 ? 1 : image->colors <= 4 ? 2 : image->colors <= 16 ? 4 : 8;
    else if (grey)
        bits = image->depth <= 1 ? 1 : 8;
    else if (image->colorspace == CMYKColorspace || alpha)
        bits = 32;
    else if (image->depth == 5)
        bits = 16;
    else
        bits = 24;
    info.bitsPerPixel = bits;
    // Image kind: 1 bilevel, 2 grey, 3 palette, 4 true colour, 5 true colour
    // with alpha, 6 separated (CMYK), 7 palette with alpha, 8 anything else.
    if (bits == 1)
        info.kind = 1;
    else if (grey)
        info.kind = 2;
    else if (image->storage_class == PseudoClass)
        info.kind = alpha ? 7 : 3;
    else if (image->colorspace == CMYKColorspace)
        info.kind = 6;
    else if (image->colorspace == sRGBColorspace || image->colorspace == RGBColorspace)
        info.kind = alpha ? 5 : 4;
    else
        info.kind = 8;
    return true;
}

LONG PageDelayMilliseconds(const Image* image) {
    if (!image) return 0;
    const size_t ticks = image->ticks_per_second ? image->ticks_per_second : 100;
    return static_cast<LONG>(image->delay * 1000 / ticks);
}

LONG CountPages(ImageFileRecord& file) {
    LONG count = 0;
    const double fileBytes = FileBytes(file);
    for (Image* image = static_cast<Image*>(file.coreImage); image; image = image->next) {
        // The size a caller is told (the canvas of an animation's part page).
        LorimelPageInfo info{};
        DescribePage(image, info);
        if (image->columns == 0 || image->rows == 0 || info.width <= 0 || info.height <= 0 ||
            static_cast<size_t>(info.width) > kMaxPageSide ||
            static_cast<size_t>(info.height) > kMaxPageSide ||
            !FileCanHold(info.width, info.height, fileBytes))
            break;
        CopyMagickString(image->magick, file.formatName, MaxTextExtent);
        ++count;
    }
    return count;
}

namespace {

// Every frame of the file, decoded with the row hooks attached so that the
// caller's progress callback is heard (and can stop the read).
Image* ReadAllFrames(ImageFileRecord& file, ExceptionInfo* exception) {
    if (!Rewind(file) || file.pageCount < 1) return nullptr;
    ImageInfo* info = InfoForReading(file);
    if (!info) return nullptr;
    info->scene = 0;
    info->number_scenes = static_cast<size_t>(file.pageCount);
    char scenes[32];
    FormatLocaleString(scenes, sizeof scenes, "0-%ld", static_cast<long>(file.pageCount - 1));
    CloneString(&info->scenes, scenes);
    DecodeTarget target;
    target.page = -1;
    AttachDecodeHooks(info, &target);
    Image* frames = ReadImage(info, exception);
    DetachDecodeHooks();
    DestroyImageInfo(info);
    if (frames && target.cancelled) {
        DestroyImageList(frames);
        frames = nullptr;
    }
    // The frames outlive this read: they must not call back into a target
    // that is gone (every image cloned from them would, and stop at once).
    for (Image* frame = frames; frame; frame = frame->next)
        SetImageProgressMonitor(frame, nullptr, nullptr);
    return frames;
}

// A later page of an animation whose frames cover part of the canvas.
LONG ReadComposedPage(ImageFileRecord& file, void* pixels, LONG width, LONG height, LONG page) {
    ExceptionInfo* exception = AcquireExceptionInfo();
    Image* composed = ComposeAnimationPage(file, page, ReadAllFrames, exception);
    RecordError(file, exception);
    LONG result = 0;
    if (composed) {
        Image* fitted = FitToSize(composed, width, height, exception);
        if (fitted) {
            result = StorePixels(fitted, static_cast<BYTE*>(pixels), width, height, exception);
            if (fitted != composed) DestroyImage(fitted);
        }
        DestroyImage(composed);
    }
    DestroyExceptionInfo(exception);
    return result;
}

}  // namespace

LONG ReadPixelsThroughCoder(ImageFileRecord& file, void* pixels, LONG width, LONG height,
                            LONG page) {
    const Image* described = SelectPage(file, page);
    if (!described || width <= 0 || height <= 0) return 0;
    LorimelPageInfo pageInfo{};
    DescribePage(described, pageInfo);
    const bool coalesce = IsPartOfCanvas(described);
    if (coalesce && page > 0) return ReadComposedPage(file, pixels, width, height, page);
    if (!Rewind(file)) return 0;
    ImageInfo* info = InfoForReading(file);
    if (!info) return 0;

    // Pages of an animation that only cover part of the canvas are composed
    // from the first page on; any other page is read on its own.
    info->scene = coalesce ? 0 : page;
    info->number_scenes = coalesce ? page + 1 : 1;
    char scenes[32];
    FormatLocaleString(scenes, sizeof scenes, coalesce ? "0-%ld" : "%ld", static_cast<long>(page));
    CloneString(&info->scenes, scenes);
    const bool smaller = width < pageInfo.width || height < pageInfo.height;
    if (smaller && (file.format->flags & kFormatFlagReducedDecode)) {
        // The JPEG coder scales inside the decoder only when asked this way.
        char size[40];
        FormatLocaleString(size, sizeof size, "%ldx%ld", static_cast<long>(width),
                           static_cast<long>(height));
        SetImageOption(info, "jpeg:size", size);
    }
    // A progressive JPEG read at 1/8 of its size or less: the decoder uses
    // only the DC coefficients, so it is handed the DC scans alone (from
    // memory) and never decodes the AC scans that make most of the file.
    std::vector<BYTE> dcScans;
    if (smaller && described->interlace == JPEGInterlace && pageInfo.width >= 8 * width &&
        pageInfo.height >= 8 * height) {
        if (ProgressiveDcScans(static_cast<FILE*>(file.stream), &dcScans)) {
            info->file = nullptr;
            SetImageInfoBlob(info, dcScans.data(), dcScans.size());
            // Smoothing would only estimate the AC coefficients left out.
            SetImageOption(info, "jpeg:block-smoothing", "false");
        } else if (!Rewind(file)) {
            DestroyImageInfo(info);
            return 0;
        }
    }

    DecodeTarget target;
    target.pixels = static_cast<BYTE*>(pixels);
    target.width = width;
    target.height = height;
    target.page = page;
    target.copyRows = !coalesce && !smaller;
    target.reduceRows = !coalesce && smaller;
    AttachDecodeHooks(info, &target);
    ExceptionInfo* exception = AcquireExceptionInfo();
    Image* images = ReadImage(info, exception);
    DetachDecodeHooks();
    RecordError(file, exception);

    LONG result = 0;
    if (images) {
        Image* composed = nullptr;
        Image* chosen = nullptr;
        if (coalesce && !target.cancelled) {
            composed = CoalesceImages(images, exception);
            chosen = composed ? GetLastImageInList(composed) : nullptr;
        } else {
            chosen = images;
            for (Image* i = images; i; i = i->next)
                if (static_cast<LONG>(i->scene) == page) chosen = i;
        }
        if (target.cancelled) {
            // Rows that arrived are in the buffer already; the rest stay zero.
            result = 1;
        } else if (RowsAlreadyCopied(target, chosen)) {
            // The coder's rows went straight into the caller's buffer, every
            // one in its final form: no second copy.
            result = 1;
        } else if (RowsAlreadyReduced(target, chosen)) {
            // A page in a cache file was averaged into the buffer as it
            // arrived: nothing to read back.
            result = 1;
        } else if (chosen) {
            Image* fitted = FitToSize(chosen, width, height, exception);
            if (fitted) {
                result = StorePixels(fitted, static_cast<BYTE*>(pixels), width, height, exception);
                if (fitted != chosen) DestroyImage(fitted);
            }
        }
        if (composed) DestroyImageList(composed);
        DestroyImageList(images);
    }
    DestroyExceptionInfo(exception);
    DestroyImageInfo(info);
    return result;
}

LONG WriteThroughCoder(ImageFileRecord& file, const void* dibBlock, const LorimelWriteInfo& wi) {
    DibView dib;
    if (!ReadDibBlock(dibBlock, dib) || wi.width <= 0 || wi.height <= 0 ||
        wi.width > dib.width || wi.height > dib.height)
        return 0;
    if (std::strcmp(file.format->name, "BMP") == 0 && wi.width == dib.width) {
        FILE* stream = static_cast<FILE*>(file.stream);
        ClearError(file);
        if (WriteBmpFile(stream, dib, wi.width, wi.height) && std::fflush(stream) == 0 && !std::ferror(stream))
            return 1;
        file.errorSeverity = BlobError;
        file.errorReason = CopyText(std::strerror(errno));
        file.errorDescription = CopyText(file.fileName);
        return 0;
    }
    ImageInfo* info = InfoForFile(file);
    if (!info) return 0;
    info->quality = wi.quality > 0 ? static_cast<size_t>(wi.quality) : 0;
    info->adjoin = MagickFalse;
    ExceptionInfo* exception = AcquireExceptionInfo();
    Image* image = ImageFromDib(info, dib, wi.width, wi.height, exception);
    LONG result = 0;
    if (image) {
        CopyMagickString(image->filename, info->filename, MaxTextExtent);
        if (std::strcmp(file.format->name, "BMP24") == 0) {
            // The 24-bit BMP tag always stores true colour.
            SetImageStorageClass(image, DirectClass);
            SetImageOption(info, "bmp:format", "bmp3");
            image->type = TrueColorType;
        }
        if (dib.bitsPerPixel <= 8 && std::strcmp(file.format->coderName, "PNG") == 0) {
            // The PNG encoder turns a palette picture into true colour unless
            // told to keep its palette.
            info->type = PaletteType;
            // Its count of colours includes the background colour: one of
            // the palette's, so that 256 colours stay 256.
            if (image->colormap && image->colors > 0) image->background_color = image->colormap[0];
        }
        result = WriteImage(info, image) != MagickFalse;
        if (image->exception.severity > exception->severity)
            InheritException(exception, &image->exception);
        DestroyImage(image);
    }
    RecordError(file, exception);
    if (result && exception->severity >= ErrorException) result = 0;
    // The encoder's last bytes may still sit in the stream's buffer: a full
    // disk shows only when they are pushed out, and the file is not written
    // until they are.  A failed write of the stream is told with the
    // system's reason, whether or not the encoder noticed it.
    FILE* stream = static_cast<FILE*>(file.stream);
    if (std::fflush(stream) != 0 || std::ferror(stream)) {
        const int cause = errno;
        ClearError(file);
        file.errorSeverity = BlobError;
        file.errorReason = CopyText(std::strerror(cause));
        file.errorDescription = CopyText(file.fileName);
        result = 0;
    }
    DestroyExceptionInfo(exception);
    DestroyImageInfo(info);
    return result;
}

LONG StoredBmpBits(ImageFileRecord& file) {
    FILE* stream = static_cast<FILE*>(file.stream);
    BYTE head[62] = {};
    if (!stream || std::fseek(stream, 0, SEEK_SET) != 0) return 0;
    const size_t got = std::fread(head, 1, sizeof head, stream);
    std::fseek(stream, 0, SEEK_SET);
    if (got < 34 || head[0] != 'B' || head[1] != 'M') return 0;
    const WORD bits = static_cast<WORD>(head[28] | head[29] << 8);
    const DWORD compression = head[30] | head[31] << 8 | head[32] << 16 | static_cast<DWORD>(head[33]) << 24;
    if (bits == 24 || bits == 32) return bits;
    if (bits != 16) return 0;
    // 16-bit rows are 5-5-5 unless their masks say 5-6-5 (the green mask
    // follows the red one right behind the 40-byte header in either layout).
    const DWORD green = got >= 62 ? (head[58] | head[59] << 8 | head[60] << 16 | static_cast<DWORD>(head[61]) << 24) : 0;
    return compression == BI_BITFIELDS && green == 0x07E0 ? 16 : 15;
}
