#include "settings.h"

#include <cstdio>
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

}  // namespace

int Read(const IntKey& key) {
    int value = static_cast<int>(GetPrivateProfileIntA(key.section, key.name, key.fallback, kFileName));
    if (value < key.low || value > key.high) return key.fallback;
    return value;
}

void Write(const IntKey& key, int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    WriteString(key.section, key.name, text);
}

bool Read(const FlagKey& key) {
    return GetPrivateProfileIntA(key.section, key.name, key.fallback ? 1 : 0, kFileName) != 0;
}

void Write(const FlagKey& key, bool on) { WriteString(key.section, key.name, on ? "1" : "0"); }

COLORREF Read(const ColorKey& key) {
    // The profile reader takes the "0x..." form as hexadecimal.
    return static_cast<COLORREF>(
        GetPrivateProfileIntA(key.section, key.name, static_cast<INT>(key.fallback), kFileName));
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
    RECT wanted;
    wanted.left = x;
    wanted.top = y;
    wanted.right = x + Read(kShowSX);
    wanted.bottom = y + Read(kShowSY);
    return PlaceOnDesktop(wanted, desktop, screenWidth, screenHeight);
}

void WriteViewerFrameRect(const RECT& frame) {
    Write(kShowX, frame.left);
    Write(kShowY, frame.top);
    Write(kShowSX, frame.right - frame.left);
    Write(kShowSY, frame.bottom - frame.top);
}

}  // namespace settings
