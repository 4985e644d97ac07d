// brondil-host end to end, in-process: sound files written and read back by
// libsndfile, the test effect as the plug-in.
#include <sndfile.h>
#include <stdlib.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/host/test_effect/test_effect_probes.h"
#include "tests/support/sound_files.h"
#include "tools/vst_host/hosted_effect.h"
#include "tools/vst_host/plugin_module.h"
#include "tools/vst_host/run_host.h"
#include "tools/vst_host/sound_render.h"

namespace {

struct Sound {
    int channels = 0;
    int sampleRate = 0;
    std::vector<float> frames;  // interleaved
    int64_t frameCount() const { return channels > 0 ? static_cast<int64_t>(frames.size()) / channels : 0; }
};

void writeSound(const std::string& path, const Sound& sound)
{
    ASSERT_TRUE(dsptest::writeInterleavedSoundFile(path, sound.frames, sound.channels, sound.sampleRate,
                                                   SF_FORMAT_WAV | SF_FORMAT_FLOAT))
        << "cannot write " << path;
}

Sound readSound(const std::string& path)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    EXPECT_NE(file, nullptr) << sf_strerror(nullptr);
    if (file == nullptr)
        return {};
    EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    Sound sound{info.channels, info.samplerate,
                std::vector<float>(static_cast<std::size_t>(info.frames) * info.channels)};
    EXPECT_EQ(sf_readf_float(file, sound.frames.data(), info.frames), info.frames);
    sf_close(file);
    return sound;
}

// Deterministic samples in [-1, 1), different on every channel.
Sound noise(int channels, int64_t frames, int sampleRate)
{
    Sound sound{channels, sampleRate, std::vector<float>(static_cast<std::size_t>(frames) * channels)};
    uint32_t state = 12345;
    for (float& sample : sound.frames) {
        state = state * 1664525u + 1013904223u;
        sample = static_cast<float>(static_cast<int32_t>(state)) / 2147483648.0f;
    }
    return sound;
}

// The test effect's state: its tag, then gain and invert values.
std::vector<char> testEffectState(float gain, float invert)
{
    std::vector<char> bytes(12);
    const int32_t tag = testEffectUniqueId;
    std::memcpy(bytes.data(), &tag, 4);
    std::memcpy(bytes.data() + 4, &gain, 4);
    std::memcpy(bytes.data() + 8, &invert, 4);
    return bytes;
}

