// Tavirsel.INI: every section and key the suite reads or writes, with its
// type, default and range.  This is the only place the names live.
//
// Values are read through the profile functions at the moment they are
// needed and written at once; nothing is cached.  The file is named without
// a folder, so it lives in the Windows directory.  A missing file or key
// reads as the default.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace settings {

constexpr char kFileName[] = "Tavirsel.INI";

// Sections ("Paramter" is spelled as it has always been written).
constexpr char kParamter[] = "Paramter";
constexpr char kSettings[] = "SETTINGS";
constexpr char kTypeColor[] = "TYPECOLOR";
constexpr char kInstall[] = "INSTALL";
constexpr char kUninstall[] = "UNINSTALL";
constexpr char kScreenSaver[] = "SCRNSAVE";
constexpr char kJpegFormat[] = "JPEGFormat";
constexpr char kSetupOnly[] = "SETTING";
constexpr char kBanner[] = "ADBarParamter";

// An integer key with its default and inclusive range (values outside the
// range, values that are not numbers and numbers beyond 32 bits read as the
// default).
struct IntKey {
    const char* section;
    const char* name;
    int fallback;
    int low;
    int high;
};

// An on/off key, written as "1" or "0".
struct FlagKey {
    const char* section;
    const char* name;
    bool fallback;
};

// A colour key, written as "0x%lX" of a 0x00BBGGRR value.
struct ColorKey {
    const char* section;
    const char* name;
    COLORREF fallback;
};

// A text key with the longest value its reader takes.
struct TextKey {
    const char* section;
    const char* name;
    int maxLength;
};

constexpr int kNotSet = static_cast<int>(0x80000000);
constexpr int kAny = 0x7FFFFFFF;

// "Paramter": the viewer and shared preferences.
constexpr IntKey kShowX{kParamter, "ShowX", kNotSet, -kAny, kAny};  // default: centred
constexpr IntKey kShowY{kParamter, "ShowY", kNotSet, -kAny, kAny};
constexpr IntKey kShowSX{kParamter, "ShowSX", 540, -kAny, kAny};
constexpr IntKey kShowSY{kParamter, "ShowSY", 500, -kAny, kAny};
constexpr FlagKey kShowToolBar{kParamter, "ShowToolBar", true};
constexpr FlagKey kShowStatusBar{kParamter, "ShowStatusBar", true};
constexpr IntKey kWindowSizeAutoChange{kParamter, "WindowSizeAutoChange", 1, 0, 2};
constexpr FlagKey kAutoPicPos{kParamter, "AutoPicPos", true};
constexpr FlagKey kWheelZoom{kParamter, "WheelZoom", true};
constexpr IntKey kActiveToward{kParamter, "ActiveToward", 1, -1, 1};  // 1 or -1, see ReadActiveToward
constexpr IntKey kTimer{kParamter, "Timer", 500, 0, 60000};
constexpr ColorKey kBackgroundColor{kParamter, "BackgroundColor", 0xC0C0C0};
constexpr FlagKey kEnablePicSize{kParamter, "EnablePicSize", true};
// 0 to 3 a built-in frame, -1 the "PictureFrameImage" file, any other value
// no frame at all (so the whole range is read as written).
constexpr IntKey kBackgroundIndex{kParamter, "BackgroundIndex", 0, -kAny - 1, kAny};
constexpr TextKey kPictureFrameImage{kParamter, "PictureFrameImage", 259};
constexpr IntKey kLeftWidth{kParamter, "LeftWidth", 6, 2, kAny};
constexpr IntKey kLeftHeight{kParamter, "LeftHeight", 6, 2, kAny};
constexpr TextKey kInitialDir{kParamter, "InitialDir", 259};
constexpr TextKey kBackgroundImage{kParamter, "BackgroundImage", 259};

