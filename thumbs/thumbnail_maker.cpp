#include "thumbnail_maker.h"

#include <setjmp.h>

#include <cstdio>

#include "load.h"

namespace {

constexpr size_t kFormatNameChars = 7;
constexpr int kMinThumbSide = 6;

int AtLeastMin(int side) { return side < kMinThumbSide + 1 ? kMinThumbSide : side; }

volatile LONG g_decodes = 0;

bool StopSet(const volatile LONG* stop) { return stop && *stop != 0; }

// What a decode has in hand, so that a jump back from the library can
// release it.  Written through a pointer from the working function, read
// by the caller after the jump.
struct Work {
    const LorimelApi* api;
    const ThumbnailRequest* request;
    ThumbnailSet* out;
    LorimelHandle volatile file;
    DibBlock* volatile pending[2];
};

CacheFrameInfo ToCacheInfo(const LorimelPageInfo& page) {
    CacheFrameInfo info = {};
    info.frameIndex = page.page;
    info.width = page.width;
    info.height = page.height;
    info.unused3 = page.kind;
    info.bitsPerPixel = page.bitsPerPixel;
    return info;
}

bool ReadPageInfo(const LorimelApi* api, LorimelHandle file, int page, LorimelPageInfo* info) {
    LorimelPageInfo record[2] = {};  // 24 bytes, zeroed, as the library expects
    record[0].page = page;
    if (!api->GetImagePageInfo(file, &record[0]) || record[0].width <= 0 ||
        record[0].height <= 0)
        return false;
    *info = record[0];
    return true;
}

void SetFirstPage(ThumbnailSet* out, const std::string& format, int width, int height, int bits) {
    out->format = format.substr(0, kFormatNameChars);
    out->infoText = PictureInfoText(width, height, bits);
    out->dimensionKey = PictureDimensionKey(width, height, bits);
}

// Takes a cache load over; false (with everything freed) when it holds no
// first thumbnail.
bool TakeFromCache(const CacheLoadResult* loaded, const std::string& format, ThumbnailSet* out) {
    if (!loaded) return false;
    const int count = loaded->frameCount;
    if (count < 1 || !loaded->thumbnails[0]) {
        for (int i = 0; i < count; ++i) FreeDib(loaded->thumbnails[i]);
        return false;
    }
    for (int i = 0; i < count; ++i) {
        if (i < kMaxThumbFrames) {
            out->frames[i] = loaded->thumbnails[i];
            out->infos[i] = loaded->infos[i];
        } else {
            FreeDib(loaded->thumbnails[i]);
        }
    }
    out->frameCount = count < kMaxThumbFrames ? count : kMaxThumbFrames;
    const CacheFrameInfo& first = out->infos[0];
    SetFirstPage(out, format, first.width, first.height, first.bitsPerPixel);
    out->fromCache = true;
    return true;
}

// Pages with more pixels than this are never read whole into a block of
// their own: a quarter of what the viewer may hold, so that the block and the
// core's copy of the page together stay well inside a 32-bit process.
long long WholeReadPixels() { return PictureBudget() / 4; }

// One page of the open file reduced to width x height.  Formats that can
// decode at a smaller size, pages that fit as they are and pages too large
// to read whole are read straight into the thumbnail (the library reduces
// them); otherwise, or when that fails, the page is read at full size and
// resampled.
DibBlock* ReducePage(Work* work, int page, int fullWidth, int fullHeight, int width, int height,
                     bool reducedDecode) {
    const LorimelApi* api = work->api;
    DibBlock* small = CreateDib(width, height);
    if (!small) return nullptr;
    work->pending[0] = small;
    api->SetImageProgressCallback(work->file, nullptr);
    const bool sameSize = width == fullWidth && height == fullHeight;
    const bool tooLarge = static_cast<long long>(fullWidth) * fullHeight > WholeReadPixels();
    if ((reducedDecode || sameSize || tooLarge) &&
        api->ReadImagePixels(work->file, small->pixels, width, height, page)) {
        work->pending[0] = nullptr;
        return small;
    }
    bool made = false;
    if (!sameSize && !tooLarge) {
        DibBlock* full = CreateDib(fullWidth, fullHeight);
        if (full) {
            work->pending[1] = full;
            made = api->ReadImagePixels(work->file, full->pixels, fullWidth, fullHeight, page) &&
                   ScaleDibNearest(full->pixels, fullWidth, fullHeight, DibRowBytes(full->header),
                                   small->pixels, width, height, DibRowBytes(small->header));
            work->pending[1] = nullptr;
            FreeDib(full);
        }
    }
    work->pending[0] = nullptr;
    if (made) return small;
    FreeDib(small);
    return nullptr;
}

void CloseWorkFile(Work* work) {
    LorimelHandle file = work->file;
    work->file = nullptr;
    if (file) work->api->CloseImageFile(file);
}

ThumbnailResult Decode(Work* work, const char* format) {
    const LorimelApi* api = work->api;
    const ThumbnailRequest& request = *work->request;
    ThumbnailSet* out = work->out;

    InterlockedIncrement(&g_decodes);
    work->file = api->OpenImageFile(request.path, "rb", format, 0);
    if (!work->file) return ThumbnailResult::Failed;
    const int pageCount = api->ReadImageHeader(work->file);
    LorimelPageInfo first = {};
    if (pageCount <= 0 || !ReadPageInfo(api, work->file, 0, &first)) {
        CloseWorkFile(work);
        return ThumbnailResult::Failed;
    }
    SetFirstPage(out, format, first.width, first.height, first.bitsPerPixel);

    const bool fewer = pageCount >= 2 && api->HandleFormatFlag4(work->file) != 0;
    const std::vector<int> pages = SampledPages(pageCount, fewer);
    const bool reducedDecode = api->HandleFormatFlag1(work->file) != 0;

    const SIZE fitted = FitIntoBox(request.boxWidth, request.boxHeight, first.width, first.height);
    out->frames[0] = ReducePage(work, 0, first.width, first.height, fitted.cx, fitted.cy,
                                reducedDecode);
    if (!out->frames[0]) {
        CloseWorkFile(work);
        return ThumbnailResult::Failed;
    }
    out->infos[0] = ToCacheInfo(first);
    out->delays[0] = api->GetImagePageDelay(work->file, 0);
    out->frameCount = 1;

    bool stopped = false;
    for (size_t k = 1; k < pages.size(); ++k) {
        if (StopSet(request.stop)) {
            stopped = true;
            break;
        }
        LorimelPageInfo info = {};
        if (!ReadPageInfo(api, work->file, pages[k], &info)) break;
        // Later frames keep their own size within the first thumbnail's.
        int width = info.width < fitted.cx ? info.width : fitted.cx;
        int height = info.height < fitted.cy ? info.height : fitted.cy;
        if (width < kMinThumbSide) width = kMinThumbSide;
        if (height < kMinThumbSide) height = kMinThumbSide;
        DibBlock* frame = ReducePage(work, pages[k], info.width, info.height, width, height,
                                     reducedDecode);
        if (!frame) break;
        out->frames[k] = frame;
        out->infos[k] = ToCacheInfo(info);
        out->delays[k] = api->GetImagePageDelay(work->file, pages[k]);
        out->frameCount = static_cast<int>(k) + 1;
    }
    CloseWorkFile(work);
    out->stoppedEarly = stopped;
    return ThumbnailResult::Made;
}

ThumbnailResult LookUp(Work* work, std::string* format) {
    const LorimelApi* api = work->api;
    const ThumbnailRequest& request = *work->request;
    const DWORD low = request.lastWrite.dwLowDateTime;
    const DWORD high = request.lastWrite.dwHighDateTime;

    std::string cachedFormat;
    int known = -1;
    const CacheLoadResult* byName = nullptr;
    if (IsFolderCacheOpen()) {
        known = LookupInFolderCache(request.path, low, high, request.fileSize, &cachedFormat);
        if (known == 0) return ThumbnailResult::NotPicture;
    } else {
        // The one-shot form matches by name alone and hands the keys back.
        uint32_t storedLow = 0, storedHigh = 0, storedSize = 0;
        byName = LoadThumbsByName(request.path, &storedLow, &storedHigh, &storedSize,
                                  &cachedFormat);
    }
    char detected[200] = {};
    if (known != 1 && !byName && !api->DetectImageFormat(request.path, detected))
        return ThumbnailResult::NotPicture;
    if (StopSet(request.stop)) {
        if (byName)
            for (int i = 0; i < byName->frameCount; ++i) FreeDib(byName->thumbnails[i]);
        return ThumbnailResult::Stopped;
    }

    if (known == 1)
        byName = LoadThumbsFromFolderCache(request.path, low, high, request.fileSize, cachedFormat);
    if (TakeFromCache(byName, cachedFormat, work->out)) return ThumbnailResult::Made;

    // Known to the cache but not loadable from it: the library decides.
    if (!detected[0] && !api->DetectImageFormat(request.path, detected))
        return ThumbnailResult::NotPicture;
    *format = detected;
    return ThumbnailResult::NeedsDecode;
}

// Runs one step under a recovery point: a jump back from the library drops
// everything the step had made of this picture.
template <typename Step>
ThumbnailResult Recoverable(const ThumbnailRequest& request, ThumbnailSet* out, Step step) {
    Work work = {ImageLibrary(), &request, out, nullptr, {nullptr, nullptr}};
    if (!work.api) return ThumbnailResult::Failed;
    jmp_buf jump;
    RecoveryScope scope;
    if (LorimelRecoveryPoint(jump) != 0) {
        scope.Jumped();
        CloseWorkFile(&work);
        FreeDib(work.pending[0]);
        FreeDib(work.pending[1]);
        FreeThumbnailSet(out);
        return ThumbnailResult::DecodeFault;
    }
    return step(&work);
}

}  // namespace

