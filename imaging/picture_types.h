// The picture type table: one plain record per format the picture file
// library registers, with what the format can do.  Built once from the
// library's format registry after it starts; the save dialogs list the
// writable entries, and type registration extends the records with its own
// columns (label colour, icon, registry keys).
//
// Built and read on the user-interface thread only.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "lorimel.h"

// Capability bits of a picture type.
enum : DWORD {
    kTypeCanRead = 1,
    kTypeCanWrite = 2,
    kTypeFlag1 = 4,    // the format's flag bit 1 (decodes to a reduced size)
    kTypeFlag2 = 8,    // flag bit 2 (icon resources)
    kTypeFlag4 = 16,   // flag bit 4 (pages not preloaded)
};

struct PictureType {
    char name[20];            // format tag, as the library names it ("BMP")
    char group[100];          // the coder module that writes several tags
    char description[200];
    DWORD capabilities;       // kTypeCanRead | kTypeCanWrite | kTypeFlag...
    DWORD saveDepths;         // save-depth mask (kSaveDepth... in lorimel.h)
    COLORREF color;           // label colour in the browser (white until set)
    HBRUSH brush;             // solid brush of `color`, owned by the table (shared
                              // by the entries of one colour); the
                              // browser's items point at this field, so a new
                              // colour reaches every item at once
};

// Fills the table from the library's registry, in registry order; empty when
// the library is missing.  Returns the number of entries.
int BuildPictureTypes(const LorimelApi* api);
const std::vector<PictureType>& PictureTypes();

// Indexes into PictureTypes() of the entries that can be written, in table
// order.
std::vector<int> WritablePictureTypes();
// The entry named `name` (ignoring case), or null.  A binary search over an
// index sorted with the same comparison (lstrcmpiA): the library's own order
// is not sorted.  Safe on any thread once the table is built.
const PictureType* FindPictureType(const char* name);

// Gives every entry its colour and brush: colorOf(tag), else colorOf(module),
// else white; colorOf answers -1 for "not set".  Called after
// BuildPictureTypes (the settings file lives above this library).
void ApplyPictureTypeColors(const std::function<LONG(const char* name)>& colorOf);
// Replaces one entry's colour and brush.
void SetPictureTypeColor(int index, COLORREF color);
// Deletes the brushes and empties the table (at shutdown).
void FreePictureTypes();
