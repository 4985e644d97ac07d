#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "primitives/dispatch/status.h"
#include "primitives/vector/arithmetic.h"
#include "primitives/vector/spectrum_product.h"
#include "tests/primitives/vector_test_support.h"
#include "tests/support/cpu_class.h"
#include "tests/support/float_bits.h"

namespace {

using dsptest::bitsOf;
using vectortest::finiteValues;
using vectortest::GuardedWindow;

class SpectrumProduct : public dsptest::EveryCpuClass {};

// The product as each class computes it, bit for bit: classes 1 to 5 round every
// product to float and then the sum (no fused multiply-add: contraction is off);
// class 0 keeps the products exact in long double and rounds each result once.
std::vector<float> modelProduct(const std::vector<float>& a, const std::vector<float>& b, int cpuClass)
{
    const std::size_t n = a.size();
    const std::size_t reals = n % 2 == 0 ? 2 : 1;
    std::vector<float> d(n);
    for (std::size_t k = 0; k < reals; ++k)
        d[k] = cpuClass == 0 ? static_cast<float>(static_cast<long double>(a[k]) * b[k]) : a[k] * b[k];
    for (std::size_t k = reals; k + 1 < n; k += 2) {
        if (cpuClass == 0) {
            const long double ar = a[k], ai = a[k + 1], br = b[k], bi = b[k + 1];
            d[k] = static_cast<float>(ar * br - ai * bi);
            d[k + 1] = static_cast<float>(ar * bi + ai * br);
        } else {
            const float ar = a[k], ai = a[k + 1], br = b[k], bi = b[k + 1];
            d[k] = ar * br - ai * bi;
            d[k + 1] = ar * bi + ai * br;
        }
    }
    return d;
}

void expectModel(const std::vector<float>& actual, const std::vector<float>& expected, const std::string& what)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t k = 0; k < actual.size(); ++k)
        ASSERT_EQ(bitsOf(actual[k]), bitsOf(expected[k])) << what << ", element " << k;
}

TEST_P(SpectrumProduct, NullPointersComeBeforeLengthsAndErrorsWriteNothing)
{
    const float a[2] = {1.0f, 2.0f}, b[2] = {3.0f, 4.0f};
    float dst[2] = {-1.0f, -1.0f};
    for (int len : {INT_MIN, -1, 0, 2}) {
        EXPECT_EQ(dspMulSpectra(nullptr, b, dst, len), dspErrNullPointer) << len;
        EXPECT_EQ(dspMulSpectra(a, nullptr, dst, len), dspErrNullPointer) << len;
        EXPECT_EQ(dspMulSpectra(a, b, nullptr, len), dspErrNullPointer) << len;
    }
    for (int len : {INT_MIN, -1, 0})
        EXPECT_EQ(dspMulSpectra(a, b, dst, len), dspErrLength) << len;
    EXPECT_EQ(dst[0], -1.0f);
    EXPECT_EQ(dst[1], -1.0f);
}

TEST_P(SpectrumProduct, ProductsMatchTheClassModelForEveryAlignmentOfTheThreeArrays)
{
    std::vector<int> lengths;
    for (int len = 1; len <= 40; ++len)
        lengths.push_back(len);
    for (int len : {255, 256, 257, 1024, 1025})
        lengths.push_back(len);
    for (int len : lengths) {
        const auto a = finiteValues(len, 2 * len);
        const auto b = finiteValues(len, 2 * len + 1);
        const auto expected = modelProduct(a, b, GetParam());
        for (std::size_t aOffset : {0, 4, 8, 12}) {
            for (std::size_t bOffset : {0, 4, 8, 12}) {
                for (std::size_t dstOffset : {0, 4, 8, 12, 2}) {
                    GuardedWindow wa(len, aOffset), wb(len, bOffset), wd(len, dstOffset);
                    wa.fill(a);
                    wb.fill(b);
                    ASSERT_EQ(dspMulSpectra(wa.data(), wb.data(), wd.data(), len), dspOk);
                    ASSERT_NO_FATAL_FAILURE(expectModel(wd.values(), expected,
                                                        std::to_string(len) + " floats, offsets a " +
                                                            std::to_string(aOffset) + " b " + std::to_string(bOffset) +
                                                            " dst " + std::to_string(dstOffset)));
                    ASSERT_TRUE(wd.canariesIntact());
                    ASSERT_EQ(wa.values(), a);
                    ASSERT_EQ(wb.values(), b);
                }
            }
        }
    }
}

