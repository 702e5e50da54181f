// Shared set-up for the Lorimel tests: the library bound by ordinal exactly as
// the viewer binds it, scratch files, and DIB blocks built by hand.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "lorimel.h"

class LorimelTest : public ::testing::Test {
public:
    static LorimelApi api;

protected:
    static void SetUpTestSuite();

    // A fresh scratch folder per test program, under the build tree's prefix.
    static std::string Scratch(const std::string& name);
    static std::string Samples(const std::string& name);
    static void WriteBytes(const std::string& path, const std::vector<BYTE>& bytes);
    static std::vector<BYTE> ReadBytes(const std::string& path);
};

// A DIB block: size word, header pointer, pixel pointer, header, colour table
// and top-down rows, all in one buffer.
struct DibBlockHead {
    DWORD size;
    BITMAPINFOHEADER* header;
    BYTE* pixels;
};
constexpr size_t kDibHead = sizeof(DibBlockHead);  // 12 bytes in the 32-bit suite

struct TestDib {
    std::vector<BYTE> block;
    DibBlockHead* head() { return reinterpret_cast<DibBlockHead*>(block.data()); }
    BITMAPINFOHEADER* header() { return head()->header; }
    BYTE* pixels() { return head()->pixels; }
    RGBQUAD* palette() { return reinterpret_cast<RGBQUAD*>(block.data() + kDibHead + 40); }
    size_t rowBytes = 0;
    const void* get() const { return block.data(); }
};

// bits: 1, 2, 4, 8 (palette of `colors` entries), 15, 16 (5-6-5), 24, 32.
TestDib MakeDib(LONG width, LONG height, int bits, int colors = 0);

// Decodes page `page` of a file at the given size (0 = the page's own size).
struct Decoded {
    LONG result = 0;
    LONG pages = 0;
    LorimelPageInfo info{};
    std::string format;
    std::vector<DWORD> pixels;
};
Decoded DecodeFile(const std::string& path, LONG page = 0, LONG width = 0, LONG height = 0);

// Writes a DIB block through the library; returns WriteImageFile's result.
LONG WriteDib(const std::string& path, const char* format, const TestDib& dib, LONG quality = 75);

inline BYTE Blue(DWORD p) { return p & 0xFF; }
inline BYTE Green(DWORD p) { return (p >> 8) & 0xFF; }
inline BYTE Red(DWORD p) { return (p >> 16) & 0xFF; }
