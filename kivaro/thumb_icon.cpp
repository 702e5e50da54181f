// The icon, the type table and the command lines; see thumb_icon.h.
#include "thumb_icon.h"

#include <windows.h>

#include <cstring>

#include "type_registry.h"

namespace {

void Put16(std::vector<uint8_t>& out, size_t at, uint16_t value) { memcpy(&out[at], &value, 2); }
void Put32(std::vector<uint8_t>& out, size_t at, uint32_t value) { memcpy(&out[at], &value, 4); }


}  // namespace

IconPlacement PlaceInIcon(int width, int height) {
    int w = width, h = height;
    if (w > kIconSide || h > kIconSide) {
        if (kIconSide < (w * kIconSide) / h) {
            h = (h * kIconSide) / w;
            w = kIconSide;
        } else {
            w = (w * kIconSide) / h;
            h = kIconSide;
        }
    }
    if (w < 6) w = 6;
    if (h < 6) h = 6;
    return IconPlacement{w, h, (kIconSide - w) / 2, (kIconSide - h) / 2};
}

bool BuildIconFile(const uint32_t* pixels, int width, int height, std::vector<uint8_t>* file) {
    if (!pixels || width <= 0 || height <= 0) return false;
    std::vector<uint8_t>& out = *file;
    out.assign(kIconFileBytes, 0);
    // Icon directory: one 32 x 32, 32-bit image at offset 22.
    Put16(out, 2, 1);
    Put16(out, 4, 1);
    out[6] = kIconSide;
    out[7] = kIconSide;
    Put16(out, 10, 1);
    Put16(out, 12, 32);
    Put32(out, 14, kIconImageBytes);
    Put32(out, 18, kIconImageOffset);
    // The image's header: twice the height, for the colour rows and the mask.
    Put32(out, 22, 40);
    Put32(out, 26, kIconSide);
    Put32(out, 30, 2 * kIconSide);
    Put16(out, 34, 1);
    Put16(out, 36, 32);
    // Mask: all transparent, then the picture's rectangle opaque.
    memset(&out[kIconMaskOffset], 0xFF, kIconFileBytes - kIconMaskOffset);

    IconPlacement place = PlaceInIcon(width, height);
    for (int i = 0; i < place.height; ++i) {
        const uint32_t* source = pixels + size_t(i * height / place.height) * width;
        int row = place.top + i;                       // from the top
        int stored = kIconSide - 1 - row;              // rows are stored bottom first
        uint8_t* colour = &out[kIconColourOffset + stored * kIconSide * 4];
        uint8_t* mask = &out[kIconMaskOffset + stored * (kIconSide / 8)];
        for (int j = 0; j < place.width; ++j) {
            uint32_t pixel = source[j * width / place.width] & 0x00FFFFFFu;
            int column = place.left + j;
            memcpy(colour + column * 4, &pixel, 4);    // blue, green, red, 0
            mask[column / 8] &= static_cast<uint8_t>(~(0x80u >> (column % 8)));
        }
    }
    return true;
}

// The registration's own table: the icons the extension falls back to are
// the ones the types were registered with.
int TypeIconIndex(const std::string& tag) { return TypeIconIndex(tag.c_str()); }

bool ParseIconLocation(const std::string& text, std::string* file, int* index) {
    size_t comma = text.rfind(',');
    if (comma == std::string::npos || comma == 0) return false;
    size_t at = comma + 1;
    while (at < text.size() && text[at] == ' ') ++at;
    bool negative = at < text.size() && text[at] == '-';
    if (negative) ++at;
    if (at >= text.size() || text[at] < '0' || text[at] > '9') return false;
    long value = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9' && value < 100000)
        value = value * 10 + (text[at++] - '0');
    *file = text.substr(0, comma);
    *index = static_cast<int>(negative ? -value : value);
    return true;
}

std::string ViewerCommandLine(const std::string& viewer, const std::vector<std::string>& files) {
    std::string line = "\"" + viewer + "\" /SHARE";
    for (const std::string& file : files) line += " \"" + file + "\"";
    return line;
}

void MailLists(const std::vector<std::string>& files, std::string* paths, std::string* names) {
    paths->clear();
    names->clear();
    for (const std::string& file : files) {
        if (!paths->empty()) {
            *paths += ';';
            *names += ';';
        }
        *paths += file;
        size_t slash = file.rfind('\\');
        *names += slash == std::string::npos ? file : file.substr(slash + 1);
    }
}
