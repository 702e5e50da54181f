#include "picture_view.h"

#include <windowsx.h>

#include <string.h>

#include "commands.h"
#include "messages.h"
#include "selection.h"
#include "win_guards.h"

namespace {

// The facts of the display bitmap a view draws.  The pixels stay in the
// picture; the header pointer gives the colour table or the masks.
struct DisplayDescriptor {
    int width;
    int height;                       // positive: the rows are always top-down
    DWORD rowBytes;
    int bitsPerPixel;
    DWORD compression;
    DWORD colorCount;                 // colour-table entries (0 above 8 bits)
    const BITMAPINFOHEADER* header;   // colour table or masks right behind it
    const BYTE* bits;                 // the top row
};

struct ViewRecord {
    HANDLE heap;                  // private to the window; the record lives in it
    HWND window;
    DisplayDescriptor* display;   // from the heap; null without a picture
    POINT scroll;                 // top-left of the visible part, zoomed pixels
    SIZE screen;                  // at creation
    int zoom;                     // percent
    RECT source;                  // visible part, picture pixels
    RECT destination;             // where it is drawn, client pixels
    RECT visible;                 // client area at the scroll position, zoomed pixels
    HCURSOR hoverCursor;
    HCURSOR dragCursor;
    BYTE mode;
    BYTE zoomedDrawing;
    BYTE loading;
    BYTE largerThanView;
    BYTE buttonDown;
    BYTE selecting;
    BYTE selectionPresent;
    POINT anchor;
    RECT selection;               // client pixels, normalised
    BYTE selectable;              // the viewer's view: selections allowed
    HCURSOR selectionCursor;      // over a present selection
    bool (*mayStartSelection)();  // asked at each press; null: always
    POINT dragFrom;               // last mouse position while drag-scrolling
    int rowsFirst;                // while loading: the rows decoded so far,
    int rowsReady;                // rowsReady of them from row rowsFirst
};

// Header and the largest colour table a display bitmap has.
struct DrawInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
};

ATOM g_classAtom = 0;
HINSTANCE g_cursorModule = nullptr;
HPALETTE g_palette = nullptr;

bool IsNtFamily() {
    static const bool nt = (GetVersion() & 0x80000000u) == 0;
    return nt;
}

ViewRecord* RecordOf(HWND view) {
    if (!view || !g_classAtom || GetClassWord(view, GCW_ATOM) != g_classAtom) return nullptr;
    return reinterpret_cast<ViewRecord*>(GetWindowLongPtrA(view, GWLP_USERDATA));
}

int Truncated(long long value) {
    if (value > 0x7FFFFFFF) return 0x7FFFFFFF;
    if (value < -0x7FFFFFFF) return -0x7FFFFFFF;
    return static_cast<int>(value);
}

// The picture at the view's zoom, without any border.
SIZE ZoomedPicture(const ViewRecord* record) {
    SIZE size = {0, 0};
    if (record->display && record->zoom > 0) {
        size.cx = Truncated(static_cast<long long>(record->display->width) * record->zoom / 100);
        size.cy = Truncated(static_cast<long long>(record->display->height) * record->zoom / 100);
    }
    return size;
}

SIZE ClientSize(const ViewRecord* record) {
    RECT client;
    if (!GetClientRect(record->window, &client)) SetRectEmpty(&client);
    SIZE size = {client.right, client.bottom};
    return size;
}

// Clamps one scroll coordinate: the visible part stays inside the zoomed
// picture, and a picture narrower than the client gets a negative position
// that puts it in the middle.
int ClampScroll(int position, int zoomed, int client) {
    if (position < 0) position = 0;
    if (client + position > zoomed) position = zoomed >= client ? zoomed - client : (zoomed - client) / 2;
    return position;
}

void UpdateLargerThanView(ViewRecord* record) {
    RECT zoomed = ViewZoomedSize(record->window);
    SIZE client = ClientSize(record);
    record->largerThanView = record->display && record->zoomedDrawing &&
                             (zoomed.right > client.cx + 2 || zoomed.bottom > client.cy + 2);
}

