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
    if (existed) SetFileAttributesA(target_.c_str(), FILE_ATTRIBUTE_NORMAL);
    out_ = CreateFileA(target_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out_ == INVALID_HANDLE_VALUE && existed) {
        // In use (a running viewer, the shell holding the extension): the
        // new contents go beside it and take its place at the next restart.
        char standIn[MAX_PATH] = "";
        if (GetTempFileNameA(FolderOf(target_).c_str(), "OMV", 0, standIn)) {
            writing_ = standIn;
            out_ = CreateFileA(writing_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                               nullptr);
            if (out_ == INVALID_HANDLE_VALUE) DeleteFileA(standIn);
        }
    }
    if (out_ == INVALID_HANDLE_VALUE) {
        CloseHandles();
        failed_.push_back(target_);
        done_ += item.size;
        return false;
    }
    if (!existed) createdFiles_.push_back(target_);
    if (writing_ != target_) createdFiles_.push_back(writing_);
    log_->AddFile(target_);
    if (writing_ != target_) log_->AddFile(writing_);
    open_ = true;
    return true;
}

void CopyJob::FinishCurrent() {
    CloseHandles();
    open_ = false;
    if (writing_ != target_) {
        if (MoveFileExA(writing_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT))
            deferred_.push_back(target_);
        else
            failed_.push_back(target_);
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
            failed_.push_back(target_);
            done_ += item.size - offset_;
            offset_ = item.size;
            FinishCurrent();
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
    for (auto dir = createdDirs_.rbegin(); dir != createdDirs_.rend(); ++dir) RemoveDirectoryA(dir->c_str());
    createdFiles_.clear();
    createdDirs_.clear();
}

}  // namespace install
