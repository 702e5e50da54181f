#include "handover.h"

#include <cstring>

#include "win_guards.h"

std::string FrameClassName(bool shared) {
    return shared ? std::string(kProductName) + "[SHARE]" : std::string(kProductName);
}

void SendPath(HWND window, const std::string& path) {
    COPYDATASTRUCT data;
    data.dwData = 0;
    data.cbData = static_cast<DWORD>(path.size() + 1);
    data.lpData = const_cast<char*>(path.c_str());
    SendMessageA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
}

HandOverResult RunHandOver(const CommandLine& line, HANDLE* event, DWORD wait) {
    if (event) *event = nullptr;
    if (!line.share) return HandOverResult::NotShared;
    HANDLE handle = OpenEventA(EVENT_ALL_ACCESS, FALSE, kHandOverEvent);
    if (!handle) {
        // Instances started together may all find no event.  Creating it is
        // atomic: the one that made it is the shared instance, the others
        // got the same event and wait on it like later starts.
        handle = CreateEventA(nullptr, FALSE, FALSE, kHandOverEvent);
        if (!handle || GetLastError() != ERROR_ALREADY_EXISTS) {
            if (event) *event = handle;
            else if (handle) CloseHandle(handle);
            return HandOverResult::FirstInstance;
        }
    }
    OwnedHandle existing(handle);
    // A time-out counts like the signal: hand the files over anyway.
    WaitForSingleObject(existing.get(), wait);
    HWND frame = FindWindowA(FrameClassName(true).c_str(), nullptr);
    if (frame)
        for (const std::string& file : line.files) SendPath(frame, file);
    // The shared instance signals once the thumbnails of what it received
    // are made; an instance that handed nothing over gives no such work, so
    // it passes the turn on itself instead of leaving the next waiting.
    if (!frame || line.files.empty()) SetEvent(existing.get());
    return HandOverResult::HandedOver;
}

std::string PathFromCopyData(const COPYDATASTRUCT* data) {
    if (!data || !data->lpData || data->cbData == 0) return std::string();
    // The data comes from another process: trust neither its length nor its
    // terminator.
    const char* text = static_cast<const char*>(data->lpData);
    const size_t limit = data->cbData < kMaxPathChars + 1 ? data->cbData : kMaxPathChars + 1;
    const void* zero = std::memchr(text, '\0', limit);
    if (!zero) return std::string();
    return std::string(text, static_cast<const char*>(zero) - text);
}
