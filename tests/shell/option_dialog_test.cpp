// The Option and About dialogs, run modally from the test program's own
// resources and driven by a thread timer that works the controls the way a
// user would, answers the message boxes and presses OK or Cancel.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <deque>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "about_dialog.h"
#include "load.h"
#include "option_dialog.h"
#include "resource_ids.h"
#include "settings.h"
#include "program.h"
#include "shell_test_files.h"
#include "dialog_driver.h"

namespace {

std::deque<std::string> g_pictures;  // answers to "Select Picture", in turn
std::string NextPicture(HWND) {
    if (g_pictures.empty()) return "";
    std::string path = g_pictures.front();
    g_pictures.pop_front();
    return path;
}
COLORREF g_color = 0;
bool PickColor(HWND, COLORREF* color) {
    *color = g_color;
    return true;
}

class OptionDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        InitCommonControls();
        ASSERT_TRUE(EnsureImageLibrary());
    }
    void SetUp() override {
        Program().mainModule = Program().resourceModule = GetModuleHandleA(nullptr);
        ForgetIni();
        SetFramePictureAsker(NextPicture);
        SetColorAsker(PickColor);
        g_pictures.clear();
    }
    void TearDown() override {
        SetFramePictureAsker(nullptr);
        SetColorAsker(nullptr);
        ForgetIni();
    }

    bool Run(Driver& driver, OptionResult* result = nullptr) {
        bool changed = false;
        driver.Run([&] { changed = ShowOptionDialog(nullptr, result); });
        EXPECT_FALSE(driver.timedOut) << "the dialog had to be cancelled";
        return changed;
    }
};

class AboutDialogTest : public OptionDialogTest {};

}  // namespace

TEST_F(OptionDialogTest, ShowsTheStoredValuesAndCancelWritesNothing) {
    Put("Timer", "1234");
    Put("WindowSizeAutoChange", "2");
    Put("ActiveToward", "-1");
    Put("AutoPicPos", "0");
    Put("WheelZoom", "0");
    Put("EnablePicSize", "0");
    Put("BackgroundIndex", "3");
    Put("LeftWidth", "50");  // more than half of a built-in frame
    Put("LeftHeight", "7");
    const std::string before = IniText();

    Driver driver(IDC_OPTION_DELAY);
    HWND seen = nullptr;
    driver.Then([&](HWND d) {
        seen = d;
        EXPECT_EQ(123, Position(d, IDC_OPTION_DELAY)) << "hundredths, truncated";
        EXPECT_EQ("1.23s", Text(d, IDC_OPTION_DELAY_TEXT));
        EXPECT_TRUE(Checked(d, IDC_OPTION_FIXED_POSITION));
        EXPECT_TRUE(Checked(d, IDC_OPTION_BACKWARD));
        EXPECT_TRUE(Checked(d, IDC_OPTION_MIDDLE));
        EXPECT_TRUE(Checked(d, IDC_OPTION_WHEEL_PAGE));
        EXPECT_FALSE(Checked(d, IDC_OPTION_SHOW_SIZE));
        EXPECT_TRUE(Checked(d, IDC_OPTION_PREDEFINED_FRAME));
        EXPECT_EQ(3, Position(d, IDC_OPTION_FRAME_INDEX));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDC_OPTION_SELECT_PICTURE)));
        EXPECT_EQ(32, Position(d, IDC_OPTION_BORDER_WIDTH)) << "clamped to half the 64-pixel frame";
        EXPECT_EQ("32", Text(d, IDC_OPTION_WIDTH_TEXT));
        EXPECT_EQ("32", Text(d, IDC_OPTION_WIDTH_LIMIT));
        EXPECT_EQ("7", Text(d, IDC_OPTION_HEIGHT_TEXT));
        EXPECT_EQ("32", Text(d, IDC_OPTION_HEIGHT_LIMIT));
    });
    // Change everything, then cancel.
    driver.Slide(IDC_OPTION_DELAY, 10)
        .Click(IDC_OPTION_AUTO_SIZE)
        .Click(IDC_OPTION_FORWARD)
        .Click(IDC_OPTION_SHOW_SIZE)
        .Click(IDC_OPTION_BACKGROUND_COLOR)
        .Slide(IDC_OPTION_FRAME_INDEX, 0)
        .Slide(IDC_OPTION_BORDER_HEIGHT, 20)
        .Press(IDCANCEL);
    g_color = RGB(1, 2, 3);
    OptionResult result;
    result.timerChanged = true;
    EXPECT_FALSE(Run(driver, &result));
    EXPECT_NE(nullptr, seen);
    EXPECT_FALSE(result.timerChanged) << "cleared on Cancel";
    EXPECT_EQ(before, IniText());
}

