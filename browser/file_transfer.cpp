#include "file_transfer.h"

#include <cstdio>

#include "browser_window.h"
#include "file_list.h"
#include "file_operations.h"
#include "folder_chooser.h"
#include "named_folders.h"
#include "program.h"
#include "resource_ids.h"
#include "send_to_cache.h"

namespace {

std::string StringOr(UINT id, const char* fallback) {
    std::string text = ResourceString(id);
    return text.empty() ? fallback : text;
}

std::string Formatted(const std::string& format, const std::string& detail) {
    const size_t at = format.find("%s");
    if (at == std::string::npos) return format;
    return format.substr(0, at) + detail + format.substr(at + 2);
}

bool AskOverwrite(HWND owner, const std::vector<std::string>& existing) {
    std::string names;
    for (size_t i = 0; i < existing.size() && i < 10; ++i) names += existing[i] + "\n";
    if (existing.size() > 10) names += "...\n";
    const std::string text = Formatted(
        StringOr(IDS_REPLACE_FILES, "These files are there already:\n%s\nReplace them?"), names);
    return MessageBoxA(owner, text.c_str(), StringOr(IDS_PRODUCT_NAME, "Ommavu").c_str(),
                       MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

bool IsExistingFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A full path: a drive letter and a backslash, or a UNC name.
bool IsAbsolute(const std::string& path) {
    if (path.size() >= 3 && path[1] == ':' && path[2] == '\\') return true;
    return path.size() >= 3 && path[0] == '\\' && path[1] == '\\';
}

}  // namespace

void ShowFileMessage(HWND owner, UINT textId, const char* fallback, const std::string& detail) {
    const std::string text = Formatted(StringOr(textId, fallback), detail);
    MessageBoxA(owner, text.c_str(), StringOr(IDS_PRODUCT_NAME, "Ommavu").c_str(), MB_OK | MB_ICONWARNING);
}

void InstallOverwriteQuestion() { SetOverwriteQuestion(AskOverwrite); }

void PutSelectionOnClipboard(HWND browser, DWORD effect) {
    const std::vector<std::string> paths = SelectedItemPaths(false);
    if (paths.empty()) return;
    if (!PutFilesOnClipboard(browser, effect, paths)) {
        ShowFileMessage(browser, IDS_CLIPBOARD_BUSY, "The clipboard is in use by another program.", "");
        return;
    }
    MarkCutItems(effect == kDropMove ? paths : std::vector<std::string>());
}

void PasteIntoShownFolder(HWND browser, DWORD effect) {
    const std::string folder = BrowsedFolderPath();
    if (folder.empty()) return;
    const std::string prefix = StringOr(IDS_COPY_PREFIX, "Copy");
    const PasteOutcome outcome =
        effect == kDropMove ? PasteFilesMove(browser, folder, prefix) : PasteFilesCopy(browser, folder, prefix);
    switch (outcome) {
    case kPasteDone:
        if (effect == kDropMove) MarkCutItems({});
        break;
    case kPasteClipboardBusy:
        ShowFileMessage(browser, IDS_CLIPBOARD_BUSY, "The clipboard is in use by another program.", "");
        break;
    case kPasteSameFolder:
        ShowFileMessage(browser, IDS_PASTE_SAME_FOLDER, "The cut files are in this folder already.", "");
        break;
    default:
        // The shell has shown its own error, or the user said No.
        break;
    }
}

bool TransferFilesToFolder(HWND owner, const std::vector<std::string>& paths, const std::string& folder, bool move) {
    if (paths.empty()) return false;
    if (!IsAbsolute(folder) || !IsExistingFolder(folder)) {
        ShowFileMessage(owner, IDS_DESTINATION_INVALID,
                        "The destination must be the full path of an existing folder:\n%s", folder);
        return false;
    }
    const std::string target = WithTrailingBackslash(folder);
    std::vector<std::string> destinations;
    for (const std::string& path : paths) {
        destinations.push_back(target + NamePart(path));
        if (destinations.back().size() >= MAX_PATH) {
            ShowFileMessage(owner, IDS_RENAME_TOO_LONG, "The path would be longer than 259 characters:\n%s",
                            destinations.back());
            return false;
        }
    }
    const std::string from = JoinPathList(paths);
    const std::string to = JoinPathList(destinations);
    return move ? MoveFilesTo(owner, from.c_str(), to.c_str()) : CopyFilesTo(owner, from.c_str(), to.c_str());
}

bool TransferToChosenFolder(HWND owner, const std::vector<std::string>& paths, bool move) {
    if (paths.empty()) return false;
    std::string destination;
    if (!ShowDestinationDialog(owner, &destination) || destination.empty()) return false;
    return TransferFilesToFolder(owner, paths, destination, move);
}

void SendSelectionToEntry(HWND browser, size_t entry, bool move) {
    const std::vector<SendToEntry>& entries = SendToEntries();
    if (entry >= entries.size() || !entries[entry].isFolder) return;
    const std::string target = entries[entry].target;
    TransferFilesToFolder(browser, SelectedItemPaths(false), target, move);
}
