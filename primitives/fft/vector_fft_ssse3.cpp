#include "primitives/dispatch/instruction_set_ssse3.h"

#include <xmmintrin.h>

#include <cstdint>

#include "primitives/dispatch/status.h"
#include "primitives/fft/fft_direction.h"
#include "primitives/fft/real_fft.h"
#include "primitives/fft/real_fft_bodies.h"
#include "primitives/fft/small_fft.h"
#include "primitives/fft/vector_bodies.h"
#include "primitives/fft/vector_plan.h"
#include "primitives/memory/memory.h"
#include "primitives/vector/vector_bodies.h"

// The real-FFT bodies of class 4, on its vector plan.
namespace cls_ssse3 {

constexpr VectorFftPlan kPlan = kSsse3VectorPlan;

#include "primitives/fft/record_tables_inl.h"
#include "primitives/fft/transform_frame_inl.h"
#include "primitives/fft/vector_lanes.h"
#include "primitives/fft/vector_passes.h"
#include "primitives/fft/vector_bit_reverse.h"
#include "primitives/fft/vector_real_split.h"
#include "primitives/fft/vector_transform.h"
#include "primitives/fft/vector_class_bodies.h"

}  // namespace cls_ssse3