// Scroll position, visible, destination and source rectangles for a wanted
// top-left (x, y) in zoomed pixels.
void PlaceView(ViewRecord* record, int x, int y) {
    SIZE zoomed = ZoomedPicture(record);
    SIZE client = ClientSize(record);
    x = ClampScroll(x, zoomed.cx, client.cx);
    y = ClampScroll(y, zoomed.cy, client.cy);
    SetRect(&record->visible, x, y, x + client.cx, y + client.cy);
    RECT picture = {0, 0, zoomed.cx, zoomed.cy};
    if (!IntersectRect(&record->destination, &record->visible, &picture)) SetRectEmpty(&record->destination);
    const RECT& d = record->destination;
    const int zoom = record->zoom > 0 ? record->zoom : 100;
    SetRect(&record->source, Truncated(d.left * 100LL / zoom), Truncated(d.top * 100LL / zoom),
            Truncated(d.right * 100LL / zoom), Truncated(d.bottom * 100LL / zoom));
    OffsetRect(&record->destination, -x, -y);
    record->scroll.x = x;
    record->scroll.y = y;
    UpdateLargerThanView(record);
}

void ClearSelection(ViewRecord* record) {
    record->selectionPresent = 0;
    record->selecting = 0;
    record->anchor.x = record->anchor.y = 0;
    SetRectEmpty(&record->selection);
}

bool HasArea(const RECT& r) { return r.right > r.left && r.bottom > r.top; }

