// The effect base classes as a host meets them: the test effect is a plug-in
// file, loaded and driven by our own host through the effect record only.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/vst/opcodes.h"
#include "tests/host/test_effect/test_effect_probes.h"
#include "tools/vst_host/hosted_effect.h"
#include "tools/vst_host/plugin_module.h"

namespace {

class TestEffectPlugin : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        module = PluginModule::load(BRONDIL_TEST_EFFECT, error);
        ASSERT_TRUE(module) << error;
        effect = HostedEffect::create(*module, 48000.0, 128, error);
        ASSERT_TRUE(effect) << error;
        effect->open();
    }
    void TearDown() override
    {
        effect.reset();
        module.reset();
    }
    intptr_t probe(int32_t code, void* ptr = nullptr) { return effect->dispatch(effVendorSpecific, code, 0, ptr); }

    std::unique_ptr<PluginModule> module;
    std::unique_ptr<HostedEffect> effect;
};

TEST_F(TestEffectPlugin, LoadsThroughItsEntryAndReportsItself)
{
    const AEffect& record = effect->record();
    EXPECT_EQ(record.magic, kEffectMagic);
    EXPECT_EQ(record.uniqueID, testEffectUniqueId);
    EXPECT_EQ(record.numInputs, 2);
    EXPECT_EQ(record.numOutputs, 2);
    EXPECT_EQ(record.numPrograms, 3);
    EXPECT_EQ(record.numParams, 2);
    EXPECT_EQ(record.flags, effFlagsCanReplacing | effFlagsProgramChunks);
    EXPECT_EQ(effect->effectName(), "Test Effect");
    EXPECT_EQ(effect->vendorString(), "Brondil Lab");
    EXPECT_EQ(effect->productString(), "Brondil Test Effect");
    EXPECT_EQ(effect->dispatch(effGetVendorVersion), 0x10003);
    EXPECT_EQ(effect->canDo("receiveVstTimeInfo"), 1);
    EXPECT_EQ(effect->canDo("ReceiveVstTimeInfo"), 0);
    EXPECT_EQ(probe(probeOpens), 1);
}

TEST_F(TestEffectPlugin, TheBaseDispatcherAnswersTheDefaultsOfEveryUnhandledQuery)
{
    char buffer[256] = {};
    EXPECT_EQ(effect->dispatch(effIdentify), fourCharCode('N', 'v', 'E', 'f'));
    EXPECT_EQ(effect->dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(effect->dispatch(effGetPlugCategory), 0);
    EXPECT_EQ(effect->dispatch(effGetTailSize), 0);
    EXPECT_EQ(effect->dispatch(effSetBypass, 0, 1), 0);
    EXPECT_EQ(effect->dispatch(effCanBeAutomated, 1), 1);
    EXPECT_EQ(effect->dispatch(effGetCurrentMidiProgram, 0, 0, buffer), -1);
    EXPECT_EQ(effect->dispatch(effEditKeyDown, 'a', 0x41), 0);
    EXPECT_EQ(effect->dispatch(effEditGetRect, 0, 0, buffer), 0);
    EXPECT_EQ(effect->dispatch(effEditOpen, 0, 0, buffer), 0);
    EXPECT_EQ(effect->dispatch(effGetNumMidiInputChannels), 0);
    EXPECT_EQ(effect->dispatch(effGetNumMidiOutputChannels), 0);
    EXPECT_EQ(effect->dispatch(effSetTotalSampleToProcess, 0, 1234), 1234);
    EXPECT_EQ(effect->dispatch(effSetProcessPrecision, 0, 1), 0);

    int inputSide = 0;
    int outputSide = 0;
    VstSpeakerArrangement* input = reinterpret_cast<VstSpeakerArrangement*>(&inputSide);
    VstSpeakerArrangement* output = reinterpret_cast<VstSpeakerArrangement*>(&outputSide);
    EXPECT_EQ(effect->dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&input), &output), 0);
    EXPECT_EQ(input, nullptr);
    EXPECT_EQ(output, nullptr);

    for (const int32_t opcode : {9, 16, 17, 18, 20, 21, 28, 30, 31, 32, 36, 37, 43, 46, 53, 54, 55, 57, 80, 1000, -1})
        EXPECT_EQ(effect->dispatch(opcode, 0, 0, buffer), 0) << "opcode " << opcode;
}

