#include "primitives/dispatch/cpu_features.h"

#include "primitives/dispatch/cpu_detection.h"

namespace dsp {

namespace {

constexpr std::uint32_t kExtendedLeaves = 0x80000000u;
constexpr std::uint32_t kExtendedFeatures = 0x80000001u;

std::uint32_t highestExtendedLeaf()
{
    std::uint32_t regs[4];
    dspCpuid(regs, kExtendedLeaves, 0);
    return regs[0];
}

int extendedFeatures64BitFlag()
{
    std::uint32_t regs[4];
    dspCpuid(regs, kExtendedFeatures, 0);
    return bit(regs[3], 29);
}

}  // namespace

int read64BitFlag() { return highestExtendedLeaf() >= kExtendedFeatures ? extendedFeatures64BitFlag() : 0; }

int readCoreCount()
{
    std::uint32_t regs[4];
    dspCpuid(regs, 0, 0);
    if (regs[0] < 4)
        return 1;
    dspCpuid(regs, 4, 0);
    return static_cast<int>(regs[0] >> 26) + 1;
}

CpuFeatures readCpuFeatures()
{
    CpuFeatures f;
    std::uint32_t regs[4];
    dspCpuid(regs, 1, 0);
    f.leaf1Eax = regs[0];
    f.leaf1Ebx = regs[1];
    f.leaf1Ecx = regs[2];
    f.leaf1Edx = regs[3];

    const int model = static_cast<int>((f.leaf1Eax >> 4) & 0xF);
    const int family = static_cast<int>((f.leaf1Eax >> 8) & 0xF);
    const int extendedModel = static_cast<int>((f.leaf1Eax >> 16) & 0xF);
    const int extendedFamily = static_cast<int>((f.leaf1Eax >> 20) & 0xFF);
    f.model = (family == 6 || family == 15) ? model + 16 * extendedModel : model;
    f.family = family == 15 ? 15 + extendedFamily : family;

    f.sse = bit(f.leaf1Edx, 25);
    f.sse2 = bit(f.leaf1Edx, 26);
    f.ia64 = bit(f.leaf1Edx, 30);
    f.sse3 = bit(f.leaf1Ecx, 0);
    f.ssse3 = bit(f.leaf1Ecx, 9);
    f.sse41 = bit(f.leaf1Ecx, 19);
    f.sse42 = bit(f.leaf1Ecx, 20);
    f.multiThreaded = multiThreadedFlag(f.leaf1Ebx, f.leaf1Edx);

    // Detection's own rule: whatever is left of the answer without bit 31 counts as
    // listing the leaf, so an answer below 0x80000000 queries it too.
    f.is64Bit = (highestExtendedLeaf() & 0x7FFFFFFFu) != 0 ? extendedFeatures64BitFlag() : 0;

    f.cores = readCoreCount();
    return f;
}

}  // namespace dsp
