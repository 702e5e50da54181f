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

namespace {

// Where a folder record of the index may start: a size within bounds that
// the bytes hold and that agrees with the path length.
bool RecordFitsAt(const std::vector<uint8_t>& bytes, uint32_t have, uint32_t at) {
    if (at > have || have - at < sizeof(CacheFolderHeader)) return false;
    CacheFolderHeader header;
    memcpy(&header, bytes.data() + at, sizeof header);
    return header.recordSize >= kFolderRecordExtra && header.recordSize <= kMaxFolderRecord &&
           header.recordSize <= have - at && header.pathLength + kFolderRecordExtra <= header.recordSize;
}

bool RecordCheckHolds(const std::vector<uint8_t>& bytes, uint32_t at) {
    CacheFolderHeader header;
    memcpy(&header, bytes.data() + at, sizeof header);
    return header.check == 0 || header.check == FolderRecordCheck(bytes.data() + at, header.recordSize);
}

bool IsCheckedRecordAt(const std::vector<uint8_t>& bytes, uint32_t have, uint32_t at) {
    if (!RecordFitsAt(bytes, have, at)) return false;
    CacheFolderHeader header;
    memcpy(&header, bytes.data() + at, sizeof header);
    return header.check != 0 && RecordCheckHolds(bytes, at);
}

// Where an entry may start: sizes that agree with each other and fit.
bool EntryFitsAt(const std::vector<uint8_t>& bytes, uint32_t have, uint32_t at) {
    if (at > have || have - at < kEntryExtra) return false;
    CacheEntryHeader entry;
    memcpy(&entry, bytes.data() + at, sizeof entry);
    if (entry.entrySize < kEntryExtra || entry.entrySize > have - at) return false;
    uint32_t room = (entry.entrySize - kEntryExtra) / sizeof(CacheFrameRecord);
    return entry.frameCount <= room &&
           entry.nameLength == entry.entrySize - CacheEntrySize(entry.frameCount, 0) &&
           entry.nameOffset == kEntryNameOffsetBase + sizeof(CacheFrameRecord) * entry.frameCount;
}

CacheEntryCheck EntryCheckOf(const uint8_t* entry) {
    CacheEntryHeader header;
    memcpy(&header, entry, sizeof header);
    CacheEntryCheck check;
    memcpy(&check, entry + sizeof header + sizeof(CacheFrameRecord) * header.frameCount, sizeof check);
    return check;
}

bool IsUnchecked(const CacheEntryCheck& check) {
    static const CacheEntryCheck zero = {};
    return memcmp(&check, &zero, sizeof check) == 0;
}

uint32_t EntryCrc(const uint8_t* entry) {
    CacheEntryHeader header;
    memcpy(&header, entry, sizeof header);
    const uint32_t at = sizeof header + sizeof(CacheFrameRecord) * header.frameCount;
    static const uint8_t zero[sizeof(CacheEntryCheck)] = {};
    uint32_t crc = CacheCrc32(entry, at);
    crc = CacheCrc32(zero, sizeof zero, crc);
    return CacheCrc32(entry + at + sizeof zero, header.entrySize - at - sizeof zero, crc);
}

bool EntryCheckHolds(const uint8_t* entry) {
    const CacheEntryCheck check = EntryCheckOf(entry);
    if (IsUnchecked(check)) return true;
    // Every byte counts: the spare words are written as zeros.
    for (uint32_t word : check.unused)
        if (word != 0) return false;
    return check.mark == kEntryCheckMark && check.entryCheck == EntryCrc(entry);
}

bool IsCheckedEntryAt(const std::vector<uint8_t>& bytes, uint32_t have, uint32_t at) {
    return EntryFitsAt(bytes, have, at) && EntryCheckOf(bytes.data() + at).mark == kEntryCheckMark &&
           EntryCheckHolds(bytes.data() + at);
}

}  // namespace

