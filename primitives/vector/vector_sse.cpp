#include "primitives/dispatch/instruction_set_sse.h"

#include <cstddef>
#include <cstdint>

#include "primitives/dispatch/status.h"
#include "primitives/vector/vector_bodies.h"

namespace cls_sse {

constexpr int kClass = dspCpuSse;

#include "primitives/vector/elements.h"
#include "primitives/vector/lanes.h"
#include "primitives/vector/arithmetic_kernels.h"
#include "primitives/vector/extrema_kernels.h"
#include "primitives/vector/fill_copy_mmx_kernels.h"
#include "primitives/vector/spectrum_product_kernels.h"
#include "primitives/vector/checked_bodies.h"
#include "primitives/vector/addition_body.h"

}  // namespace cls_sse
