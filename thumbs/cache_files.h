// The thumbnail cache: three kinds of file in the "Cache" folder beside the
// program.  PATHINDX.CAH lists the folders, FILE%04X.CAH lists one folder's
// pictures with their frame records, ZOOMDATA.CAH holds the thumbnail pixels
// as three planes (red, green, blue) per thumbnail.  The files only grow;
// ClearCacheFiles empties the cache.
//
// One folder cache is open at a time (a single set of state for the whole
// program); the thumbnail worker opens it, looks pictures up, appends what
// it decoded and closes it.  The one-shot forms work on state of their own.
// Nothing read from the files is trusted: a record or entry whose sizes do
// not add up counts as not cached.
#pragma once

#include <cstdint>
#include <string>

#include "cache_reader.h"
#include "dib.h"

// The per-frame picture information exchanged with the cache: six words as
// the picture file library fills them.  Only the index, width, height and
// bits per pixel are stored; the other two read back as 0.
struct CacheFrameInfo {
    int32_t frameIndex;
    int32_t width;
    int32_t height;
    int32_t unused3;
    int32_t bitsPerPixel;
    int32_t unused5;
};
static_assert(sizeof(CacheFrameInfo) == 24, "frame info is six 32-bit words");

// A successful load.  The cache keeps the record and the info array until
// the next load; the thumbnails (32-bit blocks of the stored size) belong to
// the caller, who frees them with FreeDib.
struct CacheLoadResult {
    int frameCount;
    DibBlock** thumbnails;
    CacheFrameInfo* infos;
};

enum class CacheAddResult {
    Added,
    FilesNotOpen,       // no cache files open
    NoFolder,           // no folder record open, or the record cannot grow further
    MissingThumbnail,   // a thumbnail is null or not 32-bit; nothing was written
    WriteFailed,        // memory or a write failed
};

// The cache folder is "Cache" in programDirectory (with or without its
// trailing backslash).  Set before any other call.
void SetCacheDirectory(const std::string& programDirectory);
// "...\Cache\" as set.
const std::string& GetCacheDirectory();

// SplitPicturePath (a picture path's folder and name) comes from the reader.

// 1 when the folder's cache is open (any open one is closed first), 0 otherwise.
int OpenFolderCache(const std::string& folderPath);
// -1: no entry (or no folder cache open, or the folder had no entries when
// its cache was opened); 0: an entry without frames; 1: an entry with frames,
// whose format name is copied to *format (may be null).
int LookupInFolderCache(const std::string& picturePath, uint32_t timeLow, uint32_t timeHigh,
                        uint32_t fileSize, std::string* format);
// The entry's thumbnails when one matches the keys and the format name
// (without regard to case); null otherwise.
const CacheLoadResult* LoadThumbsFromFolderCache(const std::string& picturePath, uint32_t timeLow,
                                                 uint32_t timeHigh, uint32_t fileSize,
                                                 const std::string& format);
// Appends one entry and its pixels to the open folder cache.  On
// MissingThumbnail, *firstMissing (may be null) gets the index of the first
// missing thumbnail.
CacheAddResult AddThumbEntry(const std::string& pictureName, uint32_t timeLow, uint32_t timeHigh,
                             uint32_t fileSize, const std::string& format,
                             DibBlock* const* thumbnails, const CacheFrameInfo* infos,
                             int frameCount, int* firstMissing = nullptr);
// Writes the folder record when it counts an entry, flushes and closes the files.
void CloseFolderCache();
// True between OpenFolderCache and CloseFolderCache.
bool IsFolderCacheOpen();

// One-shot read by picture name alone (time and size are not compared);
// hands back the stored keys and format.  Creates nothing.
const CacheLoadResult* LoadThumbsByName(const std::string& picturePath, uint32_t* timeLow,
                                        uint32_t* timeHigh, uint32_t* fileSize,
                                        std::string* format);
// One-shot store: open the picture's folder, add the entry, close.  Refused
// (NoFolder) while the same folder's cache is open.
CacheAddResult StoreThumbsOneShot(const std::string& picturePath, uint32_t timeLow,
                                  uint32_t timeHigh, uint32_t fileSize, const std::string& format,
                                  DibBlock* const* thumbnails, const CacheFrameInfo* infos,
                                  int frameCount, int* firstMissing = nullptr);

// Closes everything and frees the last load; at program shutdown.
void CloseCacheFiles();
// Deletes every *.CAH file of the cache folder, after closing the files the
// cache holds.  Returns the number deleted, or -1 (and deletes nothing)
// while a folder cache is open.  With a deleter, it is handed the pattern
// ("...\Cache\*.CAH") instead and the result is 1 when it succeeded, 0
// otherwise.
typedef bool (*CachePatternDeleter)(const std::string& pattern, void* context);
int ClearCacheFiles(CachePatternDeleter deleter = nullptr, void* context = nullptr);
