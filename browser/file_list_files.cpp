// The model from separate files (the command line, a second instance, files
// dropped on the viewer) instead of a folder.
#include "file_list.h"
#include "file_list_state.h"
#include "list_shared.h"

#include "item_model.h"
#include "messages.h"
#include "pidl.h"
#include "program.h"

using namespace filelist;

namespace {

// Takes out of the queue what the worker posted about the folder it was
// loading before it stopped: the counts, the folder-loaded note and the
// emptied open list would otherwise arrive after the new model.
void DropStaleWorkerPosts() {
    MSG msg;
    for (UINT message : {static_cast<UINT>(LVM_SETITEMCOUNT), static_cast<UINT>(LVM_DELETEALLITEMS), kMsgAnnounceCount})
        while (ListState().list && PeekMessageA(&msg, ListState().list, message, message, PM_REMOVE)) {}
    while (ListState().browser &&
           PeekMessageA(&msg, ListState().browser, kMsgFolderLoaded, kMsgFolderLoaded, PM_REMOVE)) {}
    while (ListState().browser &&
           PeekMessageA(&msg, ListState().browser, kMsgReplaceOpenList, kMsgReplaceOpenList, PM_REMOVE))
        delete reinterpret_cast<std::vector<std::string>*>(msg.lParam);
}

}  // namespace

void FillModelFromFiles(const std::vector<std::string>& paths, bool append) {
    std::vector<BrowserItem> collected;
    std::vector<std::string> pictures;
    ProgramState& shell = Program();
    for (const std::string& given : paths) {
        // "dir\..\name" and relative forms name no shell object: the full
        // path does, and it is what the open list compares.
        char full[MAX_PATH];
        const DWORD length = GetFullPathNameA(given.c_str(), sizeof full, full, nullptr);
        const std::string path = length > 0 && length < sizeof full ? std::string(full) : given;
        if (shell.lorimelReady && shell.lorimel.DetectImageFormat) {
            char format[kLorimelFormatChars] = "";
            if (shell.lorimel.DetectImageFormat(path.c_str(), format) <= 0) continue;
        }
        const size_t slash = path.find_last_of('\\');
        if (slash == std::string::npos || slash + 1 >= path.size()) continue;
        std::string folderPath = path.substr(0, slash);
        if (folderPath.size() == 2 && folderPath[1] == ':') folderPath += '\\';
        const std::string name = path.substr(slash + 1);
        LPITEMIDLIST folderPidl = PidlFromPath(folderPath);
        if (!folderPidl) continue;
        IShellFolder* folder = BindToFolder(folderPidl);
        if (folder) {
            WCHAR wide[MAX_PATH];
            MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, wide, MAX_PATH);
            LPITEMIDLIST relative = nullptr;
            ULONG eaten = 0;
            if (SUCCEEDED(folder->ParseDisplayName(nullptr, nullptr, wide, &eaten, &relative, nullptr)) &&
                relative) {
                BrowserItem item;
                if (FillFolderItem(item, folder, folderPidl, relative)) {
                    collected.push_back(item);
                    pictures.push_back(path);
                }
                FreePidl(relative);
            }
            folder->Release();
        }
        FreePidl(folderPidl);
    }
    StopCurrentRequest();
    DropStaleWorkerPosts();
    ListState().separateFiles = true;
    ClearPictureList();
    std::vector<std::string> openList;
    {
        ItemModelLock hold;
        ItemModel& model = Items();
        if (!append) {
            ClearItemModel();
            model.items = collected;
        } else {
            model.items.insert(model.items.end(), collected.begin(), collected.end());
            for (int i = 0; i < shell.openList.Count(); ++i) openList.push_back(shell.openList.At(i));
        }
    }
    openList.insert(openList.end(), pictures.begin(), pictures.end());
    AnnounceItemCount();
    if (ListState().openListReceiver) ListState().openListReceiver(openList);
    if (ListState().requester) ListState().requester(4, nullptr);
}
