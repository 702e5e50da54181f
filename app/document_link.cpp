#include "document_link.h"

#include <cstring>
#include <new>

#include "display.h"
#include "document.h"
#include "loader.h"
#include "messages.h"
#include "navigation.h"
#include "resource_ids.h"
#include "program.h"

namespace {

HWND g_frame = nullptr;

// The loader's reports.  detachViews and showPicture are answered on the
// frame's thread (SendMessage); the others only post.
void DetachViews(void*) {
    if (g_frame) SendMessageA(g_frame, kMsgLoaderDetachViews, 0, 0);
}

void ShowPicture(void*, Picture* picture) {
    if (g_frame) SendMessageA(g_frame, kMsgLoaderShowPicture, 0, reinterpret_cast<LPARAM>(picture));
}

void RowsReady(void*, const LoadRows* rows) {
    if (!g_frame) return;
    // The views draw the rows actually decoded: from the bottom for a coder
    // that delivers bottom-up, all of them for one that works in passes.
    // The rows go first: the status text can wait for them.
    PostMessageA(g_frame, kMsgRowsReady, static_cast<WPARAM>(rows->rowCount), rows->firstRow);
    PostMessageA(g_frame, kMsgLoadProgress, static_cast<WPARAM>(rows->rowsDone), rows->rowsTotal);
}

void PageFinished(void*) {
    if (g_frame) PostMessageA(g_frame, kMsgRedrawView, 0, 0);
}

void FileLoaded(void*) {
    if (g_frame) PostMessageA(g_frame, kMsgPictureLoaded, 0, 0);
}

void Unreadable(void*, const char* path) {
    if (!g_frame) return;
    // The only direct call into a window from the loader: a hidden frame is
    // shown so that the user sees that nothing could be opened.
    if (!IsWindowVisible(g_frame)) ShowWindow(g_frame, SW_SHOWNA);
    // The frame takes over the copy of the name (and frees it).
    auto* name = new (std::nothrow) std::string(path ? path : "");
    if (name && !PostMessageA(g_frame, kMsgLoaderFailed, 0, reinterpret_cast<LPARAM>(name))) delete name;
}

void DecodeError(void*, const char* path) {
    if (g_frame) PostMessageA(g_frame, kMsgLoaderFailed, 0, 0);
    std::string pattern = ResourceString(IDS_DECODE_ERROR);
    std::string caption = ResourceString(IDS_DECODE_ERROR_TITLE);
    std::string text(pattern.size() + MAX_PATH + 16, '\0');
    int n = wsprintfA(&text[0], pattern.c_str(), path);
    text.resize(n > 0 ? static_cast<size_t>(n) : 0);
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_ICONSTOP | MB_OK | MB_TASKMODAL);
}

}  // namespace

void ConnectDocumentToFrame(HWND frame) {
    g_frame = frame;
    LoaderSink sink{};
    sink.detachViews = DetachViews;
    sink.showPicture = ShowPicture;
    sink.rowsReady = RowsReady;
    sink.pageFinished = PageFinished;
    sink.fileLoaded = FileLoaded;
    sink.unreadable = Unreadable;
    sink.decodeError = DecodeError;
    SetPictureLoaderSink(sink);
}

const Picture* CurrentDocumentPicture() { return CurrentDocument().picture; }

DocumentFacts CurrentDocumentFacts() {
    const PictureDocument& document = CurrentDocument();
    DocumentFacts facts;
    facts.file = document.fileName;
    facts.notOnDisk = document.notOnDisk;
    facts.format = document.formatName;
    facts.listLength = Program().openList.Count();
    facts.position = OpenListPosition();
    facts.pageCount = document.pageCount;
    facts.page = document.currentPage;
    facts.loadTimeMs = document.loadTimeMs;
    if (document.picture) {
        facts.hasPicture = true;
        facts.width = DibWidth(document.picture->working);
        facts.height = DibHeight(document.picture->working);
        facts.bitsPerPixel = document.pageBitsPerPixel;
        facts.reduced = document.reducedPicture == document.picture;
        facts.fileWidth = facts.reduced ? document.fileWidth : facts.width;
        facts.fileHeight = facts.reduced ? document.fileHeight : facts.height;
    }
    return facts;
}

void StopPictureLoading() { StopPictureLoader(2000); }

void FreeCurrentDocument() { FreeCurrentPicture(); }

bool RefreshDisplayForDocument() {
    if (!EvaluateDisplay()) return false;
    PictureDocument& document = CurrentDocument();
    if (document.pages) {
        for (int i = 0; i < document.pageSlots; ++i) RefreshPictureDisplay(document.pages[i]);
    }
    if (document.picture) RefreshPictureDisplay(document.picture);
    return true;
}
