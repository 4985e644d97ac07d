#pragma once

#include "primitives/dispatch/cpu_classes.h"

// The vector bodies of every class, with the contracts of their entries; bodies
// of the same class call them directly.

DSP_DECLARE_IN_EVERY_CLASS(
    int max(const float* src, int len, float* result);
    int min(const float* src, int len, float* result);
    int maxIndex(const float* src, int len, float* result, int* index);
)
