// Parameters, programs, pins, speaker arrangements and the play head between
// the host and the processor.
#include <cmath>
#include <cstring>
#include <limits>

#include "host/host_text.h"
#include "tests/host/adapter_fixture.h"

namespace {

TEST_F(AdapterTest, ParametersOfAnyIndexPassBothWaysAndNonFiniteValuesAreIgnored)
{
    ASSERT_TRUE(makeEffect(2, 2));
    host.setParameter(1, 0.125f);
    EXPECT_EQ(probe->values[1], 0.125f);
    EXPECT_EQ(host.getParameter(1), 0.125f);
    host.setParameter(1, std::numeric_limits<float>::quiet_NaN());
    host.setParameter(1, std::numeric_limits<float>::infinity());
    EXPECT_EQ(probe->values[1], 0.125f);
    // The processor decides what an index it does not have means.
    host.setParameter(-1, 0.5f);
    host.setParameter(2, 0.5f);
    EXPECT_EQ(probe->parameterIndexesSet, (std::vector<int>{1, -1, 2}));
    EXPECT_EQ(host.getParameter(2), 0.0f);
    EXPECT_EQ(host.text(effGetParamDisplay, 2), "none");
    EXPECT_EQ(host.dispatch(effCanBeAutomated, 0), 1);
    EXPECT_EQ(host.dispatch(effCanBeAutomated, 1), 0);
}

TEST_F(AdapterTest, TextsStayWithinThePublishedLimitsAndEndOnAWholeCharacter)
{
    ASSERT_TRUE(makeEffect(2, 2));
    // Seven bytes and a NUL fit the eight a host may give for a parameter's texts.
    EXPECT_EQ(host.text(effGetParamName, 0), "Wet gai");
    EXPECT_EQ(host.text(effGetParamName, 1), "Mix");
    EXPECT_EQ(host.text(effGetParamDisplay, 0), "0.250");
    EXPECT_EQ(host.text(effGetParamLabel, 0), "");
    probe->longParameterName = juce::String::fromUTF8("Gain \xc3\xa4\xc3\xa4");  // "Gain ää"
    EXPECT_EQ(host.text(effGetParamName, 0), "Gain \xc3\xa4");
    // Null text buffers are refused before the effect sees them.
    EXPECT_EQ(host.dispatch(effGetParamName, 0, 0, nullptr), 0);
    EXPECT_EQ(host.dispatch(effGetEffectName, 0, 0, nullptr), 0);

    char text[8];
    copyHostText(text, "abcdefghij", 7);
    EXPECT_STREQ(text, "abcdefg");
    copyHostText(text, juce::String::fromUTF8("abcde\xe2\x82\xac"), 7);  // a three-byte euro sign at bytes 5..7
    EXPECT_STREQ(text, "abcde");
}

TEST_F(AdapterTest, ProgramsAreTheProcessorsAndIndexesOutsideThemAnswerNothing)
{
    ASSERT_TRUE(makeEffect(2, 2));
    EXPECT_EQ(host.dispatch(effGetProgram), 0);
    host.dispatch(effSetProgram, 0, 2);
    EXPECT_EQ(probe->program, 2);
    host.dispatch(effSetProgram, 0, 3);
    EXPECT_EQ(probe->program, 2);
    // Twenty-three bytes and a NUL.
    EXPECT_EQ(host.text(effGetProgramName), "A program name much lon");

    char name[40] = "Renamed";
    host.dispatch(effSetProgramName, 0, 0, name);
    EXPECT_EQ(probe->programNames[2], "Renamed");
    // A name that does not end within 24 bytes is cut there.
    char unterminated[40];
    std::memset(unterminated, 'n', sizeof unterminated);
    host.dispatch(effSetProgramName, 0, 0, unterminated);
    EXPECT_EQ(probe->programNames[2].length(), 24);
    // A Latin-1 name, its last byte a lead byte at the published length.
    char latin1[24];
    std::memcpy(latin1, "Salle \xE0 manger nnnnnnnn\xE0", sizeof latin1);
    host.dispatch(effSetProgramName, 0, 0, latin1);
    EXPECT_EQ(probe->programNames[2],
              juce::String(juce::CharPointer_UTF8("Salle \xEF\xBF\xBD manger nnnnnnnn\xEF\xBF\xBD")));

    char text[64];
    EXPECT_EQ(host.dispatch(effGetProgramNameIndexed, 1, 0, text), 1);
    EXPECT_STREQ(text, "Second");
    EXPECT_EQ(host.dispatch(effGetProgramNameIndexed, 3, 0, text), 0);
    EXPECT_EQ(host.dispatch(effGetProgramNameIndexed, -1, 0, text), 0);
}

TEST_F(AdapterTest, PinsCarryTheProcessorsChannelNames)
{
    ASSERT_TRUE(makeEffect(3, 2));
    VstPinProperties pin{};
    ASSERT_EQ(host.dispatch(effGetInputProperties, 0, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "In 1");
    EXPECT_STREQ(pin.shortLabel, "In 1");
    EXPECT_EQ(pin.flags, kVstPinIsActive | kVstPinIsStereo);
    EXPECT_EQ(pin.arrangementType, 0);
    ASSERT_EQ(host.dispatch(effGetInputProperties, 2, 0, &pin), 1);
    EXPECT_EQ(pin.flags, kVstPinIsActive);
    EXPECT_EQ(host.dispatch(effGetInputProperties, 3, 0, &pin), 0);
    EXPECT_EQ(host.dispatch(effGetInputProperties, -1, 0, &pin), 0);
    ASSERT_EQ(host.dispatch(effGetOutputProperties, 1, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "Out 2");
    EXPECT_EQ(pin.flags, kVstPinIsActive);
    EXPECT_EQ(host.dispatch(effGetOutputProperties, 2, 0, &pin), 0);
}

TEST_F(AdapterTest, ASpeakerArrangementIsAcceptedOnlyWithTheEffectsOwnCounts)
{
    ASSERT_TRUE(makeEffect(2, 2));
    VstSpeakerArrangement input{}, output{};
    input.numChannels = 2;
    output.numChannels = 2;
    EXPECT_EQ(host.dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&input), &output), 1);
    output.numChannels = 4;
    EXPECT_EQ(host.dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&input), &output), 0);
    input.numChannels = 1;
    output.numChannels = 2;
    EXPECT_EQ(host.dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&input), &output), 0);
    EXPECT_EQ(host.dispatch(effSetSpeakerArrangement, 0, 0, &output), 0);
    EXPECT_EQ(host.effect->numInputs, 2);
    EXPECT_EQ(host.effect->numOutputs, 2);

    // The audio path keeps the effect's counts.
    host.resume(48000.0f, 32);
    EXPECT_EQ(probe->getTotalNumInputChannels(), 2);
    EXPECT_EQ(probe->getTotalNumOutputChannels(), 2);
    Channels in(2, 32), out(2, 32);
    in.samples[1].assign(32, 1.0f);
    host.process(in.data(), out.data(), 32);
    EXPECT_FLOAT_EQ(out.samples[1][0], ProbeProcessor::mixGain(1, 1));
}

