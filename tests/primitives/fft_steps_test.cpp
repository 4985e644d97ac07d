#include <cmath>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "primitives/fft/generic_steps.h"
#include "primitives/fft/table_builders.h"
#include "tests/primitives/fft_reference.h"
#include "tests/support/float_bits.h"

// The generic class's steps on their own: bit reversal, radix passes and the
// closed forms of the smallest orders.
namespace {

using dsptest::bitsOf;
using ffttest::reverseBits;

// Values 0, 1, 2, ... as complex points (re = index, im = -index).
std::vector<float> indexedPoints(int n)
{
    std::vector<float> p(2 * n);
    for (int i = 0; i < n; ++i) {
        p[2 * i] = static_cast<float>(i);
        p[2 * i + 1] = -static_cast<float>(i);
    }
    return p;
}

std::vector<std::int32_t> pairTableFor(int h)
{
    std::vector<std::int32_t> table((1 << (h - 2)) + 8);
    dspMakeBitReverseTable(h, table.data());
    return table;
}

TEST(GenericBitReversal, SmallCopiesUseTheirFixedMoves)
{
    for (int n : {1, 2, 4}) {
        const std::vector<float> src = indexedPoints(n);
        std::vector<float> dst(2 * n, 99.0f);
        cls_generic::bitReverseCopy(src.data(), dst.data(), n, nullptr);
        for (int x = 0; x < n; ++x)
            EXPECT_EQ(dst[2 * reverseBits(x, n == 4 ? 2 : n == 2 ? 1 : 0)], src[2 * x]) << n << " " << x;
    }
}

TEST(GenericBitReversal, EightPointsInPlaceSwapOneWithFourAndThreeWithSix)
{
    std::vector<float> data = indexedPoints(8);
    const std::vector<std::int32_t> table = pairTableFor(3);
    cls_generic::bitReverseInPlace(data.data(), 8, table.data());
    const int expected[8] = {0, 4, 2, 6, 1, 5, 3, 7};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(data[2 * i], expected[i]);
}

TEST(GenericBitReversal, CopyAndInPlaceMoveEveryValueToItsReversedIndex)
{
    for (int h = 3; h <= 12; ++h) {
        const int n = 1 << h;
        const std::vector<std::int32_t> table = pairTableFor(h);
        const std::vector<float> src = ffttest::randomSignal(2 * n, h);
        std::vector<float> copied(2 * n), inPlace = src;
        cls_generic::bitReverseCopy(src.data(), copied.data(), n, table.data());
        cls_generic::bitReverseInPlace(inPlace.data(), n, table.data());
        for (int x = 0; x < n; ++x) {
            const int r = static_cast<int>(reverseBits(x, h));
            ASSERT_EQ(bitsOf(copied[2 * r]), bitsOf(src[2 * x]));
            ASSERT_EQ(bitsOf(copied[2 * r + 1]), bitsOf(src[2 * x + 1]));
        }
        EXPECT_EQ(bitsOf(inPlace), bitsOf(copied));
        cls_generic::bitReverseInPlace(inPlace.data(), n, table.data());
        EXPECT_EQ(bitsOf(inPlace), bitsOf(src));
    }
}

// The passes of n points, run as the transforms run them: reversal first.
std::vector<float> runPasses(std::vector<float> points, bool inverse)
{
    const int n = static_cast<int>(points.size() / 2);
    int h = 0;
    while ((1 << h) < n)
        ++h;
    const std::vector<std::int32_t> table = pairTableFor(h);
    std::vector<float> twiddles(6 * (n / 4 + 1) + 8);
    dspMakeComplexTwiddles(0, h, dspQuarterSineTable, 10, twiddles.data());
    cls_generic::bitReverseInPlace(points.data(), n, table.data());
    (inverse ? cls_generic::complexIfftPasses : cls_generic::complexFftPasses)(points.data(), n, twiddles.data());
    return points;
}

TEST(GenericComplexPasses, ComputeTheComplexDftInBothDirectionsFrom8To1024Points)
{
    for (int h = 3; h <= 10; ++h) {
        SCOPED_TRACE(testing::Message() << "points " << (1 << h));
        const std::vector<float> x = ffttest::randomSignal(2 << h, 600 + h);
        // Float storage between log2 n passes with float twiddles: about 1e-7 at 1024 points.
        EXPECT_LT(ffttest::relativeError(runPasses(x, false), ffttest::naiveComplexDft(x, -1)), 5e-7);
        EXPECT_LT(ffttest::relativeError(runPasses(x, true), ffttest::naiveComplexDft(x, +1)), 5e-7);
    }
}

TEST(GenericComplexPasses, AnImpulseGivesOnesAndASecondPointGivesTheDirectionsRotation)
{
    for (int h : {3, 4, 9, 10}) {
        const int n = 1 << h;
        std::vector<float> impulse(2 * n, 0.0f);
        impulse[0] = 1.0f;
        for (bool inverse : {false, true}) {
            const std::vector<float> ones = runPasses(impulse, inverse);
            for (int k = 0; k < n; ++k) {
                ASSERT_EQ(ones[2 * k], 1.0f);
                ASSERT_EQ(ones[2 * k + 1], 0.0f);
            }
        }
        std::vector<float> second(2 * n, 0.0f);
        second[2] = 1.0f;
        const std::vector<float> forward = runPasses(second, false), inverse = runPasses(second, true);
        EXPECT_NEAR(forward[3], -std::sin(6.283185307179586 / n), 1e-7);
        EXPECT_NEAR(inverse[3], std::sin(6.283185307179586 / n), 1e-7);
    }
}

TEST(GenericSmallFfts, GiveTheSameResultInPlace)
{
    const dspSmallFftTables& tables = cls_generic::smallFftTables;
    for (const dspSmallFftTable* table : {&tables.forward, &tables.inverse, &tables.nyquistLast}) {
        for (int order = 0; order <= 3; ++order) {
            const std::vector<float> x = ffttest::randomSignal(1 << order, 700 + order);
            std::vector<float> separate(x.size()), inPlace = x;
            table->unscaled[order](x.data(), separate.data());
            table->unscaled[order](inPlace.data(), inPlace.data());
            EXPECT_EQ(bitsOf(separate), bitsOf(inPlace));
            inPlace = x;
            table->scaled[order](x.data(), separate.data(), 0.375f);
            table->scaled[order](inPlace.data(), inPlace.data(), 0.375f);
            EXPECT_EQ(bitsOf(separate), bitsOf(inPlace));
        }
    }
}

TEST(GenericSmallFfts, EightPointInverseOfTheForwardGivesEightTimesTheSignal)
{
    const std::vector<float> x = ffttest::randomSignal(8, 11);
    std::vector<float> spectrum(8), back(8);
    cls_generic::smallFft8Forward(x.data(), spectrum.data());
    cls_generic::smallFft8Inverse(spectrum.data(), back.data());
    // Two closed forms of a few float roundings each.
    EXPECT_LT(ffttest::relativeError(back, x, 8.0L), 3e-7);
    cls_generic::smallFft8InverseScaled(spectrum.data(), back.data(), 0.125f);
    EXPECT_LT(ffttest::relativeError(back, x), 3e-7);
}

}  // namespace