// The selection's outline: a dotted one-pixel frame that inverts every
// other pixel under it (a 50 % pattern drawn with PATINVERT), so that drawing
// the same rectangle again takes it away and it shows on any picture.  The
// system's focus rectangle is not used: Wine draws it as an exclusive-or with
// the window-text colour, which leaves black on black invisible.
void DrawBand(HDC dc, const RECT& r) {
    if (!HasArea(r)) return;
    static const WORD kDots[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
    HBITMAP dots = CreateBitmap(8, 8, 1, 1, kDots);
    HBRUSH brush = dots ? CreatePatternBrush(dots) : nullptr;
    if (brush) {
        // A monochrome pattern takes the text and background colours: black
        // leaves a pixel alone, white inverts it.
        const COLORREF text = SetTextColor(dc, RGB(0, 0, 0));
        const COLORREF back = SetBkColor(dc, RGB(255, 255, 255));
        HGDIOBJ previous = SelectObject(dc, brush);
        const int width = r.right - r.left, height = r.bottom - r.top;
        PatBlt(dc, r.left, r.top, width, 1, PATINVERT);
        if (height > 1) PatBlt(dc, r.left, r.bottom - 1, width, 1, PATINVERT);
        if (height > 2) {
            PatBlt(dc, r.left, r.top + 1, 1, height - 2, PATINVERT);
            if (width > 1) PatBlt(dc, r.right - 1, r.top + 1, 1, height - 2, PATINVERT);
        }
        SelectObject(dc, previous);
        SetTextColor(dc, text);
        SetBkColor(dc, back);
        DeleteObject(brush);
    }
    if (dots) DeleteObject(dots);
}

void FillHeader(const DisplayDescriptor& display, DrawInfo* info) {
    memset(&info->header, 0, sizeof info->header);
    info->header.biSize = sizeof info->header;
    info->header.biWidth = display.width;
    info->header.biPlanes = 1;
    info->header.biBitCount = static_cast<WORD>(display.bitsPerPixel);
    info->header.biCompression = display.compression;
    const void* table = display.header + 1;
    if (display.compression == BI_BITFIELDS) {
        memcpy(info->colors, table, 3 * sizeof(DWORD));
    } else if (display.colorCount) {
        info->header.biClrUsed = display.colorCount;
        memcpy(info->colors, table, display.colorCount * sizeof(RGBQUAD));
    }
}

// Draws source rows [source.top, source.bottom) of the display bitmap into
// destination.  A source more than 1000 pixels wide or high goes in bands of
// 256 rows, as every large block is painted; each call gets a header whose
// height is that of the rows it draws and a bits pointer at their first row,
// so that the source y of every call is 0.
void StretchRows(ViewRecord* record, HDC dc, RECT source, const RECT& destination) {
    const DisplayDescriptor& display = *record->display;
    const int sourceWidth = source.right - source.left, sourceHeight = source.bottom - source.top;
    const int destWidth = destination.right - destination.left;
    const int destHeight = destination.bottom - destination.top;
    if (sourceWidth <= 0 || sourceHeight <= 0 || destWidth <= 0 || destHeight <= 0) return;

    DrawInfo info;
    FillHeader(display, &info);
    auto* bitmapInfo = reinterpret_cast<BITMAPINFO*>(&info);
    const BYTE* bits = display.bits + static_cast<size_t>(source.top) * display.rowBytes;

    const int count = ComputePaintBands(sourceWidth, sourceHeight, destHeight, nullptr, 0);
    PaintBand* bands = nullptr;
    if (count > 1)
        bands = static_cast<PaintBand*>(HeapAlloc(record->heap, 0, sizeof(PaintBand) * static_cast<size_t>(count)));
    if (!bands) {
        // One call.  On the NT family a source at the picture's top-left
        // corner of at most 1000 x 1000 is drawn from a bits pointer one
        // pixel earlier (one byte for 4 and 8 bits) with the source x
        // advanced to match, which draws the same pixels.  The shifted
        // source must still end inside the header's width; when it would
        // not (a source as wide as the picture), the last column would be
        // clipped, so the pointer is left alone.
        int sourceX = source.left;
        if (IsNtFamily() && source.left == 0 && source.top == 0 && sourceWidth <= 1000 && sourceHeight <= 1000) {
            const int shiftBytes = display.bitsPerPixel >= 8 ? display.bitsPerPixel / 8 : 1;
            const int shiftPixels = display.bitsPerPixel >= 8 ? 1 : 8 / display.bitsPerPixel;
            if (sourceWidth + shiftPixels <= display.width) {
                bits -= shiftBytes;
                sourceX += shiftPixels;
            }
        }
        info.header.biHeight = -sourceHeight;
        info.header.biSizeImage = display.rowBytes * static_cast<DWORD>(sourceHeight);
        StretchDIBits(dc, destination.left, destination.top, destWidth, destHeight, sourceX, 0, sourceWidth,
                      sourceHeight, bits, bitmapInfo, DIB_RGB_COLORS, SRCCOPY);
        return;
    }
    ComputePaintBands(sourceWidth, sourceHeight, destHeight, bands, count);
    for (int i = 0; i < count; ++i) {
        const PaintBand& band = bands[i];
        info.header.biHeight = -band.sourceRows;
        info.header.biSizeImage = display.rowBytes * static_cast<DWORD>(band.sourceRows);
        StretchDIBits(dc, destination.left, destination.top + band.destTop, destWidth, band.destRows, source.left,
                      0, sourceWidth, band.sourceRows, bits + static_cast<size_t>(band.sourceTop) * display.rowBytes,
                      bitmapInfo, DIB_RGB_COLORS, SRCCOPY);
    }
    HeapFree(record->heap, 0, bands);
}

// Picture rows [first, first + count).
struct RowRange {
    int first;
    int count;
};

// Where the picture goes: the whole source onto the destination.
void PictureRects(const ViewRecord* record, RECT* source, RECT* destination) {
    if (record->zoomedDrawing) {
        *source = record->source;
        *destination = record->destination;
    } else {
        SetRect(source, 0, 0, record->display->width, record->display->height);
        GetClientRect(record->window, destination);
    }
}

// Narrows source and destination to the part that shows picture rows
// [rows.first, rows.first + rows.count); false when none of them is seen.
bool NarrowToRows(const RowRange& rows, RECT* source, RECT* destination) {
    const int top = source->top > rows.first ? source->top : rows.first;
    const int end = rows.first + rows.count;
    const int bottom = source->bottom < end ? source->bottom : end;
    if (bottom <= top) return false;
    const long long sourceHeight = source->bottom - source->top;
    const long long destHeight = destination->bottom - destination->top;
    const int destTop = destination->top + static_cast<int>((top - source->top) * destHeight / sourceHeight);
    destination->bottom = destination->top + static_cast<int>((bottom - source->top) * destHeight / sourceHeight);
    destination->top = destTop;
    source->top = top;
    source->bottom = bottom;
    return true;
}

void StretchPicture(ViewRecord* record, HDC dc, const RECT& source, const RECT& destination) {
    const bool usePalette = g_palette && GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES) <= 8;
    SelectedPalette palette(dc, usePalette ? g_palette : nullptr);
    if (usePalette) RealizePalette(dc);
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchRows(record, dc, source, destination);
}

