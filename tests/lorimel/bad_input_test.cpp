// Bad input gives the documented 0 result: never a crash, a hang or a message.
#include "lorimel_fixture.h"

namespace {

class LorimelBadInputTest : public LorimelTest {
protected:
    // A small valid file of the given format, written through the library.
    static std::vector<BYTE> ValidFile(const char* format) {
        TestDib dib = MakeDib(40, 30, 24);
        for (size_t i = 0; i < dib.rowBytes * 30; ++i) dib.pixels()[i] = static_cast<BYTE>(i * 7);
        std::string path = Scratch(std::string("valid.") + format);
        EXPECT_EQ(1, WriteDib(path, format, dib));
        return ReadBytes(path);
    }
};

// Decodes under a recovery point, as the viewer does; a fatal error inside
// the core comes back here as a failed decode.
Decoded DecodeGuarded(const std::string& path) {
    static Decoded failed;
    static jmp_buf jump;
    if (LorimelRecoveryPoint(jump) != 0) return failed;
    return DecodeFile(path);
}

}  // namespace

TEST_F(LorimelBadInputTest, NullAndEmptyArgumentsAreRefused) {
    char format[200] = {};
    EXPECT_EQ(0, api.DetectImageFormat(nullptr, format));
    EXPECT_EQ(0, api.DetectImageFormat("", format));
    EXPECT_EQ(0, api.DetectImageFormat("x.png", nullptr));
    EXPECT_EQ(nullptr, api.OpenImageFile(nullptr, "rb", "PNG", 0));
    EXPECT_EQ(nullptr, api.OpenImageFile("", "rb", "PNG", 0));
    EXPECT_EQ(nullptr, api.OpenImageFile("x.png", nullptr, "PNG", 0));
    EXPECT_EQ(nullptr, api.OpenImageFile("x.png", "rb", nullptr, 0));
    EXPECT_EQ(0, api.ReadImageHeader(nullptr));
    EXPECT_EQ(0, api.GetImagePageInfo(nullptr, nullptr));
    EXPECT_EQ(0, api.ReadImagePixels(nullptr, format, 1, 1, 0));
    EXPECT_EQ(0, api.WriteImageFile(nullptr, nullptr, nullptr));
    EXPECT_EQ(0, api.HandleFormatFlag1(nullptr));
    EXPECT_EQ(0, api.GetImagePageDelay(nullptr, 0));
    api.CloseImageFile(nullptr);
}

TEST_F(LorimelBadInputTest, ModesAreCheckedAndKeptApart) {
    std::string png = Scratch("mode.png");
    WriteBytes(png, ValidFile("PNG"));
    EXPECT_EQ(nullptr, api.OpenImageFile(png.c_str(), "rbxx", "PNG", 0)) << "four characters";
    EXPECT_EQ(nullptr, api.OpenImageFile(png.c_str(), "", "PNG", 0));
    EXPECT_EQ(nullptr, api.OpenImageFile(png.c_str(), "rb", "NOSUCHFORMAT", 0));
    EXPECT_EQ(nullptr, api.OpenImageFileAuto(png.c_str(), "rb", 0)) << "auto takes one character";

    LorimelHandle reader = api.OpenImageFileAuto(png.c_str(), "r", 0);
    ASSERT_NE(nullptr, reader);
    TestDib dib = MakeDib(4, 4, 32);
    LorimelWriteInfo info{0, 4, 4, 0, 0, 75};
    const std::vector<BYTE> before = ReadBytes(png);
    EXPECT_EQ(0, api.WriteImageFile(reader, dib.get(), &info)) << "write on a read handle";
    api.CloseImageFile(reader);
    EXPECT_EQ(before, ReadBytes(png)) << "nothing written";

    std::string out = Scratch("mode-out.png");
    LorimelHandle writer = api.OpenImageFile(out.c_str(), "wb", "PNG", 0);
    ASSERT_NE(nullptr, writer);
    EXPECT_EQ(0, api.ReadImageHeader(writer));
    LorimelPageInfo page{};
    EXPECT_EQ(0, api.GetImagePageInfo(writer, &page));
    EXPECT_EQ(0, api.HandleFormatFlag1(writer));
    EXPECT_EQ(0, api.WriteImageFile(writer, nullptr, &info)) << "no DIB block";
    api.CloseImageFile(writer);
}

