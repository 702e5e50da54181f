#include "acquire.h"

#include <string>

#include "browser_panes.h"
#include "browser_window.h"
#include "commands.h"
#include "document.h"
#include "document_link.h"
#include "feature_commands.h"
#include "frame_window.h"
#include "loader.h"
#include "message_loop.h"
#include "messages.h"
#include "navigation.h"
#include "picture_view.h"
#include "program.h"
#include "resource_ids.h"

namespace {

constexpr int kAcquiredPageMs = 1500;   // each of several pictures stays this long
constexpr int kAsManyAsSent = -1;       // transfer count: whatever the user sends
constexpr char kCaptureFile[] = "CapImage.dll";
constexpr char kCaptureEntry[] = "InitCaptuerVideo";  // spelled as the library exports it

using CaptureEntry = int(WINAPI*)(HWND frame);

PictureTwainSession g_session(ShowAcquiredPictures);
HMODULE g_capture = nullptr;

int FilterAcquireMessage(MSG* message) { return g_session.FilterMessage(message); }

void CloseSession() {
    g_session.CloseManager();
    SetAcquireMessageFilter(nullptr);
}

void OpenAcquire(HWND frame) {
    if (!g_session.OpenManager(frame)) return;
    SetAcquireMessageFilter(FilterAcquireMessage);
    // No source chosen (cancelled, or none there): back to closed.
    if (!g_session.SelectSource()) CloseSession();
}

// The library is loaded once and stays: what its entry started (a capture
// window, a thread) may still run after the call returns.
void CaptureVideo(HWND frame) {
    if (!g_capture) {
        const std::string path = Program().programDirectory + kCaptureFile;
        g_capture = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        if (!g_capture) {
            // No caption: the system's "Error".
            MessageBoxA(frame, ResourceString(IDS_CAPTURE_LOAD_ERROR).c_str(), nullptr, MB_OK);
            return;
        }
    }
    auto entry = reinterpret_cast<CaptureEntry>(reinterpret_cast<void*>(GetProcAddress(g_capture, kCaptureEntry)));
    if (!entry) {
        // Not a capture library: nothing of it runs, so it can go at once.
        FreeLibrary(g_capture);
        g_capture = nullptr;
        return;
    }
    entry(frame);
}

}  // namespace

std::string AcquiredPictureName(const std::string& folder, const std::string& name) {
    std::string path = folder;
    if (!path.empty() && path.back() != '\\') path += '\\';
    return path + name;
}

void ShowAcquiredPictures(Picture** pictures, const int* bitsPerPixel, int count) {
    if (!pictures || count < 1) return;
    HWND frame = Program().frame;
    HWND browser = Program().browser;
    // The loader must not write into the document, nor the views draw the
    // pictures about to be freed.
    StopPictureLoading();
    if (FrameView()) SetViewPicture(FrameView(), nullptr);
    SetPreviewPicture(nullptr);
    BeginPicturesInMemory();
    FreeCurrentDocument();

    PictureDocument& doc = CurrentDocument();
    int shown = count;
    if (count >= 2 && !AllocateDocumentPages(count)) {
        // No room for the page list: the first picture is still shown.
        for (int i = 1; i < count; ++i) FreePicture(pictures[i]);
        shown = 1;
    }
    doc.pageCount = shown;
    doc.currentPage = 0;
    doc.pagesDifferInSize = false;
    if (shown >= 2) {
        for (int i = 0; i < shown; ++i) {
            doc.pages[i] = pictures[i];
            doc.pageDelays[i] = kAcquiredPageMs;
            doc.pageBits[i] = bitsPerPixel ? bitsPerPixel[i] : 24;
            if (DibWidth(pictures[i]->working) != DibWidth(pictures[0]->working) ||
                DibHeight(pictures[i]->working) != DibHeight(pictures[0]->working))
                doc.pagesDifferInSize = true;
        }
    }
    SetCurrentPicture(pictures[0]);
    doc.pageBitsPerPixel = bitsPerPixel ? bitsPerPixel[0] : 24;

    std::string folder = BrowsedFolderPath();
    if (folder.empty()) {
        char current[MAX_PATH] = {};
        const DWORD n = GetCurrentDirectoryA(sizeof current, current);
        if (n > 0 && n < sizeof current) folder.assign(current, n);
    }
    const std::string name = AcquiredPictureName(folder, ResourceString(IDS_CAPTURE_FILE_NAME));
    lstrcpynA(doc.fileName, name.c_str(), sizeof doc.fileName);
    // Named as a bitmap, which is what the device handed over.
    lstrcpynA(doc.formatName, "BMP", sizeof doc.formatName);
    doc.loadTimeMs = 0;
    doc.notOnDisk = true;

    if (frame && !IsWindowVisible(frame) && !(browser && IsWindowVisible(browser))) ShowWindow(frame, SW_SHOW);
    // Both views take the new picture and the frame fits itself around it;
    // the picture-loaded report then starts page play and refreshes both
    // windows' texts and states, as after a file.
    ShowProcessedPicture(frame, ProcessedChange::NewSize);
    if (frame) PostMessageA(frame, kMsgPictureLoaded, 0, 0);
}

void AcquireCommand(HWND frame, UINT id) {
    switch (id) {
    case IDC_OPEN_ACQUIRE:
        OpenAcquire(frame);
        break;
    case IDC_ACQUIRE:
        if (g_session.ManagerOpen()) g_session.Acquire(kAsManyAsSent);
        break;
    case IDC_CLOSE_ACQUIRE:
        if (g_session.ManagerOpen()) CloseSession();
        break;
    case IDC_CAPTURE_FRAME:
        CaptureVideo(frame);
        break;
    default:
        break;
    }
    RefreshToolbarStates();
}

bool AcquireManagerOpen() { return g_session.ManagerOpen(); }
const PictureTwainSession& AcquireSession() { return g_session; }

void CloseAcquireSession() { CloseSession(); }

void FreeCaptureLibrary() {
    if (g_capture) FreeLibrary(g_capture);
    g_capture = nullptr;
}

HMODULE CaptureLibrary() { return g_capture; }
