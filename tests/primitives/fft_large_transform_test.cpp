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
#include "primitives/dispatch/status.h"
#include "primitives/fft/real_fft.h"
#include "tests/primitives/fft_reference.h"
#include "tests/primitives/fft_test_record.h"
#include "tests/support/available_memory.h"
#include "tests/support/cpu_class.h"
#include "tests/support/float_bits.h"
#include "tests/support/guarded_buffer.h"
#include "tests/support/sanitizer_build.h"

// The real transforms of every class at the orders where its large path
// changes shape, against FFTW in double precision.
namespace {

using dsptest::bitsOf;
using ffttest::Spec;

#ifdef BRONDIL_ADDRESS_SANITIZER
constexpr int kLargestTestedOrder = 21;  // sanitized runs are slow; the shrunk plans cover the deep paths
#else
constexpr int kLargestTestedOrder = 24;
#endif

// Float twiddles and float storage between the passes give under 3e-7 in
// relative L2 up to order 24 in every class; one wrong factor or misplaced
// column gives far more than 1e-6.
constexpr double kRelativeTolerance = 1e-6;

struct ClassOrder {
    int cls;
    int order;
};

// Per class: the last in-cache orders, the block path and its joins, the first
// split, odd and even splits, the tiled bit reversal with and without a
// gather from the source, rows on the block path, rows split again.
const std::vector<int> kThresholdOrders[kCpuClassCount] = {
    {11, 12, 13, 14, 16, 22, 23, 24},
    {10, 11, 12, 13, 14, 22, 23, 24},
    {15, 16, 17, 18, 19, 20, 24},
    {16, 17, 18, 19, 22},
    {17, 18, 19, 20, 21, 22, 23},
    {17, 18, 19, 20, 21, 22, 23},
};

void PrintTo(const ClassOrder& c, std::ostream* os) { *os << dsptest::className(c.cls) << " order " << c.order; }

std::vector<ClassOrder> thresholdCases(int largestOrder)
{
    std::vector<ClassOrder> cases;
    for (int cls : dsptest::supportedClasses())
        for (int order : kThresholdOrders[cls])
            if (order <= largestOrder)
                cases.push_back({cls, order});
    return cases;
}

std::string caseName(const testing::TestParamInfo<ClassOrder>& info)
{
    return dsptest::className(info.param.cls) + "_Order" + std::to_string(info.param.order);
}

// Exactly the work the FFT record asks for, followed by an inaccessible page.
dsptest::GuardedBuffer guardedWorkBuffer(const Spec& spec)
{
    int bytes = 0;
    EXPECT_EQ(dspRealFftBufferSize(spec.get(), &bytes), dspOk);
    return dsptest::GuardedBuffer(bytes > 0 ? bytes - 32 : 0);
}

// N floats that end at an inaccessible page.
struct GuardedFloats {
    explicit GuardedFloats(const std::vector<float>& values) : buffer(values.size() * sizeof(float))
    {
        std::memcpy(buffer.data(), values.data(), values.size() * sizeof(float));
    }
    float* data() const { return buffer.floats(); }
    std::vector<float> values() const { return std::vector<float>(data(), data() + buffer.size() / sizeof(float)); }
    dsptest::GuardedBuffer buffer;
};

class LargeRealFftCase : public testing::TestWithParam<ClassOrder> {
protected:
    void SetUp() override { forced = std::make_unique<dsptest::ForcedCpuClass>(GetParam().cls); }
    void TearDown() override { forced.reset(); }

