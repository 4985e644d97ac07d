#include <algorithm>
#include <cmath>
#include <iterator>
#include <cstdint>
#include <set>
#include <vector>

#include <gtest/gtest.h>

#include "primitives/dispatch/cpu_classes.h"
#include "primitives/dispatch/status.h"
#include "primitives/fft/real_fft.h"
#include "primitives/fft/table_builders.h"
#include "tests/primitives/fft_reference.h"
#include "tests/primitives/fft_test_record.h"
#include "tests/support/cpu_class.h"
#include "tests/support/float_bits.h"

namespace {

using dsptest::bitsOf;
using ffttest::floatTable;
using ffttest::reverseBits;
using ffttest::wordTable;

const double kTwoPi = 6.283185307179586;

// The quarter-wave sine table of order m by its defining rule.
std::vector<float> baseByRule(int m)
{
    const std::int64_t quarter = std::int64_t{1} << (m - 2);
    const double step = kTwoPi / std::ldexp(1.0, m);
    std::vector<float> b(quarter + 1);
    for (std::int64_t k = 0; k <= quarter; ++k)
        b[k] = static_cast<float>(k <= quarter / 2 ? std::sin(k * step) : std::cos((quarter - k) * step));
    return b;
}

// Where the angle rule reads cos and -sin of 2 pi e / L, L = 2^p, from a base of order m.
struct Reading {
    std::int64_t index;
    bool negated;
};
struct TwiddleReading {
    Reading cos, minusSin;
};
TwiddleReading readingOf(std::int64_t e, int p, int m)
{
    const std::int64_t L = std::int64_t{1} << p, t = std::int64_t{1} << (m - p);
    if (4 * e <= L)
        return {{(L / 4 - e) * t, false}, {e * t, true}};
    if (2 * e <= L)
        return {{(e - L / 4) * t, true}, {(L / 2 - e) * t, true}};
    if (4 * e <= 3 * L)
        return {{(3 * L / 4 - e) * t, true}, {(e - L / 2) * t, false}};
    return {{(e - 3 * L / 4) * t, false}, {(L - e) * t, false}};
}

float read(const std::vector<float>& base, Reading r) { return r.negated ? -base[r.index] : base[r.index]; }

// A twiddle is bit for bit the base value the rule names, and near the true value.
void expectTwiddle(const std::vector<float>& base, int m, std::int64_t e, int p, float cosine, float minusSine)
{
    const TwiddleReading r = readingOf(e, p, m);
    ASSERT_EQ(bitsOf(cosine), bitsOf(read(base, r.cos))) << "cos of " << e << "/2^" << p;
    ASSERT_EQ(bitsOf(minusSine), bitsOf(read(base, r.minusSin))) << "-sin of " << e << "/2^" << p;
    const double angle = kTwoPi * static_cast<double>(e) / std::ldexp(1.0, p);
    // Float rounding of the base values: half an ulp of 1.
    ASSERT_NEAR(cosine, std::cos(angle), 6e-8);
    ASSERT_NEAR(minusSine, -std::sin(angle), 6e-8);
}

std::uint32_t up32(std::uint32_t b) { return (b + 31) / 32 * 32; }

// Applies a pair table to the identity as the generic in-place reversal reads it,
// checking on the way that no value is moved twice.
std::vector<std::uint32_t> permutationOfPairTable(const std::int32_t* table, int h)
{
    const std::uint32_t n = 1u << h;
    std::vector<std::uint32_t> at(n);
    for (std::uint32_t x = 0; x < n; ++x)
        at[x] = x;
    std::vector<int> moves(n, 0);
    const auto swap = [&](std::uint32_t a, std::uint32_t b) {
        std::swap(at[a], at[b]);
        ++moves[a];
        ++moves[b];
    };
    const std::uint32_t hi = n / 2;
    const std::int32_t* entry = table;
    for (; *entry > 0; entry += 2) {
        const std::uint32_t i = entry[0] / 2, j = entry[1] / 2;  // value indices 2i, 2j
        swap(i, j);
        swap(i + 1, hi + j);
        swap(hi + i, j + 1);
        swap(hi + i + 1, hi + j + 1);
    }
    do {
        const std::uint32_t i = *entry / 2;
        swap(i + 1, hi + i);
        ++entry;
    } while (*entry > 0);
    for (std::uint32_t x = 0; x < n; ++x)
        EXPECT_LE(moves[x], 1) << "value " << x << " moved twice";
    return at;
}

void expectPairTable(const std::int32_t* table, int h)
{
    const std::int32_t count = 1 << (h - 2);
    std::set<std::int32_t> seen;
    int w = 0;
    std::int32_t lastI = 0;
    for (; table[w] != 0; w += 2) {
        const std::int32_t i = table[w] / 4, j = table[w + 1] / 4;
        ASSERT_EQ(table[w] % 4, 0);
        ASSERT_LT(i, j);
        ASSERT_GT(i, lastI);  // increasing i
        ASSERT_EQ(static_cast<std::uint32_t>(j), reverseBits(i, h - 2));
        lastI = i;
        seen.insert(i);
        seen.insert(j);
    }
    std::int32_t previousSelf = count;
    for (++w; w < count; ++w) {
        const std::int32_t i = table[w] / 4;
        ASSERT_EQ(static_cast<std::uint32_t>(i), reverseBits(i, h - 2));
        ASSERT_LT(i, previousSelf);  // decreasing i when read upward
        previousSelf = i;
        seen.insert(i);
    }
    ASSERT_EQ(table[count], 0);
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(count - 1));  // every i from 1 exactly once

