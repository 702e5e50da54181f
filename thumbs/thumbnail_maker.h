// Making the thumbnails of one picture file: taken from the thumbnail cache
// when the picture is known there, otherwise decoded through the picture
// file library (at the reduced size where the format can), one thumbnail per
// sampled page, and appended to the cache.  No windows and no list items:
// the browser's worker calls this for each item and keeps what comes back.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "cache_files.h"
#include "dib.h"

// Most frames kept per picture; formats that are not preloaded as an
// animation keep half as many.
constexpr int kMaxThumbFrames = 64;
constexpr int kMaxThumbFramesFewer = 32;

// The size of a w x h picture fitted into a bw x bh box, keeping its aspect
// and never enlarging it; each side below 7 becomes 6.
SIZE FitIntoBox(int boxWidth, int boxHeight, int width, int height);

// The box a thumbnail is fitted into for a cell of cellWidth x cellHeight:
// two pixels of border inside the margins on every side.  Margins of 0 or
// less count as 6.
SIZE ThumbnailBox(int cellWidth, int cellHeight, int marginLeft, int marginTop);

// The pages kept of a picture with pageCount pages: all of them up to the
// cap (64, or 32 with fewer), else evenly spaced from page 0 with the step
// pageCount / cap.  Empty for a count of 0 or less.
std::vector<int> SampledPages(int pageCount, bool fewer);

// "WxHxC" with C the colours of the depth (2, 4, 16, 256, 32K, 64K, 16M,
// 4G; 0 for any other depth), and the sort key 8 * (1250 w + 4 h + bits).
std::string PictureInfoText(int width, int height, int bitsPerPixel);
DWORD PictureDimensionKey(int width, int height, int bitsPerPixel);

// A copy of a thumbnail for an icon of iconWidth x iconHeight: reduced by
// nearest neighbour along its longer side when it does not fit (sides at
// least 6), else an exact copy.  Null for a null thumbnail or no memory.
DibBlock* MakeIconCopy(const DibBlock* thumbnail, int iconWidth, int iconHeight);

// What one picture gave.  frames[0] is the thumbnail; frameCount is 1 for a
// still picture.  infos are the pages' frame records (index, width, height,
// bits) as the cache keeps them; delays the pages' delays (0 when none or
// when taken from the cache).
struct ThumbnailSet {
    int frameCount = 0;
    DibBlock* frames[kMaxThumbFrames] = {};
    CacheFrameInfo infos[kMaxThumbFrames] = {};
    int delays[kMaxThumbFrames] = {};
    std::string format;     // the format name, at most 7 characters
    std::string infoText;   // PictureInfoText of the first page
    DWORD dimensionKey = 0; // PictureDimensionKey of the first page
    bool fromCache = false; // loaded from the cache, nothing decoded
    bool stored = false;    // appended to the cache after decoding
    bool stoppedEarly = false; // the stop flag ended the frames: not to be stored
};

enum class ThumbnailResult {
    Made,         // *out holds at least the first thumbnail
    NotPicture,   // the cache or the library says it is not a picture
    Failed,       // no page, open failed or no memory: no thumbnail
    Stopped,      // the stop flag was seen before anything was made
    DecodeFault,  // the library gave up inside a decode; nothing kept
    NeedsDecode,  // LookUpThumbnails only: not in the cache, to be decoded
};

struct ThumbnailRequest {
    const char* path = nullptr;   // the picture's full path
    FILETIME lastWrite = {};      // the cache keys
    DWORD fileSize = 0;
    int boxWidth = 48;            // the box the first thumbnail is fitted into
    int boxHeight = 48;
    // Also store under this path (a shortcut's own) when the one-shot cache
    // form is used; may be null.
    const char* alsoStoreAs = nullptr;
    // Checked between steps and between frames; may be null.
    const volatile LONG* stop = nullptr;
};

// Makes the thumbnails of one picture into *out (emptied first) under the
// decoding lock and a recovery point.  With a folder cache open the picture
// is looked up there and a decoded one appended to it; otherwise the
// one-shot cache forms are used.  Frames are not stored when stopped.
ThumbnailResult MakeThumbnails(const ThumbnailRequest& request, ThumbnailSet* out);

// The three steps of MakeThumbnails, for a caller that decodes on threads
// of its own.  The look-up and the store use the cache, which has one set of
// state for the program: both run on the one thread that opens and closes
// the folder cache.  The decode touches no cache and runs on any thread,
// side by side with other decodes (under the shared decoding lock and a
// recovery point of its own).
//
// Takes the thumbnails from the cache into *out (emptied first), or answers
// NeedsDecode with the detected format in *format, or NotPicture / Stopped.
ThumbnailResult LookUpThumbnails(const ThumbnailRequest& request, ThumbnailSet* out,
                                 std::string* format);
// Decodes the picture (in the format LookUpThumbnails found) into *out.
ThumbnailResult DecodeThumbnails(const ThumbnailRequest& request, const std::string& format,
                                 ThumbnailSet* out);
// Appends a decoded set to the cache (the open folder cache, else the
// one-shot form, also under alsoStoreAs); sets out->stored.  Nothing is
// stored for a set taken from the cache or one the stop flag cut short.
void StoreThumbnails(const ThumbnailRequest& request, ThumbnailSet* set);

// How many pictures MakeThumbnails has opened for decoding since the
// program started (cache hits do not count): the measure of cache use.
long ThumbnailDecodeCount();

// Frees the frames and empties the set.
void FreeThumbnailSet(ThumbnailSet* set);
