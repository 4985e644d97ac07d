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
