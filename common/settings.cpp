#include "settings.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace settings {

namespace {

void WriteString(const char* section, const char* name, const char* text) {
    // Write failures are ignored: a preference that cannot be stored simply
    // reads as its default next time.
    WritePrivateProfileStringA(section, name, text, kFileName);
}

struct TypeColor {
    const char* type;
    COLORREF color;
};

// The label colours a fresh installation starts with.
const TypeColor kDefaultTypeColors[] = {
    {"AVI", 0xFF00FF}, {"BMP", 0xFFFF00},  {"GIF", 0xFF80},    {"ICON", 0xFFFF},
    {"JPEG", 0x8000FF}, {"PCD", 0xFF00FF}, {"PICT", 0xFF80},   {"PNG", 0x8000FF},
    {"PSD", 0xFFFF},   {"TGA", 0x808040},  {"TIFF", 0xFF8000}, {"WMF", 0x80FF80},
};

constexpr int kFrameWidth = 540;
constexpr int kFrameHeight = 500;
// A frame side read from the file below this is taken as damage.
constexpr int kSmallestFrameSide = 100;

// A key's value as the profile reader reads integers: blanks, a sign, then
// decimal digits or "0x" and hexadecimal digits, anything after them
// ignored.  False when the key is missing, holds no number or a number that
// does not fit 32 bits (hexadecimal up to 0xFFFFFFFF, the form colours are
// written in).
bool ReadNumber(const char* section, const char* name, long long* value) {
    char text[64] = {};
    GetPrivateProfileStringA(section, name, "", text, sizeof text, kFileName);
    const char* p = text;
    while (*p == ' ' || *p == '\t') ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    int base = 10;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        base = 16;
        p += 2;
    }
    long long number = 0;
    int digits = 0;
    for (;; ++p, ++digits) {
        int digit;
        if (*p >= '0' && *p <= '9') digit = *p - '0';
        else if (base == 16 && *p >= 'a' && *p <= 'f') digit = *p - 'a' + 10;
        else if (base == 16 && *p >= 'A' && *p <= 'F') digit = *p - 'A' + 10;
        else break;
        number = number * base + digit;
        if (number > 0xFFFFFFFFll) return false;
    }
    if (digits == 0) return false;
    if (base == 10 && number > (negative ? 0x80000000ll : 0x7FFFFFFFll)) return false;
    if (base == 16 && !negative) number = static_cast<int>(static_cast<unsigned>(number));
    *value = negative ? -number : number;
    return true;
}

}  // namespace

int Read(const IntKey& key) {
    long long value = 0;
    if (!ReadNumber(key.section, key.name, &value) || value < key.low || value > key.high) return key.fallback;
    return static_cast<int>(value);
}

void Write(const IntKey& key, int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    WriteString(key.section, key.name, text);
}

bool Read(const FlagKey& key) {
    long long value = 0;
    return ReadNumber(key.section, key.name, &value) ? value != 0 : key.fallback;
}

void Write(const FlagKey& key, bool on) { WriteString(key.section, key.name, on ? "1" : "0"); }

COLORREF Read(const ColorKey& key) {
    long long value = 0;
    return ReadNumber(key.section, key.name, &value) ? static_cast<COLORREF>(value) : key.fallback;
}

void Write(const ColorKey& key, COLORREF color) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%lX", static_cast<unsigned long>(color));
    WriteString(key.section, key.name, text);
}

std::string Read(const TextKey& key) {
    std::vector<char> buffer(key.maxLength + 1, '\0');
    DWORD n = GetPrivateProfileStringA(key.section, key.name, "", buffer.data(),
                                       static_cast<DWORD>(buffer.size()), kFileName);
    return std::string(buffer.data(), n);
}

void Write(const TextKey& key, const std::string& value) {
    WriteString(key.section, key.name, value.c_str());
}

std::string ReadNumbered(const char* section, const char* pattern, int index) {
    char name[32];
    std::snprintf(name, sizeof name, pattern, index);
    return Read(TextKey{section, name, 259});
}

void WriteNumbered(const char* section, const char* pattern, int index, const std::string& value) {
    char name[32];
    std::snprintf(name, sizeof name, pattern, index);
    WriteString(section, name, value.c_str());
}

int ReadActiveToward() { return Read(kActiveToward) == -1 ? -1 : 1; }

