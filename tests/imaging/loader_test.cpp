// The picture loader thread and the current document, with the real picture
// file library and the sample pictures.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "document.h"
#include "load.h"
#include "loader.h"

namespace {

std::string Beside(const std::string& relative) {
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    std::string dir(exe);
    return dir.substr(0, dir.find_last_of('\\') + 1) + relative;
}
std::string Sample(const char* name) { return Beside(std::string("..\\samples\\") + name); }

std::vector<char> ReadBytes(const std::string& path) {
    std::vector<char> bytes;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            bytes.insert(bytes.end(), buffer, buffer + got);
        std::fclose(f);
    }
    return bytes;
}
std::string Scratch(const std::string& name, const std::vector<char>& bytes) {
    std::string dir = Beside("scratch-loader\\");
    CreateDirectoryA(dir.c_str(), nullptr);
    std::string path = dir + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f) {
        if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    return path;
}

DWORD Pixel(const DibBlock* block, int x, int y) {
    return reinterpret_cast<const DWORD*>(block->pixels)[y * DibWidth(block) + x];
}

// Writes down what the loader reports, in order.  The loader thread writes;
// the test reads only once the load has ended (an event or the thread's end
// orders the two).
struct Recorder {
    std::vector<std::string> events;  // a run of row reports is one "rows+"
    std::vector<LoadRows> rows;
    std::vector<DWORD> detachThreads;
    std::string reportedPath;
    Picture* shown = nullptr;
    HANDLE ended = CreateEventA(nullptr, TRUE, FALSE, nullptr);  // a load came to an end
    // Holds the decode at its first band until a new request or a stop.
    bool holdFirstBand = false;
    HANDLE bandHeld = CreateEventA(nullptr, TRUE, FALSE, nullptr);

    ~Recorder() {
        CloseHandle(ended);
        CloseHandle(bandHeld);
    }
    std::string Trace() const {
        std::string out;
        for (const std::string& e : events) out += (out.empty() ? "" : " ") + e;
        return out;
    }
    void Clear() {
        events.clear();
        rows.clear();
        detachThreads.clear();
        reportedPath.clear();
        shown = nullptr;
        holdFirstBand = false;
        ResetEvent(ended);
        ResetEvent(bandHeld);
    }

    static Recorder& Of(void* context) { return *static_cast<Recorder*>(context); }
    static void Detach(void* c) {
        Of(c).events.push_back("detach");
        Of(c).detachThreads.push_back(GetCurrentThreadId());
    }
    static void Show(void* c, Picture* picture) {
        Recorder& r = Of(c);
        r.events.push_back(picture ? "show" : "show-none");
        r.shown = picture;
        if (!picture) SetEvent(r.ended);
    }
    static void Rows(void* c, const LoadRows* rows) {
        Recorder& r = Of(c);
        if (r.events.empty() || r.events.back() != "rows+") r.events.push_back("rows+");
        r.rows.push_back(*rows);
        if (r.holdFirstBand && WaitForSingleObject(r.bandHeld, 0) == WAIT_TIMEOUT) {
            SetEvent(r.bandHeld);
            for (int waited = 0; CurrentDocument().loadControl == kLoadGoOn && waited < 20000;
                 waited += 5)
                Sleep(5);
        }
    }
    static void Finished(void* c) { Of(c).events.push_back("finished"); }
    static void Loaded(void* c) {
        Of(c).events.push_back("loaded");
        SetEvent(Of(c).ended);
    }
    static void Unreadable(void* c, const char* path) {
        Recorder& r = Of(c);
        r.events.push_back("unreadable");
        r.reportedPath = path;
        SetEvent(r.ended);
    }
    static void DecodeError(void* c, const char* path) {
        Recorder& r = Of(c);
        r.events.push_back("decode-error");
        r.reportedPath = path;
        SetEvent(r.ended);
    }
    LoaderSink Sink() {
        return LoaderSink{this, Detach, Show, Rows, Finished, Loaded, Unreadable, DecodeError};
    }
};

class LoaderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (const LorimelApi* bound = ImageLibrary()) {
            api = *bound;
            return;
        }
        std::string bin = Beside("..\\bin\\");
        ASSERT_TRUE(BindLorimel(api, (bin + "Lorimel.dll").c_str()));
        ASSERT_EQ(1, api.InitImageLibrary(bin.c_str()));
    }
    void SetUp() override {
        depth_ = GetPictureDisplayDepth();
        SetPictureDisplayDepth(24);  // display copies are filled and checkable
        SetImageLibrary(&api);
        rec.Clear();
        SetPictureLoaderSink(rec.Sink());
    }
    void TearDown() override {
        EXPECT_TRUE(StopPictureLoader()) << "the loader had to be terminated";
        FreeCurrentPicture();
        SetImageLibrary(&api);
        SetPictureDisplayDepth(depth_);
    }
    // Requests path and waits until the load ends one way or another; then
    // until the thread itself has ended.
    bool Load(const std::string& path, int page = 0) {
        rec.Clear();
        if (!RequestPicture(path.c_str(), page)) return false;
        const bool ended = WaitForSingleObject(rec.ended, 30000) == WAIT_OBJECT_0;
        return StopPictureLoader() && ended;
    }

    static LorimelApi api;
    Recorder rec;
    int depth_ = 32;
};
LorimelApi LoaderTest::api;

}  // namespace

TEST_F(LoaderTest, LoadFillsTheCurrentDocumentAndReportsInOrder) {
    const std::string photo = Sample("photo.jpg");
    ASSERT_TRUE(Load(photo));
    EXPECT_EQ("detach show rows+ finished loaded", rec.Trace());
    PictureDocument& doc = CurrentDocument();
    EXPECT_EQ(photo, doc.fileName);
    EXPECT_STREQ("JPG", doc.formatName) << "the extension names a format that accepts the file";
    EXPECT_EQ(1, doc.pageCount);
    EXPECT_EQ(0, doc.currentPage);
    EXPECT_EQ(nullptr, doc.pages) << "a single picture has no page slots";
    ASSERT_NE(nullptr, doc.picture);
    EXPECT_EQ(rec.shown, doc.picture);
    EXPECT_EQ(640, DibWidth(doc.picture->working));
    EXPECT_EQ(480, DibHeight(doc.picture->working));
    for (size_t i = 0; i < rec.rows.size(); ++i) {
        EXPECT_EQ(480, rec.rows[i].rowsTotal);
        if (i > 0) {
            EXPECT_GT(rec.rows[i].rowsDone, rec.rows[i - 1].rowsDone) << i;
        }
    }
    // The display copy (24 bits here) holds the decoded rows, first to last.
    for (int y : {0, 240, 479}) {
        const DibBlock* display = doc.picture->display;
        const BYTE* row = display->pixels + y * DibRowBytes(display->header);
        for (int x : {0, 333, 639}) {
            const DWORD shown = row[x * 3] | row[x * 3 + 1] << 8 | row[x * 3 + 2] << 16;
            EXPECT_EQ(Pixel(doc.picture->working, x, y) & 0xFFFFFF, shown) << x << "," << y;
        }
    }
    EXPECT_NE(0u, Pixel(doc.picture->working, 320, 20) & 0xFFFFFF) << "sky, not black";

    // The next file replaces it; a short picture comes in one band.
    ASSERT_TRUE(Load(Sample("bmp-24bit.bmp")));
    EXPECT_EQ("detach show finished loaded", rec.Trace());
    EXPECT_STREQ("BMP", doc.formatName);
    EXPECT_EQ(160, DibWidth(doc.picture->working));
}

// A 24-bit BMP of 8 x 400 pixels, stored bottom-up (positive height) as
// nearly every BMP is, or top-down (negative height); each stored row one
// grey level, its index in the file (mod 256).
std::vector<char> GreyRowsBmp(bool topDown = false) {
    const int width = 8, height = 400, rowBytes = width * 3;
    const unsigned size = 54 + rowBytes * height;
    std::vector<char> bytes = {'B', 'M'};
    auto put = [&](unsigned value, int count) {
        for (int i = 0; i < count; ++i) bytes.push_back(static_cast<char>(value >> (8 * i)));
    };
    put(size, 4), put(0, 4), put(54, 4);                      // file header
    put(40, 4), put(width, 4), put(topDown ? -height : height, 4), put(1, 2), put(24, 2);
    put(0, 4), put(rowBytes * height, 4), put(2835, 4), put(2835, 4), put(0, 4), put(0, 4);
    for (int stored = 0; stored < height; ++stored)
        for (int i = 0; i < rowBytes; ++i) bytes.push_back(static_cast<char>(stored % 256));
    return bytes;
}

