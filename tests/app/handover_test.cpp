// The shared-mode hand-over between two instances, played in one process: the
// test is the first instance with its "Ommavu[SHARE]" window, then a second.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "handover.h"

namespace {

std::vector<std::string> g_received;

LRESULT CALLBACK SharedFrame(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COPYDATA) {
        g_received.push_back(PathFromCopyData(reinterpret_cast<COPYDATASTRUCT*>(lp)));
        return TRUE;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

TEST(HandOverTest, ClassNames) {
    EXPECT_EQ("Ommavu", FrameClassName(false));
    EXPECT_EQ("Ommavu[SHARE]", FrameClassName(true));
}

TEST(HandOverTest, SecondSharedInstanceSendsItsFilesAndEnds) {
    CommandLine plain;
    plain.files = {"C:\\a.jpg"};
    HANDLE event = reinterpret_cast<HANDLE>(1);
    EXPECT_EQ(HandOverResult::NotShared, RunHandOver(plain, &event));
    EXPECT_EQ(nullptr, event);

    CommandLine shared;
    shared.share = true;
    shared.files = {"C:\\Pictures\\one.jpg", "C:\\My Pictures\\two.png"};
    HANDLE first = nullptr;
    ASSERT_EQ(HandOverResult::FirstInstance, RunHandOver(shared, &first));
    ASSERT_NE(nullptr, first);

    // The first instance's viewer frame.
    WNDCLASSA wc = {};
    wc.lpfnWndProc = SharedFrame;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "Ommavu[SHARE]";
    ASSERT_NE(0, RegisterClassA(&wc));
    HWND frame = CreateWindowA("Ommavu[SHARE]", "Ommavu", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                               nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(nullptr, frame);

    SetEvent(first);  // the first instance is ready for the next batch
    DWORD start = GetTickCount();
    HANDLE none = reinterpret_cast<HANDLE>(1);
    EXPECT_EQ(HandOverResult::HandedOver, RunHandOver(shared, &none, 30000));
    EXPECT_LT(GetTickCount() - start, 15000u) << "the signal ends the wait (which would last 30 s)";
    EXPECT_EQ(nullptr, none);
    ASSERT_EQ(2u, g_received.size());
    EXPECT_EQ("C:\\Pictures\\one.jpg", g_received[0]);
    EXPECT_EQ("C:\\My Pictures\\two.png", g_received[1]);

    // An instance with nothing to hand over gives the shared one no work
    // that would end in a signal: it passes the turn on itself.
    CommandLine bare;
    bare.share = true;
    SetEvent(first);
    EXPECT_EQ(HandOverResult::HandedOver, RunHandOver(bare, nullptr, 5000));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(first, 0)) << "the next waiting instance is released";

    // No signal and no window: the wait runs out and the files go nowhere;
    // the turn passes on.
    DestroyWindow(frame);
    g_received.clear();
    EXPECT_EQ(HandOverResult::HandedOver, RunHandOver(shared, nullptr, 50));
    EXPECT_TRUE(g_received.empty());
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(first, 0));
    CloseHandle(first);
    UnregisterClassA("Ommavu[SHARE]", wc.hInstance);
}

TEST(HandOverTest, CopyDataIsCheckedBeforeUse) {
    char path[] = "C:\\x.jpg";
    COPYDATASTRUCT data{0, sizeof path, path};
    EXPECT_EQ("C:\\x.jpg", PathFromCopyData(&data));
    data.cbData = 4;  // cut before the terminator
    EXPECT_EQ("", PathFromCopyData(&data));
    data.cbData = 0;
    EXPECT_EQ("", PathFromCopyData(&data));
    EXPECT_EQ("", PathFromCopyData(nullptr));
    std::string longest(259, 'p'), tooLong(260, 'p');
    COPYDATASTRUCT ok{0, 260, const_cast<char*>(longest.c_str())};
    EXPECT_EQ(longest, PathFromCopyData(&ok));
    COPYDATASTRUCT over{0, 261, const_cast<char*>(tooLong.c_str())};
    EXPECT_EQ("", PathFromCopyData(&over));
}
