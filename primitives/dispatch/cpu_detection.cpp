#include "primitives/dispatch/cpu_detection.h"

#include "primitives/dispatch/cpu_features.h"
#include "primitives/dispatch/cpu_identity.h"
#include "primitives/dispatch/dispatch.h"
#include "primitives/dispatch/status.h"
#include "primitives/dispatch/largest_cache.h"

namespace {

int featureFallback(const dsp::CpuFeatures& f)
{
    if (f.sse42) return dspCpuTypeFallbackSse42;
    if (f.sse41) return dspCpuTypeFallbackSse41;
    if (f.ssse3) return dspCpuTypeFallbackSsse3;
    if (f.sse3) return dspCpuTypeFallbackSse3;
    if (f.sse2) return dspCpuTypeFallbackSse2;
    if (f.sse) return dspCpuTypeFallbackSse;
    if (f.is64Bit) return dspCpuTypeFallback64Bit;
    return dspCpuTypeUnknown;
}

int family6Type(const dsp::CpuFeatures& f)
{
    switch (f.model) {
    case 0x01: return 0x03;
    case 0x03: case 0x05: case 0x06: return 0x04;
    case 0x07: case 0x08: case 0x0A: case 0x0B: return 0x05;
    case 0x09: case 0x0D: return 0x09;
    case 0x0E: return f.cores >= 2 ? 0x0B : 0x0A;
    case 0x0F: return f.cores >= 3 ? 0x22 : 0x21;
    case 0x17: return 0x44;
    case 0x1A: return 0x23;
    case 0x1C: return 0x24;
    default: return featureFallback(f);
    }
}

int knownVendorType(const dsp::CpuFeatures& f)
{
    if (f.ia64)
        return f.family == 7 ? 0x10 : 0x11;
    switch (f.family) {
    case 5:
        if (f.model == 1 || f.model == 2) return 0x01;
        if (f.model == 4) return 0x02;
        return featureFallback(f);
    case 6:
        return family6Type(f);
    case 15:
        if (f.sse3) return f.is64Bit ? 0x20 : 0x08;
        return f.multiThreaded ? 0x07 : 0x06;
    default:
        return featureFallback(f);
    }
}

}  // namespace

int dspCpuClassOfType(int typeCode)
{
    switch (typeCode) {
    case 0x05: case 0x10: case 0x11: case 0x40: return dspCpuSse;
    case 0x06: case 0x07: case 0x09: case 0x41: return dspCpuSse2;
    case 0x08: case 0x0A: case 0x0B: case 0x20: case 0x42: return dspCpuSse3;
    case 0x21: case 0x22: case 0x24: case 0x43: return dspCpuSsse3;
    case 0x23: case 0x44: case 0x45: return dspCpuSse41;
    default: return dspCpuGeneric;
    }
}

int dspHasCpuid() { return dspCpuIdentity.hasIdentificationFlag(); }

void dspCpuid(std::uint32_t regs[4], std::uint32_t leaf, std::uint32_t subLeaf)
{
    dspCpuIdentity.cpuid(regs, leaf, subLeaf);
}

int dspCheckCpuVendor()
{
    std::uint32_t regs[4];
    dspCpuid(regs, 0, 0);
    // "GenuineIntel" as ebx, edx, ecx, each word little-endian.
    return (regs[1] == 0x756E6547u && regs[3] == 0x49656E69u && regs[2] == 0x6C65746Eu) ? 1 : 0;
}

int dspDetectCpuType()
{
    if (dspHasCpuid() == 0)
        return dspCpuTypeUnknown;
    const dsp::CpuFeatures features = dsp::readCpuFeatures();
    return dspCheckCpuVendor() == 1 ? knownVendorType(features) : featureFallback(features);
}

int dspInitCpuDispatch()
{
    const int type = dspDetectCpuType();
    dspCpuClass.store(dspCpuClassOfType(type), std::memory_order_relaxed);
    // The copy kernels ask for the largest cache; ask now, not on the audio thread.
    dspLargestCacheSize();
    if (dspHasCpuid() == 0 || dspCheckCpuVendor() == 0)
        return dspWarnCpuNotIdentified;
    return dspOk;
}
