#include "primitives/dispatch/instruction_set_ssse3.h"

#include <cstddef>
#include <cstdint>
#include <tmmintrin.h>

#include "primitives/dispatch/status.h"
#include "primitives/vector/fill_copy_bodies.h"
#include "primitives/dispatch/largest_cache.h"

namespace cls_ssse3 {
namespace {

#include "primitives/vector/byte_moves.h"
#include "primitives/vector/fill_copy_wide_kernels.h"
#include "primitives/vector/fill_copy_shifted_kernels.h"

}  // namespace

#include "primitives/vector/fill_copy_wide_bodies.h"

}  // namespace cls_ssse3
