#include <cmath>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "primitives/dispatch/cpu_classes.h"
#include "primitives/dispatch/status.h"
#include "primitives/fft/real_fft.h"
#include "primitives/memory/memory.h"
#include "tests/primitives/fft_reference.h"
#include "tests/primitives/fft_test_record.h"
#include "tests/support/alloc_hooks.h"
#include "tests/support/cpu_class.h"
#include "tests/support/float_bits.h"

namespace {

using dsptest::bitsOf;
using ffttest::forwardScale;
using ffttest::inverseScale;
using ffttest::kScalingFlags;
using ffttest::Spec;

constexpr int kLastOrder = ffttest::kLastInCacheOrder[dspCpuGeneric];
const float kSqrtHalf = 0.70710677f;

std::vector<float> forward(const Spec& spec, std::vector<float> x)
{
    std::vector<float> out(x.size());
    EXPECT_EQ(dspRealFftForward(x.data(), out.data(), spec.get(), nullptr), dspOk);
    return out;
}

std::vector<float> inverse(const Spec& spec, std::vector<float> packed)
{
    std::vector<float> out(packed.size());
    EXPECT_EQ(dspRealFftInverse(packed.data(), out.data(), spec.get(), nullptr), dspOk);
    return out;
}

std::vector<float> nyquistLast(const Spec& spec, std::vector<float> x)
{
    EXPECT_EQ(dspRealFftForwardNyquistLastInPlace(x.data(), spec.get(), nullptr), dspOk);
    return x;
}

// The generic class is the reference; these tests run it whatever the processor.
class GenericRealFft : public testing::Test {
protected:
    dsptest::ForcedCpuClass generic{dspCpuGeneric};
};

// Float twiddles and float storage between the passes give under 1e-7 in
// relative L2 up to order 11; a single wrong twiddle gives far more than 1e-6.
constexpr double kRelativeTolerance = 1e-6;

TEST_F(GenericRealFft, ForwardMatchesTheDefinitionAndFftwAtEveryOrderAndFlag)
{
    for (int order = 0; order <= kLastOrder; ++order) {
        const int n = 1 << order;
        const std::vector<float> x = ffttest::randomSignal(n, 100 + order);
        const std::vector<long double> naive = ffttest::naiveForward(x);
        const std::vector<double> fftw = ffttest::fftwForward(x);
        for (int flag : kScalingFlags) {
            SCOPED_TRACE(testing::Message() << "order " << order << " flag " << flag);
            const Spec spec(order, flag);
            const std::vector<float> got = forward(spec, x);
            EXPECT_LT(ffttest::relativeError(got, naive, forwardScale(flag, n)), kRelativeTolerance);
            EXPECT_LT(ffttest::relativeError(got, fftw, forwardScale(flag, n)), kRelativeTolerance);
        }
    }
}

TEST_F(GenericRealFft, InverseMatchesTheDefinitionAndFftwAtEveryOrderAndFlag)
{
    for (int order = 0; order <= kLastOrder; ++order) {
        const int n = 1 << order;
        const std::vector<float> packed = ffttest::randomSignal(n, 200 + order);
        const std::vector<long double> naive = ffttest::naiveInverse(packed);
        const std::vector<double> fftw = ffttest::fftwInverse(packed);
        for (int flag : kScalingFlags) {
            SCOPED_TRACE(testing::Message() << "order " << order << " flag " << flag);
            const Spec spec(order, flag);
            const std::vector<float> got = inverse(spec, packed);
            EXPECT_LT(ffttest::relativeError(got, naive, inverseScale(flag, n)), kRelativeTolerance);
            EXPECT_LT(ffttest::relativeError(got, fftw, inverseScale(flag, n)), kRelativeTolerance);
        }
    }
}

TEST_F(GenericRealFft, ForwardThenInverseGivesNTimesTheInputOrTheFlagsScaling)
{
    for (int order = 0; order <= kLastOrder; ++order) {
        const int n = 1 << order;
        const std::vector<float> x = ffttest::randomSignal(n, 300 + order);
        for (int flag : kScalingFlags) {
            SCOPED_TRACE(testing::Message() << "order " << order << " flag " << flag);
            const Spec spec(order, flag);
            const std::vector<float> back = inverse(spec, forward(spec, x));
            const long double gain = flag == dspFftScaleNone ? n : 1.0L;
            EXPECT_LT(ffttest::relativeError(back, x, gain), kRelativeTolerance);
        }
    }
}

TEST_F(GenericRealFft, InPlaceAndOutOfPlaceGiveIdenticalBitsAndLeaveTheSourceAlone)
{
    for (int order = 0; order <= kLastOrder; ++order) {
        for (int flag : kScalingFlags) {
            SCOPED_TRACE(testing::Message() << "order " << order << " flag " << flag);
            const Spec spec(order, flag);
            const std::vector<float> x = ffttest::randomSignal(1 << order, 400 + order);
            const std::vector<float> copy = x;

            std::vector<float> separate(x.size()), inPlace = x;
            ASSERT_EQ(dspRealFftForward(x.data(), separate.data(), spec.get(), nullptr), dspOk);
            ASSERT_EQ(dspRealFftForward(inPlace.data(), inPlace.data(), spec.get(), nullptr), dspOk);
            EXPECT_EQ(bitsOf(separate), bitsOf(inPlace));
            EXPECT_EQ(bitsOf(x), bitsOf(copy));

            std::vector<float> back(x.size()), backInPlace = separate;
            const std::vector<float> spectrum = separate;
            ASSERT_EQ(dspRealFftInverse(separate.data(), back.data(), spec.get(), nullptr), dspOk);
            ASSERT_EQ(dspRealFftInverse(backInPlace.data(), backInPlace.data(), spec.get(), nullptr), dspOk);
            EXPECT_EQ(bitsOf(back), bitsOf(backInPlace));
            EXPECT_EQ(bitsOf(separate), bitsOf(spectrum));
        }
    }
}

TEST_F(GenericRealFft, NyquistLastIsABitExactPermutationOfNyquistSecond)
{
    for (int order = 0; order <= kLastOrder; ++order) {
        for (int flag : kScalingFlags) {
            SCOPED_TRACE(testing::Message() << "order " << order << " flag " << flag);
            const Spec spec(order, flag);
            const std::vector<float> x = ffttest::randomSignal(1 << order, 500 + order);
            std::vector<float> second = forward(spec, x);
            const std::vector<float> last = nyquistLast(spec, x);
            if (second.size() > 2) {
                const float nyquist = second[1];
                second.erase(second.begin() + 1);
                second.push_back(nyquist);
            }
            EXPECT_EQ(bitsOf(last), bitsOf(second));
        }
    }
}

TEST_F(GenericRealFft, WorkedExamplesOfTheSmallOrdersAreExactToTheSignOfZero)
{
    struct Example {
        int order;
        std::vector<float> x, second, last;
    };
    const std::vector<Example> examples = {
        {0, {-0.0f}, {-0.0f}, {-0.0f}},
        {1, {3.0f, 5.0f}, {8.0f, -2.0f}, {8.0f, -2.0f}},
        {2, {1, 2, 3, 4}, {10, -2, -2, 2}, {10, -2, 2, -2}},
        {3, {1, 0, 0, 0, 0, 0, 0, 0}, {1, 1, 1, -0.0f, 1, 0, 1, 0}, {1, 1, -0.0f, 1, 0, 1, 0, 1}},
        {3,
         {0, 1, 0, 0, 0, 0, 0, 0},
         {1, -1, kSqrtHalf, -kSqrtHalf, 0, -1, -kSqrtHalf, -kSqrtHalf},
         {1, kSqrtHalf, -kSqrtHalf, 0, -1, -kSqrtHalf, -kSqrtHalf, -1}},
    };
    for (const Example& e : examples) {
        SCOPED_TRACE(testing::Message() << "order " << e.order);
        const Spec spec(e.order, dspFftScaleNone);
        EXPECT_EQ(bitsOf(forward(spec, e.x)), bitsOf(e.second));
        EXPECT_EQ(bitsOf(nyquistLast(spec, e.x)), bitsOf(e.last));
    }
    const Spec order2(2, dspFftScaleNone);
    EXPECT_EQ(inverse(order2, {10, -2, -2, 2}), (std::vector<float>{4, 8, 12, 16}));
}

TEST_F(GenericRealFft, OrderZeroCopiesItsSampleBitForBitOrScalesByOne)
{
    const float signallingNan = dsptest::floatOf(0x7F800001u);
    const Spec unscaled(0, dspFftScaleNone);
    EXPECT_EQ(bitsOf(forward(unscaled, {signallingNan})[0]), 0x7F800001u);
    EXPECT_EQ(bitsOf(inverse(unscaled, {signallingNan})[0]), 0x7F800001u);
    EXPECT_EQ(bitsOf(nyquistLast(unscaled, {signallingNan})[0]), 0x7F800001u);
    for (int flag : {dspFftScaleForward, dspFftScaleSymmetric}) {
        const Spec scaled(0, flag);
        EXPECT_EQ(scaled.get()->scaleFactor, 1.0f);
        EXPECT_EQ(forward(scaled, {2.5f})[0], 2.5f);
    }
}

TEST_F(GenericRealFft, SimpleSignalsGiveTheirKnownSpectraAtEveryOrder)
{
    for (int order = 2; order <= kLastOrder; ++order) {
        SCOPED_TRACE(testing::Message() << "order " << order);
        const int n = 1 << order;
        const Spec spec(order, dspFftScaleNone);

        std::vector<float> impulse(n, 0.0f);
        impulse[0] = 1.0f;
        const std::vector<float> flat = forward(spec, impulse);
        for (int i = 0; i < n; ++i)
            ASSERT_EQ(flat[i], (i < 2 || i % 2 == 0) ? 1.0f : 0.0f) << i;  // zeros of either sign
        const std::vector<float> flatLast = nyquistLast(spec, impulse);
        for (int i = 0; i < n; ++i)
            ASSERT_EQ(flatLast[i], (i == 0 || i == n - 1 || i % 2 == 1) ? 1.0f : 0.0f) << i;

        const std::vector<float> dc = forward(spec, std::vector<float>(n, 1.0f));
        EXPECT_EQ(dc[0], static_cast<float>(n));
        for (int i = 1; i < n; ++i)
            ASSERT_EQ(dc[i], 0.0f) << i;

        std::vector<float> alternating(n);
        for (int i = 0; i < n; ++i)
            alternating[i] = i % 2 == 0 ? 1.0f : -1.0f;
        const std::vector<float> nyquist = forward(spec, alternating);
        EXPECT_EQ(nyquist[1], static_cast<float>(n));
        for (int i = 0; i < n; ++i) {
            if (i != 1) {
                ASSERT_EQ(nyquist[i], 0.0f) << i;
            }
        }

        // x(1) = 1: R(k) = cos(2 pi k/N), I(k) = -sin(2 pi k/N): the exponent is negative.
        std::vector<float> delayed(n, 0.0f);
        delayed[1] = 1.0f;
        const std::vector<float> rotation = forward(spec, delayed);
        EXPECT_EQ(rotation[0], 1.0f);
        EXPECT_EQ(rotation[1], -1.0f);
        for (int k = 1; k < n / 2; ++k) {
            const double angle = 6.283185307179586 * k / n;
            // A few float roundings of values at most 1.
            ASSERT_NEAR(rotation[2 * k], std::cos(angle), 3e-7) << k;
            ASSERT_NEAR(rotation[2 * k + 1], -std::sin(angle), 3e-7) << k;
        }
    }
}

TEST_F(GenericRealFft, ChecksSpecMagicSourceAndDestinationInThatOrderWithoutWriting)
{
    const Spec spec(5, dspFftScaleNone);
    std::vector<float> src(32, 1.0f), dst(32, 7.0f);
    EXPECT_EQ(dspRealFftForward(nullptr, nullptr, nullptr, nullptr), dspErrNullPointer);
    EXPECT_EQ(dspRealFftInverse(nullptr, nullptr, nullptr, nullptr), dspErrNullPointer);
    EXPECT_EQ(dspRealFftForwardNyquistLastInPlace(nullptr, nullptr, nullptr), dspErrNullPointer);

    std::vector<unsigned char> block(512);
    dspRealFftSpec* released = nullptr;
    ASSERT_EQ(dspRealFftInit(&released, 5, dspFftScaleNone, 1, block.data(), nullptr), dspOk);
    ASSERT_EQ(dspRealFftFree(released), dspOk);
    EXPECT_EQ(dspRealFftForward(nullptr, nullptr, released, nullptr), dspErrNotFftSpec);
    EXPECT_EQ(dspRealFftInverse(nullptr, nullptr, released, nullptr), dspErrNotFftSpec);
    EXPECT_EQ(dspRealFftForwardNyquistLastInPlace(nullptr, released, nullptr), dspErrNotFftSpec);
    EXPECT_EQ(dspRealFftForward(src.data(), dst.data(), released, nullptr), dspErrNotFftSpec);

    EXPECT_EQ(dspRealFftForward(nullptr, dst.data(), spec.get(), nullptr), dspErrNullPointer);
    EXPECT_EQ(dspRealFftForward(src.data(), nullptr, spec.get(), nullptr), dspErrNullPointer);
    EXPECT_EQ(dspRealFftInverse(nullptr, dst.data(), spec.get(), nullptr), dspErrNullPointer);
    EXPECT_EQ(dspRealFftInverse(src.data(), nullptr, spec.get(), nullptr), dspErrNullPointer);
    EXPECT_EQ(dspRealFftForwardNyquistLastInPlace(nullptr, spec.get(), nullptr), dspErrNullPointer);
    for (float v : dst)
        ASSERT_EQ(v, 7.0f);
}

// A record that asks for work memory, as the large orders' records do.
class GenericRealFftWork : public GenericRealFft {
protected:
    void SetUp() override { ASSERT_EQ(dspRealFftInit(&spec, 6, dspFftScaleNone, 1, block.data(), nullptr), dspOk); }

