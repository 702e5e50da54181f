// Saving through the real picture file library: every depth a BMP can be
// saved at reads back at that depth with the converted pixels, the quality
// reaches the encoder clamped, the formats' masks choose the first depth,
// targets that must fail leave every file as it was and no temporary file,
// a file is replaced where MoveFileEx is missing, and the names of saved
// files and frames.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "file_replace.h"
#include "imaging_test_util.h"
#include "load.h"
#include "picture_types.h"
#include "save.h"
#include "save_names.h"
#include "shell_test_files.h"

namespace {

std::string Scratch(const std::string& name) { return Beside("scratch-save\\" + name); }

void PutFileBytes(const std::string& path, const std::string& text) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, f) << path;
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
}

// Names in a folder that the save routine's temporary files would have.
std::vector<std::string> TemporaryFiles(const std::string& folder) {
    std::vector<std::string> found;
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((folder + "~*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return found;
    do found.push_back(data.cFileName);
    while (FindNextFileA(search, &data));
    FindClose(search);
    return found;
}

struct Stored {
    LONG bits = 0, width = 0, height = 0;
    std::string format;
};

Stored Describe(const std::string& path) {
    Stored s;
    const LorimelApi* api = ImageLibrary();
    char format[kLorimelFormatChars] = {};
    if (!api->DetectImageFormat(path.c_str(), format)) return s;
    s.format = format;
    LorimelHandle h = api->OpenImageFile(path.c_str(), "rb", format, 0);
    if (!h) return s;
    LorimelPageInfo info[2] = {};
    if (api->ReadImageHeader(h) >= 1 && api->GetImagePageInfo(h, &info[0])) {
        s.bits = info[0].bitsPerPixel;
        s.width = info[0].width;
        s.height = info[0].height;
    }
    api->CloseImageFile(h);
    return s;
}

// A picture whose colours change along both axes.
DibPtr Pattern(int width, int height) {
    DibPtr dib(CreateDib(width, height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            Pixels32(dib.get())[y * width + x] = Bgr(static_cast<BYTE>(x * 37), static_cast<BYTE>(y * 53),
                                                     static_cast<BYTE>((x + y) * 11));
    return dib;
}

// Pixels that no encoder can pack small (a fixed sequence: failures repeat).
DibPtr Noise(int width, int height) {
    DibPtr dib(CreateDib(width, height));
    DWORD state = 12345;
    for (int i = 0; i < width * height; ++i) {
        state = state * 1103515245u + 12345u;
        Pixels32(dib.get())[i] = state >> 8;
    }
    return dib;
}

// The colour a converted block holds at (x, y), widened to 8 bits a channel
// the way a reader widens 5- and 6-bit channels (the top bits repeated).
DWORD ColourAt(DibBlock* block, int x, int y) {
    const int bits = block->header->biBitCount;
    const BYTE* row = Row(block, y);
    if (bits <= 8) {
        int index;
        if (bits == 8) index = row[x];
        else if (bits == 4) index = (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
        else if (bits == 2) index = (row[x >> 2] >> (6 - 2 * (x & 3))) & 3;
        else index = (row[x >> 3] >> (7 - (x & 7))) & 1;
        const RGBQUAD c = DibColors(block)[index];
        return Bgr(c.rgbBlue, c.rgbGreen, c.rgbRed);
    }
    if (bits == 16) {
        const unsigned v = row[2 * x] | row[2 * x + 1] << 8;
        const bool six = block->header->biCompression == BI_BITFIELDS;
        const unsigned r = six ? v >> 11 : (v >> 10) & 31, g = six ? (v >> 5) & 63 : (v >> 5) & 31, b = v & 31;
        const BYTE green = six ? static_cast<BYTE>(g << 2 | g >> 4) : static_cast<BYTE>(g << 3 | g >> 2);
        return Bgr(static_cast<BYTE>(b << 3 | b >> 2), green, static_cast<BYTE>(r << 3 | r >> 2));
    }
    if (bits == 24) return Bgr(row[3 * x], row[3 * x + 1], row[3 * x + 2]);
    return reinterpret_cast<const DWORD*>(row)[x] & 0xFFFFFF;
}

class SaveTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(EnsureImageLibrary());
        BuildPictureTypes(ImageLibrary());
        RemoveTree(Scratch(""));
        CreateDirectoryA(Scratch("").c_str(), nullptr);
    }
};

TEST_F(SaveTest, BmpAtEveryDepthReadsBackAtThatDepthWithTheConvertedPixels) {
    const int w = 37, h = 23;  // odd width: padded rows at every depth
    DibPtr source = Pattern(w, h);
    const LONG expected[kSaveDepthCount] = {1, 2, 4, 8, 15, 16, 24, 32, 8};
    for (int depth = 0; depth < kSaveDepthCount; ++depth) {
        SCOPED_TRACE(depth);
        DibPtr converted(CreateDib(w, h));
        ASSERT_EQ(1, ConvertForSave(source.get(), converted.get(), depth));
        const std::string path = Scratch("depth" + std::to_string(depth) + ".bmp");
        ASSERT_EQ(1, SaveDibToFile(path.c_str(), "BMP", converted.get(), 75));
        const Stored stored = Describe(path);
        EXPECT_EQ("BMP", stored.format);
        EXPECT_EQ(expected[depth], stored.bits);
        DibPtr back(LoadFirstPageDib(path.c_str()));
        ASSERT_NE(nullptr, back);
        ASSERT_EQ(w, DibWidth(back.get()));
        ASSERT_EQ(h, DibHeight(back.get()));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(ColourAt(converted.get(), x, y), Pixels32(back.get())[y * w + x] & 0xFFFFFF) << x << "," << y;
    }
}

TEST_F(SaveTest, JpegAsPngAt256ColoursIsAnEightBitPngOfTheSameSize) {
    DibPtr photo(LoadFirstPageDib(Beside("..\\samples\\photo.jpg").c_str()));
    ASSERT_NE(nullptr, photo);
    DibPtr converted(CreateDib(DibWidth(photo.get()), DibHeight(photo.get())));
    ASSERT_EQ(1, ConvertForSave(photo.get(), converted.get(), kSave256Colors));
    const std::string path = Scratch("photo256.png");
    SaveError error;
    ASSERT_EQ(1, SaveDibToFile(path.c_str(), "PNG", converted.get(), 100, &error)) << error.libraryText;
    const Stored stored = Describe(path);
    EXPECT_EQ("PNG", stored.format);
    EXPECT_EQ(8, stored.bits);
    EXPECT_EQ(640, stored.width);
    EXPECT_EQ(480, stored.height);
}

TEST_F(SaveTest, QualityReachesTheEncoderBetween20And95) {
    DibPtr photo(LoadFirstPageDib(Beside("..\\samples\\photo.jpg").c_str()));
    ASSERT_NE(nullptr, photo);
    auto saved = [&](int quality) {
        const std::string path = Scratch("q" + std::to_string(quality) + ".jpg");
        EXPECT_EQ(1, SaveDibToFile(path.c_str(), "JPEG", photo.get(), quality));
        return FileBytes(path);
    };
    struct Case { int asked, encoded; };
    for (Case c : {Case{0, 20}, Case{100, 95}, Case{20, 20}, Case{95, 95}}) {
        SCOPED_TRACE(c.asked);
        EXPECT_EQ(saved(c.encoded), saved(c.asked));
    }
    EXPECT_NE(saved(20), saved(50)) << "the quality does reach the encoder";
}

TEST_F(SaveTest, TheFirstDepthIsTheHighestUpTo16MElse32BitsElseGrey) {
    struct Case { DWORD mask; int depth; };
    for (Case c : {Case{0x1FF, kSave16M}, Case{0x100, kSaveGray}, Case{0x1C0, kSave16M}, Case{0x180, kSave32Bits},
                   Case{0x280, kSave32Bits}, Case{0x240, kSave16M}, Case{0x1DF, kSave16M}, Case{0x0F, kSave256Colors},
                   Case{0, kSaveGray}}) {
        EXPECT_EQ(c.depth, DefaultSaveDepth(c.mask)) << std::hex << c.mask;
    }
}

TEST_F(SaveTest, TheTypeTableListsTheWritableFormatsWithTheirMasks) {
    struct Case { const char* name; bool writable; DWORD mask; };
    for (Case c : {Case{"BMP", true, 0x1FF}, Case{"BMP24", true, 0x40}, Case{"JPEG", true, 0x280},
                   Case{"JPEG24", true, 0x240}, Case{"ICO", true, 0x1DF}}) {
        const PictureType* type = FindPictureType(c.name);
        ASSERT_NE(nullptr, type) << c.name;
        EXPECT_EQ(c.writable, (type->capabilities & kTypeCanWrite) != 0) << c.name;
        EXPECT_EQ(c.mask, type->saveDepths) << c.name;
    }
    for (int index : WritablePictureTypes()) EXPECT_NE(0u, PictureTypes()[static_cast<size_t>(index)].capabilities & kTypeCanWrite);
    EXPECT_EQ(nullptr, FindPictureType("NO-SUCH-FORMAT"));
}

// Each bad target fails with its reason; the file that was there keeps every
// byte and no temporary file stays in the folder.
TEST_F(SaveTest, BadTargetsFailWithAReasonAndLoseNothing) {
    const std::string folder = Scratch("bad\\");
    CreateDirectoryA(folder.c_str(), nullptr);
    DibPtr small = Pattern(8, 8);
    DibPtr big(CreateDib(4000, 3000));
    std::string longName = folder;
    longName += std::string(kLongestSavePath + 1 - longName.size() - 4, 'n') + ".bmp";   // 260 characters
    struct Case {
        const char* what;
        std::string target;
        const char* format;
        const DibBlock* picture;
        SaveFault fault;
    };
    const Case cases[] = {
        {"read-only file", folder + "readonly.bmp", "BMP", small.get(), SaveFault::ReadOnly},
        {"missing folder", folder + "absent\\new.bmp", "BMP", small.get(), SaveFault::CannotCreate},
        {"a folder as the name", folder + "sub", "BMP", small.get(), SaveFault::IsFolder},
        {"260 characters", longName, "BMP", small.get(), SaveFault::NameTooLong},
        {"icon larger than 256", folder + "old.ico", "ICO", big.get(), SaveFault::Encoder},
        {"unknown format", folder + "old.xyz", "NO-SUCH-FORMAT", small.get(), SaveFault::Encoder},
    };
    CreateDirectoryA((folder + "sub").c_str(), nullptr);
    PutFileBytes(folder + "readonly.bmp", "earlier bytes");
    SetFileAttributesA((folder + "readonly.bmp").c_str(), FILE_ATTRIBUTE_READONLY);
    PutFileBytes(folder + "old.ico", "an earlier icon");
    PutFileBytes(folder + "old.xyz", "earlier");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<unsigned char> before = FileBytes(c.target);
        SaveError error;
        EXPECT_EQ(0, SaveDibToFile(c.target.c_str(), c.format, c.picture, 75, &error));
        EXPECT_EQ(static_cast<int>(c.fault), static_cast<int>(error.fault));
        EXPECT_EQ(before, FileBytes(c.target));
        EXPECT_TRUE(TemporaryFiles(folder).empty());
        EXPECT_EQ(std::string::npos, std::string(error.libraryText).find("~sv")) << "the target is named, not the temporary file";
        if (c.fault == SaveFault::CannotCreate) {
            EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), error.systemError);
        }
    }
    SetFileAttributesA((folder + "readonly.bmp").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(SaveTest, A259CharacterNameIsSavedExactlyThere) {
    const std::string folder = Scratch("long\\");
    CreateDirectoryA(folder.c_str(), nullptr);
    // A short file name leaves the temporary file less room than the usual
    // "~svXXXX.tmp"; it still fits beside it.
    std::string sub = folder + std::string(kLongestSavePath - folder.size() - 6, 'd');
    ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr)) << GetLastError();
    const std::string name = sub + "\\a.bmp";
    ASSERT_EQ(kLongestSavePath, name.size());
    DibPtr small = Pattern(5, 4);
    SaveError error;
    ASSERT_EQ(1, SaveDibToFile(name.c_str(), "BMP", small.get(), 75, &error)) << static_cast<int>(error.fault);
    EXPECT_EQ(5, Describe(name).width);
    EXPECT_TRUE(TemporaryFiles(sub + "\\").empty());
}

