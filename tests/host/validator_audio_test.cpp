// The validators' audio checks on Brondil.so in our host: every block size a
// host may announce, calls of any length, sample rates and their changes,
// non-finite input.
#include <cmath>
#include <limits>
#include <random>

#include "tests/host/validator_fixture.h"

namespace {

std::function<int32_t()> always(int32_t frames)
{
    return [frames] { return frames; };
}

TEST_F(ValidatorTest, EveryBlockSizeSoundsTheDirectConvolution)
{
    for (int32_t block : {1, 2, 3, 5, 17, 64, 137, 441, 480, 511, 512, 513, 1000, 4096, 7984, 8192}) {
        SCOPED_TRACE("block size " + std::to_string(block));
        makeLoadedEffect(block);
        effect->resume();
        const PlanarSamples input = probeSignal(4 * block + 1000);
        expectDirectConvolution(input, render(input, always(block)));
        closeEffect();
    }
}

TEST_F(ValidatorTest, ABlockSizeOfZeroSoundsNothingAndHarmsNothing)
{
    makeLoadedEffect(0);
    effect->resume();
    float silence[1] = {};
    float* channels[kChannels] = {silence, silence};
    effect->process(channels, channels, 0);
    effect->suspend();
    closeEffect();
}

TEST_F(ValidatorTest, RandomCallLengthsSoundTheDirectConvolution)
{
    std::mt19937 random(17);
    // Within the announced size as VST asks, and past it as some hosts do.
    for (const auto& [announced, longest] : {std::pair<int32_t, int32_t>{512, 512}, {64, 200}}) {
        SCOPED_TRACE("announced " + std::to_string(announced));
        makeLoadedEffect(announced);
        effect->resume();
        std::uniform_int_distribution<int32_t> frames(0, longest);
        const PlanarSamples input = probeSignal(6000);
        expectDirectConvolution(input, render(input, [&] { return frames(random); }));
        closeEffect();
    }
}

TEST_F(ValidatorTest, SampleRatesFrom22050To384000AndTheirChangesBetweenResumes)
{
    makeLoadedEffect(256);
    const PlanarSamples input = probeSignal(3000);
    for (double rate : {22050.0, 44100.0, 48000.0, 88200.0, 96000.0, 176400.0, 192000.0, 352800.0, 384000.0, 44100.0}) {
        SCOPED_TRACE("rate " + std::to_string(rate));
        effect->dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
        effect->resume();
        expectDirectConvolution(input, render(input, always(256)));
        effect->suspend();
    }
}

TEST_F(ValidatorTest, NonFiniteInputLeavesNoNonFiniteOutputOnceTheIrHasPassed)
{
    constexpr int32_t kBlock = 128;
    makeLoadedEffect(kBlock);
    effect->resume();
    PlanarSamples input = probeSignal(20000);
    const std::size_t firstPoison = input[0].size() / 2 - 8000;
    const std::size_t lastPoison = firstPoison + 300;
    PlanarSamples clean = input;
    input[0][firstPoison] = std::numeric_limits<float>::quiet_NaN();
    input[1][firstPoison + 100] = std::numeric_limits<float>::infinity();
    input[0][lastPoison] = -std::numeric_limits<float>::infinity();
    const PlanarSamples output = render(input, always(kBlock));

    const int delay = delayOf(output);
    ASSERT_GE(delay, 0);
    // After the IR's length and a few hops of the FFT size the effect picks
    // here (1024), no output may remember the poison.
    const std::size_t clear = lastPoison + kIrFrames + 4096 + static_cast<std::size_t>(delay);
    for (int o = 0; o < kChannels; ++o)
        for (std::size_t t = clear; t < output[o].size(); ++t)
            ASSERT_TRUE(std::isfinite(output[o][t])) << "output " << o << " at " << t;
    // And from there on the effect sounds as if the poison had been silence.
    for (int c = 0; c < kChannels; ++c)
        for (std::size_t t = firstPoison; t <= lastPoison; ++t)
            clean[c][t] = 0.0f;
    const std::size_t frames = output[0].size() - static_cast<std::size_t>(delay);
    for (int o = 0; o < kChannels; ++o) {
        const std::vector<double> reference = directConvolution(clean, cells, o, frames);
        for (std::size_t t = clear; t < frames; ++t)
            ASSERT_NEAR(output[o][t + static_cast<std::size_t>(delay)], reference[t], 1e-4) << "output " << o;
    }
}

}  // namespace
