#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "primitives/dispatch/status.h"
#include "primitives/vector/extrema.h"
#include "tests/primitives/vector_test_support.h"
#include "tests/support/cpu_class.h"
#include "tests/support/float_bits.h"

namespace {

using dsptest::bitsOf;
using vectortest::GuardedWindow;

const float kNaN = std::numeric_limits<float>::quiet_NaN();

class Extrema : public dsptest::EveryCpuClass {};

// The reference rule: the result starts at src[0] and only a strictly larger
// (smaller) element replaces it, so NaN never enters and the first of equals stays.
struct Reference {
    float max, min;
    int index;
};

Reference reference(const std::vector<float>& v)
{
    Reference r{v[0], v[0], 0};
    for (std::size_t i = 1; i < v.size(); ++i) {
        if (v[i] > r.max) {
            r.max = v[i];
            r.index = static_cast<int>(i);
        }
        if (v[i] < r.min)
            r.min = v[i];
    }
    return r;
}

// Runs all three searches over the values in a guarded window and compares them
// with the reference rule, bit for bit.
void expectReferenceResults(const std::vector<float>& values, std::size_t offset)
{
    GuardedWindow src(values.size(), offset);
    src.fill(values);
    const int len = static_cast<int>(values.size());
    const Reference expected = reference(values);
    float max = 0.0f, min = 0.0f, indexed = 0.0f;
    int index = -1;
    ASSERT_EQ(dspMax(src.data(), len, &max), dspOk);
    ASSERT_EQ(dspMin(src.data(), len, &min), dspOk);
    ASSERT_EQ(dspMaxIndex(src.data(), len, &indexed, &index), dspOk);
    EXPECT_EQ(bitsOf(max), bitsOf(expected.max)) << len << " floats at offset " << offset;
    EXPECT_EQ(bitsOf(min), bitsOf(expected.min)) << len << " floats at offset " << offset;
    EXPECT_EQ(bitsOf(indexed), bitsOf(expected.max)) << len << " floats at offset " << offset;
    EXPECT_EQ(index, expected.index) << len << " floats at offset " << offset;
}

// Around the switch to the block search (34), the 16-float loop and the 2048-float blocks.
std::vector<int> searchLengths()
{
    std::vector<int> lengths;
    for (int len = 1; len <= 80; ++len)
        lengths.push_back(len);
    for (int base : {2048, 4096, 6144})
        for (int len = base - 3; len <= base + 20; ++len)
            lengths.push_back(len);
    lengths.push_back(20000);
    return lengths;
}

TEST_P(Extrema, NullPointersComeBeforeLengthsAndErrorsWriteNothing)
{
    const float src[2] = {1.0f, 2.0f};
    float out = -7.0f;
    int index = -7;
    for (int len : {INT_MIN, -1, 0, 2}) {
        EXPECT_EQ(dspMax(nullptr, len, &out), dspErrNullPointer) << len;
        EXPECT_EQ(dspMax(src, len, nullptr), dspErrNullPointer) << len;
        EXPECT_EQ(dspMin(nullptr, len, &out), dspErrNullPointer) << len;
        EXPECT_EQ(dspMin(src, len, nullptr), dspErrNullPointer) << len;
        EXPECT_EQ(dspMaxIndex(nullptr, len, &out, &index), dspErrNullPointer) << len;
        EXPECT_EQ(dspMaxIndex(src, len, nullptr, &index), dspErrNullPointer) << len;
    }
    for (int len : {INT_MIN, -1, 0}) {
        EXPECT_EQ(dspMax(src, len, &out), dspErrLength) << len;
        EXPECT_EQ(dspMin(src, len, &out), dspErrLength) << len;
        EXPECT_EQ(dspMaxIndex(src, len, &out, &index), dspErrLength) << len;
        EXPECT_EQ(dspMaxIndex(src, len, &out, nullptr), dspErrLength) << len;
    }
    EXPECT_EQ(out, -7.0f);
    EXPECT_EQ(index, -7);
}

TEST_P(Extrema, RepeatedExtremesReportTheFirstPositionAtEveryOffsetAndLength)
{
    // Few distinct values: the maximum recurs in lanes, in blocks and among the
    // elements before the first aligned one.
    std::mt19937 random(5);
    for (int len : searchLengths()) {
        std::vector<float> values(len);
        for (float& x : values)
            x = static_cast<float>(static_cast<int>(random() % 9) - 4) + 0.5f;
        for (std::size_t offset = 0; offset < 16; ++offset)
            ASSERT_NO_FATAL_FAILURE(expectReferenceResults(values, offset));
    }
}

TEST_P(Extrema, RisingAndFallingVectorsFindTheirEnds)
{
    // A rising vector beats the running best in every block; a falling one never does.
    for (int len : {33, 34, 35, 2100, 4200}) {
        std::vector<float> rising(len), falling(len);
        for (int i = 0; i < len; ++i) {
            rising[i] = -1000.0f + 0.25f * static_cast<float>(i);
            falling[i] = -rising[i];
        }
        for (std::size_t offset : {0, 4, 8, 12, 2}) {
            ASSERT_NO_FATAL_FAILURE(expectReferenceResults(rising, offset));
            ASSERT_NO_FATAL_FAILURE(expectReferenceResults(falling, offset));
        }
    }
}

TEST_P(Extrema, ANaNNeverReplacesTheResultWhereverItStands)
{
    std::mt19937 random(17);
    for (int len : {2, 5, 16, 20, 33, 34, 35, 47, 100, 2100, 5000}) {
        std::vector<float> values(len);
        for (float& x : values)
            x = std::ldexp(static_cast<float>(random() % 1000) - 500.0f, -3);
        // Every position near the start, where lanes and blocks begin, and a spread beyond.
        std::vector<int> positions;
        for (int p = 0; p < len && p < 24; ++p)
            positions.push_back(p);
        for (int p = 24; p < len; p += 1 + len / 16)
            positions.push_back(p);
        positions.push_back(len - 1);
        for (int position : positions) {
            std::vector<float> withNaN = values;
            withNaN[position] = kNaN;
            for (std::size_t offset : {0, 4, 8, 12, 1})
                ASSERT_NO_FATAL_FAILURE(expectReferenceResults(withNaN, offset)) << "NaN at " << position;
        }
        std::vector<float> manyNaNs = values;
        for (int i = 1; i < len; i += 3)
            manyNaNs[i] = kNaN;
        ASSERT_NO_FATAL_FAILURE(expectReferenceResults(manyNaNs, 0));
    }
}

TEST_P(Extrema, TheRuleOnSmallExamples)
{
    float max = 0.0f, min = 0.0f;
    int index = -1;
    const float middleNaN[] = {1.0f, kNaN, 3.0f};
    EXPECT_EQ(dspMaxIndex(middleNaN, 3, &max, &index), dspOk);
    EXPECT_EQ(max, 3.0f);
    EXPECT_EQ(index, 2);
    EXPECT_EQ(dspMin(middleNaN, 3, &min), dspOk);
    EXPECT_EQ(min, 1.0f);

    const float leadingNaN[] = {kNaN, 5.0f, 7.0f};
    EXPECT_EQ(dspMaxIndex(leadingNaN, 3, &max, &index), dspOk);
    EXPECT_TRUE(std::isnan(max));
    EXPECT_EQ(index, 0);

    const float single[] = {kNaN};
    EXPECT_EQ(dspMaxIndex(single, 1, &max, &index), dspOk);
    EXPECT_TRUE(std::isnan(max));
    EXPECT_EQ(index, 0);
}

TEST_P(Extrema, LeadingNaNStaysInTheLanesOfShortVectors)
{
    // Long enough for the lanes in every class that has them, still below the block search.
    for (int len : {20, 33}) {
        alignas(16) float values[36];
        for (int i = 0; i < len; ++i)
            values[i] = static_cast<float>(i);
        values[0] = kNaN;
        float max = 0.0f;
        int index = -1;
        EXPECT_EQ(dspMaxIndex(values, len, &max, &index), dspOk);
        EXPECT_TRUE(std::isnan(max)) << len;
        EXPECT_EQ(index, 0) << len;
    }
}

TEST_P(Extrema, ANullIndexWritesOnlyTheMaximum)
{
    const float values[40] = {3.0f, 1.0f, 9.0f, 2.0f};
    float max = 0.0f;
    EXPECT_EQ(dspMaxIndex(values, 40, &max, nullptr), dspOk);
    EXPECT_EQ(max, 9.0f);
}

TEST_P(Extrema, AZeroExtremeOfEitherSignIsAZero)
{
    for (int len : {8, 40, 3000}) {
        std::vector<float> values(len, -1.0f);
        values[len / 3] = 0.0f;
        values[len / 2] = -0.0f;
        values[len - 1] = 0.0f;
        float max = 1.0f;
        int index = -1;
        ASSERT_EQ(dspMaxIndex(values.data(), len, &max, &index), dspOk);
        EXPECT_EQ(max, 0.0f);
        ASSERT_TRUE(index == len / 3 || index == len / 2) << index;
        for (float& x : values)
            x = -x;
        ASSERT_EQ(dspMin(values.data(), len, &max), dspOk);
        EXPECT_EQ(max, 0.0f);
    }
}

TEST_P(Extrema, SourcesThatAreNotFourByteAlignedAreNeverReadPastTheirEnd)
{
    // The guard page follows the last float within 1 to 3 bytes: any read of a further element faults.
    std::mt19937 random(3);
    for (int len = 30; len <= 300; len += 7) {
        std::vector<float> values(len);
        for (float& x : values)
            x = static_cast<float>(random() % 50);
        for (std::size_t offset : {1, 2, 3, 5, 10, 15})
            ASSERT_NO_FATAL_FAILURE(expectReferenceResults(values, offset));
    }
}

TEST_P(Extrema, SearchesReachElementsPastTwoGibibytes)
{
    // 2^29 + 40 floats: the extremes lie beyond the first 2^31 bytes. Untouched pages read as zeros.
    const std::size_t len = (std::size_t{1} << 29) + 40;
    GuardedWindow src(len, 0);
    src.set(len - 20, -5.0f);
    src.set(len - 3, 5.0f);
    src.set(len - 1, 5.0f);
    const int n = static_cast<int>(len);
    float max = 0.0f, min = 0.0f;
    int index = -1;
    EXPECT_EQ(dspMax(src.data(), n, &max), dspOk);
    EXPECT_EQ(dspMin(src.data(), n, &min), dspOk);
    EXPECT_EQ(dspMaxIndex(src.data(), n, &max, &index), dspOk);
    EXPECT_EQ(max, 5.0f);
    EXPECT_EQ(min, -5.0f);
    EXPECT_EQ(index, n - 3);
}

INSTANTIATE_FOR_EVERY_CPU_CLASS(Extrema);

}  // namespace
