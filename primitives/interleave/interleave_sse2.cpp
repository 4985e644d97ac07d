#include "primitives/dispatch/instruction_set_sse2.h"

#include <cstddef>
#include <cstdint>
#include <emmintrin.h>

#include "primitives/dispatch/status.h"
#include "primitives/interleave/interleave_bodies.h"

namespace cls_sse2 {

struct InterleaveTuning {
    // Two channels take their own routine: blocks of eight frames.
    static constexpr bool kTwoChannelRoutine = true;
};

#include "primitives/vector/arithmetic_elements.h"
#include "primitives/vector/arithmetic_lanes.h"
#include "primitives/interleave/interleave_kernels.h"
#include "primitives/interleave/interleave_checked_bodies.h"

}  // namespace cls_sse2
