// The pictures the test data source sends, and the colour each pixel must
// have once read: shared by the source and the tests, so that both speak of
// the same picture.  Colours are given for the picture as seen (row 0 at the
// top) whichever way its rows are stored.
#pragma once

#include <windows.h>

#include <cstring>
#include <vector>

namespace test_pictures {

constexpr int kWidth = 5;   // odd: every depth pads its rows
constexpr int kHeight = 3;

// Palette entry i of an indexed picture of `bits` bits.
inline RGBQUAD PaletteEntry(int bits, int i) {
    RGBQUAD q{};
    if (bits == 1) {
        q.rgbRed = q.rgbGreen = q.rgbBlue = static_cast<BYTE>(i ? 255 : 0);
    } else {
        q.rgbRed = static_cast<BYTE>(i * 13);
        q.rgbGreen = static_cast<BYTE>(255 - i * 7);
        q.rgbBlue = static_cast<BYTE>((i * 29) & 0xFF);
    }
    return q;
}

inline int IndexAt(int bits, int x, int y) {
    const int colours = 1 << bits;
    return (x * 3 + y * 5 + 1) % colours;
}

// The colour of (x, y), as red, green, blue.
inline COLORREF Expected(int bits, int x, int y) {
    if (bits <= 8) {
        const RGBQUAD q = PaletteEntry(bits, IndexAt(bits, x, y));
        return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
    }
    if (bits == 16) {
        // Each 5-bit channel is all off or all on: 0 or 255 once widened.
        return RGB((x + y) & 1 ? 255 : 0, x & 1 ? 255 : 0, y & 1 ? 255 : 0);
    }
    return RGB(x * 50, y * 100 + 5, 250 - x * 10 - y);
}

// A packed DIB of that picture: header, colour table, rows (bottom-up unless
// topDown), BI_RGB.
inline std::vector<BYTE> MakePackedDib(int bits, bool topDown) {
    const int colours = bits <= 8 ? 1 << bits : 0;
    const int rowBytes = ((kWidth * bits + 31) / 32) * 4;
    std::vector<BYTE> block(sizeof(BITMAPINFOHEADER) + colours * sizeof(RGBQUAD) + rowBytes * kHeight);
    BITMAPINFOHEADER h{};
    h.biSize = sizeof h;
    h.biWidth = kWidth;
    h.biHeight = topDown ? -kHeight : kHeight;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(bits);
    h.biCompression = BI_RGB;
    h.biSizeImage = static_cast<DWORD>(rowBytes * kHeight);
    std::memcpy(block.data(), &h, sizeof h);
    auto* table = reinterpret_cast<RGBQUAD*>(block.data() + sizeof h);
    for (int i = 0; i < colours; ++i) table[i] = PaletteEntry(bits, i);
    BYTE* pixels = block.data() + sizeof h + colours * sizeof(RGBQUAD);
    for (int y = 0; y < kHeight; ++y) {
        BYTE* row = pixels + (topDown ? y : kHeight - 1 - y) * rowBytes;
        for (int x = 0; x < kWidth; ++x) {
            const COLORREF c = Expected(bits, x, y);
            if (bits <= 8) {
                const int index = IndexAt(bits, x, y);
                const int perByte = 8 / bits;
                row[x / perByte] |= static_cast<BYTE>(index << (8 - bits * (x % perByte + 1)));
            } else if (bits == 16) {
                const WORD value = static_cast<WORD>((GetRValue(c) ? 0x7C00 : 0) | (GetGValue(c) ? 0x03E0 : 0) |
                                                     (GetBValue(c) ? 0x001F : 0));
                std::memcpy(row + x * 2, &value, 2);
            } else {
                BYTE* p = row + x * (bits / 8);
                p[0] = GetBValue(c);
                p[1] = GetGValue(c);
                p[2] = GetRValue(c);
                if (bits == 32) p[3] = 0;
            }
        }
    }
    return block;
}

// A block whose header claims more rows than it carries.
inline std::vector<BYTE> MakeMalformedDib() {
    std::vector<BYTE> block = MakePackedDib(24, false);
    auto* h = reinterpret_cast<BITMAPINFOHEADER*>(block.data());
    h->biHeight = 100000;
    return block;
}

}  // namespace test_pictures
