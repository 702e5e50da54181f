// Printing from the running program to real printers: a private CUPS
// spooler (print-spooler.sh) with PDF printers.  The PDF each job makes is
// rendered with pdftoppm and the page is looked at the way a user looks at
// the paper: where the picture is, how large, which colour each quadrant
// has.  Cancelling either dialog must leave no job behind.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "driver.h"

namespace {

constexpr int kPrinterCombo = 1139;     // the system print dialog's printer list
constexpr int kColourDialogMark = 1063; // "16M Colors" of Color Print
constexpr int kColour32K = 1061;
constexpr int kRenderDpi = 36;

std::string UnixToWindows(const std::string& path) {
    std::string windows = "Z:" + path;
    for (char& c : windows)
        if (c == '/') c = '\\';
    return windows;
}

std::string SpoolerFolder() {
    const char* folder = getenv("OMMAVU_PRINT_SPOOLER");
    return folder ? folder : "";
}

std::string PdfFolder() {
    std::ifstream in(UnixToWindows(SpoolerFolder() + "/out-dir"));
    std::string line;
    std::getline(in, line);
    return line;
}

// The PDFs of a folder with their last-write times: cups-pdf numbers its
// files by job, and a new spooler numbers its jobs from 1 again, so a new
// PDF may take the name of an old one.
using PdfList = std::map<std::string, ULONGLONG>;
PdfList PdfsIn(const std::string& folder) {
    PdfList names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((UnixToWindows(folder) + "\\*.pdf").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do names[found.cFileName] = (static_cast<ULONGLONG>(found.ftLastWriteTime.dwHighDateTime) << 32) |
                                found.ftLastWriteTime.dwLowDateTime;
    while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

bool Complete(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return bytes.size() > 8 && bytes.find("%%EOF", bytes.size() > 64 ? bytes.size() - 64 : 0) != std::string::npos;
}

// The first PDF that was not there before, once cups-pdf has finished it.
std::string WaitForNewPdf(const std::string& folder, const PdfList& before, DWORD ms = 60000) {
    const DWORD start = GetTickCount();
    do {
        for (const auto& [name, written] : PdfsIn(folder)) {
            auto old = before.find(name);
            if ((old == before.end() || old->second != written) && Complete(UnixToWindows(folder + "/" + name)))
                return name;
        }
        Sleep(200);
    } while (GetTickCount() - start < ms);
    return "";
}

int JobNumber(const std::string& pdfName) {
    const size_t at = pdfName.rfind("-job_");
    return at == std::string::npos ? -1 : atoi(pdfName.c_str() + at + 5);
}

struct Page {
    int width = 0, height = 0;
    std::vector<BYTE> rgb;
    COLORREF At(int x, int y) const {
        const BYTE* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
        return RGB(p[0], p[1], p[2]);
    }
};

// Renders the PDF's first page with pdftoppm (a Linux program, which Wine
// starts like any other) and reads the PPM it writes.
Page Render(const std::string& pdf) {
    const std::string out = SpoolerFolder() + "/page";
    DeleteFileA(UnixToWindows(out + ".ppm").c_str());
    DeleteFileA(UnixToWindows(out + ".done").c_str());
    std::string line = "/bin/sh -c \"pdftoppm -r " + std::to_string(kRenderDpi) + " -singlefile '" + pdf + "' '" +
                       out + "' && touch '" + out + ".done'\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION info = {};
    Page page;
    if (!CreateProcessA("Z:\\bin\\sh", &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &info)) return page;
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    // A Linux child's handle does not tell when it ends: its mark does.
    const std::string done = UnixToWindows(out + ".done");
    for (int i = 0; i < 300 && GetFileAttributesA(done.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(100);
    std::ifstream in(UnixToWindows(out + ".ppm"), std::ios::binary);
    std::string magic;
    int maximum = 0;
    in >> magic >> page.width >> page.height >> maximum;
    in.get();
    if (magic != "P6" || page.width <= 0 || page.height <= 0) return Page{};
    page.rgb.resize(static_cast<size_t>(page.width) * page.height * 3);
    in.read(reinterpret_cast<char*>(page.rgb.data()), static_cast<std::streamsize>(page.rgb.size()));
    // The job's PDF has been looked at: it does not pile up in the user's
    // PDF folder.
    DeleteFileA(UnixToWindows(pdf).c_str());
    return page;
}

bool White(COLORREF c) { return GetRValue(c) > 240 && GetGValue(c) > 240 && GetBValue(c) > 240; }

// The smallest rectangle holding every pixel that is not paper.
RECT InkBox(const Page& page) {
    RECT box = {page.width, page.height, 0, 0};
    for (int y = 0; y < page.height; ++y)
        for (int x = 0; x < page.width; ++x) {
            if (White(page.At(x, y))) continue;
            if (x < box.left) box.left = x;
            if (y < box.top) box.top = y;
            if (x + 1 > box.right) box.right = x + 1;
            if (y + 1 > box.bottom) box.bottom = y + 1;
        }
    return box;
}

bool Near(COLORREF a, COLORREF b) {
    return abs(GetRValue(a) - GetRValue(b)) <= 10 && abs(GetGValue(a) - GetGValue(b)) <= 10 &&
           abs(GetBValue(a) - GetBValue(b)) <= 10;
}

std::string Hex(COLORREF c) {
    char text[16];
    snprintf(text, sizeof text, "%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

// A 24-bit BMP of four solid quadrants: top-left, top-right, bottom-left,
// bottom-right.
void WriteQuadrants(const std::string& path, int width, int height, const COLORREF colours[4]) {
    const int rowBytes = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + rowBytes * height;
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;   // bottom-up
    info.biPlanes = 1;
    info.biBitCount = 24;
    std::vector<BYTE> pixels(static_cast<size_t>(rowBytes) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int top = y < height / 2 ? 0 : 2;
            const COLORREF c = colours[top + (x < width / 2 ? 0 : 1)];
            BYTE* p = &pixels[static_cast<size_t>(height - 1 - y) * rowBytes + x * 3];
            p[0] = GetBValue(c);
            p[1] = GetGValue(c);
            p[2] = GetRValue(c);
        }
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(reinterpret_cast<const char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
}

struct DialogFinder {
    DWORD process;
    int control;
    HWND found;
    static BOOL CALLBACK Visit(HWND window, LPARAM lp) {
        auto* f = reinterpret_cast<DialogFinder*>(lp);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == f->process && IsWindowVisible(window) && GetDlgItem(window, f->control)) {
            f->found = window;
            return FALSE;
        }
        return TRUE;
    }
};

// The program's visible dialog that holds a control with this ID.
HWND WaitForDialog(DWORD process, int control, DWORD ms = 20000) {
    const DWORD start = GetTickCount();
    do {
        DialogFinder finder{process, control, nullptr};
        EnumWindows(DialogFinder::Visit, reinterpret_cast<LPARAM>(&finder));
        if (finder.found) {
            Sleep(200);   // let it finish drawing before it is answered
            return finder.found;
        }
        Sleep(50);
    } while (GetTickCount() - start < ms);
    return nullptr;
}

bool WaitUntilGone(HWND window, DWORD ms = 20000) {
    const DWORD start = GetTickCount();
    while (IsWindow(window) && IsWindowVisible(window)) {
        if (GetTickCount() - start > ms) return false;
        Sleep(50);
    }
    return true;
}

// Device facts of a printer, read the way any program reads them.
struct Facts {
    int pageW, pageH, dpiX, dpiY;
};
Facts PrinterFacts(const char* name) {
    Facts facts = {};
    HDC dc = CreateDCA("WINSPOOL", name, nullptr, nullptr);
    if (!dc) return facts;
    facts = {GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES), GetDeviceCaps(dc, LOGPIXELSX),
             GetDeviceCaps(dc, LOGPIXELSY)};
    DeleteDC(dc);
    return facts;
}

class PrintEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(SpoolerFolder().empty()) << "OMMAVU_PRINT_SPOOLER names the spooler folder";
        pdfs_ = PdfFolder();
        ASSERT_FALSE(pdfs_.empty()) << "the spooler wrote where its PDFs go";
        DeleteFileA(IniPath().c_str());
    }

    // Print from the frame: the system dialog's OK, then the colour
    // dialog's OK (after choosing a depth when asked).
    void PrintThroughDialogs(const Running& program, HWND frame, int depthButton = 0) {
        PostMessageA(frame, WM_COMMAND, 32818, 0);
        HWND system = WaitForDialog(program.ProcessId(), kPrinterCombo);
        ASSERT_NE(nullptr, system) << "the printer dialog";
        PostMessageA(system, WM_COMMAND, IDOK, 0);
        HWND colour = WaitForDialog(program.ProcessId(), kColourDialogMark);
        ASSERT_NE(nullptr, colour) << "Color Print";
        if (depthButton) SendMessageA(GetDlgItem(colour, depthButton), BM_CLICK, 0, 0);
        PostMessageA(colour, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(WaitUntilGone(colour));
    }

    // Where a picture printed at 90 pixels to the inch, centred, lands on
    // the rendered page.
    static RECT Expected(const Facts& f, int width, int height) {
        const int w = width * f.dpiX / 90, h = height * f.dpiY / 90;
        const int left = (f.pageW - w) / 2, top = (f.pageH - h) / 2;
        return RECT{left * kRenderDpi / f.dpiX, top * kRenderDpi / f.dpiY, (left + w) * kRenderDpi / f.dpiX,
                    (top + h) * kRenderDpi / f.dpiY};
    }

    static void ExpectBox(const RECT& expected, const RECT& box) {
        EXPECT_NEAR(expected.left, box.left, 2);
        EXPECT_NEAR(expected.top, box.top, 2);
        EXPECT_NEAR(expected.right, box.right, 2);
        EXPECT_NEAR(expected.bottom, box.bottom, 2);
    }

    // The colours in the middle of the four quarters of a box, each within
    // a few steps of the one expected (the PDF renderer rounds).
    static void ExpectQuarters(const std::vector<COLORREF>& expected, const Page& page, const RECT& box) {
        const int w = box.right - box.left, h = box.bottom - box.top;
        for (int q = 0; q < 4; ++q) {
            const COLORREF seen = page.At(box.left + w / 4 + (q & 1) * w / 2, box.top + h / 4 + (q >> 1) * h / 2);
            EXPECT_TRUE(Near(expected[q], seen)) << "quarter " << q << ": " << Hex(seen) << ", not " << Hex(expected[q]);
        }
    }

    std::string pdfs_;
};

const COLORREF kQuadrants[4] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 0)};

TEST_F(PrintEndToEndTest, APortraitPicturePrintsUprightCentredAtNinetyPixelsAnInchAndCancelLeavesNoJob) {
    ASSERT_TRUE(SetDefaultPrinterA("OmmavuPDF"));
    const Facts facts = PrinterFacts("OmmavuPDF");
    ASSERT_GT(facts.dpiX, 0);
    const std::string picture = TestsFolder() + "print-quadrants.bmp";
    WriteQuadrants(picture, 120, 180, kQuadrants);
    Running tavirsel("\"" + picture + "\"");
    HWND frame = tavirsel.Window("Ommavu");
    ASSERT_NE(nullptr, frame);
    WaitForStatus(frame, "1/1");
    Sleep(500);

    // 16M colours, the first offer.
    PdfList before = PdfsIn(pdfs_);
    PrintThroughDialogs(tavirsel, frame);
    const std::string first = WaitForNewPdf(pdfs_, before);
    ASSERT_FALSE(first.empty()) << "a PDF in " << pdfs_;
    Page page = Render(pdfs_ + "/" + first);
    ASSERT_GT(page.width, 0) << "pdftoppm rendered " << first;
    EXPECT_NEAR(facts.pageW * kRenderDpi / facts.dpiX, page.width, 1) << "an A4 page";
    RECT box = InkBox(page);
    ExpectBox(Expected(facts, 120, 180), box);
    ExpectQuarters({RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 0)}, page, box);

    // Cancel in the system dialog, then in Color Print (after choosing
    // another depth there): neither leaves a job.
    PostMessageA(frame, WM_COMMAND, 32818, 0);
    HWND system = WaitForDialog(tavirsel.ProcessId(), kPrinterCombo);
    ASSERT_NE(nullptr, system);
    PostMessageA(system, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntilGone(system));
    PostMessageA(frame, WM_COMMAND, 32818, 0);
    system = WaitForDialog(tavirsel.ProcessId(), kPrinterCombo);
    ASSERT_NE(nullptr, system);
    PostMessageA(system, WM_COMMAND, IDOK, 0);
    HWND colour = WaitForDialog(tavirsel.ProcessId(), kColourDialogMark);
    ASSERT_NE(nullptr, colour);
    SendMessageA(GetDlgItem(colour, kColour32K), BM_CLICK, 0, 0);
    PostMessageA(colour, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntilGone(colour));

    // The next job is the very next number: nothing was queued between.  Its
    // dialog still offers 16M (Cancel kept no choice); 32K is chosen now.
    before = PdfsIn(pdfs_);
    PostMessageA(frame, WM_COMMAND, 32818, 0);
    system = WaitForDialog(tavirsel.ProcessId(), kPrinterCombo);
    ASSERT_NE(nullptr, system);
    PostMessageA(system, WM_COMMAND, IDOK, 0);
    colour = WaitForDialog(tavirsel.ProcessId(), kColourDialogMark);
    ASSERT_NE(nullptr, colour);
    EXPECT_EQ(BST_CHECKED, SendMessageA(GetDlgItem(colour, kColourDialogMark), BM_GETCHECK, 0, 0));
    SendMessageA(GetDlgItem(colour, kColour32K), BM_CLICK, 0, 0);
    PostMessageA(colour, WM_COMMAND, IDOK, 0);
    const std::string second = WaitForNewPdf(pdfs_, before);
    ASSERT_FALSE(second.empty());
    EXPECT_EQ(JobNumber(first) + 1, JobNumber(second)) << first << " then " << second;
    page = Render(pdfs_ + "/" + second);
    box = InkBox(page);
    ExpectBox(Expected(facts, 120, 180), box);
    // 32K colours keep five bits a channel: 255 prints as 248.
    ExpectQuarters({RGB(248, 0, 0), RGB(0, 248, 0), RGB(0, 0, 248), RGB(248, 248, 0)}, page, box);

    // The next print offers 32K again.
    PostMessageA(frame, WM_COMMAND, 32818, 0);
    system = WaitForDialog(tavirsel.ProcessId(), kPrinterCombo);
    ASSERT_NE(nullptr, system);
    PostMessageA(system, WM_COMMAND, IDOK, 0);
    colour = WaitForDialog(tavirsel.ProcessId(), kColourDialogMark);
    ASSERT_NE(nullptr, colour);
    EXPECT_EQ(BST_CHECKED, SendMessageA(GetDlgItem(colour, kColour32K), BM_GETCHECK, 0, 0));
    SaveScreenshot(colour, "color-print-dialog.bmp");
    PostMessageA(colour, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntilGone(colour));

    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, tavirsel.Wait(20000));
    DeleteFileA(picture.c_str());
}

TEST_F(PrintEndToEndTest, APortraitPictureTurnsOnALandscapePageFromTheViewerAndTheBrowser) {
    ASSERT_TRUE(SetDefaultPrinterA("OmmavuWide"));
    const Facts facts = PrinterFacts("OmmavuWide");
    ASSERT_GT(facts.pageW, facts.pageH) << "the wide printer's page is wider than tall";
    const std::string picture = TestsFolder() + "print-portrait.bmp";
    WriteQuadrants(picture, 120, 180, kQuadrants);
    Running tavirsel("\"" + picture + "\"");
    HWND frame = tavirsel.Window("Ommavu");
    ASSERT_NE(nullptr, frame);
    WaitForStatus(frame, "1/1");
    Sleep(500);

    const PdfList before = PdfsIn(pdfs_);
    PrintThroughDialogs(tavirsel, frame);
    const std::string pdf = WaitForNewPdf(pdfs_, before);
    ASSERT_FALSE(pdf.empty());
    const Page page = Render(pdfs_ + "/" + pdf);
    ASSERT_GT(page.width, page.height) << "a landscape page";
    const RECT box = InkBox(page);
    ExpectBox(Expected(facts, 180, 120), box);
    // Turned a quarter counter-clockwise: the top-right quadrant comes to
    // the top left.
    ExpectQuarters({RGB(0, 255, 0), RGB(255, 255, 0), RGB(255, 0, 0), RGB(0, 0, 255)}, page, box);

    // The browser's Print prints the same picture, with the dialogs over
    // the browser.
    PostMessageA(frame, WM_COMMAND, 117, 0);   // Browse
    HWND browser = tavirsel.Window("OmmavuSHOWer");
    ASSERT_NE(nullptr, browser);
    for (int i = 0; i < 200 && !IsWindowVisible(browser); ++i) Sleep(50);
    const PdfList earlier = PdfsIn(pdfs_);
    PostMessageA(browser, WM_COMMAND, 32788, 0);
    HWND system = WaitForDialog(tavirsel.ProcessId(), kPrinterCombo);
    ASSERT_NE(nullptr, system);
    EXPECT_EQ(browser, GetWindow(system, GW_OWNER));
    PostMessageA(system, WM_COMMAND, IDOK, 0);
    HWND colour = WaitForDialog(tavirsel.ProcessId(), kColourDialogMark);
    ASSERT_NE(nullptr, colour);
    PostMessageA(colour, WM_COMMAND, IDOK, 0);
    const std::string again = WaitForNewPdf(pdfs_, earlier);
    ASSERT_FALSE(again.empty());
    EXPECT_EQ(JobNumber(pdf) + 1, JobNumber(again));
    const Page second = Render(pdfs_ + "/" + again);
    ExpectBox(Expected(facts, 180, 120), InkBox(second));
    ExpectQuarters({RGB(0, 255, 0), RGB(255, 255, 0), RGB(255, 0, 0), RGB(0, 0, 255)}, second, InkBox(second));

    PostMessageA(browser, WM_CLOSE, 0, 0);
    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, tavirsel.Wait(20000));
    SetDefaultPrinterA("OmmavuPDF");
    DeleteFileA(picture.c_str());
}

