// The audio thread allocates nothing once the effect runs. Every allocation of
// the test process goes through the counting functions below (not under
// AddressSanitizer or ThreadSanitizer, which bring their own allocators).
#include <atomic>
#include <cerrno>
#include <cstddef>
#include <ostream>

#include "tests/host/adapter_fixture.h"

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)

namespace {
__thread bool countingAllocations __attribute__((tls_model("initial-exec"))) = false;
std::atomic<long> allocationsCounted{0};
int* volatile allocationSink = nullptr;

void countAllocation()
{
    if (countingAllocations)
        allocationsCounted.fetch_add(1, std::memory_order_relaxed);
}
}  // namespace

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* block);

void* malloc(std::size_t size)
{
    countAllocation();
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size)
{
    countAllocation();
    return __libc_calloc(count, size);
}
void* realloc(void* block, std::size_t size)
{
    countAllocation();
    return __libc_realloc(block, size);
}
void* memalign(std::size_t alignment, std::size_t size)
{
    countAllocation();
    return __libc_memalign(alignment, size);
}
void* aligned_alloc(std::size_t alignment, std::size_t size)
{
    countAllocation();
    return __libc_memalign(alignment, size);
}
int posix_memalign(void** block, std::size_t alignment, std::size_t size)
{
    countAllocation();
    *block = __libc_memalign(alignment, size);
    return *block != nullptr ? 0 : ENOMEM;
}
void free(void* block) { __libc_free(block); }
}

namespace {

struct AllocationCase {
    const char* name;
    int inputs;
    int outputs;
    bool inPlace;
};

void PrintTo(const AllocationCase& shape, std::ostream* out) { *out << shape.name; }

class AdapterAllocationTest : public AdapterTest, public ::testing::WithParamInterface<AllocationCase> {};

TEST_P(AdapterAllocationTest, BlocksAllocateNothingOnceTheEffectRuns)
{
    const AllocationCase& shape = GetParam();
    constexpr int32_t block = 128;
    ASSERT_TRUE(makeEffect(shape.inputs, shape.outputs));
    host.resume(44100.0f, block);
    Channels in(shape.inputs, 3 * block), out(shape.outputs, 3 * block);
    float** outputs = shape.inPlace ? in.data() : out.data();
    // The first block after a resume may ask the host about the process level.
    host.process(in.data(), outputs, block);

    countingAllocations = true;
    allocationsCounted = 0;
    // The count sees what allocates (through a volatile, which the compiler cannot drop).
    allocationSink = new int(1);
    delete allocationSink;
    ASSERT_EQ(allocationsCounted.exchange(0), 1);
    for (int32_t frames : {block, block / 2, 3 * block, block})
        host.process(in.data(), outputs, frames);
    countingAllocations = false;
    EXPECT_EQ(allocationsCounted.load(), 0);
    EXPECT_EQ(probe->blocks, 7);
}

// 32 channels: the most the plug-in takes, and where the toolkit's buffer
// would make a channel list of its own for each new set of pointers.
INSTANTIATE_TEST_SUITE_P(Shapes, AdapterAllocationTest,
                         ::testing::Values(AllocationCase{"TwoByTwoSeparate", 2, 2, false},
                                           AllocationCase{"TwoByTwoInPlace", 2, 2, true},
                                           AllocationCase{"ThirtyTwoSeparate", 32, 32, false},
                                           AllocationCase{"ThirtyTwoInPlace", 32, 32, true}),
                         [](const ::testing::TestParamInfo<AllocationCase>& info) { return info.param.name; });

}  // namespace

#endif
