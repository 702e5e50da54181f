#include "codec.h"

#include "dib.h"
#include "handle.h"
#include "magick.h"
#include "progress.h"
#include "registry.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr size_t kMaxPageSide = 0x8000;

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

// Brings a decoded page to the asked size; returns the page itself when it
// already has it, else a new image the caller destroys.
Image* FitToSize(Image* page, LONG width, LONG height, ExceptionInfo* exception) {
    if (static_cast<LONG>(page->columns) == width && static_cast<LONG>(page->rows) == height)
        return page;
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
    if (file.coreImage) DestroyImageList(static_cast<Image*>(file.coreImage));
    file.coreImage = nullptr;
}

LONG ReadDescriptionThroughCoder(ImageFileRecord& file) {
    DestroyPages(file);
    if (!Rewind(file)) return 0;
    ImageInfo* info = InfoForReading(file);
    if (!info) return 0;
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
    for (Image* image = static_cast<Image*>(file.coreImage); image; image = image->next) {
        if (image->columns == 0 || image->rows == 0 || image->columns > kMaxPageSide ||
            image->rows > kMaxPageSide)
            break;
        CopyMagickString(image->magick, file.formatName, MaxTextExtent);
        ++count;
    }
    return count;
}

LONG ReadPixelsThroughCoder(ImageFileRecord& file, void* pixels, LONG width, LONG height,
                            LONG page) {
    const Image* described = SelectPage(file, page);
    if (!described || width <= 0 || height <= 0) return 0;
    LorimelPageInfo pageInfo{};
    DescribePage(described, pageInfo);
    const bool coalesce = IsPartOfCanvas(described);
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

    DecodeTarget target;
    target.pixels = static_cast<BYTE*>(pixels);
    target.width = width;
    target.height = height;
    target.page = page;
    target.copyRows = !coalesce && !smaller;
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
        result = WriteImage(info, image) != MagickFalse;
        if (image->exception.severity > exception->severity)
            InheritException(exception, &image->exception);
        DestroyImage(image);
    }
    RecordError(file, exception);
    if (result && exception->severity >= ErrorException) result = 0;
    std::fflush(static_cast<FILE*>(file.stream));
    DestroyExceptionInfo(exception);
    DestroyImageInfo(info);
    return result;
}
