// The hostile corpus (make_corpus.py, written into the build tree before the
// test runs) through the picture file library, the thumbnail maker and the
// viewer's loader.  The files go through a probe process that this test
// watches: a crash or a file that takes longer than the time limit is
// reported with the file's name and the reader it was in, and the probe
// starts again after that file.  Every reader must end each file cleanly:
// the picture read, or "cannot decode" in that reader's own words.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

// What one reader may take over one file: long enough for the corpus's
// largest legitimate pictures on a machine shared by several builds; a file
// that needs more is a hang to the user.  OMMAVU_HOSTILE_LIMIT_MS overrides
// it.
constexpr DWORD kFileLimitMs = 20000;

// How much more memory a probe may hold after the corpus than after its
// first file (it holds about 13 MB, and half a megabyte more at the end).
constexpr unsigned long kMaxGrowthKb = 32 * 1024;

std::string Beside(const std::string& name) {
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string dir(exe);
    return dir.substr(0, dir.find_last_of('\\') + 1) + name;
}

std::vector<std::string> CorpusFiles(const std::string& dir) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

// One run of the probe from a given line of the list on, its standard output
// read through a pipe.
class Probe {
public:
    ~Probe() { End(); }
    bool Start(const std::string& list, size_t first, const std::string& scratch, HANDLE errors) {
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        HANDLE write = nullptr;
        if (!CreatePipe(&read_, &write, &inherit, 0)) return false;
        SetHandleInformation(read_, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = write;
        startup.hStdError = errors;
        std::string command = "\"" + Beside("hostile_probe.exe") + "\" \"" + list + "\" " +
                              std::to_string(first) + " \"" + scratch + "\"";
        PROCESS_INFORMATION info = {};
        const BOOL made = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                                         nullptr, &startup, &info);
        CloseHandle(write);
        if (!made) return false;
        CloseHandle(info.hThread);
        process_ = info.hProcess;
        return true;
    }
    // The next whole line, waiting up to ms; false when none came (ended()
    // tells whether the probe has gone).
    bool Line(std::string* line, DWORD ms) {
        const DWORD start = GetTickCount();
        for (;;) {
            const size_t end = pending_.find('\n');
            if (end != std::string::npos) {
                *line = pending_.substr(0, end);
                if (!line->empty() && line->back() == '\r') line->pop_back();
                pending_.erase(0, end + 1);
                return true;
            }
            DWORD available = 0;
            if (!PeekNamedPipe(read_, nullptr, 0, nullptr, &available, nullptr)) {
                ended_ = true;
                return false;
            }
            if (available) {
                char buffer[4096];
                DWORD got = 0;
                if (ReadFile(read_, buffer, sizeof buffer, &got, nullptr)) pending_.append(buffer, got);
                continue;
            }
            if (GetTickCount() - start >= ms) return false;
            Sleep(5);
        }
    }
    bool ended() const { return ended_; }
    DWORD Kill() {
        TerminateProcess(process_, 0xDEAD);
        return End();
    }
    DWORD End() {
        DWORD code = 0;
        if (process_) {
            WaitForSingleObject(process_, 10000);
            GetExitCodeProcess(process_, &code);
            CloseHandle(process_);
        }
        if (read_) CloseHandle(read_);
        process_ = read_ = nullptr;
        return code;
    }

private:
    HANDLE process_ = nullptr;
    HANDLE read_ = nullptr;
    std::string pending_;
    bool ended_ = false;
};

struct Verdict {
    std::string file;
    std::string what;
};

}  // namespace

