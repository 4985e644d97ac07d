#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

// Floats by bit pattern, for bit-exact comparisons (signs of zeros and NaN
// payloads included) and for building special values.
namespace dsptest {

inline std::uint32_t bitsOf(float x)
{
    std::uint32_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    return bits;
}

inline float floatOf(std::uint32_t bits)
{
    float x;
    std::memcpy(&x, &bits, sizeof x);
    return x;
}

inline std::vector<std::uint32_t> bitsOf(const std::vector<float>& values)
{
    std::vector<std::uint32_t> bits(values.size());
    for (std::size_t i = 0; i < values.size(); ++i)
        bits[i] = bitsOf(values[i]);
    return bits;
}

}  // namespace dsptest
