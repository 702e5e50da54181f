// Stepping through the open list and the pages of a file, page play, the
// sequence show and the Edit List dialog.  A hidden top-level window stands
// in for the viewer frame; timer ticks are delivered by calling the tick
// functions directly.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "document.h"
#include "load.h"
#include "loader.h"
#include "messages.h"
#include "navigation.h"
#include "open_list.h"
#include "picture_view.h"
#include "resource_ids.h"
#include "settings.h"

namespace {

std::string Beside(const std::string& relative) {
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    std::string dir(exe);
    return dir.substr(0, dir.find_last_of('\\') + 1) + relative;
}
std::string Sample(const char* name) { return Beside(std::string("..\\samples\\") + name); }

// The loader's end of a file, signalled from its thread.
HANDLE g_loadEnded = nullptr;
void LoadEnded(void*) { SetEvent(g_loadEnded); }
void LoadEndedAt(void*, const char*) { SetEvent(g_loadEnded); }

int g_layouts = 0;
HWND g_viewer = nullptr, g_preview = nullptr, g_browser = nullptr;

class NavigationTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (ImageLibrary()) return;
        static LorimelApi api;
        const std::string bin = Beside("..\\bin\\");
        ASSERT_TRUE(BindLorimel(api, (bin + "Lorimel.dll").c_str()));
        ASSERT_EQ(1, api.InitImageLibrary(bin.c_str()));
        SetImageLibrary(&api);
    }
    void SetUp() override {
        if (!g_loadEnded) g_loadEnded = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        frame_ = CreateWindowExA(0, "STATIC", "frame", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                                 nullptr, nullptr, nullptr);
        g_browser = CreateWindowExA(0, "STATIC", "browser", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200,
                                    nullptr, nullptr, nullptr, nullptr);
        g_viewer = CreatePictureView(frame_, 0, 0, 100, 100, WS_VISIBLE);
        g_preview = CreatePictureView(g_browser, 0, 0, 100, 100, WS_VISIBLE);
        NavigationHost host = {};
        host.frame = frame_;
        host.viewerView = [] { return g_viewer; };
        host.previewView = [] { return g_preview; };
        host.browser = [] { return g_browser; };
        host.layOutFrame = [] { ++g_layouts; };
        SetNavigationHost(host);
        SetNavigationOpenList(&list_);
        CloseAll();
        ResetEvent(g_loadEnded);
        g_layouts = 0;
        LoaderSink sink = {};
        sink.fileLoaded = LoadEnded;
        sink.unreadable = LoadEndedAt;
        sink.decodeError = LoadEndedAt;
        SetPictureLoaderSink(sink);
        PlayPages();
    }
    void TearDown() override {
        if (IsSequenceShowOn()) ToggleSequenceShow();
        CloseAll();
        DestroyWindow(frame_);
        DestroyWindow(g_browser);
    }

    // A loaded animation without the loader: count pages of growing width.
    void FakeAnimation(std::vector<int> delays) {
        const int count = static_cast<int>(delays.size());
        ASSERT_TRUE(AllocateDocumentPages(count));
        PictureDocument& doc = CurrentDocument();
        for (int i = 0; i < count; ++i) {
            doc.pages[i] = CreatePicture(4 + i, 4);
            doc.pageDelays[i] = delays[static_cast<size_t>(i)];
            doc.pageBits[i] = 8 + i;
        }
        lstrcpyA(doc.fileName, "C:\\no-such-folder\\fake.gif");
        doc.pageCount = count;
        doc.currentPage = 0;
        SetCurrentPicture(doc.pages[0]);
    }
    // Waits for the real loader to end the file it was given.
    static void WaitForLoader() {
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(g_loadEnded, 20000));
        ResetEvent(g_loadEnded);
        for (int i = 0; i < 400 && IsPictureLoaderRunning(); ++i) Sleep(5);
    }
    // ... and reports the end as the frame does.
    static void LoadAndWait() {
        WaitForLoader();
        OnPictureLoaded();
    }
    bool PlayTimerRuns() {
        const bool ran = KillTimer(frame_, kTimerPagePlay) != 0;
        return ran;
    }
    std::vector<int> PlayPagesFor(int ticks) {
        std::vector<int> shown;
        for (int i = 0; i < ticks; ++i) {
            OnPagePlayTick();
            shown.push_back(CurrentDocument().currentPage);
        }
        return shown;
    }
    // Takes every msg posted to window; got receives the last one.
    static bool Posted(HWND window, UINT msg, MSG* got = nullptr) {
        MSG m;
        bool any = false;
        while (PeekMessageA(&m, window, msg, msg, PM_REMOVE)) {
            any = true;
            if (got) *got = m;
        }
        return any;
    }

    HWND frame_ = nullptr;
    OpenList list_;
};

