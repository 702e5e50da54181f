// The thumbnail cache files: folder index, per-folder entry files and the
// shared pixel file.  See cache_files.h and cache_records.h.
#include "cache_files.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "cache_file_io.h"
#include "cache_reader.h"
#include "cache_records.h"

namespace {

std::string g_cacheDir = "Cache\\";

std::string EntryFileName(uint32_t number) { return CacheEntryFileName(g_cacheDir, number); }

bool SameText(const char* a, const char* b) { return lstrcmpiA(a, b) == 0; }

// One open folder cache: the three files, the folder record in memory (the
// whole record as it stands on disk) and the folder's entries once read.
struct FolderCache {
    CacheFile index, entries, zoom;
    std::vector<uint8_t> record;
    bool open = false;
    uint32_t foundCount = 0;      // entries of the folder when it was opened
    uint32_t recordOffset = 0;    // of the record in PATHINDX.CAH
    bool newRecord = false;       // written at recordOffset, cutting off what follows
    uint32_t entriesEnd = 0;      // where the next entry goes
    uint32_t zoomEnd = 0;         // where the next pixels go; also the bound for reading
    bool entriesLoaded = false;
    CacheEntryList entryList;            // the readable entries, once read

    CacheFolderHeader Header() const {
        CacheFolderHeader header;
        memcpy(&header, record.data(), sizeof header);
        return header;
    }
    void SetHeader(const CacheFolderHeader& header) { memcpy(record.data(), &header, sizeof header); }

