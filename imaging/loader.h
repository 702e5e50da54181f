// The picture loader thread: decodes the current file of the viewer into the
// current document (document.h) while the views show the rows already
// decoded.  One loader thread at a time, idle between files, steered by the
// document's load-control flag.
//
// The loader knows no windows.  It reports through a sink the viewer hands
// it.  Every callback runs on the loader thread; a null entry is skipped.
//
//  - Called with no lock held, so the viewer may wait for its own thread
//    (SendMessage): detachViews, showPicture, unreadable, decodeError,
//    fileLoaded.  detachViews and showPicture must be answered before the
//    loader goes on: the views let go of the old picture in detachViews, and
//    the new one is made current in showPicture.
//  - Called from inside the decode, under the process-wide decoding lock:
//    rowsReady and pageFinished.  They must never wait for the user-interface
//    thread (which may itself be waiting for the decoding lock): post only.
#pragma once

#include <windows.h>

#include "picture.h"

// One band repaint request while a page decodes.
struct LoadRows {
    int rowsDone;     // rows decoded so far
    int rowsTotal;    // rows of the page
    int band;         // band that has just arrived whole, counted top-down
    int bandRows;     // rows per band (the last band may be shorter)
    bool bottomUp;    // the coder delivers the last row first
    bool interlaced;  // the coder delivers in passes: repaint all of it
    int firstRow;     // the rows decoded so far, top row first: firstRow and
    int rowCount;     // the rowCount rows below it (LoadProgress::DecodedRows)
};

struct LoaderSink {
    void* context;
    // The views let go of the current picture and pages; they are freed
    // once the new picture has replaced them.
    void (*detachViews)(void* context);
    // picture is the new file's page, still decoding: the viewer makes it
    // current on its own thread (AdoptLoadedPicture), the views take it and
    // start showing it, the frame lays itself out.  Null when the page has no
    // size or no memory was left for it: the views show no picture.
    void (*showPicture)(void* context, Picture* picture);
    // Band repaint (and the frame's "Loading n%" status).
    void (*rowsReady)(void* context, const LoadRows* rows);
    // The page is decoded and its display copy complete: show all of it.
    void (*pageFinished)(void* context);
    // The file is loaded (and its animation pages preloaded).
    void (*fileLoaded)(void* context);
    // path is not a picture the library recognises (or is gone), or the page
    // asked for is not in the file.  The views were detached and the old
    // picture freed first: the document has no picture now.  Not called when
    // another file was requested meanwhile.
    void (*unreadable)(void* context, const char* path);
    // path looked like a picture but could not be opened, has no page, or
    // its page has no size or no memory was left for it (after showPicture
    // with null), or a fatal decoder error came back to the recovery point
    // while it was loading: the viewer shows its "Decode Picture Error"
    // message.
    void (*decodeError)(void* context, const char* path);
};

// The sink the loader reports to; copied.  Set it while no loader runs.
void SetPictureLoaderSink(const LoaderSink& sink);

// The current picture is replaced only on the thread that shows it: called
// there while the loader waits in showPicture, this makes picture current
// with its file's format, page count, page and depth, and sets the old
// picture and pages aside for FreeReplacedPictures (the caller may let the
// loader go on first).  False, doing nothing, unless picture is the one the
// loader is handing over (a second call, or a stale one).  When showPicture
// returns without it, the loader adopts the picture itself.
bool AdoptLoadedPicture(Picture* picture);

// Frees the pictures the last adoption replaced (none: nothing to do).
void FreeReplacedPictures();

// Makes path the current file and has it loaded, showing the given page: a
// running loader drops what it is doing and starts over with the new name;
// otherwise a new loader thread starts.  False for a null path or when no
// thread could be started.
bool RequestPicture(const char* path, int page = 0);

// True while the loader thread is working on a file (it has not yet gone
// idle: between files it waits for the next request, or for its stop).
bool IsPictureLoaderRunning();

// Sets the load-control flag to stop and waits up to waitMs for the thread
// to end, answering messages sent to the calling thread meanwhile (the
// loader may be waiting in detachViews or showPicture); then terminates it.
// True when the thread ended by itself (or none ran).  A thread terminated
// inside a decode leaves the decoding lock held, so this is for shutdown and
// for decoders that never report a row.
bool StopPictureLoader(DWORD waitMs = 2000);
