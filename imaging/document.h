// The viewer's current document: the file being shown, its picture and, for
// an animation, the pictures of all its pages.  One per process, owned by the
// viewer; the picture loader thread fills it while a file loads.
//
// Who writes what: the user-interface thread writes the file name (through
// RequestPicture in loader.h) and is the only one that replaces the current
// picture: after processing, and for a new file when the loader hands its
// first page over (AdoptLoadedPicture).  While the loader runs it writes the
// pixels of that picture and fills the page slots of an animation; picture
// commands wait for no load and are refused meanwhile.
#pragma once

#include <windows.h>

#include "picture.h"

// The load-control flag, polled by the loader thread and its row callback.
enum : LONG {
    kLoadGoOn = 0,     // keep decoding
    kLoadRestart = 1,  // a new file was requested: start over with the current name
    kLoadStop = 2,     // end the loader thread
};

struct PictureDocument {
    char fileName[MAX_PATH];   // the file shown or being loaded
    char formatName[200];      // format the library detected for it
    Picture* picture;          // the current picture, or null
    int pageCount;             // pages of the file (0 until the loader knows)
    int currentPage;           // 0-based page shown
    int pageBitsPerPixel;      // bits per pixel the shown page is stored with

    // Animation pages, one slot per page (null arrays for a single picture or
    // a file whose pages are not preloaded).  The current page's slot holds
    // the current picture; other slots stay null until their page is decoded.
    Picture** pages;
    int* pageDelays;           // milliseconds each page stays
    int* pageBits;             // bits per pixel each page is stored with
    int pageSlots;             // length of the three arrays
    bool pagesDifferInSize;

    // The shown page's own size in the file, and the picture that holds it
    // reduced because the whole page would not fit the picture budget (null
    // when it is held whole).  A picture made later by processing is not
    // that picture: it is simply what is shown.
    int fileWidth;
    int fileHeight;
    const Picture* reducedPicture;

    DWORD loadTimeMs;          // time the last load took; 0 when it failed
    volatile LONG loadControl; // kLoadGoOn, kLoadRestart or kLoadStop

    // The pictures came from a device, not from a file: fileName is only
    // their display name, nothing to read again.  Cleared by every request
    // for a file.
    bool notOnDisk;
};

PictureDocument& CurrentDocument();

// Makes picture the current picture.  In an animation it takes the place of
// the current page's slot, whose picture is freed; otherwise the previous
// current picture is freed.  Giving the current picture again frees nothing.
void SetCurrentPicture(Picture* picture);

// Sizes the page arrays for count pages, all slots empty, freeing any
// previous pages.  False (arrays left as they were) for a count below 1 or
// when memory runs out.
bool AllocateDocumentPages(int count);

// Frees the current picture, every page picture and the page arrays.  The
// views must have let go of them first.
void FreeCurrentPicture();

// The current picture with its pages and page arrays, taken out of the
// document whole so that they can be freed a moment later.
struct RetiredPictures {
    Picture* picture;
    Picture** pages;
    int* pageDelays;
    int* pageBits;
    int pageSlots;
};
RetiredPictures TakeCurrentPictures();
// Frees what TakeCurrentPictures took and empties the record.
void FreeRetiredPictures(RetiredPictures& retired);