LONG ReadTypeColor(const char* typeName) {
    return static_cast<LONG>(GetPrivateProfileIntA(kTypeColor, typeName, -1, kFileName));
}

std::function<LONG(const char*)> ReadAllTypeColors() {
    std::vector<char> buffer(32768);
    DWORD n;
    while ((n = GetPrivateProfileSectionA(kTypeColor, buffer.data(), static_cast<DWORD>(buffer.size()), kFileName)) ==
               buffer.size() - 2 &&
           buffer.size() < (1u << 24))
        buffer.resize(buffer.size() * 2);
    auto keys = std::make_shared<std::vector<std::pair<std::string, LONG>>>();
    for (const char* line = buffer.data(); line < buffer.data() + n && *line; line += std::strlen(line) + 1) {
        const char* equals = std::strchr(line, '=');
        if (!equals) continue;
        std::string name(line, equals);
        while (!name.empty() && name.back() == ' ') name.pop_back();
        const char* value = equals + 1;
        while (*value == ' ') ++value;
        keys->emplace_back(name, static_cast<LONG>(std::strtoul(value, nullptr, 0)));
    }
    // The first of two equal keys wins, as for the profile functions.
    std::stable_sort(keys->begin(), keys->end(), [](const auto& a, const auto& b) {
        return lstrcmpiA(a.first.c_str(), b.first.c_str()) < 0;
    });
    return [keys](const char* typeName) -> LONG {
        if (!typeName) return -1;
        auto found = std::lower_bound(keys->begin(), keys->end(), typeName, [](const auto& key, const char* wanted) {
            return lstrcmpiA(key.first.c_str(), wanted) < 0;
        });
        return found != keys->end() && lstrcmpiA(found->first.c_str(), typeName) == 0 ? found->second : -1;
    };
}

void EnsureTypeColorDefaults() {
    if (Read(kTypeColorNumber) != 0) return;
    Write(kTypeColorNumber, static_cast<int>(sizeof kDefaultTypeColors / sizeof *kDefaultTypeColors));
    for (const TypeColor& t : kDefaultTypeColors) Write(ColorKey{kTypeColor, t.type, 0}, t.color);
}

RECT PlaceOnDesktop(const RECT& wanted, const RECT& desktop, int screenWidth, int screenHeight) {
    const bool off = wanted.right < desktop.left || wanted.bottom < desktop.top ||
                     wanted.left > desktop.right || wanted.top > desktop.bottom;
    if (!off) return wanted;
    RECT centred;
    centred.left = (screenWidth - kFrameWidth) / 2;
    centred.top = (screenHeight - kFrameHeight) / 2;
    centred.right = centred.left + kFrameWidth;
    centred.bottom = centred.top + kFrameHeight;
    return centred;
}

RECT ViewerFrameRect(const RECT& desktop, int screenWidth, int screenHeight) {
    int x = Read(kShowX), y = Read(kShowY);
    if (x == kNotSet) x = (screenWidth - kFrameWidth) / 2;
    if (y == kNotSet) y = (screenHeight - kFrameHeight) / 2;
    // A side too small to use is damage and takes the default; no side is
    // larger than the desktop.
    long long width = Read(kShowSX), height = Read(kShowSY);
    if (width < kSmallestFrameSide) width = kFrameWidth;
    if (height < kSmallestFrameSide) height = kFrameHeight;
    width = std::min<long long>(width, desktop.right - desktop.left);
    height = std::min<long long>(height, desktop.bottom - desktop.top);
    // Positions near the integer limits: a frame that would end past them
    // lies off the desktop anyway.
    if (x + width > 0x7FFFFFFF || y + height > 0x7FFFFFFF) x = y = desktop.right + 1;
    RECT wanted;
    wanted.left = x;
    wanted.top = y;
    wanted.right = static_cast<LONG>(x + width);
    wanted.bottom = static_cast<LONG>(y + height);
    return PlaceOnDesktop(wanted, desktop, screenWidth, screenHeight);
}

void WriteViewerFrameRect(const RECT& frame) {
    Write(kShowX, frame.left);
    Write(kShowY, frame.top);
    Write(kShowSX, frame.right - frame.left);
    Write(kShowSY, frame.bottom - frame.top);
}

}  // namespace settings
