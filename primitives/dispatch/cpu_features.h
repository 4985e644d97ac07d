#pragma once

#include <cstdint>

namespace dsp {

// The identification quantities that detection and the info record share,
// read in the order leaf 1, 0x80000000 (and 0x80000001), leaf 0, leaf 4.
struct CpuFeatures {
    std::uint32_t leaf1Eax = 0, leaf1Ebx = 0, leaf1Ecx = 0, leaf1Edx = 0;
    int family = 0;          // with the extended adjustment of families 6 and 15
    int model = 0;           // likewise
    int sse = 0, sse2 = 0, sse3 = 0, ssse3 = 0, sse41 = 0, sse42 = 0;
    int ia64 = 0;
    int multiThreaded = 0;
    int is64Bit = 0;         // queried whenever leaf 0x80000000's eax has a bit below 31 set
    int cores = 1;
};

CpuFeatures readCpuFeatures();

// The 64-bit flag, leaf 0x80000001 edx bit 29, queried only when leaf 0x80000000
// lists that leaf (its eax, the highest extended leaf, at least 0x80000001); else 0.
int read64BitFlag();

// Cores from leaf 4 when the maximum basic leaf reaches it, else 1.
int readCoreCount();

inline int bit(std::uint32_t word, int index) { return static_cast<int>((word >> index) & 1u); }

// Hyper-threading reported in leaf-1 edx bit 28 with at least two logical processors.
inline int multiThreadedFlag(std::uint32_t leaf1Ebx, std::uint32_t leaf1Edx)
{
    return (bit(leaf1Edx, 28) && ((leaf1Ebx >> 16) & 0xFF) >= 2) ? 1 : 0;
}

}  // namespace dsp
