#include "print_job.h"

#include <commdlg.h>

#include <initializer_list>
#include <string>

#include "document.h"
#include "effect_preview.h"
#include "print_dialogs.h"
#include "program.h"
#include "resource_ids.h"

namespace {

// The job in progress.  The abort procedure has no parameter of its own, and
// only one job runs at a time: the windows that could start another are
// disabled while it runs.
struct JobState {
    HWND abortDialog = nullptr;
    bool cancelled = false;
    bool quit = false;   // WM_QUIT was taken off the queue by the pump
    WPARAM quitCode = 0;
};
JobState g_job;

// Pumps the thread's messages while the job runs, so that the abort dialog's
// "Cancel" can be pressed; false once the job is to stop.  GDI calls it while
// the driver spools; the job also calls it between its own steps.
BOOL CALLBACK PumpWhilePrinting(HDC, int) {
    MSG msg;
    while (!g_job.cancelled && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // The program is ending: stop the job, and leave the quit for
            // the main loop, which has not seen it.
            g_job.cancelled = true;
            g_job.quit = true;
            g_job.quitCode = msg.wParam;
            break;
        }
        if (!g_job.abortDialog || !IsDialogMessageA(g_job.abortDialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return !g_job.cancelled;
}

INT_PTR CALLBACK AbortDialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        SetWindowTextA(dialog, reinterpret_cast<const char*>(lp));
        EnableMenuItem(GetSystemMenu(dialog, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
        CentreOverOwner(dialog);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDCANCEL) {
            g_job.cancelled = true;
            EnableWindow(GetDlgItem(dialog, IDCANCEL), FALSE);
        }
        return TRUE;
    }
    return FALSE;
}

// The viewer frame and the browser stay disabled while a job runs: closing
// either, or starting a second print, from inside the pump would pull the
// picture or the printer from under the job.  Windows that were disabled
// already are left so afterwards.
class WindowsDisabled {
public:
    explicit WindowsDisabled(std::initializer_list<HWND> windows) {
        for (HWND window : windows) {
            if (!window || !IsWindow(window) || !IsWindowEnabled(window) || count_ == kMost) continue;
            EnableWindow(window, FALSE);
            disabled_[count_++] = window;
        }
    }
    ~WindowsDisabled() {
        for (int i = 0; i < count_; ++i)
            if (IsWindow(disabled_[i])) EnableWindow(disabled_[i], TRUE);
    }
    WindowsDisabled(const WindowsDisabled&) = delete;
    WindowsDisabled& operator=(const WindowsDisabled&) = delete;

private:
    static constexpr int kMost = 3;
    HWND disabled_[kMost] = {};
    int count_ = 0;
};

class PrinterDC {
public:
    explicit PrinterDC(HDC dc) : dc_(dc) {}
    ~PrinterDC() {
        if (dc_) DeleteDC(dc_);
    }
    PrinterDC(const PrinterDC&) = delete;
    PrinterDC& operator=(const PrinterDC&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

class WaitCursor {
public:
    WaitCursor() : old_(SetCursor(LoadCursorA(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(old_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR old_;
};

void ShowMessage(HWND owner, UINT text, UINT title) {
    MessageBoxA(owner, ResourceString(text).c_str(), ResourceString(title).c_str(), MB_OK | MB_ICONEXCLAMATION);
}

// Dialogs belong to whichever of the two windows the user sees.
HWND DialogOwner(HWND frame) {
    HWND browser = Program().browser;
    if (frame && IsWindowVisible(frame)) return frame;
    if (browser && IsWindowVisible(browser)) return browser;
    return frame;
}

bool DrawWithGdi(HDC printer, const DibBlock* block, const RECT& target, int rasterCaps) {
    return DrawPrintDib(printer, block, target, rasterCaps);
}

}  // namespace

const PrintSpooler& DefaultPrintSpooler() {
    static const PrintSpooler spooler = {SetAbortProc, StartDocA, StartPage, EndPage, EndDoc, AbortDoc, DrawWithGdi};
    return spooler;
}

PrintMemory& RememberedPrintChoices() {
    static PrintMemory memory;
    return memory;
}

PrintOutcome RunPrintJob(HWND owner, HDC printer, const DibBlock* picture, const RECT& target, int rasterCaps,
                         const char* jobName, const PrintSpooler& spooler) {
    g_job = JobState{};
    PrintOutcome outcome = PrintOutcome::Printed;
    {
        WindowsDisabled held({owner, Program().frame, Program().browser});
        g_job.abortDialog = CreateDialogParamA(Program().resourceModule, MAKEINTRESOURCEA(IDD_PRINT_ABORT), owner,
                                               AbortDialogProc, reinterpret_cast<LPARAM>(jobName));
        if (g_job.abortDialog) ShowWindow(g_job.abortDialog, SW_SHOW);
        DOCINFOA document = {};
        document.cbSize = sizeof document;
        document.lpszDocName = jobName;
        if (spooler.setAbortProc(printer, PumpWhilePrinting) <= 0 || spooler.startDoc(printer, &document) <= 0) {
            outcome = PrintOutcome::NotStarted;
        } else {
            // Each step is checked; the user may cancel between any two.
            if (!PumpWhilePrinting(printer, 0)) outcome = PrintOutcome::Cancelled;
            else if (spooler.startPage(printer) <= 0) outcome = PrintOutcome::PageFailed;
            else if (!PumpWhilePrinting(printer, 0)) outcome = PrintOutcome::Cancelled;
            else if (!spooler.draw(printer, picture, target, rasterCaps)) outcome = PrintOutcome::PageFailed;
            else if (!PumpWhilePrinting(printer, 0)) outcome = PrintOutcome::Cancelled;
            else if (spooler.endPage(printer) <= 0) outcome = PrintOutcome::PageFailed;
            if (outcome == PrintOutcome::Printed) {
                if (spooler.endDoc(printer) <= 0) outcome = PrintOutcome::PageFailed;
            } else {
                spooler.abortDoc(printer);
            }
        }
        // The windows come back before the abort dialog goes, so that the
        // frame is active again rather than some other program.
    }
    if (g_job.abortDialog) DestroyWindow(g_job.abortDialog);
    const bool quit = g_job.quit;
    const WPARAM quitCode = g_job.quitCode;
    g_job = JobState{};
    if (quit) PostQuitMessage(static_cast<int>(quitCode));
    return outcome;
}

PrintOutcome PrintWorkingPicture(HWND owner, HDC printer, const PrinterFacts& facts, const DibBlock* working,
                                 const PrintChoice& choice, int memoryMegabytes, const char* jobName,
                                 const PrintSpooler& spooler) {
    const int width = DibWidth(working), height = DibHeight(working);
    const bool turned = PrintTurnsPicture(facts, width, height);
    const int placedW = turned ? height : width, placedH = turned ? width : height;
    RECT target = PrintTarget(facts, placedW, placedH);
    // The picture is made ready before the job starts: when memory runs out
    // nothing reaches the printer, not even a blank page.
    OwnedDib prepared;
    {
        WaitCursor wait;
        const SIZE size = PreparedPrintSize(facts, placedW, placedH, target, memoryMegabytes);
        prepared.Reset(PreparePrintDib(working, size, turned, IsMonoPrinter(facts), choice));
    }
    if (!prepared) return PrintOutcome::NoMemory;
    Escape(printer, SET_BOUNDS, sizeof target, reinterpret_cast<LPCSTR>(&target), nullptr);
    return RunPrintJob(owner, printer, prepared.get(), target, facts.rasterCaps, jobName, spooler);
}

void PrintPicture(HWND frame) {
    const Picture* picture = CurrentDocument().picture;
    if (!picture || !picture->working) return;
    const DibBlock* working = picture->working;
    const HWND owner = DialogOwner(frame);
    char jobName[201] = {};
    if (frame) GetWindowTextA(frame, jobName, sizeof jobName);

    PRINTDLGA request = {};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.Flags = PD_RETURNDC | PD_USEDEVMODECOPIESANDCOLLATE;
    request.nCopies = 1;
    request.nFromPage = 0xFFFF;
    request.nToPage = 0xFFFF;
    request.nMinPage = 1;
    request.nMaxPage = 0xFFFF;
    const BOOL chosen = PrintDlgA(&request);
    if (request.hDevMode) GlobalFree(request.hDevMode);
    if (request.hDevNames) GlobalFree(request.hDevNames);
    if (!chosen || !request.hDC) return;
    PrinterDC printer(request.hDC);

    const PrinterFacts facts = ReadPrinterFacts(printer.get());
    if (!CanPrintDib(facts)) {
        ShowMessage(owner, IDS_PRINT_NO_DIB, IDS_PRINT_NO_DIB_TITLE);
        return;
    }
    const bool mono = IsMonoPrinter(facts);
    const int width = DibWidth(working), height = DibHeight(working);
    const bool turned = PrintTurnsPicture(facts, width, height);

    PrintMemory& memory = RememberedPrintChoices();
    PrintChoice choice;
    choice.depth = mono ? memory.monoDepth : memory.colourDepth;
    choice.light = memory.light;
    {
        OwnedDib preview(MakePrintPreview(working, turned));
        if (!preview) {
            ShowMessage(owner, IDS_NO_MEMORY_FOR_DIB, IDS_NO_MEMORY_FOR_DIB_TITLE);
            return;
        }
        if (!RunPrintChoiceDialog(owner, mono, preview.get(), choice)) return;
    }
    if (mono) {
        memory.monoDepth = choice.depth;
        memory.light = choice.light;
    } else {
        memory.colourDepth = choice.depth;
    }

    const PrintOutcome outcome =
        PrintWorkingPicture(owner, printer.get(), facts, working, choice, Program().memoryMegabytes, jobName);
    if (outcome == PrintOutcome::NoMemory) ShowMessage(owner, IDS_NO_MEMORY_FOR_DIB, IDS_NO_MEMORY_FOR_DIB_TITLE);
    if (outcome == PrintOutcome::NotStarted || outcome == PrintOutcome::PageFailed)
        ShowMessage(owner, IDS_PRINT_FAILED, IDS_PRINT_FAILED_TITLE);
}
