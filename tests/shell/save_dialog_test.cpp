// The save dialogs driven through their controls over the real library and
// real files: Save Picture (format list, depth radios, quality, the settings
// file), its bad targets (a message, the dialog still open, nothing lost),
// Copy To File's name, and Save Pictures (a range of frames, frames of
// different sizes, refused templates); then the commands sent to the
// program's frame: Convert Picture, Copy To File on a selection, and an
// acquired picture that only borrows the name of a file.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "acquire.h"
#include "browser_window.h"
#include "commands.h"
#include "dialog_driver.h"
#include "dib.h"
#include "document.h"
#include "document_link.h"
#include "feature_commands.h"
#include "frame_window.h"
#include "icons.h"
#include "list_view_text.h"
#include "load.h"
#include "picture_types.h"
#include "picture_view.h"
#include "program.h"
#include "resource_ids.h"
#include "save_dialog.h"
#include "save_names.h"
#include "settings.h"
#include "shell_test_files.h"
#include "status_text.h"

namespace {

std::string Scratch(const std::string& name) { return Beside("scratch-save-dialog\\" + name); }

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool NoTemporaryFile(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((folder + "~*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return true;
    FindClose(search);
    return false;
}

struct Owned {
    DibBlock* block;
    explicit Owned(DibBlock* b) : block(b) {}
    ~Owned() { FreeDib(block); }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
};

DibBlock* Pattern(int width, int height, int seed = 0) {
    DibBlock* dib = CreateDib(width, height);
    DWORD* p = reinterpret_cast<DWORD*>(dib->pixels);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p[y * width + x] = static_cast<DWORD>(((x * 37 + seed) & 0xFF) | ((y * 53 & 0xFF) << 8) | (((x + y) * 11 & 0xFF) << 16));
    return dib;
}

// Selects a format row as a click on it would.
Driver::Step SelectFormat(const char* name) {
    std::string wanted = name;
    return [wanted](HWND d) {
        HWND list = GetDlgItem(d, IDC_SAVE_FORMATS);
        for (int i = 0; i < ListView_GetItemCount(list); ++i)
            if (ListItemText(list, i) == wanted) {
                ListView_SetItemState(list, i, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
                return;
            }
        ADD_FAILURE() << "no row " << wanted;
    };
}

Driver::Step PickCombo(int id, int index) {
    return [id, index](HWND d) {
        SendDlgItemMessageA(d, id, CB_SETCURSEL, index, 0);
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(d, id)));
    };
}

std::string ComboText(HWND d, int id, int index) {
    char text[32] = {};
    SendDlgItemMessageA(d, id, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
}

int CheckedDepth(HWND d) {
    for (int id = IDC_SAVE_DEPTH_FIRST; id <= IDC_SAVE_DEPTH_LAST; ++id)
        if (Checked(d, id)) return id - IDC_SAVE_DEPTH_FIRST;
    return -1;
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
    LorimelPageInfo info[2] = {};
    if (h && api->ReadImageHeader(h) >= 1 && api->GetImagePageInfo(h, &info[0])) {
        s.bits = info[0].bitsPerPixel;
        s.width = info[0].width;
        s.height = info[0].height;
    }
    if (h) api->CloseImageFile(h);
    return s;
}

bool SamePixels(const DibBlock* a, const DibBlock* b) {
    if (!a || !b || DibWidth(a) != DibWidth(b) || DibHeight(a) != DibHeight(b)) return false;
    const DWORD* p = reinterpret_cast<const DWORD*>(a->pixels);
    const DWORD* q = reinterpret_cast<const DWORD*>(b->pixels);
    for (int i = 0; i < DibWidth(a) * DibHeight(a); ++i)
        if ((p[i] & 0xFFFFFF) != (q[i] & 0xFFFFFF)) return false;
    return true;
}

const DibBlock* FromVector(void* context, int index) {
    return (*static_cast<std::vector<DibBlock*>*>(context))[static_cast<size_t>(index)];
}

class SaveDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        InitCommonControls();
        SetUpProgramState();
        ASSERT_TRUE(EnsureImageLibrary());
        BuildPictureTypes(ImageLibrary());
        RemoveTree(Scratch(""));
        CreateDirectoryA(Scratch("").c_str(), nullptr);
    }
    void SetUp() override {
        SavePictureMemory() = SaveDialogMemory{};
        SavePicturesMemory() = SaveDialogMemory{};
    }
};

TEST_F(SaveDialogTest, SavesAJpegAsPngAt256ColoursAndRemembersTheQuality) {
    Owned photo(LoadFirstPageDib(Beside("..\\samples\\photo.jpg").c_str()));
    ASSERT_NE(nullptr, photo.block);
    const std::string source = Scratch("photo.jpg");
    DeleteFileA(Scratch("photo.PNG").c_str());
    Driver driver(IDC_SAVE_FORMATS);
    std::string startName, pngName, startQuality, headings, movedQuality;
    int startDepth = -1, pngDepth = -1;
    bool bmp32K = false, png32K = true, pngQuality = true;
    COLORREF twoColours = 0;
    driver.Then([&](HWND d) {
              startName = Text(d, IDC_SAVE_NAME);
              startDepth = CheckedDepth(d);
              startQuality = Text(d, IDC_SAVE_QUALITY_TEXT);
              bmp32K = IsWindowEnabled(GetDlgItem(d, IDC_SAVE_32K_COLORS)) != FALSE;
              HWND list = GetDlgItem(d, IDC_SAVE_FORMATS);
              headings = ListHeading(list, 0) + "@" + ListHeading(list, 1);
          })
        .Click(IDC_SAVE_2_COLORS)
        .Then([&](HWND d) { twoColours = PreviewMiddle(d, IDC_SAVE_PREVIEW); })
        .Then(SelectFormat("PNG"))
        .Then([&](HWND d) {
            pngName = Text(d, IDC_SAVE_NAME);
            pngDepth = CheckedDepth(d);
            png32K = IsWindowEnabled(GetDlgItem(d, IDC_SAVE_32K_COLORS)) != FALSE;
            pngQuality = IsWindowEnabled(GetDlgItem(d, IDC_SAVE_QUALITY)) != FALSE;
        })
        .Click(IDC_SAVE_256_COLORS)
        .Slide(IDC_SAVE_QUALITY, 100)
        .Then([&](HWND d) { movedQuality = Text(d, IDC_SAVE_QUALITY_TEXT); })
        .Press(IDOK);
    bool saved = false;
    driver.Run([&] { saved = RunSavePictureDialog(nullptr, photo.block, source, "", ""); });
    EXPECT_FALSE(driver.timedOut);
    EXPECT_TRUE(driver.boxes.empty()) << driver.boxes.front();
    EXPECT_TRUE(saved);
    EXPECT_EQ(Scratch("photo.BMP"), startName) << "the picture's name with the BMP row's extension";
    EXPECT_EQ(6, startDepth) << "BMP opens on 16M Colors";
    EXPECT_TRUE(bmp32K);
    EXPECT_EQ("75%", startQuality);
    EXPECT_EQ("Format@Description", headings);
    EXPECT_TRUE(twoColours == RGB(0, 0, 0) || twoColours == RGB(255, 255, 255)) << std::hex << twoColours;
    EXPECT_EQ(Scratch("photo.PNG"), pngName);
    EXPECT_EQ(6, pngDepth);
    EXPECT_FALSE(png32K) << "PNG offers no 32K depth";
    EXPECT_FALSE(pngQuality);
    EXPECT_EQ("100%", movedQuality);
    const Stored stored = Describe(Scratch("photo.PNG"));
    EXPECT_EQ("PNG", stored.format);
    EXPECT_EQ(8, stored.bits);
    EXPECT_EQ(640, stored.width);
    EXPECT_EQ(480, stored.height);
    EXPECT_EQ("100", Raw("Quality", "JPEGFormat")) << "written as asked, not as the encoder takes it";
    EXPECT_EQ(3, SavePictureMemory().depth);
}

// A bad target ends with one message naming the file, the dialog still
// open, the earlier file's bytes unchanged and no temporary file.
TEST_F(SaveDialogTest, BadTargetsKeepTheDialogOpenAndLoseNothing) {
    const std::string folder = Scratch("bad\\");
    CreateDirectoryA(folder.c_str(), nullptr);
    CreateDirectoryA((folder + "sub").c_str(), nullptr);
    auto put = [](const std::string& path, const char* text) {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        FILE* f = std::fopen(path.c_str(), "wb");
        std::fputs(text, f);
        std::fclose(f);
    };
    put(folder + "readonly.bmp", "earlier");
    SetFileAttributesA((folder + "readonly.bmp").c_str(), FILE_ATTRIBUTE_READONLY);
    put(folder + "old.ico", "earlier icon");
    Owned small(Pattern(16, 12));
    Owned big(CreateDib(4000, 3000));
    const std::string tooLong = folder + std::string(kLongestSavePath + 1 - folder.size() - 4, 'n') + ".bmp";
    struct Case {
        const char* what;
        std::string typed;
        const char* format;
        const DibBlock* picture;
        std::string target;   // whose bytes must stay
        const char* reason;   // part of the message
    };
    const Case cases[] = {
        {"read-only", folder + "readonly.bmp", "BMP", small.block, folder + "readonly.bmp", "ccess"},
        {"missing folder", folder + "absent\\x.bmp", "BMP", small.block, folder + "absent\\x.bmp", "ath"},
        {"a folder", folder + "sub", "BMP", small.block, folder + "sub", "A folder has this name."},
        {"260 characters", tooLong, "BMP", small.block, tooLong, "longer than 259"},
        {"icon of 4000 x 3000", folder + "old.ico", "ICO", big.block, folder + "old.ico", "ICO writer failed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<unsigned char> before = FileBytes(c.target);
        Driver driver(IDC_SAVE_FORMATS);
        bool open = false;
        driver.Then(SelectFormat(c.format))
            .Type(IDC_SAVE_NAME, c.typed.c_str())
            .Press(IDOK)
            .Then([&](HWND) { open = true; })
            .Press(IDCANCEL);
        bool saved = true;
        driver.Run([&] { saved = RunSavePictureDialog(nullptr, c.picture, folder + "source.jpg", "", ""); });
        EXPECT_FALSE(saved);
        EXPECT_TRUE(open) << "the dialog stays open";
        ASSERT_EQ(1u, driver.boxes.size());
        const std::string& box = driver.boxes[0];
        EXPECT_EQ(0u, box.find("Can't Save Picture: ")) << box;
        EXPECT_NE(std::string::npos, box.find(c.typed)) << box;
        EXPECT_NE(std::string::npos, box.find(c.reason)) << box;
        EXPECT_EQ(before, FileBytes(c.target));
        EXPECT_TRUE(NoTemporaryFile(folder));
    }
    SetFileAttributesA((folder + "readonly.bmp").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(SaveDialogTest, CopyToFileAsksBeforeReplacingAnEarlierNewFile) {
    const std::string folder = Scratch("copy\\");
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string earlier = folder + "NewFile.BMP";
    DeleteFileA(earlier.c_str());
    Owned selection(Pattern(24, 18, 5));
    // No file yet: the suggested name is saved at once.
    Driver first(IDC_SAVE_FORMATS);
    std::string suggested;
    first.Then([&](HWND d) { suggested = Text(d, IDC_SAVE_NAME); }).Press(IDOK);
    bool saved = false;
    first.Run([&] { saved = SavePictureDialogForDib(nullptr, selection.block, folder); });
    EXPECT_TRUE(saved);
    EXPECT_EQ(earlier, suggested);
    EXPECT_TRUE(first.boxes.empty());
    const std::vector<unsigned char> before = FileBytes(earlier);
    ASSERT_FALSE(before.empty());
    // Now it exists: with both overwrite boxes checked it is still asked
    // about (the driver answers No), and kept.
    Owned other(Pattern(24, 18, 99));
    Driver second(IDC_SAVE_FORMATS);
    bool open = false, exist = false, original = false;
    second.Then([&](HWND d) {
              exist = Checked(d, IDC_SAVE_OVERWRITE_EXIST);
              original = Checked(d, IDC_SAVE_OVERWRITE_ORIGINAL);
          })
        .Press(IDOK)
        .Then([&](HWND) { open = true; })
        .Press(IDCANCEL);
    second.Run([&] { saved = SavePictureDialogForDib(nullptr, other.block, folder); });
    EXPECT_TRUE(exist && original);
    EXPECT_FALSE(saved);
    EXPECT_TRUE(open);
    EXPECT_EQ((std::vector<std::string>{"Overwtite Exist: Over Write the Exist File ?"}), second.boxes);
    EXPECT_EQ(before, FileBytes(earlier));
}

TEST_F(SaveDialogTest, SavingOverTheOriginalAsksWhenItsBoxIsClear) {
    const std::string original = Scratch("original.BMP");
    Owned picture(Pattern(10, 10));
    FILE* f = std::fopen(original.c_str(), "wb");
    std::fputs("original bytes", f);
    std::fclose(f);
    Driver driver(IDC_SAVE_FORMATS);
    bool open = false;
    driver.Then(SelectFormat("BMP")).Click(IDC_SAVE_OVERWRITE_ORIGINAL).Press(IDOK).Then([&](HWND) { open = true; }).Press(IDCANCEL);
    bool saved = true;
    driver.Run([&] { saved = RunSavePictureDialog(nullptr, picture.block, original, "", ""); });
    EXPECT_FALSE(saved);
    EXPECT_TRUE(open);
    EXPECT_EQ((std::vector<std::string>{"Overwrite Original: Over Write Original File ?"}), driver.boxes);
    const std::vector<unsigned char> after = FileBytes(original);
    EXPECT_EQ("original bytes", std::string(after.begin(), after.end()));
    EXPECT_FALSE(SavePictureMemory().overwriteOriginal) << "the cleared box is remembered";
}

TEST_F(SaveDialogTest, SavePicturesWritesFrames2To3OfAnAnimation) {
    const LorimelApi* api = ImageLibrary();
    const std::string gif = Beside("..\\samples\\animated-parts.gif");
    char format[kLorimelFormatChars] = {};
    ASSERT_TRUE(api->DetectImageFormat(gif.c_str(), format));
    LorimelHandle file = api->OpenImageFile(gif.c_str(), "rb", format, 0);
    ASSERT_NE(nullptr, file);
    const int count = api->ReadImageHeader(file);
    ASSERT_GE(count, 3);
    std::vector<Picture*> pages;
    std::vector<DibBlock*> frames;
    for (int i = 0; i < count; ++i) {
        pages.push_back(LoadPagePicture(file, i));
        frames.push_back(pages.back()->working);
    }
    api->CloseImageFile(file);
    const std::string folder = Scratch("frames\\");
    CreateDirectoryA(folder.c_str(), nullptr);
    for (int n = 1; n <= count; ++n) DeleteFileA((folder + "Frame-0" + std::to_string(n) + ".BMP").c_str());

    FrameList list{count, FromVector, &frames};
    Driver driver(IDC_SAVE_FORMATS);
    std::string frameCount, pattern, firstFrom, lastTo;
    driver.Then([&](HWND d) {
              frameCount = Text(d, IDC_SAVE_FRAME_COUNT);
              pattern = Text(d, IDC_SAVE_TEMPLATE);
          })
        .Then(SelectFormat("BMP"))
        .Type(IDC_SAVE_NAME, folder.c_str())
        .Type(IDC_SAVE_TEMPLATE, "Frame-##.BMP")
        .Type(IDC_SAVE_BASE, "0")
        .Then(PickCombo(IDC_SAVE_FROM, 1))
        .Then(PickCombo(IDC_SAVE_TO, 1))
        .Then([&](HWND d) {
            firstFrom = ComboText(d, IDC_SAVE_FROM, 0);
            lastTo = ComboText(d, IDC_SAVE_TO, static_cast<int>(SendDlgItemMessageA(d, IDC_SAVE_TO, CB_GETCOUNT, 0, 0)) - 1);
        })
        .Press(IDOK);
    bool saved = false;
    driver.Run([&] { saved = RunSavePicturesDialog(nullptr, list, frames[0], gif, folder); });
    EXPECT_TRUE(saved);
    EXPECT_TRUE(driver.boxes.empty()) << driver.boxes.front();
    EXPECT_EQ(std::to_string(count), frameCount);
    EXPECT_EQ("Photo-###.BMP", pattern);
    EXPECT_EQ("1", firstFrom);
    EXPECT_EQ(std::to_string(count), lastTo);
    EXPECT_FALSE(Exists(folder + "Frame-01.BMP"));
    EXPECT_FALSE(Exists(folder + "Frame-04.BMP"));
    for (int n : {2, 3}) {
        SCOPED_TRACE(n);
        Owned back(LoadFirstPageDib((folder + "Frame-0" + std::to_string(n) + ".BMP").c_str()));
        EXPECT_TRUE(SamePixels(frames[static_cast<size_t>(n - 1)], back.block));
    }
    EXPECT_TRUE(NoTemporaryFile(folder));
    for (Picture* page : pages) FreePicture(page);
}

TEST_F(SaveDialogTest, FramesOfDifferentSizesAreEachSavedAtTheirOwnSize) {
    Owned small(Pattern(30, 20, 1)), large(Pattern(64, 48, 2));
    std::vector<DibBlock*> frames{small.block, large.block};
    FrameList list{2, FromVector, &frames};
    const std::string folder = Scratch("sizes\\");
    CreateDirectoryA(folder.c_str(), nullptr);
    Driver driver(IDC_SAVE_FORMATS);
    driver.Then(SelectFormat("BMP")).Click(IDC_SAVE_256_COLORS).Type(IDC_SAVE_NAME, folder.c_str())
        .Type(IDC_SAVE_TEMPLATE, "S-#.BMP").Type(IDC_SAVE_BASE, "0").Press(IDOK);
    bool saved = false;
    driver.Run([&] { saved = RunSavePicturesDialog(nullptr, list, small.block, "", folder); });
    EXPECT_TRUE(saved);
    const Stored first = Describe(folder + "S-1.BMP"), second = Describe(folder + "S-2.BMP");
    EXPECT_EQ(30, first.width);
    EXPECT_EQ(20, first.height);
    EXPECT_EQ(64, second.width);
    EXPECT_EQ(48, second.height);
    EXPECT_EQ(8, second.bits);
}

TEST_F(SaveDialogTest, TemplatesWhoseNamesCollideAreRefusedBeforeAnythingIsWritten) {
    std::vector<DibBlock*> frames;
    for (int i = 0; i < 12; ++i) frames.push_back(Pattern(4, 4, i));
    FrameList list{12, FromVector, &frames};
    const std::string folder = Scratch("refused\\");
    CreateDirectoryA(folder.c_str(), nullptr);
    FILE* f = std::fopen((folder + "W0.BMP").c_str(), "wb");
    std::fputs("another series", f);
    std::fclose(f);
    struct Case {
        const char* what;
        const char* pattern;
        const char* base;
        int to;             // To combo index (From stays at the first frame)
        const char* box;    // part of the one message
        const char* absent; // a file that must not be written
    };
    const Case cases[] = {
        {"no '#'", "Same.BMP", "0", 1, "would both be saved as", "Same.BMP"},
        {"too few '#'", "T#.BMP", "0", 11, "would both be saved as", "T1.BMP"},
        {"a folder in the template", "sub\\T##.BMP", "0", 1, "without a folder", "sub"},
        {"a number wrapping onto another series", "W#.BMP", "8", 2, "Overwrite it?", "W1.BMP"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Driver driver(IDC_SAVE_FORMATS);
        driver.Then(SelectFormat("BMP")).Type(IDC_SAVE_NAME, folder.c_str()).Type(IDC_SAVE_TEMPLATE, c.pattern)
            .Type(IDC_SAVE_BASE, c.base).Then(PickCombo(IDC_SAVE_TO, c.to)).Press(IDOK).Press(IDCANCEL);
        driver.Run([&] { RunSavePicturesDialog(nullptr, list, frames[0], "C:\\anim.gif", folder); });
        ASSERT_EQ(1u, driver.boxes.size());
        EXPECT_NE(std::string::npos, driver.boxes[0].find(c.box)) << driver.boxes[0];
        EXPECT_FALSE(Exists(folder + c.absent));
    }
    const std::vector<unsigned char> kept = FileBytes(folder + "W0.BMP");
    EXPECT_EQ("another series", std::string(kept.begin(), kept.end())) << "asked even with the box checked";
    for (DibBlock* frame : frames) FreeDib(frame);
}

TEST_F(SaveDialogTest, SaveAsOpensSavePicturesOnlyForAFileOfSeveralFrames) {
    struct Case { int pages; bool frames; };
    for (Case c : {Case{1, false}, Case{3, true}}) {
        SCOPED_TRACE(c.pages);
        PictureDocument& document = CurrentDocument();
        lstrcpyA(document.fileName, Scratch("shown.gif").c_str());
        document.pageCount = c.pages;
        document.currentPage = 0;
        if (c.pages > 1) {
            ASSERT_TRUE(AllocateDocumentPages(c.pages));
            for (int i = 1; i < c.pages; ++i) document.pages[i] = CreatePicture(6, 4);
        }
        SetCurrentPicture(CreatePicture(6, 4));
        Driver driver(IDC_SAVE_FORMATS);
        bool frames = !c.frames;
        std::string frameCount;
        driver.Then([&](HWND d) {
                  frames = GetDlgItem(d, IDC_SAVE_TEMPLATE) != nullptr;
                  frameCount = Text(d, IDC_SAVE_FRAME_COUNT);
              })
            .Press(IDCANCEL);
        driver.Run([] { SavePictureCommand(nullptr, IDC_SAVE_AS); });
        EXPECT_EQ(c.frames, frames);
        if (c.frames) {
            EXPECT_EQ(std::to_string(c.pages), frameCount);
        }
        FreeCurrentPicture();
        document.pageCount = 0;
        document.fileName[0] = '\0';
    }
}

TEST_F(SaveDialogTest, APictureHeldReducedNeverReplacesItsFileUnasked) {
    const std::string original = Scratch("held-reduced.BMP");
    FILE* f = std::fopen(original.c_str(), "wb");
    std::fputs("original bytes", f);
    std::fclose(f);
    PictureDocument& document = CurrentDocument();
    lstrcpyA(document.fileName, original.c_str());
    document.pageCount = 1;
    SetCurrentPicture(CreatePicture(6, 4));
    document.reducedPicture = document.picture;
    Driver driver(IDC_SAVE_FORMATS);
    std::string suggested;
    bool open = false;
    driver.Then([&](HWND d) { suggested = Text(d, IDC_SAVE_NAME); })
        .Then(SelectFormat("BMP")).Type(IDC_SAVE_NAME, original.c_str()).Press(IDOK)
        .Then([&](HWND) { open = true; }).Press(IDCANCEL);
    driver.Run([] { SavePictureCommand(nullptr, IDC_SAVE_AS); });
    EXPECT_EQ(std::string::npos, suggested.find("held-reduced")) << suggested;
    EXPECT_TRUE(open);
    EXPECT_EQ((std::vector<std::string>{"Overwtite Exist: Over Write the Exist File ?"}), driver.boxes);
    const std::vector<unsigned char> after = FileBytes(original);
    EXPECT_EQ("original bytes", std::string(after.begin(), after.end()));
    document.reducedPicture = nullptr;
    FreeCurrentPicture();
    document.pageCount = 0;
    document.fileName[0] = '\0';
}

// The program's frame and browser in this process: commands arrive as
// WM_COMMAND, as from their menus.
class SaveCommandTest : public SaveDialogTest {
protected:
    void SetUp() override {
        SaveDialogTest::SetUp();
        ForgetIni();
        ProgramState& shell = Program();
        shell.lorimel = *ImageLibrary();
        shell.lorimelReady = true;
        LoadShellIcons();
        ASSERT_TRUE(RegisterFrameClass());
        ASSERT_NE(nullptr, CreateFrameWindow());
        ASSERT_NE(nullptr, CreateBrowserWindow(shell.mainModule, SW_HIDE));
        ConnectDocumentToFrame(shell.frame);
        ShowWindow(shell.frame, SW_SHOW);
    }
    void TearDown() override {
        ProgramState& shell = Program();
        FreeCurrentPicture();
        CurrentDocument().pageCount = 0;
        CurrentDocument().fileName[0] = '\0';
        CurrentDocument().notOnDisk = false;
        if (shell.frame) DestroyWindow(shell.frame);
        DestroyBrowserWindow();
        ConnectDocumentToFrame(nullptr);
        FreeShellIcons();
        Drain();
        shell.lorimelReady = false;
        ForgetIni();
    }
    static void Drain() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            if (msg.message != WM_QUIT) DispatchMessageA(&msg);
    }
    // One acquired picture of the pattern, shown in the viewer as a scan is.
    static void Acquire(int width, int height) {
        Owned pattern(Pattern(width, height));
        Picture* picture = CreatePictureFromDib(pattern.block);
        int bits = 24;
        ShowAcquiredPictures(&picture, &bits, 1);
        Drain();
    }
    static void SendToFrame(UINT id) { SendMessageA(Program().frame, WM_COMMAND, id, 0); }
};

TEST_F(SaveCommandTest, ConvertPictureOpensSavePictureEvenForAFileOfSeveralFrames) {
    struct Case { UINT command; bool frames; };
    for (Case c : {Case{IDC_SAVE_AS, true}, Case{IDC_CONVERT_PICTURE, false}}) {
        SCOPED_TRACE(c.command);
        PictureDocument& document = CurrentDocument();
        lstrcpyA(document.fileName, Scratch("pages.tif").c_str());
        document.pageCount = 3;
        ASSERT_TRUE(AllocateDocumentPages(3));
        for (int i = 1; i < 3; ++i) document.pages[i] = CreatePicture(6, 4);
        SetCurrentPicture(CreatePicture(6, 4));
        Driver driver(IDC_SAVE_FORMATS);
        bool opened = false, frames = !c.frames;
        std::string name;
        driver.Then([&](HWND d) {
                  opened = true;
                  frames = GetDlgItem(d, IDC_SAVE_TEMPLATE) != nullptr;
                  name = Text(d, IDC_SAVE_NAME);
              })
            .Press(IDCANCEL);
        driver.Run([&] { SendToFrame(c.command); });
        EXPECT_TRUE(opened);
        EXPECT_EQ(c.frames, frames);
        if (!c.frames) {
            EXPECT_EQ(Scratch("pages.BMP"), name);
        }
        FreeCurrentPicture();
        document.pageCount = 0;
    }
}

TEST_F(SaveCommandTest, CopyToFileSavesTheSelectedPixels) {
    Acquire(320, 240);
    HWND view = FrameView();
    ASSERT_TRUE(ViewHasPicture(view));
    // Dragged up and to the left, around the middle of the view.
    RECT client;
    GetClientRect(view, &client);
    const int x = client.right / 2, y = client.bottom / 2;
    SendMessageA(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x + 30, y + 20));
    SendMessageA(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageA(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x - 25, y - 15));
    SendMessageA(view, WM_LBUTTONUP, 0, MAKELPARAM(x - 25, y - 15));
    RECT area;
    ASSERT_TRUE(GetViewSelectionInPicture(view, &area));
    Owned expected(CropDib(CurrentDocument().picture->working, area.left, area.top, area.right, area.bottom));

    const std::string target = Scratch("selection.bmp");
    DeleteFileA(target.c_str());
    Driver driver(IDC_SAVE_FORMATS);
    std::string suggested;
    driver.Then([&](HWND d) { suggested = Text(d, IDC_SAVE_NAME); })
        .Then(SelectFormat("BMP")).Type(IDC_SAVE_NAME, target.c_str()).Press(IDOK);
    driver.Run([] { SendToFrame(IDC_COPY_SELECTION_TO_FILE); });
    EXPECT_FALSE(driver.timedOut);
    EXPECT_TRUE(driver.boxes.empty());
    EXPECT_EQ("NewFile.BMP", suggested.substr(suggested.size() < 11 ? 0 : suggested.size() - 11)) << suggested;
    Owned saved(LoadFirstPageDib(target.c_str()));
    EXPECT_EQ(55, expected.block ? DibWidth(expected.block) : 0);
    EXPECT_TRUE(SamePixels(expected.block, saved.block));
}

// An acquired picture is named "Photo-XX.Bmp" in the folder; an unrelated
// file of that name is another picture, which nothing may replace unasked,
// read as the picture's own or mail.
TEST_F(SaveCommandTest, AnAcquiredPictureNeverTakesTheFileOfItsNameForItsOwn) {
    Acquire(40, 30);
    const std::string borrowed = CurrentDocument().fileName;
    ASSERT_TRUE(CurrentDocument().notOnDisk);
    const std::string unrelated(5000, 'u');
    FILE* f = std::fopen(borrowed.c_str(), "wb");
    ASSERT_NE(nullptr, f);
    std::fwrite(unrelated.data(), 1, unrelated.size(), f);
    std::fclose(f);

    struct Case {
        const char* what;
        std::function<void()> run;
    };
    const std::string record = Beside("mapi-record.txt");
    const Case cases[] = {
        {"Save as asks before replacing the file of its name",
         [] {
             Driver driver(IDC_SAVE_FORMATS);
             std::string suggested;
             bool open = false;
             driver.Then([&](HWND d) { suggested = Text(d, IDC_SAVE_NAME); })
                 .Then(SelectFormat("BMP")).Press(IDOK)
                 .Then([&](HWND) { open = true; }).Press(IDCANCEL);
             driver.Run([] { SendToFrame(IDC_SAVE_AS); });
             EXPECT_NE(std::string::npos, suggested.find("Photo-XX.BMP")) << suggested;
             EXPECT_TRUE(open);
             EXPECT_EQ((std::vector<std::string>{"Overwtite Exist: Over Write the Exist File ?"}), driver.boxes);
         }},
        {"Convert Picture is refused",
         [] {
             Driver driver(IDC_SAVE_FORMATS);
             bool opened = false;
             driver.Then([&](HWND) { opened = true; }).Press(IDCANCEL);
             driver.Run([] { SendToFrame(IDC_CONVERT_PICTURE); });
             EXPECT_FALSE(opened);
             EXPECT_TRUE(driver.boxes.empty());
         }},
        {"the status bar shows no size",
         [] {
             RefreshCaptionAndStatus(Program().frame, FrameStatusBar());
             char text[64] = "unset";
             SendMessageA(FrameStatusBar(), SB_GETTEXTA, 3, reinterpret_cast<LPARAM>(text));
             EXPECT_STREQ("", text);
         }},
        {"Send Mail attaches the picture itself, written for the mail",
         [&] {
             SetDllDirectoryA(Beside("mapi").c_str());
             DeleteFileA(record.c_str());
             SetEnvironmentVariableA("OMMAVU_MAPI_RECORD", record.c_str());
             Driver driver(IDC_SAVE_FORMATS);
             driver.Run([] { SendMessageA(Program().browser, WM_COMMAND, IDC_SEND_MAIL, 0); });
             SetDllDirectoryA(nullptr);
             SetEnvironmentVariableA("OMMAVU_MAPI_RECORD", nullptr);
             EXPECT_TRUE(driver.boxes.empty());
             const std::vector<unsigned char> bytes = FileBytes(record);
             std::vector<std::string> lines;
             std::string line;
             for (unsigned char c : bytes) {
                 if (c != '\n') { line += static_cast<char>(c); continue; }
                 lines.push_back(line);
                 line.clear();
             }
             ASSERT_EQ(6u, lines.size());
             const std::string mailed = lines[1];
             EXPECT_NE(borrowed, mailed);
             EXPECT_EQ("\\Photo-XX.Bmp", mailed.substr(mailed.size() < 13 ? 0 : mailed.size() - 13)) << mailed;
             // A 40 x 30 bitmap at 24 bits: 54 bytes of headers and 30 rows of 120.
             EXPECT_EQ("3654", lines[5]);
             EXPECT_FALSE(Exists(mailed)) << "the written picture outlives the mail";
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.run();
        const std::vector<unsigned char> after = FileBytes(borrowed);
        EXPECT_TRUE(std::string(after.begin(), after.end()) == unrelated) << "the file of its name changed";
    }
    DeleteFileA(borrowed.c_str());
}

}  // namespace
