#include "primitives/dispatch/instruction_set_sse3.h"

#include <cstddef>
#include <cstdint>
#include <pmmintrin.h>

#include "primitives/dispatch/status.h"
#include "primitives/interleave/interleave_bodies.h"

namespace cls_sse3 {

struct InterleaveTuning {
    // Two channels take their own routine: blocks of eight frames.
    static constexpr bool kTwoChannelRoutine = true;
};

#include "primitives/vector/arithmetic_elements.h"
#include "primitives/vector/arithmetic_lanes.h"
#include "primitives/interleave/interleave_kernels.h"
#include "primitives/interleave/interleave_checked_bodies.h"

}  // namespace cls_sse3
