#include <xmmintrin.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "primitives/dispatch/cpu_classes.h"
#include "primitives/fft/fft_class.h"
#include "primitives/fft/fft_direction.h"
#include "primitives/fft/fft_bodies.h"
#include "primitives/fft/large_plan.h"
#include "primitives/fft/large_tables.h"
#include "primitives/fft/real_fft.h"
#include "primitives/fft/size_planning.h"
#include "primitives/fft/table_builders.h"
#include "primitives/fft/vector_steps.h"
#include "primitives/memory/memory.h"
#include "primitives/vector/vector_bodies.h"
#include "tests/primitives/fft_reference.h"
#include "tests/support/cpu_class.h"
#include "tests/support/float_bits.h"
#include "tests/support/guarded_buffer.h"

// The large paths of every class run over plans with small thresholds, so that
// splits two levels deep, rows on the block path inside splits and the tiled
// bit reversal run at sizes of a few thousand points: the shipped per-class
// bodies take the plan their record was laid for. Below, the kernels of the
// tiled and joined kits on their own, compiled here.

#include "primitives/fft/record_tables_inl.h"
#include "primitives/fft/vector_lanes.h"

namespace shrunk {

using dsp::fft::kNoH;
using dsp::fft::LargeFftPlan;

// Generic and sse: blocks at h 11 and 12; one split at 13 to 15 and 17 (rows
// of 1024 points in cache, or of 4096 on the block path); two at 16 and 18
// (rows split again, at 18 into block rows); three at 19 and 20.
//                                           h:  7  8  9 10 11 12 13 14 15 16 17 18 19 20 21 ..
constexpr std::int32_t kFourStepSplit[24] = {0, 0, 0, 0, 0, 0, 3, 4, 3, 3, 5, 3, 3, 4};
constexpr LargeFftPlan kFourStepPlan = {10, kFourStepSplit, nullptr, kNoH, kNoH, kNoH};

// Tiled: rows of up to 128 points in cache; even and odd splits, tiles of 8 to
// 128 columns; rows split again from h 12 and twice at h 16; tiles gathered from
// the source at h 12 and 13, copied first from h 14.
constexpr std::int32_t kTiledSplit[24] = {0, 2, 3, 3, 4, 4, 5, 3, 4, 3};
constexpr std::int32_t kTiledBatch[24] = {0, 5, 7, 6, 9, 9, 8, 10, 11, 10};
constexpr LargeFftPlan kTiledPlan = {7, kTiledSplit, kTiledBatch, 12, 12, 13};

}  // namespace shrunk

namespace sse_kit {
using cls_sse::bitReverseCopy;
using cls_sse::bitReverseInPlace;
using cls_sse::complexFftPasses;
using cls_sse::complexIfftPasses;
using cls_sse::mulConstInPlace;
#include "primitives/fft/large_driver.h"
#include "primitives/fft/large_join_kit.h"
}  // namespace sse_kit

namespace sse2_kit {
using cls_sse2::bitReverseCopy;
using cls_sse2::bitReverseInPlace;
using cls_sse2::complexFftPasses;
using cls_sse2::complexIfftPasses;
using cls_sse2::copyBytes;
using cls_sse2::mulConstInPlace;
#include "primitives/fft/large_driver.h"
#include "primitives/fft/large_tile_kit.h"
}  // namespace sse2_kit

