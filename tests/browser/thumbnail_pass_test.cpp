// The worker's thumbnail passes under Wine, with the picture file library and
// a private thumbnail cache: cache reuse, the shown items first, a new folder
// in the middle of a pass, shortcuts in the second pass, animations, and
// files that are not pictures or break the decoder.
#include <shlobj.h>

#include "list_view_text.h"
#include "worker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "recovery_tap.h"
#include "cache_files.h"
#include "file_list.h"
#include "item_model.h"
#include "load.h"
#include "messages.h"
#include "picture.h"
#include "pidl.h"
#include "settings.h"
#include "program.h"
#include "thumbnail_maker.h"
#include "thumbnail_worker_fixture.h"
#include "worker_support.h"

namespace {

using namespace worker_support;

constexpr DWORD kPassTimeoutMs = 30000;

std::string SamplePath(const char* name) { return ExeDirectory() + "..\\samples\\" + name; }

std::vector<char> ReadBytes(const std::string& path) {
    std::vector<char> bytes;
    FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) return bytes;
    char chunk[4096];
    size_t n = 0;
    while ((n = std::fread(chunk, 1, sizeof chunk, in)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(in);
    return bytes;
}

bool WriteBytes(const std::string& path, const std::vector<char>& bytes) {
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && ok;
}

bool MakeShortcut(const std::string& link, const std::string& target) {
    IShellLinkA* shell = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&shell))))
        return false;
    shell->SetPath(target.c_str());
    IPersistFile* file = nullptr;
    bool ok = SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)));
    if (ok) {
        WCHAR wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide, MAX_PATH);
        ok = SUCCEEDED(file->Save(wide, TRUE));
        file->Release();
    }
    shell->Release();
    return ok;
}

// What the tests look at of one item, copied under the model's lock.
struct ItemView {
    int index = -1;
    int state = -1;
    bool examined = false;
    bool hasThumbnail = false;
    bool thumbnail = false;
    std::string info;
    std::string format;
    int thumbWidth = 0, thumbHeight = 0;
    int frameCount = 0;
    bool framesComplete = false;   // every frame present, the first the thumbnail
    int largeWidth = 0, largeHeight = 0;
    int smallWidth = 0, smallHeight = 0;
};

int PictureWidth(const Picture* picture) { return picture ? DibWidth(picture->working) : 0; }
int PictureHeight(const Picture* picture) { return picture ? DibHeight(picture->working) : 0; }

// The item whose path is path (case ignored); index -1 when there is none.
ItemView FindItem(const std::string& path) {
    ItemView view;
    ItemModelLock hold;
    for (size_t i = 0; i < Items().items.size(); ++i) {
        const BrowserItem& item = Items().items[i];
        if (lstrcmpiA(ItemPath(item).c_str(), path.c_str()) != 0) continue;
        view.index = static_cast<int>(i);
        view.state = item.state;
        view.examined = item.examined;
        view.hasThumbnail = item.hasThumbnail;
        view.thumbnail = item.thumbnail != nullptr;
        view.info = item.info;
        view.format = item.formatName;
        view.thumbWidth = item.thumbWidth;
        view.thumbHeight = item.thumbHeight;
        view.frameCount = item.frameCount;
        view.framesComplete = item.frames && item.frames[0] == item.thumbnail;
        for (int k = 0; view.framesComplete && k < item.frameCount; ++k) view.framesComplete = item.frames[k] != nullptr;
        view.largeWidth = PictureWidth(item.largeIcon);
        view.largeHeight = PictureHeight(item.largeIcon);
        view.smallWidth = PictureWidth(item.smallIcon);
        view.smallHeight = PictureHeight(item.smallIcon);
        return view;
    }
    return view;
}

int CountInState(int state) {
    ItemModelLock hold;
    int count = 0;
    for (const BrowserItem& item : Items().items) count += item.state == state;
    return count;
}

// Pumps until window has received message count times.
bool WaitForCount(HWND window, UINT message, int count, DWORD timeout) {
    const DWORD start = GetTickCount();
    while (CountPosted(window, message) < count) {
        if (GetTickCount() - start > timeout) return false;
        PumpFor(10);
    }
    return true;
}

std::vector<int> AsIndices(const std::vector<LPARAM>& params) {
    std::vector<int> indices;
    for (LPARAM p : params) indices.push_back(static_cast<int>(p));
    return indices;
}

bool Contains(const std::vector<std::string>& paths, const std::string& path) {
    for (const std::string& p : paths)
        if (lstrcmpiA(p.c_str(), path.c_str()) == 0) return true;
    return false;
}

std::vector<std::string> OpenListPaths() {
    std::vector<std::string> paths;
    for (int i = 0; i < Program().openList.Count(); ++i) paths.push_back(Program().openList.At(i));
    return paths;
}

// ---------------------------------------------------------------------------
// A decoder fault on demand.  Real files only make the library refuse a
// picture; a fault inside a decode is what the library's fatal-error handler
// does: jump back to the caller's recovery point.  The recording of that
// point is tapped to learn where it is, and the pixel read of one chosen
// file takes the jump.

const LorimelApi* g_realLibrary = nullptr;
const char* g_faultName = nullptr;           // the file name whose decode faults
LorimelHandle volatile g_faultHandle = nullptr;
volatile LONG g_faultsTaken = 0;

