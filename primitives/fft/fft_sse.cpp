#include "primitives/dispatch/instruction_set_sse.h"

#include <cstddef>
#include <cstdint>

#include "primitives/dispatch/status.h"
#include "primitives/fft/fft_bodies.h"
#include "primitives/fft/fft_direction.h"
#include "primitives/fft/generic_steps.h"
#include "primitives/fft/real_fft.h"
#include "primitives/fft/vector_plan.h"
#include "primitives/fft/vector_steps.h"
#include "primitives/memory/memory.h"
#include "primitives/vector/vector_bodies.h"

namespace cls_sse {

constexpr int kClass = dspCpuSse;
constexpr VectorFftPlan kPlan = kVectorFftPlans[kClass];

#include "primitives/fft/record_tables_inl.h"
#include "primitives/fft/transform_frame_inl.h"
#include "primitives/fft/vector_lanes.h"
#include "primitives/fft/vector_passes.h"
#include "primitives/fft/vector_bit_reverse.h"
#include "primitives/fft/vector_real_split.h"
#include "primitives/fft/vector_transform.h"
#include "primitives/fft/vector_class_bodies.h"
#include "primitives/fft/large_driver.h"
#include "primitives/fft/large_join_kit.h"
#include "primitives/fft/large_class_bodies.h"

}  // namespace cls_sse
