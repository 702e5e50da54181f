// Pictures larger than the memory budget: the thumbnail and the viewer's
// reduced picture, made through the real library, thumbnail maker and
// picture loader.  The budget is lowered so that a picture made here at test
// time crosses it; the core's memory limit is lowered for the rows that send
// the page's pixels to a cache file.
#include <winsock2.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <magick/MagickCore.h>

#include <cstdlib>
#include <string>

#include "document.h"
#include "load.h"
#include "loader.h"
#include "thumbnail_maker.h"

namespace {

constexpr int kWidth = 1200, kHeight = 800;
// Quadrants: red, blue above; green, white below (a flip or a mirror shows).
constexpr DWORD kQuadrants[4] = {0xFF0000, 0x0000FF, 0x00FF00, 0xFFFFFF};

std::string ExeDirectory() {
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    return std::string(exe, strrchr(exe, '\\') + 1);
}

DWORD PixelAt(const DibBlock* block, int x, int y) {
    return reinterpret_cast<const DWORD*>(block->pixels)[y * DibWidth(block) + x] & 0xFFFFFF;
}

bool Near(DWORD expected, DWORD actual) {
    for (int shift = 0; shift < 24; shift += 8) {
        const int e = (expected >> shift) & 0xFF, a = (actual >> shift) & 0xFF;
        if (std::abs(e - a) > 24) return false;
    }
    return true;
}

// The middle of each quadrant of a width x height block holds its colour.
void ExpectQuadrants(const DibBlock* block, const char* what) {
    const int w = DibWidth(block), h = DibHeight(block);
    for (int q = 0; q < 4; ++q) {
        const int x = (q % 2) ? w * 3 / 4 : w / 4, y = (q / 2) ? h * 3 / 4 : h / 4;
        EXPECT_TRUE(Near(kQuadrants[q], PixelAt(block, x, y)))
            << what << " quadrant " << q << ": expected " << std::hex << kQuadrants[q] << ", got "
            << PixelAt(block, x, y);
    }
}

struct Ends {
    HANDLE ended = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::string how;
    int lastRowsDone = 0, rowsTotal = 0;  // of the last row report
    ~Ends() { CloseHandle(ended); }
    static void Rows(void* c, const LoadRows* rows) {
        static_cast<Ends*>(c)->lastRowsDone = rows->rowsDone;
        static_cast<Ends*>(c)->rowsTotal = rows->rowsTotal;
    }
    static void Loaded(void* c) { static_cast<Ends*>(c)->End("loaded"); }
    static void Failed(void* c, const char*) { static_cast<Ends*>(c)->End("decode-error"); }
    static void Unreadable(void* c, const char*) { static_cast<Ends*>(c)->End("unreadable"); }
    void End(const char* what) {
        how = what;
        SetEvent(ended);
    }
};

class HugePictureTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string bin = ExeDirectory() + "..\\bin\\";
        ASSERT_TRUE(BindLorimel(api, (bin + "Lorimel.dll").c_str()));
        ASSERT_EQ(1, api.InitImageLibrary(bin.c_str()));
        SetImageLibrary(&api);
    }
    void SetUp() override {
        dir_ = ExeDirectory() + "scratch-huge-" + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryA(dir_.c_str(), nullptr);
        SetCacheDirectory(dir_);
        ClearCacheFiles();
        memory_ = GetMagickResourceLimit(MemoryResource);
        map_ = GetMagickResourceLimit(MapResource);
        disk_ = GetMagickResourceLimit(DiskResource);
        SetPictureBudget(kWidth * kHeight / 4);
        LoaderSink sink = {&ends_, nullptr, nullptr, Ends::Rows, nullptr, Ends::Loaded, Ends::Unreadable,
                           Ends::Failed};
        SetPictureLoaderSink(sink);
    }
    void TearDown() override {
        StopPictureLoader();
        FreeCurrentPicture();
        SetPictureBudget(0);
        SetMagickResourceLimit(MemoryResource, memory_);
        SetMagickResourceLimit(MapResource, map_);
        SetMagickResourceLimit(DiskResource, disk_);
        CloseCacheFiles();
        ClearCacheFiles();
        RemoveDirectoryA(GetCacheDirectory().c_str());
        for (const std::string& file : files_) DeleteFileA(file.c_str());
        RemoveDirectoryA(dir_.c_str());
    }

    // The four-quadrant picture written by the library in the given format.
    std::string Write(const char* format, const char* extension) {
        const std::string path = dir_ + "big." + extension;
        files_.push_back(path);
        DibBlock* dib = CreateDib(kWidth, kHeight);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                reinterpret_cast<DWORD*>(dib->pixels)[y * kWidth + x] =
                    kQuadrants[(y >= kHeight / 2) * 2 + (x >= kWidth / 2)];
        LorimelHandle file = api.OpenImageFile(path.c_str(), "wb", format, 0);
        LorimelWriteInfo info = {0, kWidth, kHeight, 0, 0, 90};
        EXPECT_TRUE(file && api.WriteImageFile(file, dib, &info)) << format;
        if (file) api.CloseImageFile(file);
        FreeDib(dib);
        return path;
    }
    ThumbnailResult Thumbnail(const std::string& path, ThumbnailSet* set) {
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
        ThumbnailRequest request;
        request.path = path.c_str();
        request.lastWrite = data.ftLastWriteTime;
        request.fileSize = data.nFileSizeLow;
        return MakeThumbnails(request, set);
    }
    std::string View(const std::string& path) {
        ResetEvent(ends_.ended);
        ends_.how.clear();
        ends_.lastRowsDone = ends_.rowsTotal = 0;
        if (!RequestPicture(path.c_str())) return "not started";
        if (WaitForSingleObject(ends_.ended, 60000) != WAIT_OBJECT_0) return "no end";
        StopPictureLoader();
        return ends_.how;
    }
    // The core keeps at most a few kilobytes of pixels in memory: every page
    // goes to a cache file.
    void PagesToCacheFiles() {
        SetMagickResourceLimit(MemoryResource, 64 * 1024);
        SetMagickResourceLimit(MapResource, 0);
    }

    static LorimelApi api;
    std::string dir_;
    std::vector<std::string> files_;
    Ends ends_;
    MagickSizeType memory_ = 0, map_ = 0, disk_ = 0;
};
LorimelApi HugePictureTest::api;

