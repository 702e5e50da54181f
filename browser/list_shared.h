// What the file list and the worker's thumbnail passes read of each other.
// The list's side is defined in the file_list*.cpp parts, the worker's in
// worker.cpp; each includes this header instead of the other's.
#pragma once

#include <windows.h>

// The list's side.
bool FileListIsVirtual();
// The box a thumbnail is fitted into for the current cell.
SIZE ThumbnailCellBox();
// The range of list indices the last paint showed, [first, end); the worker
// serves these first.  The flag is set when the range moved or the list was
// re-sorted; TakeRangeChanged reads and clears it.
void VisibleListRange(int* first, int* end);
bool TakeRangeChanged();

// Re-announces the item count (after the worker filled or sorted the model);
// from any thread.
void AnnounceItemCount();
// Sets the flag that the shown range moved.
void MarkRangeChanged();
// The worker's side.
// Items with more than one frame made since the last folder load; the list
// runs the cell animation while there are any.
int AnimatedItemCount();
// The handshake without a new request: the current request is asked to stop
// and the call returns once the worker is idle, so that the interface thread
// may replace the item model without a folder load writing over it.  The
// next request follows at once.  Ignored while no worker runs.
void StopCurrentRequest();
// Replaces the viewer's open list by the pictures of the item model in model
// (display) order: items with a thumbnail, shortcuts by their targets.  With
// separateFiles, file items that were not examined yet count as pictures
// too: a list of separate files holds nothing else.
void HandPicturesToOpenList(bool separateFiles);
