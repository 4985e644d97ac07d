#pragma once

#include "primitives/dispatch/cpu_classes.h"

// The spectrum-product bodies of every class.
DSP_DECLARE_IN_EVERY_CLASS(
    int mulSpectra(const float* a, const float* b, float* dst, int len);
    int mulAccumulateSplitSpectra(const float* a, const float* b, float* sum, int bins, int rows, int realFirstBin);
)