    // The permutation it describes is the full h-bit reversal, and its own inverse.
    const std::vector<std::uint32_t> at = permutationOfPairTable(table, h);
    for (std::uint32_t x = 0; x < at.size(); ++x) {
        ASSERT_EQ(at[reverseBits(x, h)], x);
        ASSERT_EQ(at[at[x]], x);
    }
}

void expectPermutationArray(const std::int32_t* table, int h)
{
    const std::int32_t count = 1 << (h - 2);
    EXPECT_EQ(table[0], 0);
    for (std::int32_t i = 1; i < count; ++i)
        ASSERT_EQ(static_cast<std::uint32_t>(table[i]), 2 * reverseBits(i, h - 2)) << "word " << i;
    EXPECT_EQ(table[count], 0);
}

TEST(RealFftBaseTables, FollowTheSineRuleAndEndOnOne)
{
    const std::vector<float> rule10 = baseByRule(10);
    for (int k = 0; k <= 256; ++k)
        ASSERT_EQ(bitsOf(dspQuarterSineTable[k]), bitsOf(rule10[k])) << k;
    for (int m = 11; m <= 20; ++m) {
        const std::vector<float> rule = baseByRule(m);
        std::vector<float> built(rule.size() + 64, -7.0f);
        void* end = dspMakeBaseTwiddles(m, built.data());
        for (std::size_t k = 0; k < rule.size(); ++k)
            ASSERT_EQ(bitsOf(built[k]), bitsOf(rule[k])) << "m " << m << " k " << k;
        EXPECT_EQ(built.front(), 0.0f);
        EXPECT_EQ(built[rule.size() - 1], 1.0f);
        EXPECT_EQ(end, reinterpret_cast<void*>((reinterpret_cast<std::uintptr_t>(built.data() + rule.size()) + 31) &
                                               ~std::uintptr_t{31}));
    }
}

TEST(RealFftBitReverseTables, PairTablesDescribeAnInvolutionThatIsTheBitReversal)
{
    std::vector<std::int32_t> table((1 << 18) + 16);
    const std::int32_t order4[] = {0, 4, 0};
    dspMakeBitReverseTable(3, table.data());
    EXPECT_EQ(std::vector<std::int32_t>(table.begin(), table.begin() + 3), std::vector<std::int32_t>(order4, order4 + 3));
    for (int h = 3; h <= 20; ++h) {
        SCOPED_TRACE(testing::Message() << "h " << h);
        dspMakeBitReverseTable(h, table.data());
        expectPairTable(table.data(), h);
        dspMakeBitReversePermutation(h, table.data());
        expectPermutationArray(table.data(), h);
    }
}