bool EndsWithName(const char* path, const char* name) {
    const size_t length = strlen(path), nameLength = strlen(name);
    return length > nameLength && path[length - nameLength - 1] == '\\' &&
           lstrcmpiA(path + length - nameLength, name) == 0;
}

LorimelHandle WINAPI OpenNotingFault(const char* path, const char* mode, const char* format, LONG flag) {
    LorimelHandle file = g_realLibrary->OpenImageFile(path, mode, format, flag);
    if (path && EndsWithName(path, g_faultName)) g_faultHandle = file;
    return file;
}

LONG WINAPI ReadPixelsOrFault(LorimelHandle file, void* pixels, LONG width, LONG height, LONG page) {
    _JBTYPE* jump = RecoveryTap::Point();
    if (file && file == g_faultHandle && jump) {
        g_faultHandle = nullptr;
        InterlockedIncrement(&g_faultsTaken);
        g_realLibrary->TakeErrorJump(jump, 1);
    }
    return g_realLibrary->ReadImagePixels(file, pixels, width, height, page);
}

// While it lives, the worker decodes through a library whose pixel read of
// the file called name faults.
class FaultingLibrary {
public:
    FaultingLibrary(const LorimelApi& real, const char* name) {
        g_realLibrary = &real;
        g_faultName = name;
        g_faultHandle = nullptr;
        g_faultsTaken = 0;
        api_ = real;
        api_.OpenImageFile = OpenNotingFault;
        api_.ReadImagePixels = ReadPixelsOrFault;
        SetImageLibrary(&api_);
    }
    ~FaultingLibrary() { SetImageLibrary(g_realLibrary); }
    FaultingLibrary(const FaultingLibrary&) = delete;
    FaultingLibrary& operator=(const FaultingLibrary&) = delete;

private:
    RecoveryTap tap_;   // notes the recovery points the worker records
    LorimelApi api_;
};

// A library whose pixel reads take a while, so that a pass lasts long
// enough to be interrupted; it counts the reads made on the test's thread.
const LorimelApi* g_slowReal = nullptr;
DWORD g_testThread = 0;
volatile LONG g_readsOnTestThread = 0;

LONG WINAPI SlowReadPixels(LorimelHandle file, void* pixels, LONG width, LONG height, LONG page) {
    if (GetCurrentThreadId() == g_testThread) InterlockedIncrement(&g_readsOnTestThread);
    Sleep(120);
    return g_slowReal->ReadImagePixels(file, pixels, width, height, page);
}

class SlowLibrary {
public:
    explicit SlowLibrary(const LorimelApi& real) {
        g_slowReal = &real;
        g_testThread = GetCurrentThreadId();
        g_readsOnTestThread = 0;
        api_ = real;
        api_.ReadImagePixels = SlowReadPixels;
        SetImageLibrary(&api_);
    }
    ~SlowLibrary() { SetImageLibrary(g_slowReal); }
    SlowLibrary(const SlowLibrary&) = delete;
    SlowLibrary& operator=(const SlowLibrary&) = delete;

private:
    LorimelApi api_;
};

// A library that notes the order in which the worker starts items (the
// format detection of each picture, on the worker's thread: the order of
// the pass whatever the decoding threads finish first) and the threads that
// read pixels, and that can hold the pixel read of one file until released.
const LorimelApi* g_watchedReal = nullptr;
CRITICAL_SECTION g_watchSection;
std::vector<std::string> g_started;
std::set<DWORD> g_startThreads, g_readThreads;
const char* g_heldName = nullptr;
HANDLE g_release = nullptr;
volatile LONG g_heldReads = 0;
volatile LONG g_heldNow = 0;   // reads held at this moment
LorimelHandle volatile g_heldHandle = nullptr;

LorimelHandle WINAPI OpenNotingHeld(const char* path, const char* mode, const char* format, LONG flag) {
    LorimelHandle file = g_watchedReal->OpenImageFile(path, mode, format, flag);
    if (g_heldName && path && EndsWithName(path, g_heldName)) g_heldHandle = file;
    return file;
}

LONG WINAPI DetectNotingOrder(const char* path, char* format) {
    EnterCriticalSection(&g_watchSection);
    g_started.push_back(path ? path : "");
    g_startThreads.insert(GetCurrentThreadId());
    LeaveCriticalSection(&g_watchSection);
    return g_watchedReal->DetectImageFormat(path, format);
}

LONG WINAPI ReadPixelsHeld(LorimelHandle file, void* pixels, LONG width, LONG height, LONG page) {
    EnterCriticalSection(&g_watchSection);
    g_readThreads.insert(GetCurrentThreadId());
    LeaveCriticalSection(&g_watchSection);
    if (file && file == g_heldHandle) {
        InterlockedIncrement(&g_heldReads);
        InterlockedIncrement(&g_heldNow);
        WaitForSingleObject(g_release, kPassTimeoutMs);
        InterlockedDecrement(&g_heldNow);
    }
    return g_watchedReal->ReadImagePixels(file, pixels, width, height, page);
}

