// Making thumbnails: the fitting and sampling rules, icon copies, and real
// samples decoded through the picture file library and read back from the
// cache.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <deque>
#include <string>

#include "load.h"
#include "thumbnail_maker.h"

namespace {

std::string ExeDirectory() {
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    return std::string(exe, strrchr(exe, '\\') + 1);
}

DWORD* Pixels(DibBlock* block) { return reinterpret_cast<DWORD*>(block->pixels); }

void ExpectSize(int width, int height, SIZE size) {
    EXPECT_EQ(width, size.cx);
    EXPECT_EQ(height, size.cy);
}

TEST(ThumbnailRules, FittingIntoTheCellBox) {
    const SIZE box = ThumbnailBox(64, 64, 6, 6);
    ExpectSize(48, 48, box);
    ExpectSize(48, 48, ThumbnailBox(64, 64, 0, -3));
    ExpectSize(40, 30, FitIntoBox(box.cx, box.cy, 40, 30));   // never enlarged
    ExpectSize(48, 12, FitIntoBox(box.cx, box.cy, 400, 100));
    ExpectSize(6, 48, FitIntoBox(box.cx, box.cy, 3, 500));
    ExpectSize(48, 6, FitIntoBox(box.cx, box.cy, 1000, 2));
    ExpectSize(6, 6, FitIntoBox(box.cx, box.cy, 2, 5));
    ExpectSize(42, 48, FitIntoBox(box.cx, box.cy, 140, 160));  // 140 * 48 / 160
}

TEST(ThumbnailRules, PagesAreSampledEvenly) {
    std::vector<int> pages = SampledPages(200, false);
    ASSERT_EQ(64u, pages.size());
    EXPECT_EQ(0, pages[0]);
    EXPECT_EQ(3, pages[1]);
    EXPECT_EQ(189, pages.back());
    pages = SampledPages(200, true);
    ASSERT_EQ(32u, pages.size());
    EXPECT_EQ(6, pages[1]);
    EXPECT_EQ(186, pages.back());
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4}), SampledPages(5, true));
    EXPECT_EQ(63, SampledPages(127, false).back());
    EXPECT_TRUE(SampledPages(0, false).empty());
}

TEST(ThumbnailRules, InfoTextAndDimensionKey) {
    EXPECT_EQ("640x480x2", PictureInfoText(640, 480, 1));
    EXPECT_EQ("640x480x256", PictureInfoText(640, 480, 8));
    EXPECT_EQ("5x7x32K", PictureInfoText(5, 7, 15));
    EXPECT_EQ("5x7x16M", PictureInfoText(5, 7, 24));
    EXPECT_EQ("5x7x0", PictureInfoText(5, 7, 12));
    EXPECT_EQ(8u * (1250u * 640 + 4u * 480 + 24), PictureDimensionKey(640, 480, 24));
    // Wider pictures sort after taller ones of the same area.
    EXPECT_GT(PictureDimensionKey(2, 1, 8), PictureDimensionKey(1, 2, 8));
}

TEST(ThumbnailRules, IconCopies) {
    DibBlock* wide = CreateDib(48, 12);
    DibBlock* copy = MakeIconCopy(wide, 32, 32);
    ASSERT_NE(nullptr, copy);
    EXPECT_EQ(32, DibWidth(copy));
    EXPECT_EQ(8, DibHeight(copy));
    FreeDib(copy);
    copy = MakeIconCopy(wide, 16, 16);
    EXPECT_EQ(16, DibWidth(copy));
    EXPECT_EQ(6, DibHeight(copy));  // 4 raised to 6
    FreeDib(copy);
    FreeDib(wide);

    DibBlock* small = CreateDib(20, 10);
    for (int i = 0; i < 200; ++i) Pixels(small)[i] = 0x010203u * i;
    copy = MakeIconCopy(small, 32, 32);
    ASSERT_NE(nullptr, copy);
    EXPECT_NE(small, copy);
    EXPECT_EQ(20, DibWidth(copy));
    EXPECT_EQ(0, memcmp(Pixels(small), Pixels(copy), 200 * 4));
    FreeDib(copy);
    FreeDib(small);
}

class ThumbnailMakerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string bin = ExeDirectory() + "..\\bin\\";
        ASSERT_TRUE(BindLorimel(api, (bin + "Lorimel.dll").c_str()));
        ASSERT_EQ(1, api.InitImageLibrary(bin.c_str()));
        SetImageLibrary(&api);
    }
    void SetUp() override {
        dir_ = ExeDirectory() + "scratch-maker-" + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryA(dir_.c_str(), nullptr);
        SetCacheDirectory(dir_);
        ClearCacheFiles();
    }
    void TearDown() override {
        CloseCacheFiles();
        ClearCacheFiles();
        RemoveDirectoryA(GetCacheDirectory().c_str());
        for (const std::string& file : copies_) DeleteFileA(file.c_str());
        RemoveDirectoryA(dir_.c_str());
    }
    // A copy of a sample in the scratch folder, as a request with its keys.
    ThumbnailRequest Copy(const char* sample) {
        std::string to = dir_ + sample;
        paths_.push_back(to);
        copies_.push_back(to);
        EXPECT_TRUE(CopyFileA((ExeDirectory() + "..\\samples\\" + sample).c_str(), to.c_str(), FALSE));
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        EXPECT_TRUE(GetFileAttributesExA(to.c_str(), GetFileExInfoStandard, &data));
        ThumbnailRequest request;
        request.path = paths_.back().c_str();
        request.lastWrite = data.ftLastWriteTime;
        request.fileSize = data.nFileSizeLow;
        return request;
    }
    static LorimelApi api;
    std::string dir_;
    std::deque<std::string> paths_;  // requests point into these
    std::vector<std::string> copies_;
};
LorimelApi ThumbnailMakerTest::api;

TEST_F(ThumbnailMakerTest, StillPictureDecodedOnceThenTakenFromTheOneShotCache) {
    ThumbnailRequest request = Copy("photo.jpg");
    ThumbnailSet made;
    ASSERT_EQ(ThumbnailResult::Made, MakeThumbnails(request, &made));
    EXPECT_FALSE(made.fromCache);
    EXPECT_TRUE(made.stored);
    ASSERT_EQ(1, made.frameCount);
    const CacheFrameInfo& page = made.infos[0];
    EXPECT_EQ(PictureInfoText(page.width, page.height, page.bitsPerPixel), made.infoText);
    EXPECT_EQ(PictureDimensionKey(page.width, page.height, page.bitsPerPixel), made.dimensionKey);
    EXPECT_EQ(0u, made.infoText.find(std::to_string(page.width) + "x" + std::to_string(page.height)));
    const SIZE fitted = FitIntoBox(48, 48, page.width, page.height);
    EXPECT_EQ(fitted.cx, DibWidth(made.frames[0]));
    EXPECT_EQ(fitted.cy, DibHeight(made.frames[0]));
    EXPECT_FALSE(made.format.empty());
    int lit = 0;
    for (int i = 0; i < fitted.cx * fitted.cy; ++i) lit += (Pixels(made.frames[0])[i] & 0xFFFFFF) != 0;
    EXPECT_GT(lit, fitted.cx * fitted.cy / 2) << "the picture was decoded";
    EXPECT_GT(page.width, 48) << "the sample must be reduced";

    // The file is gone, so only the cache can answer.
    ASSERT_TRUE(DeleteFileA(request.path));
    ThumbnailSet cached;
    ASSERT_EQ(ThumbnailResult::Made, MakeThumbnails(request, &cached));
    EXPECT_TRUE(cached.fromCache);
    ASSERT_EQ(1, cached.frameCount);
    EXPECT_EQ(made.infoText, cached.infoText);
    EXPECT_EQ(made.format, cached.format);
    ASSERT_EQ(DibWidth(made.frames[0]), DibWidth(cached.frames[0]));
    ASSERT_EQ(DibHeight(made.frames[0]), DibHeight(cached.frames[0]));
    // The cache keeps red, green and blue; the spare byte is not compared.
    const int count = DibWidth(made.frames[0]) * DibHeight(made.frames[0]);
    for (int i = 0; i < count; ++i)
        ASSERT_EQ(Pixels(made.frames[0])[i] & 0xFFFFFF, Pixels(cached.frames[0])[i] & 0xFFFFFF) << i;
    FreeThumbnailSet(&made);
    FreeThumbnailSet(&cached);
}

