#pragma once

#include <optional>

#include <juce_core/juce_core.h>

#include "engine/channel_counts.h"
#include "engine/settings.h"

// Asks in the modal dialog "Input Output Channels" until both counts are whole
// numbers in 1..32; a question asked again holds what the user typed in both
// boxes and says which count was refused and why. Typed keys go to the first
// count. Without a display: the settings' counts, or 2 for a count outside
// 1..32, as if the dialog had been confirmed at once.
// Message thread; runs a modal loop. Fits BRChannelCountQuestion.
BRChannelCounts askChannelCountsInDialog(const BRSettings& settings);

// The count a box of the dialog holds: decimal digits, with nothing but
// whitespace around them, naming a number in 1..32; nothing otherwise. Any thread.
std::optional<int> channelCountFromText(const juce::String& typed);
