// A hundred shared starts at once, one file each, as a file manager does
// when the user opens a hundred files, a tenth of them no pictures: one
// instance stays and lists every picture once, each of the others hands its
// file over and ends with 0 well before the hand-over wait runs out.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "driver.h"

namespace {

constexpr int kStarts = 100;
constexpr long kHandOverWaitMs = 30000;

TEST(SharedStartsTest, AHundredAtOnceHandEveryPictureOverOnce) {
    DeleteFileA(IniPath().c_str());
    const std::string folder = TestsFolder() + "scratch-shared-starts\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    std::set<std::string> names, pictures;
    for (int i = 0; i < kStarts; ++i) {
        char name[32];
        const bool picture = i % 10 != 5;
        std::snprintf(name, sizeof name, picture ? "s%03d.bmp" : "s%03d.txt", i);
        if (picture) {
            ASSERT_TRUE(CopyFileA(Sample("bmp-1bit.bmp").c_str(), (folder + name).c_str(), FALSE));
        } else {
            HANDLE text = CreateFileA((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            ASSERT_NE(INVALID_HANDLE_VALUE, text);
            DWORD written = 0;
            WriteFile(text, "no picture", 10, &written, nullptr);
            CloseHandle(text);
        }
        names.insert(name);
        if (picture) pictures.insert(name);
    }
    char full[MAX_PATH];
    GetFullPathNameA(folder.c_str(), sizeof full, full, nullptr);

    std::vector<std::unique_ptr<Running>> starts;
    for (const std::string& name : names)
        starts.emplace_back(new Running("/SHARE \"" + std::string(full) + name + "\""));
    for (const auto& start : starts) ASSERT_TRUE(start->Started());

    // All but one end: they handed over.  The one left is the shared instance.
    const DWORD begin = GetTickCount();
    Running* shared = nullptr;
    for (;;) {
        int running = 0;
        for (const auto& start : starts)
            if (start->Wait(0) < 0) {
                ++running;
                shared = start.get();
            }
        if (running <= 1 || GetTickCount() - begin > 4 * kHandOverWaitMs) break;
        Sleep(200);
    }
    long longest = 0;
    int ended = 0;
    for (const auto& start : starts) {
        if (start.get() == shared) continue;
        ++ended;
        EXPECT_EQ(0, start->Wait(0)) << "instance " << start->ProcessId();
        const long lifetime = start->LifetimeMs();
        if (lifetime > longest) longest = lifetime;
    }
    ASSERT_EQ(kStarts - 1, ended) << "every instance but the shared one ended";
    EXPECT_LT(longest, kHandOverWaitMs) << "no instance waited the hand-over out";
    std::printf("[ figures  ] %d shared starts handed over in %lu ms; the longest-lived instance %ld ms\n", kStarts,
                GetTickCount() - begin, longest);

    ASSERT_NE(nullptr, shared);
    HWND frame = shared->Window("Ommavu[SHARE]");
    ASSERT_NE(nullptr, frame);
    const std::string status = WaitForStatus(frame, "1/90 ", 60000);
    EXPECT_EQ(0u, status.find("1/90 Pictures")) << status;
    HWND browser = shared->Window("OmmavuSHOWer");
    ASSERT_NE(nullptr, browser);
    HWND list = FindWindowExA(browser, nullptr, "SysListView32", nullptr);
    ASSERT_NE(nullptr, list);
    std::multiset<std::string> listed;
    const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) listed.insert(RemoteListText(list, i));
    EXPECT_EQ(std::multiset<std::string>(pictures.begin(), pictures.end()), listed) << "each picture listed once";

    PostMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, shared->Wait(20000));
    for (const std::string& name : names) DeleteFileA((folder + name).c_str());
    RemoveDirectoryA(folder.c_str());
    DeleteFileA(IniPath().c_str());
}

}  // namespace