TEST_F(ThumbnailMakerTest, AnimationFramesThroughTheFolderCache) {
    ThumbnailRequest request = Copy("animated-parts.gif");
    request.boxWidth = request.boxHeight = 20;
    ASSERT_EQ(1, OpenFolderCache(dir_));
    ThumbnailSet made;
    ASSERT_EQ(ThumbnailResult::Made, MakeThumbnails(request, &made));
    EXPECT_TRUE(made.stored);
    ASSERT_GE(made.frameCount, 2);
    const int firstWidth = DibWidth(made.frames[0]);
    const int firstHeight = DibHeight(made.frames[0]);
    EXPECT_LE(firstWidth, 20);
    EXPECT_LE(firstHeight, 20);
    for (int k = 1; k < made.frameCount; ++k) {
        ASSERT_NE(nullptr, made.frames[k]);
        EXPECT_EQ(k, made.infos[k].frameIndex);
        EXPECT_LE(DibWidth(made.frames[k]), firstWidth < 6 ? 6 : firstWidth) << k;
        EXPECT_LE(DibHeight(made.frames[k]), firstHeight < 6 ? 6 : firstHeight) << k;
        EXPECT_GE(DibWidth(made.frames[k]), 6) << k;
        EXPECT_GE(DibHeight(made.frames[k]), 6) << k;
    }
    CloseFolderCache();

    ASSERT_TRUE(DeleteFileA(request.path));
    ASSERT_EQ(1, OpenFolderCache(dir_));
    ThumbnailSet cached;
    ASSERT_EQ(ThumbnailResult::Made, MakeThumbnails(request, &cached));
    EXPECT_TRUE(cached.fromCache);
    EXPECT_EQ(made.frameCount, cached.frameCount);
    EXPECT_EQ(made.infoText, cached.infoText);
    for (int k = 0; k < made.frameCount; ++k)
        EXPECT_EQ(DibWidth(made.frames[k]), DibWidth(cached.frames[k])) << k;

    // Other keys: not known to the cache, and the file is gone.
    request.fileSize += 1;
    EXPECT_EQ(ThumbnailResult::NotPicture, MakeThumbnails(request, &cached));
    EXPECT_EQ(0, cached.frameCount);
    CloseFolderCache();
    FreeThumbnailSet(&made);
}

TEST_F(ThumbnailMakerTest, NonPicturesAndStopping) {
    std::string text = dir_ + "notes.txt";
    copies_.push_back(text);
    HANDLE file = CreateFileA(text.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, "just some words\r\n", 17, &written, nullptr);
    CloseHandle(file);

    ThumbnailRequest request;
    request.path = text.c_str();
    ThumbnailSet set;
    EXPECT_EQ(ThumbnailResult::NotPicture, MakeThumbnails(request, &set));
    ASSERT_EQ(1, OpenFolderCache(dir_));
    EXPECT_EQ(ThumbnailResult::NotPicture, MakeThumbnails(request, &set));
    CloseFolderCache();
    EXPECT_EQ(0, set.frameCount);
    EXPECT_EQ(nullptr, set.frames[0]);
    request.path = "";
    EXPECT_EQ(ThumbnailResult::NotPicture, MakeThumbnails(request, &set));

    // A stop before the decode leaves nothing made and nothing stored.
    ThumbnailRequest photo = Copy("photo.jpg");
    volatile LONG stop = 1;
    photo.stop = &stop;
    EXPECT_EQ(ThumbnailResult::Stopped, MakeThumbnails(photo, &set));
    EXPECT_EQ(0, set.frameCount);
    stop = 0;
    ASSERT_EQ(ThumbnailResult::Made, MakeThumbnails(photo, &set));
    EXPECT_FALSE(set.fromCache) << "the stopped call stored nothing";
    FreeThumbnailSet(&set);
}

}  // namespace
