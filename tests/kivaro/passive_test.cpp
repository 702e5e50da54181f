// The extension's exports and COM plumbing, and its passive mode inside the
// viewer's own process.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "kivaro.h"
#include "kivaro_fixture.h"
#include "resource_ids.h"

namespace {

std::string BuiltExtension() {
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    std::string bin(exe);
    return bin.substr(0, bin.find_last_of('\\') + 1) + "..\\bin\\Kivaro.dll";
}

TEST(KivaroTest, ComEntriesByNameAndPassiveModeByOrdinalThree) {
    HMODULE kivaro = LoadLibraryExA(BuiltExtension().c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    ASSERT_NE(nullptr, kivaro);
    struct Export {
        const char* name;
        WORD ordinal;
    } exports[] = {{"DllCanUnloadNow", 1}, {"DllGetClassObject", 2}};
    for (const Export& e : exports) {
        FARPROC byName = GetProcAddress(kivaro, e.name);
        EXPECT_NE(nullptr, byName) << e.name;
        EXPECT_EQ(byName, GetProcAddress(kivaro, MAKEINTRESOURCEA(e.ordinal))) << e.name;
    }
    EXPECT_NE(nullptr, GetProcAddress(kivaro, MAKEINTRESOURCEA(3)));
    EXPECT_EQ(nullptr, GetProcAddress(kivaro, "EnterPassiveMode"));

    auto getClass = reinterpret_cast<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>(
        reinterpret_cast<void*>(GetProcAddress(kivaro, "DllGetClassObject")));
    auto canUnload = reinterpret_cast<HRESULT(WINAPI*)()>(
        reinterpret_cast<void*>(GetProcAddress(kivaro, "DllCanUnloadNow")));
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, getClass(IID_IUnknown, IID_IClassFactory, &out));
    EXPECT_EQ(nullptr, out) << "the out-pointer is cleared";
    IClassFactory* factory = nullptr;
    ASSERT_EQ(S_OK, getClass(CLSID_KivaroIconExtension, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
    EXPECT_EQ(S_FALSE, canUnload());
    IUnknown* outer = reinterpret_cast<IUnknown*>(factory);
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(outer, IID_IUnknown, &out));
    IUnknown* object = nullptr;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&object)));
    factory->Release();
    struct Answer {
        const IID* iid;
        HRESULT result;
    } answers[] = {{&IID_IContextMenu, S_OK},        {&IID_IShellExtInit, S_OK},
                   {&IID_IExtractIconA, S_OK},       {&IID_IPersistFile, S_OK},
                   {&IID_IShellPropSheetExt, S_OK},  {&IID_IExtractIconW, E_NOINTERFACE},
                   {&IID_IDropTarget, E_NOINTERFACE}};
    for (const Answer& a : answers) {
        IUnknown* asked = nullptr;
        EXPECT_EQ(a.result, object->QueryInterface(*a.iid, reinterpret_cast<void**>(&asked)));
        if (asked) asked->Release();
    }
    EXPECT_EQ(S_FALSE, canUnload());
    object->Release();
    EXPECT_EQ(S_OK, canUnload());

    // The menu texts in both languages (the code page picks), the page title.
    struct Text {
        UINT id;
        const wchar_t* text;
    } texts[] = {{IDS_KIVARO_FLUSH_ALL, L"Flush All Icon"},
                 {IDS_KIVARO_PAGE_TITLE, L"ICON"},
                 {IDS_KIVARO_FLUSH_ALL_936, L"\x5237\x65B0\x6240\x6709\x56FE\x6807"},
                 {IDS_KIVARO_SEND_MAIL, L"Send Picture Mail"},
                 {IDS_KIVARO_SEND_MAIL_936, L"\x53D1\x9001\x56FE\x7247\x90AE\x4EF6"}};
    for (const Text& t : texts) {
        wchar_t loaded[64] = {};
        LoadStringW(kivaro, t.id, loaded, 64);
        EXPECT_EQ(std::wstring(t.text), loaded) << "string " << t.id;
    }
    FreeLibrary(kivaro);
}

// Inside the viewer (ordinal 3 called): the viewer's own type icons by the
// name's last three letters, no menu items, an empty page.
TEST(KivaroTest, PassiveModeGivesTypeIconsAndNoMenu) {
    CoInitialize(nullptr);
    std::string folder = ExtensionFolder("passive");
    RegisterExtension(folder);
    char full[MAX_PATH] = {};
    GetFullPathNameA((folder + "..\\passive pictures\\").c_str(), sizeof full, full, nullptr);
    std::string pictures = full;
    std::string picture = MakePicture(pictures, "cached.png");
    StoreThumb(folder, picture, 8, 8, SolidPixels(8, 8, 0x00FF00));
    {
        ComPtr<IPersistFile> persist;
        ASSERT_EQ(S_OK, CreateExtension(IID_IPersistFile, reinterpret_cast<void**>(persist.Out())));
        HMODULE copy = GetModuleHandleA((folder + "Kivaro.dll").c_str());
        ASSERT_NE(nullptr, copy);
        auto enter = reinterpret_cast<void(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(copy, MAKEINTRESOURCEA(3))));
        ASSERT_NE(nullptr, enter);
        enter();
        enter();   // a second call is harmless

        ComPtr<IExtractIconA> extract;
        persist->QueryInterface(IID_IExtractIconA, reinterpret_cast<void**>(extract.Out()));
        struct Case {
            const char* name;
            int index;
        } cases[] = {{"cached.png", 14}, {"a.BMP", 7}, {"b.jpg", 6}, {"c.tiff", 6}, {"gif", 8}};
        for (const Case& c : cases) {
            persist->Load(Wide(pictures + c.name).c_str(), STGM_READ);
            char file[MAX_PATH] = {};
            int index = -1;
            UINT flags = 99;
            EXPECT_EQ(S_OK, extract->GetIconLocation(0, file, sizeof file, &index, &flags)) << c.name;
            EXPECT_EQ(folder + "TAVIRSEL.EXE", file) << c.name;
            EXPECT_EQ(c.index, index) << c.name;
            EXPECT_EQ(0u, flags) << c.name;
        }

        ComPtr<IShellExtInit> init;
        persist->QueryInterface(IID_IShellExtInit, reinterpret_cast<void**>(init.Out()));
        IDataObject* data = MakeDropData({Wide(picture)});
        init->Initialize(nullptr, data, nullptr);
        data->Release();
        ComPtr<IContextMenu> menu;
        persist->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(menu.Out()));
        HMENU popup = CreatePopupMenu();
        EXPECT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0), menu->QueryContextMenu(popup, 0, 1, 100, CMF_NORMAL));
        EXPECT_EQ(0, GetMenuItemCount(popup));
        DestroyMenu(popup);
        CMINVOKECOMMANDINFO info = {};
        info.cbSize = sizeof info;
        info.lpVerb = MAKEINTRESOURCEA(1);
        DeleteFileA((folder + "viewer-command.txt").c_str());
        EXPECT_EQ(S_OK, menu->InvokeCommand(&info));
        Sleep(300);
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((folder + "viewer-command.txt").c_str()))
            << "passive mode starts nothing";
    }
    UnregisterExtension();
    CoUninitialize();
}

}  // namespace
