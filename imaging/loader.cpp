#include "loader.h"

#include <mmsystem.h>
#include <setjmp.h>

#include <new>

#include "document.h"
#include "load.h"
#include "load_progress.h"
#include "lorimel.h"

namespace {

LoaderSink g_sink = {};

// Guards the hand-over between a new request and a thread about to go idle:
// the file name, the restart value of the flag, g_running and g_thread.
// Whoever holds it either sees the thread still working (and the thread will
// see the request before it goes idle) or sees it idle or ended (and wakes it
// or starts a new one).
CRITICAL_SECTION g_control;
bool g_controlMade = false;
HANDLE g_thread = nullptr;
bool g_running = false;
int g_requestedPage = 0;
// Wakes the idle loader thread for a new request or for its stop.  The thread
// stays between files: starting a thread costs milliseconds under some
// systems, which every picture would wait for.
HANDLE g_wake = nullptr;

CRITICAL_SECTION* ControlLock() {
    // First used on the user-interface thread, before any loader exists.
    if (!g_controlMade) {
        InitializeCriticalSection(&g_control);
        g_controlMade = true;
    }
    return &g_control;
}

class ControlGuard {
public:
    ControlGuard() { EnterCriticalSection(ControlLock()); }
    ~ControlGuard() { LeaveCriticalSection(ControlLock()); }
    ControlGuard(const ControlGuard&) = delete;
    ControlGuard& operator=(const ControlGuard&) = delete;
};

// What the thread is loading.  Kept outside the thread's frames because a
// fatal decoder error comes back to the recovery point without unwinding
// them: whatever the recovery has to close or release must be found here.
struct Attempt {
    char path[MAX_PATH];
    int page;
    LorimelHandle file;
    DWORD start;
};
Attempt g_attempt = {};
jmp_buf g_recovery;
// The loader's hold on the decoding lock, made and ended by hand: it never
// holds more than one level, so that the recovery lets go of exactly what was
// taken, and a terminated thread's hold can be forgotten.
alignas(DecodingLock) unsigned char g_decodingHold[sizeof(DecodingLock)];
bool g_decoding = false;

// The new picture of the file being loaded and the facts that go with it,
// from its creation until the viewer adopts it (under the control lock).
struct Arriving {
    Picture* picture;
    char format[200];
    int pageCount;
    int page;
    int bitsPerPixel;
    int fileWidth;   // the page's own size; the picture is smaller when reduced
    int fileHeight;
    bool reduced;
};
Arriving g_arriving = {};
// The pictures the last adoption replaced, until they are freed.
RetiredPictures g_replaced = {};

// Makes the arriving picture current, with its file's facts (under the
// control lock, the old pictures already taken out).
void AdoptArrivingPicture(Picture* picture) {
    PictureDocument& doc = CurrentDocument();
    lstrcpynA(doc.formatName, g_arriving.format, sizeof doc.formatName);
    doc.pageCount = g_arriving.pageCount;
    doc.currentPage = g_arriving.page;
    doc.pageBitsPerPixel = g_arriving.bitsPerPixel;
    doc.fileWidth = g_arriving.fileWidth;
    doc.fileHeight = g_arriving.fileHeight;
    doc.reducedPicture = g_arriving.reduced ? picture : nullptr;
    SetCurrentPicture(picture);
    g_arriving.picture = nullptr;
}

// What the row callback works on; set only while the loader's own decode runs.
struct RowState {
    Picture* picture;
    LoadProgress rows;
};
RowState g_rows = {};

void HoldDecoding() {
    if (g_decoding) return;
    new (g_decodingHold) DecodingLock;
    g_decoding = true;
}
void ReleaseDecoding() {
    if (!g_decoding) return;
    g_decoding = false;
    reinterpret_cast<DecodingLock*>(g_decodingHold)->~DecodingLock();
}

bool Interrupted() { return CurrentDocument().loadControl != kLoadGoOn; }

// The library's row callback (process-wide; installed only under the
// decoding lock).  Brings each finished row into the display copy and asks
// for a repaint whenever a band is complete; stops the decode as soon as a
// new file or a stop is requested.
LONG WINAPI OnRowDecoded(LONG, const char*, LONG row, LONG) {
    Picture* picture = g_rows.picture;
    if (picture && row >= 0 && row < g_rows.rows.height) {
        RefreshPictureRow(picture, row);
        const LoadProgress::Step step = g_rows.rows.OnRow(row);
        if (step.repaintBand >= 0 && g_sink.rowsReady) {
            LoadRows report = {g_rows.rows.rowsSeen, g_rows.rows.height, step.repaintBand,
                               g_rows.rows.bandRows, g_rows.rows.bottomUp,
                               g_rows.rows.interlaced, 0, 0};
            g_rows.rows.DecodedRows(&report.firstRow, &report.rowCount);
            g_sink.rowsReady(g_sink.context, &report);
        }
    }
    return Interrupted() ? 0 : 1;
}

// The row callback of a page read reduced: the core reports rows of the page
// as it decodes it (of rows in all).  Once the page has come as far as the
// end of a row of the reduced picture, that row is reported as decoded: the
// library averages a page that large into the picture as it arrives, and
// where it resizes after the read the rows are shown again at the end.
LONG g_reducedRows = 0;  // rows of the reduced picture reported so far

LONG WINAPI OnReducedRowDecoded(LONG task, const char* text, LONG row, LONG rows) {
    if (rows > 0 && row >= 0 && row < rows) {
        const LONG done = static_cast<LONG>(static_cast<long long>(row + 1) * g_rows.rows.height / rows);
        while (g_reducedRows < done && !Interrupted()) OnRowDecoded(task, text, g_reducedRows++, 0);
    }
    return Interrupted() ? 0 : 1;
}

// The picture a page of width x height is held in, and its size: the
// budgeted size, or, when the address space has no room that large left,
// half and then a quarter of it on each side.  Null when none can be had.
Picture* CreateHeldPicture(int width, int height, SIZE* held) {
    *held = BudgetedPictureSize(width, height);
    for (int step = 0; step < 3; ++step) {
        if (Picture* picture = CreatePicture(held->cx, held->cy)) return picture;
        if (held->cx < 2 || held->cy < 2) break;
        held->cx /= 2;
        held->cy /= 2;
    }
    return nullptr;
}

void CloseAttemptFile() {
    if (!g_attempt.file) return;
    ImageLibrary()->CloseImageFile(g_attempt.file);
    g_attempt.file = nullptr;
}

void EndAttempt() {
    CloseAttemptFile();
    ReleaseDecoding();
}

// The file cannot be shown (gone, or not a picture): the old picture goes
// too, so that nothing describes the new name with the old picture, and the
// viewer hears of it unless another file was asked for meanwhile.
void ReportUnreadable() {
    EndAttempt();
    if (Interrupted()) return;
    if (g_sink.detachViews) g_sink.detachViews(g_sink.context);
    HoldDecoding();
    const bool current = !Interrupted();
    if (current) {
        PictureDocument& doc = CurrentDocument();
        FreeCurrentPicture();
        doc.formatName[0] = '\0';
        doc.pageCount = 0;
        doc.pageBitsPerPixel = 0;
        doc.fileWidth = 0;
        doc.fileHeight = 0;
        doc.reducedPicture = nullptr;
        doc.loadTimeMs = 0;
    }
    ReleaseDecoding();
    if (current && g_sink.unreadable) g_sink.unreadable(g_sink.context, g_attempt.path);
}

// The file looked like a picture but its coder could not read it: the user
// hears of it the same way as of a fatal decoder error.
void ReportUndecodable() {
    CurrentDocument().loadTimeMs = 0;
    EndAttempt();
    if (g_sink.decodeError) g_sink.decodeError(g_sink.context, g_attempt.path);
}

// One page of the open file as a new picture (reduced when it does not fit
// the picture budget), decoded without row reports, under the decoding lock
// the loader already holds.  (LoadPagePicture would take a second level of
// the lock, which a fatal decoder error would leave held for good.)
Picture* DecodeWholePage(int page) {
    const LorimelApi* api = ImageLibrary();
    LorimelPageInfo info[2] = {};  // 24 bytes, zeroed, as the library expects
    info[0].page = page;
    if (!api->GetImagePageInfo(g_attempt.file, &info[0]) || info[0].width <= 0 ||
        info[0].height <= 0)
        return nullptr;
    SIZE held;
    Picture* picture = CreateHeldPicture(info[0].width, info[0].height, &held);
    if (!picture) return nullptr;
    // A page that stops early stays, the rest of it black.
    api->ReadImagePixels(g_attempt.file, picture->working->pixels, held.cx, held.cy, page);
    RefreshPictureDisplay(picture);
    return picture;
}

// An animation: every page's delay and depth, then every page other than
// the current one decoded into its slot.  False when a new request or a stop
// came in meanwhile.
bool PreloadPages(int count) {
    const LorimelApi* api = ImageLibrary();
    PictureDocument& doc = CurrentDocument();
    // Without memory for the slots the current page is shown alone.
    if (!AllocateDocumentPages(count)) return true;
    doc.pages[doc.currentPage] = doc.picture;
    bool differ = false;
    LONG lastWidth = 0, lastHeight = 0;
    for (int i = 0; i < count; ++i) {
        LorimelPageInfo info[2] = {};
        info[0].page = i;
        api->GetImagePageInfo(g_attempt.file, &info[0]);
        const LONG delay = api->GetImagePageDelay(g_attempt.file, i);
        doc.pageDelays[i] = delay < 1 ? 1500 : delay;
        doc.pageBits[i] = info[0].bitsPerPixel;
        if (i > 0 && (info[0].width != lastWidth || info[0].height != lastHeight)) differ = true;
        lastWidth = info[0].width;
        lastHeight = info[0].height;
    }
    doc.pagesDifferInSize = differ;
    for (int i = 0; i < count; ++i) {
        if (i == doc.currentPage) continue;
        doc.pages[i] = DecodeWholePage(i);
        if (Interrupted()) return false;
    }
    return true;
}

// Loads g_attempt.path into the current document.  Holds no object that
// needs destroying: a fatal decoder error leaves this frame by a jump.
void LoadFile() {
    const LorimelApi* api = ImageLibrary();
    PictureDocument& doc = CurrentDocument();
    g_attempt.start = timeGetTime();
    HoldDecoding();

    char format[200] = {};
    if (!api || !api->DetectImageFormat(g_attempt.path, format)) return ReportUnreadable();
    if (Interrupted()) return EndAttempt();
    g_attempt.file = api->OpenImageFile(g_attempt.path, "rb", format, 0);
    if (!g_attempt.file) return ReportUndecodable();
    if (Interrupted()) return EndAttempt();
    const int pages = api->ReadImageHeader(g_attempt.file);
    if (pages < 1) return ReportUndecodable();
    if (g_attempt.page < 0 || g_attempt.page >= pages) return ReportUnreadable();
    if (Interrupted()) return EndAttempt();

    LorimelPageInfo info[2] = {};
    info[0].page = g_attempt.page;
    const bool sized = api->GetImagePageInfo(g_attempt.file, &info[0]) && info[0].width > 0 &&
                       info[0].height > 0;
    const int width = info[0].width, height = info[0].height;

    // The user-interface thread may itself be waiting for the decoding lock
    // (the browser preview decodes under it), so the lock is never held
    // while the loader waits for that thread.
    ReleaseDecoding();
    if (g_sink.detachViews) g_sink.detachViews(g_sink.context);
    HoldDecoding();
    if (Interrupted()) return EndAttempt();
    // A page larger than the picture budget is held reduced: the library
    // decodes it at the smaller size (the JPEG decoder scales inside the
    // decoder; other pages too large for the core's memory go through a
    // cache file) and the picture never has the page's full size.
    SIZE held = {0, 0};
    Picture* picture = sized ? CreateHeldPicture(width, height, &held) : nullptr;
    if (!picture) {
        // The current picture stays; the views show none, and the user hears
        // that this file could not be decoded (its page has no size, or one
        // far too large for the memory left).
        doc.loadTimeMs = 0;
        EndAttempt();
        if (g_sink.showPicture) g_sink.showPicture(g_sink.context, nullptr);
        if (g_sink.decodeError) g_sink.decodeError(g_sink.context, g_attempt.path);
        return;
    }
    // The viewer makes the new picture current on its own thread, inside
    // showPicture; without a viewer to answer, nothing else reads the
    // document and the loader does it.
    {
        ControlGuard guard;
        g_arriving = {picture, {}, pages, g_attempt.page, info[0].bitsPerPixel, width, height,
                      held.cx != width || held.cy != height};
        lstrcpynA(g_arriving.format, format, sizeof g_arriving.format);
    }
    ReleaseDecoding();
    if (g_sink.showPicture) g_sink.showPicture(g_sink.context, picture);
    if (AdoptLoadedPicture(picture)) FreeReplacedPictures();

    HoldDecoding();
    if (Interrupted()) return EndAttempt();
    const bool reduced = held.cx != width || held.cy != height;
    g_rows.picture = picture;
    g_rows.rows.Start(held.cy);
    g_reducedRows = 0;
    api->SetImageProgressCallback(g_attempt.file, reduced ? OnReducedRowDecoded : OnRowDecoded);
    const LONG read = api->ReadImagePixels(g_attempt.file, picture->working->pixels, held.cx,
                                           held.cy, g_attempt.page);
    api->SetImageProgressCallback(g_attempt.file, nullptr);
    g_rows.picture = nullptr;
    if (Interrupted()) return EndAttempt();
    // A whole page that failed keeps the rows that arrived; a reduced page
    // that failed is a picture that cannot be decoded (where the library
    // resizes after the read, nothing of it ever reached the picture).
    if (reduced && !read) return ReportUndecodable();
    // Some coders report rows before the pixels reach the buffer (or report
    // none); the whole display copy is made again before the page is shown.
    RefreshPictureDisplay(picture);
    if (g_sink.pageFinished) g_sink.pageFinished(g_sink.context);

    if (pages > 1 && !api->HandleFormatFlag4(g_attempt.file) && !PreloadPages(pages))
        return EndAttempt();
    doc.loadTimeMs = timeGetTime() - g_attempt.start;
    EndAttempt();
    if (g_sink.fileLoaded) g_sink.fileLoaded(g_sink.context);
}

// Back at the recovery point after a fatal decoder error: let go of what the
// abandoned load held and report it.
void RecoverFromDecoderError() {
    if (g_decoding) ImageLibrary()->SetImageProgressCallback(g_attempt.file, nullptr);
    g_rows.picture = nullptr;
    CurrentDocument().loadTimeMs = 0;
    EndAttempt();
    if (g_sink.decodeError) g_sink.decodeError(g_sink.context, g_attempt.path);
}

// Takes the newest request; false when the thread is to stop instead.
bool TakeRequest() {
    ControlGuard guard;
    PictureDocument& doc = CurrentDocument();
    if (doc.loadControl == kLoadStop) {
        g_running = false;
        return false;
    }
    lstrcpynA(g_attempt.path, doc.fileName, sizeof g_attempt.path);
    g_attempt.page = g_requestedPage;
    doc.loadControl = kLoadGoOn;
    return true;
}

// After a file: go on when another was requested meanwhile, else go idle.
bool MoreToLoad() {
    ControlGuard guard;
    if (CurrentDocument().loadControl != kLoadGoOn) return true;
    g_running = false;
    return false;
}

// Idle until a new request or a stop arrives (a wake-up without either is
// ignored).
void AwaitRequest() {
    for (;;) {
        WaitForSingleObject(g_wake, INFINITE);
        ControlGuard guard;
        if (CurrentDocument().loadControl != kLoadGoOn) return;
    }
}

DWORD WINAPI LoaderThread(void*) {
    for (;;) {
        if (!TakeRequest()) return 0;
        {
            // A recovery point for every file, dropped once the file is done.
            RecoveryScope scope;
            if (LorimelRecoveryPoint(g_recovery) == 0) {
                LoadFile();
            } else {
                scope.Jumped();
                RecoverFromDecoderError();
            }
        }
        if (!MoreToLoad()) AwaitRequest();
    }
}

// Waits for the thread to end, answering messages other threads send to
// this one meanwhile.  True when it ended within ms.
bool WaitAnsweringSentMessages(HANDLE thread, DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        const DWORD left = elapsed < ms ? ms - elapsed : 0;
        const DWORD got = MsgWaitForMultipleObjects(1, &thread, FALSE, left, QS_SENDMESSAGE);
        if (got == WAIT_OBJECT_0) return true;
        if (got != WAIT_OBJECT_0 + 1 || left == 0)
            return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
        // Peeking delivers the sent messages; nothing is taken from the queue.
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    }
}

}  // namespace

