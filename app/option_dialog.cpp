#include "option_dialog.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <cstdio>
#include <utility>

#include "dib.h"
#include "load.h"
#include "open_dialog.h"
#include "paint.h"
#include "resource_ids.h"
#include "settings.h"
#include "win_guards.h"
#include "program.h"

namespace {

// The delay slider counts hundredths of a second; "Timer" is milliseconds.
constexpr int kDelayStep = 10;
constexpr int kDelayMax = 60000 / kDelayStep;
constexpr int kDelayPage = 100;
constexpr int kBorderMin = 2;
// The user's frame picture is read with a longer limit than the browser's.
constexpr settings::TextKey kFramePicturePath{settings::kPictureFrameImage.section,
                                              settings::kPictureFrameImage.name, 511};

std::string AskFramePictureFile(HWND owner) { return AskPictureFile(owner); }

bool AskColor(HWND owner, COLORREF* color) {
    static COLORREF custom[16] = {};
    CHOOSECOLORA choose = {};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = owner;
    choose.rgbResult = *color;
    choose.lpCustColors = custom;
    choose.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!ChooseColorA(&choose)) return false;
    *color = choose.rgbResult;
    return true;
}

FramePictureAsker g_askFramePicture = AskFramePictureFile;
ColorAsker g_askColor = AskColor;

// The values the dialog edits, as read when it opens and as OK writes them.
struct Values {
    int timer = 500;
    int sizeMode = 1;
    int toward = 1;
    bool autoPicPos = true;
    bool wheelZoom = true;
    COLORREF color = 0;
    bool pictureSize = true;
    int frameIndex = 0;  // 0 to 3, or -1 for the user's picture
    std::string framePath;
    int borderWidth = 6;
    int borderHeight = 6;
};

Values ReadValues() {
    using namespace settings;
    Values v;
    v.timer = Read(kTimer);
    v.sizeMode = Read(kWindowSizeAutoChange);
    v.toward = ReadActiveToward();
    v.autoPicPos = Read(kAutoPicPos);
    v.wheelZoom = Read(kWheelZoom);
    v.color = Read(kBackgroundColor);
    v.pictureSize = Read(kEnablePicSize);
    v.frameIndex = Read(kBackgroundIndex);
    // "No frame" (any other number) has no control of its own: the dialog
    // offers the first built-in frame.
    if (v.frameIndex < -1 || v.frameIndex >= THUMB_FRAME_COUNT) v.frameIndex = 0;
    v.framePath = Read(kFramePicturePath);
    v.borderWidth = Read(kLeftWidth);
    v.borderHeight = Read(kLeftHeight);
    return v;
}

struct Dialog {
    HWND window = nullptr;
    Values before;
    COLORREF color = 0;
    HBRUSH colorBrush = nullptr;
    DibBlock* builtIn[THUMB_FRAME_COUNT] = {};  // loaded when first shown
    DibBlock* userFrame = nullptr;
    std::string userPath;
    OptionResult* result = nullptr;

    ~Dialog() {
        for (DibBlock*& frame : builtIn) FreeDib(frame);
        FreeDib(userFrame);
        if (colorBrush) DeleteObject(colorBrush);
    }

    HWND Item(int id) const { return GetDlgItem(window, id); }
    int Position(int id) const { return static_cast<int>(SendDlgItemMessageA(window, id, TBM_GETPOS, 0, 0)); }
    bool Checked(int id) const { return IsDlgButtonChecked(window, id) == BST_CHECKED; }
    bool UserFrameChosen() const { return Checked(IDC_OPTION_USER_FRAME); }

    void SetRange(int id, int low, int high, int position) {
        SendDlgItemMessageA(window, id, TBM_SETRANGE, FALSE, MAKELONG(low, high));
        SendDlgItemMessageA(window, id, TBM_SETPOS, TRUE, std::clamp(position, low, high));
    }
    void SetNumber(int id, int value) { SetDlgItemInt(window, id, static_cast<UINT>(value), TRUE); }