TEST_F(TestEffectPlugin, ProgramsChangeOnlyToAnIndexBelowTheProgramCount)
{
    effect->dispatch(effSetProgram, 0, 2);
    EXPECT_EQ(effect->dispatch(effGetProgram), 2);
    for (const intptr_t refused : {intptr_t{3}, intptr_t{-1}, intptr_t{INT64_C(1) << 33}})
        effect->dispatch(effSetProgram, 0, refused);
    EXPECT_EQ(effect->dispatch(effGetProgram), 2);
    EXPECT_EQ(effect->programName(), "Program 3");

    char name[] = "Renamed";
    effect->dispatch(effSetProgramName, 0, 0, name);
    EXPECT_EQ(effect->programName(), "Renamed");

    char text[64] = {};
    EXPECT_EQ(effect->dispatch(effGetProgramNameIndexed, 0, 0, text), 1);
    EXPECT_STREQ(text, "Program 1");
    EXPECT_EQ(effect->dispatch(effGetProgramNameIndexed, 3, 0, text), 0);
    EXPECT_EQ(effect->dispatch(effGetProgramNameIndexed, -1, 0, text), 0);
}

TEST_F(TestEffectPlugin, ParametersReachTheEffectWithAnyIndexButOnlyWithAFiniteValue)
{
    effect->setParameter(0, 0.75f);
    EXPECT_EQ(effect->parameter(0), 0.75f);
    effect->setParameter(0, std::numeric_limits<float>::quiet_NaN());
    effect->setParameter(0, std::numeric_limits<float>::infinity());
    EXPECT_EQ(effect->parameter(0), 0.75f);

    EXPECT_EQ(effect->parameterName(0), "Gain");
    EXPECT_EQ(effect->parameterDisplay(0), "1.50");
    EXPECT_EQ(effect->parameterLabel(0), "x");
    EXPECT_EQ(effect->parameterName(1), "Invert");

    // Indexes beyond the published count reach the effect, which answers for them.
    for (const int32_t index : {2, -1, std::numeric_limits<int32_t>::min()}) {
        effect->setParameter(index, 0.1f);
        EXPECT_EQ(effect->parameter(index), 0.0f);
        EXPECT_EQ(effect->parameterName(index), "None") << "index " << index;
        char text[16];
        std::memset(text, 'Z', sizeof text);
        EXPECT_EQ(effect->dispatch(effGetParamDisplay, index, 0, text), 0);
        EXPECT_STREQ(text, "") << "index " << index;
    }
    EXPECT_EQ(effect->parameter(0), 0.75f);
}

TEST_F(TestEffectPlugin, NullHostPointersAreAnsweredZeroWithoutReachingTheEffect)
{
    const int32_t opcodesWithPointers[] = {effSetProgramName,
                                           effGetProgramName,
                                           effGetParamLabel,
                                           effGetParamDisplay,
                                           effGetParamName,
                                           effEditGetRect,
                                           effGetChunk,
                                           effProcessEvents,
                                           effString2Parameter,
                                           effGetProgramNameIndexed,
                                           effGetInputProperties,
                                           effGetOutputProperties,
                                           effOfflineNotify,
                                           effOfflinePrepare,
                                           effOfflineRun,
                                           effProcessVarIo,
                                           effSetSpeakerArrangement,
                                           effGetEffectName,
                                           effGetVendorString,
                                           effGetProductString,
                                           effCanDo,
                                           effGetParameterProperties,
                                           effGetMidiProgramName,
                                           effGetCurrentMidiProgram,
                                           effGetMidiProgramCategory,
                                           effGetMidiKeyName,
                                           effGetSpeakerArrangement,
                                           effShellGetNextPlugin,
                                           effBeginLoadBank,
                                           effBeginLoadProgram};
    for (const int32_t opcode : opcodesWithPointers) {
        EXPECT_EQ(effect->dispatch(opcode, 0, 0, nullptr), 0) << "opcode " << opcode;
    }
    int side = 0;
    EXPECT_EQ(effect->dispatch(effSetSpeakerArrangement, 0, 0, &side), 0);
    EXPECT_EQ(effect->dispatch(effGetSpeakerArrangement, 0, 0, &side), 0);
}

