#include <algorithm>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "primitives/dispatch/cpu_classes.h"
#include "primitives/dispatch/status.h"
#include "primitives/vector/arithmetic.h"
#include "tests/primitives/vector_test_support.h"
#include "tests/support/cpu_class.h"
#include "tests/support/float_bits.h"
#include "tests/support/guarded_buffer.h"

namespace {

using dsptest::bitsOf;
using dsptest::floatOf;
using vectortest::finiteValues;
using vectortest::GuardedWindow;

class Arithmetic : public dsptest::EveryCpuClass {};

// Every length up to the grouped loops (16 floats) and a few groups past them,
// around the switch from single elements (11) and the 8- and 16-float groups.
std::vector<int> shortLengths()
{
    std::vector<int> lengths;
    for (int len = 1; len <= 72; ++len)
        lengths.push_back(len);
    for (int len : {127, 128, 129, 255, 1000, 1001})
        lengths.push_back(len);
    return lengths;
}

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

TEST_P(Arithmetic, NullPointersComeBeforeLengthsAndErrorsTouchNothing)
{
    float data[3] = {-1.0f, 2.0f, -3.0f};
    const float source[3] = {4.0f, 5.0f, 6.0f};
    for (int len : {INT_MIN, -1, 0, 1, 3}) {
        EXPECT_EQ(dspAbsInPlace(nullptr, len), dspErrNullPointer) << len;
        EXPECT_EQ(dspAddInPlace(nullptr, data, len), dspErrNullPointer) << len;
        EXPECT_EQ(dspAddInPlace(source, nullptr, len), dspErrNullPointer) << len;
        EXPECT_EQ(dspAddInPlace(nullptr, nullptr, len), dspErrNullPointer) << len;
        for (float value : {0.0f, 1.0f, 2.0f})
            EXPECT_EQ(dspMulConstInPlace(value, nullptr, len), dspErrNullPointer) << len;
    }
    for (int len : {INT_MIN, -1, 0}) {
        EXPECT_EQ(dspAbsInPlace(data, len), dspErrLength) << len;
        EXPECT_EQ(dspAddInPlace(source, data, len), dspErrLength) << len;
        for (float value : {0.0f, 1.0f, 2.0f})
            EXPECT_EQ(dspMulConstInPlace(value, data, len), dspErrLength) << len;
    }
    EXPECT_EQ(data[0], -1.0f);
    EXPECT_EQ(data[1], 2.0f);
    EXPECT_EQ(data[2], -3.0f);
}

TEST_P(Arithmetic, AbsoluteValueClearsTheSignBitAtEveryOffsetAndLength)
{
    for (int len : shortLengths()) {
        for (std::size_t offset = 0; offset < 16; ++offset) {
            GuardedWindow data(len, offset);
            const auto input = finiteValues(len, len * 16 + offset);
            data.fill(input);
            ASSERT_EQ(dspAbsInPlace(data.data(), len), dspOk);
            for (int i = 0; i < len; ++i)
                ASSERT_EQ(data.getBits(i), bitsOf(input[i]) & 0x7FFFFFFFu) << len << " at " << offset << ", " << i;
            ASSERT_TRUE(data.canariesIntact()) << len << " at " << offset;
        }
    }
}

TEST_P(Arithmetic, AbsoluteValueTurnsNegativeZeroAndInfinityPositive)
{
    for (int len : {2, 12, 40}) {
        std::vector<float> data(len);
        for (int i = 0; i < len; ++i)
            data[i] = i % 2 == 0 ? -0.0f : -kInf;
        ASSERT_EQ(dspAbsInPlace(data.data(), len), dspOk);
        for (int i = 0; i < len; ++i)
            EXPECT_EQ(bitsOf(data[i]), bitsOf(i % 2 == 0 ? 0.0f : kInf)) << len << ", " << i;
    }
}

TEST_P(Arithmetic, AdditionMatchesFloatAdditionForEveryAlignmentOfBothArrays)
{
    for (int len : shortLengths()) {
        for (std::size_t dstOffset = 0; dstOffset < 16; ++dstOffset) {
            for (std::size_t srcOffset : {0, 4, 8, 12, 2}) {
                GuardedWindow src(len, srcOffset), dst(len, dstOffset);
                const auto a = finiteValues(len, len * 7 + srcOffset);
                const auto b = finiteValues(len, len * 11 + dstOffset + 99);
                src.fill(a);
                dst.fill(b);
                ASSERT_EQ(dspAddInPlace(src.data(), dst.data(), len), dspOk);
                for (int i = 0; i < len; ++i) {
                    ASSERT_EQ(dst.getBits(i), bitsOf(a[i] + b[i]))
                        << len << " floats, dst at " << dstOffset << ", src at " << srcOffset << ", element " << i;
                    ASSERT_EQ(src.get(i), a[i]);
                }
                ASSERT_TRUE(dst.canariesIntact() && src.canariesIntact());
            }
        }
    }
}

TEST_P(Arithmetic, AddingAnArrayToItselfDoublesIt)
{
    for (int len : {5, 11, 40, 1001}) {
        for (std::size_t offset : {0, 4, 8, 12, 3}) {
            GuardedWindow data(len, offset);
            const auto input = finiteValues(len, len + offset);
            data.fill(input);
            ASSERT_EQ(dspAddInPlace(data.data(), data.data(), len), dspOk);
            for (int i = 0; i < len; ++i)
                ASSERT_EQ(data.getBits(i), bitsOf(input[i] + input[i])) << len << " at " << offset << ", " << i;
        }
    }
}

TEST_P(Arithmetic, ScalingMatchesFloatMultiplicationAtEveryOffsetAndLength)
{
    for (float value : {0.5f, -3.0f, 1.0e-20f, 7.1e30f, -1.0000001f}) {
        for (int len : shortLengths()) {
            for (std::size_t offset = 0; offset < 16; ++offset) {
                GuardedWindow data(len, offset);
                const auto input = finiteValues(len, len * 16 + offset);
                data.fill(input);
                ASSERT_EQ(dspMulConstInPlace(value, data.data(), len), dspOk);
                for (int i = 0; i < len; ++i)
                    ASSERT_EQ(data.getBits(i), bitsOf(input[i] * value))
                        << value << " times " << len << " floats at " << offset << ", element " << i;
                ASSERT_TRUE(data.canariesIntact());
            }
        }
    }
}

TEST_P(Arithmetic, ScalingArraysLargerThanTheCachesGivesTheSameProducts)
{
    // Around the streaming bounds of the scaled groups: 131072 floats (classes 1 and 2), 262144 (3 to 5).
    for (int len : {131072 + 10, 131072 + 11, 131072 + 19, 262144 + 10, 262144 + 11, 262144 + 27}) {
        for (std::size_t offset : {0, 4, 1}) {
            GuardedWindow data(len, offset);
            const auto input = finiteValues(len, len + offset);
            data.fill(input);
            ASSERT_EQ(dspMulConstInPlace(-0.75f, data.data(), len), dspOk);
            for (int i = 0; i < len; ++i)
                ASSERT_EQ(data.getBits(i), bitsOf(input[i] * -0.75f)) << len << " at " << offset << ", " << i;
        }
    }
}

TEST_P(Arithmetic, ScalingByOneReadsAndWritesNothing)
{
    // The array lies inside an inaccessible page: any access would fault.
    dsptest::GuardedBuffer page(16);
    float* inaccessible = page.floats() + 4;
    EXPECT_EQ(dspMulConstInPlace(1.0f, inaccessible, 1000), dspOk);

    const float special[] = {kNaN, -0.0f, -kInf, floatOf(0x7FA00001u), floatOf(1)};
    float data[5];
    std::memcpy(data, special, sizeof data);
    EXPECT_EQ(dspMulConstInPlace(1.0f, data, 5), dspOk);
    EXPECT_EQ(std::memcmp(data, special, sizeof data), 0);
}

TEST_P(Arithmetic, ScalingByEitherZeroWritesPositiveZeroOverEveryValue)
{
    for (float zero : {0.0f, -0.0f}) {
        for (int len : {1, 10, 11, 37}) {
            GuardedWindow data(len, 4);
            for (int i = 0; i < len; ++i)
                data.set(i, i % 4 == 0 ? -kInf : i % 4 == 1 ? kNaN : i % 4 == 2 ? -5.0f : -0.0f);
            ASSERT_EQ(dspMulConstInPlace(zero, data.data(), len), dspOk);
            for (int i = 0; i < len; ++i)
                ASSERT_EQ(data.getBits(i), 0u) << len << ", " << i;
            ASSERT_TRUE(data.canariesIntact());
        }
    }
}

TEST_P(Arithmetic, ScalingByNaNOrInfinityFollowsIeeeProducts)
{
    for (int len : {3, 19}) {
        std::vector<float> data(len);
        for (int i = 0; i < len; ++i)
            data[i] = i % 3 == 0 ? 0.0f : i % 3 == 1 ? -2.5f : 1.0e-40f;
        std::vector<float> copy = data;
        ASSERT_EQ(dspMulConstInPlace(kNaN, data.data(), len), dspOk);
        for (float x : data)
            EXPECT_TRUE(std::isnan(x));
        ASSERT_EQ(dspMulConstInPlace(kInf, copy.data(), len), dspOk);
        for (int i = 0; i < len; ++i) {
            if (i % 3 == 0)
                EXPECT_TRUE(std::isnan(copy[i])) << i;
            else
                EXPECT_EQ(copy[i], i % 3 == 1 ? -kInf : kInf) << i;
        }
    }
}

TEST_P(Arithmetic, NaNOperandsGiveNaNAndTheAbsoluteValueOfNaNIsPositive)
{
    const float nans[] = {kNaN, -kNaN, floatOf(0xFFC12345u)};
    for (int len : {3, 24}) {
        std::vector<float> data(len), other(len, 1.0f);
        for (int i = 0; i < len; ++i)
            data[i] = nans[i % 3];
        std::vector<float> sum = data;
        ASSERT_EQ(dspAddInPlace(other.data(), sum.data(), len), dspOk);
        ASSERT_EQ(dspAddInPlace(data.data(), other.data(), len), dspOk);
        ASSERT_EQ(dspAbsInPlace(data.data(), len), dspOk);
        for (int i = 0; i < len; ++i) {
            EXPECT_TRUE(std::isnan(sum[i]) && std::isnan(other[i])) << i;
            EXPECT_TRUE(std::isnan(data[i]) && !std::signbit(data[i])) << i;
        }
    }
}

TEST_P(Arithmetic, TheAbsoluteValueOfASignallingNaNIsQuietOnlyInTheGenericClass)
{
    // Signalling (quiet bit 0x00400000 clear) and quiet NaNs of both signs, with payloads.
    const std::uint32_t nans[] = {0xFFA00001u, 0x7F800001u, 0xFFC12345u, 0x7FBFFFFFu};
    const std::uint32_t quietBit = GetParam() == dspCpuGeneric ? 0x00400000u : 0u;
    for (int len : {1, 4, 37}) {
        std::vector<float> data(len);
        for (int i = 0; i < len; ++i)
            data[i] = floatOf(nans[i % 4]);
        ASSERT_EQ(dspAbsInPlace(data.data(), len), dspOk);
        for (int i = 0; i < len; ++i)
            EXPECT_EQ(bitsOf(data[i]), (nans[i % 4] & 0x7FFFFFFFu) | quietBit) << len << ", " << i;
    }
}

INSTANTIATE_FOR_EVERY_CPU_CLASS(Arithmetic);

TEST(ArithmeticAcrossClasses, EveryClassGivesTheGenericBitsForSpecialFiniteAndInfiniteValues)
{
    // Extremes of the range: overflow to infinity, underflow into denormals, exact cancellation.
    const std::vector<float> a = {3.4e38f, -3.4e38f, 1.0e-45f, -1.0e-38f, 0.0f, -0.0f, kInf, -kInf,
                                  1.0f, 1.17549435e-38f, -2.0e-39f, 123.25f, 5.0e-30f};
    std::vector<float> b = a;
    std::reverse(b.begin(), b.end());
    std::vector<std::vector<std::uint32_t>> results;
    for (int cls : dsptest::supportedClasses()) {
        dsptest::ForcedCpuClass forced(cls);
        std::vector<std::uint32_t> bits;
        for (std::size_t shift = 0; shift < a.size(); ++shift) {
            std::vector<float> x(a.begin() + shift, a.end()), y(b.begin(), b.end() - shift);
            std::vector<float> abs = x, sum = y, scaled = x;
            const int n = static_cast<int>(x.size());
            EXPECT_EQ(dspAbsInPlace(abs.data(), n), dspOk);
            EXPECT_EQ(dspAddInPlace(x.data(), sum.data(), n), dspOk);
            EXPECT_EQ(dspMulConstInPlace(a[shift], scaled.data(), n), dspOk);
            for (const auto* v : {&abs, &sum, &scaled})
                for (float f : *v)
                    bits.push_back(bitsOf(f));
        }
        results.push_back(bits);
    }
    for (std::size_t c = 1; c < results.size(); ++c)
        EXPECT_EQ(results[c], results[0]) << dsptest::className(dsptest::supportedClasses()[c]);
}

}  // namespace
