// On-disk records of the thumbnail cache.  Every field is a 32-bit
// little-endian number; the structures are copied to and from the files
// byte for byte, so they contain nothing but fixed-width fields.
#pragma once

#include <cstdint>

// PATHINDX.CAH: one record per folder, back to back from offset 0.  The
// header is followed by the zero-terminated path and 3 zero bytes.
struct CacheFolderHeader {
    uint32_t recordSize;      // path length + 36
    uint32_t check;           // CRC-32 of the record with this field 0, never 0; 0: unchecked
    uint32_t folderNumber;    // names the entry file FILE%04X.CAH
    uint32_t volumeSerial;    // 0 for a path without a drive letter
    uint32_t entryCount;
    uint32_t entriesOffset;   // where the folder's entries begin in its entry file
    uint32_t entriesSize;     // bytes of all the folder's entries
    uint32_t pathLength;      // characters, without the terminator
};
static_assert(sizeof(CacheFolderHeader) == 32, "folder record header is 32 bytes");
constexpr uint32_t kFolderRecordExtra = sizeof(CacheFolderHeader) + 4;   // header, terminator, 3 zeros

// FILE%04X.CAH: entries back to back.  The header is followed by the frame
// records, a 28-byte check block and the zero-terminated picture name.
constexpr int kCacheFormatBytes = 16;
struct CacheEntryHeader {
    uint32_t entrySize;       // 28 * frames + name length + 73
    uint32_t timeLow;         // last-write time of the picture file
    uint32_t timeHigh;
    uint32_t fileSize;
    uint32_t nameLength;
    uint32_t nameOffset;      // from the start of the entry: 28 * frames + 72
    char format[kCacheFormatBytes];
    uint32_t frameCount;
};
static_assert(sizeof(CacheEntryHeader) == 44, "entry header is 44 bytes");

struct CacheFrameRecord {
    uint32_t bitsPerPixel;    // of the picture
    uint32_t width;           // of the picture or frame
    uint32_t height;
    uint32_t thumbWidth;
    uint32_t thumbHeight;
    uint32_t pixelOffset;     // in ZOOMDATA.CAH
    uint32_t pixelBytes;      // 3 * thumbWidth * thumbHeight
};
static_assert(sizeof(CacheFrameRecord) == 28, "frame record is 28 bytes");

// The 28 bytes between the frame records and the name.  Entries written
// without checks hold zeros there and are read unchecked; any other content
// without the mark is damage.
struct CacheEntryCheck {
    uint32_t mark;            // kEntryCheckMark
    uint32_t entryCheck;      // CRC-32 of the whole entry with this block zeroed
    uint32_t pixelCheck;      // CRC-32 of every frame's planes, in frame order
    uint32_t unused[4];       // zeros
};
static_assert(sizeof(CacheEntryCheck) == 28, "check block is 28 bytes");
constexpr uint32_t kEntryCheckMark = 0x314B4843;   // "CHK1"

constexpr uint32_t kEntryNameOffsetBase = sizeof(CacheEntryHeader) + 28;   // 72
constexpr uint32_t kEntryExtra = kEntryNameOffsetBase + 1;                 // 73

inline uint32_t CacheEntrySize(uint32_t frames, uint32_t nameLength) {
    return static_cast<uint32_t>(sizeof(CacheFrameRecord)) * frames + nameLength + kEntryExtra;
}
