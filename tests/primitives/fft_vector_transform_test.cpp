#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "primitives/dispatch/cpu_classes.h"
#include "primitives/dispatch/status.h"
#include "primitives/fft/real_fft.h"
#include "tests/primitives/fft_reference.h"
#include "tests/primitives/fft_test_record.h"
#include "tests/support/cpu_class.h"
#include "tests/support/float_bits.h"
#include "tests/support/placed_floats.h"

// The real FFT entries under each vector class (1 to 5), at every order up to
// one above the class's in-cache limit, compared with FFTW in double precision.
namespace {

using dsptest::bitsOf;
using dsptest::PlacedFloats;
using ffttest::Spec;


// Single-precision passes add about 2^-24 of relative error per level of the
// transform; 18 levels stay well below 1e-6.
constexpr double kTolerance = 1e-6;

// A caller's work buffer of the size the FFT record asks for, itself off every boundary.
class WorkBuffer {
public:
    explicit WorkBuffer(const dspRealFftSpec* spec)
    {
        EXPECT_EQ(dspRealFftBufferSize(spec, &bytes), dspOk);
        storage.resize(bytes + 4, kSentinel);
    }
    // 4 bytes past the allocator's 16-byte boundary.
    void* data() { return storage.data() + 4; }
    bool untouched() const
    {
        for (unsigned char b : storage)
            if (b != kSentinel)
                return false;
        return true;
    }

private:
    static constexpr unsigned char kSentinel = 0x5A;
    int bytes = 0;
    std::vector<unsigned char> storage;
};

// Source and destination offsets from a 32-byte boundary: each of 32, 8 mod 16
// and 4 mod 16 on each side.
struct Alignment {
    int src, dst;
};
constexpr Alignment kAlignments[] = {{0, 0}, {8, 4}, {4, 8}};

class VectorRealFft : public dsptest::EveryCpuClass {
protected:
    int lastOrder() const { return ffttest::kLastInCacheOrder[GetParam()]; }
};

TEST_P(VectorRealFft, ForwardAndInverseMatchFftwAtEveryOrderAndAlignment)
{
    for (int order = 0; order <= lastOrder(); ++order) {
        const int n = 1 << order;
        const Spec spec(order, dspFftScaleNone);
        const std::vector<float> x = ffttest::randomSignal(n, order);
        const std::vector<float> spectrum = ffttest::randomSignal(n, 100 + order);
        const std::vector<double> wantForward = ffttest::fftwForward(x);
        const std::vector<double> wantInverse = ffttest::fftwInverse(spectrum);
        for (const Alignment& a : kAlignments) {
            SCOPED_TRACE(testing::Message() << "order " << order << " src +" << a.src << " dst +" << a.dst);
            PlacedFloats src(n, a.src), dst(n, a.dst);
            WorkBuffer work(spec.get());
            src.fill(x);
            ASSERT_EQ(dspRealFftForward(src.data(), dst.data(), spec.get(), work.data()), dspOk);
            EXPECT_LT(ffttest::relativeError(dst.values(), wantForward), kTolerance);
            EXPECT_EQ(bitsOf(src.values()), bitsOf(x));

            src.fill(spectrum);
            ASSERT_EQ(dspRealFftInverse(src.data(), dst.data(), spec.get(), nullptr), dspOk);
            EXPECT_LT(ffttest::relativeError(dst.values(), wantInverse), kTolerance);
            EXPECT_EQ(bitsOf(src.values()), bitsOf(spectrum));
        }
    }
}

TEST_P(VectorRealFft, InPlaceGivesTheOutOfPlaceBitsForEveryTransform)
{
    for (int order = 0; order <= lastOrder(); ++order) {
        const int n = 1 << order;
        const Spec spec(order, dspFftScaleNone);
        const std::vector<float> x = ffttest::randomSignal(n, order);
        for (int offset : {0, 8, 4}) {
            SCOPED_TRACE(testing::Message() << "order " << order << " at +" << offset);
            PlacedFloats src(n, offset), dst(n, offset), data(n, offset);
            src.fill(x);
            ASSERT_EQ(dspRealFftForward(src.data(), dst.data(), spec.get(), nullptr), dspOk);
            const std::vector<float> forward = dst.values();
            data.fill(x);
            ASSERT_EQ(dspRealFftForward(data.data(), data.data(), spec.get(), nullptr), dspOk);
            EXPECT_EQ(bitsOf(data.values()), bitsOf(forward));

            ASSERT_EQ(dspRealFftInverse(src.data(), dst.data(), spec.get(), nullptr), dspOk);
            data.fill(x);
            ASSERT_EQ(dspRealFftInverse(data.data(), data.data(), spec.get(), nullptr), dspOk);
            EXPECT_EQ(bitsOf(data.values()), bitsOf(dst.values()));

            // NyquistLast: the forward spectrum with R(N/2) moved to the end.
            std::vector<float> moved = forward;
            if (n > 2) {
                moved.erase(moved.begin() + 1);
                moved.push_back(forward[1]);
            }
            data.fill(x);
            ASSERT_EQ(dspRealFftForwardNyquistLastInPlace(data.data(), spec.get(), nullptr), dspOk);
            EXPECT_EQ(bitsOf(data.values()), bitsOf(moved));
        }
    }
}

TEST_P(VectorRealFft, RoundTripsReturnTheSignalScaledAsTheFlagSays)
{
    for (int flag : ffttest::kScalingFlags)
        for (int order = 0; order <= lastOrder(); ++order) {
            SCOPED_TRACE(testing::Message() << "flag " << flag << " order " << order);
            const int n = 1 << order;
            const Spec scaled(order, flag);
            const std::vector<float> x = ffttest::randomSignal(n, order);
            std::vector<float> data = x;
            ASSERT_EQ(dspRealFftForward(data.data(), data.data(), scaled.get(), nullptr), dspOk);
            ASSERT_EQ(dspRealFftInverse(data.data(), data.data(), scaled.get(), nullptr), dspOk);
            const long double gain = flag == dspFftScaleNone ? n : 1;
            EXPECT_LT(ffttest::relativeError(data, std::vector<float>(x), gain), kTolerance);
        }
}

// Out of place into an aligned destination the transform works in the
// destination itself; at 8 and 16 complex points it works in registers.
TEST_P(VectorRealFft, LeavesTheWorkBufferAloneWhereTheDestinationServesAsWorkingArea)
{
    for (int order = 4; order <= lastOrder(); ++order) {
        SCOPED_TRACE(testing::Message() << "order " << order);
        const int n = 1 << order;
        const Spec spec(order, dspFftScaleNone);
        PlacedFloats src(n, 4), dst(n, 0);
        src.fill(ffttest::randomSignal(n, order));
        WorkBuffer work(spec.get());
        ASSERT_EQ(dspRealFftForward(src.data(), dst.data(), spec.get(), work.data()), dspOk);
        EXPECT_TRUE(work.untouched());
        if (order <= 5) {
            ASSERT_EQ(dspRealFftInverse(dst.data(), dst.data(), spec.get(), work.data()), dspOk);
            EXPECT_TRUE(work.untouched());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(, VectorRealFft, testing::ValuesIn(dsptest::supportedVectorClasses()), dsptest::classParamName);

}  // namespace
