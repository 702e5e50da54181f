// Runs of the worker over a folder of pictures, as the browser makes them:
// the thumbnail cache damaged between two runs (bytes flipped and files cut
// short at seeded places), and pictures named in letters outside the code
// page.  Every thumbnail shown is the one made from the picture.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "cache_files.h"
#include "file_list.h"
#include "item_model.h"
#include "list_shared.h"
#include "load.h"
#include "messages.h"
#include "picture.h"
#include "pidl.h"
#include "program.h"
#include "settings.h"
#include "thumbnail_maker.h"
#include "worker.h"
#include "thumbnail_worker_fixture.h"
#include "worker_support.h"

namespace {

using namespace worker_support;
using Bytes = std::vector<char>;

Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// What the user sees of an item: its text and its thumbnail's colours.
struct Shown {
    std::string info;
    int frames = 0;
    int width = 0, height = 0;
    std::vector<DWORD> rgb;
    bool operator==(const Shown& o) const {
        return info == o.info && frames == o.frames && width == o.width && height == o.height && rgb == o.rgb;
    }
};

std::map<std::string, Shown> ShownItems() {
    std::map<std::string, Shown> shown;
    ItemModelLock hold;
    for (const BrowserItem& item : Items().items) {
        if (item.state != kItemPicture || !item.thumbnail) continue;
        Shown s;
        s.info = item.info;
        s.frames = item.frameCount;
        const DibBlock* dib = item.thumbnail->working;
        s.width = DibWidth(dib);
        s.height = DibHeight(dib);
        const DWORD* pixels = reinterpret_cast<const DWORD*>(dib->pixels);
        for (int i = 0; i < s.width * s.height; ++i) s.rgb.push_back(pixels[i] & 0xFFFFFF);
        shown[item.name] = s;
    }
    return shown;
}

const char* const kSamples[] = {"photo.jpg", "bmp-24bit.bmp", "bmp-4bit.bmp", "bmp-8bit.bmp", "alpha.png",
                                "rose.tif",  "icon.ico",      "animated.gif", "multipage.tif"};
constexpr int kPictures = sizeof kSamples / sizeof *kSamples;

class FolderRunTest : public ThumbnailWorkerTest {
protected:
    void SetUp() override {
        StartWorker("scratch-damage", kPictures, 0);
        folder_ = ScratchFolder("damage");
        for (const char* sample : kSamples)
            ASSERT_TRUE(CopyFileA((ExeDirectory() + "..\\samples\\" + sample).c_str(),
                                  (folder_ + "\\" + sample).c_str(), FALSE))
                << sample;
    }
    void TearDown() override {
        StopWorker();
        RemoveTree(folder_);
    }

    // One run of the browser over the folder: what it shows and how many
    // pictures it had to decode.
    std::map<std::string, Shown> Run(long* decodes) {
        const long before = ThumbnailDecodeCount();
        ForgetPosted();
        RequestPath(folder_);
        EXPECT_TRUE(WaitForPosted(browser_, kMsgFolderLoaded, 30000));
        const DWORD start = GetTickCount();
        while (CountPosted(browser_, kMsgReplaceOpenList) < 2 && GetTickCount() - start < 30000) PumpFor(10);
        EXPECT_EQ(2, CountPosted(browser_, kMsgReplaceOpenList)) << "the thumbnail pass ends";
        PumpFor(20);
        *decodes = ThumbnailDecodeCount() - before;
        return ShownItems();
    }