void SetPictureLoaderSink(const LoaderSink& sink) { g_sink = sink; }

bool AdoptLoadedPicture(Picture* picture) {
    RetiredPictures older = {};
    {
        ControlGuard guard;
        if (!picture || picture != g_arriving.picture) return false;
        // One replaced set at a time waits to be freed.
        older = g_replaced;
        g_replaced = TakeCurrentPictures();
        AdoptArrivingPicture(picture);
    }
    FreeRetiredPictures(older);
    return true;
}

void FreeReplacedPictures() {
    RetiredPictures replaced;
    {
        ControlGuard guard;
        replaced = g_replaced;
        g_replaced = {};
    }
    FreeRetiredPictures(replaced);
}

bool RequestPicture(const char* path, int page) {
    if (!path) return false;
    ControlGuard guard;
    PictureDocument& doc = CurrentDocument();
    lstrcpynA(doc.fileName, path, sizeof doc.fileName);
    doc.notOnDisk = false;
    g_requestedPage = page;
    doc.loadControl = kLoadRestart;
    if (g_running) return true;  // the working thread picks the new name up
    if (g_thread && WaitForSingleObject(g_thread, 0) == WAIT_TIMEOUT) {
        // The idle thread takes it.
        g_running = true;
        SetEvent(g_wake);
        return true;
    }
    if (g_thread) CloseHandle(g_thread);
    if (!g_wake) g_wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!g_wake) {
        g_thread = nullptr;
        g_running = false;
        return false;
    }
    DWORD id = 0;
    g_thread = CreateThread(nullptr, 0, LoaderThread, nullptr, 0, &id);
    g_running = g_thread != nullptr;
    return g_running;
}

bool IsPictureLoaderRunning() {
    ControlGuard guard;
    return g_running;
}

bool StopPictureLoader(DWORD waitMs) {
    HANDLE thread;
    {
        ControlGuard guard;
        thread = g_thread;
        if (!thread) return true;
        CurrentDocument().loadControl = kLoadStop;
        SetEvent(g_wake);  // an idle thread ends at once
    }
    const bool ended = WaitAnsweringSentMessages(thread, waitMs);
    if (!ended) {
        TerminateThread(thread, 1);
        WaitForSingleObject(thread, 5000);
        // The thread may have died holding the control lock; no other
        // thread uses it now, so it is made afresh.
        DeleteCriticalSection(&g_control);
        InitializeCriticalSection(&g_control);
        g_rows.picture = nullptr;
        g_decoding = false;  // the lock itself stays with the dead thread
    }
    ControlGuard guard;
    CloseHandle(thread);
    g_thread = nullptr;
    g_running = false;
    return ended;
}
