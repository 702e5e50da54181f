#include "copy_job.h"

#include "install_rules.h"

namespace install {

namespace {

constexpr DWORD kBlock = 64 * 1024;

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }

std::string FileNameOf(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }

}  // namespace

CopyJob::CopyJob(const std::string& destination, RecordLog* log)
    : destination_(destination), log_(log), buffer_(kBlock) {}

CopyJob::~CopyJob() { CloseHandles(); }

void CopyJob::AddMemory(const std::string& name, const BYTE* data, DWORD size) {
    items_.push_back({name, data, "", size});
    total_ += size;
}

void CopyJob::AddFile(const std::string& name, const std::string& source, unsigned long long size) {
    items_.push_back({name, nullptr, source, size});
    total_ += size;
}

int CopyJob::ProgressSteps() const { return install::ProgressSteps(done_, total_); }

void CopyJob::CloseHandles() {
    if (in_ != INVALID_HANDLE_VALUE) CloseHandle(in_);
    if (out_ != INVALID_HANDLE_VALUE) CloseHandle(out_);
    in_ = out_ = INVALID_HANDLE_VALUE;
}

bool CopyJob::OpenNext() {
    const Item& item = items_[next_];
    target_ = destination_ + item.name;
    writing_ = target_;
    sourceName_ = item.name;
    targetName_ = target_;
    offset_ = 0;

    std::vector<std::string> folders;
    CreateFolderTree(FolderOf(target_), &folders);
    for (const std::string& folder : folders) {
        createdDirs_.push_back(folder);
        log_->AddDirectory(folder);
    }

    const bool existed = Exists(target_);
    // The user's own bookmarks outlive a reinstallation.
    if (existed && lstrcmpiA(FileNameOf(target_).c_str(), "URLIST.TXT") == 0) {
        log_->AddFile(target_);
        done_ += item.size;
        return false;
    }
    if (!item.data) {
        in_ = CreateFileA(item.source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (in_ == INVALID_HANDLE_VALUE) {
            failed_.push_back(target_);
            done_ += item.size;
            return false;
        }
    }
    if (existed) {
        // An earlier installation's file is never opened for writing: the
        // new contents go to a name beside it and replace it only when
        // complete, so an exit mid-copy leaves it as it was.
        char standIn[MAX_PATH] = "";
        if (GetTempFileNameA(FolderOf(target_).c_str(), "OMV", 0, standIn)) {
            writing_ = standIn;
            out_ = CreateFileA(writing_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                               nullptr);
            if (out_ == INVALID_HANDLE_VALUE) DeleteFileA(standIn);
        }
    } else {
        out_ = CreateFileA(target_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (out_ == INVALID_HANDLE_VALUE) {
        CloseHandles();
        failed_.push_back(target_);
        done_ += item.size;
        return false;
    }
    createdFiles_.push_back(writing_);
    log_->AddFile(target_);
    open_ = true;
    return true;
}

void CopyJob::FinishCurrent() {
    CloseHandles();
    open_ = false;
    if (writing_ == target_) return;
    // The earlier file moves aside (kept until Commit, put back by Undo) and
    // the new one takes its name.  Plain renames: MoveFileEx is missing on
    // Windows 95 and 98.
    char backup[MAX_PATH] = "";
    if (GetTempFileNameA(FolderOf(target_).c_str(), "OMV", 0, backup)) {
        DeleteFileA(backup);  // only its unique name is wanted
        if (MoveFileA(target_.c_str(), backup)) {
            if (MoveFileA(writing_.c_str(), target_.c_str())) {
                createdFiles_.pop_back();  // the stand-in is the target now
                replaced_.push_back({target_, backup});
                return;
            }
            MoveFileA(backup, target_.c_str());
        }
    }
    // In use (a running viewer, the shell holding the extension): the new
    // contents wait beside it and take its place at the next restart.
    if (MoveFileExA(writing_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT)) {
        deferred_.push_back(target_);
        log_->AddFile(writing_);
    } else {
        failed_.push_back(target_);
        createdFiles_.pop_back();
        DeleteFileA(writing_.c_str());
    }
}

bool CopyJob::Step(DWORD budgetMs) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < budgetMs) {
        if (!open_) {
            if (next_ >= items_.size()) return true;
            const bool opened = OpenNext();
            ++next_;
            if (!opened) continue;
        }
        const Item& item = items_[next_ - 1];
        const DWORD chunk = static_cast<DWORD>(item.size - offset_ < kBlock ? item.size - offset_ : kBlock);
        DWORD got = chunk;
        const BYTE* from = item.data ? item.data + offset_ : buffer_.data();
        if (!item.data && chunk > 0 && (!ReadFile(in_, buffer_.data(), chunk, &got, nullptr) || got == 0)) {
            // The extra file shrank while copying: keep what was written.
            done_ += item.size - offset_;
            offset_ = item.size;
            FinishCurrent();
            continue;
        }
        DWORD written = 0;
        if (got > 0 && (!WriteFile(out_, from, got, &written, nullptr) || written != got)) {
            // A disk that fills up: the half-written file goes, and an
            // earlier file of that name stays as it was.
            CloseHandles();
            open_ = false;
            DeleteFileA(writing_.c_str());
            createdFiles_.pop_back();
            failed_.push_back(target_);
            done_ += item.size - offset_;
            offset_ = item.size;
            continue;
        }
        offset_ += got;
        done_ += got;
        if (offset_ >= item.size) FinishCurrent();
    }
    return !open_ && next_ >= items_.size();
}

void CopyJob::Undo() {
    CloseHandles();
    open_ = false;
    for (auto file = createdFiles_.rbegin(); file != createdFiles_.rend(); ++file) {
        SetFileAttributesA(file->c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(file->c_str());
    }
    for (auto file = replaced_.rbegin(); file != replaced_.rend(); ++file) {
        SetFileAttributesA(file->target.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (DeleteFileA(file->target.c_str())) MoveFileA(file->backup.c_str(), file->target.c_str());
    }
    for (auto dir = createdDirs_.rbegin(); dir != createdDirs_.rend(); ++dir) RemoveDirectoryA(dir->c_str());
    createdFiles_.clear();
    replaced_.clear();
    createdDirs_.clear();
}

void CopyJob::Commit() {
    for (const Replaced& file : replaced_) {
        SetFileAttributesA(file.backup.c_str(), FILE_ATTRIBUTE_NORMAL);
        // A program still running from the earlier file keeps it until the
        // next restart.
        if (!DeleteFileA(file.backup.c_str())) MoveFileExA(file.backup.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
    replaced_.clear();
}

}  // namespace install
