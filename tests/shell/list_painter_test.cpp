// The file list's painter: how long names are broken under a thumbnail,
// what a label draws (lines, the size text, the selection), and the cell
// size the picture frame gives.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "item_model.h"
#include "list_painter.h"
#include "settings.h"
#include "program.h"
#include "shell_test_files.h"

namespace {

using Lines = std::vector<std::string>;

TEST(BreakLabelLinesTest, BreaksAfterTheLastBlankAndKeepsTheRestForTheLastLine) {
    EXPECT_EQ((Lines{"holiday", "photo", "from the beach.jpg"}),
              BreakLabelLines("holiday photo from the beach.jpg", 10, 3))
        << "a line ends just after its last blank; the last line takes the rest";
    EXPECT_EQ((Lines{"abcdefghij", "klmnopqrst", "uvwxyz"}), BreakLabelLines("abcdefghijklmnopqrstuvwxyz", 10, 3))
        << "without blanks a line is cut at the character count";
    EXPECT_EQ((Lines{"abcdefghij", "klmnopqrstuvwxyz"}), BreakLabelLines("abcdefghijklmnopqrstuvwxyz", 10, 2));
    EXPECT_EQ((Lines{"one", "two"}), BreakLabelLines("   one   two", 5, 3)) << "blanks at a line's start are skipped";
    EXPECT_EQ((Lines{"short"}), BreakLabelLines("short", 10, 3));
    EXPECT_TRUE(BreakLabelLines("", 10, 3).empty());
    EXPECT_TRUE(BreakLabelLines("    ", 10, 3).empty());
    EXPECT_EQ((Lines{"a", "b", "c"}), BreakLabelLines("abc", 0, 3)) << "no room: one character a line";
}

// Draws labels into a 32-bit memory bitmap and reads the pixels back.
class LabelTest : public ::testing::Test {
protected:
    static constexpr int kWidth = 90, kHeight = 60;
    void SetUp() override {
        ForgetIni();
        ResetListBrushes();
        screen_ = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen_);
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = kWidth;
        bi.bmiHeader.biHeight = -kHeight;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bitmap_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
        oldFont_ = SelectObject(dc_, GetStockObject(DEFAULT_GUI_FONT));
        TEXTMETRICA metrics = {};
        GetTextMetricsA(dc_, &metrics);
        line_ = metrics.tmHeight;
        std::memset(&item_, 0, sizeof item_);
        item_.state = kItemPicture;
        lstrcpyA(item_.info, "640x480x16M");
    }
    void TearDown() override {
        SelectObject(dc_, oldFont_);
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
        ReleaseDC(nullptr, screen_);
        FreeListBrushes();
    }
    int Draw(const char* name, bool selected, bool sizeText, int lines = 3) {
        const HBRUSH* brush = item_.typeBrush;
        SetItemName(item_, name);
        item_.typeBrush = brush;
        RECT rect = {0, 0, kWidth, lines * line_};
        const int drawn = DrawItemLabel(dc_, rect, item_, selected, sizeText);
        GdiFlush();
        return drawn;
    }
    COLORREF Pixel(int x, int y) const {
        const DWORD p = bits_[y * kWidth + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    // Dark (text) pixels in the rows [top, bottom).
    int Ink(int top, int bottom) const {
        int count = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < kWidth; ++x)
                if (GetRValue(Pixel(x, y)) < 80 && GetGValue(Pixel(x, y)) < 80) ++count;
        return count;
    }
    HDC screen_ = nullptr, dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr, oldFont_ = nullptr;
    DWORD* bits_ = nullptr;
    int line_ = 13;
    BrowserItem item_;
};

TEST_F(LabelTest, ShortNameTakesOneLineAndTheSizeTextSitsAtTheBottom) {
    EXPECT_EQ(1, Draw("a.jpg", false, true));
    EXPECT_EQ(RGB(0xC0, 0xC0, 0xC0), Pixel(0, 0)) << "the list's background colour";
    EXPECT_GT(Ink(0, line_), 0) << "the name on the first line";
    EXPECT_EQ(0, Ink(line_, 2 * line_)) << "the middle line stays empty";
    EXPECT_GT(Ink(2 * line_, 3 * line_), 0) << "the size text on the last line";

    EXPECT_EQ(1, Draw("a.jpg", false, false));
    EXPECT_EQ(0, Ink(2 * line_, 3 * line_)) << "no size text when it is not asked for";
    item_.state = kItemFile;
    EXPECT_EQ(1, Draw("a.jpg", false, true));
    EXPECT_GT(Ink(2 * line_, 3 * line_), 0) << "the caller decides which items show a size";
}

TEST_F(LabelTest, LongNamesWrapOrBreakAndLeaveNoRoomForTheSize) {
    EXPECT_EQ(2, Draw("my holiday photo.jpg", false, true)) << "word-wrapped in two lines";
    EXPECT_GT(Ink(0, line_), 0);
    EXPECT_GT(Ink(line_, 2 * line_), 0);
    EXPECT_GT(Ink(2 * line_, 3 * line_), 0) << "the size text below two lines";

    EXPECT_EQ(3, Draw("holiday photo at the sunny beach of the south sea.jpg", false, true))
        << "word-wrapped in three lines";
    EXPECT_EQ(3, Draw("a_very_long_name_of a_picture_taken_on_holiday_at_the_beach.jpg", false, true))
        << "broken by hand into three lines";
    EXPECT_EQ(2, Draw("abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyz.jpg", false, false, 2))
        << "a single long word is broken by hand when two lines fit";
    EXPECT_EQ(1, Draw("abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyz.jpg", false, true, 1))
        << "one line with an ellipsis when not even two fit";
}

TEST_F(LabelTest, SelectedLabelIsNavyWithWhiteText) {
    Draw("a.jpg", true, true);
    EXPECT_EQ(RGB(0, 0, 128), Pixel(0, 0));
    int white = 0;
    for (int x = 0; x < kWidth; ++x)
        for (int y = 0; y < line_; ++y) white += Pixel(x, y) == RGB(255, 255, 255);
    EXPECT_GT(white, 0);
}

TEST_F(LabelTest, TypeColourFillsAnUnselectedLabel) {
    HBRUSH brush = CreateSolidBrush(RGB(255, 255, 0));
    item_.typeBrush = &brush;
    Draw("a.jpg", false, false);
    EXPECT_EQ(RGB(255, 255, 0), Pixel(0, 0));
    Draw("a.jpg", true, false);
    EXPECT_EQ(RGB(0, 0, 128), Pixel(0, 0)) << "the selection wins";
    item_.typeBrush = nullptr;
    DeleteObject(brush);
}

class CellFrameTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(EnsureImageLibrary()); }
    void SetUp() override {
        Program().mainModule = Program().resourceModule = GetModuleHandleA(nullptr);
        ForgetIni();
    }
    void TearDown() override {
        FreeCellFrame();
        ForgetIni();
    }
    static SIZE Cell(const char* index, const char* picture = nullptr) {
        Put("BackgroundIndex", index);
        if (picture) Put("PictureFrameImage", picture);
        return LoadCellFrame();
    }
};