TEST_F(NavigationTest, PlayTimingRule) {
    EXPECT_EQ(150, PagePlayPeriod(nullptr, 0));
    const int zero[] = {0, 0};
    EXPECT_EQ(150, PagePlayPeriod(zero, 2));
    EXPECT_EQ(1, PagePlayTicks(0, 150));
    const int fast[] = {30, 60, 90};
    EXPECT_EQ(50, PagePlayPeriod(fast, 3));
    for (int delay : fast) EXPECT_EQ(1, PagePlayTicks(delay, 50)) << delay;
    const int mixed[] = {300, 100};
    EXPECT_EQ(100, PagePlayPeriod(mixed, 2));
    EXPECT_EQ(3, PagePlayTicks(300, 100));
    EXPECT_EQ(1, PagePlayTicks(100, 100));
    const int none[] = {1500, 1500};  // the loader's value for frames without a delay
    EXPECT_EQ(1500, PagePlayPeriod(none, 2));
}

TEST_F(NavigationTest, PictureCommandsStopAtTheEnds) {
    for (const char* name : {"C:\\nav\\a.bmp", "C:\\nav\\b.bmp", "C:\\nav\\c.bmp"}) list_.Append(name);
    EXPECT_FALSE(PreviousPicture());
    EXPECT_TRUE(LastPicture());
    EXPECT_EQ(2, OpenListPosition());
    EXPECT_STREQ("C:\\nav\\c.bmp", CurrentDocument().fileName);
    EXPECT_FALSE(NextPicture());
    EXPECT_EQ(2, OpenListPosition());
    EXPECT_TRUE(PreviousPicture());
    EXPECT_EQ(1, OpenListPosition());
    EXPECT_TRUE(FirstPicture());
    EXPECT_EQ(0, OpenListPosition());
    EXPECT_FALSE(PreviousPicture());
    EXPECT_FALSE(GoToPicture(3));
    EXPECT_EQ(0, OpenListPosition());
    WaitForLoader();

    // A load forgets the pages of the old file and stops its play.
    FakeAnimation({100, 100});
    OnPictureLoaded();
    EXPECT_TRUE(NextPicture());
    EXPECT_EQ(0, CurrentDocument().pageCount);
    EXPECT_EQ(0, CurrentDocument().currentPage);
    EXPECT_FALSE(IsLoadFinished());
    EXPECT_FALSE(PlayTimerRuns());
}

