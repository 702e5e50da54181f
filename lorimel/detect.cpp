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

bool Accepts(const FormatEntry* entry, const unsigned char* head, DWORD length) {
    const MagickInfo* coder = entry->coder;
    return coder && coder->magick && coder->magick(head, length) != MagickFalse;
}

bool HasContentTest(const FormatEntry* entry) { return entry->coder && entry->coder->magick; }

void Answer(const char* name, char* format, size_t size) {
    lstrcpynA(format, name, static_cast<int>(size));
}

}  // namespace

bool DetectFormat(const char* path, char* format, size_t formatSize) {
    char candidateName[64];
    CandidateFromName(path, candidateName, sizeof candidateName);
    unsigned char head[kHeadBytes];
    DWORD length = 0;
    if (!ReadHead(path, head, length)) return false;

    const FormatEntry* candidate = candidateName[0] ? FindFormat(candidateName) : nullptr;
    // The 24-bit aliases share their coder's test, but the file is that coder's.
    if (candidate && std::strcmp(candidate->name, candidate->coderName) != 0)
        candidate = FindFormat(candidate->coderName);
    if (candidate && Accepts(candidate, head, length)) {
        Answer(candidate->name, format, formatSize);
        return true;
    }
    for (const FormatEntry* e = FirstFormat(); e; e = e->next) {
        if (std::strcmp(e->name, e->coderName) != 0) continue;
        if (Accepts(e, head, length)) {
            Answer(e->name, format, formatSize);
            return true;
        }
    }
    if (candidate && !HasContentTest(candidate)) {
        Answer(candidate->name, format, formatSize);
        return true;
    }
    return false;
}