TEST(RealFftBitReverseTables, TheSmallestSizesWriteTheirFewWordsOrNothing)
{
    using Builder = void* (*)(int, std::int32_t*);
    struct Expected {
        Builder build;
        std::vector<std::int32_t> h2;  // the words of h = 2
        std::vector<std::int32_t> h3;  // the words of h = 3
    };
    const Expected builders[] = {{&dspMakeBitReverseTable, {0, 0}, {0, 4, 0}},
                                 {&dspMakeBitReversePermutation, {0, 0}, {0, 2, 0}}};
    constexpr std::int32_t kUntouched = 0x5A5A5A5A;
    for (const Expected& e : builders) {
        alignas(32) std::int32_t table[24];
        for (int h = 0; h <= 3; ++h) {
            SCOPED_TRACE(testing::Message() << "h " << h);
            std::fill(std::begin(table), std::end(table), kUntouched);
            // Words before the table catch a negative shift writing below it.
            std::int32_t* const start = table + 8;
            void* end = e.build(h, start);
            const std::vector<std::int32_t> expected = h < 2 ? std::vector<std::int32_t>{} : h == 2 ? e.h2 : e.h3;
            for (std::size_t w = 0; w < expected.size(); ++w)
                EXPECT_EQ(start[w], expected[w]) << "word " << w;
            for (std::size_t w = 0; w < std::size(table); ++w) {
                const bool inside = table + w >= start && table + w < start + expected.size();
                EXPECT_TRUE(inside || table[w] == kUntouched) << "word " << w << " outside the table";
            }
            EXPECT_EQ(end, expected.empty() ? static_cast<void*>(start) : static_cast<void*>(table + 16));
        }
    }
}

TEST(RealFftBitReverseTables, TwoLevelTablesHoldShiftedOuterReversalsThenA12BitPairTable)
{
    std::vector<std::int32_t> table((1 << 12) + 2048);
    for (int h = 17; h <= 24; ++h) {
        const std::int32_t outer = 1 << (h - 12);
        void* end = dspMakeTwoLevelBitReverseTable(h, 6, table.data());
        for (std::int32_t i = 0; i < outer; ++i)
            ASSERT_EQ(static_cast<std::uint32_t>(table[i]), reverseBits(i, h - 12) << 6);
        expectPairTable(table.data() + outer, 12);
        // It fits the (H/4 + 1) words the bit-reversal area reserves.
        EXPECT_LE(static_cast<char*>(end) - reinterpret_cast<char*>(table.data()),
                  static_cast<std::ptrdiff_t>(up32(4 * ((1u << (h - 2)) + 1)) + 32));
    }
}

// The radix levels whose twiddles a vector class lays for 2^q points, in order.
struct Level {
    int p;
    bool radix4;
};
std::vector<Level> levelsOf(int cls, int q)
{
    std::vector<Level> levels;
    if (q <= 3)
        return levels;
    if (cls <= dspCpuSse2) {
        for (int p = 4 + (q & 1); p <= q; p += 2)
            levels.push_back({p, true});
    } else {
        for (int p = 4; p <= q - (q & 1); p += 2)
            levels.push_back({p, true});
        if (q & 1)
            levels.push_back({q, false});
    }
    return levels;
}

