#ifndef __SSE2__
#error "this source is built with the SSE2 instruction set"
#endif
#ifdef __SSE3__
#error "this source must not use instructions above SSE2"
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

// Class 2: 8- and 16-point first passes, pair gathers (single points at even
// log2 H from 16384 points), no cache blocks.
namespace cls_sse2 {

constexpr VectorFftPlan kPlan = {
    15,             // directLimit
    false,          // radix2LastPass
    0,              // cacheBlockPoints
    true,           // fusedLastPass
    false,          // pointGatherOdd
    16384,          // pointGatherEvenFrom
    false,          // pairListBitReverse
    32768,          // bitReverseGatherFrom
    false,          // naturalRealLanes
    false           // middleImagFromZero
};

#include "primitives/fft/spec_tables_inl.h"
#include "primitives/fft/transform_frame_inl.h"
#include "primitives/fft/vector_lanes.h"
#include "primitives/fft/vector_passes.h"
#include "primitives/fft/vector_bit_reverse.h"
#include "primitives/fft/vector_real_split.h"
#include "primitives/fft/vector_transform.h"
#include "primitives/fft/vector_class_bodies.h"

}  // namespace cls_sse2