// Fills the client outside the picture's destination with the button face.
void FillAroundPicture(const ViewRecord* record, HDC dc, const RECT& destination) {
    RECT client;
    GetClientRect(record->window, &client);
    if (EqualRect(&destination, &client)) return;
    const int saved = SaveDC(dc);
    ExcludeClipRect(dc, destination.left, destination.top, destination.right, destination.bottom);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    RestoreDC(dc, saved);
}

// Draws the view.  Without rows it draws everything (background around the
// picture and the selection included); otherwise only the part of the
// picture covered by those rows.
void DrawView(ViewRecord* record, HDC dc, const RowRange* rows) {
    if (!record->display) {
        RECT client;
        GetClientRect(record->window, &client);
        if (!rows) FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
        return;
    }
    RECT source, destination;
    PictureRects(record, &source, &destination);
    if (rows && !NarrowToRows(*rows, &source, &destination)) return;
    StretchPicture(record, dc, source, destination);
    if (!rows) {
        FillAroundPicture(record, dc, destination);
        if (record->selectionPresent || record->selecting) DrawBand(dc, record->selection);
    }
}

// Draws the whole view of a picture still loading: the rows decoded so far,
// the part of the picture still to come in black, the rest of the client as
// usual.  Only the decoded rows are stretched: a page that has just been
// handed over holds nothing worth reading yet.
void DrawLoadingView(ViewRecord* record, HDC dc) {
    RECT source, destination;
    PictureRects(record, &source, &destination);
    FillAroundPicture(record, dc, destination);
    RECT rowsSource = source, rowsDestination = destination;
    const RowRange decoded = {record->rowsFirst, record->rowsReady};
    const bool any = NarrowToRows(decoded, &rowsSource, &rowsDestination);
    const int saved = SaveDC(dc);
    if (any)
        ExcludeClipRect(dc, rowsDestination.left, rowsDestination.top, rowsDestination.right,
                        rowsDestination.bottom);
    FillRect(dc, &destination, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    RestoreDC(dc, saved);
    if (any) StretchPicture(record, dc, rowsSource, rowsDestination);
}

// The whole view: everything, or while loading the rows decoded so far.
void DrawWholeView(ViewRecord* record, HDC dc) {
    if (record->loading && record->display)
        DrawLoadingView(record, dc);
    else
        DrawView(record, dc, nullptr);
}

// Draws at once, outside WM_PAINT.
void DrawNow(ViewRecord* record) {
    WindowDC dc(record->window);
    if (dc) DrawWholeView(record, dc);
}

void OnPaint(ViewRecord* record) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(record->window, &paint);
    if (dc) DrawWholeView(record, dc);
    EndPaint(record->window, &paint);
}

// rows rows decoded from row first on (0: from the top).
void OnRowsReady(ViewRecord* record, WPARAM rows, LPARAM first) {
    if (!record->display) return;
    const int height = record->display->height;
    const int top = first > 0 && first < height ? static_cast<int>(first) : 0;
    const WPARAM room = static_cast<WPARAM>(height - top);
    record->rowsFirst = top;
    record->rowsReady = static_cast<int>(rows < room ? rows : room);
    WindowDC dc(record->window);
    if (!dc) return;
    const RowRange decoded = {record->rowsFirst, record->rowsReady};
    DrawView(record, dc, &decoded);
}

bool PointerInSelection(const ViewRecord* record) {
    if (!record->selectionPresent) return false;
    POINT cursor;
    if (!GetCursorPos(&cursor) || !ScreenToClient(record->window, &cursor)) return false;
    return PtInRect(&record->selection, cursor) != FALSE;
}

