#include "menu_painter.h"

#include <commctrl.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "commands.h"
#include "resource_ids.h"
#include "settings.h"
#include "win_guards.h"
#include "program.h"

namespace {

// Layout, in pixels.  An item row: the band, the image column, the label,
// the accelerator text right-aligned, room for a submenu arrow.
constexpr int kImageSize = 16;
constexpr int kImageColumn = kImageSize + 6;  // 3 free on either side
constexpr int kBandPadding = 4;               // either side of the upright text
constexpr int kLabelGap = 6;                  // image column to label
constexpr int kAccelGap = 24;                 // label to accelerator text
constexpr int kRightRoom = 18;                // the submenu arrow
constexpr int kSeparatorHeight = 8;

// What the painter keeps of an item it paints.  dwItemData points here; the
// records belong to the menu that was handed to PaintMenuBar.
struct ItemRecord {
    std::string text;  // with "&" and "\t", as the menu resource has it
    int image = -1;
    bool separator = false;
    bool popup = false;
};

struct Painter {
    HFONT font = nullptr;
    HFONT boldFont = nullptr;  // the default item
    HFONT bandFont = nullptr;  // the caption font turned upright
    HIMAGELIST images = nullptr;
    HIMAGELIST greyImages = nullptr;  // for disabled items
    std::string bandText;
    int bandWidth = 0;  // 0: no band
    int itemHeight = 0;

