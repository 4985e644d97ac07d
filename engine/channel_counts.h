#pragma once

#include <functional>

#include "engine/settings.h"

// The numbers of input and output channels a processor is built with.
struct BRChannelCounts {
    int inputs;
    int outputs;
};

constexpr int kMinChannels = 1;
constexpr int kMaxChannels = 32;

constexpr bool isValidChannelCount(int count) { return count >= kMinChannels && count <= kMaxChannels; }

// Where a processor learns its channel counts when it is built.
using BRChannelCountQuestion = std::function<BRChannelCounts(const BRSettings& settings)>;

// True when $DISPLAY names an X display that JUCE reaches: building a JUCE
// window without one crashes. Message thread.
bool windowsCanBeShown();

// Asks in the modal dialog "Input Output Channels" until both counts lie in
// 1..32. Without a display: the settings' counts, or 2 for a count outside
// 1..32, as if the dialog had been confirmed at once. Message thread; runs a
// modal loop.
BRChannelCounts askChannelCountsInDialog(const BRSettings& settings);