TEST_F(AdapterTest, TheProcessorsChangesReachTheHost)
{
    ASSERT_TRUE(makeEffect(2, 2));
    JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE("-Wdeprecated-declarations")
    probe->beginParameterChangeGesture(1);
    probe->setParameterNotifyingHost(1, 0.5f);
    probe->endParameterChangeGesture(1);
    JUCE_END_IGNORE_WARNINGS_GCC_LIKE
    ASSERT_EQ(host.automated.size(), 1u);
    EXPECT_EQ(host.automated[0].first, 1);
    EXPECT_EQ(host.automated[0].second, 0.5f);
    EXPECT_EQ(probe->values[1], 0.5f);
    EXPECT_EQ(host.editsBegun, std::vector<int32_t>{1});
    EXPECT_EQ(host.editsEnded, std::vector<int32_t>{1});
    probe->updateHostDisplay();
    EXPECT_EQ(host.calls[audioMasterUpdateDisplay], 1);
}

class AdapterPlayHeadTest : public AdapterTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(makeEffect(1, 1));
        probe->asksPlayHead = true;
        host.resume(48000.0f, 16);
        host.time = VstTimeInfo{};
        host.time.sampleRate = 48000.0;
        host.time.samplePos = 96000.0;
    }
    void runBlock()
    {
        Channels in(1, 16), out(1, 16);
        host.process(in.data(), out.data(), 16);
    }
};