class RealFftSpecTables : public dsptest::EveryCpuClass {
protected:
    // The FFT record's own layout for one order, checked table by table.
    void checkOrder(int order)
    {
        const int cls = GetParam();
        const int h = order - 1;
        const std::uint32_t H = 1u << h;
        dspRealFftSpec* spec = nullptr;
        ASSERT_EQ(dspRealFftCreate(&spec, order, dspFftScaleNone, 1), dspOk);
        const int m = order <= 10 ? 10 : order;
        const std::vector<float> base = baseByRule(m);

        // Bit reversal right after the header, then the tables at 32-byte boundaries.
        EXPECT_EQ(spec->bitReverseTable, 84u);
        const bool pairTable = cls == dspCpuGeneric || (cls == dspCpuSse && h >= 10);
        if (pairTable)
            expectPairTable(wordTable(spec, spec->bitReverseTable), h);
        else
            expectPermutationArray(wordTable(spec, spec->bitReverseTable), h);
        EXPECT_EQ(spec->twiddles, up32(84 + 4 * (H / 4 + 1)));

        const float* tw = floatTable(spec, spec->twiddles);
        std::uint32_t twiddleBytes;
        if (cls == dspCpuGeneric) {
            for (std::uint32_t k = 0; k <= H / 4; ++k)
                for (int f = 1; f <= 3; ++f)
                    expectTwiddle(base, m, f * k, h, tw[6 * k + 2 * f - 2], tw[6 * k + 2 * f - 1]);
            twiddleBytes = up32(24 * (H / 4 + 1));
        } else {
            const float* at = tw;
            for (const Level& level : levelsOf(cls, h)) {
                const std::int64_t L = std::int64_t{1} << level.p;
                const std::int64_t ks = level.radix4 ? L / 4 : L / 2;
                for (std::int64_t k0 = 0; k0 < ks; k0 += 4)
                    for (int f = 1; f <= (level.radix4 ? 3 : 1); ++f, at += 8)
                        for (int u = 0; u < 4; ++u)
                            expectTwiddle(base, m, f * (k0 + u), level.p, at[u], at[4 + u]);
            }
            EXPECT_LE(static_cast<std::uint32_t>((at - tw) * 4), 8 * H);
            twiddleBytes = H <= 8 ? 0 : 8 * H;
        }
        EXPECT_EQ(spec->forwardPostTwiddles, spec->twiddles + twiddleBytes);
        EXPECT_EQ(spec->inversePreTwiddles, spec->forwardPostTwiddles + up32(4 * H));

        // Real twiddles, t = 2 pi k / N: (0.5 cos t, 0.5 - 0.5 sin t) and (cos t, -sin t).
        const std::int64_t quarter = H / 2, stride = std::int64_t{1} << (m - order);
        const auto forwardPair = [&](std::int64_t k) {
            return std::pair<float, float>(static_cast<float>(0.5 * base[(quarter - k) * stride]),
                                           static_cast<float>(0.5 - 0.5 * base[k * stride]));
        };
        const auto inversePair = [&](std::int64_t k) {
            return std::pair<float, float>(base[(quarter - k) * stride], -base[k * stride]);
        };
        const float* fwd = floatTable(spec, spec->forwardPostTwiddles);
        const float* inv = floatTable(spec, spec->inversePreTwiddles);
        for (std::int64_t slot = 0; slot < quarter; ++slot) {
            std::int64_t k;
            const float *f0, *f1, *i0, *i1;
            if (cls == dspCpuGeneric) {
                k = slot;
                f0 = fwd + 2 * slot, f1 = f0 + 1, i0 = inv + 2 * slot, i1 = i0 + 1;
            } else {
                const std::int64_t g = slot / 4, lane = slot % 4;
                static const int inOrder[4] = {1, 2, 3, 4}, swapped[4] = {2, 1, 4, 3};
                k = 4 * g + (cls == dspCpuSse ? inOrder : swapped)[lane];
                f0 = fwd + 8 * g + lane, f1 = f0 + 4, i0 = inv + 8 * g + lane, i1 = i0 + 4;
            }
            ASSERT_EQ(bitsOf(*f0), bitsOf(forwardPair(k).first)) << "forward k " << k;
            ASSERT_EQ(bitsOf(*f1), bitsOf(forwardPair(k).second)) << "forward k " << k;
            ASSERT_EQ(bitsOf(*i0), bitsOf(inversePair(k).first)) << "inverse k " << k;
            ASSERT_EQ(bitsOf(*i1), bitsOf(inversePair(k).second)) << "inverse k " << k;
        }
        if (cls != dspCpuGeneric) {
            // The vector lane for k = N/4 holds (0, 0) forward and (0, -1) inverse.
            const std::int64_t last = quarter - 1;
            const int lane = cls == dspCpuSse ? 3 : 2;
            EXPECT_EQ(bitsOf(fwd[8 * (last / 4) + lane]), 0u);
            EXPECT_EQ(bitsOf(fwd[8 * (last / 4) + lane + 4]), 0u);
            EXPECT_EQ(bitsOf(inv[8 * (last / 4) + lane]), 0u);
            EXPECT_EQ(inv[8 * (last / 4) + lane + 4], -1.0f);
        }

        EXPECT_EQ(spec->workSize, cls == dspCpuGeneric ? 0 : static_cast<std::int32_t>(up32(8 * H)));
        EXPECT_EQ(spec->outerTwiddles, 0u);
        EXPECT_EQ(spec->finalTwiddles, 0u);
        for (int d = 0; d < 3; ++d) {
            EXPECT_EQ(spec->columnTwiddles[d], 0u);
            EXPECT_EQ(spec->stepTwiddles[d], 0u);
        }
        EXPECT_EQ(dspRealFftFree(spec), dspOk);
    }
};

TEST_P(RealFftSpecTables, EveryDirectPathTableIsInItsClassLayoutAndCopiesTheBaseTable)
{
    for (int order = 4; order <= ffttest::kLastInCacheOrder[GetParam()]; ++order) {
        SCOPED_TRACE(testing::Message() << "order " << order);
        checkOrder(order);
    }
}

INSTANTIATE_FOR_EVERY_CPU_CLASS(RealFftSpecTables);

}  // namespace
