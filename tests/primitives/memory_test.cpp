#include <climits>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include <gtest/gtest.h>

#include "primitives/memory/memory.h"
#include "tests/support/alloc_hooks.h"
#include "tests/support/cpu_class.h"

namespace {

// Records what the allocator hooks saw, and can be told to fail.
struct HookRecorder {
    static inline std::vector<void*> allocated;
    static inline std::vector<std::size_t> sizes;
    static inline std::vector<void*> released;
    static inline bool fail = false;
    static inline std::size_t misalignBy = 0;  // simulate an allocator with weak alignment

    static void* allocate(std::size_t bytes)
    {
        if (fail)
            return nullptr;
        sizes.push_back(bytes);
        char* raw = static_cast<char*>(std::malloc(bytes + misalignBy)) + misalignBy;
        allocated.push_back(raw);
        return raw;
    }
    static void release(void* raw)
    {
        released.push_back(raw);
        std::free(static_cast<char*>(raw) - misalignBy);
    }
};

class AlignedMemory : public dsptest::EveryCpuClass {
protected:
    void SetUp() override
    {
        EveryCpuClass::SetUp();
        HookRecorder::allocated.clear();
        HookRecorder::sizes.clear();
        HookRecorder::released.clear();
        HookRecorder::fail = false;
        HookRecorder::misalignBy = 0;
    }
    dsptest::SubstitutedAllocHooks hooks{HookRecorder::allocate, HookRecorder::release};
};

std::uintptr_t address(const void* p) { return reinterpret_cast<std::uintptr_t>(p); }

TEST_P(AlignedMemory, BlocksStartOn32BytesWithTheRawPointerInTheSlotBeforeThem)
{
    for (std::size_t misalign = 0; misalign < 32; ++misalign) {
        HookRecorder::misalignBy = misalign;
        for (int n : {1, 2, 3, 31, 32, 33, 1000}) {
            for (bool floats : {false, true}) {
                void* p = floats ? static_cast<void*>(dspAllocFloats(n)) : dspAllocBytes(n);
                ASSERT_NE(p, nullptr);
                EXPECT_EQ(address(p) % 32, 0u);
                void* raw = HookRecorder::allocated.back();
                EXPECT_EQ(*(static_cast<void**>(p) - 1), raw);
                const std::size_t payload = floats ? 4u * n : static_cast<std::size_t>(n);
                EXPECT_GE(address(p), address(raw) + sizeof(void*));
                // The payload lies wholly inside the raw block.
                EXPECT_LE(address(p) + payload, address(raw) + HookRecorder::sizes.back());
                dspFree(p);
                EXPECT_EQ(HookRecorder::released.back(), raw);
            }
        }
    }
}

TEST_P(AlignedMemory, CountsBelowOneGiveNullWithoutCallingTheAllocator)
{
    for (int n : {0, -1, -32, INT_MIN}) {
        EXPECT_EQ(dspAllocBytes(n), nullptr);
        EXPECT_EQ(dspAllocFloats(n), nullptr);
    }
    EXPECT_TRUE(HookRecorder::sizes.empty());
}

TEST_P(AlignedMemory, AFailingAllocatorGivesNull)
{
    HookRecorder::fail = true;
    EXPECT_EQ(dspAllocBytes(64), nullptr);
    EXPECT_EQ(dspAllocFloats(64), nullptr);
}

TEST_P(AlignedMemory, FreeingNullDoesNothing)
{
    dspFree(nullptr);
    EXPECT_TRUE(HookRecorder::released.empty());
}

TEST_P(AlignedMemory, TheLargestFloatCountAsksForItsFullSizeWithoutWrapping)
{
    // INT_MAX floats are 8 GiB: the request must say so, not a wrapped small size.
    dspAllocHooks.allocate = [](std::size_t bytes) -> void* {
        HookRecorder::sizes.push_back(bytes);
        return nullptr;
    };
    EXPECT_EQ(dspAllocFloats(INT_MAX), nullptr);
    EXPECT_EQ(dspAllocBytes(INT_MAX), nullptr);
    ASSERT_EQ(HookRecorder::sizes.size(), 2u);
    EXPECT_GE(HookRecorder::sizes[0], static_cast<std::size_t>(INT_MAX) * 4);
    EXPECT_GE(HookRecorder::sizes[1], static_cast<std::size_t>(INT_MAX));
}

INSTANTIATE_FOR_EVERY_CPU_CLASS(AlignedMemory);

}  // namespace
