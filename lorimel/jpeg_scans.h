// The DC scans of a progressive JPEG.  Read at 1/8 of its size or less, a
// JPEG's decoder uses only each block's DC coefficient; a progressive file
// sends those in scans of their own, ahead of (or between) the AC scans that
// hold most of its bytes.  Handing the decoder the file without its AC scans
// gives the same reduced picture (chroma planes that are themselves
// subsampled lose their in-block detail) without decoding the AC data at
// all: the AC scans are only looked through for where they end.
#pragma once

#include <windows.h>

#include <cstdio>
#include <vector>

// Reads the stream from its current position and writes the file without
// those AC scans, its comments and the application segments the decoder does
// not need (APP0 and APP14, which decide the colours, are kept) to *out.
// False, with *out empty, when the stream is not a progressive JPEG or its
// markers do not add up before the first DC scan; a stream that ends early
// gives what it had, closed with an end-of-image marker.
bool ProgressiveDcScans(FILE* stream, std::vector<BYTE>* out);
