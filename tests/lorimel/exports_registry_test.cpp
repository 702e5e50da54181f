// The library's face to its callers: ordinal-only exports, the format
// registry with its flag bits and save-depth masks, and the format groups.
#include "lorimel_fixture.h"

#include <set>

namespace {

class LorimelRegistryTest : public LorimelTest {};

// Walks the export directory of a loaded module.
void ExportCounts(HMODULE module, DWORD& functions, DWORD& names) {
    auto* base = reinterpret_cast<BYTE*>(module);
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    auto* exports = reinterpret_cast<IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
    functions = exports->NumberOfFunctions;
    names = exports->NumberOfNames;
}

LorimelFormat Find(const char* wanted) {
    auto& api = LorimelTest::api;
    const char *name, *group, *description;
    for (LorimelFormat e = api.FirstImageFormat(&name, &group, &description); e;
         e = api.NextImageFormat(e, &name, &group, &description))
        if (lstrcmpiA(name, wanted) == 0) return e;
    return nullptr;
}

}  // namespace

TEST_F(LorimelRegistryTest, ExportsOrdinalsOneToTwentyEightAndNoNames) {
    DWORD functions = 0, names = 0;
    ExportCounts(api.module, functions, names);
    EXPECT_EQ(28u, functions);
    EXPECT_EQ(0u, names);
    EXPECT_EQ(nullptr, GetProcAddress(api.module, "OpenImageFile"));
    EXPECT_EQ(nullptr, GetProcAddress(api.module, MAKEINTRESOURCEA(29)));
}

TEST_F(LorimelRegistryTest, RegistryListsTheDelegateFormatsWithTheirCapabilities) {
    const char *name = nullptr, *group = nullptr, *description = nullptr;
    int count = 0;
    for (LorimelFormat e = api.FirstImageFormat(&name, &group, &description); e;
         e = api.NextImageFormat(e, &name, &group, &description)) {
        ++count;
        ASSERT_NE(nullptr, name);
        ASSERT_NE(nullptr, group);
        ASSERT_NE(nullptr, description);
    }
    EXPECT_GT(count, 150) << "coders registered";
    for (const char* f : {"JPEG", "JPG", "PNG", "TIFF", "GIF", "BMP", "ICO", "JBIG", "PCX", "TGA"}) {
        LorimelFormat e = Find(f);
        ASSERT_NE(nullptr, e) << f;
        EXPECT_EQ(1, api.FormatCanRead(e)) << f;
        EXPECT_EQ(1, api.FormatCanWrite(e)) << f;
    }
    EXPECT_EQ(nullptr, api.NextImageFormat(nullptr, &name, &group, &description));
    EXPECT_EQ(0, api.FormatCanRead(nullptr));
    EXPECT_EQ(0, api.FormatCanWrite(nullptr));
    EXPECT_EQ(0, api.FormatFlag1(nullptr));
    EXPECT_EQ(0, api.GetFormatSaveDepths(nullptr));
}

TEST_F(LorimelRegistryTest, FlagBitsAndSaveDepthsOfTheNamedFormats) {
    struct Row { const char* name; LONG f1, f2, f4, depths; };
    const Row rows[] = {
        {"BMP", 1, 0, 0, 0x1FF},   {"DIB", 1, 0, 0, 0x1FF},  {"BMP24", 0, 0, 0, 0x40},
        {"JPEG24", 1, 0, 0, 0x240}, {"JPEG", 1, 0, 0, 0x280}, {"JPG", 1, 0, 0, 0x280},
        {"ICO", 1, 1, 0, 0x1DF},   {"ICON", 1, 1, 0, 0x1DF}, {"JBIG", 0, 0, 0, 0},
        {"PNG", 0, 0, 0, 0x1CF},   {"GIF", 0, 0, 0, 0x10F},
    };
    for (const Row& r : rows) {
        LorimelFormat e = Find(r.name);
        ASSERT_NE(nullptr, e) << r.name;
        EXPECT_EQ(r.f1, api.FormatFlag1(e)) << r.name;
        EXPECT_EQ(r.f2, api.FormatFlag2(e)) << r.name;
        EXPECT_EQ(r.f4, api.FormatFlag4(e)) << r.name;
        EXPECT_EQ(r.depths, api.GetFormatSaveDepths(e)) << r.name;
    }
}