TEST_F(OptionDialogTest, ValuesOutsideTheirRangeOpenAsDefaultsOrClamped) {
    Put("Timer", "70000");
    Put("WindowSizeAutoChange", "5");
    Put("ActiveToward", "7");
    Put("BackgroundIndex", "9");
    Put("LeftWidth", "0");
    Driver driver(IDC_OPTION_DELAY);
    driver
        .Then([](HWND d) {
            EXPECT_EQ(50, Position(d, IDC_OPTION_DELAY));
            EXPECT_EQ("0.50s", Text(d, IDC_OPTION_DELAY_TEXT));
            EXPECT_TRUE(Checked(d, IDC_OPTION_AUTO_SIZE));
            EXPECT_TRUE(Checked(d, IDC_OPTION_FORWARD));
            EXPECT_TRUE(Checked(d, IDC_OPTION_PREDEFINED_FRAME));
            EXPECT_EQ(0, Position(d, IDC_OPTION_FRAME_INDEX));
            EXPECT_EQ(6, Position(d, IDC_OPTION_BORDER_WIDTH));
        })
        // The sliders do not go past their ends.
        .Slide(IDC_OPTION_DELAY, 9999)
        .Slide(IDC_OPTION_BORDER_WIDTH, 1)
        .Then([](HWND d) { EXPECT_EQ("60.00s", Text(d, IDC_OPTION_DELAY_TEXT)); })
        .Press(IDOK);
    OptionResult result;
    EXPECT_TRUE(Run(driver, &result));
    EXPECT_EQ("60000", Raw("Timer"));
    EXPECT_EQ("2", Raw("LeftWidth"));
    EXPECT_TRUE(result.timerChanged);
    EXPECT_EQ(60000, result.timer);
}

TEST_F(OptionDialogTest, OkWritesEveryEditedKeyInItsForm) {
    Driver driver(IDC_OPTION_DELAY);
    driver.Slide(IDC_OPTION_DELAY, 123)
        .Click(IDC_OPTION_FIXED_LEFT_TOP)
        .Click(IDC_OPTION_BACKWARD)
        .Click(IDC_OPTION_MIDDLE)
        .Click(IDC_OPTION_WHEEL_PAGE)
        .Click(IDC_OPTION_SHOW_SIZE)
        .Slide(IDC_OPTION_FRAME_INDEX, 2)
        .Slide(IDC_OPTION_BORDER_WIDTH, 9)
        .Slide(IDC_OPTION_BORDER_HEIGHT, 40)
        .Then([](HWND d) { EXPECT_EQ("1.23s", Text(d, IDC_OPTION_DELAY_TEXT)); })
        .Press(IDOK);
    OptionResult result;
    EXPECT_TRUE(Run(driver, &result));
    EXPECT_EQ("1230", Raw("Timer"));
    EXPECT_EQ("0", Raw("WindowSizeAutoChange"));
    EXPECT_EQ("-1", Raw("ActiveToward"));
    EXPECT_EQ("0", Raw("AutoPicPos"));
    EXPECT_EQ("0", Raw("WheelZoom"));
    EXPECT_EQ("0", Raw("EnablePicSize"));
    EXPECT_EQ("2", Raw("BackgroundIndex"));
    EXPECT_EQ("9", Raw("LeftWidth"));
    EXPECT_EQ("32", Raw("LeftHeight"));
    EXPECT_EQ("<none>", Raw("BackgroundColor")) << "the colour was not changed";
    EXPECT_EQ("<none>", Raw("PictureFrameImage"));
    EXPECT_TRUE(result.timerChanged);
    EXPECT_EQ(1230, result.timer);
    EXPECT_TRUE(result.viewerChanged);
    EXPECT_TRUE(result.pictureSizeChanged);
    EXPECT_TRUE(result.thumbFrameChanged);
    EXPECT_FALSE(result.listColorChanged);
}

TEST_F(OptionDialogTest, OkWithoutChangesReportsNoneAndLeavesTheColourAlone) {
    Put("Timer", "800");
    Driver driver(IDC_OPTION_DELAY);
    g_color = RGB(192, 192, 192);  // the colour it already has
    driver.Click(IDC_OPTION_BACKGROUND_COLOR).Press(IDOK);
    OptionResult result;
    EXPECT_FALSE(Run(driver, &result));
    EXPECT_FALSE(result.timerChanged || result.viewerChanged || result.listColorChanged ||
                 result.pictureSizeChanged || result.thumbFrameChanged);
    EXPECT_EQ(800, result.timer);
    EXPECT_EQ("800", Raw("Timer"));
    EXPECT_EQ("<none>", Raw("BackgroundColor"));
}

TEST_F(OptionDialogTest, AChangedColourIsWrittenInHexadecimal) {
    Driver driver(IDC_OPTION_DELAY);
    g_color = RGB(0x00, 0x80, 0xFF);
    driver.Click(IDC_OPTION_BACKGROUND_COLOR).Press(IDOK);
    OptionResult result;
    EXPECT_TRUE(Run(driver, &result));
    EXPECT_EQ("0xFF8000", Raw("BackgroundColor"));
    EXPECT_EQ(0xFF8000u, settings::Read(settings::kBackgroundColor));
    EXPECT_TRUE(result.listColorChanged);
    EXPECT_FALSE(result.timerChanged);
}