TEST_F(LoaderTest, RowReportsNameTheRowsActuallyDecoded) {
    struct Case {
        std::string path;
        bool bottomUp;
    };
    const Case cases[] = {
        {Sample("photo.jpg"), false},
        {Scratch("bottom-up.bmp", GreyRowsBmp()), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        ASSERT_TRUE(Load(c.path));
        ASSERT_FALSE(rec.rows.empty()) << "a picture of more than 256 rows is drawn in bands";
        for (const LoadRows& r : rec.rows) {
            EXPECT_EQ(c.bottomUp, r.bottomUp);
            EXPECT_EQ(r.rowsDone, r.rowCount);
            const int expectedFirst = c.bottomUp ? r.rowsTotal - r.rowCount : 0;
            EXPECT_EQ(expectedFirst, r.firstRow) << (c.bottomUp ? "the rows at the bottom" : "the rows at the top");
        }
    }
}

// The coder's rows go straight into the caller's buffer; a coder that turns
// the picture over after its rows (a top-down BMP) is copied again.
TEST_F(LoaderTest, BothRowOrdersOfABmpComeOutRightSideUp) {
    for (bool topDown : {false, true}) {
        SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
        DibBlock* dib = LoadFirstPageDib(Scratch(topDown ? "top-down.bmp" : "bottom-up.bmp", GreyRowsBmp(topDown)).c_str());
        ASSERT_NE(nullptr, dib);
        for (int y : {0, 1, 255, 398, 399}) {
            const int stored = topDown ? y : 399 - y;
            EXPECT_EQ(static_cast<DWORD>(stored % 256) * 0x010101u, Pixel(dib, 3, y) & 0xFFFFFF) << "row " << y;
        }
        FreeDib(dib);
    }
}

TEST_F(LoaderTest, AnimationPagesArePreloadedWithDelaysAndDepths) {
    ASSERT_TRUE(Load(Sample("animated-parts.gif")));
    EXPECT_EQ("detach show finished loaded", rec.Trace());
    PictureDocument& doc = CurrentDocument();
    ASSERT_EQ(4, doc.pageCount);
    ASSERT_EQ(4, doc.pageSlots);
    EXPECT_EQ(doc.picture, doc.pages[0]) << "the current page's slot is the current picture";
    for (int i = 0; i < 4; ++i) {
        ASSERT_NE(nullptr, doc.pages[i]) << i;
        EXPECT_EQ(170, DibWidth(doc.pages[i]->working)) << "frames composed onto the canvas";
        EXPECT_EQ(200, doc.pageDelays[i]) << i << ": 20 hundredths in the file";
        EXPECT_EQ(4, doc.pageBits[i]) << i << ": a few colours";
    }
    EXPECT_FALSE(doc.pagesDifferInSize);
    // The ball has moved between the first and the last frame, in both copies.
    EXPECT_NE(Pixel(doc.pages[0]->working, 25, 30), Pixel(doc.pages[3]->working, 25, 30));
    EXPECT_NE(0, std::memcmp(doc.pages[0]->display->pixels, doc.pages[3]->display->pixels,
                             DibRowBytes(doc.pages[0]->display->header) * 60));

    // Pages without a delay stay 1500 ms; a later page can be the one shown.
    ASSERT_TRUE(Load(Sample("multipage.tif"), 2));
    ASSERT_EQ(3, doc.pageSlots);
    EXPECT_EQ(2, doc.currentPage);
    EXPECT_EQ(doc.picture, doc.pages[2]);
    EXPECT_GT(Pixel(doc.picture->working, 0, 0) & 0xFF, 100u) << "the third page is blue";
    for (int i = 0; i < 3; ++i) EXPECT_EQ(1500, doc.pageDelays[i]) << i;

    // Processing the shown page replaces its slot.
    Picture* edited = CreatePicture(160, 120);
    SetCurrentPicture(edited);
    EXPECT_EQ(edited, doc.picture);
    EXPECT_EQ(edited, doc.pages[2]);
    EXPECT_NE(nullptr, doc.pages[1]);

    ASSERT_TRUE(Load(Sample("icon.ico")));
    EXPECT_EQ(2, doc.pageSlots);
    EXPECT_TRUE(doc.pagesDifferInSize) << "32x32 and 16x16";
}

namespace {
LONG WINAPI NoPreloadFlag(LorimelHandle) { return 1; }
LONG WINAPI NoSize(LorimelHandle, LorimelPageInfo* info) {
    info->width = 0;
    info->height = 0;
    return 1;
}
}  // namespace

TEST_F(LoaderTest, WhatTheLibraryReportsDecidesPreloadAndFailure) {
    PictureDocument& doc = CurrentDocument();
    LorimelApi flagged = api;
    flagged.HandleFormatFlag4 = NoPreloadFlag;
    SetImageLibrary(&flagged);
    ASSERT_TRUE(Load(Sample("multipage.tif")));
    EXPECT_EQ("detach show finished loaded", rec.Trace());
    EXPECT_EQ(3, doc.pageCount);
    EXPECT_EQ(nullptr, doc.pages) << "pages of such a format are not preloaded";
    Picture* before = doc.picture;
    ASSERT_NE(nullptr, before);

    // A page without size: the views get no picture, the current one stays,
    // and the user is told the file cannot be decoded.
    LorimelApi sizeless = api;
    sizeless.GetImagePageInfo = NoSize;
    SetImageLibrary(&sizeless);
    ASSERT_TRUE(Load(Sample("photo.jpg")));
    EXPECT_EQ("detach show-none decode-error", rec.Trace());
    EXPECT_EQ(before, doc.picture);
    EXPECT_EQ(0u, doc.loadTimeMs);
}

TEST_F(LoaderTest, NewRequestWhileDecodingStopsAtTheNextRowAndReusesTheThread) {
    PictureDocument& doc = CurrentDocument();
    const std::string bmp = Sample("bmp-24bit.bmp");
    rec.Clear();
    rec.holdFirstBand = true;
    ASSERT_TRUE(RequestPicture(Sample("photo.jpg").c_str()));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(rec.bandHeld, 30000));
    ASSERT_TRUE(RequestPicture(bmp.c_str()));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(rec.ended, 30000));
    EXPECT_TRUE(StopPictureLoader());
    // No further row of the photo, no "finished" or "loaded" for it.
    EXPECT_EQ("detach show rows+ detach show finished loaded", rec.Trace());
    EXPECT_EQ(1u, rec.rows.size());
    ASSERT_EQ(2u, rec.detachThreads.size());
    EXPECT_EQ(rec.detachThreads[0], rec.detachThreads[1]) << "one thread for both files";
    EXPECT_EQ(bmp, doc.fileName);
    ASSERT_NE(nullptr, doc.picture);
    EXPECT_EQ(160, DibWidth(doc.picture->working));
}

