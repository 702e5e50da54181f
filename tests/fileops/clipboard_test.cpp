// File lists and pictures on Wine's real clipboard, read back by a second
// program and by the shell.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "dib.h"
#include "file_operations.h"
#include "fileops_test_util.h"
#include "packed_dib.h"
#include "picture_clipboard.h"

namespace {

class ClipboardTest : public testing::Test {
protected:
    void SetUp() override {
        OleInitialize(nullptr);   // the shell's copy verb needs OLE's clipboard
        dir_ = ScratchFolder("ommavu-clip");
        other_ = ScratchFolder("ommavu-clip-other");
    }
    void TearDown() override {
        ClearClipboard(nullptr);
        OleUninitialize();
    }
    std::string At(const std::string& name) const { return dir_ + "\\" + name; }
    std::string dir_, other_;
};

// Puts a block made by hand on the clipboard in the given format.
void PutRaw(UINT format, const void* data, size_t bytes, bool empty = true) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    memcpy(GlobalLock(block), data, bytes);
    GlobalUnlock(block);
    ASSERT_TRUE(OpenClipboard(nullptr));
    if (empty) EmptyClipboard();
    SetClipboardData(format, block);
    CloseClipboard();
}

// A wide CF_HDROP block whose list starts after a gap (offset 24), as some
// programs write it.
std::vector<BYTE> WideDropBlock(const std::vector<std::wstring>& paths) {
    std::vector<BYTE> block(24, 0);
    DROPFILES header = {};
    header.pFiles = 24;
    header.fWide = TRUE;
    memcpy(block.data(), &header, sizeof header);
    for (const std::wstring& path : paths) {
        const BYTE* raw = reinterpret_cast<const BYTE*>(path.c_str());
        block.insert(block.end(), raw, raw + (path.size() + 1) * 2);
    }
    block.push_back(0), block.push_back(0);
    return block;
}

std::wstring Wide(const std::string& text) {
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, MAX_PATH);
    return wide;
}

}  // namespace

TEST_F(ClipboardTest, CopiedFilesAreReadByAnotherProgramAndPastedByteForByte) {
    WriteFileText(At("a.jpg"), std::string("\xFF\xD8 first \0 bytes", 15));
    WriteFileText(At("b c.jpg"), "second");
    ASSERT_TRUE(PutFilesOnClipboard(nullptr, kDropCopy, {At("a.jpg"), At("b c.jpg")}));
    EXPECT_EQ(At("a.jpg") + "\n" + At("b c.jpg") + "\neffect=1\n", RunPeer("read"));
    EXPECT_EQ(kDropCopy, GetClipboardDropEffect(nullptr));

    EXPECT_EQ(kPasteDone, PasteFilesCopy(nullptr, other_, "Copy"));
    EXPECT_EQ(ReadFileText(At("a.jpg")), ReadFileText(other_ + "\\a.jpg"));
    EXPECT_EQ("second", ReadFileText(other_ + "\\b c.jpg"));

    // Into the folder the files came from, twice: new names each time, and
    // the clipboard keeps its list.
    EXPECT_EQ(kPasteDone, PasteFilesCopy(nullptr, dir_ + "\\", "Copy"));
    EXPECT_EQ(kPasteDone, PasteFilesCopy(nullptr, dir_, "Copy"));
    const std::vector<std::string> expected = {"Copy a.jpg", "Copy b c.jpg", "Copy(1) a.jpg", "Copy(1) b c.jpg",
                                               "a.jpg", "b c.jpg"};
    EXPECT_EQ(expected, NamesIn(dir_));
    EXPECT_EQ(ReadFileText(At("a.jpg")), ReadFileText(At("Copy(1) a.jpg")));
}

