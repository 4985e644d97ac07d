#include "primitives/dispatch/instruction_set_sse.h"

#include <xmmintrin.h>

#include <cstddef>
#include <cstdint>

#include "primitives/fft/fft_direction.h"
#include "primitives/fft/large_bodies.h"
#include "primitives/fft/large_plan.h"
#include "primitives/fft/real_fft.h"
#include "primitives/fft/vector_bodies.h"
#include "primitives/memory/memory.h"
#include "primitives/vector/arithmetic_bodies.h"

// Class 1: the generic plan on vectors, halving block path and column vectors.
namespace cls_sse {

#include "primitives/fft/record_tables_inl.h"
#include "primitives/fft/vector_lanes.h"
#include "primitives/fft/large_driver.h"
#include "primitives/fft/large_join_kit.h"

template <bool Forward>
using LargeKit = large_fft::JoinKit<Forward>;

#include "primitives/fft/large_class_bodies.h"

}  // namespace cls_sse
