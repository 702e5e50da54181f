#include "plugin_services.h"

#include <commctrl.h>

#include "convert.h"
#include "dib.h"
#include "document.h"
#include "effect_host.h"
#include "program.h"
#include "effect_preview.h"
#include "load.h"
#include "paint.h"
#include "picture.h"
#include "status_bar.h"
#include "win_guards.h"

namespace {

// The plug-in records are the program's own, seen from outside.
static_assert(sizeof(PluginDib) == sizeof(DibBlock), "a DIB block is three words");
static_assert(sizeof(PluginPicture) == sizeof(Picture), "a picture is two blocks");

HWND g_viewerBar = nullptr, g_browserBar = nullptr;
HCURSOR g_savedCursor = nullptr;

DibBlock* In(PluginDib* dib) { return reinterpret_cast<DibBlock*>(dib); }
const DibBlock* In(const PluginDib* dib) { return reinterpret_cast<const DibBlock*>(dib); }
PluginDib* Out(DibBlock* block) { return reinterpret_cast<PluginDib*>(block); }
Picture* In(PluginPicture* picture) { return reinterpret_cast<Picture*>(picture); }
const Picture* In(const PluginPicture* picture) { return reinterpret_cast<const Picture*>(picture); }
PluginPicture* Out(Picture* picture) { return reinterpret_cast<PluginPicture*>(picture); }

bool Is32(const DibBlock* block) { return block && block->header->biBitCount == 32; }

PluginDib* WINAPI HostCreateDib(LONG width, LONG height) { return Out(CreateDib(width, height)); }
void WINAPI HostFreeDib(PluginDib* dib) { FreeDib(In(dib)); }
LONG WINAPI HostSetDibFormat(PluginDib* dib, LONG bits) { return dib ? SetDibFormat(In(dib), bits) : 0; }
PluginPicture* WINAPI HostCreatePicture(LONG width, LONG height) { return Out(CreatePicture(width, height)); }
void WINAPI HostFreePicture(PluginPicture* picture) { FreePicture(In(picture)); }
LONG WINAPI HostDibRowBytes(const BITMAPINFOHEADER* header) {
    return header ? static_cast<LONG>(DibRowBytes(header)) : 0;
}

LONG WINAPI HostPaintDib(HDC dc, LONG xDest, LONG yDest, LONG destWidth, LONG destHeight, LONG xSrc, LONG ySrc,
                         LONG srcWidth, LONG srcHeight, const void* bits, const BITMAPINFO* info, UINT colourUse,
                         DWORD rop) {
    if (!dc || !bits || !info || srcWidth <= 0 || srcHeight <= 0) return 0;
    // Tall sources go in bands of 256 source rows, each to its share of the
    // destination, so that no single call has to stretch a huge picture.
    constexpr LONG kBand = 256;
    if (srcHeight <= kBand || destHeight <= 0) {
        return StretchDIBits(dc, xDest, yDest, destWidth, destHeight, xSrc, ySrc, srcWidth, srcHeight, bits, info,
                             colourUse, rop);
    }
    // A top-down DIB counts source rows from the top, like the destination.
    LONG painted = 0;
    for (LONG row = 0; row < srcHeight; row += kBand) {
        const LONG rows = row + kBand < srcHeight ? kBand : srcHeight - row;
        const LONG top = static_cast<LONG>(static_cast<long long>(row) * destHeight / srcHeight);
        const LONG bottom = static_cast<LONG>(static_cast<long long>(row + rows) * destHeight / srcHeight);
        if (bottom > top)
            painted += StretchDIBits(dc, xDest, yDest + top, destWidth, bottom - top, xSrc, ySrc + row, srcWidth, rows,
                                     bits, info, colourUse, rop);
    }
    return painted;
}

PluginDib* WINAPI HostScaleDib(const PluginDib* dib, LONG width, LONG height) {
    return dib ? Out(ScaleDib(In(dib), width, height)) : nullptr;
}
PluginPicture* WINAPI HostScalePicture(const PluginPicture* picture, LONG width, LONG height) {
    return picture ? Out(ScalePicture(In(picture), width, height)) : nullptr;
}
LONG WINAPI HostConvertDibDepth(PluginDib* dib, LONG bits) { return dib ? ConvertDibDepth(In(dib), bits) : 0; }
LONG WINAPI HostRefreshPictureDisplay(PluginPicture* picture) {
    return picture ? RefreshPictureDisplay(In(picture)) : 0;
}
void WINAPI HostSetCurrentPicture(PluginPicture* picture) {
    // The views let go of the old picture before it is freed; the host lays
    // the frame out once the filter has returned.
    if (picture && Program().frame) HostShowProcessedPicture(Program().frame, ProcessedChange::NewPicture, In(picture));
    else SetCurrentPicture(In(picture));
}
PluginDib* WINAPI HostCropDib(const PluginDib* dib, const RECT* area) {
    return dib && area ? Out(CropDib(In(dib), area->left, area->top, area->right, area->bottom)) : nullptr;
}
LONG WINAPI HostCopyDib(const PluginDib* source, PluginDib* destination) {
    return source && destination ? CopyDib(In(source), In(destination)) : 0;
}

typedef int (*Converter)(const DibBlock*, DibBlock*);
LONG Convert(Converter convert, const PluginDib* source, PluginDib* destination) {
    return Is32(In(source)) && destination ? convert(In(source), In(destination)) : 0;
}
LONG WINAPI HostDibTo1(const PluginDib* s, PluginDib* d) { return Convert(DibTo1, s, d); }
LONG WINAPI HostDibTo2(const PluginDib* s, PluginDib* d) { return Convert(DibTo2, s, d); }
LONG WINAPI HostDibTo4(const PluginDib* s, PluginDib* d) { return Convert(DibToDisplay4, s, d); }
LONG WINAPI HostDibTo8(const PluginDib* s, PluginDib* d) { return Convert(DibToDisplay8, s, d); }
LONG WINAPI HostDibTo15(const PluginDib* s, PluginDib* d) { return Convert(DibTo15, s, d); }
LONG WINAPI HostDibTo16(const PluginDib* s, PluginDib* d) { return Convert(DibTo16, s, d); }
LONG WINAPI HostDibTo24(const PluginDib* s, PluginDib* d) { return Convert(DibTo24, s, d); }

void WINAPI HostCenterWindow(HWND window) { CentreOverOwner(window); }

LONG WINAPI HostDrawDibCentered(HWND window, const PluginDib* dib, RECT* used) {
    if (!window || !dib) return 0;
    RECT client;
    GetClientRect(window, &client);
    const LONG width = DibWidth(In(dib)), height = DibHeight(In(dib));
    RECT at;
    at.left = (client.right - width) / 2;
    at.top = (client.bottom - height) / 2;
    at.right = at.left + width;
    at.bottom = at.top + height;
    const int painted = PaintDib(WindowDC(window), at, In(dib));
    if (used) *used = at;
    return painted > 0 ? 1 : 0;
}

void WINAPI HostEraseAround(HWND window, const RECT* keep) {
    if (!window) return;
    RECT client;
    GetClientRect(window, &client);
    WindowDC dc(window);
    if (keep) ExcludeClipRect(dc, keep->left, keep->top, keep->right, keep->bottom);
    HBRUSH brush = reinterpret_cast<HBRUSH>(GetClassLongPtrA(window, GCLP_HBRBACKGROUND));
    FillRect(dc, &client, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
}

void WINAPI HostFitSize(const RECT* box, LONG width, LONG height, LONG* outWidth, LONG* outHeight) {
    SIZE size = {6, 6};
    if (box) size = FitSize(box->right - box->left, box->bottom - box->top, width, height);
    if (outWidth) *outWidth = size.cx;
    if (outHeight) *outHeight = size.cy;
}

HANDLE WINAPI HostOpenCurrentFile() {
    const LorimelApi* api = ImageLibrary();
    const PictureDocument& document = CurrentDocument();
    // Acquired pictures have a name but no file behind it.
    if (!api || !document.fileName[0] || document.notOnDisk) return nullptr;
    char format[200] = {};
    if (!api->DetectImageFormat(document.fileName, format)) return nullptr;
    return api->OpenImageFile(document.fileName, "rb", format, 0);
}

LONG WINAPI HostReadCurrentHeader(HANDLE file) {
    const LorimelApi* api = ImageLibrary();
    return api && file ? api->ReadImageHeader(static_cast<LorimelHandle>(file)) : 0;
}

PluginPicture* WINAPI HostLoadPagePicture(HANDLE file, LONG page) {
    if (!file) return nullptr;
    Picture* picture = nullptr;
    {
        DecodingLock lock;
        picture = LoadPagePicture(static_cast<LorimelHandle>(file), page);
    }
    if (picture) RefreshPictureDisplay(picture);
    return Out(picture);
}

void WINAPI HostCloseCurrentFile(HANDLE file) {
    const LorimelApi* api = ImageLibrary();
    if (api && file) api->CloseImageFile(static_cast<LorimelHandle>(file));
}

void WINAPI HostBeginBusy() {
    g_savedCursor = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    ShowLoadProgress(g_viewerBar, 0, 1);
    ShowLoadProgress(g_browserBar, 0, 1);
}

void WINAPI HostShowProgress(LONG done, LONG total) {
    if (total <= 0) return;
    ShowLoadProgress(g_viewerBar, done, total);
    ShowLoadProgress(g_browserBar, done, total);
    // Let the status bars paint while the filter keeps the thread busy.
    if (g_viewerBar) UpdateWindow(g_viewerBar);
    if (g_browserBar) UpdateWindow(g_browserBar);
}

void WINAPI HostEndBusy() {
    for (HWND bar : {g_viewerBar, g_browserBar})
        if (bar) SendMessageA(bar, SB_SETTEXTA, 1, reinterpret_cast<LPARAM>(""));
    SetCursor(g_savedCursor ? g_savedCursor : LoadCursorA(nullptr, IDC_ARROW));
    g_savedCursor = nullptr;
}

const PictureHostServices kServices = {
    HostCreateDib, HostFreeDib, HostSetDibFormat, HostCreatePicture, HostFreePicture, HostDibRowBytes,
    HostPaintDib, HostScaleDib, HostScalePicture, HostConvertDibDepth, HostRefreshPictureDisplay,
    HostSetCurrentPicture, HostCropDib, HostCopyDib, HostDibTo1, HostDibTo2, HostDibTo4, HostDibTo8,
    HostDibTo15, HostDibTo16, HostDibTo24, HostCenterWindow, HostDrawDibCentered, HostEraseAround, HostFitSize,
    HostOpenCurrentFile, HostReadCurrentHeader, HostLoadPagePicture, HostCloseCurrentFile, HostBeginBusy,
    HostShowProgress, HostEndBusy,
};
static_assert(sizeof(PictureHostServices) == 32 * sizeof(void*), "32 slots");

}  // namespace

const PictureHostServices* PluginServices() { return &kServices; }

void SetPluginStatusBars(HWND viewerBar, HWND browserBar) {
    g_viewerBar = viewerBar;
    g_browserBar = browserBar;
}
