// Recovery points: SetErrorJump and TakeErrorJump behave like setjmp and
// longjmp, but as exported stdcall functions that a caller reaches through a
// function pointer.  A fatal error inside the imaging core jumps back to the
// last recovery point recorded on the same thread.
#pragma once

#include <windows.h>
#include <setjmp.h>

extern "C" {
LONG WINAPI SetErrorJump(jmp_buf jump) __attribute__((returns_twice));
void WINAPI TakeErrorJump(jmp_buf jump, LONG value) __attribute__((noreturn));
}

// Jumps to this thread's last recovery point with the value 1; returns when
// the thread has none.
void JumpToRecoveryPoint();
