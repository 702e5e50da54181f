// The menu painter on the program's real menu bars: which items it takes on,
// that their texts survive, how it measures and what it draws into a memory
// DC, the band text rules, and that fonts and images do not leak.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "commands.h"
#include "menu_painter.h"
#include "resource_ids.h"
#include "settings.h"
#include "program.h"
#include "window_menu.h"

namespace {

struct Item {
    HMENU menu;
    UINT position;
};

// Every item of every popup below the top level of a menu.
void Collect(HMENU popup, std::vector<Item>* items) {
    for (int i = 0; i < GetMenuItemCount(popup); ++i) {
        items->push_back({popup, static_cast<UINT>(i)});
        if (HMENU sub = GetSubMenu(popup, i)) Collect(sub, items);
    }
}

std::vector<Item> PopupItems(HMENU bar) {
    std::vector<Item> items;
    for (int i = 0; i < GetMenuItemCount(bar); ++i) {
        if (HMENU popup = GetSubMenu(bar, i)) Collect(popup, &items);
    }
    return items;
}

MENUITEMINFOA InfoOf(HMENU menu, UINT position) {
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_DATA;
    GetMenuItemInfoA(menu, position, TRUE, &info);
    return info;
}

bool OwnerDrawn(HMENU menu, UINT position) { return InfoOf(menu, position).fType & MFT_OWNERDRAW; }

int PositionOf(HMENU menu, UINT command) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        if (GetMenuItemID(menu, i) == command) return i;
    }
    return -1;
}

// Live GDI objects of the process.  Wine answers GetGuiResources with 0; its
// handle table then tells the same by the objects' low words.
int LiveGdiObjects() {
    DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (count) return static_cast<int>(count);
    int live = 0;
    for (UINT_PTR handle = 1; handle < 0x10000; ++handle) live += GetObjectType(reinterpret_cast<HGDIOBJ>(handle)) ? 1 : 0;
    return live;
}

// A 32-bit top-down memory canvas, cleared to a colour no drawing uses.
class Canvas {
public:
    Canvas(int width, int height) : width_(width) {
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
        for (int i = 0; i < width * height; ++i) bits_[i] = 0x010203;
    }
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }
    COLORREF At(int x, int y) const {
        GdiFlush();
        DWORD p = bits_[y * width_ + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    // Pixels of a rectangle for which `match` holds.
    template <typename Match>
    int Count(const RECT& r, Match match) const {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y) {
            for (int x = r.left; x < r.right; ++x) n += match(At(x, y)) ? 1 : 0;
        }
        return n;
    }
    int CountColor(const RECT& r, COLORREF c) const {
        return Count(r, [c](COLORREF p) { return p == c; });
    }

private:
    int width_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
    DWORD* bits_ = nullptr;
};

class MenuPainterTest : public ::testing::Test {
protected:
    void SetUp() override {
        ProgramState& shell = Program();
        saved_ = {shell.mainModule, shell.resourceModule, shell.system, shell.screenSaverPresent, shell.menuIcons,
                  shell.oem};
        shell.mainModule = shell.resourceModule = GetModuleHandleA(nullptr);
        shell.system = ReadSystemFlags();
        shell.screenSaverPresent = false;
        shell.menuIcons = true;
        shell.oem = false;
        CreateMenuPainter();
        ASSERT_TRUE(MenuPainterActive());
        bar_ = LoadWindowMenu(IDM_VIEWER);
        ASSERT_NE(nullptr, bar_);
        // A language item, added at run time as the language menu does.
        AppendMenuA(Popup(MENU_POPUP_HELP), MF_SEPARATOR, 0, nullptr);
        AppendMenuA(Popup(MENU_POPUP_HELP), MF_STRING | MF_CHECKED, IDC_LANGUAGE_FIRST, "English");
    }
    void TearDown() override {
        DestroyMenuPainter();
        if (bar_) DestroyMenu(bar_);
        ProgramState& shell = Program();
        shell.mainModule = saved_.mainModule;
        shell.resourceModule = saved_.resourceModule;
        shell.system = saved_.system;
        shell.screenSaverPresent = saved_.screenSaverPresent;
        shell.menuIcons = saved_.menuIcons;
        shell.oem = saved_.oem;
    }

    HMENU Popup(int position) const { return GetSubMenu(bar_, position); }

