#include "primitives/dispatch/instruction_set_ssse3.h"

#include <cstddef>
#include <cstdint>
#include <tmmintrin.h>

#include "primitives/dispatch/status.h"
#include "primitives/vector/arithmetic_bodies.h"
#include "primitives/vector/fill_copy_bodies.h"

namespace cls_ssse3 {

struct ArithmeticTuning {
    // Scaling prefetches non-temporally past this many floats (1 MiB caches).
    static constexpr std::ptrdiff_t kMulConstStreamingFrom = 262144;
};

#include "primitives/vector/elements.h"
#include "primitives/vector/lanes.h"
#include "primitives/vector/arithmetic_kernels.h"
#include "primitives/vector/arithmetic_checked_bodies.h"
#include "primitives/vector/arithmetic_add_checked_body.h"  // also the class-5 body
}  // namespace cls_ssse3
