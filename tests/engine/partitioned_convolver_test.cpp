#include <cmath>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "engine/partitioned_convolver.h"
#include "primitives/dispatch/fp_control.h"
#include "tests/support/cpu_class.h"

namespace {

using Signal = std::vector<float>;

// A one-input, one-output convolver holding ir, its spectra kept beside it.
class OneCellConvolver {
public:
    OneCellConvolver(int fftSize, int blockSize, const Signal& ir)
    {
        prepared = convolver.prepare(1, 1, fftSize, blockSize) &&
                   convolver.preparePartitions(static_cast<int>(ceilDiv(static_cast<int>(ir.size()), fftSize / 2))) &&
                   convolver.makeCellSpectra(ir.data(), static_cast<std::int64_t>(ir.size()),
                                             static_cast<int>(ir.size()), spectra);
        convolver.setCell(0, 0, spectra.data());
    }

    // Runs input through process in calls of blockSize samples.
    Signal run(Signal signal, int blockSize)
    {
        for (std::size_t at = 0; at < signal.size(); at += static_cast<std::size_t>(blockSize)) {
            float* channel = signal.data() + at;
            convolver.process(&channel, 1, blockSize, 1.0f);
        }
        return signal;
    }

    bool prepared = false;
    BRPartitionedConvolver convolver;
    BRAlignedFloats spectra;
};

int subnormalCount(const Signal& signal)
{
    int count = 0;
    for (const float sample : signal)
        count += std::fpclassify(sample) == FP_SUBNORMAL ? 1 : 0;
    return count;
}

TEST(PartitionedConvolver, RefusesSizesItCannotRunAndStaysUnprepared)
{
    BRPartitionedConvolver convolver;
    EXPECT_FALSE(convolver.prepare(1, 1, 1000, 100)) << "FFT size not a power of two";
    EXPECT_FALSE(convolver.prepare(1, 1, 2 * BRPartitionedConvolver::kMaxFftSize, 64));
    EXPECT_FALSE(convolver.prepare(1, 1, 1024, 513)) << "block above the hop";
    EXPECT_FALSE(convolver.prepare(1, 1, 1024, 0));
    EXPECT_FALSE(convolver.prepare(0, 1, 1024, 256));
    EXPECT_FALSE(convolver.isPrepared());
    EXPECT_FALSE(convolver.preparePartitions(4));
    BRAlignedFloats spectra;
    const float ir[1] = {1.0f};
    EXPECT_FALSE(convolver.makeCellSpectra(ir, 1, 1, spectra));
    EXPECT_TRUE(convolver.prepare(2, 3, 1024, 512));
    EXPECT_EQ(convolver.hopSize(), 512);
}

TEST(PartitionedConvolver, WithoutPartitionsTheOutputsAreSilentAndExtraChannelsUntouched)
{
    BRPartitionedConvolver convolver;
    ASSERT_TRUE(convolver.prepare(1, 1, 256, 64));
    Signal output(64, 0.5f), extra(64, 0.25f);
    float* channels[2] = {output.data(), extra.data()};
    convolver.process(channels, 2, 64, 1.0f);
    EXPECT_EQ(output, Signal(64, 0.0f));
    EXPECT_EQ(extra, Signal(64, 0.25f));
}

// The direct convolution of input with ir in double precision, at sample t.
double directAt(const Signal& input, const Signal& ir, std::size_t t)
{
    double sum = 0.0;
    for (std::size_t k = 0; k < ir.size() && k <= t; ++k)
        sum += static_cast<double>(ir[k]) * input[t - k];
    return sum;
}

TEST(PartitionedConvolver, ACellReplacedInTheMiddleOfAHopMakesThatHopsWholeOutput)
{
    // Hops of 32 samples in calls of 8: the first calls of a hop already sum
    // the older partitions, with the cell they find.
    constexpr int kFft = 64, kHop = kFft / 2, kBlock = 8, kDelay = kHop - kBlock;
    Signal first(200), second(200), input(80 * kBlock);
    for (std::size_t k = 0; k < first.size(); ++k) {
        first[k] = std::sin(0.37f * static_cast<float>(k)) / static_cast<float>(k + 1);
        second[k] = std::cos(0.11f * static_cast<float>(k)) / static_cast<float>(k + 2);
    }
    for (std::size_t t = 0; t < input.size(); ++t)
        input[t] = std::sin(0.05f * static_cast<float>(t * t % 997));
    OneCellConvolver cell(kFft, kBlock, first);
    ASSERT_TRUE(cell.prepared);
    BRAlignedFloats replacement;
    ASSERT_TRUE(cell.convolver.makeCellSpectra(second.data(), 200, 200, replacement));

    // Ten hops, then two calls into the eleventh before the cell changes.
    constexpr int kChangeAt = 10 * kHop + 2 * kBlock;
    Signal output = input;
    for (int at = 0; at < static_cast<int>(output.size()); at += kBlock) {
        if (at == kChangeAt)
            cell.convolver.setCell(0, 0, replacement.data());
        float* channel = output.data() + at;
        cell.convolver.process(&channel, 1, kBlock, 1.0f);
    }
    // The eleventh hop's output leaves from its last call on.
    const std::size_t firstWithSecond = 11 * kHop - kBlock;
    double error = 0.0, energy = 0.0;
    for (std::size_t t = firstWithSecond; t < output.size(); ++t) {
        const double expected = directAt(input, second, t - kDelay);
        error += (output[t] - expected) * (output[t] - expected);
        energy += expected * expected;
    }
    // Single-precision transforms of 64 points and sums of 7 partitions: errors near 1e-7.
    EXPECT_LT(std::sqrt(error / energy), 1e-5);
    EXPECT_NEAR(output[firstWithSecond - 1], directAt(input, first, firstWithSecond - 1 - kDelay), 1e-4)
        << "the output before it is the first cell's";
}

TEST(PartitionedConvolver, CellsComingAndGoingLeaveTheOthersSpectraAndOutputsExact)
{
    // 3 inputs × 3 outputs, hops of 32, 5 partitions: rows of one, two and
    // three cells, two outputs alike (summed as a pair) and one apart.
    constexpr int kInputs = 3, kOutputs = 3, kFft = 64, kBlock = 16, kIr = 150, kDelay = kFft / 2 - kBlock;
    BRPartitionedConvolver convolver;
    ASSERT_TRUE(convolver.prepare(kInputs, kOutputs, kFft, kBlock));
    ASSERT_TRUE(convolver.preparePartitions(static_cast<int>(ceilDiv(kIr, kFft / 2))));
    std::vector<Signal> irs;
    std::vector<BRAlignedFloats> spectra(kInputs * kOutputs + 1);
    for (std::size_t c = 0; c < spectra.size(); ++c) {
        Signal ir(kIr);
        for (int k = 0; k < kIr; ++k)
            ir[k] = std::sin(0.3f * static_cast<float>((c + 2) * k)) * std::exp(-0.02f * static_cast<float>(k));
        ASSERT_TRUE(convolver.makeCellSpectra(ir.data(), kIr, kIr, spectra[c]));
        irs.push_back(ir);
    }
    auto bitsOf = [](const float* p, std::int64_t count) { return Signal(p, p + count); };
    const std::int64_t cellFloats = spectra[0].size();
    // held[o][i]: the spectra index the cell holds, or -1.
    int held[kOutputs][kInputs] = {{-1, -1, -1}, {-1, -1, -1}, {-1, -1, -1}};
    auto set = [&](int o, int i, int c) {
        ASSERT_TRUE(convolver.setCell(o, i, c < 0 ? nullptr : spectra[c].data()));
        held[o][i] = c;
        for (int po = 0; po < kOutputs; ++po)
            for (int pi = 0; pi < kInputs; ++pi) {
                ASSERT_EQ(convolver.hasCell(po, pi), held[po][pi] >= 0);
                BRAlignedFloats copy;
                ASSERT_EQ(convolver.copyCell(po, pi, copy), held[po][pi] >= 0);
                if (held[po][pi] >= 0) {
                    ASSERT_EQ(bitsOf(copy.data(), cellFloats), bitsOf(spectra[held[po][pi]].data(), cellFloats))
                        << "cell " << po << ", " << pi << " after a change at " << o << ", " << i;
                }
            }
    };
    set(0, 2, 0);
    set(2, 2, 1);
    set(0, 0, 2);
    set(1, 1, 3);
    set(0, 1, 4);  // before its row's other cells
    set(1, 0, 5);
    set(0, 2, -1);
    set(0, 0, 6);  // in place
    set(2, 2, 9);  // in place, alone in its row
    ASSERT_TRUE(convolver.setCell(1, 2, nullptr)) << "an absent cell stays absent";
    ASSERT_FALSE(convolver.setCell(3, 0, spectra[0].data()));

    std::vector<Signal> signals(kInputs, Signal(40 * kBlock));
    for (int i = 0; i < kInputs; ++i)
        for (std::size_t t = 0; t < signals[i].size(); ++t)
            signals[i][t] = std::sin(0.05f * static_cast<float>((i + 1) * (t * t % 997)));
    std::vector<Signal> channels = signals;
    for (std::size_t at = 0; at < channels[0].size(); at += kBlock) {
        float* pointers[kInputs];
        for (int i = 0; i < kInputs; ++i)
            pointers[i] = channels[i].data() + at;
        convolver.process(pointers, kInputs, kBlock, 1.0f);
    }
    for (int o = 0; o < kOutputs; ++o) {
        double error = 0.0, energy = 0.0;
        for (std::size_t t = kDelay; t < channels[o].size(); ++t) {
            double expected = 0.0;
            for (int i = 0; i < kInputs; ++i)
                if (held[o][i] >= 0)
                    expected += directAt(signals[i], irs[held[o][i]], t - kDelay);
            error += (channels[o][t] - expected) * (channels[o][t] - expected);
            energy += expected * expected;
        }
        EXPECT_LT(std::sqrt(error / energy), 1e-5) << "output " << o;
    }
}

// Subnormal numbers are flushed while processing: an IR whose second partition
// lies wholly in the subnormal range, or subnormal input, produces zeros there
// instead of subnormal output computed at many times the cost.
class ConvolverSubnormals : public dsptest::EveryCpuClass {};

TEST_P(ConvolverSubnormals, AnIrFadingBelowTheNormalRangeGivesNoSubnormalOutput)
{
    constexpr int kFft = 256;
    constexpr int kHop = kFft / 2;
    Signal ir(2 * kHop, 3e-39f);
    std::fill(ir.begin(), ir.begin() + kHop, 0.0f);
    ir[0] = 1.0f;
    OneCellConvolver cell(kFft, kHop, ir);
    ASSERT_TRUE(cell.prepared);
    Signal input(8 * kHop, 0.0f);
    input[0] = 1.0f;
    const Signal output = cell.run(input, kHop);
    EXPECT_EQ(subnormalCount(output), 0);
    EXPECT_NEAR(output[0], 1.0f, 1e-6f) << "normal numbers still pass";
}

TEST_P(ConvolverSubnormals, SubnormalInputGivesNoSubnormalOutput)
{
    Signal ir(300, 0.0f);
    ir[0] = 1.0f;
    ir[200] = 0.5f;
    OneCellConvolver cell(256, 64, ir);
    ASSERT_TRUE(cell.prepared);
    const Signal output = cell.run(Signal(64 * 20, 1e-40f), 64);
    EXPECT_EQ(subnormalCount(output), 0);
}

TEST_P(ConvolverSubnormals, TheCallersFloatingPointControlComesBackWhole)
{
    Signal ir(100, 0.25f);
    OneCellConvolver cell(256, 64, ir);
    ASSERT_TRUE(cell.prepared);
    const std::uint32_t before = dspGetMxcsr();
    // Round to nearest, every exception masked, the precision flag raised: a host's own state.
    for (const std::uint32_t host : {0x1F80u | 0x20u, 0x1F80u | 0x8040u}) {
        dspLoadMxcsr(host);
        cell.run(Signal(64 * 4, 0.5f), 64);
        const std::uint32_t after = dspGetMxcsr();
        dspLoadMxcsr(before);
        EXPECT_EQ(after, host);
    }
}

INSTANTIATE_FOR_EVERY_CPU_CLASS(ConvolverSubnormals);

}  // namespace
