// What the pixel cores of the Blur, Sharpen, Noise and Spread plug-ins share:
// reading a 32-bit DIB block's size, the progress report every hundredth of
// the rows, and the two ways a result is made - a bare block for a dialog's
// preview, or a new picture under the busy display for the real run.
// Plug-in side only: it sees the viewer through picture_plugin.h alone.
#pragma once

#include <windows.h>

#include "picture_plugin.h"

namespace filter_rows {

inline LONG Width(const PluginDib* dib) { return dib->header->biWidth; }
inline LONG Height(const PluginDib* dib) {
    const LONG height = dib->header->biHeight;
    return height < 0 ? -height : height;
}
// A block the filters can read: present, 32 bits per pixel, not empty.
inline bool Usable(const PluginDib* dib) {
    return dib && dib->header && dib->pixels && dib->header->biBitCount == 32 && Width(dib) > 0 &&
           Height(dib) > 0;
}

// Calls ShowProgress(row, height) whenever more than height div 100 rows
// have passed since the last call; silent without a host (the preview).
class RowProgress {
public:
    RowProgress(const PictureHostServices* host, LONG height) : host_(host), height_(height), step_(height / 100) {}
    void Row(LONG row) {
        if (host_ && row - last_ > step_) {
            host_->ShowProgress(row, height_);
            last_ = row;
        }
    }

private:
    const PictureHostServices* host_;
    LONG height_;
    LONG step_;
    LONG last_ = 0;
};

// The preview's result: a bare block of the source's size filled by
// fill(source, result, progress) with no progress shown.  Null when the
// block cannot be made or fill fails (returns false: out of memory).
template <class Fill>
PluginDib* IntoDib(const PictureHostServices* host, const PluginDib* source, Fill fill) {
    PluginDib* result = host->CreateDib(Width(source), Height(source));
    if (!result) return nullptr;
    RowProgress silent(nullptr, Height(source));
    if (Usable(result) && fill(source, result, silent)) return result;
    host->FreeDib(result);
    return nullptr;
}

// The real run's result: a new picture of the source's size, filled from
// the working copy between BeginBusy and EndBusy with the progress shown.
template <class Fill>
PluginPicture* IntoPicture(const PictureHostServices* host, const PluginPicture* picture, Fill fill) {
    host->BeginBusy();
    const PluginDib* source = picture->working;
    PluginPicture* result = host->CreatePicture(Width(source), Height(source));
    RowProgress progress(host, Height(source));
    if (result && !(Usable(result->working) && fill(source, result->working, progress))) {
        host->FreePicture(result);
        result = nullptr;
    }
    host->EndBusy();
    return result;
}

}  // namespace filter_rows
