// The plug-in's entry: who gets an effect, and how long the toolkit runs.
#include <stdexcept>
#include <thread>

#include <juce_events/juce_events.h>

#include "tests/host/adapter_fixture.h"

namespace {

bool toolkitRuns() { return juce::MessageManager::getInstanceWithoutCreating() != nullptr; }

TEST_F(AdapterTest, AHostThatAnswersVersionZeroGetsNoEffectAndNoProcessorIsMade)
{
    host.versionAnswer = 0;
    EXPECT_FALSE(makeEffect(2, 2));
    EXPECT_EQ(probe, nullptr);
    EXPECT_EQ(host.calls[audioMasterVersion], 1);
    EXPECT_FALSE(toolkitRuns());
}

TEST_F(AdapterTest, ANullCallbackAProcessorThatFailsOrThrowsGiveNoEffectAndLeaveNothingRunning)
{
    EXPECT_EQ(pluginEntryPoint(nullptr, [] { return new ProbeProcessor(2, 2); }), nullptr);
    EXPECT_FALSE(host.create([](audioMasterCallback callback) {
        return pluginEntryPoint(callback, []() -> juce::AudioProcessor* { return nullptr; });
    }));
    EXPECT_FALSE(host.create([](audioMasterCallback callback) {
        return pluginEntryPoint(callback, []() -> juce::AudioProcessor* { throw std::runtime_error("no"); });
    }));
    EXPECT_FALSE(toolkitRuns());
}

TEST_F(AdapterTest, TheToolkitRunsUntilTheLastEffectClosesAndStartsAgainForTheNext)
{
    ASSERT_TRUE(makeEffect(2, 2));
    TestHost second;
    ASSERT_TRUE(second.create([](audioMasterCallback callback) {
        return pluginEntryPoint(callback, [] { return new ProbeProcessor(1, 1); });
    }));
    EXPECT_TRUE(toolkitRuns());

    host.close();
    EXPECT_TRUE(toolkitRuns());
    // The survivor still works.
    EXPECT_EQ(second.text(effGetEffectName), "Brondil");

    second.close();
    EXPECT_FALSE(toolkitRuns());

    ASSERT_TRUE(makeEffect(2, 2));
    EXPECT_TRUE(toolkitRuns());
    EXPECT_TRUE(juce::MessageManager::getInstance()->isThisTheMessageThread());
}

TEST_F(AdapterTest, TheThreadThatCallsTheEntryBecomesTheMessageThread)
{
    bool messageThreadThere = false;
    std::thread guiThread([&] {
        ASSERT_TRUE(makeEffect(2, 2));
        messageThreadThere = juce::MessageManager::getInstance()->isThisTheMessageThread();
        host.close();
    });
    guiThread.join();
    EXPECT_TRUE(messageThreadThere);
    EXPECT_FALSE(toolkitRuns());
}

TEST_F(AdapterTest, TheRecordShowsTheProcessorsCountsAndTheEffectsIdentity)
{
    ASSERT_TRUE(makeEffect(3, 5));
    const AEffect& record = *host.effect;
    EXPECT_EQ(record.magic, kEffectMagic);
    EXPECT_EQ(record.numInputs, 3);
    EXPECT_EQ(record.numOutputs, 5);
    EXPECT_EQ(record.numParams, 2);
    EXPECT_EQ(record.numPrograms, 3);
    EXPECT_EQ(record.uniqueID, fourCharCode('B', 'r', 'A', 'u'));
    EXPECT_EQ(record.version, 0x10003);
    // Replacing processing and chunks; no editor to claim, no synth, a tail.
    EXPECT_EQ(record.flags, effFlagsCanReplacing | effFlagsProgramChunks);
    EXPECT_EQ(record.initialDelay, 0);
    EXPECT_EQ(record.ioRatio, 1.0f);
}

}  // namespace
