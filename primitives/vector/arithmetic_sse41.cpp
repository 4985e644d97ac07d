#include "primitives/dispatch/instruction_set_sse41.h"

#include <cstddef>
#include <cstdint>
#include <smmintrin.h>

#include "primitives/dispatch/status.h"
#include "primitives/vector/arithmetic_bodies.h"
#include "primitives/vector/fill_copy_bodies.h"

namespace cls_sse41 {

struct ArithmeticTuning {
    // Scaling of more than 1 MiB prefetches non-temporally: such arrays outgrow
    // the caches of this class's processors.
    static constexpr std::ptrdiff_t kMulConstStreamingFrom = 262144;
};

#include "primitives/vector/elements.h"
#include "primitives/vector/lanes.h"
#include "primitives/vector/arithmetic_kernels.h"
#include "primitives/vector/arithmetic_checked_bodies.h"
// Addition runs the class-4 body.
}  // namespace cls_sse41
