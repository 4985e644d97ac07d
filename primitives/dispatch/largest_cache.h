#pragma once

#include <cstdint>

// The largest cache the processor reports, a processor query like detection's:
// it decides when the copy and zero kernels of classes 2 to 5 bypass the caches.
// Plain header: the per-class sources include it.

// Rows of (CPUID leaf-2 descriptor, size code), largest cache first, ended by one
// 0 byte. A size code c stands for (c >> 4) * 2^((c & 15) + 18) bytes.
constexpr int kCacheDescriptorTableBytes = 28 * 2 + 1;
extern const std::uint8_t dspCacheDescriptorTable[kCacheDescriptorTableBytes];

// The largest listed cache in bytes, 0 when there is none: the vendor is not
// "GenuineIntel", leaf 2 needs more than one query, or no descriptor is listed.
// Reads CPUID on every call; for diagnostics and tests.
std::int64_t dspReadLargestCacheSize();

// dspReadLargestCacheSize's answer, read on the first call and remembered. Any
// thread, wait-free: first callers that race each read CPUID (all get the same
// answer, none waits); every later call is one relaxed load.
std::int64_t dspLargestCacheSize();

// What dspLargestCacheSize answers from now on: a size in bytes, 0 for none, or
// kCacheSizeUnread to read CPUID again on the next call. Lets tests and
// benchmarks run the streaming paths on processors that list no cache.
constexpr std::int64_t kCacheSizeUnread = -1;
void dspSetLargestCacheSize(std::int64_t bytes);
