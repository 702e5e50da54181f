#include "selection_commands.h"

#include "browser_window.h"
#include "commands.h"
#include "document_link.h"
#include "feature_commands.h"
#include "frame_window.h"
#include "loader.h"
#include "navigation.h"
#include "picture_clipboard.h"
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
        if (DibBlock* area = CutSelectedArea()) {
            if (CopyPictureToClipboard(frame, area) == kPictureClipboardBusy)
                ShowStatusNote(FrameStatusBar(), ResourceString(IDS_CLIPBOARD_BUSY));
            FreeDib(area);
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
