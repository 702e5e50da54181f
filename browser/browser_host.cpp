#include "browser_host.h"

namespace {

BrowserHost g_host{};

}  // namespace

void SetBrowserHost(const BrowserHost& host) { g_host = host; }

LRESULT HostFrameCommand(HWND frame, UINT id, LPARAM lParam) {
    return g_host.frameCommand ? g_host.frameCommand(frame, id, lParam) : 0;
}

bool HostOpenPicture(HWND frame, const char* path) {
    return g_host.openPicture ? g_host.openPicture(frame, path) : false;
}

void HostLayOutFrame() {
    if (g_host.layOutFrame) g_host.layOutFrame();
}

void HostRefreshStatus(HWND window, HWND statusBar) {
    if (g_host.refreshStatus) g_host.refreshStatus(window, statusBar);
}
