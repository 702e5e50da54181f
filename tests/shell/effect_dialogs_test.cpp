// The effect and transform dialogs driven through their controls: the offset
// dialogs (trackbars, values, the live preview, OK and Cancel), Rotate Any
// Angle (trackbar and typed angle kept together, remembered) and Smooth Zoom
// (limits, the synchronised sides, typed sizes clamped).
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <vector>

#include "colour_effects.h"
#include "dialog_driver.h"
#include "effect_preview.h"
#include "hsi_adjust.h"
#include "offset_dialog.h"
#include "resource_ids.h"
#include "rotate_dialog.h"
#include "program.h"
#include "smooth_zoom_dialog.h"

namespace {

class OwnedBlock {
public:
    OwnedBlock(int width, int height, DWORD pixel) : block_(CreateDib(width, height)) {
        DWORD* p = reinterpret_cast<DWORD*>(block_->pixels);
        for (int i = 0; i < width * height; ++i) p[i] = pixel;
    }
    ~OwnedBlock() { FreeDib(block_); }
    OwnedBlock(const OwnedBlock&) = delete;
    OwnedBlock& operator=(const OwnedBlock&) = delete;
    DibBlock* get() const { return block_; }
    DWORD At(int x, int y) const { return reinterpret_cast<const DWORD*>(block_->pixels)[y * DibWidth(block_) + x]; }

private:
    DibBlock* block_;
};

class EffectDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitCommonControls(); }
    void SetUp() override { Program().mainModule = Program().resourceModule = GetModuleHandleA(nullptr); }
};

TEST_F(EffectDialogTest, RgbOffsetsShowInThePreviewAndOkAppliesThem) {
    OwnedBlock picture(40, 30, 0x808080);
    Driver driver(IDC_OFFSET_TRACK_1);
    std::vector<std::string> values;
    COLORREF before = 0, after = 0;
    driver.Then([&](HWND d) { before = PreviewMiddle(d, IDC_EFFECT_PREVIEW); })
        .Slide(IDC_OFFSET_TRACK_1, 127)
        .Slide(IDC_OFFSET_TRACK_3, -128)
        .Then([&](HWND d) {
            values = {Text(d, IDC_OFFSET_VALUE_1), Text(d, IDC_OFFSET_VALUE_2), Text(d, IDC_OFFSET_VALUE_3)};
            after = PreviewMiddle(d, IDC_EFFECT_PREVIEW);
        })
        .Press(IDOK);
    bool applied = false;
    driver.Run([&] { applied = RunOffsetDialog(nullptr, IDD_MODIFY_RGB, AdjustPixelsRgb, picture.get()); });
    EXPECT_FALSE(driver.timedOut);
    EXPECT_TRUE(applied);
    EXPECT_EQ((std::vector<std::string>{"127", "0", "-128"}), values);
    EXPECT_EQ(RGB(128, 128, 128), before) << "the preview starts as the picture";
    EXPECT_EQ(RGB(255, 128, 0), after) << "and follows the trackbars";
    EXPECT_EQ(0x00FF8000u, picture.At(0, 0));
    EXPECT_EQ(0x00FF8000u, picture.At(39, 29));
}

