#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "primitives/dispatch/cpu_classes.h"
#include "primitives/dispatch/status.h"
#include "primitives/fft/real_fft.h"
#include "tests/primitives/fft_reference.h"
#include "tests/primitives/fft_test_record.h"
#include "tests/support/cpu_class.h"
#include "tests/support/guarded_buffer.h"
#include "tests/support/sanitizer_build.h"

// The large-path tables inside a real-FFT record: they fit the queried sizes,
// the header words follow the path, and the step factors are the planned ones.
namespace {

using ffttest::reverseBits;
using ffttest::Spec;

#ifdef BRONDIL_ADDRESS_SANITIZER
constexpr int kLargestBuiltOrder = 21;
#else
constexpr int kLargestBuiltOrder = 24;
#endif

// Each large-path shape of each class up to order 24.
const std::vector<int> kLargeOrders[kCpuClassCount] = {
    {12, 13, 14, 16, 20, 22, 23, 24},
    {12, 13, 14, 16, 20, 22, 23, 24},
    {17, 18, 19, 20, 21, 22, 23, 24},
    {18, 19, 20, 21, 22, 23, 24},
    {19, 20, 21, 22, 23, 24},
    {19, 20, 21, 22, 23, 24},
};

// cos and -sin of 2 pi e / 2^p in double precision.
double cosOf(std::int64_t e, int p)
{
    return std::cos(6.283185307179586 * static_cast<double>(e) / std::ldexp(1.0, p));
}
double minusSinOf(std::int64_t e, int p)
{
    return -std::sin(6.283185307179586 * static_cast<double>(e) / std::ldexp(1.0, p));
}

// Base-table values are sines rounded to float: within half an ulp of 1.
constexpr double kFactorTolerance = 6e-8;

class LargeSpecTables : public dsptest::EveryCpuClass {};

TEST_P(LargeSpecTables, BuildInBlocksOfExactlyTheQueriedSizeBeforeAnInaccessiblePage)
{
    for (int order : kLargeOrders[GetParam()]) {
        if (order > kLargestBuiltOrder)
            continue;
        SCOPED_TRACE(testing::Message() << "order " << order);
        const ffttest::Sizes sizes = ffttest::querySizes(order);
        const dsptest::GuardedBuffer block(sizes.spec);
        const dsptest::GuardedBuffer scratch(sizes.scratch);
        dspRealFftSpec* spec = nullptr;
        ASSERT_EQ(dspRealFftInit(&spec, order, dspFftScaleNone, 1, block.data(), scratch.data()), dspOk);
        EXPECT_EQ(spec->workSize, sizes.work > 0 ? sizes.work - 32 : 0);
        for (std::uint32_t offset : {spec->twiddles, spec->forwardPostTwiddles, spec->inversePreTwiddles})
            EXPECT_LT(offset, static_cast<std::uint32_t>(sizes.spec));
        EXPECT_EQ(spec->finalTwiddles, 0u);
        EXPECT_EQ(spec->columnTwiddles[2], 0u);
        EXPECT_EQ(spec->stepTwiddles[2], 0u);
    }
}

INSTANTIATE_FOR_EVERY_CPU_CLASS(LargeSpecTables);

class FourStepSpecTables : public testing::TestWithParam<int> {
protected:
    dsptest::ForcedCpuClass forced{GetParam()};
};

TEST_P(FourStepSpecTables, BlocksThenOneAndTwoSplitLevelsSetTheirWordsInnermostFirst)
{
    const bool sse = GetParam() == dspCpuSse;
    for (int order : {12, 13}) {
        const Spec block(order);
        EXPECT_NE(block->outerTwiddles, 0u);
        EXPECT_EQ(block->columnTwiddles[0], 0u);
        EXPECT_EQ(block->stepTwiddles[0], 0u);
        EXPECT_EQ(block->workSize, sse ? 8192 : 0);
    }
    // sse joins 2048 points at order 12, then 4096 and 2048 at 13: 512, then 1024 + 512 factors.
    if (sse) {
        EXPECT_EQ(Spec(12)->forwardPostTwiddles - Spec(12)->outerTwiddles, 512u * 8);
        EXPECT_EQ(Spec(13)->forwardPostTwiddles - Spec(13)->outerTwiddles, 1536u * 8);
    }

    const Spec split(14);  // h 13: 32 rows of 256 points
    EXPECT_LT(split->twiddles, split->columnTwiddles[0]);
    EXPECT_LT(split->columnTwiddles[0], split->stepTwiddles[0]);
    EXPECT_EQ(split->columnTwiddles[1], 0u);
    EXPECT_EQ(split->workSize, sse ? 2048 : 1024);  // sse: the rows' 8 R outgrows four columns of 32

    if (kLargestBuiltOrder < 24)
        return;
    const Spec deep(24);  // h 23: 256 rows of 2^15 points, each split again into 128 rows of 256
    EXPECT_LT(deep->twiddles, deep->columnTwiddles[1]);
    EXPECT_LT(deep->columnTwiddles[1], deep->stepTwiddles[1]);
    EXPECT_LT(deep->stepTwiddles[1], deep->columnTwiddles[0]);
    EXPECT_LT(deep->columnTwiddles[0], deep->stepTwiddles[0]);
    EXPECT_EQ(deep->workSize, 8192);  // four columns of 256 points
}

// Row j and column c + u of a level of 2^h points take w^(j (c + u)),
// w = e^(-2 pi i / 2^h), grouped by four columns, rows in bit-reversed order.
TEST_P(FourStepSpecTables, StepFactorsTwistRowsByColumnsInBitReversedRowOrder)
{
    const bool sse = GetParam() == dspCpuSse;
    const int order = 17, h = 16, s = 8;  // 256 rows of 256 points
    const Spec spec(order);
    const float* step = spec.floats(spec->stepTwiddles[0]);
    for (int c = 0; c < (1 << (h - s)); c += 4)
        for (int p = 0; p < (1 << s); ++p, step += 8)
            for (int u = 0; u < 4; ++u) {
                const std::int64_t e = std::int64_t{reverseBits(p, s)} * (c + u);
                const float re = sse ? step[u] : step[2 * u], im = sse ? step[4 + u] : step[2 * u + 1];
                ASSERT_NEAR(re, cosOf(e, h), kFactorTolerance) << "column " << c + u << " position " << p;
                ASSERT_NEAR(im, minusSinOf(e, h), kFactorTolerance) << "column " << c + u << " position " << p;
            }
}

INSTANTIATE_TEST_SUITE_P(, FourStepSpecTables, testing::Values(dspCpuGeneric, dspCpuSse), dsptest::classParamName);

class TiledSpecTables : public testing::TestWithParam<int> {
protected:
    void SetUp() override
    {
        const std::vector<int> supported = dsptest::supportedClasses();
        if (std::find(supported.begin(), supported.end(), GetParam()) == supported.end())
            GTEST_SKIP() << "class not supported here";
        forced = std::make_unique<dsptest::ForcedCpuClass>(GetParam());
    }
    void TearDown() override { forced.reset(); }
    std::unique_ptr<dsptest::ForcedCpuClass> forced;
};

TEST_P(TiledSpecTables, ThePlainThenTheTwoLevelBitReversalAndTheWorkOfRowsTilesAndTiles)
{
    // The first large order: permutation array, work of the 16384-point rows.
    const Spec first(19);
    const std::int32_t* permutation = first.words(first->bitReverseTable);
    for (int i = 1; i < (1 << 16); i += 97)
        ASSERT_EQ(static_cast<std::uint32_t>(permutation[i]), 2 * reverseBits(i, 16)) << "word " << i;
    EXPECT_EQ(first->workSize, 131072);

    // From two above the in-cache limit: 64 tile offsets, then a 4096-point pair table.
    const Spec tiled(20);
    const std::int32_t* twoLevel = tiled.words(tiled->bitReverseTable);
    for (int i = 0; i < 128; ++i)
        ASSERT_EQ(static_cast<std::uint32_t>(twoLevel[i]), reverseBits(i, 7) << 6) << "word " << i;
    EXPECT_EQ(twoLevel[128], 4);  // the first pair (4 * 1, 4 * rev10(1))
    EXPECT_EQ(twoLevel[129], 4 * 512);
    EXPECT_EQ(tiled->workSize, 262144);
    EXPECT_EQ(tiled->columnTwiddles[0], 0u);
}

// Per tile of W columns c .. c + W - 1: radix-4 pass i combines 4^(i+1) rows
// into transforms of L = 2^(r + 2 + 2i) points, lane j (local row j / W)
// taking w^k, w^2k, w^3k of L with k = (j / W) R + c + j % W; records of four
// lanes hold the cos, then the -sin of each factor.
TEST_P(TiledSpecTables, StepTablesHoldEveryPassFactorInTheOrderThePassesReadThem)
{
    const int order = 19, s = 4, r = 14, tileColumns = 64;  // h 18: split 4, tiles of 2^10 points
    const Spec spec(order);
    const float* record = spec.floats(spec->stepTwiddles[0]);
    const std::int64_t rowPoints = std::int64_t{1} << r;
    for (std::int64_t c = 0; c < rowPoints; c += tileColumns)
        for (int pass = 0, lanes = tileColumns; pass < s / 2; ++pass, lanes *= 4)
            for (int j = 0; j < lanes; j += 4, record += 24)
                for (int factor = 1; factor <= 3; ++factor)
                    for (int u = 0; u < 4; ++u) {
                        const std::int64_t k = (j + u) / tileColumns * rowPoints + c + (j + u) % tileColumns;
                        const int l = r + 2 + 2 * pass;
                        const float* quad = record + 8 * (factor - 1);
                        ASSERT_NEAR(quad[u], cosOf(factor * k, l), kFactorTolerance)
                            << "tile " << c << " lane " << j + u;
                        ASSERT_NEAR(quad[4 + u], minusSinOf(factor * k, l), kFactorTolerance)
                            << "tile " << c << " lane " << j + u;
                    }
    // The table ends where the real twiddles begin (8 H bytes, less the rows' share).
    EXPECT_LE(record, spec.floats(spec->forwardPostTwiddles));
}

INSTANTIATE_TEST_SUITE_P(, TiledSpecTables, testing::Values(dspCpuSsse3, dspCpuSse41), dsptest::classParamName);

}  // namespace