class WatchedLibrary {
public:
    WatchedLibrary(const LorimelApi& real, const char* heldName = nullptr) {
        InitializeCriticalSection(&g_watchSection);
        g_watchedReal = &real;
        g_started.clear();
        g_startThreads.clear();
        g_readThreads.clear();
        g_heldName = heldName;
        g_heldReads = 0;
        g_heldHandle = nullptr;
        g_release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        api_ = real;
        api_.OpenImageFile = OpenNotingHeld;
        api_.DetectImageFormat = DetectNotingOrder;
        api_.ReadImagePixels = ReadPixelsHeld;
        SetImageLibrary(&api_);
    }
    ~WatchedLibrary() {
        Release();
        StopWatcher();   // no decoding thread reads through this library any more
        SetImageLibrary(g_watchedReal);
        CloseHandle(g_release);
        DeleteCriticalSection(&g_watchSection);
    }
    WatchedLibrary(const WatchedLibrary&) = delete;
    WatchedLibrary& operator=(const WatchedLibrary&) = delete;
    void Release() { SetEvent(g_release); }
    void Hold() { ResetEvent(g_release); }
    // The model indices of the items started, in order (by their paths).
    std::vector<int> StartedIndices() {
        EnterCriticalSection(&g_watchSection);
        const std::vector<std::string> started = g_started;
        LeaveCriticalSection(&g_watchSection);
        std::vector<int> indices;
        ItemModelLock hold;
        for (const std::string& path : started)
            for (size_t i = 0; i < Items().items.size(); ++i)
                if (lstrcmpiA(ItemPath(Items().items[i]).c_str(), path.c_str()) == 0) indices.push_back(static_cast<int>(i));
        return indices;
    }

private:
    LorimelApi api_;
};

class ThumbnailPassTest : public ThumbnailWorkerTest {
protected:
    void SetUp() override {
        // Two decoding threads, whatever the machine has: the order below is
        // the order items are started in, and at most kThreads are in flight.
        // The list holds one item before its first paint.
        StartWorker("scratch-passes", 1, kThreads);
        root_ = ScratchFolder("passes");
    }
    void TearDown() override {
        StopWorker();
        RemoveTree(root_);
    }

    // A folder below the test's scratch folder.
    std::string Folder(const char* name) {
        const std::string path = root_ + "\\" + name;
        CreateDirectoryA(path.c_str(), nullptr);
        return path;
    }
    std::string CopySample(const char* sample, const std::string& to) {
        EXPECT_TRUE(CopyFileA(SamplePath(sample).c_str(), to.c_str(), FALSE)) << sample;
        return to;
    }
    // count copies of photo.jpg named p00.jpg, p01.jpg... in folder.
    void FillWithPhotos(const std::string& folder, int count) {
        char name[32];
        for (int i = 0; i < count; ++i) {
            std::snprintf(name, sizeof name, "\\p%02d.jpg", i);
            CopySample("photo.jpg", folder + name);
        }
    }

    // Opens folder and waits until its passes are over: the load hands an
    // empty open list over first, the end of the passes the pictures.
    void ShowAndWait(const std::string& folder) {
        ForgetPosted();
        RequestPath(folder);
        ASSERT_TRUE(WaitForPosted(browser_, kMsgFolderLoaded, kPassTimeoutMs)) << folder;
        ASSERT_TRUE(WaitForCount(browser_, kMsgReplaceOpenList, 2, kPassTimeoutMs)) << folder;
        PumpFor(20);
    }

    std::vector<int> RedrawOrder() { return AsIndices(PostedParams(list_, kMsgRedrawItem)); }

    static constexpr int kThreads = 2;
    std::string root_;
};

// ---------------------------------------------------------------------------
// The cache: the first open decodes, the next one only reads.

TEST_F(ThumbnailPassTest, SecondOpenTakesEveryThumbnailFromTheCache) {
    const std::string folder = Folder("formats");
    const char* samples[] = {"photo.jpg", "bmp-24bit.bmp", "bmp-4bit.bmp", "alpha.png", "rose.tif", "icon.ico"};
    const char* formats[] = {"JPG", "BMP", "BMP", "PNG", "TIF", "ICO"};
    std::vector<std::string> paths;
    for (const char* sample : samples) paths.push_back(CopySample(sample, folder + "\\" + sample));
    CreateDirectoryA((folder + "\\sub").c_str(), nullptr);

    const long before = ThumbnailDecodeCount();
    ShowAndWait(folder);
    EXPECT_EQ(static_cast<long>(paths.size()), ThumbnailDecodeCount() - before) << "each picture decoded once";

    std::vector<ItemView> first;
    for (size_t i = 0; i < paths.size(); ++i) {
        const ItemView item = FindItem(paths[i]);
        SCOPED_TRACE(paths[i]);
        ASSERT_GE(item.index, 0);
        EXPECT_EQ(kItemPicture, item.state);
        EXPECT_TRUE(item.examined);
        EXPECT_TRUE(item.hasThumbnail);
        EXPECT_TRUE(item.thumbnail);
        EXPECT_FALSE(item.info.empty());
        EXPECT_EQ(formats[i], item.format);
        EXPECT_GT(item.thumbWidth, 0);
        EXPECT_LE(item.thumbWidth, ThumbnailCellBox().cx);
        EXPECT_LE(item.thumbHeight, ThumbnailCellBox().cy);
        EXPECT_GT(item.largeWidth, 0) << "icon-size copies";
        EXPECT_GT(item.smallWidth, 0);
        first.push_back(item);
    }
    EXPECT_EQ("160x120x16M", FindItem(paths[1]).info);
    EXPECT_EQ(kItemFolder, FindItem(folder + "\\sub").state) << "a folder is not examined";
    EXPECT_EQ(static_cast<int>(paths.size()), CountPosted(list_, kMsgRedrawItem)) << "one redraw per picture";
    EXPECT_EQ(static_cast<int>(paths.size()), CountPosted(list_, kMsgRefreshItemTexts));
    EXPECT_EQ(paths.size(), OpenListPaths().size()) << "the pictures become the open list";

    const long again = ThumbnailDecodeCount();
    ShowAndWait(folder);
    EXPECT_EQ(0, ThumbnailDecodeCount() - again) << "every thumbnail came from the cache";
    for (size_t i = 0; i < paths.size(); ++i) {
        const ItemView item = FindItem(paths[i]);
        SCOPED_TRACE(paths[i]);
        EXPECT_EQ(kItemPicture, item.state);
        EXPECT_TRUE(item.hasThumbnail);
        EXPECT_EQ(first[i].info, item.info);
        EXPECT_EQ(first[i].format, item.format);
        EXPECT_EQ(first[i].thumbWidth, item.thumbWidth);
        EXPECT_EQ(first[i].thumbHeight, item.thumbHeight);
    }
    EXPECT_EQ(paths.size(), OpenListPaths().size());

    // A picture changed on disk no longer matches its cache entry.
    CopySample("bmp-8bit.bmp", paths[1]);
    const long changed = ThumbnailDecodeCount();
    ShowAndWait(folder);
    EXPECT_EQ(1, ThumbnailDecodeCount() - changed);
    EXPECT_EQ(0u, FindItem(paths[1]).info.find("140x92")) << FindItem(paths[1]).info;
}

