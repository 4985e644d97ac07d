#pragma once

#include <cstdint>

// Byte counts and addresses rounded to the 32-byte boundaries on which every
// record table, scratch area and work area starts. For the baseline sources that
// plan and build records; the per-class sources include no inline code from here.
namespace dsp::fft {

constexpr std::int64_t pow2(int exponent) { return std::int64_t{1} << exponent; }
constexpr std::int64_t roundUp32(std::int64_t bytes) { return (bytes + 31) & ~std::int64_t{31}; }
constexpr std::int64_t roundDown32(std::int64_t bytes) { return bytes & ~std::int64_t{31}; }

// The first 32-byte boundary at or after p.
template <typename T = void>
T* alignUp32(const void* p)
{
    const auto address = reinterpret_cast<std::uintptr_t>(p);
    return reinterpret_cast<T*>((address + 31) & ~std::uintptr_t{31});
}

}  // namespace dsp::fft
