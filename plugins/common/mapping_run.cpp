#include "mapping_run.h"

bool ReadSource(const PluginDib* dib, SourcePixels* source) {
    if (!dib || !dib->header || !dib->pixels || dib->header->biBitCount != 32) return false;
    const LONG height = dib->header->biHeight;
    source->pixels = reinterpret_cast<const DWORD*>(dib->pixels);
    source->width = dib->header->biWidth;
    source->height = height < 0 ? -height : height;
    return source->width > 0;
}

DWORD* WritablePixels(PluginDib* dib) {
    if (!dib || !dib->header || !dib->pixels || dib->header->biBitCount != 32) return nullptr;
    return reinterpret_cast<DWORD*>(dib->pixels);
}

AspectScale MappingScale(int width, int height) {
    AspectScale scale = {1.0, 1.0};
    if (width > height) scale.y = static_cast<double>(width) / height;
    else if (height > width) scale.x = static_cast<double>(height) / width;
    return scale;
}

void FindMirrors(const double* squares, int count, double centre, int* earlier, int* later) {
    for (int p = 0; p < count; ++p) earlier[p] = later[p] = -1;
    for (int p = 0; p < count; ++p) {
        const double mirror = 2.0 * centre - p;
        if (!(mirror >= 0.0 && mirror < p)) continue;
        const int q = static_cast<int>(mirror);
        if (q == mirror && squares[q] == squares[p]) {
            earlier[p] = q;
            later[q] = p;
        }
    }
}

RowProgress::RowProgress(const PictureHostServices* host, int rows)
    : host_(host), rows_(rows), step_(rows / 100) {
    if (host_) host_->BeginBusy();
}

RowProgress::~RowProgress() {
    if (host_) host_->EndBusy();
}

void RowProgress::Report(int row) {
    host_->ShowProgress(row, rows_);
    last_ = row;
}

MappingResult::MappingResult(const PictureHostServices* host, Kind kind, int width, int height) : host_(host) {
    if (kind == kDib) {
        dib_ = host->CreateDib(width, height);
        pixels_ = WritablePixels(dib_);
    } else {
        picture_ = host->CreatePicture(width, height);
        pixels_ = picture_ ? WritablePixels(picture_->working) : nullptr;
    }
    if (!pixels_) Release();
}

PluginDib* MappingResult::TakeDib() {
    PluginDib* dib = dib_;
    dib_ = nullptr;
    pixels_ = nullptr;
    return dib;
}

PluginPicture* MappingResult::TakePicture() {
    PluginPicture* picture = picture_;
    picture_ = nullptr;
    pixels_ = nullptr;
    return picture;
}

void MappingResult::Release() {
    if (dib_) host_->FreeDib(dib_);
    if (picture_) host_->FreePicture(picture_);
    dib_ = nullptr;
    picture_ = nullptr;
    pixels_ = nullptr;
}