    static bool Send(UINT message, WPARAM wParam, const void* data, LRESULT* result) {
        return HandleMenuPainterMessage(nullptr, message, wParam, reinterpret_cast<LPARAM>(data), result);
    }

    static MEASUREITEMSTRUCT Measure(HMENU menu, UINT position) {
        MEASUREITEMSTRUCT measure = {ODT_MENU, 0, GetMenuItemID(menu, position), 0, 0, InfoOf(menu, position).dwItemData};
        LRESULT result = 0;
        EXPECT_TRUE(Send(WM_MEASUREITEM, 0, &measure, &result));
        return measure;
    }

    // Draws one item where the system would: below the measured heights of
    // the items above it, as wide as the popup.
    static RECT Draw(const Canvas& canvas, HMENU menu, UINT position, UINT state) {
        int top = 0;
        for (UINT i = 0; i < position; ++i) top += Measure(menu, i).itemHeight;
        DRAWITEMSTRUCT draw = {};
        draw.CtlType = ODT_MENU;
        draw.itemID = GetMenuItemID(menu, position);
        draw.itemAction = ODA_DRAWENTIRE;
        draw.itemState = state;
        draw.hwndItem = reinterpret_cast<HWND>(menu);
        draw.hDC = canvas.dc();
        draw.rcItem = {0, top, kWidth, top + static_cast<LONG>(Measure(menu, position).itemHeight)};
        draw.itemData = InfoOf(menu, position).dwItemData;
        LRESULT result = 0;
        EXPECT_TRUE(Send(WM_DRAWITEM, 0, &draw, &result));
        return draw.rcItem;
    }
    // The image column and the text of a drawn item.
    static RECT ImageArea(const RECT& item) { return {MenuBandWidth(), item.top, MenuBandWidth() + 24, item.bottom}; }
    static RECT TextArea(const RECT& item) { return {MenuBandWidth() + 28, item.top, kWidth, item.bottom}; }

    static constexpr int kWidth = 260;
    struct Saved {
        HINSTANCE mainModule, resourceModule;
        SystemFlags system;
        bool screenSaverPresent, menuIcons, oem;
    } saved_ = {};
    HMENU bar_ = nullptr;
};

// ---------------------------------------------------------------------------
// Which items are painted, and their texts.

TEST_F(MenuPainterTest, PaintsEveryPopupItemAndKeepsItsText) {
    std::vector<Item> items = PopupItems(bar_);
    std::vector<std::string> before;
    for (const Item& item : items) before.push_back(MenuItemText(item.menu, item.position, true));
    ASSERT_GT(items.size(), 60u);

    PaintMenuBar(bar_);
    PaintMenuBar(bar_);  // takes on nothing twice

    EXPECT_EQ(items.size(), MenuPainterRecordCount());
    for (size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(before[i]);
        EXPECT_TRUE(OwnerDrawn(items[i].menu, items[i].position));
        EXPECT_EQ(before[i], MenuItemText(items[i].menu, items[i].position, true));
    }
    EXPECT_EQ("&Browse...\tEnter", MenuItemText(bar_, IDC_BROWSE, false));
    EXPECT_EQ("English", MenuItemText(bar_, IDC_LANGUAGE_FIRST, false));
    // The menu bar's own titles stay with the system.
    for (int i = 0; i < GetMenuItemCount(bar_); ++i) EXPECT_FALSE(OwnerDrawn(bar_, i));
}

TEST_F(MenuPainterTest, FollowsItemsChangedLaterAndGivesThemBack) {
    PaintMenuBar(bar_);
    HMENU help = Popup(MENU_POPUP_HELP);
    AppendMenuA(help, MF_STRING, IDC_LANGUAGE_FIRST + 1, "Deutsch");
    DeleteMenu(help, IDC_REGISTER_TYPE, MF_BYCOMMAND);
    int added = GetMenuItemCount(help) - 1;
    ASSERT_FALSE(OwnerDrawn(help, added));

    // The popup opening takes on the new item and forgets the deleted one.
    LRESULT result = 1;
    EXPECT_TRUE(Send(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(help), nullptr, &result));
    EXPECT_TRUE(OwnerDrawn(help, added));
    EXPECT_EQ("Deutsch", MenuItemText(help, added, true));
    EXPECT_EQ(PopupItems(bar_).size(), MenuPainterRecordCount());
    EXPECT_TRUE(Send(WM_UNINITMENUPOPUP, reinterpret_cast<WPARAM>(help), nullptr, &result));

    DestroyMenuPainter();
    for (const Item& item : PopupItems(bar_)) {
        EXPECT_FALSE(OwnerDrawn(item.menu, item.position));
        EXPECT_EQ(0u, InfoOf(item.menu, item.position).dwItemData);
    }
    char text[64] = {};
    GetMenuStringA(bar_, IDC_EXIT, text, sizeof text, MF_BYCOMMAND);
    EXPECT_STREQ("E&xit", text);
}

