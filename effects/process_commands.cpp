#include "process_commands.h"

#include <mmsystem.h>

#include <cstdlib>
#include <string>

#include "colour_effects.h"
#include "commands.h"
#include "document.h"
#include "effect_host.h"
#include "hsi_adjust.h"
#include "messages.h"
#include "offset_dialog.h"
#include "picture.h"
#include "picture_view.h"
#include "rotate_dialog.h"
#include "smooth_zoom_dialog.h"
#include "resource_ids.h"
#include "program.h"
#include "transforms.h"

namespace {

constexpr int kAbstractRange = 16;
constexpr int kMosaicBlock = 8;
constexpr DWORD kPencilColour = 0xFFFFFF;

class WaitCursor {
public:
    WaitCursor() : old_(SetCursor(LoadCursorA(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(old_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR old_;
};

// The picture effects work on: none while the loader is still decoding one.
Picture* WorkingPicture() {
    Picture* picture = CurrentDocument().picture;
    if (!picture || !picture->working) return nullptr;
    HWND view = HostViewerView();
    if (view && IsViewLoading(view)) return nullptr;
    return picture;
}

DWORD* Pixels(Picture* picture) { return reinterpret_cast<DWORD*>(picture->working->pixels); }

size_t PixelCount(const Picture* picture) {
    return static_cast<size_t>(DibWidth(picture->working)) * DibHeight(picture->working);
}

void ChangedInPlace(HWND frame, Picture* picture, ProcessedChange change) {
    RefreshPictureDisplay(picture);
    HostShowProcessedPicture(frame, change);
}

// Makes a block the current picture: a new picture around it, its display
// copy prepared, shown by both views.  Takes the block; false (and the
// current picture kept) when there is none or no memory.
bool Replace(HWND frame, DibBlock* block, const Picture* old) {
    if (!block) return false;
    const int width = DibWidth(block), height = DibHeight(block);
    Picture* picture = CreatePictureFromDib(block);
    FreeDib(block);
    if (!picture) return false;
    const bool sameSize = width == DibWidth(old->working) && height == DibHeight(old->working);
    HostShowProcessedPicture(frame, sameSize ? ProcessedChange::NewPicture : ProcessedChange::NewSize, picture);
    return true;
}

// The size commands (Zoomin 2X, Zoomout 2X, Smooth Zoom): the new picture
// replaces the old, and the frame and the browser refresh their picture
// information even when the size came out the same (a new size has them
// refreshed with the layout already).
void ReplaceResized(HWND frame, DibBlock* block, const Picture* old) {
    const bool sameSize = block && DibWidth(block) == DibWidth(old->working) &&
                          DibHeight(block) == DibHeight(old->working);
    if (!Replace(frame, block, old) || !sameSize) return;
    if (frame) PostMessageA(frame, kMsgRefreshInfo, 0, 0);
    if (HWND browser = Program().browser) PostMessageA(browser, kMsgRefreshInfo, 0, 0);
}

// A block of the picture's size for an effect that writes a new picture.
DibBlock* SameSize(const Picture* picture) {
    return CreateDib(DibWidth(picture->working), DibHeight(picture->working));
}

void SeedOnce() {
    static bool seeded = false;
    if (!seeded) {
        std::srand(timeGetTime());
        seeded = true;
    }
}

void RunOffset(HWND frame, Picture* picture, UINT dialog, PixelAdjustment adjust, const char* caption) {
    if (RunOffsetDialog(frame, dialog, adjust, picture->working, caption))
        ChangedInPlace(frame, picture, ProcessedChange::InPlace);
}

void AdjustRgb(DWORD* pixels, size_t count, int a, int b, int c) { AdjustPixelsRgb(pixels, count, a, b, c); }
void AdjustYuv(DWORD* pixels, size_t count, int a, int b, int c) { AdjustPixelsYuv(pixels, count, a, b, c); }

void Rotate(HWND frame, Picture* picture, int degrees) {
    WaitCursor wait;
    Replace(frame, RotateDib(picture->working, degrees), picture);
}

}  // namespace

void EffectCommand(HWND frame, UINT id) {
    Picture* picture = WorkingPicture();
    if (!picture) return;
    switch (id) {
    case IDC_INVERT_ALL:
    case IDC_INVERT_RED:
    case IDC_INVERT_GREEN:
    case IDC_INVERT_BLUE: {
        const DWORD mask = id == IDC_INVERT_ALL ? 0xFFFFFF
                           : id == IDC_INVERT_RED ? 0xFF0000
                           : id == IDC_INVERT_GREEN ? 0x00FF00 : 0x0000FF;
        InvertPixels(Pixels(picture), PixelCount(picture), mask);
        ChangedInPlace(frame, picture, ProcessedChange::InPlace);
        return;
    }
    case IDC_GREY:
        GreyPixels(Pixels(picture), PixelCount(picture));
        ChangedInPlace(frame, picture, ProcessedChange::InPlace);
        return;
    case IDC_MODIFY_RGB:
        RunOffset(frame, picture, IDD_MODIFY_RGB, AdjustRgb, nullptr);
        return;
    case IDC_MODIFY_YUV:
        RunOffset(frame, picture, IDD_MODIFY_YUV, AdjustYuv, nullptr);
        return;
    case IDC_MODIFY_HSI: {
        const std::string caption = ResourceString(IDS_MODIFY_HSI_TITLE);
        RunOffset(frame, picture, IDD_MODIFY_YUV, AdjustPixelsHsi, caption.empty() ? nullptr : caption.c_str());
        return;
    }
    case IDC_ABSTRACT: {
        SeedOnce();
        DibBlock* out = SameSize(picture);
        if (out) AbstractDib(picture->working, out, kAbstractRange);
        Replace(frame, out, picture);
        return;
    }
    case IDC_MOSAIC:
        MosaicDib(picture->working, kMosaicBlock);
        ChangedInPlace(frame, picture, ProcessedChange::ViewerOnly);
        return;
    case IDC_GLASS: {
        DibBlock* out = SameSize(picture);
        if (out && !GlassDib(picture->working, out)) {
            FreeDib(out);   // too small for a tile: nothing happens
            return;
        }
        Replace(frame, out, picture);
        return;
    }
    case IDC_EMBOSS: {
        WaitCursor wait;
        DibBlock* out = SameSize(picture);
        if (out) EmbossDib(picture->working, out);
        Replace(frame, out, picture);
        return;
    }
    case IDC_PENCIL_SKETCH:
        PencilSketchDib(picture->working, kPencilColour);
        ChangedInPlace(frame, picture, ProcessedChange::ViewerOnly);
        return;
    default:
        return;
    }
}

void TransformCommand(HWND frame, UINT id) {
    Picture* picture = WorkingPicture();
    if (!picture) return;
    switch (id) {
    case IDC_FLIP: {
        WaitCursor wait;
        FlipDib(picture->working);
        ChangedInPlace(frame, picture, ProcessedChange::InPlace);
        InvalidateRect(frame, nullptr, FALSE);
        return;
    }
    case IDC_MIRROR: {
        WaitCursor wait;
        MirrorDib(picture->working);
        ChangedInPlace(frame, picture, ProcessedChange::InPlace);
        return;
    }
    case IDC_ROTATE_LEFT:
        Rotate(frame, picture, 90);
        return;
    case IDC_ROTATE_RIGHT:
        Rotate(frame, picture, -90);
        return;
    case IDC_ROTATE_180:
        Rotate(frame, picture, 180);
        return;
    case IDC_ROTATE_270:
        Rotate(frame, picture, 270);
        return;
    case IDC_ROTATE_ANY: {
        int degrees = 0;
        if (RunRotateDialog(frame, picture->working, &degrees)) Rotate(frame, picture, degrees);
        return;
    }
    case IDC_DOUBLE_PICTURE: {
        WaitCursor wait;
        ReplaceResized(frame, DoubleDibSmooth(picture->working), picture);
        return;
    }
    case IDC_HALVE_PICTURE:
        ReplaceResized(frame, HalveDib(picture->working), picture);
        return;
    case IDC_SMOOTH_ZOOM: {
        SIZE size = {};
        if (!RunSmoothZoomDialog(frame, picture->working, &size)) return;
        WaitCursor wait;
        ReplaceResized(frame, ResizeDibSmooth(picture->working, size.cx, size.cy), picture);
        return;
    }
    default:
        return;
    }
}
