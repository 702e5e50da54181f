// Blur.PLS, Sharpen.PLS, Noise.PLS and Spread.PLS as the viewer loads them:
// the two exports, the filter names in both languages, the dialogs carried
// by each library (none by this test program), and filters run through
// their dialogs on the current picture - OK makes a new filtered picture
// current, Cancel changes nothing.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "dialog_driver.h"
#include "document.h"
#include "kernel_filter.h"
#include "noise_filter.h"
#include "picture.h"
#include "plugin_pictures.h"
#include "shell_test_files.h"

namespace {

// The preview control of every one of these dialogs.
constexpr int kPreview = 1000;

struct PluginFile {
    const char* file;
    const char* english;
    const char* chinese;  // code page 936
    int englishDialog;
};
const PluginFile kPlugins[] = {
    {"Blur.PLS", "Blur", "\xC4\xA3\xBA\xFD", 102},     // 模糊
    {"Sharpen.PLS", "Sharp", "\xC8\xF1\xBB\xAF", 102}, // 锐化
    {"Noise.PLS", "Noise", "\xD4\xEB\xC9\xF9", 103},   // 噪声
    {"Spread.PLS", "Rain", "\xD3\xEA\xB5\xCE", 102},   // 雨滴
};

class Library {
public:
    explicit Library(const char* file) : module_(LoadLibraryA((Beside("..\\bin\\") + file).c_str())) {
        if (!module_) return;
        init = reinterpret_cast<PFN_InitPicturePlugins>(
            reinterpret_cast<void*>(GetProcAddress(module_, PICTURE_PLUGIN_INIT)));
        free = reinterpret_cast<PFN_FreePicturePlugins>(
            reinterpret_cast<void*>(GetProcAddress(module_, PICTURE_PLUGIN_FREE)));
    }
    ~Library() {
        if (module_) FreeLibrary(module_);
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    HMODULE module() const { return module_; }
    bool HasDialog(int id) const { return FindResourceA(module_, MAKEINTRESOURCEA(id), RT_DIALOG) != nullptr; }

    PFN_InitPicturePlugins init = nullptr;
    PFN_FreePicturePlugins free = nullptr;

private:
    HMODULE module_;
};

// A filter of a library initialised for a code page, freed at the end.
class Started {
public:
    Started(const Library& library, DWORD codePage) : library_(library) {
        filter = library_.init ? library_.init(codePage, PluginServices()) : nullptr;
    }
    ~Started() {
        if (library_.free) library_.free();
    }
    Started(const Started&) = delete;
    Started& operator=(const Started&) = delete;
    PictureFilter* filter;

private:
    const Library& library_;
};

// The current picture, made through the program's own picture code.
PluginPicture* MakeCurrentPicture(LONG width, LONG height) {
    Picture* picture = CreatePicture(width, height);
    SetCurrentPicture(picture);
    return reinterpret_cast<PluginPicture*>(picture);
}
PluginPicture* CurrentPicture() { return reinterpret_cast<PluginPicture*>(CurrentDocument().picture); }

std::wstring WideText(HWND window) {
    wchar_t text[200] = {};
    GetWindowTextW(window, text, 200);
    return text;
}

class PluginLibraryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitCommonControls(); }
    void TearDown() override { FreeCurrentPicture(); }
};

TEST_F(PluginLibraryTest, EachLibraryExportsTheContractAndNamesItsFilterInBothLanguages) {
    for (const PluginFile& plugin : kPlugins) {
        SCOPED_TRACE(plugin.file);
        Library library(plugin.file);
        ASSERT_NE(nullptr, library.module());
        ASSERT_NE(nullptr, library.init);
        ASSERT_NE(nullptr, library.free);
        for (DWORD codePage : {0u, 1252u, 936u, 0u}) {
            Started started(library, codePage);
            ASSERT_NE(nullptr, started.filter) << codePage;
            EXPECT_STREQ(codePage == 936 ? plugin.chinese : plugin.english, started.filter->name) << codePage;
            EXPECT_NE(nullptr, started.filter->run);
            EXPECT_EQ(nullptr, started.filter->next) << "one filter per library";
        }
        Started without(library, 0);
        EXPECT_TRUE(without.filter);
        library.free();
        EXPECT_EQ(nullptr, library.init(0, nullptr)) << "no filters without the host's table";
        // The dialogs come from the library.
        EXPECT_TRUE(library.HasDialog(PICTURE_PLUGIN_DIALOG_CHINESE));
        EXPECT_TRUE(library.HasDialog(plugin.englishDialog));
    }
    for (int id : {101, 102, 103})
        EXPECT_EQ(nullptr, FindResourceA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), RT_DIALOG))
            << "the test program carries no filter dialog " << id;
}