namespace {

using dsp::fft::FftClass;
using dsptest::bitsOf;
using LargeFn = void (*)(const dspRealFftSpec*, const float*, float*, int, void*);

// Float twiddles and float storage between the passes give under 2e-7 in
// relative L2 at these sizes; one wrong factor or misplaced column gives far
// more than 1e-6.
constexpr double kRelativeTolerance = 1e-6;

using LargeBody = void (*)(const dsp::fft::LargeFftPlan&, const dspRealFftSpec*, const float*, float*, int, void*);

struct LargeBodies {
    LargeBody forward;
    LargeBody inverse;
};

#define LARGE_BODIES_OF(cls) LargeBodies{&cls::complexFftLarge, &cls::complexIfftLarge}
const LargeBodies kBodies[kCpuClassCount] = {LARGE_BODIES_OF(cls_generic), LARGE_BODIES_OF(cls_sse),
                                             LARGE_BODIES_OF(cls_sse2),    LARGE_BODIES_OF(cls_sse3),
                                             LARGE_BODIES_OF(cls_ssse3),   LARGE_BODIES_OF(cls_sse41)};

struct ShrunkShapes {
    const dsp::fft::LargeFftPlan* plan;
    std::vector<int> hs;  // every shape of the plan
    int deepest;          // an h whose split reaches depth 2
};

const ShrunkShapes kFourStepShapes = {&shrunk::kFourStepPlan, {11, 12, 13, 14, 15, 16, 17, 18, 19}, 19};
const ShrunkShapes kTiledShapes = {&shrunk::kTiledPlan, {8, 9, 10, 11, 12, 13, 14, 15, 16}, 16};

const ShrunkShapes& shapesOf(int cls)
{
    return dsp::fft::fftClass(cls).largeTables == dsp::fft::LargeTableLayout::TiledSplit ? kTiledShapes
                                                                                         : kFourStepShapes;
}

std::int64_t roundUp32(std::int64_t bytes) { return (bytes + 31) & ~std::int64_t{31}; }

// A record of the large path of 2^h points laid for a class descriptor, in a
// block and a scratch of exactly the planned sizes, each followed by an
// inaccessible page; with its work buffer likewise.
class ShrunkSpec {
public:
    ShrunkSpec(const FftClass& cls, int h, int flag)
        : points(std::int64_t{1} << h),
          sizes(dspRealFftLargeSizes(cls, h)),
          tablesOffset(roundUp32(sizeof(dspRealFftSpec) + ((points + 35) & ~std::int64_t{31}))),
          block(tablesOffset + sizes.spec),
          scratch(((2 * points + 35) & ~std::int64_t{31}) + sizes.scratch)
    {
        spec = static_cast<dspRealFftSpec*>(block.data());
        std::memset(spec, 0, sizeof *spec);
        spec->magic = dspRealFftSpecMagic;
        spec->order = h + 1;
        spec->scaleForward = flag == dspFftScaleForward;
        spec->scaleInverse = flag == dspFftScaleInverse;
        spec->scaleFactor = flag == dspFftScaleNone ? 0.0f : static_cast<float>(1.0 / static_cast<double>(points));
        spec->bitReverseTable = sizeof(dspRealFftSpec);
        const int m = h + 1;
        void* scratchAfterBase = dspMakeBaseTwiddles(m, scratch.floats());
        const void* end = dspMakeLargeTables(cls, spec, h, scratch.floats(), m,
                                             static_cast<char*>(block.data()) + tablesOffset, scratchAfterBase);
        EXPECT_LE(static_cast<const char*>(end), static_cast<char*>(block.data()) + block.size());
        EXPECT_EQ(spec->workSize, sizes.work);
        work = std::make_unique<dsptest::GuardedBuffer>(spec->workSize);
    }

    const dspRealFftSpec* get() const { return spec; }
    void* workArea() const { return work->data(); }

private:
    std::int64_t points;
    dspFftSizes sizes;
    std::int64_t tablesOffset;
    dsptest::GuardedBuffer block;
    dsptest::GuardedBuffer scratch;
    std::unique_ptr<dsptest::GuardedBuffer> work;
    dspRealFftSpec* spec = nullptr;
};

class ShrunkLargePlan : public testing::TestWithParam<int> {
protected:
    const ShrunkShapes& shapes() const { return shapesOf(GetParam()); }

    // The class's descriptor with the shrunk plan in place of its own.
    FftClass descriptor() const
    {
        FftClass cls = dsp::fft::fftClass(GetParam());
        cls.directLimit = shapes().plan->directLimit;
        cls.large = shapes().plan;
        return cls;
    }

    void forward(const ShrunkSpec& spec, const float* src, float* dst, int h) const
    {
        kBodies[GetParam()].forward(*shapes().plan, spec.get(), src, dst, h, spec.workArea());
    }