// "SETTINGS": the browser's layout and type registration.
constexpr IntKey kShowMode{kSettings, "ShowMode", 0, -kAny, kAny};
// Dividers are window coordinates: beyond what a window can measure they
// read as the default (the layout then fits them into the window).
constexpr int kCoordinate = 32767;
constexpr IntKey kTreeViewLine{kSettings, "TREEVIEWLINE", 150, -kCoordinate, kCoordinate};
constexpr IntKey kPreviewLine{kSettings, "PREVIEWLINE", 0, -kCoordinate, kCoordinate};
constexpr IntKey kListViewLine{kSettings, "LISTVIEWLINE", 100, -kCoordinate, kCoordinate};
constexpr IntKey kSaveTreeViewLine{kSettings, "SaveTreeViewLine", 0, 0, kCoordinate};
constexpr IntKey kSavePrevViewLine{kSettings, "SavePrevViewLine", 0, 0, kCoordinate};
constexpr IntKey kSaveListViewLine{kSettings, "SaveListViewLine", 0, 0, kCoordinate};
constexpr TextKey kDefaultPath{kSettings, "DEFAULTPATH", 259};
constexpr IntKey kBrowserX{kSettings, "BSWPOSX", kNotSet, -kAny - 1, kAny};
constexpr IntKey kBrowserY{kSettings, "BSWPOSY", kNotSet, -kAny - 1, kAny};
constexpr IntKey kBrowserWidth{kSettings, "BSWIDTH", kNotSet, -kAny - 1, kAny};
constexpr IntKey kBrowserHeight{kSettings, "BSWHIGH", kNotSet, -kAny - 1, kAny};
constexpr FlagKey kPicToIcon{kSettings, "PicToIcon", true};

// "TYPECOLOR": label colours of the picture types.
constexpr IntKey kTypeColorNumber{kTypeColor, "Number", 0, -kAny, kAny};

// "INSTALL": left by the installer or by hand for a rebranded build.
constexpr TextKey kProductName{kInstall, "OMMAVUNAME", 255};
constexpr TextKey kExtName{kInstall, "EXTNAME", 255};
constexpr TextKey kOem{kInstall, "OEM", 255};
constexpr TextKey kOemIcon{kInstall, "OEMICON", 259};
constexpr TextKey kGroup{kInstall, "GROUP", 259};
constexpr TextKey kInstallPath{kInstall, "INSTALLPATH", 259};

// "UNINSTALL": what the installer laid down, for the uninstaller.
constexpr IntKey kFileCount{kUninstall, "FILENUM", 0, 0, kAny};
constexpr char kFileKey[] = "FILE%d";
constexpr IntKey kDirCount{kUninstall, "PATHNUM", 0, 0, kAny};
constexpr char kDirKey[] = "DIR%d";
constexpr TextKey kFastLink{kUninstall, "FASTLINK", 259};
constexpr TextKey kUninstallPath{kUninstall, "UNINSTALLPATH", 259};

// "SCRNSAVE": the screen saver's picture set.
constexpr IntKey kPictureNumber{kScreenSaver, "PictureNumber", 0, 0, kAny};
constexpr char kPictureKey[] = "Picture%d";

// "JPEGFormat": the last quality chosen in the save dialogs (not read back).
constexpr IntKey kQuality{kJpegFormat, "Quality", 75, 0, 100};

// "SETTING": a window the installer notifies before copying (setup only).
constexpr IntKey kMonitor{kSetupOnly, "Monitor", 0, -kAny - 1, kAny};

// "ADBarParamter": the banner strip's picture.
constexpr TextKey kBannerImage{kBanner, "ImageFileName", 259};

int Read(const IntKey& key);
void Write(const IntKey& key, int value);
bool Read(const FlagKey& key);
void Write(const FlagKey& key, bool on);
COLORREF Read(const ColorKey& key);
void Write(const ColorKey& key, COLORREF color);
std::string Read(const TextKey& key);
void Write(const TextKey& key, const std::string& value);

// Numbered keys of the UNINSTALL and SCRNSAVE sections ("FILE%d" ...).
std::string ReadNumbered(const char* section, const char* pattern, int index);
void WriteNumbered(const char* section, const char* pattern, int index, const std::string& value);

// Page play direction: 1 forward, -1 backward; anything else reads forward.
int ReadActiveToward();

// A type's label colour from "TYPECOLOR"; -1 when the type has no key.
LONG ReadTypeColor(const char* typeName);
// Every "TYPECOLOR" key read in one pass (one file read instead of one per
// type): a lookup that answers as ReadTypeColor does, -1 for a type without
// a key.  A value that is no number reads as 0, as the profile functions do.
std::function<LONG(const char*)> ReadAllTypeColors();
// Writes the twelve default type colours when "Number" reads 0.
void EnsureTypeColorDefaults();

// Where the viewer frame opens: the four "Show" keys, or 540 x 500 centred
// on the screen when those lie wholly off the desktop.  A side below 100
// pixels is damage and takes its default; no side is larger than the
// desktop.
RECT ViewerFrameRect(const RECT& desktop, int screenWidth, int screenHeight);
// The same rule on a given rectangle (no file access).
RECT PlaceOnDesktop(const RECT& wanted, const RECT& desktop, int screenWidth, int screenHeight);
void WriteViewerFrameRect(const RECT& frame);

}  // namespace settings
