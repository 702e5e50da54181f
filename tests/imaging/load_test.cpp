// Loading pictures through the bound picture file library.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "imaging_test_util.h"
#include "load.h"

namespace {

std::string Beside(const std::string& relative) {
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    std::string dir(exe);
    return dir.substr(0, dir.find_last_of('\\') + 1) + relative;
}

class LoadTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string bin = Beside("..\\bin\\");
        ASSERT_TRUE(BindLorimel(api, (bin + "Lorimel.dll").c_str()));
        ASSERT_EQ(1, api.InitImageLibrary(bin.c_str()));
        SetImageLibrary(&api);
    }
    static LorimelApi api;
};
LorimelApi LoadTest::api;

TEST_F(LoadTest, FirstPageOfAFileAsABare32BitBlock) {
    DibPtr dib(LoadFirstPageDib(Beside("..\\samples\\bmp-24bit.bmp").c_str()));
    ASSERT_NE(nullptr, dib);
    EXPECT_EQ(32, dib->header->biBitCount);
    EXPECT_EQ(160, DibWidth(dib.get()));
    EXPECT_EQ(120, DibHeight(dib.get()));
    EXPECT_LT(dib->header->biHeight, 0) << "top-down";

    DibPtr page(LoadFirstPageDib(Beside("..\\samples\\multipage.tif").c_str()));
    ASSERT_NE(nullptr, page);
    // Page 0 is the red one.
    DWORD corner = Pixels32(page.get())[0];
    EXPECT_GT((corner >> 16) & 0xFF, 100u);

    EXPECT_EQ(nullptr, LoadFirstPageDib(Beside("..\\samples\\no-such.png").c_str()));
    EXPECT_EQ(nullptr, LoadFirstPageDib(Beside("load_test_not_a_picture").c_str()));
    EXPECT_EQ(nullptr, LoadFirstPageDib(""));
    EXPECT_EQ(nullptr, LoadFirstPageDib(nullptr));
}

TEST_F(LoadTest, PagesOfAnOpenFileAsPictures) {
    std::string path = Beside("..\\samples\\multipage.tif");
    char format[200] = {};
    ASSERT_EQ(1, api.DetectImageFormat(path.c_str(), format));
    LorimelHandle file = api.OpenImageFile(path.c_str(), "rb", format, 0);
    ASSERT_NE(nullptr, file);
    ASSERT_EQ(3, api.ReadImageHeader(file));
    BYTE reds[3] = {}, blues[3] = {};
    for (int page = 0; page < 3; ++page) {
        Picture* picture = LoadPagePicture(file, page);
        ASSERT_NE(nullptr, picture) << page;
        EXPECT_EQ(160, DibWidth(picture->working));
        DWORD corner = Pixels32(picture->working)[0];
        reds[page] = (corner >> 16) & 0xFF;
        blues[page] = corner & 0xFF;
        FreePicture(picture);
    }
    EXPECT_GT(reds[0], reds[2]);
    EXPECT_GT(blues[2], blues[0]) << "the third page is the blue one";
    EXPECT_EQ(nullptr, LoadPagePicture(file, 3));
    EXPECT_EQ(nullptr, LoadPagePicture(file, -1));
    EXPECT_EQ(nullptr, LoadPagePicture(nullptr, 0));
    api.CloseImageFile(file);
}

}  // namespace
