// Recovery points: SetErrorJump and TakeErrorJump behave like setjmp and
// longjmp, but as exported stdcall functions that a caller reaches through a
// function pointer.  A fatal error inside the imaging core jumps back to the
// innermost recovery point still open on the same thread.
//
// Each thread keeps a stack of points.  SetErrorJump with a buffer records a
// point (re-recording a buffer already on the stack re-arms it and forgets
// the points recorded after it); SetErrorJump with a null buffer drops the
// innermost point and returns 0, which is how a scope that ends normally lets
// go of its point.  TakeErrorJump forgets the point it jumps to and every
// point inside it.
#pragma once

#include <windows.h>
#include <setjmp.h>

extern "C" {
LONG WINAPI SetErrorJump(jmp_buf jump) __attribute__((returns_twice));
void WINAPI TakeErrorJump(jmp_buf jump, LONG value) __attribute__((noreturn));
}

// Jumps to this thread's innermost recovery point with the value 1; returns
// when the thread has none.
void JumpToRecoveryPoint();
