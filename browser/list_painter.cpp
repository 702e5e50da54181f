#include "list_painter.h"

#include "dib.h"
#include "file_list.h"
#include "item_model.h"
#include "load.h"
#include "paint.h"
#include "picture.h"
#include "resource_ids.h"
#include "settings.h"
#include "program.h"
#include "win_guards.h"
#include "thumbnail_maker.h"

namespace {

constexpr int kSmallestFrame = 24;
constexpr COLORREF kSelectionColor = RGB(0, 0, 128);
constexpr COLORREF kHotColor = RGB(192, 0, 0);
constexpr COLORREF kGridColor = RGB(128, 128, 128);

struct DrawingObjects {
    HBRUSH background = nullptr;
    HBRUSH selection = nullptr;
    HBRUSH hot = nullptr;
    HBRUSH grid = nullptr;
    HPEN selectionPen = nullptr;
    HPEN hotPen = nullptr;
    HPEN whitePen = nullptr;
    bool sizeText = true;   // "EnablePicSize"
};

DrawingObjects g_objects;
DibBlock* g_frame = nullptr;   // the picture frame of thumbnail cells, or none

const DrawingObjects& Objects() {
    if (!g_objects.background) {
        g_objects.background = CreateSolidBrush(settings::Read(settings::kBackgroundColor));
        g_objects.selection = CreateSolidBrush(kSelectionColor);
        g_objects.hot = CreateSolidBrush(kHotColor);
        g_objects.grid = CreateSolidBrush(kGridColor);
        g_objects.selectionPen = CreatePen(PS_SOLID, 1, kSelectionColor);
        g_objects.hotPen = CreatePen(PS_SOLID, 1, kHotColor);
        g_objects.whitePen = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
        g_objects.sizeText = settings::Read(settings::kEnablePicSize);
    }
    return g_objects;
}

// A built-in frame bitmap as a 32-bit block.
DibBlock* BlockOfBitmap(HINSTANCE module, UINT id) {
    GdiObject<HBITMAP> bitmap(static_cast<HBITMAP>(
        LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!bitmap) return nullptr;
    BITMAP facts = {};
    DibBlock* block = nullptr;
    if (GetObjectA(bitmap, sizeof facts, &facts) && facts.bmWidth > 0 && facts.bmHeight > 0)
        block = CreateDib(facts.bmWidth, facts.bmHeight);
    if (block) {
        WindowDC screen(nullptr);
        BITMAPINFOHEADER header = *block->header;
        if (!GetDIBits(screen, bitmap, 0, static_cast<UINT>(facts.bmHeight), block->pixels,
                       reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS)) {
            FreeDib(block);
            block = nullptr;
        }
    }
    return block;
}

// The picture to draw of a thumbnail object: its 32-bit copy on a 32-bit
// display, else the copy prepared for the display.
const DibBlock* Drawable(const Picture* picture) {
    if (!picture) return nullptr;
    return GetPictureDisplayDepth() == 32 || !picture->display ? picture->working : picture->display;
}

bool ItemRect(HWND list, int index, int part, RECT* rect) {
    rect->left = part;
    return SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(rect)) != 0;
}

UINT LiveState(HWND list, int index, const BrowserItem& item) {
    const UINT state = static_cast<UINT>(
        SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(index), LVIS_SELECTED | LVIS_DROPHILITED));
    UINT marks = 0;
    if (state & LVIS_SELECTED) marks |= kMarkSelected;
    if ((state & LVIS_DROPHILITED) || (item.displayState & kMarkHot)) marks |= kMarkHot;
    return marks;
}

HBRUSH LabelBrush(const BrowserItem& item, bool selected) {
    if (selected) return Objects().selection;
    return item.typeBrush && *item.typeBrush ? *item.typeBrush : Objects().background;
}

// The picture of a thumbnail cell: an animated item's current frame, else
// the thumbnail.
const Picture* CellPicture(const BrowserItem& item) {
    if (item.frames && item.frameCount > 1 && item.currentFrame < item.frameCount)
        return item.frames[item.currentFrame];
    return item.thumbnail;
}