    // Records by the menu they were painted for; the set answers "is this
    // dwItemData one of ours" without touching memory.
    std::map<HMENU, std::vector<std::unique_ptr<ItemRecord>>> records;
    std::set<const ItemRecord*> live;
    std::map<HMENU, HMENU> popups;  // every painted popup -> its menu
};

Painter* g_painter = nullptr;

int ImageFor(UINT command) {
    switch (command) {
    case IDC_OPEN: return MENU_IMAGE_OPEN;
    case IDC_SAVE_AS:
    case IDC_CONVERT_PICTURE:
    case IDC_COPY_SELECTION_TO_FILE: return MENU_IMAGE_SAVE;
    case IDC_PRINT:
    case IDC_BROWSER_PRINT: return MENU_IMAGE_PRINT;
    case IDC_EXIT: return MENU_IMAGE_EXIT;
    case IDC_BROWSE:
    case IDC_SHOW_BROWSER: return MENU_IMAGE_BROWSE;
    case IDC_FIRST_PICTURE: return MENU_IMAGE_FIRST;
    case IDC_PREVIOUS_PICTURE: return MENU_IMAGE_PREVIOUS;
    case IDC_NEXT_PICTURE: return MENU_IMAGE_NEXT;
    case IDC_LAST_PICTURE: return MENU_IMAGE_LAST;
    case IDC_PREVIOUS_PAGE: return MENU_IMAGE_PREVIOUS_PAGE;
    case IDC_NEXT_PAGE: return MENU_IMAGE_NEXT_PAGE;
    case IDC_PLAY_PAGES: return MENU_IMAGE_PLAY;
    case IDC_STOP_PAGES: return MENU_IMAGE_STOP;
    case IDC_SEQUENCE_SHOW: return MENU_IMAGE_SEQUENCE;
    case IDC_RELOAD:
    case IDC_DECODE_AGAIN: return MENU_IMAGE_RELOAD;
    case IDC_ZOOM_IN:
    case IDC_ZOOM_TO_SELECTION: return MENU_IMAGE_ZOOM_IN;
    case IDC_ZOOM_NORMAL: return MENU_IMAGE_ZOOM_NORMAL;
    case IDC_ZOOM_OUT: return MENU_IMAGE_ZOOM_OUT;
    case IDC_FULL_SCREEN: return MENU_IMAGE_FULL_SCREEN;
    case IDC_PICTURE_TO_CLIPBOARD:
    case IDC_PICTURE_TO_CLIPBOARD_2:
    case IDC_COPY_SELECTION_TO_CLIP:
    case IDC_THUMB_TO_CLIPBOARD:
    case IDC_THUMB_TO_CLIPBOARD_2: return MENU_IMAGE_CLIPBOARD;
    case IDC_SET_WALLPAPER:
    case IDC_RESTORE_WALLPAPER: return MENU_IMAGE_WALLPAPER;
    case IDC_FLIP: return MENU_IMAGE_FLIP;
    case IDC_MIRROR: return MENU_IMAGE_MIRROR;
    case IDC_ROTATE_LEFT: return MENU_IMAGE_ROTATE_LEFT;
    case IDC_ROTATE_RIGHT:
    case IDC_ROTATE_180: return MENU_IMAGE_ROTATE_RIGHT;
    case IDC_ABOUT:
    case IDC_BROWSER_ABOUT: return MENU_IMAGE_ABOUT;
    case IDC_FIND_FILES: return MENU_IMAGE_FIND;
    case IDC_DELETE: return MENU_IMAGE_DELETE;
    case IDC_RENAME:
    case IDC_MULTI_RENAME: return MENU_IMAGE_RENAME;
    case IDC_BROWSER_SETTINGS: return MENU_IMAGE_SETTINGS;
    case IDC_PARENT_FOLDER: return MENU_IMAGE_PARENT_FOLDER;
    case IDC_BACKWARD: return MENU_IMAGE_BACKWARD;
    case IDC_FORWARD: return MENU_IMAGE_FORWARD;
    case IDC_MODE_THUMBNAILS: return MENU_IMAGE_THUMBNAILS;
    case IDC_MODE_LARGE_ICONS: return MENU_IMAGE_LARGE_ICONS;
    case IDC_MODE_SMALL_ICONS: return MENU_IMAGE_SMALL_ICONS;
    case IDC_MODE_LIST: return MENU_IMAGE_LIST;
    case IDC_MODE_DETAILS: return MENU_IMAGE_DETAILS;
    case IDC_ENABLE_PREVIEW: return MENU_IMAGE_PREVIEW;
    case IDC_OPEN_SELECTED: return MENU_IMAGE_PICTURE;
    default: return -1;
    }
}

// ---------------------------------------------------------------------------
// Images.

HBITMAP LoadStrip(HINSTANCE module) {
    return static_cast<HBITMAP>(
        LoadImageA(module, MAKEINTRESOURCEA(IDB_MENU_IMAGES), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

// A faded grey copy of the strip for disabled items; the transparent blue
// stays blue.
HBITMAP GreyStrip(HBITMAP strip) {
    BITMAP info;
    if (!GetObjectA(strip, sizeof info, &info)) return nullptr;
    BITMAPINFO header = {};
    header.bmiHeader.biSize = sizeof header.bmiHeader;
    header.bmiHeader.biWidth = info.bmWidth;
    header.bmiHeader.biHeight = -info.bmHeight;
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    header.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    GdiObject<HBITMAP> grey;
    {
        WindowDC screen(nullptr);
        grey.reset(CreateDIBSection(screen, &header, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!grey || !GetDIBits(screen, strip, 0, info.bmHeight, bits, &header, DIB_RGB_COLORS)) return nullptr;
    }
    DWORD* pixel = static_cast<DWORD*>(bits);
    const DWORD blue = 0x0000FF;  // 0x00RRGGBB in a 32-bit DIB
    for (LONG i = 0; i < info.bmWidth * info.bmHeight; ++i) {
        if ((pixel[i] & 0xFFFFFF) == blue) continue;
        DWORD r = (pixel[i] >> 16) & 0xFF, g = (pixel[i] >> 8) & 0xFF, b = pixel[i] & 0xFF;
        DWORD level = 96 + (r * 30 + g * 59 + b * 11) / 100 * 5 / 8;  // 96 .. 255
        pixel[i] = (level << 16) | (level << 8) | level;
    }
    return grey.release();
}

HIMAGELIST MakeImageList(HBITMAP strip) {
    if (!strip) return nullptr;
    BITMAP info;
    GetObjectA(strip, sizeof info, &info);
    HIMAGELIST list = ImageList_Create(kImageSize, kImageSize, ILC_COLOR24 | ILC_MASK, info.bmWidth / kImageSize, 0);
    if (list && ImageList_AddMasked(list, strip, IMAGE_LIST_MASK_COLOUR) < 0) {
        ImageList_Destroy(list);
        list = nullptr;
    }
    return list;
}

// ---------------------------------------------------------------------------
// Records.

bool IsOurs(ULONG_PTR data) {
    return g_painter && data && g_painter->live.count(reinterpret_cast<const ItemRecord*>(data));
}

std::string ItemString(HMENU menu, UINT position) {
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    if (!GetMenuItemInfoA(menu, position, TRUE, &info) || info.cch == 0) return std::string();
    std::vector<char> text(info.cch + 1);
    info.dwTypeData = text.data();
    info.cch = static_cast<UINT>(text.size());
    if (!GetMenuItemInfoA(menu, position, TRUE, &info)) return std::string();
    return text.data();
}

void PaintPopup(HMENU popup, HMENU owner, std::vector<std::unique_ptr<ItemRecord>>& records,
                std::set<const ItemRecord*>& seen) {
    g_painter->popups[popup] = owner;
    int count = GetMenuItemCount(popup);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA;
        if (!GetMenuItemInfoA(popup, i, TRUE, &info)) continue;
        if (info.hSubMenu) PaintPopup(info.hSubMenu, owner, records, seen);
        ItemRecord* record = nullptr;
        if (IsOurs(info.dwItemData)) {
            record = reinterpret_cast<ItemRecord*>(info.dwItemData);
        } else if (info.dwItemData || (info.fType & (MFT_BITMAP | MFT_OWNERDRAW))) {
            continue;  // somebody else's item
        } else {
            records.push_back(std::make_unique<ItemRecord>());
            record = records.back().get();
            g_painter->live.insert(record);
        }
        seen.insert(record);
        // The text is read each time: a window may have renamed the item.
        std::string text = ItemString(popup, i);
        if (!text.empty() || record->text.empty()) record->text = text;
        record->separator = (info.fType & MFT_SEPARATOR) != 0;
        record->popup = info.hSubMenu != nullptr;
        record->image = record->separator || record->popup ? -1 : ImageFor(info.wID);
        if (!(info.fType & MFT_OWNERDRAW) || info.dwItemData != reinterpret_cast<ULONG_PTR>(record)) {
            MENUITEMINFOA change = {};
            change.cbSize = sizeof change;
            change.fMask = MIIM_FTYPE | MIIM_DATA;
            change.fType = info.fType | MFT_OWNERDRAW;
            change.dwItemData = reinterpret_cast<ULONG_PTR>(record);
            SetMenuItemInfoA(popup, i, TRUE, &change);
        }
    }
}

void FreeRecords(std::vector<std::unique_ptr<ItemRecord>>& records, const std::set<const ItemRecord*>& keep) {
    auto gone = std::stable_partition(records.begin(), records.end(),
                                      [&](const std::unique_ptr<ItemRecord>& r) { return keep.count(r.get()) != 0; });
    for (auto it = gone; it != records.end(); ++it) g_painter->live.erase(it->get());
    records.erase(gone, records.end());
}

// Forgets the menus that have been destroyed.
void ForgetDeadMenus() {
    for (auto it = g_painter->records.begin(); it != g_painter->records.end();) {
        if (IsMenu(it->first)) {
            ++it;
            continue;
        }
        FreeRecords(it->second, {});
        for (auto p = g_painter->popups.begin(); p != g_painter->popups.end();)
            p = p->second == it->first ? g_painter->popups.erase(p) : std::next(p);
        it = g_painter->records.erase(it);
    }
}

void PaintOwner(HMENU menu) {
    ForgetDeadMenus();
    for (auto p = g_painter->popups.begin(); p != g_painter->popups.end();)
        p = p->second == menu ? g_painter->popups.erase(p) : std::next(p);
    auto& records = g_painter->records[menu];
    std::set<const ItemRecord*> seen;
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        HMENU popup = GetSubMenu(menu, i);
        if (popup) PaintPopup(popup, menu, records, seen);
    }
    FreeRecords(records, seen);
}

// Gives the items of a popup tree back to the system.
void UnpaintPopup(HMENU popup) {
    int count = GetMenuItemCount(popup);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_SUBMENU | MIIM_DATA;
        if (!GetMenuItemInfoA(popup, i, TRUE, &info)) continue;
        if (info.hSubMenu) UnpaintPopup(info.hSubMenu);
        if (!IsOurs(info.dwItemData)) continue;
        const ItemRecord* record = reinterpret_cast<const ItemRecord*>(info.dwItemData);
        MENUITEMINFOA change = {};
        change.cbSize = sizeof change;
        change.fMask = MIIM_FTYPE | MIIM_DATA;
        change.fType = info.fType & ~MFT_OWNERDRAW;
        change.dwItemData = 0;
        SetMenuItemInfoA(popup, i, TRUE, &change);
        // A system that dropped the text of owner-drawn items gets it back.
        if (!record->separator && ItemString(popup, i).empty() && !record->text.empty()) {
            change.fMask = MIIM_STRING;
            change.dwTypeData = const_cast<char*>(record->text.c_str());
            SetMenuItemInfoA(popup, i, TRUE, &change);
        }
    }
}

// ---------------------------------------------------------------------------
// Measuring and drawing.

std::string Label(const ItemRecord& record) { return record.text.substr(0, record.text.find('\t')); }

std::string Accelerator(const ItemRecord& record) {
    size_t tab = record.text.find('\t');
    return tab == std::string::npos ? std::string() : record.text.substr(tab + 1);
}

int TextWidth(HDC dc, const std::string& text) {
    if (text.empty()) return 0;
    RECT r = {0, 0, 0, 0};
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_SINGLELINE | DT_CALCRECT);
    return r.right - r.left;
}

bool IsDefault(HMENU menu, const ItemRecord* record) {
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_DATA | MIIM_STATE;
        if (GetMenuItemInfoA(menu, i, TRUE, &info) && info.dwItemData == reinterpret_cast<ULONG_PTR>(record))
            return (info.fState & MFS_DEFAULT) != 0;
    }
    return false;
}

