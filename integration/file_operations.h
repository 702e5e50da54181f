// File operations through the shell, which asks its own questions and shows
// its own errors; file lists on the clipboard and pasting them.  Nothing here
// shows a message of its own: every operation says by its result whether it
// did what was asked, and the caller tells the user.
//
// A "path list" is a block of zero-terminated full paths ending with an
// empty one (the form SHFileOperationA and CF_HDROP use).  All calls belong
// on the thread that owns the owner window.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Each shell operation is true only when the shell reports success and the
// user cancelled none of it (a "No" to the shell's question is a failure).
//
// Not every shell asks before a copy, move or rename writes over a file, so
// these operations ask first themselves: when a destination exists already
// (other than its own source), the overwrite question is called with the
// existing paths, and the operation does nothing unless it answers true.
// Without a question set, existing files are never written over.
typedef bool (*OverwriteQuestion)(HWND owner, const std::vector<std::string>& existing);
void SetOverwriteQuestion(OverwriteQuestion question);
// The destinations of a copy or move that exist already (a destination that
// is its own source, in another spelling, does not count).
std::vector<std::string> ExistingDestinations(const char* sources, const char* destinations);

// Renames one file or folder.  Both paths are full paths ending in two zero
// characters.
bool RenameFile(HWND owner, const char* oldDoubleZero, const char* newDoubleZero);
// Copies or moves each source of a path list to the destination of the same
// place in the second list (one destination per source).  The Quiet forms
// show no progress; the others show the shell's progress.  Both keep the
// shell's overwrite question.
bool CopyFilesQuiet(HWND owner, const char* sources, const char* destinations);
bool MoveFilesQuiet(HWND owner, const char* sources, const char* destinations);
bool CopyFilesTo(HWND owner, const char* sources, const char* destinations);
bool MoveFilesTo(HWND owner, const char* sources, const char* destinations);
// Deletes the files and folders of a path list: to the Recycle Bin, or for
// good when the Shift key is down at the call.  The shell asks first.
bool DeleteFiles(const char* doubleZeroList, HWND owner);

// Deletes the files matching a pattern ("C:\\dir\\*.CAH") for good, through
// the shell: its confirmation is asked, its progress display is not shown.
bool DeleteMatchingFiles(const std::string& pattern, HWND owner, const char* progressTitle);

// Creates a folder (its parent must exist).  False with the system's error
// left for GetLastError.
bool CreateSubfolder(const std::string& path);

// Path lists.
std::string JoinPathList(const std::vector<std::string>& paths);    // with the closing empty entry
std::vector<std::string> SplitPathList(const char* list);
// The folder of a full path: everything before its last backslash ("" when
// there is none or it is the first character); the name part after it.
std::string FolderPart(const std::string& path);
std::string NamePart(const std::string& path);
// A folder path in one spelling: full, long names, no trailing backslash
// except on a drive root ("c:\\pics\\" and "C:\\PICS" name one folder when
// compared without regard to case).
std::string NormalFolder(const std::string& folder);
bool SameFolder(const std::string& a, const std::string& b);

// Clipboard: "Preferred DropEffect" values.
constexpr DWORD kDropCopy = 1;   // DROPEFFECT_COPY
constexpr DWORD kDropMove = 2;   // DROPEFFECT_MOVE

// Why a clipboard or paste operation did nothing; kPasteDone when it did.
enum PasteOutcome {
    kPasteDone = 0,
    kPasteClipboardBusy,      // another program holds the clipboard open
    kPasteNothing,            // no file list on the clipboard, or no target
    kPasteSameFolder,         // a cut file already lies in the target folder
    kPasteFailed,             // the shell's operation failed or was cancelled
    kPasteNoMemory,
};

// Empties the clipboard; false when it cannot be opened.
bool ClearClipboard(HWND owner);
// Puts the paths on the emptied clipboard as a CF_HDROP block (ANSI paths)
// followed by a "Preferred DropEffect" block of effect.  False when a block
// cannot be made or the clipboard cannot be opened (nothing is left
// allocated).
bool PutFilesOnClipboard(HWND owner, DWORD effect, const std::vector<std::string>& paths);
// The clipboard's "Preferred DropEffect" value, 0 when it cannot be opened or
// holds no such block of at least 4 bytes.
DWORD GetClipboardDropEffect(HWND owner);
// The clipboard's file list (ANSI or wide, as DragQueryFileA reports it);
// false when the clipboard cannot be opened, true with an empty list when it
// holds none.
bool ReadClipboardFiles(HWND owner, std::vector<std::string>* paths);

// The names pasted files get in a folder.  A copy into its own folder
// becomes prefix + " " + name, then prefix + "(1) " + name, "(2) ", ...
// until free.  A source from another folder keeps its name unless another
// file of the same paste has it (X\\a.jpg and Y\\a.jpg): then it is named
// the same way.  Taken are the names on the disk in the target, the names of
// the sources in the target and the names chosen before in the same paste
// (one case-insensitive set); a name kept from another folder may still be
// on the disk, which the overwrite question settles.  Returns one full
// destination path per source.
std::vector<std::string> PasteDestinations(const std::vector<std::string>& sources, const std::string& target,
                                           const std::string& prefix);

// Pastes the clipboard's files into target by copying (names from
// PasteDestinations with prefix); the clipboard keeps its list.
PasteOutcome PasteFilesCopy(HWND owner, const std::string& target, const std::string& prefix);
// Pastes by moving, under the names PasteDestinations gives.  Nothing moves
// when a listed file already lies in the target (kPasteSameFolder); the
// clipboard is emptied only after a move that succeeded.
PasteOutcome PasteFilesMove(HWND owner, const std::string& target, const std::string& prefix);
