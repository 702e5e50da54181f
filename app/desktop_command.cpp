// The commands that hand the viewer's picture to the desktop: wallpaper,
// startup logo, shutdown screens and the screen saver's picture set.
#include <string>
#include <vector>

#include "commands.h"
#include "desktop_pictures.h"
#include "document.h"
#include "feature_commands.h"
#include "frame_window.h"
#include "program.h"
#include "resource_ids.h"
#include "wallpaper_dialog.h"

namespace {

const DibBlock* CurrentWorkingCopy() {
    const PictureDocument& document = CurrentDocument();
    return document.picture ? document.picture->working : nullptr;
}

std::string ScreenSaverProgram() {
    char module[MAX_PATH] = "";
    const DWORD length = GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string folder = length > 0 && length < MAX_PATH ? module : "";
    const size_t slash = folder.find_last_of('\\');
    folder = slash == std::string::npos ? "" : folder.substr(0, slash + 1);
    return folder + "Ommavu.SCR";
}

}  // namespace

void DesktopPictureCommand(HWND frame, UINT id) {
    const DesktopPaths paths = SystemDesktopPaths();
    const DibBlock* picture = CurrentWorkingCopy();
    switch (id) {
    case IDC_SET_WALLPAPER:
        if (picture && RunWallpaperDialog(frame, picture)) NoteWallpaperSetThisRun();
        break;
    case IDC_RESTORE_WALLPAPER:
        RestoreWallpaper();
        break;
    case IDC_SET_STARTUP_LOGO:
        if (picture) SetStartupLogo(picture, paths);
        break;
    case IDC_DEFAULT_STARTUP_LOGO:
        DefaultStartupLogo(paths);
        break;
    case IDC_SET_SHUTDOWN_PICTURE:
        if (picture) SetShutdownPictures(picture, paths);
        break;
    case IDC_RESTORE_SHUTDOWN_PICTURE:
        RestoreShutdownPictures(paths);
        break;
    case IDC_SET_SCREEN_SAVER: {
        std::vector<std::string> pictures;
        const OpenList& list = Program().openList;
        for (int i = 0; i < list.Count(); ++i) pictures.push_back(list.At(i));
        SetScreenSaverPictures(pictures, ScreenSaverProgram(), Program().system.windows9x);
        break;
    }
    default:
        break;
    }
    RefreshToolbarStates();
}
