// Mail through a recording MAPI32.DLL found on the DLL search path, and
// once through the system's own.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "file_operations.h"
#include "fileops_test_util.h"
#include "mail.h"
#include "shell_test_files.h"

namespace {

// The recording DLL sits in mapi\ beside the test program; while one of
// these lives it is the MAPI32.DLL that LoadLibraryA finds.
class RecordingMapi {
public:
    explicit RecordingMapi(const char* result = "0") {
        SetDllDirectoryA(Beside("mapi").c_str());
        record_ = Beside("mapi-record.txt");
        DeleteFileA(record_.c_str());
        SetEnvironmentVariableA("OMMAVU_MAPI_RECORD", record_.c_str());
        SetEnvironmentVariableA("OMMAVU_MAPI_RESULT", result);
    }
    ~RecordingMapi() {
        SetDllDirectoryA(nullptr);
        SetEnvironmentVariableA("OMMAVU_MAPI_RECORD", nullptr);
        SetEnvironmentVariableA("OMMAVU_MAPI_RESULT", nullptr);
    }
    RecordingMapi(const RecordingMapi&) = delete;
    RecordingMapi& operator=(const RecordingMapi&) = delete;
    // Delimiter, paths, names, reserved, window given, the files' sizes: one
    // line each.
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        std::string text = ReadFileText(record_);
        size_t start = 0, end;
        while ((end = text.find('\n', start)) != std::string::npos) {
            lines.push_back(text.substr(start, end - start));
            start = end + 1;
        }
        return lines;
    }

private:
    std::string record_;
};

}  // namespace

TEST(MailTest, EveryPathArrivesWithItsNameAndAnUnusedDelimiter) {
    const std::string dir = ScratchFolder("ommavu-mail");
    std::vector<std::string> paths;
    for (int i = 0; i < 40; ++i) {
        char name[128];
        wsprintfA(name, "\\holiday picture number %02d taken on the beach at sunset, long name.jpg", i);
        paths.push_back(dir + name);
        WriteFileText(paths.back(), "x");
    }
    HWND owner = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    {
        RecordingMapi mapi;
        ULONG code = 99;
        EXPECT_EQ(kMailSent, SendFilesByMail(owner, paths, &code));
        EXPECT_EQ(0u, code);
        const std::vector<std::string> lines = mapi.Lines();
        ASSERT_EQ(6u, lines.size());
        EXPECT_EQ(";", lines[0]);
        std::string joined, names;
        for (const std::string& path : paths) {
            joined += (joined.empty() ? "" : ";") + path;
            names += (names.empty() ? "" : ";") + NamePart(path);
        }
        EXPECT_EQ(joined, lines[1]) << "all 40 paths";
        EXPECT_EQ(names, lines[2]) << "one display name per attachment";
        EXPECT_EQ("0", lines[3]);
        EXPECT_EQ("1", lines[4]) << "the owner window";
    }
    {
        // A path with ';' in it: another delimiter, so it stays whole.
        const std::string odd = dir + "\\a;b.jpg";
        WriteFileText(odd, "x");
        RecordingMapi mapi;
        EXPECT_EQ(kMailSent, SendFilesByMail(owner, {odd, paths[0]}, nullptr));
        const std::vector<std::string> lines = mapi.Lines();
        ASSERT_EQ(6u, lines.size());
        EXPECT_EQ("|", lines[0]);
        EXPECT_EQ(odd + "|" + paths[0], lines[1]);
    }
    struct Answer {
        const char* code;
        MailOutcome outcome;
    };
    for (const Answer& answer : {Answer{"1", kMailCancelled}, Answer{"2", kMailFailed}, Answer{"26", kMailFailed}}) {
        RecordingMapi mapi(answer.code);
        EXPECT_EQ(answer.outcome, SendFilesByMail(owner, {paths[0]}, nullptr)) << answer.code;
    }
    EXPECT_EQ(kMailFailed, SendFilesByMail(owner, {}, nullptr)) << "nothing to send";
    DestroyWindow(owner);
}

TEST(MailTest, TheSystemsOwnMapiAnswersWithoutAMailProgram) {
    const std::string file = ScratchFolder("ommavu-mail-system") + "\\a.jpg";
    WriteFileText(file, "x");
    ULONG code = 99;
    const MailOutcome outcome = SendFilesByMail(nullptr, {file}, &code);
    std::printf("    system MAPI32.DLL: outcome %d, MAPI result %lu\n", outcome, code);
    EXPECT_NE(kMailSent, outcome) << "no mail program is set up in the prefix";
    EXPECT_TRUE(outcome == kMailNoClient || outcome == kMailFailed);
}
