// The three shipped libraries, Swirl.PLS, IMPLODE.PLS and Undulo.PLS, loaded
// from the program folder as the viewer loads them: their two exports, their
// menu names for English and for code page 936, their dialogs in both
// languages, and each filter run through its dialog on the current picture
// (controls moved, OK makes a new current picture of the expected size and
// content; Cancel and a refused picture leave everything as it was).
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "dialog_driver.h"
#include "document.h"
#include "implode_filter.h"
#include "mapping_test_pictures.h"
#include "picture.h"
#include "shell_test_files.h"
#include "swirl_filter.h"
#include "wave_filter.h"

namespace {

class Library {
public:
    explicit Library(const char* file) : module_(LoadLibraryA((Beside("..\\bin\\") + file).c_str())) {
        if (!module_) return;
        init_ = reinterpret_cast<PFN_InitPicturePlugins>(reinterpret_cast<void*>(GetProcAddress(module_, PICTURE_PLUGIN_INIT)));
        free_ = reinterpret_cast<PFN_FreePicturePlugins>(reinterpret_cast<void*>(GetProcAddress(module_, PICTURE_PLUGIN_FREE)));
    }
    ~Library() {
        if (initialised_ && free_) free_();
        if (module_) FreeLibrary(module_);
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    bool loaded() const { return module_ && init_ && free_; }
    HMODULE module() const { return module_; }
    const PictureFilter* Init(DWORD codePage, const PictureHostServices* host = PluginServices()) {
        const PictureFilter* filter = init_(codePage, host);
        initialised_ = filter != nullptr;
        return filter;
    }
    void Free() {
        free_();
        initialised_ = false;
    }

private:
    HMODULE module_;
    PFN_InitPicturePlugins init_ = nullptr;
    PFN_FreePicturePlugins free_ = nullptr;
    bool initialised_ = false;
};

struct Shipped {
    const char* file;
    const char* english;
    const char* chinese;  // GBK
    const wchar_t* chineseCaption;
    const wchar_t* englishCaption;
};
const Shipped kShipped[] = {
    {"Swirl.PLS", "Swirl", "\xE4\xF6\xCE\xD0", L"\u6F29\u6DA1", L"Swirl"},
    {"IMPLODE.PLS", "Implode", "\xBC\xB7\xD1\xB9", L"\u6324\u538B\u56FE\u50CF", L"Implode Picture"},
    {"Undulo.PLS", "Wave Picture", "\xB2\xA8\xC0\xCB\xCD\xBC\xCF\xF1", L"\u6CE2\u6D6A\u56FE\u50CF", L"Wave Picture"},
};

// Text as an ANSI window of this system shows it.
std::string InSystemCodePage(const wchar_t* text) {
    char converted[64] = {};
    WideCharToMultiByte(CP_ACP, 0, text, -1, converted, sizeof converted, nullptr, nullptr);
    return converted;
}

// Whether a dialog resource holds the text (templates keep UTF-16).
bool DialogHolds(HMODULE module, int id, const wchar_t* text) {
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), RT_DIALOG);
    if (!found) return false;
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
    const size_t size = SizeofResource(module, found), length = wcslen(text) * sizeof(wchar_t);
    for (size_t at = 0; bytes && at + length <= size; at += 2)
        if (std::memcmp(bytes + at, text, length) == 0) return true;
    return false;
}

TEST(MappingPluginExports, EachLibraryOffersOneFilterNamedForTheCodePage) {
    for (const Shipped& shipped : kShipped) {
        SCOPED_TRACE(shipped.file);
        Library library(shipped.file);
        ASSERT_TRUE(library.loaded()) << "both exports by their plain names";
        const PictureFilter* filter = library.Init(0);
        ASSERT_NE(nullptr, filter);
        EXPECT_STREQ(shipped.english, filter->name);
        EXPECT_NE(nullptr, filter->run);
        EXPECT_EQ(nullptr, filter->next) << "one filter per library";
        library.Free();
        // A language change: freed, then initialised again for Chinese.
        filter = library.Init(936);
        ASSERT_NE(nullptr, filter);
        EXPECT_STREQ(shipped.chinese, filter->name);
        library.Free();
        filter = library.Init(1252);
        ASSERT_NE(nullptr, filter);
        EXPECT_STREQ(shipped.english, filter->name) << "every other code page is English";
        library.Free();
        EXPECT_EQ(nullptr, library.Init(0, nullptr)) << "no services, no filters";
        // Both dialogs are in the library, the Chinese one with its caption
        // read from the script's code page.
        EXPECT_TRUE(DialogHolds(library.module(), 101, shipped.chineseCaption));
        EXPECT_TRUE(DialogHolds(library.module(), 102, shipped.englishCaption));
    }
}

