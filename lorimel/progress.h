// Row progress while the core decodes: the process-wide callback that callers
// install, and the hooks that hand each finished row to it (and, when the
// caller's buffer has the page's own size, copy the row straight into it so
// that a viewer can paint rows as they arrive).
#pragma once

#include "lorimel.h"
#include "row_reducer.h"

struct _Image;
struct _ImageInfo;

void SetProgressCallback(LorimelProgress callback);

// One decode into a caller's buffer.  Lives on the decoding thread's stack
// for the duration of the core's read.
struct DecodeTarget {
    BYTE* pixels = nullptr;  // caller's buffer, width * height * 4 bytes
    LONG width = 0;
    LONG height = 0;
    LONG page = 0;
    bool copyRows = false;   // the decoded page has the buffer's size
    bool cancelled = false;  // the callback asked to stop
    bool rowsReported = false;
    // What the hook has copied: rows [0, rowsInOrder) of copiedFrom, each
    // once and top-down, in the pixel form they had then.  When that is the
    // whole page and the page is still that image in that form, the rows
    // need not be copied a second time after the read.
    const void* copiedFrom = nullptr;
    LONG rowsInOrder = 0;
    bool copiedOutOfOrder = false;
    int copiedColorspace = 0;
    bool copiedAlpha = false;
    // The buffer is smaller than the page: a page the core keeps in a cache
    // file is averaged into the buffer row by row as it arrives (copiedFrom
    // and the form above then describe it), so that it is never read back.
    bool reduceRows = false;
    RowReducer reducer;
};

// True when the hook copied every row of image into the target as it stands
// now (see DecodeTarget).
bool RowsAlreadyCopied(const DecodeTarget& target, const _Image* image);
// True when the hook averaged every row of image, as it stands now, into the
// target's buffer.
bool RowsAlreadyReduced(const DecodeTarget& target, const _Image* image);

// Attaches the hooks to an image info used for one read; the target must
// outlive the read.  Detach after the read, before the target goes away.
bool AttachDecodeHooks(_ImageInfo* info, DecodeTarget* target);
void DetachDecodeHooks();

// Converts one row of the core's pixels (blue, green, red, opacity bytes) into
// the caller's blue, green, red, zero layout, composing see-through pixels
// over white.
void StoreRow(BYTE* out, const void* corePixels, LONG count, bool hasAlpha);
