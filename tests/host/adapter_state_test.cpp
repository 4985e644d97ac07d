// State chunks, the timer and the host's idle.
#include <chrono>
#include <cstring>
#include <thread>

#include <juce_events/juce_events.h>

#include "tests/host/adapter_fixture.h"

namespace {

juce::MemoryBlock bytes(const char* text) { return juce::MemoryBlock(text, std::strlen(text)); }

TEST_F(AdapterTest, ProgramAndBankChunksAreTheProcessorsStateBytes)
{
    ASSERT_TRUE(makeEffect(2, 2));
    probe->stateToGive = bytes("the probe's state");
    void* bank = nullptr;
    void* program = nullptr;
    const intptr_t bankSize = host.dispatch(effGetChunk, 0, 0, &bank);
    ASSERT_EQ(bankSize, 17);
    EXPECT_EQ(std::memcmp(bank, "the probe's state", 17), 0);
    const intptr_t programSize = host.dispatch(effGetChunk, 1, 0, &program);
    ASSERT_EQ(programSize, 17);
    EXPECT_EQ(std::memcmp(program, "the probe's state", 17), 0);

    // No state: no chunk, and the host's pointer is left alone.
    probe->stateToGive.reset();
    void* none = &bank;
    EXPECT_EQ(host.dispatch(effGetChunk, 0, 0, &none), 0);
    EXPECT_EQ(none, &bank);
}

TEST_F(AdapterTest, AChunkStaysReadableUntilTheNextChunkCallWhateverTimePasses)
{
    ASSERT_TRUE(makeEffect(2, 2));
    host.dispatch(effOpen);
    probe->stateToGive = bytes("kept");
    void* data = nullptr;
    ASSERT_EQ(host.dispatch(effGetChunk, 0, 0, &data), 4);
    // Past the two seconds after which a chunk used to be freed, with the
    // timer run through the host's idle as a host would.
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(2300);
    while (std::chrono::steady_clock::now() < until) {
        host.dispatch(effEditIdle);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_EQ(std::memcmp(data, "kept", 4), 0);
}

TEST_F(AdapterTest, SetChunkHandsTheBytesOverAndAnswersZero)
{
    ASSERT_TRUE(makeEffect(2, 2));
    char state[] = "restore me";
    EXPECT_EQ(host.dispatch(effSetChunk, 0, 10, state), 0);
    EXPECT_EQ(host.dispatch(effSetChunk, 1, 7, state), 0);
    ASSERT_EQ(probe->statesReceived.size(), 2u);
    EXPECT_EQ(probe->statesReceived[0], juce::MemoryBlock(state, 10));
    EXPECT_EQ(probe->statesReceived[1], juce::MemoryBlock(state, 7));

    // Null, empty or negative: the processor is not called.
    EXPECT_EQ(host.dispatch(effSetChunk, 0, 10, nullptr), 0);
    EXPECT_EQ(host.dispatch(effSetChunk, 0, 0, state), 0);
    EXPECT_EQ(host.dispatch(effSetChunk, 0, -5, state), 0);
    EXPECT_EQ(probe->statesReceived.size(), 2u);
}

TEST_F(AdapterTest, AHostMayHandBackTheVeryBytesItWasGiven)
{
    ASSERT_TRUE(makeEffect(2, 2));
    probe->stateToGive = bytes("round trip");
    void* data = nullptr;
    const intptr_t size = host.dispatch(effGetChunk, 0, 0, &data);
    ASSERT_EQ(size, 10);
    host.dispatch(effSetChunk, 0, size, data);
    ASSERT_EQ(probe->statesReceived.size(), 1u);
    EXPECT_EQ(probe->statesReceived[0], bytes("round trip"));
}

TEST_F(AdapterTest, EditIdleRunsQueuedMessagesAndTimersOnTheMessageThreadOnly)
{
    ASSERT_TRUE(makeEffect(2, 2));
    int delivered = 0;
    juce::MessageManager::callAsync([&delivered] { ++delivered; });

    std::thread other([this] { host.dispatch(effEditIdle); });
    other.join();
    EXPECT_EQ(delivered, 0);

    host.dispatch(effEditIdle);
    EXPECT_EQ(delivered, 1);

    struct Tick : juce::Timer {
        int ticks = 0;
        void timerCallback() override { ++ticks; }
    } tick;
    tick.startTimer(1);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (tick.ticks == 0 && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        host.dispatch(effEditIdle);
    }
    tick.stopTimer();
    EXPECT_GT(tick.ticks, 0);
    // Without an editor the effect never calls the host's idle by itself.
    EXPECT_EQ(host.calls[audioMasterIdle], 0);
}

}  // namespace