TEST_P(SpectrumProduct, TheDestinationMayBeEitherSourceOrBoth)
{
    for (int len : {1, 2, 3, 4, 9, 10, 11, 12, 13, 40, 1001}) {
        const auto a = finiteValues(len, 3 * len);
        const auto b = finiteValues(len, 3 * len + 1);
        for (std::size_t offset : {0, 4, 2}) {
            GuardedWindow wa(len, offset), wb(len, offset);
            wa.fill(a);
            wb.fill(b);
            ASSERT_EQ(dspMulSpectra(wa.data(), wb.data(), wa.data(), len), dspOk);
            ASSERT_NO_FATAL_FAILURE(expectModel(wa.values(), modelProduct(a, b, GetParam()), "dst = a"));
            wa.fill(a);
            ASSERT_EQ(dspMulSpectra(wa.data(), wb.data(), wb.data(), len), dspOk);
            ASSERT_NO_FATAL_FAILURE(expectModel(wb.values(), modelProduct(a, b, GetParam()), "dst = b"));
            ASSERT_EQ(dspMulSpectra(wa.data(), wa.data(), wa.data(), len), dspOk);
            ASSERT_NO_FATAL_FAILURE(expectModel(wa.values(), modelProduct(a, a, GetParam()), "dst = a = b"));
        }
    }
}

TEST_P(SpectrumProduct, SmallLengthsReadRealsThenPairs)
{
    const float a[4] = {2.0f, 3.0f, 5.0f, 7.0f}, b[4] = {11.0f, 13.0f, 17.0f, 19.0f};
    float d[4] = {};
    ASSERT_EQ(dspMulSpectra(a, b, d, 1), dspOk);
    EXPECT_EQ(d[0], 22.0f);
    EXPECT_EQ(d[1], 0.0f);
    ASSERT_EQ(dspMulSpectra(a, b, d, 2), dspOk);
    EXPECT_EQ(d[1], 39.0f);
    EXPECT_EQ(d[2], 0.0f);
    ASSERT_EQ(dspMulSpectra(a, b, d, 3), dspOk);  // (3 + 5i)(13 + 17i)
    EXPECT_EQ(d[1], 39.0f - 85.0f);
    EXPECT_EQ(d[2], 51.0f + 65.0f);
    EXPECT_EQ(d[3], 0.0f);
    ASSERT_EQ(dspMulSpectra(a, b, d, 4), dspOk);  // reals 2*11, 3*13; (5 + 7i)(17 + 19i)
    EXPECT_EQ(d[0], 22.0f);
    EXPECT_EQ(d[1], 39.0f);
    EXPECT_EQ(d[2], 85.0f - 133.0f);
    EXPECT_EQ(d[3], 95.0f + 119.0f);
}

TEST_P(SpectrumProduct, NearlyCancellingProductsRoundAsTheClassRounds)
{
    // (1 + 2^-12)^2 - (1 + 2^-11) = 2^-24 exactly; rounded to float first, the square loses that 2^-24.
    const float x = 1.0f + 0x1.0p-12f;
    const float a[3] = {1.0f, x, 1.0f}, b[3] = {1.0f, x, 1.0f + 0x1.0p-11f};
    float d[3] = {};
    ASSERT_EQ(dspMulSpectra(a, b, d, 3), dspOk);
    EXPECT_EQ(d[1], GetParam() == 0 ? 0x1.0p-24f : 0.0f);
}

TEST_P(SpectrumProduct, TheSpectrumOfAUnitImpulseLeavesASpectrumAsItWas)
{
    for (int len : {2, 8, 30, 512}) {
        const auto a = finiteValues(len, len);
        std::vector<float> impulse(len, 0.0f), d(len);
        impulse[0] = impulse[1] = 1.0f;
        for (int k = 2; k < len; k += 2)
            impulse[k] = 1.0f;
        ASSERT_EQ(dspMulSpectra(a.data(), impulse.data(), d.data(), len), dspOk);
        for (int k = 0; k < len; ++k)
            EXPECT_EQ(d[k], a[k]) << len << ", " << k;  // equal as values: a zero may change its sign
    }
}

INSTANTIATE_FOR_EVERY_CPU_CLASS(SpectrumProduct);

class SplitSpectrumSums : public dsptest::EveryCpuClass {};

// Where bin k's real part lies in its strip's row; its imaginary part is 4 floats later.
std::size_t splitIndex(int k, std::size_t stripStride)
{
    return stripStride * static_cast<std::size_t>(k / 8) + static_cast<std::size_t>(8 * (k % 8 / 4) + k % 4);
}

