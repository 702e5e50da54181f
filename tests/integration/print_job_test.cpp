// The print job against a driver that fails at each step (what is called
// after it, and what the user is told), cancelling from the abort dialog, a
// program that quits while the job runs, the windows that are disabled
// meanwhile; and the Mono Print dialog driven through its controls.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "dialog_driver.h"
#include "print_dialogs.h"
#include "print_job.h"
#include "program.h"
#include "resource_ids.h"

namespace {

// What the stand-in driver saw, and where it fails.
struct Recorder {
    std::vector<std::string> calls;
    std::string failAt;
    std::function<void()> onStartPage;
    bool frameEnabled = true, browserEnabled = true;
    std::string abortTitle;
};
Recorder* g_recorder = nullptr;

int Step(const char* name) {
    g_recorder->calls.push_back(name);
    return g_recorder->failAt == name ? 0 : 1;
}

BOOL CALLBACK FindAbortDialog(HWND window, LPARAM found) {
    char title[256] = {};
    if (IsWindowVisible(window) && GetDlgItem(window, IDCANCEL)) {
        GetWindowTextA(window, title, sizeof title);
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

HWND AbortDialog() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindAbortDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

int WINAPI FakeSetAbortProc(HDC, ABORTPROC) { return Step("SetAbortProc"); }
int WINAPI FakeStartDoc(HDC, const DOCINFOA*) { return Step("StartDoc"); }
int WINAPI FakeStartPage(HDC) {
    HWND abort = AbortDialog();
    char title[256] = {};
    if (abort) GetWindowTextA(abort, title, sizeof title);
    g_recorder->abortTitle = title;
    g_recorder->frameEnabled = IsWindowEnabled(Program().frame) != 0;
    g_recorder->browserEnabled = IsWindowEnabled(Program().browser) != 0;
    if (g_recorder->onStartPage) g_recorder->onStartPage();
    return Step("StartPage");
}
int WINAPI FakeEndPage(HDC) { return Step("EndPage"); }
int WINAPI FakeEndDoc(HDC) { return Step("EndDoc"); }
int WINAPI FakeAbortDoc(HDC) { return Step("AbortDoc"); }
bool FakeDraw(HDC, const DibBlock*, const RECT&, int) { return Step("Draw") != 0; }

const PrintSpooler kFakeSpooler = {FakeSetAbortProc, FakeStartDoc, FakeStartPage, FakeEndPage,
                                   FakeEndDoc,       FakeAbortDoc, FakeDraw};

class PrintJobTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitCommonControls(); }
    void SetUp() override {
        Program().mainModule = Program().resourceModule = GetModuleHandleA(nullptr);
        Program().frame = CreateWindowA("STATIC", "frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                        nullptr, nullptr, nullptr);
        Program().browser = CreateWindowA("STATIC", "browser", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                          nullptr, nullptr);
        picture_ = CreateDib(8, 8);
        g_recorder = &recorder_;
    }
    void TearDown() override {
        DestroyWindow(Program().frame);
        DestroyWindow(Program().browser);
        Program().frame = Program().browser = nullptr;
        FreeDib(picture_);
        g_recorder = nullptr;
    }
    PrintOutcome Run() {
        return RunPrintJob(Program().frame, nullptr, picture_, RECT{0, 0, 8, 8}, RC_DIBTODEV, "Ommavu [job]",
                           kFakeSpooler);
    }

    Recorder recorder_;
    DibBlock* picture_ = nullptr;
};

TEST_F(PrintJobTest, EveryStepIsCheckedAndAFailedPageAbortsTheJob) {
    using Calls = std::vector<std::string>;
    struct Case {
        const char* failAt;
        PrintOutcome outcome;
        Calls calls;
    };
    const Case cases[] = {
        {"", PrintOutcome::Printed, {"SetAbortProc", "StartDoc", "StartPage", "Draw", "EndPage", "EndDoc"}},
        {"SetAbortProc", PrintOutcome::NotStarted, {"SetAbortProc"}},
        {"StartDoc", PrintOutcome::NotStarted, {"SetAbortProc", "StartDoc"}},
        {"StartPage", PrintOutcome::PageFailed, {"SetAbortProc", "StartDoc", "StartPage", "AbortDoc"}},
        {"Draw", PrintOutcome::PageFailed, {"SetAbortProc", "StartDoc", "StartPage", "Draw", "AbortDoc"}},
        {"EndPage", PrintOutcome::PageFailed, {"SetAbortProc", "StartDoc", "StartPage", "Draw", "EndPage", "AbortDoc"}},
        {"EndDoc", PrintOutcome::PageFailed, {"SetAbortProc", "StartDoc", "StartPage", "Draw", "EndPage", "EndDoc"}},
    };
    for (const Case& c : cases) {
        recorder_ = Recorder{};
        recorder_.failAt = c.failAt;
        EXPECT_EQ(c.outcome, Run()) << "failing at " << c.failAt;
        EXPECT_EQ(c.calls, recorder_.calls) << "failing at " << c.failAt;
        EXPECT_EQ(nullptr, AbortDialog()) << "the abort dialog is gone";
    }
}

TEST_F(PrintJobTest, WindowsAreDisabledAndTheAbortDialogNamesTheJobWhileItRuns) {
    EnableWindow(Program().browser, FALSE);   // stays as it was
    EXPECT_EQ(PrintOutcome::Printed, Run());
    EXPECT_FALSE(recorder_.frameEnabled);
    EXPECT_FALSE(recorder_.browserEnabled);
    EXPECT_EQ("Ommavu [job]", recorder_.abortTitle);
    EXPECT_TRUE(IsWindowEnabled(Program().frame)) << "enabled again after the job";
    EXPECT_FALSE(IsWindowEnabled(Program().browser)) << "was disabled before";
}

TEST_F(PrintJobTest, CancelInTheAbortDialogStopsTheJobBeforeTheDrawing) {
    recorder_.onStartPage = [] { PostMessageA(AbortDialog(), WM_COMMAND, IDCANCEL, 0); };
    EXPECT_EQ(PrintOutcome::Cancelled, Run());
    EXPECT_EQ((std::vector<std::string>{"SetAbortProc", "StartDoc", "StartPage", "AbortDoc"}), recorder_.calls);
}

TEST_F(PrintJobTest, AQuitDuringTheJobCancelsItAndReachesTheMainLoop) {
    recorder_.onStartPage = [] { PostQuitMessage(7); };
    EXPECT_EQ(PrintOutcome::Cancelled, Run());
    EXPECT_EQ("AbortDoc", recorder_.calls.back());
    MSG msg = {};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit is posted again";
    EXPECT_EQ(7u, msg.wParam);
}

TEST_F(PrintJobTest, APictureThatCannotBeMadeReadyStartsNoJob) {
    // 32000 x 32000 device pixels that a printer without stretching needs
    // unscaled: more than a block can hold.
    PrinterFacts huge;
    huge.rasterCaps = RC_DIBTODEV;
    huge.colourBits = 32;
    huge.pageWidth = huge.pageHeight = 40000;
    huge.dpiX = huge.dpiY = 360000;
    EXPECT_EQ(PrintOutcome::NoMemory, PrintWorkingPicture(Program().frame, nullptr, huge, picture_, PrintChoice{24, 0}, 512,
                                                          "Ommavu [job]", kFakeSpooler));
    EXPECT_TRUE(recorder_.calls.empty()) << "not even SetAbortProc";
    // The same picture at a size that fits goes through every step.
    huge.dpiX = huge.dpiY = 900;
    EXPECT_EQ(PrintOutcome::Printed, PrintWorkingPicture(Program().frame, nullptr, huge, picture_, PrintChoice{24, 0},
                                                         512, "Ommavu [job]", kFakeSpooler));
    EXPECT_EQ(6u, recorder_.calls.size());
}

TEST_F(PrintJobTest, MonoPrintOffersTheChoiceItIsGivenAndKeepsItOnlyOnOk) {
    // Mid-grey: the preview of the two-colour method shows black or white.
    DibBlock* preview = CreateDib(40, 40);
    DWORD* p = reinterpret_cast<DWORD*>(preview->pixels);
    for (int i = 0; i < 40 * 40; ++i) p[i] = 0x808080;
    struct Case {
        const char* what;
        PrintChoice start;
        int button, light, press;
        PrintChoice expected;
        bool accepted;
    };
    const Case cases[] = {
        {"two colours, light 40", {4, 0}, IDC_PRINT_2_COLORS, 40, IDOK, {1, 40}, true},
        {"fast dither offered again", {2, -20}, 0, -20, IDOK, {2, -20}, true},
        {"cancel keeps the start", {4, 10}, IDC_PRINT_2_COLORS, -100, IDCANCEL, {4, 10}, false},
        {"a colour depth falls back to the best dither", {24, 0}, 0, 0, IDOK, {4, 0}, true},
    };
    for (const Case& c : cases) {
        PrintChoice choice = c.start;
        Driver driver(IDC_PRINT_LIGHT);
        int shownLight = 999;
        bool fastChecked = false;
        COLORREF middle = CLR_INVALID;
        double thumbAt = -1;   // the thumb's centre along the channel, 0 to 1
        driver.Then([&](HWND d) {
            shownLight = Position(d, IDC_PRINT_LIGHT);
            fastChecked = Checked(d, IDC_PRINT_FAST_DITHER);
            RECT thumb = {}, channel = {};
            SendMessageA(GetDlgItem(d, IDC_PRINT_LIGHT), TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
            SendMessageA(GetDlgItem(d, IDC_PRINT_LIGHT), TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
            thumbAt = ((thumb.left + thumb.right) / 2.0 - channel.left) / (channel.right - channel.left);
        });
        if (c.button) driver.Click(c.button);
        if (c.light != c.start.light) driver.Slide(IDC_PRINT_LIGHT, c.light);
        driver.Then([&](HWND d) { middle = PreviewMiddle(d, IDC_EFFECT_PREVIEW); }).Press(c.press);
        bool accepted = false;
        driver.Run([&] { accepted = RunPrintChoiceDialog(nullptr, true, preview, choice); });
        EXPECT_FALSE(driver.timedOut) << c.what;
        EXPECT_EQ(c.accepted, accepted) << c.what;
        EXPECT_EQ(c.start.light, shownLight) << c.what;
        EXPECT_EQ(c.start.depth == 2, fastChecked) << c.what;
        EXPECT_NEAR((c.start.light + 128) / 255.0, thumbAt, 0.1) << c.what << ": the thumb where the light is";
        EXPECT_EQ(c.expected.depth, choice.depth) << c.what;
        EXPECT_EQ(c.expected.light, choice.light) << c.what;
        if (c.button == IDC_PRINT_2_COLORS) {
            EXPECT_TRUE(middle == RGB(0, 0, 0) || middle == RGB(255, 255, 255)) << c.what << ": " << std::hex << middle;
        }
    }
    FreeDib(preview);
}

}  // namespace
