#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <tuple>
#include <vector>

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

// What a load may change in the matrix: a refused load leaves all of it alone,
// down to the blocks the cells hold.
struct MatrixState {
    int irSize = 0;
    int loadedCells = 0;
    std::vector<const void*> blocks;  // every cell's samples and spectra
    std::vector<Signal> samples;      // every cell's samples, [o][i] at o × inputs + i
};

bool operator==(const MatrixState& a, const MatrixState& b)
{
    return std::tie(a.irSize, a.loadedCells, a.blocks, a.samples) ==
           std::tie(b.irSize, b.loadedCells, b.blocks, b.samples);
}

MatrixState stateOf(BRFilter& filter)
{
    MatrixState state{filter.irSize, filter.loadedCells.load(), {}, {}};
    for (const auto& row : filter.cells)
        for (const BRIrCell& cell : row) {
            state.blocks.push_back(cell.buffer.get());
            state.blocks.push_back(cell.partitions.data());
            const float* first = cell.buffer.get();
            state.samples.emplace_back(first, first == nullptr ? first : first + cell.frameCount);
        }
    return state;
}

// A file as libsndfile itself reads it: its first two channels, `frames` samples
// each, 0.0 past what it gives. info.channels is 0 when it does not open.
Channels readWithLibsndfile(const juce::File& file, std::int64_t frames, SF_INFO& info)
{
    info = {};
    SNDFILE* handle = sf_open(file.getFullPathName().toRawUTF8(), SFM_READ, &info);
    if (handle == nullptr) {
        info.channels = 0;
        return {};
    }
    const int kept = std::min(info.channels, 2);
    Channels channels(static_cast<std::size_t>(kept),
                      Signal(static_cast<std::size_t>(std::max<std::int64_t>(frames, 0))));
    std::vector<float> frame(static_cast<std::size_t>(info.channels));
    for (std::int64_t f = 0; f < frames && sf_readf_float(handle, frame.data(), 1) == 1; ++f)
        for (int c = 0; c < kept; ++c)
            channels[static_cast<std::size_t>(c)][static_cast<std::size_t>(f)] = frame[static_cast<std::size_t>(c)];
    sf_close(handle);
    return channels;
}

std::int64_t framesOf(const juce::File& file)
{
    SF_INFO info{};
    SNDFILE* handle = sf_open(file.getFullPathName().toRawUTF8(), SFM_READ, &info);
    if (handle == nullptr)
        return 0;
    sf_close(handle);
    return info.frames;
}

Signal cellSamples(const BRIrCell& cell) { return Signal(cell.buffer.get(), cell.buffer.get() + cell.frameCount); }

TEST(DamagedIrFiles, TwoHundredDamagedWavAndAiffFilesAreRefusedOrLoadedWithoutHarm)
{
    TestProcessor filter(2, 2, {256, 256, 0, 1});
    filter->prepareToPlay(48000.0, 64);
    const int formats[] = {SF_FORMAT_WAV | SF_FORMAT_PCM_16, SF_FORMAT_WAV | SF_FORMAT_FLOAT,
                           SF_FORMAT_AIFF | SF_FORMAT_PCM_24, SF_FORMAT_WAVEX | SF_FORMAT_PCM_16};
    std::mt19937 random(2024);
    juce::MidiBuffer midi;
    int multiLoads = 0, multiRefusals = 0, monoLoads = 0, monoRefusals = 0;
    for (int n = 0; n < 200; ++n) {
        SCOPED_TRACE("file " + std::to_string(n));
        const int format = formats[n % 4];
        const juce::File valid = filter.file("valid.snd");
        const int channels = 1 + (n / 4) % 2;
        writeChannels(valid, Channels(static_cast<std::size_t>(channels), decayingIr(700, static_cast<unsigned>(n))),
                      format);
        juce::MemoryBlock original;
        ASSERT_TRUE(valid.loadFileAsData(original));
        const juce::File broken =
            filter.file("broken" + juce::String(n) + ((format & SF_FORMAT_AIFF) ? ".aif" : ".wav"));
        const juce::MemoryBlock bytes = damaged(original, n, random);
        ASSERT_TRUE(broken.replaceWithData(bytes.getData(), bytes.getSize()));

        filter->setWorkingMode(*workingModeOf(n % 3 == 0 ? 0 : 1 + n % 2));
        // IR multi cuts each channel into one IR per input; the other modes
        // take a whole channel per diagonal cell. Both need two channels.
        const bool multi = filter->workingMode == BRWorkingMode::irMulti;
        const std::int64_t frames = framesOf(broken);
        const std::int64_t length = multi ? frames / 2 : frames;
        SF_INFO info{};
        const Channels file =
            readWithLibsndfile(broken, length >= 1 && length <= kMaxCellSamples ? length * (multi ? 2 : 1) : 0, info);
        const bool usable = info.channels >= 2 && length >= 1 && length <= kMaxCellSamples;
        const MatrixState before = stateOf(*filter);
        const std::size_t warnings = filter.warnings.size();
        const bool loaded = filter->loadMultichannelIrFile(broken.getFullPathName());
        EXPECT_EQ(loaded, usable);
        if (loaded) {
            ++multiLoads;
            ASSERT_EQ(filter->irSize, length);
            const std::size_t ir = static_cast<std::size_t>(length);
            for (std::size_t o = 0; o < 2; ++o)
                for (std::size_t i = 0; i < 2; ++i) {
                    if (!multi && i != o)
                        continue;
                    const std::size_t from = multi ? i * ir : 0;
                    EXPECT_EQ(cellSamples(filter->cells[o][i]),
                              Signal(file[o].begin() + from, file[o].begin() + from + ir))
                        << "cell " << o << " " << i;
                }
            EXPECT_EQ(filter.warnings.size(), warnings);
        } else {
            ++multiRefusals;
            EXPECT_TRUE(stateOf(*filter) == before) << "a refused file leaves the matrix as it was";
            EXPECT_EQ(filter.warnings.size(), warnings + 1);
        }

        // A mono load reads irSize samples of a one-channel file, zero-padded.
        const int o = n % 2;
        const int i = (n / 2) % 2;
        const Channels mono = readWithLibsndfile(broken, filter->irSize, info);
        const bool monoUsable = info.channels == 1 && frames >= 1;
        const MatrixState beforeMono = stateOf(*filter);
        const bool monoLoaded = filter->loadMonoIrIntoCell(o, i, broken.getFullPathName());
        EXPECT_EQ(monoLoaded, monoUsable);
        if (monoLoaded) {
            ++monoLoads;
            EXPECT_EQ(cellSamples(filter->cells[o][i]), mono[0]);
        } else {
            ++monoRefusals;
            EXPECT_TRUE(stateOf(*filter) == beforeMono) << "a refused file leaves the matrix as it was";
        }

        // Whatever was loaded must convolve without reading outside the cells.
        juce::AudioBuffer<float> buffer(2, 100);
        buffer.clear();
        const juce::ScopedLock lock(filter->getCallbackLock());
        filter->processBlock(buffer, midi);
    }
    // Both outcomes of both loads came up.
    EXPECT_GT(multiLoads, 0);
    EXPECT_GT(multiRefusals, 0);
    EXPECT_GT(monoLoads, 0);
    EXPECT_GT(monoRefusals, 0);
}

}  // namespace
