#include "primitives/dispatch/cpu_info.h"

#include <x86intrin.h>

#include "primitives/dispatch/cpu_detection.h"
#include "primitives/dispatch/cpu_features.h"

using dsp::bit;

namespace {

std::uint32_t leafRegister(std::uint32_t leaf, int index)
{
    std::uint32_t regs[4];
    dspCpuid(regs, leaf, 0);
    return regs[index];
}

enum { kEax = 0, kEbx = 1, kEcx = 2, kEdx = 3 };

bool reportsDescriptor(const std::uint32_t regs[4], std::uint8_t descriptor)
{
    for (int r = 0; r < 4; ++r) {
        if (regs[r] & 0x80000000u)
            continue;  // this register holds no descriptors
        for (int b = (r == kEax ? 1 : 0); b < 4; ++b)  // eax's low byte is the query count
            if (((regs[r] >> (8 * b)) & 0xFFu) == descriptor)
                return true;
    }
    return false;
}

}  // namespace

void dspGetCpuInfo(dspCpuInfo* info)
{
    std::uint32_t leaf1[4];
    dspCpuid(leaf1, 1, 0);
    info->family = static_cast<std::int32_t>((leaf1[kEax] >> 8) & 0xF);
    info->stepping = static_cast<std::int32_t>(leaf1[kEax] & 0xF);
    info->model = static_cast<std::int32_t>((leaf1[kEax] >> 4) & 0xF);
    info->processorType = static_cast<std::int32_t>((leaf1[kEax] >> 12) & 0x3);
    info->featuresEdx = static_cast<std::int32_t>(leaf1[kEdx]);
    info->mmx = bit(leaf1[kEdx], 23);
    info->sse = bit(leaf1[kEdx], 25);
    info->sse2 = bit(leaf1[kEdx], 26);
    info->multiThreaded = dsp::multiThreadedFlag(leaf1[kEbx], leaf1[kEdx]);
    info->sse3 = bit(leaf1[kEcx], 0);
    info->ssse3 = bit(leaf1[kEcx], 9);
    info->sse41 = bit(leaf1[kEcx], 19);
    info->sse42 = bit(leaf1[kEcx], 20);
    info->extendedFamily = static_cast<std::int32_t>((leaf1[kEax] >> 20) & 0xFF);
    info->extendedModel = static_cast<std::int32_t>((leaf1[kEax] >> 16) & 0xF);
    info->is64Bit = dsp::read64BitFlag();
    info->cores = dsp::readCoreCount();

    std::uint32_t leaf2[4];
    dspCpuid(leaf2, 2, 0);
    info->cacheLeafEax = static_cast<std::int32_t>(leaf2[kEax]);
    info->cacheLeafEdx = static_cast<std::int32_t>(leaf2[kEdx]);
}

std::uint32_t dspCpuMaxBasicLeaf() { return leafRegister(0, kEax); }
int dspCpuHasTimeStampCounter() { return bit(leafRegister(1, kEdx), 4); }
int dspCpuHasMmx() { return bit(leafRegister(1, kEdx), 23); }
int dspCpuHasSse() { return bit(leafRegister(1, kEdx), 25); }
int dspCpuHasSse2() { return bit(leafRegister(1, kEdx), 26); }
int dspCpuHasSse3() { return bit(leafRegister(1, kEcx), 0); }
int dspCpuHasSsse3() { return bit(leafRegister(1, kEcx), 9); }
int dspCpuHasSse41() { return bit(leafRegister(1, kEcx), 19); }
int dspCpuHasSse42() { return bit(leafRegister(1, kEcx), 20); }
int dspCpuCoreCount() { return dsp::readCoreCount(); }
int dspCpuIs64Bit() { return dsp::read64BitFlag(); }

int dspCpuIsMultiThreaded()
{
    std::uint32_t regs[4];
    dspCpuid(regs, 1, 0);
    return dsp::multiThreadedFlag(regs[kEbx], regs[kEdx]);
}

std::uint64_t dspReadTimeStampCounter() { return __rdtsc(); }

std::int32_t dspLookupCacheDescriptor(const std::uint32_t* table)
{
    std::uint32_t regs[4];
    dspCpuid(regs, 2, 0);
    if ((regs[kEax] & 0xFFu) != 1)
        return -1;
    for (; table[0] != 0; table += 2)
        if (reportsDescriptor(regs, static_cast<std::uint8_t>(table[0] & 0xFFu)))
            return static_cast<std::int32_t>(table[1]);
    return -1;
}
