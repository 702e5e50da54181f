#include "row_reducer.h"

bool RowReducer::Start(LONG pageWidth, LONG pageHeight, BYTE* out, LONG width, LONG height) {
    out_ = nullptr;
    broken_ = false;
    if (!out || width <= 0 || height <= 0 || pageWidth < width || pageHeight < height) return false;
    pageWidth_ = pageWidth;
    pageHeight_ = pageHeight;
    width_ = width;
    height_ = height;
    nextRow_ = 0;
    outRow_ = 0;
    column_.assign(pageWidth, 0);
    columnPixels_.assign(width, 0);
    for (LONG ox = 0; ox < width; ++ox) {
        const LONG first = Edge(ox, pageWidth, width), end = Edge(ox + 1, pageWidth, width);
        for (LONG x = first; x < end; ++x) column_[x] = ox;
        columnPixels_[ox] = end - first;
    }
    sums_.assign(static_cast<size_t>(width) * 3, 0);
    row_.resize(static_cast<size_t>(pageWidth) * 4);
    out_ = out;
    return true;
}

void RowReducer::AddRow(LONG y, const BYTE* row) {
    if (!out_ || broken_) return;
    if (y != nextRow_ || y >= pageHeight_) {
        broken_ = true;
        return;
    }
    unsigned long long* sums = sums_.data();
    const LONG* column = column_.data();
    for (LONG x = 0; x < pageWidth_; ++x, row += 4) {
        unsigned long long* s = sums + column[x] * 3;
        s[0] += row[0];
        s[1] += row[1];
        s[2] += row[2];
    }
    ++nextRow_;
    if (nextRow_ == Edge(outRow_ + 1, pageHeight_, height_)) FlushRow();
}

void RowReducer::FlushRow() {
    const unsigned long long rows =
        static_cast<unsigned long long>(Edge(outRow_ + 1, pageHeight_, height_) - Edge(outRow_, pageHeight_, height_));
    BYTE* out = out_ + static_cast<size_t>(outRow_) * width_ * 4;
    for (LONG ox = 0; ox < width_; ++ox, out += 4) {
        const unsigned long long n = rows * static_cast<unsigned long long>(columnPixels_[ox]);
        unsigned long long* s = &sums_[static_cast<size_t>(ox) * 3];
        for (int c = 0; c < 3; ++c) {
            out[c] = static_cast<BYTE>((s[c] + n / 2) / n);
            s[c] = 0;
        }
        out[3] = 0;
    }
    ++outRow_;
}
