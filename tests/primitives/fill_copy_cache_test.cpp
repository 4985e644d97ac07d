#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "primitives/dispatch/cpu_classes.h"
#include "primitives/dispatch/cpu_identity.h"
#include "primitives/dispatch/largest_cache.h"
#include "primitives/dispatch/status.h"
#include "primitives/vector/fill_copy.h"
#include "tests/support/cpu_class.h"

namespace {

constexpr std::int64_t KiB = 1024;
constexpr std::int64_t MiB = 1024 * KiB;

// A processor whose leaf 0 and leaf 2 answers the test sets; every leaf-2 query is counted.
struct FakeCacheProcessor {
    bool hasCpuid = true;
    const char* vendor = "GenuineIntel";
    std::array<std::uint32_t, 4> leaf2{1, 0, 0, 0};
    std::atomic<int> leaf2Queries{0};
};
FakeCacheProcessor* fake = nullptr;

int fakeHasCpuid() { return fake->hasCpuid ? 1 : 0; }

void fakeCpuid(std::uint32_t regs[4], std::uint32_t leaf, std::uint32_t)
{
    regs[0] = regs[1] = regs[2] = regs[3] = 0;
    if (leaf == 0) {
        regs[0] = 2;
        std::memcpy(&regs[1], fake->vendor, 4);      // ebx
        std::memcpy(&regs[3], fake->vendor + 4, 4);  // edx
        std::memcpy(&regs[2], fake->vendor + 8, 4);  // ecx
    } else if (leaf == 2) {
        ++fake->leaf2Queries;
        for (int i = 0; i < 4; ++i)
            regs[i] = fake->leaf2[i];
    }
}

class LargestCache : public testing::Test {
protected:
    void SetUp() override
    {
        fake = &processor;
        saved = dspCpuIdentity;
        dspCpuIdentity = {fakeHasCpuid, fakeCpuid};
        dspSetLargestCacheSize(kCacheSizeUnread);
    }
    void TearDown() override
    {
        dspCpuIdentity = saved;
        dspSetLargestCacheSize(kCacheSizeUnread);
        fake = nullptr;
    }

    // Leaf 2 with the iteration count 1 in eax's low byte and the given descriptor bytes after it.
    void reportDescriptors(std::initializer_list<std::uint8_t> descriptors)
    {
        processor.leaf2 = {1, 0, 0, 0};
        int slot = 1;  // byte 0 of eax is the iteration count
        for (std::uint8_t d : descriptors) {
            processor.leaf2[slot / 4] |= static_cast<std::uint32_t>(d) << (8 * (slot % 4));
            ++slot;
        }
    }