TEST_F(NavigationTest, PagePlayCountsTicksAndWraps) {
    FakeAnimation({100, 300, 100});
    PictureDocument& doc = CurrentDocument();
    const std::vector<Picture*> pages(doc.pages, doc.pages + 3);
    OnPictureLoaded();
    EXPECT_TRUE(IsLoadFinished());
    EXPECT_FALSE(IsShownOnce());
    EXPECT_EQ(1, doc.pageDelays[0]);
    EXPECT_EQ(3, doc.pageDelays[1]);

    // Page 1 stays three ticks; leaving the last page completes a cycle.
    EXPECT_EQ((std::vector<int>{1, 1, 1, 2}), PlayPagesFor(4));
    EXPECT_FALSE(IsShownOnce());
    EXPECT_EQ((std::vector<int>{0}), PlayPagesFor(1));
    EXPECT_TRUE(IsShownOnce());
    EXPECT_EQ(pages, std::vector<Picture*>(doc.pages, doc.pages + 3)) << "no page was freed";
    EXPECT_EQ(pages[0], doc.picture);
    EXPECT_EQ(8, doc.pageBitsPerPixel);
    EXPECT_TRUE(ViewHasPicture(g_viewer));
    EXPECT_TRUE(ViewHasPicture(g_preview));
    EXPECT_TRUE(Posted(frame_, kMsgRefreshInfo));
    EXPECT_TRUE(Posted(g_browser, kMsgRefreshInfo));
    MSG size = {};
    ASSERT_TRUE(Posted(g_browser, kMsgPreviewSize, &size));
    const RECT zoomed = ViewZoomedSize(g_preview);
    EXPECT_EQ(zoomed.right - zoomed.left, static_cast<int>(size.wParam));
    EXPECT_EQ(zoomed.bottom - zoomed.top, static_cast<int>(size.lParam));
    EXPECT_EQ(0, g_layouts) << "the viewer view is hidden with its frame";

    // Stop only freezes the pages; the timer keeps running.
    StopPages();
    EXPECT_EQ((std::vector<int>{0, 0}), PlayPagesFor(2));
    PlayPages();
    EXPECT_EQ((std::vector<int>{1}), PlayPagesFor(1));
    EXPECT_TRUE(PlayTimerRuns());
}

TEST_F(NavigationTest, PagePlayBackwardWithActiveToward) {
    char saved[32] = {};
    const DWORD had = GetPrivateProfileStringA(settings::kParamter, "ActiveToward", "", saved, sizeof saved,
                                               settings::kFileName);
    settings::Write(settings::kActiveToward, -1);
    FakeAnimation({1500, 1500, 1500});
    CurrentDocument().pagesDifferInSize = true;
    ShowWindow(frame_, SW_SHOWNOACTIVATE);
    OnPictureLoaded();
    const std::vector<int> shown = PlayPagesFor(3);
    const bool wrapped = IsShownOnce();
    WritePrivateProfileStringA(settings::kParamter, "ActiveToward", had ? saved : nullptr,
                               settings::kFileName);
    EXPECT_EQ((std::vector<int>{2, 1, 0}), shown);
    EXPECT_TRUE(wrapped);
    EXPECT_EQ(3, g_layouts) << "pages of different sizes lay the visible frame out again";
}

TEST_F(NavigationTest, PageCommandsShowDecodedPagesOrReload) {
    list_.Append(Sample("animated-parts.gif"));
    ASSERT_TRUE(FirstPicture());
    LoadAndWait();
    PictureDocument& doc = CurrentDocument();
    ASSERT_EQ(4, doc.pageSlots);
    EXPECT_FALSE(PreviousPage());
    ASSERT_TRUE(NextPage());
    EXPECT_EQ(1, doc.currentPage);
    EXPECT_EQ(doc.pages[1], doc.picture);
    EXPECT_FALSE(IsPictureLoaderRunning()) << "a decoded page needs no load";

    // Page 2 not decoded: the file is loaded again, up to that page.
    FreePicture(doc.pages[2]);
    doc.pages[2] = nullptr;
    ASSERT_TRUE(NextPage());
    EXPECT_EQ(0, doc.pageCount);
    LoadAndWait();
    EXPECT_EQ(2, doc.currentPage);
    ASSERT_NE(nullptr, doc.pages[2]);
    EXPECT_EQ(doc.pages[2], doc.picture);
    ASSERT_TRUE(NextPage());
    EXPECT_FALSE(NextPage()) << "no page after the last";
}

