#include "primitives/dispatch/dispatch.h"

std::atomic<std::int32_t> dspCpuClass{dspCpuGeneric};

static_assert(std::atomic<std::int32_t>::is_always_lock_free,
              "readers must see the old or the new class, never a torn one");
