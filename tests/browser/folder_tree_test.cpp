// The folder tree against Wine's real shell namespace and a scratch folder
// tree beside the test program.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "folder_tree.h"
#include "messages.h"
#include "pidl.h"

namespace {

struct OpenedFolder {
    std::string path;
    bool fileSystem;
};

std::vector<OpenedFolder> g_opened;
WNDPROC g_listProc = nullptr;

// Stands in for the file list: records what it is asked to open and lists
// the files of a file-system folder so that a file can be picked.
LRESULT CALLBACK ListProc(HWND list, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kMsgOpenFolder) {
        auto* request = reinterpret_cast<const FolderRequest*>(lp);
        std::string path = PidlPath(request->item->absolute);
        g_opened.push_back(OpenedFolder{path, request->fileSystemFolder});
        SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
        for (int i = 0; search != INVALID_HANDLE_VALUE; ++i) {
            LVITEMA item = {};
            item.mask = LVIF_TEXT;
            item.iItem = i;
            item.pszText = found.cFileName;
            SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
            if (!FindNextFileA(search, &found)) {
                FindClose(search);
                break;
            }
        }
        return 0;
    }
    return CallWindowProcA(g_listProc, list, msg, wp, lp);
}

// The browser's part: tree notifications go to the tree's handler.
LRESULT CALLBACK HostProc(HWND host, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NOTIFY) {
        LRESULT result = 0;
        if (HandleFolderTreeNotify(reinterpret_cast<NMHDR*>(lp), &result)) return result;
    }
    return DefWindowProcA(host, msg, wp, lp);
}