TEST_F(AdapterPlayHeadTest, ATempoWithoutTimeSignatureGivesFourFour)
{
    host.time.tempo = 93.0;
    host.time.flags = kVstTempoValid | kVstTransportPlaying;
    runBlock();
    ASSERT_TRUE(probe->lastPosition.has_value());
    const auto& position = *probe->lastPosition;
    EXPECT_EQ(host.lastTimeFilter, 0xEE00);
    EXPECT_EQ(*position.getBpm(), 93.0);
    EXPECT_EQ(position.getTimeSignature()->numerator, 4);
    EXPECT_EQ(position.getTimeSignature()->denominator, 4);
    EXPECT_EQ(*position.getTimeInSeconds(), 2.0);
    EXPECT_EQ(*position.getPpqPosition(), 0.0);
    EXPECT_TRUE(position.getIsPlaying());
    EXPECT_FALSE(position.getIsRecording());
    EXPECT_FALSE(position.getFrameRate().hasValue());
    EXPECT_EQ(*position.getEditOriginTime(), 0.0);
}

TEST_F(AdapterPlayHeadTest, EveryFieldTheHostMarksValidIsPassedOn)
{
    host.time.flags = kVstTempoValid | kVstTimeSigValid | kVstPpqPosValid | kVstBarsValid | kVstSmpteValid |
                      kVstTransportRecording;
    host.time.tempo = 140.0;
    host.time.timeSigNumerator = 7;
    host.time.timeSigDenominator = 8;
    host.time.ppqPos = 12.5;
    host.time.barStartPos = 10.5;
    host.time.smpteFrameRate = kVstSmpte25fps;
    host.time.smpteOffset = 4000;
    runBlock();
    ASSERT_TRUE(probe->lastPosition.has_value());
    const auto& position = *probe->lastPosition;
    EXPECT_EQ(position.getTimeSignature()->numerator, 7);
    EXPECT_EQ(position.getTimeSignature()->denominator, 8);
    EXPECT_EQ(*position.getPpqPosition(), 12.5);
    EXPECT_EQ(*position.getPpqPositionOfLastBarStart(), 10.5);
    EXPECT_EQ(position.getFrameRate()->getBaseRate(), 25);
    // 4000 subframes at 80 per frame and 25 frames per second.
    EXPECT_EQ(*position.getEditOriginTime(), 2.0);
    EXPECT_TRUE(position.getIsRecording());
    EXPECT_TRUE(position.getIsPlaying());

    host.time.smpteFrameRate = kVstSmpte60fps;
    host.time.smpteOffset = 9600;
    runBlock();
    EXPECT_FALSE(probe->lastPosition->getFrameRate().hasValue());
    EXPECT_EQ(*probe->lastPosition->getEditOriginTime(), 2.0);
}

TEST_F(AdapterPlayHeadTest, NoTransportOrNoSampleRateGivesNoPosition)
{
    host.time.sampleRate = 0.0;
    runBlock();
    EXPECT_FALSE(probe->positionAnswered);
    host.time.sampleRate = 48000.0;
    host.givesTime = false;
    runBlock();
    EXPECT_FALSE(probe->positionAnswered);
}

}  // namespace