TEST_F(ClipboardTest, CutFilesMoveOnceAndNeverIntoTheirOwnFolder) {
    WriteFileText(At("a.jpg"), "a");
    WriteFileText(At("b.jpg"), "b");
    ASSERT_TRUE(PutFilesOnClipboard(nullptr, kDropMove, {At("a.jpg"), At("b.jpg")}));
    EXPECT_EQ(kDropMove, GetClipboardDropEffect(nullptr));
    // Back into the same folder, spelt differently: nothing moves, the cut
    // stays on the clipboard for a paste elsewhere.
    std::string upper = dir_ + "\\";
    CharUpperBuffA(&upper[0], static_cast<DWORD>(upper.size()));
    EXPECT_EQ(kPasteSameFolder, PasteFilesMove(nullptr, upper, "Copy"));
    EXPECT_EQ((std::vector<std::string>{"a.jpg", "b.jpg"}), NamesIn(dir_));
    EXPECT_EQ(kDropMove, GetClipboardDropEffect(nullptr));

    EXPECT_EQ(kPasteDone, PasteFilesMove(nullptr, other_, "Copy"));
    EXPECT_TRUE(NamesIn(dir_).empty());
    EXPECT_EQ((std::vector<std::string>{"a.jpg", "b.jpg"}), NamesIn(other_));
    EXPECT_EQ("effect=0\n", RunPeer("read")) << "emptied after the move";
    EXPECT_EQ(kPasteNothing, PasteFilesMove(nullptr, dir_, "Copy"));
}

