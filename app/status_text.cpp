#include "status_text.h"

#include <commctrl.h>

#include <cstdio>

#include "browser_window.h"
#include "document_link.h"
#include "resource_ids.h"
#include "program.h"

namespace {

constexpr int kTextParts = kStatusTextParts;

// The file named by the last "cannot be read" note, until a picture shows.
std::string g_unreadable;

std::string FileNameOf(const std::string& path) {
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string SizeTextOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return "0";
    return FormatFileSize((static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

}  // namespace

void RefreshCaptionAndStatus(HWND window, HWND bar) {
    const ProgramState& shell = Program();
    DocumentFacts facts = CurrentDocumentFacts();
    std::string name = DisplayName();
    std::string texts[kTextParts];
    char buffer[1024];
    std::string caption = name;
    bool isFrame = window == shell.frame;
    if (!facts.hasPicture) {
        int count = isFrame ? facts.listLength : BrowserItemCount();
        std::snprintf(buffer, sizeof buffer, "%d %s", count, ResourceString(IDS_STATUS_OBJECTS).c_str());
        texts[0] = buffer;
        // Only while that file is still the current one.
        if (!g_unreadable.empty() && lstrcmpiA(g_unreadable.c_str(), facts.file.c_str()) == 0) {
            std::snprintf(buffer, sizeof buffer, ResourceString(IDS_STATUS_UNREADABLE).c_str(),
                          FileNameOf(g_unreadable).c_str());
            texts[1] = buffer;
        }
    } else {
        g_unreadable.clear();
        std::snprintf(buffer, sizeof buffer, "%s [%s - %dx%d]", name.c_str(), facts.file.c_str(), facts.width,
                      facts.height);
        caption = buffer;
        std::snprintf(buffer, sizeof buffer, "%d/%d %s", facts.position + 1, facts.listLength,
                      ResourceString(IDS_STATUS_PICTURES).c_str());
        texts[0] = buffer;
        if (facts.pageCount > 1) {
            std::snprintf(buffer, sizeof buffer, " [%2d/%d %s]", facts.page + 1, facts.pageCount,
                          ResourceString(IDS_STATUS_FRAMES).c_str());
            texts[0] += buffer;
        }
        if (bar) texts[1] = StatusPartText(bar, 1);
        texts[2] = FileNameOf(facts.file);
        // An acquired picture has no file size: a file of its name is
        // another picture.
        texts[3] = facts.notOnDisk ? std::string() : SizeTextOf(facts.file);
        if (facts.reduced)
            std::snprintf(buffer, sizeof buffer, ResourceString(IDS_STATUS_PICTURE_REDUCED).c_str(), facts.width,
                          facts.height, facts.fileWidth, facts.fileHeight, facts.bitsPerPixel, facts.format.c_str());
        else
            std::snprintf(buffer, sizeof buffer, ResourceString(IDS_STATUS_PICTURE_INFO).c_str(), facts.width,
                          facts.height, facts.bitsPerPixel, facts.format.c_str());
        texts[4] = buffer;
        if (facts.loadTimeMs > 0) {
            std::snprintf(buffer, sizeof buffer, ResourceString(IDS_STATUS_LOAD_TIME).c_str(),
                          static_cast<int>(facts.loadTimeMs / 1000), static_cast<int>(facts.loadTimeMs % 1000));
            texts[1] = buffer;
        }
    }
    // The Windows 2000 family keeps the window's own caption.
    if (window && !shell.system.windows2000OrLater) SetWindowTextA(window, caption.c_str());
    if (!bar) return;
    for (int i = 0; i < kTextParts; ++i) SetStatusPartText(bar, i, texts[i]);
    ApplyStatusParts(bar, texts);
}

void ShowStatusNote(HWND bar, const std::string& text) {
    if (bar) SetStatusPartText(bar, kTextParts, text);
}

void NoteUnreadableFile(const std::string& path) { g_unreadable = path; }
