#include "picture_clipboard.h"

#include "packed_dib.h"

PictureClipboardOutcome CopyPictureToClipboard(HWND owner, const DibBlock* block) {
    const size_t bytes = PackedDibBytes(block);
    if (bytes == 0) return kPictureMissing;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, bytes);
    if (!memory) return kPictureNoMemory;
    void* to = GlobalLock(memory);
    const bool written = to && WritePackedDib(block, to, bytes);
    if (to) GlobalUnlock(memory);
    if (!written) {
        GlobalFree(memory);
        return kPictureNoMemory;
    }
    if (!OpenClipboard(owner)) {
        GlobalFree(memory);
        return kPictureClipboardBusy;
    }
    EmptyClipboard();
    const bool taken = SetClipboardData(CF_DIB, memory) != nullptr;
    CloseClipboard();
    if (!taken) {
        GlobalFree(memory);
        return kPictureNoMemory;
    }
    return kPictureOnClipboard;
}