    void CloseFiles() {
        index.Close();
        entries.Close();
        zoom.Close();
        open = false;
        record.clear();
        entryList = CacheEntryList();
        entriesLoaded = false;
    }
};

FolderCache g_folder;
CacheLoadResult g_result;
std::vector<DibBlock*> g_resultThumbs;
std::vector<CacheFrameInfo> g_resultInfos;
std::string g_openFolder;

std::vector<uint8_t> BuildRecord(const std::string& folder, uint32_t number, uint32_t serial,
                                 uint32_t entriesOffset) {
    uint32_t length = static_cast<uint32_t>(folder.size());
    std::vector<uint8_t> record(length + kFolderRecordExtra, 0);
    CacheFolderHeader header = {};
    header.recordSize = length + kFolderRecordExtra;
    header.folderNumber = number;
    header.volumeSerial = serial;
    header.entriesOffset = entriesOffset;
    header.pathLength = length;
    memcpy(record.data(), &header, sizeof header);
    memcpy(record.data() + sizeof header, folder.data(), length);
    return record;
}

// create: make what is missing (the worker); otherwise only read what is
// there (the one-shot reader).
bool OpenCache(FolderCache& cache, const std::string& folder, bool create) {
    cache.CloseFiles();
    if (create) CreateDirectoryA(g_cacheDir.c_str(), nullptr);
    if (!cache.index.Open(g_cacheDir + "PATHINDX.CAH", create, create) ||
        !cache.zoom.Open(g_cacheDir + "ZOOMDATA.CAH", create, create)) {
        cache.CloseFiles();
        return false;
    }
    uint32_t serial = FolderVolumeSerial(folder);
    uint32_t offset = 0, number = 0;
    bool found = FindFolderRecord(cache.index, folder, serial, &cache.record, &offset, &number);
    cache.recordOffset = offset;
    cache.foundCount = 0;
    cache.newRecord = false;
    if (found) {
        CacheFolderHeader header = cache.Header();
        if (cache.entries.Open(EntryFileName(header.folderNumber), create, false)) {
            uint64_t end = uint64_t(header.entriesOffset) + header.entriesSize;
            if (end <= cache.entries.Size()) {
                // Entries of a run that never wrote its record lie past the
                // counted ones; they are dead and the next entry goes over them.
                cache.foundCount = header.entryCount;
                cache.entriesEnd = static_cast<uint32_t>(end);
            } else if (header.entriesOffset <= cache.entries.Size()) {
                // The entry file was cut short: the entries before the cut
                // are kept (the first lookup counts them), the next entry
                // goes after them.
                header.entriesSize = cache.entries.Size() - header.entriesOffset;
                cache.SetHeader(header);
                cache.foundCount = header.entryCount;
                cache.entriesEnd = cache.entries.Size();
            } else {
                // The record claims more than the file holds: start afresh at the end.
                header.entriesOffset = cache.entriesEnd = cache.entries.Size();
                header.entryCount = header.entriesSize = 0;
                cache.SetHeader(header);
            }
        } else if (create && cache.entries.Open(EntryFileName(header.folderNumber), true, true)) {
            // The entry file went away: the record is reused in place.
            cache.entriesEnd = cache.entries.Size();
            cache.record = BuildRecord(folder, header.folderNumber, serial, cache.entriesEnd);
            cache.record.resize(header.recordSize, 0);
            CacheFolderHeader fresh = cache.Header();
            fresh.recordSize = header.recordSize;
            cache.SetHeader(fresh);
        } else {
            cache.CloseFiles();
            return false;
        }
    } else {
        if (!create || !cache.entries.Open(EntryFileName(number), true, true)) {
            cache.CloseFiles();
            return false;
        }
        cache.entriesEnd = cache.entries.Size();
        cache.record = BuildRecord(folder, number, serial, cache.entriesEnd);
        cache.newRecord = true;
    }
    cache.zoomEnd = cache.zoom.Size();
    cache.open = true;
    return true;
}

// Reads the folder's entries once (on the first lookup or addition) and
// keeps those whose sizes hold together.
void LoadEntries(FolderCache& cache) {
    if (cache.entriesLoaded) return;
    cache.entriesLoaded = true;
    if (cache.foundCount == 0) return;
    CacheFolderHeader header = cache.Header();
    header.entryCount = cache.foundCount;
    ReadFolderEntries(cache.entries, header, &cache.entryList);
    if (cache.entryList.starts.size() != cache.foundCount || cache.entryList.end != header.entriesSize) {
        // Damage at the end of the folder's entries: the next entry goes over
        // it and the record then counts what can be read.
        cache.foundCount = static_cast<uint32_t>(cache.entryList.starts.size());
        header.entryCount = cache.foundCount;
        header.entriesSize = cache.entryList.end;
        cache.entriesEnd = header.entriesOffset + cache.entryList.end;
        cache.SetHeader(header);
    }
}

std::vector<const uint8_t*> FindEntries(FolderCache& cache, const std::string& name, bool compareKeys,
                                        uint32_t timeLow, uint32_t timeHigh, uint32_t fileSize) {
    LoadEntries(cache);
    CacheKeys keys = {timeLow, timeHigh, fileSize};
    return FindCacheEntries(cache.entryList, name, compareKeys ? &keys : nullptr, cache.zoomEnd);
}

void ClearResult() {
    g_resultThumbs.clear();
    g_resultInfos.clear();
    g_result = CacheLoadResult{0, nullptr, nullptr};
}

void DropResult() {
    for (DibBlock* made : g_resultThumbs) FreeDib(made);
    ClearResult();
}

// The entry's frames, or null when memory runs out or the pixels are not
// those the entry was written with.
const CacheLoadResult* ReadFrames(FolderCache& cache, const uint8_t* bytes) {
    ClearResult();
    CacheEntryHeader entry = EntryHeaderOf(bytes);
    uint32_t crc = 0;
    for (uint32_t f = 0; f < entry.frameCount; ++f) {
        CacheFrameRecord frame = FrameRecordOf(bytes, f);
        DibBlock* thumb = CreateDib(static_cast<int>(frame.thumbWidth), static_cast<int>(frame.thumbHeight));
        if (!thumb) {
            DropResult();
            return nullptr;
        }
        ReadThumbPixels(cache.zoom, frame, reinterpret_cast<uint32_t*>(thumb->pixels), &crc);
        g_resultThumbs.push_back(thumb);
        CacheFrameInfo info = {static_cast<int32_t>(f), static_cast<int32_t>(frame.width),
                               static_cast<int32_t>(frame.height), 0,
                               static_cast<int32_t>(frame.bitsPerPixel), 0};
        g_resultInfos.push_back(info);
    }
    if (!EntryPixelsHold(bytes, crc)) {
        DropResult();
        return nullptr;
    }
    g_result.frameCount = static_cast<int>(entry.frameCount);
    g_result.thumbnails = g_resultThumbs.data();
    g_result.infos = g_resultInfos.data();
    return &g_result;
}

CacheAddResult AddEntry(FolderCache& cache, const std::string& name, uint32_t timeLow,
                        uint32_t timeHigh, uint32_t fileSize, const std::string& format,
                        DibBlock* const* thumbnails, const CacheFrameInfo* infos, int frameCount,
                        int* firstMissing) {
    if (!cache.index.IsOpen() || !cache.entries.IsOpen() || !cache.zoom.IsOpen())
        return CacheAddResult::FilesNotOpen;
    if (!cache.open || cache.record.empty()) return CacheAddResult::NoFolder;
    LoadEntries(cache);
    if (frameCount < 0 || (frameCount > 0 && (!thumbnails || !infos)))
        return CacheAddResult::WriteFailed;
    for (int f = 0; f < frameCount; ++f) {
        DibBlock* thumb = thumbnails[f];
        if (!thumb || !thumb->header || thumb->header->biBitCount != 32) {
            if (firstMissing) *firstMissing = f;
            return CacheAddResult::MissingThumbnail;
        }
    }
    uint32_t frames = static_cast<uint32_t>(frameCount);
    uint32_t size = CacheEntrySize(frames, static_cast<uint32_t>(name.size()));
    CacheFolderHeader header = cache.Header();
    uint64_t pixelTotal = 0;
    for (int f = 0; f < frameCount; ++f)
        pixelTotal += uint64_t(3) * DibWidth(thumbnails[f]) * DibHeight(thumbnails[f]);
    if (uint64_t(cache.entriesEnd) + size > 0xFFFFFFFFu ||
        uint64_t(header.entriesSize) + size > 0xFFFFFFFFu ||
        uint64_t(cache.zoomEnd) + pixelTotal > 0xFFFFFFFFu)
        return CacheAddResult::NoFolder;

    std::vector<uint8_t> bytes(size, 0);
    CacheEntryHeader entry = {};
    entry.entrySize = size;
    entry.timeLow = timeLow;
    entry.timeHigh = timeHigh;
    entry.fileSize = fileSize;
    entry.nameLength = static_cast<uint32_t>(name.size());
    entry.nameOffset = kEntryNameOffsetBase + sizeof(CacheFrameRecord) * frames;
    memcpy(entry.format, format.data(), format.size() < kCacheFormatBytes ? format.size() : kCacheFormatBytes - 1);
    entry.frameCount = frames;
    memcpy(bytes.data(), &entry, sizeof entry);
    memcpy(bytes.data() + entry.nameOffset, name.data(), name.size());

    std::vector<uint8_t> planes;
    uint32_t crc = 0;
    for (uint32_t f = 0; f < frames; ++f) {
        DibBlock* thumb = thumbnails[f];
        uint32_t width = static_cast<uint32_t>(DibWidth(thumb));
        uint32_t height = static_cast<uint32_t>(DibHeight(thumb));
        uint32_t pixels = width * height;
        planes.resize(size_t(3) * pixels);
        const DWORD* in = reinterpret_cast<const DWORD*>(thumb->pixels);
        for (uint32_t p = 0; p < pixels; ++p) {
            planes[p] = static_cast<uint8_t>(in[p] >> 16);
            planes[pixels + p] = static_cast<uint8_t>(in[p] >> 8);
            planes[2 * pixels + p] = static_cast<uint8_t>(in[p]);
        }
        CacheFrameRecord frame = {static_cast<uint32_t>(infos[f].bitsPerPixel),
                                  static_cast<uint32_t>(infos[f].width),
                                  static_cast<uint32_t>(infos[f].height), width, height,
                                  cache.zoomEnd, 3 * pixels};
        if (!cache.zoom.WriteAt(cache.zoomEnd, planes.data(), frame.pixelBytes))
            return CacheAddResult::WriteFailed;
        crc = CacheCrc32(planes.data(), frame.pixelBytes, crc);
        cache.zoomEnd += frame.pixelBytes;
        memcpy(bytes.data() + sizeof(CacheEntryHeader) + f * sizeof frame, &frame, sizeof frame);
    }
    SealCacheEntry(bytes.data(), crc);
    if (!cache.entries.WriteAt(cache.entriesEnd, bytes.data(), size))
        return CacheAddResult::WriteFailed;
    cache.entriesEnd += size;
    header.entriesSize += size;
    header.entryCount += 1;
    cache.SetHeader(header);
    return CacheAddResult::Added;
}

void CloseCache(FolderCache& cache) {
    if (cache.open && cache.Header().entryCount > 0 && cache.index.IsOpen()) {
        uint32_t size = static_cast<uint32_t>(cache.record.size());
        CacheFolderHeader header = cache.Header();
        header.check = FolderRecordCheck(cache.record.data(), size);
        cache.SetHeader(header);
        if (cache.index.WriteAt(cache.recordOffset, cache.record.data(), size) && cache.newRecord)
            cache.index.TruncateAt(cache.recordOffset + size);   // drops an unreadable tail
    }
    cache.index.Flush();
    cache.entries.Flush();
    cache.zoom.Flush();
    cache.CloseFiles();
}

}  // namespace

