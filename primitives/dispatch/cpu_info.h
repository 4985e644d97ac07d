#pragma once

#include <cstdint>

// Processor queries that belong with detection. Nothing in the plug-in calls
// them; they are there for diagnostics and for the copy kernels' cache lookup.

// Filled by dspGetCpuInfo. Family and model are the raw fields, without the
// extended adjustment that detection uses; flags hold 0 or 1.
struct dspCpuInfo {
    std::int32_t family;
    std::int32_t stepping;
    std::int32_t model;
    std::int32_t processorType;
    std::int32_t featuresEdx;     // leaf-1 edx as returned
    std::int32_t cacheLeafEax;    // leaf-2 eax as returned
    std::int32_t cacheLeafEdx;    // leaf-2 edx as returned
    std::int32_t mmx;
    std::int32_t unused;          // not written
    std::int32_t sse;
    std::int32_t sse2;
    std::int32_t multiThreaded;
    std::int32_t sse3;
    std::int32_t is64Bit;         // 0 unless leaf 0x80000000 reaches 0x80000001
    std::int32_t ssse3;
    std::int32_t cores;
    std::int32_t sse41;
    std::int32_t sse42;
    std::int32_t extendedFamily;
    std::int32_t extendedModel;
};
static_assert(sizeof(dspCpuInfo) == 20 * 4, "twenty 32-bit words");

void dspGetCpuInfo(dspCpuInfo* info);

// One query per feature; each executes CPUID itself.
std::uint32_t dspCpuMaxBasicLeaf();
int dspCpuHasTimeStampCounter();
int dspCpuHasMmx();
int dspCpuHasSse();
int dspCpuHasSse2();
int dspCpuIsMultiThreaded();
int dspCpuHasSse3();
int dspCpuHasSsse3();
int dspCpuHasSse41();
int dspCpuHasSse42();
int dspCpuCoreCount();
// 0 when leaf 0x80000000 does not list leaf 0x80000001 (see dspCpuInfo::is64Bit).
int dspCpuIs64Bit();

std::uint64_t dspReadTimeStampCounter();

// Looks the CPUID leaf-2 descriptor bytes up in table, pairs of (descriptor, value)
// words ended by a zero descriptor: the value of the first entry whose descriptor's
// low byte leaf 2 reports, or -1 when none does or leaf 2 needs more than one query.
std::int32_t dspLookupCacheDescriptor(const std::uint32_t* table);
