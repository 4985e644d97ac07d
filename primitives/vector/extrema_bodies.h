#pragma once

#include "primitives/dispatch/cpu_classes.h"

// The extrema bodies of every class; bodies of the same class call them directly.
DSP_DECLARE_IN_EVERY_CLASS(
    int max(const float* src, int len, float* result);
    int min(const float* src, int len, float* result);
    int maxIndex(const float* src, int len, float* result, int* index);
)
