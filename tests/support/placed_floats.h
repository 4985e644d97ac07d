#pragma once

#include <cstring>
#include <vector>

#include "primitives/memory/memory.h"
#include "tests/support/float_bits.h"

namespace dsptest {

// n floats `offset` bytes (a multiple of 4) past a 32-byte boundary, with 64
// sentinel floats after them that show any write past the end.
class PlacedFloats {
public:
    PlacedFloats(int n, int offset)
        : block(static_cast<float*>(dspAllocBytes(4 * n + 64 + 4 * kSentinels))), at(block + offset / 4), n(n)
    {
        for (int i = 0; i < kSentinels; ++i)
            at[n + i] = kSentinel;
    }
    ~PlacedFloats() { dspFree(block); }
    PlacedFloats(const PlacedFloats&) = delete;
    PlacedFloats& operator=(const PlacedFloats&) = delete;

    float* data() const { return at; }
    void fill(const std::vector<float>& v) const { std::memcpy(at, v.data(), 4 * v.size()); }
    std::vector<float> values() const { return std::vector<float>(at, at + n); }
    bool tailIntact() const
    {
        for (int i = 0; i < kSentinels; ++i)
            if (bitsOf(at[n + i]) != bitsOf(kSentinel))
                return false;
        return true;
    }

private:
    static constexpr int kSentinels = 64;
    static constexpr float kSentinel = 1234.5f;
    float* block;
    float* at;
    int n;
};

}  // namespace dsptest
