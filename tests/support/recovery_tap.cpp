#include "recovery_tap.h"

#include "lorimel.h"

extern "C" {
extern PFN_SetErrorJump g_lorimelSetErrorJump;   // the library's, bound by BindLorimel
PFN_SetErrorJump g_tapForwardSetErrorJump = nullptr;
void* volatile g_tappedRecoveryPoint = nullptr;

// Notes the recovery point, then records it through the library as usual (a
// null buffer, which drops a point, is passed on without being noted).  A
// tail jump: the library must see the caller's own frame.
#if defined(__i386__)
__attribute__((naked)) LONG WINAPI TapSetErrorJump(jmp_buf) {
    asm volatile(
        "movl 4(%esp), %eax\n\t"
        "testl %eax, %eax\n\t"
        "jz 1f\n\t"
        "movl %eax, _g_tappedRecoveryPoint\n"
        "1:\n\t"
        "jmp *_g_tapForwardSetErrorJump\n\t");
}
#elif defined(__x86_64__)
// The jump buffer arrives in rcx; the return address stays on the stack.
__attribute__((naked)) LONG WINAPI TapSetErrorJump(jmp_buf) {
    asm volatile(
        "testq %rcx, %rcx\n\t"
        "jz 1f\n\t"
        "movq %rcx, g_tappedRecoveryPoint(%rip)\n"
        "1:\n\t"
        "jmp *g_tapForwardSetErrorJump(%rip)\n\t");
}
#else
#error "the recovery tap is written for x86 and x86-64"
#endif
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
