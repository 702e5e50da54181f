// The installer's copy: the payload's files out of the program's own
// resource and the extra files from "FULLDATA\", one block at a time so the
// copy dialog stays responsive.  Every folder and file it creates is
// recorded at once; what this run created (and only that) can be taken
// back when the user exits mid-copy.
#pragma once

#include "install_records.h"

#include <windows.h>

#include <string>
#include <vector>

namespace install {

class CopyJob {
public:
    // `destination` ends in a backslash; `log` receives the records.
    CopyJob(const std::string& destination, RecordLog* log);
    ~CopyJob();
    CopyJob(const CopyJob&) = delete;
    CopyJob& operator=(const CopyJob&) = delete;

    void AddMemory(const std::string& name, const BYTE* data, DWORD size);
    void AddFile(const std::string& name, const std::string& source, unsigned long long size);

    // Copies until `budgetMs` have passed or everything is copied; true when
    // the last file is done.
    bool Step(DWORD budgetMs);
    int ProgressSteps() const;  // 0 to 128
    const std::string& SourceName() const { return sourceName_; }
    const std::string& TargetName() const { return targetName_; }

    // Stops (closing the open file) and removes what this run created:
    // files that did not exist before it, then its folders, deepest first.
    // Files of an earlier installation are never written in place (the new
    // contents replace them only when complete), and those already replaced
    // get their earlier contents back.
    void Undo();
    // After a complete copy: the earlier files kept for Undo are deleted.
    void Commit();

    // Targets that were in use: their new contents wait under another name
    // and replace them when Windows restarts.
    const std::vector<std::string>& Deferred() const { return deferred_; }
    // Files that could not be written at all (skipped).
    const std::vector<std::string>& Failed() const { return failed_; }

private:
    struct Item {
        std::string name;
        const BYTE* data;      // payload bytes, or null for a file
        std::string source;    // the extra file's path
        unsigned long long size;
    };
    bool OpenNext();
    void FinishCurrent();
    void CloseHandles();

    std::string destination_;
    RecordLog* log_;
    std::vector<Item> items_;
    size_t next_ = 0;
    unsigned long long total_ = 0;
    unsigned long long done_ = 0;
    // The file being copied.
    bool open_ = false;
    HANDLE in_ = INVALID_HANDLE_VALUE;
    HANDLE out_ = INVALID_HANDLE_VALUE;
    unsigned long long offset_ = 0;
    std::string writing_;    // the file written (the target, or its stand-in)
    std::string target_;     // where it belongs
    std::string sourceName_, targetName_;
    std::vector<std::string> createdFiles_, createdDirs_;
    struct Replaced {
        std::string target, backup;  // an earlier file, moved aside
    };
    std::vector<Replaced> replaced_;
    std::vector<std::string> deferred_, failed_;
    std::vector<BYTE> buffer_;
};

}  // namespace install