TEST_F(MenuPainterTest, ReloadedMenusLeaveNoRecordsBehind) {
    for (int round = 0; round < 3; ++round) {
        PaintMenuBar(bar_);
        DestroyMenu(bar_);
        bar_ = LoadWindowMenu(round % 2 ? IDM_VIEWER : IDM_BROWSER);
        PaintMenuBar(bar_);
        EXPECT_EQ(PopupItems(bar_).size(), MenuPainterRecordCount());
    }
}

TEST_F(MenuPainterTest, DoesNothingWithoutTheMenuIconsFlag) {
    Program().menuIcons = false;
    CreateMenuPainter();
    EXPECT_FALSE(MenuPainterActive());
    PaintMenuBar(bar_);
    for (const Item& item : PopupItems(bar_)) EXPECT_FALSE(OwnerDrawn(item.menu, item.position));
}

// ---------------------------------------------------------------------------
// Messages.

TEST_F(MenuPainterTest, MeasuresHeightsAndWidthsFromTheText) {
    PaintMenuBar(bar_);
    HMENU process = Popup(4), file = Popup(0);
    MEASUREITEMSTRUCT shortItem = Measure(process, PositionOf(process, IDC_GREY));
    MEASUREITEMSTRUCT longItem = Measure(process, PositionOf(process, IDC_MODIFY_YUV));
    EXPECT_GE(shortItem.itemHeight, 16u);
    EXPECT_EQ(shortItem.itemHeight, longItem.itemHeight);
    EXPECT_GT(longItem.itemWidth, shortItem.itemWidth + 20);
    // The accelerator text needs room of its own.
    AppendMenuA(file, MF_STRING, IDC_RELOAD, "&Browse...");
    PaintMenuBar(bar_);
    EXPECT_GT(Measure(file, PositionOf(file, IDC_BROWSE)).itemWidth,
              Measure(file, GetMenuItemCount(file) - 1).itemWidth + 20);
    MEASUREITEMSTRUCT separator = Measure(file, 2);
    EXPECT_LT(separator.itemHeight, shortItem.itemHeight);
    EXPECT_GT(separator.itemHeight, 2u);
}

TEST_F(MenuPainterTest, AnswersOnlyForItsOwnItems) {
    PaintMenuBar(bar_);
    LRESULT result = 0;
    MEASUREITEMSTRUCT button = {ODT_BUTTON, 0, 0, 0, 0, InfoOf(Popup(0), 0).dwItemData};
    MEASUREITEMSTRUCT foreign = {ODT_MENU, 0, 0, 0, 0, 0x12345678};
    EXPECT_FALSE(Send(WM_MEASUREITEM, 0, &button, &result));
    EXPECT_FALSE(Send(WM_MEASUREITEM, 0, &foreign, &result));
    // The window menu (high word of lParam set) is the system's.
    EXPECT_FALSE(HandleMenuPainterMessage(nullptr, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(Popup(0)),
                                          MAKELPARAM(0, TRUE), &result));
}

TEST_F(MenuPainterTest, AnswersMnemonicsOfPaintedItems) {
    PaintMenuBar(bar_);
    HMENU file = Popup(0), adjust = Popup(3);
    LRESULT result = 0;
    ASSERT_TRUE(Send(WM_MENUCHAR, MAKEWPARAM('x', MF_POPUP), file, &result));
    EXPECT_EQ(MNC_EXECUTE, HIWORD(result));
    EXPECT_EQ(PositionOf(file, IDC_EXIT), LOWORD(result));
    // Two items share "&R" in the Adjust popup: the key moves between them.
    ASSERT_TRUE(Send(WM_MENUCHAR, MAKEWPARAM('R', MF_POPUP), adjust, &result));
    EXPECT_EQ(MNC_SELECT, HIWORD(result));
    EXPECT_EQ(PositionOf(adjust, IDC_ROTATE_RIGHT), LOWORD(result));
    EXPECT_FALSE(Send(WM_MENUCHAR, MAKEWPARAM('q', MF_POPUP), file, &result));
}

