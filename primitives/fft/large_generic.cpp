#include "primitives/dispatch/instruction_set_generic.h"

#include <cstddef>
#include <cstdint>

#include "primitives/fft/bit_reverse.h"
#include "primitives/fft/complex_passes.h"
#include "primitives/fft/large_bodies.h"
#include "primitives/fft/large_plan.h"
#include "primitives/fft/real_fft.h"
#include "primitives/memory/memory.h"
#include "primitives/vector/arithmetic_bodies.h"

// Class 0: the reference large path, scalar on the x87 unit.
namespace cls_generic {

#include "primitives/fft/record_tables_inl.h"
#include "primitives/fft/large_driver.h"
#include "primitives/fft/large_generic_kit.h"

template <bool Forward>
using LargeKit = large_fft::GenericKit<Forward>;

#include "primitives/fft/large_class_bodies.h"

}  // namespace cls_generic
