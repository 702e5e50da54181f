#include "preview_pane.h"

bool PreparePreview(const PictureHostServices* host, HWND control, const PluginDib* working, int heightFactor,
                    PreviewPane* pane) {
    ReleasePreview(host, pane);
    if (!working || !working->header || heightFactor < 1) return false;
    RECT box = {0, 0, 0, 0};
    GetClientRect(control, &box);
    const LONG width = working->header->biWidth;
    const LONG height = working->header->biHeight < 0 ? -working->header->biHeight : working->header->biHeight;
    LONG fitWidth = 0, fitHeight = 0;
    host->FitSize(&box, width, height * heightFactor, &fitWidth, &fitHeight);
    fitHeight /= heightFactor;
    if (fitWidth < 4) fitWidth = 4;
    if (fitHeight < 4) fitHeight = 4;
    pane->source = host->ScaleDib(working, fitWidth, fitHeight);
    return pane->source != nullptr;
}

void ShowPreview(const PictureHostServices* host, HWND control, PreviewPane* pane, PluginDib* fresh) {
    if (fresh) {
        host->FreeDib(pane->shown);
        pane->shown = fresh;
    }
    PaintPreview(host, control, pane);
}

void PaintPreview(const PictureHostServices* host, HWND control, PreviewPane* pane) {
    if (!control) return;
    if (pane->shown && host->DrawDibCentered(control, pane->shown, &pane->used)) {
        host->EraseAround(control, &pane->used);
    } else {
        host->EraseAround(control, nullptr);
    }
}

void ReleasePreview(const PictureHostServices* host, PreviewPane* pane) {
    host->FreeDib(pane->source);
    host->FreeDib(pane->shown);
    pane->source = nullptr;
    pane->shown = nullptr;
    pane->used = RECT{0, 0, 0, 0};
}
