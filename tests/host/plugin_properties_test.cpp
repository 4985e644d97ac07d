// What a host learns from Brondil.so through the record and the dispatcher.
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "host/vst/opcodes.h"
#include "tests/host/adapter_test_host.h"
#include "tests/host/plugin_fixture.h"

namespace {

TEST_F(PluginTest, TheRecordDescribesTheEffect)
{
    loadEffect();
    const AEffect& record = effect->record();
    EXPECT_EQ(record.magic, kEffectMagic);
    EXPECT_EQ(record.uniqueID, fourCharCode('B', 'r', 'A', 'u'));
    EXPECT_EQ(record.version, 0x10003);
    EXPECT_EQ(record.numPrograms, 0);
    EXPECT_EQ(record.numParams, 1);
    EXPECT_EQ(record.numInputs, 2);
    EXPECT_EQ(record.numOutputs, 2);
    // An editor, replacing processing and state in chunks.
    EXPECT_EQ(record.flags, effFlagsHasEditor | effFlagsCanReplacing | effFlagsProgramChunks);
    EXPECT_EQ(record.initialDelay, 0);
    EXPECT_EQ(record.realQualities, 0);
    EXPECT_EQ(record.offQualities, 0);
    EXPECT_EQ(record.ioRatio, 1.0f);
    EXPECT_NE(record.processReplacing, nullptr);
}

TEST_F(PluginTest, EveryParameterIndexTheHostSendsSetsTheWetGain)
{
    loadEffect();
    effect->setParameter(3, 0.25f);
    EXPECT_EQ(effect->parameterDisplay(0), "-45.00");
    effect->setParameter(-1, 1.0f);
    EXPECT_EQ(effect->parameterDisplay(0), "90.00");
}

TEST_F(PluginTest, EveryQueryTheEffectAnswers)
{
    loadEffect();
    EXPECT_EQ(effect->effectName(), "Brondil");
    EXPECT_EQ(effect->productString(), "Brondil");
    EXPECT_EQ(effect->vendorString(), "Brondil Lab");
    EXPECT_EQ(effect->dispatch(effGetVendorVersion), 0x10003);
    EXPECT_EQ(effect->dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(effect->dispatch(effGetPlugCategory), kPlugCategEffect);
    EXPECT_EQ(effect->dispatch(effGetTailSize), 0);
    EXPECT_EQ(effect->dispatch(effGetNumMidiInputChannels), 0);
    EXPECT_EQ(effect->dispatch(effGetNumMidiOutputChannels), 0);
    EXPECT_EQ(effect->dispatch(effIdentify), fourCharCode('N', 'v', 'E', 'f'));
    EXPECT_EQ(effect->parameterName(0), "WetGain");
    EXPECT_EQ(effect->parameterDisplay(0), "0.00");
    EXPECT_EQ(effect->parameterLabel(0), "");
    EXPECT_EQ(effect->parameter(0), 0.5f);
    EXPECT_EQ(effect->dispatch(effCanBeAutomated, 0), 1);
    // Other indexes: no value, and the texts cut to the eight bytes a host may give.
    EXPECT_EQ(effect->parameter(1), 0.0f);
    EXPECT_EQ(effect->parameterDisplay(1), "0.00");
    EXPECT_EQ(effect->parameterName(1), "<unname");
    EXPECT_EQ(effect->dispatch(effGetProgram), 0);
    EXPECT_EQ(effect->programName(), "");

    char text[64] = {};
    EXPECT_EQ(effect->dispatch(effGetProgramNameIndexed, 0, 0, text), 0);
    VstPinProperties pin{};
    ASSERT_EQ(effect->dispatch(effGetOutputProperties, 1, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "2");
    EXPECT_EQ(pin.flags, kVstPinIsActive);
    EXPECT_EQ(effect->dispatch(effGetInputProperties, 2, 0, &pin), 0);

    // What the effect does not do.
    EXPECT_EQ(effect->dispatch(effSetBypass, 0, 1), 0);
    EXPECT_EQ(effect->dispatch(effGetCurrentMidiProgram, 0, 0, text), -1);
    EXPECT_EQ(effect->dispatch(effSetProcessPrecision, 0, 1), 0);
    EXPECT_EQ(effect->dispatch(effEditKeyDown, 'a', 0x41), 0);
    // Without a display there is no editor window to size or open.
    ERect* rect = nullptr;
    EXPECT_EQ(effect->dispatch(effEditGetRect, 0, 0, &rect), 0);
    EXPECT_EQ(effect->dispatch(effEditOpen, 0, 0, text), 0);
    EXPECT_EQ(effect->dispatch(effEditClose), 0);
    EXPECT_EQ(effect->dispatch(effEditIdle), 0);
    VstSpeakerArrangement* inputs = reinterpret_cast<VstSpeakerArrangement*>(text);
    VstSpeakerArrangement* outputs = inputs;
    EXPECT_EQ(effect->dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&inputs), &outputs), 0);
    EXPECT_EQ(inputs, nullptr);
    EXPECT_EQ(outputs, nullptr);
    for (int32_t opcode : {effProcessEvents, effString2Parameter, effGetParameterProperties, effGetMidiProgramName,
                           effGetMidiKeyName, effBeginLoadBank, effBeginLoadProgram, effShellGetNextPlugin,
                           effVendorSpecific, effProcessVarIo, effOfflineNotify})
        EXPECT_EQ(effect->dispatch(opcode, 0, 0, text), 0) << "opcode " << opcode;
    EXPECT_EQ(effect->dispatch(effBeginSetProgram), 0);
    EXPECT_EQ(effect->dispatch(effEndSetProgram), 0);
    EXPECT_EQ(effect->dispatch(effHasMidiProgramsChanged), 0);
    EXPECT_EQ(effect->dispatch(effSetPanLaw, 0, 0, nullptr, 0.5f), 0);
    EXPECT_EQ(effect->dispatch(effSetTotalSampleToProcess, 0, 4410), 4410);
    for (int32_t opcode : {28, 30, 31, 36, 46, 53, 57, 80, 200, -1})
        EXPECT_EQ(effect->dispatch(opcode), 0) << "opcode " << opcode;
}

TEST_F(PluginTest, CanDoAnswersByExactText)
{
    loadEffect();
    for (const char* midi : {"receiveVstEvents", "receiveVstMidiEvent", "receiveVstMidiEvents", "sendVstEvents",
                             "sendVstMidiEvent", "sendVstMidiEvents"})
        EXPECT_EQ(effect->canDo(midi), -1) << midi;
    EXPECT_EQ(effect->canDo("receiveVstTimeInfo"), 1);
    EXPECT_EQ(effect->canDo("conformsToWindowRules"), 1);
    EXPECT_EQ(effect->canDo("ReceiveVstTimeInfo"), 0);
    EXPECT_EQ(effect->canDo("receiveVstTimeInfo "), 0);
    EXPECT_EQ(effect->canDo("bypass"), 0);
    EXPECT_EQ(effect->canDo(""), 0);
    EXPECT_EQ(effect->dispatch(effCanDo, 0, 0, nullptr), 0);
}

TEST_F(PluginTest, WithoutADisplayTheEffectTakesTheChannelCountsOfItsSettings)
{
    writeSettings(3, 4);
    loadEffect();
    EXPECT_EQ(effect->record().numInputs, 3);
    EXPECT_EQ(effect->record().numOutputs, 4);
    effect->resume();
    Channels in(3, 256), out(4, 256);
    in.samples[0][0] = 1.0f;
    effect->process(in.pointers.data(), out.pointers.data(), 256);
    // An empty matrix sounds silence.
    for (const auto& channel : out.samples)
        for (float sample : channel)
            ASSERT_EQ(sample, 0.0f);
}

TEST_F(PluginTest, EveryEffectOfTheProcessKeepsItsSettingsBesideTheLinkAndNoneInTheConfigFolder)
{
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    ASSERT_NE(configHome, nullptr);
    EXPECT_EQ(std::string(configHome).rfind(std::filesystem::temp_directory_path().string(), 0), 0u)
        << "the test run's own folder, not the user's";
    const std::string ir = pathInFolder("ir.wav");
    ASSERT_TRUE(writeWav(ir, reverbLikeStereoIrs(), 48000));
    for (int effectNumber = 0; effectNumber < 2; ++effectNumber) {
        loadEffect();
        // A project of existing folders changes the settings: the effect has something to save.
        effect->setChunk(irMultiStateChunk(ir, {folder}, {folder}), false);
        closeEffect();
        EXPECT_TRUE(std::filesystem::exists(pathInFolder("Brondil.xml"))) << "effect " << effectNumber;
        std::filesystem::remove(pathInFolder("Brondil.xml"));
    }
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(configHome) / "Brondil"));
}

TEST_F(PluginTest, SettingsCountsOutsideOneToThirtyTwoBecomeTwo)
{
    writeSettings(0, 40);
    loadEffect();
    EXPECT_EQ(effect->record().numInputs, 2);
    EXPECT_EQ(effect->record().numOutputs, 2);
}

}  // namespace