TEST_F(PluginLibraryTest, BlurOkMakesTheBlurredPictureCurrent) {
    Library library("Blur.PLS");
    Started started(library, 0);
    ASSERT_TRUE(started.filter);
    PluginPicture* before = MakeCurrentPicture(60, 40);
    ASSERT_TRUE(before);
    FillVaried(before->working);
    OwnedPicture expected(KernelFilterPicture(PluginServices(), before, KernelKind::Blur, 13));
    ASSERT_TRUE(expected);

    Driver driver(1001);
    std::string caption, startValue, endValue;
    int first = 0, last = 0, startPosition = 0;
    driver
        .Then([&](HWND d) {
            char text[64] = {};
            GetWindowTextA(d, text, sizeof text);
            caption = text;
            startValue = Text(d, 1002);
            startPosition = Position(d, 1001);
            first = static_cast<int>(SendDlgItemMessageA(d, 1001, TBM_GETRANGEMIN, 0, 0));
            last = static_cast<int>(SendDlgItemMessageA(d, 1001, TBM_GETRANGEMAX, 0, 0));
        })
        .Slide(1001, 8)
        .Then([&](HWND d) { endValue = Text(d, 1002); })
        .Press(IDOK);
    DWORD result = 0;
    driver.Run([&] { result = started.filter->run(nullptr, before); });
    EXPECT_FALSE(driver.timedOut);
    EXPECT_TRUE(driver.boxes.empty());
    EXPECT_EQ("Sharp  ", caption);
    EXPECT_EQ(3, first);
    EXPECT_EQ(8, last);
    EXPECT_EQ(3, startPosition) << "a = 3 at the start";
    EXPECT_EQ("0", startValue);
    EXPECT_EQ("5", endValue);
    EXPECT_NE(0u, result);
    PluginPicture* after = CurrentPicture();
    ASSERT_NE(nullptr, after);
    ASSERT_NE(before, after) << "a new picture is current";
    EXPECT_EQ(60, WidthOf(after->working));
    EXPECT_EQ(40, HeightOf(after->working));
    EXPECT_EQ(PixelsCopy(expected.working()), PixelsCopy(after->working)) << "blurred with a = 13";
}

TEST_F(PluginLibraryTest, SharpenCancelChangesNothingAndThePreviewShowsTheFilteredPicture) {
    Library library("Sharpen.PLS");
    Started started(library, 0);
    ASSERT_TRUE(started.filter);
    PluginPicture* before = MakeCurrentPicture(80, 60);
    FillWith(before->working, 0x00C8285A);  // a flat picture stays flat
    const std::vector<DWORD> pixels = PixelsCopy(before->working);

    Driver driver(1001);
    COLORREF shown = 0, shownLater = 0;
    driver.Then([&](HWND d) { shown = PreviewMiddle(d, kPreview); })
        .Slide(1001, 6)
        .Then([&](HWND d) {
            InvalidateRect(d, nullptr, TRUE);
            UpdateWindow(d);
            UpdateWindow(GetDlgItem(d, 1000));
            shownLater = PreviewMiddle(d, kPreview);
        })
        .Press(IDCANCEL);
    DWORD result = 1;
    driver.Run([&] { result = started.filter->run(nullptr, before); });
    EXPECT_FALSE(driver.timedOut);
    EXPECT_EQ(RGB(0xC8, 0x28, 0x5A), shown);
    EXPECT_EQ(RGB(0xC8, 0x28, 0x5A), shownLater) << "repainting the dialog paints the preview again";
    EXPECT_EQ(0u, result);
    EXPECT_EQ(before, CurrentPicture());
    EXPECT_EQ(pixels, PixelsCopy(before->working));
}

