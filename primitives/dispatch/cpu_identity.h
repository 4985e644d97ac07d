#pragma once

#include <cstdint>

// Where processor identification comes from. Everything that identifies the
// processor goes through this one source, so tests can present any processor.
struct dspCpuIdentitySource {
    // 1 when the EFLAGS identification bit can be toggled (CPUID exists), else 0.
    int (*hasIdentificationFlag)();
    // CPUID with eax = leaf, ecx = subLeaf; regs receive eax, ebx, ecx, edx.
    void (*cpuid)(std::uint32_t regs[4], std::uint32_t leaf, std::uint32_t subLeaf);
};

// The real processor's identification.
extern const dspCpuIdentitySource dspProcessorIdentity;

// The source in force; the processor's own unless a test replaced it.
extern dspCpuIdentitySource dspCpuIdentity;
