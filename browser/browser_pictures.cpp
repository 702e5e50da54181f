// The browser's picture commands: the viewer's current picture becomes the
// browser's background picture ("Backimg.bmp") or the thumbnail frame
// picture ("PicFrame.bmp"), both in the system directory.
#include <string>

#include "browser_features.h"
#include "commands.h"
#include "desktop_pictures.h"
#include "document.h"
#include "file_list.h"
#include "program.h"
#include "resource_ids.h"
#include "settings.h"

namespace {

// The Option dialog's limit for a frame picture.
constexpr int kLargestFrameSide = 80;

std::string SystemFolderFile(const char* name) {
    char folder[MAX_PATH] = "";
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    std::string path = length > 0 && length < MAX_PATH ? folder : "";
    if (!path.empty() && path.back() != '\\') path += '\\';
    return path + name;
}

}  // namespace

void BrowserPictureCommand(HWND browser, UINT id) {
    const PictureDocument& document = CurrentDocument();
    const DibBlock* picture = document.picture ? document.picture->working : nullptr;
    if (!picture) return;
    if (id == IDC_BACKGROUND_PICTURE) {
        const std::string path = SystemFolderFile("Backimg.bmp");
        if (SaveWallpaperBitmap(picture, path)) settings::Write(settings::kBackgroundImage, path);
        return;
    }
    if (id != IDC_THUMB_FRAME_PICTURE) return;
    if (DibWidth(picture) > kLargestFrameSide || DibHeight(picture) > kLargestFrameSide) {
        MessageBoxA(browser, ResourceString(IDS_SIZE_LARGE).c_str(), ResourceString(IDS_SIZE_LARGE_TITLE).c_str(),
                    MB_ICONEXCLAMATION | MB_OK);
        return;
    }
    const std::string path = SystemFolderFile("PicFrame.bmp");
    if (!SaveWallpaperBitmap(picture, path)) return;
    settings::Write(settings::kPictureFrameImage, path);
    settings::Write(settings::kBackgroundIndex, -1);
    ApplyListLook();
}
