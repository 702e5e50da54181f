// Tavirsel.INI through the real profile functions of the test prefix.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "settings.h"

namespace {

std::string IniPath() {
    char dir[MAX_PATH];
    GetWindowsDirectoryA(dir, sizeof dir);
    return std::string(dir) + "\\" + settings::kFileName;
}

std::string RawText(const char* section, const char* key) {
    char text[300] = {};
    GetPrivateProfileStringA(section, key, "<none>", text, sizeof text, settings::kFileName);
    return text;
}

void Raw(const char* section, const char* key, const char* value) {
    WritePrivateProfileStringA(section, key, value, settings::kFileName);
}

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Flush the profile cache, then start from no file at all.
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, settings::kFileName);
        DeleteFileA(IniPath().c_str());
    }
    void TearDown() override { SetUp(); }
};

const RECT kDesktop{0, 0, 1024, 768};

}  // namespace

TEST_F(SettingsTest, AFreshSystemReadsTheDefaults) {
    using namespace settings;
    EXPECT_TRUE(Read(kShowToolBar));
    EXPECT_TRUE(Read(kShowStatusBar));
    EXPECT_EQ(1, Read(kWindowSizeAutoChange));
    EXPECT_TRUE(Read(kAutoPicPos));
    EXPECT_TRUE(Read(kWheelZoom));
    EXPECT_EQ(1, ReadActiveToward());
    EXPECT_EQ(500, Read(kTimer));
    EXPECT_EQ(0xC0C0C0u, Read(kBackgroundColor));
    EXPECT_EQ(0, Read(kBackgroundIndex));
    EXPECT_EQ(6, Read(kLeftWidth));
    EXPECT_EQ(150, Read(kTreeViewLine));
    EXPECT_EQ(kNotSet, Read(kBrowserX));
    EXPECT_EQ("", Read(kDefaultPath));
    RECT r = ViewerFrameRect(kDesktop, 1024, 768);
    EXPECT_EQ(242, r.left);
    EXPECT_EQ(134, r.top);
    EXPECT_EQ(540, r.right - r.left);
    EXPECT_EQ(500, r.bottom - r.top);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(IniPath().c_str())) << "reading writes nothing";
}

TEST_F(SettingsTest, ValuesAreWrittenInTheirTextForms) {
    using namespace settings;
    Write(kTimer, 1230);
    EXPECT_EQ("1230", RawText(kParamter, "Timer"));
    EXPECT_EQ(1230, Read(kTimer));
    Write(kWheelZoom, false);
    EXPECT_EQ("0", RawText(kParamter, "WheelZoom"));
    EXPECT_FALSE(Read(kWheelZoom));
    Write(kWheelZoom, true);
    EXPECT_EQ("1", RawText(kParamter, "WheelZoom"));
    Write(kBackgroundColor, 0xFF8000);
    EXPECT_EQ("0xFF8000", RawText(kParamter, "BackgroundColor"));
    EXPECT_EQ(0xFF8000u, Read(kBackgroundColor));
    Write(kActiveToward, -1);
    EXPECT_EQ("-1", RawText(kParamter, "ActiveToward"));
    EXPECT_EQ(-1, ReadActiveToward());
    Write(kDefaultPath, "C:\\Pictures\\Trips");
    EXPECT_EQ("C:\\Pictures\\Trips", Read(kDefaultPath));
    WriteNumbered(kUninstall, kFileKey, 3, "C:\\Ommavu\\Lorimel.dll");
    EXPECT_EQ("C:\\Ommavu\\Lorimel.dll", RawText(kUninstall, "FILE3"));
    EXPECT_EQ("C:\\Ommavu\\Lorimel.dll", ReadNumbered(kUninstall, kFileKey, 3));
    // Section and key names are the ones always written, "Paramter" included.
    EXPECT_EQ(0, GetPrivateProfileIntA("Paramter", "Timer", 0, IniPath().c_str()) - 1230);
}

TEST_F(SettingsTest, OutOfRangeValuesReadAsTheirDefaults) {
    using namespace settings;
    Raw(kParamter, "ActiveToward", "7");
    EXPECT_EQ(1, ReadActiveToward());
    Raw(kParamter, "ActiveToward", "0");
    EXPECT_EQ(1, ReadActiveToward());
    Raw(kParamter, "Timer", "70000");
    EXPECT_EQ(500, Read(kTimer));
    Raw(kParamter, "WindowSizeAutoChange", "5");
    EXPECT_EQ(1, Read(kWindowSizeAutoChange));
    Raw(kParamter, "BackgroundIndex", "-1");
    EXPECT_EQ(-1, Read(kBackgroundIndex)) << "the user-defined frame picture";
    Raw(kParamter, "LeftWidth", "1");
    EXPECT_EQ(6, Read(kLeftWidth));
}

TEST_F(SettingsTest, ValuesThatAreNoNumberOrBeyond32BitsReadAsTheirDefaults) {
    using namespace settings;
    struct Case {
        const char* text;
        int timer;          // "Timer": default 500, 0..60000
        bool wheelZoom;     // "WheelZoom": default on
        COLORREF colour;    // "BackgroundColor": default 0xC0C0C0
    };
    const Case cases[] = {
        {"not a number", 500, true, 0xC0C0C0},
        {"", 500, true, 0xC0C0C0},
        {"-", 500, true, 0xC0C0C0},
        {"12345678901234", 500, true, 0xC0C0C0},
        {"0x123456789", 500, true, 0xC0C0C0},
        {"  1230 ms", 1230, true, 1230},   // as the profile reader: digits first, the rest ignored
        {"0", 0, false, 0},
        {"0x10", 16, true, 16},
    };
    for (const Case& c : cases) {
        Raw(kParamter, "Timer", c.text);
        Raw(kParamter, "WheelZoom", c.text);
        Raw(kParamter, "BackgroundColor", c.text);
        EXPECT_EQ(c.timer, Read(kTimer)) << '"' << c.text << '"';
        EXPECT_EQ(c.wheelZoom, Read(kWheelZoom)) << '"' << c.text << '"';
        EXPECT_EQ(c.colour, Read(kBackgroundColor)) << '"' << c.text << '"';
    }
}

