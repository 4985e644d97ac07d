#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "primitives/dispatch/cpu_classes.h"
#include "primitives/dispatch/status.h"
#include "primitives/fft/real_fft.h"
#include "primitives/fft/vector_steps.h"
#include "tests/primitives/fft_reference.h"
#include "tests/primitives/fft_test_record.h"
#include "tests/support/cpu_class.h"
#include "tests/support/float_bits.h"
#include "tests/support/placed_floats.h"

// The steps of the vector classes' real FFT that the large transforms also
// call: bit reversal, the complex passes in both output layouts, and the real
// split, whose bits must not depend on the class.
namespace {

using dsptest::bitsOf;
using dsptest::PlacedFloats;
using ffttest::Spec;

// Single-precision passes add about 2^-24 of relative error per level.
constexpr double kTolerance = 1e-6;

struct Steps {
    void (*bitReverseCopy)(const float*, float*, int, const std::int32_t*);
    void (*bitReverseInPlace)(float*, int, const std::int32_t*);
    void (*passes[2])(float*, int, const float*, float*, int);  // forward, inverse
    void (*forwardPost)(float*, int, const float*);
    void (*inversePre)(const float*, float*, int, const float*);
};

#define STEPS_OF(cls)                                                                                       \
    Steps                                                                                                   \
    {                                                                                                       \
        &cls::bitReverseCopy, &cls::bitReverseInPlace, {&cls::complexFftPasses, &cls::complexIfftPasses}, \
            &cls::realFftForwardPost, &cls::realFftInversePre                                               \
    }
const Steps kSteps[kCpuClassCount] = {{}, STEPS_OF(cls_sse), STEPS_OF(cls_sse2), STEPS_OF(cls_sse3),
                                      STEPS_OF(cls_ssse3), STEPS_OF(cls_sse41)};
#undef STEPS_OF

// H interleaved points moved to their bit-reversed positions.
std::vector<float> bitReversed(const std::vector<float>& points, int h)
{
    std::vector<float> out(points.size());
    for (std::uint32_t x = 0; x < (1u << h); ++x) {
        const std::uint32_t r = ffttest::reverseBits(x, h);
        out[2 * r] = points[2 * x];
        out[2 * r + 1] = points[2 * x + 1];
    }
    return out;
}

// Interleaved points as blocks of four real parts and four imaginary parts.
std::vector<double> splitBlocks(const std::vector<double>& points)
{
    std::vector<double> out(points.size());
    for (std::size_t p = 0; p < points.size() / 2; ++p) {
        const std::size_t block = p / 4 * 8, lane = p % 4;
        out[block + lane] = points[2 * p];
        out[block + 4 + lane] = points[2 * p + 1];
    }
    return out;
}

class VectorFftSteps : public dsptest::EveryCpuClass {
protected:
    const Steps& steps() const { return kSteps[GetParam()]; }
    int limit() const { return ffttest::kLastInCacheOrder[GetParam()] - 1; }  // h
};

// Class 1 lays its pair list only at its in-cache limit, classes 2 to 5 their
// index list at every size; signalling NaN patterns show any move that is not a plain copy.
TEST_P(VectorFftSteps, BitReversalMovesEveryBitPatternToItsReversedIndex)
{
    const int first = GetParam() == dspCpuSse ? limit() : 3;
    for (int h = first; h <= limit(); ++h) {
        const int n = 1 << h;
        const Spec spec(h + 1);
        std::vector<float> values(2 * n);
        for (int i = 0; i < 2 * n; ++i)
            values[i] = dsptest::floatOf(0x7F800001u + static_cast<std::uint32_t>(i));
        const std::vector<std::uint32_t> want = bitsOf(bitReversed(values, h));
        for (int offset : {0, 8, 4}) {
            SCOPED_TRACE(testing::Message() << "h " << h << " at +" << offset);
            PlacedFloats src(2 * n, offset), dst(2 * n, offset == 0 ? 0 : 12 - offset), data(2 * n, offset);
            src.fill(values);
            steps().bitReverseCopy(src.data(), dst.data(), n, spec.words(spec->bitReverseTable));
            EXPECT_EQ(bitsOf(dst.values()), want);
            EXPECT_TRUE(dst.tailIntact());
            data.fill(values);
            steps().bitReverseInPlace(data.data(), n, spec.words(spec->bitReverseTable));
            EXPECT_EQ(bitsOf(data.values()), want);
            EXPECT_TRUE(data.tailIntact());
        }
    }
}

// 16-byte-aligned data is its own working area; any other data goes through
// work, and both give the same bits.
TEST_P(VectorFftSteps, PassesGiveTheDftInterleavedOrInBlocksWhateverTheAlignment)
{
    const int first = GetParam() == dspCpuSse ? 3 : 5;
    for (int h = first; h <= limit(); ++h) {
        const int n = 1 << h;
        const Spec spec(h + 1);
        const std::vector<float> x = ffttest::randomSignal(2 * n, h);
        const std::vector<float> reversed = bitReversed(x, h);
        for (int direction = 0; direction < 2; ++direction) {
            const std::vector<double> want = ffttest::fftwComplexDft(x, direction == 0 ? -1 : +1);
            for (int interleave : {1, 0}) {
                std::vector<std::uint32_t> alignedBits;
                for (int offset : {0, 8, 4}) {
                    SCOPED_TRACE(testing::Message() << "h " << h << " direction " << direction << " interleave "
                                                    << interleave << " at +" << offset);
                    PlacedFloats data(2 * n, offset), work(2 * n, 0);
                    data.fill(reversed);
                    work.fill(std::vector<float>(2 * n, 7.0f));
                    steps().passes[direction](data.data(), n, spec.floats(spec->twiddles), work.data(), interleave);
                    EXPECT_LT(ffttest::relativeError(data.values(), interleave == 1 ? want : splitBlocks(want)),
                              kTolerance);
                    EXPECT_TRUE(data.tailIntact());
                    EXPECT_TRUE(work.tailIntact());
                    if (offset == 0) {
                        alignedBits = bitsOf(data.values());
                        EXPECT_EQ(work.values(), std::vector<float>(2 * n, 7.0f));
                    } else {
                        EXPECT_EQ(bitsOf(data.values()), alignedBits);
                    }
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(, VectorFftSteps, testing::ValuesIn(dsptest::supportedVectorClasses()), dsptest::classParamName);

// The real split of every vector class computes the same operations on the
// same values, whatever the lane order of its twiddle blocks.
TEST(VectorRealSplit, GivesTheSameBitsInEveryVectorClassInAndOutOfPlace)
{
    for (int h = 3; h <= 10; ++h) {
        const int n = 1 << h;
        const std::vector<float> z = ffttest::randomSignal(2 * n, h);
        std::vector<std::uint32_t> firstPost, firstPre, firstPreInPlace;
        for (int cls : dsptest::supportedVectorClasses()) {
            SCOPED_TRACE(testing::Message() << "h " << h << " class " << cls);
            const dsptest::ForcedCpuClass forced(cls);
            const Spec spec(h + 1);
            std::vector<float> post = z;
            kSteps[cls].forwardPost(post.data(), n, spec.floats(spec->forwardPostTwiddles));
            std::vector<float> pre(2 * n, 0.0f), preInPlace = z;
            kSteps[cls].inversePre(z.data(), pre.data(), n, spec.floats(spec->inversePreTwiddles));
            kSteps[cls].inversePre(preInPlace.data(), preInPlace.data(), n, spec.floats(spec->inversePreTwiddles));
            // Slot 0 belongs to the transform bodies: the steps leave it.
            EXPECT_EQ(bitsOf(post[0]), bitsOf(z[0]));
            EXPECT_EQ(bitsOf(post[1]), bitsOf(z[1]));
            EXPECT_EQ(pre[0], 0.0f);
            EXPECT_EQ(pre[1], 0.0f);
            if (firstPost.empty()) {
                firstPost = bitsOf(post);
                firstPre = bitsOf(pre);
                firstPreInPlace = bitsOf(preInPlace);
            } else {
                EXPECT_EQ(bitsOf(post), firstPost);
                EXPECT_EQ(bitsOf(pre), firstPre);
                EXPECT_EQ(bitsOf(preInPlace), firstPreInPlace);
            }
        }
    }
}

// The inverse step's middle slot: 2 Re and -2 Im, where class 1 forms -2 Im as
// 0 - 2 Im (a zero stays positive) and classes 2 to 5 flip the sign bit.
TEST(VectorRealSplit, FormsTheMiddleImaginaryPartFromZeroOnlyInClassOne)
{
    const int n = 8;
    std::vector<float> spectrum = ffttest::randomSignal(2 * n, 1);
    spectrum[n] = 1.5f;
    spectrum[n + 1] = 0.0f;
    for (int cls : dsptest::supportedVectorClasses()) {
        SCOPED_TRACE(testing::Message() << "class " << cls);
        const dsptest::ForcedCpuClass forced(cls);
        const Spec spec(4);  // H = 8 complex points
        std::vector<float> out(2 * n);
        kSteps[cls].inversePre(spectrum.data(), out.data(), n, spec.floats(spec->inversePreTwiddles));
        EXPECT_EQ(out[n], 3.0f);
        EXPECT_EQ(bitsOf(out[n + 1]), bitsOf(cls == dspCpuSse ? 0.0f : -0.0f));
    }
}

}  // namespace