// Answers as IsProcessorFeaturePresent does before Windows XP, which knows
// nothing of SSE2 whatever the processor.
BOOL WINAPI FeatureUnknown(DWORD) { return FALSE; }

// Points a module's import of kernel32's IsProcessorFeaturePresent (if it
// has one) at FeatureUnknown.
void AnswerAsBeforeXp(HMODULE module) {
    auto* base = reinterpret_cast<BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!imports.VirtualAddress) return;
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); d->Name; ++d) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + d->Name), "kernel32.dll") != 0) continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + (d->OriginalFirstThunk ? d->OriginalFirstThunk : d->FirstThunk));
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (lstrcmpA(reinterpret_cast<const char*>(byName->Name), "IsProcessorFeaturePresent") != 0) continue;
            DWORD old = 0;
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &old);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(&FeatureUnknown);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, old, &old);
        }
    }
}

TEST(MappingPluginExports, SystemsBeforeXpWithSse2GetTheFilters) {
    for (const Shipped& shipped : kShipped) {
        SCOPED_TRACE(shipped.file);
        Library library(shipped.file);
        ASSERT_TRUE(library.loaded());
        AnswerAsBeforeXp(library.module());
        const PictureFilter* filter = library.Init(0);
        ASSERT_NE(nullptr, filter) << "the processor has SSE2; the system's feature list is not asked";
        EXPECT_STREQ(shipped.english, filter->name);
        library.Free();
    }
}

// ---------------------------------------------------------------------------
// Running the filters through their dialogs on the current picture.

class MappingPluginRun : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitCommonControls(); }
    void TearDown() override { FreeCurrentPicture(); }

    // A current picture of the document, filled by fill.
    template <class Fill>
    Picture* MakeCurrent(int width, int height, Fill fill) {
        Picture* picture = CreatePicture(width, height);
        DWORD* pixels = reinterpret_cast<DWORD*>(picture->working->pixels);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) pixels[y * width + x] = fill(x, y);
        SetCurrentPicture(picture);
        return picture;
    }
    PluginPicture* Current() const { return reinterpret_cast<PluginPicture*>(CurrentDocument().picture); }
    std::vector<DWORD> CurrentPixels() const {
        const PluginDib* working = Current()->working;
        const DWORD* p = reinterpret_cast<const DWORD*>(working->pixels);
        return std::vector<DWORD>(p, p + WidthOf(working) * HeightOf(working));
    }
    DWORD Run(const PictureFilter* filter, Driver& driver) {
        DWORD answer = 0;
        driver.Run([&] { answer = filter->run(nullptr, Current()); });
        EXPECT_FALSE(driver.timedOut);
        return answer;
    }
};

void VerticalSlide(HWND dialog, int id, int position) {
    HWND slider = GetDlgItem(dialog, id);
    SendMessageA(slider, TBM_SETPOS, TRUE, position);
    SendMessageA(dialog, WM_VSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position), reinterpret_cast<LPARAM>(slider));
}

