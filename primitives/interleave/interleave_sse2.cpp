#include "primitives/dispatch/instruction_set_sse2.h"

#include <cstddef>
#include <cstdint>

#include "primitives/dispatch/status.h"
#include "primitives/interleave/interleave_bodies.h"

namespace cls_sse2 {

constexpr int kClass = dspCpuSse2;

#include "primitives/vector/elements.h"
#include "primitives/vector/lanes.h"
#include "primitives/interleave/interleave_kernels.h"
#include "primitives/interleave/interleave_checked_bodies.h"

}  // namespace cls_sse2
