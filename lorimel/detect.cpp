#include "detect.h"

#include "magick.h"
#include "registry.h"

#include <windows.h>
#include <cstring>

namespace {

constexpr DWORD kHeadBytes = 2148;

// The text after the last '.' of the path, upper-cased; empty when none.
void CandidateFromName(const char* path, char* out, size_t size) {
    out[0] = '\0';
    const char* dot = std::strrchr(path, '.');
    if (!dot || std::strlen(dot + 1) >= size) return;
    size_t i = 0;
    for (const char* p = dot + 1; *p; ++p) {
        char c = *p;
        out[i++] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    out[i] = '\0';
}

// Reads the first bytes; false when the file cannot be opened or delivers
// fewer bytes than it holds (up to the head size).
bool ReadHead(const char* path, unsigned char* head, DWORD& got) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD high = 0;
    DWORD size = GetFileSize(file, &high);
    bool ok = size != INVALID_FILE_SIZE || GetLastError() == NO_ERROR;
    DWORD want = (high || size > kHeadBytes) ? kHeadBytes : size;
    got = 0;
    ok = ok && ReadFile(file, head, want, &got, nullptr) && got == want;
    CloseHandle(file);
    return ok;
}

// A tag's content test: its own, or that of its coder's main tag (the one
// named like the coder module), so that "JPG" tests like "JPEG".
IsImageFormatHandler* ContentTest(const FormatEntry* entry) {
    if (entry->coder && entry->coder->magick) return entry->coder->magick;
    const FormatEntry* main = FindFormat(entry->group);
    return (main && main->coder) ? main->coder->magick : nullptr;
}

bool Accepts(const FormatEntry* entry, const unsigned char* head, DWORD length) {
    IsImageFormatHandler* test = ContentTest(entry);
    return test && test(head, length) != MagickFalse;
}

// The main tag of a coder carries the coder module's name.
bool IsMainTag(const FormatEntry* e) { return lstrcmpiA(e->name, e->group) == 0; }
bool IsAlias(const FormatEntry* e) { return std::strcmp(e->name, e->coderName) != 0; }

void Answer(const char* name, char* format, size_t size) {
    lstrcpynA(format, name, static_cast<int>(size));
}

}  // namespace

bool DetectFormat(const char* path, char* format, size_t formatSize) {
    char candidateName[64];
    CandidateFromName(path, candidateName, sizeof candidateName);
    unsigned char head[kHeadBytes];
    DWORD length = 0;
    // An empty file holds no picture, whatever its name says.
    if (!ReadHead(path, head, length) || length == 0) return false;

    const FormatEntry* candidate = candidateName[0] ? FindFormat(candidateName) : nullptr;
    // The 24-bit aliases share their coder's test, but the file is that coder's.
    if (candidate && IsAlias(candidate)) candidate = FindFormat(candidate->coderName);
    if (candidate && Accepts(candidate, head, length)) {
        Answer(candidate->name, format, formatSize);
        return true;
    }
    // Every coder's test in registry order; a coder's main tag answers before
    // the other tags that share its test (PNG before APNG and PNG8).
    for (int pass = 0; pass < 2; ++pass)
        for (const FormatEntry* e = FirstFormat(); e; e = e->next) {
            if (IsAlias(e) || IsMainTag(e) != (pass == 0)) continue;
            if (Accepts(e, head, length)) {
                Answer(e->name, format, formatSize);
                return true;
            }
        }
    if (candidate && !ContentTest(candidate)) {
        Answer(candidate->name, format, formatSize);
        return true;
    }
    return false;
}
