#pragma once

#include <cstdint>

// Processor detection: chooses dspCpuClass from the processor's identification.
// GUI thread (processor construction); never on the audio path.

// CPU type codes of dspDetectCpuType.
enum : int {
    dspCpuTypeUnknown = 0x00,
    dspCpuTypeFallbackSse = 0x40,
    dspCpuTypeFallbackSse2 = 0x41,
    dspCpuTypeFallbackSse3 = 0x42,
    dspCpuTypeFallbackSsse3 = 0x43,
    dspCpuTypeFallbackSse41 = 0x44,
    dspCpuTypeFallbackSse42 = 0x45,
    dspCpuTypeFallback64Bit = 0x60
};

// Stores the class of the detected type in dspCpuClass, always; returns dspOk, or
// dspWarnCpuNotIdentified when there is no CPUID or the vendor is not "GenuineIntel".
int dspInitCpuDispatch();

// The CPU type code of the running processor.
int dspDetectCpuType();

// The processor class (0 to 5) of a CPU type code; 0 for codes it does not list.
int dspCpuClassOfType(int typeCode);

// 1 when the CPUID instruction is available, else 0.
int dspHasCpuid();

// 1 when CPUID leaf 0 reports "GenuineIntel", else 0. Call only after dspHasCpuid gave 1.
int dspCheckCpuVendor();

// CPUID with eax = leaf and ecx = subLeaf into regs (eax, ebx, ecx, edx).
void dspCpuid(std::uint32_t regs[4], std::uint32_t leaf, std::uint32_t subLeaf);
