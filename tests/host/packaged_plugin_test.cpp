// The proof of our ABI declarations: plug-ins built by others, from Debian's
// dpf-plugins-vst, load in our host, answer its queries and process audio.
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/vst/opcodes.h"
#include "tools/vst_host/hosted_effect.h"
#include "tools/vst_host/plugin_module.h"

namespace {

const std::string packagedPluginFolder = "/usr/lib/vst/";

bool fileExists(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

struct LoadedPlugin {
    std::unique_ptr<PluginModule> module;
    std::unique_ptr<HostedEffect> effect;  // reset before the module
    ~LoadedPlugin() { effect.reset(); }
};

// The path of a packaged plug-in file; empty when the package is not installed.
std::string packagedPlugin(const char* fileName)
{
    const std::string path = packagedPluginFolder + fileName;
    return fileExists(path) ? path : std::string();
}

void loadAndOpen(const std::string& path, double sampleRate, int32_t blockSize, LoadedPlugin& loaded)
{
    std::string error;
    loaded.module = PluginModule::load(path, error);
    ASSERT_TRUE(loaded.module) << error;
    loaded.effect = HostedEffect::create(*loaded.module, sampleRate, blockSize, error);
    ASSERT_TRUE(loaded.effect) << error;
    loaded.effect->open();
}

#define SKIP_WITHOUT_PACKAGE(path) \
    if ((path).empty())            \
    GTEST_SKIP() << "dpf-plugins-vst is not installed"

double rms(const std::vector<float>& samples, std::size_t from)
{
    double sum = 0.0;
    for (std::size_t i = from; i < samples.size(); ++i)
        sum += static_cast<double>(samples[i]) * samples[i];
    return std::sqrt(sum / static_cast<double>(samples.size() - from));
}

TEST(PackagedPlugin, AnEqualiserAnswersItsQueriesThroughOurRecord)
{
    const std::string path = packagedPlugin("3BandEQ-vst.so");
    SKIP_WITHOUT_PACKAGE(path);
    LoadedPlugin eq;
    ASSERT_NO_FATAL_FAILURE(loadAndOpen(path, 48000.0, 256, eq));
    HostedEffect& effect = *eq.effect;
    const AEffect& record = effect.record();
    EXPECT_EQ(record.magic, kEffectMagic);
    EXPECT_EQ(record.numInputs, 2);
    EXPECT_EQ(record.numOutputs, 2);
    EXPECT_EQ(record.numParams, 6);
    EXPECT_TRUE(effect.hasFlag(effFlagsCanReplacing));
    EXPECT_NE(record.processReplacing, nullptr);
    EXPECT_EQ(effect.effectName(), "3 Band EQ");
    EXPECT_EQ(effect.vendorString(), "DISTRHO");
    EXPECT_EQ(effect.dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(effect.dispatch(effGetPlugCategory), kPlugCategEffect);
    EXPECT_EQ(effect.parameterName(0), "Low");
    EXPECT_EQ(effect.parameterName(5), "Mid-High Freq");
    EXPECT_EQ(effect.parameterLabel(0), "dB");
}

TEST(PackagedPlugin, ParametersSetThroughOurRecordReadBack)
{
    const std::string path = packagedPlugin("3BandEQ-vst.so");
    SKIP_WITHOUT_PACKAGE(path);
    LoadedPlugin eq;
    ASSERT_NO_FATAL_FAILURE(loadAndOpen(path, 48000.0, 256, eq));
    for (int32_t index = 0; index < 4; ++index) {
        eq.effect->setParameter(index, 0.25f);
        // The plug-in maps the value onto its range and back in float.
        EXPECT_NEAR(eq.effect->parameter(index), 0.25f, 1e-6f) << index;
    }
}

TEST(PackagedPlugin, AnEqualiserAtItsDefaultsPassesAMidBandToneAtItsLevel)
{
    constexpr int32_t blockSize = 256;
    constexpr int blocks = 40;
    const std::string path = packagedPlugin("3BandEQ-vst.so");
    SKIP_WITHOUT_PACKAGE(path);
    LoadedPlugin eq;
    ASSERT_NO_FATAL_FAILURE(loadAndOpen(path, 48000.0, blockSize, eq));
    HostedEffect& effect = *eq.effect;
    effect.resume();

    std::vector<float> input(blockSize * blocks);
    for (std::size_t i = 0; i < input.size(); ++i)
        input[i] = 0.5f * static_cast<float>(std::sin(2.0 * M_PI * 700.0 * static_cast<double>(i) / 48000.0));
    std::vector<float> left(input.size());
    std::vector<float> right(input.size());
    std::vector<float> inLeft(blockSize);
    std::vector<float> inRight(blockSize);
    for (int block = 0; block < blocks; ++block) {
        std::copy_n(input.begin() + block * blockSize, blockSize, inLeft.begin());
        std::copy_n(input.begin() + block * blockSize, blockSize, inRight.begin());
        float* inputs[2] = {inLeft.data(), inRight.data()};
        float* outputs[2] = {left.data() + block * blockSize, right.data() + block * blockSize};
        effect.process(inputs, outputs, blockSize);
    }
    effect.suspend();

    for (std::size_t i = 0; i < left.size(); ++i)
        ASSERT_TRUE(std::isfinite(left[i]) && std::isfinite(right[i])) << i;
    // Every band at 0 dB: a tone between the crossovers keeps its level once
    // the filters have settled (after 4 blocks); 0.5 dB allows their ripple.
    const double inputLevel = rms(input, 4 * blockSize);
    EXPECT_NEAR(20.0 * std::log10(rms(left, 4 * blockSize) / inputLevel), 0.0, 0.5);
    EXPECT_NEAR(20.0 * std::log10(rms(right, 4 * blockSize) / inputLevel), 0.0, 0.5);
}

TEST(PackagedPlugin, SeveralPackagedEffectsLoadAndProcessFiniteAudio)
{
    for (const char* fileName : {"3BandSplitter-vst.so", "PingPongPan-vst.so", "AmplitudeImposer-vst.so"}) {
        SCOPED_TRACE(fileName);
        const std::string path = packagedPlugin(fileName);
        SKIP_WITHOUT_PACKAGE(path);
        LoadedPlugin plugin;
        ASSERT_NO_FATAL_FAILURE(loadAndOpen(path, 44100.0, 64, plugin));
        HostedEffect& effect = *plugin.effect;
        const AEffect& record = effect.record();
        ASSERT_GE(record.numInputs, 1);
        ASSERT_GE(record.numOutputs, 1);
        ASSERT_LE(record.numInputs + record.numOutputs, 16);
        EXPECT_FALSE(effect.effectName().empty());
        effect.resume();
        std::vector<std::vector<float>> in(record.numInputs, std::vector<float>(64, 0.25f));
        std::vector<std::vector<float>> out(record.numOutputs, std::vector<float>(64, NAN));
        std::vector<float*> inputs;
        std::vector<float*> outputs;
        for (auto& channel : in)
            inputs.push_back(channel.data());
        for (auto& channel : out)
            outputs.push_back(channel.data());
        for (int block = 0; block < 8; ++block)
            effect.process(inputs.data(), outputs.data(), 64);
        effect.suspend();
        for (const auto& channel : out)
            for (float sample : channel)
                ASSERT_TRUE(std::isfinite(sample));
    }
}

}  // namespace
