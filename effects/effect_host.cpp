#include "effect_host.h"

namespace {

EffectHost g_host{};

}  // namespace

void SetEffectHost(const EffectHost& host) { g_host = host; }

HWND HostViewerView() { return g_host.viewerView ? g_host.viewerView() : nullptr; }

void HostShowProcessedPicture(HWND frame, ProcessedChange change, Picture* replacement) {
    if (g_host.showProcessedPicture) g_host.showProcessedPicture(frame, change, replacement);
}
