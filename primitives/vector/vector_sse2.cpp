#include "primitives/dispatch/instruction_set_sse2.h"

#include <cstddef>
#include <cstdint>

#include "primitives/dispatch/largest_cache.h"
#include "primitives/dispatch/status.h"
#include "primitives/vector/vector_bodies.h"

namespace cls_sse2 {

constexpr int kClass = dspCpuSse2;

#include "primitives/vector/elements.h"
#include "primitives/vector/lanes.h"
#include "primitives/vector/arithmetic_kernels.h"
#include "primitives/vector/extrema_kernels.h"
#include "primitives/vector/fill_copy_wide_kernels.h"
#include "primitives/vector/spectrum_product_kernels.h"
#include "primitives/vector/checked_bodies.h"
#include "primitives/vector/addition_body.h"  // also the body of class 3

}  // namespace cls_sse2
