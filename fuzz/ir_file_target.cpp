#include "fuzz/fuzz_targets.h"

#include <cmath>

#include "fuzz/fuzz_input.h"
#include "fuzz/fuzz_scratch.h"

namespace {

constexpr int kChannels = 2;
constexpr int kBlock = 64;

// Noise through the processor for a few hops: every output sample is finite.
void expectFiniteOutput(BRFilter& filter)
{
    juce::AudioBuffer<float> buffer(kChannels, kBlock);
    juce::MidiBuffer midi;
    juce::Random random(1);
    for (int block = 0; block < 40; ++block) {
        for (int c = 0; c < kChannels; ++c)
            for (int t = 0; t < kBlock; ++t)
                buffer.setSample(c, t, random.nextFloat() * 2.0f - 1.0f);
        {
            const juce::ScopedLock lock(filter.getCallbackLock());
            filter.processBlock(buffer, midi);
        }
        for (int c = 0; c < kChannels; ++c)
            for (int t = 0; t < kBlock; ++t)
                if (!std::isfinite(buffer.getSample(c, t)))
                    brokenPromise("an impulse response the processor takes sounds finite");
    }
}

}  // namespace

int fuzzIrFile(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const auto mode = workingModeOf(input.byte() % 3);
    const juce::File file = writeScratchFile("ir", input.rest());

    const auto filter = makeFuzzProcessor(kChannels, kChannels);
    filter->irSize = 512;
    filter->prepareToPlay(48000.0, kBlock);
    filter->setWorkingMode(*mode);
    if (*mode == BRWorkingMode::irMono) {
        for (int o = 0; o < kChannels; ++o)
            for (int i = 0; i < kChannels; ++i)
                filter->loadMonoIrIntoCell(o, i, file.getFullPathName());
    } else {
        filter->loadMultichannelIrFile(file.getFullPathName());
    }
    expectFiniteOutput(*filter);
    return 0;
}
