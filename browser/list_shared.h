// What the file list and the worker's thumbnail passes read of each other.
// The list's side is defined in file_list.cpp, the worker's in worker.cpp;
// each includes this header instead of the other's.
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

// The worker's side.
// Items with more than one frame made since the last folder load; the list
// runs the cell animation while there are any.
int AnimatedItemCount();
