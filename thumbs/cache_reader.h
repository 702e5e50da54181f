// Reading the thumbnail cache files, with no picture code: the folder index
// walk, the checks that an entry file's entries hold together, the entry
// search and the rebuilding of a thumbnail's pixels from its three planes.
// The cache module of the program (cache_files.h) reads through these, and
// so does the shell extension, which must not link the imaging core.
//
// Nothing here keeps state: every function works on the files and buffers
// it is given, so callers on different threads share nothing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cache_file_io.h"
#include "cache_records.h"

// A picture path's folder (before the last backslash; "C:" becomes "C:\")
// and name (after it).
void SplitPicturePath(const std::string& picturePath, std::string* folder, std::string* name);

// The volume serial number that keys a folder: that of the drive root when
// the path's second character is ":", else 0 (also when the drive cannot
// tell).
uint32_t FolderVolumeSerial(const std::string& folder);

// "<cacheDir>FILE%04X.CAH"; cacheDir ends with a backslash.
std::string CacheEntryFileName(const std::string& cacheDir, uint32_t number);

// CRC-32 (the zip polynomial) of bytes, continuing from crc.
uint32_t CacheCrc32(const void* bytes, size_t size, uint32_t crc = 0);

// The check a folder record carries in its second word: the CRC-32 of the
// record with that word 0, and 1 where the CRC-32 is 0 (0 means unchecked).
uint32_t FolderRecordCheck(const uint8_t* record, uint32_t size);

// Walks PATHINDX.CAH.  Returns true with the whole record, its offset and
// its index when the folder is found; otherwise *offset is where the walk
// stopped (the end of the readable records) and *number a number no
// readable record uses.  A record whose check fails is skipped; where a
// record's size cannot be right, the walk looks for the next checked record
// further on, so that one damaged record does not hide those behind it.
bool FindFolderRecord(CacheFile& index, const std::string& folder, uint32_t serial,
                      std::vector<uint8_t>* record, uint32_t* offset, uint32_t* number);

// A folder's entries read into memory, with the offsets of those whose sizes
// hold together.  Past bytes that hold no entry the walk goes on at the next
// entry that carries its check; `end` is where the last readable entry ends.
struct CacheEntryList {
    std::vector<uint8_t> bytes;
    std::vector<uint32_t> starts;
    uint32_t end = 0;
};
void ReadFolderEntries(CacheFile& entries, const CacheFolderHeader& folder, CacheEntryList* list);

// The keys a cache entry is stored under: the picture file's last-write time
// and its size (low 32 bits).
struct CacheKeys {
    uint32_t timeLow;
    uint32_t timeHigh;
    uint32_t fileSize;
};

// The entries with the picture's name (without regard to case) and, when
// keys is not null, those keys, whose own check holds and whose frames all
// lie within the first zoomSize bytes of ZOOMDATA.CAH, first written first.
// The results point into list.bytes.
std::vector<const uint8_t*> FindCacheEntries(const CacheEntryList& list, const std::string& name,
                                             const CacheKeys* keys, uint32_t zoomSize);

// Fills the check block of a complete entry (name and frame records in
// place) with the mark, the entry's CRC-32 and pixelCheck.
void SealCacheEntry(uint8_t* entry, uint32_t pixelCheck);
// True when the CRC-32 of the entry's planes (read in frame order) is the
// one the entry carries, or the entry carries no check.
bool EntryPixelsHold(const uint8_t* entry, uint32_t pixelCheck);

CacheEntryHeader EntryHeaderOf(const uint8_t* entry);
CacheFrameRecord FrameRecordOf(const uint8_t* entry, uint32_t frame);
// The stored format name, terminated even when the field is full.
std::string EntryFormatOf(const CacheEntryHeader& entry);

// Reads one thumbnail's three planes from ZOOMDATA.CAH and rebuilds its
// width x height 32-bit pixels (0x00RRGGBB) into out (may be null), in the
// order the planes hold them (top row first).  A short read leaves zeros.
// The planes' CRC-32 is added to *crc (may be null).
void ReadThumbPixels(CacheFile& zoom, const CacheFrameRecord& frame, uint32_t* out,
                     uint32_t* crc = nullptr);

// One picture's first thumbnail as the shell extension uses it.
struct CachedThumb {
    CacheKeys keys;
    std::string format;
    CacheFrameRecord frame;          // the first frame's record
    std::vector<uint32_t> pixels;    // thumbWidth x thumbHeight, top row first
};

// A one-shot, read-only lookup in the cache folder cacheDir ("...\Cache\"):
// opens the files without creating anything, finds the picture's folder and
// its entry (by name and, when keys is not null, by those keys), reads the
// first frame and closes the files again.  False when the picture has no
// entry with at least one frame whose checks hold.
bool ReadCachedThumb(const std::string& cacheDir, const std::string& picturePath,
                     const CacheKeys* keys, CachedThumb* out);