// The sums as the engine formed them before the split layout: per run and row
// the interleaved product of dspMulSpectra (bin 0 as two reals when the
// spectrum is packed, else behind one unused real element), then dspAddInPlace.
std::vector<float> productSumsThroughInterleavedSpectra(const std::vector<std::vector<float>>& a,
                                                        const std::vector<std::vector<float>>& b,
                                                        const std::vector<int>& rows, std::vector<float> sum, int bins,
                                                        std::size_t aStride, std::size_t bStride, bool realFirstBin)
{
    const int lead = realFirstBin ? 0 : 1;
    const int len = 2 * bins + lead;
    auto interleaved = [&](const float* first, std::size_t stripStride) {
        std::vector<float> packed(static_cast<std::size_t>(len), 0.0f);
        for (int k = 0; k < bins; ++k) {
            packed[lead + 2 * k] = first[splitIndex(k, stripStride)];
            packed[lead + 2 * k + 1] = first[splitIndex(k, stripStride) + 4];
        }
        return packed;
    };
    std::vector<float> total = interleaved(sum.data(), 16);
    for (std::size_t t = 0; t < rows.size(); ++t)
        for (int r = 0; r < rows[t]; ++r) {
            const std::vector<float> x = interleaved(a[t].data() + 16 * r, aStride);
            const std::vector<float> y = interleaved(b[t].data() + 16 * r, bStride);
            std::vector<float> product(static_cast<std::size_t>(len));
            EXPECT_EQ(dspMulSpectra(x.data(), y.data(), product.data(), len), dspOk);
            EXPECT_EQ(dspAddInPlace(product.data() + lead, total.data() + lead, 2 * bins), dspOk);
        }
    for (int k = 0; k < bins; ++k) {
        sum[splitIndex(k, 16)] = total[lead + 2 * k];
        sum[splitIndex(k, 16) + 4] = total[lead + 2 * k + 1];
    }
    return sum;
}

TEST_P(SplitSpectrumSums, NullPointersComeBeforeCountsAndErrorsWriteNothing)
{
    const float row[16] = {};
    const float* runs[1] = {row};
    const float* missing[1] = {nullptr};
    const int one[1] = {1}, negative[1] = {-1};
    float sum[16];
    for (float& x : sum)
        x = -1.0f;
    EXPECT_EQ(dspMulAccumulateSplitSpectra(nullptr, runs, one, 1, sum, 0, 16, 16, 0), dspErrNullPointer);
    EXPECT_EQ(dspMulAccumulateSplitSpectra(runs, missing, one, 1, sum, 1, 16, 16, 0), dspErrNullPointer);
    EXPECT_EQ(dspMulAccumulateSplitSpectra(runs, runs, nullptr, 1, sum, 1, 16, 16, 1), dspErrNullPointer);
    EXPECT_EQ(dspMulAccumulateSplitSpectra(runs, runs, one, 1, nullptr, 1, 16, 16, 0), dspErrNullPointer);
    EXPECT_EQ(dspMulAccumulateSplitSpectra(runs, runs, one, 1, sum, 0, 16, 16, 0), dspErrLength);
    EXPECT_EQ(dspMulAccumulateSplitSpectra(runs, runs, one, 0, sum, 1, 16, 16, 0), dspErrLength);
    EXPECT_EQ(dspMulAccumulateSplitSpectra(runs, runs, negative, 1, sum, 1, 16, 16, 0), dspErrLength);
    EXPECT_EQ(dspMulAccumulateSplitSpectra(runs, runs, one, 1, sum, 9, 15, 16, 0), dspErrLength);
    EXPECT_EQ(dspMulAccumulateSplitSpectra(runs, runs, one, 1, sum, 9, 16, 15, 0), dspErrLength);
    EXPECT_EQ(dspMulAccumulateSplitSpectra(runs, runs, one, INT_MIN, sum, INT_MIN, 16, 16, 1), dspErrLength);
    for (float x : sum)
        EXPECT_EQ(x, -1.0f);
}