// ---------------------------------------------------------------------------
// Drawing.

TEST_F(MenuPainterTest, DrawsTheImageAndGreysADisabledItem) {
    PaintMenuBar(bar_);
    UINT open = PositionOf(Popup(0), IDC_OPEN);
    Canvas enabled(kWidth, 60), disabled(kWidth, 60), plain(kWidth, 400);
    RECT item = Draw(enabled, Popup(0), open, 0);
    Draw(disabled, Popup(0), open, ODS_GRAYED | ODS_DISABLED);
    COLORREF menu = GetSysColor(COLOR_MENU), ink = GetSysColor(COLOR_MENUTEXT);
    auto coloured = [menu](COLORREF c) {
        return c != menu && (GetRValue(c) != GetGValue(c) || GetGValue(c) != GetBValue(c));
    };
    EXPECT_EQ(0, enabled.CountColor(item, RGB(1, 2, 3)));  // all of it painted
    EXPECT_GT(enabled.Count(ImageArea(item), coloured), 40);
    EXPECT_EQ(0, enabled.CountColor(ImageArea(item), RGB(0, 0, 255)));
    EXPECT_GT(enabled.CountColor(TextArea(item), ink), 10);
    // Disabled: a grey image and grey text.
    EXPECT_EQ(0, disabled.Count(ImageArea(item), coloured));
    EXPECT_GT(disabled.Count(ImageArea(item), [menu](COLORREF c) { return c != menu; }), 40);
    EXPECT_EQ(0, disabled.CountColor(TextArea(item), ink));
    EXPECT_GT(disabled.CountColor(TextArea(item), GetSysColor(COLOR_GRAYTEXT)), 10);
    // A command without an image leaves the column empty.
    RECT grey = Draw(plain, Popup(4), PositionOf(Popup(4), IDC_GREY), 0);
    EXPECT_EQ(0, plain.Count(ImageArea(grey), [menu](COLORREF c) { return c != menu; }));
}

TEST_F(MenuPainterTest, MarksCheckedSelectedAndSeparatorItems) {
    PaintMenuBar(bar_);
    HMENU view = Popup(2);
    UINT onTop = PositionOf(view, IDC_ALWAYS_ON_TOP);
    Canvas plain(kWidth, 400), checked(kWidth, 400), selected(kWidth, 400);
    RECT item = Draw(plain, view, onTop, 0);
    Draw(checked, view, onTop, ODS_CHECKED);
    Draw(selected, view, onTop, ODS_SELECTED);
    COLORREF ink = GetSysColor(COLOR_MENUTEXT), highlight = GetSysColor(COLOR_HIGHLIGHT);
    EXPECT_EQ(0, plain.CountColor(ImageArea(item), ink));
    EXPECT_GT(checked.CountColor(ImageArea(item), ink), 10);
    RECT body = {MenuBandWidth(), item.top, kWidth, item.bottom};
    EXPECT_EQ(0, plain.CountColor(body, highlight));
    EXPECT_GT(selected.CountColor(body, highlight), (kWidth - MenuBandWidth()) * 10);
    EXPECT_GT(selected.CountColor(body, GetSysColor(COLOR_HIGHLIGHTTEXT)), 10);

    ASSERT_TRUE(InfoOf(Popup(0), 2).fType & MFT_SEPARATOR);
    RECT line = Draw(plain, Popup(0), 2, 0);
    line.left = MenuBandWidth();
    EXPECT_GT(plain.CountColor(line, GetSysColor(COLOR_BTNSHADOW)), kWidth / 2);
    EXPECT_GT(plain.CountColor(line, GetSysColor(COLOR_BTNHIGHLIGHT)), kWidth / 2);
}

