#include "primitives/dispatch/instruction_set_sse2.h"

#include <cstddef>
#include <cstdint>
#include <emmintrin.h>

#include "primitives/dispatch/status.h"
#include "primitives/vector/extrema_bodies.h"

namespace cls_sse2 {

struct ExtremaTuning {
    // Distance of the prefetch in the 16-float search loop; 0 for none.
    static constexpr int kPrefetchBytesAhead = 0;
    // Whether the block maxima of the indexed search prefetch non-temporally.
    static constexpr bool kStreamBlocks = false;
    // Groups of 4 that each lane takes per step of the short indexed search.
    static constexpr int kLaneGroupsPerIteration = 1;
};

#include "primitives/vector/elements.h"
#include "primitives/vector/lanes.h"
#include "primitives/vector/extrema_kernels.h"
#include "primitives/vector/extrema_checked_bodies.h"

}  // namespace cls_sse2