    DibBlock* BuiltInFrame(int index) {
        if (index < 0 || index >= THUMB_FRAME_COUNT) return nullptr;
        if (!builtIn[index]) builtIn[index] = LoadBuiltInFrame(index);
        return builtIn[index];
    }
    DibBlock* CurrentFrame() {
        return UserFrameChosen() ? userFrame : BuiltInFrame(Position(IDC_OPTION_FRAME_INDEX));
    }

    static DibBlock* LoadBuiltInFrame(int index) {
        GdiObject<HBITMAP> bitmap(static_cast<HBITMAP>(LoadImageA(
            Program().mainModule, MAKEINTRESOURCEA(IDB_THUMB_FRAME + index), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
        if (!bitmap) return nullptr;
        BITMAP info = {};
        GetObjectA(bitmap, sizeof info, &info);
        DibBlock* block = CreateDib(info.bmWidth, info.bmHeight);
        if (block) {
            WindowDC dc(nullptr);
            GetDIBits(dc, bitmap, 0, static_cast<UINT>(info.bmHeight), block->pixels,
                      reinterpret_cast<BITMAPINFO*>(block->header), DIB_RGB_COLORS);
        }
        return block;
    }

    void Init(OptionResult* out) {
        result = out;
        before = ReadValues();

        SetRange(IDC_OPTION_DELAY, 0, kDelayMax, before.timer / kDelayStep);
        SendDlgItemMessageA(window, IDC_OPTION_DELAY, TBM_SETPAGESIZE, 0, kDelayPage);
        SendDlgItemMessageA(window, IDC_OPTION_DELAY, TBM_SETTICFREQ, kDelayStep, 0);
        ShowDelay();

        CheckRadioButton(window, IDC_OPTION_FIXED_LEFT_TOP, IDC_OPTION_FIXED_POSITION,
                         IDC_OPTION_FIXED_LEFT_TOP + before.sizeMode);
        CheckRadioButton(window, IDC_OPTION_FORWARD, IDC_OPTION_BACKWARD,
                         before.toward == -1 ? IDC_OPTION_BACKWARD : IDC_OPTION_FORWARD);
        CheckRadioButton(window, IDC_OPTION_MIDDLE, IDC_OPTION_TOP_LEFT,
                         before.autoPicPos ? IDC_OPTION_TOP_LEFT : IDC_OPTION_MIDDLE);
        CheckRadioButton(window, IDC_OPTION_WHEEL_PAGE, IDC_OPTION_WHEEL_ZOOM,
                         before.wheelZoom ? IDC_OPTION_WHEEL_ZOOM : IDC_OPTION_WHEEL_PAGE);
        CheckDlgButton(window, IDC_OPTION_SHOW_SIZE, before.pictureSize ? BST_CHECKED : BST_UNCHECKED);

        color = before.color;
        colorBrush = CreateSolidBrush(color);

        SetRange(IDC_OPTION_FRAME_INDEX, 0, THUMB_FRAME_COUNT - 1, std::max(before.frameIndex, 0));
        SendDlgItemMessageA(window, IDC_OPTION_FRAME_INDEX, TBM_SETTICFREQ, 1, 0);
        SendDlgItemMessageA(window, IDC_OPTION_FRAME_INDEX, TBM_SETPAGESIZE, 0, 1);
        if (before.frameIndex == -1) {
            userPath = before.framePath;
            userFrame = LoadFirstPageDib(userPath.c_str());
        }
        SetDlgItemTextA(window, IDC_OPTION_FRAME_FILE, userPath.c_str());
        CheckRadioButton(window, IDC_OPTION_PREDEFINED_FRAME, IDC_OPTION_USER_FRAME,
                         before.frameIndex == -1 ? IDC_OPTION_USER_FRAME : IDC_OPTION_PREDEFINED_FRAME);
        EnableFrameChoice();
        FrameChanged(before.borderWidth, before.borderHeight);
    }

    void ShowDelay() {
        const int hundredths = Position(IDC_OPTION_DELAY);
        char text[32];
        std::snprintf(text, sizeof text, "%d.%02ds", hundredths / 100, hundredths % 100);
        SetDlgItemTextA(window, IDC_OPTION_DELAY_TEXT, text);
    }

    void EnableFrameChoice() {
        const bool user = UserFrameChosen();
        EnableWindow(Item(IDC_OPTION_FRAME_INDEX), !user);
        EnableWindow(Item(IDC_OPTION_FRAME_FILE), user);
        EnableWindow(Item(IDC_OPTION_SELECT_PICTURE), user);
    }

    // The border sliders run from 2 to half the frame picture's width and
    // height (the cell size, 64 x 64, without a picture).
    void FrameChanged(int borderWidth, int borderHeight) {
        DibBlock* frame = CurrentFrame();
        const int width = frame ? DibWidth(frame) : THUMB_FRAME_SIZE;
        const int height = frame ? DibHeight(frame) : THUMB_FRAME_SIZE;
        const int maxWidth = std::max(kBorderMin, width / 2);
        const int maxHeight = std::max(kBorderMin, height / 2);
        SetRange(IDC_OPTION_BORDER_WIDTH, kBorderMin, maxWidth, borderWidth);
        SetRange(IDC_OPTION_BORDER_HEIGHT, kBorderMin, maxHeight, borderHeight);
        SetNumber(IDC_OPTION_WIDTH_LIMIT, maxWidth);
        SetNumber(IDC_OPTION_HEIGHT_LIMIT, maxHeight);
        BordersChanged();
    }

    void BordersChanged() {
        SetNumber(IDC_OPTION_WIDTH_TEXT, Position(IDC_OPTION_BORDER_WIDTH));
        SetNumber(IDC_OPTION_HEIGHT_TEXT, Position(IDC_OPTION_BORDER_HEIGHT));
        InvalidateRect(Item(IDC_OPTION_PREVIEW), nullptr, TRUE);
    }

    void Refit() { FrameChanged(Position(IDC_OPTION_BORDER_WIDTH), Position(IDC_OPTION_BORDER_HEIGHT)); }

    void Warn(UINT text, UINT title) {
        MessageBoxA(window, ResourceString(text).c_str(), ResourceString(title).c_str(), MB_OK | MB_ICONWARNING);
    }

    void SelectPicture() {
        const std::string path = g_askFramePicture(window);
        if (path.empty()) return;
        DibBlock* picture = LoadFirstPageDib(path.c_str());
        if (!picture) {
            Warn(IDS_NOT_PICTURE, IDS_NOT_PICTURE_TITLE);
            return;
        }
        if (DibWidth(picture) > FRAME_PICTURE_MAX_SIZE || DibHeight(picture) > FRAME_PICTURE_MAX_SIZE) {
            FreeDib(picture);
            Warn(IDS_SIZE_LARGE, IDS_SIZE_LARGE_TITLE);
            return;
        }
        FreeDib(userFrame);
        userFrame = picture;
        userPath = path;
        SetDlgItemTextA(window, IDC_OPTION_FRAME_FILE, userPath.c_str());
        Refit();
    }

    void ChooseColor() {
        COLORREF chosen = color;
        if (!g_askColor(window, &chosen) || chosen == color) return;
        color = chosen;
        if (colorBrush) DeleteObject(colorBrush);
        colorBrush = CreateSolidBrush(color);
        InvalidateRect(Item(IDC_OPTION_COLOR_SAMPLE), nullptr, TRUE);
        InvalidateRect(Item(IDC_OPTION_PREVIEW), nullptr, TRUE);
    }

    // The preview: the list's background, the frame picture at its own size
    // (smaller when the box is too small) and the logo where a thumbnail
    // would be, inside the borders.
    void PaintPreview(const DRAWITEMSTRUCT& item) {
        RECT box = item.rcItem;
        FillRect(item.hDC, &box, colorBrush);
        DrawEdge(item.hDC, &box, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
        DibBlock* frame = CurrentFrame();
        const int width = frame ? DibWidth(frame) : THUMB_FRAME_SIZE;
        const int height = frame ? DibHeight(frame) : THUMB_FRAME_SIZE;
        const int roomX = box.right - box.left - 4, roomY = box.bottom - box.top - 4;
        if (roomX <= 0 || roomY <= 0) return;
        const double scale = std::min({1.0, static_cast<double>(roomX) / width, static_cast<double>(roomY) / height});
        auto scaled = [scale](int v) { return static_cast<int>(v * scale + 0.5); };
        const int left = box.left + (box.right - box.left - scaled(width)) / 2;
        const int top = box.top + (box.bottom - box.top - scaled(height)) / 2;
        if (frame) PaintDib(item.hDC, RECT{left, top, left + scaled(width), top + scaled(height)}, frame);

        const int borderX = Position(IDC_OPTION_BORDER_WIDTH), borderY = Position(IDC_OPTION_BORDER_HEIGHT);
        RECT inner{left + scaled(borderX), top + scaled(borderY), left + scaled(width - borderX),
                   top + scaled(height - borderY)};
        const int side = std::min(inner.right - inner.left, inner.bottom - inner.top);
        HICON logo = Program().previewLogoIcon;
        if (!logo)
            logo = static_cast<HICON>(
                LoadImageA(Program().mainModule, MAKEINTRESOURCEA(IDI_LOGO), IMAGE_ICON, 0, 0, LR_SHARED));
        if (logo && side > 0)
            DrawIconEx(item.hDC, (inner.left + inner.right - side) / 2, (inner.top + inner.bottom - side) / 2, logo,
                       side, side, 0, nullptr, DI_NORMAL);
    }

    Values Chosen() const {
        Values v;
        v.timer = Position(IDC_OPTION_DELAY) * kDelayStep;
        v.sizeMode = Checked(IDC_OPTION_FIXED_LEFT_TOP) ? 0 : Checked(IDC_OPTION_FIXED_POSITION) ? 2 : 1;
        v.toward = Checked(IDC_OPTION_BACKWARD) ? -1 : 1;
        v.autoPicPos = !Checked(IDC_OPTION_MIDDLE);
        v.wheelZoom = !Checked(IDC_OPTION_WHEEL_PAGE);
        v.color = color;
        v.pictureSize = Checked(IDC_OPTION_SHOW_SIZE);
        v.frameIndex = UserFrameChosen() ? -1 : Position(IDC_OPTION_FRAME_INDEX);
        v.framePath = v.frameIndex == -1 ? userPath : before.framePath;
        v.borderWidth = Position(IDC_OPTION_BORDER_WIDTH);
        v.borderHeight = Position(IDC_OPTION_BORDER_HEIGHT);
        return v;
    }

    // False when the user's frame is chosen but no usable picture is.
    bool Apply() {
        if (UserFrameChosen() && !userFrame) {
            Warn(IDS_NOT_PICTURE, IDS_NOT_PICTURE_TITLE);
            SetFocus(Item(IDC_OPTION_SELECT_PICTURE));
            return false;
        }
        using namespace settings;
        const Values v = Chosen();
        Write(kTimer, v.timer);
        Write(kWindowSizeAutoChange, v.sizeMode);
        Write(kActiveToward, v.toward);
        Write(kAutoPicPos, v.autoPicPos);
        Write(kWheelZoom, v.wheelZoom);
        if (v.color != before.color) Write(kBackgroundColor, v.color);
        Write(kEnablePicSize, v.pictureSize);
        Write(kBackgroundIndex, v.frameIndex);
        if (v.frameIndex == -1) Write(kPictureFrameImage, v.framePath);
        Write(kLeftWidth, v.borderWidth);
        Write(kLeftHeight, v.borderHeight);

        if (result) {
            result->timer = v.timer;
            result->timerChanged = v.timer != before.timer;
            result->viewerChanged = v.sizeMode != before.sizeMode || v.toward != before.toward ||
                                    v.autoPicPos != before.autoPicPos || v.wheelZoom != before.wheelZoom;
            result->listColorChanged = v.color != before.color;
            result->pictureSizeChanged = v.pictureSize != before.pictureSize;
            result->thumbFrameChanged = v.frameIndex != before.frameIndex || v.framePath != before.framePath ||
                                        v.borderWidth != before.borderWidth || v.borderHeight != before.borderHeight;
        }
        return true;
    }

    bool Command(int id, int code) {
        switch (id) {
        case IDOK:
            if (Apply()) EndDialog(window, Changed() ? IDOK : IDIGNORE);
            return true;
        case IDCANCEL:
            EndDialog(window, IDCANCEL);
            return true;
        case IDC_OPTION_BACKGROUND_COLOR:
            ChooseColor();
            return true;
        case IDC_OPTION_COLOR_SAMPLE:
            if (code == STN_CLICKED) ChooseColor();
            return true;
        case IDC_OPTION_PREDEFINED_FRAME:
        case IDC_OPTION_USER_FRAME:
            EnableFrameChoice();
            Refit();
            return true;
        case IDC_OPTION_SELECT_PICTURE:
            SelectPicture();
            return true;
        }
        return false;
    }

    bool Changed() const {
        const Values v = Chosen();
        return v.timer != before.timer || v.sizeMode != before.sizeMode || v.toward != before.toward ||
               v.autoPicPos != before.autoPicPos || v.wheelZoom != before.wheelZoom || v.color != before.color ||
               v.pictureSize != before.pictureSize || v.frameIndex != before.frameIndex ||
               v.framePath != before.framePath || v.borderWidth != before.borderWidth ||
               v.borderHeight != before.borderHeight;
    }

    void Scrolled(HWND slider) {
        switch (GetDlgCtrlID(slider)) {
        case IDC_OPTION_DELAY:
            ShowDelay();
            break;
        case IDC_OPTION_FRAME_INDEX:
            Refit();
            break;
        case IDC_OPTION_BORDER_WIDTH:
        case IDC_OPTION_BORDER_HEIGHT:
            BordersChanged();
            break;
        }
    }
};

INT_PTR CALLBACK OptionProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* dialog = reinterpret_cast<Dialog*>(GetWindowLongPtrA(window, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG: {
        auto* start = reinterpret_cast<std::pair<Dialog*, OptionResult*>*>(lParam);
        dialog = start->first;
        dialog->window = window;
        SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(dialog));
        dialog->Init(start->second);
        return TRUE;
    }
    case WM_COMMAND:
        if (dialog && dialog->Command(LOWORD(wParam), HIWORD(wParam))) return TRUE;
        break;
    case WM_HSCROLL:
        if (dialog && lParam) dialog->Scrolled(reinterpret_cast<HWND>(lParam));
        return TRUE;
    case WM_CTLCOLORSTATIC:
        if (dialog && GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == IDC_OPTION_COLOR_SAMPLE)
            return reinterpret_cast<INT_PTR>(dialog->colorBrush);
        break;
    case WM_DRAWITEM:
        if (dialog && wParam == IDC_OPTION_PREVIEW) {
            dialog->PaintPreview(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        }
        break;
    }
    return FALSE;
}

}  // namespace

bool ShowOptionDialog(HWND owner, OptionResult* result) {
    if (result) *result = OptionResult{};
    Dialog dialog;
    std::pair<Dialog*, OptionResult*> start{&dialog, result};
    const INT_PTR ended = DialogBoxParamA(Program().resourceModule, MAKEINTRESOURCEA(IDD_OPTION), owner, OptionProc,
                                          reinterpret_cast<LPARAM>(&start));
    if (ended != IDOK && ended != IDIGNORE && result) *result = OptionResult{};
    return ended == IDOK;
}

void SetFramePictureAsker(FramePictureAsker asker) { g_askFramePicture = asker ? asker : AskFramePictureFile; }
void SetColorAsker(ColorAsker asker) { g_askColor = asker ? asker : AskColor; }