bool SetCursorFor(ViewRecord* record) {
    HCURSOR cursor = nullptr;
    if (record->largerThanView) cursor = record->buttonDown ? record->dragCursor : record->hoverCursor;
    else if (record->selectionCursor && PointerInSelection(record)) cursor = record->selectionCursor;
    SetCursor(cursor ? cursor : LoadCursorA(nullptr, IDC_ARROW));
    return true;
}

// A point clamped to the drawn part of the picture (the destination
// rectangle: a picture smaller than the view is drawn in its middle).
POINT ClampToPicture(const ViewRecord* record, POINT p) {
    const RECT& drawn = record->destination;
    if (p.x < drawn.left) p.x = drawn.left;
    if (p.x > drawn.right) p.x = drawn.right;
    if (p.y < drawn.top) p.y = drawn.top;
    if (p.y > drawn.bottom) p.y = drawn.bottom;
    return p;
}

RECT Spanning(POINT a, POINT b) {
    RECT r = {a.x < b.x ? a.x : b.x, a.y < b.y ? a.y : b.y, a.x < b.x ? b.x : a.x, a.y < b.y ? b.y : a.y};
    return r;
}

// The rubber band follows the pointer: the old outline is drawn away and the
// new one drawn.
void StretchBand(ViewRecord* record, POINT pointer) {
    const RECT next = Spanning(record->anchor, ClampToPicture(record, pointer));
    if (EqualRect(&next, &record->selection)) return;
    WindowDC dc(record->window);
    if (dc) {
        DrawBand(dc, record->selection);
        DrawBand(dc, next);
    }
    record->selection = next;
}

void FinishBand(ViewRecord* record, const POINT* pointer) {
    if (!record->selecting) return;
    if (pointer) StretchBand(record, *pointer);
    record->selecting = 0;
    record->selectionPresent = HasArea(record->selection);
    if (!record->selectionPresent) SetRectEmpty(&record->selection);
    if (GetCapture() == record->window) ReleaseCapture();
}

void StartBand(ViewRecord* record, POINT pointer) {
    const HWND window = record->window;
    if (!record->selectable || !record->display || !record->zoomedDrawing) return;
    if (!PtInRect(&record->destination, pointer)) return;
    if (record->selectionPresent && PtInRect(&record->selection, pointer)) {
        // A press inside the selection zooms to it.  The frame reads the
        // selection first; the new layout usually resizes the view, which
        // clears it anyway.
        SendMessageA(GetParent(window), WM_COMMAND, IDC_ZOOM_TO_SELECTION, 0);
        if (RecordOf(window) == record && record->selectionPresent) ClearViewSelection(window);
        return;
    }
    if (record->loading || (record->mayStartSelection && !record->mayStartSelection())) return;
    if (record->selectionPresent) {
        // The old outline goes before the new band starts.
        WindowDC dc(window);
        if (dc) DrawBand(dc, record->selection);
        record->selectionPresent = 0;
    }
    record->anchor = ClampToPicture(record, pointer);
    SetRect(&record->selection, record->anchor.x, record->anchor.y, record->anchor.x, record->anchor.y);
    record->selecting = 1;
    SetCapture(window);
}

void OnLeftButtonDown(ViewRecord* record, LPARAM lParam) {
    const POINT pointer = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    // A picture that fits the view is the selection's business.
    if (!record->largerThanView) {
        StartBand(record, pointer);
        return;
    }
    record->buttonDown = 1;
    record->dragFrom = pointer;
    SetCapture(record->window);
    SetCursorFor(record);
}

void OnMouseMove(ViewRecord* record, WPARAM wParam, LPARAM lParam) {
    const POINT pointer = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (record->selecting) {
        if (wParam & MK_LBUTTON) StretchBand(record, pointer);
        else FinishBand(record, &pointer);   // the release went elsewhere
        return;
    }
    if (!record->buttonDown) return;
    if (!(wParam & MK_LBUTTON)) {
        record->buttonDown = 0;
        if (GetCapture() == record->window) ReleaseCapture();
        return;
    }
    const int dx = pointer.x - record->dragFrom.x, dy = pointer.y - record->dragFrom.y;
    record->dragFrom = pointer;
    if (dx || dy) ScrollViewTo(record->window, record->scroll.x - dx, record->scroll.y - dy);
}