// ---------------------------------------------------------------------------
// The order of the work: the shown range first, following it when it moves.

TEST_F(ThumbnailPassTest, ShownItemsComeFirstThenEveryItemFromTheTop) {
    const std::string folder = Folder("order");
    FillWithPhotos(folder, 30);   // model: ".." then p00..p29 at 1..30
    SetVisibleListRange(26, 31);
    WatchedLibrary library(api_);
    ShowAndWait(folder);

    std::vector<int> expected = {26, 27, 28, 29, 30};
    for (int i = 1; i <= 25; ++i) expected.push_back(i);
    EXPECT_EQ(expected, library.StartedIndices());
    // Finished as the threads come back: each item exactly once.
    const std::vector<int> redrawn = RedrawOrder();
    EXPECT_EQ(30u, redrawn.size());
    EXPECT_EQ(std::set<int>(expected.begin(), expected.end()), std::set<int>(redrawn.begin(), redrawn.end()));
    EXPECT_EQ(30, CountInState(kItemPicture));
    // The worker alone appended them to the cache: all of them are read back.
    const long decodes = ThumbnailDecodeCount();
    ShowAndWait(folder);
    EXPECT_EQ(0, ThumbnailDecodeCount() - decodes);
    EXPECT_EQ(30, CountInState(kItemPicture));
}

TEST_F(ThumbnailPassTest, AMovedRangeIsServedNext) {
    const std::string folder = Folder("scroll");
    FillWithPhotos(folder, 30);
    SetVisibleListRange(26, 31);
    WatchedLibrary library(api_);
    ForgetPosted();
    RequestPath(folder);
    ASSERT_TRUE(WaitForCount(list_, kMsgRedrawItem, 1, kPassTimeoutMs));
    int doneBeforeScroll = 0;
    {
        // Holding the model's lock keeps the worker from finishing or taking
        // an item while the range moves: at most the item it is giving and
        // the ones on the decoding threads are started before the new range.
        ItemModelLock hold;
        for (const BrowserItem& item : Items().items) doneBeforeScroll += item.hasThumbnail;
        SetVisibleListRange(16, 21);   // the items p15..p19, model 16..20
    }
    ASSERT_LT(doneBeforeScroll, 15) << "the pass reached the new range before it moved";
    ASSERT_TRUE(WaitForCount(browser_, kMsgReplaceOpenList, 2, kPassTimeoutMs));
    PumpFor(20);

    const std::vector<int> redrawn = RedrawOrder();
    EXPECT_EQ(30u, redrawn.size());
    EXPECT_EQ(30u, std::set<int>(redrawn.begin(), redrawn.end()).size()) << "no item twice";
    const std::vector<int> order = library.StartedIndices();
    ASSERT_EQ(30u, order.size());
    // The moved range follows the items done before it (and the ones then
    // in progress), in its own order.
    const auto at = std::find(order.begin(), order.end(), 16) - order.begin();
    EXPECT_GE(at, doneBeforeScroll);
    EXPECT_LE(at, doneBeforeScroll + 1 + kThreads);
    ASSERT_LE(at + 5, static_cast<long>(order.size()));
    EXPECT_EQ((std::vector<int>{16, 17, 18, 19, 20}), std::vector<int>(order.begin() + at, order.begin() + at + 5));
    // After it, the rest from the top.
    EXPECT_TRUE(std::is_sorted(order.begin() + at + 5, order.end()));
    EXPECT_EQ(30, CountInState(kItemPicture));
}

// ---------------------------------------------------------------------------
// Another folder in the middle of a pass.