SIZE FitIntoBox(int boxWidth, int boxHeight, int width, int height) {
    SIZE size = {width, height};
    if (width > 0 && height > 0 && (width > boxWidth || height > boxHeight)) {
        const int narrowed = width * boxHeight / height;
        if (narrowed <= boxWidth) {
            size.cx = narrowed;
            size.cy = boxHeight;
        } else {
            size.cx = boxWidth;
            size.cy = height * boxWidth / width;
        }
    }
    size.cx = AtLeastMin(size.cx);
    size.cy = AtLeastMin(size.cy);
    return size;
}

SIZE ThumbnailBox(int cellWidth, int cellHeight, int marginLeft, int marginTop) {
    if (marginLeft <= 0) marginLeft = 6;
    if (marginTop <= 0) marginTop = 6;
    SIZE box = {cellWidth - 4 - 2 * marginLeft, cellHeight - 4 - 2 * marginTop};
    return box;
}

std::vector<int> SampledPages(int pageCount, bool fewer) {
    std::vector<int> pages;
    if (pageCount <= 0) return pages;
    const int cap = fewer ? kMaxThumbFramesFewer : kMaxThumbFrames;
    const int kept = pageCount < cap ? pageCount : cap;
    const int step = pageCount / kept;
    for (int k = 0; k < kept; ++k) pages.push_back(k * step);
    return pages;
}

