// The resource owners of win_guards.h under Wine: each gives its resource
// back at the end of the block (and only then), on every way out of it.
#include <gtest/gtest.h>

#include <string>

#include "win_guards.h"

namespace {

bool HandleOpen(HANDLE handle) {
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) != 0;
}

bool GdiObjectAlive(HGDIOBJ object) { return GetObjectType(object) != 0; }

struct TakeAttempt {
    CRITICAL_SECTION* section;
    bool taken;
};

DWORD WINAPI TryTake(void* parameter) {
    TakeAttempt* attempt = static_cast<TakeAttempt*>(parameter);
    attempt->taken = TryEnterCriticalSection(attempt->section) != 0;
    if (attempt->taken) LeaveCriticalSection(attempt->section);
    return 0;
}

// Whether another thread could enter the section (it leaves it at once).
bool TakenFromOtherThread(CRITICAL_SECTION* section) {
    TakeAttempt attempt{section, false};
    HANDLE thread = CreateThread(nullptr, 0, TryTake, &attempt, 0, nullptr);
    if (!thread) return false;
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    return attempt.taken;
}

}  // namespace

// A memory DC with a bitmap and a palette selected into it: each is
// selected out at the end of its block, the bitmap before it is deleted, the
// DC is deleted last, and a released object lives on.
TEST(WinGuardsTest, DeviceContextsAndGdiObjectsComeBackInOrder) {
    HBITMAP kept = nullptr;
    HGDIOBJ stockBitmap = nullptr;
    HDC memory = nullptr;
    HBITMAP deleted = nullptr;
    {
        WindowDC screen(nullptr);
        ASSERT_NE(nullptr, screen.get());
        MemoryDC dc(screen);
        ASSERT_NE(nullptr, dc.get());
        memory = dc;
        stockBitmap = GetCurrentObject(dc, OBJ_BITMAP);
        GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen, 4, 4));
        GdiObject<HBITMAP> other(CreateCompatibleBitmap(screen, 2, 2));
        deleted = bitmap;
        {
            SelectedObject selection(dc, bitmap);
            EXPECT_EQ(static_cast<HGDIOBJ>(bitmap.get()), GetCurrentObject(dc, OBJ_BITMAP));
        }
        EXPECT_EQ(stockBitmap, GetCurrentObject(dc, OBJ_BITMAP)) << "the previous bitmap is selected back";
        // A palette goes through SelectPalette, and the default one comes back.
        const HGDIOBJ defaultPalette = GetCurrentObject(dc, OBJ_PAL);
        struct {
            LOGPALETTE header;
            PALETTEENTRY more[1];
        } colours = {{0x300, 2, {{0, 0, 0, 0}}}, {{255, 255, 255, 0}}};
        GdiObject<HPALETTE> palette(CreatePalette(&colours.header));
        ASSERT_NE(nullptr, palette.get());
        {
            SelectedPalette selection(dc, palette);
            EXPECT_EQ(static_cast<HGDIOBJ>(palette.get()), GetCurrentObject(dc, OBJ_PAL));
            SelectedPalette none(dc, nullptr);   // selects nothing
            EXPECT_EQ(static_cast<HGDIOBJ>(palette.get()), GetCurrentObject(dc, OBJ_PAL));
        }
        EXPECT_EQ(defaultPalette, GetCurrentObject(dc, OBJ_PAL)) << "the previous palette is selected back";
        SelectedObject selection(dc, bitmap);   // still selected when the block ends
        kept = other.release();
    }
    EXPECT_FALSE(GdiObjectAlive(deleted)) << "deleted once the DC let it go";
    EXPECT_EQ(0u, GetObjectType(memory)) << "the memory DC is deleted";
    EXPECT_TRUE(GdiObjectAlive(kept)) << "a released object is the caller's";
    DeleteObject(kept);
}

TEST(WinGuardsTest, HandlesAndModulesCloseUnlessReleased) {
    HANDLE closed = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE released = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    {
        OwnedHandle a(closed);
        OwnedHandle b(released);
        OwnedHandle none(INVALID_HANDLE_VALUE);   // "none": not closed
        EXPECT_TRUE(a.valid());
        EXPECT_FALSE(none.valid());
        b.release();
    }
    EXPECT_FALSE(HandleOpen(closed));
    EXPECT_TRUE(HandleOpen(released));
    CloseHandle(released);

    // A language library: loaded by the guard and gone after it, kept when
    // released.
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    std::string library(exe);
    library = library.substr(0, library.find_last_of('\\') + 1) + "..\\bin\\SHOW936.DLL";
    {
        OwnedModule module(LoadLibraryA(library.c_str()));
        ASSERT_NE(nullptr, module.get());
        EXPECT_NE(nullptr, GetModuleHandleA("SHOW936.DLL"));
    }
    EXPECT_EQ(nullptr, GetModuleHandleA("SHOW936.DLL")) << "freed at the end of the block";
    HMODULE kept = nullptr;
    {
        OwnedModule module(LoadLibraryA(library.c_str()));
        kept = module.release();
    }
    EXPECT_EQ(kept, GetModuleHandleA("SHOW936.DLL"));
    FreeLibrary(kept);
}

// The lock is held for the block and released on the way out of it: another
// thread can take it afterwards.
TEST(WinGuardsTest, SectionLockHoldsForTheBlock) {
    CriticalSection section;
    {
        SectionLock hold(section);
        EXPECT_FALSE(TakenFromOtherThread(section.get())) << "held inside the block";
    }
    EXPECT_TRUE(TakenFromOtherThread(section.get())) << "released at the end of the block";
}
