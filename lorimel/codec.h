// The operations every registry entry runs through the imaging core's coder:
// read the description of all pages without pixels, decode one page into a
// caller's 32-bit buffer, and encode a DIB block into the open file.
#pragma once

#include "lorimel.h"

struct ImageFileRecord;

LONG ReadDescriptionThroughCoder(ImageFileRecord& file);
LONG ReadPixelsThroughCoder(ImageFileRecord& file, void* pixels, LONG width, LONG height,
                            LONG page);
LONG WriteThroughCoder(ImageFileRecord& file, const void* dibBlock, const LorimelWriteInfo& info);

// Page selection and the facts a caller asks of one page.
struct _Image;
const _Image* SelectPage(const ImageFileRecord& file, LONG page);
bool DescribePage(const _Image* image, LorimelPageInfo& info);
// The bits per pixel a BMP file's header states for true-colour rows (15,
// 16, 24 or 32); 0 for another file or a palette BMP.  Leaves the stream at
// its start.
LONG StoredBmpBits(ImageFileRecord& file);
LONG PageDelayMilliseconds(const _Image* image);

// The longest side a counted page may have, and the longest side the core
// is allowed to make a picture of at all.
constexpr LONG kMaxPageSidePixels = 0x8000;
constexpr LONG kMaxCoreSidePixels = 0xFFFF;

// The description read covers the first 1024 pages of a file.  Counts the
// pages of the description just read: up to the first page that has no
// size, is wider or higher than 32768 pixels, or declares far more pixels
// than its file could hold.
LONG CountPages(ImageFileRecord& file);
bool RowsAreGrey(const _Image* image);

// Clears the handle's error record, or fills it from the core's exception.
struct _ExceptionInfo;
void ClearError(ImageFileRecord& file);
void RecordError(ImageFileRecord& file, const _ExceptionInfo* exception);

// Frees the handle's page list.
void DestroyPages(ImageFileRecord& file);