TEST_F(ClipboardTest, AFailedMoveKeepsTheCut) {
    WriteFileText(At("a.jpg"), "new");
    WriteFileText(other_ + "\\a.jpg", "old");
    ASSERT_TRUE(PutFilesOnClipboard(nullptr, kDropMove, {At("a.jpg")}));
    SetOverwriteQuestion([](HWND, const std::vector<std::string>&) { return false; });
    EXPECT_EQ(kPasteFailed, PasteFilesMove(nullptr, other_, "Copy"));
    SetOverwriteQuestion(nullptr);
    EXPECT_EQ("new", ReadFileText(At("a.jpg")));
    EXPECT_EQ("old", ReadFileText(other_ + "\\a.jpg"));
    EXPECT_EQ(kDropMove, GetClipboardDropEffect(nullptr)) << "the cut is still there";

    // A file another program holds open (without FILE_SHARE_DELETE) stays
    // where it is, though the shell may call the move done.
    WriteFileText(At("held.jpg"), "held");
    ASSERT_TRUE(PutFilesOnClipboard(nullptr, kDropMove, {At("held.jpg")}));
    HANDLE held = CreateFileA(At("held.jpg").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_EQ(kPasteFailed, PasteFilesMove(nullptr, other_, "Copy"));
    CloseHandle(held);
    EXPECT_EQ("held", ReadFileText(At("held.jpg")));
    EXPECT_EQ(kDropMove, GetClipboardDropEffect(nullptr)) << "the cut is still there";
}

// Another program can put files of one name from several folders on the
// clipboard: every one of them arrives, copied or moved.
TEST_F(ClipboardTest, FilesOfOneNameFromTwoFoldersAllArrive) {
    const std::string third = ScratchFolder("ommavu-clip-third");
    for (DWORD effect : {kDropCopy, kDropMove}) {
        SCOPED_TRACE(effect == kDropCopy ? "copy" : "move");
        WriteFileText(At("a.jpg"), "from the first");
        WriteFileText(third + "\\a.jpg", "from the second");
        WriteFileText(other_ + "\\Copy a.jpg", "there before");
        ASSERT_TRUE(PutFilesOnClipboard(nullptr, effect, {At("a.jpg"), third + "\\a.jpg"}));
        EXPECT_EQ(kPasteDone, effect == kDropCopy ? PasteFilesCopy(nullptr, other_, "Copy")
                                                  : PasteFilesMove(nullptr, other_, "Copy"));
        EXPECT_EQ((std::vector<std::string>{"Copy a.jpg", "Copy(1) a.jpg", "a.jpg"}), NamesIn(other_));
        EXPECT_EQ("from the first", ReadFileText(other_ + "\\a.jpg"));
        EXPECT_EQ("from the second", ReadFileText(other_ + "\\Copy(1) a.jpg"));
        EXPECT_EQ("there before", ReadFileText(other_ + "\\Copy a.jpg"));
        EXPECT_EQ(effect == kDropMove, !Exists(At("a.jpg")) && !Exists(third + "\\a.jpg"));
        for (const std::string& name : NamesIn(other_)) DeleteFileA((other_ + "\\" + name).c_str());
    }
}

TEST_F(ClipboardTest, WideListsAndOddDropEffectBlocksAreReadSafely) {
    WriteFileText(At("w.jpg"), "wide");
    const std::vector<BYTE> block = WideDropBlock({Wide(At("w.jpg"))});
    PutRaw(CF_HDROP, block.data(), block.size());
    std::vector<std::string> paths;
    ASSERT_TRUE(ReadClipboardFiles(nullptr, &paths));
    EXPECT_EQ(std::vector<std::string>{At("w.jpg")}, paths);
    EXPECT_EQ(0u, GetClipboardDropEffect(nullptr)) << "no drop effect block";
    EXPECT_EQ(kPasteDone, PasteFilesCopy(nullptr, other_, "Copy"));
    EXPECT_EQ("wide", ReadFileText(other_ + "\\w.jpg"));

    const WORD shortEffect = 2;
    PutRaw(RegisterClipboardFormatA("Preferred DropEffect"), &shortEffect, sizeof shortEffect, false);
    EXPECT_EQ(0u, GetClipboardDropEffect(nullptr)) << "a 2-byte block is no drop effect";

    ClearClipboard(nullptr);
    EXPECT_EQ(kPasteNothing, PasteFilesCopy(nullptr, other_, "Copy"));
    EXPECT_EQ(kPasteNothing, PasteFilesCopy(nullptr, "", "Copy"));
}

// Explorer's own "copy" of files puts them on the clipboard its way (a
// data object, usually a wide list); pasting takes them all the same.
TEST_F(ClipboardTest, FilesCopiedByTheShellPasteCorrectly) {
    WriteFileText(At("s1.jpg"), "shell one");
    WriteFileText(At("s2.jpg"), "shell two");
    IShellFolder* desktop = nullptr;
    ASSERT_EQ(S_OK, SHGetDesktopFolder(&desktop));
    IShellFolder* folder = nullptr;
    LPITEMIDLIST folderList = nullptr;
    ASSERT_EQ(S_OK, desktop->ParseDisplayName(nullptr, nullptr, &Wide(dir_)[0], nullptr, &folderList, nullptr));
    ASSERT_EQ(S_OK, desktop->BindToObject(folderList, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&folder)));
    LPITEMIDLIST items[2] = {};
    ASSERT_EQ(S_OK, folder->ParseDisplayName(nullptr, nullptr, &Wide("s1.jpg")[0], nullptr, &items[0], nullptr));
    ASSERT_EQ(S_OK, folder->ParseDisplayName(nullptr, nullptr, &Wide("s2.jpg")[0], nullptr, &items[1], nullptr));
    IContextMenu* menu = nullptr;
    ASSERT_EQ(S_OK, folder->GetUIObjectOf(nullptr, 2, const_cast<LPCITEMIDLIST*>(items), IID_IContextMenu, nullptr,
                                          reinterpret_cast<void**>(&menu)));
    HMENU popup = CreatePopupMenu();
    menu->QueryContextMenu(popup, 0, 1, 0x7FFF, CMF_NORMAL);
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof info;
    info.lpVerb = "copy";
    info.nShow = SW_SHOWNORMAL;
    EXPECT_EQ(S_OK, menu->InvokeCommand(&info));
    DestroyMenu(popup);
    menu->Release();
    for (LPITEMIDLIST item : items) CoTaskMemFree(item);
    CoTaskMemFree(folderList);
    folder->Release();
    desktop->Release();
    OleFlushClipboard();

    std::vector<std::string> paths;
    ASSERT_TRUE(ReadClipboardFiles(nullptr, &paths));
    EXPECT_EQ((std::vector<std::string>{At("s1.jpg"), At("s2.jpg")}), paths);
    EXPECT_EQ(kPasteDone, PasteFilesCopy(nullptr, other_, "Copy"));
    EXPECT_EQ("shell one", ReadFileText(other_ + "\\s1.jpg"));
    EXPECT_EQ("shell two", ReadFileText(other_ + "\\s2.jpg"));
}