TEST_F(LoaderTest, AnIdleLoaderTakesTheNextFileOnItsOwnThreadAndEndsWhenStopped) {
    rec.Clear();
    ASSERT_TRUE(RequestPicture(Sample("bmp-8bit.bmp").c_str()));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(rec.ended, 30000));
    ASSERT_EQ(1u, rec.detachThreads.size());
    HANDLE loader = OpenThread(SYNCHRONIZE, FALSE, rec.detachThreads[0]);
    ASSERT_NE(nullptr, loader);
    for (int i = 0; i < 2000 && IsPictureLoaderRunning(); ++i) Sleep(5);
    ASSERT_FALSE(IsPictureLoaderRunning()) << "idle once the file is loaded";
    rec.Clear();
    ASSERT_TRUE(RequestPicture(Sample("bmp-24bit.bmp").c_str()));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(rec.ended, 30000));
    EXPECT_EQ("detach show finished loaded", rec.Trace());
    ASSERT_NE(nullptr, CurrentDocument().picture);
    EXPECT_EQ(160, DibWidth(CurrentDocument().picture->working));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(loader, 0)) << "the first file's thread took the second";
    EXPECT_TRUE(StopPictureLoader(5000)) << "the idle thread ends by itself";
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(loader, 0));
    CloseHandle(loader);
}

