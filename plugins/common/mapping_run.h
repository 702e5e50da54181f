// What the three mapping filters share around their arithmetic: reading a
// 32-bit DIB block as source pixels, the aspect scales of Swirl and Implode,
// the result blocks (a bare DIB for the preview, a new picture for the full
// run) and the busy and progress reporting of a full run.
#pragma once

#include <windows.h>

#include "bilinear.h"
#include "picture_plugin.h"

// The pixels of a 32-bit block; false (source untouched) for a missing
// block or another depth.
bool ReadSource(const PluginDib* dib, SourcePixels* source);
// The pixels of a 32-bit block to write into (null when it is not one).
DWORD* WritablePixels(PluginDib* dib);

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
