#include "primitives/dispatch/instruction_set_sse2.h"

#include <cstddef>
#include <cstdint>
#include <emmintrin.h>

#include "primitives/dispatch/status.h"
#include "primitives/vector/spectrum_product_bodies.h"

namespace cls_sse2 {

struct SpectrumProductTuning {
    // Distance of the prefetch of both sources in each group of four pairs; 0 for none.
    static constexpr int kPrefetchBytesAhead = 0;
};

#include "primitives/vector/elements.h"
#include "primitives/vector/lanes.h"
#include "primitives/vector/spectrum_product_kernels.h"
#include "primitives/vector/spectrum_product_checked_bodies.h"

}  // namespace cls_sse2
