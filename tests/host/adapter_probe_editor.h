#pragma once

#include <functional>

#include <juce_audio_processors/juce_audio_processors.h>

// The probe processor's editor: a window of known size and colours with a
// timer that repaints it. It counts its paints and ticks, and how many
// probe editors live.
class ProbeEditor : public juce::AudioProcessorEditor, private juce::Timer {
public:
    static constexpr int width = 420;
    static constexpr int height = 300;
    static constexpr int timerIntervalMs = 20;
    // The background, and a square of the marker colour at the top left.
    static constexpr juce::uint32 background = 0xff2060a0;
    static constexpr juce::uint32 marker = 0xffffc020;
    static constexpr int markerSize = 40;

    explicit ProbeEditor(juce::AudioProcessor& processor);
    ~ProbeEditor() override;

    void paint(juce::Graphics& g) override;

    static int liveCount;
    int paints = 0;
    int ticks = 0;
    std::function<void()> whileDeleted;  // runs in the destructor

private:
    void timerCallback() override;
};
