#include "save_names.h"

#include <windows.h>

#include <cctype>

namespace {

size_t FileNameStart(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? 0 : slash + 1;
}

// The file-name part without its extension ("Photo-###.BMP" -> "Photo-###").
std::string Stem(const std::string& name) {
    const size_t start = FileNameStart(name);
    const size_t dot = name.find_last_of('.');
    return name.substr(start, dot == std::string::npos || dot < start ? std::string::npos : dot - start);
}

bool HasDrive(const std::string& name) {
    return name.size() >= 2 && std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':';
}

// Resolves "." and ".." parts of a full path whose head (drive or UNC
// server and share) is `headLength` characters long.
std::string Normalised(const std::string& path, size_t headLength) {
    std::vector<std::string> parts;
    size_t i = headLength;
    while (i <= path.size()) {
        size_t end = path.find('\\', i);
        if (end == std::string::npos) end = path.size();
        const std::string part = path.substr(i, end - i);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        i = end + 1;
    }
    std::string out = path.substr(0, headLength);
    for (size_t p = 0; p < parts.size(); ++p) out += (p ? "\\" : "") + parts[p];
    return out;
}

}  // namespace

std::string ReplaceExtension(const std::string& name, const std::string& extension) {
    const size_t start = FileNameStart(name);
    const size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || dot < start) return name + "." + extension;
    return name.substr(0, dot + 1) + extension;
}

std::string FolderOf(const std::string& path) {
    const size_t start = FileNameStart(path);
    return path.substr(0, start);
}

bool ResolveSaveName(const std::string& typed, const std::string& folder, std::string* full, bool* tooLong) {
    if (tooLong) *tooLong = false;
    std::string name = typed;
    for (char& c : name)
        if (c == '/') c = '\\';
    if (name.empty()) return false;
    std::string joined;
    size_t head = 0;
    if (name.size() >= 2 && name[0] == '\\' && name[1] == '\\') {
        // \\server\share\...: the head runs to the backslash after the share.
        size_t server = name.find('\\', 2);
        size_t share = server == std::string::npos ? std::string::npos : name.find('\\', server + 1);
        joined = name;
        head = share == std::string::npos ? name.size() : share + 1;
    } else if (HasDrive(name)) {
        joined = name.size() > 2 && name[2] == '\\' ? name : name.substr(0, 2) + "\\" + name.substr(2);
        head = 3;
    } else {
        std::string base = folder;
        for (char& c : base)
            if (c == '/') c = '\\';
        if (!HasDrive(base) && !(base.size() >= 2 && base[0] == '\\' && base[1] == '\\')) return false;
        if (name[0] == '\\') {
            if (!HasDrive(base)) return false;
            joined = base.substr(0, 2) + name;
            head = 3;
        } else {
            if (base.back() != '\\') base += '\\';
            joined = base + name;
            if (HasDrive(base)) {
                head = 3;
            } else {
                size_t server = base.find('\\', 2);
                size_t share = server == std::string::npos ? std::string::npos : base.find('\\', server + 1);
                head = share == std::string::npos ? base.size() : share + 1;
            }
        }
    }
    const std::string result = Normalised(joined, head);
    if (result.size() > kLongestSavePath) {
        if (tooLong) *tooLong = true;
        return false;
    }
    if (result.size() <= head) return false;
    *full = result;
    return true;
}

std::string FrameFileName(const std::string& pattern, unsigned number) {
    std::string out = pattern;
    size_t i = 0;
    while ((i = out.find('#', i)) != std::string::npos) {
        size_t end = out.find_first_not_of('#', i);
        if (end == std::string::npos) end = out.size();
        // The run's last n digits, zero-padded.
        unsigned value = number;
        for (size_t k = end; k > i; --k) {
            out[k - 1] = static_cast<char>('0' + value % 10);
            value /= 10;
        }
        i = end;
    }
    return out;
}

bool FrameNumberWraps(const std::string& pattern, unsigned number) {
    size_t i = 0;
    while ((i = pattern.find('#', i)) != std::string::npos) {
        size_t end = pattern.find_first_not_of('#', i);
        if (end == std::string::npos) end = pattern.size();
        unsigned long long limit = 1;
        for (size_t k = i; k < end && limit <= number; ++k) limit *= 10;
        if (number >= limit) return true;
        i = end;
    }
    return false;
}

bool BuildFrameNames(const std::string& folder, const std::string& pattern, unsigned base, int from, int to,
                     std::vector<std::string>* names, int* first, int* second) {
    names->clear();
    std::string head = folder;
    if (!head.empty() && head.back() != '\\') head += '\\';
    for (int frame = from; frame <= to; ++frame)
        names->push_back(head + FrameFileName(pattern, base + static_cast<unsigned>(frame) + 1));
    for (size_t a = 0; a < names->size(); ++a)
        for (size_t b = a + 1; b < names->size(); ++b)
            if (lstrcmpiA((*names)[a].c_str(), (*names)[b].c_str()) == 0) {
                if (first) *first = from + static_cast<int>(a);
                if (second) *second = from + static_cast<int>(b);
                return false;
            }
    return true;
}

unsigned FirstFrameBase(const std::string& folder, const std::string& pattern) {
    const std::string want = Stem(pattern);
    if (want.empty()) return 0;
    std::string head = folder;
    if (!head.empty() && head.back() != '\\') head += '\\';
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((head + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    bool any = false;
    unsigned largest = 0;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const std::string stem = Stem(found.cFileName);
        if (stem.size() != want.size()) continue;
        bool match = true;
        for (size_t i = 0; i < stem.size() && match; ++i)
            match = want[i] == '#' ||
                    std::toupper(static_cast<unsigned char>(want[i])) == std::toupper(static_cast<unsigned char>(stem[i]));
        if (!match) continue;
        size_t digits = stem.size();
        while (digits > 0 && std::isdigit(static_cast<unsigned char>(stem[digits - 1])) && stem.size() - digits < 9)
            --digits;
        if (digits == stem.size()) continue;
        const unsigned number = static_cast<unsigned>(std::stoul(stem.substr(digits)));
        if (!any || number > largest) largest = number;
        any = true;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return any ? largest + 1 : 0;
}