TEST_F(LorimelBadInputTest, PageIndexOutOfRange) {
    std::string png = Scratch("pages.png");
    WriteBytes(png, ValidFile("PNG"));
    LorimelHandle h = api.OpenImageFile(png.c_str(), "rb", "PNG", 0);
    ASSERT_NE(nullptr, h);
    std::vector<DWORD> pixels(40 * 30);
    EXPECT_EQ(0, api.ReadImagePixels(h, pixels.data(), 40, 30, 0)) << "before the header";
    ASSERT_EQ(1, api.ReadImageHeader(h));
    LorimelPageInfo info{};
    info.page = 1;
    EXPECT_EQ(0, api.GetImagePageInfo(h, &info)) << "index equal to the count";
    info.page = -1;
    EXPECT_EQ(0, api.GetImagePageInfo(h, &info));
    EXPECT_EQ(0, api.ReadImagePixels(h, pixels.data(), 40, 30, 1));
    EXPECT_EQ(0, api.ReadImagePixels(h, pixels.data(), 40, 30, -1));
    EXPECT_EQ(0, api.ReadImagePixels(h, nullptr, 40, 30, 0));
    info.page = 0;
    EXPECT_EQ(1, api.GetImagePageInfo(h, &info));
    EXPECT_EQ(1, api.ReadImagePixels(h, pixels.data(), 40, 30, 0));
    api.CloseImageFile(h);
}

TEST_F(LorimelBadInputTest, MissingEmptyDirectoryAndLyingFiles) {
    char format[200] = {};
    EXPECT_EQ(0, api.DetectImageFormat(Scratch("no-such-file.png").c_str(), format));
    EXPECT_EQ(nullptr, api.OpenImageFile(Scratch("no-such-file.png").c_str(), "rb", "PNG", 0));
    EXPECT_EQ(0, api.DetectImageFormat(Scratch("").c_str(), format)) << "a directory";
    EXPECT_EQ(nullptr, api.OpenImageFile(Scratch("").c_str(), "rb", "PNG", 0));

    std::string empty = Scratch("empty.jpg");
    WriteBytes(empty, {});
    EXPECT_EQ(0, api.DetectImageFormat(empty.c_str(), format));
    Decoded d = DecodeFile(empty);
    EXPECT_EQ(0, d.result);

    // A PNG that calls itself a JPEG, and one with no extension at all.
    std::vector<BYTE> png = ValidFile("PNG");
    for (const char* name : {"lies.jpg", "noextension"}) {
        SCOPED_TRACE(name);
        std::string path = Scratch(name);
        WriteBytes(path, png);
        std::fill(format, format + sizeof format, 0);
        ASSERT_EQ(1, api.DetectImageFormat(path.c_str(), format));
        EXPECT_STREQ("PNG", format);
        Decoded d = DecodeFile(path);
        EXPECT_EQ(1, d.result);
        EXPECT_EQ(40, d.info.width);
    }
}

TEST_F(LorimelBadInputTest, TruncatedFilesFailOrDecodePartlyWithoutHarm) {
    for (const char* f : {"JPEG", "PNG", "GIF", "TIFF", "BMP"}) {
        std::vector<BYTE> whole = ValidFile(f);
        ASSERT_GT(whole.size(), 64u) << f;
        for (size_t keep : {size_t{8}, size_t{40}, whole.size() / 2, whole.size() - 1}) {
            SCOPED_TRACE(std::string(f) + " keeping " + std::to_string(keep));
            std::string path = Scratch(std::string("cut-") + std::to_string(keep) + "." + f);
            WriteBytes(path, std::vector<BYTE>(whole.begin(), whole.begin() + keep));
            Decoded d = DecodeGuarded(path);
            EXPECT_LE(d.result, 1);
            if (d.result) {
                EXPECT_EQ(40u * 30u, d.pixels.size());
            }
        }
    }
}

TEST_F(LorimelBadInputTest, PathsUpTo259CharactersWork) {
    // Scratch folder + nested folder names + file name = exactly 259 characters.
    std::string base = Scratch("");
    std::string dir = base;
    while (dir.size() + 100 < 259 - 12) {
        dir += std::string(90, 'd') + "\\";
        CreateDirectoryA(dir.c_str(), nullptr);
    }
    std::string file = dir + std::string(259 - dir.size() - 4, 'p') + ".png";
    ASSERT_EQ(259u, file.size());
    TestDib dib = MakeDib(5, 5, 32);
    ASSERT_EQ(1, WriteDib(file, "PNG", dib));
    Decoded d = DecodeFile(file);
    EXPECT_EQ(1, d.result);
    EXPECT_EQ("PNG", d.format);

    std::string tooLong = file + "x";
    EXPECT_EQ(nullptr, api.OpenImageFile(tooLong.c_str(), "wb", "PNG", 0));
}
