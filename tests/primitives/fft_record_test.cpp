#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "primitives/dispatch/cpu_classes.h"
#include "primitives/dispatch/status.h"
#include "primitives/fft/real_fft.h"
#include "primitives/memory/memory.h"
#include "tests/primitives/fft_test_record.h"
#include "tests/support/alloc_hooks.h"
#include "tests/support/cpu_class.h"
#include "tests/support/guarded_buffer.h"

namespace {

using ffttest::kLastInCacheOrder;
using ffttest::querySizes;
using ffttest::Sizes;


std::uintptr_t address(const void* p) { return reinterpret_cast<std::uintptr_t>(p); }

class RealFftSpecRecord : public dsptest::EveryCpuClass {};

TEST_P(RealFftSpecRecord, BuildsInBlocksOfExactlyTheQueriedSizeBeforeAnInaccessiblePage)
{
    for (int order = 0; order <= kLastInCacheOrder[GetParam()]; ++order) {
        SCOPED_TRACE(testing::Message() << "order " << order);
        const Sizes sizes = querySizes(order);
        dsptest::GuardedBuffer block(sizes.spec);
        dsptest::GuardedBuffer scratch(sizes.scratch);
        dspRealFftSpec* spec = nullptr;
        ASSERT_EQ(dspRealFftInit(&spec, order, dspFftScaleNone, 1, block.data(),
                                 sizes.scratch > 0 ? scratch.data() : nullptr),
                  dspOk);
        EXPECT_EQ(address(spec) % 32, 0u);
        EXPECT_EQ(spec->workSize, sizes.work > 0 ? sizes.work - 32 : 0);
    }
}

// The guard page fixes where the block ends, so the alignment slack is probed
// with sentinel bytes around blocks that start at every offset from 32 bytes.
TEST_P(RealFftSpecRecord, StaysInsideItsBlockAndScratchWhateverTheirAlignment)
{
    constexpr unsigned char kSentinel = 0xA5;
    for (int order = 0; order <= kLastInCacheOrder[GetParam()]; ++order) {
        const Sizes sizes = querySizes(order);
        for (int offset = 0; offset < 32; offset += order > 12 ? 7 : 1) {
            SCOPED_TRACE(testing::Message() << "order " << order << " offset " << offset);
            std::vector<unsigned char> blockArea(sizes.spec + 128, kSentinel);
            std::vector<unsigned char> scratchArea(sizes.scratch + 128, kSentinel);
            unsigned char* blockStart = blockArea.data() + (64 - address(blockArea.data()) % 32) + offset;
            unsigned char* scratchStart = scratchArea.data() + (64 - address(scratchArea.data()) % 32) + offset;
            dspRealFftSpec* spec = nullptr;
            ASSERT_EQ(dspRealFftInit(&spec, order, dspFftScaleNone, 1, blockStart, scratchStart), dspOk);
            for (unsigned char* p = blockArea.data(); p != blockArea.data() + blockArea.size(); ++p) {
                if (p < blockStart || p >= blockStart + sizes.spec) {
                    ASSERT_EQ(*p, kSentinel) << "block byte " << (p - blockStart);
                }
            }
            for (unsigned char* p = scratchArea.data(); p != scratchArea.data() + scratchArea.size(); ++p) {
                if (p < scratchStart || p >= scratchStart + sizes.scratch) {
                    ASSERT_EQ(*p, kSentinel) << "scratch byte " << (p - scratchStart);
                }
            }
        }
    }
}

TEST_P(RealFftSpecRecord, StoresOrderHintAndScalingOfEveryFlag)
{
    for (int order : {0, 3, 4, 10}) {
        const double n = std::ldexp(1.0, order);
        struct Expected {
            int flag, forward, inverse;
            float factor;
        } const cases[] = {
            {dspFftScaleNone, 0, 0, 0.0f},
            {dspFftScaleSymmetric, 1, 1, static_cast<float>(1.0 / std::sqrt(n))},
            {dspFftScaleForward, 1, 0, static_cast<float>(1.0 / n)},
            {dspFftScaleInverse, 0, 1, static_cast<float>(1.0 / n)},
        };
        for (const Expected& e : cases) {
            dspRealFftSpec* spec = nullptr;
            ASSERT_EQ(dspRealFftCreate(&spec, order, e.flag, 77), dspOk);
            EXPECT_EQ(spec->magic, dspRealFftSpecMagic);
            EXPECT_EQ(spec->order, order);
            EXPECT_EQ(spec->hint, 77);
            EXPECT_EQ(spec->owned, 1);
            EXPECT_EQ(spec->scaleForward, e.forward);
            EXPECT_EQ(spec->scaleInverse, e.inverse);
            EXPECT_EQ(spec->scaleFactor, e.factor);
            EXPECT_EQ(spec->unused, 0);
            EXPECT_EQ(spec->finalTwiddles, 0u);
            EXPECT_EQ(dspRealFftFree(spec), dspOk);
        }
    }
    dspRealFftSpec* spec = nullptr;
    ASSERT_EQ(dspRealFftCreate(&spec, 4, dspFftScaleSymmetric, 1), dspOk);
    EXPECT_EQ(spec->scaleFactor, 0.25f);
    EXPECT_EQ(dspRealFftFree(spec), dspOk);
}

TEST_P(RealFftSpecRecord, SmallOrdersHaveNoTablesAndNoWork)
{
    for (int order = 0; order <= 3; ++order) {
        dspRealFftSpec* spec = nullptr;
        ASSERT_EQ(dspRealFftCreate(&spec, order, dspFftScaleNone, 1), dspOk);
        const std::uint32_t* tables = &spec->bitReverseTable;
        for (int word = 0; word < 12; ++word)
            EXPECT_EQ(tables[word], 0u) << "table word " << 9 + word;
        EXPECT_EQ(spec->workSize, 0);
        int size = -1;
        EXPECT_EQ(dspRealFftBufferSize(spec, &size), dspOk);
        EXPECT_EQ(size, 0);
        EXPECT_EQ(dspRealFftFree(spec), dspOk);
    }
}

TEST_P(RealFftSpecRecord, BufferSizeIsTheWorkSizePlusAlignmentSlack)
{
    for (int order = 4; order <= kLastInCacheOrder[GetParam()]; ++order) {
        dspRealFftSpec* spec = nullptr;
        ASSERT_EQ(dspRealFftCreate(&spec, order, dspFftScaleNone, 1), dspOk);
        int size = -1;
        EXPECT_EQ(dspRealFftBufferSize(spec, &size), dspOk);
        EXPECT_EQ(size, querySizes(order).work);
        EXPECT_EQ(size, spec->workSize > 0 ? spec->workSize + 32 : 0);
        EXPECT_EQ(dspRealFftFree(spec), dspOk);
    }
}

TEST_P(RealFftSpecRecord, InitChecksInTheirOrderAndARefusedFlagLeavesMagicZero)
{
    alignas(32) unsigned char block[512];
    dspRealFftSpec* out = nullptr;
    EXPECT_EQ(dspRealFftInit(nullptr, 31, 3, 1, nullptr, nullptr), dspErrNullPointer);
    EXPECT_EQ(dspRealFftInit(&out, 31, 3, 1, nullptr, nullptr), dspErrFftOrder);
    EXPECT_EQ(dspRealFftInit(&out, -1, dspFftScaleNone, 1, block, nullptr), dspErrFftOrder);
    EXPECT_EQ(dspRealFftInit(&out, 4, 3, 1, nullptr, nullptr), dspErrNullPointer);

    std::memset(block, 0xFF, sizeof block);
    EXPECT_EQ(dspRealFftInit(&out, 4, 3, 5, block, nullptr), dspErrFftScaling);
    const auto* refused = reinterpret_cast<const dspRealFftSpec*>(block);
    EXPECT_EQ(refused->magic, 0);
    EXPECT_EQ(refused->order, 4);
    EXPECT_EQ(refused->hint, 5);
    EXPECT_EQ(refused->owned, 0);
    EXPECT_EQ(refused->bitReverseTable, 0u);
    EXPECT_EQ(out, nullptr);
    int size = 0;
    EXPECT_EQ(dspRealFftBufferSize(refused, &size), dspErrNotFftSpec);
}

TEST_P(RealFftSpecRecord, InitWithoutScratchAboveOrder10WritesNothing)
{
    const Sizes sizes = querySizes(11);
    std::vector<unsigned char> block(sizes.spec, 0x5A);
    dspRealFftSpec* out = nullptr;
    EXPECT_EQ(dspRealFftInit(&out, 11, dspFftScaleNone, 1, block.data(), nullptr), dspErrNullPointer);
    EXPECT_EQ(out, nullptr);
    for (unsigned char b : block)
        ASSERT_EQ(b, 0x5A);
    // Order 10 reads the constant sine table and needs no scratch.
    std::vector<unsigned char> small(querySizes(10).spec);
    EXPECT_EQ(dspRealFftInit(&out, 10, dspFftScaleNone, 1, small.data(), nullptr), dspOk);
}

TEST_P(RealFftSpecRecord, InitRefusesOrdersBeyond31BitsWithoutWriting)
{
    alignas(32) unsigned char block[256];
    std::memset(block, 0x5A, sizeof block);
    dspRealFftSpec* out = nullptr;
    EXPECT_EQ(dspRealFftInit(&out, 28, dspFftScaleNone, 1, block, block), dspErrNoMemory);
    EXPECT_EQ(out, nullptr);
    for (unsigned char b : block)
        ASSERT_EQ(b, 0x5A);
}

TEST_P(RealFftSpecRecord, FreeInvalidatesCallerMemoryAndRefusesASecondFree)
{
    std::vector<unsigned char> block(querySizes(6).spec);
    dspRealFftSpec* spec = nullptr;
    ASSERT_EQ(dspRealFftInit(&spec, 6, dspFftScaleNone, 1, block.data(), nullptr), dspOk);
    EXPECT_EQ(spec->owned, 0);
    EXPECT_EQ(dspRealFftFree(spec), dspOk);
    EXPECT_EQ(spec->magic, 0);
    EXPECT_EQ(dspRealFftFree(spec), dspErrNotFftSpec);
    EXPECT_EQ(dspRealFftFree(nullptr), dspErrNullPointer);
    int size = 0;
    EXPECT_EQ(dspRealFftBufferSize(nullptr, &size), dspErrNullPointer);
    dspRealFftSpec* valid = nullptr;
    ASSERT_EQ(dspRealFftInit(&valid, 6, dspFftScaleNone, 1, block.data(), nullptr), dspOk);
    EXPECT_EQ(dspRealFftBufferSize(valid, nullptr), dspErrNullPointer);
}

// Every allocation of the library counted, and refused where a test says.
class RealFftSpecCreation : public dsptest::EveryCpuClass {
protected:
    dsptest::CountingAllocHooks hooks;
};

TEST_P(RealFftSpecCreation, ReleasesTheScratchAtOnceAndTheBlockOnFree)
{
    dspRealFftSpec* spec = nullptr;
    ASSERT_EQ(dspRealFftCreate(&spec, 11, dspFftScaleNone, 1), dspOk);
    EXPECT_EQ(hooks.allocations, 2);
    EXPECT_EQ(hooks.releases, 1);
    EXPECT_EQ(dspRealFftFree(spec), dspOk);
    EXPECT_EQ(hooks.releases, 2);

    ASSERT_EQ(dspRealFftCreate(&spec, 10, dspFftScaleNone, 1), dspOk);  // no scratch below order 11
    EXPECT_EQ(hooks.allocations, 3);
    EXPECT_EQ(dspRealFftFree(spec), dspOk);
    EXPECT_EQ(hooks.releases, 3);
}

TEST_P(RealFftSpecCreation, AnAllocationFailureLeavesOutUntouchedAndNothingAllocated)
{
    for (int failAt : {0, 1}) {
        hooks.allocations = hooks.releases = 0;
        hooks.failFrom = failAt;
        auto* const untouched = reinterpret_cast<dspRealFftSpec*>(std::uintptr_t{0x1234});
        dspRealFftSpec* spec = untouched;
        EXPECT_EQ(dspRealFftCreate(&spec, 11, dspFftScaleNone, 1), dspErrNoMemory);
        EXPECT_EQ(spec, untouched);
        EXPECT_EQ(hooks.releases, failAt);
    }
}

TEST_P(RealFftSpecCreation, ChecksOutOrderAndFlagBeforeAllocating)
{
    dspRealFftSpec* spec = nullptr;
    EXPECT_EQ(dspRealFftCreate(nullptr, 31, 3, 1), dspErrNullPointer);
    EXPECT_EQ(dspRealFftCreate(&spec, 31, 3, 1), dspErrFftOrder);
    EXPECT_EQ(dspRealFftCreate(&spec, -1, dspFftScaleNone, 1), dspErrFftOrder);
    EXPECT_EQ(dspRealFftCreate(&spec, 5, 0, 1), dspErrFftScaling);
    EXPECT_EQ(dspRealFftCreate(&spec, 5, 16, 1), dspErrFftScaling);
    EXPECT_EQ(spec, nullptr);
    EXPECT_EQ(hooks.allocations, 0);
}

INSTANTIATE_FOR_EVERY_CPU_CLASS(RealFftSpecRecord);
INSTANTIATE_FOR_EVERY_CPU_CLASS(RealFftSpecCreation);

}  // namespace
