// A real host: Debian's Ardour 7, headless on its dummy audio backend, scans
// Brondil.so, runs audio through it and saves and restores its chunk. Skipped
// when Ardour is not installed. The impulse responses are scaled unit
// impulses, so the level of a sine that passes through is known.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include <juce_audio_processors/juce_audio_processors.h>

#include "tests/host/ardour_fixture.h"
#include "tools/example/ir_multi_state.h"

namespace {

constexpr int kRate = 48000;
constexpr int kSessionFrames = 2 * kRate;
// Cell [o][i]: a unit impulse at this gain. Output o then carries the sum of its row times the input.
constexpr float kCellGains[2][2] = {{0.5f, 0.25f}, {0.125f, 0.125f}};
// Ardour's SinGen plays 1 kHz at -18 dBFS by default, into both channels.
const double kSineRms = std::pow(10.0, -18.0 / 20.0) / std::sqrt(2.0);

const char* const kResaveSession = R"lua(
AudioEngine:set_backend("None (Dummy)", "", "")
assert(AudioEngine:start(false) == 0, "the dummy engine does not start")
assert(load_session(SESSION_FOLDER, "session"), "the session does not load")
Session:save_state("resaved", false, false, false, false, false)
close_session()
print("SESSION SAVED AGAIN")
)lua";

double rmsOfSecondHalf(const std::vector<float>& samples)
{
    double sum = 0.0;
    const std::size_t from = samples.size() / 2;
    for (std::size_t t = from; t < samples.size(); ++t)
        sum += static_cast<double>(samples[t]) * samples[t];
    return std::sqrt(sum / static_cast<double>(samples.size() - from));
}

TEST_F(ArdourTest, ArdourScansRendersThroughAndKeepsTheChunkOfBrondil)
{
    // The impulse responses: 512 frames per cell, a scaled unit impulse at the start.
    const int cellFrames = 512;
    PlanarSamples ir(2, std::vector<float>(2 * cellFrames, 0.0f));
    for (int o = 0; o < 2; ++o)
        for (int i = 0; i < 2; ++i)
            ir[static_cast<std::size_t>(o)][static_cast<std::size_t>(i * cellFrames)] = kCellGains[o][i];
    const std::string irPath = pathInFolder("ir.wav");
    ASSERT_TRUE(writeWav(irPath, ir, kRate));
    juce::MemoryBlock state;
    {
        const juce::ScopedJuceInitialiser_GUI toolkit;
        juce::String error;
        ASSERT_TRUE(makeIrMultiState(juce::File(irPath), 2, 0.0, state, error)) << error;
    }
    makeSessionWithState(state);
    if (HasFatalFailure())
        return;

    const std::string exported = pathInFolder("export.wav");
    ASSERT_TRUE(run({kArdourExport, "-b", "float", "-o", exported, sessionFolder, "session"}, "export.log")) << lastLog;
    const PlanarSamples wet = readWav(exported);
    ASSERT_EQ(wet.size(), 2u) << lastLog;
    ASSERT_EQ(wet[0].size(), static_cast<std::size_t>(kSessionFrames));
    for (int o = 0; o < 2; ++o) {
        const double expected = (kCellGains[o][0] + kCellGains[o][1]) * kSineRms;
        const double measured = rmsOfSecondHalf(wet[static_cast<std::size_t>(o)]);
        std::printf("output %d: RMS %.6f, expected %.6f\n", o, measured, expected);
        // A float sine through impulses of exact binary gains: only the
        // generator's own rounding and the window's part-period differ.
        EXPECT_NEAR(measured, expected, 0.002 * expected) << "output " << o;
    }

    // Loaded and saved again, the session keeps Brondil's restored state.
    ASSERT_TRUE(runLua(kResaveSession, "resave")) << lastLog;
    ASSERT_NE(lastLog.find("SESSION SAVED AGAIN"), std::string::npos) << lastLog;
    const std::string resaved = readText(sessionFolder + "/resaved.ardour");
    std::size_t start = 0, length = 0;
    ASSERT_TRUE(findChunk(resaved, start, length));
    juce::MemoryOutputStream decoded;
    ASSERT_TRUE(juce::Base64::convertFromBase64(decoded, resaved.substr(start, length)));
    const auto document = juce::AudioProcessor::getXmlFromBinary(decoded.getData(),
                                                                 static_cast<int>(decoded.getDataSize()));
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->getIntAttribute("mode"), 1);
    EXPECT_EQ(document->getStringAttribute("lastSelMulti"), juce::String(irPath));
    EXPECT_EQ(document->getIntAttribute("inputs"), 2);
    EXPECT_EQ(document->getIntAttribute("outputs"), 2);
    EXPECT_EQ(document->getDoubleAttribute("wetgain"), 0.5);
}

}  // namespace