TEST_F(MappingPluginRun, SwirlAppliesTheAngleChosenInTheDialog) {
    Library library("Swirl.PLS");
    ASSERT_TRUE(library.loaded());
    const PictureFilter* filter = library.Init(0);
    ASSERT_NE(nullptr, filter);
    MakeCurrent(60, 40, [](int x, int y) { return Bgr(4 * x, 6 * y, 128); });
    TestPicture expected(SwirlPicture(PluginServices(), Current(), 90));
    ASSERT_NE(nullptr, expected.get());
    Picture* before = CurrentDocument().picture;

    Driver driver(1001);
    int start = -1;
    std::string startText, shown, caption;
    driver.Then([&](HWND d) {
              start = Position(d, 1001);
              startText = Text(d, 1002);
              char text[64] = {};
              GetWindowTextA(d, text, sizeof text);
              caption = text;
          })
        .Slide(1001, 90)
        .Then([&](HWND d) { shown = Text(d, 1002); })
        .Press(IDOK);
    EXPECT_NE(0u, Run(filter, driver));
    EXPECT_EQ("Swirl", caption);
    EXPECT_EQ(0, start) << "v = 0 at the start";
    EXPECT_EQ("0", startText);
    EXPECT_EQ("90", shown);
    ASSERT_NE(before, CurrentDocument().picture) << "a new current picture";
    ASSERT_EQ(60, WidthOf(Current()->working));
    ASSERT_EQ(40, HeightOf(Current()->working));
    EXPECT_EQ(expected.Copy(), CurrentPixels()) << "swirled by v = 90";
}

TEST_F(MappingPluginRun, SwirlChineseDialogAndCancel) {
    Library library("Swirl.PLS");
    ASSERT_TRUE(library.loaded());
    const PictureFilter* filter = library.Init(936);
    ASSERT_NE(nullptr, filter);
    MakeCurrent(50, 50, [](int, int) { return Bgr(128, 128, 128); });
    Picture* before = CurrentDocument().picture;
    const std::vector<DWORD> pixels = CurrentPixels();

    Driver driver(1001);
    std::string caption;
    COLORREF middle = 0;
    driver.Then([&](HWND d) {
              char text[64] = {};
              GetWindowTextA(d, text, sizeof text);
              caption = text;
          })
        .Slide(1001, -200)
        .Then([&](HWND d) { middle = PreviewMiddle(d, 1000); })
        .Press(IDCANCEL);
    EXPECT_EQ(0u, Run(filter, driver));
    // An ANSI dialog's caption comes through the system code page, which
    // need not be 936 here.
    EXPECT_EQ(InSystemCodePage(kShipped[0].chineseCaption), caption) << "dialog 101 for code page 936";
    EXPECT_EQ(RGB(128, 128, 128), middle) << "the preview shows the swirled grey";
    EXPECT_EQ(before, CurrentDocument().picture);
    EXPECT_EQ(pixels, CurrentPixels());
}

TEST_F(MappingPluginRun, SwirlRefusesATinyPictureAfterOk) {
    Library library("Swirl.PLS");
    ASSERT_TRUE(library.loaded());
    const PictureFilter* filter = library.Init(0);
    MakeCurrent(2, 50, [](int, int) { return Bgr(1, 2, 3); });
    Picture* before = CurrentDocument().picture;
    Driver driver(1001);
    driver.Slide(1001, 30).Press(IDOK);
    EXPECT_EQ(0u, Run(filter, driver));
    EXPECT_EQ(before, CurrentDocument().picture);
}

TEST_F(MappingPluginRun, ImplodeAppliesAmountAndCentreAndRemembersTheCentre) {
    Library library("IMPLODE.PLS");
    ASSERT_TRUE(library.loaded());
    const PictureFilter* filter = library.Init(0);
    ASSERT_NE(nullptr, filter);
    MakeCurrent(50, 40, [](int x, int y) { return Bgr(5 * x, 6 * y, 77); });
    const ImplodeSettings settings{ImplodeAmount(-15), 0.3, 0.7};
    TestPicture expected(ImplodePicture(PluginServices(), Current(), settings));
    ASSERT_NE(nullptr, expected.get());

    Driver driver(1031);
    std::vector<std::string> labels;
    std::vector<int> centre;
    std::string shown;
    driver.Then([&](HWND d) {
              labels = {Text(d, 1043), Text(d, 1041), Text(d, 1042)};
              centre = {Position(d, 1031), Position(d, 1032), Position(d, 1033)};
          })
        .Slide(1031, -15)
        .Slide(1032, 30)
        .Then([](HWND d) { VerticalSlide(d, 1033, 70); })
        .Then([&](HWND d) { shown = Text(d, 1043); })
        .Press(IDOK);
    EXPECT_NE(0u, Run(filter, driver));
    EXPECT_EQ((std::vector<std::string>{"0.0", "-100", "100"}), labels);
    EXPECT_EQ((std::vector<int>{0, 50, 50}), centre) << "p = 0 and the centre in the middle at first";
    EXPECT_EQ("-1.5", shown);
    ASSERT_EQ(50, WidthOf(Current()->working));
    ASSERT_EQ(40, HeightOf(Current()->working));
    EXPECT_EQ(expected.Copy(), CurrentPixels());

    // The next run starts from the centre used, the amount from 0; Cancel
    // leaves the picture alone.
    Picture* before = CurrentDocument().picture;
    Driver again(1031);
    again.Then([&](HWND d) { centre = {Position(d, 1031), Position(d, 1032), Position(d, 1033)}; })
        .Slide(1032, 90)
        .Press(IDCANCEL);
    EXPECT_EQ(0u, Run(filter, again));
    EXPECT_EQ((std::vector<int>{0, 30, 70}), centre);
    EXPECT_EQ(before, CurrentDocument().picture);
}

