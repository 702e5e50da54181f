// The pieces of the shell extension that need no window and no COM: the
// 32 x 32 icon made from a thumbnail, the type icon table, the registry's
// "file,index" icon text and the command lines the extension starts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The icon as an .ICO file of one 32 x 32, 32-bit image with its mask:
// a 6-byte header, one 16-byte directory entry, then the image
// (BITMAPINFOHEADER of height 64, colour rows bottom first, mask rows).
constexpr int kIconSide = 32;
constexpr int kIconFileBytes = 4286;
constexpr int kIconImageOffset = 22;
constexpr int kIconImageBytes = kIconFileBytes - kIconImageOffset;   // 4264
constexpr int kIconColourOffset = kIconImageOffset + 40;             // 62
constexpr int kIconMaskOffset = kIconColourOffset + 32 * 32 * 4;     // 4158

struct IconPlacement {
    int width, height;   // of the scaled picture
    int left, top;       // its top-left corner in the icon, rows counted from the top
};

// Fits a w x h thumbnail into the icon keeping its shape (a thumbnail that
// fits is kept as it is), raises both sides to at least 6 and centres it.
IconPlacement PlaceInIcon(int width, int height);

// Builds the icon file from a top-down w x h picture of 0x00RRGGBB pixels,
// scaled by nearest neighbour; outside the picture the colour is 0 and the
// mask transparent.  False (and nothing built) for an empty picture.
bool BuildIconFile(const uint32_t* pixels, int width, int height, std::vector<uint8_t>* file);

// The index of a picture type's icon among the viewer program's icon
// groups: the tag (without regard to case) of the table, 6 when none.
int TypeIconIndex(const std::string& tag);

// Splits a registry icon text "file,index" at its last comma; the index is
// decimal with an optional minus sign (a resource number).  False when
// there is no comma, no file or no number.
bool ParseIconLocation(const std::string& text, std::string* file, int* index);

// "<viewer>" /SHARE "<file>" ... : every path quoted, so that folders with
// blanks reach the viewer whole.
std::string ViewerCommandLine(const std::string& viewer, const std::vector<std::string>& files);

// The two lists that mail hands to the mail client: the full paths and the
// bare names, each joined with ";".
void MailLists(const std::vector<std::string>& files, std::string* paths, std::string* names);