void Measure(MEASUREITEMSTRUCT* measure, const ItemRecord& record) {
    if (record.separator) {
        measure->itemWidth = g_painter->bandWidth + kImageColumn;
        measure->itemHeight = kSeparatorHeight;
        return;
    }
    WindowDC screen(nullptr);
    SelectedObject font(screen, g_painter->boldFont);  // wide enough for the default item too
    int width = g_painter->bandWidth + kImageColumn + kLabelGap + TextWidth(screen, Label(record)) + kRightRoom;
    std::string accelerator = Accelerator(record);
    if (!accelerator.empty()) width += kAccelGap + TextWidth(screen, accelerator);
    measure->itemWidth = width;
    measure->itemHeight = g_painter->itemHeight;
}

int HeightOf(const ItemRecord& record) { return record.separator ? kSeparatorHeight : g_painter->itemHeight; }

// Where the band column of an item's popup column begins and how tall it is:
// the measured heights of the items above it in its column and of the whole
// column (a menu break starts a new column).
void ColumnOf(HMENU menu, const ItemRecord* record, int itemTop, int* columnTop, int* columnHeight) {
    int before = 0, height = 0;
    bool found = false, done = false;
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count && !done; ++i) {
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_DATA;
        if (!GetMenuItemInfoA(menu, i, TRUE, &info)) continue;
        if (i > 0 && (info.fType & (MFT_MENUBREAK | MFT_MENUBARBREAK))) {
            if (found) break;
            before = height = 0;
        }
        int h = IsOurs(info.dwItemData) ? HeightOf(*reinterpret_cast<const ItemRecord*>(info.dwItemData)) : 0;
        if (info.dwItemData == reinterpret_cast<ULONG_PTR>(record)) found = true;
        if (!found) before += h;
        height += h;
    }
    *columnTop = itemTop - before;
    *columnHeight = found ? height : HeightOf(*record);
}

