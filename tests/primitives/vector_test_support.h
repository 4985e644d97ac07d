#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "tests/support/float_bits.h"
#include "tests/support/guarded_buffer.h"

// Shared by the arithmetic, extrema, spectrum-product and interleaving tests:
// float arrays at any byte offset that fault on reads past their end, canaries
// around them, and finite values of every magnitude.
namespace vectortest {

// len floats starting `offset` bytes past a 16-byte boundary (any offset 0 to 15,
// so also not 4-byte aligned), ending fewer than 16 bytes before an inaccessible
// page: reading past the end faults whenever it passes the slack, and the slack
// and 64 bytes before the start hold canaries. Elements go through get and set,
// which stay defined at any alignment.
class GuardedWindow {
public:
    GuardedWindow(std::size_t len, std::size_t offset)
        : slack((64 * 16 - 4 * len - offset) % 16), count(len),
          guarded(kCanaryBytes + 4 * len + slack)
    {
        start = static_cast<unsigned char*>(guarded.data()) + kCanaryBytes;
        std::memset(guarded.data(), kCanary, kCanaryBytes);
        std::memset(start + 4 * len, kCanary, slack);
    }

    float* data() const { return reinterpret_cast<float*>(start); }
    std::size_t size() const { return count; }
    // Bytes between the end and the inaccessible page.
    std::size_t slackBytes() const { return slack; }

    float get(std::size_t i) const { return dsptest::floatOf(getBits(i)); }
    std::uint32_t getBits(std::size_t i) const
    {
        std::uint32_t bits;
        std::memcpy(&bits, start + 4 * i, 4);
        return bits;
    }
    void set(std::size_t i, float x) { setBits(i, dsptest::bitsOf(x)); }
    void setBits(std::size_t i, std::uint32_t bits) { std::memcpy(start + 4 * i, &bits, 4); }

    void fill(const std::vector<float>& values)
    {
        for (std::size_t i = 0; i < count; ++i)
            set(i, values[i]);
    }
    std::vector<float> values() const
    {
        std::vector<float> out(count);
        for (std::size_t i = 0; i < count; ++i)
            out[i] = get(i);
        return out;
    }

    bool canariesIntact() const
    {
        const auto* before = static_cast<const unsigned char*>(guarded.data());
        for (std::size_t i = 0; i < kCanaryBytes; ++i)
            if (before[i] != kCanary)
                return false;
        for (std::size_t i = 0; i < slack; ++i)
            if (start[4 * count + i] != kCanary)
                return false;
        return true;
    }

private:
    static constexpr std::size_t kCanaryBytes = 64;
    static constexpr unsigned char kCanary = 0xA5;
    std::size_t slack;
    std::size_t count;
    dsptest::GuardedBuffer guarded;
    unsigned char* start = nullptr;
};

// Finite floats of every magnitude class: normal, tiny, denormal, zero of either
// sign, with random signs. Deterministic for a seed.
inline std::vector<float> finiteValues(std::size_t n, std::uint32_t seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> mantissa(1.0f, 2.0f);
    std::uniform_int_distribution<int> exponent(-20, 20);
    std::vector<float> out(n);
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t kind = random() % 64;
        float x = std::ldexp(mantissa(random), exponent(random));
        if (kind == 0)
            x = 0.0f;
        else if (kind == 1)
            x = dsptest::floatOf(random() % 0x7FFFFFu + 1);  // denormal
        else if (kind == 2)
            x = std::ldexp(mantissa(random), -126);  // smallest normals: sums and products underflow
        if (random() % 2 == 1)
            x = -x;
        out[i] = x;
    }
    return out;
}

}  // namespace vectortest
