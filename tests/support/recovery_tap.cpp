#include "recovery_tap.h"

#include "lorimel.h"

extern "C" {
extern PFN_SetErrorJump g_lorimelSetErrorJump;   // the library's, bound by BindLorimel
PFN_SetErrorJump g_tapForwardSetErrorJump = nullptr;
void* volatile g_tappedRecoveryPoint = nullptr;

// Each thread's latest point: a decode on one thread must jump back to its
// own point, not to one another thread recorded meanwhile.
thread_local void* t_tappedRecoveryPoint = nullptr;

void NoteTappedRecoveryPoint(void* jump) {
    t_tappedRecoveryPoint = jump;
    g_tappedRecoveryPoint = jump;
}

// Notes the recovery point, then records it through the library as usual (a
// null buffer, which drops a point, is passed on without being noted).  A
// tail jump: the library must see the caller's own frame.
#if defined(__i386__)
__attribute__((naked)) LONG WINAPI TapSetErrorJump(jmp_buf) {
    asm volatile(
        "movl 4(%esp), %eax\n\t"
        "testl %eax, %eax\n\t"
        "jz 1f\n\t"
        "pushl %eax\n\t"
        "call _NoteTappedRecoveryPoint\n\t"   // keeps ebx, esi, edi, ebp
        "addl $4, %esp\n"
        "1:\n\t"
        "jmp *_g_tapForwardSetErrorJump\n\t");
}
#elif defined(__x86_64__)
// The jump buffer arrives in rcx; the return address stays on the stack.
__attribute__((naked)) LONG WINAPI TapSetErrorJump(jmp_buf) {
    asm volatile(
        "testq %rcx, %rcx\n\t"
        "jz 1f\n\t"
        "pushq %rcx\n\t"
        "subq $32, %rsp\n\t"       // shadow space; the stack is 16-aligned here
        "call NoteTappedRecoveryPoint\n\t"
        "addq $32, %rsp\n\t"
        "popq %rcx\n"
        "1:\n\t"
        "jmp *g_tapForwardSetErrorJump(%rip)\n\t");
}
#else
#error "the recovery tap is written for x86 and x86-64"
#endif
}

RecoveryTap::RecoveryTap() {
    g_tappedRecoveryPoint = nullptr;
    t_tappedRecoveryPoint = nullptr;
    g_tapForwardSetErrorJump = g_lorimelSetErrorJump;
    g_lorimelSetErrorJump = TapSetErrorJump;
}

RecoveryTap::~RecoveryTap() {
    g_lorimelSetErrorJump = g_tapForwardSetErrorJump;
    g_tappedRecoveryPoint = nullptr;
}

_JBTYPE* RecoveryTap::Point() { return static_cast<_JBTYPE*>(t_tappedRecoveryPoint); }
