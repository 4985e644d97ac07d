// The audio thread allocates nothing once the effect runs (counted by
// allocation_counter.h, which counts nothing under AddressSanitizer or
// ThreadSanitizer).
#include <ostream>

#include "tests/host/adapter_fixture.h"
#include "tests/host/allocation_counter.h"
#include "tests/support/sanitizer_build.h"

#if !defined(BRONDIL_ADDRESS_SANITIZER) && !defined(BRONDIL_THREAD_SANITIZER)

namespace {

int* volatile allocationSink = nullptr;

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

    hosttest::takeAllocationCount();
    hosttest::countAllocationsOnThisThread(true);
    // The count sees what allocates (through a volatile, which the compiler cannot drop).
    allocationSink = new int(1);
    delete allocationSink;
    ASSERT_EQ(hosttest::takeAllocationCount(), 1);
    for (int32_t frames : {block, block / 2, 3 * block, block})
        host.process(in.data(), outputs, frames);
    hosttest::countAllocationsOnThisThread(false);
    EXPECT_EQ(hosttest::takeAllocationCount(), 0);
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
