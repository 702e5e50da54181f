// Acquiring through the system's TWAIN source manager from the test data
// source (layers/test_source.cpp, installed for the run where the manager
// looks for sources), through the program's own message loop step; and the
// capture library.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "acquire.h"
#include "commands.h"
#include "document.h"
#include "document_link.h"
#include "feature_commands.h"
#include "frame_window.h"
#include "loader.h"
#include "program.h"
#include "shell_test_files.h"
#include "test_pictures.h"
#include "test_windows.h"

namespace {

constexpr char kScannerName[] = "Ommavu Test Scanner";

// Where the manager looks for sources: the Windows folder's "twain_32" (or
// "twain_64" for 64-bit programs).
std::string SourceSlot() {
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    return std::string(windows) + (sizeof(void*) == 8 ? "\\twain_64\\" : "\\twain_32\\") + "sane.ds";
}

std::string SourceLog() {
    HMODULE source = GetModuleHandleA("sane.ds");
    if (!source) return "<source not loaded>";
    auto log = reinterpret_cast<const char*(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(source, "TestSourceLog")));
    return log ? log() : "<no log>";
}

void ClearSourceLog() {
    HMODULE source = GetModuleHandleA("sane.ds");
    if (!source) return;
    auto clear = reinterpret_cast<void(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(source, "ClearTestSourceLog")));
    if (clear) clear();
}

UINT MenuState(UINT id) {
    HWND frame = Program().frame;
    SendMessageA(frame, WM_INITMENU, reinterpret_cast<WPARAM>(GetMenu(frame)), 0);
    return GetMenuState(GetMenu(frame), id, MF_BYCOMMAND);
}
bool MenuEnabled(UINT id) { return !(MenuState(id) & (MF_GRAYED | MF_DISABLED)); }

COLORREF WorkingPixel(const Picture* picture, int x, int y) {
    const DWORD* row = reinterpret_cast<const DWORD*>(picture->working->pixels + y * DibRowBytes(picture->working->header));
    return RGB((row[x] >> 16) & 0xFF, (row[x] >> 8) & 0xFF, row[x] & 0xFF);
}

// Each pixel of a picture the source sent, against what it must show.
void ExpectTestPicture(const Picture* picture, int bits, const std::string& what) {
    ASSERT_NE(nullptr, picture) << what;
    ASSERT_EQ(test_pictures::kWidth, DibWidth(picture->working)) << what;
    ASSERT_EQ(test_pictures::kHeight, DibHeight(picture->working)) << what;
    for (int y = 0; y < test_pictures::kHeight; ++y)
        for (int x = 0; x < test_pictures::kWidth; ++x)
            EXPECT_EQ(test_pictures::Expected(bits, x, y), WorkingPixel(picture, x, y)) << what << " at " << x << "," << y;
}

class AcquireTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The test source takes the place of the system's placeholder for the run.
        const std::string slot = SourceSlot();
        // A run that ended early left its copy and the saved placeholder behind.
        if (GetFileAttributesA((slot + ".ommavu-saved").c_str()) == INVALID_FILE_ATTRIBUTES)
            MoveFileExA(slot.c_str(), (slot + ".ommavu-saved").c_str(), 0);
        installed_ = CopyFileA(Beside("layers\\sane.ds").c_str(), slot.c_str(), FALSE) != 0;
    }
    static void TearDownTestSuite() {
        const std::string slot = SourceSlot();
        DeleteFileA(slot.c_str());
        MoveFileExA((slot + ".ommavu-saved").c_str(), slot.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    void SetUp() override {
        ASSERT_TRUE(installed_) << "the test source could not be installed at " << SourceSlot();
        CreateProgramWindows();
        ASSERT_NE(nullptr, Program().frame);
    }
    void TearDown() override {
        CloseAcquireSession();
        SetEnvironmentVariableA("OMMAVU_TEST_SOURCE_SCRIPT", nullptr);
        DestroyProgramWindows();
        FreeCurrentDocument();
        CurrentDocument().fileName[0] = '\0';
        CurrentDocument().notOnDisk = false;
        CurrentDocument().pageCount = 0;
    }

    // Open Acquire with the user choosing the test scanner (or cancelling).
    std::vector<std::string> OpenAcquire(UINT button = IDOK) {
        DialogAnswerer answer("Select Source", button);
        SendMessageA(Program().frame, WM_COMMAND, IDC_OPEN_ACQUIRE, 0);
        return answer.seen;
    }

    // Acquire with the source sending script; true once the source has
    // served it (its last transfer ended or was reset) and the document has
    // `pages` pages (any when 0).
    bool AcquireScript(const char* script, int pages, DWORD ms = 5000) {
        ClearSourceLog();
        SetEnvironmentVariableA("OMMAVU_TEST_SOURCE_SCRIPT", script);
        SendMessageA(Program().frame, WM_COMMAND, IDC_ACQUIRE, 0);
        auto ends = [](const std::string& log, const std::string& tail) {
            return log.size() >= tail.size() && log.compare(log.size() - tail.size(), tail.size(), tail) == 0;
        };
        const bool served = PumpUntil([&] {
            const std::string log = SourceLog();
            return ends(log, "ENDXFER=0") || ends(log, "RESET");
        }, std::string(script) == "quit" ? 500 : ms);
        PumpFor(150);  // the reports the frame posted to itself
        if (pages == 0) return true;
        return served && CurrentDocument().pageCount == pages && CurrentDocument().notOnDisk;
    }

    static bool installed_;
};

bool AcquireTest::installed_ = false;

TEST_F(AcquireTest, SelectingTheScannerOpensTheManagerAndTheMenuFollows) {
    EXPECT_TRUE(MenuEnabled(IDC_OPEN_ACQUIRE));
    EXPECT_FALSE(MenuEnabled(IDC_ACQUIRE));
    EXPECT_FALSE(MenuEnabled(IDC_CLOSE_ACQUIRE));
    std::vector<std::string> seen = OpenAcquire();
    ASSERT_EQ(1u, seen.size());
    EXPECT_NE(std::string::npos, seen[0].find(kScannerName)) << seen[0];
    EXPECT_TRUE(AcquireManagerOpen());
    EXPECT_STREQ(kScannerName, AcquireSession().SourceIdentity().ProductName);
    EXPECT_FALSE(MenuEnabled(IDC_OPEN_ACQUIRE));
    EXPECT_TRUE(MenuEnabled(IDC_ACQUIRE));
    EXPECT_TRUE(MenuEnabled(IDC_CLOSE_ACQUIRE));

    SendMessageA(Program().frame, WM_COMMAND, IDC_CLOSE_ACQUIRE, 0);
    EXPECT_FALSE(AcquireManagerOpen());
    EXPECT_TRUE(MenuEnabled(IDC_OPEN_ACQUIRE));
    EXPECT_FALSE(MenuEnabled(IDC_ACQUIRE));

    // Cancelling the choice leaves the manager closed.
    seen = OpenAcquire(IDCANCEL);
    EXPECT_EQ(1u, seen.size());
    EXPECT_FALSE(AcquireManagerOpen());
    EXPECT_TRUE(MenuEnabled(IDC_OPEN_ACQUIRE));
}

TEST_F(AcquireTest, TheManagerComesFromTheWindowsFolderNotTheBrowsedOne) {
    // Libraries of that name in the current (browsed) folder and beside the
    // program, the first places a search by bare name may look, are not the
    // manager.
    const std::string folder = FreshFolder("ommavu-twain-decoy");
    const std::string decoys[] = {folder + "TWAIN_32.DLL", Beside("TWAIN_32.DLL")};
    for (const std::string& decoy : decoys)
        ASSERT_TRUE(CopyFileA(Beside("layers\\CapImage.dll").c_str(), decoy.c_str(), FALSE)) << decoy;
    char before[MAX_PATH];
    GetCurrentDirectoryA(sizeof before, before);
    SetCurrentDirectoryA(folder.c_str());
    std::vector<std::string> seen = OpenAcquire();
    SetCurrentDirectoryA(before);
    EXPECT_EQ(1u, seen.size());
    EXPECT_TRUE(AcquireManagerOpen());
    // The Windows folder's, or the system folder's where the former does not
    // load (a 64-bit program finds a 32-bit library there).
    char path[MAX_PATH] = {}, windows[MAX_PATH] = {}, system[MAX_PATH] = {};
    GetModuleFileNameA(GetModuleHandleA("twain_32.dll"), path, sizeof path);
    GetWindowsDirectoryA(windows, sizeof windows);
    GetSystemDirectoryA(system, sizeof system);
    EXPECT_TRUE(lstrcmpiA((std::string(windows) + "\\twain_32.dll").c_str(), path) == 0 ||
                lstrcmpiA((std::string(system) + "\\twain_32.dll").c_str(), path) == 0)
        << path;
    CloseAcquireSession();
    for (const std::string& decoy : decoys) DeleteFileA(decoy.c_str());
}

TEST_F(AcquireTest, ThreePicturesBecomeAThreePageShowOf1500Ms) {
    OpenAcquire();
    ASSERT_TRUE(AcquireManagerOpen());
    ASSERT_TRUE(AcquireScript("24b 8t 1b", 3)) << SourceLog();
    const DWORD arrived = GetTickCount();
    EXPECT_EQ("OPENDS XFERCOUNT=-1 ENABLEDS show=1 parent XFER=24b ENDXFER=2 XFER=8t ENDXFER=1 XFER=1b ENDXFER=0",
              SourceLog());
    const PictureDocument& doc = CurrentDocument();
    ASSERT_NE(nullptr, doc.pages);
    ExpectTestPicture(doc.pages[0], 24, "page 0");
    ExpectTestPicture(doc.pages[1], 8, "page 1");
    ExpectTestPicture(doc.pages[2], 1, "page 2");
    EXPECT_EQ(doc.pages[0], doc.picture);
    const std::string name = doc.fileName;
    EXPECT_EQ("\\Photo-XX.Bmp", name.substr(name.size() - 13)) << name;
    EXPECT_TRUE(doc.notOnDisk);

    // Not on disk: Reload and Convert have nothing to read.
    EXPECT_FALSE(MenuEnabled(IDC_RELOAD));
    EXPECT_FALSE(MenuEnabled(IDC_CONVERT_PICTURE));
    Picture* shown = doc.picture;
    SendMessageA(Program().frame, WM_COMMAND, IDC_RELOAD, 0);
    EXPECT_FALSE(IsPictureLoaderRunning());
    EXPECT_EQ(shown, doc.picture);

    // The pages follow each other every 1500 ms.
    // A timer never fires early, so the lower bounds hold on any machine;
    // how late it fires on a busy one is for the printed figures.
    ASSERT_TRUE(PumpUntil([] { return CurrentDocument().currentPage == 1; }, 15000));
    const DWORD first = GetTickCount() - arrived;
    ASSERT_TRUE(PumpUntil([] { return CurrentDocument().currentPage == 2; }, 15000));
    const DWORD second = GetTickCount() - arrived;
    EXPECT_GE(first, 1100u);
    EXPECT_GE(second - first, 1300u);
    std::printf("pages changed %lu ms after the pictures arrived and %lu ms later\n",
                static_cast<unsigned long>(first), static_cast<unsigned long>(second - first));
    ExpectTestPicture(CurrentDocument().picture, 1, "shown third");
}

TEST_F(AcquireTest, ASourceThatTakesOnlyAnUnsignedCountGetsItsOwnValueBack) {
    OpenAcquire();
    SetEnvironmentVariableA("OMMAVU_TEST_SOURCE_UNSIGNED_COUNT", "1");
    const bool done = AcquireScript("24b", 1);
    SetEnvironmentVariableA("OMMAVU_TEST_SOURCE_UNSIGNED_COUNT", nullptr);
    ASSERT_TRUE(done) << SourceLog();
    EXPECT_EQ("OPENDS XFERCOUNT refused XFERCOUNT? XFERCOUNT(u16)=65535 ENABLEDS show=1 parent XFER=24b ENDXFER=0",
              SourceLog());
    EXPECT_EQ(-1, AcquireSession().TransferCount());
}

TEST_F(AcquireTest, AFileOfTheAcquiredNameIsAnotherPicture) {
    ASSERT_TRUE(EnsureImageLibrary());
    const std::string folder = FreshFolder("ommavu-acquired-name");
    char before[MAX_PATH];
    GetCurrentDirectoryA(sizeof before, before);
    SetCurrentDirectoryA(folder.c_str());
    OpenAcquire();
    const bool acquired = AcquireScript("24t 8b", 2);
    SetCurrentDirectoryA(before);
    ASSERT_TRUE(acquired) << SourceLog();
    const std::string name = CurrentDocument().fileName;
    ASSERT_TRUE(CopyFileA(WriteBmp("acquired-name.bmp", 7, 4).c_str(), name.c_str(), FALSE)) << name;

    // Opened by that name from the browser or the Open dialog: the file is
    // read, not taken for the pictures already shown.
    EXPECT_TRUE(OpenPictureByName(Program().frame, name.c_str()));
    EXPECT_TRUE(PumpUntil([] {
        const Picture* shown = CurrentDocument().picture;
        return !IsPictureLoaderRunning() && shown && DibWidth(shown->working) == 7;
    }, 5000));
    EXPECT_FALSE(CurrentDocument().notOnDisk);
    EXPECT_TRUE(MenuEnabled(IDC_RELOAD));
    DeleteFileA(name.c_str());
}

TEST_F(AcquireTest, EveryDepthArrivesWithItsExactPixels) {
    OpenAcquire();
    const char* tokens[] = {"1b", "1t", "4b", "4t", "8b", "8t", "16b", "16t", "24b", "24t", "32b", "32t"};
    std::string script;
    for (const char* token : tokens) script += std::string(script.empty() ? "" : " ") + token;
    ASSERT_TRUE(AcquireScript(script.c_str(), 12)) << SourceLog();
    for (int i = 0; i < 12; ++i) ExpectTestPicture(CurrentDocument().pages[i], std::atoi(tokens[i]), tokens[i]);
    EXPECT_EQ(1, CurrentDocument().pageBits[0]);
    EXPECT_EQ(32, CurrentDocument().pageBits[11]);
}

TEST_F(AcquireTest, OnePictureBecomesTheCurrentPicture) {
    OpenAcquire();
    ASSERT_TRUE(AcquireScript("24t", 1)) << SourceLog();
    EXPECT_EQ(nullptr, CurrentDocument().pages);
    ExpectTestPicture(CurrentDocument().picture, 24, "the picture");
    EXPECT_EQ(24, CurrentDocument().pageBitsPerPixel);
}

TEST_F(AcquireTest, NoScanIsLostWhenATransferFailsOrIsCancelledOrMalformed) {
    OpenAcquire();
    struct Case {
        const char* script;
        std::vector<int> kept;  // depths of the pictures kept, in order
        const char* logTail;
    } cases[] = {
        {"24b 8b fail 24t", {24, 8}, "XFER=8b ENDXFER=2 XFER=fail RESET"},
        {"24b bad 8t", {24, 8}, "XFER=bad ENDXFER=1 XFER=8t ENDXFER=0"},
        {"24b 4t cancel 8b", {24, 4}, "XFER=cancel ENDXFER=1 RESET"},
        {"24b cancel", {24}, "XFER=cancel ENDXFER=0"},
    };
    for (const Case& c : cases) {
        const int skippedBefore = AcquireSession().SkippedPictures();
        const bool malformed = std::string(c.script).find("bad") != std::string::npos;
        ASSERT_TRUE(AcquireScript(c.script, static_cast<int>(c.kept.size()))) << c.script << ": " << SourceLog();
        const std::string log = SourceLog();
        EXPECT_EQ(c.logTail, log.substr(log.size() - std::min(log.size(), std::string(c.logTail).size()))) << log;
        EXPECT_EQ(skippedBefore + (malformed ? 1 : 0), AcquireSession().SkippedPictures()) << c.script;
        const PictureDocument& doc = CurrentDocument();
        if (c.kept.size() == 1) {
            ExpectTestPicture(doc.picture, c.kept[0], c.script);
        } else {
            for (size_t i = 0; i < c.kept.size(); ++i) ExpectTestPicture(doc.pages[i], c.kept[i], c.script);
        }
        // Another batch follows on the same enabled source.
        EXPECT_TRUE(AcquireSession().SourceEnabled());
        SendMessageA(Program().frame, WM_COMMAND, IDC_CLOSE_ACQUIRE, 0);
        OpenAcquire();
    }
}

TEST_F(AcquireTest, CancellingInTheSourceLeavesTheViewerAsItWas) {
    OpenAcquire();
    ASSERT_TRUE(AcquireScript("24t", 1));
    Picture* before = CurrentDocument().picture;
    const std::string name = CurrentDocument().fileName;
    SendMessageA(Program().frame, WM_COMMAND, IDC_CLOSE_ACQUIRE, 0);
    OpenAcquire();
    for (const char* script : {"cancel", "fail"}) {
        ASSERT_TRUE(AcquireScript(script, 0));
        EXPECT_EQ(before, CurrentDocument().picture) << script;
        EXPECT_EQ(name, CurrentDocument().fileName) << script;
        SendMessageA(Program().frame, WM_COMMAND, IDC_CLOSE_ACQUIRE, 0);
        OpenAcquire();
    }
}

TEST_F(AcquireTest, TheSourcesCloseRequestClosesIt) {
    OpenAcquire();
    ASSERT_TRUE(AcquireScript("24b close", 1)) << SourceLog();
    PumpUntil([] { return !AcquireSession().SourceOpen(); }, 2000);
    EXPECT_FALSE(AcquireSession().SourceOpen());
    EXPECT_TRUE(AcquireManagerOpen());
    const std::string log = SourceLog();
    EXPECT_NE(std::string::npos, log.find("ENDXFER=0 DISABLEDS CLOSEDS")) << log;

    // The user closes the source's window without sending anything.
    Picture* before = CurrentDocument().picture;
    ASSERT_TRUE(AcquireScript("quit", 0));
    PumpUntil([] { return !AcquireSession().SourceOpen(); }, 2000);
    EXPECT_FALSE(AcquireSession().SourceOpen());
    EXPECT_EQ(before, CurrentDocument().picture);
}

TEST_F(AcquireTest, ClosingTheFrameClosesSourceAndManager) {
    OpenAcquire();
    ASSERT_TRUE(AcquireScript("24b", 1));
    ASSERT_TRUE(AcquireSession().SourceEnabled());
    ClearSourceLog();
    SendMessageA(Program().frame, WM_CLOSE, 0, 0);
    EXPECT_FALSE(AcquireManagerOpen());
    EXPECT_EQ("DISABLEDS CLOSEDS", SourceLog());
}

TEST_F(AcquireTest, WithoutSourceManagerTheCommandsDoNothing) {
    if (HMODULE manager = LoadSourceManager()) {
        FreeLibrary(manager);
        GTEST_SKIP() << "runs where the system's source manager cannot be loaded";
    }
    Picture* before = CurrentDocument().picture;
    std::vector<std::string> seen = OpenAcquire();
    EXPECT_TRUE(seen.empty());
    EXPECT_FALSE(AcquireManagerOpen());
    for (UINT id : {IDC_ACQUIRE, IDC_CLOSE_ACQUIRE}) SendMessageA(Program().frame, WM_COMMAND, id, 0);
    PumpFor(200);
    EXPECT_FALSE(AcquireManagerOpen());
    EXPECT_EQ(before, CurrentDocument().picture);
    EXPECT_TRUE(MenuEnabled(IDC_OPEN_ACQUIRE));
    EXPECT_FALSE(MenuEnabled(IDC_ACQUIRE));
}

// The capture library is looked for in the program folder.
class CaptureTest : public ::testing::Test {
protected:
    void SetUp() override {
        CreateProgramWindows();
        folder_ = FreshFolder("ommavu-capture");
        Program().programDirectory = folder_;
    }
    void TearDown() override {
        FreeCaptureLibrary();
        DestroyProgramWindows();
        DeleteFileA((folder_ + "CapImage.dll").c_str());
    }
    std::string folder_;
};

TEST_F(CaptureTest, AMissingLibraryIsReportedWithString32849) {
    DialogAnswerer answer("", IDOK);
    SendMessageA(Program().frame, WM_COMMAND, IDC_CAPTURE_FRAME, 0);
    ASSERT_EQ(1u, answer.seen.size());
    EXPECT_EQ("Error: Load capture plugin error.", answer.seen[0]);
    EXPECT_EQ(nullptr, CaptureLibrary());
}

TEST_F(CaptureTest, TheLibraryGetsTheFrameAndStaysLoadedUntilShutdown) {
    ASSERT_TRUE(CopyFileA(Beside("layers\\CapImage.dll").c_str(), (folder_ + "CapImage.dll").c_str(), FALSE));
    SendMessageA(Program().frame, WM_COMMAND, IDC_CAPTURE_FRAME, 0);
    HMODULE loaded = GetModuleHandleA("CapImage.dll");
    ASSERT_NE(nullptr, loaded);
    char path[MAX_PATH] = {};
    GetModuleFileNameA(loaded, path, sizeof path);
    EXPECT_EQ(0, lstrcmpiA((folder_ + "CapImage.dll").c_str(), path)) << path;
    auto window = reinterpret_cast<HWND(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(loaded, "CapturedWindow")));
    auto calls = reinterpret_cast<int(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(loaded, "CaptureCalls")));
    ASSERT_TRUE(window && calls);
    EXPECT_EQ(Program().frame, window());

    // A second command finds the same library, whose count went on.
    SendMessageA(Program().frame, WM_COMMAND, IDC_CAPTURE_FRAME, 0);
    EXPECT_EQ(loaded, GetModuleHandleA("CapImage.dll"));
    EXPECT_EQ(2, calls());

    FreeCaptureLibrary();
    EXPECT_EQ(nullptr, GetModuleHandleA("CapImage.dll"));
}

}  // namespace
