#include "file_operations.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <unordered_set>

namespace {

// Whether the disk shows a copy, move or rename with one destination per
// source done: Wine's shell answers success for a file that it left where it
// was because another program holds it open.
bool ArrivedOnDisk(UINT function, const char* from, const char* to) {
    const std::vector<std::string> sources = SplitPathList(from);
    const std::vector<std::string> destinations = SplitPathList(to);
    if (destinations.size() != sources.size()) return true;
    for (size_t i = 0; i < sources.size(); ++i) {
        if (GetFileAttributesA(destinations[i].c_str()) == INVALID_FILE_ATTRIBUTES) return false;
        // A change of case only is the same file under both names.
        if (function != FO_COPY && lstrcmpiA(sources[i].c_str(), destinations[i].c_str()) != 0 &&
            GetFileAttributesA(sources[i].c_str()) != INVALID_FILE_ATTRIBUTES)
            return false;
    }
    return true;
}

// One shell file operation; true only when it succeeded, nothing of it was
// cancelled and, for a copy, move or rename, every file is where it should be.
bool RunShellOperation(HWND owner, UINT function, const char* from, const char* to, FILEOP_FLAGS flags,
                       const char* title) {
    if (!from || !*from) return false;
    SHFILEOPSTRUCTA op = {};
    op.hwnd = owner;
    op.wFunc = function;
    op.pFrom = from;
    op.pTo = to;
    op.fFlags = flags;
    op.lpszProgressTitle = title;
    if (SHFileOperationA(&op) != 0 || op.fAnyOperationsAborted) return false;
    return function == FO_DELETE || !to || ArrivedOnDisk(function, from, to);
}

OverwriteQuestion g_overwriteQuestion = nullptr;

// True when nothing would be written over, or the user agreed.
bool OverwriteAllowed(HWND owner, const char* sources, const char* destinations) {
    const std::vector<std::string> existing = ExistingDestinations(sources, destinations);
    if (existing.empty()) return true;
    return g_overwriteQuestion && g_overwriteQuestion(owner, existing);
}

bool ShiftDown() { return ((GetKeyState(VK_SHIFT) | GetAsyncKeyState(VK_SHIFT)) & 0x8000) != 0; }

// Lower-case key of a name for the case-insensitive set.
std::string NameKey(const std::string& name) {
    std::string key = name;
    if (!key.empty()) CharLowerBuffA(&key[0], static_cast<DWORD>(key.size()));
    return key;
}

// Closes the clipboard at the end of the block.
class OpenedClipboard {
public:
    explicit OpenedClipboard(HWND owner) : open_(OpenClipboard(owner) != 0) {}
    ~OpenedClipboard() {
        if (open_) CloseClipboard();
    }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    bool Open() const { return open_; }

private:
    bool open_;
};

UINT DropEffectFormat() { return RegisterClipboardFormatA("Preferred DropEffect"); }

HGLOBAL SharedBlock(size_t bytes) { return GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE | GMEM_ZEROINIT, bytes); }

// The clipboard's file list while it is open.
std::vector<std::string> FilesOfOpenClipboard() {
    std::vector<std::string> paths;
    HDROP drop = static_cast<HDROP>(GetClipboardData(CF_HDROP));
    if (!drop) return paths;
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileA(drop, i, nullptr, 0);
        if (length == 0 || length >= MAX_PATH) continue;   // no path of ours is longer
        std::string path(length + 1, '\0');
        if (DragQueryFileA(drop, i, &path[0], length + 1) != length) continue;
        path.resize(length);
        paths.push_back(path);
    }
    return paths;
}

}  // namespace

void SetOverwriteQuestion(OverwriteQuestion question) { g_overwriteQuestion = question; }

std::vector<std::string> ExistingDestinations(const char* sources, const char* destinations) {
    std::vector<std::string> existing;
    const std::vector<std::string> from = SplitPathList(sources);
    const std::vector<std::string> to = SplitPathList(destinations);
    for (size_t i = 0; i < to.size(); ++i) {
        if (GetFileAttributesA(to[i].c_str()) == INVALID_FILE_ATTRIBUTES) continue;
        // A new spelling of the same file (a rename that changes only case).
        if (i < from.size() && SameFolder(from[i], to[i])) continue;
        existing.push_back(to[i]);
    }
    return existing;
}

bool RenameFile(HWND owner, const char* oldDoubleZero, const char* newDoubleZero) {
    if (!OverwriteAllowed(owner, oldDoubleZero, newDoubleZero)) return false;
    return RunShellOperation(owner, FO_RENAME, oldDoubleZero, newDoubleZero, FOF_SILENT, "Reanme");
}

bool CopyFilesQuiet(HWND owner, const char* sources, const char* destinations) {
    if (!OverwriteAllowed(owner, sources, destinations)) return false;
    return RunShellOperation(owner, FO_COPY, sources, destinations, FOF_MULTIDESTFILES | FOF_SILENT, "Copy");
}

