#pragma once

#include <cstdint>

// The floating-point control and status registers. The primitives never touch
// them; these are for callers that must establish round-to-nearest without
// flush-to-zero around them.

// MXCSR = 0x1F80 (exceptions masked, round to nearest, no FTZ/DAZ); returns the old MXCSR.
std::uint32_t dspResetMxcsr();
std::uint32_t dspGetMxcsr();
// MXCSR = (old & ~mask) | (value & mask); returns the old MXCSR.
std::uint32_t dspSetMxcsrMasked(std::uint32_t value, std::uint32_t mask);
// When the rounding bits (0x6000) differ from value, MXCSR = (old & ~0x6000) | value.
void dspUpdateMxcsrRounding(std::uint32_t value);
void dspLoadMxcsr(std::uint32_t value);

std::uint16_t dspGetX87Control();
std::uint16_t dspGetX87Status();
// Returns the status word, then clears the exception flags.
std::uint16_t dspGetAndClearX87Status();
// Control word = (old & ~mask) | (value & mask); returns the old control word.
std::uint16_t dspSetX87ControlMasked(std::uint32_t value, std::uint32_t mask);
// When (control & mask) differs from value, control = (old & ~mask) | value.
void dspUpdateX87Control(std::uint32_t value, std::uint32_t mask);
void dspLoadX87Control(std::uint16_t value);

// 0 when x's exponent field is all ones (infinity or NaN), else 1.
int dspIsFinite(double x);

// 1 when FXSAVE reports an MXCSR mask with denormals-are-zero (bit 6), else 0.
int dspHasDenormalsAreZero();
