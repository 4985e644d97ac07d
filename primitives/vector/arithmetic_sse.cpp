#include "primitives/dispatch/instruction_set_sse.h"

#include <cstddef>
#include <cstdint>
#include <xmmintrin.h>

#include "primitives/dispatch/status.h"
#include "primitives/vector/arithmetic_bodies.h"
#include "primitives/vector/fill_copy_bodies.h"

namespace cls_sse {

struct ArithmeticTuning {
    // Scaling of more than 512 KiB prefetches non-temporally: such arrays outgrow
    // the caches of this class's processors.
    static constexpr std::ptrdiff_t kMulConstStreamingFrom = 131072;
};

#include "primitives/vector/elements.h"
#include "primitives/vector/lanes.h"
#include "primitives/vector/arithmetic_kernels.h"
#include "primitives/vector/arithmetic_checked_bodies.h"
#include "primitives/vector/arithmetic_add_checked_body.h"
}  // namespace cls_sse
