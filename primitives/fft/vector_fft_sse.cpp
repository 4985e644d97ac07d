#ifndef __SSE__
#error "this source is built with the SSE without SSE2 instruction set"
#endif
#ifdef __SSE2__
#error "this source must not use instructions above SSE without SSE2"
#endif

#include <xmmintrin.h>

#include <cstdint>

#include "primitives/dispatch/status.h"
#include "primitives/fft/fft_direction.h"
#include "primitives/fft/real_fft.h"
#include "primitives/fft/real_fft_bodies.h"
#include "primitives/fft/small_fft.h"
#include "primitives/fft/vector_bodies.h"
#include "primitives/fft/vector_plan.h"
#include "primitives/memory/memory.h"
#include "primitives/vector/arithmetic_bodies.h"

// Class 1: 8- and 16-point first passes, single-point gathers, the last pass in
// the working array and a conversion sweep after it, pair-list bit reversal.
namespace cls_sse {

constexpr VectorFftPlan kPlan = {
    10,             // directLimit
    false,          // radix2LastPass
    0,              // cacheBlockPoints
    false,          // fusedLastPass
    true,           // pointGatherOdd
    0,              // pointGatherEvenFrom
    true,           // pairListBitReverse
    kNeverPoints,   // bitReverseGatherFrom
    true,           // naturalRealLanes
    true            // middleImagFromZero
};

#include "primitives/fft/spec_tables_inl.h"
#include "primitives/fft/transform_frame_inl.h"
#include "primitives/fft/vector_lanes.h"
#include "primitives/fft/vector_passes.h"
#include "primitives/fft/vector_bit_reverse.h"
#include "primitives/fft/vector_real_split.h"
#include "primitives/fft/vector_transform.h"
#include "primitives/fft/vector_class_bodies.h"

}  // namespace cls_sse
