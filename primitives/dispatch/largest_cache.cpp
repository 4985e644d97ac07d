#include "primitives/dispatch/largest_cache.h"

#include <array>
#include <atomic>
#include <cstddef>

#include "primitives/dispatch/cpu_detection.h"
#include "primitives/dispatch/cpu_info.h"

constexpr std::uint8_t dspCacheDescriptorTable[kCacheDescriptorTableBytes] = {
    0x4D, 0x16,                                                                      // 16 MiB
    0x4C, 0x34,                                                                      // 12 MiB
    0x4B, 0x15, 0x47, 0x15,                                                          // 8 MiB
    0x4E, 0x33, 0x4A, 0x33,                                                          // 6 MiB
    0x49, 0x14, 0x29, 0x14, 0x46, 0x14,                                              // 4 MiB
    0x48, 0x32,                                                                      // 3 MiB
    0x25, 0x13, 0x7D, 0x13, 0x85, 0x13, 0x45, 0x13,                                  // 2 MiB
    0x23, 0x12, 0x87, 0x12, 0x7C, 0x12, 0x78, 0x12, 0x84, 0x12, 0x44, 0x12,          // 1 MiB
    0x22, 0x11, 0x7B, 0x11, 0x80, 0x11, 0x86, 0x11, 0x3E, 0x11, 0x7F, 0x11, 0x83, 0x11,
    0x43, 0x11,                                                                      // 512 KiB
    0x00};

namespace {

// The table in the word pairs that the leaf-2 lookup walks.
constexpr auto descriptorWords = [] {
    std::array<std::uint32_t, kCacheDescriptorTableBytes> words{};
    for (std::size_t i = 0; i < words.size(); ++i)
        words[i] = dspCacheDescriptorTable[i];
    return words;
}();

std::int64_t bytesOfSizeCode(std::uint32_t code)
{
    return static_cast<std::int64_t>(code >> 4) << ((code & 15) + 18);
}

std::atomic<std::int64_t> rememberedSize{kCacheSizeUnread};

}  // namespace

std::int64_t dspReadLargestCacheSize()
{
    if (!dspHasCpuid() || !dspCheckCpuVendor())
        return 0;
    const std::int32_t code = dspLookupCacheDescriptor(descriptorWords.data());
    return code < 0 ? 0 : bytesOfSizeCode(static_cast<std::uint32_t>(code));
}

std::int64_t dspLargestCacheSize()
{
    std::int64_t size = rememberedSize.load(std::memory_order_relaxed);
    if (size != kCacheSizeUnread)
        return size;
    const std::int64_t read = dspReadLargestCacheSize();
    // An answer injected meanwhile wins over this read.
    if (rememberedSize.compare_exchange_strong(size, read, std::memory_order_relaxed))
        return read;
    return size;
}

void dspSetLargestCacheSize(std::int64_t bytes) { rememberedSize.store(bytes, std::memory_order_relaxed); }
