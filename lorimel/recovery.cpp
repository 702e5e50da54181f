#include "recovery.h"

// The saved context, in the caller's jmp_buf (which has room for 16 words):
// ebx, esi, edi, ebp, the stack pointer after SetErrorJump returns, the
// return address and the head of the structured exception handler chain.
static_assert(sizeof(jmp_buf) >= 7 * sizeof(DWORD), "jmp_buf too small");

namespace {
thread_local void* t_recoveryPoint = nullptr;
}

extern "C" void RememberRecoveryPoint(void* jump) { t_recoveryPoint = jump; }

// Hand-written because a compiled function cannot record its own caller's
// context: the frame would be gone by the time anyone jumped back to it.
extern "C" __attribute__((naked)) LONG WINAPI SetErrorJump(jmp_buf) {
    asm volatile(
        "movl 4(%esp), %eax\n\t"
        "movl %ebx, 0(%eax)\n\t"
        "movl %esi, 4(%eax)\n\t"
        "movl %edi, 8(%eax)\n\t"
        "movl %ebp, 12(%eax)\n\t"
        "leal 8(%esp), %ecx\n\t"     // caller's stack once the argument is popped
        "movl %ecx, 16(%eax)\n\t"
        "movl (%esp), %ecx\n\t"      // where to come back to
        "movl %ecx, 20(%eax)\n\t"
        "movl %fs:0, %ecx\n\t"
        "movl %ecx, 24(%eax)\n\t"
        "pushl %eax\n\t"
        "call _RememberRecoveryPoint\n\t"
        "addl $4, %esp\n\t"
        "xorl %eax, %eax\n\t"
        "ret $4\n\t");
}

extern "C" __attribute__((naked)) void WINAPI TakeErrorJump(jmp_buf, LONG) {
    asm volatile(
        "movl 4(%esp), %edx\n\t"
        "movl 8(%esp), %eax\n\t"
        "testl %eax, %eax\n\t"       // like longjmp, never come back with 0
        "jnz 1f\n\t"
        "incl %eax\n"
        "1:\n\t"
        "movl 24(%edx), %ecx\n\t"
        "movl %ecx, %fs:0\n\t"
        "movl 0(%edx), %ebx\n\t"
        "movl 4(%edx), %esi\n\t"
        "movl 8(%edx), %edi\n\t"
        "movl 12(%edx), %ebp\n\t"
        "movl 16(%edx), %esp\n\t"
        "jmp *20(%edx)\n\t");
}

void JumpToRecoveryPoint() {
    void* jump = t_recoveryPoint;
    if (!jump) return;
    t_recoveryPoint = nullptr;
    TakeErrorJump(static_cast<_JBTYPE*>(jump), 1);
}
