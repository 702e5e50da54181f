// Names of saved files: the save name's extension, names typed without a
// folder, and the numbered names of the frames that Save Pictures writes.
// Pure functions over strings, except the two that look at the disk.
#pragma once

#include <string>
#include <vector>

// The longest full path a name may have (the system's limit less the
// terminating zero).
constexpr size_t kLongestSavePath = 259;

// The name with the text after the last '.' of its file-name part replaced
// by `extension`, or ".extension" appended when the file-name part has no
// '.' ("C:\my.pics\IMG" becomes "C:\my.pics\IMG.JPEG").
std::string ReplaceExtension(const std::string& name, const std::string& extension);

// The folder part of a full path, ending in a backslash ("" for none).
std::string FolderOf(const std::string& path);

// A typed save name as a full path: a name with a drive or a UNC head stays
// as it is, one starting with '\' goes on the folder's drive, anything else
// goes into `folder` (the picture's or the browsed folder, never the
// process's current folder); "." and ".." parts are resolved.  False for an
// empty name, no folder to resolve a relative name against, or a result
// longer than kLongestSavePath characters (never truncated; *tooLong then
// says so when given).
bool ResolveSaveName(const std::string& typed, const std::string& folder, std::string* full,
                     bool* tooLong = nullptr);

// The name of frame number `number` for a template: every run of n '#' takes
// the last n digits of the number, zero-padded ("Photo-###" with 7 gives
// "Photo-007", with 1234 "Photo-234").
std::string FrameFileName(const std::string& pattern, unsigned number);
// True when some run of '#' is too short for the number (its leading digits
// are dropped, so the name may equal a lower number's).
bool FrameNumberWraps(const std::string& pattern, unsigned number);

// The full names of the frames from..to (0-based frame indexes) under a
// folder and a template, numbered base + index + 1.  When two of them are the
// same (ignoring case) the list is refused: false, with the first two frame
// indexes that collide in *first and *second.
bool BuildFrameNames(const std::string& folder, const std::string& pattern, unsigned base, int from, int to,
                     std::vector<std::string>* names, int* first, int* second);

// The base Save Pictures starts with in a folder: one more than the largest
// number ending the name (before its extension) of a file there whose name
// matches the template's part before its '.' ('#' matching any one
// character), with any extension; 0 when there is none.
unsigned FirstFrameBase(const std::string& folder, const std::string& pattern);
