// Checks the ground the rest of the suite stands on when it runs under Wine
// from ctest: real windows with their creation messages, private profile
// (.ini) files, and the per-user registry.  A failure here means the test
// environment is broken, not the code under test.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

// Distinct per process so that parallel runs never share state.
std::string UniqueName(const char* stem) {
    return std::string(stem) + "-" + std::to_string(GetCurrentProcessId());
}

std::string TempPath(const std::string& leaf) {
    char dir[MAX_PATH];
    DWORD n = GetTempPathA(MAX_PATH, dir);
    EXPECT_GT(n, 0u);
    return std::string(dir, n) + leaf;
}

// --- Windows and their messages -------------------------------------------

struct WindowLog {
    int creates = 0;
    void* createParam = nullptr;
    int destroys = 0;
    int ncDestroys = 0;
};

LRESULT CALLBACK LoggingWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* log = reinterpret_cast<WindowLog*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    switch (msg) {
    case WM_NCCREATE: {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        break;
    }
    case WM_CREATE: {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
        if (log) {
            ++log->creates;
            log->createParam = cs->lpCreateParams;
        }
        return 0;
    }
    case WM_DESTROY:
        if (log) ++log->destroys;
        return 0;
    case WM_NCDESTROY:
        if (log) ++log->ncDestroys;
        break;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        className_ = UniqueName("OmmavuHarness");
        WNDCLASSA wc{};
        wc.lpfnWndProc = LoggingWndProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.lpszClassName = className_.c_str();
        ASSERT_NE(RegisterClassA(&wc), 0) << GetLastError();
    }
    void TearDown() override {
        UnregisterClassA(className_.c_str(), GetModuleHandleA(nullptr));
    }
    std::string className_;
};

TEST_F(WindowTest, CreationDeliversCreateMessageAndDestructionCleansUp) {
    WindowLog log;
    HWND hwnd = CreateWindowExA(0, className_.c_str(), "harness", WS_OVERLAPPEDWINDOW,
                                10, 20, 320, 240, nullptr, nullptr,
                                GetModuleHandleA(nullptr), &log);
    ASSERT_NE(hwnd, nullptr) << "no window; is there an X display? error " << GetLastError();
    // WM_CREATE is sent (not posted) from inside CreateWindowEx.
    EXPECT_EQ(log.creates, 1);
    EXPECT_EQ(log.createParam, &log);

    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    RECT rc{};
    ASSERT_TRUE(GetWindowRect(hwnd, &rc));
    EXPECT_EQ(rc.right - rc.left, 320);
    EXPECT_EQ(rc.bottom - rc.top, 240);

    // A posted message travels through the queue back to this thread.
    ASSERT_TRUE(PostMessageA(hwnd, WM_APP + 7, 11, 22));
    MSG msg{};
    bool seen = false;
    DWORD deadline = GetTickCount() + 5000;
    while (!seen && GetTickCount() < deadline) {
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            Sleep(5);
            continue;
        }
        if (msg.hwnd == hwnd && msg.message == WM_APP + 7) {
            seen = msg.wParam == 11 && msg.lParam == 22;
        }
        DispatchMessageA(&msg);
    }
    EXPECT_TRUE(seen);

    ASSERT_TRUE(DestroyWindow(hwnd));
    EXPECT_EQ(log.destroys, 1);
    EXPECT_EQ(log.ncDestroys, 1);
    EXPECT_FALSE(IsWindow(hwnd));
}

// --- Private profile files --------------------------------------------------

class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override { path_ = TempPath(UniqueName("ommavu-harness") + ".ini"); }
    void TearDown() override { DeleteFileA(path_.c_str()); }
    std::string path_;
};

