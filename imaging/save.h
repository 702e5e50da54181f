// Saving a picture: the colour depths a picture is reduced to before it is
// written, and the one routine that writes a DIB block to a file through the
// picture file library.
//
// A save never harms the file it replaces: the picture is written to a new
// temporary file in the target's folder and takes the target's name only
// once the library has written and flushed all of it.  Every failure leaves
// the folder as it was (no temporary file stays behind) and says why.
//
// User-interface thread; the bound library comes from SetImageLibrary.
#pragma once

#include <windows.h>

#include "dib.h"

// The depth choices of the save dialogs, by index (0..8), in the order of
// the save-depth mask's bits.
enum SaveDepth {
    kSave2Colors = 0,     // 1 bit, ordered dither
    kSave4Colors = 1,     // 2 bits, quantised
    kSave16Colors = 2,    // 4 bits, quantised
    kSave256Colors = 3,   // 8 bits, quantised
    kSave32K = 4,         // 15 bits (5-5-5)
    kSave64K = 5,         // 16 bits (5-6-5)
    kSave16M = 6,         // 24 bits
    kSave32Bits = 7,      // the 32-bit working copy unchanged
    kSaveGray = 8,        // 8 bits, grey palette
    kSaveDepthCount = 9
};

// Bits per pixel a depth index writes (1, 2, 4, 8, 15, 16, 24, 32, 8).
int SaveDepthBits(int depth);

// The depth a save dialog starts on for a format's save-depth mask: the
// highest index 0..6 the mask enables, else 7 when enabled, else 8.
int DefaultSaveDepth(DWORD mask);

// The quality the encoder is given for the dialog's 0..100: 20..95.
constexpr int kLowestSaveQuality = 20;
constexpr int kHighestSaveQuality = 95;
int EncoderQuality(int quality);

// Converts a 32-bit block into `destination` (a block with room for the
// source's size at 32 bits, e.g. from CreateDib) at a depth index; index 7
// copies the pixels unchanged.  1 on success; 0 for a null block, a source
// that is not 32 bits, another index or a failure of the quantiser.
int ConvertForSave(const DibBlock* source, DibBlock* destination, int depth);

// Why a save failed.
enum class SaveFault {
    None,
    NoName,          // empty name or format
    NameTooLong,     // the full name has more than 259 characters
    IsFolder,        // a folder has the name
    ReadOnly,        // the existing file is read-only
    CannotCreate,    // no temporary file in the target's folder (systemError says why)
    Encoder,         // the library refused or failed to write (libraryText says why)
    CannotReplace,   // the finished file could not take the target's name (systemError)
};

struct SaveError {
    SaveFault fault = SaveFault::None;
    DWORD systemError = 0;       // the Win32 error code, when the system said no
    char libraryText[320] = {};  // the library's reason and description, when it failed
};

// The system's text for a Win32 error code, without the trailing line break.
void SystemErrorText(DWORD code, char* text, int size);

// Writes `dib` (any depth the library takes) to fileName in the format
// formatName at quality 0..100 (limited to 20..95 for the encoder), through a
// temporary file as described above.  fileName is a full path.  1 when the
// file is saved; 0 otherwise, with the reason in *error when given.
int SaveDibToFile(const char* fileName, const char* formatName, const DibBlock* dib, int quality,
                  SaveError* error = nullptr);