TEST_F(MenuPainterTest, BandCarriesTheCaptionTextUpright) {
    ASSERT_EQ("Quenlark Ommavu", MenuBandText());
    ASSERT_GT(MenuBandWidth(), 8);
    PaintMenuBar(bar_);
    HMENU file = Popup(0);
    Canvas canvas(kWidth, 600);
    RECT last = {};
    for (int i = 0; i < GetMenuItemCount(file); ++i) last = Draw(canvas, file, i, 0);
    // The text's pixels: taller than wide, inside the band, near its bottom.
    COLORREF ink = GetSysColor(COLOR_CAPTIONTEXT);
    ASSERT_GT(canvas.CountColor({0, 0, MenuBandWidth(), last.bottom}, ink), 50);
    int top = last.bottom, bottom = 0, left = MenuBandWidth(), right = 0;
    for (int y = 0; y < last.bottom; ++y) {
        for (int x = 0; x < MenuBandWidth(); ++x) {
            if (canvas.At(x, y) != ink) continue;
            top = std::min(top, y), bottom = std::max(bottom, y);
            left = std::min(left, x), right = std::max(right, x);
        }
    }
    EXPECT_GT(bottom - top, 4 * (right - left));
    EXPECT_GT(bottom, last.bottom - 20);

    // A popup too short for the text shows the band alone.
    HMENU shortPopup = CreatePopupMenu();
    AppendMenuA(shortPopup, MF_STRING, IDC_EXIT, "E&xit");
    AppendMenuA(bar_, MF_POPUP, reinterpret_cast<UINT_PTR>(shortPopup), "&Short");
    PaintMenuBar(bar_);
    Canvas small(kWidth, 60);
    RECT item = Draw(small, shortPopup, 0, 0);
    RECT band = {0, item.top, MenuBandWidth(), item.bottom};
    EXPECT_EQ(0, small.CountColor(band, ink));
    EXPECT_EQ(0, small.CountColor(band, GetSysColor(COLOR_MENU)));
}

// ---------------------------------------------------------------------------
// The band text and the OEM settings.

TEST(MenuBandTextTest, FollowsTheMarkAndTheOemName) {
    EXPECT_EQ("Quenlark Ommavu", ChooseMenuBandText("#Quenlark Ommavu", false, "", ""));
    EXPECT_EQ("", ChooseMenuBandText("@Quenlark Ommavu", false, "", ""));
    EXPECT_EQ("", ChooseMenuBandText("", false, "", ""));
    EXPECT_EQ("Bildo Pro", ChooseMenuBandText("#Quenlark Ommavu", true, "Bildo", " Pro"));
    EXPECT_EQ("Bildo", ChooseMenuBandText("@Quenlark Ommavu", true, "Bildo", ""));
    EXPECT_EQ("Quenlark Ommavu", ChooseMenuBandText("#Quenlark Ommavu", false, "Bildo", " Pro"));
}

// Sets a key of the settings file for one test and puts the old value back.
class IniKey {
public:
    IniKey(const settings::TextKey& key, const char* value) : key_(key) {
        char old[256];
        GetPrivateProfileStringA(key.section, key.name, "\x01", old, sizeof old, settings::kFileName);
        had_ = std::string(old) != "\x01";
        old_ = old;
        WritePrivateProfileStringA(key.section, key.name, value, settings::kFileName);
    }
    ~IniKey() { WritePrivateProfileStringA(key_.section, key_.name, had_ ? old_.c_str() : nullptr, settings::kFileName); }

private:
    const settings::TextKey& key_;
    bool had_;
    std::string old_;
};

TEST_F(MenuPainterTest, OemBuildShowsItsOwnNameInTheBand) {
    IniKey name(settings::kProductName, "Bildo");
    IniKey ext(settings::kExtName, "-Pro");
    Program().oem = true;
    CreateMenuPainter();
    EXPECT_EQ("Bildo-Pro", MenuBandText());
    Program().oem = false;
    CreateMenuPainter();
    EXPECT_EQ("Quenlark Ommavu", MenuBandText());
}

// ---------------------------------------------------------------------------
// Resources.

TEST_F(MenuPainterTest, CreateAndDestroyCyclesLeakNoGdiObjects) {
    auto cycle = [] {
        CreateMenuPainter();
        HMENU bar = LoadWindowMenu(IDM_VIEWER);
        PaintMenuBar(bar);
        Canvas canvas(kWidth, 60);
        for (UINT state : {0u, UINT(ODS_SELECTED), UINT(ODS_GRAYED), UINT(ODS_CHECKED)})
            Draw(canvas, GetSubMenu(bar, 0), 0, state);
        DestroyMenuPainter();
        DestroyMenu(bar);
    };
    cycle();
    int before = LiveGdiObjects();
    for (int i = 0; i < 5; ++i) cycle();
    EXPECT_EQ(before, LiveGdiObjects());
}

}  // namespace
