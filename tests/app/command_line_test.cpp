// Splitting and completing the command line.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>

#include "command_line.h"

namespace {

using Names = std::set<std::string>;

CommandLine Parse(const std::string& line, const Names& existing) {
    return ParseCommandLine(
        line, [&](const std::string& n) { return existing.count(n) > 0; }, "C:\\Here");
}

}  // namespace

TEST(CommandLineTest, ShortLinesHaveNoTokens) {
    EXPECT_TRUE(Parse("", {}).files.empty());
    EXPECT_TRUE(Parse("a ", {}).files.empty());
    CommandLine three = Parse("abc", {});
    ASSERT_EQ(1u, three.files.size());
    EXPECT_EQ("C:\\Here\\abc", three.files[0]) << "a name without a folder gets the current one";
}

TEST(CommandLineTest, QuotesBlanksTabsAndTheShareSwitch) {
    const Names names = {"D:\\My Pictures\\sea.jpg", "D:\\a.png", "D:\\b.gif"};
    CommandLine c = Parse("/share \"D:\\My Pictures\\sea.jpg\"\tD:\\a.png   D:\\b.gif", names);
    EXPECT_TRUE(c.share);
    ASSERT_EQ(3u, c.files.size());
    EXPECT_EQ("D:\\My Pictures\\sea.jpg", c.files[0]);
    EXPECT_EQ("D:\\a.png", c.files[1]);
    EXPECT_EQ("D:\\b.gif", c.files[2]);
    EXPECT_FALSE(Parse("D:\\a.png D:\\b.gif", names).share);
    EXPECT_TRUE(Parse("/SHARE", names).share);
    EXPECT_TRUE(Parse("/SHARE", names).files.empty());
}

TEST(CommandLineTest, BareNamesWithBlanksAreJoinedUntilTheyExist) {
    const Names names = {"D:\\My Pictures\\sea side.jpg", "D:\\a.png", "D:\\Two  Blanks\\"};
    CommandLine c = Parse("D:\\My Pictures\\sea side.jpg D:\\a.png", names);
    ASSERT_EQ(2u, c.files.size());
    EXPECT_EQ("D:\\My Pictures\\sea side.jpg", c.files[0]);
    EXPECT_EQ("D:\\a.png", c.files[1]);
    // Every separator comes back as one blank, so runs of blanks survive.
    CommandLine folder = Parse("D:\\Two  Blanks\\", names);
    ASSERT_EQ(1u, folder.files.size());
    EXPECT_EQ("D:\\Two  Blanks\\", folder.files[0]);
}

TEST(CommandLineTest, AMissingNameDoesNotSwallowTheNamesBehindIt) {
    const Names names = {"D:\\a.png", "D:\\b.gif"};
    CommandLine c = Parse("D:\\a.png D:\\gone.jpg D:\\b.gif", names);
    ASSERT_EQ(3u, c.files.size());
    EXPECT_EQ("D:\\gone.jpg", c.files[1]);
    EXPECT_EQ("D:\\b.gif", c.files[2]);
}

TEST(CommandLineTest, RealFilesFoldersAndTheCurrentFolder) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string base = std::string(temp) + "ommavu cmdline\\";
    CreateDirectoryA(base.c_str(), nullptr);
    std::string file = base + "sea side.jpg";
    HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    CloseHandle(h);

    EXPECT_TRUE(NameExists(file));
    EXPECT_TRUE(NameExists(base)) << "a folder ending in a backslash";
    EXPECT_FALSE(NameExists(base + "nothing.jpg"));
    EXPECT_FALSE(NameExists(""));

    CommandLine c = ParseCommandLine(file + " " + base);
    ASSERT_EQ(2u, c.files.size());
    EXPECT_EQ(file, c.files[0]);
    EXPECT_EQ(base, c.files[1]);

    char saved[MAX_PATH];
    GetCurrentDirectoryA(sizeof saved, saved);
    SetCurrentDirectoryA(base.c_str());
    CommandLine relative = ParseCommandLine("sea side.jpg");
    SetCurrentDirectoryA(saved);
    ASSERT_EQ(1u, relative.files.size());
    std::string expected = base.substr(0, base.size() - 1) + "\\sea side.jpg";
    EXPECT_EQ(0, lstrcmpiA(expected.c_str(), relative.files[0].c_str())) << relative.files[0];

    DeleteFileA(file.c_str());
    RemoveDirectoryA(base.c_str());
}