TEST_F(HugePictureTest, OverTheBudgetTheThumbnailAndAReducedPictureAreMade) {
    struct Row {
        const char* format;
        const char* extension;
        bool cacheFile;  // the core holds the page in a cache file
    } rows[] = {
        {"PNG", "png", false},
        {"PNG", "png", true},
        {"JPEG", "jpg", true},  // scaled inside the decoder
        {"TIFF", "tif", true},
    };
    const SIZE held = BudgetedPictureSize(kWidth, kHeight);
    ASSERT_EQ(600, held.cx);
    ASSERT_EQ(400, held.cy);
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.format) + (row.cacheFile ? " through a cache file" : ""));
        const std::string path = Write(row.format, row.extension);
        if (row.cacheFile) PagesToCacheFiles();

        ThumbnailSet set;
        ASSERT_EQ(ThumbnailResult::Made, Thumbnail(path, &set));
        EXPECT_EQ(48, DibWidth(set.frames[0]));
        EXPECT_EQ(32, DibHeight(set.frames[0]));
        EXPECT_EQ(0u, set.infoText.find("1200x800")) << set.infoText;
        ExpectQuadrants(set.frames[0], "thumbnail");
        FreeThumbnailSet(&set);

        ASSERT_EQ("loaded", View(path));
        const PictureDocument& doc = CurrentDocument();
        ASSERT_NE(nullptr, doc.picture);
        EXPECT_EQ(held.cx, DibWidth(doc.picture->working));
        EXPECT_EQ(held.cy, DibHeight(doc.picture->working));
        EXPECT_EQ(kWidth, doc.fileWidth);
        EXPECT_EQ(kHeight, doc.fileHeight);
        EXPECT_EQ(doc.picture, doc.reducedPicture);
        // The status bar's progress counts rows of the picture shown.
        EXPECT_EQ(held.cy, ends_.rowsTotal);
        EXPECT_GT(ends_.lastRowsDone, held.cy / 2);
        ExpectQuadrants(doc.picture->working, "viewer picture");

        SetMagickResourceLimit(MemoryResource, memory_);
        SetMagickResourceLimit(MapResource, map_);
        ClearCacheFiles();
        DeleteFileA(path.c_str());
    }

    // Within the budget the same picture is held whole.
    SetPictureBudget(0);
    const std::string path = Write("PNG", "png");
    ASSERT_EQ("loaded", View(path));
    EXPECT_EQ(kWidth, DibWidth(CurrentDocument().picture->working));
    EXPECT_EQ(nullptr, CurrentDocument().reducedPicture);
}

TEST_F(HugePictureTest, APageTheCoreHasNoRoomForIsADecodeErrorAndTheNextOneOpens) {
    const std::string path = Write("PNG", "png");
    PagesToCacheFiles();
    SetMagickResourceLimit(DiskResource, 0);

    ThumbnailSet set;
    EXPECT_EQ(ThumbnailResult::Failed, Thumbnail(path, &set));
    EXPECT_EQ(0, set.frameCount);
    EXPECT_EQ("decode-error", View(path)) << "the viewer shows its decode error message";

    SetMagickResourceLimit(DiskResource, disk_);
    ClearCacheFiles();
    ASSERT_EQ(ThumbnailResult::Made, Thumbnail(path, &set));
    FreeThumbnailSet(&set);
    ASSERT_EQ("loaded", View(path));
    ExpectQuadrants(CurrentDocument().picture->working, "viewer picture");
}

}  // namespace