void OnLeftButtonUp(ViewRecord* record, LPARAM lParam) {
    if (record->selecting) {
        const POINT pointer = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        FinishBand(record, &pointer);
        return;
    }
    if (GetCapture() == record->window) ReleaseCapture();
    if (!record->buttonDown) return;
    record->buttonDown = 0;
    SetCursorFor(record);
}

void OnSize(ViewRecord* record) {
    ClearSelection(record);
    // The picture point at the middle of the old visible part stays there.
    const int centreX = (record->visible.left + record->visible.right) / 2;
    const int centreY = (record->visible.top + record->visible.bottom) / 2;
    SIZE client = ClientSize(record);
    PlaceView(record, centreX - client.cx / 2, centreY - client.cy / 2);
    InvalidateRect(record->window, nullptr, FALSE);
}

LRESULT CALLBACK ViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ViewRecord* record = reinterpret_cast<ViewRecord*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        HANDLE heap = HeapCreate(0, 0, 0);
        if (!heap) return FALSE;
        record = static_cast<ViewRecord*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, sizeof(ViewRecord)));
        if (!record) {
            HeapDestroy(heap);
            return FALSE;
        }
        record->heap = heap;
        record->window = window;
        record->screen.cx = GetSystemMetrics(SM_CXSCREEN);
        record->screen.cy = GetSystemMetrics(SM_CYSCREEN);
        record->zoom = 100;
        record->mode = kViewZoomed;
        record->zoomedDrawing = 1;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(record));
        return DefWindowProcA(window, message, wParam, lParam);
    }
    if (!record) return DefWindowProcA(window, message, wParam, lParam);

    switch (message) {
    case WM_NCDESTROY: {
        HANDLE heap = record->heap;
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        HeapDestroy(heap);   // the record and the display descriptor with it
        return DefWindowProcA(window, message, wParam, lParam);
    }
    case WM_ERASEBKGND:
        return 1;   // painting covers the whole client
    case WM_PAINT:
        OnPaint(record);
        return 0;
    case WM_SIZE:
        OnSize(record);
        return 0;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT && SetCursorFor(record)) return TRUE;
        break;
    case WM_LBUTTONDOWN:
        OnLeftButtonDown(record, lParam);
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(record, wParam, lParam);
        return 0;
    case WM_LBUTTONUP:
        OnLeftButtonUp(record, lParam);
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != window) {
            record->buttonDown = 0;
            FinishBand(record, nullptr);
        }
        return 0;
    case WM_LBUTTONDBLCLK:
        return SendMessageA(GetParent(window), WM_LBUTTONDBLCLK, wParam, lParam);
    case WM_RBUTTONUP: {
        POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        const bool inSelection = record->selectionPresent && PtInRect(&record->selection, point);
        PostMessageA(GetParent(window), inSelection ? kMsgSelectionMenu : WM_RBUTTONUP, wParam, lParam);
        return 0;
    }
    case kMsgRowsReady:
        OnRowsReady(record, wParam, lParam);
        return 0;
    case kMsgRedrawView:
    case kMsgRedrawView2:
        DrawNow(record);
        return 0;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterViewClass() {
    if (g_classAtom) return true;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass = {};
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = ViewProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = nullptr;
    windowClass.lpszClassName = kPictureViewClass;
    g_classAtom = RegisterClassA(&windowClass);
    if (!g_classAtom) {
        WNDCLASSEXA existing = {};
        existing.cbSize = sizeof existing;
        g_classAtom = GetClassInfoExA(instance, kPictureViewClass, &existing);
        if (g_classAtom && existing.lpfnWndProc != ViewProc) g_classAtom = 0;
    }
    return g_classAtom != 0;
}

}  // namespace