TEST_F(LoaderTest, StopWhileDecodingEndsTheThreadWithinTheWait) {
    rec.Clear();
    rec.holdFirstBand = true;
    ASSERT_TRUE(RequestPicture(Sample("photo.jpg").c_str()));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(rec.bandHeld, 30000));
    EXPECT_TRUE(StopPictureLoader()) << "ended by itself, not terminated";
    EXPECT_FALSE(IsPictureLoaderRunning());
    EXPECT_EQ("detach show rows+", rec.Trace());
    EXPECT_EQ(1u, rec.rows.size());
    // The partly decoded picture stays current.
    ASSERT_NE(nullptr, CurrentDocument().picture);
    EXPECT_EQ(480, DibHeight(CurrentDocument().picture->working));
    // The loader starts again afterwards.
    ASSERT_TRUE(Load(Sample("bmp-8bit.bmp")));
    EXPECT_EQ("detach show finished loaded", rec.Trace());
}

TEST_F(LoaderTest, UnreadableFilesAreReportedWithNoPictureLeftBehind) {
    const std::vector<char> png = ReadBytes(Sample("alpha.png"));
    ASSERT_GT(png.size(), 100u);
    struct {
        std::string path;
        int page;
    } cases[] = {
        {Scratch("not-a-picture.txt", {'h', 'e', 'l', 'l', 'o', '\n'}), 0},
        {Sample("no-such-file.png"), 0},
        {Sample("bmp-24bit.bmp"), 1},   // a page the file does not have
        {Sample("bmp-24bit.bmp"), -1},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(Load(Sample("bmp-4bit.bmp")));
        ASSERT_TRUE(Load(c.path, c.page)) << c.path;
        // Nothing may describe the new name with the old picture: the views
        // let go of it and it is gone.
        EXPECT_EQ("detach unreadable", rec.Trace()) << c.path << " page " << c.page;
        EXPECT_EQ(c.path, rec.reportedPath);
        EXPECT_EQ(nullptr, CurrentDocument().picture) << c.path;
        EXPECT_STREQ("", CurrentDocument().formatName);
        EXPECT_EQ(0, CurrentDocument().pageCount);
    }
    // A file that looks like a picture but whose coder cannot read it is a
    // decoding error the user is told about, once.
    ASSERT_TRUE(Load(Sample("bmp-4bit.bmp")));
    Picture* before = CurrentDocument().picture;
    const std::string signatureOnly = Scratch("signature-only.png", std::vector<char>(png.begin(), png.begin() + 8));
    ASSERT_TRUE(Load(signatureOnly));
    EXPECT_EQ("decode-error", rec.Trace());
    EXPECT_EQ(signatureOnly, rec.reportedPath);
    EXPECT_EQ(before, CurrentDocument().picture);
}

TEST_F(LoaderTest, TornFilesEndWithOneClearOutcome) {
    const std::vector<char> jpeg = ReadBytes(Sample("photo.jpg"));
    ASSERT_GT(jpeg.size(), 1000u);
    // A JPEG cut short still shows, the missing rows filled in by the decoder.
    const std::vector<char> front(jpeg.begin(), jpeg.begin() + jpeg.size() * 2 / 5);
    ASSERT_TRUE(Load(Scratch("torn.jpg", front)));
    EXPECT_EQ("detach show rows+ finished loaded", rec.Trace());
    ASSERT_NE(nullptr, CurrentDocument().picture);
    EXPECT_EQ(480, DibHeight(CurrentDocument().picture->working));

    for (const char* name : {"animated.gif", "multipage.tif", "alpha.png", "icon.ico"}) {
        const std::vector<char> whole = ReadBytes(Sample(name));
        for (size_t keep : {whole.size() / 2, size_t{200}}) {
            const std::string path =
                Scratch(std::string("torn-") + std::to_string(keep) + "-" + name,
                        std::vector<char>(whole.begin(), whole.begin() + keep));
            ASSERT_TRUE(Load(path)) << path << ": no outcome";
            const std::string trace = rec.Trace();
            const bool loaded =
                trace.size() >= 6 && trace.compare(trace.size() - 6, 6, "loaded") == 0;
            EXPECT_TRUE(loaded || trace == "unreadable" || trace == "detach show-none decode-error" ||
                        trace.find("decode-error") != std::string::npos)
                << path << ": " << trace;
        }
    }
}