    FakeCacheProcessor processor;
    dspCpuIdentitySource saved{};
};

TEST_F(LargestCache, EveryListedDescriptorGivesItsCacheSize)
{
    const std::pair<std::int64_t, std::vector<std::uint8_t>> sizes[] = {
        {16 * MiB, {0x4D}},
        {12 * MiB, {0x4C}},
        {8 * MiB, {0x4B, 0x47}},
        {6 * MiB, {0x4E, 0x4A}},
        {4 * MiB, {0x49, 0x29, 0x46}},
        {3 * MiB, {0x48}},
        {2 * MiB, {0x25, 0x7D, 0x85, 0x45}},
        {1 * MiB, {0x23, 0x87, 0x7C, 0x78, 0x84, 0x44}},
        {512 * KiB, {0x22, 0x7B, 0x80, 0x86, 0x3E, 0x7F, 0x83, 0x43}},
    };
    int rows = 0;
    for (const auto& [bytes, descriptors] : sizes) {
        for (std::uint8_t d : descriptors) {
            reportDescriptors({0x01, d, 0x30});
            EXPECT_EQ(dspReadLargestCacheSize(), bytes) << std::hex << int(d);
            ++rows;
        }
    }
    EXPECT_EQ(rows, 28);
    EXPECT_EQ(dspCacheDescriptorTable[kCacheDescriptorTableBytes - 1], 0);
}

TEST_F(LargestCache, TheLargestListedCacheWinsWhereverItsDescriptorStands)
{
    reportDescriptors({0x43, 0x2C, 0x49, 0x7D});
    EXPECT_EQ(dspReadLargestCacheSize(), 4 * MiB);
    processor.leaf2 = {0x00000001u, 0x00000043u, 0x4D000000u, 0x00220000u};
    EXPECT_EQ(dspReadLargestCacheSize(), 16 * MiB);
}

TEST_F(LargestCache, NoSizeWithoutAnIntelProcessorASingleQueryAndAListedDescriptor)
{
    reportDescriptors({0x49});
    ASSERT_EQ(dspReadLargestCacheSize(), 4 * MiB);

    processor.leaf2[1] = 0x80000049u;  // a register with bit 31 set holds no descriptors
    processor.leaf2[0] = 1;
    EXPECT_EQ(dspReadLargestCacheSize(), 0);

    reportDescriptors({0x49});
    processor.leaf2[0] |= 2;  // two queries needed
    EXPECT_EQ(dspReadLargestCacheSize(), 0);

    reportDescriptors({0x2C, 0x30, 0xFF});
    EXPECT_EQ(dspReadLargestCacheSize(), 0);

    reportDescriptors({0x49});
    processor.vendor = "AuthenticAMD";
    EXPECT_EQ(dspReadLargestCacheSize(), 0);
    processor.vendor = "GenuineIntel";
    processor.hasCpuid = false;
    EXPECT_EQ(dspReadLargestCacheSize(), 0);
}

TEST_F(LargestCache, IsReadOnceAndThenRememberedByEveryThread)
{
    reportDescriptors({0x4E});
    constexpr int kThreads = 8;
    std::vector<std::thread> threads;
    std::atomic<int> wrongAnswers{0};
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 1000; ++i)
                if (dspLargestCacheSize() != 6 * MiB)
                    ++wrongAnswers;
        });
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(wrongAnswers.load(), 0);
    // Callers that race to the first read may each read; none reads afterwards.
    const int reads = processor.leaf2Queries.load();
    EXPECT_GE(reads, 1);
    EXPECT_LE(reads, kThreads);
    EXPECT_EQ(dspLargestCacheSize(), 6 * MiB);
    EXPECT_EQ(processor.leaf2Queries.load(), reads);
}

TEST_F(LargestCache, AnInjectedSizeReplacesTheProcessorsAnswerUntilForgotten)
{
    reportDescriptors({0x49});
    dspSetLargestCacheSize(64 * KiB);
    EXPECT_EQ(dspLargestCacheSize(), 64 * KiB);
    dspSetLargestCacheSize(0);
    EXPECT_EQ(dspLargestCacheSize(), 0);
    EXPECT_EQ(processor.leaf2Queries.load(), 0);
    dspSetLargestCacheSize(kCacheSizeUnread);
    EXPECT_EQ(dspLargestCacheSize(), 4 * MiB);
}

// The wide kernels reach the query only for blocks past their minimum, and ask
// the processor only on the first such block.
TEST_F(LargestCache, LargeCopiesAndZerosAskTheProcessorOnlyOnce)
{
    reportDescriptors({0x49});
    std::vector<float> source(1 << 20, 1.5f);
    std::vector<float> target(1 << 20, 0.0f);
    std::vector<int> wideClasses;
    for (int cpuClass : dsptest::supportedClasses())
        if (cpuClass >= dspCpuSse2)
            wideClasses.push_back(cpuClass);
    for (int cpuClass : wideClasses) {
        dsptest::ForcedCpuClass forced(cpuClass);
        ASSERT_EQ(dspCopy(source.data(), target.data(), 1000), dspOk);
        ASSERT_EQ(dspZero(target.data(), 1000), dspOk);
    }
    EXPECT_EQ(processor.leaf2Queries.load(), 0) << "short blocks never ask";
    for (int cpuClass : wideClasses) {
        dsptest::ForcedCpuClass forced(cpuClass);
        for (int round = 0; round < 3; ++round) {
            ASSERT_EQ(dspCopy(source.data(), target.data(), 1 << 20), dspOk);
            ASSERT_EQ(target, source);
            ASSERT_EQ(dspZero(target.data(), 1 << 20), dspOk);
            ASSERT_EQ(target, std::vector<float>(1 << 20, 0.0f));
        }
    }
    EXPECT_EQ(processor.leaf2Queries.load(), 1);
}

}  // namespace