void SetCacheDirectory(const std::string& programDirectory) {
    g_cacheDir = programDirectory;
    if (!g_cacheDir.empty() && g_cacheDir.back() != '\\') g_cacheDir += '\\';
    g_cacheDir += "Cache\\";
}

const std::string& GetCacheDirectory() { return g_cacheDir; }

int OpenFolderCache(const std::string& folderPath) {
    if (g_folder.open) CloseCache(g_folder);
    if (!OpenCache(g_folder, folderPath, true)) return 0;
    g_openFolder = folderPath;
    return 1;
}

int LookupInFolderCache(const std::string& picturePath, uint32_t timeLow, uint32_t timeHigh,
                        uint32_t fileSize, std::string* format) {
    if (!g_folder.open) return -1;
    std::string name;
    SplitPicturePath(picturePath, nullptr, &name);
    std::vector<const uint8_t*> found = FindEntries(g_folder, name, true, timeLow, timeHigh, fileSize);
    if (found.empty()) return -1;
    const uint8_t* bytes = found.front();
    CacheEntryHeader entry;
    memcpy(&entry, bytes, sizeof entry);
    if (entry.frameCount == 0) return 0;
    if (format) *format = EntryFormatOf(entry);
    return 1;
}

const CacheLoadResult* LoadThumbsFromFolderCache(const std::string& picturePath, uint32_t timeLow,
                                                 uint32_t timeHigh, uint32_t fileSize,
                                                 const std::string& format) {
    if (!g_folder.open) return nullptr;
    std::string name;
    SplitPicturePath(picturePath, nullptr, &name);
    // A later entry of the same picture stands in for one whose pixels were damaged.
    for (const uint8_t* bytes : FindEntries(g_folder, name, true, timeLow, timeHigh, fileSize)) {
        CacheEntryHeader entry;
        memcpy(&entry, bytes, sizeof entry);
        if (!SameText(EntryFormatOf(entry).c_str(), format.c_str())) continue;
        if (const CacheLoadResult* result = ReadFrames(g_folder, bytes)) return result;
    }
    return nullptr;
}