// A small file system that fills up: the tests' fixture mounts it beside
// the test program when it can.
TEST_F(SaveTest, AFullDiskIsReportedAndTheEarlierFileKept) {
    const std::string folder = Beside("scratch-full\\");
    ULARGE_INTEGER available{}, total{};
    if (!GetDiskFreeSpaceExA(folder.c_str(), &available, &total, nullptr) || total.QuadPart > (1u << 20))
        GTEST_SKIP() << "no small file system at " << folder;
    const std::string target = folder + "old.bmp";
    PutFileBytes(target, "an earlier picture");
    DibPtr big(CreateDib(1000, 1000));   // 4 MB at 32 bits: more than the disk holds
    SaveError error;
    EXPECT_EQ(0, SaveDibToFile(target.c_str(), "BMP", big.get(), 75, &error));
    EXPECT_EQ(static_cast<int>(SaveFault::Encoder), static_cast<int>(error.fault));
    EXPECT_NE(std::string::npos, std::string(error.libraryText).find("space")) << error.libraryText;
    const std::vector<unsigned char> after = FileBytes(target);
    EXPECT_EQ("an earlier picture", std::string(after.begin(), after.end()));
    EXPECT_TRUE(TemporaryFiles(folder).empty());
    // Through the core's own encoder (PNG): the disk is filled until the
    // picture's last page no longer fits, so every write the encoder makes
    // goes through and only the final flush of the stream's buffer fails.
    DibPtr noise = Noise(300, 200);
    const std::string measured = Scratch("measure.png");
    ASSERT_EQ(1, SaveDibToFile(measured.c_str(), "PNG", noise.get(), 75));
    const ULONGLONG pages = (FileBytes(measured).size() + 4095) / 4096;
    ASSERT_TRUE(GetDiskFreeSpaceExA(folder.c_str(), &available, &total, nullptr));
    ASSERT_GT(available.QuadPart, pages * 4096);
    const std::string filler = folder + "filler";
    PutFileBytes(filler, std::string(static_cast<size_t>(available.QuadPart - (pages - 1) * 4096), 'f'));
    EXPECT_EQ(0, SaveDibToFile((folder + "old.png").c_str(), "PNG", noise.get(), 75, &error));
    EXPECT_NE(std::string::npos, std::string(error.libraryText).find("space")) << error.libraryText;
    EXPECT_FALSE(GetFileAttributesA((folder + "old.png").c_str()) != INVALID_FILE_ATTRIBUTES) << "no truncated picture";
    EXPECT_TRUE(TemporaryFiles(folder).empty());
    DeleteFileA(filler.c_str());
}

