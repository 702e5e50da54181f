#include "message_loop.h"

namespace {

AcquireMessageFilter g_acquireFilter = nullptr;

}  // namespace

void SetAcquireMessageFilter(AcquireMessageFilter filter) { g_acquireFilter = filter; }

void DispatchLoopMessage(MSG* message, HACCEL accelerators) {
    if (g_acquireFilter && g_acquireFilter(message) == 1) return;
    // The command goes to the top-level window that owns the target: a key
    // pressed in a child (the toolbar, a list) still reaches the frame's or
    // the browser's command handler.
    HWND owner = message->hwnd ? GetAncestor(message->hwnd, GA_ROOT) : nullptr;
    if (accelerators && owner && TranslateAcceleratorA(owner, accelerators, message)) return;
    TranslateMessage(message);
    DispatchMessageA(message);
}

int RunMessageLoop(HACCEL accelerators) {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchLoopMessage(&message, accelerators);
    return static_cast<int>(message.wParam);
}