TEST_F(ClipboardTest, AClipboardHeldByAnotherProgramChangesNothing) {
    WriteFileText(At("a.jpg"), "a");
    ASSERT_TRUE(PutFilesOnClipboard(nullptr, kDropCopy, {At("a.jpg")}));
    // The peer keeps the clipboard until the release event is set (a minute
    // at most); its "held" arrives at once because it flushes.
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, "ommavu-clipboard-test-release");
    ASSERT_NE(nullptr, release);
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    ASSERT_TRUE(CreatePipe(&read, &write, &inherit, 0));
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA start = {};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdOutput = write;
    PROCESS_INFORMATION process = {};
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    std::string command = std::string(exe);
    command = "\"" + command.substr(0, command.find_last_of('\\') + 1) + "clipboard_peer.exe\" hold 60000 ommavu-clipboard-test-release";
    ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &start, &process));
    CloseHandle(write);
    char held[8] = "";
    DWORD got = 0;
    ReadFile(read, held, 4, &got, nullptr);
    ASSERT_EQ(std::string("held"), std::string(held, got));

    EXPECT_FALSE(PutFilesOnClipboard(nullptr, kDropMove, {At("a.jpg")}));
    EXPECT_EQ(0u, GetClipboardDropEffect(nullptr));
    EXPECT_EQ(kPasteClipboardBusy, PasteFilesCopy(nullptr, other_, "Copy"));
    EXPECT_EQ(kPasteClipboardBusy, PasteFilesMove(nullptr, other_, "Copy"));
    DibBlock* block = CreateDib(4, 4);
    EXPECT_EQ(kPictureClipboardBusy, CopyPictureToClipboard(nullptr, block));
    FreeDib(block);
    EXPECT_FALSE(ClearClipboard(nullptr));
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(process.hProcess, 0))
        << "every call came back while the other program still held the clipboard";
    EXPECT_TRUE(NamesIn(other_).empty());

    SetEvent(release);
    WaitForSingleObject(process.hProcess, 20000);
    CloseHandle(release);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    CloseHandle(read);
    EXPECT_EQ(kDropCopy, GetClipboardDropEffect(nullptr)) << "the earlier copy is still there";
}