namespace {

// A sink that reaches a window of the test's own thread with SendMessage, the
// way the viewer does.
constexpr UINT kMsgDetach = WM_APP + 1;
constexpr UINT kMsgShow = WM_APP + 2;
struct UiSink {
    HWND window = nullptr;
    HANDLE sending = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    int detachAnswered = 0;
    int decodedDuringShow = -1;  // 1 when another decode could run during the hand-over
    ~UiSink() { CloseHandle(sending); }
};
UiSink* g_ui = nullptr;

DWORD WINAPI DecodeElsewhere(void* done) {
    DecodingLock lock;  // what the browser preview does around its decode
    SetEvent(done);
    return 0;
}

LRESULT CALLBACK UiProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kMsgDetach) {
        ++g_ui->detachAnswered;
        return 0;
    }
    if (msg == kMsgShow) {
        HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        HANDLE other = CreateThread(nullptr, 0, DecodeElsewhere, done, 0, nullptr);
        g_ui->decodedDuringShow = WaitForSingleObject(done, 5000) == WAIT_OBJECT_0 ? 1 : 0;
        if (other) CloseHandle(other);
        CloseHandle(done);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

void SendDetach(void* c) {
    UiSink* ui = static_cast<UiSink*>(c);
    SetEvent(ui->sending);
    SendMessageA(ui->window, kMsgDetach, 0, 0);
}
void SendShow(void* c, Picture*) { SendMessageA(static_cast<UiSink*>(c)->window, kMsgShow, 0, 0); }
void PostLoaded(void* c) { PostMessageA(static_cast<UiSink*>(c)->window, WM_APP + 3, 0, 0); }

}  // namespace

TEST_F(LoaderTest, HandOverToTheUiThreadNeitherHoldsTheDecodingLockNorBlocksAStop) {
    UiSink ui;
    g_ui = &ui;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = UiProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "LoaderTestUi";
    RegisterClassA(&wc);
    ui.window = CreateWindowA("LoaderTestUi", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              wc.hInstance, nullptr);
    ASSERT_NE(nullptr, ui.window);
    LoaderSink sink = {&ui, SendDetach, SendShow, nullptr, nullptr, PostLoaded, nullptr, nullptr};
    SetPictureLoaderSink(sink);

    // While the user-interface thread answers the hand-over, another decode
    // can take the decoding lock.
    ASSERT_TRUE(RequestPicture(Sample("photo.jpg").c_str()));
    bool loaded = false;
    for (DWORD start = GetTickCount(); !loaded && GetTickCount() - start < 30000;) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_APP + 3) loaded = true;
            DispatchMessageA(&msg);
        }
    }
    EXPECT_TRUE(loaded);
    EXPECT_EQ(1, ui.decodedDuringShow);
    EXPECT_TRUE(StopPictureLoader());

    // A stop while the loader waits for this thread answers it and ends.
    ResetEvent(ui.sending);
    ui.detachAnswered = 0;
    ASSERT_TRUE(RequestPicture(Sample("bmp-1bit.bmp").c_str()));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ui.sending, 30000));
    EXPECT_TRUE(StopPictureLoader()) << "ended by itself, not terminated";
    EXPECT_EQ(1, ui.detachAnswered);

    DestroyWindow(ui.window);
    UnregisterClassA("LoaderTestUi", wc.hInstance);
    g_ui = nullptr;
}