void FillSolid(HDC dc, const RECT& r, COLORREF color) {
    SetBkColor(dc, color);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &r, "", 0, nullptr);
}

COLORREF Mix(COLORREF a, COLORREF b, int part, int whole) {
    auto channel = [&](int x, int y) { return x + (y - x) * part / (whole > 0 ? whole : 1); };
    return RGB(channel(GetRValue(a), GetRValue(b)), channel(GetGValue(a), GetGValue(b)),
               channel(GetBValue(a), GetBValue(b)));
}

// The item's slice of the band: a gradient from the caption colour at the
// bottom to the caption's gradient colour at the top, and the upright text
// reading upwards from the bottom of the column.
void DrawBand(HDC dc, const RECT& item, int columnTop, int columnHeight) {
    RECT band = {item.left, item.top, item.left + g_painter->bandWidth, item.bottom};
    COLORREF top = GetSysColor(COLOR_GRADIENTACTIVECAPTION);
    COLORREF bottom = GetSysColor(COLOR_ACTIVECAPTION);
    for (int y = band.top; y < band.bottom; y += 2) {
        RECT row = {band.left, y, band.right, std::min<LONG>(y + 2, band.bottom)};
        FillSolid(dc, row, Mix(top, bottom, y - columnTop, columnHeight));
    }
    if (g_painter->bandText.empty()) return;
    int saved = SaveDC(dc);
    IntersectClipRect(dc, band.left, band.top, band.right, band.bottom);
    SelectObject(dc, g_painter->bandFont);
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_CAPTIONTEXT));
    // A popup too short for the whole text keeps a plain band rather than
    // show a clipped word.
    SIZE extent = {0, 0};
    int length = static_cast<int>(g_painter->bandText.size());
    GetTextExtentPoint32A(dc, g_painter->bandText.c_str(), length, &extent);
    if (extent.cx + 2 * kBandPadding <= columnHeight) {
        int x = band.left + (g_painter->bandWidth - metrics.tmHeight) / 2;
        int y = columnTop + columnHeight - kBandPadding;
        TextOutA(dc, x, y, g_painter->bandText.c_str(), length);
    }
    RestoreDC(dc, saved);
}