std::string PictureInfoText(int width, int height, int bitsPerPixel) {
    char text[64];
    const char* colours = nullptr;
    switch (bitsPerPixel) {
        case 1: case 2: case 4: case 8:
            snprintf(text, sizeof text, "%dx%dx%d", width, height, 1 << bitsPerPixel);
            return text;
        case 15: colours = "32K"; break;
        case 16: colours = "64K"; break;
        case 24: colours = "16M"; break;
        case 32: colours = "4G"; break;
        default: colours = "0"; break;
    }
    snprintf(text, sizeof text, "%dx%dx%s", width, height, colours);
    return text;
}

DWORD PictureDimensionKey(int width, int height, int bitsPerPixel) {
    return 8u * (1250u * static_cast<DWORD>(width) + 4u * static_cast<DWORD>(height) +
                 static_cast<DWORD>(bitsPerPixel));
}

DibBlock* MakeIconCopy(const DibBlock* thumbnail, int iconWidth, int iconHeight) {
    if (!thumbnail) return nullptr;
    const int width = DibWidth(thumbnail);
    const int height = DibHeight(thumbnail);
    if (width > iconWidth || height > iconHeight) {
        int w, h;
        if (width >= height) {
            w = iconWidth;
            h = iconWidth * height / width;
        } else {
            w = iconHeight * width / height;
            h = iconHeight;
        }
        if (w < kMinThumbSide) w = kMinThumbSide;
        if (h < kMinThumbSide) h = kMinThumbSide;
        return ScaleDib(thumbnail, w, h);
    }
    DibBlock* copy = CreateDib(width, height);
    if (copy && !CopyDib(thumbnail, copy)) {
        FreeDib(copy);
        return nullptr;
    }
    return copy;
}