std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string text = path;
    return text.substr(0, text.rfind('\\'));
}

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path + "\\" + name);
            else
                DeleteFileA((path + "\\" + name).c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

class FolderTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
        WNDCLASSA wc = {};
        wc.lpfnWndProc = HostProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "FolderTreeTestHost";
        RegisterClassA(&wc);
        host_ = CreateWindowExA(0, wc.lpszClassName, "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 600, 500, nullptr,
                                nullptr, wc.hInstance, nullptr);
        ASSERT_TRUE(host_);
        list_ = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | LVS_LIST, 300, 0, 300, 400, host_, nullptr,
                                wc.hInstance, nullptr);
        g_listProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(list_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListProc)));
        SetFolderTreeListWindow(list_);
        g_opened.clear();

        scratch_ = ProgramFolder() + "\\folder-tree-scratch";
        RemoveTree(scratch_);
        ASSERT_TRUE(CreateDirectoryA(scratch_.c_str(), nullptr));
        for (const char* sub : {"\\A", "\\B", "\\B\\Inner"}) CreateDirectoryA((scratch_ + sub).c_str(), nullptr);
        HANDLE file = CreateFileA((scratch_ + "\\picture.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        CloseHandle(file);

        RECT rect = {0, 0, 300, 400};
        tree_ = CreateFolderTree(WS_VISIBLE, rect, GetModuleHandleA(nullptr), host_);
        ASSERT_TRUE(tree_);
    }

    void TearDown() override {
        DestroyFolderTree();
        SetFolderTreeListWindow(nullptr);
        if (host_) DestroyWindow(host_);
        RemoveTree(scratch_);
        CoUninitialize();
    }

    HTREEITEM Next(HTREEITEM item, UINT how) {
        return reinterpret_cast<HTREEITEM>(SendMessageA(tree_, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
    }
    const TreeItemData* Data(HTREEITEM item) {
        TVITEMA tv = {};
        tv.mask = TVIF_HANDLE | TVIF_PARAM;
        tv.hItem = item;
        SendMessageA(tree_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
        return reinterpret_cast<const TreeItemData*>(tv.lParam);
    }
    std::string Path(HTREEITEM item) { return item ? PidlPath(Data(item)->absolute) : "(none)"; }
    std::string Text(HTREEITEM item) {
        char text[MAX_PATH] = {};
        TVITEMA tv = {};
        tv.mask = TVIF_HANDLE | TVIF_TEXT;
        tv.hItem = item;
        tv.pszText = text;
        tv.cchTextMax = MAX_PATH;
        SendMessageA(tree_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
        return text;
    }
    std::vector<std::string> ChildPaths(HTREEITEM item) {
        std::vector<std::string> paths;
        for (HTREEITEM child = Next(item, TVGN_CHILD); child; child = Next(child, TVGN_NEXT)) paths.push_back(Path(child));
        return paths;
    }
    bool Has(const std::vector<std::string>& paths, const std::string& path) {
        for (const std::string& p : paths)
            if (lstrcmpiA(p.c_str(), path.c_str()) == 0) return true;
        return false;
    }
    HTREEITEM Selected() { return Next(nullptr, TVGN_CARET); }
    void Expand(HTREEITEM item) { SendMessageA(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item)); }
    // What a click on the expand button tells the browser, whatever the
    // item's history.
    void UserExpands(HTREEITEM item) {
        NMTREEVIEWA change = {};
        change.hdr.hwndFrom = tree_;
        change.hdr.code = TVN_ITEMEXPANDINGA;
        change.action = TVE_EXPAND;
        change.itemNew.hItem = item;
        LRESULT result = 0;
        HandleFolderTreeNotify(&change.hdr, &result);
    }

    HWND host_ = nullptr;
    HWND list_ = nullptr;
    HWND tree_ = nullptr;
    std::string scratch_;
};

TEST_F(FolderTreeTest, DesktopRootAndComputerListsDrivesOnce) {
    HTREEITEM root = Next(nullptr, TVGN_ROOT);
    ASSERT_TRUE(root);
    EXPECT_FALSE(Next(root, TVGN_NEXT)) << "one root";
    EXPECT_TRUE(IsEmptyPidl(Data(root)->absolute));
    EXPECT_TRUE(SendMessageA(tree_, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(root), TVIS_EXPANDED) & TVIS_EXPANDED);

    LPITEMIDLIST drives = nullptr;
    ASSERT_TRUE(SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &drives)));
    HTREEITEM computer = nullptr;
    for (HTREEITEM child = Next(root, TVGN_CHILD); child; child = Next(child, TVGN_NEXT))
        if (SamePidl(Data(child)->absolute, drives)) computer = child;
    FreePidl(drives);
    ASSERT_TRUE(computer) << "My Computer under the desktop";

    Expand(computer);
    std::vector<std::string> paths = ChildPaths(computer);
    EXPECT_TRUE(Has(paths, "C:\\"));
    EXPECT_TRUE(Has(paths, "Z:\\"));
    size_t count = paths.size();
    SendMessageA(tree_, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(computer));
    UserExpands(computer);
    Expand(computer);
    EXPECT_EQ(count, ChildPaths(computer).size()) << "a second expansion inserts nothing";
}

TEST_F(FolderTreeTest, SelectByPathOpensFolderOrFileFolderOrRoot) {
    std::string a = scratch_ + "\\A";
    SelectFolderByPath(a.c_str());
    EXPECT_EQ(a, Path(Selected()));
    ASSERT_EQ(1u, g_opened.size());
    EXPECT_EQ(a, g_opened[0].path);
    EXPECT_TRUE(g_opened[0].fileSystem);
    EXPECT_EQ(a, CurrentFolderPath());

    SelectFolderByPath((scratch_ + "\\B\\").c_str());
    EXPECT_EQ(scratch_ + "\\B", Path(Selected())) << "history paths end in a backslash";

    SelectFolderByPath((scratch_ + "\\PICTURE.txt").c_str());
    EXPECT_EQ(scratch_, Path(Selected()));
    ASSERT_FALSE(g_opened.empty());
    EXPECT_EQ(scratch_, g_opened.back().path);
    // Choosing the file itself once the folder is listed: the browser
    // window's tests, with the real list.

    size_t opened = g_opened.size();
    SelectFolderByPath((scratch_ + "\\missing\\deeper").c_str());
    EXPECT_EQ(Next(nullptr, TVGN_ROOT), Selected());
    EXPECT_EQ(opened + 1, g_opened.size()) << "the root is opened";
    SelectFolderByPath("DEFAULTPATH");
    EXPECT_EQ(Next(nullptr, TVGN_ROOT), Selected());
    EXPECT_EQ(opened + 2, g_opened.size()) << "the selected root is opened again";
}

TEST_F(FolderTreeTest, FolderIconsAreTheShellsWhetherAskedOrKnownFromAttributes) {
    // A plain folder's icon is known from its attributes; a read-only one
    // may carry its own and is asked for by identifier list.
    std::string plain = scratch_ + "\\A", marked = scratch_ + "\\Marked";
    ASSERT_TRUE(CreateDirectoryA(marked.c_str(), nullptr));
    ASSERT_TRUE(SetFileAttributesA(marked.c_str(), FILE_ATTRIBUTE_READONLY));
    SelectFolderByPath(scratch_.c_str());
    HTREEITEM parent = Selected();
    Expand(parent);
    for (const std::string& path : {plain, marked}) {
        SCOPED_TRACE(path);
        HTREEITEM item = nullptr;
        for (HTREEITEM child = Next(parent, TVGN_CHILD); child; child = Next(child, TVGN_NEXT))
            if (lstrcmpiA(Path(child).c_str(), path.c_str()) == 0) item = child;
        ASSERT_TRUE(item);
        TVITEMA tv = {};
        tv.mask = TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        tv.hItem = item;
        SendMessageA(tree_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
        for (UINT open : {0u, static_cast<UINT>(SHGFI_OPENICON)}) {
            SHFILEINFOA info = {};
            ASSERT_TRUE(SHGetFileInfoA(reinterpret_cast<LPCSTR>(Data(item)->absolute), 0, &info, sizeof info,
                                       SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON | open));
            EXPECT_EQ(info.iIcon, open ? tv.iSelectedImage : tv.iImage);
        }
    }
    SetFileAttributesA(marked.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FolderTreeTest, RefreshMergesCreatedAndRemovedFolders) {
    SelectFolderByPath((scratch_ + "\\B\\Inner").c_str());
    HTREEITEM b = Next(Selected(), TVGN_PARENT);
    HTREEITEM scratch = Next(b, TVGN_PARENT);
    ASSERT_EQ(scratch_, Path(scratch));
    SelectFolderByPath(scratch_.c_str());

    ASSERT_TRUE(CreateDirectoryA((scratch_ + "\\New").c_str(), nullptr));
    ASSERT_TRUE(RemoveDirectoryA((scratch_ + "\\A").c_str()));
    RefreshFolderTree();

    std::vector<std::string> paths = ChildPaths(scratch);
    EXPECT_TRUE(Has(paths, scratch_ + "\\New"));
    EXPECT_FALSE(Has(paths, scratch_ + "\\A"));
    EXPECT_TRUE(Has(paths, scratch_ + "\\B"));
    EXPECT_TRUE(Has(ChildPaths(b), scratch_ + "\\B\\Inner")) << "an expanded folder keeps its children";
    EXPECT_EQ(scratch_, CurrentFolderPath());

    // The tree follows the folder it points at, even after it has been
    // re-read: removing the last sub-folder drops the expand button.
    RemoveDirectoryA((scratch_ + "\\B\\Inner").c_str());
    RefreshFolderTree();
    EXPECT_TRUE(ChildPaths(b).empty());
    TVITEMA tv = {};
    tv.mask = TVIF_HANDLE | TVIF_CHILDREN;
    tv.hItem = b;
    SendMessageA(tree_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
    EXPECT_EQ(0, tv.cChildren);
}

TEST_F(FolderTreeTest, RenameInPlaceRenamesOnDisk) {
    SelectFolderByPath((scratch_ + "\\A").c_str());
    HTREEITEM a = Selected();
    HWND edit = reinterpret_cast<HWND>(SendMessageA(tree_, TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(a)));
    ASSERT_TRUE(edit);
    SetWindowTextA(edit, "Renamed");
    SendMessageA(tree_, TVM_ENDEDITLABELNOW, FALSE, 0);

    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((scratch_ + "\\Renamed").c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((scratch_ + "\\A").c_str()));
    EXPECT_EQ("Renamed", Text(a));
    EXPECT_EQ(scratch_ + "\\Renamed", Path(a)) << "the item stands for the new name";
    EXPECT_EQ(scratch_ + "\\Renamed", g_opened.back().path) << "the shown folder is reopened";
}

TEST_F(FolderTreeTest, ListItemsOpenChildAndParent) {
    SelectFolderByPath(scratch_.c_str());
    LPITEMIDLIST absolute = PidlFromPath(scratch_ + "\\B");
    ASSERT_TRUE(absolute);
    LPITEMIDLIST relative = LastPidlElement(absolute);
    SendMessageA(tree_, kMsgOpenListItemInTree, reinterpret_cast<WPARAM>(absolute), reinterpret_cast<LPARAM>(relative));
    EXPECT_EQ(scratch_ + "\\B", CurrentFolderPath());
    EXPECT_EQ(scratch_ + "\\B", g_opened.back().path);
    FreePidl(relative);
    FreePidl(absolute);

    SendMessageA(tree_, kMsgOpenListItemInTree, 0, 0);
    EXPECT_EQ(scratch_, CurrentFolderPath()) << "the parent entry";
}

TEST_F(FolderTreeTest, DriveRemovalCollapsesAndArrivalRelabels) {
    SelectFolderByPath(scratch_.c_str());
    OnDriveRemoved('z');
    HTREEITEM drive = Selected();
    EXPECT_EQ("Z:\\", Path(drive)) << "the drive of the shown folder is selected";
    EXPECT_EQ("(Z:)", Text(drive));
    EXPECT_TRUE(ChildPaths(drive).empty());
    EXPECT_FALSE(SendMessageA(tree_, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(drive), TVIS_EXPANDED) & TVIS_EXPANDED);

    OnDriveArrived('Z');
    std::string text = Text(drive);
    EXPECT_EQ(" (Z:)", text.substr(text.size() - 5));
    Expand(drive);
    EXPECT_FALSE(ChildPaths(drive).empty()) << "the drive is read again";
}

}  // namespace
