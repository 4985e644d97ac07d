#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <sndfile.h>

#include "pack/ir_pack_writer.h"
#include "tests/engine/convolution_fixture.h"
#include "tests/pack/pack_test_support.h"

namespace {

using enginetest::Channels;
using enginetest::Signal;
using enginetest::TestProcessor;

constexpr int kIrSize = 1000;
constexpr int kSampleRate = 44100;

struct PackCase {
    BRPackKind kind;
    BRPackFormat format;
    BRPackDepth depth;
};

std::string caseName(const testing::TestParamInfo<PackCase>& info)
{
    const PackCase& c = info.param;
    std::string name = c.kind == BRPackKind::multi ? "Multi" : "OneToOne";
    name += c.format == BRPackFormat::wav ? "Wav" : "Aiff";
    name += c.depth == BRPackDepth::pcm16 ? "16" : c.depth == BRPackDepth::pcm24 ? "24" : "Float";
    return name;
}

int expectedFormat(const PackCase& c)
{
    const int container = c.format == BRPackFormat::wav ? SF_FORMAT_WAVEX : SF_FORMAT_AIFF;
    const int encoding = c.depth == BRPackDepth::pcm16   ? SF_FORMAT_PCM_16
                         : c.depth == BRPackDepth::pcm24 ? SF_FORMAT_PCM_24
                                                         : SF_FORMAT_FLOAT;
    return container | encoding;
}

// libsndfile writes full scale as 2^(bits-1) − 1 and reads it back over
// 2^(bits-1), and rounds on the way in: two steps cover both.
float quantisationTolerance(BRPackDepth depth)
{
    switch (depth) {
    case BRPackDepth::pcm16:
        return 2.0f / 32768.0f;
    case BRPackDepth::pcm24:
        return 2.0f / 8388608.0f;
    case BRPackDepth::float32:
        break;
    }
    return 0.0f;
}

// Distinct IRs per cell, each within full scale.
std::vector<Channels> matrixIrs(int inputs, int outputs)
{
    std::vector<Channels> irs(static_cast<std::size_t>(outputs));
    for (int o = 0; o < outputs; ++o)
        for (int i = 0; i < inputs; ++i)
            irs[o].push_back(enginetest::decayingIr(kIrSize, static_cast<unsigned>(100 + o * inputs + i)));
    return irs;
}

class PackRoundTrip : public testing::TestWithParam<PackCase> {};

TEST_P(PackRoundTrip, ReadsBackThroughTheEnginesMultichannelLoadIntoTheSameCells)
{
    const PackCase c = GetParam();
    const bool multi = c.kind == BRPackKind::multi;
    // Unequal counts in IR multi catch a row swapped for a column.
    const int inputs = multi ? 2 : 3;
    const int outputs = 3;
    TestProcessor source(inputs, outputs, {1024, kIrSize, 0, 0});
    std::vector<Channels> irs = matrixIrs(inputs, outputs);
    source.loadMatrix(irs);
    // One needed cell left empty: the pack holds silence there.
    const int emptied = multi ? 0 : 1;
    source->unloadCell(1, emptied);
    irs[1][static_cast<std::size_t>(emptied)].assign(kIrSize, 0.0f);

    const juce::File target = source.file(c.format == BRPackFormat::wav ? "pack.wav" : "pack.aiff");
    const BRPackResult result = writeIrPack(source->cells, {c.kind, c.format, c.depth, kIrSize, kSampleRate}, target);
    ASSERT_TRUE(result.saved) << result.error;
    EXPECT_TRUE(result.error.isEmpty());

    const PackOnDisk pack = readPack(target);
    ASSERT_TRUE(pack.opened);
    EXPECT_EQ(pack.format, expectedFormat(c));
    EXPECT_EQ(pack.channels, outputs);
    EXPECT_EQ(pack.frames, (multi ? inputs : 1) * kIrSize);
    EXPECT_EQ(pack.sampleRate, kSampleRate);
    // libsndfile may append its own name to the software string.
    EXPECT_EQ(pack.software.rfind("Brondil", 0), 0u) << pack.software;
    EXPECT_EQ(pack.comment, multi ? "BrMulti" : "Br1To1");

    TestProcessor reader(inputs, outputs, {1024, 512, 0, multi ? 1 : 2});
    ASSERT_TRUE(reader->loadMultichannelIrFile(target.getFullPathName()));
    EXPECT_EQ(reader->irSize, kIrSize);
    const float tolerance = quantisationTolerance(c.depth);
    for (int o = 0; o < outputs; ++o)
        for (int i = 0; i < inputs; ++i) {
            if (!multi && i != o)
                continue;
            const BRIrCell& cell = reader->cells[o][i];
            ASSERT_TRUE(cell.holdsSamples()) << o << "," << i;
            ASSERT_EQ(cell.frameCount, kIrSize);
            const Signal& expected = irs[o][i];
            for (int t = 0; t < kIrSize; ++t) {
                if (tolerance == 0.0f)
                    ASSERT_EQ(cell.buffer[t], expected[t]) << "cell " << o << "," << i << " sample " << t;
                else
                    ASSERT_NEAR(cell.buffer[t], expected[t], tolerance) << "cell " << o << "," << i << " sample " << t;
            }
        }
}

std::vector<PackCase> everyPackCase()
{
    std::vector<PackCase> cases;
    for (BRPackKind kind : {BRPackKind::multi, BRPackKind::oneToOne})
        for (BRPackFormat format : {BRPackFormat::wav, BRPackFormat::aiff})
            for (BRPackDepth depth : {BRPackDepth::pcm16, BRPackDepth::pcm24, BRPackDepth::float32})
                cases.push_back({kind, format, depth});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(KindsFormatsAndDepths, PackRoundTrip, testing::ValuesIn(everyPackCase()), caseName);

TEST(PackContent, CellsAreCutOrPaddedWithZerosToTheIrSize)
{
    TestProcessor source(2, 1, {1024, kIrSize, 0, 0});
    const std::vector<Channels> irs = matrixIrs(2, 1);
    source.loadMatrix(irs);
    for (int irSize : {kIrSize + 300, kIrSize - 300}) {
        SCOPED_TRACE(irSize);
        const juce::File target = source.file("pack" + juce::String(irSize) + ".wav");
        const BRPackResult result =
            writeIrPack(source->cells,
                        {BRPackKind::multi, BRPackFormat::wav, BRPackDepth::float32, irSize, kSampleRate}, target);
        ASSERT_TRUE(result.saved) << result.error;
        const PackOnDisk pack = readPack(target);
        ASSERT_EQ(pack.frames, 2 * irSize);
        for (int i = 0; i < 2; ++i)
            for (int t = 0; t < irSize; ++t)
                ASSERT_EQ(pack.channelSamples[0][static_cast<std::size_t>(i * irSize + t)],
                          t < kIrSize ? irs[0][i][t] : 0.0f)
                    << "input " << i << " sample " << t;
    }
}

TEST(PackContent, AnEmptyMatrixGivesAFullLengthSilentFile)
{
    std::vector<std::vector<BRIrCell>> cells(2);
    for (auto& row : cells)
        row.resize(2);
    enginetest::ScratchFolder scratch;
    const juce::File target = scratch.file("empty.aiff");
    ASSERT_TRUE(
        writeIrPack(cells, {BRPackKind::multi, BRPackFormat::aiff, BRPackDepth::pcm24, 1024, 48000}, target).saved);
    const PackOnDisk pack = readPack(target);
    EXPECT_EQ(pack.channels, 2);
    ASSERT_EQ(pack.frames, 2048);
    for (const auto& channel : pack.channelSamples)
        for (float sample : channel)
            ASSERT_EQ(sample, 0.0f);
}

TEST(PackContent, IntegerPacksClipSamplesBeyondFullScaleInsteadOfWrappingThem)
{
    enginetest::ScratchFolder scratch;
    const juce::File irFile = scratch.file("loud.wav");
    const Signal loud = {1.5f, -1.5f, 3.0f, -3.0f, 0.5f};
    enginetest::writeChannels(irFile, {loud});
    TestProcessor source(1, 1, {1024, static_cast<int>(loud.size()), 0, 0});
    ASSERT_TRUE(source->loadMonoIrIntoCell(0, 0, irFile.getFullPathName()));
    for (BRPackDepth depth : {BRPackDepth::pcm16, BRPackDepth::pcm24}) {
        const juce::File target = scratch.file(depth == BRPackDepth::pcm16 ? "loud16.wav" : "loud24.wav");
        ASSERT_TRUE(writeIrPack(source->cells,
                                {BRPackKind::multi, BRPackFormat::wav, depth, static_cast<int>(loud.size()), 48000},
                                target)
                        .saved);
        const std::vector<float> samples = readPack(target).channelSamples.at(0);
        ASSERT_EQ(samples.size(), loud.size());
        for (std::size_t t = 0; t < loud.size(); ++t) {
            const float clipped = std::fmax(-1.0f, std::fmin(1.0f, loud[t]));
            EXPECT_NEAR(samples[t], clipped, quantisationTolerance(depth)) << "sample " << t;
        }
    }
}

// A 24-bit source as a cell holds it, packed at 16 and 24 bits and read back as
// integers: every sample is the nearest step to its exact value in double,
// clipped to the file's range, so 24 bits come back unchanged and 16 bits carry
// no bias.
TEST(PackContent, IntegerPacksRoundEverySampleToTheNearestStepOfTheFile)
{
    // A stride of 257 steps meets every fraction of a 16-bit step; both ends of the range are in.
    std::vector<std::int32_t> source;
    for (std::int32_t step = -(1 << 23); step < (1 << 23); step += 257)
        source.push_back(step);
    source.push_back((1 << 23) - 1);
    const int frames = static_cast<int>(source.size());
    std::vector<std::vector<BRIrCell>> cells(1);
    cells[0].resize(1);
    BRIrCell& cell = cells[0][0];
    cell.frameCount = frames;
    cell.allocateEmpty(1);
    for (int t = 0; t < frames; ++t)
        cell.buffer[t] = std::ldexp(static_cast<float>(source[static_cast<std::size_t>(t)]), -23);

    enginetest::ScratchFolder scratch;
    for (BRPackFormat format : {BRPackFormat::wav, BRPackFormat::aiff})
        for (const auto& [depth, bits] : {std::pair{BRPackDepth::pcm16, 16}, std::pair{BRPackDepth::pcm24, 24}}) {
            SCOPED_TRACE(testing::Message() << bits << (format == BRPackFormat::wav ? " bit WAV" : " bit AIFF"));
            const juce::File target = scratch.file("steps" + juce::String(bits) + ".pack");
            const BRPackResult result = writeIrPack(cells, {BRPackKind::multi, format, depth, frames, kSampleRate},
                                                    target);
            ASSERT_TRUE(result.saved) << result.error;
            SF_INFO info{};
            SNDFILE* handle = sf_open(target.getFullPathName().toRawUTF8(), SFM_READ, &info);
            ASSERT_NE(handle, nullptr);
            std::vector<int> packed(static_cast<std::size_t>(frames));
            const sf_count_t read = sf_readf_int(handle, packed.data(), frames);
            sf_close(handle);
            ASSERT_EQ(read, frames);

            const double stepsPerSourceStep = std::ldexp(1.0, bits - 24);
            const double top = std::ldexp(1.0, bits - 1);
            double errorSum = 0.0;
            for (int t = 0; t < frames; ++t) {
                const double exact = source[static_cast<std::size_t>(t)] * stepsPerSourceStep;
                const double error = packed[static_cast<std::size_t>(t)] / std::ldexp(1.0, 32 - bits) -
                                     std::clamp(exact, -top, top - 1.0);
                ASSERT_LE(std::fabs(error), 0.5) << "sample " << t << " exact " << exact;
                errorSum += error;
            }
            EXPECT_LT(std::fabs(errorSum / frames), 0.01) << "mean error in steps";
        }
}

}  // namespace
