// The format registry: one entry per picture format the imaging core can
// handle, with the operations, flag bits and save-depth mask that the rest of
// the suite asks for.  Built once by InitImageLibrary from the core's coder
// list, in the core's order, and freed by FreeImageLibrary.
#pragma once

#include "lorimel.h"

struct ImageFileRecord;
struct _MagickInfo;

using ReadDescriptionOp = LONG (*)(ImageFileRecord& file);
using ReadPixelsOp = LONG (*)(ImageFileRecord& file, void* pixels, LONG width, LONG height,
                              LONG page);
using WriteOp = LONG (*)(ImageFileRecord& file, const void* dibBlock,
                         const LorimelWriteInfo& info);
using StreamWriterOp = bool (*)();  // present when the coder can write to an open stream

struct FormatEntry {
    const char* name;                   // the tag callers use, upper case
    ReadDescriptionOp readDescription;  // null when the format cannot be read
    WriteOp write;                      // null when it cannot be written
    ReadPixelsOp readPixels;
    StreamWriterOp streamWriter;
    DWORD flags;                        // kFormatFlag... bits
    DWORD saveDepths;                   // kSaveDepth... bits
    const char* description;
    const char* group;                  // coder module that serves several tags
    FormatEntry* next;
    const _MagickInfo* coder;           // the core's coder behind the tag
    const char* coderName;              // its name (differs for the 24-bit aliases)
};

// Builds the registry from the core's coders.  Returns the number of entries.
int BuildFormatRegistry();
void FreeFormatRegistry();

FormatEntry* FirstFormat();
FormatEntry* FindFormat(const char* name);  // case-insensitive; null when unknown

// The flag bits and save-depth mask that the named format carries.
DWORD FormatFlagsFor(const char* name);
DWORD SaveDepthsFor(const char* name, bool canWrite);
