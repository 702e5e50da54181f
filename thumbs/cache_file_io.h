// A cache file opened through Win32 with 32-bit offsets: the records hold
// 32-bit offsets, so files past 4 GiB are beyond them anyway.  Reads and
// writes are positioned; the handle is INVALID_HANDLE_VALUE when closed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

class CacheFile {
public:
    ~CacheFile() { Close(); }
    bool Open(const std::string& path, bool writable, bool create) {
        Close();
        handle_ = CreateFileA(path.c_str(), writable ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              create ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        return IsOpen();
    }
    void Close() {
        if (IsOpen()) CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }
    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    // A file past 4 GiB reports 0xFFFFFFFF.
    uint32_t Size() const {
        DWORD high = 0;
        DWORD low = GetFileSize(handle_, &high);
        if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return 0;
        return high ? 0xFFFFFFFFu : low;
    }
    uint32_t ReadAt(uint32_t offset, void* buffer, uint32_t bytes) {
        DWORD done = 0;
        if (!Seek(offset) || !ReadFile(handle_, buffer, bytes, &done, nullptr)) return 0;
        return done;
    }
    bool WriteAt(uint32_t offset, const void* buffer, uint32_t bytes) {
        DWORD done = 0;
        return Seek(offset) && WriteFile(handle_, buffer, bytes, &done, nullptr) && done == bytes;
    }
    void TruncateAt(uint32_t offset) {
        if (Seek(offset)) SetEndOfFile(handle_);
    }
    void Flush() {
        if (IsOpen()) FlushFileBuffers(handle_);
    }

private:
    bool Seek(uint32_t offset) {
        LONG high = 0;
        DWORD low = SetFilePointer(handle_, static_cast<LONG>(offset), &high, FILE_BEGIN);
        return !(low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
    }
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};
