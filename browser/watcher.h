// The change notifications the worker thread waits on besides its request
// event: the user's Send To folder, the root of every fixed, network and RAM
// drive (folders created, removed or renamed anywhere below), and the folder
// the list shows.  A notification is reported only after 50 ms without a
// further change, so a burst of changes gives one message: 2033 to the list
// for the shown folder (after the worker refreshed the model), 2034 to the
// browser for a drive.
#pragma once

#include <windows.h>

#include <string>

constexpr DWORD kQuietTimeMs = 50;
constexpr int kMaxDriveWatches = 26;

// The notification handles.  Armed and closed by whoever owns the worker,
// used by the worker thread while it runs.
class ChangeWatches {
public:
    enum Kind { kNone, kSendTo, kDrive, kFolder };

    // Arms the Send To folder and every fixed, remote and RAM drive root.
    void ArmFixed();
    // Closes the shown folder's notification and arms one for path, unless
    // path is empty or is the program folder or its "Cache" sub-folder.
    // True when the folder is watched.
    bool ArmFolder(const std::string& path);
    void CloseAll();

    // The wait set after the request event: Send To, drives in table order,
    // then the shown folder; only valid handles.  Returns the count written
    // to set (set holds at least 2 + kMaxDriveWatches entries).
    int Fill(HANDLE* set) const;
    Kind KindOf(HANDLE handle) const;

    // After handle fired: re-arms it and waits the quiet time.  When no
    // further change came: posts 2034 to browser (drive), marks the Send To
    // entries stale, or returns true (shown folder; the caller refreshes
    // it).  A shown folder whose notification cannot be re-armed (the folder
    // went away) is dropped from the set and reported once.
    bool Handle(HANDLE handle, HWND browser);
    // Between the items of a thumbnail pass: true when the shown folder's
    // notification has fired (and its quiet time passed) since last asked.
    bool TakeFolderChange();

    int DriveCount() const { return driveCount_; }
    bool FolderWatched() const { return folder_ != nullptr; }

private:
    HANDLE sendTo_ = nullptr;
    HANDLE drives_[kMaxDriveWatches] = {};
    int driveCount_ = 0;
    HANDLE folder_ = nullptr;
    std::string folderPath_;
};

// True for the program folder and its "Cache" sub-folder (case ignored, with
// or without a trailing backslash): writing the thumbnail cache must not
// look like a change of the shown folder.
bool IsUnwatchedFolder(const std::string& path);

// True once after the Send To folder changed; the context menu rebuilds its
// cached Send To entries when it reads true.
bool TakeSendToChanged();

// Under the folder lock: re-enumerates the shown folder and rebuilds the item
// model, carrying over whole every item whose identifier list the folder
// compares equal to a new one (new ones are not examined yet).  False, with
// the model unchanged, when nothing is shown or the folder no longer exists.
bool RebuildShownFolder();
// The refresh after a change of the shown folder, run by the worker (never
// by the interface thread, which would wait for a running pass): rebuilds the
// model, posts 2033 to the list (which announces the new count), makes the
// new items' thumbnails, hands the pictures to the open list and
// (non-virtual list) posts 2035 to the browser.  A pass that sees the change
// yields to it between two items: the model is rebuilt and the pass goes on
// over it.  False when nothing was rebuilt.
bool RefreshShownFolder(HWND list, HWND browser);