TEST(HostileFiles, NoCrashNoHangAndEveryFailureClean) {
    const std::string corpus = Beside("hostile-corpus\\");
    const std::vector<std::string> files = CorpusFiles(corpus);
    ASSERT_GT(files.size(), 300u) << "the corpus is made by the hostile_corpus test first";
    const std::string list = Beside("hostile-corpus.txt");
    {
        FILE* out = std::fopen(list.c_str(), "w");
        ASSERT_NE(nullptr, out);
        for (const std::string& name : files) std::fprintf(out, "%s%s\n", corpus.c_str(), name.c_str());
        std::fclose(out);
    }
    const std::string scratch = Beside("scratch-hostile\\");
    CreateDirectoryA(scratch.c_str(), nullptr);
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE errors = CreateFileA((scratch + "probe-errors.txt").c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS, 0,
                                nullptr);
    DWORD limit = kFileLimitMs;
    if (const char* text = std::getenv("OMMAVU_HOSTILE_LIMIT_MS")) limit = std::strtoul(text, nullptr, 10);

    std::vector<Verdict> faults;
    std::map<std::string, int> outcomes;  // "reader outcome" -> files
    std::vector<std::pair<DWORD, std::string>> slowest;
    size_t next = 0;
    const DWORD begun = GetTickCount();
    while (next < files.size()) {
        Probe probe;
        const size_t from = next;
        ASSERT_TRUE(probe.Start(list, from, scratch, errors)) << GetLastError();
        long current = -1;
        std::string reader;
        unsigned long firstCommitted = 0, lastCommitted = 0;
        DWORD lastHeard = GetTickCount();
        std::string line;
        bool killed = false;
        for (;;) {
            if (probe.Line(&line, 50)) {
                lastHeard = GetTickCount();
                std::istringstream words(line);
                long index = -1;
                std::string word;
                words >> index >> word;
                if (index < 0 || static_cast<size_t>(index) >= files.size()) continue;
                if (word != "done") {
                    current = index;
                    reader = word;
                    continue;
                }
                for (const char* name : {"library", "thumbnail", "viewer"}) {
                    std::string outcome;
                    words >> outcome;
                    ++outcomes[std::string(name) + " " + outcome];
                    if (outcome.empty() || outcome[0] == '!')
                        faults.push_back({files[index], std::string(name) + ": " + outcome});
                    // A picture the corpus keeps intact must be read by all three.
                    const bool read = outcome == "pixels" || outcome == "made" || outcome == "shown";
                    if (files[index].find(".valid.") != std::string::npos && !read)
                        faults.push_back({files[index], std::string(name) + " did not read it: " + outcome});
                }
                unsigned long ms[3] = {}, committed = 0;
                std::string split;
                words >> split >> committed;
                // What a run of the probe holds after its first file and
                // after its last: failures must not leave memory behind.
                if (!firstCommitted) firstCommitted = committed;
                lastCommitted = committed;
                std::sscanf(split.c_str(), "%lu/%lu/%lu", &ms[0], &ms[1], &ms[2]);
                slowest.emplace_back(ms[0] + ms[1] + ms[2], files[index] + " (" + split + " ms)");
                current = -1;
                next = index + 1;
                continue;
            }
            if (probe.ended()) break;
            if (GetTickCount() - lastHeard > limit) {
                probe.Kill();
                killed = true;
                if (current >= 0)
                    faults.push_back({files[current], "no answer within " + std::to_string(limit) +
                                                          " ms in the " + reader});
                else
                    ADD_FAILURE() << "the probe stopped answering after line " << next;
                break;
            }
        }
        EXPECT_LT(lastCommitted, firstCommitted + kMaxGrowthKb)
            << "memory held grew from " << firstCommitted << " KB to " << lastCommitted
            << " KB from line " << from << " to line " << next;
        const DWORD code = probe.End();
        if (!killed && current >= 0) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "%08lX", static_cast<unsigned long>(code));
            faults.push_back({files[current], "crashed (exit code " + std::string(hex) + ") in the " + reader});
        } else if (!killed && code != 0) {
            ADD_FAILURE() << "the probe ended with exit code " << code << " after line " << next;
            break;
        }
        if (current >= 0) next = current + 1;
        else if (killed) break;
    }
    CloseHandle(errors);

    std::sort(slowest.rbegin(), slowest.rend());
    std::printf("%u files in %lu ms; slowest (library/thumbnail/viewer):", static_cast<unsigned>(files.size()),
                static_cast<unsigned long>(GetTickCount() - begun));
    for (size_t i = 0; i < slowest.size() && i < 5; ++i)
        std::printf(" %s;", slowest[i].second.c_str());
    std::printf("\n");
    for (const auto& counted : outcomes) std::printf("  %-40s %d\n", counted.first.c_str(), counted.second);
    for (const Verdict& fault : faults) ADD_FAILURE() << fault.file << ": " << fault.what;
}