ThumbnailResult LookUpThumbnails(const ThumbnailRequest& request, ThumbnailSet* out,
                                 std::string* format) {
    if (!out || !format) return ThumbnailResult::Failed;
    FreeThumbnailSet(out);
    format->clear();
    if (!request.path || !*request.path) return ThumbnailResult::NotPicture;
    SharedDecodingLock lock;
    return Recoverable(request, out, [format](Work* work) { return LookUp(work, format); });
}

ThumbnailResult DecodeThumbnails(const ThumbnailRequest& request, const std::string& format,
                                 ThumbnailSet* out) {
    if (!out) return ThumbnailResult::Failed;
    FreeThumbnailSet(out);
    if (!request.path || !*request.path) return ThumbnailResult::NotPicture;
    SharedDecodingLock lock;
    return Recoverable(request, out, [&format](Work* work) { return Decode(work, format.c_str()); });
}

void StoreThumbnails(const ThumbnailRequest& request, ThumbnailSet* out) {
    if (!out || out->fromCache || out->stoppedEarly || out->frameCount < 1 || !request.path) return;
    const DWORD low = request.lastWrite.dwLowDateTime;
    const DWORD high = request.lastWrite.dwHighDateTime;
    CacheAddResult stored;
    if (IsFolderCacheOpen()) {
        std::string folder, name;
        SplitPicturePath(request.path, &folder, &name);
        stored = AddThumbEntry(name, low, high, request.fileSize, out->format, out->frames,
                               out->infos, out->frameCount);
    } else {
        stored = StoreThumbsOneShot(request.path, low, high, request.fileSize, out->format,
                                    out->frames, out->infos, out->frameCount);
        if (request.alsoStoreAs && *request.alsoStoreAs)
            StoreThumbsOneShot(request.alsoStoreAs, low, high, request.fileSize, out->format,
                               out->frames, out->infos, out->frameCount);
    }
    out->stored = stored == CacheAddResult::Added;
}

ThumbnailResult MakeThumbnails(const ThumbnailRequest& request, ThumbnailSet* out) {
    std::string format;
    ThumbnailResult result = LookUpThumbnails(request, out, &format);
    if (result != ThumbnailResult::NeedsDecode) return result;
    result = DecodeThumbnails(request, format, out);
    if (result == ThumbnailResult::Made) StoreThumbnails(request, out);
    return result;
}

long ThumbnailDecodeCount() { return g_decodes; }

void FreeThumbnailSet(ThumbnailSet* set) {
    if (!set) return;
    for (DibBlock*& frame : set->frames) {
        FreeDib(frame);
        frame = nullptr;
    }
    *set = ThumbnailSet();
}
