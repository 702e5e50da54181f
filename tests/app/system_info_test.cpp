// Start-up's facts about the system, from the numbers Windows reports.
#include <gtest/gtest.h>

#include "system_info.h"

TEST(SystemInfoTest, WindowsFamiliesAndVersions) {
    SystemFlags w95 = ClassifySystem(VER_PLATFORM_WIN32_WINDOWS, 4, 0);
    EXPECT_TRUE(w95.windows95 && w95.windows9x);
    EXPECT_FALSE(w95.windows98OrLater || w95.windows2000OrLater);
    SystemFlags w98 = ClassifySystem(VER_PLATFORM_WIN32_WINDOWS, 4, 10);
    EXPECT_TRUE(w98.windows9x && w98.windows98OrLater);
    EXPECT_FALSE(w98.windows95);
    SystemFlags me = ClassifySystem(VER_PLATFORM_WIN32_WINDOWS, 4, 90);
    EXPECT_TRUE(me.windows98OrLater);
    SystemFlags nt4 = ClassifySystem(VER_PLATFORM_WIN32_NT, 4, 0);
    EXPECT_FALSE(nt4.windows9x || nt4.windows2000OrLater || nt4.windows98OrLater);
    SystemFlags w2k = ClassifySystem(VER_PLATFORM_WIN32_NT, 5, 0);
    EXPECT_TRUE(w2k.windows2000OrLater && w2k.windows2000OrLaterForIcons);
    EXPECT_FALSE(w2k.windows9x);
    // The test prefix reports an NT-family system of Windows 2000 or later.
    EXPECT_TRUE(ReadSystemFlags().windows2000OrLater);

    EXPECT_TRUE(WantMenuIcons(w98, 16));
    EXPECT_FALSE(WantMenuIcons(w98, 8)) << "palette screens get plain menus";
    EXPECT_FALSE(WantMenuIcons(w95, 32));
    EXPECT_FALSE(WantMenuIcons(nt4, 32));
    EXPECT_TRUE(WantMenuIcons(w2k, 24));
}

TEST(SystemInfoTest, MemoryFolderAndDisplayDepth) {
    EXPECT_EQ(128, MemoryMegabytes(128ull << 20));
    EXPECT_EQ(64, MemoryMegabytes((64ull << 20) - 500000)) << "rounded up from just below";
    EXPECT_EQ(63, MemoryMegabytes((64ull << 20) - 600000));
    EXPECT_GT(ReadMemoryMegabytes(), 0);

    EXPECT_EQ("C:\\Program Files\\Ommavu\\", FolderOfPath("C:\\Program Files\\Ommavu\\Tavirsel.exe"));
    EXPECT_EQ("", FolderOfPath("Tavirsel.exe"));
    std::string dir = ProgramDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ('\\', dir.back());

    EXPECT_EQ(16, DisplayDepthFor(16, 1, 0xF800, 0x07E0, 0x001F));
    EXPECT_EQ(15, DisplayDepthFor(16, 1, 0x7C00, 0x03E0, 0x001F));
    EXPECT_EQ(16, DisplayDepthFor(16, 1, 0, 0, 0)) << "no DirectDraw: stays 16";
    EXPECT_EQ(8, DisplayDepthFor(8, 1, 0, 0, 0));
    EXPECT_EQ(4, DisplayDepthFor(1, 4, 0, 0, 0)) << "planar 16-colour screens";
    EXPECT_EQ(24, DisplayDepthFor(24, 1, 0, 0, 0));
    int depth = ReadDisplayDepth();
    EXPECT_TRUE(depth == 15 || depth == 16 || depth == 24 || depth == 32 || depth <= 8) << depth;
}
