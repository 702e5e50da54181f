// A TWAIN session: the source manager ("TWAIN_32.DLL", loaded at run time
// from the Windows folder, then the system folder), the user's choice of a
// source, enabling it, and the native transfer of the pictures it sends.
// One object lives for the program's life; everything runs on the
// user-interface thread, the source reporting through FilterMessage, which
// the message loop calls for every message while a source is enabled.
#pragma once

#include <windows.h>

#include "picture.h"
#include "twain_types.h"

class TwainSession {
public:
    TwainSession();
    virtual ~TwainSession();
    TwainSession(const TwainSession&) = delete;
    TwainSession& operator=(const TwainSession&) = delete;

    // Fills this program's identity.
    virtual void GetIdentity(TW_IDENTITY* identity);
    // The manager's "Select Source" dialog; true leaves the choice in the
    // source identity.
    virtual bool SelectSource();
    // Opens the given source (null: the chosen one, else the default).
    virtual bool OpenSource(const TW_IDENTITY* identity);
    // 0 transfer, 1 skip this picture, 2 cancel all.
    virtual int ShouldTransfer(const TW_IMAGEINFO& info);
    virtual void DisableSource();
    virtual bool CanClose();
    // Transfers the pending pictures; the number kept.
    virtual int TransferImages() = 0;

    bool OpenManager(HWND window);
    void CloseManager();
    void CloseSource();
    bool SetTransferCount(int count);
    bool EnableSource(bool showInterface);
    // Opens the source when needed, sets the count (-1: as many as the user
    // sends) and enables the source with its own window.
    bool Acquire(int count);

    // 1 when the message was the enabled source's (the loop must neither
    // translate nor dispatch it), else 0.
    int FilterMessage(MSG* message);

    // One call of the manager; false without one (last return code 1) or on
    // a non-zero return code, whose condition code is then fetched.
    bool CallDsm(TW_IDENTITY* destination, TW_UINT32 group, TW_UINT16 dataType, TW_UINT16 message, TW_MEMREF data);

    bool ManagerOpen() const { return managerOpen_; }
    bool SourceOpen() const { return sourceOpen_; }
    bool SourceEnabled() const { return sourceEnabled_; }
    TW_UINT16 LastReturnCode() const { return returnCode_; }
    TW_UINT16 ConditionCode() const { return status_.ConditionCode; }
    int TransferCount() const { return transferCount_; }
    const TW_IDENTITY& SourceIdentity() const { return source_; }

protected:
    // The pictures announced by MSG_XFERREADY.
    void TransferLoop();
    // Ends the current transfer; true while more are pending.
    bool EndTransfer();
    void ResetTransfers();
    TW_IDENTITY* Source() { return &source_; }

private:
    HMODULE library_ = nullptr;
    DsmEntryProc entry_ = nullptr;
    TW_IDENTITY application_{};
    TW_IDENTITY source_{};
    TW_UINT16 returnCode_ = twain::TWRC_FAILURE;
    TW_STATUS status_{};
    HWND parent_ = nullptr;
    bool managerOpen_ = false;
    bool sourceOpen_ = false;
    bool sourceEnabled_ = false;
    bool modal_ = false;
    int transferCount_ = 0;
};

// Where the pictures of one transfer go: count pictures in the order they
// came, owned by the receiver from then on, with the bits per pixel each
// was sent with.
using AcquiredPicturesSink = void (*)(Picture** pictures, const int* bitsPerPixel, int count);

// The session that fetches pictures as packed DIBs (native transfer) and
// hands them to a sink.  A picture whose DIB fails the checks is skipped;
// a transfer that fails or is cancelled keeps those already received.
class PictureTwainSession : public TwainSession {
public:
    explicit PictureTwainSession(AcquiredPicturesSink sink) : sink_(sink) {}
    int TransferImages() override;

    // Pictures skipped because their DIB was malformed, over the session.
    int SkippedPictures() const { return skipped_; }

private:
    AcquiredPicturesSink sink_;
    int skipped_ = 0;
};

// A picture made from a packed DIB held in memory; null when the block fails
// the checks or memory runs out.  bitsPerPixel (may be null) receives the
// depth the block was stored with.
Picture* PictureFromPackedDib(const void* data, size_t size, int* bitsPerPixel);

// The manager's file: the Windows folder's "TWAIN_32.DLL" when it is there,
// else the system folder's.  Never searched for by bare name, which would
// try the current folder first.
HMODULE LoadSourceManager();
