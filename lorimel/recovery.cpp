#include "recovery.h"

namespace {

// This thread's recovery points, innermost last.  A caller records one when
// its scope starts and drops it (SetErrorJump with a null buffer) when the
// scope ends normally, so a fatal error always comes back to a frame that is
// still alive: the innermost scope still open.
constexpr int kDepth = 16;
thread_local void* t_points[kDepth];
thread_local int t_count = 0;

}  // namespace

// Recording a buffer that is already on the stack re-arms it: every point
// recorded after it belonged to scopes that have ended without dropping
// theirs.  With the stack full, the oldest point gives way.
extern "C" void RememberRecoveryPoint(void* jump) {
    for (int i = 0; i < t_count; ++i) {
        if (t_points[i] == jump) {
            t_count = i + 1;
            return;
        }
    }
    if (t_count == kDepth) {
        for (int i = 1; i < kDepth; ++i) t_points[i - 1] = t_points[i];
        --t_count;
    }
    t_points[t_count++] = jump;
}

extern "C" void DropRecoveryPoint() {
    if (t_count > 0) --t_count;
}

namespace {

// A jump back to a point ends every scope inside it and uses the point up.
void ForgetPointsFrom(void* jump) {
    for (int i = t_count - 1; i >= 0; --i) {
        if (t_points[i] == jump) {
            t_count = i;
            return;
        }
    }
}

}  // namespace

extern "C" void WINAPI JumpBack(jmp_buf jump, LONG value) __attribute__((noreturn));

// Hand-written because a compiled function cannot record its own caller's
// context: the frame would be gone by the time anyone jumped back to it.
#if defined(__i386__)

// Saved in the caller's jmp_buf (room for 16 words): ebx, esi, edi, ebp, the
// stack pointer once SetErrorJump has returned, the return address, and the
// head of the structured exception handler chain.
static_assert(sizeof(jmp_buf) >= 7 * 4, "jmp_buf too small");

extern "C" __attribute__((naked)) LONG WINAPI SetErrorJump(jmp_buf) {
    asm volatile(
        "movl 4(%esp), %eax\n\t"
        "testl %eax, %eax\n\t"     // a null buffer drops the innermost point
        "jnz 1f\n\t"
        "call _DropRecoveryPoint\n\t"
        "xorl %eax, %eax\n\t"
        "ret $4\n"
        "1:\n\t"
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

extern "C" __attribute__((naked)) void WINAPI JumpBack(jmp_buf, LONG) {
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

#elif defined(__x86_64__)

// The 64-bit twin (tests only): rbx, rbp, rdi, rsi, r12-r15, the stack
// pointer after return, the return address, then xmm6-xmm15, all callee-saved
// under the Windows x64 convention.
static_assert(sizeof(jmp_buf) >= 10 * 8 + 10 * 16, "jmp_buf too small");

extern "C" __attribute__((naked)) LONG WINAPI SetErrorJump(jmp_buf) {
    asm volatile(
        "testq %rcx, %rcx\n\t"     // a null buffer drops the innermost point
        "jnz 1f\n\t"
        "subq $40, %rsp\n\t"
        "call DropRecoveryPoint\n\t"
        "addq $40, %rsp\n\t"
        "xorl %eax, %eax\n\t"
        "ret\n"
        "1:\n\t"
        "movq %rbx, 0(%rcx)\n\t"
        "movq %rbp, 8(%rcx)\n\t"
        "movq %rdi, 16(%rcx)\n\t"
        "movq %rsi, 24(%rcx)\n\t"
        "movq %r12, 32(%rcx)\n\t"
        "movq %r13, 40(%rcx)\n\t"
        "movq %r14, 48(%rcx)\n\t"
        "movq %r15, 56(%rcx)\n\t"
        "leaq 8(%rsp), %rax\n\t"
        "movq %rax, 64(%rcx)\n\t"
        "movq (%rsp), %rax\n\t"
        "movq %rax, 72(%rcx)\n\t"
        "movdqu %xmm6, 80(%rcx)\n\t"
        "movdqu %xmm7, 96(%rcx)\n\t"
        "movdqu %xmm8, 112(%rcx)\n\t"
        "movdqu %xmm9, 128(%rcx)\n\t"
        "movdqu %xmm10, 144(%rcx)\n\t"
        "movdqu %xmm11, 160(%rcx)\n\t"
        "movdqu %xmm12, 176(%rcx)\n\t"
        "movdqu %xmm13, 192(%rcx)\n\t"
        "movdqu %xmm14, 208(%rcx)\n\t"
        "movdqu %xmm15, 224(%rcx)\n\t"
        "subq $40, %rsp\n\t"         // shadow space, 16-byte alignment
        "call RememberRecoveryPoint\n\t"
        "addq $40, %rsp\n\t"
        "xorl %eax, %eax\n\t"
        "ret\n\t");
}

extern "C" __attribute__((naked)) void WINAPI JumpBack(jmp_buf, LONG) {
    asm volatile(
        "movl %edx, %eax\n\t"
        "testl %eax, %eax\n\t"
        "jnz 1f\n\t"
        "incl %eax\n"
        "1:\n\t"
        "movq 0(%rcx), %rbx\n\t"
        "movq 8(%rcx), %rbp\n\t"
        "movq 16(%rcx), %rdi\n\t"
        "movq 24(%rcx), %rsi\n\t"
        "movq 32(%rcx), %r12\n\t"
        "movq 40(%rcx), %r13\n\t"
        "movq 48(%rcx), %r14\n\t"
        "movq 56(%rcx), %r15\n\t"
        "movdqu 80(%rcx), %xmm6\n\t"
        "movdqu 96(%rcx), %xmm7\n\t"
        "movdqu 112(%rcx), %xmm8\n\t"
        "movdqu 128(%rcx), %xmm9\n\t"
        "movdqu 144(%rcx), %xmm10\n\t"
        "movdqu 160(%rcx), %xmm11\n\t"
        "movdqu 176(%rcx), %xmm12\n\t"
        "movdqu 192(%rcx), %xmm13\n\t"
        "movdqu 208(%rcx), %xmm14\n\t"
        "movdqu 224(%rcx), %xmm15\n\t"
        "movq 64(%rcx), %rsp\n\t"
        "jmp *72(%rcx)\n\t");
}

#else
#error "recovery points are written for x86 and x86-64"
#endif

extern "C" void WINAPI TakeErrorJump(jmp_buf jump, LONG value) {
    ForgetPointsFrom(jump);
    JumpBack(jump, value);
}

void JumpToRecoveryPoint() {
    if (t_count == 0) return;
    // The point is used up: a second fatal error while its handler runs goes
    // to the scope around it.
    TakeErrorJump(static_cast<_JBTYPE*>(t_points[t_count - 1]), 1);
}
