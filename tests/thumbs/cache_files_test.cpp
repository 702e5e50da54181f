// The thumbnail cache files against hand-checked bytes, and damaged caches.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "cache_files.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct DibDeleter {
    void operator()(DibBlock* block) const { FreeDib(block); }
};
using DibPtr = std::unique_ptr<DibBlock, DibDeleter>;

DWORD* Pixels(DibBlock* block) { return reinterpret_cast<DWORD*>(block->pixels); }

uint32_t U32(const Bytes& bytes, size_t at) {
    uint32_t value = 0;
    memcpy(&value, bytes.data() + at, 4);
    return value;
}

class CacheFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        char exe[MAX_PATH];
        GetModuleFileNameA(nullptr, exe, MAX_PATH);
        std::string dir(exe, strrchr(exe, '\\') + 1);
        dir_ = dir + "scratch-thumbs-" + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryA(dir_.c_str(), nullptr);
        SetCacheDirectory(dir_);
        ClearCacheFiles();
    }
    void TearDown() override {
        CloseCacheFiles();
        ClearCacheFiles();
        RemoveDirectoryA(GetCacheDirectory().c_str());
        RemoveDirectoryA(dir_.c_str());
    }
    std::string File(const char* name) { return GetCacheDirectory() + name; }
    Bytes Read(const char* name) {
        std::ifstream in(File(name), std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    void Write(const char* name, const Bytes& bytes) {
        std::ofstream out(File(name), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    void Patch(const char* name, size_t at, uint32_t value) {
        Bytes bytes = Read(name);
        memcpy(bytes.data() + at, &value, 4);
        Write(name, bytes);
    }
    // A change to the first folder record as a writer without checks makes it.
    void PatchUncheckedRecord(size_t at, uint32_t value) {
        Patch("PATHINDX.CAH", at, value);
        Patch("PATHINDX.CAH", 4, 0);
    }
    bool Exists(const char* name) { return GetFileAttributesA(File(name).c_str()) != INVALID_FILE_ATTRIBUTES; }

    // Stores `frames` thumbnails of 2 x 1 pixels (frame f: 0x00RRGGBB values
    // 0x10203 * (f + 1) and 0xA0B0C0 + f) for picture, keys (time, 0, size).
    CacheAddResult Store(const std::string& picture, uint32_t time, uint32_t size, int frames = 1) {
        std::vector<DibPtr> owned;
        std::vector<DibBlock*> thumbs;
        std::vector<CacheFrameInfo> infos;
        for (int f = 0; f < frames; ++f) {
            owned.emplace_back(CreateDib(2, 1));
            Pixels(owned.back().get())[0] = 0x10203u * (f + 1);
            Pixels(owned.back().get())[1] = 0xA0B0C0u + f;
            thumbs.push_back(owned.back().get());
            infos.push_back({f, 640 + f, 480, 99, 24, 99});
        }
        std::string folder, name;
        SplitPicturePath(picture, &folder, &name);
        if (!OpenFolderCache(folder)) return CacheAddResult::FilesNotOpen;
        CacheAddResult result = AddThumbEntry(name, time, 0, size, "PNG", thumbs.data(), infos.data(), frames);
        CloseFolderCache();
        return result;
    }
    // Looks picture up in a freshly opened folder cache.
    int Lookup(const std::string& picture, uint32_t time, uint32_t size) {
        std::string folder;
        SplitPicturePath(picture, &folder, nullptr);
        EXPECT_EQ(OpenFolderCache(folder), 1);
        int found = LookupInFolderCache(picture, time, 0, size, nullptr);
        CloseFolderCache();
        return found;
    }

    std::string dir_;
};

TEST(CachePathTest, FolderKeys) {
    std::string folder, name;
    SplitPicturePath("C:\\pics\\a.png", &folder, &name);
    EXPECT_EQ(folder, "C:\\pics");
    EXPECT_EQ(name, "a.png");
    SplitPicturePath("D:\\b.jpg", &folder, &name);
    EXPECT_EQ(folder, "D:\\");
    EXPECT_EQ(name, "b.jpg");
    SplitPicturePath("\\\\host\\share\\c.gif", &folder, &name);
    EXPECT_EQ(folder, "\\\\host\\share");
}

TEST_F(CacheFilesTest, FirstFolderLayoutPlanesAndReadBack) {
    ASSERT_FALSE(Exists("."));
    ASSERT_EQ(OpenFolderCache("C:\\pics"), 1);
    EXPECT_TRUE(Exists("PATHINDX.CAH"));
    EXPECT_TRUE(Exists("ZOOMDATA.CAH"));
    EXPECT_TRUE(Exists("FILE0000.CAH"));
    EXPECT_EQ(Read("PATHINDX.CAH").size(), 0u);   // the record waits for the close
    CloseFolderCache();
    ASSERT_EQ(Store("C:\\pics\\a.png", 7, 1234, 3), CacheAddResult::Added);

    Bytes index = Read("PATHINDX.CAH");
    const uint32_t entrySize = 28 * 3 + 5 + 73;
    ASSERT_EQ(index.size(), 7u + 36);
    EXPECT_EQ(U32(index, 0), 43u);
    EXPECT_EQ(U32(index, 8), 0u);            // folder number
    EXPECT_EQ(U32(index, 16), 1u);           // entries
    EXPECT_EQ(U32(index, 20), 0u);           // start offset
    EXPECT_EQ(U32(index, 24), entrySize);
    EXPECT_EQ(U32(index, 28), 7u);
    EXPECT_EQ(memcmp(index.data() + 32, "C:\\pics\0\0\0\0", 11), 0);

    Bytes entry = Read("FILE0000.CAH");
    ASSERT_EQ(entry.size(), entrySize);
    EXPECT_EQ(U32(entry, 0), entrySize);
    EXPECT_EQ(U32(entry, 4), 7u);
    EXPECT_EQ(U32(entry, 12), 1234u);
    EXPECT_EQ(U32(entry, 16), 5u);
    EXPECT_EQ(U32(entry, 20), 28u * 3 + 72);
    EXPECT_STREQ(reinterpret_cast<const char*>(entry.data() + 24), "PNG");
    EXPECT_EQ(U32(entry, 40), 3u);
    // Frame 2: bpp, picture size, thumbnail size, pixel offset and bytes.
    const uint32_t frame2[7] = {24, 642, 480, 2, 1, 12, 6};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(U32(entry, 44 + 56 + 4 * i), frame2[i]) << i;
    // The check block: mark, the entry's CRC-32, the CRC-32 of its planes.
    EXPECT_EQ(0xCBF43926u, CacheCrc32("123456789", 9)) << "the zip CRC-32";
    EXPECT_EQ(U32(entry, 44 + 84), 0x314B4843u);
    EXPECT_NE(U32(entry, 44 + 84 + 4), 0u);
    for (int i = 12; i < 28; ++i) EXPECT_EQ(entry[44 + 84 + i], 0) << i;
    EXPECT_EQ(U32(index, 4), FolderRecordCheck(index.data(), 43));
    EXPECT_STREQ(reinterpret_cast<const char*>(entry.data() + 156), "a.png");

    // Frame 0 pixels 0x010203 and 0xA0B0C0: red plane, green plane, blue plane.
    Bytes zoom = Read("ZOOMDATA.CAH");
    ASSERT_EQ(zoom.size(), 18u);
    EXPECT_EQ(U32(entry, 44 + 84 + 8), CacheCrc32(zoom.data(), zoom.size()));
    EXPECT_EQ(Bytes(zoom.begin(), zoom.begin() + 6), (Bytes{0x01, 0xA0, 0x02, 0xB0, 0x03, 0xC0}));

    ASSERT_EQ(OpenFolderCache("c:\\PICS"), 1);   // paths compare without case
    std::string format;
    EXPECT_EQ(LookupInFolderCache("c:\\PICS\\A.PNG", 7, 0, 1234, &format), 1);
    EXPECT_EQ(format, "PNG");
    EXPECT_EQ(LookupInFolderCache("C:\\pics\\a.png", 8, 0, 1234, nullptr), -1);
    EXPECT_EQ(LookupInFolderCache("C:\\pics\\a.png", 7, 0, 1235, nullptr), -1);
    EXPECT_EQ(LoadThumbsFromFolderCache("C:\\pics\\a.png", 7, 0, 1234, "JPEG"), nullptr);
    const CacheLoadResult* loaded = LoadThumbsFromFolderCache("C:\\pics\\a.png", 7, 0, 1234, "png");
    ASSERT_NE(loaded, nullptr);
    ASSERT_EQ(loaded->frameCount, 3);
    for (int f = 0; f < 3; ++f) {
        DibPtr thumb(loaded->thumbnails[f]);
        EXPECT_EQ(DibWidth(thumb.get()), 2);
        EXPECT_EQ(Pixels(thumb.get())[0], 0x10203u * (f + 1));
        EXPECT_EQ(Pixels(thumb.get())[1], 0xA0B0C0u + f);
        const CacheFrameInfo& info = loaded->infos[f];
        EXPECT_EQ(info.frameIndex, f);
        EXPECT_EQ(info.width, 640 + f);
        EXPECT_EQ(info.bitsPerPixel, 24);
        EXPECT_EQ(info.unused3 | info.unused5, 0);
    }
    CloseFolderCache();
}

TEST_F(CacheFilesTest, FolderNumbersAndVolumeSerials) {
    for (int i = 0; i < 17; ++i)
        ASSERT_EQ(Store("C:\\f" + std::to_string(i) + "\\x.png", 1, 1, 0), CacheAddResult::Added);
    EXPECT_TRUE(Exists("FILE000A.CAH"));
    EXPECT_TRUE(Exists("FILE0010.CAH"));
    EXPECT_FALSE(Exists("FILE0011.CAH"));
    EXPECT_EQ(Lookup("C:\\f16\\x.png", 1, 1), 0);   // an entry without frames

    // The same path recorded for another volume is another folder.
    ClearCacheFiles();
    DWORD serial = 0;
    GetVolumeInformationA("C:\\", nullptr, 0, &serial, nullptr, nullptr, nullptr, 0);
    ASSERT_EQ(Store("C:\\pics\\a.png", 1, 1), CacheAddResult::Added);
    PatchUncheckedRecord(12, serial ^ 1);
    EXPECT_EQ(Lookup("C:\\pics\\a.png", 1, 1), -1);
    ASSERT_EQ(Store("C:\\pics\\a.png", 1, 1), CacheAddResult::Added);
    Bytes index = Read("PATHINDX.CAH");
    ASSERT_EQ(index.size(), 2u * 43);
    EXPECT_EQ(U32(index, 43 + 8), 1u);
    EXPECT_EQ(U32(index, 43 + 12), serial);
}

TEST_F(CacheFilesTest, AppendOnlyGrowthAndVisibilityAfterReopen) {
    ASSERT_EQ(OpenFolderCache("C:\\pics"), 1);
    DibPtr thumb(CreateDib(1, 1));
    DibBlock* thumbs[2] = {thumb.get(), nullptr};
    CacheFrameInfo infos[2] = {};
    int missing = -1;
    EXPECT_EQ(AddThumbEntry("a.png", 1, 0, 10, "PNG", thumbs, infos, 2, &missing),
              CacheAddResult::MissingThumbnail);
    EXPECT_EQ(missing, 1);
    ASSERT_EQ(AddThumbEntry("a.png", 1, 0, 10, "PNG", thumbs, infos, 1), CacheAddResult::Added);
    EXPECT_EQ(LookupInFolderCache("C:\\pics\\a.png", 1, 0, 10, nullptr), -1);
    CloseFolderCache();
    EXPECT_EQ(Read("ZOOMDATA.CAH").size(), 3u);   // nothing of the refused entry
    EXPECT_EQ(AddThumbEntry("a.png", 1, 0, 10, "PNG", thumbs, infos, 1), CacheAddResult::FilesNotOpen);

    // The picture is re-saved: a second entry, the first stays.
    EXPECT_EQ(Lookup("C:\\pics\\a.png", 2, 10), -1);
    ASSERT_EQ(Store("C:\\pics\\a.png", 2, 10), CacheAddResult::Added);
    EXPECT_EQ(Lookup("C:\\pics\\a.png", 1, 10), 1);
    EXPECT_EQ(Lookup("C:\\pics\\a.png", 2, 10), 1);
    Bytes index = Read("PATHINDX.CAH");
    ASSERT_EQ(index.size(), 43u);
    EXPECT_EQ(U32(index, 16), 2u);
    EXPECT_EQ(Read("FILE0000.CAH").size(), 2u * (28 + 5 + 73));

    EXPECT_EQ(ClearCacheFiles() >= 0, true);
    ASSERT_EQ(OpenFolderCache("C:\\pics"), 1);
    EXPECT_EQ(ClearCacheFiles(), -1);   // refused while a folder cache is open
    CloseFolderCache();
    EXPECT_EQ(ClearCacheFiles(), 3);
    EXPECT_FALSE(Exists("PATHINDX.CAH"));
}

TEST_F(CacheFilesTest, LoadByNameIgnoresKeysAndCreatesNothing) {
    EXPECT_EQ(LoadThumbsByName("C:\\pics\\a.png", nullptr, nullptr, nullptr, nullptr), nullptr);
    EXPECT_FALSE(Exists("PATHINDX.CAH"));
    ASSERT_EQ(Store("C:\\pics\\a.png", 5, 77, 2), CacheAddResult::Added);
    EXPECT_EQ(LoadThumbsByName("C:\\other\\a.png", nullptr, nullptr, nullptr, nullptr), nullptr);
    EXPECT_FALSE(Exists("FILE0001.CAH"));
    uint32_t low = 0, high = 9, size = 0;
    std::string format;
    const CacheLoadResult* loaded = LoadThumbsByName("C:\\PICS\\A.png", &low, &high, &size, &format);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->frameCount, 2);
    for (int f = 0; f < loaded->frameCount; ++f) FreeDib(loaded->thumbnails[f]);
    EXPECT_EQ(low, 5u);
    EXPECT_EQ(high, 0u);
    EXPECT_EQ(size, 77u);
    EXPECT_EQ(format, "PNG");
}

// Each damage is treated as "not cached"; the picture is stored again and
// then found, so the cache mends itself.
TEST_F(CacheFilesTest, DamagedCacheCountsAsNotCached) {
    struct Damage {
        const char* what;
        const char* file;
        size_t at;          // SIZE_MAX: truncate the file to `value` bytes
        uint32_t value;
    };
    const Damage damages[] = {
        {"torn folder record", "PATHINDX.CAH", SIZE_MAX, 20},
        {"folder record size 0", "PATHINDX.CAH", 0, 0},
        {"folder record size 2^31", "PATHINDX.CAH", 0, 0x80000000u},
        {"entries past the entry file", "PATHINDX.CAH", 24, 0x80000000u},
        {"entry size 0", "FILE0000.CAH", 0, 0},
        {"entry size 2^31", "FILE0000.CAH", 0, 0x80000000u},
        {"name length past the entry", "FILE0000.CAH", 16, 5000},
        {"pixels past ZOOMDATA", "FILE0000.CAH", 44 + 20, 1000},
        {"thumbnail 60000 wide", "FILE0000.CAH", 44 + 12, 60000},
        {"truncated ZOOMDATA", "ZOOMDATA.CAH", SIZE_MAX, 2},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.what);
        ClearCacheFiles();
        ASSERT_EQ(Store("C:\\pics\\a.png", 1, 1), CacheAddResult::Added);
        if (damage.at == SIZE_MAX) {
            Bytes bytes = Read(damage.file);
            bytes.resize(damage.value);
            Write(damage.file, bytes);
        } else {
            Patch(damage.file, damage.at, damage.value);
        }
        EXPECT_EQ(Lookup("C:\\pics\\a.png", 1, 1), -1);
        EXPECT_EQ(LoadThumbsByName("C:\\pics\\a.png", nullptr, nullptr, nullptr, nullptr), nullptr);
        ASSERT_EQ(Store("C:\\pics\\a.png", 1, 1), CacheAddResult::Added);
        EXPECT_EQ(Lookup("C:\\pics\\a.png", 1, 1), 1);
    }

    // A count larger than the file: the entries that are there are found.
    ClearCacheFiles();
    ASSERT_EQ(Store("C:\\pics\\a.png", 1, 1), CacheAddResult::Added);
    ASSERT_EQ(Store("C:\\pics\\b.png", 1, 1), CacheAddResult::Added);
    PatchUncheckedRecord(16, 1000000);
    EXPECT_EQ(Lookup("C:\\pics\\b.png", 1, 1), 1);
    EXPECT_EQ(Lookup("C:\\pics\\c.png", 1, 1), -1);
}

}  // namespace