TEST_F(TestEffectPlugin, PinPropertiesAnswerForExistingPinsOnly)
{
    VstPinProperties pin{};
    EXPECT_EQ(effect->dispatch(effGetInputProperties, 1, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "Test In 2");
    EXPECT_STREQ(pin.shortLabel, "T2");
    EXPECT_EQ(pin.flags, kVstPinIsActive | kVstPinIsStereo);
    EXPECT_EQ(effect->dispatch(effGetOutputProperties, 0, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "Test Out 1");
    EXPECT_EQ(effect->dispatch(effGetInputProperties, 2, 0, &pin), 0);
    EXPECT_EQ(effect->dispatch(effGetOutputProperties, -1, 0, &pin), 0);
}

TEST_F(TestEffectPlugin, StateChunksRoundTripAndAreTheSameForBankAndProgram)
{
    effect->setParameter(0, 1.0f);
    effect->setParameter(1, 1.0f);
    const std::vector<char> bank = effect->chunk(false);
    const std::vector<char> program = effect->chunk(true);
    ASSERT_EQ(bank.size(), 12u);
    EXPECT_EQ(bank, program);

    effect->setParameter(0, 0.25f);
    effect->setParameter(1, 0.0f);
    effect->setChunk(bank, false);
    EXPECT_EQ(effect->parameter(0), 1.0f);
    EXPECT_EQ(effect->parameter(1), 1.0f);
}

TEST_F(TestEffectPlugin, AnUnusableChunkIsAnsweredZeroAndOfferedToTheEffectAsNoData)
{
    effect->setParameter(0, 0.25f);
    std::vector<char> state = effect->chunk(false);
    effect->setParameter(0, 0.5f);
    for (const intptr_t size : {intptr_t{0}, intptr_t{-12}, intptr_t{INT64_C(1) << 32}})
        EXPECT_EQ(effect->dispatch(effSetChunk, 0, size, state.data()), 0);
    EXPECT_EQ(effect->dispatch(effSetChunk, 0, 12, nullptr), 0);
    EXPECT_EQ(probe(probeChunksOffered), 4);
    EXPECT_EQ(effect->parameter(0), 0.5f);
}

TEST_F(TestEffectPlugin, BlocksWithoutFramesOrChannelsNeverReachTheEffect)
{
    effect->resume();
    float left[128] = {};
    float right[128] = {};
    float* channels[2] = {left, right};
    effect->process(channels, channels, 0);
    effect->process(channels, channels, -5);
    const AEffect& record = effect->record();
    record.processReplacing(const_cast<AEffect*>(&record), nullptr, channels, 64);
    record.processReplacing(const_cast<AEffect*>(&record), channels, nullptr, 64);
    EXPECT_EQ(probe(probeBlocks), 0);
    effect->process(channels, channels, 64);
    EXPECT_EQ(probe(probeBlocks), 1);
}

TEST_F(TestEffectPlugin, ProcessingFollowsTheParametersAndTheHostsTransport)
{
    effect->resume();
    std::vector<float> in[2] = {std::vector<float>(100), std::vector<float>(100)};
    std::vector<float> out[2] = {std::vector<float>(100), std::vector<float>(100)};
    for (int i = 0; i < 100; ++i) {
        in[0][i] = static_cast<float>(i) / 128.0f;
        in[1][i] = -static_cast<float>(i) / 64.0f;
    }
    float* inputs[2] = {in[0].data(), in[1].data()};
    float* outputs[2] = {out[0].data(), out[1].data()};
    effect->setParameter(0, 1.0f);  // gain 2
    effect->setParameter(1, 1.0f);  // inverted
    for (int block = 0; block < 3; ++block)
        effect->process(inputs, outputs, 100);
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(out[0][i], -2.0f * in[0][i]) << i;
        ASSERT_EQ(out[1][i], -2.0f * in[1][i]) << i;
    }
    EXPECT_EQ(probe(probeBlocks), 3);
    EXPECT_EQ(probe(probeSamplePosition), 200);  // the third block starts at sample 200
    EXPECT_EQ(probe(probeResumes), 1);
    effect->suspend();
    EXPECT_EQ(probe(probeSuspends), 1);
}

TEST_F(TestEffectPlugin, HostCallsOfTheBaseClassesReachOurHost)
{
    EXPECT_EQ(probe(probeMasterVersion), 2400);
    EXPECT_EQ(probe(probeHostSampleRate), 48000);
    EXPECT_EQ(probe(probeHostBlockSize), 128);
    EXPECT_EQ(probe(probeHostCanDoTimeInfo), 1);
    EXPECT_EQ(probe(probeProcessLevel), kVstProcessLevelOffline);
    char product[64] = {};
    EXPECT_EQ(probe(probeHostProduct, product), 1);
    EXPECT_STREQ(product, "Brondil Host");
    EXPECT_EQ(probe(probeInputConnected, reinterpret_cast<void*>(1)), 1);
    EXPECT_EQ(probe(probeInputConnected, reinterpret_cast<void*>(2)), 0);

    EXPECT_EQ(probe(probeAutomate), 1);
    EXPECT_EQ(effect->parameter(0), 0.25f);
    EXPECT_EQ(effect->lastAutomatedIndex(), 0);
    EXPECT_EQ(effect->lastAutomatedValue(), 0.25f);
    EXPECT_EQ(effect->hostCallCount(audioMasterAutomate), 1);
}

}  // namespace