TEST_F(NavigationTest, SequenceShowWaitsForOneCycleAndWraps) {
    list_.Append(Sample("bmp-24bit.bmp"));
    list_.Append(Sample("animated-parts.gif"));
    ToggleSequenceShow();  // goes to the animation at once
    EXPECT_TRUE(IsSequenceShowOn());
    EXPECT_EQ(1, OpenListPosition());
    OnSequenceTick();  // still loading
    EXPECT_EQ(1, OpenListPosition());
    LoadAndWait();
    OnSequenceTick();  // loaded, but not yet played through
    EXPECT_EQ(1, OpenListPosition());
    int ticks = 0;
    while (!IsShownOnce() && ticks < 20) OnPagePlayTick(), ++ticks;
    EXPECT_EQ(4, ticks) << "four pages of 200 ms, one tick each";
    OnSequenceTick();  // wraps from the last entry to the first
    EXPECT_EQ(0, OpenListPosition());
    LoadAndWait();
    EXPECT_TRUE(IsShownOnce()) << "a still picture is complete once loaded";
    OnSequenceTick();
    EXPECT_EQ(1, OpenListPosition());
    LoadAndWait();
    StopPages();  // a stopped animation does not hold the show
    OnSequenceTick();
    EXPECT_EQ(0, OpenListPosition());
    LoadAndWait();
    ToggleSequenceShow();
    EXPECT_FALSE(IsSequenceShowOn());
}

TEST_F(NavigationTest, CloseAllForgetsEverything) {
    list_.Append("C:\\nav\\a.gif");
    SetOpenListPosition(0);
    FakeAnimation({100, 100});
    OnPictureLoaded();
    PlayPagesFor(1);
    CloseAll();
    const PictureDocument& doc = CurrentDocument();
    EXPECT_EQ(0, list_.Count());
    EXPECT_EQ('\0', doc.fileName[0]);
    EXPECT_EQ(nullptr, doc.picture);
    EXPECT_EQ(nullptr, doc.pages);
    EXPECT_EQ(0, doc.currentPage);
    EXPECT_FALSE(ViewHasPicture(g_viewer));
    EXPECT_FALSE(ViewHasPicture(g_preview));
    EXPECT_FALSE(PlayTimerRuns());
}

// ---- Edit List dialog ----

// A dialog template in memory with the Edit List controls.
class DialogTemplate {
public:
    DialogTemplate() {
        Dword(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME);
        Dword(0);
        Word(4);  // controls
        Word(0), Word(0), Word(240), Word(160);
        Word(0), Word(0), Text(kTitle);
        Item(WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, 5, 5,
             230, 120, IDC_EDIT_LIST_VIEW, WC_LISTVIEWA);
        Item(WS_CHILD | WS_VISIBLE, 5, 130, 50, 14, IDC_EDIT_LIST_DOWN, nullptr);
        Item(WS_CHILD | WS_VISIBLE, 60, 130, 50, 14, IDC_EDIT_LIST_UP, nullptr);
        Item(WS_CHILD | WS_VISIBLE, 130, 130, 50, 14, IDOK, nullptr);
    }
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }
    static constexpr char kTitle[] = "Edit List under test";

private:
    void Word(WORD w) { words_.push_back(w); }
    void Dword(DWORD d) { Word(LOWORD(d)), Word(HIWORD(d)); }
    void Text(const char* s) {
        while (*s) Word(static_cast<WORD>(*s++));
        Word(0);
    }
    void Item(DWORD style, short x, short y, short cx, short cy, WORD id, const char* cls) {
        if (words_.size() % 2) Word(0);  // items start on a DWORD boundary
        Dword(style), Dword(0);
        Word(x), Word(y), Word(cx), Word(cy), Word(id);
        if (cls) Text(cls); else Word(0xFFFF), Word(0x0080);  // button
        Word(0), Word(0);  // no title, no creation data
    }
    std::vector<WORD> words_;
};

// What the script saw inside the running dialog.
struct DialogRun {
    std::vector<std::string> rowsBefore, rowsAfter;
    int selectedAtStart = -1;
    int selectedAfterMoves = -1;
    UINT finish = IDOK;
    bool pickLast = false;
};
DialogRun* g_run = nullptr;