    std::string folder_;
};

// Damage between runs: the damaged entries are made again and the others
// still come from the cache.
TEST_F(FolderRunTest, DamagedCacheEntriesAreMadeAgainAndTheRestKept) {
    // flips > 0: that many bytes get one bit flipped each, at places drawn
    // with the seed.  flips == 0: the file is cut to `keep` bytes (negative:
    // that many fewer than it holds).  flips < 0: the last byte of the first
    // entry's check block is flipped (spare bytes count too).
    struct Damage {
        const char* file;
        int flips;
        unsigned seed;
        long keep;
        int fewest, most;   // pictures decoded again
    };
    const Damage damages[] = {
        {"PATHINDX.CAH", 1, 1, 0, kPictures, kPictures},
        {"PATHINDX.CAH", 1, 2, 0, kPictures, kPictures},
        {"PATHINDX.CAH", 1, 3, 0, kPictures, kPictures},
        {"PATHINDX.CAH", 0, 0, 20, kPictures, kPictures},
        {"FILE0000.CAH", 1, 1, 0, 1, 1},
        {"FILE0000.CAH", 1, 2, 0, 1, 1},
        {"FILE0000.CAH", 1, 3, 0, 1, 1},
        {"FILE0000.CAH", 1, 4, 0, 1, 1},
        {"FILE0000.CAH", 1, 5, 0, 1, 1},
        {"FILE0000.CAH", 3, 6, 0, 1, 3},
        {"FILE0000.CAH", -1, 0, 0, 1, 1},
        {"FILE0000.CAH", 0, 0, -1, 1, 1},
        {"FILE0000.CAH", 0, 0, 500, 1, kPictures - 1},
        {"FILE0000.CAH", 0, 0, 0, kPictures, kPictures},
        {"ZOOMDATA.CAH", 1, 1, 0, 1, 1},
        {"ZOOMDATA.CAH", 1, 2, 0, 1, 1},
        {"ZOOMDATA.CAH", 1, 3, 0, 1, 1},
        {"ZOOMDATA.CAH", 4, 4, 0, 1, 4},
        {"ZOOMDATA.CAH", 0, 0, -1, 1, 1},
        {"ZOOMDATA.CAH", 0, 0, 30000, 1, kPictures - 1},
        {"ZOOMDATA.CAH", 0, 0, 0, kPictures, kPictures},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(std::string(damage.file) + " flips " + std::to_string(damage.flips) + " seed " +
                     std::to_string(damage.seed) + " keep " + std::to_string(damage.keep));
        ASSERT_GE(ClearCacheFiles(), 0);
        long decodes = 0;
        const std::map<std::string, Shown> made = Run(&decodes);
        ASSERT_EQ(static_cast<size_t>(kPictures), made.size());
        ASSERT_EQ(kPictures, decodes);

        const std::string path = GetCacheDirectory() + damage.file;
        Bytes bytes = ReadBytes(path);
        ASSERT_FALSE(bytes.empty());
        std::string where = std::to_string(bytes.size()) + " bytes, flipped at";
        if (damage.flips < 0) {
            uint32_t frames = 0;
            std::memcpy(&frames, bytes.data() + 40, 4);
            const size_t at = 44 + 28 * frames + 27;
            bytes[at] ^= 1;
            where += " " + std::to_string(at);
        } else if (damage.flips > 0) {
            std::mt19937 random(damage.seed);
            for (int i = 0; i < damage.flips; ++i) {
                const size_t at = random() % bytes.size();
                bytes[at] ^= static_cast<char>(1 << (random() % 8));
                where += " " + std::to_string(at);
            }
        } else {
            const long keep = damage.keep < 0 ? static_cast<long>(bytes.size()) + damage.keep : damage.keep;
            ASSERT_LT(keep, static_cast<long>(bytes.size()));
            bytes.resize(static_cast<size_t>(keep));
        }
        WriteBytes(path, bytes);

        EXPECT_EQ(made, Run(&decodes)) << "every thumbnail is the picture's";
        EXPECT_GE(decodes, damage.fewest) << "the damaged entries are made again; " << where;
        EXPECT_LE(decodes, damage.most) << "the others come from the cache; " << where;
        EXPECT_EQ(made, Run(&decodes));
        EXPECT_EQ(0, decodes) << "the mended cache serves every picture";
    }
}

// Copies of two samples named in Chinese letters and with an emoji: the
// ANSI code page of the test has neither, the file system gives short names.
// Both are listed and get the thumbnails of the pictures they copy, and
// their paths (the short ones) open.
TEST_F(FolderRunTest, NamesOutsideTheCodePageGetThumbnailsThroughShortNames) {
    const std::wstring folder(folder_.begin(), folder_.end());
    struct Copy {
        const wchar_t* name;
        const char* listed;   // as the ANSI list shows it
        const char* sample;
    };
    const Copy copies[] = {
        {L"\x732B\x54AA\x7167\x7247.bmp", "????.bmp", "bmp-24bit.bmp"},
        {L"\xD83D\xDE00 smile.png", "?? smile.png", "alpha.png"},
    };
    for (const Copy& copy : copies) {
        const std::wstring sample(folder + L"\\" + std::wstring(copy.sample, copy.sample + strlen(copy.sample)));
        ASSERT_TRUE(CopyFileW(sample.c_str(), (folder + L"\\" + copy.name).c_str(), FALSE)) << copy.listed;
    }
    long decodes = 0;
    const std::map<std::string, Shown> shown = Run(&decodes);
    for (const Copy& copy : copies) {
        SCOPED_TRACE(copy.listed);
        ASSERT_EQ(1u, shown.count(copy.listed)) << "listed with a thumbnail";
        ASSERT_EQ(1u, shown.count(copy.sample));
        EXPECT_EQ(shown.at(copy.sample), shown.at(copy.listed)) << "the thumbnail of the picture it copies";
    }
    std::vector<std::string> opened;
    for (int i = 0; i < Program().openList.Count(); ++i)
        if (Program().openList.At(i).find('~') != std::string::npos) opened.push_back(Program().openList.At(i));
    ASSERT_EQ(2u, opened.size()) << "both in the open list by their short names";
    for (const std::string& path : opened) {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(INVALID_HANDLE_VALUE, file) << path;
        CloseHandle(file);
    }
    // The folder's removal goes by ANSI names: these go by their own.
    for (const Copy& copy : copies) DeleteFileW((folder + L"\\" + copy.name).c_str());
}

// Where a name has no short form the ANSI path stays out of reach and is
// reported as such (empty); the file systems of the tests always give one.
TEST(AnsiReachablePathTest, LongFormShortFormOrNone) {
    struct Case {
        const wchar_t* path;
        int lookup;   // 0: no short form, 1: an ASCII one, 2: the long path back
        const char* expected;
    };
    struct Lookups {
        static DWORD WINAPI None(LPCWSTR, LPWSTR, DWORD) { return 0; }
        static DWORD WINAPI Ascii(LPCWSTR, LPWSTR out, DWORD size) {
            lstrcpynW(out, L"C:\\PICS\\____~SLU.BMP", static_cast<int>(size));
            return static_cast<DWORD>(lstrlenW(out));
        }
        static DWORD WINAPI Same(LPCWSTR in, LPWSTR out, DWORD size) {
            lstrcpynW(out, in, static_cast<int>(size));
            return static_cast<DWORD>(lstrlenW(out));
        }
    };
    const ShortPathLookup lookups[] = {Lookups::None, Lookups::Ascii, Lookups::Same};
    const Case cases[] = {
        {L"C:\\pics\\plain.jpg", 0, "C:\\pics\\plain.jpg"},
        {L"C:\\pics\\\x732B\x54AA.bmp", 1, "C:\\PICS\\____~SLU.BMP"},
        {L"C:\\pics\\\x732B\x54AA.bmp", 0, ""},
        {L"C:\\pics\\\x732B\x54AA.bmp", 2, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, AnsiReachablePath(c.path, lookups[c.lookup])) << c.expected << " " << c.lookup;
}

}  // namespace