    int order() const { return GetParam().order; }
    int points() const { return 1 << GetParam().order; }

private:
    std::unique_ptr<dsptest::ForcedCpuClass> forced;
};

class LargeRealFft : public LargeRealFftCase {};

TEST_P(LargeRealFft, MatchesFftwRoundTripsAndGivesTheSameBitsInPlace)
{
    const Spec spec(order(), dspFftScaleNone);
    const dsptest::GuardedBuffer work = guardedWorkBuffer(spec);
    const std::vector<float> x = ffttest::randomSignal(points(), 1000 + order());

    GuardedFloats spectrum{std::vector<float>(points())};
    ASSERT_EQ(dspRealFftForward(x.data(), spectrum.data(), spec.get(), work.data()), dspOk);
    EXPECT_LT(ffttest::relativeError(spectrum.values(), ffttest::fftwForward(x)), kRelativeTolerance);

    GuardedFloats inPlace(x);
    ASSERT_EQ(dspRealFftForward(inPlace.data(), inPlace.data(), spec.get(), work.data()), dspOk);
    EXPECT_EQ(bitsOf(inPlace.values()), bitsOf(spectrum.values()));

    GuardedFloats back{std::vector<float>(points())};
    ASSERT_EQ(dspRealFftInverse(spectrum.data(), back.data(), spec.get(), work.data()), dspOk);
    EXPECT_LT(ffttest::relativeError(back.values(), x, points()), kRelativeTolerance);

    ASSERT_EQ(dspRealFftInverse(inPlace.data(), inPlace.data(), spec.get(), work.data()), dspOk);
    EXPECT_EQ(bitsOf(inPlace.values()), bitsOf(back.values()));
}

INSTANTIATE_TEST_SUITE_P(, LargeRealFft, testing::ValuesIn(thresholdCases(kLargestTestedOrder)), caseName);

// Details that do not change with the order, below the slowest orders.
class LargeRealFftDetails : public LargeRealFftCase {};

// The tile gathers and scatters and the passes over rows take any float
// alignment of the caller's arrays, and work the same values.
TEST_P(LargeRealFftDetails, MisalignedArraysGiveTheBitsOfAlignedOnes)
{
    const Spec spec(order(), dspFftScaleNone);
    const std::vector<float> x = ffttest::randomSignal(points(), 2000 + order());
    std::vector<float> aligned(points());
    ASSERT_EQ(dspRealFftForward(x.data(), aligned.data(), spec.get(), nullptr), dspOk);
    std::vector<float> alignedBack(points());
    ASSERT_EQ(dspRealFftInverse(aligned.data(), alignedBack.data(), spec.get(), nullptr), dspOk);

    for (int offset : {1, 2, 3}) {
        SCOPED_TRACE(testing::Message() << "offset " << offset << " floats");
        std::vector<float> source(points() + 4), destination(points() + 4);
        std::copy(x.begin(), x.end(), source.begin() + offset);
        ASSERT_EQ(dspRealFftForward(source.data() + offset, destination.data() + offset, spec.get(), nullptr), dspOk);
        EXPECT_EQ(bitsOf(std::vector<float>(destination.begin() + offset, destination.end() - 4 + offset)),
                  bitsOf(aligned));
        ASSERT_EQ(dspRealFftInverse(destination.data() + offset, destination.data() + offset, spec.get(), nullptr),
                  dspOk);
        EXPECT_EQ(bitsOf(std::vector<float>(destination.begin() + offset, destination.end() - 4 + offset)),
                  bitsOf(alignedBack));
    }
}

// Scaling runs inside the large path, once per row or block: a point scaled
// twice, or not at all, is off by the whole factor.
TEST_P(LargeRealFftDetails, ScalesEveryPointOnceInTheScaledDirection)
{
    const std::vector<float> x = ffttest::randomSignal(points(), 3000 + order());
    const std::vector<double> reference = ffttest::fftwForward(x);
    for (int flag : {dspFftScaleForward, dspFftScaleInverse, dspFftScaleSymmetric}) {
        SCOPED_TRACE(testing::Message() << "flag " << flag);
        const Spec spec(order(), flag);
        std::vector<float> spectrum(points()), back(points());
        ASSERT_EQ(dspRealFftForward(x.data(), spectrum.data(), spec.get(), nullptr), dspOk);
        ASSERT_EQ(dspRealFftInverse(spectrum.data(), back.data(), spec.get(), nullptr), dspOk);
        const long double scale = ffttest::forwardScale(flag, points());
        EXPECT_LT(ffttest::relativeError(spectrum, reference, scale), kRelativeTolerance);
        EXPECT_LT(ffttest::relativeError(back, x), kRelativeTolerance);
    }
}

INSTANTIATE_TEST_SUITE_P(, LargeRealFftDetails, testing::ValuesIn(thresholdCases(21)), caseName);

class LargestRealFft : public testing::TestWithParam<int> {};

// The largest orders whose record fits 31 bits: every class against one FFTW run.
TEST_P(LargestRealFft, EveryClassMatchesFftwAndRoundTrips)
{
#ifdef BRONDIL_ADDRESS_SANITIZER
    GTEST_SKIP() << "too slow under the sanitizers";
#endif
    constexpr std::size_t kNeeded = std::size_t{8} << 30;
    if (dsptest::availableMemoryBytes() < kNeeded)
        GTEST_SKIP() << "needs 8 GB of free memory";
    const int order = GetParam();
    const int n = 1 << order;
    const std::vector<float> x = ffttest::randomSignal(n, 4000 + order);
    const std::vector<double> reference = ffttest::fftwForward(x);
    std::vector<float> spectrum(n), back(n);
    for (int cls : dsptest::supportedClasses()) {
        SCOPED_TRACE(dsptest::className(cls));
        const dsptest::ForcedCpuClass forced(cls);
        const Spec spec(order, dspFftScaleNone);
        ASSERT_NE(spec.get(), nullptr);
        ASSERT_EQ(dspRealFftForward(x.data(), spectrum.data(), spec.get(), nullptr), dspOk);
        EXPECT_LT(ffttest::relativeError(spectrum, reference), kRelativeTolerance);
        ASSERT_EQ(dspRealFftInverse(spectrum.data(), back.data(), spec.get(), nullptr), dspOk);
        EXPECT_LT(ffttest::relativeError(back, x, n), kRelativeTolerance);
    }
}

INSTANTIATE_TEST_SUITE_P(, LargestRealFft, testing::Values(25, 26, 27),
                         [](const testing::TestParamInfo<int>& info) { return "Order" + std::to_string(info.param); });

}  // namespace
