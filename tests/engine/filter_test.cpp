#include <cmath>
#include <limits>
#include <memory>

#include <gtest/gtest.h>

#include "engine/filter.h"
#include "primitives/dispatch/dispatch.h"
#include "primitives/dsp.h"
#include "tests/engine/scratch_folder.h"

namespace {

using enginetest::ScratchFolder;

BRChannelCountQuestion answering(int inputs, int outputs)
{
    return [inputs, outputs](const BRSettings&) { return BRChannelCounts{inputs, outputs}; };
}

class Processor : public testing::Test {
protected:
    std::unique_ptr<BRFilter> build(int inputs = 2, int outputs = 2)
    {
        return std::make_unique<BRFilter>(pluginFile(), answering(inputs, outputs));
    }
    juce::File pluginFile() const { return scratch.file("Brondil.so"); }

    ScratchFolder scratch;
};

TEST_F(Processor, TheAnsweredCountsReachTheHostAndTheChannelNamesCountFromOne)
{
    const auto filter = build(3, 8);
    EXPECT_EQ(filter->inputs, 3);
    EXPECT_EQ(filter->outputs, 8);
    EXPECT_EQ(filter->getTotalNumInputChannels(), 3);
    EXPECT_EQ(filter->getTotalNumOutputChannels(), 8);
    EXPECT_EQ(filter->getInputChannelName(0), "1");
    EXPECT_EQ(filter->getOutputChannelName(7), "8");
    EXPECT_FALSE(filter->isInputChannelStereoPair(0));
    EXPECT_FALSE(filter->isOutputChannelStereoPair(0));
}

TEST_F(Processor, TheCountQuestionSeesTheSettingsFile)
{
    enginetest::writeText(scratch.file("Brondil.xml"),
                          "<Brondil><Inputs number=\"5\"/><Outputs number=\"7\"/></Brondil>");
    BRFilter filter(pluginFile(), [](const BRSettings& settings) {
        return BRChannelCounts{settings.inputs, settings.outputs};
    });
    EXPECT_EQ(filter.inputs, 5);
    EXPECT_EQ(filter.outputs, 7);
}

TEST_F(Processor, StartsWithTheSizesAndModeOfTheSettings)
{
    enginetest::writeText(scratch.file("Brondil.xml"),
                          "<Brondil><IRsize size=\"8192\"/><FFTsize size=\"4096\"/>"
                          "<WorkingMode mode=\"1\"/></Brondil>");
    const auto filter = build();
    EXPECT_EQ(filter->fftSize, 4096);
    EXPECT_EQ(filter->irSize, 8192);
    EXPECT_EQ(filter->workingMode, BRWorkingMode::irMulti);
    EXPECT_EQ(filter->hopSize, 0);
    EXPECT_EQ(filter->loadedCells, 0);
    EXPECT_EQ(filter->partitionCount, 0);
    EXPECT_EQ(filter->selectedOutput, 0);
    EXPECT_EQ(filter->selectedInput, 0);
}

TEST_F(Processor, WithoutSettingsStartsInIrMonoWith1024Samples)
{
    const auto filter = build();
    EXPECT_EQ(filter->fftSize, 1024);
    EXPECT_EQ(filter->irSize, 1024);
    EXPECT_EQ(filter->workingMode, BRWorkingMode::irMono);
}

TEST_F(Processor, AnUnknownWorkingModeStartsInIrMono)
{
    enginetest::writeText(scratch.file("Brondil.xml"), "<Brondil><WorkingMode mode=\"7\"/></Brondil>");
    const auto filter = build();
    EXPECT_EQ(filter->workingMode, BRWorkingMode::irMono);
    EXPECT_EQ(filter->settings.workingMode, 0) << "a number that names no mode is not kept";
}

TEST_F(Processor, ConstructionSetsTheProcessorClass)
{
    dspInitCpuDispatch();
    const int detected = dspCpuClass.load();
    dspCpuClass.store(dspCpuGeneric);

    const auto filter = build();

    EXPECT_EQ(dspCpuClass.load(), detected);
}

TEST_F(Processor, AnswersTheConstantQuestions)
{
    const auto filter = build();
    EXPECT_EQ(filter->getName(), "Brondil");
    EXPECT_FALSE(filter->acceptsMidi());
    EXPECT_FALSE(filter->producesMidi());
    EXPECT_EQ(filter->getNumPrograms(), 0);
    EXPECT_EQ(filter->getCurrentProgram(), 0);
    EXPECT_EQ(filter->getProgramName(0), "");
    EXPECT_EQ(filter->getLatencySamples(), 0);
    EXPECT_EQ(filter->getNumParameters(), 1);
}

TEST_F(Processor, DestroyingAnUnpreparedProcessorWritesTheSettingsFile)
{
    const juce::File settingsFile = scratch.file("Brondil.xml");
    {
        const auto filter = build();
        EXPECT_EQ(filter->settingsFile(), settingsFile);
        filter->settings.fftSize = 2048;
        filter->settings.zeroLatency = 1;
        EXPECT_FALSE(settingsFile.exists());
    }
    ASSERT_TRUE(settingsFile.existsAsFile());
    const auto next = build();
    EXPECT_EQ(next->settings.fftSize, 2048);
    EXPECT_EQ(next->settings.zeroLatency, 1);
    EXPECT_EQ(next->fftSize, 2048);
}

TEST_F(Processor, TheWetGainStartsAtZeroDecibels)
{
    const auto filter = build();
    EXPECT_EQ(filter->getParameter(0), 0.5f);
    EXPECT_EQ(filter->getParameterText(0), "0.00");
    EXPECT_EQ(filter->getParameterName(0), "WetGain");
    EXPECT_EQ(filter->wetGain.getRawValue(), 1.0);
    EXPECT_EQ(filter->wetGain.getMinimum(), -90.0);
    EXPECT_EQ(filter->wetGain.getMaximum(), 90.0);
}

TEST_F(Processor, TheWetGainSpansMinusToPlusNinetyDecibels)
{
    const auto filter = build();
    filter->setParameter(0, 0.0f);
    EXPECT_EQ(filter->wetGain.getDb(), -90.0);
    EXPECT_EQ(filter->getParameterText(0), "-90.00");
    // Not silence: only -999.9 dB and below give 0.
    EXPECT_NEAR(filter->wetGain.getRawValue(), 3.1622776601683795e-5, 1e-19);

    filter->setParameter(0, 1.0f);
    EXPECT_EQ(filter->wetGain.getDb(), 90.0);
    EXPECT_NEAR(filter->wetGain.getRawValue(), 31622.776601683792, 1e-10);

    filter->setParameter(0, 1.2f);
    EXPECT_EQ(filter->wetGain.getDb(), 90.0);
    filter->setParameter(0, -0.5f);
    EXPECT_EQ(filter->wetGain.getDb(), -90.0);
    filter->wetGain.setDb(-90.0);
    EXPECT_EQ(filter->wetGain.getDb(), -90.0);
}

TEST_F(Processor, ParametersBeyondTheFirstReadAsUnnamedZero)
{
    const auto filter = build();
    EXPECT_EQ(filter->getParameterName(1), "<unnamed>");
    EXPECT_EQ(filter->getParameter(1), 0.0f);
    EXPECT_EQ(filter->getParameterText(1), "0.00");
}

TEST_F(Processor, ANonFiniteParameterLeavesTheWetGainAlone)
{
    const auto filter = build();
    filter->setParameter(0, 0.25f);
    filter->setParameter(0, std::numeric_limits<float>::quiet_NaN());
    filter->setParameter(0, std::numeric_limits<float>::infinity());
    EXPECT_EQ(filter->wetGain.getDb(), -45.0);
    EXPECT_EQ(filter->getParameterText(0), "-45.00");
}

class CountingListener : public juce::ChangeListener {
public:
    void changeListenerCallback(juce::ChangeBroadcaster*) override { ++changes; }
    int changes = 0;
};

TEST_F(Processor, AnyParameterIndexSetsTheWetGainAndSendsAChangeMessage)
{
    // Change messages travel through the message queue.
    const juce::ScopedJuceInitialiser_GUI messageThread;
    const auto filter = build();
    CountingListener listener;
    filter->addChangeListener(&listener);

    filter->setParameter(3, 0.25f);
    filter->dispatchPendingMessages();

    EXPECT_EQ(filter->wetGain.getDb(), -45.0);
    EXPECT_EQ(listener.changes, 1);
    filter->removeChangeListener(&listener);
}

}  // namespace