TEST_F(ProfileTest, ValuesRoundTripThroughTheFile) {
    ASSERT_TRUE(WritePrivateProfileStringA("Viewer", "Zoom", "250", path_.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("Viewer", "Folder", "C:\\Pictures", path_.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("Browser", "Zoom", "-3", path_.c_str()));

    EXPECT_EQ(GetPrivateProfileIntA("Viewer", "Zoom", 0, path_.c_str()), 250u);
    EXPECT_EQ(static_cast<INT>(GetPrivateProfileIntA("Browser", "Zoom", 0, path_.c_str())), -3);
    char text[64] = {};
    GetPrivateProfileStringA("Viewer", "Folder", "", text, sizeof text, path_.c_str());
    EXPECT_STREQ(text, "C:\\Pictures");

    // Absent keys and sections fall back to the caller's default.
    EXPECT_EQ(GetPrivateProfileIntA("Viewer", "Missing", 77, path_.c_str()), 77u);
    EXPECT_EQ(GetPrivateProfileIntA("Nowhere", "Zoom", 5, path_.c_str()), 5u);

    // Overwriting replaces; a null value deletes the key.
    ASSERT_TRUE(WritePrivateProfileStringA("Viewer", "Zoom", "100", path_.c_str()));
    EXPECT_EQ(GetPrivateProfileIntA("Viewer", "Zoom", 0, path_.c_str()), 100u);
    ASSERT_TRUE(WritePrivateProfileStringA("Viewer", "Zoom", nullptr, path_.c_str()));
    EXPECT_EQ(GetPrivateProfileIntA("Viewer", "Zoom", 9, path_.c_str()), 9u);

    // The data really is in the named file, as plain text.
    HANDLE file = CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    char raw[512] = {};
    DWORD got = 0;
    ReadFile(file, raw, sizeof raw - 1, &got, nullptr);
    CloseHandle(file);
    std::string content(raw, got);
    EXPECT_NE(content.find("[Viewer]"), std::string::npos) << content;
    EXPECT_NE(content.find("Folder=C:\\Pictures"), std::string::npos) << content;
}

// --- Registry ---------------------------------------------------------------

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { subkey_ = "Software\\" + UniqueName("OmmavuHarness"); }
    void TearDown() override { RegDeleteKeyA(HKEY_CURRENT_USER, subkey_.c_str()); }
    std::string subkey_;
};

TEST_F(RegistryTest, UserKeyValuesRoundTripAndDeleteCleanly) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, subkey_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    DWORD number = 0xC0FFEE;
    const char text[] = "thumbnails";
    ASSERT_EQ(RegSetValueExA(key, "Size", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                             sizeof number),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "Cache", 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                             sizeof text),
              ERROR_SUCCESS);
    RegCloseKey(key);

    // Read back through a fresh handle.
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, subkey_.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD type = 0, got = 0, size = sizeof got;
    ASSERT_EQ(RegQueryValueExA(key, "Size", nullptr, &type, reinterpret_cast<BYTE*>(&got), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(got, number);
    char buf[32] = {};
    size = sizeof buf;
    ASSERT_EQ(RegQueryValueExA(key, "Cache", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_STREQ(buf, text);
    size = sizeof buf;
    EXPECT_EQ(RegQueryValueExA(key, "Absent", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size),
              ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);

    ASSERT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, subkey_.c_str()), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, subkey_.c_str(), 0, KEY_READ, &key),
              ERROR_FILE_NOT_FOUND);
}

// --- The system's own fonts ----------------------------------------------

int CALLBACK NoteFace(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

// Windows draws caption buttons, scroll arrows and menu check marks with the
// Marlett symbol font and its dialogs in Tahoma or MS Sans Serif; without
// Marlett every caption button shows letters ("0 1 r") in screenshots.
TEST(SystemFontsTest, TheFontsWindowsDrawsItsFramesWithAreInstalled) {
    HDC dc = GetDC(nullptr);
    ASSERT_NE(nullptr, dc);
    for (const char* face : {"Marlett", "Tahoma", "MS Sans Serif"}) {
        LOGFONTA wanted = {};
        wanted.lfCharSet = DEFAULT_CHARSET;
        lstrcpynA(wanted.lfFaceName, face, LF_FACESIZE);
        bool found = false;
        EnumFontFamiliesExA(dc, &wanted, NoteFace, reinterpret_cast<LPARAM>(&found), 0);
        EXPECT_TRUE(found) << face;
    }
    ReleaseDC(nullptr, dc);
}

}  // namespace
