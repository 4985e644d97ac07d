#include <atomic>
#include <cstdlib>
#include <new>
#include <random>

#include <gtest/gtest.h>

#include "primitives/memory/memory.h"
#include "tests/engine/convolution_fixture.h"
#include "tests/support/sanitizer_build.h"

// Every heap request of this test binary passes through these counters; they
// count only while a test has switched them on.
namespace {
std::atomic<bool> countingAllocations{false};
std::atomic<long> allocationCount{0};

void* countedAllocation(std::size_t bytes)
{
    if (countingAllocations.load(std::memory_order_relaxed))
        allocationCount.fetch_add(1, std::memory_order_relaxed);
    void* block = std::malloc(bytes == 0 ? 1 : bytes);
    if (block == nullptr)
        throw std::bad_alloc();
    return block;
}
}  // namespace

void* operator new(std::size_t bytes) { return countedAllocation(bytes); }
void* operator new[](std::size_t bytes) { return countedAllocation(bytes); }
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept
{
    try {
        return countedAllocation(bytes);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t bytes, const std::nothrow_t&) noexcept
{
    try {
        return countedAllocation(bytes);
    } catch (...) {
        return nullptr;
    }
}
// These replacements allocate with malloc, so free is their match; at -O1 GCC
// no longer sees that through the inlined new.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
#pragma GCC diagnostic pop

// Without a sanitizer, which brings its own, malloc itself is counted too.
#if !defined(BRONDIL_ADDRESS_SANITIZER) && !defined(BRONDIL_THREAD_SANITIZER)
extern "C" void* __libc_malloc(std::size_t bytes);
extern "C" void* __libc_calloc(std::size_t count, std::size_t bytes);
extern "C" void* __libc_realloc(void* block, std::size_t bytes);
extern "C" void* malloc(std::size_t bytes)
{
    if (countingAllocations.load(std::memory_order_relaxed))
        allocationCount.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(bytes);
}
extern "C" void* calloc(std::size_t count, std::size_t bytes)
{
    if (countingAllocations.load(std::memory_order_relaxed))
        allocationCount.fetch_add(1, std::memory_order_relaxed);
    return __libc_calloc(count, bytes);
}
extern "C" void* realloc(void* block, std::size_t bytes)
{
    if (countingAllocations.load(std::memory_order_relaxed))
        allocationCount.fetch_add(1, std::memory_order_relaxed);
    return __libc_realloc(block, bytes);
}
#endif

namespace {

using namespace enginetest;

// Counts the allocations made while run() runs on this thread.
template <typename Run>
long allocationsDuring(Run run)
{
    allocationCount = 0;
    countingAllocations = true;
    run();
    countingAllocations = false;
    return allocationCount.load();
}

struct AllocationCase {
    const char* name;
    EngineSettings settings;
};

class ProcessBlockAllocation : public testing::TestWithParam<AllocationCase> {};

TEST_P(ProcessBlockAllocation, ProcessBlockAllocatesNothingWhateverTheCallLengths)
{
    TestProcessor filter(2, 2, GetParam().settings);
    filter->prepareToPlay(48000.0, 256);
    filter.loadMatrix(std::vector<Channels>(2, Channels(2, decayingIr(3000, 4))));
    ASSERT_TRUE(filter->allCellsLoaded());

    // Buffers made before counting: the host owns them.
    std::vector<juce::AudioBuffer<float>> buffers;
    std::mt19937 random(5);
    std::uniform_int_distribution<int> length(0, 900);
    for (int call = 0; call < 200; ++call) {
        buffers.emplace_back(2, call % 3 == 0 ? 256 : length(random));
        buffers.back().clear();
        if (buffers.back().getNumSamples() > 0)
            buffers.back().setSample(0, 0, 1.0f);
    }
    juce::MidiBuffer midi;
    const long count = allocationsDuring([&] {
        for (auto& buffer : buffers) {
            const juce::ScopedLock lock(filter->getCallbackLock());
            filter->processBlock(buffer, midi);
        }
    });
    EXPECT_EQ(count, 0);

    // The silent path of an incomplete matrix allocates nothing either.
    filter->unloadCell(1, 1);
    const long silentCount = allocationsDuring([&] {
        const juce::ScopedLock lock(filter->getCallbackLock());
        filter->processBlock(buffers[0], midi);
    });
    EXPECT_EQ(silentCount, 0);
}

const AllocationCase kAllocationCases[] = {
    {"IrMulti", {1024, 0, 0, 1}},
    {"ZeroLatencyOneToOne", {1024, 0, 1, 2}},
};

INSTANTIATE_TEST_SUITE_P(, ProcessBlockAllocation, testing::ValuesIn(kAllocationCases),
                         [](const testing::TestParamInfo<AllocationCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(AllocationCounting, SeesAnAllocation)
{
    const long count = allocationsDuring([] {
        volatile auto* block = new int[4];
        delete[] block;
        std::free(std::malloc(16));
    });
    EXPECT_GE(count, 1);
}

}  // namespace
