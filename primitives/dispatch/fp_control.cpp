#include "primitives/dispatch/fp_control.h"

#include <cstring>
#include <immintrin.h>

namespace {
constexpr std::uint32_t kMxcsrDefault = 0x1F80;
constexpr std::uint32_t kMxcsrRounding = 0x6000;
constexpr std::uint32_t kDenormalsAreZero = 1u << 6;
}  // namespace

std::uint32_t dspGetMxcsr() { return _mm_getcsr(); }
void dspLoadMxcsr(std::uint32_t value) { _mm_setcsr(value); }

std::uint32_t dspResetMxcsr()
{
    const std::uint32_t old = _mm_getcsr();
    _mm_setcsr(kMxcsrDefault);
    return old;
}

std::uint32_t dspSetMxcsrMasked(std::uint32_t value, std::uint32_t mask)
{
    const std::uint32_t old = _mm_getcsr();
    _mm_setcsr((old & ~mask) | (value & mask));
    return old;
}

void dspUpdateMxcsrRounding(std::uint32_t value)
{
    const std::uint32_t old = _mm_getcsr();
    if ((old & kMxcsrRounding) != value)
        _mm_setcsr((old & ~kMxcsrRounding) | value);
}

std::uint16_t dspGetX87Control()
{
    std::uint16_t control = 0;
    asm volatile("fnstcw %0" : "=m"(control));
    return control;
}

void dspLoadX87Control(std::uint16_t value) { asm volatile("fldcw %0" : : "m"(value)); }

std::uint16_t dspGetX87Status()
{
    std::uint16_t status = 0;
    asm volatile("fnstsw %0" : "=m"(status));
    return status;
}

std::uint16_t dspGetAndClearX87Status()
{
    const std::uint16_t status = dspGetX87Status();
    asm volatile("fnclex");
    return status;
}

std::uint16_t dspSetX87ControlMasked(std::uint32_t value, std::uint32_t mask)
{
    const std::uint16_t old = dspGetX87Control();
    dspLoadX87Control(static_cast<std::uint16_t>((old & ~mask) | (value & mask)));
    return old;
}

void dspUpdateX87Control(std::uint32_t value, std::uint32_t mask)
{
    const std::uint16_t old = dspGetX87Control();
    if ((old & mask) != value)
        dspLoadX87Control(static_cast<std::uint16_t>((old & ~mask) | value));
}

int dspIsFinite(double x)
{
    std::uint64_t bits = 0;
    std::memcpy(&bits, &x, sizeof bits);
    return ((bits >> 52) & 0x7FF) == 0x7FF ? 0 : 1;
}

int dspHasDenormalsAreZero()
{
    alignas(16) unsigned char area[512];
    std::memset(area, 0, sizeof area);
    _fxsave(area);
    std::uint32_t mask = 0;
    std::memcpy(&mask, area + 28, sizeof mask);
    return (mask != 0 && (mask & kDenormalsAreZero) != 0) ? 1 : 0;
}