TEST_F(PluginLibraryTest, NoiseChineseDialogAppliesTheChosenKind) {
    Library library("Noise.PLS");
    Started started(library, 936);
    ASSERT_TRUE(started.filter);
    PluginPicture* before = MakeCurrentPicture(90, 70);
    FillVaried(before->working);
    const std::vector<DWORD> pixels = PixelsCopy(before->working);

    Driver driver(1006);
    std::wstring caption, firstName, chosenName;
    int kinds = 0;
    driver
        .Then([&](HWND d) {
            caption = WideText(d);
            kinds = static_cast<int>(SendDlgItemMessageA(d, 1006, CB_GETCOUNT, 0, 0));
            firstName = WideText(GetDlgItem(d, 1005));
        })
        .Then([](HWND d) {
            SendDlgItemMessageA(d, 1006, CB_SETCURSEL, kImpulseNoise, 0);
            SendMessageA(d, WM_COMMAND, MAKEWPARAM(1006, CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(GetDlgItem(d, 1006)));
        })
        .Then([&](HWND d) { chosenName = WideText(GetDlgItem(d, 1005)); })
        .Press(IDOK);
    DWORD result = 0;
    driver.Run([&] { result = started.filter->run(nullptr, before); });
    EXPECT_FALSE(driver.timedOut);
    EXPECT_EQ(L"噪声", caption);
    EXPECT_EQ(6, kinds);
    EXPECT_EQ(L"均匀噪声", firstName) << "uniform noise at the start";
    EXPECT_EQ(L"脉冲噪声", chosenName);
    EXPECT_NE(0u, result);
    PluginPicture* after = CurrentPicture();
    ASSERT_NE(before, after);
    const std::vector<DWORD> noised = PixelsCopy(after->working);
    ASSERT_EQ(pixels.size(), noised.size());
    int unchanged = 0;
    for (size_t n = 0; n < pixels.size(); ++n) {
        ASSERT_EQ(0u, noised[n] >> 24);
        for (int c = 0; c < 3; ++c) {
            const int was = (pixels[n] >> (8 * c)) & 0xFF, is = (noised[n] >> (8 * c)) & 0xFF;
            ASSERT_TRUE(is == was || is == 0 || is == 255) << "impulse noise only: " << was << " became " << is;
            unchanged += is == was;
        }
    }
    EXPECT_GT(unchanged, static_cast<int>(pixels.size() * 3 * 85 / 100));
}

TEST_F(PluginLibraryTest, SpreadOkScattersFromTheRightAndBelow) {
    Library library("Spread.PLS");
    Started started(library, 0);
    ASSERT_TRUE(started.filter);
    PluginPicture* before = MakeCurrentPicture(50, 40);
    FillIndexed(before->working);

    Driver driver(1001);
    std::string startValue, value;
    int startPosition = 0;
    driver
        .Then([&](HWND d) {
            startValue = Text(d, 1002);
            startPosition = Position(d, 1001);
        })
        .Slide(1001, 1)
        .Then([&](HWND d) { value = Text(d, 1002); })
        .Press(IDOK);
    DWORD result = 0;
    driver.Run([&] { result = started.filter->run(nullptr, before); });
    EXPECT_FALSE(driver.timedOut);
    EXPECT_EQ("0", startValue);
    EXPECT_EQ(-1, startPosition) << "m = 0 at the start";
    EXPECT_EQ("2", value) << "m = position + 1";
    EXPECT_NE(0u, result);
    PluginPicture* after = CurrentPicture();
    ASSERT_NE(before, after);
    int moved = 0;
    for (LONG y = 0; y < 40; ++y)
        for (LONG x = 0; x < 50; ++x) {
            const DWORD from = PixelAt(after->working, x, y);
            const LONG dx = static_cast<LONG>(from % 50) - x, dy = static_cast<LONG>(from / 50) - y;
            ASSERT_TRUE(dx >= 0 && dx <= 1 && dy >= 0 && dy <= 1) << x << "," << y << " from " << dx << "," << dy;
            moved += dx != 0 || dy != 0;
        }
    EXPECT_GT(moved, 0);
}

}  // namespace
