// What the three mapping filters share around their arithmetic: reading a
// 32-bit DIB block as source pixels, the aspect scales of Swirl and Implode,
// the result blocks (a bare DIB for the preview, a new picture for the full
// run) and the busy and progress reporting of a full run.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>
#include <new>

#include "bilinear.h"
#include "picture_plugin.h"

// The pixels of a 32-bit block; false (source untouched) for a missing
// block or another depth.
bool ReadSource(const PluginDib* dib, SourcePixels* source);
// The pixels of a 32-bit block to write into (null when it is not one).
DWORD* WritablePixels(PluginDib* dib);

// The arithmetic is built for SSE2; without it a plug-in offers no filter.
inline bool ProcessorCanMap() { return IsProcessorFeaturePresent(PF_XMMI64_INSTRUCTIONS_AVAILABLE) != 0; }

// A mapping filter refuses a picture 2 pixels or less in either dimension.
inline bool TooSmallToMap(int width, int height) { return width <= 2 || height <= 2; }

// Swirl and Implode measure distances on a circle: the shorter side is
// stretched to the longer one.
struct AspectScale {
    double x;
    double y;
};
AspectScale MappingScale(int width, int height);

// Swirl and Implode turn or scale each offset from the centre by an amount
// that depends on the distance alone, so a row (or column) and its mirror
// image about the centre share those amounts bit for bit.  For positions
// 0..count-1 with squared offsets squares[], earlier[p] is the smaller
// position 2 × centre - p when its square is the same, else -1, and later[q]
// the other way round.
void FindMirrors(const double* squares, int count, double centre, int* earlier, int* later);

// The busy display of a full run: BeginBusy now, ShowProgress(row, rows)
// whenever more than rows div 100 rows have passed since the last report,
// EndBusy when it ends.  With no services it reports nothing (a preview).
class RowProgress {
public:
    RowProgress(const PictureHostServices* host, int rows);
    ~RowProgress();
    RowProgress(const RowProgress&) = delete;
    RowProgress& operator=(const RowProgress&) = delete;

    void Row(int row) {
        if (host_ && row - last_ > step_) Report(row);
    }

private:
    void Report(int row);

    const PictureHostServices* host_;
    int rows_;
    int step_;
    int last_ = 0;
};

// The result of a run: a bare DIB (slot 0) for a preview, a new picture
// (slot 3) for the full run; the pixels are those of the DIB or of the
// picture's working copy.  Whatever is not taken is freed at the end.
class MappingResult {
public:
    enum Kind { kDib, kPicture };
    MappingResult(const PictureHostServices* host, Kind kind, int width, int height);
    ~MappingResult() { Release(); }
    MappingResult(const MappingResult&) = delete;
    MappingResult& operator=(const MappingResult&) = delete;

    DWORD* pixels() const { return pixels_; }
    PluginDib* TakeDib();
    PluginPicture* TakePicture();
    void Release();

private:
    const PictureHostServices* host_;
    PluginDib* dib_ = nullptr;
    PluginPicture* picture_ = nullptr;
    DWORD* pixels_ = nullptr;
};

// The mapping loop of Swirl and Implode.  A pixel strictly inside the circle
// of the given radius about (cx, cy), with distances measured after
// MappingScale, takes the source sampled at (cx + ox / scale.x,
// cy + oy / scale.y); the others are copied.  Per column of the row being
// made, terms(t, d2) stores kTerms doubles t[] that depend on the squared
// distance d2 alone, and offset(t, dx, dy, &ox, &oy) turns the scaled offset
// (dx, dy) into (ox, oy).  Columns and rows that mirror each other about the
// centre share their terms and rows are made in mirror pairs, so the terms
// are computed once for both.  False when memory runs out.
template <int kTerms, class Terms, class Offset>
bool MapInsideCircle(const SourcePixels& source, DWORD* out, double cx, double cy, double radius, Terms terms,
                     Offset offset, RowProgress* progress);

