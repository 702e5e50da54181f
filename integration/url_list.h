// The URL list's file and its lines, without windows: "URLIST.TXT" in the
// program folder, one entry a line, the address optionally followed by "="
// and a title.  The title is the text after the last "=", so an address
// that holds "=" itself is written with a trailing "=" when it has no title,
// and a title may not hold "=".
#pragma once

#include <string>
#include <vector>

constexpr char kUrlListFile[] = "URLIST.TXT";
constexpr int kUrlFieldLimit = 512;   // characters in each field of the edit dialog

struct UrlEntry {
    std::string address;
    std::string host;    // shown in the second column
    std::string title;
};

// The host part: the text after "://" (or ":\\"), else the whole address,
// cut at the first "/" or "\".
std::string UrlHostPart(const std::string& address);

// An entry from one line; false for an empty line.
bool ParseUrlLine(const std::string& line, UrlEntry* entry);
// An entry from the two fields of the edit dialog (nothing is re-parsed).
UrlEntry MakeUrlEntry(const std::string& address, const std::string& title);
// The line an entry is written as ("" for an empty address).
std::string FormatUrlLine(const std::string& address, const std::string& title);
// A title can be written and read back unchanged (it holds no "=").
bool UrlTitleAcceptable(const std::string& title);

// The non-empty lines of a text whose lines end in CR, LF or both.
std::vector<std::string> SplitUrlLines(const std::string& text);

// The entries of a file; false (and none) when it cannot be read.
bool ReadUrlFile(const std::string& path, std::vector<UrlEntry>* entries);
// Writes the entries' lines, each ended by CR LF, skipping empty ones and
// any equal (case aside) to skipLine, the built-in entry.  The text goes to a
// temporary file beside path, which then replaces it, so a failure leaves
// the old file whole.  False when the file could not be written.
bool WriteUrlFile(const std::string& path, const std::vector<UrlEntry>& entries, const std::string& skipLine);

// Whether an address may be handed to the shell to open: web and mail
// addresses (http, https, ftp, mailto) open as they are, an address without
// a scheme opens as "http://" + address; anything else (another scheme, a
// path, a program) is refused.
enum class UrlOpenVerdict { kOpen, kEmpty, kRefused };
UrlOpenVerdict CheckUrlToOpen(const std::string& address, std::string* target);
