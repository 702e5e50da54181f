// Reading the thumbnail cache files; see cache_reader.h.
#include "cache_reader.h"

#include <cstdio>
#include <cstring>

namespace {

// A folder record longer than this is damage: real paths are far shorter.
constexpr uint32_t kMaxFolderRecord = 0x10000;

bool SameText(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

bool FrameIsReadable(const CacheFrameRecord& frame, uint32_t zoomSize) {
    if (frame.thumbWidth == 0 || frame.thumbHeight == 0) return false;
    if (uint64_t(3) * frame.thumbWidth * frame.thumbHeight != frame.pixelBytes) return false;
    return uint64_t(frame.pixelOffset) + frame.pixelBytes <= zoomSize;
}

}  // namespace

void SplitPicturePath(const std::string& picturePath, std::string* folder, std::string* name) {
    size_t slash = picturePath.rfind('\\');
    std::string dir = slash == std::string::npos ? std::string() : picturePath.substr(0, slash);
    if (dir.size() == 2 && dir[1] == ':') dir += '\\';
    if (folder) *folder = dir;
    if (name) *name = slash == std::string::npos ? picturePath : picturePath.substr(slash + 1);
}

uint32_t FolderVolumeSerial(const std::string& folder) {
    if (folder.size() < 2 || folder[1] != ':') return 0;
    std::string root = folder.substr(0, 2) + "\\";
    // A fixed disk keeps its serial number while the process runs: asked
    // once per letter, since asking costs more than the rest of a lookup.
    // Removable and network drives are asked every time.
    static volatile LONG known[26];
    static volatile LONG serials[26];
    char letter = folder[0] >= 'a' && folder[0] <= 'z' ? static_cast<char>(folder[0] - 'a' + 'A') : folder[0];
    int slot = letter >= 'A' && letter <= 'Z' ? letter - 'A' : -1;
    if (slot >= 0 && known[slot]) return static_cast<uint32_t>(serials[slot]);
    DWORD serial = 0;
    if (!GetVolumeInformationA(root.c_str(), nullptr, 0, &serial, nullptr, nullptr, nullptr, 0))
        return 0;
    if (slot >= 0 && GetDriveTypeA(root.c_str()) == DRIVE_FIXED) {
        InterlockedExchange(&serials[slot], static_cast<LONG>(serial));
        InterlockedExchange(&known[slot], 1);
    }
    return serial;
}

std::string CacheEntryFileName(const std::string& cacheDir, uint32_t number) {
    char name[32];
    snprintf(name, sizeof name, "FILE%04X.CAH", static_cast<unsigned>(number));
    return cacheDir + name;
}

bool FindFolderRecord(CacheFile& index, const std::string& folder, uint32_t serial,
                      std::vector<uint8_t>* record, uint32_t* offset, uint32_t* number) {
    // The index is small (a record per folder): one read, then a walk in memory.
    uint32_t fileSize = index.Size();
    std::vector<uint8_t> bytes(fileSize);
    uint32_t have = fileSize ? index.ReadAt(0, bytes.data(), fileSize) : 0;
    uint32_t at = 0, count = 0;
    for (;;) {
        uint32_t size = 0;
        if (at > have || have - at < sizeof(CacheFolderHeader)) break;
        memcpy(&size, bytes.data() + at, 4);
        if (size < kFolderRecordExtra || size > kMaxFolderRecord || size > have - at) break;
        CacheFolderHeader header;
        memcpy(&header, bytes.data() + at, sizeof header);
        if (header.pathLength == folder.size() && header.pathLength + kFolderRecordExtra <= size &&
            header.volumeSerial == serial) {
            std::string path(reinterpret_cast<const char*>(bytes.data()) + at + sizeof header,
                             header.pathLength);
            if (SameText(path, folder)) {
                record->assign(bytes.begin() + at, bytes.begin() + at + size);
                *offset = at;
                *number = count;
                return true;
            }
        }
        at += size;
        ++count;
    }
    *offset = at;
    *number = count;
    return false;
}

void ReadFolderEntries(CacheFile& entries, const CacheFolderHeader& folder, CacheEntryList* list) {
    // A damaged record may claim more than the file holds: read only that.
    uint32_t fileSize = entries.Size();
    uint32_t want = folder.entriesOffset >= fileSize ? 0 : fileSize - folder.entriesOffset;
    if (folder.entriesSize < want) want = folder.entriesSize;
    list->bytes.resize(want);
    list->starts.clear();
    uint32_t have = want ? entries.ReadAt(folder.entriesOffset, list->bytes.data(), want) : 0;
    list->bytes.resize(have);
    uint32_t at = 0;
    for (uint32_t i = 0; i < folder.entryCount; ++i) {
        uint32_t left = have - at;
        CacheEntryHeader entry;
        if (left < kEntryExtra) break;
        memcpy(&entry, list->bytes.data() + at, sizeof entry);
        if (entry.entrySize < kEntryExtra || entry.entrySize > left) break;
        uint32_t room = (entry.entrySize - kEntryExtra) / sizeof(CacheFrameRecord);
        if (entry.frameCount > room ||
            entry.nameLength != entry.entrySize - CacheEntrySize(entry.frameCount, 0) ||
            entry.nameOffset != kEntryNameOffsetBase + sizeof(CacheFrameRecord) * entry.frameCount)
            break;
        list->starts.push_back(at);
        at += entry.entrySize;
    }
    list->end = at;
}

CacheEntryHeader EntryHeaderOf(const uint8_t* entry) {
    CacheEntryHeader header;
    memcpy(&header, entry, sizeof header);
    return header;
}

CacheFrameRecord FrameRecordOf(const uint8_t* entry, uint32_t frame) {
    CacheFrameRecord record;
    memcpy(&record, entry + sizeof(CacheEntryHeader) + frame * sizeof record, sizeof record);
    return record;
}

std::string EntryFormatOf(const CacheEntryHeader& entry) {
    return std::string(entry.format, strnlen(entry.format, kCacheFormatBytes));
}

const uint8_t* FindCacheEntry(const CacheEntryList& list, const std::string& name,
                              const CacheKeys* keys, uint32_t zoomSize) {
    for (uint32_t start : list.starts) {
        const uint8_t* bytes = list.bytes.data() + start;
        CacheEntryHeader entry = EntryHeaderOf(bytes);
        if (entry.nameLength != name.size()) continue;
        if (keys && (entry.fileSize != keys->fileSize || entry.timeLow != keys->timeLow ||
                     entry.timeHigh != keys->timeHigh))
            continue;
        std::string stored(reinterpret_cast<const char*>(bytes) + entry.nameOffset, entry.nameLength);
        if (!SameText(stored, name)) continue;
        bool readable = true;
        for (uint32_t f = 0; f < entry.frameCount && readable; ++f)
            readable = FrameIsReadable(FrameRecordOf(bytes, f), zoomSize);
        if (readable) return bytes;
    }
    return nullptr;
}

void ReadThumbPixels(CacheFile& zoom, const CacheFrameRecord& frame, uint32_t* out) {
    uint32_t pixels = frame.thumbWidth * frame.thumbHeight;
    std::vector<uint8_t> planes(frame.pixelBytes, 0);
    zoom.ReadAt(frame.pixelOffset, planes.data(), frame.pixelBytes);
    for (uint32_t p = 0; p < pixels; ++p)
        out[p] = uint32_t(planes[p]) << 16 | uint32_t(planes[pixels + p]) << 8 | planes[2 * pixels + p];
}

bool ReadCachedThumb(const std::string& cacheDir, const std::string& picturePath,
                     const CacheKeys* keys, CachedThumb* out) {
    std::string folder, name;
    SplitPicturePath(picturePath, &folder, &name);
    if (name.empty()) return false;
    CacheFile index, entries, zoom;
    if (!index.Open(cacheDir + "PATHINDX.CAH", false, false) ||
        !zoom.Open(cacheDir + "ZOOMDATA.CAH", false, false))
        return false;
    std::vector<uint8_t> record;
    uint32_t offset = 0, number = 0;
    if (!FindFolderRecord(index, folder, FolderVolumeSerial(folder), &record, &offset, &number))
        return false;
    CacheFolderHeader header;
    memcpy(&header, record.data(), sizeof header);
    if (header.entryCount == 0 ||
        !entries.Open(CacheEntryFileName(cacheDir, header.folderNumber), false, false))
        return false;
    CacheEntryList list;
    ReadFolderEntries(entries, header, &list);
    const uint8_t* bytes = FindCacheEntry(list, name, keys, zoom.Size());
    if (!bytes) return false;
    CacheEntryHeader entry = EntryHeaderOf(bytes);
    if (entry.frameCount == 0) return false;
    out->keys = CacheKeys{entry.timeLow, entry.timeHigh, entry.fileSize};
    out->format = EntryFormatOf(entry);
    out->frame = FrameRecordOf(bytes, 0);
    out->pixels.assign(size_t(out->frame.thumbWidth) * out->frame.thumbHeight, 0);
    ReadThumbPixels(zoom, out->frame, out->pixels.data());
    return true;
}