TEST_F(LorimelRegistryTest, FormatGroupsGatherTheTagsOfOneCoder) {
    static_assert(sizeof(LorimelFormatGroup) == 4580, "group record size");
    HGLOBAL block = nullptr;
    LONG count = api.ListImageFormatGroups(&block);
    ASSERT_GT(count, 50);
    ASSERT_NE(nullptr, block);
    EXPECT_EQ(static_cast<SIZE_T>(count) * 4580, GlobalSize(block));
    auto* groups = static_cast<LorimelFormatGroup*>(GlobalLock(block));
    std::set<std::string> seen;
    int jpegTags = 0, names = 0;
    for (LONG i = 0; i < count; ++i) {
        std::string g = groups[i].group;
        for (auto& c : g) c = static_cast<char>(toupper(c));
        EXPECT_TRUE(seen.insert(g).second) << "group listed twice: " << g;
        for (int s = 0; s < kLorimelGroupNames && groups[i].names[s][0]; ++s) {
            ++names;
            if (g == "JPEG" && (!strcmp(groups[i].names[s], "JPEG") || !strcmp(groups[i].names[s], "JPG") ||
                                !strcmp(groups[i].names[s], "JPEG24")))
                ++jpegTags;
            if (!strcmp(groups[i].names[s], "JPEG")) {
                EXPECT_EQ(1, groups[i].canWrite[s]);
            }
        }
    }
    EXPECT_EQ(3, jpegTags) << "JPEG, JPG and the 24-bit tag share the JPEG group";
    EXPECT_GT(names, count);
    GlobalUnlock(block);
    GlobalFree(block);
    EXPECT_EQ(0, api.ListImageFormatGroups(nullptr));
}

TEST_F(LorimelRegistryTest, RecoveryPointComesBackWithTheValueGiven) {
    jmp_buf jump;
    volatile int passes = 0;
    volatile LONG got = LorimelRecoveryPoint(jump);
    ++passes;
    if (passes == 1) {
        EXPECT_EQ(0, got);
        api.TakeErrorJump(jump, 7);
    } else if (passes == 2) {
        EXPECT_EQ(7, got);
        api.TakeErrorJump(jump, 0);
    }
    EXPECT_EQ(3, passes);
    EXPECT_EQ(1, got) << "a jump with 0 comes back as 1";
}

TEST_F(LorimelRegistryTest, SmoothPixelRowSoftensAndKeepsFlatRows) {
    std::vector<DWORD> flat(12, 0x00406080);
    EXPECT_EQ(1, api.SmoothPixelRow(flat.data(), 12));
    for (DWORD p : flat) EXPECT_EQ(0x00406080u, p & 0xFFFFFF);

    std::vector<DWORD> spike(12, 0);
    spike[6] = 0x00FFFFFF;
    api.SmoothPixelRow(spike.data(), 12);
    EXPECT_LT(Red(spike[6]), 255);
    EXPECT_GT(Red(spike[5]), 0);
    EXPECT_EQ(Red(spike[5]), Red(spike[7])) << "symmetric";
    EXPECT_EQ(0, Red(spike[1]));

    std::vector<DWORD> shortRow = {0, 0x00FFFFFF, 0, 0};  // 3-tap mean
    api.SmoothPixelRow(shortRow.data(), 4);
    EXPECT_EQ(85, Red(shortRow[0]));
    EXPECT_EQ(85, Red(shortRow[1]));

    std::vector<DWORD> tiny = {0, 0x00FFFFFF, 0};
    EXPECT_EQ(0, api.SmoothPixelRow(tiny.data(), 3));
    EXPECT_EQ(0x00FFFFFFu, tiny[1]);
    EXPECT_EQ(0, api.SmoothPixelRow(nullptr, 20));
}

TEST_F(LorimelRegistryTest, LibraryStartsAgainAfterBeingFreed) {
    char self[MAX_PATH];
    GetModuleFileNameA(api.module, self, sizeof self);
    std::string dir(self);
    dir = dir.substr(0, dir.find_last_of('\\') + 1);
    EXPECT_EQ(1, api.FreeImageLibrary());
    const char *name, *group, *description;
    EXPECT_EQ(nullptr, api.FirstImageFormat(&name, &group, &description)) << "registry freed";
    ASSERT_EQ(1, api.InitImageLibrary(dir.c_str()));
    ASSERT_EQ(1, api.InitImageLibrary(dir.c_str())) << "a second start is harmless";
    TestDib dib = MakeDib(6, 4, 32);
    std::string path = Scratch("restart.png");
    ASSERT_EQ(1, WriteDib(path, "PNG", dib));
    EXPECT_EQ(1, DecodeFile(path).result);
}