TEST_F(EffectDialogTest, CancelLeavesThePictureAlone) {
    OwnedBlock picture(9, 7, 0x102030);
    Driver driver(IDC_OFFSET_TRACK_1);
    // An offset of 0 opens with the thumb in the middle of -128..127.
    int thumbMiddle = 0, channelMiddle = 0;
    driver.Then([&](HWND d) {
        RECT thumb = {}, channel = {};
        SendDlgItemMessageA(d, IDC_OFFSET_TRACK_1, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
        SendDlgItemMessageA(d, IDC_OFFSET_TRACK_1, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
        thumbMiddle = (thumb.left + thumb.right) / 2;
        channelMiddle = (channel.left + channel.right) / 2;
    });
    driver.Slide(IDC_OFFSET_TRACK_2, 50).Press(IDCANCEL);
    bool applied = true;
    driver.Run([&] { applied = RunOffsetDialog(nullptr, IDD_MODIFY_YUV, AdjustPixelsYuv, picture.get()); });
    EXPECT_FALSE(applied);
    EXPECT_NEAR(thumbMiddle, channelMiddle, 3);
    EXPECT_EQ(0x102030u, picture.At(4, 3));
    EXPECT_FALSE(RunOffsetDialog(nullptr, IDD_MODIFY_YUV, AdjustPixelsYuv, nullptr)) << "no picture, no dialog";
}

TEST_F(EffectDialogTest, YuvWithZeroOffsetsAppliesTheRoundTrip) {
    OwnedBlock picture(5, 3, 0x3C8AD2);
    DWORD expected = 0x3C8AD2;
    AdjustPixelsYuv(&expected, 1, 0, 0, 0);
    Driver driver(IDC_OFFSET_TRACK_1);
    driver.Press(IDOK);
    driver.Run([&] { RunOffsetDialog(nullptr, IDD_MODIFY_YUV, AdjustPixelsYuv, picture.get()); });
    EXPECT_EQ(expected, picture.At(2, 1));
}

TEST_F(EffectDialogTest, HsiUsesTheYuvDialogUnderItsOwnCaption) {
    OwnedBlock picture(8, 8, 0x204060);
    std::string caption;
    Driver driver(IDC_OFFSET_TRACK_1);
    driver.Then([&](HWND d) {
              char text[64] = {};
              GetWindowTextA(d, text, sizeof text);
              caption = text;
          })
        .Slide(IDC_OFFSET_TRACK_3, 10)
        .Press(IDOK);
    driver.Run([&] { RunOffsetDialog(nullptr, IDD_MODIFY_YUV, AdjustPixelsHsi, picture.get(), "Modify HSI"); });
    EXPECT_EQ("Modify HSI", caption);
    EXPECT_EQ(0x2A4A6Au, picture.At(0, 0)) << "intensity +10 on every channel";
}

TEST(HsiAdjustmentTest, ZeroOffsetsKeepPixelsAndHueTurnsAroundGrey) {
    DWORD pixels[3] = {0x00123456, 0x00FF0000, 0x00808080};
    AdjustPixelsHsi(pixels, 3, 0, 0, 0);
    EXPECT_EQ(0x00123456u, pixels[0]);
    EXPECT_EQ(0x00FF0000u, pixels[1]);
    // A third of a turn carries red to green; grey stays grey.
    DWORD turned[2] = {0x00FF0000, 0x00808080};
    AdjustPixelsHsi(turned, 2, 85, 0, 0);
    EXPECT_LT((turned[0] >> 16) & 0xFF, 0x10u);
    EXPECT_GT((turned[0] >> 8) & 0xFF, 0xF0u);
    EXPECT_EQ(0x00808080u, turned[1]);
    // Saturation -128 makes grey, +127 pushes channels apart (clamped).
    DWORD grey = 0x00FF8000;
    AdjustPixelsHsi(&grey, 1, 0, -128, 0);
    EXPECT_EQ(0x007F7F7Fu, grey);
    DWORD vivid = 0x00A08060;
    AdjustPixelsHsi(&vivid, 1, 0, 127, -300);
    EXPECT_EQ(0u, vivid) << "intensity clamps at black";
}

TEST_F(EffectDialogTest, RotateAngleFollowsTrackbarAndTypingAndIsRemembered) {
    SetRememberedRotation(45);
    OwnedBlock picture(60, 20, 0xFFFFFF);
    std::string first, afterSlide;
    int afterTyping = 0;
    Driver driver(IDC_ROTATE_TRACK);
    driver.Then([&](HWND d) { first = Text(d, IDC_ROTATE_EDIT); })
        .Type(IDC_ROTATE_EDIT, "90")
        .Then([&](HWND d) { afterTyping = Position(d, IDC_ROTATE_TRACK); })
        .Slide(IDC_ROTATE_TRACK, -30)
        .Then([&](HWND d) { afterSlide = Text(d, IDC_ROTATE_EDIT); })
        .Type(IDC_ROTATE_EDIT, "abc")   // not a number: nothing changes
        .Press(IDOK);
    int degrees = 0;
    bool ok = false;
    driver.Run([&] { ok = RunRotateDialog(nullptr, picture.get(), &degrees); });
    EXPECT_TRUE(ok);
    EXPECT_EQ("45", first) << "45 the first time";
    EXPECT_EQ(90, afterTyping);
    EXPECT_EQ("-30", afterSlide);
    EXPECT_EQ(-30, degrees);
    EXPECT_EQ(-30, RememberedRotation());

    Driver again(IDC_ROTATE_TRACK);
    std::string start;
    again.Then([&](HWND d) { start = Text(d, IDC_ROTATE_EDIT); }).Slide(IDC_ROTATE_TRACK, 200).Press(IDCANCEL);
    again.Run([&] { ok = RunRotateDialog(nullptr, picture.get(), &degrees); });
    EXPECT_FALSE(ok);
    EXPECT_EQ("-30", start) << "the angle is remembered";
    EXPECT_EQ(-30, degrees) << "Cancel hands nothing back";
}

TEST(FitSizeTest, ShrinksByTheLongerSideAndNeverPastTheBox) {
    SIZE s = FitSize(100, 80, 400, 200);
    EXPECT_EQ(100, s.cx);
    EXPECT_EQ(50, s.cy);
    s = FitSize(100, 80, 200, 400);
    EXPECT_EQ(40, s.cx);
    EXPECT_EQ(80, s.cy);
    s = FitSize(100, 50, 200, 190);
    EXPECT_LE(s.cy, 50) << "a wide box and an almost square picture: the height decides";
    EXPECT_EQ(52, s.cx);
    s = FitSize(100, 80, 30, 20);
    EXPECT_EQ(30, s.cx) << "a picture that fits keeps its size";
    EXPECT_EQ(20, s.cy);
    s = FitSize(100, 80, 1000, 2);
    EXPECT_EQ(6, s.cy) << "at least 6";
    s = FitSize(100, 80, 1000, 2, 4);
    EXPECT_EQ(4, s.cy);
}

TEST(RotatePreviewTest, EveryTurnFitsTheSquare) {
    const SIZE wide = RotatePreviewSize(100, 300, 400);
    EXPECT_EQ(60, wide.cx) << "100 * 300 / 500";
    EXPECT_EQ(80, wide.cy);
    const SIZE thin = RotatePreviewSize(100, 1000, 1);
    EXPECT_EQ(100, thin.cx);
    EXPECT_EQ(2, thin.cy) << "at least 2";
}

TEST_F(EffectDialogTest, SmoothZoomLimitsSyncAndTypedSizes) {
    SetSmoothZoomSync(false);
    OwnedBlock picture(100, 50, 0x123456);
    std::vector<std::string> start;
    std::string heightAfterSync;
    int heightPosition = 0, clampedPosition = 0;
    Driver driver(IDC_ZOOM_WIDTH_TRACK);
    driver
        .Then([&](HWND d) {
            start = {Text(d, IDC_ZOOM_WIDTH_EDIT), Text(d, IDC_ZOOM_HEIGHT_EDIT), Text(d, IDC_ZOOM_WIDTH_LOW),
                     Text(d, IDC_ZOOM_WIDTH_HIGH), Text(d, IDC_ZOOM_HEIGHT_HIGH)};
        })
        .Click(IDC_ZOOM_SYNC)
        .Slide(IDC_ZOOM_WIDTH_TRACK, 150)
        .Then([&](HWND d) {
            heightAfterSync = Text(d, IDC_ZOOM_HEIGHT_EDIT);
            heightPosition = Position(d, IDC_ZOOM_HEIGHT_TRACK);
        })
        .Type(IDC_ZOOM_WIDTH_EDIT, "9999")
        .Then([&](HWND d) { clampedPosition = Position(d, IDC_ZOOM_WIDTH_TRACK); })
        .Type(IDC_ZOOM_HEIGHT_EDIT, "2")
        .Press(IDOK);
    SIZE size = {};
    bool ok = false;
    driver.Run([&] { ok = RunSmoothZoomDialog(nullptr, picture.get(), &size); });
    EXPECT_TRUE(ok);
    EXPECT_EQ((std::vector<std::string>{"100", "50", "4", "200", "100"}), start);
    EXPECT_EQ("75", heightAfterSync) << "150 * 50 / 100";
    EXPECT_EQ(75, heightPosition);
    EXPECT_EQ(200, clampedPosition) << "a typed width is held to twice the picture's";
    EXPECT_EQ(200, size.cx);
    EXPECT_EQ(4, size.cy) << "a side typed below 4 is taken as 4";
    EXPECT_TRUE(SmoothZoomSyncOn()) << "the sync switch is remembered";

    Driver cancel(IDC_ZOOM_WIDTH_TRACK);
    bool syncShown = false;
    cancel.Then([&](HWND d) { syncShown = Checked(d, IDC_ZOOM_SYNC); }).Press(IDCANCEL);
    cancel.Run([&] { ok = RunSmoothZoomDialog(nullptr, picture.get(), &size); });
    EXPECT_FALSE(ok);
    EXPECT_TRUE(syncShown);
    SetSmoothZoomSync(false);
}

}  // namespace
