// The save dialogs: "Save Picture" (one picture, also the browser's Convert
// Picture and a selection's Copy To File) and "Save Pictures" (a range of the
// frames of an animation or a multi-page file, under numbered names).
//
// Both list the writable picture types, offer the colour depths the chosen
// type can store and a quality, and write through SaveDibToFile.  A failed
// save keeps the dialog open with a message that names the file and the
// reason; nothing that was on disk before is lost.  User-interface thread.
#pragma once

#include <windows.h>

#include <string>

#include "dib.h"

// What a dialog remembers between its runs (not stored): the format row, the
// depth index and the two overwrite check boxes.
struct SaveDialogMemory {
    int formatRow = -1;               // -1: the "BMP" row
    int depth = 7;
    bool overwriteExist = true;
    bool overwriteOriginal = true;
};
SaveDialogMemory& SavePictureMemory();
SaveDialogMemory& SavePicturesMemory();

// "Save Picture" for a 32-bit block.  sourcePath is the picture's own file
// ("" for a picture without one); the save name starts as that path with the
// chosen format as its extension, else as suggestedName; names typed without
// a folder are taken in `folder`.  True when the picture was saved.
bool RunSavePictureDialog(HWND owner, const DibBlock* source, const std::string& sourcePath,
                          const std::string& folder, const std::string& suggestedName);

// Copy To File: "Save Picture" for a block that has no file of its own (the
// selected pixels), suggesting "NewFile.BMP" in `folder`.  An existing file
// of the chosen name is never taken for the picture's original: replacing it
// is always asked first.
bool SavePictureDialogForDib(HWND owner, const DibBlock* dib, const std::string& folder);

// The frames "Save Pictures" writes: count of them, and the 32-bit block of
// one frame (null when it cannot be had), valid until the next call.
struct FrameList {
    int count;
    const DibBlock* (*frame)(void* context, int index);
    void* context;
};

// "Save Pictures" over the frames, previewing `current`; the save folder
// starts as `folder`, and sourcePath is the file the frames come from (a
// frame name equal to it is the original).  True when frames were saved.
bool RunSavePicturesDialog(HWND owner, const FrameList& frames, const DibBlock* current,
                           const std::string& sourcePath, const std::string& folder);
