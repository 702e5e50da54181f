// Averaging a large page down into a smaller 32-bit buffer while the coder
// delivers its rows, top-down, one after the other: the page never has to be
// read back from the core's pixel cache (which for a huge page is a file).
#pragma once

#include <windows.h>

#include <vector>

class RowReducer {
public:
    // Starts over for a page of pageWidth x pageHeight into out (width x
    // height pixels, rows packed); false unless the page is at least as
    // large as the buffer on both sides.
    bool Start(LONG pageWidth, LONG pageHeight, BYTE* out, LONG width, LONG height);
    // Row y of the page in the caller's blue, green, red, spare layout.  A
    // row that is not the next one breaks the reduction for good.
    void AddRow(LONG y, const BYTE* row);
    // Room for one row of the page in that layout (valid once started).
    BYTE* RowBuffer() { return row_.data(); }
    void Break() { broken_ = true; }
    bool Started() const { return out_ != nullptr; }
    // Every row of the page arrived once and in order: the buffer is whole.
    bool Complete() const { return out_ && !broken_ && nextRow_ == pageHeight_; }

private:
    // First page row (or column) of output row (or column) i of n.
    static LONG Edge(LONG i, LONG page, LONG n) {
        return static_cast<LONG>(static_cast<long long>(i) * page / n);
    }
    void FlushRow();

    BYTE* out_ = nullptr;
    LONG pageWidth_ = 0, pageHeight_ = 0, width_ = 0, height_ = 0;
    LONG nextRow_ = 0;
    LONG outRow_ = 0;           // the output row being summed
    bool broken_ = false;
    std::vector<LONG> column_;  // output column of each page column
    std::vector<LONG> columnPixels_;
    std::vector<unsigned long long> sums_;  // blue, green, red per output column
    std::vector<BYTE> row_;
};
