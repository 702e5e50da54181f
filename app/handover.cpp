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
    OwnedHandle existing(OpenEventA(EVENT_ALL_ACCESS, FALSE, kHandOverEvent));
    if (!existing.valid()) {
        HANDLE created = CreateEventA(nullptr, FALSE, FALSE, kHandOverEvent);
        if (event) *event = created;
        else if (created) CloseHandle(created);
        return HandOverResult::FirstInstance;
    }
    // A time-out counts like the signal: hand the files over anyway.
    WaitForSingleObject(existing.get(), wait);
    HWND frame = FindWindowA(FrameClassName(true).c_str(), nullptr);
    if (frame)
        for (const std::string& file : line.files) SendPath(frame, file);
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