TEST_F(ThumbnailPassTest, AnotherFolderStopsThePassAndTheCacheKeepsWhatWasDone) {
    const std::string photos = Folder("photos");
    FillWithPhotos(photos, 30);
    const std::string other = Folder("other");
    WriteTextFile(other + "\\a.txt", "x");

    const long before = ThumbnailDecodeCount();
    ForgetPosted();
    RequestPath(photos);
    ASSERT_TRUE(WaitForCount(list_, kMsgRedrawItem, 3, kPassTimeoutMs));
    LPITEMIDLIST otherPidl = PidlFromPath(other);
    ASSERT_NE(nullptr, otherPidl);
    int doneBefore = 0;
    std::thread requester;
    {
        // The worker cannot finish or take an item while the model's lock is
        // held; the other folder is asked for meanwhile (the handshake waits
        // for the worker, so from another thread), and the lock is let go
        // once the handshake has raised the stop flag.
        ItemModelLock hold;
        for (const BrowserItem& item : Items().items) doneBefore += item.hasThumbnail;
        requester = std::thread([otherPidl] { RequestFolder(kRequestOpenFolder, otherPidl); });
        const DWORD start = GetTickCount();
        while (!Items().stop && GetTickCount() - start < kPassTimeoutMs) Sleep(1);
    }
    requester.join();   // the worker has let the first folder go
    FreePidl(otherPidl);
    const long decodedFirst = ThumbnailDecodeCount() - before;
    PumpFor(0);
    const int redrawsOfFirst = CountPosted(list_, kMsgRedrawItem);
    ASSERT_TRUE(WaitForCount(browser_, kMsgFolderLoaded, 1, kPassTimeoutMs));
    ASSERT_TRUE(WaitForCount(browser_, kMsgReplaceOpenList, 3, kPassTimeoutMs));
    PumpFor(20);

    EXPECT_EQ((std::vector<std::string>{"..", "a.txt"}), ModelNames());
    ASSERT_LT(decodedFirst, 30) << "the pass was not stopped";
    // The item being given and the ones the threads had finished are given;
    // the ones still decoding are dropped, and the worker takes no further one.
    EXPECT_GE(redrawsOfFirst, doneBefore);
    EXPECT_LE(redrawsOfFirst, doneBefore + 1 + kThreads);
    // Afterwards only a.txt (model index 1), examined in the new folder's pass.
    const std::vector<int> order = RedrawOrder();
    EXPECT_EQ(std::vector<int>{1}, std::vector<int>(order.begin() + redrawsOfFirst, order.end()))
        << "nothing of the first folder afterwards";
    EXPECT_GE(decodedFirst, static_cast<long>(redrawsOfFirst)) << "every given picture was decoded";
    EXPECT_LE(decodedFirst, static_cast<long>(redrawsOfFirst + kThreads)) << "at most the threads' pictures dropped";
    EXPECT_FALSE(IsFolderCacheOpen());

    // The first folder's cache kept what the stopped pass had given (a
    // dropped decode that was still starting may count once more).
    const long again = ThumbnailDecodeCount();
    ShowAndWait(photos);
    EXPECT_GE(ThumbnailDecodeCount() - again, 30 - redrawsOfFirst);
    EXPECT_LE(ThumbnailDecodeCount() - again, 30 - redrawsOfFirst + kThreads);
    EXPECT_EQ(30, CountInState(kItemPicture));
    EXPECT_EQ(30, CountPosted(list_, kMsgRedrawItem));
}

// ---------------------------------------------------------------------------
// Shortcuts: a second pass gives them their targets' thumbnails.

TEST_F(ThumbnailPassTest, ShortcutsGetTheirTargetsThumbnailsInTheSecondPass) {
    const std::string folder = Folder("links");
    const std::string targets = Folder("targets");
    const std::string photo = CopySample("photo.jpg", folder + "\\a.jpg");
    const std::string bitmap = CopySample("bmp-24bit.bmp", folder + "\\z.bmp");
    const std::string target = CopySample("alpha.png", targets + "\\target.png");
    WriteTextFile(targets + "\\notes.txt", "x");
    const std::string gone = CopySample("photo.jpg", targets + "\\gone.jpg");
    const std::string link = folder + "\\m.lnk";
    const std::string textLink = folder + "\\n.lnk";
    const std::string brokenLink = folder + "\\o.lnk";
    ASSERT_TRUE(MakeShortcut(link, target));
    ASSERT_TRUE(MakeShortcut(textLink, targets + "\\notes.txt"));
    ASSERT_TRUE(MakeShortcut(brokenLink, gone));
    ASSERT_TRUE(DeleteFileA(gone.c_str()));

    const long before = ThumbnailDecodeCount();
    ShowAndWait(folder);
    EXPECT_EQ(3, ThumbnailDecodeCount() - before) << "two pictures and one target";

    const ItemView shortcut = FindItem(link);
    ASSERT_GE(shortcut.index, 0);
    EXPECT_EQ(kItemShortcutPicture, shortcut.state);
    EXPECT_TRUE(shortcut.examined);
    EXPECT_TRUE(shortcut.hasThumbnail);
    EXPECT_EQ(0u, shortcut.info.find("200x160")) << "the target's picture: " << shortcut.info;
    EXPECT_EQ("PNG", shortcut.format);
    EXPECT_EQ(kItemPicture, FindItem(photo).state);
    EXPECT_EQ(kItemPicture, FindItem(bitmap).state);
    // Shortcuts to a file that is not a picture, or to nothing, end as plain files.
    for (const std::string& plain : {textLink, brokenLink}) {
        const ItemView item = FindItem(plain);
        SCOPED_TRACE(plain);
        EXPECT_EQ(kItemFile, item.state);
        EXPECT_TRUE(item.examined);
        EXPECT_FALSE(item.hasThumbnail);
    }

    // The first pass does the files, the shortcut waits for the second,
    // though z.bmp sorts after it.
    const std::vector<int> order = RedrawOrder();
    ASSERT_GE(order.size(), 3u);
    EXPECT_EQ((std::set<int>{FindItem(photo).index, FindItem(bitmap).index}), std::set<int>(order.begin(), order.begin() + 2));
    EXPECT_NE(order.end(), std::find(order.begin() + 2, order.end(), shortcut.index));
    EXPECT_EQ(1, static_cast<int>(std::count(order.begin(), order.end(), shortcut.index)));

    // The open list has the target in the shortcut's place.
    const std::vector<std::string> open = OpenListPaths();
    EXPECT_EQ(3u, open.size());
    EXPECT_TRUE(Contains(open, target));
    EXPECT_FALSE(Contains(open, link));

    // The one-shot cache holds the target's thumbnails under both paths.
    for (const std::string& path : {target, link}) {
        uint32_t low = 0, high = 0, size = 0;
        std::string format;
        const CacheLoadResult* loaded = LoadThumbsByName(path, &low, &high, &size, &format);
        ASSERT_NE(nullptr, loaded) << path;
        ASSERT_GE(loaded->frameCount, 1) << path;
        EXPECT_EQ(shortcut.thumbWidth, DibWidth(loaded->thumbnails[0])) << path;
        EXPECT_EQ("PNG", format) << path;
        for (int k = 0; k < loaded->frameCount; ++k) FreeDib(loaded->thumbnails[k]);
    }

    // Shown again, nothing is decoded: the target comes from the one-shot cache.
    const long again = ThumbnailDecodeCount();
    ShowAndWait(folder);
    EXPECT_EQ(0, ThumbnailDecodeCount() - again);
    EXPECT_EQ(kItemShortcutPicture, FindItem(link).state);
    EXPECT_TRUE(FindItem(link).hasThumbnail);
}

