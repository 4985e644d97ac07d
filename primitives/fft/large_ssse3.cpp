#include "primitives/dispatch/instruction_set_ssse3.h"

#include <xmmintrin.h>

#include <cstddef>
#include <cstdint>

#include "primitives/fft/fft_direction.h"
#include "primitives/fft/large_bodies.h"
#include "primitives/fft/large_plan.h"
#include "primitives/fft/real_fft.h"
#include "primitives/fft/vector_bodies.h"
#include "primitives/memory/memory.h"
#include "primitives/vector/arithmetic_bodies.h"
#include "primitives/vector/fill_copy_bodies.h"

// Class 4: rows in cache, column tiles, tiled bit reversal.
namespace cls_ssse3 {

#include "primitives/fft/record_tables_inl.h"
#include "primitives/fft/vector_lanes.h"
#include "primitives/fft/large_driver.h"
#include "primitives/fft/large_tile_kit.h"

template <bool Forward>
using LargeKit = large_fft::TileKit<Forward>;

#include "primitives/fft/large_class_bodies.h"

}  // namespace cls_ssse3