    void inverse(const ShrunkSpec& spec, const float* src, float* dst, int h) const
    {
        kBodies[GetParam()].inverse(*shapes().plan, spec.get(), src, dst, h, spec.workArea());
    }
};

TEST_P(ShrunkLargePlan, EveryShapeMatchesFftwRoundTripsAndGivesTheSameBitsInPlace)
{
    for (int h : shapes().hs) {
        SCOPED_TRACE(testing::Message() << "h " << h);
        const int n = 1 << h;
        const ShrunkSpec spec(descriptor(), h, dspFftScaleNone);
        const std::vector<float> x = ffttest::randomSignal(2 * n, 500 + h);

        dsptest::GuardedBuffer spectrumArea(2 * n * sizeof(float));
        float* spectrum = spectrumArea.floats();
        forward(spec, x.data(), spectrum, h);
        const std::vector<float> got(spectrum, spectrum + 2 * n);
        EXPECT_LT(ffttest::relativeError(got, ffttest::fftwComplexDft(x, -1)), kRelativeTolerance);

        std::vector<float> inPlace = x;
        forward(spec, inPlace.data(), inPlace.data(), h);
        EXPECT_EQ(bitsOf(inPlace), bitsOf(got));

        std::vector<float> back(2 * n);
        inverse(spec, got.data(), back.data(), h);
        EXPECT_LT(ffttest::relativeError(back, x, n), kRelativeTolerance);
        inverse(spec, inPlace.data(), inPlace.data(), h);
        EXPECT_EQ(bitsOf(inPlace), bitsOf(back));
    }
}

TEST_P(ShrunkLargePlan, TheDeepestShapeSplitsTwiceAndScalesEveryPointOnce)
{
    const int h = shapes().deepest;
    const int n = 1 << h;
    const std::vector<float> x = ffttest::randomSignal(2 * n, 600 + h);
    const std::vector<double> reference = ffttest::fftwComplexDft(x, -1);
    for (int flag : {dspFftScaleForward, dspFftScaleInverse}) {
        SCOPED_TRACE(testing::Message() << "flag " << flag);
        const ShrunkSpec spec(descriptor(), h, flag);
        ASSERT_NE(spec.get()->stepTwiddles[2], 0u);
        std::vector<float> spectrum(2 * n), back(2 * n);
        forward(spec, x.data(), spectrum.data(), h);
        inverse(spec, spectrum.data(), back.data(), h);
        EXPECT_LT(ffttest::relativeError(spectrum, reference, flag == dspFftScaleForward ? 1.0L / n : 1.0L),
                  kRelativeTolerance);
        EXPECT_LT(ffttest::relativeError(back, x), kRelativeTolerance);
    }
}

INSTANTIATE_FOR_EVERY_CPU_CLASS(ShrunkLargePlan);

// ---- The kernels of the tiled classes on their own.

std::vector<float> rampOf(int floats)
{
    std::vector<float> values(floats);
    for (int i = 0; i < floats; ++i)
        values[i] = static_cast<float>(i);
    return values;
}

TEST(LargeTileKernels, TileBitReversalIsTheIndexReversalAtEveryAlignmentAndUndoesItself)
{
    constexpr int kPoints = 4096;
    std::vector<std::int32_t> pairTable(kPoints / 4 + 1);
    dspMakeBitReverseTable(12, pairTable.data());
    const std::vector<float> ramp = rampOf(2 * kPoints);
    for (int offset : {0, 2, 1}) {  // 16-byte, 8-byte and 4-byte aligned
        SCOPED_TRACE(testing::Message() << "offset " << offset << " floats");
        alignas(16) static float storage[2 * kPoints + 2];
        float* data = storage + offset;
        std::copy(ramp.begin(), ramp.end(), data);
        sse2_kit::large_fft::bitReverseBlock(data, kPoints, pairTable.data());
        for (int k = 0; k < kPoints; ++k) {
            const int from = static_cast<int>(ffttest::reverseBits(k, 12));
            ASSERT_EQ(data[2 * k], ramp[2 * from]) << "point " << k;
            ASSERT_EQ(data[2 * k + 1], ramp[2 * from + 1]) << "point " << k;
        }
        sse2_kit::large_fft::bitReverseBlock(data, kPoints, pairTable.data());
        EXPECT_TRUE(std::equal(ramp.begin(), ramp.end(), data));
    }
    float three[6] = {1, 2, 3, 4, 5, 6};
    sse2_kit::large_fft::bitReverseBlock(three, 3, pairTable.data());
    EXPECT_EQ(std::vector<float>(three, three + 6), (std::vector<float>{1, 2, 3, 4, 5, 6}));
}

TEST(LargeTileKernels, RowScatterInterleavesBlocksOfFourOnlyInModeOne)
{
    alignas(16) const float tile[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    float row[17] = {};
    sse2_kit::large_fft::scatterRows(row, tile, 8, 1, 8, 1);
    EXPECT_EQ(std::vector<float>(row, row + 8), (std::vector<float>{1, 5, 2, 6, 3, 7, 4, 8}));
    sse2_kit::large_fft::scatterRows(row + 1, tile, 8, 1, 8, 0);
    EXPECT_EQ(std::vector<float>(row + 1, row + 17), std::vector<float>(tile, tile + 16));

    // Gathering and scattering back with mode 0 restores a strided matrix exactly.
    const std::vector<float> matrix = ffttest::randomSignal(2 * 16 * 24, 7);
    alignas(16) float gathered[2 * 16 * 8];
    sse2_kit::large_fft::gatherRows(matrix.data() + 2 * 8, gathered, 24, 16, 8);
    std::vector<float> restored = matrix;
    for (int r = 0; r < 16; ++r)
        std::fill_n(restored.begin() + 2 * (24 * r + 8), 16, 0.0f);
    sse2_kit::large_fft::scatterRows(restored.data() + 2 * 8, gathered, 24, 16, 8, 0);
    EXPECT_EQ(bitsOf(restored), bitsOf(matrix));
}

// With unit factors one radix-4 group turns quarters (a, b, c, d) into
// (a+b+c+d, a-b-i(c-d), a+b-c-d, a-b+i(c-d)); the inverse swaps the signs of i.
TEST(LargeTileKernels, ARadix4PassWithUnitFactorsIsTheFourPointButterfly)
{
    constexpr int kLanes = 4;
    alignas(16) float twiddles[24];
    for (int f = 0; f < 24; ++f)
        twiddles[f] = (f / 4) % 2 == 0 ? 1.0f : 0.0f;  // cos lanes 1, -sin lanes 0
    // Quarter q, lane j (split layout: four re, then four im): a = 1 + 2i, b = 3 - i, c = -2 + 5i, d = 4 + 0.5i.
    const float re[4] = {1, 3, -2, 4}, im[4] = {2, -1, 5, 0.5f};
    alignas(16) float data[4 * 8];
    for (int q = 0; q < 4; ++q)
        for (int j = 0; j < kLanes; ++j) {
            data[8 * q + j] = re[q];
            data[8 * q + 4 + j] = im[q];
        }
    alignas(16) float out[4 * 8];
    sse2_kit::large_fft::radix4ColumnPass<FftDirection::Forward>(data, out, kLanes, 1, twiddles);
    // a+b+c+d = 6 + 6.5i; a-b = -2 + 3i; c-d = -6 + 4.5i; i(c-d) = -4.5 - 6i; a+b-c-d = 2 - 4.5i.
    const float forwardRe[4] = {6, -2 + 4.5f, 2, -2 - 4.5f}, forwardIm[4] = {6.5f, 3 + 6, -4.5f, 3 - 6};
    for (int q = 0; q < 4; ++q) {
        EXPECT_EQ(out[8 * q + 1], forwardRe[q]) << "quarter " << q;
        EXPECT_EQ(out[8 * q + 5], forwardIm[q]) << "quarter " << q;
    }
    sse2_kit::large_fft::radix4ColumnPass<FftDirection::Inverse>(data, out, kLanes, 1, twiddles);
    const float inverseRe[4] = {6, -2 - 4.5f, 2, -2 + 4.5f}, inverseIm[4] = {6.5f, 3 - 6, -4.5f, 3 + 6};
    for (int q = 0; q < 4; ++q) {
        EXPECT_EQ(out[8 * q + 2], inverseRe[q]) << "quarter " << q;
        EXPECT_EQ(out[8 * q + 6], inverseIm[q]) << "quarter " << q;
    }
}

// A join of 16 points with every stored factor 1: points 0 to 3 of the second
// half are added as they are, points 4 to 7 turned by -i (+i inverse).
TEST(LargeJoinKernels, TheSecondQuarterOfAJoinTurnsByMinusI)
{
    alignas(16) const float ones[8] = {1, 1, 1, 1, 0, 0, 0, 0};
    alignas(16) float data[32] = {};
    for (int j = 0; j < 8; ++j) {  // second half: b_j = 1 + 0i, first half zero
        data[16 + 8 * (j / 4) + j % 4] = 1.0f;
    }
    alignas(16) float forward[32];
    std::copy(data, data + 32, forward);
    sse_kit::large_fft::radix2CombinePass<FftDirection::Forward>(forward, 16, ones, 1);
    // Interleaved output: first half j < 4 gives (1, 0), 4 <= j < 8 gives (0, -1).
    EXPECT_EQ(forward[2 * 1], 1.0f);
    EXPECT_EQ(forward[2 * 1 + 1], 0.0f);
    EXPECT_EQ(forward[2 * 5], 0.0f);
    EXPECT_EQ(forward[2 * 5 + 1], -1.0f);
    EXPECT_EQ(forward[16 + 2 * 5 + 1], 1.0f);  // a - b' = 0 - (-i)
    alignas(16) float inverse[32];
    std::copy(data, data + 32, inverse);
    sse_kit::large_fft::radix2CombinePass<FftDirection::Inverse>(inverse, 16, ones, 1);
    EXPECT_EQ(inverse[2 * 5 + 1], 1.0f);
    EXPECT_EQ(inverse[16 + 2 * 5 + 1], -1.0f);
}

}  // namespace
