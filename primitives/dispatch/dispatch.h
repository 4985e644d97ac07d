#pragma once

#include <atomic>
#include <cstdint>

#include "primitives/dispatch/cpu_classes.h"

// The process's processor class, 0 (generic) until dspInitCpuDispatch stores the
// detected one. Only the detection writes it; every entry reads it on every call.
extern std::atomic<std::int32_t> dspCpuClass;

namespace dsp {

// Six body addresses, in class order, for one entry.
template <typename Fn>
using BodyTable = Fn* const[kCpuClassCount];

// The whole of a dispatch entry: one relaxed load of the class and a jump to
// that class's body with the caller's arguments. Wait-free; never checks.
template <typename Fn, typename... Args>
inline auto callBody(const BodyTable<Fn>& bodies, Args... args)
{
    return bodies[dspCpuClass.load(std::memory_order_relaxed)](args...);
}

}  // namespace dsp