// Run with LC_ALL=zh_CN.UTF-8 (code page 936): the dialog is the Chinese
// library's, and the page comes out the same.
TEST_F(PrintEndToEndTest, ChineseColorPrintPrintsTheSamePage) {
    if (GetACP() != 936) GTEST_SKIP() << "needs the ANSI code page 936 (LC_ALL=zh_CN.UTF-8)";
    ASSERT_TRUE(SetDefaultPrinterA("OmmavuPDF"));
    const Facts facts = PrinterFacts("OmmavuPDF");
    const std::string picture = TestsFolder() + "print-square.bmp";
    WriteQuadrants(picture, 150, 150, kQuadrants);
    Running tavirsel("\"" + picture + "\"");
    HWND frame = tavirsel.Window("Ommavu");
    ASSERT_NE(nullptr, frame);
    WaitForStatus(frame, "1/1");
    Sleep(500);

    const PdfList before = PdfsIn(pdfs_);
    PostMessageA(frame, WM_COMMAND, 32818, 0);
    HWND system = WaitForDialog(tavirsel.ProcessId(), kPrinterCombo);
    ASSERT_NE(nullptr, system);
    PostMessageA(system, WM_COMMAND, IDOK, 0);
    HWND colour = WaitForDialog(tavirsel.ProcessId(), kColourDialogMark);
    ASSERT_NE(nullptr, colour);
    char title[64] = {};
    GetWindowTextA(colour, title, sizeof title);
    EXPECT_EQ("\xB2\xCA\xC9\xAB\xB4\xF2\xD3\xA1", std::string(title)) << "Color Print in Chinese";
    SaveScreenshot(colour, "color-print-dialog-936.bmp");
    PostMessageA(colour, WM_COMMAND, IDOK, 0);
    const std::string pdf = WaitForNewPdf(pdfs_, before);
    ASSERT_FALSE(pdf.empty());
    const Page page = Render(pdfs_ + "/" + pdf);
    const RECT box = InkBox(page);
    ExpectBox(Expected(facts, 150, 150), box);
    ExpectQuarters({RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 0)}, page, box);

    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, tavirsel.Wait(20000));
    DeleteFileA(picture.c_str());
}

}  // namespace
