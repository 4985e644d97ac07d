#pragma once

#include "primitives/dispatch/cpu_classes.h"

// Fill and copy bodies of every class; other bodies of the same class call them directly.
DSP_DECLARE_IN_EVERY_CLASS(
    int zero(float* dst, int len);
    int copy(const float* src, float* dst, int len);
)