TEST_F(MappingPluginRun, WaveMakesATallerPictureFromTheChosenAmplitude) {
    Library library("Undulo.PLS");
    ASSERT_TRUE(library.loaded());
    const PictureFilter* filter = library.Init(0);
    ASSERT_NE(nullptr, filter);
    MakeCurrent(40, 100, [](int x, int y) { return Bgr(x, y, 200); });
    TestPicture expected(WavePicture(PluginServices(), Current(), WaveSettings{80, 10}));
    ASSERT_NE(nullptr, expected.get());

    Driver driver(1031);
    std::vector<std::string> texts;
    std::vector<int> start;
    std::string typedAmplitude;
    int clampedLength = 0;
    driver.Then([&](HWND d) {
              texts = {Text(d, 1043), Text(d, 1044), Text(d, 1037), Text(d, 1038), Text(d, 1039), Text(d, 1040)};
              start = {Position(d, 1031), Position(d, 1032)};
          })
        .Slide(1032, 10)
        .Then([&](HWND d) { typedAmplitude = Text(d, 1044); })
        .Type(1043, "1000")
        .Then([&](HWND d) { clampedLength = Position(d, 1031); })
        .Press(IDOK);
    EXPECT_NE(0u, Run(filter, driver));
    EXPECT_EQ((std::vector<std::string>{"40", "25", "4", "4", "40", "100"}), texts);
    EXPECT_EQ((std::vector<int>{40, 25}), start) << "L = width, A = height div 4";
    EXPECT_EQ("10", typedAmplitude) << "the trackbar writes its value into the box";
    EXPECT_EQ(80, clampedLength) << "a typed length is limited to twice the width";
    ASSERT_EQ(40, WidthOf(Current()->working));
    ASSERT_EQ(120, HeightOf(Current()->working)) << "100 + 2 x 10";
    EXPECT_EQ(expected.Copy(), CurrentPixels());
}

TEST_F(MappingPluginRun, WaveCancelLeavesThePictureAlone) {
    Library library("Undulo.PLS");
    ASSERT_TRUE(library.loaded());
    const PictureFilter* filter = library.Init(0);
    ASSERT_NE(nullptr, filter);
    MakeCurrent(80, 60, [](int, int) { return Bgr(128, 128, 128); });
    Picture* before = CurrentDocument().picture;
    const std::vector<DWORD> pixels = CurrentPixels();
    Driver driver(1031);
    COLORREF middle = 0;
    int typedLow = 0;
    driver.Slide(1031, 30)
        .Type(1044, "1")
        .Then([&](HWND d) {
            typedLow = Position(d, 1032);
            middle = PreviewMiddle(d, 1030);
        })
        .Press(IDCANCEL);
    EXPECT_EQ(0u, Run(filter, driver));
    EXPECT_EQ(4, typedLow) << "a typed amplitude is at least 4";
    EXPECT_EQ(RGB(128, 128, 128), middle) << "the preview's middle lies in the wave band";
    EXPECT_EQ(before, CurrentDocument().picture);
    EXPECT_EQ(pixels, CurrentPixels());
}

}  // namespace