// ---------------------------------------------------------------------------
// Animated pictures keep their frames, and the list is told to play them.

TEST_F(ThumbnailPassTest, AnimatedPictureKeepsItsFramesAndStartsTheCellAnimation) {
    const std::string folder = Folder("animated");
    const std::string gif = CopySample("animated.gif", folder + "\\animated.gif");
    const std::string photo = CopySample("photo.jpg", folder + "\\photo.jpg");
    const std::string still = Folder("still");
    CopySample("photo.jpg", still + "\\photo.jpg");

    for (int round = 0; round < 2; ++round) {   // decoded, then from the cache
        SCOPED_TRACE(round ? "from the cache" : "decoded");
        ShowAndWait(folder);
        const ItemView animated = FindItem(gif);
        EXPECT_EQ(kItemPicture, animated.state);
        EXPECT_EQ(4, animated.frameCount);
        EXPECT_TRUE(animated.framesComplete);
        EXPECT_GT(animated.largeWidth, 0);
        EXPECT_LE(animated.largeWidth, GetSystemMetrics(SM_CXICON));
        EXPECT_LE(animated.largeHeight, GetSystemMetrics(SM_CYICON));
        EXPECT_GT(animated.smallWidth, 0);
        EXPECT_LE(animated.smallWidth, GetSystemMetrics(SM_CXSMICON));
        EXPECT_LE(animated.smallHeight, GetSystemMetrics(SM_CYSMICON));
        EXPECT_EQ(1, AnimatedItemCount());
        EXPECT_GE(CountPosted(list_, kMsgStartCellAnimation), 1);

        const ItemView plain = FindItem(photo);
        EXPECT_EQ(kItemPicture, plain.state);
        EXPECT_EQ(0, plain.frameCount) << "a still picture keeps no frame array";
        EXPECT_GT(plain.largeWidth, 0);
    }

    // A folder without animations stops the cell animation.
    ShowAndWait(still);
    EXPECT_EQ(0, AnimatedItemCount());
    EXPECT_GE(CountPosted(list_, kMsgStopCellAnimation), 1);
    EXPECT_EQ(0, CountPosted(list_, kMsgStartCellAnimation));
}

// ---------------------------------------------------------------------------
// Files the library cannot make a thumbnail of.

