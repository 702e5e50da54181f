#include "progress.h"

#include "codec.h"

#include "magick.h"
// The pixel cache's own records: the row hook reads which region the coder has
// just synchronised.  These headers come from the same core sources the
// library is built against (see deps/build-deps.sh).
#include <magick/cache-private.h>

#include <cstring>

namespace {

LorimelProgress volatile g_callback = nullptr;
thread_local DecodeTarget* t_target = nullptr;

const char kLoadTag[] = "Load/Image";

// Rows the caller can show as they arrive: colour or grey, not separated
// (CMYK) or another space the final conversion takes care of.
bool RowsAreDisplayable(const Image* image) {
    ColorspaceType cs = image->colorspace;
    return cs == sRGBColorspace || cs == RGBColorspace || cs == UndefinedColorspace ||
           RowsAreGrey(image);
}

// Averages the rows of one synchronised region into a reduced target.  The
// reduction starts with the first region of a page held in a cache file
// (one in memory is resized after the read as before) and follows that
// image alone.
void ReduceRows(DecodeTarget* target, const Image* image, const NexusInfo* nexus) {
    if (target->copiedFrom != image) {
        const CacheType type = GetImagePixelCacheType(image);
        if (type != DiskCache && type != MapCache) return;
        if (!target->reducer.Start(static_cast<LONG>(image->columns), static_cast<LONG>(image->rows),
                                   target->pixels, target->width, target->height))
            return;
        target->copiedFrom = image;
        target->copiedColorspace = image->colorspace;
        target->copiedAlpha = image->matte != MagickFalse;
    }
    if (target->copiedColorspace != image->colorspace ||
        target->copiedAlpha != (image->matte != MagickFalse)) {
        target->reducer.Break();
        return;
    }
    const RectangleInfo& region = nexus->region;
    BYTE* row = target->reducer.RowBuffer();
    for (size_t r = 0; r < region.height; ++r) {
        StoreRow(row, nexus->pixels + r * region.width, static_cast<LONG>(region.width),
                 image->matte != MagickFalse);
        target->reducer.AddRow(static_cast<LONG>(region.y + r), row);
    }
}

// Called by the core instead of its own row synchronisation for images read
// with the hooks attached; does the core's work, then reports the rows.
MagickBooleanType SyncRowsHook(Image* image, ExceptionInfo* exception) {
    CacheInfo* cache = static_cast<CacheInfo*>(image->cache);
    NexusInfo* nexus = cache->nexus_info[0];
    MagickBooleanType ok = SyncAuthenticPixelCacheNexus(image, nexus, exception);
    DecodeTarget* target = t_target;
    if (!target || ok == MagickFalse) return ok;

    const RectangleInfo& region = nexus->region;
    const bool samePage = static_cast<LONG>(image->scene) == target->page;
    if (region.width != image->columns || region.x != 0 || region.height == 0) {
        // Part of a row cannot be averaged in: the page is reduced after the read.
        if (target->reducer.Started() && target->copiedFrom == image) target->reducer.Break();
        return ok;
    }
    const LONG lastRow = static_cast<LONG>(region.y + region.height) - 1;
    if (target->copyRows && static_cast<LONG>(image->columns) == target->width &&
        static_cast<LONG>(image->rows) == target->height && lastRow < target->height &&
        static_cast<LONG>(image->scene) == target->page && RowsAreDisplayable(image)) {
        const PixelPacket* in = nexus->pixels;
        for (size_t r = 0; r < region.height; ++r) {
            BYTE* out = target->pixels + (region.y + r) * target->width * 4;
            StoreRow(out, in + r * region.width, target->width, image->matte != MagickFalse);
        }
        if (target->copiedFrom != image) {
            target->copiedFrom = image;
            target->rowsInOrder = 0;
            target->copiedOutOfOrder = false;
        }
        if (static_cast<LONG>(region.y) == target->rowsInOrder)
            target->rowsInOrder += static_cast<LONG>(region.height);
        else
            target->copiedOutOfOrder = true;
        target->copiedColorspace = image->colorspace;
        target->copiedAlpha = image->matte != MagickFalse;
    } else if (target->reduceRows && samePage && RowsAreDisplayable(image)) {
        ReduceRows(target, image, nexus);
    }
    target->rowsReported = true;
    LorimelProgress callback = g_callback;
    if (callback && !callback(0, kLoadTag, lastRow, static_cast<LONG>(image->rows))) {
        target->cancelled = true;
        return MagickFalse;
    }
    return ok;
}

// The core's progress monitor: stops the coder once the caller asked to, and
// forwards row progress of coders that fill rows without the hook.
MagickBooleanType MonitorHook(const char* text, const MagickOffsetType offset,
                              const MagickSizeType extent, void* clientData) {
    DecodeTarget* target = static_cast<DecodeTarget*>(clientData);
    if (!target) return MagickTrue;
    if (target->cancelled) return MagickFalse;
    LorimelProgress callback = g_callback;
    if (!target->rowsReported && callback && text &&
        std::strncmp(text, kLoadTag, sizeof kLoadTag - 1) == 0) {
        if (!callback(0, kLoadTag, static_cast<LONG>(offset), static_cast<LONG>(extent))) {
            target->cancelled = true;
            return MagickFalse;
        }
    }
    return MagickTrue;
}

}  // namespace

void SetProgressCallback(LorimelProgress callback) { g_callback = callback; }

bool RowsAlreadyCopied(const DecodeTarget& target, const Image* image) {
    return target.copyRows && !target.cancelled && image && target.copiedFrom == image &&
           !target.copiedOutOfOrder && target.rowsInOrder == target.height &&
           static_cast<LONG>(image->columns) == target.width && static_cast<LONG>(image->rows) == target.height &&
           target.copiedColorspace == image->colorspace && target.copiedAlpha == (image->matte != MagickFalse) &&
           RowsAreDisplayable(image);
}

bool RowsAlreadyReduced(const DecodeTarget& target, const Image* image) {
    return target.reduceRows && !target.cancelled && image && target.copiedFrom == image &&
           target.reducer.Complete() && target.copiedColorspace == image->colorspace &&
           target.copiedAlpha == (image->matte != MagickFalse) && RowsAreDisplayable(image);
}

bool AttachDecodeHooks(ImageInfo* info, DecodeTarget* target) {
    Cache cache = AcquirePixelCache(0);
    if (!cache) return false;
    CacheMethods methods;
    GetPixelCacheMethods(&methods);
    methods.sync_authentic_pixels_handler = SyncRowsHook;
    SetPixelCacheMethods(cache, &methods);
    info->cache = cache;  // released with the image info
    info->progress_monitor = MonitorHook;
    info->client_data = target;
    t_target = target;
    return true;
}

void DetachDecodeHooks() { t_target = nullptr; }

void StoreRow(BYTE* out, const void* corePixels, LONG count, bool hasAlpha) {
    const PixelPacket* in = static_cast<const PixelPacket*>(corePixels);
    for (LONG x = 0; x < count; ++x, out += 4, ++in) {
        unsigned b = in->blue, g = in->green, r = in->red;
        if (hasAlpha && in->opacity) {
            // Opacity counts up to transparent; compose over a white ground.
            const unsigned t = in->opacity;
            b = (b * (255 - t) + 255 * t + 127) / 255;
            g = (g * (255 - t) + 255 * t + 127) / 255;
            r = (r * (255 - t) + 255 * t + 127) / 255;
        }
        out[0] = static_cast<BYTE>(b);
        out[1] = static_cast<BYTE>(g);
        out[2] = static_cast<BYTE>(r);
        out[3] = 0;
    }
}