TEST_P(SplitSpectrumSums, SumsEqualTheProductsThenTheAdditionsOfTheInterleavedSpectraBitForBit)
{
    // Tails of every width, several strips, and runs of no row, one row and many,
    // as the engine's segments of history rows are.
    const std::vector<std::vector<int>> runShapes = {{1}, {5}, {3, 0, 7}, {2, 9, 1, 4}};
    for (int bins : {1, 2, 3, 4, 5, 7, 8, 9, 12, 16, 20, 33, 64}) {
        const int strips = (bins + 7) / 8;
        for (const std::vector<int>& rows : runShapes) {
            // Strides with room to spare, and a's unlike b's, as the engine's
            // history rows and rows of cells are.
            const std::size_t aStride = 16 * 10 + 4, bStride = 16 * 12;
            const std::size_t aFloats = aStride * static_cast<std::size_t>(strips - 1) + 16 * 9;
            const std::size_t bFloats = bStride * static_cast<std::size_t>(strips - 1) + 16 * 9;
            std::vector<std::vector<float>> a, b;
            for (std::size_t t = 0; t < rows.size(); ++t) {
                a.push_back(finiteValues(aFloats, static_cast<std::uint32_t>(7 * bins + t)));
                b.push_back(finiteValues(bFloats, static_cast<std::uint32_t>(11 * bins + t)));
            }
            const auto start = finiteValues(16 * static_cast<std::size_t>(strips), 13 * bins);
            for (const bool realFirstBin : {false, true}) {
                const auto expected = productSumsThroughInterleavedSpectra(a, b, rows, start, bins, aStride, bStride,
                                                                           realFirstBin);
                for (std::size_t offset : {0, 4, 8}) {
                    // The runs and the sums each at another alignment in turn.
                    std::vector<std::unique_ptr<GuardedWindow>> windows;
                    std::vector<const float*> aRuns, bRuns;
                    for (std::size_t t = 0; t < rows.size(); ++t) {
                        windows.push_back(std::make_unique<GuardedWindow>(aFloats, (offset + 4 * t) % 12));
                        windows.back()->fill(a[t]);
                        aRuns.push_back(windows.back()->data());
                        windows.push_back(std::make_unique<GuardedWindow>(bFloats, offset % 8));
                        windows.back()->fill(b[t]);
                        bRuns.push_back(windows.back()->data());
                    }
                    GuardedWindow wsum(start.size(), 12 - offset);
                    wsum.fill(start);
                    ASSERT_EQ(dspMulAccumulateSplitSpectra(aRuns.data(), bRuns.data(), rows.data(),
                                                           static_cast<int>(rows.size()), wsum.data(), bins,
                                                           static_cast<int>(aStride), static_cast<int>(bStride),
                                                           realFirstBin ? 1 : 0),
                              dspOk);
                    ASSERT_NO_FATAL_FAILURE(expectModel(wsum.values(), expected,
                                                        std::to_string(bins) + " bins, " + std::to_string(rows.size()) +
                                                            " runs, offset " + std::to_string(offset) +
                                                            (realFirstBin ? ", packed" : "")));
                    ASSERT_TRUE(wsum.canariesIntact());
                    for (std::size_t t = 0; t < rows.size(); ++t) {
                        ASSERT_EQ(windows[2 * t]->values(), a[t]);
                        ASSERT_EQ(windows[2 * t + 1]->values(), b[t]);
                    }
                }
            }
        }
    }
}

