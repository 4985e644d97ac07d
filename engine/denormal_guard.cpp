#include "engine/denormal_guard.h"

#include "primitives/dispatch/fp_control.h"

namespace {

constexpr std::uint32_t kFlushToZero = 1u << 15;
constexpr std::uint32_t kDenormalsAreZero = 1u << 6;

// Known once, when the library loads: setting a bit the processor lacks faults,
// and asking costs an FXSAVE.
const std::uint32_t flushBits = kFlushToZero | (dspHasDenormalsAreZero() != 0 ? kDenormalsAreZero : 0);

}  // namespace

BRDenormalGuard::BRDenormalGuard() : saved(dspSetMxcsrMasked(flushBits, flushBits)) {}

BRDenormalGuard::~BRDenormalGuard() { dspLoadMxcsr(saved); }