// MoveFileEx as the Windows 95/98 family has it, and one that refuses.
BOOL WINAPI MoveFileExMissing(LPCSTR, LPCSTR, DWORD) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
}
BOOL WINAPI MoveFileExRefusing(LPCSTR, LPCSTR, DWORD) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

TEST_F(SaveTest, WithoutMoveFileExTheOldFileIsKeptUntilTheFreshOneIsIn) {
    const std::string folder = Scratch("replace\\");
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string target = folder + "picture.bmp", fresh = folder + "~fresh.tmp";
    const std::vector<unsigned char> oldBytes = {'o', 'l', 'd'}, newBytes = {'n', 'e', 'w', '!'};
    struct Case {
        const char* what;
        bool targetExists, freshExists;
        MoveFileExFunction moveFileEx;
        bool replaced;
        DWORD error;
    };
    const Case cases[] = {
        {"9x, replacing a file", true, true, MoveFileExMissing, true, 0},
        {"9x, a new name", false, true, MoveFileExMissing, true, 0},
        {"9x, the fresh file cannot be moved in", true, false, MoveFileExMissing, false, ERROR_FILE_NOT_FOUND},
        {"a refusal is not worked around", true, true, MoveFileExRefusing, false, ERROR_ACCESS_DENIED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteFileA(target.c_str());
        DeleteFileA(fresh.c_str());
        if (c.targetExists) PutFileBytes(target, "old");
        if (c.freshExists) PutFileBytes(fresh, "new!");
        EXPECT_EQ(c.replaced, ReplaceWithFreshFile(fresh, target, c.moveFileEx));
        if (c.replaced) {
            EXPECT_EQ(newBytes, FileBytes(target));
            EXPECT_TRUE(TemporaryFiles(folder).empty());
        } else {
            EXPECT_EQ(c.error, GetLastError());
            EXPECT_EQ(oldBytes, FileBytes(target));
            EXPECT_EQ(c.freshExists ? std::vector<std::string>{"~fresh.tmp"} : std::vector<std::string>{},
                      TemporaryFiles(folder));
        }
    }
}

TEST(SaveNamesTest, OnlyADotInTheFileNameStartsTheExtension) {
    struct Case { const char* name; const char* extension; const char* result; };
    for (Case c : {Case{"C:\\my.pics\\IMG", "JPEG", "C:\\my.pics\\IMG.JPEG"}, Case{"C:\\a\\b.bmp", "PNG", "C:\\a\\b.PNG"},
                   Case{"C:\\a\\b.tar.gz", "BMP", "C:\\a\\b.tar.BMP"}, Case{"SAVE", "BMP", "SAVE.BMP"},
                   Case{"NewFile.BMP", "GIF", "NewFile.GIF"}, Case{"C:\\a.b/c", "ICO", "C:\\a.b/c.ICO"}}) {
        EXPECT_EQ(c.result, ReplaceExtension(c.name, c.extension)) << c.name;
    }
}

TEST(SaveNamesTest, NamesResolveAgainstTheGivenFolderNeverTheCurrentOne) {
    struct Case { const char* typed; const char* folder; bool ok; const char* full; };
    const std::string long259 = "C:\\" + std::string(252, 'x') + ".bmp";
    for (Case c : {Case{"a.bmp", "D:\\pics\\", true, "D:\\pics\\a.bmp"}, Case{"a.bmp", "D:\\pics", true, "D:\\pics\\a.bmp"},
                   Case{"..\\a.bmp", "D:\\pics\\sub\\", true, "D:\\pics\\a.bmp"}, Case{".\\x\\.\\a.bmp", "D:\\p\\", true, "D:\\p\\x\\a.bmp"},
                   Case{"\\top.bmp", "D:\\pics\\", true, "D:\\top.bmp"}, Case{"E:\\x.bmp", "D:\\pics\\", true, "E:\\x.bmp"},
                   Case{"E:x.bmp", "D:\\", true, "E:\\x.bmp"}, Case{"c:/u/v.png", "", true, "c:\\u\\v.png"},
                   Case{"\\\\srv\\share\\x.bmp", "D:\\", true, "\\\\srv\\share\\x.bmp"},
                   Case{"a.bmp", "\\\\srv\\share\\", true, "\\\\srv\\share\\a.bmp"},
                   Case{"a.bmp", "", false, ""}, Case{"", "D:\\", false, ""}, Case{"D:\\", "D:\\", false, ""}}) {
        std::string full;
        EXPECT_EQ(c.ok, ResolveSaveName(c.typed, c.folder, &full)) << c.typed << " in " << c.folder;
        if (c.ok) {
            EXPECT_EQ(c.full, full) << c.typed;
        }
    }
    std::string full;
    bool tooLong = false;
    EXPECT_TRUE(ResolveSaveName(long259, "", &full, &tooLong));
    EXPECT_EQ(long259, full) << "259 characters kept whole";
    EXPECT_FALSE(ResolveSaveName("y" + long259.substr(3), "C:\\", &full, &tooLong));
    EXPECT_TRUE(tooLong) << "260 refused, not truncated";
}

TEST(SaveNamesTest, FrameNamesTakeTheLastDigitsAndCollisionsAreRefused) {
    struct Case { const char* pattern; unsigned number; const char* name; bool wraps; };
    for (Case c : {Case{"Photo-###.BMP", 7, "Photo-007.BMP", false}, Case{"Photo-###.BMP", 1234, "Photo-234.BMP", true},
                   Case{"a##b#.GIF", 7, "a07b7.GIF", false}, Case{"a##b#.GIF", 123, "a23b3.GIF", true}, Case{"x.BMP", 5, "x.BMP", false},
                   Case{"#", 10, "0", true}, Case{"###", 999, "999", false}}) {
        EXPECT_EQ(c.name, FrameFileName(c.pattern, c.number)) << c.pattern << " " << c.number;
        EXPECT_EQ(c.wraps, FrameNumberWraps(c.pattern, c.number)) << c.pattern << " " << c.number;
    }
    struct Range { const char* pattern; unsigned base; int from, to; bool ok; int first, second; };
    for (Range r : {Range{"P-###.BMP", 0, 0, 9, true, 0, 0}, Range{"P.BMP", 0, 0, 1, false, 0, 1},
                    Range{"P#.BMP", 0, 0, 10, false, 0, 10}, Range{"P#.BMP", 5, 1, 9, true, 0, 0},
                    Range{"p#.bmp", 0, 3, 13, false, 3, 13}}) {
        std::vector<std::string> names;
        int first = -1, second = -1;
        EXPECT_EQ(r.ok, BuildFrameNames("C:\\f", r.pattern, r.base, r.from, r.to, &names, &first, &second)) << r.pattern;
        EXPECT_EQ(static_cast<size_t>(r.to - r.from + 1), names.size());
        if (!r.ok) {
            EXPECT_EQ(r.first, first) << r.pattern;
            EXPECT_EQ(r.second, second) << r.pattern;
        }
    }
    std::vector<std::string> names;
    BuildFrameNames("C:\\f", "Photo-###.PNG", 4, 1, 2, &names, nullptr, nullptr);
    EXPECT_EQ((std::vector<std::string>{"C:\\f\\Photo-006.PNG", "C:\\f\\Photo-007.PNG"}), names);
}

TEST_F(SaveTest, TheBaseStartsAboveTheLargestNumberOfMatchingFiles) {
    const std::string folder = Scratch("base\\");
    CreateDirectoryA(folder.c_str(), nullptr);
    EXPECT_EQ(0u, FirstFrameBase(folder, "Photo-###.BMP")) << "no file yet";
    for (const char* name : {"Photo-003.bmp", "photo-012.gif", "Photo-0x9.png", "Photo-1234.bmp", "Other-999.bmp"})
        PutFileBytes(folder + name, "x");
    CreateDirectoryA((folder + "Photo-500.dir").c_str(), nullptr);
    EXPECT_EQ(13u, FirstFrameBase(folder, "Photo-###.BMP"));
    EXPECT_EQ(1000u, FirstFrameBase(folder, "Other-###.PNG"));
    EXPECT_EQ(0u, FirstFrameBase(folder, "None-###.PNG"));
}

}  // namespace
