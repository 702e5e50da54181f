// Save as and Convert Picture on the viewer's current document.
#include <string>

#include "browser_window.h"
#include "commands.h"
#include "document.h"
#include "feature_commands.h"
#include "load.h"
#include "save_dialog.h"
#include "save_names.h"

namespace {

const DibBlock* PreloadedFrame(void* context, int index) {
    const PictureDocument* document = static_cast<const PictureDocument*>(context);
    if (index < 0 || index >= document->pageSlots || !document->pages[index]) return nullptr;
    return document->pages[index]->working;
}

// Pages that are not preloaded are decoded one at a time from the file.
struct PagesOnDemand {
    LorimelHandle file = nullptr;
    Picture* page = nullptr;

    ~PagesOnDemand() {
        FreePicture(page);
        if (file && ImageLibrary()) ImageLibrary()->CloseImageFile(file);
    }
    PagesOnDemand() = default;
    PagesOnDemand(const PagesOnDemand&) = delete;
    PagesOnDemand& operator=(const PagesOnDemand&) = delete;
};

const DibBlock* PageFromFile(void* context, int index) {
    PagesOnDemand* pages = static_cast<PagesOnDemand*>(context);
    FreePicture(pages->page);
    pages->page = pages->file ? LoadPagePicture(pages->file, index) : nullptr;
    return pages->page ? pages->page->working : nullptr;
}

std::string FolderForNames(const std::string& file) {
    const std::string own = FolderOf(file);
    if (!own.empty()) return own;
    return BrowsedFolderPath();
}

}  // namespace

void SavePictureCommand(HWND frame, UINT id) {
    PictureDocument& document = CurrentDocument();
    if (!document.picture || !document.picture->working) return;
    // An acquired picture only borrows its name ("Photo-XX.Bmp" in the
    // folder): a file of that name is another picture, never its original,
    // so replacing one is always asked and nothing is read from it.
    const bool ownFile = document.fileName[0] && !document.notOnDisk;
    const std::string file = ownFile ? document.fileName : "";
    const std::string suggested = ownFile ? "" : document.fileName;
    const DibBlock* current = document.picture->working;
    // Convert Picture turns the picture's file into another format: without
    // a file of its own there is nothing to convert (its menu item is greyed
    // then, and a command sent anyway is refused alike).
    if (id == IDC_CONVERT_PICTURE && !ownFile) return;
    // A picture held reduced is not the file's picture: it is saved as a new
    // file, and replacing any file (the original too) is asked first.
    if (document.reducedPicture == document.picture) {
        SavePictureDialogForDib(frame, current, FolderForNames(document.fileName));
        return;
    }
    // Convert Picture always saves the one picture shown, through "Save
    // Picture"; only Save as offers the frames of a multi-page file.
    if (id == IDC_CONVERT_PICTURE) {
        RunSavePictureDialog(frame, current, file, FolderForNames(file), "");
        return;
    }
    if (document.pageCount >= 2 && document.pages && document.pageSlots >= 2) {
        FrameList frames{document.pageSlots, PreloadedFrame, &document};
        std::string folder = BrowsedFolderPath();
        RunSavePicturesDialog(frame, frames, current, file,
                              folder.empty() ? FolderOf(document.fileName) : folder);
        return;
    }
    if (document.pageCount >= 2 && !file.empty() && ImageLibrary()) {
        PagesOnDemand pages;
        {
            DecodingLock lock;
            pages.file = ImageLibrary()->OpenImageFile(file.c_str(), "rb", document.formatName, 0);
            if (pages.file && ImageLibrary()->ReadImageHeader(pages.file) < 2) {
                ImageLibrary()->CloseImageFile(pages.file);
                pages.file = nullptr;
            }
        }
        if (pages.file) {
            FrameList frames{document.pageCount, PageFromFile, &pages};
            std::string folder = BrowsedFolderPath();
            RunSavePicturesDialog(frame, frames, current, file, folder.empty() ? FolderOf(file) : folder);
            return;
        }
    }
    RunSavePictureDialog(frame, current, file, FolderForNames(document.fileName), suggested);
}
