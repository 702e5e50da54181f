// The image file handle: one movable global block of 316 bytes per open file,
// laid out field by field as callers and debuggers have always seen it.
#pragma once

#include <windows.h>
#include <cstddef>

struct FormatEntry;

#pragma pack(push, 4)
struct ImageFileRecord {
    // The imaging core's exception record, flattened: severity, reason text,
    // description text, signature.  Cleared at open, filled after each call.
    LONG errorSeverity;
    const char* errorReason;
    const char* errorDescription;
    DWORD errorSignature;
    void* coreImage;              // first element of the core's image list
    char fileName[260];
    char formatName[16];
    FormatEntry* format;
    LONG callerFlag;              // kept, not otherwise used
    char mode;                    // 'r'/'R' read, 'w'/'W' write
    LONG pageCount;               // set by ReadImageHeader
    void* stream;                 // the open FILE
};
#pragma pack(pop)

#if defined(__i386__)
static_assert(sizeof(ImageFileRecord) == 316, "image file handle must stay 316 bytes");
static_assert(offsetof(ImageFileRecord, coreImage) == 16, "layout");
static_assert(offsetof(ImageFileRecord, fileName) == 20, "layout");
static_assert(offsetof(ImageFileRecord, formatName) == 280, "layout");
static_assert(offsetof(ImageFileRecord, format) == 296, "layout");
static_assert(offsetof(ImageFileRecord, mode) == 304, "layout");
static_assert(offsetof(ImageFileRecord, pageCount) == 308, "layout");
#endif

inline bool IsReadMode(const ImageFileRecord& r) { return r.mode == 'r' || r.mode == 'R'; }
inline bool IsWriteMode(const ImageFileRecord& r) { return r.mode == 'w' || r.mode == 'W'; }

// Locks a handle for the duration of one operation.
class LockedHandle {
public:
    explicit LockedHandle(HGLOBAL h)
        : handle_(h), record_(h ? static_cast<ImageFileRecord*>(GlobalLock(h)) : nullptr) {}
    ~LockedHandle() {
        if (record_) GlobalUnlock(handle_);
    }
    LockedHandle(const LockedHandle&) = delete;
    LockedHandle& operator=(const LockedHandle&) = delete;

    ImageFileRecord* get() const { return record_; }
    ImageFileRecord* operator->() const { return record_; }
    explicit operator bool() const { return record_ != nullptr; }

private:
    HGLOBAL handle_;
    ImageFileRecord* record_;
};
