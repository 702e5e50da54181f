// The viewer binds the shell extension by ordinal 3 only.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

TEST(KivaroTest, OrdinalThreeIsThereAndNamesAreNot) {
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    std::string bin(exe);
    bin = bin.substr(0, bin.find_last_of('\\') + 1) + "..\\bin\\Kivaro.dll";
    HMODULE kivaro = LoadLibraryExA(bin.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    ASSERT_NE(nullptr, kivaro) << bin;
    auto enter = reinterpret_cast<void(WINAPI*)()>(
        reinterpret_cast<void*>(GetProcAddress(kivaro, MAKEINTRESOURCEA(3))));
    ASSERT_NE(nullptr, enter);
    EXPECT_EQ(nullptr, GetProcAddress(kivaro, "EnterPassiveMode"));
    EXPECT_EQ(nullptr, GetProcAddress(kivaro, MAKEINTRESOURCEA(1)));
    enter();
    enter();  // a second call is harmless
    FreeLibrary(kivaro);
}