// A cut item's picture or icon is half covered by the background in a fine
// checker, as the shell shows files that a paste will move.
void DimCutPicture(HDC dc, const RECT& rect) {
    static const WORD kChecker[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
    GdiObject<HBITMAP> pattern(CreateBitmap(8, 8, 1, 1, kChecker));
    GdiObject<HBRUSH> brush(CreatePatternBrush(pattern));
    if (!brush) return;
    LOGBRUSH background = {};
    GetObjectA(Objects().background, sizeof background, &background);
    // Set bits become black (keep), clear ones white: first clear the
    // chosen pixels, then paint them in the background colour.
    const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
    const COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
    SelectedObject selected(dc, brush);
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    PatBlt(dc, rect.left, rect.top, w, h, 0x00A000C9);   // dest AND pattern
    SetTextColor(dc, background.lbColor);
    SetBkColor(dc, RGB(0, 0, 0));
    PatBlt(dc, rect.left, rect.top, w, h, 0x00FA0089);   // dest OR pattern
    SetTextColor(dc, oldText);
    SetBkColor(dc, oldBack);
}

// The outline two pixels outside a selected or hot picture: the mark's
// colour, a white highlight inside along the top and left and outside
// along the bottom and right.
void DrawMarkedBorder(HDC dc, const RECT& around, HPEN pen) {
    SelectedObject penSelection(dc, pen);
    SelectedObject brushSelection(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, around.left, around.top, around.right, around.bottom);
    SelectObject(dc, Objects().whitePen);
    MoveToEx(dc, around.left + 1, around.bottom - 2, nullptr);
    LineTo(dc, around.left + 1, around.top + 1);
    LineTo(dc, around.right - 1, around.top + 1);
    MoveToEx(dc, around.left, around.bottom, nullptr);
    LineTo(dc, around.right, around.bottom);
    LineTo(dc, around.right, around.top - 1);
}

// Steps shared by painting a cell and animating it: the frame or background,
// the mark inside it, the picture in its border, the shell icon of an item
// without a thumbnail, and the raised edge under the cursor.
void PaintCellBody(HDC dc, const ListPaintSetup& setup, const RECT& cell, const BrowserItem& item,
                   UINT marks, bool hovered, bool background) {
    const int x = cell.left, y = cell.top;
    if (background) {
        if (g_frame) PaintDib(dc, cell, g_frame);
        else FillRect(dc, &cell, Objects().background);
        const RECT inner = {x + setup.marginX, y + setup.marginY, x + setup.cellWidth - setup.marginX,
                            y + setup.cellHeight - setup.marginY};
        if (marks & kMarkSelected) FillRect(dc, &inner, Objects().selection);
        else if (marks & kMarkHot) FillRect(dc, &inner, Objects().hot);
    }
    if (const DibBlock* block = Drawable(CellPicture(item))) {
        const SIZE fitted = FitIntoBox(setup.cellWidth - 2 * setup.marginX, setup.cellHeight - 2 * setup.marginY,
                                       DibWidth(block), DibHeight(block));
        RECT picture = {x + (setup.cellWidth - fitted.cx) / 2, y + (setup.cellHeight - fitted.cy) / 2, 0, 0};
        picture.right = picture.left + fitted.cx;
        picture.bottom = picture.top + fitted.cy;
        PaintDib(dc, picture, block);
        if (IsCutItem(item)) DimCutPicture(dc, picture);
        RECT around = {picture.left - 2, picture.top - 2, picture.right + 2, picture.bottom + 2};
        if (marks & kMarkSelected) DrawMarkedBorder(dc, around, Objects().selectionPen);
        else if (marks & kMarkHot) DrawMarkedBorder(dc, around, Objects().hotPen);
        else DrawEdge(dc, &around, EDGE_ETCHED, BF_RECT);
    } else if (background && setup.largeIcons) {
        const int size = GetSystemMetrics(SM_CXICON);
        ImageList_Draw(setup.largeIcons, ItemIconIndex(const_cast<BrowserItem&>(item)), dc,
                       x + (setup.cellWidth - size) / 2, y + (setup.cellHeight - size) / 2, ILD_TRANSPARENT);
    }
    if (hovered) {
        RECT edge = cell;
        DrawEdge(dc, &edge, EDGE_RAISED, BF_RECT);
    }
}

void Validate(HDC dc, HWND list, const RECT& rect) {
    ValidateRect(list, &rect);
    ExcludeClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
}

void PaintThumbnailItem(HDC dc, const ListPaintSetup& setup, int index, const BrowserItem& item, bool sizeText) {
    RECT icon;
    if (!ItemRect(setup.list, index, LVIR_ICON, &icon)) return;
    const UINT marks = LiveState(setup.list, index, item);
    const RECT cell = ThumbnailCellRect(icon, setup.cellWidth, setup.cellHeight);
    PaintCellBody(dc, setup, cell, item, marks, index == setup.hot, true);
    const RECT label = ThumbnailLabelRect(setup.list, icon, setup.cellWidth, setup.cellHeight);
    DrawItemLabel(dc, label, item, (marks & kMarkSelected) != 0, sizeText && item.state == kItemPicture);
    Validate(dc, setup.list, icon);
    Validate(dc, setup.list, cell);
    Validate(dc, setup.list, label);
}

// Large icons, small icons and list: the icon-size copy of the thumbnail
// (or the shell icon) and the label the control lays out.
void PaintIconItem(HDC dc, const ListPaintSetup& setup, int index, const BrowserItem& item) {
    RECT icon, label;
    if (!ItemRect(setup.list, index, LVIR_ICON, &icon) || !ItemRect(setup.list, index, LVIR_LABEL, &label)) return;
    const UINT marks = LiveState(setup.list, index, item);
    const bool large = setup.mode == kModeLargeIcons;
    FillRect(dc, &icon, Objects().background);
    const Picture* copy = large ? item.largeIcon : item.smallIcon;
    const int size = GetSystemMetrics(large ? SM_CXICON : SM_CXSMICON);
    const int sizeY = GetSystemMetrics(large ? SM_CYICON : SM_CYSMICON);
    const int left = icon.left + (icon.right - icon.left - size) / 2 + item.drawOffsetX;
    const int top = icon.top + (large ? (icon.bottom - icon.top - sizeY) / 2 : 0) + item.drawOffsetY;
    if (const DibBlock* block = Drawable(copy)) {
        const int w = DibWidth(block), h = DibHeight(block);
        RECT at = {left + (size - w) / 2, top + (sizeY - h) / 2, 0, 0};
        at.right = at.left + w;
        at.bottom = at.top + h;
        PaintDib(dc, at, block);
        if (IsCutItem(item)) DimCutPicture(dc, at);
        if (marks & kMarkSelected) {
            RECT around = {at.left - 1, at.top - 1, at.right + 1, at.bottom + 1};
            FrameRect(dc, &around, Objects().selection);
        }
    } else {
        HIMAGELIST images = large ? setup.largeIcons : setup.smallIcons;
        if (images)
            ImageList_Draw(images, ItemIconIndex(const_cast<BrowserItem&>(item)), dc, left, top,
                           ILD_TRANSPARENT | ((marks & kMarkSelected) ? ILD_SELECTED : 0) |
                               (IsCutItem(item) ? ILD_BLEND50 : 0));
    }
    if (index == setup.hot) {
        RECT edge = icon;
        DrawEdge(dc, &edge, EDGE_RAISED, BF_RECT);
    }
    if (large) {
        DrawItemLabel(dc, label, item, (marks & kMarkSelected) != 0, false);
    } else {
        // One line beside the icon, read from the left.
        const bool selected = (marks & kMarkSelected) != 0;
        FillRect(dc, &label, LabelBrush(item, selected));
        SetTextColor(dc, selected ? RGB(255, 255, 255) : RGB(0, 0, 0));
        RECT text = label;
        text.left += 2;
        DrawTextA(dc, item.name, -1, &text, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
    Validate(dc, setup.list, icon);
    Validate(dc, setup.list, label);
}

void GridOutline(HDC dc, const RECT& cell) { FrameRect(dc, &cell, Objects().grid); }

void PaintDetailsRow(HDC dc, const ListPaintSetup& setup, int index, BrowserItem& item) {
    RECT row, icon, label;
    if (!ItemRect(setup.list, index, LVIR_BOUNDS, &row)) return;
    const bool selected = (LiveState(setup.list, index, item) & kMarkSelected) != 0;
    FillRect(dc, &row, LabelBrush(item, selected));
    SetTextColor(dc, selected ? RGB(255, 255, 255) : GetSysColor(COLOR_WINDOWTEXT));
    if (ItemRect(setup.list, index, LVIR_ICON, &icon)) {
        if (const DibBlock* block = Drawable(item.smallIcon)) {
            RECT at = {icon.left + item.drawOffsetX, icon.top + item.drawOffsetY + 1, 0, 0};
            at.right = at.left + DibWidth(block);
            at.bottom = at.top + DibHeight(block);
            PaintDib(dc, at, block);
            if (IsCutItem(item)) DimCutPicture(dc, at);
        } else if (setup.smallIcons) {
            ImageList_Draw(setup.smallIcons, ItemIconIndex(item), dc, icon.left, icon.top + 1,
                           ILD_TRANSPARENT | (IsCutItem(item) ? ILD_BLEND50 : 0));
        }
    }
    if (ItemRect(setup.list, index, LVIR_LABEL, &label)) {
        RECT text = label;
        text.left += 2;
        DrawTextA(dc, item.name, -1, &text, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
        RECT cell = {row.left, row.top, label.right, row.bottom};
        GridOutline(dc, cell);
    }
    int left = -1;
    for (int column = 1; column < 5; ++column) {
        RECT cell = {};
        cell.top = column;
        cell.left = LVIR_BOUNDS;
        if (!SendMessageA(setup.list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&cell))) {
            // Laid out from the column widths, one after the other.
            if (left < 0) left = row.left + static_cast<int>(SendMessageA(setup.list, LVM_GETCOLUMNWIDTH, 0, 0));
            cell = {left, row.top, left + static_cast<int>(SendMessageA(setup.list, LVM_GETCOLUMNWIDTH, column, 0)),
                    row.bottom};
        }
        left = cell.right;
        const std::string value = ItemColumnText(item, column);
        RECT text = cell;
        text.left += 1;
        text.right -= 2;
        DrawTextA(dc, value.c_str(), -1, &text, DT_RIGHT | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
        GridOutline(dc, cell);
    }
    Validate(dc, setup.list, row);
}

}  // namespace

SIZE LoadCellFrame() {
    FreeCellFrame();
    const int index = settings::Read(settings::kBackgroundIndex);
    if (index >= 0 && index <= 3) {
        g_frame = BlockOfBitmap(Program().mainModule, IDB_THUMB_FRAME_PANEL + static_cast<UINT>(index));
    } else if (index == -1) {
        const std::string path = settings::Read(settings::kPictureFrameImage);
        if (!path.empty()) {
            DecodingLock lock;
            g_frame = LoadFirstPageDib(path.c_str());
        }
    }
    if (g_frame && (DibWidth(g_frame) < kSmallestFrame || DibHeight(g_frame) < kSmallestFrame)) FreeCellFrame();
    SIZE cell = {64, 64};
    if (g_frame) cell = {DibWidth(g_frame), DibHeight(g_frame)};
    return cell;
}

void FreeCellFrame() {
    FreeDib(g_frame);
    g_frame = nullptr;
}

void ResetListBrushes() {
    FreeListBrushes();
    Objects();
}

void FreeListBrushes() {
    for (HGDIOBJ object : {static_cast<HGDIOBJ>(g_objects.background), static_cast<HGDIOBJ>(g_objects.selection),
                           static_cast<HGDIOBJ>(g_objects.hot), static_cast<HGDIOBJ>(g_objects.grid),
                           static_cast<HGDIOBJ>(g_objects.selectionPen), static_cast<HGDIOBJ>(g_objects.hotPen),
                           static_cast<HGDIOBJ>(g_objects.whitePen)})
        if (object) DeleteObject(object);
    g_objects = DrawingObjects();
}

RECT ThumbnailCellRect(const RECT& icon, int cellWidth, int cellHeight) {
    RECT cell;
    cell.left = icon.left + (icon.right - icon.left - cellWidth) / 2;
    cell.top = icon.top;
    cell.right = cell.left + cellWidth;
    cell.bottom = cell.top + cellHeight;
    return cell;
}

RECT ThumbnailLabelRect(HWND list, const RECT& icon, int cellWidth, int cellHeight) {
    const DWORD spacing = static_cast<DWORD>(SendMessageA(list, LVM_GETITEMSPACING, FALSE, 0));
    int width = LOWORD(spacing) - 4;
    if (width < cellWidth) width = cellWidth;
    const int centre = (icon.left + icon.right) / 2;
    RECT label;
    label.left = centre - width / 2;
    label.right = label.left + width;
    label.top = icon.top + cellHeight + 1;
    label.bottom = icon.top + HIWORD(spacing) - 2;
    if (label.bottom < label.top) label.bottom = label.top;
    return label;
}

std::vector<std::string> BreakLabelLines(const std::string& text, int maxChars, int maxLines) {
    std::vector<std::string> lines;
    if (maxChars < 1) maxChars = 1;
    size_t at = 0;
    while (at < text.size() && static_cast<int>(lines.size()) < maxLines) {
        while (at < text.size() && text[at] == ' ') ++at;
        if (at >= text.size()) break;
        if (static_cast<int>(lines.size()) == maxLines - 1) {
            lines.push_back(text.substr(at));   // the rest, drawn with an ellipsis
            break;
        }
        size_t take = text.size() - at;
        if (take > static_cast<size_t>(maxChars)) {
            take = static_cast<size_t>(maxChars);
            // Back to just after the last blank within the line, if any.
            const size_t blank = text.rfind(' ', at + take - 1);
            if (blank != std::string::npos && blank >= at && blank + 1 > at) take = blank + 1 - at;
            // A double-byte character is never split in half.
            else if (IsDBCSLeadByte(static_cast<BYTE>(text[at + take - 1]))) {
                size_t i = at;
                while (i < at + take) i += IsDBCSLeadByte(static_cast<BYTE>(text[i])) ? 2 : 1;
                if (i > at + take) take -= 1;
                if (take == 0) take = 2;
            }
        }
        std::string line = text.substr(at, take);
        while (!line.empty() && line.back() == ' ') line.pop_back();
        lines.push_back(line);
        at += take;
    }
    return lines;
}

int DrawItemLabel(HDC dc, const RECT& rect, const BrowserItem& item, bool selected, bool sizeText) {
    RECT area = rect;
    FillRect(dc, &area, LabelBrush(item, selected));
    SetTextColor(dc, selected ? RGB(255, 255, 255) : RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    const int lineHeight = metrics.tmHeight > 0 ? metrics.tmHeight : 13;
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    const char* name = item.name;
    const int length = lstrlenA(name);
    const UINT oneLine = DT_CENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX;
    int lines = 0;
    SIZE extent = {};
    GetTextExtentPoint32A(dc, name, length, &extent);
    if (extent.cx <= width || height < lineHeight) {
        // Fits on one line (or no room for more): centred, with an ellipsis.
        RECT line = {rect.left, rect.top, rect.right, rect.top + lineHeight};
        if (height < lineHeight) line.bottom = rect.bottom;
        DrawTextA(dc, name, length, &line, oneLine | DT_VCENTER);
        lines = 1;
    } else {
        RECT wrapped = {rect.left, rect.top, rect.right, rect.top};
        DrawTextA(dc, name, length, &wrapped, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT | DT_EDITCONTROL);
        const int wrappedLines = (wrapped.bottom - wrapped.top + lineHeight - 1) / lineHeight;
        if (wrapped.right - wrapped.left <= width && wrapped.bottom - wrapped.top <= height) {
            RECT place = {rect.left, rect.top, rect.right, rect.top + (wrapped.bottom - wrapped.top)};
            DrawTextA(dc, name, length, &place, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
            lines = wrappedLines;
        } else if (height >= 2 * lineHeight) {
            const int average = metrics.tmAveCharWidth > 0 ? metrics.tmAveCharWidth : 6;
            const std::vector<std::string> parts = BreakLabelLines(name, width / average, height / lineHeight);
            for (const std::string& part : parts) {
                RECT line = {rect.left, rect.top + lines * lineHeight, rect.right, rect.top + (lines + 1) * lineHeight};
                DrawTextA(dc, part.c_str(), static_cast<int>(part.size()), &line, oneLine);
                ++lines;
            }
        } else {
            RECT line = rect;
            DrawTextA(dc, name, length, &line, oneLine | DT_VCENTER);
            lines = 1;
        }
    }
    if (sizeText && lines < 3 && item.info[0] && height >= 2 * lineHeight) {
        const int bottom = rect.bottom - (lines == 2 ? 1 : 0);
        RECT line = {rect.left, bottom - lineHeight, rect.right, bottom};
        DrawTextA(dc, item.info, -1, &line, oneLine);
    }
    return lines;
}

// A bitmap the paint draws into before one copy to the screen: the many
// small fills, frames and texts of the rows then cost no trip to the display
// each, and nothing flickers.  Null when there is no memory for it (the paint
// then goes straight to the screen).
struct PaintBuffer {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    PaintBuffer(HDC screen, const RECT& area) {
        const int width = area.right - area.left, height = area.bottom - area.top;
        if (width <= 0 || height <= 0) return;
        dc = CreateCompatibleDC(screen);
        bitmap = dc ? CreateCompatibleBitmap(screen, width, height) : nullptr;
        if (!bitmap) return;
        old = SelectObject(dc, bitmap);
        // The rows are drawn at their places in the list's client area.
        SetViewportOrgEx(dc, -area.left, -area.top, nullptr);
        if (HPALETTE palette = static_cast<HPALETTE>(GetCurrentObject(screen, OBJ_PAL)))
            SelectPalette(dc, palette, TRUE);
    }
    ~PaintBuffer() {
        if (old) SelectObject(dc, old);
        if (bitmap) DeleteObject(bitmap);
        if (dc) DeleteDC(dc);
    }
    bool Ready() const { return bitmap != nullptr; }
};

void PaintFileList(const ListPaintSetup& setup) {
    PAINTSTRUCT ps;
    HDC screen = BeginPaint(setup.list, &ps);
    PaintBuffer buffer(screen, ps.rcPaint);
    HDC dc = buffer.Ready() ? buffer.dc : screen;
    // The buffer starts as the background the screen would show.
    if (buffer.Ready()) FillRect(dc, &ps.rcPaint, Objects().background);
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    const bool sizeText = setup.mode == kModeThumbnails && Objects().sizeText;
    {
        ItemModelLock hold;
        for (int i = setup.first; i < setup.end; ++i) {
            BrowserItem* item = ShownItem(i);
            if (!item) continue;
            if (setup.mode == kModeThumbnails) PaintThumbnailItem(dc, setup, i, *item, sizeText);
            else if (setup.mode == kModeDetails) PaintDetailsRow(dc, setup, i, *item);
            else PaintIconItem(dc, setup, i, *item);
        }
        // The label of the item under the cursor once more, on top, as selected.
        if (setup.mode == kModeThumbnails && setup.hot >= setup.first && setup.hot < setup.end) {
            RECT icon;
            const BrowserItem* item = ShownItem(setup.hot);
            if (item && ItemRect(setup.list, setup.hot, LVIR_ICON, &icon)) {
                SelectClipRgn(dc, nullptr);
                DrawItemLabel(dc, ThumbnailLabelRect(setup.list, icon, setup.cellWidth, setup.cellHeight), *item,
                              true, sizeText && item->state == kItemPicture);
            }
        }
    }
    // What no item covered.
    FillRect(dc, &ps.rcPaint, Objects().background);
    SelectObject(dc, oldFont);
    if (buffer.Ready()) {
        SelectClipRgn(dc, nullptr);
        BitBlt(screen, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
               ps.rcPaint.bottom - ps.rcPaint.top, dc, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
    }
    EndPaint(setup.list, &ps);
}

void AnimateThumbnailCells(const ListPaintSetup& setup) {
    if (setup.mode != kModeThumbnails) return;
    RECT client;
    GetClientRect(setup.list, &client);
    WindowDC dc(setup.list);
    if (!dc) return;
    {
        ItemModelLock hold;
        for (int i = setup.first; i < setup.end; ++i) {
            BrowserItem* item = ShownItem(i);
            if (!item || item->frameCount < 2 || !item->frames) continue;
            RECT icon;
            if (!ItemRect(setup.list, i, LVIR_ICON, &icon)) continue;
            const POINT corners[4] = {{icon.left, icon.top}, {icon.right - 1, icon.top},
                                      {icon.left, icon.bottom - 1}, {icon.right - 1, icon.bottom - 1}};
            bool touches = false;
            for (const POINT& corner : corners) touches = touches || PtInRect(&client, corner);
            if (!touches) continue;
            // A frame smaller than the one before leaves parts of it behind:
            // the cell is painted afresh first.
            const int previous = item->currentFrame ? item->currentFrame - 1 : item->frameCount - 1;
            const DibBlock* now = Drawable(item->frames[item->currentFrame]);
            const DibBlock* before = Drawable(item->frames[previous]);
            const bool smaller = now && before && (DibWidth(now) < DibWidth(before) || DibHeight(now) < DibHeight(before));
            const RECT cell = ThumbnailCellRect(icon, setup.cellWidth, setup.cellHeight);
            PaintCellBody(dc, setup, cell, *item, LiveState(setup.list, i, *item), i == setup.hot, smaller);
            item->currentFrame = static_cast<WORD>((item->currentFrame + 1) % item->frameCount);
        }
    }
}
