// The browser's worker thread.  It loads folders into the item model, will
// make their thumbnails, and waits on the change notifications of the
// watcher (watcher.h).  The user-interface thread hands it one request at a
// time through a handshake on two auto-reset events: "request" (created
// non-signalled, set by the interface thread) and "done" (created signalled,
// set by the worker after each request).  The worker answers only with posted
// messages: 2031 or LVM_SETITEMCOUNT/LVM_UPDATE after a folder load, 2033 to
// the list and 2034 to the browser after changes on disk.  A change of the
// shown folder is refreshed by the worker itself.
//
// Locks, always taken in this order: the folder lock (folder loads,
// thumbnail passes, the refresh after a change), the item model's lock, the
// decoding lock.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "list_shared.h"

#include <string>
#include <vector>

// Request codes.
enum WorkerRequest {
    kRequestOpenFolder = 0,        // 0 and 1 both open the pending folder
    kRequestOpenFolderAgain = 1,
    kRequestThumbnails = 2,        // thumbnails of the shown folder
    kRequestSeparateFiles = 4,     // thumbnails of a model filled from separate files
};

// Creates the two events, arms the change notifications and starts the
// worker.  list receives 2033 and the folder-load posts for a virtual list
// (LVS_OWNERDATA); browser receives 2031 and 2034.  False (nothing started)
// when an event cannot be made or the thread does not start.
bool StartWatcher(HWND list, HWND browser);
// Ends the worker: run flag off, stop and abort set, request signalled;
// waits up to 50 000 ms for the thread, then terminates it.  Closes every
// notification and both events.  Does nothing when no worker runs.
void StopWatcher();
bool WorkerRunning();

// The handshake: asks the current request to stop, waits until the worker
// is idle, hands over code and folder (copied; may be null) and wakes it.
// Returns once the request is handed over, not when it is done.  Ignored
// while no worker runs.
void RequestFolder(int code, LPCITEMIDLIST folder);
// Request 4 for the pictures the viewer put into the item model.
void RequestSeparateFiles();
// For the work on the worker: true once a newer request (or the stop) has
// asked the current one to end.  Checked between items.
bool WorkerAborted();
// True while the interface thread is inside the handshake or StopWatcher.
bool InterfaceThreadWaiting();

// The path of the folder the worker last loaded ("" before any, or for a
// folder outside the file system).
std::string LoadedFolderPath();

// Holds the folder lock for its lifetime.
class FolderLock {
public:
    FolderLock();
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
};

// Holds the folder lock for its lifetime when it was free: the interface
// thread never waits for a folder load or a thumbnail pass.
class FolderLockIfFree {
public:
    FolderLockIfFree();
    ~FolderLockIfFree();
    FolderLockIfFree(const FolderLockIfFree&) = delete;
    FolderLockIfFree& operator=(const FolderLockIfFree&) = delete;
    bool Held() const { return held_; }

private:
    bool held_;
};

// The thumbnail passes over the item model, under the folder lock: visible
// items first, then all of them, restarting when the visible range moves;
// then a second pass of the same order for the shortcuts, which get their
// targets' thumbnails.  folderCache opens the folder's cache around the first
// pass (request 4 uses the one-shot cache forms instead).  Results reach the
// list as posted messages (2032, 2030, the cell animation's start); a
// picture the library gives up on is reported to the browser.  Called by the
// worker after a folder load and for requests 2 and 4, and by the refresh
// after a change.  True when the passes ran to the end: the picture list is
// then built and the pictures are handed to the open list.
bool RunThumbnailPasses(HWND list, HWND browser, bool folderCache);

// How many threads decode thumbnails while the pass runs on the worker,
// which looks pictures up in the cache, appends to it and gives each item
// its thumbnails.  count 0 (the default): one per processor; at most 4.
// Takes effect at the next pass.
void SetThumbnailDecodingThreads(int count);
// The number the next pass will use.
int ThumbnailDecodingThreads();

void ForgetCellAnimation();

// Hands a new open list to the browser window, which puts it in place on the
// user-interface thread.
void PostOpenList(std::vector<std::string> paths);