CacheAddResult AddThumbEntry(const std::string& pictureName, uint32_t timeLow, uint32_t timeHigh,
                             uint32_t fileSize, const std::string& format,
                             DibBlock* const* thumbnails, const CacheFrameInfo* infos,
                             int frameCount, int* firstMissing) {
    return AddEntry(g_folder, pictureName, timeLow, timeHigh, fileSize, format, thumbnails, infos,
                    frameCount, firstMissing);
}

void CloseFolderCache() {
    CloseCache(g_folder);
    g_openFolder.clear();
}

bool IsFolderCacheOpen() { return g_folder.open; }

const CacheLoadResult* LoadThumbsByName(const std::string& picturePath, uint32_t* timeLow,
                                        uint32_t* timeHigh, uint32_t* fileSize,
                                        std::string* format) {
    std::string folder, name;
    SplitPicturePath(picturePath, &folder, &name);
    FolderCache cache;
    if (!OpenCache(cache, folder, false)) return nullptr;
    const uint8_t* bytes = nullptr;
    const CacheLoadResult* result = nullptr;
    for (const uint8_t* candidate : FindEntries(cache, name, false, 0, 0, 0)) {
        result = ReadFrames(cache, candidate);
        if (result) {
            bytes = candidate;
            break;
        }
    }
    if (result) {
        CacheEntryHeader entry;
        memcpy(&entry, bytes, sizeof entry);
        if (timeLow) *timeLow = entry.timeLow;
        if (timeHigh) *timeHigh = entry.timeHigh;
        if (fileSize) *fileSize = entry.fileSize;
        if (format) *format = EntryFormatOf(entry);
    }
    cache.CloseFiles();
    return result;
}

CacheAddResult StoreThumbsOneShot(const std::string& picturePath, uint32_t timeLow,
                                  uint32_t timeHigh, uint32_t fileSize, const std::string& format,
                                  DibBlock* const* thumbnails, const CacheFrameInfo* infos,
                                  int frameCount, int* firstMissing) {
    std::string folder, name;
    SplitPicturePath(picturePath, &folder, &name);
    if (g_folder.open && SameText(g_openFolder.c_str(), folder.c_str()))
        return CacheAddResult::NoFolder;
    FolderCache cache;
    if (!OpenCache(cache, folder, true)) return CacheAddResult::FilesNotOpen;
    CacheAddResult result = AddEntry(cache, name, timeLow, timeHigh, fileSize, format, thumbnails,
                                     infos, frameCount, firstMissing);
    CloseCache(cache);
    return result;
}

void CloseCacheFiles() {
    CloseCache(g_folder);
    g_openFolder.clear();
    ClearResult();
}

int ClearCacheFiles(CachePatternDeleter deleter, void* context) {
    if (g_folder.open) return -1;
    g_folder.CloseFiles();
    if (deleter) return deleter(g_cacheDir + "*.CAH", context) ? 1 : 0;
    int deleted = 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((g_cacheDir + "*.CAH").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            DeleteFileA((g_cacheDir + found.cFileName).c_str()))
            ++deleted;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return deleted;
}
