// Printing the current picture: the viewer's Print command (and the
// browser's, which the browser hands to the viewer frame).  All on the
// user-interface thread.
#pragma once

#include <windows.h>

#include "dib.h"
#include "print_layout.h"

// The calls a job makes to the printer's driver, in one table so that a test
// can stand in for a driver that fails at any step.  DefaultPrintSpooler()
// holds GDI's own functions and DrawPrintDib.
struct PrintSpooler {
    int(WINAPI* setAbortProc)(HDC, ABORTPROC);
    int(WINAPI* startDoc)(HDC, const DOCINFOA*);
    int(WINAPI* startPage)(HDC);
    int(WINAPI* endPage)(HDC);
    int(WINAPI* endDoc)(HDC);
    int(WINAPI* abortDoc)(HDC);
    bool (*draw)(HDC, const DibBlock*, const RECT&, int rasterCaps);
};
const PrintSpooler& DefaultPrintSpooler();

enum class PrintOutcome {
    Printed,     // the page went to the spooler
    Cancelled,   // "Cancel" in the abort dialog, or the program is quitting
    NotStarted,  // the abort procedure or the document could not be set up
    PageFailed,  // the page could not be started, drawn or ended: the job was aborted
    NoMemory,    // the picture could not be made ready: no job was started
};

// One page with `picture` (prepared for this printer) on `target`.  While the
// job runs an abort dialog titled jobName is up over owner, the viewer frame
// and the browser are disabled, and messages are pumped between the steps;
// a WM_QUIT met there cancels the job and is posted again afterwards.
PrintOutcome RunPrintJob(HWND owner, HDC printer, const DibBlock* picture, const RECT& target, int rasterCaps,
                         const char* jobName, const PrintSpooler& spooler = DefaultPrintSpooler());

// Everything after the dialogs: the picture's place on the page, the
// picture made ready in memory (before any job starts), SET_BOUNDS, the job.
PrintOutcome PrintWorkingPicture(HWND owner, HDC printer, const PrinterFacts& facts, const DibBlock* working,
                                 const PrintChoice& choice, int memoryMegabytes, const char* jobName,
                                 const PrintSpooler& spooler = DefaultPrintSpooler());

// The choices offered again at the next print: the last colour depth (24 at
// first), the last grey method (4, the best dither) and the last light (0).
struct PrintMemory {
    int colourDepth = 24;
    int monoDepth = 4;
    int light = 0;
};
PrintMemory& RememberedPrintChoices();

// The whole command: the system's printer dialog, the colour or grey dialog
// with its preview, then one page.  Does nothing without a current picture.
void PrintPicture(HWND frame);