void writeBytes(const std::string& path, const std::vector<char>& bytes)
{
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<char> readBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

class BrondilHost : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/brondil-host-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::string file(const std::string& name) const { return folder + "/" + name; }

    // Runs the host on `arguments` (the program name is added); keeps its messages.
    int run(const std::vector<std::string>& arguments)
    {
        std::vector<const char*> argv = {"brondil-host"};
        for (const std::string& argument : arguments)
            argv.push_back(argument.c_str());
        HostOptions options;
        std::string error;
        EXPECT_TRUE(parseHostOptions(static_cast<int>(argv.size()), argv.data(), options, error)) << error;
        out.str("");
        err.str("");
        return runHost(options, out, err);
    }

    std::string folder;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(BrondilHost, RendersTheInputAndItsTailThroughTheRestoredState)
{
    const Sound input = noise(2, 1000, 48000);
    writeSound(file("in.wav"), input);
    writeBytes(file("gain2.state"), testEffectState(1.0f, 0.0f));
    ASSERT_EQ(run({BRONDIL_TEST_EFFECT, "--input", file("in.wav"), "--output", file("out.wav"), "--block-size", "64",
                   "--tail", "37", "--load-state", file("gain2.state")}),
              0)
        << err.str();

    const Sound output = readSound(file("out.wav"));
    ASSERT_EQ(output.channels, 2);
    EXPECT_EQ(output.sampleRate, 48000);
    ASSERT_EQ(output.frameCount(), 1037);
    // A gain of 2 is exact in float, and 32-bit float WAV keeps every bit.
    for (std::size_t i = 0; i < input.frames.size(); ++i)
        ASSERT_EQ(output.frames[i], 2.0f * input.frames[i]) << i;
    for (std::size_t i = input.frames.size(); i < output.frames.size(); ++i)
        ASSERT_EQ(output.frames[i], 0.0f) << i;
}

TEST_F(BrondilHost, AMonoInputFeedsTheFirstInputAndSilenceTheOthers)
{
    const Sound input = noise(1, 300, 44100);
    writeSound(file("mono.wav"), input);
    ASSERT_EQ(run({BRONDIL_TEST_EFFECT, "--input", file("mono.wav"), "--output", file("out.wav")}), 0) << err.str();
    const Sound output = readSound(file("out.wav"));
    ASSERT_EQ(output.channels, 2);
    ASSERT_EQ(output.frameCount(), 300);
    for (int64_t i = 0; i < 300; ++i) {
        ASSERT_EQ(output.frames[2 * i], input.frames[i]) << i;  // the default gain is 1
        ASSERT_EQ(output.frames[2 * i + 1], 0.0f) << i;
    }
}

TEST_F(BrondilHost, TheGivenSampleRateRunsTheEffectAndLabelsTheOutput)
{
    const Sound input = noise(2, 500, 48000);
    writeSound(file("in.wav"), input);
    ASSERT_EQ(run({BRONDIL_TEST_EFFECT, "--input", file("in.wav"), "--output", file("out.wav"), "--sample-rate",
                   "96000"}),
              0)
        << err.str();
    const Sound output = readSound(file("out.wav"));
    EXPECT_EQ(output.sampleRate, 96000);
    EXPECT_EQ(output.frames, input.frames);  // taken as they are, at the default gain of 1
}

TEST_F(BrondilHost, SavesTheStateItRestoredAndDescribesTheEffect)
{
    const std::vector<char> state = testEffectState(0.75f, 1.0f);
    writeBytes(file("a.state"), state);
    ASSERT_EQ(run({BRONDIL_TEST_EFFECT, "--load-state", file("a.state"), "--save-state", file("b.state"), "--info"}), 0)
        << err.str();
    EXPECT_EQ(readBytes(file("b.state")), state);
    const std::string info = out.str();
    EXPECT_NE(info.find("name: Test Effect\n"), std::string::npos) << info;
    EXPECT_NE(info.find("unique id: BrTe\n"), std::string::npos) << info;
    EXPECT_NE(info.find("flags: replacing chunks\n"), std::string::npos) << info;
    EXPECT_NE(info.find("  0 Gain: 1.50 x\n"), std::string::npos) << info;
    EXPECT_NE(info.find("  1 Invert: on\n"), std::string::npos) << info;
}

TEST_F(BrondilHost, ProcessesFullBlocksWithTheTailFillingTheLastOne)
{
    const Sound input = noise(2, 1000, 44100);
    writeSound(file("in.wav"), input);
    const struct {
        int64_t tail;
        intptr_t blocks, minFrames, lastBlockStart;
    } cases[] = {
        {37, 17, 13, 1024},  // 1037 frames: 16 blocks of 64 and one of 13
        {0, 16, 40, 960},    // 1000 frames: 15 blocks of 64 and one of 40
        {88, 17, 64, 1024},  // 1088 frames: exactly 17 blocks
    };
    for (const auto& c : cases) {
        std::string error;
        const auto module = PluginModule::load(BRONDIL_TEST_EFFECT, error);
        ASSERT_TRUE(module) << error;
        auto effect = HostedEffect::create(*module, 44100.0, 64, error);
        ASSERT_TRUE(effect) << error;
        auto source = RenderSource::open(file("in.wav"), error);
        ASSERT_TRUE(source) << error;
        effect->open();
        effect->resume();
        ASSERT_TRUE(renderThroughEffect(*effect, *source, file("out.wav"), c.tail, error)) << error;
        EXPECT_EQ(effect->dispatch(effVendorSpecific, probeBlocks), c.blocks) << c.tail;
        EXPECT_EQ(effect->dispatch(effVendorSpecific, probeMaxFrames), 64) << c.tail;
        EXPECT_EQ(effect->dispatch(effVendorSpecific, probeMinFrames), c.minFrames) << c.tail;
        EXPECT_EQ(effect->dispatch(effVendorSpecific, probeSamplePosition), c.lastBlockStart) << c.tail;
        effect.reset();
    }
}

TEST_F(BrondilHost, BadFilesAreReportedByNameAndFailTheRun)
{
    writeSound(file("in.wav"), noise(2, 10, 44100));
    writeSound(file("three.wav"), noise(3, 10, 44100));
    writeBytes(file("empty.state"), {});
    const std::string test = BRONDIL_TEST_EFFECT;
    const struct {
        std::vector<std::string> arguments;
        std::string message;
    } cases[] = {
        {{file("missing.so"), "--info"}, "cannot load plug-in '" + file("missing.so") + "'"},
        {{file("in.wav"), "--info"}, "cannot load plug-in '" + file("in.wav") + "'"},
        {{test, "--input", file("missing.wav"), "--output", file("out.wav")},
         "cannot read the sound file '" + file("missing.wav") + "'"},
        {{test, "--input", file("three.wav"), "--output", file("out.wav")},
         "the input file has 3 channels but the effect takes 2 inputs"},
        {{test, "--input", file("in.wav"), "--output", file("no/such/folder/out.wav")},
         "cannot write the sound file '" + file("no/such/folder/out.wav") + "'"},
        {{test, "--load-state", file("empty.state"), "--info"},
         "the state file '" + file("empty.state") + "' is empty"},
        {{test, "--load-state", file("missing.state"), "--info"},
         "cannot read the state file '" + file("missing.state") + "'"},
        {{test, "--save-state", file("no/such/folder/x.state")},
         "cannot write the state file '" + file("no/such/folder/x.state") + "'"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(run(c.arguments), 1) << c.message;
        EXPECT_EQ(err.str().rfind("brondil-host: " + c.message, 0), 0u) << err.str();
    }
}

TEST_F(BrondilHost, ASharedLibraryWithoutEitherEntryIsNoPlugIn)
{
    const std::string library = "/usr/lib/x86_64-linux-gnu/libsndfile.so.1";
    if (!std::filesystem::exists(library))
        GTEST_SKIP() << library << " is missing";
    std::string error;
    EXPECT_EQ(PluginModule::load(library, error), nullptr);
    EXPECT_EQ(error, "'" + library + "' is not a VST plug-in: it exports neither VSTPluginMain nor main");
}

TEST_F(BrondilHost, ABareFileNameIsLookedForInTheWorkingFolderOnly)
{
    // The library path holds libsndfile, the working folder does not.
    std::string error;
    EXPECT_EQ(PluginModule::load("libsndfile.so.1", error), nullptr);
    EXPECT_EQ(error.rfind("cannot load plug-in 'libsndfile.so.1'", 0), 0u) << error;
}

}  // namespace