uint32_t CacheCrc32(const void* bytes, size_t size, uint32_t crc) {
    static uint32_t table[256];
    static volatile LONG built = 0;
    if (!built) {
        // Every thread that gets here first computes the same table.
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
        InterlockedExchange(&built, 1);
    }
    const uint8_t* p = static_cast<const uint8_t*>(bytes);
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) crc = table[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

uint32_t FolderRecordCheck(const uint8_t* record, uint32_t size) {
    if (size < sizeof(CacheFolderHeader)) return 1;
    static const uint8_t zero[4] = {};
    uint32_t crc = CacheCrc32(record, 4);
    crc = CacheCrc32(zero, 4, crc);
    crc = CacheCrc32(record + 8, size - 8, crc);
    return crc ? crc : 1;
}

bool FindFolderRecord(CacheFile& index, const std::string& folder, uint32_t serial,
                      std::vector<uint8_t>* record, uint32_t* offset, uint32_t* number) {
    // The index is small (a record per folder): one read, then a walk in memory.
    uint32_t fileSize = index.Size();
    std::vector<uint8_t> bytes(fileSize);
    uint32_t have = fileSize ? index.ReadAt(0, bytes.data(), fileSize) : 0;
    uint32_t at = 0, count = 0, nextFree = 0;
    while (at < have) {
        if (!RecordFitsAt(bytes, have, at) || !RecordCheckHolds(bytes, at)) {
            // Damage: go on at the next record that proves itself by its check.
            uint32_t next = at + 1;
            while (next < have && !IsCheckedRecordAt(bytes, have, next)) ++next;
            if (next >= have) break;
            at = next;
            ++count;
            continue;
        }
        CacheFolderHeader header;
        memcpy(&header, bytes.data() + at, sizeof header);
        if (header.folderNumber >= nextFree && header.folderNumber < 0xFFFFFFFFu) nextFree = header.folderNumber + 1;
        if (header.pathLength == folder.size() && header.volumeSerial == serial) {
            std::string path(reinterpret_cast<const char*>(bytes.data()) + at + sizeof header,
                             header.pathLength);
            if (SameText(path, folder)) {
                record->assign(bytes.begin() + at, bytes.begin() + at + header.recordSize);
                *offset = at;
                *number = count;
                return true;
            }
        }
        at += header.recordSize;
        ++count;
    }
    *offset = at;
    // A number no readable record uses.  A damaged record's entry file may
    // get it again; the new folder's entries then start at that file's end.
    *number = count > nextFree ? count : nextFree;
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
    uint32_t at = 0, end = 0;
    while (at < have && list->starts.size() < folder.entryCount) {
        if (!EntryFitsAt(list->bytes, have, at)) {
            // Damage: go on at the next entry that proves itself by its check.
            uint32_t next = at + 1;
            while (next < have && !IsCheckedEntryAt(list->bytes, have, next)) ++next;
            if (next >= have) break;
            at = next;
            continue;
        }
        CacheEntryHeader entry;
        memcpy(&entry, list->bytes.data() + at, sizeof entry);
        list->starts.push_back(at);
        at += entry.entrySize;
        end = at;
    }
    list->end = end;
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

std::vector<const uint8_t*> FindCacheEntries(const CacheEntryList& list, const std::string& name,
                                             const CacheKeys* keys, uint32_t zoomSize) {
    std::vector<const uint8_t*> found;
    for (uint32_t start : list.starts) {
        const uint8_t* bytes = list.bytes.data() + start;
        CacheEntryHeader entry = EntryHeaderOf(bytes);
        if (entry.nameLength != name.size()) continue;
        if (keys && (entry.fileSize != keys->fileSize || entry.timeLow != keys->timeLow ||
                     entry.timeHigh != keys->timeHigh))
            continue;
        std::string stored(reinterpret_cast<const char*>(bytes) + entry.nameOffset, entry.nameLength);
        if (!SameText(stored, name) || !EntryCheckHolds(bytes)) continue;
        bool readable = true;
        for (uint32_t f = 0; f < entry.frameCount && readable; ++f)
            readable = FrameIsReadable(FrameRecordOf(bytes, f), zoomSize);
        if (readable) found.push_back(bytes);
    }
    return found;
}

void SealCacheEntry(uint8_t* entry, uint32_t pixelCheck) {
    CacheEntryHeader header;
    memcpy(&header, entry, sizeof header);
    CacheEntryCheck check = {};
    check.mark = kEntryCheckMark;
    check.entryCheck = EntryCrc(entry);
    check.pixelCheck = pixelCheck;
    memcpy(entry + sizeof header + sizeof(CacheFrameRecord) * header.frameCount, &check, sizeof check);
}

bool EntryPixelsHold(const uint8_t* entry, uint32_t pixelCheck) {
    const CacheEntryCheck check = EntryCheckOf(entry);
    return IsUnchecked(check) || check.pixelCheck == pixelCheck;
}

void ReadThumbPixels(CacheFile& zoom, const CacheFrameRecord& frame, uint32_t* out, uint32_t* crc) {
    uint32_t pixels = frame.thumbWidth * frame.thumbHeight;
    std::vector<uint8_t> planes(frame.pixelBytes, 0);
    zoom.ReadAt(frame.pixelOffset, planes.data(), frame.pixelBytes);
    if (crc) *crc = CacheCrc32(planes.data(), planes.size(), *crc);
    if (!out) return;
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
    for (const uint8_t* bytes : FindCacheEntries(list, name, keys, zoom.Size())) {
        CacheEntryHeader entry = EntryHeaderOf(bytes);
        if (entry.frameCount == 0) continue;
        out->frame = FrameRecordOf(bytes, 0);
        out->pixels.assign(size_t(out->frame.thumbWidth) * out->frame.thumbHeight, 0);
        // Every frame's planes are read for the check; only the first is kept.
        uint32_t crc = 0;
        ReadThumbPixels(zoom, out->frame, out->pixels.data(), &crc);
        for (uint32_t f = 1; f < entry.frameCount; ++f) ReadThumbPixels(zoom, FrameRecordOf(bytes, f), nullptr, &crc);
        if (!EntryPixelsHold(bytes, crc)) continue;
        out->keys = CacheKeys{entry.timeLow, entry.timeHigh, entry.fileSize};
        out->format = EntryFormatOf(entry);
        return true;
    }
    return false;
}
