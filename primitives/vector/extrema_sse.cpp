#include "primitives/dispatch/instruction_set_sse.h"

#include <cstddef>
#include <cstdint>
#include <xmmintrin.h>

#include "primitives/dispatch/status.h"
#include "primitives/vector/extrema_bodies.h"

namespace cls_sse {

struct ExtremaTuning {
    // Distance of the prefetch in the 16-float search loop; 0 for none.
    static constexpr int kPrefetchBytesAhead = 128;
    // Whether the block maxima of the indexed search prefetch non-temporally.
    static constexpr bool kStreamBlocks = true;
};

#include "primitives/vector/elements.h"
#include "primitives/vector/lanes.h"
#include "primitives/vector/extrema_kernels.h"
#include "primitives/vector/extrema_checked_bodies.h"

}  // namespace cls_sse
