// Stepping through the open list and the pages of the current file, page
// play (frame timer 2244) and the sequence show (frame timer 1).  Decoding is
// the picture loader's business; this module says when a file is handed to
// it and which decoded page is shown.  All functions run on the
// user-interface thread.
#pragma once

#include <windows.h>

#include <utility>
#include <vector>

#include "picture.h"

class OpenList;

// What navigation needs from the viewer frame.  Entries may be null.
struct NavigationHost {
    HWND frame;                       // owns timers 1 and 2244
    HWND (*viewerView)();             // the frame's picture view
    HWND (*previewView)();            // the browser's preview pane
    HWND (*browser)();                // the browser window
    void (*layOutFrame)();            // lay the frame out around the picture
    void (*refreshToolbar)();         // toolbar states changed
};
void SetNavigationHost(const NavigationHost& host);
// The open list the commands step through (the shell's).  Without one the
// picture commands do nothing.
void SetNavigationOpenList(OpenList* list);
OpenList* NavigationOpenList();
// The module holding the Edit List dialog and its column strings.
void SetNavigationResourceModule(HINSTANCE module);

// The open list position (index of the current file in the open list).
int OpenListPosition();
void SetOpenListPosition(int position);

// Picture commands.  Each returns true when it loaded a file.  No wrap-around.
bool GoToPicture(int index);   // position = index, load
bool FirstPicture();
bool PreviousPicture();
bool NextPicture();
bool LastPicture();
// Loads the current file again at the current page; false for pictures
// that are not on disk (acquired ones).
bool ReloadPicture();
// Pictures made in memory (not loaded from a file) are about to become the
// document: page play stops and restarts with them once OnPictureLoaded is
// called, as for a loaded file.
void BeginPicturesInMemory();
// Loads a file that need not be in the open list (Open by name); the
// position is the caller's business.
bool LoadPictureFile(const char* path);

// Page commands: show the page when its slot is decoded, else load the file
// again up to that page.
bool NextPage();
bool PreviousPage();
void PlayPages();
void StopPages();
bool IsPagePlayStopped();

// The loader finished the current file (message 1124): load finished is set,
// shown once for a single-page file, and page play starts for a multi-page one.
void OnPictureLoaded();
// A decoding error ended the load: load finished and shown once are set.
void OnPictureLoadFailed();

// The flags the sequence show waits for: the loader has finished the
// current file; the file has been shown completely (a still picture once
// loaded, an animation after one full play cycle, or after a decoding error).
bool IsLoadFinished();
bool IsShownOnce();

// Timer ticks.  Both timers are set with these as their timer procedures, so
// the frame's window procedure never sees their WM_TIMER.
void OnPagePlayTick();       // timer 2244
void OnSequenceTick();       // timer 1

// While a modal dialog of the viewer is open the sequence show and page play
// hold still: their ticks do nothing, so no new file is loaded and no other
// page takes the place of the picture the dialog works on.  Holds nest.
void HoldViewerTimers();
void ReleaseViewerTimers();
bool AreViewerTimersHeld();

// Holds the viewer's timers for its lifetime (around a modal dialog).
class ViewerTimersHeld {
public:
    ViewerTimersHeld() { HoldViewerTimers(); }
    ~ViewerTimersHeld() { ReleaseViewerTimers(); }
    ViewerTimersHeld(const ViewerTimersHeld&) = delete;
    ViewerTimersHeld& operator=(const ViewerTimersHeld&) = delete;
};

// Sequence show on or off (command 32775).
void ToggleSequenceShow();
bool IsSequenceShowOn();
// "Timer" changed in the Option dialog: restart timer 1 when the show runs.
void RestartSequenceTimer();

// Close all (32803): stop the loader, free the picture and pages, clear the
// open list and both views, forget the current file, reset page count, page
// and position.
void CloseAll();

// Page-play timing: delays of 0 become 150 ms; the period is the shortest
// delay but at least 50 ms (150 ms without delays); each page stays
// delay / period ticks, at least 1.
int PagePlayPeriod(const int* delays, int count);
int PagePlayTicks(int delay, int period);

// The Edit List dialog (193) on the open list, starting at the current
// position.  On OK the list is rewritten in the dialog's order and the chosen
// position returned; -1 on cancel.
int RunEditListDialog(HWND owner);
// The same dialog from a template in memory (its controls carry the same IDs).
int RunEditListDialogIndirect(HWND owner, const DLGTEMPLATE* dialog);

// Move Up (step -1) and Move Down (step +1) of the Edit List dialog: swaps
// the entry at position with its neighbour when that exists and returns the
// entry's new position; otherwise returns position unchanged.
template <typename T>
int MoveListEntry(std::vector<T>& entries, int position, int step) {
    const int target = position + step;
    const int count = static_cast<int>(entries.size());
    if (position < 0 || position >= count || target < 0 || target >= count) return position;
    std::swap(entries[static_cast<size_t>(position)], entries[static_cast<size_t>(target)]);
    return target;
}