TEST(PasteNamesTest, CopiesIntoTheirOwnFolderGetFreeNames) {
    const std::string dir = ScratchFolder("ommavu-names");
    for (const char* name : {"a.jpg", "B.jpg", "Copy b.jpg", "COPY(1) B.JPG", "c.jpg"}) WriteFileText(dir + "\\" + name, "x");
    const std::string elsewhere = ScratchFolder("ommavu-names-2") + "\\";
    const std::string third = ScratchFolder("ommavu-names-3") + "\\";
    struct Case {
        std::vector<std::string> sources;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {{dir + "\\a.jpg"}, {"Copy a.jpg"}},
        {{dir + "\\b.jpg"}, {"Copy(2) b.jpg"}},   // "Copy b.jpg" and "COPY(1) B.JPG" are on the disk
        // Whichever folder a source comes from, no two destinations meet.
        {{dir + "\\a.jpg", elsewhere + "Copy a.jpg"}, {"Copy a.jpg", "Copy Copy a.jpg"}},
        {{elsewhere + "Copy a.jpg", dir + "\\a.jpg"}, {"Copy a.jpg", "Copy(1) a.jpg"}},
        {{elsewhere + "n.jpg", third + "n.jpg", elsewhere + "N.JPG"}, {"n.jpg", "Copy n.jpg", "Copy(1) N.JPG"}},
        {{dir + "\\c.jpg", elsewhere + "c.jpg"}, {"Copy c.jpg", "Copy(1) c.jpg"}},   // c.jpg is being read
        {{elsewhere + "b.jpg", third + "b.jpg"}, {"b.jpg", "Copy(2) b.jpg"}},   // the first asks before overwriting
        {{elsewhere + "new.jpg"}, {"new.jpg"}},
    };
    for (const Case& c : cases) {
        const std::vector<std::string> got = PasteDestinations(c.sources, dir + "\\", "Copy");
        ASSERT_EQ(c.names.size(), got.size());
        for (size_t i = 0; i < got.size(); ++i) EXPECT_EQ(dir + "\\" + c.names[i], got[i]) << c.sources[i];
    }
}

TEST(PasteNamesTest, ThousandFilesIntoAFolderOfTenThousand) {
    const std::string dir = ScratchFolder("ommavu-names-big");
    std::vector<std::string> sources;
    for (int i = 0; i < 10000; ++i) {
        char name[32];
        wsprintfA(name, "\\p%05d.jpg", i);
        HANDLE h = CreateFileA((dir + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        CloseHandle(h);
        if (i % 10 == 0) sources.push_back(dir + name);
    }
    // Its speed is in tools/bench-fileops.sh.
    const std::vector<std::string> got = PasteDestinations(sources, dir, "Copy");
    ASSERT_EQ(1000u, got.size());
    EXPECT_EQ(dir + "\\Copy p00000.jpg", got[0]);
    EXPECT_EQ(dir + "\\Copy p09990.jpg", got[999]);
}

TEST(PictureClipboardTest, PicturesGoUprightAndBottomUp) {
    DibBlock* block = CreateDib(3, 2);
    ASSERT_NE(nullptr, block);
    auto* pixels = reinterpret_cast<DWORD*>(block->pixels);
    const DWORD top[3] = {0xFF0000, 0x00FF00, 0x0000FF}, bottom[3] = {0x112233, 0x445566, 0x778899};
    memcpy(pixels, top, sizeof top);
    memcpy(pixels + 3, bottom, sizeof bottom);
    ASSERT_EQ(kPictureOnClipboard, CopyPictureToClipboard(nullptr, block));
    ASSERT_TRUE(OpenClipboard(nullptr));
    HGLOBAL data = GetClipboardData(CF_DIB);
    ASSERT_NE(nullptr, data);
    const auto* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(data));
    EXPECT_EQ(2, header->biHeight) << "bottom-up";
    EXPECT_EQ(3, header->biWidth);
    const auto* rows = reinterpret_cast<const DWORD*>(header + 1);
    EXPECT_EQ(bottom[0], rows[0] & 0xFFFFFF) << "the bottom row first";
    EXPECT_EQ(top[2], rows[5] & 0xFFFFFF);
    DibBlock* back = ReadPackedDib(header, GlobalSize(data));
    GlobalUnlock(data);
    CloseClipboard();
    ASSERT_NE(nullptr, back);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(pixels[i] & 0xFFFFFF, reinterpret_cast<DWORD*>(back->pixels)[i] & 0xFFFFFF) << i;
    FreeDib(back);
    FreeDib(block);
    EXPECT_EQ(kPictureMissing, CopyPictureToClipboard(nullptr, nullptr));
}

TEST(PictureClipboardTest, TwelveMegapixelsArriveWhole) {
    // The clipboard's own copy of a 48 MB block: its speed is in
    // tools/bench-fileops.sh; here the size and the last pixel must arrive.
    DibBlock* block = CreateDib(4000, 3000);
    ASSERT_NE(nullptr, block);
    reinterpret_cast<DWORD*>(block->pixels)[0] = 0x123456;   // top-left, the last row bottom-up
    EXPECT_EQ(kPictureOnClipboard, CopyPictureToClipboard(nullptr, block));
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE data = GetClipboardData(CF_DIB);
    ASSERT_NE(nullptr, data);
    const auto* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(data));
    EXPECT_EQ(4000, header->biWidth);
    EXPECT_EQ(3000, header->biHeight);
    const BYTE* rows = reinterpret_cast<const BYTE*>(header) + header->biSize;
    const DWORD topLeft = *reinterpret_cast<const DWORD*>(rows + static_cast<size_t>(2999) * 4000 * header->biBitCount / 8);
    EXPECT_EQ(0x123456u, topLeft & 0xFFFFFF);
    GlobalUnlock(data);
    CloseClipboard();
    FreeDib(block);
    ClearClipboard(nullptr);
}

