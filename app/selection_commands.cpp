#include "selection_commands.h"

#include <string.h>

#include "browser_window.h"
#include "commands.h"
#include "document_link.h"
#include "feature_commands.h"
#include "frame_window.h"
#include "loader.h"
#include "navigation.h"
#include "picture_view.h"
#include "program.h"
#include "save_dialog.h"
#include "save_names.h"
#include "resource_ids.h"
#include "status_text.h"
#include "selection.h"
#include "zoom.h"

namespace {

// The view shows the current picture (and not, for a moment, another one).
bool ViewShowsCurrentPicture(HWND view, const Picture* picture) {
    return view && picture && ViewHasPicture(view);
}

}  // namespace

DibBlock* CutSelectedArea() {
    HWND view = FrameView();
    const Picture* picture = CurrentDocumentPicture();
    RECT area;
    if (!ViewShowsCurrentPicture(view, picture) || !GetViewSelectionInPicture(view, &area)) return nullptr;
    return CropDib(picture->working, area.left, area.top, area.right, area.bottom);
}

HGLOBAL PackDibBottomUp(const DibBlock* block) {
    if (!block || !block->header || !block->pixels) return nullptr;
    const BITMAPINFOHEADER* header = block->header;
    const int height = DibHeight(block);
    const DWORD rowBytes = DibRowBytes(header);
    if (height <= 0 || rowBytes == 0) return nullptr;
    // Header and colour table (or masks): everything in front of the rows.
    const SIZE_T headBytes = static_cast<SIZE_T>(block->pixels - reinterpret_cast<const BYTE*>(header));
    const SIZE_T pixelBytes = static_cast<SIZE_T>(rowBytes) * static_cast<SIZE_T>(height);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, headBytes + pixelBytes);
    if (!memory) return nullptr;
    BYTE* packed = static_cast<BYTE*>(GlobalLock(memory));
    if (!packed) {
        GlobalFree(memory);
        return nullptr;
    }
    memcpy(packed, header, headBytes);
    auto* copy = reinterpret_cast<BITMAPINFOHEADER*>(packed);
    copy->biHeight = height;
    copy->biSizeImage = static_cast<DWORD>(pixelBytes);
    // The block is top-down whatever its header says: source row i becomes
    // row height - 1 - i.
    BYTE* rows = packed + headBytes;
    for (int i = 0; i < height; ++i)
        memcpy(rows + static_cast<SIZE_T>(height - 1 - i) * rowBytes, block->pixels + static_cast<SIZE_T>(i) * rowBytes,
               rowBytes);
    GlobalUnlock(memory);
    return memory;
}

HGLOBAL SelectedAreaAsPackedDib() {
    DibBlock* area = CutSelectedArea();
    HGLOBAL packed = PackDibBottomUp(area);
    FreeDib(area);
    return packed;
}

bool PutPackedDibOnClipboard(HWND owner, HGLOBAL packed) {
    if (!packed) return false;
    if (!OpenClipboard(owner)) {
        GlobalFree(packed);
        return false;
    }
    EmptyClipboard();
    const bool placed = SetClipboardData(CF_DIB, packed) != nullptr;
    CloseClipboard();
    if (!placed) GlobalFree(packed);
    return placed;
}

bool CopySelectionToClipboard(HWND owner) { return PutPackedDibOnClipboard(owner, SelectedAreaAsPackedDib()); }

void ZoomToSelection(const FrameParts& parts) {
    if (!parts.view || !ViewHasPicture(parts.view)) return;
    RECT area;
    if (!GetViewSelectionInPicture(parts.view, &area)) {
        ZoomInCommand(parts, true);
        return;
    }
    // What the frame needs around its picture area, per direction; the rest
    // of the screen is for the selected area.
    RECT frame, picture = FramePictureArea(parts);
    GetWindowRect(parts.frame, &frame);
    const SIZE overhead = {(frame.right - frame.left) - (picture.right - picture.left),
                           (frame.bottom - frame.top) - (picture.bottom - picture.top)};
    const SIZE available = {GetSystemMetrics(SM_CXSCREEN) - overhead.cx, GetSystemMetrics(SM_CYSCREEN) - overhead.cy};
    AreaZoom zoom;
    if (!ZoomToArea(area, available, parts.pictureSize, &zoom)) return;
    SetCurrentZoomIndex(zoom.index);
    SetViewZoom(parts.view, zoom.applied, kViewZoomed);
    LayOutFrame(parts);
    ScrollViewTo(parts.view, zoom.scroll.x, zoom.scroll.y);
    InvalidateRect(parts.frame, nullptr, TRUE);
}

bool SelectionMayStart() {
    if (IsPictureLoaderRunning()) return false;
    const DocumentFacts facts = CurrentDocumentFacts();
    return !(facts.pageCount > 1 && !IsPagePlayStopped());
}

void SelectionCommand(HWND frame, UINT id) {
    switch (id) {
    case IDC_ZOOM_TO_SELECTION:
        ZoomToSelection(CurrentFrameParts());
        RefreshToolbarStates();
        break;
    case IDC_COPY_SELECTION_TO_CLIP:
        // The one way this fails with a selection: another program keeps
        // the clipboard open.  The user reads so; the clipboard is as it was.
        if (HGLOBAL packed = SelectedAreaAsPackedDib()) {
            if (!PutPackedDibOnClipboard(frame, packed))
                ShowStatusNote(FrameStatusBar(), ResourceString(IDS_CLIPBOARD_BUSY));
        }
        break;
    case IDC_COPY_SELECTION_TO_FILE:
        // Copy To File: the save dialog for the selected pixels, suggesting
        // "NewFile.BMP" in the browsed folder (else the picture's own).
        if (DibBlock* area = CutSelectedArea()) {
            std::string folder = BrowsedFolderPath();
            if (folder.empty()) folder = FolderOf(CurrentDocumentFacts().file);
            SavePictureDialogForDib(frame, area, folder);
            FreeDib(area);
        }
        break;
    default:
        break;
    }
}
