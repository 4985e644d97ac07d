#include <algorithm>
#include <cmath>
#include <utility>

#include <gtest/gtest.h>

#include "tests/engine/convolution_fixture.h"
#include "tests/support/guarded_buffer.h"

namespace {

using namespace enginetest;

Signal impulseAt(std::size_t length, std::size_t position, float value = 1.0f)
{
    Signal signal(length, 0.0f);
    signal[position] = value;
    return signal;
}

std::size_t firstNonZero(const Signal& signal)
{
    for (std::size_t t = 0; t < signal.size(); ++t)
        if (signal[t] != 0.0f)
            return t;
    return signal.size();
}

TEST(ConvolutionBehaviour, AnImpulseComesOutHopMinusBlockLate)
{
    TestProcessor filter(1, 1, {1024, 1024, 0, 0});
    filter->prepareToPlay(48000.0, 256);
    EXPECT_EQ(filter->hopSize, 512);
    EXPECT_EQ(filter->getLatencySamples(), 0);
    filter.loadMatrix({{impulseAt(1024, 0)}});

    const Channels output = process(*filter, {impulseAt(4096, 0)}, fixedLength(256));

    // The transforms of a unit impulse round at about 1e-7.
    EXPECT_NEAR(output[0][256], 1.0f, 1e-6f);
    for (std::size_t t = 0; t < output[0].size(); ++t) {
        if (t != 256) {
            EXPECT_NEAR(output[0][t], 0.0f, 1e-6f) << t;
        }
    }
}

TEST(ConvolutionBehaviour, InZeroLatencyModeAnImpulseLagsOnlyWhenTheBlockIsNoPowerOfTwo)
{
    // The hop is the smallest power of two that holds the block; the host is
    // told a latency of 0 whatever the lag.
    for (const auto& [block, lag] : {std::pair{512, 0}, {480, 32}, {2485, 1611}}) {
        TestProcessor filter(1, 1, {1024, 1024, 1, 0});
        filter->prepareToPlay(48000.0, block);
        EXPECT_EQ(filter->getLatencySamples(), 0) << block;
        filter.loadMatrix({{impulseAt(1024, 0)}});
        const Channels output = process(*filter, {impulseAt(3 * 4096, 0)}, fixedLength(block));
        EXPECT_EQ(firstNonZero(output[0]), static_cast<std::size_t>(lag)) << block;
    }
}

TEST(ConvolutionBehaviour, AnIncompleteMatrixIsExactSilenceAndFreezesUntilComplete)
{
    TestProcessor filter(2, 1, {512, 512, 0, 0});
    filter->prepareToPlay(48000.0, 128);
    const Signal ir = decayingIr(512, 3);
    const juce::File cellFile = filter.file("ir.wav");
    writeChannels(cellFile, {ir});
    ASSERT_TRUE(filter->loadMonoIrIntoCell(0, 0, cellFile.getFullPathName()));
    ASSERT_FALSE(filter->allCellsLoaded());

    const Channels silent = process(*filter, {noise(2000, 1), noise(2000, 2)}, fixedLength(128));
    for (const float sample : silent[0])
        ASSERT_EQ(sample, 0.0f);

    // The counters stayed where they were: the delay is still H − B.
    ASSERT_TRUE(filter->loadMonoIrIntoCell(0, 1, cellFile.getFullPathName()));
    const Channels sound = process(*filter, {impulseAt(2000, 0), Signal(2000, 0.0f)}, fixedLength(128));
    EXPECT_EQ(firstNonZero(sound[0]), 128u);
    EXPECT_NEAR(sound[0][128], ir[0], 1e-6f);
}

TEST(ConvolutionBehaviour, MinusSixDecibelsScalesTheZeroDecibelOutputBitForBit)
{
    const Signal ir = decayingIr(3000, 5);
    const Signal input = noise(6000, 6);
    auto run = [&](double decibels) {
        TestProcessor filter(1, 1, {1024, 3000, 0, 0});
        filter->wetGain.setDb(decibels);
        filter->prepareToPlay(48000.0, 256);
        filter.loadMatrix({{ir}});
        return process(*filter, {input}, fixedLength(256))[0];
    };
    const Signal loud = run(0.0);
    const Signal quiet = run(-6.0);
    const float factor = static_cast<float>(std::pow(10.0, -6.0 / 20.0));
    for (std::size_t t = 0; t < loud.size(); ++t)
        ASSERT_EQ(quiet[t], loud[t] * factor) << t;
}

TEST(ConvolutionBehaviour, ALaterPrepareWithAnotherBlockSizeKeepsTheSetUpAndTheLagOfTheFirst)
{
    struct Case {
        int zeroLatency;
        int firstBlock;
        int laterBlock;
        std::size_t lag;  // H − B of the first block
    };
    for (const Case& run : {Case{0, 256, 64, 256}, Case{0, 256, 1000, 256}, Case{1, 512, 480, 0}, Case{1, 480, 512, 32},
                            Case{1, 256, 2485, 0}}) {
        SCOPED_TRACE(::testing::Message() << "zero latency " << run.zeroLatency << ", blocks " << run.firstBlock
                                          << " then " << run.laterBlock);
        TestProcessor filter(1, 1, {1024, 1024, run.zeroLatency, 0});
        filter->prepareToPlay(48000.0, run.firstBlock);
        const int fftSize = filter->fftSize;
        filter->editorNeedsRefresh = false;
        filter->prepareToPlay(44100.0, run.laterBlock);
        EXPECT_TRUE(filter->editorNeedsRefresh);
        EXPECT_EQ(filter->fftSize, fftSize);
        filter.loadMatrix({{impulseAt(1024, 0)}});
        const Channels output = process(*filter, {impulseAt(4 * 4096, 0)}, fixedLength(run.laterBlock));
        EXPECT_EQ(firstNonZero(output[0]), run.lag);
        EXPECT_NEAR(output[0][run.lag], 1.0f, 1e-6f);
    }
}

TEST(ConvolutionBehaviour, IrSizeBelowTheFftSizeIsRaisedAtTheFirstPrepare)
{
    TestProcessor filter(1, 1, {1024, 512, 0, 0});
    filter->prepareToPlay(48000.0, 256);
    EXPECT_EQ(filter->irSize, 1024);
}

TEST(ConvolutionBehaviour, EmptyCallsAndBuffersWithFewerChannelsTouchNothingOutside)
{
    TestProcessor filter(3, 3, {256, 256, 0, 1});
    filter->prepareToPlay(48000.0, 64);
    std::vector<Channels> irs;
    for (unsigned o = 0; o < 3; ++o)
        irs.push_back({decayingIr(256, 9 + 3 * o), decayingIr(256, 10 + 3 * o), decayingIr(256, 11 + 3 * o)});
    filter.loadMatrix(irs);

    // A host that hands over one channel, its samples right before a guard page:
    // only input 0 is read (the others count as silence) and only output 0 is
    // written, within the call's samples. Empty calls between change nothing.
    constexpr int kCall = 100;
    constexpr int kCalls = 10;
    const Signal input = noise(kCall * kCalls, 21);
    dsptest::GuardedBuffer samples(kCall * sizeof(float));
    float* const channel[] = {samples.floats()};
    juce::AudioBuffer<float> narrow(channel, 1, kCall);
    juce::AudioBuffer<float> empty(3, 0);
    juce::MidiBuffer midi;
    Channels output(1, Signal(input.size()));
    for (int call = 0; call < kCalls; ++call) {
        std::copy_n(input.begin() + call * kCall, kCall, samples.floats());
        const juce::ScopedLock lock(filter->getCallbackLock());
        filter->processBlock(empty, midi);
        filter->processBlock(narrow, midi);
        std::copy_n(samples.floats(), kCall, output[0].begin() + call * kCall);
    }

    const Signal silence(input.size(), 0.0f);
    const auto reference = referenceConvolution({input, silence, silence}, irs, false, input.size());
    // Float FFTs of 256 points over two partitions: the error stays near 1e-6.
    EXPECT_LT(relativeError(output, {reference[0]}, filter->hopSize - 64), 1e-5);
}

TEST(ConvolutionBehaviour, AResetMidHopThenTheSameIrsGiveTheIrAgainAtTheSameDelay)
{
    TestProcessor filter(1, 1, {1024, 1024, 0, 0});
    filter->prepareToPlay(48000.0, 256);
    const Signal ir = decayingIr(1024, 11);
    filter.loadMatrix({{ir}});
    process(*filter, {noise(256 * 3, 12)}, fixedLength(256));  // ends in the middle of a hop

    {
        const juce::ScopedLock lock(filter->getCallbackLock());
        filter->loadedCells = 0;
    }
    filter->resetConvolution();
    filter->unloadCell(0, 0);
    filter.loadMatrix({{ir}});

    const Channels output = process(*filter, {impulseAt(4096, 0)}, fixedLength(256));
    // Float transforms of a decaying IR: errors near 1e-7 of its peak of 1.
    for (std::size_t t = 0; t < 256; ++t)
        ASSERT_NEAR(output[0][t], 0.0f, 1e-5f) << t;
    for (std::size_t t = 0; t < 1024; ++t)
        ASSERT_NEAR(output[0][256 + t], ir[t], 1e-5f) << t;
}

}  // namespace