void DrawCheck(HDC dc, const RECT& box, COLORREF color, bool radio) {
    int cx = (box.left + box.right) / 2, cy = (box.top + box.bottom) / 2;
    GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, color));
    GdiObject<HBRUSH> brush(CreateSolidBrush(color));
    SelectedObject penSelection(dc, pen);
    SelectedObject brushSelection(dc, brush);
    if (radio) {
        Ellipse(dc, cx - 3, cy - 3, cx + 4, cy + 4);
    } else {
        for (int d = 0; d < 3; ++d) {  // a tick three pixels thick
            POINT tick[3] = {{cx - 4, cy - 1 + d}, {cx - 1, cy + 2 + d}, {cx + 5, cy - 4 + d}};
            Polyline(dc, tick, 3);
        }
    }
}

void Draw(const DRAWITEMSTRUCT& draw, const ItemRecord& record) {
    HDC dc = draw.hDC;
    HMENU menu = reinterpret_cast<HMENU>(draw.hwndItem);
    const RECT& item = draw.rcItem;
    int saved = SaveDC(dc);

    if (g_painter->bandWidth > 0) {
        int columnTop = item.top, columnHeight = item.bottom - item.top;
        ColumnOf(menu, &record, item.top, &columnTop, &columnHeight);
        DrawBand(dc, item, columnTop, columnHeight);
    }
    RECT body = item;
    body.left += g_painter->bandWidth;

    bool selected = (draw.itemState & ODS_SELECTED) != 0;
    bool disabled = (draw.itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
    bool checked = (draw.itemState & ODS_CHECKED) != 0;
    if (record.separator) {
        FillSolid(dc, body, GetSysColor(COLOR_MENU));
        RECT line = {body.left + 2, (body.top + body.bottom) / 2 - 1, body.right - 2, body.bottom};
        DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
        RestoreDC(dc, saved);
        return;
    }

    FillSolid(dc, body, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
    RECT box = {body.left + 1, body.top + (body.bottom - body.top - kImageColumn + 2) / 2, 0, 0};
    box.right = box.left + kImageColumn - 2;
    box.bottom = box.top + kImageColumn - 2;
    int imageX = box.left + (box.right - box.left - kImageSize) / 2;
    int imageY = box.top + (box.bottom - box.top - kImageSize) / 2;
    if (record.image >= 0 && g_painter->images) {
        if (checked) {  // a checked image sits pressed into a lighter square
            FillSolid(dc, box, Mix(GetSysColor(COLOR_MENU), GetSysColor(COLOR_BTNHIGHLIGHT), 1, 2));
            DrawEdge(dc, &box, BDR_SUNKENOUTER, BF_RECT);
        }
        HIMAGELIST list = disabled && g_painter->greyImages ? g_painter->greyImages : g_painter->images;
        ImageList_Draw(list, record.image, dc, imageX, imageY, ILD_TRANSPARENT);
    } else if (checked) {
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE;
        GetMenuItemInfoA(menu, draw.itemID, FALSE, &info);
        COLORREF color = GetSysColor(disabled ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
        DrawCheck(dc, box, color, (info.fType & MFT_RADIOCHECK) != 0);
    }

    COLORREF text = GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
    if (disabled) {
        text = GetSysColor(COLOR_GRAYTEXT);
        if (selected && text == GetSysColor(COLOR_HIGHLIGHT)) text = GetSysColor(COLOR_BTNFACE);
    }
    SetTextColor(dc, text);
    SetBkMode(dc, TRANSPARENT);
    SelectObject(dc, IsDefault(menu, &record) ? g_painter->boldFont : g_painter->font);
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOCLIP;
    if (draw.itemState & ODS_NOACCEL) format |= DT_HIDEPREFIX;
    RECT label = {box.right + 1 + kLabelGap, body.top, body.right - kRightRoom, body.bottom};
    std::string labelText = Label(record);
    DrawTextA(dc, labelText.c_str(), static_cast<int>(labelText.size()), &label, format | DT_LEFT);
    std::string accelerator = Accelerator(record);
    if (!accelerator.empty())
        DrawTextA(dc, accelerator.c_str(), static_cast<int>(accelerator.size()), &label, format | DT_RIGHT);
    RestoreDC(dc, saved);
}

// The mnemonic of a painted item: the character after a single "&".
char Mnemonic(const std::string& text) {
    for (size_t i = 0; i + 1 < text.size() && text[i] != '\t'; ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] != '&') return text[i + 1];
        ++i;
    }
    return 0;
}

char Upper(char c) {
    // CharUpperA takes a single character in the low word of its pointer.
    UINT_PTR single = static_cast<unsigned char>(c);
    return static_cast<char>(reinterpret_cast<UINT_PTR>(CharUpperA(reinterpret_cast<LPSTR>(single))));
}

LRESULT MenuChar(char key, HMENU menu) {
    char wanted = Upper(key);
    std::vector<int> matches;
    int highlighted = -1;
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_DATA | MIIM_STATE;
        if (!GetMenuItemInfoA(menu, i, TRUE, &info)) continue;
        if (info.fState & MFS_HILITE) highlighted = i;
        if (!IsOurs(info.dwItemData)) continue;
        char mnemonic = Mnemonic(reinterpret_cast<const ItemRecord*>(info.dwItemData)->text);
        if (!mnemonic) continue;
        if (Upper(mnemonic) == wanted) matches.push_back(i);
    }
    if (matches.empty()) return MAKELRESULT(0, MNC_IGNORE);
    if (matches.size() == 1) return MAKELRESULT(matches[0], MNC_EXECUTE);
    // Several items share the key: each press moves to the next of them.
    for (int i : matches) {
        if (i > highlighted) return MAKELRESULT(i, MNC_SELECT);
    }
    return MAKELRESULT(matches[0], MNC_SELECT);
}

}  // namespace

