#include <cstddef>
#include <cstdint>
#include <cstring>

#include <gtest/gtest.h>
#include <sys/mman.h>

#include "primitives/dispatch/largest_cache.h"
#include "primitives/dispatch/status.h"
#include "primitives/vector/fill_copy.h"
#include "tests/support/available_memory.h"
#include "tests/support/cpu_class.h"

// Vectors of 2^29 floats and more pass 2^31 bytes: the work must still be whole.
namespace {

constexpr int kLength = (1 << 29) + 3;
constexpr std::size_t kBytes = static_cast<std::size_t>(kLength) * sizeof(float);

// Anonymous pages: the source's untouched pages read as zeros and cost nothing.
class Mapping {
public:
    explicit Mapping(std::size_t bytes) : bytes(bytes)
    {
        void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        address = p == MAP_FAILED ? nullptr : static_cast<float*>(p);
    }
    ~Mapping()
    {
        if (address != nullptr)
            munmap(address, bytes);
    }
    float* floats() const { return address; }

private:
    std::size_t bytes;
    float* address = nullptr;
};

// Positions either side of 2^29 floats (2^31 bytes), the ends, and one in every 2^24 floats.
template <typename Check>
void forEachProbe(Check check)
{
    for (std::size_t i : {std::size_t{0}, std::size_t{1}, std::size_t{1} << 28, (std::size_t{1} << 29) - 1,
                          std::size_t{1} << 29, static_cast<std::size_t>(kLength) - 1})
        check(i);
    for (std::size_t i = 12345; i < static_cast<std::size_t>(kLength); i += std::size_t{1} << 24)
        check(i);
}

TEST(FillCopyBeyondTwoGibibytes, EveryClassZerosAndCopiesTheWholeVector)
{
    // The destination is written whole; the source is touched only at the probes.
    if (dsptest::availableMemoryBytes() < kBytes + (std::size_t{1} << 30))
        GTEST_SKIP() << "needs about 3 GiB of free memory";
    Mapping source(kBytes);
    Mapping target(kBytes);
    if (source.floats() == nullptr || target.floats() == nullptr)
        GTEST_SKIP() << "could not map 2 GiB twice";
    float* const src = source.floats();
    float* const dst = target.floats();
    forEachProbe([&](std::size_t i) { src[i] = static_cast<float>(i % 1000) + 0.5f; });

    // Small enough that the non-temporal paths take these blocks too.
    dspSetLargestCacheSize(1 << 20);
    for (int cpuClass : dsptest::supportedClasses()) {
        dsptest::ForcedCpuClass forced(cpuClass);
        forEachProbe([&](std::size_t i) { dst[i] = -1.0f; });
        ASSERT_EQ(dspZero(dst, kLength), dspOk);
        forEachProbe([&](std::size_t i) { ASSERT_EQ(dst[i], 0.0f) << dsptest::className(cpuClass) << " at " << i; });
        ASSERT_EQ(dspCopy(src, dst, kLength), dspOk);
        forEachProbe([&](std::size_t i) {
            ASSERT_EQ(std::memcmp(&dst[i], &src[i], sizeof(float)), 0) << dsptest::className(cpuClass) << " at " << i;
        });
    }
    dspSetLargestCacheSize(kCacheSizeUnread);
}

}  // namespace
