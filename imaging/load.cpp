#include "load.h"

#include <setjmp.h>

namespace {

const LorimelApi* g_library = nullptr;

CRITICAL_SECTION* Lock() {
    // Made on first use; lives as long as the process.
    static CRITICAL_SECTION lock;
    static bool made = [] {
        InitializeCriticalSection(&lock);
        return true;
    }();
    (void)made;
    return &lock;
}

// The shared holders.  They pass the critical section only on their way in,
// so a thread that holds it keeps new ones out and waits for the count to
// drop; the last one out sets the event (auto-reset).
volatile LONG g_sharedHolders = 0;

HANDLE SharedHoldersGone() {
    static HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    return event;
}

}  // namespace

void SetImageLibrary(const LorimelApi* api) { g_library = api; }
const LorimelApi* ImageLibrary() { return g_library; }

DecodingLock::DecodingLock() {
    EnterCriticalSection(Lock());
    // The short time-out covers a wake-up that went to an earlier waiter.
    while (g_sharedHolders > 0) WaitForSingleObject(SharedHoldersGone(), 5);
}
DecodingLock::~DecodingLock() { LeaveCriticalSection(Lock()); }

SharedDecodingLock::SharedDecodingLock() {
    HANDLE gone = SharedHoldersGone();
    (void)gone;   // made before the first holder can leave
    EnterCriticalSection(Lock());
    InterlockedIncrement(&g_sharedHolders);
    LeaveCriticalSection(Lock());
}
SharedDecodingLock::~SharedDecodingLock() {
    if (InterlockedDecrement(&g_sharedHolders) == 0) SetEvent(SharedHoldersGone());
}

DibBlock* LoadFirstPageDib(const char* path) {
    const LorimelApi* api = g_library;
    if (!api || !path || !*path) return nullptr;
    DecodingLock lock;
    // What a fatal decoder error leaves behind is found here after the jump.
    LorimelHandle volatile file = nullptr;
    DibBlock* volatile dib = nullptr;
    jmp_buf jump;
    RecoveryScope scope;
    if (LorimelRecoveryPoint(jump) != 0) {
        scope.Jumped();
        if (file) api->CloseImageFile(file);
        FreeDib(dib);
        return nullptr;
    }
    char format[200] = {};
    if (!api->DetectImageFormat(path, format)) return nullptr;
    file = api->OpenImageFile(path, "rb", format, 0);
    if (!file) return nullptr;
    LorimelPageInfo info[2] = {};  // 24 bytes, zeroed, as the library expects
    if (api->ReadImageHeader(file) >= 1 && api->GetImagePageInfo(file, &info[0]) &&
        info[0].width > 0 && info[0].height > 0) {
        dib = CreateDib(info[0].width, info[0].height);
        if (dib) {
            api->SetImageProgressCallback(file, nullptr);
            if (!api->ReadImagePixels(file, dib->pixels, info[0].width, info[0].height, 0)) {
                FreeDib(dib);
                dib = nullptr;
            }
        }
    }
    api->CloseImageFile(file);
    return dib;
}

Picture* LoadPagePicture(LorimelHandle file, int page) {
    const LorimelApi* api = g_library;
    if (!api || !file) return nullptr;
    DecodingLock lock;
    Picture* volatile picture = nullptr;
    jmp_buf jump;
    RecoveryScope scope;
    if (LorimelRecoveryPoint(jump) != 0) {
        // The file stays open: it is the caller's.
        scope.Jumped();
        FreePicture(picture);
        return nullptr;
    }
    LorimelPageInfo info[2] = {};
    info[0].page = page;
    if (!api->GetImagePageInfo(file, &info[0]) || info[0].width <= 0 || info[0].height <= 0)
        return nullptr;
    picture = CreatePicture(info[0].width, info[0].height);
    if (!picture) return nullptr;
    // A decode that stops early leaves the rest black; the picture stands.
    api->ReadImagePixels(file, picture->working->pixels, info[0].width, info[0].height, page);
    return picture;
}
