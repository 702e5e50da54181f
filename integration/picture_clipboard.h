// A picture on the clipboard as a packed device-independent bitmap (CF_DIB),
// bottom-up, as other programs read it.  Used by the viewer's "Set Picture
// To Clipboard", the browser's "Set Thumb To Clipboard" and the copy of the
// viewer's selection (which cuts the selection into a block of its own and
// frees it afterwards).
#pragma once

#include <windows.h>

#include "dib.h"

// Why putting a picture on the clipboard failed; kPictureOnClipboard when
// it did not.
enum PictureClipboardOutcome {
    kPictureOnClipboard = 0,
    kPictureMissing,          // no block (no picture, no thumbnail yet)
    kPictureNoMemory,         // the clipboard block could not be allocated
    kPictureClipboardBusy,    // another program holds the clipboard open
};

// Empties the clipboard and puts block on it as CF_DIB.  Every allocated
// block that the clipboard did not take is freed.
PictureClipboardOutcome CopyPictureToClipboard(HWND owner, const DibBlock* block);
