#include "twain_session.h"

#include <cstring>
#include <new>
#include <string>

#include "packed_dib.h"

using namespace twain;

namespace {

void CopyText(char* target, const char* text) { lstrcpynA(target, text, sizeof(TW_STR32)); }

// The pictures of one transfer, growing by 16 at a time.
class PictureList {
public:
    ~PictureList() {
        for (int i = 0; i < count_; ++i) FreePicture(pictures_[i]);
        delete[] pictures_;
        delete[] bits_;
    }
    // False when the list cannot grow (the picture is not taken then).
    bool Append(Picture* picture, int bits) {
        if (count_ == capacity_) {
            const int capacity = capacity_ + 16;
            Picture** pictures = new (std::nothrow) Picture*[capacity];
            int* depths = new (std::nothrow) int[capacity];
            if (!pictures || !depths) {
                delete[] pictures;
                delete[] depths;
                return false;
            }
            for (int i = 0; i < count_; ++i) {
                pictures[i] = pictures_[i];
                depths[i] = bits_[i];
            }
            delete[] pictures_;
            delete[] bits_;
            pictures_ = pictures;
            bits_ = depths;
            capacity_ = capacity;
        }
        pictures_[count_] = picture;
        bits_[count_] = bits;
        ++count_;
        return true;
    }
    int Count() const { return count_; }
    // Hands the pictures over: the list forgets them.
    void HandOver(AcquiredPicturesSink sink) {
        if (!count_) return;
        if (sink) sink(pictures_, bits_, count_);
        else
            for (int i = 0; i < count_; ++i) FreePicture(pictures_[i]);
        count_ = 0;
    }

private:
    Picture** pictures_ = nullptr;
    int* bits_ = nullptr;
    int count_ = 0;
    int capacity_ = 0;
};

}  // namespace

HMODULE LoadSourceManager() {
    char folder[MAX_PATH];
    UINT (WINAPI* const folders[])(LPSTR, UINT) = {GetWindowsDirectoryA, GetSystemDirectoryA};
    for (auto folderOf : folders) {
        const UINT n = folderOf(folder, sizeof folder);
        if (n == 0 || n >= sizeof folder) continue;
        std::string path(folder, n);
        if (path.back() != '\\') path += '\\';
        path += "TWAIN_32.DLL";
        const DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        if (HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)) return module;
    }
    return nullptr;
}

Picture* PictureFromPackedDib(const void* data, size_t size, int* bitsPerPixel) {
    PackedDib dib;
    if (ReadPackedDib(data, size, &dib) != PackedDibFault::kOk) return nullptr;
    Picture* picture = CreatePicture(dib.width, dib.height);
    if (!picture) return nullptr;
    PackedDibToBgra(dib, picture->working->pixels, DibRowBytes(picture->working->header));
    RefreshPictureDisplay(picture);
    if (bitsPerPixel) *bitsPerPixel = dib.bitCount;
    return picture;
}

TwainSession::TwainSession() = default;

TwainSession::~TwainSession() { CloseManager(); }

void TwainSession::GetIdentity(TW_IDENTITY* identity) {
    std::memset(identity, 0, sizeof *identity);
    identity->Id = 0;
    identity->Version.MajorNum = 1;
    identity->Version.MinorNum = 0;
    identity->Version.Language = TWLG_ENGLISH_USA;
    identity->Version.Country = TWCY_CHINA;
    CopyText(identity->Version.Info, "1.0");
    identity->ProtocolMajor = 1;
    identity->ProtocolMinor = 5;
    identity->SupportedGroups = DG_CONTROL | DG_IMAGE;
    CopyText(identity->Manufacturer, "Quenlark");
    CopyText(identity->ProductFamily, "Picture");
    CopyText(identity->ProductName, "Ommavu");
}

bool TwainSession::CallDsm(TW_IDENTITY* destination, TW_UINT32 group, TW_UINT16 dataType, TW_UINT16 message,
                           TW_MEMREF data) {
    if (!entry_) {
        returnCode_ = TWRC_FAILURE;
        return false;
    }
    returnCode_ = entry_(&application_, destination, group, dataType, message, data);
    if (returnCode_ == TWRC_SUCCESS) return true;
    // Called directly: a failing status request must not ask for its own status.
    status_ = TW_STATUS{};
    entry_(&application_, destination, DG_CONTROL, DAT_STATUS, MSG_GET, &status_);
    return false;
}

bool TwainSession::OpenManager(HWND window) {
    if (managerOpen_) return true;
    std::memset(&source_, 0, sizeof source_);
    if (!window || !IsWindow(window)) return false;
    library_ = LoadSourceManager();
    if (!library_) return false;
    entry_ = reinterpret_cast<DsmEntryProc>(reinterpret_cast<void*>(GetProcAddress(library_, "DSM_Entry")));
    if (!entry_) {
        FreeLibrary(library_);
        library_ = nullptr;
        return false;
    }
    GetIdentity(&application_);
    parent_ = window;
    HWND parent = window;
    managerOpen_ = CallDsm(nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &parent);
    if (!managerOpen_) {
        entry_ = nullptr;
        FreeLibrary(library_);
        library_ = nullptr;
    }
    return managerOpen_;
}

bool TwainSession::SelectSource() {
    std::memset(&source_, 0, sizeof source_);
    return CallDsm(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_USERSELECT, &source_);
}

bool TwainSession::OpenSource(const TW_IDENTITY* identity) {
    if (identity) source_ = *identity;
    if (managerOpen_ && !source_.ProductName[0]) CallDsm(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETDEFAULT, &source_);
    sourceOpen_ = CallDsm(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &source_);
    return sourceOpen_;
}

int TwainSession::ShouldTransfer(const TW_IMAGEINFO&) { return 0; }