TEST(PackedDibTest, EveryDepthReadsAndDamageIsRefused) {
    // 2 x 2, 8 bits, two colours used, bottom-up: row 0 is the bottom row.
    struct Packed {
        BITMAPINFOHEADER header;
        RGBQUAD colours[2];
        BYTE rows[2][4];
    } packed = {};
    packed.header = {sizeof(BITMAPINFOHEADER), 2, 2, 1, 8, BI_RGB, 0, 0, 0, 2, 0};
    packed.colours[0] = {0, 0, 255, 0};   // red (blue, green, red)
    packed.colours[1] = {255, 0, 0, 0};   // blue
    packed.rows[0][0] = 1, packed.rows[0][1] = 0;   // bottom: blue, red
    packed.rows[1][0] = 0, packed.rows[1][1] = 1;   // top: red, blue
    DibBlock* block = ReadPackedDib(&packed, sizeof packed);
    ASSERT_NE(nullptr, block);
    const auto* pixels = reinterpret_cast<const DWORD*>(block->pixels);
    EXPECT_EQ(0xFF0000u, pixels[0] & 0xFFFFFF) << "top left red";
    EXPECT_EQ(0x0000FFu, pixels[1] & 0xFFFFFF);
    EXPECT_EQ(0x0000FFu, pixels[2] & 0xFFFFFF) << "bottom left blue";
    FreeDib(block);

    struct Damage {
        const char* what;
        void (*spoil)(Packed*);
        size_t bytes;
    };
    const Damage damage[] = {
        {"truncated rows", [](Packed*) {}, sizeof packed - 5},
        {"header only", [](Packed*) {}, 20},
        {"zero width", [](Packed* p) { p->header.biWidth = 0; }, sizeof packed},
        {"negative width", [](Packed* p) { p->header.biWidth = -2; }, sizeof packed},
        {"zero height", [](Packed* p) { p->header.biHeight = 0; }, sizeof packed},
        {"run-length rows", [](Packed* p) { p->header.biCompression = BI_RLE8; }, sizeof packed},
        {"odd depth", [](Packed* p) { p->header.biBitCount = 7; }, sizeof packed},
        {"table too long", [](Packed* p) { p->header.biClrUsed = 300; }, sizeof packed},
        {"huge", [](Packed* p) { p->header.biWidth = p->header.biHeight = 0x7FFFFFF; }, sizeof packed},
        {"header size", [](Packed* p) { p->header.biSize = 4000; }, sizeof packed},
    };
    for (const Damage& d : damage) {
        Packed spoilt = packed;
        d.spoil(&spoilt);
        EXPECT_EQ(nullptr, ReadPackedDib(&spoilt, d.bytes)) << d.what;
    }
    EXPECT_EQ(nullptr, ReadPackedDib(nullptr, 100));
}