TEST_P(SplitSpectrumSums, APairOfOutputsGetsEachOnesOwnSumsBitForBit)
{
    const std::vector<std::vector<int>> runShapes = {{6}, {3, 0, 7}, {2, 9, 1, 4}};
    for (int bins : {3, 8, 9, 16, 33, 64}) {
        const int strips = (bins + 7) / 8;
        for (const std::vector<int>& rows : runShapes)
            for (const bool realFirstBin : {false, true})
                for (const std::size_t misalignment : {0, 4}) {  // in bytes, of the second output's sums
                    const int aStride = 16 * 10, bStride = 16 * 12;
                    const std::size_t runFloats = bStride * static_cast<std::size_t>(strips - 1) + 16 * 9;
                    std::vector<std::unique_ptr<GuardedWindow>> windows;
                    std::vector<const float*> runs[3];
                    for (int array = 0; array < 3; ++array)
                        for (std::size_t t = 0; t < rows.size(); ++t) {
                            windows.push_back(std::make_unique<GuardedWindow>(runFloats, 0));
                            windows.back()->fill(
                                finiteValues(runFloats, static_cast<std::uint32_t>(100 * array + 7 * bins + t)));
                            runs[array].push_back(windows.back()->data());
                        }
                    const auto start = finiteValues(16 * static_cast<std::size_t>(strips), 13 * bins);
                    const auto otherStart = finiteValues(start.size(), 17 * bins);
                    std::vector<float> expected = start, otherExpected = otherStart;
                    const int count = static_cast<int>(rows.size()), first = realFirstBin ? 1 : 0;
                    ASSERT_EQ(dspMulAccumulateSplitSpectra(runs[0].data(), runs[1].data(), rows.data(), count,
                                                           expected.data(), bins, aStride, bStride, first),
                              dspOk);
                    ASSERT_EQ(dspMulAccumulateSplitSpectra(runs[0].data(), runs[2].data(), rows.data(), count,
                                                           otherExpected.data(), bins, aStride, bStride, first),
                              dspOk);
                    GuardedWindow sum(start.size(), 0), otherSum(start.size(), misalignment);
                    sum.fill(start);
                    otherSum.fill(otherStart);
                    ASSERT_EQ(dspMulAccumulateSplitSpectraPair(runs[0].data(), runs[1].data(), runs[2].data(),
                                                               rows.data(), count, sum.data(), otherSum.data(), bins,
                                                               aStride, bStride, first),
                              dspOk);
                    const std::string where = std::to_string(bins) + " bins, " + std::to_string(rows.size()) + " runs" +
                                              (realFirstBin ? ", packed" : "") +
                                              (misalignment > 0 ? ", misaligned" : "");
                    ASSERT_NO_FATAL_FAILURE(expectModel(sum.values(), expected, where));
                    ASSERT_NO_FATAL_FAILURE(expectModel(otherSum.values(), otherExpected, where));
                    ASSERT_TRUE(sum.canariesIntact() && otherSum.canariesIntact());
                }
    }
    const float row[16] = {};
    const float* some[1] = {row};
    const float* missing[1] = {nullptr};
    const int one[1] = {1};
    float sum[16] = {}, otherSum[16] = {};
    EXPECT_EQ(dspMulAccumulateSplitSpectraPair(some, some, missing, one, 1, sum, otherSum, 8, 16, 16, 0),
              dspErrNullPointer);
    EXPECT_EQ(dspMulAccumulateSplitSpectraPair(some, some, some, one, 1, sum, nullptr, 8, 16, 16, 0),
              dspErrNullPointer);
    EXPECT_EQ(dspMulAccumulateSplitSpectraPair(some, some, some, one, 1, sum, otherSum, 9, 16, 15, 0), dspErrLength);
}

TEST_P(SplitSpectrumSums, APackedFirstBinMultipliesItsTwoRealsEachByItsOwn)
{
    // Row: bins (2 + 3i) and (5 + 7i), the first packed as DC 2 and Nyquist 3,
    // padded with zeros.
    const float a[16] = {2.0f, 5.0f, 0.0f, 0.0f, 3.0f, 7.0f};
    const float b[16] = {11.0f, 17.0f, 0.0f, 0.0f, 13.0f, 19.0f};
    const float* aRuns[1] = {a};
    const float* bRuns[1] = {b};
    const int rows[1] = {1};
    float sum[16];
    for (float& x : sum)
        x = 1.0f;
    ASSERT_EQ(dspMulAccumulateSplitSpectra(aRuns, bRuns, rows, 1, sum, 2, 16, 16, 1), dspOk);
    EXPECT_EQ(sum[0], 1.0f + 22.0f);
    EXPECT_EQ(sum[4], 1.0f + 39.0f);
    EXPECT_EQ(sum[1], 1.0f + 85.0f - 133.0f);
    EXPECT_EQ(sum[5], 1.0f + 95.0f + 119.0f);
    EXPECT_EQ(sum[2], 1.0f) << "the padding lanes are left alone";
}

INSTANTIATE_FOR_EVERY_CPU_CLASS(SplitSpectrumSums);

// The reads of the sums' loops are the sanitizers' to check like any other.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif

TEST(SplitSpectrumSumsChecked, AReadPastACellsHeapArrayIsReported)
{
    if (!kAddressSanitizer)
        GTEST_SKIP() << "only a build with AddressSanitizer checks the reads";
    // Aligned arrays and a whole strip: the fastest path of every class. The
    // cell holds two rows, the run asks for three.
    const std::unique_ptr<float, decltype(&std::free)> cell(static_cast<float*>(
                                                                std::aligned_alloc(16, 32 * sizeof(float))),
                                                            &std::free);
    const std::unique_ptr<float, decltype(&std::free)> history(static_cast<float*>(
                                                                   std::aligned_alloc(16, 48 * sizeof(float))),
                                                               &std::free);
    ASSERT_TRUE(cell != nullptr && history != nullptr);
    std::fill_n(cell.get(), 32, 1.0f);
    std::fill_n(history.get(), 48, 1.0f);
    const float* cells[1] = {cell.get()};
    const float* histories[1] = {history.get()};
    const int rows[1] = {3};
    alignas(16) float sum[16] = {};
    EXPECT_DEATH(dspMulAccumulateSplitSpectra(histories, cells, rows, 1, sum, 8, 16, 16, 0), "heap-buffer-overflow");
}

}  // namespace
