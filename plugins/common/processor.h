// What the processor offers, asked of the processor itself.
#pragma once

// True when the processor executes SSE2 instructions and the system keeps
// their registers across task switches.  The answer comes from CPUID, not
// from IsProcessorFeaturePresent, which knows SSE2 only from Windows XP on
// (it answers false on Windows 98 and 2000 whatever the processor) and
// which Windows 95 does not have at all.
bool ProcessorHasSse2();