TEST_F(ThumbnailPassTest, UnreadableFilesStayPlainFilesWithoutAFaultReport) {
    const std::string folder = Folder("bad");
    // Bytes of no format, under a picture's name.
    std::vector<char> junk(3000);
    unsigned seed = 12345;
    for (char& c : junk) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 16);
    }
    const std::string junkPath = folder + "\\junk.jpg";
    ASSERT_TRUE(WriteBytes(junkPath, junk));
    // The JPEG's start of image and first segment only.
    const std::vector<char> jpeg = ReadBytes(SamplePath("photo.jpg"));
    ASSERT_GT(jpeg.size(), 1000u);
    const std::string stubPath = folder + "\\stub.jpg";
    ASSERT_TRUE(WriteBytes(stubPath, std::vector<char>(jpeg.begin(), jpeg.begin() + 20)));
    // Recognised by its signature, but the coder cannot open it: no page,
    // which is not a fault of the decoder.
    const std::vector<char> png = ReadBytes(SamplePath("alpha.png"));
    ASSERT_GT(png.size(), 8u);
    const std::string signaturePath = folder + "\\signature.png";
    ASSERT_TRUE(WriteBytes(signaturePath, std::vector<char>(png.begin(), png.begin() + 8)));
    // A bitmap cut short of its pixels.
    const std::vector<char> bmp = ReadBytes(SamplePath("bmp-24bit.bmp"));
    const std::string shortBmp = folder + "\\short.bmp";
    ASSERT_TRUE(WriteBytes(shortBmp, std::vector<char>(bmp.begin(), bmp.begin() + bmp.size() / 2)));
    const std::string empty = folder + "\\empty.gif";
    ASSERT_TRUE(WriteBytes(empty, {}));
    // A good picture sorted after them: the pass goes on.
    const std::string good = CopySample("bmp-8bit.bmp", folder + "\\z.bmp");

    ShowAndWait(folder);
    for (const std::string& path : {junkPath, stubPath, signaturePath, shortBmp, empty}) {
        const ItemView item = FindItem(path);
        SCOPED_TRACE(path);
        ASSERT_GE(item.index, 0);
        EXPECT_EQ(kItemFile, item.state);
        EXPECT_TRUE(item.examined);
        EXPECT_FALSE(item.hasThumbnail);
        EXPECT_FALSE(item.thumbnail);
        EXPECT_EQ("", item.info);
        EXPECT_EQ("", item.format);
    }
    EXPECT_EQ(kItemPicture, FindItem(good).state);
    EXPECT_EQ((std::vector<std::string>{good}), OpenListPaths());
    EXPECT_EQ(6, CountPosted(list_, kMsgRedrawItem)) << "each file examined once";
    EXPECT_EQ(0, CountPosted(browser_, kMsgThumbDecodeFault));
    EXPECT_TRUE(DecodeFaultPaths().empty());

    // Shown again: the failures were not cached as pictures, and nothing
    // is decoded twice for the good one.
    ShowAndWait(folder);
    EXPECT_EQ(kItemFile, FindItem(signaturePath).state);
    EXPECT_EQ(kItemFile, FindItem(junkPath).state);
    EXPECT_EQ(kItemPicture, FindItem(good).state);
}

TEST_F(ThumbnailPassTest, ADecoderFaultIsReportedOnceAndThePassGoesOn) {
    const std::string folder = Folder("fault");
    const std::string before = CopySample("bmp-4bit.bmp", folder + "\\a.bmp");
    const std::string faulty = CopySample("alpha.png", folder + "\\fault.png");
    const std::string after = CopySample("photo.jpg", folder + "\\z.jpg");
    {
        FaultingLibrary library(api_, "fault.png");
        ShowAndWait(folder);
        EXPECT_EQ(1, g_faultsTaken) << "the fault was injected";
    }

    const ItemView item = FindItem(faulty);
    ASSERT_GE(item.index, 0);
    EXPECT_EQ(kItemFile, item.state);
    EXPECT_TRUE(item.examined) << "not tried again in this pass";
    EXPECT_FALSE(item.hasThumbnail);
    EXPECT_EQ(kItemPicture, FindItem(before).state);
    EXPECT_EQ(kItemPicture, FindItem(after).state) << "the pass went on";

    // Named to the browser once, with the item's index; the list only redraws.
    EXPECT_EQ((std::vector<std::string>{faulty}), DecodeFaultPaths());
    EXPECT_EQ((std::vector<WPARAM>{static_cast<WPARAM>(item.index)}), PostedWParams(browser_, kMsgThumbDecodeFault));
    EXPECT_EQ(0, CountPosted(list_, kMsgThumbDecodeFault));
    EXPECT_EQ(2u, OpenListPaths().size());

    // Nothing of the faulted decode reached the cache: with a library that
    // behaves, the picture is decoded (the others come from the cache).
    const long decodes = ThumbnailDecodeCount();
    ShowAndWait(folder);
    EXPECT_EQ(1, ThumbnailDecodeCount() - decodes);
    EXPECT_EQ(kItemPicture, FindItem(faulty).state);
    EXPECT_TRUE(DecodeFaultPaths().empty());
}

// A JPEG cut short decodes what it has: the decoder fills the missing rows.
TEST_F(ThumbnailPassTest, TornJpegStillGetsAThumbnail) {
    const std::string folder = Folder("torn");
    const std::vector<char> jpeg = ReadBytes(SamplePath("photo.jpg"));
    ASSERT_GT(jpeg.size(), 1000u);
    const std::string torn = folder + "\\torn.jpg";
    ASSERT_TRUE(WriteBytes(torn, std::vector<char>(jpeg.begin(), jpeg.begin() + jpeg.size() * 2 / 5)));

    ShowAndWait(folder);
    const ItemView item = FindItem(torn);
    EXPECT_EQ(kItemPicture, item.state);
    EXPECT_TRUE(item.hasThumbnail);
    EXPECT_EQ(0u, item.info.find("640x480")) << item.info;
    EXPECT_TRUE(DecodeFaultPaths().empty());
}