bool TwainSession::CanClose() { return true; }

bool TwainSession::SetTransferCount(int count) {
    TW_CAPABILITY capability{CAP_XFERCOUNT, TWON_ONEVALUE, nullptr};
    auto setValue = [&](TW_UINT16 itemType, TW_UINT32 value) {
        HGLOBAL container = GlobalAlloc(GHND, sizeof(TW_ONEVALUE));
        if (!container) return false;
        if (auto* one = static_cast<TW_ONEVALUE*>(GlobalLock(container))) {
            one->ItemType = itemType;
            one->Item = value;
            GlobalUnlock(container);
        }
        capability.ConType = TWON_ONEVALUE;
        capability.hContainer = container;
        const bool done = CallDsm(&source_, DG_CONTROL, DAT_CAPABILITY, MSG_SET, &capability);
        GlobalFree(container);
        return done;
    };
    bool done = setValue(TWTY_INT16, static_cast<TW_UINT32>(static_cast<TW_INT16>(count)));
    if (!done) {
        // The source may take the count only as an unsigned item: read what
        // it holds and set that back.
        capability.ConType = TWON_DONTCARE16;
        capability.hContainer = nullptr;
        if (CallDsm(&source_, DG_CONTROL, DAT_CAPABILITY, MSG_GET, &capability) && capability.hContainer) {
            TW_UINT32 value = 0;
            if (auto* one = static_cast<TW_ONEVALUE*>(GlobalLock(capability.hContainer))) {
                value = one->Item;
                GlobalUnlock(capability.hContainer);
            }
            GlobalFree(capability.hContainer);
            done = setValue(TWTY_UINT16, value);
        }
    }
    if (done) transferCount_ = count;
    return done;
}

bool TwainSession::EnableSource(bool showInterface) {
    if (!sourceOpen_ || sourceEnabled_) return false;
    TW_USERINTERFACE ui{static_cast<TW_BOOL>(showInterface ? 1 : 0), 0, parent_};
    if (CallDsm(&source_, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui)) {
        sourceEnabled_ = true;
        modal_ = ui.ModalUI != 0;
    } else {
        sourceEnabled_ = false;
        modal_ = true;
    }
    return sourceEnabled_;
}

bool TwainSession::Acquire(int count) {
    if (!sourceOpen_ && !OpenSource(nullptr)) return false;
    SetTransferCount(count);
    return EnableSource(true);
}

void TwainSession::DisableSource() {
    if (sourceEnabled_) {
        TW_USERINTERFACE ui{0, 0, parent_};
        CallDsm(&source_, DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
    }
    sourceEnabled_ = false;
}

void TwainSession::CloseSource() {
    DisableSource();
    if (sourceOpen_) CallDsm(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &source_);
    sourceOpen_ = false;
}

void TwainSession::CloseManager() {
    if (sourceOpen_) CloseSource();
    if (managerOpen_) {
        HWND parent = parent_;
        CallDsm(nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &parent);
    }
    entry_ = nullptr;
    if (library_) FreeLibrary(library_);
    library_ = nullptr;
    managerOpen_ = sourceOpen_ = sourceEnabled_ = modal_ = false;
    parent_ = nullptr;
    transferCount_ = 0;
}

int TwainSession::FilterMessage(MSG* message) {
    if (!sourceEnabled_ || !message) return 0;
    TW_EVENT event{message, MSG_NULL};
    CallDsm(&source_, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event);
    if (returnCode_ == TWRC_NOTDSEVENT) return 0;
    switch (event.TWMessage) {
    case MSG_XFERREADY:
        TransferLoop();
        break;
    case MSG_CLOSEDSREQ:
        if (CanClose()) CloseSource();
        break;
    default:
        break;
    }
    return 1;
}

bool TwainSession::EndTransfer() {
    TW_PENDINGXFERS pending{};
    if (!CallDsm(&source_, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending)) return false;
    return pending.Count != 0;
}

void TwainSession::ResetTransfers() {
    TW_PENDINGXFERS pending{};
    CallDsm(&source_, DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending);
}

void TwainSession::TransferLoop() {
    for (;;) {
        TW_IMAGEINFO info{};
        if (!CallDsm(&source_, DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info)) {
            ResetTransfers();
            return;
        }
        switch (ShouldTransfer(info)) {
        case 0:
            TransferImages();
            return;
        case 1:
            if (!EndTransfer()) return;
            break;
        default:
            ResetTransfers();
            return;
        }
    }
}

int PictureTwainSession::TransferImages() {
    PictureList list;
    for (;;) {
        // The source writes a handle into the word pData points at.
        TW_HANDLE handle = nullptr;
        CallDsm(Source(), DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle);
        const TW_UINT16 code = LastReturnCode();
        bool outOfMemory = false;
        if (code == TWRC_XFERDONE) {
            if (handle) {
                Picture* picture = nullptr;
                int bits = 0;
                if (const void* block = GlobalLock(handle)) {
                    picture = PictureFromPackedDib(block, GlobalSize(handle), &bits);
                    GlobalUnlock(handle);
                }
                GlobalFree(handle);
                // A malformed picture is skipped; the others are kept.
                if (!picture) ++skipped_;
                else if (!list.Append(picture, bits)) {
                    FreePicture(picture);
                    outOfMemory = true;
                }
            }
            if (!outOfMemory) {
                if (!EndTransfer()) break;
                continue;
            }
        }
        if (code == TWRC_CANCEL || outOfMemory) {
            if (code == TWRC_CANCEL && handle) GlobalFree(handle);
            if (EndTransfer()) ResetTransfers();
            break;
        }
        // A failed transfer ends the batch; the pictures already received stay.
        ResetTransfers();
        break;
    }
    const int kept = list.Count();
    list.HandOver(sink_);
    return kept;
}