std::vector<std::string> Rows(HWND list) {
    std::vector<std::string> rows;
    for (int i = 0; i < ListView_GetItemCount(list); ++i) {
        char text[MAX_PATH] = {};
        ListView_GetItemText(list, i, 0, text, sizeof text);
        rows.push_back(text);
    }
    return rows;
}

// Runs inside the dialog's modal loop: Up, Up (already on top), Down, Down.
void CALLBACK DriveDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = FindWindowA(nullptr, DialogTemplate::kTitle);
    if (!dialog) return;
    KillTimer(nullptr, timer);
    HWND list = GetDlgItem(dialog, IDC_EDIT_LIST_VIEW);
    g_run->rowsBefore = Rows(list);
    g_run->selectedAtStart = ListView_GetNextItem(list, -1, LVNI_SELECTED);
    for (UINT id : {IDC_EDIT_LIST_UP, IDC_EDIT_LIST_UP, IDC_EDIT_LIST_DOWN, IDC_EDIT_LIST_DOWN})
        SendMessageA(dialog, WM_COMMAND, id, 0);
    g_run->rowsAfter = Rows(list);
    g_run->selectedAfterMoves = ListView_GetNextItem(list, -1, LVNI_SELECTED);
    if (g_run->pickLast) {
        ListView_SetItemState(list, 3, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        SendMessageA(dialog, WM_COMMAND, IDC_EDIT_LIST_DOWN, 0);  // nothing below the last row
    }
    SendMessageA(dialog, WM_COMMAND, g_run->finish, 0);
}

class EditListDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The list view class comes with the common controls library.
        using InitControls = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
        const auto init = reinterpret_cast<InitControls>(reinterpret_cast<void*>(
            GetProcAddress(LoadLibraryA("comctl32.dll"), "InitCommonControlsEx")));
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
        ASSERT_TRUE(init && init(&controls));
        for (const char* path : {"C:\\p\\a.jpg", "C:\\p\\b.jpg", "C:\\p\\c.jpg", "C:\\p\\d.jpg"})
            list_.Append(path);
        SetNavigationOpenList(&list_);
        SetOpenListPosition(1);
    }
    void TearDown() override { SetNavigationOpenList(nullptr); }
    int Run(DialogRun& run) {
        g_run = &run;
        SetTimer(nullptr, 0, 10, DriveDialog);
        return RunEditListDialogIndirect(nullptr, template_.Get());
    }
    std::vector<std::string> Entries() const {
        std::vector<std::string> entries;
        for (int i = 0; i < list_.Count(); ++i) entries.push_back(list_.At(i));
        return entries;
    }
    OpenList list_;
    DialogTemplate template_;
};

const std::vector<std::string> kStart{"C:\\p\\a.jpg", "C:\\p\\b.jpg", "C:\\p\\c.jpg", "C:\\p\\d.jpg"};
const std::vector<std::string> kMoved{"C:\\p\\a.jpg", "C:\\p\\c.jpg", "C:\\p\\b.jpg", "C:\\p\\d.jpg"};

TEST_F(EditListDialogTest, MovesRowsAndOkRewritesTheList) {
    DialogRun run;
    run.pickLast = true;
    EXPECT_EQ(3, Run(run));
    EXPECT_EQ(kStart, run.rowsBefore);
    EXPECT_EQ(1, run.selectedAtStart);
    EXPECT_EQ(kMoved, run.rowsAfter);
    EXPECT_EQ(2, run.selectedAfterMoves) << "the moved row stays selected";
    EXPECT_EQ(kMoved, Entries());
}

TEST_F(EditListDialogTest, CancelChangesNothing) {
    SetOpenListPosition(9);  // past the end: the last row is selected
    DialogRun run;
    run.finish = IDCANCEL;
    EXPECT_EQ(-1, Run(run));
    EXPECT_EQ(3, run.selectedAtStart);
    EXPECT_EQ(kStart, Entries());
}

}  // namespace
