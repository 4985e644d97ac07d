#include "primitives/dispatch/instruction_set_sse.h"

#include <cstddef>
#include <cstdint>
#include <xmmintrin.h>

#include "primitives/dispatch/status.h"
#include "primitives/interleave/interleave_bodies.h"

namespace cls_sse {

struct InterleaveTuning {
    // Two channels go through the general routine, one pair per frame.
    static constexpr bool kTwoChannelRoutine = false;
};

#include "primitives/vector/arithmetic_elements.h"
#include "primitives/vector/arithmetic_lanes.h"
#include "primitives/interleave/interleave_kernels.h"
#include "primitives/interleave/interleave_checked_bodies.h"

}  // namespace cls_sse
