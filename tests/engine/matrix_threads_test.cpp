#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "tests/engine/convolution_fixture.h"

namespace {

using namespace enginetest;

// The message thread loads, resets, switches modes and changes the IR size,
// as the editor does, while an audio thread
// processes blocks under the callback lock, as a host's adapter does. Run under
// ThreadSanitizer this shows the matrix and the count stay race-free.
TEST(MatrixThreads, LoadsResetsAndModeChangesRunAgainstAnAudioThread)
{
    TestProcessor filter(2, 2, {512, 512, 0, 1});
    filter->prepareToPlay(48000.0, 128);
    const juce::File multi = filter.file("multi.wav");
    writeChannels(multi, Channels(2, decayingIr(1024, 1)));
    const juce::File mono = filter.file("mono.wav");
    writeChannels(mono, {decayingIr(400, 2)});

    std::atomic<bool> running{true};
    std::thread audio([&] {
        juce::AudioBuffer<float> buffer(2, 128);
        juce::MidiBuffer midi;
        while (running.load()) {
            buffer.clear();
            buffer.setSample(0, 0, 1.0f);
            const juce::ScopedLock lock(filter->getCallbackLock());
            if (!filter->isSuspended())
                filter->processBlock(buffer, midi);
        }
    });

    for (int round = 0; round < 40; ++round) {
        ASSERT_TRUE(filter->switchWorkingMode(round % 2 == 0 ? BRWorkingMode::irMulti : BRWorkingMode::irOneToOne));
        EXPECT_TRUE(filter->loadMultichannelIrFile(multi.getFullPathName()));
        EXPECT_TRUE(filter->allCellsLoaded());
        // A restored state's mode change keeps the cells.
        filter->setWorkingMode(BRWorkingMode::irMulti);
        filter->resetMatrix();
        EXPECT_FALSE(filter->allCellsLoaded());
        ASSERT_TRUE(filter->switchWorkingMode(BRWorkingMode::irMono));
        EXPECT_TRUE(filter->setIrSize(512 + 64 * (round % 3)));
        for (int o = 0; o < 2; ++o)
            for (int i = 0; i < 2; ++i)
                filter->loadMonoIrIntoCell(o, i, mono.getFullPathName());
        EXPECT_TRUE(filter->allCellsLoaded());
    }
    running = false;
    audio.join();
    EXPECT_FALSE(filter->isSuspended());
}

}  // namespace
