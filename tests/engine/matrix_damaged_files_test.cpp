#include <random>

#include <gtest/gtest.h>
#include <sndfile.h>

#include "tests/engine/convolution_fixture.h"

namespace {

using namespace enginetest;

// Damage done to a valid file: cut it short, or overwrite bytes with noise.
juce::MemoryBlock damaged(const juce::MemoryBlock& original, int variant, std::mt19937& random)
{
    juce::MemoryBlock bytes(original);
    const std::size_t size = bytes.getSize();
    auto* data = static_cast<unsigned char*>(bytes.getData());
    std::uniform_int_distribution<std::size_t> position(0, size - 1);
    std::uniform_int_distribution<int> byte(0, 255);
    switch (variant % 4) {
    case 0:  // truncated anywhere, the header included
        bytes.setSize(position(random) % 200 == 0 ? 0 : position(random));
        break;
    case 1:  // noise in the header, where sizes and channel counts live
        for (int k = 0; k < 6; ++k)
            data[position(random) % 64] = static_cast<unsigned char>(byte(random));
        break;
    case 2:  // noise anywhere
        for (int k = 0; k < 40; ++k)
            data[position(random)] = static_cast<unsigned char>(byte(random));
        break;
    default:  // a size field of all ones
        for (std::size_t k = 4 + (variant / 4) % 40; k < std::min<std::size_t>(size, 8 + (variant / 4) % 40); ++k)
            data[k] = 0xff;
        break;
    }
    return bytes;
}

TEST(DamagedIrFiles, TwoHundredDamagedWavAndAiffFilesAreRefusedOrLoadedWithoutHarm)
{
    TestProcessor filter(2, 2, {256, 256, 0, 1});
    filter->prepareToPlay(48000.0, 64);
    const int formats[] = {SF_FORMAT_WAV | SF_FORMAT_PCM_16, SF_FORMAT_WAV | SF_FORMAT_FLOAT,
                           SF_FORMAT_AIFF | SF_FORMAT_PCM_24, SF_FORMAT_WAVEX | SF_FORMAT_PCM_16};
    std::mt19937 random(2024);
    juce::MidiBuffer midi;
    for (int n = 0; n < 200; ++n) {
        const int format = formats[n % 4];
        const juce::File valid = filter.file("valid.snd");
        const int channels = 1 + (n / 4) % 2;
        writeChannels(valid, Channels(static_cast<std::size_t>(channels), decayingIr(700, static_cast<unsigned>(n))),
                      format);
        juce::MemoryBlock original;
        ASSERT_TRUE(valid.loadFileAsData(original));
        const juce::File broken = filter.file("broken" + juce::String(n) + ((format & SF_FORMAT_AIFF) ? ".aif" : ".wav"));
        const juce::MemoryBlock bytes = damaged(original, n, random);
        ASSERT_TRUE(broken.replaceWithData(bytes.getData(), bytes.getSize()));

        filter->setWorkingMode(*workingModeOf(n % 3 == 0 ? 0 : 1 + n % 2));
        filter->loadMultichannelIrFile(broken.getFullPathName());
        filter->loadMonoIrIntoCell(n % 2, (n / 2) % 2, broken.getFullPathName());
        // Whatever was loaded must convolve without reading outside the cells.
        juce::AudioBuffer<float> buffer(2, 100);
        buffer.clear();
        const juce::ScopedLock lock(filter->getCallbackLock());
        filter->processBlock(buffer, midi);
    }
    SUCCEED();
}

}  // namespace