std::string ChooseMenuBandText(const std::string& resourceText, bool oem, const std::string& oemName,
                               const std::string& extName) {
    std::string text = oem ? "#" + oemName + extName : resourceText;
    if (text.empty() || text[0] == '@') return std::string();
    return text[0] == '#' ? text.substr(1) : text;
}

void CreateMenuPainter() {
    DestroyMenuPainter();
    const ProgramState& shell = Program();
    if (!shell.menuIcons) return;
    auto painter = std::make_unique<Painter>();

    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    painter->font = CreateFontIndirectA(&metrics.lfMenuFont);
    LOGFONTA bold = metrics.lfMenuFont;
    bold.lfWeight = FW_BOLD;
    painter->boldFont = CreateFontIndirectA(&bold);
    LOGFONTA upright = metrics.lfCaptionFont;
    upright.lfEscapement = upright.lfOrientation = 900;
    painter->bandFont = CreateFontIndirectA(&upright);

    HBITMAP strip = LoadStrip(shell.resourceModule);
    if (!strip && shell.resourceModule != shell.mainModule) strip = LoadStrip(shell.mainModule);
    painter->images = MakeImageList(strip);
    HBITMAP grey = strip ? GreyStrip(strip) : nullptr;
    painter->greyImages = MakeImageList(grey);
    if (grey) DeleteObject(grey);
    if (strip) DeleteObject(strip);

    painter->bandText = ChooseMenuBandText(ResourceString(IDS_MENU_BAND), shell.oem,
                                           settings::Read(settings::kProductName),
                                           settings::Read(settings::kExtName));

    {
        WindowDC screen(nullptr);
        TEXTMETRICA text;
        SelectedObject font(screen, painter->font);
        GetTextMetricsA(screen, &text);
        painter->itemHeight = std::max<int>(kImageColumn, text.tmHeight + 6);
        if (!painter->bandText.empty()) {
            SelectObject(screen, painter->bandFont);
            GetTextMetricsA(screen, &text);
            painter->bandWidth = text.tmHeight + 2 * kBandPadding;
        }
    }
    g_painter = painter.release();
}

