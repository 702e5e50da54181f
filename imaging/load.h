// Reading pictures into memory through the picture file library.  Every
// decode in the process runs under one lock (the decoding lock), because the
// library's progress callback is process-wide: the picture loader thread, the
// preview and the browser's thumbnail maker all take it.
#pragma once

#include "dib.h"
#include "lorimel.h"
#include "picture.h"

// The bound picture file library; set once at start, before any decode.
void SetImageLibrary(const LorimelApi* api);
const LorimelApi* ImageLibrary();

// Holds the decoding lock for its lifetime.  Taking it waits until every
// shared holder (below) is done; none starts meanwhile.  A thread may take it
// again while it holds it.
class DecodingLock {
public:
    DecodingLock();
    ~DecodingLock();
    DecodingLock(const DecodingLock&) = delete;
    DecodingLock& operator=(const DecodingLock&) = delete;
};

// Holds the decoding lock shared: the thumbnail decoders, which install no
// progress callback, decode side by side under it, while a holder of the
// whole lock (the picture loader with its callback) waits for them.  Never
// nested, and never taken by a thread that holds the whole lock.
class SharedDecodingLock {
public:
    SharedDecodingLock();
    ~SharedDecodingLock();
    SharedDecodingLock(const SharedDecodingLock&) = delete;
    SharedDecodingLock& operator=(const SharedDecodingLock&) = delete;
};

// Detects, opens, reads the header and page 0 of a file into a bare 32-bit
// DIB block, without progress reporting, and closes the file.  Null when the
// file is not a picture the library can read, memory runs out or a fatal
// decoder error ended the decode (it comes back to a recovery point taken
// here and dropped again on return).
DibBlock* LoadFirstPageDib(const char* path);

// One page of an open file (read mode, header read) as a new picture, its
// working copy decoded; returned even when decoding stopped early.  Null for
// a page the file does not have, a page without size, no memory, or a fatal
// decoder error (under a recovery point of its own, as above).
Picture* LoadPagePicture(LorimelHandle file, int page);