HWND CreatePictureView(HWND parent, int x, int y, int width, int height, DWORD style, UINT id) {
    if (!RegisterViewClass()) return nullptr;
    return CreateWindowExA(0, kPictureViewClass, kPictureViewName, style | WS_CHILD, x, y, width, height, parent,
                           reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
}

void SetPictureViewModule(HINSTANCE module) { g_cursorModule = module; }

void SetViewPalette(HPALETTE palette) { g_palette = palette; }
HPALETTE ViewPalette() { return g_palette; }

void SetViewCursors(HWND view, int hoverCursorId, int dragCursorId) {
    ViewRecord* record = RecordOf(view);
    if (!record) return;
    HINSTANCE module = g_cursorModule ? g_cursorModule : GetModuleHandleA(nullptr);
    record->hoverCursor = LoadCursorA(module, MAKEINTRESOURCEA(hoverCursorId));
    record->dragCursor = LoadCursorA(module, MAKEINTRESOURCEA(dragCursorId));
}

void SetViewPicture(HWND view, const Picture* picture) {
    ViewRecord* record = RecordOf(view);
    if (!record) return;
    if (record->display) {
        HeapFree(record->heap, 0, record->display);
        record->display = nullptr;
    }
    const DibBlock* block = nullptr;
    if (picture) block = GetPictureDisplayDepth() == 32 ? picture->working : picture->display;
    if (block && block->header && block->pixels) {
        auto* display = static_cast<DisplayDescriptor*>(HeapAlloc(record->heap, 0, sizeof(DisplayDescriptor)));
        if (display) {
            const BITMAPINFOHEADER* header = block->header;
            display->width = DibWidth(block);
            display->height = DibHeight(block);
            display->rowBytes = DibRowBytes(header);
            display->bitsPerPixel = header->biBitCount;
            display->compression = header->biCompression;
            DWORD colors = 0;
            if (header->biBitCount <= 8) colors = header->biClrUsed ? header->biClrUsed : 1u << header->biBitCount;
            display->colorCount = colors > 256 ? 256 : colors;
            display->header = header;
            display->bits = block->pixels;
            if (display->width > 0 && display->height > 0 && display->rowBytes)
                record->display = display;
            else
                HeapFree(record->heap, 0, display);
        }
    }
    record->rowsFirst = record->rowsReady = 0;
    record->buttonDown = 0;
    if (GetCapture() == view) ReleaseCapture();
    ClearSelection(record);
    record->scroll.x = record->scroll.y = 0;
    const SIZE client = ClientSize(record);
    if (record->mode == kViewStretchCentred || record->mode == kViewZoomed) {
        const SIZE zoomed = ZoomedPicture(record);
        record->scroll.x = (zoomed.cx - client.cx) / 2;
        record->scroll.y = (zoomed.cy - client.cy) / 2;
    }
    // The visible part the centre is kept from.
    SetRect(&record->visible, record->scroll.x, record->scroll.y, record->scroll.x + client.cx,
            record->scroll.y + client.cy);
    SetViewZoom(view, record->zoom, record->mode);
}

void SetViewZoom(HWND view, int percent, int mode) {
    ViewRecord* record = RecordOf(view);
    if (!record) return;
    const int oldZoom = record->zoom > 0 ? record->zoom : 100;
    if (percent > 0) record->zoom = percent;
    // A selection in client pixels means other picture pixels at another zoom.
    if (record->zoom != oldZoom) ClearSelection(record);
    record->mode = static_cast<BYTE>(mode);
    record->zoomedDrawing = mode == kViewZoomed;
    // The picture point at the middle of the visible part, in picture pixels,
    // goes to the middle at the new zoom.
    SIZE client = ClientSize(record);
    const long long centreX = (record->scroll.x + client.cx / 2) * 100LL / oldZoom;
    const long long centreY = (record->scroll.y + client.cy / 2) * 100LL / oldZoom;
    PlaceView(record, Truncated(centreX * record->zoom / 100 - client.cx / 2),
              Truncated(centreY * record->zoom / 100 - client.cy / 2));
    DrawNow(record);
}

RECT ViewZoomedSize(HWND view) {
    RECT size = {0, 0, 0, 0};
    ViewRecord* record = RecordOf(view);
    if (!record) return size;
    SIZE zoomed = ZoomedPicture(record);
    size.right = zoomed.cx;
    size.bottom = zoomed.cy;
    if (GetWindowLongA(view, GWL_STYLE) & WS_BORDER) {
        int border = 0;
        if (!SystemParametersInfoA(SPI_GETBORDER, 0, &border, 0)) border = 1;
        size.right += 2 * border;
        size.bottom += 2 * border;
    }
    return size;
}

void ScrollViewTo(HWND view, int x, int y) {
    ViewRecord* record = RecordOf(view);
    if (!record) return;
    const POINT before = record->scroll;
    PlaceView(record, x, y);
    if (before.x != record->scroll.x || before.y != record->scroll.y) ClearSelection(record);
    DrawNow(record);
}

void GetViewPosition(HWND view, POINT* scroll, int* zoom) {
    ViewRecord* record = RecordOf(view);
    if (!record) return;
    if (scroll) *scroll = record->scroll;
    if (zoom) *zoom = record->zoom;
}

void GetViewSourceRect(HWND view, RECT* source, int* zoom) {
    ViewRecord* record = RecordOf(view);
    if (!record) return;
    if (source) *source = record->source;
    if (zoom) *zoom = record->zoom;
}

void SetViewLoading(HWND view, bool loading) {
    ViewRecord* record = RecordOf(view);
    if (!record) return;
    const bool wasLoading = record->loading != 0;
    record->loading = loading;
    if (loading && !wasLoading) record->rowsFirst = record->rowsReady = 0;
    // Repaints skipped while loading are made up for.
    if (!loading && wasLoading) InvalidateRect(view, nullptr, FALSE);
}

bool IsViewLoading(HWND view) {
    ViewRecord* record = RecordOf(view);
    return record && record->loading;
}

bool IsViewLargerThanClient(HWND view) {
    ViewRecord* record = RecordOf(view);
    return record && record->largerThanView;
}

bool ViewHasPicture(HWND view) {
    ViewRecord* record = RecordOf(view);
    return record && record->display;
}

bool ViewHasSelection(HWND view) {
    ViewRecord* record = RecordOf(view);
    return record && record->selectionPresent;
}

void EnableViewSelection(HWND view, HCURSOR cursor, bool (*mayStart)()) {
    ViewRecord* record = RecordOf(view);
    if (!record) return;
    record->selectable = 1;
    record->selectionCursor = cursor;
    record->mayStartSelection = mayStart;
}

bool GetViewSelection(HWND view, RECT* client) {
    ViewRecord* record = RecordOf(view);
    if (!record || !record->selectionPresent) return false;
    if (client) *client = record->selection;
    return true;
}

bool GetViewSelectionInPicture(HWND view, RECT* picture) {
    ViewRecord* record = RecordOf(view);
    if (!record || !record->selectionPresent || !record->display) return false;
    const SIZE size = {record->display->width, record->display->height};
    const RECT r = SelectionToPicture(record->selection, record->scroll, record->zoom, size);
    if (!HasArea(r)) return false;
    if (picture) *picture = r;
    return true;
}

void ClearViewSelection(HWND view) {
    ViewRecord* record = RecordOf(view);
    if (!record) return;
    const bool shown = record->selectionPresent || record->selecting;
    if (record->selecting && GetCapture() == view) ReleaseCapture();
    ClearSelection(record);
    if (shown) InvalidateRect(view, nullptr, FALSE);
}

void ViewArrowKey(HWND view, UINT virtualKey) {
    ViewRecord* record = RecordOf(view);
    if (!record || !record->largerThanView) return;
    constexpr int kStep = 32;
    int x = record->scroll.x, y = record->scroll.y;
    switch (virtualKey) {
    case VK_LEFT: x -= kStep; break;
    case VK_RIGHT: x += kStep; break;
    case VK_UP: y -= kStep; break;
    case VK_DOWN: y += kStep; break;
    default: return;
    }
    ScrollViewTo(view, x, y);
}