bool MoveFilesQuiet(HWND owner, const char* sources, const char* destinations) {
    if (!OverwriteAllowed(owner, sources, destinations)) return false;
    return RunShellOperation(owner, FO_MOVE, sources, destinations, FOF_MULTIDESTFILES | FOF_SILENT, "Move");
}

bool CopyFilesTo(HWND owner, const char* sources, const char* destinations) {
    if (!OverwriteAllowed(owner, sources, destinations)) return false;
    return RunShellOperation(owner, FO_COPY, sources, destinations, FOF_MULTIDESTFILES, "Copy");
}

bool MoveFilesTo(HWND owner, const char* sources, const char* destinations) {
    if (!OverwriteAllowed(owner, sources, destinations)) return false;
    return RunShellOperation(owner, FO_MOVE, sources, destinations, FOF_MULTIDESTFILES, "Move");
}

bool DeleteFiles(const char* doubleZeroList, HWND owner) {
    return RunShellOperation(owner, FO_DELETE, doubleZeroList, nullptr, ShiftDown() ? 0 : FOF_ALLOWUNDO, "Delete");
}

bool DeleteMatchingFiles(const std::string& pattern, HWND owner, const char* progressTitle) {
    std::string from = pattern;
    from.push_back('\0');   // the list ends with an empty entry
    return RunShellOperation(owner, FO_DELETE, from.c_str(), nullptr, FOF_SILENT, progressTitle);
}

bool CreateSubfolder(const std::string& path) { return CreateDirectoryA(path.c_str(), nullptr) != 0; }

std::string JoinPathList(const std::vector<std::string>& paths) {
    std::string list;
    for (const std::string& path : paths) {
        list += path;
        list.push_back('\0');
    }
    list.push_back('\0');
    return list;
}

std::vector<std::string> SplitPathList(const char* list) {
    std::vector<std::string> paths;
    if (!list) return paths;
    while (*list) {
        paths.emplace_back(list);
        list += paths.back().size() + 1;
    }
    return paths;
}

std::string FolderPart(const std::string& path) {
    const size_t slash = path.find_last_of('\\');
    if (slash == std::string::npos || slash == 0) return std::string();
    return path.substr(0, slash);
}

std::string NamePart(const std::string& path) {
    const size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string NormalFolder(const std::string& folder) {
    if (folder.empty()) return folder;
    // "C:" alone would name the drive's current folder.
    std::string given = folder.size() == 2 && folder[1] == ':' ? folder + '\\' : folder;
    char full[MAX_PATH];
    DWORD length = GetFullPathNameA(given.c_str(), MAX_PATH, full, nullptr);
    std::string result = length > 0 && length < MAX_PATH ? std::string(full, length) : given;
    char longer[MAX_PATH];
    length = GetLongPathNameA(result.c_str(), longer, MAX_PATH);
    if (length > 0 && length < MAX_PATH) result.assign(longer, length);
    while (result.size() > 3 && result.back() == '\\') result.pop_back();
    if (result.size() == 2 && result[1] == ':') result += '\\';
    return result;
}

bool SameFolder(const std::string& a, const std::string& b) {
    return lstrcmpiA(NormalFolder(a).c_str(), NormalFolder(b).c_str()) == 0;
}

bool ClearClipboard(HWND owner) {
    OpenedClipboard clipboard(owner);
    if (!clipboard.Open()) return false;
    EmptyClipboard();
    return true;
}

bool PutFilesOnClipboard(HWND owner, DWORD effect, const std::vector<std::string>& paths) {
    const std::string list = JoinPathList(paths);
    // DROPFILES header, the list, spare zero bytes.
    HGLOBAL files = SharedBlock(sizeof(DROPFILES) + list.size() + 8);
    HGLOBAL effectBlock = SharedBlock(sizeof(DWORD));
    if (files && effectBlock) {
        auto* header = static_cast<DROPFILES*>(GlobalLock(files));
        auto* value = static_cast<DWORD*>(GlobalLock(effectBlock));
        if (header && value) {
            header->pFiles = sizeof(DROPFILES);
            header->fWide = FALSE;
            memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), list.data(), list.size());
            *value = effect;
        }
        if (header) GlobalUnlock(files);
        if (value) GlobalUnlock(effectBlock);
        if (header && value) {
            OpenedClipboard clipboard(owner);
            if (clipboard.Open() && EmptyClipboard()) {
                const bool filesTaken = SetClipboardData(CF_HDROP, files) != nullptr;
                if (filesTaken) files = nullptr;
                if (filesTaken && SetClipboardData(DropEffectFormat(), effectBlock)) return true;
            }
        }
    }
    if (files) GlobalFree(files);
    if (effectBlock) GlobalFree(effectBlock);
    return false;
}

DWORD GetClipboardDropEffect(HWND owner) {
    OpenedClipboard clipboard(owner);
    if (!clipboard.Open()) return 0;
    HGLOBAL block = GetClipboardData(DropEffectFormat());
    if (!block || GlobalSize(block) < sizeof(DWORD)) return 0;
    const auto* value = static_cast<const DWORD*>(GlobalLock(block));
    if (!value) return 0;
    const DWORD effect = *value;
    GlobalUnlock(block);
    return effect;
}