void DestroyMenuPainter() {
    if (!g_painter) return;
    for (auto& owner : g_painter->records) {
        if (!IsMenu(owner.first)) continue;
        int count = GetMenuItemCount(owner.first);
        for (int i = 0; i < count; ++i) {
            HMENU popup = GetSubMenu(owner.first, i);
            if (popup) UnpaintPopup(popup);
        }
    }
    if (g_painter->font) DeleteObject(g_painter->font);
    if (g_painter->boldFont) DeleteObject(g_painter->boldFont);
    if (g_painter->bandFont) DeleteObject(g_painter->bandFont);
    if (g_painter->images) ImageList_Destroy(g_painter->images);
    if (g_painter->greyImages) ImageList_Destroy(g_painter->greyImages);
    delete g_painter;
    g_painter = nullptr;
}

bool MenuPainterActive() { return g_painter != nullptr; }

void PaintMenuBar(HMENU menu) {
    if (!g_painter || !IsMenu(menu)) return;
    PaintOwner(menu);
}

bool HandleMenuPainterMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (!g_painter) return false;
    switch (message) {
    case WM_MEASUREITEM: {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (!measure || measure->CtlType != ODT_MENU || !IsOurs(measure->itemData)) return false;
        Measure(measure, *reinterpret_cast<const ItemRecord*>(measure->itemData));
        *result = TRUE;
        return true;
    }
    case WM_DRAWITEM: {
        auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (!draw || draw->CtlType != ODT_MENU || !IsOurs(draw->itemData)) return false;
        Draw(*draw, *reinterpret_cast<const ItemRecord*>(draw->itemData));
        *result = TRUE;
        return true;
    }
    case WM_MENUCHAR: {
        HMENU menu = reinterpret_cast<HMENU>(lParam);
        if (HIWORD(wParam) & MF_SYSMENU || !g_painter->popups.count(menu)) return false;
        *result = MenuChar(static_cast<char>(LOWORD(wParam)), menu);
        return HIWORD(*result) != MNC_IGNORE;
    }
    case WM_INITMENUPOPUP: {
        // Items a window added since the menu was painted are taken on now,
        // before the system measures the popup.
        HMENU popup = reinterpret_cast<HMENU>(wParam);
        auto known = g_painter->popups.find(popup);
        if (HIWORD(lParam) || known == g_painter->popups.end()) return false;
        PaintOwner(known->second);
        *result = 0;
        return true;
    }
    case WM_UNINITMENUPOPUP:
        if (!g_painter->popups.count(reinterpret_cast<HMENU>(wParam))) return false;
        *result = 0;
        return true;
    default:
        return false;
    }
}

std::string MenuItemText(HMENU menu, UINT item, bool byPosition) {
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_DATA | MIIM_FTYPE;
    if (!GetMenuItemInfoA(menu, item, byPosition, &info)) return std::string();
    if (IsOurs(info.dwItemData)) return reinterpret_cast<const ItemRecord*>(info.dwItemData)->text;
    if (info.fType & MFT_SEPARATOR) return std::string();
    char text[512] = {};
    GetMenuStringA(menu, item, text, sizeof text, byPosition ? MF_BYPOSITION : MF_BYCOMMAND);
    return text;
}

std::string MenuBandText() { return g_painter ? g_painter->bandText : std::string(); }

int MenuBandWidth() { return g_painter ? g_painter->bandWidth : 0; }

int MenuImageIndex(UINT command) { return ImageFor(command); }

size_t MenuPainterRecordCount() { return g_painter ? g_painter->live.size() : 0; }