    std::vector<unsigned char> block = std::vector<unsigned char>(1024);
    dspRealFftSpec* spec = nullptr;
    dsptest::CountingAllocHooks hooks;
};

TEST_F(GenericRealFftWork, AGivenBufferIsNotTouchedWhenNoWorkIsNeeded)
{
    std::vector<unsigned char> buffer(256, 0xC3);
    std::vector<float> x = ffttest::randomSignal(64, 7), out(64);
    EXPECT_EQ(dspRealFftForward(x.data(), out.data(), spec, buffer.data() + 3), dspOk);
    EXPECT_EQ(dspRealFftInverse(out.data(), x.data(), spec, buffer.data() + 3), dspOk);
    for (unsigned char b : buffer)
        ASSERT_EQ(b, 0xC3);
    EXPECT_EQ(hooks.allocations, 0);
}

TEST_F(GenericRealFftWork, ANullBufferCostsOneAllocationAndReleasePerCall)
{
    spec->workSize = 96;
    std::vector<float> x = ffttest::randomSignal(64, 8), out(64);
    EXPECT_EQ(dspRealFftForward(x.data(), out.data(), spec, nullptr), dspOk);
    EXPECT_EQ(dspRealFftInverse(out.data(), x.data(), spec, nullptr), dspOk);
    EXPECT_EQ(dspRealFftForwardNyquistLastInPlace(x.data(), spec, nullptr), dspOk);
    EXPECT_EQ(hooks.allocations, 3);
    EXPECT_EQ(hooks.releases, 3);

    std::vector<unsigned char> buffer(96 + 32);
    EXPECT_EQ(dspRealFftForward(x.data(), out.data(), spec, buffer.data()), dspOk);
    EXPECT_EQ(hooks.allocations, 3);
}

TEST_F(GenericRealFftWork, AFailedWorkAllocationReturnsNoMemoryAndWritesNothing)
{
    spec->workSize = 96;
    hooks.failFrom = 0;
    std::vector<float> x = ffttest::randomSignal(64, 9), out(64, 7.0f);
    EXPECT_EQ(dspRealFftForward(x.data(), out.data(), spec, nullptr), dspErrNoMemory);
    EXPECT_EQ(dspRealFftInverse(x.data(), out.data(), spec, nullptr), dspErrNoMemory);
    for (float v : out)
        ASSERT_EQ(v, 7.0f);
    const std::vector<float> before = x;
    EXPECT_EQ(dspRealFftForwardNyquistLastInPlace(x.data(), spec, nullptr), dspErrNoMemory);
    EXPECT_EQ(bitsOf(x), bitsOf(before));
    // Orders 0 to 3 never need work memory.
    std::vector<unsigned char> smallBlock(256);
    dspRealFftSpec* small = nullptr;
    ASSERT_EQ(dspRealFftInit(&small, 3, dspFftScaleNone, 1, smallBlock.data(), nullptr), dspOk);
    small->workSize = 96;
    EXPECT_EQ(dspRealFftForward(x.data(), out.data(), small, nullptr), dspOk);
}

}  // namespace