TEST_F(OptionDialogTest, AFramePictureMustBeReadableAndAtMost80By80) {
    const std::string fits = WriteBmp("option_frame_fits.bmp", 40, 30);
    const std::string large = WriteBmp("option_frame_large.bmp", 81, 20);
    const std::string text = Beside("option_frame.txt");
    std::ofstream(text) << "not a picture";
    g_pictures = {text, large, fits};

    Driver driver(IDC_OPTION_DELAY);
    driver.Click(IDC_OPTION_USER_FRAME)
        .Then([](HWND d) {
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, IDC_OPTION_SELECT_PICTURE)));
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDC_OPTION_FRAME_INDEX)));
        })
        .Click(IDC_OPTION_SELECT_PICTURE)
        .Click(IDC_OPTION_SELECT_PICTURE)
        .Then([](HWND d) { EXPECT_EQ("", Text(d, IDC_OPTION_FRAME_FILE)) << "refused pictures are not taken"; })
        .Click(IDC_OPTION_SELECT_PICTURE)
        .Then([&](HWND d) {
            EXPECT_EQ(fits, Text(d, IDC_OPTION_FRAME_FILE));
            EXPECT_EQ("20", Text(d, IDC_OPTION_WIDTH_LIMIT));
            EXPECT_EQ("15", Text(d, IDC_OPTION_HEIGHT_LIMIT));
        })
        .Press(IDOK);
    OptionResult result;
    EXPECT_TRUE(Run(driver, &result));
    ASSERT_EQ(2u, driver.boxes.size());
    EXPECT_EQ("Not Picture: Only the Support format Picture Can be Selected !", driver.boxes[0]);
    EXPECT_EQ("Size Large: BMP Size large 80X80 !", driver.boxes[1]);
    EXPECT_EQ("-1", Raw("BackgroundIndex"));
    EXPECT_EQ(fits, Raw("PictureFrameImage"));
    EXPECT_EQ("6", Raw("LeftWidth"));
    EXPECT_TRUE(result.thumbFrameChanged);
    for (const std::string& path : {fits, large, text}) DeleteFileA(path.c_str());
}

TEST_F(OptionDialogTest, AUserFrameWithoutAPictureKeepsTheDialogOpen) {
    Driver driver(IDC_OPTION_DELAY);
    bool stillOpen = false;
    driver.Click(IDC_OPTION_USER_FRAME)
        .Then([](HWND d) { SendMessageA(d, WM_COMMAND, IDOK, 0); })
        .Then([&](HWND d) { stillOpen = IsWindow(d) != FALSE; })
        .Press(IDCANCEL);
    EXPECT_FALSE(Run(driver));
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(1u, driver.boxes.size());
    EXPECT_EQ(0u, driver.boxes[0].find("Not Picture:"));
    EXPECT_EQ("", IniText());
}

TEST_F(AboutDialogTest, ShowsTheDisplayNameAndTheOemTextCentredOnTheFrame) {
    Put("OMMAVUNAME", "Pictor", settings::kInstall);
    Put("EXTNAME", "-Studio", settings::kInstall);
    Put("OEM", "Licensed to Example Ltd.", settings::kInstall);
    HWND frame = CreateWindowExA(0, "STATIC", "frame", WS_POPUP | WS_VISIBLE, 60, 40, 600, 420, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, frame);

    Driver driver(IDC_ABOUT_NAME);
    RECT box = {};
    char caption[128] = {};
    HICON icon = nullptr;
    std::string name, text;
    driver
        .Then([&](HWND d) {
            name = Text(d, IDC_ABOUT_NAME);
            text = Text(d, IDC_ABOUT_TEXT);
            GetWindowTextA(d, caption, sizeof caption);
            GetWindowRect(d, &box);
            icon = reinterpret_cast<HICON>(SendDlgItemMessageA(d, IDC_ABOUT_ICON, STM_GETICON, 0, 0));
        })
        .Press(IDOK);
    driver.Run([&] { ShowAboutDialog(frame); });
    EXPECT_EQ("Pictor-Studio", name);
    EXPECT_EQ("Licensed to Example Ltd.", text);
    EXPECT_NE(nullptr, strstr(caption, "Pictor-Studio"));
    EXPECT_NE(nullptr, icon) << "the logo";
    EXPECT_NEAR(60 + 300, (box.left + box.right) / 2, 1);
    EXPECT_NEAR(40 + 210, (box.top + box.bottom) / 2, 1);

    // Without the OEM value the product text stays.
    Put("OEM", nullptr, settings::kInstall);
    Driver plain(IDC_ABOUT_NAME);
    plain.Then([&](HWND d) { text = Text(d, IDC_ABOUT_TEXT); }).Press(IDOK);
    plain.Run([&] { ShowAboutDialog(frame); });
    EXPECT_FALSE(text.empty());
    EXPECT_NE("Licensed to Example Ltd.", text);
    DestroyWindow(frame);
}
