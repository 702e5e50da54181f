#include "url_list.h"

#include <windows.h>

#include <cctype>

#include "file_replace.h"

namespace {

bool SameText(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

bool WriteAll(HANDLE file, const std::string& text) {
    DWORD written = 0;
    return text.empty() ||
           (WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) && written == text.size());
}

}  // namespace

std::string UrlHostPart(const std::string& address) {
    size_t start = address.find("://");
    if (start == std::string::npos) start = address.find(":\\\\");
    std::string host = start == std::string::npos ? address : address.substr(start + 3);
    const size_t cut = host.find_first_of("/\\");
    if (cut != std::string::npos) host.resize(cut);
    return host;
}

bool ParseUrlLine(const std::string& line, UrlEntry* entry) {
    if (line.empty()) return false;
    const size_t equals = line.rfind('=');
    if (equals == std::string::npos) {
        *entry = MakeUrlEntry(line, std::string());
    } else {
        *entry = MakeUrlEntry(line.substr(0, equals), line.substr(equals + 1));
    }
    return true;
}

UrlEntry MakeUrlEntry(const std::string& address, const std::string& title) {
    UrlEntry entry;
    entry.address = address;
    entry.host = UrlHostPart(address);
    entry.title = title;
    return entry;
}

std::string FormatUrlLine(const std::string& address, const std::string& title) {
    if (address.empty() && title.empty()) return std::string();
    // An address holding "=" keeps it only when a last "=" follows to mark
    // the (empty) title.
    if (!title.empty() || address.find('=') != std::string::npos) return address + "=" + title;
    return address;
}

bool UrlTitleAcceptable(const std::string& title) { return title.find('=') == std::string::npos; }

std::vector<std::string> SplitUrlLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : text) {
        if (c == '\r' || c == '\n') {
            if (!line.empty()) lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

bool ReadUrlFile(const std::string& path, std::vector<UrlEntry>* entries) {
    entries->clear();
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr) != 0) && got > 0) text.append(buffer, got);
    CloseHandle(file);
    if (!ok) return false;
    for (const std::string& line : SplitUrlLines(text)) {
        UrlEntry entry;
        if (ParseUrlLine(line, &entry)) entries->push_back(entry);
    }
    return true;
}

bool WriteUrlFile(const std::string& path, const std::vector<UrlEntry>& entries, const std::string& skipLine) {
    std::string text;
    for (const UrlEntry& entry : entries) {
        const std::string line = FormatUrlLine(entry.address, entry.title);
        if (line.empty() || SameText(line, skipLine)) continue;
        text += line;
        text += "\r\n";
    }
    // A read-only list stays as it is: replacing it would bypass the mark.
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return false;
    char temporary[MAX_PATH];
    if (!GetTempFileNameA(FolderOf(path).c_str(), "url", 0, temporary)) return false;
    HANDLE file = CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    bool ok = file != INVALID_HANDLE_VALUE;
    if (ok) {
        ok = WriteAll(file, text) && FlushFileBuffers(file);
        ok = CloseHandle(file) && ok;
    }
    if (ok) ok = ReplaceWithFreshFile(temporary, path);
    if (!ok) DeleteFileA(temporary);
    return ok;
}

UrlOpenVerdict CheckUrlToOpen(const std::string& address, std::string* target) {
    size_t begin = 0, end = address.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(address[begin]))) ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(address[end - 1]))) --end;
    const std::string text = address.substr(begin, end - begin);
    if (text.empty()) return UrlOpenVerdict::kEmpty;
    // A scheme: a letter, then letters, digits, "+", "-" or "."; a single
    // letter is a drive.  "host:8080" is a host with a port, not a scheme.
    const size_t colon = text.find(':');
    bool scheme = colon != std::string::npos && colon >= 2 && std::isalpha(static_cast<unsigned char>(text[0]));
    for (size_t i = 0; scheme && i < colon; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') scheme = false;
    }
    if (scheme) {
        size_t digits = colon + 1;
        while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits]))) ++digits;
        if (digits > colon + 1 && (digits == text.size() || text[digits] == '/')) scheme = false;
    }
    if (scheme) {
        const std::string name = Lower(text.substr(0, colon));
        if (name != "http" && name != "https" && name != "ftp" && name != "mailto") return UrlOpenVerdict::kRefused;
        // "http:" alone, or a web address without its "//", names no host.
        if (name != "mailto" && text.compare(colon, 3, "://") != 0) return UrlOpenVerdict::kRefused;
        *target = text;
        return UrlOpenVerdict::kOpen;
    }
    // No scheme: a host name.  Paths (a drive, "\\server", "/", ".\") and
    // anything with a backslash or a quote are not web addresses.
    if (text.find_first_of("\\\"<>|") != std::string::npos || text[0] == '/' || text[0] == '.' ||
        (colon == 1) || text.find(' ') != std::string::npos)
        return UrlOpenVerdict::kRefused;
    *target = "http://" + text;
    return UrlOpenVerdict::kOpen;
}
