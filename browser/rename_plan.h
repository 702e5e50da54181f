// Renaming many files from one numbered template (the Multi File Rename
// dialog): deriving a template from a file name, expanding it, and checking
// and ordering the renames so that no file is written over.  No windows.
#pragma once

#include <string>
#include <vector>

// "IMG_0042.JPG" gives the template "IMG_####" and the start 42; a name
// whose digits are fewer than three gets "###" appended ("photo.jpg" gives
// "photo###" and 0).
struct RenameTemplate {
    std::string pattern;
    unsigned long start = 0;
};
RenameTemplate DeriveRenameTemplate(const std::string& fileName);

// Each run of k "#" becomes the last k digits of n, zero-padded.
std::string ExpandRenameTemplate(const std::string& pattern, unsigned long n);
// The new name of the i-th file: the template expanded with start + i and
// the old name's extension (the text after its last ".", if any).
std::string RenamedName(const std::string& pattern, unsigned long number, const std::string& oldName);

// The start number as typed: decimal digits only, at most 999999999;
// false for anything else (empty, signs, letters, too large).
bool ParseRenameStart(const std::string& text, unsigned long* value);

// Why a set of new names is refused; kRenameFine when it is not.
enum RenameProblem {
    kRenameFine = 0,
    kRenameBadName,      // empty, ".", "..", or holding \ / : * ? " < > |
    kRenameRepeated,     // two files would get the same path
    kRenameTooLong,      // a full path over 259 characters
    kRenameTaken,        // a file that is not being renamed has the name
};

// One rename: a full source path and its full new path (same folder).
struct RenameStep {
    std::string from;
    std::string to;
};

// Checks new names (one per source, each going to its source's own folder)
// and gives the moves that carry them out: files keeping their names are
// left out; when a new name is another source's present name, every file
// goes first to a temporary name in its folder, so that nothing is written
// over on the way (two passes, first then second).  *problem and *culprit
// (the offending new name) tell why the plan is empty.
struct RenamePlan {
    std::vector<RenameStep> first;
    std::vector<RenameStep> second;   // empty when one pass is enough
};
// exists(path) says whether a path is taken on the disk.
RenamePlan PlanRenames(const std::vector<std::string>& sources, const std::vector<std::string>& newNames,
                       bool (*exists)(const std::string& path), RenameProblem* problem, std::string* culprit);
