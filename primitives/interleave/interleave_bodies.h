#pragma once

#include "primitives/dispatch/cpu_classes.h"

// The interleaving bodies of every class.
DSP_DECLARE_IN_EVERY_CLASS(
    int interleave(const float* const* channels, int channelCount, int len, float* dst);
    int deinterleave(const float* src, int channelCount, int len, float* const* channels);
)