// A picture added to the shown folder during a long pass: the worker
// refreshes the model between two items and makes the new thumbnail itself,
// long before the pass would have ended; the window's thread decodes nothing.
TEST_F(ThumbnailPassTest, ChangeDuringALongPassIsRefreshedByTheWorker) {
    const std::string folder = Folder("growing");
    FillWithPhotos(folder, 30);   // 30 reads of 120 ms: a pass of 3.6 s at least
    SlowLibrary slow(api_);
    ForgetPosted();
    RequestPath(folder);
    ASSERT_TRUE(WaitForPosted(browser_, kMsgFolderLoaded, kPassTimeoutMs));
    PumpFor(300);
    const std::string added = CopySample("photo.jpg", folder + "\\added.jpg");
    const DWORD start = GetTickCount();
    while (FindItem(added).index < 0 && GetTickCount() - start < 2500) PumpFor(20);
    EXPECT_GE(FindItem(added).index, 0) << "the model holds the new file while the pass goes on";
    // Posted right after the model changed: it may still be on its way.
    EXPECT_TRUE(WaitForCount(list_, kMsgFolderChanged, 1, 2500)) << "the list announces the new count";
    EXPECT_EQ(1, CountPosted(browser_, kMsgReplaceOpenList)) << "the pass has not ended yet";

    ASSERT_TRUE(WaitForCount(browser_, kMsgReplaceOpenList, 2, kPassTimeoutMs));
    EXPECT_EQ(kItemPicture, FindItem(added).state);
    EXPECT_EQ(kItemPicture, FindItem(folder + "\\p29.jpg").state) << "the pass went on after the refresh";
    EXPECT_EQ(0, g_readsOnTestThread) << "decoding stays on the worker";
}

// ---------------------------------------------------------------------------
// A huge picture takes one decoding thread: the other items go on, and a new
// folder does not wait for it.  Its pixel read is held until the test lets
// it go, so that nothing depends on how long the decode takes.

// A 24-bit bitmap of width x height, a gradient, written row by row.
bool WriteLargeBitmap(const std::string& path, int width, int height) {
    const DWORD rowBytes = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    file.bfType = 0x4D42;   // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + rowBytes * static_cast<DWORD>(height);
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    bool ok = std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(&info, sizeof info, 1, out) == 1;
    std::vector<unsigned char> row(rowBytes);
    for (int y = 0; ok && y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            row[3 * x] = static_cast<unsigned char>(x);
            row[3 * x + 1] = static_cast<unsigned char>(y);
            row[3 * x + 2] = static_cast<unsigned char>(x + y);
        }
        ok = std::fwrite(row.data(), 1, rowBytes, out) == rowBytes;
    }
    return std::fclose(out) == 0 && ok;
}

bool WaitUntil(bool (*done)(), DWORD timeout) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeout) return false;
        PumpFor(10);
    }
    return true;
}

TEST_F(ThumbnailPassTest, AHugePictureHoldsOneThreadWhileTheOthersGoOn) {
    const std::string folder = Folder("huge");
    const std::string huge = folder + "\\a-huge.bmp";   // model 1, before p00..p07
    ASSERT_TRUE(WriteLargeBitmap(huge, 3000, 2000));
    FillWithPhotos(folder, 8);
    WatchedLibrary library(api_, "a-huge.bmp");
    SetVisibleListRange(0, 10);
    ForgetPosted();
    RequestPath(folder);
    ASSERT_TRUE(WaitUntil([] { return CountInState(kItemPicture) == 8; }, kPassTimeoutMs))
        << "the photos wait behind the huge picture";
    // The huge one, started first, is still being read (its header may even
    // take longer than all the photos).
    EXPECT_FALSE(FindItem(huge).hasThumbnail);
    EXPECT_TRUE(WaitUntil([] { return g_heldReads == 1; }, kPassTimeoutMs));
    EXPECT_EQ(1, CountPosted(browser_, kMsgReplaceOpenList)) << "the pass is not over before the huge picture";

    library.Release();
    ASSERT_TRUE(WaitForCount(browser_, kMsgReplaceOpenList, 2, kPassTimeoutMs));
    const ItemView item = FindItem(huge);
    EXPECT_EQ(kItemPicture, item.state);
    EXPECT_EQ("3000x2000x16M", item.info);
    EXPECT_EQ(48, item.thumbWidth);
    EXPECT_EQ(32, item.thumbHeight);
    const std::vector<int> redrawn = RedrawOrder();
    EXPECT_EQ(9u, redrawn.size());
    EXPECT_EQ(9u, std::set<int>(redrawn.begin(), redrawn.end()).size()) << "each item given once";
    EXPECT_EQ(2u, g_readThreads.size()) << "decoded on two threads";
    for (DWORD thread : g_readThreads) EXPECT_EQ(0u, g_startThreads.count(thread)) << "the worker decodes nothing";

    // Held again in a folder of its own: another folder is shown and gets
    // its thumbnails while the huge picture still decodes.
    const std::string lone = Folder("huge-alone");
    ASSERT_TRUE(CopyFileA(huge.c_str(), (lone + "\\a-huge.bmp").c_str(), FALSE));
    const std::string other = Folder("after-huge");
    FillWithPhotos(other, 3);
    library.Hold();
    ForgetPosted();
    RequestPath(lone);
    ASSERT_TRUE(WaitUntil([] { return g_heldNow == 1; }, kPassTimeoutMs));
    ShowAndWait(other);
    EXPECT_EQ(1, g_heldNow) << "the new folder did not wait for the huge picture";
    EXPECT_EQ(3, CountInState(kItemPicture));
    EXPECT_EQ(3, CountPosted(list_, kMsgRedrawItem)) << "nothing of the old folder is given";
    library.Release();
}

}  // namespace
