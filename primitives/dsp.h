#pragma once

// The signal-processing primitives as their callers see them.
#include "primitives/dispatch/cpu_classes.h"
#include "primitives/dispatch/cpu_detection.h"
#include "primitives/dispatch/status.h"
#include "primitives/memory/memory.h"
#include "primitives/vector/fill_copy.h"
#include "primitives/fft/real_fft.h"
#include "primitives/vector/arithmetic.h"
#include "primitives/vector/extrema.h"
#include "primitives/vector/spectrum_product.h"
#include "primitives/interleave/interleave.h"
