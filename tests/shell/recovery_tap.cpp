#include "recovery_tap.h"

#include "lorimel.h"

extern "C" {
extern PFN_SetErrorJump g_lorimelSetErrorJump;   // the library's, bound by BindLorimel
PFN_SetErrorJump g_tapForwardSetErrorJump = nullptr;
void* volatile g_tappedRecoveryPoint = nullptr;

// Notes the recovery point, then records it through the library as usual.
// A tail jump: the library must see the caller's own frame.
__attribute__((naked)) LONG WINAPI TapSetErrorJump(jmp_buf) {
    asm volatile(
        "movl 4(%esp), %eax\n\t"
        "movl %eax, _g_tappedRecoveryPoint\n\t"
        "jmp *_g_tapForwardSetErrorJump\n\t");
}
}

RecoveryTap::RecoveryTap() {
    g_tappedRecoveryPoint = nullptr;
    g_tapForwardSetErrorJump = g_lorimelSetErrorJump;
    g_lorimelSetErrorJump = TapSetErrorJump;
}

RecoveryTap::~RecoveryTap() {
    g_lorimelSetErrorJump = g_tapForwardSetErrorJump;
    g_tappedRecoveryPoint = nullptr;
}

_JBTYPE* RecoveryTap::Point() { return static_cast<_JBTYPE*>(g_tappedRecoveryPoint); }