// Kinds of damage a hand-edited or broken file brings: the four texts of a
// window's left, top, width and height.
struct Damage {
    const char* x;
    const char* y;
    const char* width;
    const char* height;
};
const Damage kDamage[] = {
    {"0", "0", "800", "12345678901234"},                  // a height of 14 digits
    {"0", "-138000000", "800", "600"},                    // far above the screen
    {"2147483647", "2147483647", "800", "600"},           // positions at the upper limit
    {"-2147483648", "-2147483647", "800", "600"},         // ... and the lower one
    {"-2147483647", "100", "2147483647", "600"},          // an edge past the integer limit
    {"100", "100", "-800", "-600"},                       // negative sizes
    {"100", "100", "2147483647", "2147483647"},           // sizes at the limit
    {"100", "100", "0", "5"},                             // sizes too small to use
    {"abc", "12x", "wide", ""},                           // no numbers at all
    {"0x7FFFFFFF", "-0", "0x7FFFFFFF", "1e9"},            // hexadecimal, exponents
    {"1000", "740", "800", "600"},                        // mostly off the bottom-right
};

TEST_F(SettingsTest, ADamagedFileStillOpensTheViewerOnTheDesktopAtAUsableSize) {
    using namespace settings;
    for (const Damage& d : kDamage) {
        Raw(kParamter, "ShowX", d.x);
        Raw(kParamter, "ShowY", d.y);
        Raw(kParamter, "ShowSX", d.width);
        Raw(kParamter, "ShowSY", d.height);
        const RECT r = ViewerFrameRect(kDesktop, 1024, 768);
        RECT common;
        EXPECT_TRUE(IntersectRect(&common, &r, &kDesktop)) << d.x << " " << d.y << " " << d.width << " " << d.height;
        EXPECT_GE(r.right - r.left, 100) << d.width;
        EXPECT_LE(r.right - r.left, 1024) << d.width;
        EXPECT_GE(r.bottom - r.top, 100) << d.height;
        EXPECT_LE(r.bottom - r.top, 768) << d.height;
    }
}

TEST_F(SettingsTest, ViewerFrameOffTheDesktopOpensCentred) {
    using namespace settings;
    Write(kShowX, 5000);
    Write(kShowY, 10);
    RECT r = ViewerFrameRect(kDesktop, 1024, 768);
    EXPECT_EQ(242, r.left);
    EXPECT_EQ(134, r.top);
    EXPECT_EQ(782, r.right);
    EXPECT_EQ(634, r.bottom);

    RECT frame{-100, -50, 700, 650};  // partly off: kept, size not limited
    WriteViewerFrameRect(frame);
    RECT kept = ViewerFrameRect(kDesktop, 1024, 768);
    EXPECT_TRUE(EqualRect(&frame, &kept));
    EXPECT_EQ("800", RawText(kParamter, "ShowSX"));

    // Each side wholly beyond the desktop falls back.
    const RECT off[] = {{-900, 0, -1, 500}, {0, -900, 540, -1}, {1025, 0, 1565, 500}, {0, 769, 540, 1269}};
    for (const RECT& o : off) {
        RECT placed = PlaceOnDesktop(o, kDesktop, 1024, 768);
        EXPECT_EQ(242, placed.left) << o.left << "," << o.top;
    }
    RECT touching{-540, 0, 0, 500};  // right edge on the desktop's left edge
    RECT placed = PlaceOnDesktop(touching, kDesktop, 1024, 768);
    EXPECT_TRUE(EqualRect(&touching, &placed));
}

TEST_F(SettingsTest, TypeColoursGetTheirDefaultsOnlyWhenUnset) {
    using namespace settings;
    EXPECT_EQ(-1, ReadTypeColor("BMP"));
    EnsureTypeColorDefaults();
    EXPECT_EQ("12", RawText(kTypeColor, "Number"));
    EXPECT_EQ("0xFFFF00", RawText(kTypeColor, "BMP"));
    EXPECT_EQ(0x8000FF, ReadTypeColor("JPEG"));
    EXPECT_EQ(0x808040, ReadTypeColor("TGA"));
    EXPECT_EQ(-1, ReadTypeColor("XYZ")) << "a type without a key";

    Raw(kTypeColor, "BMP", "0x123456");
    EnsureTypeColorDefaults();
    EXPECT_EQ(0x123456, ReadTypeColor("BMP")) << "a user's colour survives the next start";

    Raw(kTypeColor, "Number", "0");
    EnsureTypeColorDefaults();
    EXPECT_EQ(0xFFFF00, ReadTypeColor("BMP")) << "Number 0 rewrites the defaults";

    // The one-pass reader answers every key as the one-key reader does.
    Raw(kTypeColor, "Decimal", "255");
    Raw(kTypeColor, "Junk", "green");
    const auto colorOf = ReadAllTypeColors();
    for (const char* type : {"BMP", "bmp", "JPEG", "TGA", "XYZ", "Decimal", "Number", ""})
        EXPECT_EQ(ReadTypeColor(type), colorOf(type)) << type;
    EXPECT_EQ(0, colorOf("Junk"));
}