template <int kTerms, class Terms, class Offset>
bool MapInsideCircle(const SourcePixels& source, DWORD* out, double cx, double cy, double radius, Terms terms,
                     Offset offset, RowProgress* progress) {
    const int width = source.width, height = source.height;
    const double radius2 = radius * radius;
    const AspectScale scale = MappingScale(width, height);

    // The column and row terms once per run: offsets, their squares, and
    // which columns and rows mirror each other about the centre; then the
    // terms of each column of the row being made.
    const size_t w = static_cast<size_t>(width), h = static_cast<size_t>(height);
    std::unique_ptr<double[]> reals(new (std::nothrow) double[(2 + kTerms) * w + 2 * h]);
    std::unique_ptr<int[]> links(new (std::nothrow) int[2 * w + 2 * h]);
    if (!reals || !links) return false;
    double* dxs = reals.get();
    double* dx2s = dxs + w;
    double* columnTerms = dx2s + w;
    double* dys = columnTerms + kTerms * w;
    double* dy2s = dys + h;
    int* columnEarlier = links.get();
    int* columnLater = columnEarlier + w;
    int* rowEarlier = columnLater + w;
    int* rowLater = rowEarlier + h;
    for (int x = 0; x < width; ++x) {
        dxs[x] = scale.x * (x - cx);
        dx2s[x] = dxs[x] * dxs[x];
    }
    for (int y = 0; y < height; ++y) {
        dys[y] = scale.y * (y - cy);
        dy2s[y] = dys[y] * dys[y];
    }
    FindMirrors(dx2s, width, cx, columnEarlier, columnLater);
    FindMirrors(dy2s, height, cy, rowEarlier, rowLater);

    auto makeRow = [&](int y) {
        const DWORD* in = source.pixels + static_cast<size_t>(y) * w;
        DWORD* row = out + static_cast<size_t>(y) * w;
        const double dy = dys[y], dy2 = dy2s[y];
        for (int x = 0; x < width; ++x) {
            const double d2 = dx2s[x] + dy2;
            if (!(d2 < radius2)) {
                row[x] = in[x];  // on the circle or outside it
                continue;
            }
            double ox, oy;
            offset(columnTerms + kTerms * static_cast<size_t>(x), dxs[x], dy, &ox, &oy);
            row[x] = SampleBilinear(source, cx + ox / scale.x, cy + oy / scale.y);
        }
    };

    int done = 0;
    for (int y = 0; y < height; ++y) {
        if (rowEarlier[y] >= 0) continue;  // made with its mirror row
        const double dy2 = dy2s[y];
        if (dy2 < radius2) {
            for (int x = 0; x < width; ++x) {
                const double d2 = dx2s[x] + dy2;
                if (!(d2 < radius2)) continue;
                double* t = columnTerms + kTerms * static_cast<size_t>(x);
                const int mirror = columnEarlier[x];
                if (mirror >= 0) {
                    const double* m = columnTerms + kTerms * static_cast<size_t>(mirror);
                    for (int i = 0; i < kTerms; ++i) t[i] = m[i];
                } else {
                    terms(t, d2);
                }
            }
        }
        progress->Row(done++);
        makeRow(y);
        if (rowLater[y] >= 0) {
            progress->Row(done++);
            makeRow(rowLater[y]);
        }
    }
    return true;
}

// A result width by height filled with fill(pixels, progress): a preview
// (a bare DIB, no progress) or a full run (a new picture that reports its
// rows).  Null when the result cannot be made or fill says false.
template <class Fill>
bool FillMappedResult(const PictureHostServices* host, MappingResult& result, int height, Fill fill) {
    if (!result.pixels()) return false;
    RowProgress progress(host, height);
    return fill(result.pixels(), &progress);
}

template <class Fill>
PluginDib* MappedPreview(const PictureHostServices* host, int width, int height, Fill fill) {
    MappingResult result(host, MappingResult::kDib, width, height);
    return FillMappedResult(nullptr, result, height, fill) ? result.TakeDib() : nullptr;
}

template <class Fill>
PluginPicture* MappedPicture(const PictureHostServices* host, int width, int height, Fill fill) {
    MappingResult result(host, MappingResult::kPicture, width, height);
    return FillMappedResult(host, result, height, fill) ? result.TakePicture() : nullptr;
}

// Swirl's and Implode's two runs, whose result has the source's size:
// map(source, out, progress) over the preview block or over the picture's
// working copy.  Null for a refused picture.
template <class Map>
PluginDib* SameSizePreview(const PictureHostServices* host, const PluginDib* source, Map map) {
    SourcePixels pixels;
    if (!host || !ReadSource(source, &pixels) || TooSmallToMap(pixels.width, pixels.height)) return nullptr;
    return MappedPreview(host, pixels.width, pixels.height,
                         [&](DWORD* out, RowProgress* progress) { return map(pixels, out, progress); });
}

template <class Map>
PluginPicture* SameSizePicture(const PictureHostServices* host, const PluginPicture* picture, Map map) {
    SourcePixels pixels;
    if (!host || !picture || !ReadSource(picture->working, &pixels) || TooSmallToMap(pixels.width, pixels.height))
        return nullptr;
    return MappedPicture(host, pixels.width, pixels.height,
                         [&](DWORD* out, RowProgress* progress) { return map(pixels, out, progress); });
}