TEST_F(CellFrameTest, CellIsTheFramePicturesSize) {
    for (const char* index : {"0", "1", "2", "3"}) {
        const SIZE cell = Cell(index);
        EXPECT_EQ(64, cell.cx) << "built-in frame " << index;
        EXPECT_EQ(64, cell.cy);
    }
    const SIZE none = Cell("7");
    EXPECT_EQ(64, none.cx) << "no frame: 64 x 64";
    EXPECT_EQ(64, none.cy);

    const SIZE own = Cell("-1", WriteBmp("frame-100x80.bmp", 100, 80).c_str());
    EXPECT_EQ(100, own.cx) << "a frame picture of the user's";
    EXPECT_EQ(80, own.cy);
}

TEST_F(CellFrameTest, MissingOrTinyFramePictureFallsBackTo64) {
    SIZE cell = Cell("-1", Beside("no-such-frame.bmp").c_str());
    EXPECT_EQ(64, cell.cx);
    EXPECT_EQ(64, cell.cy);
    cell = Cell("-1", WriteBmp("frame-10x10.bmp", 10, 10).c_str());
    EXPECT_EQ(64, cell.cx) << "a frame too small for a thumbnail is not used";
    cell = Cell("-1", "");
    EXPECT_EQ(64, cell.cy);
    const std::string torn = Beside("frame-torn.bmp");
    WriteBmp("frame-torn.bmp", 100, 80);
    HANDLE file = CreateFileA(torn.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFilePointer(file, 20, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    CloseHandle(file);
    cell = Cell("-1", torn.c_str());
    EXPECT_EQ(64, cell.cx) << "a torn frame picture";
}

}  // namespace
