// The viewer's side of the picture document: the open list position, handing
// files to the picture loader and answering its reports on the frame's
// thread.
#pragma once

#include <windows.h>

#include <string>

#include "picture.h"
#include "picture_files.h"

// Starts the loader's report channel to the frame (call once the frame exists).
void ConnectDocumentToFrame(HWND frame);

// The current picture, or null.
const Picture* CurrentDocumentPicture();

// Facts the caption and status bar show.
struct DocumentFacts {
    std::string file;        // current file, "" when none
    // The picture was acquired: file is the name it goes by, and any file
    // of that name on disk is another picture.
    bool notOnDisk = false;
    std::string format;      // detected format name
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;    // of the current page, as the file states it
    int pageCount = 0;
    int page = 0;
    int position = 0;        // in the open list
    int listLength = 0;
    DWORD loadTimeMs = 0;
    bool hasPicture = false;
    // The picture holds the page reduced (it did not fit the memory
    // budget); fileWidth x fileHeight is the page's own size.
    bool reduced = false;
    int fileWidth = 0;
    int fileHeight = 0;
};
DocumentFacts CurrentDocumentFacts();

// Stops the loader thread (at most 2 s, then it is terminated).
void StopPictureLoading();
// Frees the current picture and its pages.
void FreeCurrentDocument();

// Re-evaluates the display depth; when it changed, rebuilds the display copies
// of the current picture and its pages.  True when it changed.
bool RefreshDisplayForDocument();
