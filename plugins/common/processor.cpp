// Built without -msse2: this is what decides whether SSE2 code may run.
#include "processor.h"

#include <windows.h>
#include <cpuid.h>

bool ProcessorHasSse2() {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    // __get_cpuid first makes sure there is a CPUID instruction (on 32-bit
    // x86 by toggling the ID flag) with a leaf 1 to ask.
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx) || !(edx & bit_SSE2)) return false;
    // Windows 95 never saves the SSE registers when it switches tasks; every
    // later system does.
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS &&
        version.dwMajorVersion == 4 && version.dwMinorVersion == 0)
        return false;
    return true;
}
