#include "document.h"

#include <new>

namespace {

PictureDocument g_document = {};

bool IsPage(const PictureDocument& doc, const Picture* picture) {
    for (int i = 0; i < doc.pageSlots; ++i)
        if (doc.pages[i] == picture) return true;
    return false;
}

void FreePageArrays(PictureDocument& doc) {
    delete[] doc.pages;
    delete[] doc.pageDelays;
    delete[] doc.pageBits;
    doc.pages = nullptr;
    doc.pageDelays = nullptr;
    doc.pageBits = nullptr;
    doc.pageSlots = 0;
    doc.pagesDifferInSize = false;
}

// Frees every page picture except keep, then the arrays.
void FreePages(PictureDocument& doc, const Picture* keep) {
    for (int i = 0; i < doc.pageSlots; ++i)
        if (doc.pages[i] != keep) FreePicture(doc.pages[i]);
    FreePageArrays(doc);
}

}  // namespace

PictureDocument& CurrentDocument() { return g_document; }

void SetCurrentPicture(Picture* picture) {
    PictureDocument& doc = g_document;
    Picture* old = doc.picture;
    if (picture == old) return;
    const bool animation = doc.pages && doc.currentPage >= 0 && doc.currentPage < doc.pageSlots;
    if (animation) {
        Picture* slot = doc.pages[doc.currentPage];
        doc.pages[doc.currentPage] = picture;
        if (slot != picture) FreePicture(slot);
        // A current picture that was in no slot (none should be) is not lost.
        if (old != slot && old != picture && !IsPage(doc, old)) FreePicture(old);
    } else {
        FreePicture(old);
    }
    doc.picture = picture;
}

bool AllocateDocumentPages(int count) {
    if (count < 1) return false;
    Picture** pages = new (std::nothrow) Picture*[count]();
    int* delays = new (std::nothrow) int[count]();
    int* bits = new (std::nothrow) int[count]();
    if (!pages || !delays || !bits) {
        delete[] pages;
        delete[] delays;
        delete[] bits;
        return false;
    }
    PictureDocument& doc = g_document;
    FreePages(doc, doc.picture);
    doc.pages = pages;
    doc.pageDelays = delays;
    doc.pageBits = bits;
    doc.pageSlots = count;
    return true;
}

void FreeCurrentPicture() {
    RetiredPictures retired = TakeCurrentPictures();
    FreeRetiredPictures(retired);
}

RetiredPictures TakeCurrentPictures() {
    PictureDocument& doc = g_document;
    RetiredPictures retired = {doc.picture, doc.pages, doc.pageDelays, doc.pageBits, doc.pageSlots};
    doc.picture = nullptr;
    doc.pages = nullptr;
    doc.pageDelays = nullptr;
    doc.pageBits = nullptr;
    doc.pageSlots = 0;
    doc.pagesDifferInSize = false;
    return retired;
}

void FreeRetiredPictures(RetiredPictures& retired) {
    for (int i = 0; i < retired.pageSlots; ++i)
        if (retired.pages[i] != retired.picture) FreePicture(retired.pages[i]);
    FreePicture(retired.picture);
    delete[] retired.pages;
    delete[] retired.pageDelays;
    delete[] retired.pageBits;
    retired = {};
}
