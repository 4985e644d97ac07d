#pragma once

#include "engine/channel_counts.h"
#include "engine/settings.h"

// Asks in the modal dialog "Input Output Channels" until both counts lie in
// 1..32; a question asked again says which count was refused and why. Typed
// keys go to the first count. Without a display: the settings' counts, or 2
// for a count outside 1..32, as if the dialog had been confirmed at once.
// Message thread; runs a modal loop. Fits BRChannelCountQuestion.
BRChannelCounts askChannelCountsInDialog(const BRSettings& settings);