bool ReadClipboardFiles(HWND owner, std::vector<std::string>* paths) {
    paths->clear();
    OpenedClipboard clipboard(owner);
    if (!clipboard.Open()) return false;
    *paths = FilesOfOpenClipboard();
    return true;
}

// Which sources lie in folder (spelt out by NormalFolder); the sources'
// folders are spelt out once each, as most share one.
static std::vector<bool> SourcesInFolder(const std::vector<std::string>& sources, const std::string& folder) {
    std::vector<bool> inFolder(sources.size());
    std::string lastFolder;
    bool lastSame = false;
    for (size_t i = 0; i < sources.size(); ++i) {
        const std::string sourceFolder = FolderPart(sources[i]);
        if (i == 0 || sourceFolder != lastFolder) {
            lastFolder = sourceFolder;
            lastSame = lstrcmpiA(NormalFolder(sourceFolder).c_str(), folder.c_str()) == 0;
        }
        inFolder[i] = lastSame;
    }
    return inFolder;
}

std::vector<std::string> PasteDestinations(const std::vector<std::string>& sources, const std::string& target,
                                           const std::string& prefix) {
    const std::string normalTarget = NormalFolder(target);
    std::string folder = normalTarget;
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    const std::vector<bool> inTarget = SourcesInFolder(sources, normalTarget);
    // Names no destination of this paste may get: the names of sources in
    // the target (they are being read) and every name chosen so far, so that
    // X\a.jpg and Y\a.jpg never land on one file.
    std::unordered_set<std::string> chosen;
    for (size_t i = 0; i < sources.size(); ++i)
        if (inTarget[i]) chosen.insert(NameKey(NamePart(sources[i])));
    // The names of the target, read once and only when a name must be made:
    // a folder of thousands of items costs one pass, not one per file.
    std::unordered_set<std::string> onDisk;
    bool diskRead = false;
    std::vector<std::string> destinations;
    destinations.reserve(sources.size());
    for (size_t i = 0; i < sources.size(); ++i) {
        const std::string name = NamePart(sources[i]);
        std::string candidate = name;
        // A source from another folder keeps its name unless this paste
        // uses the name already; a file of that name on the disk is the
        // overwrite question's to settle.  A copy into its own folder always
        // gets a new name.
        if (inTarget[i] || chosen.count(NameKey(name))) {
            if (!diskRead) {
                diskRead = true;
                WIN32_FIND_DATAA found;
                HANDLE find = FindFirstFileA((folder + "*").c_str(), &found);
                if (find != INVALID_HANDLE_VALUE) {
                    do onDisk.insert(NameKey(found.cFileName));
                    while (FindNextFileA(find, &found));
                    FindClose(find);
                }
            }
            for (int counter = 0;; ++counter) {
                char number[16] = "";
                if (counter > 0) wsprintfA(number, "(%d)", counter);
                candidate = prefix + number + " " + name;
                const std::string key = NameKey(candidate);
                if (!onDisk.count(key) && !chosen.count(key)) break;
            }
        }
        chosen.insert(NameKey(candidate));
        destinations.push_back(folder + candidate);
    }
    return destinations;
}

PasteOutcome PasteFilesCopy(HWND owner, const std::string& target, const std::string& prefix) {
    if (target.empty()) return kPasteNothing;
    std::vector<std::string> sources;
    if (!ReadClipboardFiles(owner, &sources)) return kPasteClipboardBusy;
    if (sources.empty()) return kPasteNothing;
    const std::vector<std::string> destinations = PasteDestinations(sources, target, prefix);
    for (const std::string& destination : destinations)
        if (destination.size() >= MAX_PATH) return kPasteFailed;
    const std::string from = JoinPathList(sources);
    const std::string to = JoinPathList(destinations);
    return CopyFilesQuiet(owner, from.c_str(), to.c_str()) ? kPasteDone : kPasteFailed;
}

PasteOutcome PasteFilesMove(HWND owner, const std::string& target, const std::string& prefix) {
    if (target.empty()) return kPasteNothing;
    std::vector<std::string> sources;
    if (!ReadClipboardFiles(owner, &sources)) return kPasteClipboardBusy;
    if (sources.empty()) return kPasteNothing;
    for (bool inTarget : SourcesInFolder(sources, NormalFolder(target)))
        if (inTarget) return kPasteSameFolder;
    // No source lies in the target, so a file keeps its name unless another
    // file of this paste has it already.
    const std::vector<std::string> destinations = PasteDestinations(sources, target, prefix);
    for (const std::string& destination : destinations)
        if (destination.size() >= MAX_PATH) return kPasteFailed;
    const std::string from = JoinPathList(sources);
    const std::string to = JoinPathList(destinations);
    if (!MoveFilesQuiet(owner, from.c_str(), to.c_str())) return kPasteFailed;
    // The cut is done: the list would name files that are gone.
    ClearClipboard(owner);
    return kPasteDone;
}
