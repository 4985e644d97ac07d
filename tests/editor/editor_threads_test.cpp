// The editor used while an audio thread processes blocks under the callback
// lock, as a host's adapter does, and automates the wet gain. Run under
// ThreadSanitizer this shows that mode switches, resets, loads and the knob
// never race the audio thread.
#include <atomic>
#include <cmath>
#include <thread>

#include <gtest/gtest.h>

#include "tests/editor/editor_fixture.h"

namespace {

namespace user = guitest::user;

constexpr int kBlock = 256;

class EditorThreads : public editortest::EditorOnScreen {};

TEST_F(EditorThreads, ModeSwitchesResetsLoadsAndTheKnobRunAgainstAnAudioThread)
{
    makeProcessor(2, 2, {}, 48000.0, kBlock);
    soundFile("irs/mono.wav", 1, 3000, 48000, 0.5f);
    soundFile("irs/stereo.wav", 2, 4096, 48000, 0.25f);
    const juce::String irs = processor->file("irs").getFullPathName();
    filter().settings.lastPathList = {irs, irs, irs};
    openEditor();

    std::atomic<bool> running{true};
    std::atomic<bool> finite{true};
    std::thread audio([this, &running, &finite] {
        juce::AudioBuffer<float> buffer(2, kBlock);
        juce::MidiBuffer midi;
        for (int block = 0; running.load(); ++block) {
            buffer.clear();
            buffer.setSample(0, 0, 1.0f);
            {
                const juce::ScopedLock lock(filter().getCallbackLock());
                if (!filter().isSuspended())
                    filter().processBlock(buffer, midi);
            }
            for (int c = 0; c < 2; ++c)
                for (int t = 0; t < kBlock; ++t)
                    if (!std::isfinite(buffer.getSample(c, t)))
                        finite = false;
            // The host's automation, from the audio thread.
            if (block % 32 == 0)
                filter().setParameter(0, static_cast<float>(block % 512) / 512.0f);
        }
    });

    auto& list = control<BRDraggableListBox>("IrFileList");
    auto& knob = control<BRDecibelSlider>("wet gain");
    for (int round = 0; round < 10; ++round) {
        clickOn(control<juce::ToggleButton>(round % 2 == 0 ? "IR multi " : "IR 1-To-1 "));
        waitForFileList();
        user::click(list, {40, 7});
        ASSERT_TRUE(guitest::pumpUntil([this] { return filter().allCellsLoaded(); }));
        user::drag(knob, {32, 30}, {32, static_cast<float>(round * 5)});
        clickOn(control<juce::TextButton>("RESET"));
        clickOn(control<juce::ToggleButton>("IR mono "));
        waitForFileList();
        for (int o = 0; o < 2; ++o)
            for (int i = 0; i < 2; ++i) {
                const juce::DragAndDropTarget::SourceDetails details(juce::var("0"), &list, {5, 5});
                cell(o, i).itemDropped(details);
            }
        ASSERT_TRUE(filter().allCellsLoaded());
        // A complete matrix takes a new IR while blocks run.
        const juce::DragAndDropTarget::SourceDetails fromCell(juce::var("waveform 1,1"), &cell(1, 1), {5, 5});
        cell(0, 0).itemDropped(fromCell);
        guitest::pumpMessages(20);
    }
    running = false;
    audio.join();
    EXPECT_TRUE(finite);
    EXPECT_EQ(listedNames(), juce::StringArray("mono.wav"));
    EXPECT_FALSE(filter().isSuspended());
}

}  // namespace
